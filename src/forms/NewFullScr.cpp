// The simple full-screen view.
#include "forms/NewFullScr.h"

#include "image/Dib.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TNewFullScr::TNewFullScr(const ScreenArea &area, QWidget *parent) : FullScreenWindow(area, parent) {
  setObjectName(QStringLiteral("NewFullScr"));
}

bool TNewFullScr::SetPicture(IMGHANDLE picture) {
  TMDIB dib(picture);
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0) return false;
  const QSize size(dib.width, dib.height);
  const QSize display = FitToScreen(size, ScreenSize());
  QImage bitmap = SampledBitmapFromDib(dib, PixelsForDisplay(size, display, Area().pixelRatio));
  if (bitmap.isNull()) return false;
  SetFrame(std::move(bitmap), display);
  return true;
}

void TNewFullScr::SetFrame(QImage bitmap, QSize display) {
  frame_ = std::move(bitmap);
  target_ = QRect(CentreOnScreen(display, ScreenSize()), display);
  update();
}

void TNewFullScr::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (frame_.isNull()) return;
  // A bitmap of exactly the target's physical pixels is copied 1:1.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target_, frame_, frame_.rect());
}

void TNewFullScr::mousePressEvent(QMouseEvent *event) {
  event->accept();
  Finish(1);
}

void TNewFullScr::keyPressEvent(QKeyEvent *event) {
  event->accept();
  Finish(1);
}

void ShowFullScreen(QWidget *over, IMGHANDLE picture) {
  if (!picture) return;
  const ScreenArea area = ScreenAreaOf(over);
  if (area.geometry.isEmpty()) return;
  FullScreenWindow curtain(area);
  curtain.setObjectName(QStringLiteral("FullScreenCurtain"));
  curtain.Open(false);
  TNewFullScr view(area);
  if (!view.SetPicture(picture)) return;
  view.Exec();
}
