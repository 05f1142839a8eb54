#include "effects/Median.h"

#include "adjust/Fresize.h"
#include "effects/Effects.h"

#include "image/HotLoop.h"

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
VELMIR_HOT_LOOP void SortColumns(uint8_t *__restrict lo, uint8_t *__restrict me,
                                 uint8_t *__restrict hi, const uint8_t *__restrict up,
                                 const uint8_t *__restrict mid, const uint8_t *__restrict down,
                                 size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const uint8_t a = up[k], b = mid[k], c = down[k];
    const uint8_t l = Min(a, b), h = Max(a, b);
    lo[k] = Min(l, c);
    hi[k] = Max(h, c);
    me[k] = Max(l, Min(h, c));
  }
}

// Bytes 3 ... n - 4 of the filtered row from the sorted columns alone, so
// the result may be written over the middle row it came from.
VELMIR_HOT_LOOP void CombineColumns(uint8_t *__restrict d, const uint8_t *__restrict lo,
                                    const uint8_t *__restrict me, const uint8_t *__restrict hi,
                                    size_t n) {
  for (size_t k = 3; k + 3 < n; ++k) {
    const uint8_t l = Max(Max(lo[k - 3], lo[k]), lo[k + 3]);
    const uint8_t m = Med3(me[k - 3], me[k], me[k + 3]);
    const uint8_t h = Min(Min(hi[k - 3], hi[k]), hi[k + 3]);
    d[k] = Med3(l, m, h);
  }
}

// Per byte, the largest difference between the pixel and its eight
// neighbours in that channel.
VELMIR_HOT_LOOP void NeighbourSpread(uint8_t *__restrict spread, const uint8_t *__restrict up,
                                     const uint8_t *__restrict mid, const uint8_t *__restrict down,
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

// The plain median written over the image itself: each row is kept aside
// before it is rewritten, as the row above of the next one.
void MedianInPlace(TMDIB &dib, Progress *progress) {
  const int w = dib.width, h = dib.height;
  const size_t n = 3 * static_cast<size_t>(w);
  std::vector<uint8_t> lo(n), me(n), hi(n), above(n), saved(n);
  if (h > 0) std::memcpy(above.data(), PictureRow(dib, 0), n);
  for (int y = 0; y < h; ++y) {
    if (y > 0 && y < h - 1 && w >= 3) {
      uint8_t *row = PictureRow(dib, y);
      std::memcpy(saved.data(), row, n);
      SortColumns(lo.data(), me.data(), hi.data(), above.data(), row, PictureRow(dib, y + 1), n);
      CombineColumns(row, lo.data(), me.data(), hi.data(), n);
      std::swap(above, saved);
    }
    if (progress) progress->Step();
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
      SortColumns(lo.data(), me.data(), hi.data(), up, p, down, n);
      CombineColumns(d, lo.data(), me.data(), hi.data(), n);
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
  // The small result is made first, so that once the picture is enlarged it
  // can always come back to its size. The median works in place, so at most
  // three images live at once: the picture, its enlargement and the result.
  DibHandle reduced = CreateBlankDib(w, h);
  DibHandle enlarged = reduced ? CreateBlankDib(2 * w, 2 * h) : DibHandle();
  if (!enlarged) return false;
  {
    const TMDIB from(image.get());
    TMDIB to(enlarged.get());
    BilinearResize(to, from, progress);
  }
  image = std::move(enlarged);
  {
    TMDIB dib(image.get());
    MedianInPlace(dib, progress);
  }
  {
    const TMDIB from(image.get());
    TMDIB to(reduced.get());
    AreaAverageResize(to, from, progress);
  }
  image = std::move(reduced);
  return true;
}
