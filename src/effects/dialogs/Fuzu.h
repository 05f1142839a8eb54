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

  explicit TUzu(Host *main);

  QSlider *tbAmount = nullptr;         // "巻き加減", 0 ... 100
  QButtonGroup *rgDirection = nullptr; // "巻き方向": 右巻き, 左巻き

protected:
  DibHandle NewPicture(IMGHANDLE source, Progress *progress) override;
  void ResetControls() override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
};

// "渦巻(&C)": full colour only.
void UzuCommand(Host *main, Document *child);
