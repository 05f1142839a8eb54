#include "effects/Fsharpen.h"

#include "effects/Effects.h"
#include "image/HotLoop.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

using effects::PictureRow;

namespace {

// The response L of one mask at byte k of the middle row p, with the rows
// above (n) and below (so); |L| <= 2040.
template <int kType>
inline int Response(const uint8_t *n, const uint8_t *p, const uint8_t *so, size_t k) {
  if constexpr (kType == 0) return n[k] + p[k - 3] + p[k + 3] + so[k] - 4 * p[k];
  if constexpr (kType == 1)
    return n[k - 3] + n[k] + n[k + 3] + p[k - 3] + p[k + 3] + so[k - 3] + so[k] + so[k + 3] -
           8 * p[k];
  // Top row 2 0 0, middle row -4 0 0, bottom row 4 -4 2.
  return 2 * n[k - 3] - 4 * p[k - 3] + 4 * so[k - 3] - 4 * so[k] + 2 * so[k + 3];
}

// The strengths the 16-bit path serves.
constexpr int kFastStrength = 7000;

// d[k] = clamp(p[k] - (s * L) / 100) for 0 <= s <= kFastStrength, in 16-bit
// lanes. The result is clamped to 0 ... 255, so once (s * L) / 100 passes
// +-255 its exact value no longer matters: L is limited to +-limit, with
// s * limit >= 25500, which keeps s * L within 16 bits.
template <int kType>
VELMIR_HOT_LOOP void FastRow(uint8_t *__restrict d, const uint8_t *__restrict n,
                             const uint8_t *__restrict p, const uint8_t *__restrict so, size_t end,
                             int s, int limit) {
  const int16_t s16 = static_cast<int16_t>(s), hi = static_cast<int16_t>(limit),
                lo = static_cast<int16_t>(-limit);
  for (size_t k = 3; k < end; ++k) {
    const int16_t l = std::clamp(static_cast<int16_t>(Response<kType>(n, p, so, k)), lo, hi);
    const int16_t scaled = static_cast<int16_t>(static_cast<int16_t>(s16 * l) / 100);
    d[k] = effects::Clamp255(p[k] - scaled);
  }
}

// Any strength, in 64 bits.
template <int kType>
void ExactRow(uint8_t *d, const uint8_t *n, const uint8_t *p, const uint8_t *so, size_t end,
              int s) {
  for (size_t k = 3; k < end; ++k) {
    const int64_t scaled = static_cast<int64_t>(s) * Response<kType>(n, p, so, k) / 100;
    d[k] = static_cast<uint8_t>(std::clamp<int64_t>(p[k] - scaled, 0, 255));
  }
}

template <int kType>
void InnerRow(uint8_t *d, const uint8_t *n, const uint8_t *p, const uint8_t *so, size_t end,
              int s) {
  if (s >= 0 && s <= kFastStrength) {
    const int limit = s == 0 ? 0 : std::min(2040, (25500 + s - 1) / s);
    FastRow<kType>(d, n, p, so, end, s, limit);
  } else {
    ExactRow<kType>(d, n, p, so, end, s);
  }
}

} // namespace

void SharpenImage(TMDIB &dest, const TMDIB &source, int type, int strength, Progress *progress) {
  if (type < 0 || type > 2 || !effects::SameSize24(dest, source)) return;
  const int w = source.width, h = source.height;
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
      case 0: InnerRow<0>(d, n, p, so, end, strength); break;
      case 1: InnerRow<1>(d, n, p, so, end, strength); break;
      default: InnerRow<2>(d, n, p, so, end, strength); break;
      }
    }
    if (progress) progress->Step();
  }
}
