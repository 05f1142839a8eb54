#include "adjust/dialogs/Histgram.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {
// Bins 0 ... 255 at x = i + 1, a pixel of margin either side.
constexpr int kDisplayWidth = 258;
constexpr int kDisplayHeight = 150;
constexpr int kImageLeft = 12;
constexpr int kImageTop = 12;

int32_t Clip(uint32_t count) {
  return static_cast<int32_t>(
      std::min<uint32_t>(count, static_cast<uint32_t>(std::numeric_limits<int32_t>::max())));
}
} // namespace

QHBoxLayout *MakeChannelRow(QWidget *owner, ChannelRadios &radios) {
  auto *row = new QHBoxLayout;
  radios.red = new QRadioButton(QStringLiteral("R"));
  radios.green = new QRadioButton(QStringLiteral("G"));
  radios.blue = new QRadioButton(QStringLiteral("B"));
  radios.average = new QRadioButton(QStringLiteral("平均"));
  radios.average->setChecked(true);
  radios.group = new QButtonGroup(owner);
  const std::pair<QRadioButton *, int> choices[] = {{radios.red, lcRed},
                                                    {radios.green, lcGreen},
                                                    {radios.blue, lcBlue},
                                                    {radios.average, lcAverage}};
  for (const auto &[button, channel] : choices) {
    radios.group->addButton(button, channel);
    row->addWidget(button);
  }
  return row;
}

Histograms DocumentHistograms(const Document *child) {
  Histograms h;
  if (!child) return h;
  h.pixelCount = child->Width() * child->Height();
  // The document keeps blue, green, red, average.
  for (int i = 0; i < 256; ++i) {
    h.blue[i] = Clip(child->Histogram()[0][static_cast<size_t>(i)]);
    h.green[i] = Clip(child->Histogram()[1][static_cast<size_t>(i)]);
    h.red[i] = Clip(child->Histogram()[2][static_cast<size_t>(i)]);
    h.average[i] = Clip(child->Histogram()[3][static_cast<size_t>(i)]);
  }
  return h;
}

QColor HistogramPen(int channel) {
  switch (channel) {
  case lcRed: return QColor(255, 0, 0);
  case lcGreen: return QColor(0, 128, 0);
  case lcBlue: return QColor(0, 0, 255);
  default: return QColor(128, 128, 128);
  }
}

void DrawHistogram(QImage &image, const int32_t histogram[256], int channel, int xOffset) {
  image.fill(Qt::white);
  int32_t most = 0;
  for (int i = 0; i < 256; ++i)
    most = std::max(most, histogram[i]);
  if (most <= 0) return;
  const int h = image.height();
  QPainter p(&image);
  p.setPen(HistogramPen(channel));
  for (int i = 0; i < 256; ++i) {
    const int x = i + xOffset;
    const auto rise = static_cast<int>(static_cast<int64_t>(histogram[i]) * (h - 4) / most);
    p.drawLine(x, h - 2, x, h - rise - 2);
  }
}

THistgramForm::THistgramForm(Host *main)
    : DocumentDialog(main), image_(kDisplayWidth, kDisplayHeight, QImage::Format_RGB32) {
  setWindowTitle(QStringLiteral("ヒストグラム"));
  setModal(true);
  image_.fill(Qt::white);

  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(kImageLeft, kImageTop + kDisplayHeight + 8, kImageLeft, 10);
  ChannelRadios radios;
  auto *row = MakeChannelRow(this, radios);
  rbRed = radios.red;
  rbGreen = radios.green;
  rbBlue = radios.blue;
  rbAverage = radios.average;
  auto *group = radios.group;
  row->addStretch();
  auto *ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  row->addWidget(ok);
  outer->addLayout(row);
  connect(group, &QButtonGroup::idClicked, this, &THistgramForm::ShowChannel);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setFixedSize(kDisplayWidth + 2 * kImageLeft, kImageTop + kDisplayHeight + 56);
}

void THistgramForm::Prepare(Document *child) {
  histograms_ = DocumentHistograms(child);
  rbAverage->setChecked(true);
  ShowChannel(lcAverage);
}

void THistgramForm::ShowChannel(int channel) {
  channel_ = channel;
  DrawHistogram(image_, HistogramOf(histograms_, channel), channel, 1);
  update();
}

void THistgramForm::paintEvent(QPaintEvent *event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  p.drawImage(kImageLeft, kImageTop, image_);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(kImageLeft - 1, kImageTop - 1, image_.width() + 1, image_.height() + 1);
}

void THistgramForm::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter:
  case Qt::Key_Escape: accept(); return;
  default: QDialog::keyPressEvent(event);
  }
}

void HistgramCommand(Host *main, Document *child) {
  if (!child) return;
  child->ComputeHistogram();
  {
    THistgramForm dialog(main);
    dialog.Prepare(child);
    dialog.exec();
  }
  if (main) main->Window()->raise();
}
