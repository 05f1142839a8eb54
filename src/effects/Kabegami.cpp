#include "effects/Kabegami.h"

#include "adjust/Fresize.h"
#include "effects/Fsoften.h"
#include "image/Dib.h"
#include "image/Kit.h"

#include <cmath>
#include <cstdlib>

namespace Kabegami {

Size ShownSize(int width, int height, int screenW, int screenH) {
  if (width < 1 || height < 1 || screenW < 1 || screenH < 1) return {0, 0};
  if (width <= screenW && height <= screenH) return {width, height};
  const int64_t across = int64_t{width} * 1000 / screenW;
  const int64_t down = int64_t{height} * 1000 / screenH;
  if (down < across) return {screenW, static_cast<int>(int64_t{screenW} * height / width)};
  return {static_cast<int>(int64_t{screenH} * width / height), screenH};
}

Rect PictureRect(Size shown, int screenW, int screenH) {
  return {(screenW - shown.width) / 2, (screenH - shown.height) / 2, shown.width, shown.height};
}

Scale ScaleOf(int width, int height, Size shown) {
  if (shown.width < 1 || shown.height < 1) return {};
  return {static_cast<double>(width) / shown.width, static_cast<double>(height) / shown.height};
}

Rect FixedSelection(int w, int h, Scale scale, const Rect &picture) {
  Rect r;
  r.width = static_cast<int>(std::trunc(w / scale.a));
  r.height = static_cast<int>(std::trunc(h / scale.b));
  r.left = picture.left + (picture.width - r.width) / 2;
  r.top = picture.top + (picture.height - r.height) / 2;
  return r;
}

Coordinates CoordinatesOf(const Rect &drawn, const Rect &picture, Scale scale) {
  // A selection drawn leftward or upward counts from its own left and top,
  // so that it covers what the same rectangle drawn the other way covers.
  Rect s = drawn;
  if (s.width < 0) {
    s.left += s.width;
    s.width = -s.width;
  }
  if (s.height < 0) {
    s.top += s.height;
    s.height = -s.height;
  }
  Coordinates c;
  c.x0 = static_cast<int>(std::trunc((s.left - picture.left) * scale.a));
  c.y0 = static_cast<int>(std::trunc((s.top - picture.top) * scale.b));
  c.x1 = static_cast<int>(std::trunc((s.left + s.width - picture.left - 1) * scale.a));
  c.y1 = static_cast<int>(std::trunc((s.top + s.height - picture.top - 1) * scale.b));
  c.width = static_cast<int>(std::trunc(std::abs(s.width) * scale.a));
  c.height = static_cast<int>(std::trunc(std::abs(s.height) * scale.b));
  return c;
}

Coordinates Ordered(Coordinates c) {
  if (c.x1 < c.x0) std::swap(c.x0, c.x1);
  if (c.y1 < c.y0) std::swap(c.y0, c.y1);
  return c;
}

Rect DragTo(const Rect &started, int pointerX, int pointerY, const Rect &picture) {
  const int x = std::clamp(pointerX, picture.left, picture.left + picture.width);
  const int y = std::clamp(pointerY, picture.top, picture.top + picture.height);
  return {started.left, started.top, x - started.left, y - started.top};
}

Rect ResizeBy(const Rect &pressed, int dx) {
  Rect r = pressed;
  r.width = pressed.width + dx;
  if (pressed.width != 0)
    r.height =
        pressed.height +
        static_cast<int>(std::trunc(static_cast<double>(dx) * pressed.height / pressed.width));
  return r;
}

int PictureBits(int kind) {
  switch (kind) {
  case 0: return 1;
  case 1:
  case 2: return 4;
  case 3:
  case 4: return 8;
  default: return 24;
  }
}

int DisplayBits(int displayColours) {
  switch (displayColours) {
  case 2: return 1;
  case 16: return 4;
  case 256: return 8;
  default: return 24;
  }
}

int WallpaperDepth(int displayBits, int pictureBits) {
  if (displayBits == 8 && pictureBits == 24) return 8;
  if (displayBits == 4 && pictureBits > 4) return 4;
  return 0;
}

QString LogoFileName(Target target) {
  switch (target) {
  case Target::StartUp: return QStringLiteral("LOGO.SYS");
  case Target::ShuttingDown: return QStringLiteral("LOGOW.SYS");
  case Target::Final: return QStringLiteral("LOGOS.SYS");
  default: return {};
  }
}

DibHandle LogoPicture(IMGHANDLE picture, int fixedPalette) {
  IMGKIT_IMAGEINFO info{};
  if (!picture || !Kit.ImgKitImageInfo(picture, &info)) return {};
  DibHandle full(Kit.ImgKitCopy(picture, "", ""));
  if (!full) return {};
  if (info.bitCount < 24 && !full.Adopt(Kit.ImgKitConvertColor(full.get(), 24, 0, 0, "", "")))
    return {};
  // The smoothing reads the picture and writes a copy of it.
  DibHandle smooth(Kit.ImgKitCopy(full.get(), "", ""));
  if (!smooth) return {};
  {
    TMDIB source(full.get());
    TMDIB dest(smooth.get());
    SoftenWindow(dest, source, 0, 1, 0, 0);
  }
  DibHandle logo = ResizedImage(smooth.get(), kLogoWidth, kLogoHeight, ResizeMethod::Oversampling);
  if (!logo || !logo.Adopt(Kit.ImgKitConvertColor(logo.get(), 8, fixedPalette, 1, "", "")))
    return {};
  return logo;
}

} // namespace Kabegami
