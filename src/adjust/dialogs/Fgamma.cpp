#include "adjust/dialogs/Fgamma.h"

#include "adjust/Tone.h"

#include <QSlider>

TGammaForm::TGammaForm(Host *main) : PreviewDialog(main, QStringLiteral("ガンマ補正")) {
  setObjectName(QStringLiteral("GammaForm"));
  TrackBar = AddTrackBar(QStringLiteral("ガンマ補正値"), kGammaMin, kGammaMax, 100);
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
}

void TGammaForm::Adjust(TMDIB &dib, Progress *progress) { Gamma(dib, TrackBar->value(), progress); }

void TGammaForm::ResetControls() { SetTrackBar(TrackBar, 100); }
