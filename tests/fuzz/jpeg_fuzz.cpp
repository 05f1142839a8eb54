// Fuzz entry for the JPEG reader: header facts and a full decode of every
// input, from memory. Built with -DVELMIR_FUZZ_MAIN it replays the files
// named on the command line instead (for reproducing a crash without
// libFuzzer).
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
    std::printf("%s: ok\n", argv[i]);
  }
  return 0;
}
#endif
