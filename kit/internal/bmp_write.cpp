// BMP writing: the handle's own depth, uncompressed, with a 40-byte header.
#include "atomic_file.h"
#include "codecs.h"
#include "dib.h"

#include <cstdint>
#include <vector>

namespace kit {

namespace {

void Put16(uint8_t *p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t *p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

} // namespace

bool WriteBmp(const char *path, IMGHANDLE h) {
  Dib d;
  if (!path || !ViewOf(h, d)) return false;
  // A palette image whose table is empty cannot be told apart from a full one.
  if (d.IsPalette() && d.colourCount == 0) return false;
  const uint64_t pixels = static_cast<uint64_t>(d.stride) * static_cast<uint64_t>(d.height);
  const uint64_t tableBytes = static_cast<uint64_t>(d.colourCount) * 4;
  const uint64_t offBits = 14 + 40 + tableBytes;
  const uint64_t total = offBits + pixels;
  if (total > UINT32_MAX) return false;

  std::vector<uint8_t> head(static_cast<size_t>(offBits), 0);
  uint8_t *p = head.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, static_cast<uint32_t>(total));
  Put32(p + 10, static_cast<uint32_t>(offBits));
  p += 14;
  Put32(p, 40);
  Put32(p + 4, static_cast<uint32_t>(d.width));
  Put32(p + 8, static_cast<uint32_t>(d.height));
  Put16(p + 12, 1);
  Put16(p + 14, static_cast<uint32_t>(d.bpp));
  Put32(p + 20, static_cast<uint32_t>(pixels));
  Put32(p + 24, static_cast<uint32_t>(d.hdr->biXPelsPerMeter));
  Put32(p + 28, static_cast<uint32_t>(d.hdr->biYPelsPerMeter));
  // 0 keeps meaning "the full table" exactly as it does in the handle.
  const uint32_t clrUsed = d.hdr->biClrUsed != 0 ? static_cast<uint32_t>(d.colourCount) : 0;
  Put32(p + 32, d.IsPalette() ? clrUsed : 0);
  p += 40;
  for (int i = 0; i < d.colourCount; ++i, p += 4) {
    p[0] = d.palette[i].b;
    p[1] = d.palette[i].g;
    p[2] = d.palette[i].r;
  }

  AtomicFile out;
  if (!out.Open(path)) return false;
  FILE *s = out.Stream();
  if (std::fwrite(head.data(), 1, head.size(), s) != head.size()) return false;
  const size_t n = static_cast<size_t>(pixels);
  if (std::fwrite(d.bits, 1, n, s) != n) return false;
  return out.Commit();
}

} // namespace kit
