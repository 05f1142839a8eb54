#include "adjust/Tone.h"

#include "image/Kit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

uint8_t Clamp255(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

} // namespace

bool HasToneLayout(const TMDIB &dib) {
  if (!dib.Attached()) return false;
  const int bpp = dib.BitsPerPixel();
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24;
}

void ContrastTable(int p, uint8_t table[256]) {
  const int a = p + 100;
  for (int v = 0; v < 256; ++v)
    table[v] = Clamp255(a * (v - 128) / 100 + 128);
}

void GammaTable(int p, uint8_t table[256]) {
  if (p <= 0) {
    for (int v = 0; v < 256; ++v)
      table[v] = static_cast<uint8_t>(v);
    return;
  }
  const double g = 100.0 / p;
  const double k = 255.0 / std::pow(255.0, g);
  for (int v = 0; v < 256; ++v) {
    // Truncated, then clamped: the result may only round below 255.
    const double r = std::trunc(std::pow(static_cast<double>(v), g) * k);
    table[v] = r <= 0 ? 0 : (r >= 255 ? 255 : static_cast<uint8_t>(r));
  }
}

bool Brightness(TMDIB &dib, int position) {
  if (!dib.Attached()) return false;
  return Kit.ImgKitBright(dib.handle, "", "", position * 0.05) != 0;
}

void Contrast(TMDIB &dib, int p, Progress *progress) {
  if (!HasToneLayout(dib)) return;
  uint8_t table[256];
  ContrastTable(p, table);
  ApplyChannelTables(dib, table, table, table, progress);
}

void Gamma(TMDIB &dib, int p, Progress *progress) {
  if (!HasToneLayout(dib)) return;
  uint8_t table[256];
  GammaTable(p, table);
  ApplyChannelTables(dib, table, table, table, progress);
}

void Saturation(TMDIB &dib, int p, Progress *progress) {
  if (!HasToneLayout(dib)) return;
  const int a = p + 100;
  // a x (c - m) div 100 for every difference -255 ... 255, so that the
  // pixel loop has no division.
  int16_t scaled[511];
  for (int d = -255; d <= 255; ++d)
    scaled[d + 255] = static_cast<int16_t>(a * d / 100);
  auto channel = [&](int m, int c) { return Clamp255(m + scaled[c - m + 255]); };
  if (dib.BitsPerPixel() != 24 || dib.pixelCount < (1 << 16)) {
    ForEachColour(
        dib,
        [&](uint8_t *px) {
          const int m = (px[0] + px[1] + px[2]) / 3;
          px[0] = channel(m, px[0]);
          px[1] = channel(m, px[1]);
          px[2] = channel(m, px[2]);
        },
        progress);
    return;
  }
  // Large images: every result by mean and channel value in one table, one
  // load per byte.
  std::vector<uint8_t> table(256 * 256);
  for (int m = 0; m < 256; ++m)
    for (int c = 0; c < 256; ++c)
      table[m * 256 + c] = channel(m, c);
  const uint8_t *t = table.data();
  ForEachColour(
      dib,
      [t](uint8_t *px) {
        const uint8_t *row = t + (px[0] + px[1] + px[2]) / 3 * 256;
        px[0] = row[px[0]];
        px[1] = row[px[1]];
        px[2] = row[px[2]];
      },
      progress);
}
