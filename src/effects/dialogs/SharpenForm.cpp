#include "effects/dialogs/SharpenForm.h"

#include "effects/Effects.h"
#include "effects/Fsharpen.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "image/Dib.h"

#include <QButtonGroup>
#include <QSlider>

namespace {
const QString kSettingName = QStringLiteral("Sharp");
} // namespace

TSharpenForm::TSharpenForm(Host *main)
    : PreviewDialog(main, QStringLiteral("シャープ化（ハイパスフィルター）")) {
  setObjectName(QStringLiteral("SharpenForm"));
  rgType = AddRadioChoice(
      QStringLiteral("rgType"), QStringLiteral("シャープ化フィルタの種類"),
      {QStringLiteral("画質良好"), QStringLiteral("強力タイプ１"), QStringLiteral("強力タイプ２")},
      3);
  TrackBar = AddTrackBar(QStringLiteral("シャープ化程度"), kSharpenStrengthMin, kSharpenStrengthMax,
                         kDefaultStrength);
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
}

void TSharpenForm::Prepare(Document *child) {
  PreviewDialog::Prepare(child);
  const auto stored = Remembered(kSettingName, 2);
  if (stored[0]) SetRadio(rgType, *stored[0]);
  if (stored[1]) SetTrackBar(TrackBar, *stored[1]);
  Recompute();
  RefreshValueTexts();
}

void TSharpenForm::Adjust(TMDIB &dib, Progress *progress) {
  effects::FromCopy(dib, [&](TMDIB &dest, const TMDIB &source) {
    SharpenImage(dest, source, rgType->checkedId(), TrackBar->value(), progress);
  });
}

void TSharpenForm::ResetControls() {
  SetRadio(rgType, kDefaultType);
  SetTrackBar(TrackBar, kDefaultStrength);
}

bool TSharpenForm::ReadyToApply() const { return rgType->checkedId() >= 0; }

void TSharpenForm::Applied() { Remember(kSettingName, {rgType->checkedId(), TrackBar->value()}); }

void SharpenCommand(Host *main, Document *child) {
  RunPreviewCommand<TSharpenForm>(main, child, 16);
}
