// Fuzz entry for the BMP reader: header check and full decode of arbitrary
// bytes. With VELMIR_FUZZ_MAIN it also builds as a plain program that replays
// the files named on its command line.
#include "codecs.h"
#include "dib.h"

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0; // fmemopen refuses an empty buffer
  std::vector<uint8_t> copy(data, data + size);
  FILE *f = fmemopen(copy.data(), copy.size(), "rb");
  if (!f) return 0;
  IMGKIT_FILEINFO info{};
  kit::BmpInfo(f, info);
  std::rewind(f);
  kit::Free(kit::ReadBmp(f));
  std::fclose(f);
  return 0;
}

#ifdef VELMIR_FUZZ_MAIN
int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    FILE *f = std::fopen(argv[i], "rb");
    if (!f) {
      std::fprintf(stderr, "cannot open %s\n", argv[i]);
      continue;
    }
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  return 0;
}
#endif
