// libimgtiff3: TIFF files.
#include "codecs.h"

#include <cstdio>

extern "C" {
int ImgKitTiffFileSave(const char *file, IMGHANDLE h, const char *, const char *, int) {
  return kit::WriteTiff(file, h) ? 1 : 0;
}

IMGHANDLE ImgKitTiffFileLoad(const char *file, const char *, const char *) {
  if (!file) return nullptr;
  FILE *f = std::fopen(file, "rb");
  if (!f) return nullptr;
  IMGHANDLE h = kit::ReadTiff(f);
  std::fclose(f);
  return h;
}
}
