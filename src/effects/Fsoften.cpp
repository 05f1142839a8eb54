#include "Fsoften.h"

#include "Effects.h"

#include <algorithm>
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
// sum * 100 stays below 2^21, and for such numbers n * ceil(2^40 / w) >> 40
// is exactly n / w.
struct Reciprocals {
  uint64_t m[101] = {};
  Reciprocals() {
    for (int i = 1; i <= 100; ++i) {
      const uint64_t w = 50u * static_cast<uint64_t>(i);
      m[i] = ((uint64_t(1) << 40) + w - 1) / w;
    }
  }
  uint8_t Divide(int sum, int weight) const {
    return static_cast<uint8_t>((static_cast<uint64_t>(sum) * 100u * m[weight / 50]) >> 40);
  }
};

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
  const int tt = threshold * threshold;

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
  std::vector<int> sum(n), weight(w);
  std::vector<uint8_t> far(n);
  for (int y = 0; y < h; ++y) {
    std::fill(sum.begin(), sum.end(), 0);
    std::fill(weight.begin(), weight.end(), 0);
    if (edges) std::fill(far.begin(), far.end(), uint8_t(0));
    const uint8_t *p = PictureRow(source, y);
    uint8_t *d = PictureRow(dest, y);
    for (const Offset &o : known) {
      const int yy = y + o.dy;
      if (yy < 0 || yy >= h) continue;
      const int xlo = std::max(0, -o.dx), xhi = std::min(w, w - o.dx);
      if (xlo >= xhi) continue;
      for (int x = xlo; x < xhi; ++x)
        weight[x] += kWeight[o.kind];
      const uint8_t *s = PictureRow(dest, yy) + 3 * o.dx;
      const size_t k0 = 3 * static_cast<size_t>(xlo), k1 = 3 * static_cast<size_t>(xhi);
      int *acc = sum.data();
      switch (o.kind) {
      case kCentre:
        for (size_t k = k0; k < k1; ++k)
          acc[k] += 2 * s[k];
        break;
      case kAxis:
        for (size_t k = k0; k < k1; ++k)
          acc[k] += s[k];
        break;
      case kDiagonal:
        for (size_t k = k0; k < k1; ++k)
          acc[k] += s[k] >> 1;
        break;
      }
      if (edges && o.kind != kCentre) {
        uint8_t *f = far.data();
        for (size_t k = k0; k < k1; ++k) {
          const int diff = s[k] - p[k];
          f[k] |= static_cast<uint8_t>(diff * diff > tt);
        }
      }
    }
    // Left to right: the samples to the left hold their new values now.
    for (int x = 0; x < w; ++x) {
      const size_t k = 3 * static_cast<size_t>(x);
      int b = sum[k], g = sum[k + 1], r = sum[k + 2], wt = weight[x];
      bool edge = edges && (far[k] | far[k + 1] | far[k + 2]);
      const int left = std::min(rx, x);
      for (int i = 1; i <= left; ++i) {
        const uint8_t *q = d + k - 3 * static_cast<size_t>(i);
        b += q[0];
        g += q[1];
        r += q[2];
        wt += 100;
        if (edges) {
          const int d0 = q[0] - p[k], d1 = q[1] - p[k + 1], d2 = q[2] - p[k + 2];
          edge = edge || d0 * d0 > tt || d1 * d1 > tt || d2 * d2 > tt;
        }
      }
      const bool write = area == 0 || (area == 1 ? !edge : edge);
      if (write) {
        d[k] = reciprocal.Divide(b, wt);
        d[k + 1] = reciprocal.Divide(g, wt);
        d[k + 2] = reciprocal.Divide(r, wt);
      } else {
        d[k] = p[k];
        d[k + 1] = p[k + 1];
        d[k + 2] = p[k + 2];
      }
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
  if (s.method == 0) {
    DibHandle copy(Kit.ImgKitCopy(image.handle, "", ""));
    if (!copy) return false;
    const TMDIB source(copy.get());
    if (!effects::SameSize24(image, source)) return false;
    SoftenWindow(image, source, s.area, s.strength, 2 - s.direction, s.threshold, progress);
    return true;
  }
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
