// Fuzz entry for the TIFF reader: header facts and full decode of arbitrary
// bytes. Build with -fsanitize=fuzzer, or with -DVELMIR_FUZZ_MAIN to replay
// files named on the command line.
#include "codecs.h"
#include "dib.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
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

#ifdef VELMIR_FUZZ_MAIN
int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    std::printf("%s: done\n", argv[i]);
  }
  return 0;
}
#endif
