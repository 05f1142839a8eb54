// The shared wait window. Work runs synchronously on the one thread, so the
// window paints itself when shown and then about every 50 ms of steps.
#include "forms/Waitmess.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Painting while a routine runs must not let a second start's hand-off or a
// click start other work in the middle of it.
constexpr QEventLoop::ProcessEventsFlags kPaintOnly =
    QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers;

constexpr qint64 kRepaintIntervalMs = 50;

} // namespace

TfWaitMess::TfWaitMess(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fWaitMess"));
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  setWindowTitle(QStringLiteral("VELMIR"));
  setFixedSize(261, 96);
  auto *box = new QVBoxLayout(this);
  auto *label = new QLabel(QStringLiteral("画像処理実行中"), this);
  label->setAlignment(Qt::AlignCenter);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  box->addWidget(label);
  box->addWidget(ProgressBar);
}

void TfWaitMess::Begin(int maximum) {
  SetRange(maximum);
  setWindowTitle(QStringLiteral("VELMIR"));
  // Centred over the main window when there is one, else on the screen.
  const QRect area = parentWidget() && parentWidget()->isVisible()
                         ? parentWidget()->frameGeometry()
                         : (screen() ? screen()->availableGeometry() : QRect());
  if (area.isValid()) move(area.center() - rect().center());
  show();
  raise();
  repaint();
  QCoreApplication::processEvents(kPaintOnly);
  sinceRepaint_.restart();
}

void TfWaitMess::SetPosition(int position) {
  position_ = position;
  ProgressBar->setValue(position);
}

void TfWaitMess::End() {
  ProgressBar->setValue(position_);
  close();
}

void TfWaitMess::SetRange(int maximum) {
  position_ = 0;
  ProgressBar->setRange(0, maximum);
  ProgressBar->setValue(0);
  sinceRepaint_.start();
}

void TfWaitMess::Step() {
  ++position_;
  // Called once per row: only the counter moves until a repaint is due, or
  // the bar is full (a fast routine would otherwise never show its end).
  if (position_ < ProgressBar->maximum() && sinceRepaint_.isValid() &&
      sinceRepaint_.elapsed() < kRepaintIntervalMs)
    return;
  ProgressBar->setValue(position_);
  if (isVisible()) QCoreApplication::processEvents(kPaintOnly);
  sinceRepaint_.restart();
}

void TfWaitMess::showEvent(QShowEvent *event) {
  // Every showing carries the program's caption, whoever showed it.
  setWindowTitle(QStringLiteral("VELMIR"));
  QDialog::showEvent(event);
}
