// "透かしガラスフィルタ": frosted glass in vertical, horizontal or lattice
// bands; colour, depth, width and direction are remembered as "Glass".
#pragma once

#include "effects/dialogs/DistortDialog.h"

class QButtonGroup;

class TGlass : public TDistortDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Glass";
  static constexpr int kDefaultDirection = 0;
  static constexpr int kDefaultDepth = 50;
  static constexpr int kDefaultWidth = 50;

  explicit TGlass(Host *main);

  QButtonGroup *rgDirection = nullptr; // "方向": 縦, 横, 格子
  QSlider *tbDepth = nullptr;          // "凹凸の深さ", 10 ... 100
  QSlider *tbWidth = nullptr;          // "凹凸の幅", 10 ... 100

protected:
  DibHandle NewPicture(IMGHANDLE source, Progress *progress) override;
  void ResetControls() override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
};

// "透かしｶﾞﾗｽ(&G)": full colour only.
void GlassCommand(Host *main, Document *child);
