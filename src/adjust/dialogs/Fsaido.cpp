#include "adjust/dialogs/Fsaido.h"

#include "adjust/Tone.h"

#include <QSlider>

TSaidoForm::TSaidoForm(Host *main) : PreviewDialog(main, QStringLiteral("彩度調整")) {
  setObjectName(QStringLiteral("SaidoForm"));
  TrackBar = AddTrackBar(QStringLiteral("彩度調整値"), kSaturationMin, kSaturationMax, 0,
                         QStringLiteral("低彩度"), QStringLiteral("鮮やか"));
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
}

void TSaidoForm::Adjust(TMDIB &dib, Progress *progress) {
  Saturation(dib, TrackBar->value(), progress);
}

void TSaidoForm::ResetControls() { SetTrackBar(TrackBar, 0); }
