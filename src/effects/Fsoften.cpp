#include "effects/Fsoften.h"

#include "effects/Effects.h"
#include "image/HotLoop.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using effects::PictureRow;

namespace {

// Weights in hundredths: the centre counts twice, samples on its row or
// column once, the others at half their value and half weight.
enum SampleKind { kCentre, kAxis, kDiagonal };
constexpr int kWeight[] = {200, 100, 50};

struct Offset {
  int dy, dx;
  SampleKind kind;
};

// Every weight is a multiple of 50 and at most 5000 (radius 4, square);
// a channel's sum stays below 2^14, sum * 100 below 2^21, and for such
// numbers n * ceil(2^40 / w) >> 40 is exactly n / w. The factor 100 is
// folded into the multiplier.
struct Reciprocals {
  uint64_t m[101] = {};
  Reciprocals() {
    for (int i = 1; i <= 100; ++i) {
      const uint64_t w = 50u * static_cast<uint64_t>(i);
      m[i] = 100u * (((uint64_t(1) << 40) + w - 1) / w);
    }
  }
  uint64_t For(int weight) const { return m[weight / 50]; }
};

inline uint8_t Divide(int sum, uint64_t multiplier) {
  return static_cast<uint8_t>((static_cast<uint64_t>(sum) * multiplier) >> 40);
}

// sum[k] += the sample's share of s[k]; the sums stay below 2^14.
template <SampleKind kKind>
VELMIR_HOT_LOOP void AddSamples(uint16_t *__restrict sum, const uint8_t *__restrict s, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    if constexpr (kKind == kCentre) sum[k] = static_cast<uint16_t>(sum[k] + 2 * s[k]);
    if constexpr (kKind == kAxis) sum[k] = static_cast<uint16_t>(sum[k] + s[k]);
    if constexpr (kKind == kDiagonal) sum[k] = static_cast<uint16_t>(sum[k] + (s[k] >> 1));
  }
}

// far[k] |= the sample differs from the pixel's input by more than t
// (0 ... 255); |d| > t is d^2 > t^2.
VELMIR_HOT_LOOP void MarkFar(uint8_t *__restrict far, const uint8_t *__restrict s,
                             const uint8_t *__restrict p, uint8_t t, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const uint8_t a = s[k], b = p[k];
    const uint8_t diff = static_cast<uint8_t>(a > b ? a - b : b - a);
    far[k] |= static_cast<uint8_t>(diff > t);
  }
}

// The pixels of one row, left to right: the sums of the samples known
// before the row (`known`) plus the samples to the left, which hold their
// new values by now; `scale` per pixel divides by the whole window's
// weight. kRadius 1 keeps the left neighbour in registers; 0 reads the
// `rx` samples to the left back from the row.
template <int kArea, int kRadius>
void FinishRow(uint8_t *d, const uint8_t *p, const uint16_t *known, const uint8_t *far,
               const uint64_t *scale, int w, int rx, int t) {
  int lb = 0, lg = 0, lr = 0; // the left neighbour's new value
  for (int x = 0; x < w; ++x) {
    const size_t k = 3 * static_cast<size_t>(x);
    const int pb = p[k], pg = p[k + 1], pr = p[k + 2];
    int b = known[k], g = known[k + 1], r = known[k + 2];
    bool edge = kArea != 0 && (far[k] | far[k + 1] | far[k + 2]);
    auto left = [&](int qb, int qg, int qr) {
      b += qb;
      g += qg;
      r += qr;
      if constexpr (kArea != 0)
        edge = edge || std::abs(qb - pb) > t || std::abs(qg - pg) > t || std::abs(qr - pr) > t;
    };
    if constexpr (kRadius == 1) {
      if (x > 0) left(lb, lg, lr);
    } else {
      const int n = std::min(rx, x);
      for (int i = 1; i <= n; ++i) {
        const uint8_t *q = d + k - 3 * static_cast<size_t>(i);
        left(q[0], q[1], q[2]);
      }
    }
    const uint64_t m = scale[x];
    const bool write = kArea == 0 || (kArea == 1 ? !edge : edge);
    lb = write ? Divide(b, m) : pb;
    lg = write ? Divide(g, m) : pg;
    lr = write ? Divide(r, m) : pr;
    d[k] = static_cast<uint8_t>(lb);
    d[k + 1] = static_cast<uint8_t>(lg);
    d[k + 2] = static_cast<uint8_t>(lr);
  }
}

template <int kArea>
void FinishRow(uint8_t *d, const uint8_t *p, const uint16_t *known, const uint8_t *far,
               const uint64_t *scale, int w, int rx, int t) {
  if (rx == 1)
    FinishRow<kArea, 1>(d, p, known, far, scale, w, rx, t);
  else
    FinishRow<kArea, 0>(d, p, known, far, scale, w, rx, t);
}

} // namespace

void SoftenWindow(TMDIB &dest, const TMDIB &source, int area, int radius, int shape, int threshold,
                  Progress *progress) {
  if (!effects::SameSize24(dest, source) || area < 0 || area > 2 || radius < 1 || radius > 4 ||
      shape < 0 || shape > 2)
    return;
  static const Reciprocals reciprocal;
  const int w = source.width, h = source.height;
  const int rx = shape == 1 ? 0 : radius, ry = shape == 2 ? 0 : radius;
  const bool edges = area != 0;
  // |d| > |threshold| is d^2 > threshold^2; no difference exceeds 255.
  const int t = (threshold < -255 || threshold > 255) ? 255 : std::abs(threshold);

  // The samples whose values are known before the row is rewritten: all but
  // the ones to the left of the centre on its own row, which are added one
  // pixel at a time as they get their new values.
  std::vector<Offset> known;
  for (int dy = -ry; dy <= ry; ++dy)
    for (int dx = -rx; dx <= rx; ++dx) {
      if (dy == 0 && dx < 0) continue;
      const SampleKind kind =
          (dy == 0 && dx == 0) ? kCentre : (dy == 0 || dx == 0 ? kAxis : kDiagonal);
      known.push_back({dy, dx, kind});
    }

  const size_t n = 3 * static_cast<size_t>(w);
  std::vector<uint16_t> sum(n);
  std::vector<uint8_t> far(n);
  std::vector<int> weight(w);
  std::vector<uint64_t> scale(w);
  int scaleAbove = -1, scaleBelow = -1; // the window rows the scales were made for
  for (int y = 0; y < h; ++y) {
    // The window's weights depend on the row only near the top and bottom.
    const int above = std::min(ry, y), below = std::min(ry, h - 1 - y);
    if (above != scaleAbove || below != scaleBelow) {
      std::fill(weight.begin(), weight.end(), 0);
      for (const Offset &o : known) {
        if (o.dy < -above || o.dy > below) continue;
        const int xlo = std::max(0, -o.dx), xhi = std::min(w, w - o.dx);
        for (int x = xlo; x < xhi; ++x)
          weight[x] += kWeight[o.kind];
      }
      for (int x = 0; x < w; ++x)
        scale[x] = reciprocal.For(weight[x] + 100 * std::min(rx, x));
      scaleAbove = above;
      scaleBelow = below;
    }
    std::fill(sum.begin(), sum.end(), uint16_t(0));
    if (edges) std::fill(far.begin(), far.end(), uint8_t(0));
    const uint8_t *p = PictureRow(source, y);
    uint8_t *d = PictureRow(dest, y);
    for (const Offset &o : known) {
      const int yy = y + o.dy;
      if (yy < 0 || yy >= h) continue;
      const int xlo = std::max(0, -o.dx), xhi = std::min(w, w - o.dx);
      if (xlo >= xhi) continue;
      const size_t k0 = 3 * static_cast<size_t>(xlo), len = 3 * static_cast<size_t>(xhi - xlo);
      const uint8_t *s = PictureRow(dest, yy) + 3 * o.dx + k0;
      switch (o.kind) {
      case kCentre: AddSamples<kCentre>(sum.data() + k0, s, len); break;
      case kAxis: AddSamples<kAxis>(sum.data() + k0, s, len); break;
      case kDiagonal: AddSamples<kDiagonal>(sum.data() + k0, s, len); break;
      }
      // The centre still holds the input value.
      if (edges && o.kind != kCentre)
        MarkFar(far.data() + k0, s, p + k0, static_cast<uint8_t>(t), len);
    }
    switch (area) {
    case 0: FinishRow<0>(d, p, sum.data(), far.data(), scale.data(), w, rx, t); break;
    case 1: FinishRow<1>(d, p, sum.data(), far.data(), scale.data(), w, rx, t); break;
    default: FinishRow<2>(d, p, sum.data(), far.data(), scale.data(), w, rx, t); break;
    }
    if (progress) progress->Step();
  }
}

void AverageForward(TMDIB &dib, int direction, Progress *progress) {
  if (!effects::Is24(dib) || direction < 0 || direction > 2) return;
  const int w = dib.width, h = dib.height;
  const size_t n = 3 * static_cast<size_t>(w > 0 ? w - 1 : 0);
  for (int y = 0; y + 1 < h; ++y) {
    // The partners to the right and below are not rewritten yet.
    uint8_t *p = PictureRow(dib, y);
    const uint8_t *q = PictureRow(dib, y + 1);
    switch (direction) {
    case 0:
      for (size_t k = 0; k < n; ++k)
        p[k] = static_cast<uint8_t>((p[k] + p[k + 3]) >> 1);
      break;
    case 1:
      for (size_t k = 0; k < n; ++k)
        p[k] = static_cast<uint8_t>((p[k] + q[k]) >> 1);
      break;
    default:
      for (size_t k = 0; k < n; ++k)
        p[k] = static_cast<uint8_t>((p[k] + p[k + 3] + q[k] + q[k + 3]) >> 2);
      break;
    }
    if (progress) progress->Step();
  }
}

void AverageBackward(TMDIB &dib, int direction, Progress *progress) {
  if (!effects::Is24(dib) || direction < 0 || direction > 2) return;
  const int w = dib.width, h = dib.height;
  const size_t n = 3 * static_cast<size_t>(w);
  std::vector<uint8_t> old(n);
  for (int y = h - 1; y >= 1; --y) {
    // Columns 2 ... w - 1 are rewritten from the right; their partners to
    // the left and above still hold the values from before this pass.
    uint8_t *p = PictureRow(dib, y);
    const uint8_t *q = PictureRow(dib, y - 1);
    std::memcpy(old.data(), p, n);
    const uint8_t *o = old.data();
    switch (direction) {
    case 0:
      for (size_t k = 6; k < n; ++k)
        p[k] = static_cast<uint8_t>((o[k] + o[k - 3]) >> 1);
      break;
    case 1:
      for (size_t k = 6; k < n; ++k)
        p[k] = static_cast<uint8_t>((o[k] + q[k]) >> 1);
      break;
    default:
      for (size_t k = 6; k < n; ++k)
        p[k] = static_cast<uint8_t>((o[k] + o[k - 3] + q[k] + q[k - 3]) >> 2);
      break;
    }
    if (progress) progress->Step();
  }
}

namespace {

// Averages pixel a with its partner b when their differences pass the test.
inline void EdgePair(uint8_t *a, const uint8_t *b, int tt, bool edgesOnly) {
  const int d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
  const bool pass = edgesOnly ? (d0 * d0 > tt || d1 * d1 > tt || d2 * d2 > tt)
                              : (d0 * d0 < tt && d1 * d1 < tt && d2 * d2 < tt);
  if (!pass) return;
  for (int c = 0; c < 3; ++c)
    a[c] = static_cast<uint8_t>((a[c] + b[c]) >> 1);
}

} // namespace

void AverageForwardEdge(TMDIB &dib, int direction, int threshold, bool edgesOnly,
                        Progress *progress) {
  if (!effects::Is24(dib) || direction < 0 || direction > 1) return;
  const int w = dib.width, h = dib.height, tt = threshold * threshold;
  for (int y = 0; y + 1 < h; ++y) {
    uint8_t *p = PictureRow(dib, y);
    const uint8_t *q = PictureRow(dib, y + 1);
    for (int x = 0; x + 1 < w; ++x) {
      uint8_t *a = p + 3 * static_cast<size_t>(x);
      EdgePair(a, direction == 0 ? a + 3 : q + 3 * static_cast<size_t>(x), tt, edgesOnly);
    }
    if (progress) progress->Step();
  }
}

void AverageBackwardEdge(TMDIB &dib, int direction, int threshold, bool edgesOnly,
                         Progress *progress) {
  if (!effects::Is24(dib) || direction < 0 || direction > 1) return;
  const int w = dib.width, h = dib.height, tt = threshold * threshold;
  for (int y = h - 1; y >= 1; --y) {
    uint8_t *p = PictureRow(dib, y);
    const uint8_t *q = PictureRow(dib, y - 1);
    for (int x = w - 1; x >= 2; --x) {
      uint8_t *a = p + 3 * static_cast<size_t>(x);
      EdgePair(a, direction == 0 ? a - 3 : q + 3 * static_cast<size_t>(x), tt, edgesOnly);
    }
    if (progress) progress->Step();
  }
}

int SoftenProgressRange(const SoftenSettings &s, int height) {
  return s.method == 1 ? height * s.strength : height;
}

bool Soften(TMDIB &image, const SoftenSettings &s, Progress *progress) {
  if (!effects::Is24(image)) return false;
  if (s.method == 0)
    return effects::FromCopy(image, [&](TMDIB &dest, const TMDIB &source) {
      SoftenWindow(dest, source, s.area, s.strength, 2 - s.direction, s.threshold, progress);
    });
  if (s.method != 1) return true;
  const int direction = (s.area != 0 && s.direction == 2) ? 0 : s.direction;
  for (int k = 0; k < s.strength; ++k) {
    const bool forward = k % 2 == 0;
    if (s.area == 0) {
      if (forward)
        AverageForward(image, direction, progress);
      else
        AverageBackward(image, direction, progress);
    } else {
      if (forward)
        AverageForwardEdge(image, direction, s.threshold, s.area == 2, progress);
      else
        AverageBackwardEdge(image, direction, s.threshold, s.area == 2, progress);
    }
  }
  return true;
}

SoftenSettings NoiseRemovalBSettings() {
  SoftenSettings s;
  s.area = 1;
  s.direction = 2;
  s.strength = 1;
  s.threshold = 50;
  s.method = 0;
  return s;
}

bool NoiseRemovalB(TMDIB &image, Progress *progress) {
  return Soften(image, NoiseRemovalBSettings(), progress);
}
