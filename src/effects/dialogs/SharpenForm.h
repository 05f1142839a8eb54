// "シャープ化（ハイパスフィルター）": sharpens the document with one of three
// high-pass masks; the type and strength are remembered as "Sharp".
#pragma once

#include "forms/PreviewDialog.h"

class QButtonGroup;

class TSharpenForm : public PreviewDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Sharp";
  static constexpr int kDefaultType = 0;
  static constexpr int kDefaultStrength = 50;

  explicit TSharpenForm(Host *main);

  QButtonGroup *rgType = nullptr; // "シャープ化フィルタの種類"
  QSlider *TrackBar = nullptr;    // "シャープ化程度", 10 ... 90

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
};

// "シャープ化(&E)": full colour only.
void SharpenCommand(Host *main, Document *child);
