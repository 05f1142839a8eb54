#include "effects/Fsoften.h"

#include "effects/Effects.h"
#include "image/HotLoop.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
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

// Every weight is a multiple of 50 and at most 7200 (radius 5, square:
// 200 + 20 * 100 + 100 * 50); a channel's sum stays below 2^15 (18310),
// sum * 100 below 2^21, and for such numbers n * ceil(2^40 / w) >> 40 is
// exactly n / w. The factor 100 is folded into the multiplier.
constexpr int kMostWeight = 200 + 4 * kSoftenWindowRadiusMax * 100 +
                            4 * kSoftenWindowRadiusMax * kSoftenWindowRadiusMax * 50;
struct Reciprocals {
  uint64_t m[kMostWeight / 50 + 1] = {};
  Reciprocals() {
    for (int i = 1; i <= kMostWeight / 50; ++i) {
      const uint64_t w = 50u * static_cast<uint64_t>(i);
      m[i] = 100u * (((uint64_t(1) << 40) + w - 1) / w);
    }
  }
  uint64_t For(int weight) const { return m[weight / 50]; }
};

inline uint8_t Divide(int sum, uint64_t multiplier) {
  return static_cast<uint8_t>((static_cast<uint64_t>(sum) * multiplier) >> 40);
}

// sum[k] += the sample's share of s[k]; the sums stay below 2^15.
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

// The same over the whole picture with two or more samples to the left:
// their new values kept as a running sum, whatever the radius. Each new
// value feeds the next pixel's sum, so the loop runs at the speed of one
// sum, multiply and shift per pixel; the values stay 64-bit on that path
// (the quotients are below 256 anyway).
inline void FinishRowEverywhere(uint8_t *d, const uint16_t *known, const uint64_t *scale, int w,
                                int rx) {
  uint64_t sb = 0, sg = 0, sr = 0; // the new values of pixels x - rx ... x - 1
  for (int x = 0; x < w; ++x) {
    const size_t k = 3 * static_cast<size_t>(x);
    if (x > rx) {
      const uint8_t *q = d + k - 3 * static_cast<size_t>(rx + 1);
      sb -= q[0];
      sg -= q[1];
      sr -= q[2];
    }
    const uint64_t m = scale[x];
    const uint64_t nb = ((known[k] + sb) * m) >> 40, ng = ((known[k + 1] + sg) * m) >> 40,
                   nr = ((known[k + 2] + sr) * m) >> 40;
    d[k] = static_cast<uint8_t>(nb);
    d[k + 1] = static_cast<uint8_t>(ng);
    d[k + 2] = static_cast<uint8_t>(nr);
    sb += nb;
    sg += ng;
    sr += nr;
  }
}

template <int kArea>
void FinishRow(uint8_t *d, const uint8_t *p, const uint16_t *known, const uint8_t *far,
               const uint64_t *scale, int w, int rx, int t) {
  if (kArea == 0 && rx >= 2)
    FinishRowEverywhere(d, known, scale, w, rx);
  else if (rx == 1)
    FinishRow<kArea, 1>(d, p, known, far, scale, w, rx, t);
  else
    FinishRow<kArea, 0>(d, p, known, far, scale, w, rx, t);
}

VELMIR_HOT_LOOP void AddRow(uint16_t *__restrict a, const uint16_t *__restrict b, size_t n) {
  for (size_t k = 0; k < n; ++k)
    a[k] = static_cast<uint16_t>(a[k] + b[k]);
}

// Window rows, added to or taken from the running sums: their samples'
// halves, and what the halves leave of each sample. The sums may wrap
// around modulo 2^16 on the way; those they end with are true.
VELMIR_HOT_LOOP void AddHalves(uint16_t *__restrict halves, uint16_t *__restrict rests,
                               const uint8_t *__restrict v, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    halves[k] = static_cast<uint16_t>(halves[k] + (v[k] >> 1));
    rests[k] = static_cast<uint16_t>(rests[k] + (v[k] - (v[k] >> 1)));
  }
}

VELMIR_HOT_LOOP void SubtractHalves(uint16_t *__restrict halves, uint16_t *__restrict rests,
                                    const uint8_t *__restrict v, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    halves[k] = static_cast<uint16_t>(halves[k] - (v[k] >> 1));
    rests[k] = static_cast<uint16_t>(rests[k] - (v[k] - (v[k] >> 1)));
  }
}

// next[k] = run[k] + run[k + step]: sums of twice as many pixels.
VELMIR_HOT_LOOP void PairSums(uint16_t *__restrict next, const uint16_t *__restrict run,
                              size_t step, size_t n) {
  for (size_t k = 0; k < n; ++k)
    next[k] = static_cast<uint16_t>(run[k] + run[k + step]);
}

// The square window over the whole picture, where no sample is compared.
// A window row other than the centre's adds to a pixel the halves of its
// 2r + 1 samples, plus the other half of the one in the pixel's column
// (which counts in full). Summed over the window rows, that is the sum over
// 2r + 1 columns of the rows' halves added up column by column, plus their
// other halves added up: both column sums follow the window down the
// picture by adding the row that comes in and taking away the one that
// leaves, so a row costs the same few passes whatever the radius. Rows
// below the centre come in with their input values, rows above with their
// new ones; each row is read again, unchanged, when it leaves: the input
// rows as the centre reaches them, the new ones `radius` rows later.
class RowShares {
public:
  RowShares(const TMDIB &dest, const TMDIB &source, int radius)
      : dest_(dest), source_(source), w_(source.width), h_(source.height), r_(radius),
        n_(3 * static_cast<size_t>(source.width)), pad_(3 * static_cast<size_t>(radius)),
        halves_(n_ + 2 * pad_), rests_(n_), runs_{halves_, halves_} {
    for (int j = 1; j <= std::min(r_, h_ - 1); ++j)
      AddHalves(Halves(), rests_.data(), PictureRow(source_, j), n_);
  }

  // The known samples of centre row y: the window rows', then the row's own
  // centre (twice) and the samples to its right, not yet rewritten.
  void KnownSums(int y, uint16_t *sum) {
    std::copy(rests_.begin(), rests_.end(), sum);
    AddWindowHalves(sum);
    const uint8_t *row = PictureRow(dest_, y);
    AddSamples<kCentre>(sum, row, n_);
    for (int dx = 1; dx <= r_ && dx < w_; ++dx)
      AddSamples<kAxis>(sum, row + 3 * dx, n_ - 3 * static_cast<size_t>(dx));
  }

  // Row y has been rewritten: move the window down by one row.
  void Next(int y) {
    if (y + 1 < h_) // the new centre
      SubtractHalves(Halves(), rests_.data(), PictureRow(source_, y + 1), n_);
    AddHalves(Halves(), rests_.data(), PictureRow(dest_, y), n_);
    if (y - r_ >= 0) SubtractHalves(Halves(), rests_.data(), PictureRow(dest_, y - r_), n_);
    if (y + 1 + r_ < h_) AddHalves(Halves(), rests_.data(), PictureRow(source_, y + 1 + r_), n_);
  }

private:
  uint16_t *Halves() { return halves_.data() + pad_; }

  // sum[k] += the halves of the 2r + 1 pixels around k's: the zeros beyond
  // the picture's sides stand for the samples that are not there. Sums of
  // 1, 2, 4 and 8 neighbouring pixels, each from the one before, make up
  // the 2r + 1 in a few passes.
  void AddWindowHalves(uint16_t *sum) {
    const int wide = 2 * r_ + 1;
    const uint16_t *run = halves_.data(); // sums of `width` pixels from k's on
    size_t length = halves_.size();
    int offset = 0;
    for (int width = 1, turn = 0;; width *= 2, turn ^= 1) {
      if (wide & width) {
        AddRow(sum, run + 3 * static_cast<size_t>(offset), n_);
        offset += width;
      }
      if (2 * width > wide) break;
      const size_t step = 3 * static_cast<size_t>(width);
      length -= step;
      uint16_t *next = runs_[turn].data();
      PairSums(next, run, step, length);
      run = next;
    }
  }

  const TMDIB &dest_;
  const TMDIB &source_;
  int w_, h_, r_;
  size_t n_, pad_;
  // Column sums over the window rows: the halves, with r zero pixels on
  // either side, and what the halves leave.
  std::vector<uint16_t> halves_, rests_;
  std::vector<uint16_t> runs_[2]; // the sums of 2, 4, 8 pixels, in turn
};

} // namespace

void SoftenWindow(TMDIB &dest, const TMDIB &source, int area, int radius, int shape, int threshold,
                  Progress *progress) {
  if (!effects::SameSize24(dest, source) || area < 0 || area > 2 || radius < 1 ||
      radius > kSoftenWindowRadiusMax || shape < 0 || shape > 2)
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
  // From radius 2 on the running shares take fewer passes than the samples.
  std::optional<RowShares> shares;
  if (area == 0 && shape == 0 && radius >= 2) shares.emplace(dest, source, radius);
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
    const uint8_t *p = PictureRow(source, y);
    uint8_t *d = PictureRow(dest, y);
    if (shares) {
      shares->KnownSums(y, sum.data());
      FinishRow<0>(d, p, sum.data(), far.data(), scale.data(), w, rx, t);
      shares->Next(y);
      if (progress) progress->Step();
      continue;
    }
    std::fill(sum.begin(), sum.end(), uint16_t(0));
    if (edges) std::fill(far.begin(), far.end(), uint8_t(0));
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
