// Fuzz entry for the JPEG reader: header facts and a full decode of every
// input, from memory. Built with -fsanitize=fuzzer, or with replay_main.cpp
// as a plain program that replays saved inputs.
#include "codecs.h"
#include "dib.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0; // fmemopen refuses empty buffers
  std::vector<uint8_t> copy(data, data + size);
  FILE *f = fmemopen(copy.data(), copy.size(), "rb");
  if (!f) return 0;
  IMGKIT_FILEINFO info{};
  const bool known = kit::JpegInfo(f, info);
  std::rewind(f);
  IMGHANDLE h = kit::ReadJpeg(f);
  std::fclose(f);
  if (h) {
    kit::Dib d;
    // A decoded image is always well formed and matches its header facts.
    if (!kit::ViewOf(h, d) || !known || d.width != info.width || d.height != info.height)
      __builtin_trap();
    kit::Free(h);
  }
  return 0;
}
