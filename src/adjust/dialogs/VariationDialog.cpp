#include "adjust/dialogs/VariationDialog.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"
#include "image/Dib.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace {
constexpr int kFrameSide = 102;
constexpr int kMargin = 8;
constexpr int kPitch = kFrameSide + 8;
constexpr int kTopRow = 26;
constexpr int kCandidateRow = 158;
constexpr int kButtonsLeft = kMargin + 4 * kPitch + 4;
constexpr int kButtonWidth = 100;

QLabel *Caption(QWidget *parent, const QString &text, int x, int y, int width,
                Qt::Alignment align) {
  auto *label = new QLabel(text, parent);
  label->setGeometry(x, y, width, 18);
  label->setAlignment(align | Qt::AlignVCenter);
  return label;
}
} // namespace

VariationDialog::VariationDialog(Host *main, const QString &caption, int stepMaximum,
                                 int stepDefault,
                                 const std::array<QString, kCandidates> &candidateLabels)
    : DocumentDialog(main), stepDefault_(stepDefault) {
  setWindowTitle(caption);
  setModal(true);
  Caption(this, QStringLiteral("オリジナル画像"), kMargin, kTopRow - 20, kFrameSide, Qt::AlignLeft);
  Caption(this, QStringLiteral("補正結果"), kMargin + kPitch, kTopRow - 20, kFrameSide,
          Qt::AlignLeft);
  Caption(this, QStringLiteral("この４候補から選択"), kMargin, kCandidateRow - 20, 2 * kPitch,
          Qt::AlignLeft);
  for (int i = 0; i < kCandidates; ++i)
    Caption(this, candidateLabels[static_cast<size_t>(i)], kMargin + i * kPitch,
            kCandidateRow + kFrameSide + 2, kFrameSide, Qt::AlignHCenter);

  const int stepLeft = kMargin + 2 * kPitch + 4;
  Caption(this, QStringLiteral("補正幅"), stepLeft, kTopRow + 8, 2 * kPitch - 12, Qt::AlignLeft);
  TrackBar = new QSlider(Qt::Horizontal, this);
  TrackBar->setObjectName(QStringLiteral("TrackBar"));
  TrackBar->setRange(1, stepMaximum);
  TrackBar->setValue(stepDefault);
  TrackBar->setPageStep(1);
  TrackBar->setTickPosition(QSlider::TicksBelow);
  TrackBar->setTickInterval(stepMaximum > 8 ? 2 : 1);
  TrackBar->setGeometry(stepLeft, kTopRow + 30, 2 * kPitch - 16, 30);
  connect(TrackBar, &QSlider::valueChanged, this, [this] { Recompute(); });

  const ApplyButtons buttons = AddApplyButtons(this, QPoint(kButtonsLeft, kTopRow), kButtonWidth);
  connect(buttons.ok, &QPushButton::clicked, this, &VariationDialog::bOKClick);
  connect(buttons.cancel, &QPushButton::clicked, this, &VariationDialog::bCancelClick);
  connect(buttons.reset, &QPushButton::clicked, this, &VariationDialog::bResetClick);
  setFixedSize(kButtonsLeft + kButtonWidth + kMargin, kCandidateRow + kFrameSide + 28);
}

VariationDialog::~VariationDialog() = default;

int VariationDialog::Step() const { return TrackBar->value(); }

QRect VariationDialog::Frame(int frame) const {
  if (frame < 2) return QRect(kMargin + frame * kPitch, kTopRow, kFrameSide, kFrameSide);
  return QRect(kMargin + (frame - 2) * kPitch, kCandidateRow, kFrameSide, kFrameSide);
}

QPoint VariationDialog::PreviewOrigin(int frame) const {
  const QRect f = Frame(frame);
  const int w = child_ ? child_->PreviewWidth() : 100;
  const int h = child_ ? child_->PreviewHeight() : 100;
  return QPoint(f.left() + 1 + (100 - w) / 2, f.top() + 1 + (100 - h) / 2);
}

DibHandle VariationDialog::ForDisplay(DibHandle image) const {
  if (main_ && main_->DisplayColourCount() == 256 && image)
    image.Adopt(Kit.ImgKitConvertColor(image.get(), 8, 1, 1, "", ""));
  return image;
}

void VariationDialog::Prepare(Document *child) {
  child_ = child;
  if (!child_ || !child_->PreviewImage()) return;
  source_.reset(Kit.ImgKitCopy(child_->PreviewImage(), "", ""));
  shown_[0] = ForDisplay(DibHandle(Kit.ImgKitCopy(source_.get(), "", "")));
  prepared_ = true;
  {
    const QSignalBlocker quiet(TrackBar);
    TrackBar->setValue(stepDefault_);
  }
  Recompute();
}

void VariationDialog::Recompute() {
  if (!prepared_ || !source_) return;
  for (int candidate = -1; candidate < kCandidates; ++candidate) {
    DibHandle work(Kit.ImgKitCopy(source_.get(), "", ""));
    if (!work) continue;
    {
      TMDIB dib(work.get());
      Render(dib, candidate);
    }
    shown_[static_cast<size_t>(candidate + 2)] = ForDisplay(std::move(work));
  }
  update();
}

void VariationDialog::CandidateClick(int index) {
  if (index < 0 || index >= kCandidates) return;
  MoveBy(index);
  Recompute();
}

void VariationDialog::bOKClick() {
  if (!child_ || !child_->Picture()) {
    reject();
    return;
  }
  setEnabled(false);
  Apply();
  setEnabled(true);
  accept();
}

void VariationDialog::bCancelClick() { reject(); }

void VariationDialog::bResetClick() {
  ResetValue();
  Recompute();
}

void VariationDialog::paintEvent(QPaintEvent *event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  for (int i = 0; i < kFrames; ++i) {
    const QRect f = Frame(i);
    p.drawRect(f.left(), f.top(), f.width() - 1, f.height() - 1);
    const QPoint at = PreviewOrigin(i);
    if (shown_[static_cast<size_t>(i)])
      Kit.ImgKitDisplayXY(&p, shown_[static_cast<size_t>(i)].get(), at.x(), at.y());
  }
}

void VariationDialog::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter: bOKClick(); return;
  case Qt::Key_Escape: bCancelClick(); return;
  default: QDialog::keyPressEvent(event);
  }
}

void VariationDialog::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) {
    for (int i = 0; i < kCandidates; ++i) {
      if (Frame(2 + i).contains(event->position().toPoint())) {
        CandidateClick(i);
        return;
      }
    }
  }
  QDialog::mousePressEvent(event);
}
