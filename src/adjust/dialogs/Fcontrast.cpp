#include "adjust/dialogs/Fcontrast.h"

#include "adjust/Tone.h"

#include <QSlider>

TContrastForm::TContrastForm(Host *main) : PreviewDialog(main, QStringLiteral("コントラスト調整")) {
  setObjectName(QStringLiteral("ContrastForm"));
  TrackBar = AddTrackBar(QStringLiteral("コントラスト補正値"), kContrastMin, kContrastMax, 0,
                         QStringLiteral("ぼんやり"), QStringLiteral("くっきり"));
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
}

void TContrastForm::Adjust(TMDIB &dib, Progress *progress) {
  Contrast(dib, TrackBar->value(), progress);
}

void TContrastForm::ResetControls() { SetTrackBar(TrackBar, 0); }
