#include "Fresize.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool Is24(const TMDIB &dib) { return dib.Attached() && dib.BitsPerPixel() == 24; }

// Picture row y counted from the top.
uint8_t *PictureRow(const TMDIB &dib, int y) { return dib.Row(dib.height - 1 - y); }

// The source pixels one destination pixel covers along one axis, with their
// weights in hundredths; only pixels inside the source are listed.
struct Taps {
  std::vector<int> first; // first source index per destination index
  std::vector<int> count;
  std::vector<int> offset; // into weight
  std::vector<int> weight;
  std::vector<int64_t> sum; // of the weights per destination index
  int64_t maxAbsSum = 0;
};

Taps AreaTaps(int sourceSize, int destSize) {
  Taps t;
  t.first.resize(destSize);
  t.count.resize(destSize);
  t.offset.resize(destSize);
  t.sum.resize(destSize);
  const int64_t s = static_cast<int64_t>(sourceSize) * 1000 / destSize;
  const int64_t h = s / 2;
  for (int j = 0; j < destSize; ++j) {
    const int64_t X = j * s;
    // Division and remainder truncate toward zero: at the left edge the
    // remainder is negative and the first weight exceeds 100.
    const int64_t low = X - h + 500, high = X + h - 500;
    const int64_t x0 = low / 1000;
    const int64_t x1 = high / 1000 + (high % 1000 != 0 ? 1 : 0);
    const int w0 = 100 - static_cast<int>((low % 1000) / 10);
    const int w1 = static_cast<int>((high % 1000) / 10);
    const int64_t from = std::max<int64_t>(x0, 0), to = std::min<int64_t>(x1, sourceSize - 1);
    t.first[j] = static_cast<int>(from);
    t.count[j] = to >= from ? static_cast<int>(to - from + 1) : 0;
    t.offset[j] = static_cast<int>(t.weight.size());
    int64_t sum = 0, absSum = 0;
    for (int64_t x = from; x <= to; ++x) {
      const int w = x == x0 ? w0 : (x == x1 ? w1 : 100);
      t.weight.push_back(w);
      sum += w;
      absSum += std::abs(w);
    }
    t.sum[j] = sum;
    t.maxAbsSum = std::max(t.maxAbsSum, absSum);
  }
  return t;
}

uint8_t Clamp255(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// One destination row: the weighted column sums of its source rows, then
// the weighted sums along the row. Acc holds the column sums; Wide the row
// sums.
template <class Acc, class Wide, bool viaDouble>
void AreaRows(TMDIB &dest, const TMDIB &source, const Taps &tx, const Taps &ty,
              Progress *progress) {
  const int sw = source.width, dw = dest.width;
  const size_t n = 3 * static_cast<size_t>(sw);
  std::vector<Acc> column(n);
  for (int i = 0; i < dest.height; ++i) {
    std::fill(column.begin(), column.end(), Acc(0));
    for (int t = 0; t < ty.count[i]; ++t) {
      const Acc w = static_cast<Acc>(ty.weight[ty.offset[i] + t]);
      const uint8_t *s = PictureRow(source, ty.first[i] + t);
      Acc *c = column.data();
      for (size_t k = 0; k < n; ++k)
        c[k] += w * static_cast<Acc>(s[k]);
    }
    uint8_t *d = PictureRow(dest, i);
    for (int j = 0; j < dw; ++j, d += 3) {
      const int64_t weightSum = tx.sum[j] * ty.sum[i];
      if (weightSum == 0) continue;
      const Acc *c = column.data() + 3 * static_cast<size_t>(tx.first[j]);
      const int *w = tx.weight.data() + tx.offset[j];
      Wide b = 0, g = 0, r = 0;
      for (int t = 0; t < tx.count[j]; ++t, c += 3) {
        b += static_cast<Wide>(w[t]) * c[0];
        g += static_cast<Wide>(w[t]) * c[1];
        r += static_cast<Wide>(w[t]) * c[2];
      }
      if constexpr (viaDouble) {
        // Exact: both are integers below 2^52, so the correctly rounded
        // quotient truncates to the integer quotient.
        const double ws = static_cast<double>(weightSum);
        d[0] = Clamp255(static_cast<int64_t>(static_cast<double>(b) / ws));
        d[1] = Clamp255(static_cast<int64_t>(static_cast<double>(g) / ws));
        d[2] = Clamp255(static_cast<int64_t>(static_cast<double>(r) / ws));
      } else {
        d[0] = Clamp255(static_cast<int64_t>(b) / weightSum);
        d[1] = Clamp255(static_cast<int64_t>(g) / weightSum);
        d[2] = Clamp255(static_cast<int64_t>(r) / weightSum);
      }
    }
    if (progress) progress->Step();
  }
}

// n div 1000 truncated toward zero for |n| < 2^24: the float quotient is
// correctly rounded and stays on the right side of every integer, and this
// form vectorises where an integer division does not.
inline int Div1000(int n) { return static_cast<int>(static_cast<float>(n) / 1000.0f); }

} // namespace

void AreaAverageResize(TMDIB &dest, const TMDIB &source, Progress *progress) {
  if (!Is24(dest) || !Is24(source) || source.width < 1 || source.height < 1 || dest.width < 1)
    return;
  const Taps tx = AreaTaps(source.width, dest.width);
  const Taps ty = AreaTaps(source.height, dest.height);
  const double columnBound = static_cast<double>(ty.maxAbsSum) * 255.0;
  const double rowBound = columnBound * static_cast<double>(tx.maxAbsSum);
  if (columnBound < 2147483647.0 && rowBound < 2147483647.0)
    AreaRows<int32_t, int32_t, true>(dest, source, tx, ty, progress);
  else if (columnBound < 2147483647.0 && rowBound < 4.0e15)
    AreaRows<int32_t, int64_t, true>(dest, source, tx, ty, progress);
  else
    AreaRows<int64_t, int64_t, false>(dest, source, tx, ty, progress);
}

void BilinearResize(TMDIB &dest, const TMDIB &source, Progress *progress) {
  if (!Is24(dest) || !Is24(source) || source.width < 1 || source.height < 1 || dest.width < 1)
    return;
  const int sw = source.width, sh = source.height, dw = dest.width, dh = dest.height;
  const int64_t sx = static_cast<int64_t>(sw) * 1000 / dw;
  const int64_t sy = static_cast<int64_t>(sh) * 1000 / dh;
  const size_t n = 3 * static_cast<size_t>(dw);

  // Per destination byte: the two source bytes and the fraction. A fraction
  // is dropped where the right-hand neighbour would lie outside the source,
  // which leaves the left pixel's value, as the case analysis does.
  std::vector<int> left(n), right(n), fraction(n);
  for (int j = 0; j < dw; ++j) {
    const int64_t p = j * sx;
    const int u = static_cast<int>(p / 1000);
    const int fx = u + 1 < sw ? static_cast<int>(p % 1000) : 0;
    const int u1 = std::min(u + 1, sw - 1);
    for (int c = 0; c < 3; ++c) {
      left[3 * j + c] = 3 * u + c;
      right[3 * j + c] = 3 * u1 + c;
      fraction[3 * j + c] = fx;
    }
  }

  // Source rows interpolated along x, kept while consecutive destination
  // rows share them.
  std::vector<int> top(n), bottom(n), base(n), delta(n);
  int topRow = -1, bottomRow = -1;
  auto across = [&](int y, std::vector<int> &out) {
    const uint8_t *s = PictureRow(source, y);
    for (size_t k = 0; k < n; ++k) {
      const int a = s[left[k]];
      base[k] = a;
      delta[k] = s[right[k]] - a;
    }
    int *o = out.data();
    const int *f = fraction.data(), *b = base.data(), *dl = delta.data();
    for (size_t k = 0; k < n; ++k)
      o[k] = b[k] + Div1000(f[k] * dl[k]);
  };
  auto rowOf = [&](int y, std::vector<int> &slot, int &slotRow) {
    if (slotRow == y) return;
    if (topRow == y)
      slot = top;
    else if (bottomRow == y)
      slot = bottom;
    else
      across(y, slot);
    slotRow = y;
  };

  for (int i = 0; i < dh; ++i) {
    const int64_t q = i * sy;
    const int y0 = static_cast<int>(q / 1000);
    const int fy = y0 + 1 < sh ? static_cast<int>(q % 1000) : 0;
    const int y1 = std::min(y0 + 1, sh - 1);
    if (topRow != y0 && bottomRow == y0) {
      std::swap(top, bottom);
      std::swap(topRow, bottomRow);
    }
    rowOf(y0, top, topRow);
    uint8_t *d = PictureRow(dest, i);
    const int *t = top.data();
    if (fy == 0) {
      for (size_t k = 0; k < n; ++k)
        d[k] = static_cast<uint8_t>(t[k]);
    } else {
      rowOf(y1, bottom, bottomRow);
      const int *b = bottom.data();
      for (size_t k = 0; k < n; ++k)
        d[k] = static_cast<uint8_t>(t[k] + Div1000(fy * (b[k] - t[k])));
    }
    if (progress) progress->Step();
  }
}

bool AspectCorrect(DibHandle &image, bool toFiveFour, Progress *progress) {
  if (!image) return false;
  TMDIB dib(image.get());
  if (!dib.Attached()) return false;
  const int w = dib.width;
  const int h = toFiveFour ? AspectHeight43To54(dib.height) : AspectHeight54To43(dib.height);
  if (h < 1) return false;
  // 16- and 32-bit rows never reach here: images come in as 24 bits.
  if (dib.BitsPerPixel() == 24) {
    DibHandle resized = CreateBlankDib(w, h);
    if (!resized) return false;
    TMDIB out(resized.get());
    if (progress) progress->SetRange(h);
    AreaAverageResize(out, dib, progress);
    out.Release(0);
    dib.Release(0);
    image = std::move(resized);
    return true;
  }
  dib.Release(0);
  return image.Adopt(Kit.ImgKitImageSize(image.get(), "VELMIR", "解像度補正処理中", w, h));
}
