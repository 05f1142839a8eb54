#include "effects/dialogs/DistortDialog.h"

#include "effects/Distort.h"
#include "forms/Document.h"
#include "image/Dib.h"
#include "platform/UserDialogs.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int kPreviewSide = 100;
constexpr int kCentreRadius = 3;

// 0xRRGGBB (the colour dialog's) and the platform packing, red lowest.
unsigned SwapRedBlue(unsigned colour) {
  return ((colour & 0xff) << 16) | (colour & 0xff00) | ((colour >> 16) & 0xff);
}

} // namespace

TDistortDialog::TDistortDialog(Host *main, const QString &caption)
    : PreviewDialog(main, caption, QPoint(288, 8), kFrame) {}

void TDistortDialog::AddBackgroundRow() {
  auto *row = new QHBoxLayout;
  lColour = new QLabel;
  lColour->setObjectName(QStringLiteral("lColour"));
  lColour->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lColour->setFixedSize(48, 22);
  lColour->setAutoFillBackground(true);
  bColour = new QPushButton(QStringLiteral("背景色指定"));
  bColour->setObjectName(QStringLiteral("bColour"));
  bColour->setAutoDefault(false);
  row->addWidget(new QLabel(QStringLiteral("背景色")));
  row->addWidget(lColour);
  row->addStretch(1);
  row->addWidget(bColour);
  ControlsLayout()->addLayout(row);
  connect(bColour, &QPushButton::clicked, this, &TDistortDialog::bColourClick);
  ShowColour();
}

void TDistortDialog::ShowColour() {
  if (!lColour) return;
  QPalette p = lColour->palette();
  p.setColor(QPalette::Window, QColor::fromRgb(SwapRedBlue(colour_)));
  lColour->setPalette(p);
}

void TDistortDialog::SetBackgroundColour(unsigned colourRef) {
  colour_ = colourRef & 0xffffffu;
  ShowColour();
  Recompute();
}

void TDistortDialog::RestoreColour(const std::optional<int> &stored) {
  if (!stored) return;
  colour_ = static_cast<unsigned>(*stored) & 0xffffffu;
  ShowColour();
}

void TDistortDialog::bColourClick() {
  unsigned rgb = SwapRedBlue(colour_);
  if (UserDialogs::ChooseColour(this, rgb)) SetBackgroundColour(SwapRedBlue(rgb));
}

DibHandle TDistortDialog::ReducedPreview(IMGHANDLE image) {
  if (!image) return {};
  const auto *header = static_cast<const IMGKIT_BMIH *>(image);
  const int w = header->biWidth, h = header->biHeight;
  if (w <= 0 || h <= 0) return {};
  int pw = kPreviewSide, ph = kPreviewSide;
  if (h < w)
    ph = static_cast<int>(int64_t{h} * kPreviewSide / w);
  else
    pw = static_cast<int>(int64_t{w} * kPreviewSide / h);
  return DibHandle(Kit.ImgKitImageSize(image, "", "", std::max(pw, 1), std::max(ph, 1)));
}

DibHandle TDistortDialog::MakePreviewSource(Document *child) {
  return ReducedPreview(child->Picture().get());
}

void TDistortDialog::AddCentreBars() {
  ControlsLayout()->addWidget(new QLabel(QStringLiteral("波の中心")));
  tbCentreX = AddTrackBar(QStringLiteral("X"), kCentreMin, kCentreMax, kDefaultCentre);
  tbCentreX->setObjectName(QStringLiteral("tbCentreX"));
  tbCentreY = AddTrackBar(QStringLiteral("Y"), kCentreMin, kCentreMax, kDefaultCentre);
  tbCentreY->setObjectName(QStringLiteral("tbCentreY"));
}

void TDistortDialog::paintEvent(QPaintEvent *event) {
  PreviewDialog::paintEvent(event);
  const QRect shown = PreviewRect();
  if (!tbCentreX || !tbCentreY || shown.isEmpty()) return;
  const QPoint centre(shown.left() + shown.width() * tbCentreX->value() / 100,
                      shown.top() + shown.height() * tbCentreY->value() / 100);
  QPainter painter(this);
  painter.setPen(QPen(Qt::red, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, kCentreRadius, kCentreRadius);
}
