// libimgdsp3: drawing images with a QPainter.
#include "qt_bridge.h"

#include <QPainter>

extern "C" {
int ImgKitDisplay(void *target, IMGHANDLE h, int) {
  return kit::Draw(static_cast<QPainter *>(target), h, 0, 0) ? 1 : 0;
}

int ImgKitDisplayXY(void *target, IMGHANDLE h, int x, int y) {
  return kit::Draw(static_cast<QPainter *>(target), h, x, y) ? 1 : 0;
}

int ImgKitDisplayRGB(void *target, IMGHANDLE h, int, int, int, int, int) {
  return kit::Draw(static_cast<QPainter *>(target), h, 0, 0) ? 1 : 0;
}
}
