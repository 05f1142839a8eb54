#include "effects/dialogs/SoftenForm.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QSlider>

namespace {
constexpr int kBoth = 2;
} // namespace

TSoftenForm::TSoftenForm(Host *main)
    : PreviewDialog(main, QStringLiteral("画質のソフト化（ローパスフィルター）")) {
  setObjectName(QStringLiteral("SoftenForm"));
  rgArea = AddRadioChoice(
      QStringLiteral("rgArea"), QStringLiteral("処理対象部分"),
      {QStringLiteral("全体"), QStringLiteral("輪郭部以外"), QStringLiteral("輪郭部のみ")}, 3);
  rgDirection =
      AddRadioChoice(QStringLiteral("rgDirection"), QStringLiteral("ソフト化方向"),
                     {QStringLiteral("横"), QStringLiteral("縦"), QStringLiteral("縦横")}, 3);
  const SoftenSettings defaults;
  TrackBar1 = AddTrackBar(QStringLiteral("ソフト化の程度"), kSoftenStrengthMin, kSoftenStrengthMax,
                          defaults.strength);
  TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
  TrackBar1->setPageStep(1);
  TrackBar2 = AddTrackBar(QStringLiteral("輪郭部検出の閾値"), kSoftenThresholdMin,
                          kSoftenThresholdMax, defaults.threshold);
  TrackBar2->setObjectName(QStringLiteral("TrackBar2"));
  TrackBar2->setPageStep(16);
  rgMethod = AddRadioChoice(QStringLiteral("rgMethod"), QStringLiteral("処理手法"),
                            {QStringLiteral("面内平滑化"), QStringLiteral("隣接点平均")}, 2);
}

SoftenSettings TSoftenForm::Settings() const {
  SoftenSettings s;
  s.area = rgArea->checkedId();
  s.direction = rgDirection->checkedId();
  s.strength = TrackBar1->value();
  s.threshold = TrackBar2->value();
  s.method = rgMethod->checkedId();
  return s;
}

void TSoftenForm::SetSettings(const SoftenSettings &s) {
  // The method and area first: the rules they trigger on the way must not
  // take away the direction that is set next.
  SetRadio(rgMethod, s.method);
  SetRadio(rgArea, s.area);
  SetRadio(rgDirection, s.direction);
  SetTrackBar(TrackBar1, s.strength);
  SetTrackBar(TrackBar2, s.threshold);
  ControlsChanged();
}

// The record's fields, in their stored order.
std::vector<int> TSoftenForm::SettingValues() const {
  const SoftenSettings s = Settings();
  return {s.area, s.direction, s.strength, s.threshold, s.method};
}

void TSoftenForm::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  SoftenSettings s = Settings();
  int *const fields[] = {&s.area, &s.direction, &s.strength, &s.threshold, &s.method};
  for (size_t i = 0; i < stored.size(); ++i)
    if (stored[i]) *fields[i] = *stored[i];
  SetSettings(s);
}

void TSoftenForm::ControlsChanged() {
  const int area = rgArea->checkedId();
  const bool wholePicture = area == 0;
  TrackBar2->setEnabled(!wholePicture);
  // The edge-aware averaging passes know only one direction at a time.
  QAbstractButton *both = rgDirection->button(kBoth);
  if (rgMethod->checkedId() == 1 && !wholePicture && area >= 0) {
    if (both->isChecked()) SetRadio(rgDirection, 0);
    both->setEnabled(false);
  } else {
    both->setEnabled(true);
  }
}

void TSoftenForm::Adjust(TMDIB &dib, Progress *progress) { Soften(dib, Settings(), progress); }

void TSoftenForm::ResetControls() { SetSettings(SoftenSettings{}); }

int TSoftenForm::ProgressMaximum() const {
  return child_ ? SoftenProgressRange(Settings(), child_->Height()) : 0;
}

bool TSoftenForm::ReadyToApply() const {
  const SoftenSettings s = Settings();
  return s.area >= 0 && s.direction >= 0 && s.method >= 0;
}

void SoftenCommand(Host *main, Document *child) { RunPreviewCommand<TSoftenForm>(main, child); }

void NoiseRemovalBCommand(Host *main, Document *child) {
  ApplyUnseen<TSoftenForm>(main, child,
                           [](TSoftenForm &form) { form.SetSettings(NoiseRemovalBSettings()); });
  if (main && main->WaitWindow()) main->WaitWindow()->End();
}
