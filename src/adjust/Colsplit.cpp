#include "adjust/Colsplit.h"

#include "adjust/Shikisou.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

int EmphasisWeight(int h, int centre, int halfWidth) {
  const int hue = h / 10;
  // The centre may be negative: the hue is tried as it is, then a turn up
  // and a turn down.
  for (int candidate : {hue, hue + 360, hue - 360})
    if (candidate >= centre - halfWidth && candidate <= centre + halfWidth)
      return halfWidth - std::abs(candidate - centre);
  return -1;
}

namespace {

// k + (p + 100) x (c - k) div 100 for each difference c - k, -255 ... 255.
struct SaturationStep {
  int16_t scaled[511];
  explicit SaturationStep(int p) {
    for (int d = -255; d <= 255; ++d)
      scaled[d + 255] = static_cast<int16_t>((p + 100) * d / 100);
  }
  uint8_t operator()(int k, int c) const {
    return static_cast<uint8_t>(std::clamp(k + scaled[c - k + 255], 0, 255));
  }
};

} // namespace

void HueEmphasis(TMDIB &dib, int centre, int halfWidth, int inside, int outside,
                 Progress *progress) {
  if (!dib.Attached() || dib.BitsPerPixel() != 24 || halfWidth <= 0) return;
  const int w = halfWidth;
  // The inside weight of every hue, and v x e div w for every weight e and
  // channel value v: the loop then only looks up and adds.
  int16_t weight[3601];
  for (int h = 0; h <= 3600; ++h)
    weight[h] = static_cast<int16_t>(EmphasisWeight(h, centre, w));
  std::vector<uint8_t> part(static_cast<size_t>(w + 1) * 256);
  for (int e = 0; e <= w; ++e)
    for (int v = 0; v < 256; ++v)
      part[static_cast<size_t>(e) * 256 + v] = static_cast<uint8_t>(v * e / w);
  const SaturationStep in(inside), out(outside);
  for (int y = dib.height - 1; y >= 0; --y) {
    uint8_t *p = dib.Row(y);
    for (int x = 0; x < dib.width; ++x, p += 3) {
      const int b = p[0], g = p[1], r = p[2];
      const HueColour c = HueOf(r, g, b);
      if (c.s == 0) continue;
      const int k = (b + g + r) / 3;
      const uint8_t ob = out(k, b), og = out(k, g), orr = out(k, r);
      const int e = weight[c.h];
      if (e < 0) {
        p[0] = ob;
        p[1] = og;
        p[2] = orr;
        continue;
      }
      const uint8_t *keep = part.data() + static_cast<size_t>(e) * 256;
      const uint8_t *lose = part.data() + static_cast<size_t>(w - e) * 256;
      p[0] = static_cast<uint8_t>(keep[in(k, b)] + lose[ob]);
      p[1] = static_cast<uint8_t>(keep[in(k, g)] + lose[og]);
      p[2] = static_cast<uint8_t>(keep[in(k, r)] + lose[orr]);
    }
    if (progress) progress->Step();
  }
}
