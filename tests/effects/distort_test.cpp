#include "effects/Distort.h"
#include "routines/AllRoutines.h"

#include "effects_test_util.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace effectstest;

namespace {

// ---- an independent reading of the rules, over plain pictures and doubles ----

struct Colour {
  int b, g, r;
};

Bgr Pixel(const Picture &p, long long x, long long y) {
  return {p.at(int(x), int(y), 0), p.at(int(x), int(y), 1), p.at(int(x), int(y), 2)};
}

// The sampler step by step: the four cases written out as they read.
Bgr RefSample(const Picture &p, Colour bg, long long X, long long Y) {
  const Bgr back{bg.b, bg.g, bg.r};
  const long long w = p.w, h = p.h;
  if (X < -999 || Y < -999 || X >= 1000 * w || Y >= 1000 * h) return back;
  const long long i = X / 1000, j = Y / 1000;
  const long long fx = (X + 1000) % 1000, fy = (Y + 1000) % 1000;
  auto inside = [&](long long ux, long long uy) {
    return ux >= 0 && ux <= 1000 * (w - 1) && uy >= 0 && uy <= 1000 * (h - 1);
  };
  const Bgr A = inside(X, Y) ? Pixel(p, i, j) : back;
  const Bgr B = inside(X + 1000, Y) ? Pixel(p, i + 1, j) : back;
  const Bgr C = inside(X, Y + 1000) ? Pixel(p, i, j + 1) : back;
  const Bgr D = inside(X + 1000, Y + 1000) ? Pixel(p, i + 1, j + 1) : back;
  Bgr out{};
  for (int c = 0; c < 3; ++c) {
    if (X % 1000 == 0 && Y % 1000 == 0)
      out[c] = A[c];
    else if (X % 1000 == 0)
      out[c] = A[c] + fy * (C[c] - A[c]) / 1000;
    else if (Y % 1000 == 0)
      out[c] = A[c] + fx * (B[c] - A[c]) / 1000;
    else {
      const long long top = A[c] + fx * (B[c] - A[c]) / 1000;
      const long long bottom = C[c] + fx * (D[c] - C[c]) / 1000;
      out[c] = int(top + fy * (bottom - top) / 1000);
    }
    out[c] = std::clamp(out[c], 0, 255);
  }
  return out;
}

long long Th(double v) { return (long long)std::trunc(v * 1000); }

template <class Position> Picture RefMap(const Picture &p, int w, int h, Colour bg, Position at) {
  Picture out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const auto [X, Y] = at(x, y);
      const Bgr v = RefSample(p, bg, X, Y);
      for (int c = 0; c < 3; ++c)
        out.at(x, y, c) = v[c];
    }
  return out;
}

Picture RefGlass(const Picture &p, int a, int d, int wb, Colour bg) {
  const int M = std::min(p.w, p.h);
  return RefMap(p, p.w, p.h, bg, [&](int x, int y) {
    double dx = 0.05 * d * std::sin(20000 * ((double)x / M) / wb);
    double dy = 0.05 * d * std::sin(20000 * ((double)y / M) / wb);
    if (a == 0) dy = 0;
    if (a == 1) dx = 0;
    return std::pair{Th(x + dx), Th(y + dy)};
  });
}

Picture RefTurn(const Picture &p, int px, int py, Colour bg,
                const std::function<double(double)> &theta) {
  const double cx = p.w * 0.01 * px, cy = p.h * 0.01 * py;
  return RefMap(p, p.w, p.h, bg, [&](int x, int y) {
    const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    const double t = theta(r2);
    return std::pair{Th(cx + (x - cx) * std::cos(t) - (y - cy) * std::sin(t)),
                     Th(cy + (x - cx) * std::sin(t) + (y - cy) * std::cos(t))};
  });
}

Picture RefRipple(const Picture &p, int s, int f, int px, int py, Colour bg) {
  const int M = std::min(p.w, p.h);
  const double K = std::pow(2.0 * M / f, 2);
  return RefTurn(p, px, py, bg, [&](double r2) { return -0.001 * s * std::sin(6 * r2 / K); });
}

Picture RefSwirl(const Picture &p, int s, int dir, int px, int py, Colour bg) {
  const int M = std::min(p.w, p.h);
  const int k = dir == 0 ? -s : s;
  return RefTurn(p, px, py, bg, [&](double r2) { return 0.1 * k * r2 / (double(M) * M); });
}

Picture RefRotate(const Picture &p, double A, Colour bg) {
  const double theta = -A;
  const double rad = theta * (1.0 / 180) * 3.1415;
  const double s = std::sin(rad), c = std::cos(rad);
  const double xs[4] = {0, (double)p.w * c - 0 * s, p.w * c - p.h * s, 0 * c - p.h * s};
  const double ys[4] = {0, p.w * s + 0 * c, p.w * s + p.h * c, 0 * s + p.h * c};
  const int w = std::max(1, int(*std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4)));
  const int h = std::max(1, int(*std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4)));
  const int cx = p.w / 2, cy = p.h / 2, cxo = w / 2, cyo = h / 2;
  return RefMap(p, w, h, bg, [&](int x, int y) {
    return std::pair{Th((x - cxo) * c - (y - cyo) * s + cx) - 1,
                     Th((x - cxo) * s + (y - cyo) * c + cy) - 1};
  });
}

// A view of `image` with a background colour, for the sampler.
struct View {
  TMDIB dib;
  View(const DibHandle &image, Colour bg) : dib(image.get()) {
    dib.backgroundRed = bg.r;
    dib.backgroundGreen = bg.g;
    dib.backgroundBlue = bg.b;
  }
};

Bgr Sampled(const TMDIB &view, long long X, long long Y, bool *outside = nullptr) {
  const BilinearSample s = SampleBilinear(view, X, Y);
  if (outside) *outside = s.outside;
  return {s.blue, s.green, s.red};
}

constexpr Colour kBg{10, 200, 90};

} // namespace

// ---- the sampler -------------------------------------------------------------------------

TEST(SampleBilinear, PixelCentresBlendsAndTruncationTowardZero) {
  // Row 0: 10, 3, 250; row 1: 20, 100, 0; row 2: 0, 0, 0 (every channel
  // alike). A blend reaches down only to a row before the last.
  const int v[3][3] = {{10, 3, 250}, {20, 100, 0}, {0, 0, 0}};
  const DibHandle image = Make24(3, 3, [&](int x, int y) {
    return Bgr{v[y][x], v[y][x], v[y][x]};
  });
  const View view(image, kBg);
  bool outside = true;
  EXPECT_EQ(Sampled(view.dib, 1000, 0, &outside), (Bgr{3, 3, 3}));
  EXPECT_FALSE(outside);
  EXPECT_EQ(Sampled(view.dib, 0, 1000), (Bgr{20, 20, 20}));
  // 10 + 500 * -7 / 1000: -3.5 truncates to -3, not -4.
  EXPECT_EQ(Sampled(view.dib, 500, 0)[0], 7);
  // Down only: 10 + 250 * 10 / 1000 = 12 (12.5).
  EXPECT_EQ(Sampled(view.dib, 0, 250)[1], 12);
  // Both: top 10 + 300 * -7 / 1000 = 8 (-2.1); bottom 20 + 300 * 80 / 1000 = 44;
  // 8 + 700 * 36 / 1000 = 33 (33.2).
  EXPECT_EQ(Sampled(view.dib, 300, 700)[2], 33);
}

TEST(SampleBilinear, EdgesBlendTowardTheBackgroundAndFarPositionsAreOutside) {
  const DibHandle image = Make24(3, 2, [](int x, int y) { return Bgr{40 * x + 100 * y, 50, 60}; });
  const View view(image, kBg);
  bool outside = false;
  // The last column's centre is still the pixel; past it only background.
  EXPECT_EQ(Sampled(view.dib, 2000, 0, &outside), (Bgr{80, 50, 60}));
  EXPECT_FALSE(outside);
  EXPECT_EQ(Sampled(view.dib, 2001, 0, &outside), (Bgr{10, 200, 90}));
  EXPECT_FALSE(outside);
  // Between the last two columns the right-hand pixel already counts as
  // background: 40 + 500 * (10 - 40) / 1000 = 25, although pixel 2 is 80.
  EXPECT_EQ(Sampled(view.dib, 1500, 0), (Bgr{25, 125, 75}));
  // Between the rows likewise: the last row is background for y > 0.
  EXPECT_EQ(Sampled(view.dib, 0, 500), (Bgr{5, 125, 75}));
  // Just left of column 0: i truncates to 0, so A is background and B is
  // pixel 1: 10 + 999 * (40 - 10) / 1000 = 39.
  EXPECT_EQ(Sampled(view.dib, -1, 0, &outside)[0], 39);
  EXPECT_FALSE(outside);
  for (auto [x, y] : {std::pair{-1000LL, 0LL},
                      {0, -1000},
                      {3000, 0},
                      {0, 2000},
                      {-5000000000LL, 0},
                      {0, 9000000000LL}}) {
    EXPECT_EQ(Sampled(view.dib, x, y, &outside), (Bgr{10, 200, 90})) << x << "," << y;
    EXPECT_TRUE(outside) << x << "," << y;
  }
  // A palette view has no pixels to give.
  const DibHandle palette = MakePalette(3, 2, 8, 0);
  const View pv(palette, kBg);
  EXPECT_EQ(Sampled(pv.dib, 0, 0, &outside), (Bgr{10, 200, 90}));
  EXPECT_TRUE(outside);
}

TEST(SampleBilinear, AgreesWithTheRulesEverywhereAroundSmallPictures) {
  Noise noise;
  for (int w = 1; w <= 4; ++w)
    for (int h = 1; h <= 3; ++h) {
      const DibHandle image = Random24(w, h, noise);
      const Picture p = ToPicture(image);
      const View view(image, kBg);
      for (long long X = -1200; X <= 1000 * w + 200; X += 37)
        for (long long Y = -1200; Y <= 1000 * h + 200; Y += 41)
          ASSERT_EQ(Sampled(view.dib, X, Y), RefSample(p, kBg, X, Y))
              << w << "x" << h << " at " << X << "," << Y;
    }
}

// ---- the four effects against the rules ---------------------------------------------------

// Runs `body` with the eight-at-a-time path on (where the processor has it)
// and off.
void BothPaths(const std::function<void()> &body) {
  for (bool vectors : {true, false}) {
    SCOPED_TRACE(vectors ? "eight at a time" : "pixel by pixel");
    DistortUseVectors(vectors);
    body();
  }
  DistortUseVectors(true);
}

TEST(Distort, EveryEffectMatchesTheRulesOnRandomSmallPictures) {
  BothPaths([] {
    Noise noise;
    const Colour colours[] = {{0, 0, 0}, {255, 128, 7}};
    for (int w = 1; w <= 9; ++w)
      for (int h = 1; h <= 9; h += 2) {
        const DibHandle image = Random24(w, h, noise);
        const Picture p = ToPicture(image);
        const std::string at = std::to_string(w) + "x" + std::to_string(h);
        for (const Colour bg : colours) {
          for (int a = 0; a <= 2; ++a)
            for (auto [d, wb] : {std::pair{10, 100}, {50, 50}, {100, 10}}) {
              const DibHandle out = GlassMap(image.get(), a, d, wb, bg.r, bg.g, bg.b);
              ASSERT_TRUE(out) << at;
              const Picture want = RefGlass(p, a, d, wb, bg);
              ASSERT_EQ(ToPicture(out), want) << "glass " << at << " " << a << " " << d << " " << wb
                                              << ": " << FirstDifference(ToPicture(out), want);
            }
          for (auto [px, py] : {std::pair{50, 50}, {0, 100}, {37, 81}, {100, 0}}) {
            for (auto [s, f] : {std::pair{5, 10}, {15, 20}, {10, 15}}) {
              const DibHandle out = RippleMap(image.get(), s, f, px, py, bg.r, bg.g, bg.b);
              const Picture want = RefRipple(p, s, f, px, py, bg);
              ASSERT_EQ(ToPicture(out), want)
                  << "ripple " << at << ": " << FirstDifference(ToPicture(out), want);
            }
            for (int s : {0, 5, 100})
              for (int dir = 0; dir <= 1; ++dir) {
                const DibHandle out = SwirlMap(image.get(), s, dir, px, py, bg.r, bg.g, bg.b);
                const Picture want = RefSwirl(p, s, dir, px, py, bg);
                ASSERT_EQ(ToPicture(out), want) << "swirl " << at << " " << s << " " << dir << ": "
                                                << FirstDifference(ToPicture(out), want);
              }
          }
          for (double angle : {17.0, -45.0, 0.1, 135.5, 270.0, -359.9}) {
            const DibHandle out = RotateFree(image.get(), angle, bg.r, bg.g, bg.b);
            const Picture want = RefRotate(p, angle, bg);
            ASSERT_EQ(ToPicture(out), want) << "rotate " << at << " by " << angle << ": "
                                            << FirstDifference(ToPicture(out), want);
          }
        }
      }
  });
}

TEST(Distort, LargerPicturesWithMirroredRowsAndColumnsMatchToo) {
  // The turn effects share their trigonometry between mirrored rows and
  // columns; even and odd sizes, centred and not. Rotation and glass on
  // the same pictures keep the eight-at-a-time path busy.
  BothPaths([] {
    Noise noise;
    for (auto [w, h] : {std::pair{64, 48}, {33, 21}, {40, 41}}) {
      const DibHandle image = Random24(w, h, noise);
      const Picture p = ToPicture(image);
      for (auto [px, py] : {std::pair{50, 50}, {25, 75}, {33, 50}}) {
        const Picture ripple = ToPicture(RippleMap(image.get(), 15, 10, px, py, 1, 2, 3));
        const Picture swirl = ToPicture(SwirlMap(image.get(), 100, 1, px, py, 1, 2, 3));
        EXPECT_EQ(ripple, RefRipple(p, 15, 10, px, py, {3, 2, 1})) << w << "x" << h << " " << px;
        EXPECT_EQ(swirl, RefSwirl(p, 100, 1, px, py, {3, 2, 1})) << w << "x" << h << " " << px;
      }
      for (double angle : {17.0, -33.3, 100.0})
        EXPECT_EQ(ToPicture(RotateFree(image.get(), angle, 4, 5, 6)),
                  RefRotate(p, angle, {6, 5, 4}))
            << w << "x" << h << " by " << angle;
      for (int a = 0; a <= 2; ++a)
        EXPECT_EQ(ToPicture(GlassMap(image.get(), a, 100, 10, 4, 5, 6)),
                  RefGlass(p, a, 100, 10, {6, 5, 4}))
            << w << "x" << h << " glass " << a;
    }
  });
}

TEST(Distort, TurnsStayExactWhereTheAnglesGrowLarge) {
  // On a long thin strip the swirl's and the ripple's angles pass any
  // range a fast sine could cover; the results must still be what the
  // library's own sine and cosine give.
  BothPaths([] {
    Noise noise;
    for (auto [w, h] : {std::pair{1500, 2}, {3, 700}, {257, 129}}) {
      const DibHandle image = Random24(w, h, noise);
      const Picture p = ToPicture(image);
      for (auto [px, py] : {std::pair{50, 50}, {0, 100}, {81, 13}}) {
        EXPECT_EQ(ToPicture(SwirlMap(image.get(), 100, 0, px, py, 9, 8, 7)),
                  RefSwirl(p, 100, 0, px, py, {7, 8, 9}))
            << w << "x" << h << " " << px << "," << py;
        EXPECT_EQ(ToPicture(RippleMap(image.get(), 15, 20, px, py, 9, 8, 7)),
                  RefRipple(p, 15, 20, px, py, {7, 8, 9}))
            << w << "x" << h << " " << px << "," << py;
      }
    }
  });
}

TEST(Distort, FastTurnsEqualTheLibraryTrigonometryOnAPhotoSizedPicture) {
  // Half a million positions per effect: the eight-at-a-time path with its
  // fast sines against the pixel-by-pixel path with the library's.
  Noise noise;
  const DibHandle image = Random24(800, 600, noise);
  struct Run {
    const char *name;
    std::function<DibHandle()> make;
  };
  const Run runs[] = {
      {"swirl 5", [&] { return SwirlMap(image.get(), 5, 0, 50, 50, 0, 0, 0); }},
      {"swirl 100", [&] { return SwirlMap(image.get(), 100, 1, 23, 71, 0, 0, 0); }},
      {"ripple 10/15", [&] { return RippleMap(image.get(), 10, 15, 50, 50, 0, 0, 0); }},
      {"ripple 15/20", [&] { return RippleMap(image.get(), 15, 20, 90, 10, 0, 0, 0); }},
  };
  for (const Run &run : runs) {
    DistortUseVectors(true);
    const Picture fast = ToPicture(run.make());
    DistortUseVectors(false);
    const Picture exact = ToPicture(run.make());
    DistortUseVectors(true);
    EXPECT_EQ(fast, exact) << run.name << ": " << FirstDifference(fast, exact);
  }
}

TEST(Distort, TurnsWhosePositionsPassThirtyTwoBitsMatchTheLibraryPath) {
  // 900,000 columns: the turned positions may lie beyond 2^31 thousandths,
  // so the fast path keeps them as 64-bit numbers.
  Noise noise;
  const DibHandle image = Random24(900000, 2, noise);
  for (int amount : {5, 100}) {
    DistortUseVectors(true);
    const Picture fast = ToPicture(SwirlMap(image.get(), amount, 0, 50, 50, 0, 0, 0));
    DistortUseVectors(false);
    const Picture exact = ToPicture(SwirlMap(image.get(), amount, 0, 50, 50, 0, 0, 0));
    DistortUseVectors(true);
    EXPECT_EQ(fast, exact) << amount << ": " << FirstDifference(fast, exact);
  }
}

TEST(Distort, TheThousandthWeightTruncatesLikeTheIntegerDivision) {
  // The eight-at-a-time blend multiplies in floats where the rule divides
  // whole numbers: every fraction against every difference of two bytes.
  for (int f = 0; f < 1000; ++f) {
    const float weight = static_cast<float>(f) * kThousandthWeight;
    for (int d = -255; d <= 255; ++d)
      ASSERT_EQ(static_cast<int>(std::trunc(static_cast<float>(d) * weight)), f * d / 1000)
          << f << " * " << d;
  }
}

TEST(Distort, EachRowIsOneProgressStepOfTheOutput) {
  Noise noise;
  const DibHandle image = Random24(20, 11, noise);
  auto steps = [&](const std::function<DibHandle(Progress *)> &run) {
    CheckingProgress progress;
    const DibHandle out = run(&progress);
    const TMDIB d(out.get());
    EXPECT_EQ(progress.range, d.height);
    return progress.steps == d.height ? d.height : -progress.steps;
  };
  EXPECT_EQ(steps([&](Progress *p) { return GlassMap(image.get(), 2, 50, 50, 0, 0, 0, p); }), 11);
  EXPECT_EQ(steps([&](Progress *p) { return RippleMap(image.get(), 10, 15, 50, 50, 0, 0, 0, p); }),
            11);
  EXPECT_EQ(steps([&](Progress *p) { return SwirlMap(image.get(), 5, 0, 50, 50, 0, 0, 0, p); }),
            11);
  EXPECT_EQ(steps([&](Progress *p) { return RotateFree(image.get(), 30, 0, 0, 0, p); }),
            RotateFreeSize(20, 11, 30).height);
}

// ---- what the effects promise -------------------------------------------------------------

TEST(Distort, NoTurnAtTheCentreKeepsTheSourcePixel) {
  Noise noise;
  const DibHandle image = Random24(9, 7, noise);
  const Picture p = ToPicture(image);
  // Centre 0 %, 0 % is pixel (0, 0); 50 % of 8 x 6 is pixel (4, 3).
  const Picture ripple = ToPicture(RippleMap(image.get(), 15, 10, 0, 0, 0, 0, 0));
  EXPECT_EQ(Pixel(ripple, 0, 0), Pixel(p, 0, 0));
  const DibHandle even = Random24(8, 6, noise);
  const Picture e = ToPicture(even);
  for (int s = 5; s <= 15; s += 5) {
    const Picture r = ToPicture(RippleMap(even.get(), s, 12, 50, 50, 255, 255, 255));
    EXPECT_EQ(Pixel(r, 4, 3), Pixel(e, 4, 3)) << s;
  }
  // With no winding the swirl leaves every pixel where it was.
  for (int dir = 0; dir <= 1; ++dir)
    EXPECT_EQ(ToPicture(SwirlMap(even.get(), 0, dir, 50, 50, 255, 0, 0)), e) << dir;
}

TEST(Distort, GlassBandsMoveAlongOneAxisOnly) {
  // "縦" reads each output row from its own source row alone, "横" each
  // column from its own column: changing every other row (column) leaves
  // the row (column) unchanged.
  Noise noise;
  const int w = 23, h = 17;
  const DibHandle image = Random24(w, h, noise);
  const Picture p = ToPicture(image);
  const Picture vertical = ToPicture(GlassMap(image.get(), 0, 100, 10, 9, 9, 9));
  const Picture horizontal = ToPicture(GlassMap(image.get(), 1, 100, 10, 9, 9, 9));
  EXPECT_NE(vertical, p);
  EXPECT_NE(horizontal, p);
  for (int keep = 0; keep < h; keep += 4) {
    Picture other = ToPicture(Random24(w, h, noise));
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        other.at(x, keep, c) = p.at(x, keep, c);
    const Picture out = ToPicture(GlassMap(FromPicture(other).get(), 0, 100, 10, 9, 9, 9));
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(Pixel(out, x, keep), Pixel(vertical, x, keep)) << x << "," << keep;
  }
  for (int keep = 0; keep < w; keep += 5) {
    Picture other = ToPicture(Random24(w, h, noise));
    for (int y = 0; y < h; ++y)
      for (int c = 0; c < 3; ++c)
        other.at(keep, y, c) = p.at(keep, y, c);
    const Picture out = ToPicture(GlassMap(FromPicture(other).get(), 1, 100, 10, 9, 9, 9));
    for (int y = 0; y < h; ++y)
      ASSERT_EQ(Pixel(out, keep, y), Pixel(horizontal, keep, y)) << keep << "," << y;
  }
}

TEST(RotateFree, ZeroCopiesQuarterTurnsAreTheKitsAndTheSourceStays) {
  Noise noise;
  const DibHandle image = Random24(7, 4, noise);
  const Picture p = ToPicture(image);
  const DibHandle same = RotateFree(image.get(), 0, 255, 255, 255);
  ASSERT_TRUE(same);
  EXPECT_NE(same.get(), image.get());
  EXPECT_EQ(ToPicture(same), p);
  // Positive angles turn clockwise: 90 is the kit's right turn, -90 its
  // left turn, +-180 its half turn.
  struct Case {
    double angle;
    int code;
  };
  for (const Case k : {Case{90, IMGKIT_ROTATE_RIGHT}, Case{-90, IMGKIT_ROTATE_LEFT},
                       Case{180, IMGKIT_ROTATE_180}, Case{-180, IMGKIT_ROTATE_180}}) {
    DibHandle want(Kit.ImgKitCopy(image.get(), "", ""));
    want.Adopt(Kit.ImgKitRotation(want.get(), "", "", k.code));
    const DibHandle got = RotateFree(image.get(), k.angle, 255, 255, 255);
    ASSERT_TRUE(got) << k.angle;
    EXPECT_EQ(ToPicture(got), ToPicture(want)) << k.angle;
    const RotatedSize size = RotateFreeSize(7, 4, k.angle);
    const TMDIB d(got.get());
    EXPECT_EQ(size.width, d.width) << k.angle;
    EXPECT_EQ(size.height, d.height) << k.angle;
  }
  EXPECT_EQ(ToPicture(image), p);
  // Clockwise on screen: the top-left pixel of a picture turned by 90 comes
  // from the bottom-left of the source.
  const Picture right = ToPicture(RotateFree(image.get(), 90, 0, 0, 0));
  EXPECT_EQ(Pixel(right, 0, 0), Pixel(p, 0, 3));
}

TEST(RotateFree, FortyFiveDegreesOfASquareHasBackgroundCorners) {
  const DibHandle image = Uniform24(100, 100, Bgr{30, 60, 90});
  const DibHandle out = RotateFree(image.get(), 45, 250, 1, 2);
  ASSERT_TRUE(out);
  const Picture p = ToPicture(out);
  EXPECT_EQ(p.w, 141);
  EXPECT_EQ(p.h, 141);
  for (auto [x, y] : {std::pair{0, 0}, {140, 0}, {0, 140}, {140, 140}, {10, 10}})
    EXPECT_EQ(Pixel(p, x, y), (Bgr{2, 1, 250})) << x << "," << y;
  EXPECT_EQ(Pixel(p, 70, 70), (Bgr{30, 60, 90}));
  EXPECT_EQ(Pixel(p, 70, 5), (Bgr{30, 60, 90}));
}

TEST(RotateFree, SizesAndRefusals) {
  // A hair's turn of a pixel still gives a pixel.
  EXPECT_EQ(RotateFreeSize(1, 1, 0.001).width, 1);
  EXPECT_EQ(RotateFreeSize(1, 1, 0.001).height, 1);
  const RotatedSize s = RotateFreeSize(4000, 3000, 17);
  EXPECT_EQ(s.width, 4702);
  EXPECT_EQ(s.height, 4038);
  // Beyond 2^28 pixels the turn is refused before anything is allocated.
  const DibHandle wide = Uniform24(30000, 2, Bgr{1, 2, 3});
  EXPECT_GT(RotateFreeSize(30000, 2, 45).width * RotateFreeSize(30000, 2, 45).height,
            int64_t{1} << 28);
  EXPECT_FALSE(RotateFree(wide.get(), 45, 0, 0, 0));
  EXPECT_FALSE(RotateFree(wide.get(), std::nan(""), 0, 0, 0));
  EXPECT_FALSE(RotateFree(wide.get(), INFINITY, 0, 0, 0));
  EXPECT_TRUE(RotateFree(wide.get(), 0.5, 0, 0, 0));
}

TEST(Distort, PositionsBeyondTwoBillionThousandthsStayExact) {
  // 3,000,000 columns: x in thousandths passes 2^31 from column 2,147,484.
  const int w = 3000000;
  const DibHandle image = Make24(w, 1, [](int x, int) { return Bgr{x % 251, x % 13, 7}; });
  const DibHandle out = GlassMap(image.get(), 0, 100, 10, 1, 2, 3);
  ASSERT_TRUE(out);
  const TMDIB d(out.get());
  const TMDIB s(image.get());
  for (int x : {2147480, 2147484, 2500001, w - 7, w - 2, w - 1}) {
    // The sampler rules on the few columns around the position.
    const double dx = 0.05 * 100 * std::sin(20000 * ((double)x / 1) / 10);
    const long long X = Th(x + dx);
    const long long base = std::clamp(X / 1000 - 2, 0LL, w - 1LL);
    Picture part(int(std::min<long long>(w, base + 6) - base), 1);
    for (int i = 0; i < part.w; ++i)
      for (int c = 0; c < 3; ++c)
        part.at(i, 0, c) = At(s, int(base) + i, 0)[c];
    // Shifting the window changes nothing but the right edge, which the
    // window reaches only at the picture's own right edge.
    const Bgr want = RefSample(part, {3, 2, 1}, X - 1000 * base, 0);
    EXPECT_EQ(Get(d, x, 0), want) << x;
  }
}

// ---- the registered routines ---------------------------------------------------------------

TEST(DistortRoutines, RegisteredWithTheBackgroundLast) {
  Noise noise;
  const DibHandle image = Random24(12, 9, noise);
  struct Case {
    const char *name;
    std::vector<double> args;
    std::function<DibHandle()> direct;
  };
  const Case cases[] = {
      {"GlassMap",
       {2, 60, 30, 200, 100, 50},
       [&] { return GlassMap(image.get(), 2, 60, 30, 200, 100, 50); }},
      {"RippleMap",
       {7, 12, 30, 60, 200, 100, 50},
       [&] { return RippleMap(image.get(), 7, 12, 30, 60, 200, 100, 50); }},
      {"SwirlMap",
       {40, 1, 30, 60, 200, 100, 50},
       [&] { return SwirlMap(image.get(), 40, 1, 30, 60, 200, 100, 50); }},
      {"RotateFree",
       {22.5, 200, 100, 50},
       [&] { return RotateFree(image.get(), 22.5, 200, 100, 50); }},
  };
  for (const Case &k : cases) {
    const Routine *r = FindRoutine(k.name);
    ASSERT_NE(r, nullptr) << k.name;
    ASSERT_EQ(r->params.size(), k.args.size()) << k.name;
    EXPECT_STREQ(r->params[r->params.size() - 3].name, "red");
    EXPECT_STREQ(r->params.back().name, "blue");
    DibHandle work = Copy(image);
    std::string why;
    ASSERT_TRUE(RunRoutine(*r, work, k.args, &why)) << why;
    EXPECT_EQ(ToPicture(work), ToPicture(k.direct())) << k.name;
  }
  // The angle is a real number; the others whole.
  EXPECT_EQ(CheckRoutineArgs(*FindRoutine("RotateFree"), {45.25, 0, 0, 0}), "");
  EXPECT_NE(CheckRoutineArgs(*FindRoutine("SwirlMap"), {4.5, 0, 50, 50, 0, 0, 0}), "");
  EXPECT_NE(CheckRoutineArgs(*FindRoutine("GlassMap"), {0, 50, 50, 0, 0, 256}), "");
}

TEST(DistortRoutines, PaletteImagesAreTurnedIntoFullColourFirst) {
  // Called directly, a palette source has no pixels to sample: a picture of
  // its size in the background colour.
  const DibHandle palette = MakePalette(6, 4, 8, 0);
  EXPECT_EQ(ToPicture(GlassMap(palette.get(), 2, 50, 50, 1, 2, 3)),
            ToPicture(Uniform24(6, 4, Bgr{3, 2, 1})));
  // The routines run on its 24-bit form instead.
  DibHandle full(Kit.ImgKitConvertColor(palette.get(), 24, 0, 0, "", ""));
  const std::pair<const char *, std::vector<double>> runs[] = {
      {"GlassMap", {0, 50, 50, 1, 2, 3}},
      {"RippleMap", {10, 15, 50, 50, 1, 2, 3}},
      {"SwirlMap", {5, 0, 50, 50, 1, 2, 3}},
      {"RotateFree", {33, 1, 2, 3}}};
  for (const auto &[name, args] : runs) {
    DibHandle a = Copy(palette), b = Copy(full);
    ASSERT_TRUE(RunRoutine(*FindRoutine(name), a, args)) << name;
    ASSERT_TRUE(RunRoutine(*FindRoutine(name), b, args)) << name;
    const TMDIB d(a.get());
    EXPECT_EQ(d.BitsPerPixel(), 24) << name;
    EXPECT_EQ(ToPicture(a), ToPicture(b)) << name;
  }
}
