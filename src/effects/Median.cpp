#include "Median.h"

#include "Effects.h"
#include "Fresize.h"

#include <algorithm>
#include <cstring>
#include <vector>

using effects::PictureRow;

namespace {

inline uint8_t Min(uint8_t a, uint8_t b) { return a < b ? a : b; }
inline uint8_t Max(uint8_t a, uint8_t b) { return a < b ? b : a; }
inline uint8_t Med3(uint8_t a, uint8_t b, uint8_t c) { return Max(Min(a, b), Min(Max(a, b), c)); }

// The median of nine is the median of: the largest of the column minima,
// the median of the column medians and the smallest of the column maxima.
// Each column (the three rows at one byte position) is sorted once and
// shared by the three windows that contain it.
void MedianRow(uint8_t *d, const uint8_t *up, const uint8_t *mid, const uint8_t *down, size_t n,
               uint8_t *lo, uint8_t *me, uint8_t *hi) {
  for (size_t k = 0; k < n; ++k) {
    const uint8_t a = up[k], b = mid[k], c = down[k];
    const uint8_t l = Min(a, b), h = Max(a, b);
    lo[k] = Min(l, c);
    hi[k] = Max(h, c);
    me[k] = Max(l, Min(h, c));
  }
  for (size_t k = 3; k + 3 < n; ++k) {
    const uint8_t l = Max(Max(lo[k - 3], lo[k]), lo[k + 3]);
    const uint8_t m = Med3(me[k - 3], me[k], me[k + 3]);
    const uint8_t h = Min(Min(hi[k - 3], hi[k]), hi[k + 3]);
    d[k] = Med3(l, m, h);
  }
}

// Per byte, the largest difference between the pixel and its eight
// neighbours in that channel.
void NeighbourSpread(uint8_t *spread, const uint8_t *up, const uint8_t *mid, const uint8_t *down,
                     size_t n) {
  auto diff = [](uint8_t a, uint8_t b) { return static_cast<uint8_t>(Max(a, b) - Min(a, b)); };
  for (size_t k = 3; k + 3 < n; ++k) {
    const uint8_t c = mid[k];
    uint8_t s = Max(diff(up[k - 3], c), diff(up[k], c));
    s = Max(s, diff(up[k + 3], c));
    s = Max(s, diff(mid[k - 3], c));
    s = Max(s, diff(mid[k + 3], c));
    s = Max(s, diff(down[k - 3], c));
    s = Max(s, diff(down[k], c));
    s = Max(s, diff(down[k + 3], c));
    spread[k] = s;
  }
}

} // namespace

void MedianFilter(TMDIB &dest, const TMDIB &source, int method, int threshold, Progress *progress) {
  if ((method != 0 && method != 1) || !effects::SameSize24(dest, source)) return;
  const int w = source.width, h = source.height;
  const size_t n = 3 * static_cast<size_t>(w);
  std::vector<uint8_t> lo(n), me(n), hi(n), spread(method == 1 ? n : 0);
  const int tt = threshold * threshold;
  for (int y = 0; y < h; ++y) {
    const uint8_t *p = PictureRow(source, y);
    uint8_t *d = PictureRow(dest, y);
    if (y == 0 || y == h - 1 || w < 3) {
      std::memcpy(d, p, n);
    } else {
      const uint8_t *up = PictureRow(source, y - 1), *down = PictureRow(source, y + 1);
      std::memcpy(d, p, 3);
      std::memcpy(d + n - 3, p + n - 3, 3);
      MedianRow(d, up, p, down, n, lo.data(), me.data(), hi.data());
      if (method == 1) {
        // Edges stay: a pixel with a neighbour beyond the threshold is kept.
        NeighbourSpread(spread.data(), up, p, down, n);
        for (size_t k = 3; k + 3 < n; k += 3) {
          const int s0 = spread[k], s1 = spread[k + 1], s2 = spread[k + 2];
          if (s0 * s0 > tt || s1 * s1 > tt || s2 * s2 > tt) std::memcpy(d + k, p + k, 3);
        }
      }
    }
    if (progress) progress->Step();
  }
}

bool NoiseRemovalA(DibHandle &image, Progress *progress) {
  if (!image) return false;
  int w = 0, h = 0;
  {
    const TMDIB dib(image.get());
    if (!effects::Is24(dib)) return false;
    w = dib.width;
    h = dib.height;
  }
  if (progress) progress->SetRange(5 * h);
  // At most three full images at once: each step's result replaces the
  // image before the next one is made. The small result is made first, so
  // that once the picture is enlarged it can always come back to its size.
  DibHandle reduced = CreateBlankDib(w, h);
  DibHandle enlarged = reduced ? CreateBlankDib(2 * w, 2 * h) : DibHandle();
  if (!enlarged) return false;
  {
    const TMDIB from(image.get());
    TMDIB to(enlarged.get());
    BilinearResize(to, from, progress);
  }
  image = std::move(enlarged);
  // Without memory for the filtered copy the median is skipped and the
  // enlarged picture is reduced as it is; the caller hears of it.
  DibHandle filtered = CreateBlankDib(2 * w, 2 * h);
  const bool filteredMade = static_cast<bool>(filtered);
  if (filteredMade) {
    {
      const TMDIB from(image.get());
      TMDIB to(filtered.get());
      MedianFilter(to, from, 0, 0, progress);
    }
    image = std::move(filtered);
  }
  {
    const TMDIB from(image.get());
    TMDIB to(reduced.get());
    AreaAverageResize(to, from, progress);
  }
  image = std::move(reduced);
  return filteredMade;
}
