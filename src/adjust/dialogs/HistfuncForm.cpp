#include "adjust/dialogs/HistfuncForm.h"

#include "adjust/Tone.h"
#include "adjust/dialogs/Histgram.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "image/Dib.h"
#include "platform/Settings.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

namespace {
// The histogram at x = level + 51 and the band strip, whose coordinates
// run 5 pixels ahead of the histogram's, so that the band's left edge at 56
// stands over level 0.
constexpr int kHistLeftOffset = 51;
constexpr int kStripShift = 5;
constexpr int kViewWidth = 372;
constexpr int kLabelTop = 0;
constexpr int kLabelHeight = 14;
constexpr int kHistTop = 16;
constexpr int kHistWidth = 364;
constexpr int kHistHeight = 128;
constexpr int kStripTop = kHistTop + kHistHeight + 4;
constexpr int kStripHeight = 16;
constexpr int kMarkerTop = kStripTop + kStripHeight + 1;
constexpr int kHintTop = kMarkerTop + 16;
constexpr int kViewHeight = kHintTop + 18;

// The strip's ends hold the range to kLevelsMin ... kLevelsMax.
static_assert(THistFuncForm::kMinBandLeft - kLevelsBandLeft == kLevelsMin);
static_assert(THistFuncForm::kMaxBandRight - (kLevelsBandLeft + 1) == kLevelsMax);
} // namespace

// The histogram, the centre marker and the band strip: paints the dialog's
// state and hands the mouse to it.
class HistBandView : public QWidget {
public:
  explicit HistBandView(THistFuncForm *form) : form_(form) {
    setFixedSize(kViewWidth, kViewHeight);
  }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.drawImage(0, kHistTop, form_->HistogramImage());
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(0, kHistTop, kHistWidth - 1, kHistHeight - 1);

    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);
    // The centre marker: its label, and the blue line under it.
    p.setPen(QColor(0, 0, 255));
    p.drawLine(form_->LineLeft(), kHistTop, form_->LineLeft(), kHistTop + kHistHeight - 1);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(form_->LabelLeft(), kLabelTop, THistFuncForm::kLabelWidth, kLabelHeight),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, QStringLiteral("CENTER"));

    // The strip and its band.
    const int stripLeft = THistFuncForm::kMinBandLeft - kStripShift;
    const int stripRight = THistFuncForm::kMaxBandRight - kStripShift;
    p.fillRect(QRect(stripLeft, kStripTop, stripRight - stripLeft, kStripHeight),
               QColor(224, 224, 224));
    const QRect band =
        QRect(form_->BandLeft() - kStripShift, kStripTop + 2, form_->BandWidth(), kStripHeight - 4)
            .normalized();
    p.fillRect(band, QColor(64, 64, 160));
    p.setPen(QColor(255, 0, 0));
    p.drawText(QRect(band.left(), kMarkerTop, 40, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral(" 0 "));
    p.drawText(QRect(band.right() - 40, kMarkerTop, 40, 14), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral(" 255 "));
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(0, kHintTop, kViewWidth, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("この帯の両端をドラッグして明度範囲を指定します"));
  }

  void mousePressEvent(QMouseEvent *event) override {
    const QPoint at = event->position().toPoint();
    const QRect label(form_->LabelLeft(), kLabelTop, THistFuncForm::kLabelWidth, kLabelHeight);
    if (event->button() != Qt::LeftButton) return;
    if (label.contains(at)) {
      form_->CenterMouseDown(static_cast<int>(event->globalPosition().x()));
    } else if (at.y() >= kStripTop && at.y() < kStripTop + kStripHeight) {
      form_->StripMouseDown(at.x() + kStripShift);
      strip_ = true;
    }
    update();
  }

  void mouseMoveEvent(QMouseEvent *event) override {
    if (form_->DragMode() == 3)
      form_->CenterMouseMove(static_cast<int>(event->globalPosition().x()));
    else if (form_->DragMode() != 0)
      form_->StripMouseMove(event->position().toPoint().x() + kStripShift);
    update();
  }

  void mouseReleaseEvent(QMouseEvent *) override {
    if (form_->DragMode() == 3)
      form_->CenterMouseUp();
    else if (strip_)
      form_->StripMouseUp();
    strip_ = false;
    update();
  }

private:
  THistFuncForm *form_;
  bool strip_ = false;
};

THistFuncForm::THistFuncForm(Host *main)
    : PreviewDialog(main, QStringLiteral("ヒストグラム補正"), QPoint(388, 8)),
      histImage_(kHistWidth, kHistHeight, QImage::Format_RGB32) {
  histImage_.fill(Qt::white);
  view_ = new HistBandView(this);
  ControlsLayout()->addWidget(view_);

  ChannelRadios radios;
  auto *row = MakeChannelRow(this, radios);
  rbRed = radios.red;
  rbGreen = radios.green;
  rbBlue = radios.blue;
  rbAverage = radios.average;
  auto *group = radios.group;
  row->addStretch();
  auto *automatic = new QPushButton(QStringLiteral("自動調整"));
  automatic->setAutoDefault(false);
  row->addWidget(automatic);
  ControlsLayout()->addLayout(row);
  connect(group, &QButtonGroup::idClicked, this, &THistFuncForm::SetChannel);
  connect(automatic, &QPushButton::clicked, this, &THistFuncForm::bAutoClick);
}

THistFuncForm::~THistFuncForm() = default;

void THistFuncForm::Prepare(Document *child) {
  histograms_ = DocumentHistograms(child);
  PreviewDialog::Prepare(child);
  channel_ = lcAverage;
  {
    const QSignalBlocker block(rbAverage);
    rbAverage->setChecked(true);
  }
  DrawHistogramImage();
}

void THistFuncForm::DrawHistogramImage() {
  DrawHistogram(histImage_, HistogramOf(histograms_, channel_), channel_, kHistLeftOffset);
  view_->update();
}

void THistFuncForm::SetChannel(int channel) {
  channel_ = channel;
  QRadioButton *button = channel == lcRed     ? rbRed
                         : channel == lcGreen ? rbGreen
                         : channel == lcBlue  ? rbBlue
                                              : rbAverage;
  if (!button->isChecked()) {
    const QSignalBlocker block(button);
    button->setChecked(true);
  }
  DrawHistogramImage();
  if (channel != lcAverage) Recompute();
}

void THistFuncForm::ResetControls() {
  bandLeft_ = kBandLeft;
  bandWidth_ = kBandWidth;
  labelLeft_ = kLabelLeft;
  centrePercent_ = 50;
  gammaActive_ = false;
  dragMode_ = 0;
  ReadRangeFromBand();
  view_->update();
}

void THistFuncForm::ReadRangeFromBand() {
  const LevelRange range = RangeOfBand({bandLeft_, bandWidth_});
  low_ = range.low;
  high_ = range.high;
}

void THistFuncForm::PlaceCentreMarker() {
  labelLeft_ = CentreLabelLeft(centrePercent_, {low_, high_});
}

int THistFuncForm::GammaPosition() const {
  // A band turned over by the automatic range (no high level found) has no
  // inside: there is no fraction to take a logarithm of.
  if (bandWidth_ <= 0 || labelLeft_ - bandLeft_ + kLineOffset <= 0) return 0;
  return MidToneGammaPosition(labelLeft_, bandLeft_, bandWidth_);
}

void THistFuncForm::Adjust(TMDIB &dib, Progress *progress) {
  Levels(dib, low_, high_, channel_, progress);
  if (gammaActive_) Gamma(dib, GammaPosition(), progress);
}

int THistFuncForm::ProgressMaximum() const {
  return PreviewDialog::ProgressMaximum() * (gammaActive_ ? 2 : 1);
}

void THistFuncForm::AutoRange(int threshold) {
  const LevelRange found =
      FindAutoRange(HistogramOf(histograms_, channel_), histograms_.pixelCount, threshold);
  const LevelBand band = BandOf(found);
  bandLeft_ = band.left;
  bandWidth_ = band.width;
  ReadRangeFromBand();
  PlaceCentreMarker();
  Recompute();
  view_->update();
}

void THistFuncForm::bAutoClick() {
  AutoRange(SettingNumber(ReadSetting(QStringLiteral("AutoScaleParam"), QStringLiteral("5"))));
}

void THistFuncForm::StripMouseDown(int x) {
  const int right = bandLeft_ + bandWidth_;
  if (x > bandLeft_ - kEdgeGrab && x < bandLeft_ + kEdgeGrab)
    dragMode_ = 1;
  else if (x > right - kEdgeGrab && x < right + kEdgeGrab)
    dragMode_ = 2;
  else
    dragMode_ = 0;
}

void THistFuncForm::StripMouseMove(int x) {
  const int right = bandLeft_ + bandWidth_;
  if (dragMode_ == 1) {
    const int left = std::max(x, kMinBandLeft);
    if (right - left < kMinBandWidth) return;
    bandLeft_ = left;
    bandWidth_ = right - left;
  } else if (dragMode_ == 2) {
    const int width = std::min(x, kMaxBandRight) - bandLeft_;
    if (width < kMinBandWidth) return;
    bandWidth_ = width;
  } else {
    return;
  }
  ReadRangeFromBand();
  PlaceCentreMarker();
  Recompute();
  view_->update();
}

void THistFuncForm::StripMouseUp() {
  dragMode_ = 0;
  Recompute();
}

void THistFuncForm::CenterMouseDown(int screenX) {
  gammaActive_ = true;
  dragMode_ = 3;
  dragScreenX_ = screenX;
}

void THistFuncForm::CenterMouseMove(int screenX) {
  if (dragMode_ != 3) return;
  labelLeft_ += screenX - dragScreenX_;
  dragScreenX_ = screenX;
  if (labelLeft_ < bandLeft_ + 5) labelLeft_ = bandLeft_ + 5;
  if (labelLeft_ + kLabelWidth > bandLeft_ + bandWidth_ - 5)
    labelLeft_ = bandLeft_ + bandWidth_ - 5 - kLabelWidth;
  view_->update();
}

void THistFuncForm::CenterMouseUp() {
  dragMode_ = 0;
  Recompute();
  // A band squeezed to one level by the automatic range has no inside to
  // take a percentage of; the marker keeps the one it had.
  centrePercent_ = ::CentrePercent(labelLeft_, {low_, high_}, centrePercent_);
}

void HistFuncCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  child->ComputeHistogram();
  {
    THistFuncForm dialog(main);
    dialog.Prepare(child);
    dialog.exec();
  }
  if (main) main->Window()->raise();
}
