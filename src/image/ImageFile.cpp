#include "image/ImageFile.h"

#include "image/Dib.h"
#include "image/Metadata.h"
#include "image/Susie.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

bool WriteWithKit(const std::string &path, IMGHANDLE image, ImageFileKind kind, int jpegQuality) {
  // Each kit writer already writes to a temporary name and renames it over
  // the target when done.
  const char *file = path.c_str();
  switch (kind) {
  case ImageFileKind::Jpeg: return Kit.ImgKitJpegFileSave(file, image, "", "", jpegQuality, 0) != 0;
  case ImageFileKind::Bmp: return Kit.ImgKitBmpFileSave(file, image, "", "", 0) != 0;
  case ImageFileKind::Tiff: return Kit.ImgKitTiffFileSave(file, image, "", "", 0) != 0;
  case ImageFileKind::Unknown: break;
  }
  return false;
}

// The finished private file takes the target's permissions (a new file
// 0666 less the umask), is flushed to the disk and renamed over the target.
bool CommitPrivateFile(const std::string &temp, const std::string &path) {
  struct stat st {};
  mode_t mode;
  if (stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const int fd = open(temp.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0 && fchmod(fd, mode) == 0;
  close(fd);
  return synced && std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace

bool SaveImageFile(const std::string &path, IMGHANDLE image, int jpegQuality,
                   const PhotoMetadata *metadata) {
  return SaveImageFileAs(path, image, FileKindByExtension(path), jpegQuality, metadata);
}

bool SaveImageFileAs(const std::string &path, IMGHANDLE image, ImageFileKind kind, int jpegQuality,
                     const PhotoMetadata *metadata) {
  if (!image) return false;
  const bool carries = kind == ImageFileKind::Jpeg || kind == ImageFileKind::Tiff;
  if (!metadata || metadata->Empty() || !carries)
    return WriteWithKit(path, image, kind, jpegQuality);
  // The metadata goes into the new file before it takes the target's name,
  // so a failure at any step leaves an existing file whole.
  std::string temp = path + ".tmpXXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  close(fd);
  bool ok = WriteWithKit(temp, image, kind, jpegQuality);
  if (ok) {
    const TMDIB dib(image);
    metadata->WriteInto(temp, dib.width, dib.height);
    ok = CommitPrivateFile(temp, path);
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}
