#include "effects/dialogs/Fuzu.h"

#include "effects/Distort.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QSlider>

TUzu::TUzu(Host *main) : TDistortDialog(main, QStringLiteral("渦巻フィルタ")) {
  setObjectName(QStringLiteral("Uzu"));
  tbAmount =
      AddTrackBar(QStringLiteral("巻き加減"), kSwirlAmountMin, kSwirlAmountMax, kDefaultAmount);
  tbAmount->setObjectName(QStringLiteral("tbAmount"));
  rgDirection = AddRadioChoice(QStringLiteral("rgDirection"), QStringLiteral("巻き方向"),
                               {QStringLiteral("右巻き"), QStringLiteral("左巻き")}, 2);
  AddCentreBars();
  AddBackgroundRow();
}

DibHandle TUzu::NewPicture(IMGHANDLE source, Progress *progress) {
  return SwirlMap(source, tbAmount->value(), rgDirection->checkedId(), tbCentreX->value(),
                  tbCentreY->value(), Red(), Green(), Blue(), progress);
}

void TUzu::ResetControls() {
  SetTrackBar(tbAmount, kDefaultAmount);
  SetRadio(rgDirection, kDefaultDirection);
  SetTrackBar(tbCentreX, kDefaultCentre);
  SetTrackBar(tbCentreY, kDefaultCentre);
}

bool TUzu::ReadyToApply() const { return rgDirection->checkedId() >= 0; }

std::vector<int> TUzu::SettingValues() const {
  return {static_cast<int>(BackgroundColour()), tbAmount->value(), rgDirection->checkedId(),
          tbCentreX->value(), tbCentreY->value()};
}

void TUzu::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  RestoreColour(stored[0]);
  if (stored[1]) SetTrackBar(tbAmount, *stored[1]);
  if (stored[2]) SetRadio(rgDirection, *stored[2]);
  if (stored[3]) SetTrackBar(tbCentreX, *stored[3]);
  if (stored[4]) SetTrackBar(tbCentreY, *stored[4]);
}

void UzuCommand(Host *main, Document *child) { RunPreviewCommand<TUzu>(main, child); }
