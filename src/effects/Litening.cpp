#include "effects/Litening.h"

#include "effects/Effects.h"
#include "effects/Fsoften.h"
#include "image/HotLoop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

// Some quotients below are taken in double precision. For integers N and D
// below 2^53, floor(N / D) computed as the rounded double quotient is exact
// whenever N / D < 2^53 / D: a rounding error large enough to cross an
// integer would have to be at least 1 / D. Every numerator here stays below
// 2^53 for sides up to kLiteningMaxSide, and every quotient is either far
// below that bound or capped at 255 anyway, so these are the integer
// quotients the effects are defined with, only cheaper per pixel.

namespace {

bool Fits(const TMDIB &dib) {
  return effects::Is24(dib) && dib.width <= kLiteningMaxSide && dib.height <= kLiteningMaxSide;
}

bool Within(int v, int lo, int hi) { return v >= lo && v <= hi; }

bool ColourFits(int red, int green, int blue) {
  return Within(red, kColourMin, kColourMax) && Within(green, kColourMin, kColourMax) &&
         Within(blue, kColourMin, kColourMax);
}

void Step(Progress *progress) {
  if (progress) progress->Step();
}

// Largest s with s * s <= n, for 0 <= n < 2^52.
int64_t ISqrt(int64_t n) {
  auto s = static_cast<int64_t>(std::sqrt(static_cast<double>(n)));
  while (s * s > n)
    --s;
  while ((s + 1) * (s + 1) <= n)
    ++s;
  return s;
}

// Byte k plus delta[k], clamped to 0 ... 255.
VELMIR_HOT_LOOP void AddClamped(uint8_t *__restrict p, const int16_t *__restrict delta, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const int v = p[k] + delta[k];
    p[k] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
}

// The spotlight's change along a row: -min(255, d^2 * 128 / R) with
// d^2 = (i - ox)^2 + dy^2, all exact in double precision.
VELMIR_HOT_LOOP void SpotlightRow(int16_t *__restrict out, int w, double ox, double dy2,
                                  double divisor) {
  for (int i = 0; i < w; ++i) {
    const double dx = i - ox;
    const double q = (dx * dx + dy2) * 128.0 / divisor;
    out[i] = static_cast<int16_t>(q < 255.0 ? -static_cast<int>(q) : -255);
  }
}

// The wrap-around's: min(255, (2d^2 - R) * 510 / (W * H)) where 2d^2 > R.
// Two truncated divisions, by W and then by H, give the one by W * H.
VELMIR_HOT_LOOP void WrapRow(int16_t *__restrict out, int w, double ox, double dy2, double r,
                             double divisor) {
  for (int i = 0; i < w; ++i) {
    const double dx = i - ox;
    const double a = 2.0 * (dx * dx + dy2) - r;
    const double q = a * 510.0 / divisor;
    out[i] = static_cast<int16_t>(a <= 0.0 ? 0 : (q < 255.0 ? static_cast<int>(q) : 255));
  }
}

// The cells' changes where the draw is not 19.
VELMIR_HOT_LOOP void UnlessNineteen(int16_t *__restrict out, const int16_t *__restrict cells,
                                    const uint16_t *__restrict draws, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const int keep = draws[k] % 20 != 19;
    out[k] = static_cast<int16_t>(cells[k] * keep);
  }
}

// The random noise's changes: strength * (draw % 20 - 10).
VELMIR_HOT_LOOP void RandomNoise(int16_t *__restrict out, const uint16_t *__restrict draws,
                                 int strength, size_t n) {
  for (size_t k = 0; k < n; ++k)
    out[k] = static_cast<int16_t>(strength * (draws[k] % 20 - 10));
}

// The soft spot's ring weights for pixels x0 ... x0 + count - 1 of a row:
// (d^2 - r1^2) / span and (r2^2 - d^2) / span, each taken with the
// reciprocal of span and raised by 2^-51. A byte times such a weight,
// truncated, is exactly the byte times d^2 - r1^2 (or r2^2 - d^2) divided
// by span, truncated: the raised weight is never below the true one (the
// reciprocal and the product are each off by half a unit in the last place
// at most, 2^-53 for a weight below 1) and exceeds it by less than
// 2^-50, so the product lies above the true quotient by less than
// 255 * 2^-50 plus its own rounding, below 2^-41, while a quotient that is
// not whole lies at least 1 / span below the next whole number, and span
// is below 2^41 for the sides the routines take.
VELMIR_HOT_LOOP void RingWeights(double *__restrict near, double *__restrict far, int x0, int count,
                                 double cx, double dy2, double inner, double outer,
                                 double inverse) {
  for (int i = 0; i < count; ++i) {
    const double dx = static_cast<double>(x0 + i) - cx;
    const double d2 = dx * dx + dy2;
    near[i] = (d2 - inner) * inverse + 0x1p-51;
    far[i] = (outer - d2) * inverse + 0x1p-51;
  }
}

// The ring's bytes: b * near + v * far, each term truncated, capped at
// 255 (the two weights add up to 1).
VELMIR_HOT_LOOP void BlendRing(uint8_t *__restrict b, const uint8_t *__restrict v,
                               const double *__restrict near, const double *__restrict far,
                               size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const int mixed = static_cast<int>(b[k] * near[k]) + static_cast<int>(v[k] * far[k]);
    b[k] = static_cast<uint8_t>(mixed > 255 ? 255 : mixed);
  }
}

// Byte k plus add[k], capped at 255.
VELMIR_HOT_LOOP void AddCapped(uint8_t *__restrict p, const uint8_t *__restrict add, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    const unsigned v = p[k] + add[k];
    p[k] = static_cast<uint8_t>(v > 255 ? 255 : v);
  }
}

// Byte k becomes (mul[k] * v + add[k]) / 100, where mul[k] <= 100 and
// add[k] <= 100 * 255: the sum fits 16 bits.
VELMIR_HOT_LOOP void Blend100(uint8_t *__restrict p, const uint16_t *__restrict mul,
                              const uint16_t *__restrict add, size_t n) {
  for (size_t k = 0; k < n; ++k)
    p[k] = static_cast<uint8_t>(static_cast<uint16_t>(mul[k] * p[k] + add[k]) / 100);
}

// Byte k becomes (alpha * v + add[k]) / 10, alpha <= 10, add[k] <= 2550.
VELMIR_HOT_LOOP void Blend10(uint8_t *__restrict p, uint16_t alpha, const uint16_t *__restrict add,
                             size_t n) {
  for (size_t k = 0; k < n; ++k)
    p[k] = static_cast<uint8_t>(static_cast<uint16_t>(alpha * p[k] + add[k]) / 10);
}

// The value of each pixel for its three bytes.
template <class T> void Triple(T *__restrict out, const T *__restrict in, size_t pixels) {
  for (size_t x = 0; x < pixels; ++x)
    out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
}

// A row's bytes in the given colour (blue, green, red per pixel).
std::vector<uint8_t> ColourRow(int width, int red, int green, int blue) {
  std::vector<uint8_t> row(3 * static_cast<size_t>(width));
  for (size_t k = 0; k < row.size(); k += 3) {
    row[k] = static_cast<uint8_t>(blue);
    row[k + 1] = static_cast<uint8_t>(green);
    row[k + 2] = static_cast<uint8_t>(red);
  }
  return row;
}

// c * (10 - alpha) for every byte of a row, the constant part of the
// translucent blends.
std::vector<uint16_t> TintRow(int width, int red, int green, int blue, int alpha) {
  std::vector<uint16_t> row(3 * static_cast<size_t>(width));
  const int c[3] = {blue, green, red};
  for (size_t k = 0; k < row.size(); ++k)
    row[k] = static_cast<uint16_t>(c[k % 3] * (10 - alpha));
  return row;
}

// Distance of row r from the nearer of the bottom row (0) and the top
// (H, one beyond the top row), as the frames measure it.
int64_t RowEdge(int r, int height) { return std::min<int64_t>(r, height - r); }

// `blocks` times: each lane's value, then the lane `jump` steps on.
template <size_t kLanes>
VELMIR_HOT_LOOP void LaneBlocks(uint32_t *__restrict lane, uint16_t *__restrict out, size_t blocks,
                                uint32_t jumpA, uint32_t jumpC) {
  for (size_t b = 0; b < blocks; ++b, out += kLanes)
    for (size_t j = 0; j < kLanes; ++j) {
      out[j] = static_cast<uint16_t>((lane[j] >> 16) & 0x7FFF);
      lane[j] = lane[j] * jumpA + jumpC;
    }
}

} // namespace

void LcgRandom::Fill(uint16_t *out, size_t n) {
  // Lane j runs j + 1 steps ahead of the generator and then kLanes steps at
  // a time: the lanes are independent, so they vectorise, and together they
  // give the values in their order.
  constexpr size_t kLanes = 32;
  size_t i = 0;
  if (n >= kLanes) {
    uint32_t jumpA = 1, jumpC = 0;
    for (size_t j = 0; j < kLanes; ++j) {
      jumpA *= kMultiplier;
      jumpC = jumpC * kMultiplier + kIncrement;
    }
    std::array<uint32_t, kLanes> lane;
    uint32_t s = state_;
    for (size_t j = 0; j < kLanes; ++j) {
      s = s * kMultiplier + kIncrement;
      lane[j] = s;
    }
    // All blocks but the last, whose last lane's state becomes the
    // generator's when nothing follows it.
    const size_t blocks = n / kLanes;
    LaneBlocks<kLanes>(lane.data(), out, blocks - 1, jumpA, jumpC);
    i = (blocks - 1) * kLanes;
    const uint32_t last = lane[kLanes - 1];
    LaneBlocks<kLanes>(lane.data(), out + i, 1, jumpA, jumpC);
    i += kLanes;
    // The lanes now hold the states of the values still to come.
    const size_t rest = n - i;
    for (size_t j = 0; j < rest; ++j)
      out[i + j] = static_cast<uint16_t>((lane[j] >> 16) & 0x7FFF);
    state_ = rest ? lane[rest - 1] : last;
    return;
  }
  for (; i < n; ++i)
    out[i] = static_cast<uint16_t>(Next());
}

// ---- lighting ----------------------------------------------------------------------------

bool LightingEffect(TMDIB &dib, int kind, int x, int y, int area, Progress *progress) {
  if (!Fits(dib) || !Within(kind, kLightingKindMin, kLightingKindMax) ||
      !Within(x, kLightCentreMin, kLightCentreMax) ||
      !Within(y, kLightCentreMin, kLightCentreMax) || !Within(area, kLitAreaMin, kLitAreaMax))
    return false;
  const int w = dib.width, h = dib.height;
  const int64_t W = w, H = h;
  const int64_t R = area * (W * W + H * H) / 100 / 4;
  const int64_t ox = W * x / 100, oy = H * y / 100;
  std::vector<int16_t> pixelDelta(static_cast<size_t>(w)), byteDelta(3 * static_cast<size_t>(w));

  // Backlight: the change at truncated distance s = 0 ... t from the centre.
  std::vector<int16_t> backlight;
  if (kind == 0 && R > 0) {
    const int64_t t = ISqrt(R);
    backlight.resize(static_cast<size_t>(t) + 1);
    for (int64_t s = 0; s <= t; ++s)
      backlight[static_cast<size_t>(s)] = static_cast<int16_t>(255 - 255 * s / t);
  }
  // The spotlight divides by R; a picture too small for R to reach 1 keeps
  // the light at its centre only.
  const double spotDivisor = static_cast<double>(std::max<int64_t>(R, 1));
  const double wrapDivisor = static_cast<double>(W * H);
  const double rd = static_cast<double>(R), oxd = static_cast<double>(ox);

  for (int r = h - 1; r >= 0; --r) {
    const int64_t dy = r - oy, dy2 = dy * dy;
    const double dy2d = static_cast<double>(dy2);
    int64_t x0 = 0, x1 = w; // the pixels that change
    switch (kind) {
    case 0:
      // d^2 < R where dx^2 <= R - dy^2 - 1.
      if (R - dy2 <= 0) {
        x1 = 0;
        break;
      }
      {
        const int64_t m = ISqrt(R - dy2 - 1);
        x0 = std::max<int64_t>(0, ox - m);
        x1 = std::min<int64_t>(W, ox + m + 1);
        for (int64_t i = x0; i < x1; ++i) {
          const int64_t dx = i - ox;
          pixelDelta[static_cast<size_t>(i)] = backlight[static_cast<size_t>(ISqrt(dx * dx + dy2))];
        }
      }
      break;
    case 1: SpotlightRow(pixelDelta.data(), w, oxd, dy2d, spotDivisor); break;
    default: WrapRow(pixelDelta.data(), w, oxd, dy2d, rd, wrapDivisor); break;
    }
    if (x0 < x1) {
      const size_t first = static_cast<size_t>(x0), count = static_cast<size_t>(x1 - x0);
      Triple(byteDelta.data() + 3 * first, pixelDelta.data() + first, count);
      AddClamped(dib.Row(r) + 3 * first, byteDelta.data() + 3 * first, 3 * count);
    }
    Step(progress);
  }
  return true;
}

// ---- frames ------------------------------------------------------------------------------

namespace {

// The bytes of a row that a frame band of `band` pixels reaches, when the
// row lies between the top and bottom bands: the first `left` and those
// from `right` on (all of them when the two meet).
struct SideBands {
  size_t left, right;
  SideBands(int64_t band, int64_t width)
      : left(3 * static_cast<size_t>(std::min(band + 1, width))),
        right(3 * static_cast<size_t>(std::max<int64_t>(width - band, 0))) {}
  bool Meet() const { return left >= right; }
  // blend(offset, count) over the side bands.
  template <class F> void ForEach(size_t n, F blend) const {
    blend(size_t{0}, left);
    blend(right, n - right);
  }
};

} // namespace

bool FadeOutFrame(TMDIB &dib, int red, int green, int blue, int width, Progress *progress) {
  if (!Fits(dib) || !ColourFits(red, green, blue) || !Within(width, kFrameWidthMin, kFrameWidthMax))
    return false;
  const int w = dib.width, h = dib.height;
  const int64_t W = w, H = h;
  const int64_t band = width * W / 100; // g <= band lies in the frame
  const int c[3] = {blue, green, red};
  const size_t n = 3 * static_cast<size_t>(w);

  // Per byte: t, and c * (100 - t); t = 100 (no change) outside the band.
  // t never exceeds 100 inside it: g <= width * W / 100.
  std::vector<uint16_t> percent(static_cast<size_t>(band) + 1);
  for (int64_t g = 0; g <= band; ++g)
    percent[static_cast<size_t>(g)] = static_cast<uint16_t>(g * 10000 / width / W);
  std::vector<uint16_t> mul(n), add(n);
  auto fill = [&](int64_t rowEdge) {
    for (int64_t x = 0; x < W; ++x) {
      const int64_t g = std::min({x, W - x, rowEdge});
      const int64_t t = g <= band ? percent[static_cast<size_t>(g)] : 100;
      for (int ch = 0; ch < 3; ++ch) {
        mul[3 * x + ch] = static_cast<uint16_t>(t);
        add[3 * x + ch] = static_cast<uint16_t>(c[ch] * (100 - t));
      }
    }
  };
  // The rows away from the top and bottom share their columns' values.
  std::vector<uint16_t> midMul, midAdd;
  fill(H);
  midMul = mul;
  midAdd = add;
  // Those rows change only in the columns with x <= band or W - x <= band.
  const SideBands sides(band, W);

  for (int r = h - 1; r >= 0; --r) {
    uint8_t *row = dib.Row(r);
    const int64_t edge = RowEdge(r, h);
    if (edge <= band) {
      fill(edge);
      Blend100(row, mul.data(), add.data(), n);
    } else if (sides.Meet()) {
      Blend100(row, midMul.data(), midAdd.data(), n);
    } else {
      sides.ForEach(n, [&](size_t at, size_t count) {
        Blend100(row + at, midMul.data() + at, midAdd.data() + at, count);
      });
    }
    Step(progress);
  }
  return true;
}

bool TranslucentFrame(TMDIB &dib, int red, int green, int blue, int width, int transparency,
                      Progress *progress) {
  if (!Fits(dib) || !ColourFits(red, green, blue) ||
      !Within(width, kFrameWidthMin, kFrameWidthMax) ||
      !Within(transparency, kFrameLevelMin, kFrameLevelMax))
    return false;
  const int w = dib.width, h = dib.height;
  const int64_t W = w;
  const int64_t band = width * W * 5 / 1000;
  const size_t n = 3 * static_cast<size_t>(w);
  const std::vector<uint16_t> tint = TintRow(w, red, green, blue, transparency);
  const auto alpha = static_cast<uint16_t>(transparency);
  const SideBands sides(band, W);
  for (int r = h - 1; r >= 0; --r) {
    uint8_t *row = dib.Row(r);
    if (RowEdge(r, h) <= band || sides.Meet()) {
      Blend10(row, alpha, tint.data(), n);
    } else {
      sides.ForEach(
          n, [&](size_t at, size_t count) { Blend10(row + at, alpha, tint.data() + at, count); });
    }
    Step(progress);
  }
  return true;
}

bool WaveFrame(TMDIB &dib, int red, int green, int blue, int width, int wavelength,
               Progress *progress) {
  if (!Fits(dib) || !ColourFits(red, green, blue) ||
      !Within(width, kFrameWidthMin, kFrameWidthMax) ||
      !Within(wavelength, kFrameLevelMin, kFrameLevelMax))
    return false;
  const int w = dib.width, h = dib.height;
  const int64_t W = w, H = h;
  const size_t n = 3 * static_cast<size_t>(w);
  const int f = wavelength + 1;
  // trunc(v) <= band holds exactly when v < band + 1 (band >= 0; a negative
  // v truncates to 0 or below).
  const double limit = static_cast<double>(5 * width * W / 1000 + 1);
  const std::vector<uint8_t> colour = ColourRow(w, red, green, blue);
  std::vector<double> q(n);
  for (size_t k = 0; k < n; ++k)
    q[k] = f * std::sin(static_cast<double>(k) / 3.0 / f);

  for (int r = h - 1; r >= 0; --r) {
    uint8_t *row = dib.Row(r);
    const double wave = f * std::sin(static_cast<double>(r) / f);
    // x + h grows with x and W - x + h falls: the pixels taken by the left
    // and right edges are the first `a` and those from `b` on.
    int a = 0, b = w;
    while (a < w && static_cast<double>(a) + wave < limit)
      ++a;
    while (b > a && static_cast<double>(W - (b - 1)) + wave < limit)
      --b;
    std::memcpy(row, colour.data(), 3 * static_cast<size_t>(a));
    std::memcpy(row + 3 * static_cast<size_t>(b), colour.data() + 3 * static_cast<size_t>(b),
                3 * static_cast<size_t>(w - b));
    // The bottom and top edges reach no further than f beyond them:
    // |q| <= f.
    const double up = static_cast<double>(r), down = static_cast<double>(H - r);
    if (up - f < limit || down - f < limit) {
      for (size_t k = 3 * static_cast<size_t>(a); k < 3 * static_cast<size_t>(b); ++k)
        if (up + q[k] < limit || down + q[k] < limit) row[k] = colour[k];
    }
    Step(progress);
  }
  return true;
}

bool BevelFrame(TMDIB &dib, int width, int strength, Progress *progress) {
  if (!Fits(dib) || !Within(width, kFrameWidthMin, kFrameWidthMax) ||
      !Within(strength, kFrameLevelMin, kFrameLevelMax))
    return false;
  const int w = dib.width, h = dib.height;
  const auto light = static_cast<uint8_t>(11 * strength + 105);
  const auto dark = static_cast<uint8_t>(215 - 11 * strength);
  auto paint = [](uint8_t *row, int from, int to, uint8_t v) {
    if (from < to)
      std::memset(row + 3 * static_cast<size_t>(from), v, 3 * static_cast<size_t>(to - from));
  };
  for (int r = h - 1; r >= 0; --r) {
    uint8_t *row = dib.Row(r);
    const int y = h - 1 - r; // from the top
    bool top = y <= width, bottom = r <= width;
    if (top && bottom) {
      // The bands overlap: the nearer edge's band.
      top = y <= r;
      bottom = !top;
    }
    if (top) {
      // Dark in the top-right corner triangle: x > y and x >= W - 1 - y.
      const int split = std::clamp(std::max(y + 1, w - 1 - y), 0, w);
      paint(row, 0, split, light);
      paint(row, split, w, dark);
    } else if (bottom) {
      // Light in the bottom-left corner triangle: x <= r and x < W - 1 - r.
      const int split = std::clamp(std::min(r + 1, w - 1 - r), 0, w);
      paint(row, 0, split, light);
      paint(row, split, w, dark);
    } else {
      // Light in the left band x <= width, dark in the right one
      // x >= W - 2 - width; a column in both takes the nearer edge's.
      const int leftEnd = std::min(width + 1, w), rightStart = std::max(w - 2 - width, 0);
      auto one = [&](int x) {
        bool left = x <= width, right = x >= w - 2 - width;
        if (left && right) left = x <= w - 1 - x;
        std::memset(row + 3 * static_cast<size_t>(x), left ? light : dark, 3);
      };
      for (int x = 0; x < leftEnd; ++x)
        one(x);
      for (int x = std::max(rightStart, leftEnd); x < w; ++x)
        one(x);
    }
    Step(progress);
  }
  return true;
}

bool EllipseFrame(TMDIB &dib, int red, int green, int blue, int width, int transparency,
                  Progress *progress) {
  if (!Fits(dib) || !ColourFits(red, green, blue) ||
      !Within(width, kFrameWidthMin, kFrameWidthMax) ||
      !Within(transparency, kFrameLevelMin, kFrameLevelMax))
    return false;
  const int w = dib.width, h = dib.height;
  const size_t n = 3 * static_cast<size_t>(w);
  const double k = static_cast<double>(h) / static_cast<double>(w);
  const double rho = static_cast<double>(100 - width) * (h * 0.5) * 0.01;
  const double rho2 = rho * rho;
  const int cx = w / 2, cy = h / 2;
  const int reach = std::max(cx, w - 1 - cx); // the largest |dx| in the picture
  const std::vector<uint16_t> tint = TintRow(w, red, green, blue, transparency);
  const auto alpha = static_cast<uint16_t>(transparency);
  for (int r = h - 1; r >= 0; --r) {
    uint8_t *row = dib.Row(r);
    const int64_t dy = cy - r;
    const auto dy2 = static_cast<double>(dy * dy);
    auto inside = [&](int dx) {
      const auto d = static_cast<double>(dx);
      return rho2 > k * k * d * d + dy2;
    };
    // k^2 dx^2 grows with |dx|: the pixels inside are those with
    // |dx| <= span around the centre column.
    int span = -1;
    while (span < reach && inside(span + 1))
      ++span;
    if (span < 0) {
      Blend10(row, alpha, tint.data(), n);
    } else {
      const size_t left = 3 * static_cast<size_t>(std::max(cx - span, 0));
      const size_t right = 3 * static_cast<size_t>(std::min(cx + span + 1, w));
      Blend10(row, alpha, tint.data(), left);
      Blend10(row + right, alpha, tint.data() + right, n - right);
    }
    Step(progress);
  }
  return true;
}

// ---- spots -------------------------------------------------------------------------------

namespace {

struct SpotGeometry {
  int64_t cx, cy;
  int64_t inner, outer, span; // r1^2, r2^2, r2^2 - r1^2

  SpotGeometry(const TMDIB &dib, int diameter) : cx(dib.width / 2), cy(dib.height / 2) {
    const int64_t r1 = std::min<int64_t>(dib.width, dib.height) * diameter / 16;
    const int64_t r2 = r1 * 16 / 10;
    inner = r1 * r1;
    outer = r2 * r2;
    span = outer - inner;
  }
};

// The dust and white spots: each pixel of row r gets
// ring (d^2 - r1^2) * n * 20 / (r2^2 - r1^2) or outside 20 * n added to its
// bytes, with n from `draws` (or `fixed` without draws).
void SpotRowAdd(const SpotGeometry &g, int r, int w, const uint16_t *draws, int modulus, int fixed,
                uint8_t *pixelAdd) {
  const int64_t dy = r - g.cy, dy2 = dy * dy;
  const auto span = static_cast<double>(g.span);
  for (int x = 0; x < w; ++x) {
    const int n = draws ? draws[x] % modulus : fixed;
    const int64_t dx = x - g.cx, d2 = dx * dx + dy2;
    // The inner disc first: with r1 = r2 its edge is also the outside's.
    int add = 0;
    if (d2 <= g.inner)
      add = 0;
    else if (d2 >= g.outer)
      add = 20 * n;
    else // in the ring, so r2 > r1 and span > 0
      add = static_cast<int>(static_cast<double>((d2 - g.inner) * n * 20) / span);
    pixelAdd[x] = static_cast<uint8_t>(add);
  }
}

bool LightenSpot(TMDIB &dib, int diameter, int strength, LcgRandom *random, Progress *progress) {
  const int w = dib.width, h = dib.height;
  const SpotGeometry g(dib, diameter);
  std::vector<uint16_t> draws(random ? static_cast<size_t>(w) : 0);
  std::vector<uint8_t> pixelAdd(static_cast<size_t>(w)), byteAdd(3 * static_cast<size_t>(w));
  for (int r = h - 1; r >= 0; --r) {
    if (random) random->Fill(draws.data(), draws.size());
    SpotRowAdd(g, r, w, random ? draws.data() : nullptr, 2 * strength, strength, pixelAdd.data());
    Triple(byteAdd.data(), pixelAdd.data(), static_cast<size_t>(w));
    AddCapped(dib.Row(r), byteAdd.data(), byteAdd.size());
    Step(progress);
  }
  return true;
}

bool SpotFits(const TMDIB &dib, int diameter, int strength) {
  return Fits(dib) && Within(diameter, kSpotDiameterMin, kSpotDiameterMax) &&
         Within(strength, kSpotStrengthMin, kSpotStrengthMax);
}

} // namespace

bool DustSpot(TMDIB &dib, int diameter, int strength, uint32_t seed, Progress *progress) {
  if (!SpotFits(dib, diameter, strength)) return false;
  LcgRandom random(seed);
  return LightenSpot(dib, diameter, strength, &random, progress);
}

bool WhiteSpot(TMDIB &dib, int diameter, int strength, uint32_t seed, Progress *progress) {
  if (!SpotFits(dib, diameter, strength)) return false;
  static_cast<void>(seed); // seeded like the others, but nothing is drawn
  return LightenSpot(dib, diameter, strength, nullptr, progress);
}

bool SoftSpotBlur(TMDIB &dib, int radius, Progress *progress) {
  if (!Fits(dib) || !Within(radius, kSpotStrengthMin, kSpotStrengthMax)) return false;
  // Over the whole picture the window reads no input value the picture
  // does not still hold: it is its own source.
  SoftenWindow(dib, dib, 0, radius, 0, 0, progress);
  return true;
}

namespace {

// A row's worth of ring weights, per pixel and per byte.
struct RingScratch {
  std::vector<double> pixelNear, pixelFar, near, far;
  explicit RingScratch(int w)
      : pixelNear(static_cast<size_t>(w)), pixelFar(pixelNear.size()), near(3 * pixelNear.size()),
        far(near.size()) {}
};

// One memory row r of the soft spot's blend: the inner disc from `sharp`,
// the ring mixed, the outside left blurred.
void BlendSpotRow(uint8_t *b, const uint8_t *v, int r, int w, const SpotGeometry &g,
                  RingScratch &s) {
  const int64_t W = w;
  const int64_t dy = r - g.cy, dy2 = dy * dy;
  // |dx| <= a: the inner disc, d^2 <= r1^2; a < |dx| <= c: the ring,
  // d^2 < r2^2 (-1 for none). The inner disc first: when r2 = r1 the ring
  // is empty.
  const int64_t a = g.inner - dy2 >= 0 ? ISqrt(g.inner - dy2) : -1;
  const int64_t c = std::max(a, g.outer - dy2 > 0 ? ISqrt(g.outer - dy2 - 1) : -1);
  if (a >= 0) {
    const int64_t x0 = std::max<int64_t>(g.cx - a, 0), x1 = std::min(g.cx + a + 1, W);
    if (x0 < x1) std::memcpy(b + 3 * x0, v + 3 * x0, 3 * static_cast<size_t>(x1 - x0));
  }
  // The two arcs of the ring, left and right of the disc (or of the centre
  // column, where the row misses the disc).
  const int64_t gap = std::max<int64_t>(a, 0);
  const int64_t arcs[2][2] = {{g.cx - c, g.cx - gap + (a < 0 ? 1 : 0)},
                              {g.cx + gap + 1, g.cx + c + 1}};
  for (const auto &arc : arcs) {
    const int64_t x0 = std::max<int64_t>(arc[0], 0), x1 = std::min(arc[1], W);
    if (x0 >= x1) continue;
    const auto count = static_cast<size_t>(x1 - x0);
    RingWeights(s.pixelNear.data(), s.pixelFar.data(), static_cast<int>(x0),
                static_cast<int>(count), static_cast<double>(g.cx), static_cast<double>(dy2),
                static_cast<double>(g.inner), static_cast<double>(g.outer),
                1.0 / static_cast<double>(g.span));
    Triple(s.near.data(), s.pixelNear.data(), count);
    Triple(s.far.data(), s.pixelFar.data(), count);
    BlendRing(b + 3 * x0, v + 3 * x0, s.near.data(), s.far.data(), 3 * count);
  }
}

// The soft spot in one pass without a copy of the picture. The blur
// rewrites the rows from the top and reads a rewritten row no more once it
// is `radius` rows above the one it works on; each step of its progress
// says one more row is done. So the input of each row is kept just before
// the blur reaches it, and a row is blended as soon as the blur is
// through with it.
class SpotBlender : public Progress {
public:
  SpotBlender(TMDIB &dib, int diameter, int radius, Progress *outer)
      : dib_(dib), g_(dib, diameter), radius_(radius), outer_(outer),
        n_(3 * static_cast<size_t>(dib.width)), slots_(static_cast<size_t>(radius) + 2),
        sharp_(slots_ * n_), scratch_(dib.width) {
    Keep(0);
  }

  void SetRange(int) override {}
  // Row `done_` (from the top) is rewritten.
  void Step() override {
    const int y = done_++;
    if (outer_) outer_->Step();
    if (y + 1 < dib_.height) Keep(y + 1);
    if (y - radius_ >= 0) Blend(y - radius_);
  }
  // The rows the blur might still have read.
  void Finish() {
    for (int y = std::max(0, dib_.height - radius_); y < dib_.height; ++y)
      Blend(y);
  }

private:
  uint8_t *Slot(int y) { return sharp_.data() + (static_cast<size_t>(y) % slots_) * n_; }
  void Keep(int y) { std::memcpy(Slot(y), effects::PictureRow(dib_, y), n_); }
  void Blend(int y) {
    const int r = dib_.height - 1 - y;
    BlendSpotRow(dib_.Row(r), Slot(y), r, dib_.width, g_, scratch_);
    if (outer_) outer_->Step();
  }

  TMDIB &dib_;
  SpotGeometry g_;
  int radius_;
  Progress *outer_;
  size_t n_, slots_;
  std::vector<uint8_t> sharp_;
  RingScratch scratch_;
  int done_ = 0;
};

} // namespace

bool SoftSpotBlend(TMDIB &blurred, const TMDIB &sharp, int diameter, Progress *progress) {
  if (!Fits(blurred) || !effects::SameSize24(blurred, sharp) ||
      !Within(diameter, kSpotDiameterMin, kSpotDiameterMax))
    return false;
  const int w = blurred.width, h = blurred.height;
  const SpotGeometry g(blurred, diameter);
  RingScratch scratch(w);
  for (int r = h - 1; r >= 0; --r) {
    BlendSpotRow(blurred.Row(r), sharp.Row(r), r, w, g, scratch);
    Step(progress);
  }
  return true;
}

bool SoftSpot(TMDIB &dib, int diameter, int strength, Progress *progress) {
  if (!SpotFits(dib, diameter, strength)) return false;
  SpotBlender blender(dib, diameter, strength, progress);
  SoftenWindow(dib, dib, 0, strength, 0, 0, &blender);
  blender.Finish();
  return true;
}

// ---- noise and texture -------------------------------------------------------------------

bool AddNoise(TMDIB &dib, int kind, int strength, uint32_t seed, Progress *progress) {
  if (!Fits(dib) || !Within(kind, kNoiseKindMin, kNoiseKindMax) ||
      !Within(strength, kNoiseStrengthMin, kNoiseStrengthMax))
    return false;
  const int w = dib.width, h = dib.height;
  const size_t pixels = static_cast<size_t>(w), n = 3 * pixels;
  LcgRandom random(seed);
  std::vector<uint16_t> draws(kind == 0 ? n : pixels);
  std::vector<int16_t> pixelDelta(pixels), byteDelta(n);
  const int s = strength;
  for (int r = h - 1; r >= 0; --r) {
    random.Fill(draws.data(), draws.size());
    if (kind == 0) {
      RandomNoise(byteDelta.data(), draws.data(), s, n);
    } else {
      for (size_t x = 0; x < pixels; ++x) {
        const int c = draws[x] % 10;
        int d = 0;
        if (kind == 1) d = s * (c - 5);
        if (kind == 2) d = c < s ? 10 * c : 0;
        if (kind == 3) d = c < s ? -10 * c : 0;
        pixelDelta[x] = static_cast<int16_t>(d);
      }
      Triple(byteDelta.data(), pixelDelta.data(), pixels);
    }
    AddClamped(dib.Row(r), byteDelta.data(), n);
    Step(progress);
  }
  return true;
}

namespace {

// +1, -1 or 0: the texture's change at (a, b), a from the row and b from
// the column as each texture takes them.
int TextureSign(int texture, int a, int b) {
  switch (texture) {
  case 0: return b == a ? 1 : (b == (a + 2) % 4 ? -1 : 0);
  case 1: return b == 0 ? 1 : (b == 2 ? -1 : 0);
  case 2: return a == 0 ? 1 : (a == 2 ? -1 : 0);
  case 3:
    if ((b == 0 && a >= 1) || (a == 3 && b <= 2)) return 1;
    if ((b == 3 && a <= 2) || (a == 0 && (b == 1 || b == 2))) return -1;
    return 0;
  case 4:
    if ((b == 0 && a >= 1) || (a == 4 && b <= 3)) return 1;
    if ((b == 4 && a <= 3) || (a == 0 && b >= 1 && b <= 3)) return -1;
    return 0;
  default: {
    const int t = (6 - a) * (b + 1);
    if (t == 2 || t == 16 || t == 18 || t == 20) return -1;
    if (t == 5 || t == 8 || t == 9 || t == 30 || t == 36) return 1;
    return 0;
  }
  }
}

// The period of a texture's cells in x and r.
int TexturePeriod(int texture) { return texture == 4 ? 5 : (texture == 5 ? 6 : 4); }

} // namespace

bool ApplyTexture(TMDIB &dib, int texture, int strength, uint32_t seed, Progress *progress) {
  if (!Fits(dib) || !Within(texture, kTextureMin, kTextureMax) ||
      !Within(strength, kTextureStrengthMin, kTextureStrengthMax))
    return false;
  const int w = dib.width, h = dib.height;
  const size_t pixels = static_cast<size_t>(w), n = 3 * pixels;
  const int g = 5 * strength, period = TexturePeriod(texture);
  // One row of byte changes for each row of the cell.
  std::vector<std::vector<int16_t>> pattern(static_cast<size_t>(period));
  std::vector<int16_t> pixelDelta(pixels);
  for (int a = 0; a < period; ++a) {
    for (int x = 0; x < w; ++x)
      pixelDelta[static_cast<size_t>(x)] =
          static_cast<int16_t>(g * TextureSign(texture, a, x % period));
    pattern[static_cast<size_t>(a)].resize(n);
    Triple(pattern[static_cast<size_t>(a)].data(), pixelDelta.data(), pixels);
  }
  LcgRandom random(seed);
  const bool drawn = texture == 5;
  std::vector<uint16_t> draws(drawn ? n : 0);
  std::vector<int16_t> byteDelta(drawn ? n : 0);
  for (int r = h - 1; r >= 0; --r) {
    const std::vector<int16_t> &cells = pattern[static_cast<size_t>(r % period)];
    if (drawn) {
      // A draw of 19 leaves its byte alone.
      random.Fill(draws.data(), n);
      UnlessNineteen(byteDelta.data(), cells.data(), draws.data(), n);
      AddClamped(dib.Row(r), byteDelta.data(), n);
    } else {
      AddClamped(dib.Row(r), cells.data(), n);
    }
    Step(progress);
  }
  return true;
}
