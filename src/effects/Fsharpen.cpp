#include "Fsharpen.h"

#include "Effects.h"

#include <cstring>

using effects::PictureRow;

namespace {

// (s * L) / 100 truncated toward zero for |s * L| < 2^24: the correctly
// rounded float quotient never crosses an integer, and unlike an integer
// division by a constant it vectorises.
inline int Scaled(int s, int l) { return static_cast<int>(static_cast<float>(s * l) / 100.0f); }

inline uint8_t Out(int p, int s, int l) { return effects::Clamp255(p - Scaled(s, l)); }

} // namespace

void SharpenImage(TMDIB &dest, const TMDIB &source, int type, int strength, Progress *progress) {
  if (type < 0 || type > 2 || !effects::SameSize24(dest, source)) return;
  const int w = source.width, h = source.height, s = strength;
  const size_t bytes = 3 * static_cast<size_t>(w);
  for (int y = 0; y < h; ++y) {
    const uint8_t *p = PictureRow(source, y);
    uint8_t *d = PictureRow(dest, y);
    if (y == 0 || y == h - 1 || w < 3) {
      std::memcpy(d, p, bytes);
    } else {
      const uint8_t *n = PictureRow(source, y - 1), *so = PictureRow(source, y + 1);
      std::memcpy(d, p, 3);
      std::memcpy(d + bytes - 3, p + bytes - 3, 3);
      const size_t end = bytes - 3;
      switch (type) {
      case 0:
        for (size_t k = 3; k < end; ++k)
          d[k] = Out(p[k], s, n[k] + p[k - 3] + p[k + 3] + so[k] - 4 * p[k]);
        break;
      case 1:
        for (size_t k = 3; k < end; ++k)
          d[k] = Out(p[k], s,
                     n[k - 3] + n[k] + n[k + 3] + p[k - 3] + p[k + 3] + so[k - 3] + so[k] +
                         so[k + 3] - 8 * p[k]);
        break;
      default:
        // Top row 2 0 0, middle row -4 0 0, bottom row 4 -4 2.
        for (size_t k = 3; k < end; ++k)
          d[k] =
              Out(p[k], s, 2 * n[k - 3] - 4 * p[k - 3] + 4 * so[k - 3] - 4 * so[k] + 2 * so[k + 3]);
        break;
      }
    }
    if (progress) progress->Step();
  }
}
