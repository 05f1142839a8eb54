#include "image/ImageFile.h"

#include "image/Dib.h"
#include "image/Susie.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace {

bool EndsWithIgnoringCase(const std::string &s, const std::string &tail) {
  if (s.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), s.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

} // namespace

ImageFileKind FileKindByExtension(const std::string &path) {
  if (EndsWithIgnoringCase(path, ".jpg") || EndsWithIgnoringCase(path, ".jpeg"))
    return ImageFileKind::Jpeg;
  if (EndsWithIgnoringCase(path, ".bmp")) return ImageFileKind::Bmp;
  if (EndsWithIgnoringCase(path, ".tif") || EndsWithIgnoringCase(path, ".tiff"))
    return ImageFileKind::Tiff;
  return ImageFileKind::Unknown;
}

DibHandle LoadImageFile(const std::string &path, const ImageReadOptions &options,
                        bool *fromPlugin) {
  DibHandle image;
  if (options.plugins) {
    image = ReadImageFile(path, fromPlugin);
  } else {
    if (fromPlugin) *fromPlugin = false;
    image = ReadWithKit(path);
  }
  if (!image || (options.fullColour && !MakeFullColour(image))) return {};
  return image;
}

bool LastReadDamaged() { return Kit.ImgKitFileLoadDamaged() != 0; }

bool SaveImageFile(const std::string &path, IMGHANDLE image, int jpegQuality) {
  return SaveImageFileAs(path, image, FileKindByExtension(path), jpegQuality);
}

bool SaveImageFileAs(const std::string &path, IMGHANDLE image, ImageFileKind kind,
                     int jpegQuality) {
  if (!image) return false;
  // No temporary layer of our own: each kit writer already writes to a
  // temporary name and renames it over the target when done.
  const char *file = path.c_str();
  switch (kind) {
  case ImageFileKind::Jpeg: return Kit.ImgKitJpegFileSave(file, image, "", "", jpegQuality, 0) != 0;
  case ImageFileKind::Bmp: return Kit.ImgKitBmpFileSave(file, image, "", "", 0) != 0;
  case ImageFileKind::Tiff: return Kit.ImgKitTiffFileSave(file, image, "", "", 0) != 0;
  case ImageFileKind::Unknown: break;
  }
  return false;
}
