// Recognising files by content and dispatching to the readers.
#include "codecs.h"

#include <cstring>
#include <memory>

namespace kit {

namespace {
struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr OpenRead(const char *path) {
  if (!path || !*path) return nullptr;
  return FilePtr(std::fopen(path, "rb"));
}
} // namespace

FileKind SniffStream(FILE *f) {
  unsigned char head[4] = {};
  const size_t n = std::fread(head, 1, sizeof head, f);
  std::rewind(f);
  if (n >= 2 && head[0] == 'B' && head[1] == 'M') return FileKind::Bmp;
  if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return FileKind::Jpeg;
  // Classic TIFF (42) and BigTIFF (43), either byte order.
  if (n == 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0 ||
                 std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0))
    return FileKind::Tiff;
  return FileKind::Unknown;
}

IMGHANDLE LoadFile(const char *path) { return LoadFileReduced(path, 0, 0); }

namespace {
// Per thread: the thumbnails are read on several threads at once.
thread_local bool tLastLoadDamaged = false;
} // namespace

bool LastLoadDamaged() { return tLastLoadDamaged; }
void NoteLoadDamaged(bool damaged) { tLastLoadDamaged = damaged; }

IMGHANDLE LoadFileReduced(const char *path, int coverWidth, int coverHeight) {
  tLastLoadDamaged = false;
  FilePtr f = OpenRead(path);
  if (!f) return nullptr;
  switch (SniffStream(f.get())) {
  case FileKind::Bmp: return ReadBmp(f.get());
  case FileKind::Jpeg: return ReadJpegReduced(f.get(), coverWidth, coverHeight);
  case FileKind::Tiff: return ReadTiff(f.get());
  default: return nullptr;
  }
}

bool FileInfo(const char *path, IMGKIT_FILEINFO &info) {
  FilePtr f = OpenRead(path);
  if (!f) return false;
  info = IMGKIT_FILEINFO{};
  bool ok = false;
  switch (SniffStream(f.get())) {
  case FileKind::Bmp:
    ok = BmpInfo(f.get(), info);
    info.format = IMGKIT_FORMAT_BMP;
    break;
  case FileKind::Jpeg:
    ok = JpegInfo(f.get(), info);
    info.format = IMGKIT_FORMAT_JPEG;
    break;
  case FileKind::Tiff:
    ok = TiffInfo(f.get(), info);
    info.format = IMGKIT_FORMAT_TIFF;
    break;
  default: break;
  }
  return ok;
}

} // namespace kit
