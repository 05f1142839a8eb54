#include "effects/dialogs/SharpenForm.h"

#include "effects/Effects.h"
#include "effects/Fsharpen.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "image/Dib.h"

#include <QButtonGroup>
#include <QSlider>

namespace {} // namespace

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

std::vector<int> TSharpenForm::SettingValues() const {
  return {rgType->checkedId(), TrackBar->value()};
}

void TSharpenForm::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  if (stored[0]) SetRadio(rgType, *stored[0]);
  if (stored[1]) SetTrackBar(TrackBar, *stored[1]);
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

void SharpenCommand(Host *main, Document *child) { RunPreviewCommand<TSharpenForm>(main, child); }
