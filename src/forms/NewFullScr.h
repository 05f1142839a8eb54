// The simple full-screen view: one picture centred and fitted on a black
// screen, closed by a mouse click or any key. The browser shows pictures
// with it; the composite paste previews its result with it.
#pragma once

#include "forms/FullScreenWindow.h"
#include "image/DibHandle.h"
#include "image/ScreenFit.h"

#include <QImage>

// The display size of a w x h picture on a W x H screen (the thousandths
// rule; unscaled when it fits): FitToScreen of image/ScreenFit.h.

// Shows `picture` full screen, centred and fitted, on the screen `over` is
// on (black curtain behind it), until a mouse click or a key; modal;
// returns when closed. A null picture returns at once.
void ShowFullScreen(QWidget *over, IMGHANDLE picture);

class TNewFullScr : public FullScreenWindow {
  Q_OBJECT
public:
  explicit TNewFullScr(const ScreenArea &area, QWidget *parent = nullptr);

  // Fits `picture` (owned by the caller) to the screen and makes the bitmap
  // to paint at once: nearest samples at the screen's pixel density. False
  // for a null or unreadable picture.
  bool SetPicture(IMGHANDLE picture);
  // A bitmap made elsewhere, painted into `display` (device-independent)
  // centred on the screen.
  void SetFrame(QImage bitmap, QSize display);

  QRect PictureRect() const { return target_; }
  const QImage &Frame() const { return frame_; }

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  QImage frame_;
  QRect target_;
};
