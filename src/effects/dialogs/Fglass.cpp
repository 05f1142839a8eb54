#include "effects/dialogs/Fglass.h"

#include "effects/Distort.h"

#include <QButtonGroup>
#include <QSlider>

TGlass::TGlass(Host *main) : TDistortDialog(main, QStringLiteral("透かしガラスフィルタ")) {
  setObjectName(QStringLiteral("Glass"));
  rgDirection =
      AddRadioChoice(QStringLiteral("rgDirection"), QStringLiteral("方向"),
                     {QStringLiteral("縦"), QStringLiteral("横"), QStringLiteral("格子")}, 3);
  tbDepth =
      AddTrackBar(QStringLiteral("凹凸の深さ"), kGlassDepthMin, kGlassDepthMax, kDefaultDepth);
  tbDepth->setObjectName(QStringLiteral("tbDepth"));
  tbWidth = AddTrackBar(QStringLiteral("凹凸の幅"), kGlassWidthMin, kGlassWidthMax, kDefaultWidth);
  tbWidth->setObjectName(QStringLiteral("tbWidth"));
  AddBackgroundRow();
}

DibHandle TGlass::NewPicture(IMGHANDLE source, Progress *progress) {
  return GlassMap(source, rgDirection->checkedId(), tbDepth->value(), tbWidth->value(), Red(),
                  Green(), Blue(), progress);
}

void TGlass::ResetControls() {
  SetRadio(rgDirection, kDefaultDirection);
  SetTrackBar(tbDepth, kDefaultDepth);
  SetTrackBar(tbWidth, kDefaultWidth);
}

bool TGlass::ReadyToApply() const { return rgDirection->checkedId() >= 0; }

std::vector<int> TGlass::SettingValues() const {
  return {static_cast<int>(BackgroundColour()), tbDepth->value(), tbWidth->value(),
          rgDirection->checkedId()};
}

void TGlass::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  RestoreColour(stored[0]);
  if (stored[1]) SetTrackBar(tbDepth, *stored[1]);
  if (stored[2]) SetTrackBar(tbWidth, *stored[2]);
  if (stored[3]) SetRadio(rgDirection, *stored[3]);
}

void GlassCommand(Host *main, Document *child) { RunPreviewCommand<TGlass>(main, child); }
