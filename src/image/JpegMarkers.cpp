#include "image/JpegMarkers.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE *f) const { std::fclose(f); }
};

bool ReadBytes(std::FILE *f, uint8_t *out, size_t n) { return std::fread(out, 1, n, f) == n; }

} // namespace

bool ForEachJpegSegment(const std::string &path, int first, int last,
                        const std::function<bool(int, const std::vector<uint8_t> &)> &segment) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) return false;
  uint8_t soi[2];
  if (!ReadBytes(f.get(), soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return false;
  // Cameras write a handful of segments; a file with hundreds before its
  // picture data is not worth walking.
  for (int count = 0; count < 256; ++count) {
    int c = std::fgetc(f.get());
    if (c != 0xFF) return true;
    while (c == 0xFF)
      c = std::fgetc(f.get());
    if (c == EOF) return true;
    const int marker = c;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue; // no length
    if (marker == 0xDA || marker == 0xD9) return true;
    uint8_t lengthBytes[2];
    if (!ReadBytes(f.get(), lengthBytes, 2)) return true;
    const size_t length = static_cast<size_t>(lengthBytes[0] << 8 | lengthBytes[1]);
    if (length < 2) return true;
    const size_t payload = length - 2;
    if (marker >= first && marker <= last) {
      std::vector<uint8_t> bytes(payload);
      if (!ReadBytes(f.get(), bytes.data(), payload)) return true;
      if (!segment(marker, bytes)) return true;
      continue;
    }
    if (std::fseek(f.get(), static_cast<long>(payload), SEEK_CUR) != 0) return true;
  }
  return true;
}
