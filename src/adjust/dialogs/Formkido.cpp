#include "adjust/dialogs/Formkido.h"

#include "adjust/Tone.h"

#include <QSlider>

TKidoForm::TKidoForm(Host *main) : PreviewDialog(main, QStringLiteral("輝度調整")) {
  setObjectName(QStringLiteral("KidoForm"));
  TrackBar = AddTrackBar(QStringLiteral("輝度補正値"), kBrightnessMin, kBrightnessMax, 0);
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
}

double TKidoForm::Factor() const { return TrackBar->value() * 0.05; }

void TKidoForm::KitAdjust(IMGHANDLE image, const char *, const char *) {
  TMDIB dib(image);
  Brightness(dib, TrackBar->value());
}

void TKidoForm::ResetControls() { SetTrackBar(TrackBar, 0); }
