// Fuzz entry for the TIFF reader: header facts and full decode of arbitrary
// bytes. Built with -fsanitize=fuzzer, or with replay_main.cpp as a plain
// program that replays saved inputs.
#include "codecs.h"
#include "dib.h"

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> copy(data, data + size);
  FILE *f = fmemopen(copy.data(), copy.size(), "rb");
  if (!f) return 0;
  IMGKIT_FILEINFO info{};
  kit::TiffInfo(f, info);
  std::rewind(f);
  kit::Free(kit::ReadTiff(f));
  std::fclose(f);
  return 0;
}
