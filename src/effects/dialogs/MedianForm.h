// "ノイズ除去（メディアンフィルター）": the 3 x 3 median, plain or keeping
// edges; the method and threshold are remembered as "Median".
#pragma once

#include "forms/PreviewDialog.h"

class QButtonGroup;

class TMedianForm : public PreviewDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Median";
  static constexpr int kDefaultMethod = 0;
  static constexpr int kDefaultThreshold = 72;

  explicit TMedianForm(Host *main);

  QButtonGroup *rgMethod = nullptr; // "ノイズ除去方法"
  QSlider *TrackBar = nullptr;      // the edge threshold, 16 ... 128

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
};

// "ノイズ除去［ﾒﾃﾞｨｱﾝﾌｨﾙﾀ](&N)": full colour only.
void MedianCommand(Host *main, Document *child);
// The median tool button: the dialog unseen with its remembered settings.
void MedianButtonCommand(Host *main, Document *child);
// "ﾉｲｽﾞ取り名人Ａ(&N)": enlarge, median, reduce, with one edit-history entry.
void NoiseRemovalACommand(Host *main, Document *child);
