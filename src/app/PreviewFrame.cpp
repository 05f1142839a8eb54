#include "app/PreviewFrame.h"

#include <QPainter>
#include <QPen>

PreviewFrame::PreviewFrame(QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setEnabled(false);
  resize(100, 100);
  hide();
}

void PreviewFrame::paintEvent(QPaintEvent *) {
  if (width() < 1 || height() < 1) return;
  QPainter p(this);
  // White by difference inverts what lies below.
  p.setCompositionMode(QPainter::CompositionMode_Difference);
  QPen pen(Qt::white, kPenWidth, Qt::DotLine, Qt::FlatCap, Qt::MiterJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal half = kPenWidth / 2.0;
  p.drawRect(QRectF(half, half, width() - kPenWidth, height() - kPenWidth));
}
