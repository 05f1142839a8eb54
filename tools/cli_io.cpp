#include "cli_io.h"

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

void LoadPlugins(const std::string &folder) {
  SusieLoader.LoadPlugins(folder.empty() ? ProgramFolder() : folder);
}

DibHandle LoadImageFile(const std::string &path, bool *fromPlugin) {
  DibHandle image = ReadImageFile(path, fromPlugin);
  if (!MakeFullColour(image)) return {};
  return image;
}

bool SaveImageFile(const std::string &path, IMGHANDLE image, int quality) {
  const char *file = path.c_str();
  switch (FileKindByExtension(path)) {
  case ImageFileKind::Jpeg: return Kit.ImgKitJpegFileSave(file, image, "", "", quality, 0) != 0;
  case ImageFileKind::Bmp: return Kit.ImgKitBmpFileSave(file, image, "", "", 0) != 0;
  case ImageFileKind::Tiff: return Kit.ImgKitTiffFileSave(file, image, "", "", 0) != 0;
  case ImageFileKind::Unknown: break;
  }
  return false;
}
