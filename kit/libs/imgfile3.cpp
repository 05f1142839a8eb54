// libimgfile3: reading BMP, JPEG and TIFF files; writing BMP and JPEG.
#include "codecs.h"

extern "C" {
int ImgKitFileType(const char *file, IMGKIT_FILEINFO *info) {
  IMGKIT_FILEINFO local{};
  if (!kit::FileInfo(file, local)) return 0;
  if (info) *info = local;
  return 1;
}

IMGHANDLE ImgKitFileLoad(const char *file, const char *, const char *) {
  return kit::LoadFile(file);
}

IMGHANDLE ImgKitFileLoadReduced(const char *file, int32_t coverWidth, int32_t coverHeight) {
  return kit::LoadFileReduced(file, coverWidth, coverHeight);
}

int ImgKitFileLoadDamaged(void) { return kit::LastLoadDamaged() ? 1 : 0; }

int ImgKitBmpFileSave(const char *file, IMGHANDLE h, const char *, const char *, int) {
  return kit::WriteBmp(file, h) ? 1 : 0;
}

int ImgKitJpegFileSave(const char *file, IMGHANDLE h, const char *, const char *, int quality,
                       int) {
  return kit::WriteJpeg(file, h, quality) ? 1 : 0;
}
}
