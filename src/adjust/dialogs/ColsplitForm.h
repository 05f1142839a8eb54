// The specific-hue emphasis dialog "特定色相の強調": colours near a chosen
// hue keep (or change) their saturation, all others take another one (grey
// by default). Its four positions are remembered as "Shikisou".
#pragma once

#include "forms/PreviewDialog.h"

class HueCircle;

// "特定色相の強調(&S)": full colour only.
void KyochoCommand(Host *main, Document *child);

class TColsplitForm : public PreviewDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Shikisou";

  explicit TColsplitForm(Host *main);

  // The markers follow the remembered positions.
  void Prepare(Document *child) override;

  QSlider *tb1 = nullptr; // "強調色相の中心", -180 ... 180, 0
  QSlider *tb2 = nullptr; // "強調色相の幅", 10 ... 120, 65
  QSlider *tb3 = nullptr; // "強調色相の彩度", -100 ... 100, 0
  QSlider *tb4 = nullptr; // "非強調部の彩度", -100 ... 100, -100
  HueCircle *Circle = nullptr;

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  bool AlwaysOwnsWaitWindow() const override { return true; }
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;

private:
  void PlaceMarkers();
};
