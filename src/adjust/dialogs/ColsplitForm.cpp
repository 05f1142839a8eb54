#include "adjust/dialogs/ColsplitForm.h"

#include "adjust/Colsplit.h"
#include "adjust/dialogs/ShikisouForm.h"
#include "forms/Document.h"
#include "forms/Host.h"

#include <QBoxLayout>
#include <QSlider>

TColsplitForm::TColsplitForm(Host *main) : PreviewDialog(main, QStringLiteral("特定色相の強調")) {
  tb1 = AddTrackBar(QStringLiteral("強調色相の中心"), kEmphasisCentreMin, kEmphasisCentreMax, 0);
  tb2 = AddTrackBar(QStringLiteral("強調色相の幅"), kEmphasisWidthMin, kEmphasisWidthMax, 65);
  tb3 = AddTrackBar(QStringLiteral("強調色相の彩度"), kEmphasisSaturationMin,
                    kEmphasisSaturationMax, 0);
  tb4 = AddTrackBar(QStringLiteral("非強調部の彩度"), kEmphasisSaturationMin,
                    kEmphasisSaturationMax, -100);
  Circle = new HueCircle(HueCircle::Style::Markers);
  ControlsLayout()->addWidget(Circle, 0, Qt::AlignHCenter);
  for (QSlider *bar : {tb1, tb2})
    connect(bar, &QSlider::valueChanged, this, &TColsplitForm::PlaceMarkers);
  PlaceMarkers();
}

void TColsplitForm::Prepare(Document *child) {
  PreviewDialog::Prepare(child);
  PlaceMarkers();
}

std::vector<int> TColsplitForm::SettingValues() const {
  return {tb1->value(), tb2->value(), tb3->value(), tb4->value()};
}

void TColsplitForm::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  // Only the fields that are there; the bars keep a stored value within
  // their ranges.
  QSlider *const bars[] = {tb1, tb2, tb3, tb4};
  for (size_t i = 0; i < stored.size(); ++i)
    if (stored[i]) SetTrackBar(bars[i], *stored[i]);
}

void TColsplitForm::PlaceMarkers() {
  const int centre = tb1->value(), width = tb2->value();
  Circle->SetMarkers({centre, centre - width, centre + width});
}

void TColsplitForm::Adjust(TMDIB &dib, Progress *progress) {
  HueEmphasis(dib, tb1->value(), tb2->value(), tb3->value(), tb4->value(), progress);
}

void TColsplitForm::ResetControls() {
  SetTrackBar(tb1, 0);
  SetTrackBar(tb2, 65);
  SetTrackBar(tb3, 0);
  SetTrackBar(tb4, -100);
  PlaceMarkers();
}

void KyochoCommand(Host *main, Document *child) { RunPreviewCommand<TColsplitForm>(main, child); }
