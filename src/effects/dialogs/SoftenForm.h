// "画質のソフト化（ローパスフィルター）": the weighted window or the
// adjacent-point averages, over the whole picture, all but its edges or the
// edges only; the five settings are remembered as "Soft".
#pragma once

#include "effects/Fsoften.h"
#include "forms/PreviewDialog.h"

class QButtonGroup;

class TSoftenForm : public PreviewDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Soft";

  explicit TSoftenForm(Host *main);

  // The controls as settings, and back (without recomputing).
  SoftenSettings Settings() const;
  void SetSettings(const SoftenSettings &s);

  QButtonGroup *rgArea = nullptr;      // "処理対象部分"
  QButtonGroup *rgDirection = nullptr; // "ソフト化方向"
  QSlider *TrackBar1 = nullptr;        // "ソフト化の程度", 1 ... 4
  QSlider *TrackBar2 = nullptr;        // "輪郭部検出の閾値", 0 ... 255
  QButtonGroup *rgMethod = nullptr;    // "処理手法"

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  void ControlsChanged() override;
  int ProgressMaximum() const override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
};

// "ソフト化(&S)": full colour only.
void SoftenCommand(Host *main, Document *child);
// "ﾉｲｽﾞ取り名人Ｂ(&M)": the soften dialog run unseen with fixed settings,
// which it then remembers.
void NoiseRemovalBCommand(Host *main, Document *child);
