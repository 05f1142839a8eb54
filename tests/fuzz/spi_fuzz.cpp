// Fuzz entry for the transfer of a plug-in's two blocks into a bitmap:
// whatever header and sizes a plug-in returns, nothing outside the blocks
// is read. Built with -fsanitize=fuzzer, or with replay_main.cpp as a plain
// program that replays saved inputs.
//
// Input: header block length (2 bytes, little-endian), a mode byte, the
// header block, then the pixel block. Mode bit 0 set: the size announced
// before matches the header's; clear: width mode / 2 and height 1.
#include "image/Susie.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3) return 0;
  const size_t infoBytes = std::min<size_t>(data[0] | data[1] << 8, size - 3);
  const uint8_t mode = data[2];
  const size_t bitsBytes = size - 3 - infoBytes;
  // Blocks of exactly these sizes, so that a sanitizer sees any overrun.
  void *info = std::malloc(infoBytes ? infoBytes : 1);
  void *bits = std::malloc(bitsBytes ? bitsBytes : 1);
  if (!info || !bits) {
    std::free(info);
    std::free(bits);
    return 0;
  }
  std::memcpy(info, data + 3, infoBytes);
  std::memcpy(bits, data + 3 + infoBytes, bitsBytes);
  int width = mode >> 1, height = 1;
  if ((mode & 1) && infoBytes >= 12) {
    int32_t w, h;
    std::memcpy(&w, data + 3 + 4, 4);
    std::memcpy(&h, data + 3 + 8, 4);
    width = w;
    height = h == INT32_MIN ? 0 : (h < 0 ? -h : h);
  }
  QImage out;
  if (TransferPluginPicture(info, infoBytes, bits, bitsBytes, width, height, out) == 0) {
    const QImage full = FullColourBitmap(out);
    if (full.width() != width || full.height() != height) std::abort();
  } else if (!out.isNull()) {
    std::abort(); // a refusal leaves no picture behind
  }
  std::free(info);
  std::free(bits);
  return 0;
}
