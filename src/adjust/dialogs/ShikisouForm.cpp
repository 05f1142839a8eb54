#include "adjust/dialogs/ShikisouForm.h"

#include "adjust/Shikisou.h"
#include "forms/Document.h"
#include "forms/Host.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>

#include <cmath>

namespace {
constexpr double kPi = 3.1415; // as the circle has always been drawn

// The coarse and the fine slider together span the routine's shifts.
constexpr int kCoarse = 180, kFine = 10;
static_assert(-kCoarse - kFine == kHueShiftMin && kCoarse + kFine == kHueShiftMax);

const QString kLetters[3] = {QStringLiteral("Ｒ"), QStringLiteral("Ｇ"), QStringLiteral("Ｂ")};
const QColor kColours[3] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255)};

void DrawCentred(QPainter &p, QPointF at, const QString &text) {
  const QRectF box(at.x() - 10, at.y() - 9, 20, 18);
  p.drawText(box, Qt::AlignCenter, text);
}
} // namespace

HueCircle::HueCircle(Style style, QWidget *parent) : QWidget(parent), style_(style) {
  setFixedSize(kSide, kSide);
}

void HueCircle::SetShift(int degrees) {
  shift_ = degrees;
  update();
}

void HueCircle::SetMarkers(const std::vector<int> &degrees) {
  markers_ = degrees;
  update();
}

QPointF HueCircle::CirclePoint(QPointF centre, double radius, double degrees) {
  const double a = degrees * kPi / 180.0;
  return QPointF(centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a));
}

void HueCircle::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c = Centre();
  p.setPen(QColor(160, 160, 160));
  p.setBrush(QColor(48, 48, 48));
  p.drawEllipse(c, kRadius, kRadius);
  QFont bold = font();
  bold.setBold(true);
  p.setFont(bold);
  for (int i = 0; i < 3; ++i) {
    const double angle = 120.0 * i;
    if (style_ == Style::Shift) {
      p.setPen(Qt::white);
      DrawCentred(p, CirclePoint(c, kRadius * 0.7, angle), kLetters[i]);
      p.setPen(kColours[i]);
      DrawCentred(p, CirclePoint(c, kRadius, angle + shift_), kLetters[i]);
    } else {
      p.setPen(kColours[i]);
      DrawCentred(p, CirclePoint(c, kRadius, angle), kLetters[i]);
    }
  }
  if (style_ == Style::Markers) {
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::NoBrush);
    for (int degrees : markers_)
      p.drawEllipse(CirclePoint(c, kRadius * 0.7, degrees), 4.0, 4.0);
  }
}

TShikisouForm::TShikisouForm(Host *main) : PreviewDialog(main, QStringLiteral("色相補正")) {
  auto *grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("補正")), 0, 0, 1, 3);
  TrackBar1 = new QSlider(Qt::Horizontal);
  TrackBar1->setRange(-kCoarse, kCoarse);
  TrackBar1->setPageStep(10);
  grid->addWidget(TrackBar1, 1, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("-180")), 2, 0, Qt::AlignLeft);
  grid->addWidget(new QLabel(QStringLiteral("0")), 2, 1, Qt::AlignHCenter);
  grid->addWidget(new QLabel(QStringLiteral("180")), 2, 2, Qt::AlignRight);
  grid->addWidget(new QLabel(QStringLiteral("微調整")), 3, 0, 1, 3);
  TrackBar2 = new QSlider(Qt::Horizontal);
  TrackBar2->setRange(-kFine, kFine);
  TrackBar2->setPageStep(1);
  grid->addWidget(TrackBar2, 4, 0, 1, 3);
  ControlsLayout()->addLayout(grid);

  auto *row = new QHBoxLayout;
  auto *values = new QVBoxLayout;
  auto *caption = new QLabel(QStringLiteral("色相補正値"));
  lShift = new QLabel(QStringLiteral("0"));
  lShift->setMinimumWidth(48);
  values->addWidget(caption);
  values->addWidget(lShift);
  values->addStretch();
  row->addLayout(values);
  Circle = new HueCircle(HueCircle::Style::Shift);
  row->addWidget(Circle);
  row->addStretch();
  ControlsLayout()->addLayout(row);

  for (QSlider *bar : {TrackBar1, TrackBar2})
    connect(bar, &QSlider::valueChanged, this, [this] {
      Recompute();
      ShowShift();
    });
}

int TShikisouForm::Shift() const { return TrackBar1->value() + TrackBar2->value(); }

void TShikisouForm::ShowShift() {
  lShift->setText(QString::number(Shift()));
  Circle->SetShift(Shift());
}

void TShikisouForm::Adjust(TMDIB &dib, Progress *progress) { HueChange(dib, Shift(), progress); }

void TShikisouForm::ResetControls() {
  SetTrackBar(TrackBar1, 0);
  SetTrackBar(TrackBar2, 0);
  ShowShift();
}

void ShikisouCommand(Host *main, Document *child) { RunPreviewCommand<TShikisouForm>(main, child); }
