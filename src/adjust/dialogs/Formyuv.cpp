#include "adjust/dialogs/Formyuv.h"

#include "image/Dib.h"

#include <QSlider>

TYUVForm::TYUVForm(Host *main) : PreviewDialog(main, QStringLiteral("ＹＵＶ補正")) {
  setObjectName(QStringLiteral("YUVForm"));
  TrackBarY = AddTrackBar(QStringLiteral("Ｙ（明るさ）"), kYuvMin, kYuvMax, 0);
  TrackBarU = AddTrackBar(QStringLiteral("Ｕ（青み）"), kYuvMin, kYuvMax, 0);
  TrackBarV = AddTrackBar(QStringLiteral("Ｖ（赤み）"), kYuvMin, kYuvMax, 0);
  TrackBarY->setObjectName(QStringLiteral("TrackBarY"));
  TrackBarU->setObjectName(QStringLiteral("TrackBarU"));
  TrackBarV->setObjectName(QStringLiteral("TrackBarV"));
}

ChannelOffsets TYUVForm::Offsets() const {
  return YuvToOffsets(TrackBarY->value(), TrackBarU->value(), TrackBarV->value());
}

void TYUVForm::KitAdjust(IMGHANDLE image, const char *, const char *) {
  TMDIB dib(image);
  YuvBalance(dib, TrackBarY->value(), TrackBarU->value(), TrackBarV->value());
}

void TYUVForm::ResetControls() {
  SetTrackBar(TrackBarY, 0);
  SetTrackBar(TrackBarU, 0);
  SetTrackBar(TrackBarV, 0);
}
