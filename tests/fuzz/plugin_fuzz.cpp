// Fuzz entry for a shipped plug-in's decoder (the program links one plug-in's
// sources into each fuzz program, so GetPictureInfo and GetPicture are that
// plug-in's): arbitrary bytes from memory. Whatever comes back must be what
// the plug-in interface promises: on success, two blocks of at least the
// sizes the header implies, of the size GetPictureInfo announced. Built with
// -fsanitize=fuzzer, or with replay_main.cpp as a plain program that
// replays saved inputs.
#include "spi.h"

#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *buf = reinterpret_cast<const char *>(data);
  const auto len = static_cast<intptr_t>(size);
  SPI_PICTUREINFO info{};
  const int infoResult = GetPictureInfo(buf, len, SPI_INPUT_MEMORY, &info);
  void *header = nullptr;
  void *bits = nullptr;
  if (GetPicture(buf, len, SPI_INPUT_MEMORY, &header, &bits, nullptr, 0) != SPI_ALL_RIGHT) {
    if (header || bits) std::abort(); // a refusal hands nothing over
    return 0;
  }
  if (!header || !bits || malloc_usable_size(header) < sizeof(SPI_BITMAPINFOHEADER)) std::abort();
  SPI_BITMAPINFOHEADER h;
  std::memcpy(&h, header, sizeof h);
  const int64_t width = h.biWidth, height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
  if (width <= 0 || height <= 0 || width * height > (int64_t{1} << 28)) std::abort();
  // The picture GetPicture makes is the one GetPictureInfo describes.
  if (infoResult != SPI_ALL_RIGHT || info.width != width || info.height != height ||
      info.colorDepth != h.biBitCount)
    std::abort();
  const uint64_t stride = (static_cast<uint64_t>(width) * h.biBitCount + 31) / 32 * 4;
  if (malloc_usable_size(bits) < stride * static_cast<uint64_t>(height)) std::abort();
  const uint64_t colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
  if (malloc_usable_size(header) < sizeof h + 4 * colours) std::abort();
  std::free(header);
  std::free(bits);
  return 0;
}
