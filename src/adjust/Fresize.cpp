#include "adjust/Fresize.h"

#include "image/HotLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
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

// column[k] += w * s[k] over one source row.
template <class Acc>
VELMIR_HOT_LOOP void AddWeighted(Acc *__restrict column, const uint8_t *__restrict s, Acc w,
                                 size_t n) {
  for (size_t k = 0; k < n; ++k)
    column[k] += w * static_cast<Acc>(s[k]);
}

// d[k] = sum[k] div weight[k], clamped to 0 ... 255, where weight[k] is not
// zero; elsewhere d[k] stays. In float or double the quotient is exact while
// the sums and weights are integers below 2^24 or 2^53: the correctly
// rounded quotient of such numbers never reaches the next integer, and the
// clamp commutes with the truncation.
template <class Wide, class Quotient>
VELMIR_HOT_LOOP void DivideRow(uint8_t *__restrict d, const Wide *__restrict sum,
                               const Quotient *__restrict weight, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const Quotient w = weight[k];
    uint8_t v;
    if constexpr (std::is_integral_v<Quotient>) {
      v = Clamp255(w != 0 ? static_cast<int64_t>(sum[k]) / w : 0);
    } else {
      Quotient q = static_cast<Quotient>(sum[k]) / (w != 0 ? w : Quotient(1));
      q = q < 0 ? Quotient(0) : (q > 255 ? Quotient(255) : q);
      v = static_cast<uint8_t>(static_cast<int>(q));
    }
    d[k] = w != 0 ? v : d[k];
  }
}

// One destination row: the weighted column sums of its source rows, then
// the weighted sums along the row, then the quotients. Acc holds the column
// sums, Wide the row sums and Quotient the type the division is done in.
template <class Acc, class Wide, class Quotient>
void AreaRows(TMDIB &dest, const TMDIB &source, const Taps &tx, const Taps &ty,
              Progress *progress) {
  const int sw = source.width, dw = dest.width;
  const size_t n = 3 * static_cast<size_t>(sw), dn = 3 * static_cast<size_t>(dw);
  std::vector<Acc> column(n);
  std::vector<Wide> sums(dn);
  std::vector<Quotient> weights(dn);
  for (int i = 0; i < dest.height; ++i) {
    if (ty.sum[i] != 0) {
      std::fill(column.begin(), column.end(), Acc(0));
      for (int t = 0; t < ty.count[i]; ++t)
        AddWeighted<Acc>(column.data(), PictureRow(source, ty.first[i] + t),
                         static_cast<Acc>(ty.weight[ty.offset[i] + t]), n);
      Wide *out = sums.data();
      Quotient *ws = weights.data();
      for (int j = 0; j < dw; ++j, out += 3, ws += 3) {
        const Acc *c = column.data() + 3 * static_cast<size_t>(tx.first[j]);
        const int *w = tx.weight.data() + tx.offset[j];
        Wide b = 0, g = 0, r = 0;
        for (int t = 0; t < tx.count[j]; ++t, c += 3) {
          b += static_cast<Wide>(w[t]) * c[0];
          g += static_cast<Wide>(w[t]) * c[1];
          r += static_cast<Wide>(w[t]) * c[2];
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
        ws[0] = ws[1] = ws[2] = static_cast<Quotient>(tx.sum[j] * ty.sum[i]);
      }
      DivideRow<Wide, Quotient>(PictureRow(dest, i), sums.data(), weights.data(), dn);
    }
    if (progress) progress->Step();
  }
}

// (f * d) div 1000 truncated toward zero, for 0 <= f < 1000 and |d| <= 255,
// given scale = f / 1000 as a float. Unless it is an integer, f * d / 1000
// lies at least 0.001 from every integer; nudged 0.0005 away from zero, the
// float's errors (below 2^-14 at these magnitudes) cannot carry it across
// one. Unlike an integer division this vectorises.
inline int ScaledDifference(float scale, int d) {
  const float x = scale * static_cast<float>(d);
  return static_cast<int>(x + std::copysign(0.0005f, x));
}

// One source row interpolated along x: out[k] = a[k] + (f * (b[k] - a[k]))
// div 1000 with scale[k] = f / 1000; the result lies between a[k] and b[k].
VELMIR_HOT_LOOP void Blend(uint8_t *__restrict out, const uint8_t *__restrict a,
                           const uint8_t *__restrict b, const float *__restrict scale, size_t n) {
  for (size_t k = 0; k < n; ++k)
    out[k] = static_cast<uint8_t>(a[k] + ScaledDifference(scale[k], b[k] - a[k]));
}

// Two interpolated rows blended along y with one fraction.
VELMIR_HOT_LOOP void BlendRows(uint8_t *__restrict out, const uint8_t *__restrict top,
                               const uint8_t *__restrict bottom, float scale, size_t n) {
  for (size_t k = 0; k < n; ++k)
    out[k] = static_cast<uint8_t>(top[k] + ScaledDifference(scale, bottom[k] - top[k]));
}

} // namespace

void AreaAverageResize(TMDIB &dest, const TMDIB &source, Progress *progress) {
  if (!Is24(dest) || !Is24(source) || source.width < 1 || source.height < 1 || dest.width < 1)
    return;
  const Taps tx = AreaTaps(source.width, dest.width);
  const Taps ty = AreaTaps(source.height, dest.height);
  // The narrowest types that hold every sum: the bounds are those of
  // absolute values, each weight against 255.
  const double columnBound = static_cast<double>(ty.maxAbsSum) * 255.0;
  const double rowBound = columnBound * static_cast<double>(tx.maxAbsSum);
  const double weightBound = static_cast<double>(tx.maxAbsSum) * static_cast<double>(ty.maxAbsSum);
  const bool narrowColumns = columnBound < 2147483647.0;
  if (narrowColumns && rowBound < 16777216.0 && weightBound < 16777216.0)
    AreaRows<int32_t, int32_t, float>(dest, source, tx, ty, progress);
  else if (narrowColumns && rowBound < 2147483647.0)
    AreaRows<int32_t, int32_t, double>(dest, source, tx, ty, progress);
  else if (narrowColumns && rowBound < 4.0e15)
    AreaRows<int32_t, int64_t, double>(dest, source, tx, ty, progress);
  else
    AreaRows<int64_t, int64_t, int64_t>(dest, source, tx, ty, progress);
}

void BilinearResize(TMDIB &dest, const TMDIB &source, Progress *progress) {
  if (!Is24(dest) || !Is24(source) || source.width < 1 || source.height < 1 || dest.width < 1)
    return;
  const int sw = source.width, sh = source.height, dw = dest.width, dh = dest.height;
  const int64_t sx = static_cast<int64_t>(sw) * 1000 / dw;
  const int64_t sy = static_cast<int64_t>(sh) * 1000 / dh;
  const size_t n = 3 * static_cast<size_t>(dw), sn = 3 * static_cast<size_t>(sw);

  // Per destination column the left source pixel, and per byte the
  // fraction as a scale (thousandths / 1000). A fraction is dropped where
  // the right-hand neighbour would lie outside the source, which leaves the
  // left pixel's value, as the case analysis does.
  std::vector<size_t> left(dw);
  std::vector<float> fraction(n);
  for (int j = 0; j < dw; ++j) {
    const int64_t p = j * sx;
    const int u = static_cast<int>(p / 1000);
    const int fx = u + 1 < sw ? static_cast<int>(p % 1000) : 0;
    left[j] = 3 * static_cast<size_t>(u);
    for (int c = 0; c < 3; ++c)
      fraction[3 * j + c] = static_cast<float>(fx) * 0.001f;
  }

  // The source row with its last pixel repeated and room for four-byte
  // reads; the pixel pairs (left, right) side by side for each destination
  // column, each array one byte longer for the overlapping writes.
  std::vector<uint8_t> row(sn + 8), lefts(n + 1), rights(n + 1);
  auto across = [&](int y, uint8_t *out) {
    uint8_t *r = row.data();
    std::memcpy(r, PictureRow(source, y), sn);
    std::memcpy(r + sn, r + sn - 3, 3);
    uint8_t *a = lefts.data(), *b = rights.data();
    const size_t *l = left.data();
    for (int j = 0; j < dw; ++j) {
      std::memcpy(a + 3 * static_cast<size_t>(j), r + l[j], 4);
      std::memcpy(b + 3 * static_cast<size_t>(j), r + l[j] + 3, 4);
    }
    Blend(out, a, b, fraction.data(), n);
  };

  // Source rows interpolated along x, kept while consecutive destination
  // rows share them.
  std::vector<uint8_t> top(n), bottom(n);
  int topRow = -1, bottomRow = -1;
  auto rowOf = [&](int y, std::vector<uint8_t> &slot, int &slotRow) {
    if (slotRow == y) return;
    if (topRow == y)
      slot = top;
    else if (bottomRow == y)
      slot = bottom;
    else
      across(y, slot.data());
    slotRow = y;
  };

  for (int i = 0; i < dh; ++i) {
    const int64_t q = i * sy;
    const int y0 = static_cast<int>(q / 1000);
    const int fy = y0 + 1 < sh ? static_cast<int>(q % 1000) : 0;
    if (topRow != y0 && bottomRow == y0) {
      std::swap(top, bottom);
      std::swap(topRow, bottomRow);
    }
    rowOf(y0, top, topRow);
    uint8_t *d = PictureRow(dest, i);
    if (fy == 0) {
      std::memcpy(d, top.data(), n);
    } else {
      rowOf(y0 + 1, bottom, bottomRow);
      BlendRows(d, top.data(), bottom.data(), static_cast<float>(fy) * 0.001f, n);
    }
    if (progress) progress->Step();
  }
}

DibHandle ResizedImage(IMGHANDLE source, int width, int height, ResizeMethod method,
                       Progress *progress) {
  if (!source || width < 1 || height < 1) return {};
  // The kit's plain resize always makes a new image.
  if (method == ResizeMethod::Normal)
    return DibHandle(Kit.ImgKitImageSize(source, "VELMIR", "拡大縮小処理中", width, height));
  if (!Is24(TMDIB(source))) return {};
  if (progress) progress->SetRange(height + 20);
  DibHandle dest(Kit.ImgKitImageSize(source, "", "", width, height));
  if (!dest) return {};
  if (progress)
    for (int i = 0; i < 20; ++i)
      progress->Step();
  TMDIB to(dest.get());
  const TMDIB from(source);
  if (method == ResizeMethod::Oversampling)
    AreaAverageResize(to, from, progress);
  else
    BilinearResize(to, from, progress);
  return dest;
}

bool ResizeImage(DibHandle &image, int width, int height, ResizeMethod method, Progress *progress) {
  return image.Adopt(ResizedImage(image.get(), width, height, method, progress).release());
}

bool AspectCorrect(DibHandle &image, bool toFiveFour, Progress *progress) {
  int w = 0, h = 0, bits = 0;
  {
    const TMDIB dib(image.get());
    if (!dib.Attached()) return false;
    w = dib.width;
    h = toFiveFour ? AspectHeight43To54(dib.height) : AspectHeight54To43(dib.height);
    bits = dib.BitsPerPixel();
  }
  if (h < 1) return false;
  if (bits == 24) return ResizeImage(image, w, h, ResizeMethod::Oversampling, progress);
  return image.Adopt(Kit.ImgKitImageSize(image.get(), "VELMIR", "解像度補正処理中", w, h));
}
