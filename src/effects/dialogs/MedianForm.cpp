#include "effects/dialogs/MedianForm.h"

#include "effects/Effects.h"
#include "effects/Median.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"
#include "platform/UserDialogs.h"

#include <QButtonGroup>
#include <QSlider>

namespace {} // namespace

TMedianForm::TMedianForm(Host *main)
    : PreviewDialog(main, QStringLiteral("ノイズ除去（メディアンフィルター）")) {
  setObjectName(QStringLiteral("MedianForm"));
  rgMethod =
      AddRadioChoice(QStringLiteral("rgMethod"), QStringLiteral("ノイズ除去方法"),
                     {QStringLiteral("通常法（ﾒﾃﾞｨｱﾝ）"), QStringLiteral("＋輪郭部保存")}, 2);
  // Enabled in both methods; the plain median ignores it.
  TrackBar = AddTrackBar(QStringLiteral("輪郭検出の閾値 （輪郭部保存時のみ有効）"),
                         kMedianDialogThresholdMin, kMedianDialogThresholdMax, kDefaultThreshold);
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
  TrackBar->setPageStep(16);
}

std::vector<int> TMedianForm::SettingValues() const {
  return {rgMethod->checkedId(), TrackBar->value()};
}

void TMedianForm::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  if (stored[0]) SetRadio(rgMethod, *stored[0]);
  if (stored[1]) SetTrackBar(TrackBar, *stored[1]);
}

void TMedianForm::Adjust(TMDIB &dib, Progress *progress) {
  effects::FromCopy(dib, [&](TMDIB &dest, const TMDIB &source) {
    MedianFilter(dest, source, rgMethod->checkedId(), TrackBar->value(), progress);
  });
}

void TMedianForm::ResetControls() {
  SetRadio(rgMethod, kDefaultMethod);
  SetTrackBar(TrackBar, kDefaultThreshold);
}

bool TMedianForm::ReadyToApply() const { return rgMethod->checkedId() >= 0; }

void MedianCommand(Host *main, Document *child) { RunPreviewCommand<TMedianForm>(main, child); }

void MedianButtonCommand(Host *main, Document *child) {
  ApplyUnseen<TMedianForm>(main, child, [](TMedianForm &) {});
}

void NoiseRemovalACommand(Host *main, Document *child) {
  if (!CanAdjust(child)) return;
  TfWaitMess *wait = main ? main->WaitWindow() : nullptr;
  if (main) main->Window()->setEnabled(false);
  child->RecordUndo();
  if (wait) wait->Begin(5 * child->Height());
  const bool done = NoiseRemovalA(child->Picture(), wait);
  if (wait) wait->End();
  child->Commit();
  if (main) {
    main->Window()->setEnabled(true);
    main->Window()->raise();
  }
  if (!done) UserDialogs::OutOfMemory(WindowOf(main));
}
