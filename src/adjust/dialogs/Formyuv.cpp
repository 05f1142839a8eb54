#include "adjust/dialogs/Formyuv.h"

#include <QSlider>

TYUVForm::TYUVForm(Host *main) : PreviewDialog(main, QStringLiteral("ＹＵＶ補正")) {
  setObjectName(QStringLiteral("YUVForm"));
  TrackBarY = AddTrackBar(QStringLiteral("Ｙ（明るさ）"), -50, 50, 0);
  TrackBarU = AddTrackBar(QStringLiteral("Ｕ（青み）"), -50, 50, 0);
  TrackBarV = AddTrackBar(QStringLiteral("Ｖ（赤み）"), -50, 50, 0);
  TrackBarY->setObjectName(QStringLiteral("TrackBarY"));
  TrackBarU->setObjectName(QStringLiteral("TrackBarU"));
  TrackBarV->setObjectName(QStringLiteral("TrackBarV"));
}

ChannelOffsets TYUVForm::Offsets() const {
  return YuvToOffsets(TrackBarY->value(), TrackBarU->value(), TrackBarV->value());
}

void TYUVForm::KitAdjust(IMGHANDLE image, const char *caption, const char *message) {
  const ChannelOffsets o = Offsets();
  Kit.ImgKitRGB(image, caption, message, o.red, o.green, o.blue);
}

void TYUVForm::ResetControls() {
  SetTrackBar(TrackBarY, 0);
  SetTrackBar(TrackBarU, 0);
  SetTrackBar(TrackBarV, 0);
}
