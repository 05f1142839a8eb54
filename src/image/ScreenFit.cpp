// Fitting pictures to the screen.
#include "image/ScreenFit.h"

#include "image/Dib.h"

#include <algorithm>
#include <cstring>
#include <vector>

QSize FitToScreen(QSize picture, QSize screen) {
  const int64_t w = picture.width(), h = picture.height();
  const int64_t sw = screen.width(), sh = screen.height();
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return {0, 0};
  if (w <= sw && h <= sh) return picture;
  if (h * 1000 / sh < w * 1000 / sw)
    return {static_cast<int>(sw), std::max(1, static_cast<int>(sw * h / w))};
  return {std::max(1, static_cast<int>(sh * w / h)), static_cast<int>(sh)};
}

QPoint CentreOnScreen(QSize display, QSize screen) {
  return {(screen.width() - display.width()) / 2, (screen.height() - display.height()) / 2};
}

QSize PixelsForDisplay(QSize picture, QSize display, double pixelRatio) {
  if (pixelRatio <= 1.0) return display;
  const int w = static_cast<int>(display.width() * pixelRatio);
  const int h = static_cast<int>(display.height() * pixelRatio);
  if (w >= picture.width() || h >= picture.height()) return picture;
  return {w, h};
}

QImage SampledBitmapFromDib(const TMDIB &dib, QSize pixels) {
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0 || pixels.isEmpty()) return {};
  if (pixels == QSize(dib.width, dib.height)) return BitmapFromDib(dib);
  if (dib.BitsPerPixel() != 24)
    return BitmapFromDib(dib).scaled(pixels, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  QImage img(pixels, QImage::Format_BGR888);
  if (img.isNull()) return {};
  const int dw = pixels.width(), dh = pixels.height();
  std::vector<int32_t> offset(static_cast<size_t>(dw));
  for (int x = 0; x < dw; ++x)
    offset[static_cast<size_t>(x)] =
        3 * static_cast<int32_t>(static_cast<int64_t>(x) * dib.width / dw);
  for (int y = 0; y < dh; ++y) {
    const int sy = static_cast<int>(static_cast<int64_t>(y) * dib.height / dh);
    const uint8_t *s = dib.Row(dib.height - 1 - sy);
    uchar *t = img.scanLine(y);
    for (int x = 0; x < dw; ++x) {
      const uint8_t *p = s + offset[static_cast<size_t>(x)];
      t[0] = p[0];
      t[1] = p[1];
      t[2] = p[2];
      t += 3;
    }
  }
  return img;
}
