// The lighting, frame, spot, noise and texture effects against references
// written straight from their definitions: byte by byte over the memory
// rows r from the top (r = H - 1) down, integer arithmetic in 64 bits, the
// random numbers from a generator of the test's own.
#include "effects/Fsoften.h"
#include "effects/Litening.h"
#include "routines/AllRoutines.h"

#include "effects_test_util.h"

#include <cmath>
#include <functional>

using namespace effectstest;

namespace {

// Byte k of memory row r.
int &Byte(Picture &p, int r, int k) { return p.at(k / 3, p.h - 1 - r, k % 3); }
int Byte(const Picture &p, int r, int k) { return p.at(k / 3, p.h - 1 - r, k % 3); }

int Clamp(int64_t v) { return static_cast<int>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

int64_t RootDown(int64_t n) { // largest s with s^2 <= n
  int64_t lo = 0, hi = 1;
  while (hi * hi <= n)
    hi *= 2;
  while (hi - lo > 1) {
    const int64_t mid = (lo + hi) / 2;
    (mid * mid <= n ? lo : hi) = mid;
  }
  return lo;
}

// The generator as described, kept apart from the one under test.
struct Draws {
  uint32_t state;
  explicit Draws(uint32_t seed) : state(seed) { Next(); }
  int Next() {
    state = static_cast<uint32_t>((uint64_t{state} * 22695477u + 1u) & 0xFFFFFFFFu);
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
};

// Every byte through f(r, k, v), rows from the top.
Picture EachByte(Picture p, const std::function<int(int r, int k, int v)> &f) {
  for (int r = p.h - 1; r >= 0; --r)
    for (int k = 0; k < 3 * p.w; ++k)
      Byte(p, r, k) = f(r, k, Byte(p, r, k));
  return p;
}

// Runs `routine` on a copy of `image`.
Picture Applied(const DibHandle &image, const std::function<bool(TMDIB &)> &routine,
                bool *done = nullptr) {
  DibHandle out = Copy(image);
  TMDIB d(out.get());
  const bool ok = routine(d);
  if (done) *done = ok;
  EXPECT_EQ(Padding(d), Padding(TMDIB(image.get())));
  return ToPicture(d);
}

// ---- references ----------------------------------------------------------------------------

Picture LightingRef(const Picture &in, int kind, int cx, int cy, int area) {
  const int64_t W = in.w, H = in.h, R = area * (W * W + H * H) / 100 / 4;
  return EachByte(in, [&](int r, int k, int v) -> int {
    const int64_t dx = k / 3 - W * cx / 100, dy = r - H * cy / 100, d2 = dx * dx + dy * dy;
    if (kind == 0) return d2 < R ? Clamp(v + 255 - 255 * RootDown(d2) / RootDown(R)) : v;
    if (kind == 1) return Clamp(v - d2 * 128 / (R > 0 ? R : 1));
    return 2 * d2 > R ? Clamp(v + (2 * d2 - R) * 510 / W / H) : v;
  });
}

int64_t FrameEdge(const Picture &p, int r, int k) {
  const int64_t x = k / 3;
  return std::min({x, p.w - x, int64_t{r}, p.h - int64_t{r}});
}

Picture FadeRef(const Picture &in, const int c[3], int w) {
  return EachByte(in, [&](int r, int k, int v) {
    const int64_t g = FrameEdge(in, r, k);
    if (g > w * int64_t{in.w} / 100) return v;
    const int64_t t = g * 10000 / w / in.w;
    return Clamp((t * v + c[k % 3] * (100 - t)) / 100);
  });
}

Picture TranslucentRef(const Picture &in, const int c[3], int w, int a) {
  return EachByte(in, [&](int r, int k, int v) {
    if (FrameEdge(in, r, k) > w * int64_t{in.w} * 5 / 1000) return v;
    return Clamp((a * v + c[k % 3] * (10 - a)) / 10);
  });
}

Picture WaveRef(const Picture &in, const int c[3], int w, int e) {
  const double f = e + 1;
  return EachByte(in, [&](int r, int k, int v) {
    const double h = f * std::sin(r / f), q = f * std::sin((k / 3.0) / f);
    const int x = k / 3;
    const auto g = std::min({std::trunc(x + h), std::trunc((in.w - x) + h), std::trunc(r + q),
                             std::trunc((in.h - r) + q)});
    return g <= static_cast<double>(5 * w * in.w / 1000) ? c[k % 3] : v;
  });
}

Picture BevelRef(const Picture &in, int w, int s) {
  const int light = 11 * s + 105, dark = 215 - 11 * s, W = in.w, H = in.h;
  return EachByte(in, [&](int r, int k, int v) {
    const int x = k / 3, y = H - 1 - r;
    bool top = r >= H - 1 - w, bottom = r <= w;
    if (top && bottom) { // overlapping bands: the nearer edge
      top = y <= r;
      bottom = !top;
    }
    if (top) return (x > y && x >= W - 1 - y) ? dark : light;
    if (bottom) return (x <= r && x < W - 1 - r) ? light : dark;
    bool left = x <= w, right = x >= W - 2 - w;
    if (left && right) {
      left = x <= W - 1 - x;
      right = !left;
    }
    return left ? light : (right ? dark : v);
  });
}

Picture EllipseRef(const Picture &in, const int c[3], int w, int a) {
  const double kk = static_cast<double>(in.h) / in.w;
  const double rho = (100 - w) * (in.h * 0.5) * 0.01;
  return EachByte(in, [&](int r, int k, int v) {
    const double dx = in.w / 2 - k / 3;
    const int64_t dy = in.h / 2 - r;
    if (rho * rho > kk * kk * dx * dx + static_cast<double>(dy * dy)) return v;
    return Clamp((a * v + c[k % 3] * (10 - a)) / 10);
  });
}

struct Spot {
  int64_t r1s, r2s, cx, cy;
  Spot(const Picture &p, int diameter) : cx(p.w / 2), cy(p.h / 2) {
    const int64_t r1 = std::min(p.w, p.h) * int64_t{diameter} / 16, r2 = r1 * 16 / 10;
    r1s = r1 * r1;
    r2s = r2 * r2;
  }
  int64_t D2(int r, int k) const {
    const int64_t dx = k / 3 - cx, dy = r - cy;
    return dx * dx + dy * dy;
  }
};

// The dust spot with draws, or the white spot with n = strength throughout.
Picture LightenRef(const Picture &in, int p, int s, Draws *draws) {
  const Spot spot(in, p);
  int64_t n = s;
  return EachByte(in, [&](int r, int k, int v) {
    if (draws && k % 3 == 0) n = draws->Next() % (2 * s);
    const int64_t d2 = spot.D2(r, k);
    if (d2 <= spot.r1s) return v;
    if (d2 < spot.r2s) return Clamp(v + (d2 - spot.r1s) * n * 20 / (spot.r2s - spot.r1s));
    return Clamp(v + 20 * n);
  });
}

// The square weighted window of radius s, samples from the picture being
// rewritten, then the blend back to the sharp picture.
Picture SoftRef(const Picture &in, int p, int s) {
  Picture b = in;
  for (int y = 0; y < in.h; ++y)
    for (int x = 0; x < in.w; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0, weight = 0;
        for (int yy = std::max(0, y - s); yy <= std::min(in.h - 1, y + s); ++yy)
          for (int xx = std::max(0, x - s); xx <= std::min(in.w - 1, x + s); ++xx) {
            const int v = b.at(xx, yy, c);
            if (xx == x && yy == y) {
              sum += 2 * v;
              weight += 200;
            } else if (xx == x || yy == y) {
              sum += v;
              weight += 100;
            } else {
              sum += v >> 1;
              weight += 50;
            }
          }
        b.at(x, y, c) = sum * 100 / weight;
      }
  const Spot spot(in, p);
  return EachByte(b, [&](int r, int k, int blurred) {
    const int64_t d2 = spot.D2(r, k), span = spot.r2s - spot.r1s;
    const int sharp = Byte(in, r, k);
    if (d2 <= spot.r1s) return sharp;
    if (d2 >= spot.r2s) return blurred;
    return Clamp(blurred * (d2 - spot.r1s) / span + sharp * (spot.r2s - d2) / span);
  });
}

Picture NoiseRef(const Picture &in, int kind, int s, uint32_t seed) {
  Draws draws(seed);
  int c = 0;
  return EachByte(in, [&](int, int k, int v) {
    if (kind == 0) return Clamp(v + s * (draws.Next() % 20 - 10));
    if (k % 3 == 0) c = draws.Next() % 10;
    if (kind == 1) return Clamp(v + s * (c - 5));
    if (kind == 2) return c < s ? Clamp(v + 10 * c) : v;
    return c < s ? Clamp(v - 10 * c) : v;
  });
}

Picture TextureRef(const Picture &in, int texture, int s, uint32_t seed) {
  Draws draws(seed);
  const int g = 5 * s;
  return EachByte(in, [&](int r, int k, int v) {
    const int x = k / 3;
    int d = 0;
    if (texture == 0) {
      const int a = r % 4, b = x % 4;
      d = b == a ? g : (b == (a + 2) % 4 ? -g : 0);
    } else if (texture == 1) {
      d = x % 4 == 0 ? g : (x % 4 == 2 ? -g : 0);
    } else if (texture == 2) {
      d = r % 4 == 0 ? g : (r % 4 == 2 ? -g : 0);
    } else if (texture == 3) {
      const int a = r % 4, b = x % 4;
      if ((b == 0 && a >= 1) || (a == 3 && b <= 2)) d = g;
      if ((b == 3 && a <= 2) || (a == 0 && (b == 1 || b == 2))) d = -g;
    } else if (texture == 4) {
      const int a = r % 5, b = x % 5;
      if ((b == 0 && a >= 1) || (a == 4 && b <= 3)) d = g;
      if ((b == 4 && a <= 3) || (a == 0 && 1 <= b && b <= 3)) d = -g;
    } else {
      if (draws.Next() % 20 == 19) return v;
      const int t = (6 - r % 6) * (x % 6 + 1);
      if (t == 2 || t == 16 || t == 18 || t == 20) d = -g;
      if (t == 5 || t == 8 || t == 9 || t == 30 || t == 36) d = g;
    }
    return Clamp(v + d);
  });
}

// Random pictures of widths 1 ... 9 and odd heights, and a wider one whose
// spots have rings.
template <class F> void OnRandomPictures(F check) {
  Noise noise;
  for (int w = 1; w <= 9; ++w)
    for (int h = 1; h <= 9; h += 2)
      check(Random24(w, h, noise));
  check(Random24(37, 23, noise));
  check(Random24(23, 41, noise, 4));
}

void ExpectPicture(const Picture &got, const Picture &want, const std::string &what) {
  EXPECT_TRUE(got == want) << what << ": " << FirstDifference(got, want);
}

std::string Size(const DibHandle &h) {
  const TMDIB d(h.get());
  return std::to_string(d.width) + "x" + std::to_string(d.height);
}

} // namespace

// ---- against the references ------------------------------------------------------------------

TEST(Litening, LightingMatchesTheDefinition) {
  OnRandomPictures([](const DibHandle &image) {
    const Picture in = ToPicture(image);
    for (int kind = 0; kind <= 2; ++kind)
      for (int cx : {0, 37, 50, 100})
        for (int cy : {0, 50, 81, 100})
          for (int area : {10, 50, 100})
            ExpectPicture(
                Applied(image, [&](TMDIB &d) { return LightingEffect(d, kind, cx, cy, area); }),
                LightingRef(in, kind, cx, cy, area), Size(image) + " kind " + std::to_string(kind));
  });
}

TEST(Litening, FramesMatchTheDefinition) {
  const int colour[3] = {30, 200, 250}; // blue, green, red
  OnRandomPictures([&](const DibHandle &image) {
    const Picture in = ToPicture(image);
    for (int w : {1, 6, 11})
      for (int level : {0, 5, 10}) {
        const std::string what =
            Size(image) + " width " + std::to_string(w) + " level " + std::to_string(level);
        if (level == 5)
          ExpectPicture(Applied(image, [&](TMDIB &d) { return FadeOutFrame(d, 250, 200, 30, w); }),
                        FadeRef(in, colour, w), "fade " + what);
        ExpectPicture(
            Applied(image, [&](TMDIB &d) { return TranslucentFrame(d, 250, 200, 30, w, level); }),
            TranslucentRef(in, colour, w, level), "translucent " + what);
        ExpectPicture(
            Applied(image, [&](TMDIB &d) { return WaveFrame(d, 250, 200, 30, w, level); }),
            WaveRef(in, colour, w, level), "wave " + what);
        ExpectPicture(Applied(image, [&](TMDIB &d) { return BevelFrame(d, w, level); }),
                      BevelRef(in, w, level), "bevel " + what);
        ExpectPicture(
            Applied(image, [&](TMDIB &d) { return EllipseFrame(d, 250, 200, 30, w, level); }),
            EllipseRef(in, colour, w, level), "ellipse " + what);
      }
  });
}

TEST(Litening, SpotsMatchTheDefinition) {
  OnRandomPictures([](const DibHandle &image) {
    const Picture in = ToPicture(image);
    for (int p : {3, 5, 7})
      for (int s : {1, 3, 5}) {
        const std::string what =
            Size(image) + " p " + std::to_string(p) + " s " + std::to_string(s);
        Draws draws(4711);
        ExpectPicture(Applied(image, [&](TMDIB &d) { return DustSpot(d, p, s, 4711); }),
                      LightenRef(in, p, s, &draws), "dust " + what);
        ExpectPicture(Applied(image, [&](TMDIB &d) { return WhiteSpot(d, p, s, 4711); }),
                      LightenRef(in, p, s, nullptr), "white " + what);
        ExpectPicture(Applied(image, [&](TMDIB &d) { return SoftSpot(d, p, s); }),
                      SoftRef(in, p, s), "soft " + what);
      }
  });
}

TEST(Litening, NoiseAndTextureMatchTheDefinition) {
  OnRandomPictures([](const DibHandle &image) {
    const Picture in = ToPicture(image);
    for (uint32_t seed : {0u, 1u, 1700000000u})
      for (int s = kNoiseStrengthMin; s <= kNoiseStrengthMax; s += 2) {
        for (int kind = kNoiseKindMin; kind <= kNoiseKindMax; ++kind)
          ExpectPicture(Applied(image, [&](TMDIB &d) { return AddNoise(d, kind, s, seed); }),
                        NoiseRef(in, kind, s, seed),
                        "noise " + Size(image) + " kind " + std::to_string(kind));
        for (int texture = kTextureMin; texture <= kTextureMax; ++texture)
          ExpectPicture(Applied(image, [&](TMDIB &d) { return ApplyTexture(d, texture, s, seed); }),
                        TextureRef(in, texture, s, seed),
                        "texture " + Size(image) + " " + std::to_string(texture));
      }
  });
}

// ---- the cases worth knowing -------------------------------------------------------------------

TEST(Litening, BacklightLightsTheCentreFullyAndNothingBeyondR) {
  // 9 x 7, area 10: R = (10 * 130 / 100) / 4 = 3; the centre is column 4 of
  // memory row 3 (picture row 3).
  Noise noise;
  const DibHandle image = Random24(9, 7, noise);
  const Picture in = ToPicture(image);
  const Picture out = Applied(image, [](TMDIB &d) { return LightingEffect(d, 0, 50, 50, 10); });
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      const int d2 = (x - 4) * (x - 4) + (3 - y) * (3 - y);
      // The centre gets 255; s = 1 and t = 1 give the others within R
      // 255 - 255, and those beyond it nothing.
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(out.at(x, y, c), d2 == 0 ? 255 : in.at(x, y, c)) << x << "," << y;
    }
}

TEST(Litening, PicturesTooSmallForRKeepTheSpotlightCentre) {
  // 2 x 2 at area 10: 10 * 8 / 100 = 0, so R = 0. The backlight lights
  // nothing, the spotlight divides by 1 (0 at the centre, 128 and 256 off
  // it), the wrap-around adds (2d^2) * 510 / 4.
  const DibHandle image = Uniform24(2, 2, Bgr{200, 200, 200});
  EXPECT_EQ(Applied(image, [](TMDIB &d) { return LightingEffect(d, 0, 50, 50, 10); }),
            ToPicture(image));
  // The centre is column 1 of memory row 1: the top-right pixel.
  const Picture spot = Applied(image, [](TMDIB &d) { return LightingEffect(d, 1, 50, 50, 10); });
  EXPECT_EQ(spot.at(1, 0, 0), 200);
  EXPECT_EQ(spot.at(0, 0, 1), 72);
  EXPECT_EQ(spot.at(1, 1, 2), 72);
  EXPECT_EQ(spot.at(0, 1, 0), 0);
  const Picture wrap = Applied(image, [](TMDIB &d) { return LightingEffect(d, 2, 50, 50, 10); });
  EXPECT_EQ(wrap.at(1, 0, 0), 200);
  EXPECT_EQ(wrap.at(0, 0, 0), 255); // 200 + 255
  // 1 x 1, its one pixel the centre: unchanged whatever the kind.
  for (int kind = 0; kind <= 2; ++kind) {
    const DibHandle one = Uniform24(1, 1, Bgr{9, 99, 199});
    EXPECT_EQ(Applied(one, [&](TMDIB &d) { return LightingEffect(d, kind, 50, 50, 100); }),
              ToPicture(one));
  }
}

TEST(Litening, LongPicturesNeedSixtyFourBits) {
  // 30000 pixels in a row: W^2 * area, d^2 * 128 and (2d^2 - R) * 510 are
  // all far beyond 32 bits; so is the longest side the routines take.
  Noise noise;
  for (auto [w, h] : {std::pair{30000, 3}, {3, 30000}, {kLiteningMaxSide, 1}}) {
    const DibHandle image = Random24(w, h, noise);
    const Picture in = ToPicture(image);
    for (int kind = 0; kind <= 2; ++kind)
      ExpectPicture(Applied(image, [&](TMDIB &d) { return LightingEffect(d, kind, 30, 70, 100); }),
                    LightingRef(in, kind, 30, 70, 100),
                    std::to_string(w) + "x" + std::to_string(h) + " kind " + std::to_string(kind));
  }
}

TEST(Litening, FadeOutColoursLeftAndBottomFullyButRightAndTopOneStep) {
  // 20 x 10, width 11: the band is g <= 2; g = 1 gives t = 10000 / 11 / 20 =
  // 45 per cent of the picture.
  const DibHandle image = Uniform24(20, 10, Bgr{100, 100, 100});
  const Picture out = Applied(image, [](TMDIB &d) { return FadeOutFrame(d, 0, 0, 250, 11); });
  const int oneStep[3] = {(45 * 100 + 250 * 55) / 100, 45, 45}; // blue, green, red
  for (int c = 0; c < 3; ++c) {
    const int colour = c == 0 ? 250 : 0;
    for (int y = 0; y < 10; ++y)
      EXPECT_EQ(out.at(0, y, c), colour) << "left column, row " << y;
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(out.at(x, 9, c), colour) << "bottom row, column " << x;
    for (int y = 1; y < 9; ++y)
      EXPECT_EQ(out.at(19, y, c), oneStep[c]) << "right column, row " << y;
    for (int x = 1; x < 19; ++x)
      EXPECT_EQ(out.at(x, 0, c), oneStep[c]) << "top row, column " << x;
    EXPECT_EQ(out.at(10, 5, c), 100);
  }
}

TEST(Litening, BevelAtStrengthFiveIsFlatGrey) {
  Noise noise;
  const DibHandle image = Random24(20, 15, noise);
  const Picture in = ToPicture(image);
  const Picture out = Applied(image, [](TMDIB &d) { return BevelFrame(d, 3, 5); });
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) {
      // Rows 0 ... 3 from the top and bottom, columns 0 ... 3 and 15 ... 19.
      const bool frame = y <= 3 || y >= 11 || x <= 3 || x >= 15;
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(out.at(x, y, c), frame ? 160 : in.at(x, y, c)) << x << "," << y;
    }
  // Above 5 the top and left are lighter, the bottom and right darker.
  const Picture lit = Applied(image, [](TMDIB &d) { return BevelFrame(d, 3, 8); });
  EXPECT_EQ(lit.at(0, 0, 0), 193);
  EXPECT_EQ(lit.at(19, 14, 0), 127);
  EXPECT_EQ(lit.at(19, 7, 0), 127);
  EXPECT_EQ(lit.at(19, 0, 0), 127); // the top-right corner triangle
  EXPECT_EQ(lit.at(0, 14, 0), 193); // the bottom-left one
}

TEST(Litening, BevelBandsOverlappingTakeTheNearerEdge) {
  // 6 x 5 with a band 11 pixels wide: the top three rows as the top band,
  // the bottom two as the bottom band.
  const DibHandle image = Uniform24(6, 5, Bgr{0, 0, 0});
  const Picture out = Applied(image, [](TMDIB &d) { return BevelFrame(d, 11, 10); });
  const int L = 215, D = 105;
  const int want[5][6] = {{L, L, L, L, L, D}, // y = 0: dark where x > 0 and x >= 5
                          {L, L, L, L, D, D}, // y = 1: x > 1 and x >= 4
                          {L, L, L, D, D, D}, // y = 2: x > 2 and x >= 3
                          {L, L, D, D, D, D}, // r = 1: light where x <= 1 and x < 4
                          {L, D, D, D, D, D}};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(out.at(x, y, 1), want[y][x]) << x << "," << y;
}

TEST(Litening, WhiteAndBlackNoiseAtStrengthTwoChangeByTenAtMost) {
  const DibHandle image = Uniform24(31, 9, Bgr{128, 128, 128});
  for (int kind : {2, 3}) {
    const Picture out = Applied(image, [&](TMDIB &d) { return AddNoise(d, kind, 2, 99); });
    Draws draws(99);
    int changed = 0, kept = 0;
    for (int y = 0; y < 9; ++y) // rows from the top, a draw per pixel
      for (int x = 0; x < 31; ++x) {
        const int c = draws.Next() % 10;
        const int want = c == 1 ? (kind == 2 ? 138 : 118) : 128;
        for (int ch = 0; ch < 3; ++ch)
          EXPECT_EQ(out.at(x, y, ch), want) << x << "," << y << " c " << c;
        (c == 1 ? changed : kept) += 1;
      }
    EXPECT_GT(changed, 0);
    EXPECT_GT(kept, changed);
  }
}

TEST(Litening, VerticalStripesAtStrengthTwo) {
  const DibHandle image = Uniform24(11, 3, Bgr{50, 150, 250});
  const Picture out = Applied(image, [](TMDIB &d) { return ApplyTexture(d, 1, 2, 5); });
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 11; ++x) {
      const int d = x % 4 == 0 ? 10 : (x % 4 == 2 ? -10 : 0);
      EXPECT_EQ(out.at(x, y, 0), 50 + d);
      EXPECT_EQ(out.at(x, y, 1), 150 + d);
      EXPECT_EQ(out.at(x, y, 2), std::min(250 + d, 255)) << x;
    }
}

TEST(Litening, RandomEffectsDrawInRowOrderFromTheSeed) {
  // Flat grey shows each draw directly: the random noise's k-th byte of the
  // picture, counted from the top row, is 128 + 3 * (draw k % 20 - 10).
  const DibHandle image = Uniform24(13, 5, Bgr{128, 128, 128});
  const Picture a = Applied(image, [](TMDIB &d) { return AddNoise(d, 0, 3, 12345); });
  Draws draws(12345);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 13; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(a.at(x, y, c), 128 + 3 * (draws.Next() % 20 - 10)) << x << "," << y;
  // The same seed again gives the same picture, another seed another one;
  // the cloth texture skips a byte on a draw of 19.
  EXPECT_EQ(Applied(image, [](TMDIB &d) { return AddNoise(d, 0, 3, 12345); }), a);
  EXPECT_NE(Applied(image, [](TMDIB &d) { return AddNoise(d, 0, 3, 12346); }), a);
  const Picture cloth = Applied(image, [](TMDIB &d) { return ApplyTexture(d, 5, 6, 8); });
  EXPECT_EQ(cloth, TextureRef(ToPicture(image), 5, 6, 8));
  EXPECT_NE(cloth, Applied(image, [](TMDIB &d) { return ApplyTexture(d, 5, 6, 9); }));
  // Textures 0 ... 4 and the white spot draw nothing: the seed is no matter.
  EXPECT_EQ(Applied(image, [](TMDIB &d) { return ApplyTexture(d, 3, 6, 8); }),
            Applied(image, [](TMDIB &d) { return ApplyTexture(d, 3, 6, 9); }));
}

TEST(Litening, GeneratorFillsAsItDraws) {
  LcgRandom first(1);
  // After seeding with 1: 1 * 22695477 + 1 = 22695478 is thrown away.
  const uint32_t next = static_cast<uint32_t>(22695478ull * 22695477ull + 1ull);
  EXPECT_EQ(first.Next(), static_cast<int>((next >> 16) & 0x7FFF));
  for (size_t n : {0, 1, 31, 32, 33, 64, 95, 1000}) {
    LcgRandom one(77), many(77);
    Draws reference(77);
    std::vector<uint16_t> filled(n + 1);
    many.Fill(filled.data(), n);
    for (size_t i = 0; i < n; ++i) {
      const int want = reference.Next();
      ASSERT_EQ(one.Next(), want) << i;
      ASSERT_EQ(filled[i], want) << n << " at " << i;
    }
    // Both carry on from the same state.
    EXPECT_EQ(many.Next(), reference.Next()) << n;
  }
}

TEST(Litening, OneProgressStepPerRowTwoForTheSoftSpot) {
  const DibHandle image = Uniform24(8, 7, Bgr{1, 2, 3});
  const std::vector<std::pair<const char *, std::function<bool(TMDIB &, Progress *)>>> runs = {
      {"lighting", [](TMDIB &d, Progress *p) { return LightingEffect(d, 1, 50, 50, 50, p); }},
      {"fade", [](TMDIB &d, Progress *p) { return FadeOutFrame(d, 1, 2, 3, 5, p); }},
      {"translucent", [](TMDIB &d, Progress *p) { return TranslucentFrame(d, 1, 2, 3, 5, 5, p); }},
      {"wave", [](TMDIB &d, Progress *p) { return WaveFrame(d, 1, 2, 3, 5, 5, p); }},
      {"bevel", [](TMDIB &d, Progress *p) { return BevelFrame(d, 2, 8, p); }},
      {"ellipse", [](TMDIB &d, Progress *p) { return EllipseFrame(d, 1, 2, 3, 5, 5, p); }},
      {"dust", [](TMDIB &d, Progress *p) { return DustSpot(d, 5, 3, 1, p); }},
      {"white", [](TMDIB &d, Progress *p) { return WhiteSpot(d, 5, 3, 1, p); }},
      {"noise", [](TMDIB &d, Progress *p) { return AddNoise(d, 0, 4, 1, p); }},
      {"texture", [](TMDIB &d, Progress *p) { return ApplyTexture(d, 5, 4, 1, p); }},
      {"soft", [](TMDIB &d, Progress *p) { return SoftSpot(d, 5, 3, p); }},
  };
  for (const auto &[name, run] : runs) {
    CheckingProgress progress;
    DibHandle out = Copy(image);
    TMDIB d(out.get());
    ASSERT_TRUE(run(d, &progress)) << name;
    EXPECT_EQ(progress.steps, std::string(name) == "soft" ? 14 : 7) << name;
  }
}

TEST(Litening, RefusesWhatItCannotTakeUnchanged) {
  const DibHandle image = Uniform24(6, 5, Bgr{10, 20, 30});
  const Picture in = ToPicture(image);
  const std::vector<std::function<bool(TMDIB &)>> outside = {
      [](TMDIB &d) { return LightingEffect(d, 3, 50, 50, 50); },
      [](TMDIB &d) { return LightingEffect(d, 0, 101, 50, 50); },
      [](TMDIB &d) { return LightingEffect(d, 0, 50, -1, 50); },
      [](TMDIB &d) { return LightingEffect(d, 0, 50, 50, 9); },
      [](TMDIB &d) { return FadeOutFrame(d, 256, 0, 0, 5); },
      [](TMDIB &d) { return FadeOutFrame(d, 0, 0, 0, 0); },
      [](TMDIB &d) { return TranslucentFrame(d, 0, 0, 0, 5, 11); },
      [](TMDIB &d) { return WaveFrame(d, 0, -1, 0, 5, 5); },
      [](TMDIB &d) { return WaveFrame(d, 0, 0, 0, 12, 5); },
      [](TMDIB &d) { return BevelFrame(d, 5, -1); },
      [](TMDIB &d) { return EllipseFrame(d, 0, 0, 0, 5, 11); },
      [](TMDIB &d) { return DustSpot(d, 5, 0, 1); }, // rand % 0
      [](TMDIB &d) { return DustSpot(d, 8, 3, 1); },
      [](TMDIB &d) { return WhiteSpot(d, 2, 3, 1); },
      [](TMDIB &d) { return SoftSpot(d, 5, 6); },
      [](TMDIB &d) { return SoftSpotBlur(d, 0); },
      [](TMDIB &d) { return AddNoise(d, 4, 3, 1); },
      [](TMDIB &d) { return AddNoise(d, 0, 1, 1); },
      [](TMDIB &d) { return ApplyTexture(d, 6, 3, 1); },
      [](TMDIB &d) { return ApplyTexture(d, 0, 7, 1); },
  };
  for (size_t i = 0; i < outside.size(); ++i) {
    bool done = true;
    EXPECT_EQ(Applied(image, outside[i], &done), in) << i;
    EXPECT_FALSE(done) << i;
  }
  // Palette pictures and a side beyond the limit.
  DibHandle palette = MakePalette(6, 4, 8, 0);
  DibHandle longRow = CreateBlankDib(kLiteningMaxSide + 1, 1);
  for (DibHandle *h : {&palette, &longRow}) {
    TMDIB d(h->get());
    const std::vector<uint8_t> before = PixelBytes(d);
    EXPECT_FALSE(LightingEffect(d, 2, 50, 50, 50));
    EXPECT_FALSE(ApplyTexture(d, 1, 3, 1));
    EXPECT_EQ(PixelBytes(d), before);
  }
}

TEST(Litening, SoftSpotKeepsTheCentreSharpAndBlursTheOutside) {
  Noise noise;
  const DibHandle image = Random24(33, 31, noise);
  const Picture in = ToPicture(image);
  const Picture out = Applied(image, [](TMDIB &d) { return SoftSpot(d, 3, 2); });
  const Picture blurred = Applied(image, [](TMDIB &d) { return SoftSpotBlur(d, 2); });
  // r1 = 31 * 3 / 16 = 5, r2 = 8; the centre is (16, 15) from the bottom.
  EXPECT_EQ(out.at(16, 15, 0), in.at(16, 15, 0));
  EXPECT_EQ(out.at(16 + 5, 15, 1), in.at(16 + 5, 15, 1));
  EXPECT_EQ(out.at(0, 0, 2), blurred.at(0, 0, 2));
  EXPECT_EQ(out.at(16 + 8, 15, 2), blurred.at(16 + 8, 15, 2));
  EXPECT_NE(blurred, in);
  // The blend on its own, over the blurred picture.
  DibHandle work = Copy(image);
  {
    TMDIB b(work.get());
    ASSERT_TRUE(SoftSpotBlur(b, 2));
    const TMDIB sharp(image.get());
    ASSERT_TRUE(SoftSpotBlend(b, sharp, 3));
  }
  EXPECT_EQ(ToPicture(work), out);
}

TEST(Litening, RegisteredWithTheSeedLastAndOptional) {
  Noise noise;
  const DibHandle image = Random24(17, 11, noise);
  auto byName = [&](const char *name, const std::vector<double> &args) {
    DibHandle h = Copy(image);
    std::string why;
    EXPECT_TRUE(RunRoutine(*FindRoutine(name), h, args, &why)) << name << ": " << why;
    return ToPicture(h);
  };
  // Colours red, green, blue as the functions take them.
  EXPECT_EQ(byName("EllipseFrame", {250, 200, 30, 6, 3}),
            Applied(image, [](TMDIB &d) { return EllipseFrame(d, 250, 200, 30, 6, 3); }));
  EXPECT_EQ(byName("LightingEffect", {2, 20, 80, 40}),
            Applied(image, [](TMDIB &d) { return LightingEffect(d, 2, 20, 80, 40); }));
  EXPECT_EQ(byName("SoftSpot", {4, 2}), Applied(image, [](TMDIB &d) { return SoftSpot(d, 4, 2); }));
  struct Seeded {
    const char *name;
    double first, second;
    bool draws;
  };
  for (const Seeded &k : {Seeded{"DustSpot", 3, 5, true}, Seeded{"WhiteSpot", 3, 5, false},
                          Seeded{"AddNoise", 3, 5, true}, Seeded{"ApplyTexture", 5, 5, true}}) {
    const Routine *r = FindRoutine(k.name);
    ASSERT_NE(r, nullptr) << k.name;
    EXPECT_EQ(r->params.size(), 3u);
    EXPECT_EQ(RequiredArgCount(*r), 2u) << k.name;
    EXPECT_STREQ(r->params.back().name, "seed");
    // Left out, the seed is 1.
    const Picture one = byName(k.name, {k.first, k.second, 1});
    EXPECT_EQ(byName(k.name, {k.first, k.second}), one) << k.name;
    EXPECT_EQ(byName(k.name, {k.first, k.second, 2}) != one, k.draws) << k.name;
  }
  EXPECT_EQ(byName("AddNoise", {0, 4}), NoiseRef(ToPicture(image), 0, 4, 1));
  for (const char *name :
       {"FadeOutFrame", "TranslucentFrame", "WaveFrame", "BevelFrame", "SoftSpotBlur"})
    EXPECT_NE(FindRoutine(name), nullptr) << name;
  // The blend takes the sharp picture as a further one: blur, then blend,
  // is the soft spot.
  DibHandle blurred = Copy(image);
  ASSERT_TRUE(RunRoutine(*FindRoutine("SoftSpotBlur"), blurred, {4}));
  std::string why;
  ASSERT_TRUE(RunRoutine(*FindRoutine("SoftSpotBlend"), blurred, {6}, {image.get()}, &why)) << why;
  EXPECT_EQ(ToPicture(blurred), Applied(image, [](TMDIB &d) { return SoftSpot(d, 6, 4); }));
  EXPECT_FALSE(RunRoutine(*FindRoutine("SoftSpotBlend"), blurred, {6}));
}
