// "渦巻フィルタ": a swirl around a centre; colour, winding amount and
// direction and the centre are remembered as "Uzu".
#pragma once

#include "effects/dialogs/DistortDialog.h"

class QButtonGroup;

class TUzu : public TDistortDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Uzu";
  static constexpr int kDefaultAmount = 5;
  static constexpr int kDefaultDirection = 0;
  static constexpr int kDefaultCentre = 50;

  explicit TUzu(Host *main);

  QSlider *tbAmount = nullptr;         // "巻き加減", 0 ... 100
  QButtonGroup *rgDirection = nullptr; // "巻き方向": 右巻き, 左巻き
  QSlider *tbCentreX = nullptr;        // "波の中心" X, per cent of the width
  QSlider *tbCentreY = nullptr;        // and Y, per cent of the height

protected:
  DibHandle NewPicture(IMGHANDLE source, Progress *progress) override;
  void ResetControls() override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
  void paintEvent(QPaintEvent *event) override;
};

// "渦巻(&C)": full colour only.
void UzuCommand(Host *main, Document *child);
