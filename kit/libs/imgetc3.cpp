// libimgetc3: image operations and the clipboard.
#include "ops.h"
#include "qt_bridge.h"

extern "C" {
int ImgKitImageInfo(IMGHANDLE h, IMGKIT_IMAGEINFO *info) {
  IMGKIT_IMAGEINFO local{};
  if (!kit::ImageInfo(h, local)) return 0;
  if (info) *info = local;
  return 1;
}

IMGHANDLE ImgKitCopy(IMGHANDLE h, const char *, const char *) { return kit::Copy(h); }

IMGHANDLE ImgKitConvertColor(IMGHANDLE h, int bits, int fixedPalette, int diffusion, const char *,
                             const char *) {
  return kit::ConvertColor(h, bits, fixedPalette != 0, diffusion != 0);
}

IMGHANDLE ImgKitImageSize(IMGHANDLE h, const char *, const char *, int width, int height) {
  return kit::ImageSize(h, width, height);
}

IMGHANDLE ImgKitRotation(IMGHANDLE h, const char *, const char *, int kind) {
  return kit::Rotation(h, kind);
}

IMGHANDLE ImgKitSetGray(IMGHANDLE h, const char *, const char *) { return kit::SetGray(h); }

int ImgKitEmboss(IMGHANDLE h, const char *, const char *) { return kit::Emboss(h) ? 1 : 0; }

int ImgKitColorReverse(IMGHANDLE h, const char *, const char *) {
  return kit::ColorReverse(h) ? 1 : 0;
}

int ImgKitFilter(IMGHANDLE h, const char *, const char *, int kind) {
  return kit::Filter(h, kind) ? 1 : 0;
}

int ImgKitMosaic(IMGHANDLE h, const char *, const char *, int blockSize) {
  return kit::Mosaic(h, blockSize) ? 1 : 0;
}

int ImgKitBright(IMGHANDLE h, const char *, const char *, double factor) {
  return kit::Bright(h, factor) ? 1 : 0;
}

int ImgKitRGB(IMGHANDLE h, const char *, const char *, int red, int green, int blue) {
  return kit::RGB(h, red, green, blue) ? 1 : 0;
}

IMGHANDLE ImgKitGetFromClipBrd(void *) { return kit::FromClipboard(); }

int ImgKitSetToClipBrd(void *, IMGHANDLE h) { return kit::ToClipboard(h) ? 1 : 0; }
}
