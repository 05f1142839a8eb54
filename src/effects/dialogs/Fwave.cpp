#include "effects/dialogs/Fwave.h"

#include "effects/Distort.h"

#include <QBoxLayout>
#include <QSlider>

TWave::TWave(Host *main) : TDistortDialog(main, QStringLiteral("波状フィルタ")) {
  setObjectName(QStringLiteral("Wave"));
  tbStrength = AddTrackBar(QStringLiteral("波の強さ"), kRippleStrengthMin, kRippleStrengthMax,
                           kDefaultStrength);
  tbStrength->setObjectName(QStringLiteral("tbStrength"));
  tbFrequency = AddTrackBar(QStringLiteral("周波数"), kRippleFrequencyMin, kRippleFrequencyMax,
                            kDefaultFrequency);
  tbFrequency->setObjectName(QStringLiteral("tbFrequency"));
  AddCentreBars();
  AddBackgroundRow();
}

DibHandle TWave::NewPicture(IMGHANDLE source, Progress *progress) {
  return RippleMap(source, tbStrength->value(), tbFrequency->value(), tbCentreX->value(),
                   tbCentreY->value(), Red(), Green(), Blue(), progress);
}

void TWave::ResetControls() {
  SetTrackBar(tbStrength, kDefaultStrength);
  SetTrackBar(tbFrequency, kDefaultFrequency);
  SetTrackBar(tbCentreX, kDefaultCentre);
  SetTrackBar(tbCentreY, kDefaultCentre);
}

std::vector<int> TWave::SettingValues() const {
  return {static_cast<int>(BackgroundColour()), tbStrength->value(), tbFrequency->value(),
          tbCentreX->value(), tbCentreY->value()};
}

void TWave::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  RestoreColour(stored[0]);
  if (stored[1]) SetTrackBar(tbStrength, *stored[1]);
  if (stored[2]) SetTrackBar(tbFrequency, *stored[2]);
  if (stored[3]) SetTrackBar(tbCentreX, *stored[3]);
  if (stored[4]) SetTrackBar(tbCentreY, *stored[4]);
}

void WaveCommand(Host *main, Document *child) { RunPreviewCommand<TWave>(main, child); }
