// "波状フィルタ": ripples around a centre; colour, strength, frequency and
// the centre are remembered as "Wave".
#pragma once

#include "effects/dialogs/DistortDialog.h"

class TWave : public TDistortDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Wave";
  static constexpr int kDefaultStrength = 10;
  static constexpr int kDefaultFrequency = 15;

  explicit TWave(Host *main);

  QSlider *tbStrength = nullptr;  // "波の強さ", 5 ... 15
  QSlider *tbFrequency = nullptr; // "周波数", 10 ... 20

protected:
  DibHandle NewPicture(IMGHANDLE source, Progress *progress) override;
  void ResetControls() override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
};

// "波紋(&W)": full colour only.
void WaveCommand(Host *main, Document *child);
