#include "effects/dialogs/Frotateangle.h"

#include "effects/Distort.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include <cmath>

namespace {

QPushButton *SmallButton(const QString &name, const QString &caption) {
  auto *b = new QPushButton(caption);
  b->setObjectName(name);
  b->setAutoDefault(false);
  b->setFixedWidth(52);
  return b;
}

} // namespace

TRotateAngle::TRotateAngle(Host *main) : TDistortDialog(main, QStringLiteral("任意角度での回転")) {
  setObjectName(QStringLiteral("RotateAngle"));
  auto *grid = new QGridLayout;
  TrackBar = new QSlider(Qt::Horizontal);
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
  TrackBar->setRange(kAngleMin, kAngleMax);
  TrackBar->setPageStep(15);
  TrackBar->setValue(0);
  grid->addWidget(new QLabel(QStringLiteral("回転角度")), 0, 0, 1, 3);
  grid->addWidget(TrackBar, 1, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("-180")), 2, 0, Qt::AlignLeft);
  grid->addWidget(new QLabel(QStringLiteral("0")), 2, 1, Qt::AlignHCenter);
  grid->addWidget(new QLabel(QStringLiteral("180")), 2, 2, Qt::AlignRight);
  ControlsLayout()->addLayout(grid);

  auto *row = new QHBoxLayout;
  eAngle = new QLineEdit(QStringLiteral("0"));
  eAngle->setObjectName(QStringLiteral("eAngle"));
  eAngle->setFixedWidth(96);
  eAngle->setAlignment(Qt::AlignRight);
  bMinus1 = SmallButton(QStringLiteral("bMinus1"), QStringLiteral("-1"));
  bPlus1 = SmallButton(QStringLiteral("bPlus1"), QStringLiteral("+1"));
  bMinus01 = SmallButton(QStringLiteral("bMinus01"), QStringLiteral("-0.1"));
  bPlus01 = SmallButton(QStringLiteral("bPlus01"), QStringLiteral("+0.1"));
  row->addWidget(eAngle);
  row->addWidget(new QLabel(QStringLiteral("度")));
  row->addStretch(1);
  ControlsLayout()->addLayout(row);
  auto *steps = new QHBoxLayout;
  for (QPushButton *b : {bMinus1, bPlus1, bMinus01, bPlus01})
    steps->addWidget(b);
  steps->addStretch(1);
  ControlsLayout()->addLayout(steps);

  cbLines = new QCheckBox(QStringLiteral("基準線"));
  cbLines->setObjectName(QStringLiteral("cbLines"));
  cbLines->setChecked(true);
  ControlsLayout()->addWidget(cbLines);
  AddBackgroundRow();

  connect(TrackBar, &QSlider::valueChanged, this, &TRotateAngle::TrackBarChange);
  connect(eAngle, &QLineEdit::textEdited, this, [this] { Render(); });
  connect(bMinus1, &QPushButton::clicked, this, [this] { StepAngle(-1); });
  connect(bPlus1, &QPushButton::clicked, this, [this] { StepAngle(1); });
  connect(bMinus01, &QPushButton::clicked, this, [this] { StepAngle(-0.1); });
  connect(bPlus01, &QPushButton::clicked, this, [this] { StepAngle(0.1); });
  connect(cbLines, &QCheckBox::toggled, this, [this] { update(); });
}

double TRotateAngle::Angle() const {
  bool ok = false;
  const double v = eAngle->text().trimmed().toDouble(&ok);
  return ok && std::isfinite(v) ? v : 0;
}

void TRotateAngle::TrackBarChange(int position) {
  if (syncing_) return;
  eAngle->setText(QString::number(position));
  Render();
}

void TRotateAngle::Render() {
  Recompute();
  const double whole = std::trunc(Angle());
  syncing_ = true;
  TrackBar->setValue(static_cast<int>(std::clamp<double>(whole, kAngleMin, kAngleMax)));
  syncing_ = false;
}

void TRotateAngle::StepAngle(double step) {
  if (step < 0 && TrackBar->value() < kAngleMin + 1) return;
  if (step > 0 && TrackBar->value() >= kAngleMax) return;
  eAngle->setText(QString::number(Angle() + step));
  Render();
}

DibHandle TRotateAngle::NewPicture(IMGHANDLE source, Progress *progress) {
  return RotateFree(source, Angle(), Red(), Green(), Blue(), progress);
}

void TRotateAngle::ResetControls() {
  syncing_ = true;
  TrackBar->setValue(0);
  syncing_ = false;
  eAngle->setText(QStringLiteral("0"));
}

std::vector<int> TRotateAngle::SettingValues() const {
  return {static_cast<int>(BackgroundColour()), cbLines->isChecked() ? 1 : 0};
}

void TRotateAngle::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  RestoreColour(stored[0]);
  if (stored[1]) cbLines->setChecked(*stored[1] != 0);
}

void TRotateAngle::paintEvent(QPaintEvent *event) {
  TDistortDialog::paintEvent(event);
  if (!cbLines->isChecked()) return;
  // A horizontal and a vertical band through the middle of the frame.
  const QRect frame = FrameRect();
  QPainter p(this);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 0, 0, 160));
  p.drawRect(frame.left(), frame.center().y(), frame.width(), 1);
  p.drawRect(frame.center().x(), frame.top(), 1, frame.height());
}

void TRotateAngle::keyPressEvent(QKeyEvent *event) {
  // Enter finishes typing an angle here; it is not OK.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Render();
    return;
  }
  TDistortDialog::keyPressEvent(event);
}

void RotateAngleCommand(Host *main, Document *child) {
  RunPreviewCommand<TRotateAngle>(main, child);
}
