#include "adjust/Fresize.h"
#include "routines/AllRoutines.h"

#include "effects_test_util.h"

#include <array>
#include <utility>

using namespace effectstest;

namespace {

// The area average as described: every source pixel of every destination
// pixel's rectangle with its two weights, one pixel at a time.
Picture AreaReference(const Picture &in, int dw, int dh, const Picture &before) {
  Picture out = before;
  const int sx = in.w * 1000 / dw, sy = in.h * 1000 / dh, hx = sx / 2, hy = sy / 2;
  auto range = [](int X, int h, int &lo, int &hi) {
    lo = (X - h + 500) / 1000;
    hi = (X + h - 500) / 1000 + ((X + h - 500) % 1000 != 0 ? 1 : 0);
  };
  auto weight = [](int v, int X, int h, int lo, int hi) {
    if (v == lo) return 100 - ((X - h + 500) % 1000) / 10;
    if (v == hi) return ((X + h - 500) % 1000) / 10;
    return 100;
  };
  for (int i = 0; i < dh; ++i)
    for (int j = 0; j < dw; ++j) {
      const int X = j * sx, Y = i * sy;
      int x0, x1, y0, y1;
      range(X, hx, x0, x1);
      range(Y, hy, y0, y1);
      long long sum[3] = {0, 0, 0}, wsum = 0;
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
          if (x < 0 || y < 0 || x >= in.w || y >= in.h) continue;
          const long long w =
              static_cast<long long>(weight(x, X, hx, x0, x1)) * weight(y, Y, hy, y0, y1);
          wsum += w;
          for (int c = 0; c < 3; ++c)
            sum[c] += w * in.at(x, y, c);
        }
      if (wsum == 0) continue;
      for (int c = 0; c < 3; ++c) {
        const long long v = sum[c] / wsum;
        out.at(j, i, c) = static_cast<int>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
    }
  return out;
}

// Bilinear resampling with the cases as described.
Picture BilinearReference(const Picture &in, int dw, int dh) {
  Picture out(dw, dh);
  const int sx = in.w * 1000 / dw, sy = in.h * 1000 / dh;
  for (int i = 0; i < dh; ++i)
    for (int j = 0; j < dw; ++j) {
      const int u = j * sx / 1000, fx = j * sx % 1000, y0 = i * sy / 1000, fy = i * sy % 1000;
      for (int c = 0; c < 3; ++c) {
        auto P = [&](int x, int y) { return in.at(x, y, c); };
        int v;
        if (fx == 0 && fy == 0)
          v = P(u, y0);
        else if (fx != 0 && u + 1 < in.w) {
          if (fy != 0 && y0 + 1 < in.h) {
            const int top = P(u, y0) + fx * (P(u + 1, y0) - P(u, y0)) / 1000;
            const int bottom = P(u, y0 + 1) + fx * (P(u + 1, y0 + 1) - P(u, y0 + 1)) / 1000;
            v = top + fy * (bottom - top) / 1000;
          } else {
            v = P(u, y0) + fx * (P(u + 1, y0) - P(u, y0)) / 1000;
          }
        } else if (y0 + 1 < in.h) {
          v = P(u, y0) + fy * (P(u, y0 + 1) - P(u, y0)) / 1000;
        } else {
          v = P(u, y0);
        }
        out.at(j, i, c) = v;
      }
    }
  return out;
}

template <class F> Picture Resized(const DibHandle &src, int dw, int dh, F f) {
  DibHandle out = CreateBlankDib(dw, dh);
  TMDIB d(out.get());
  const TMDIB s(src.get());
  f(d, s);
  EXPECT_EQ(Padding(d), std::vector<uint8_t>(Padding(d).size(), 0));
  return ToPicture(d);
}

Picture Area(const DibHandle &src, int dw, int dh) {
  return Resized(src, dw, dh, [](TMDIB &d, const TMDIB &s) { AreaAverageResize(d, s); });
}

Picture Bilinear(const DibHandle &src, int dw, int dh) {
  return Resized(src, dw, dh, [](TMDIB &d, const TMDIB &s) { BilinearResize(d, s); });
}

} // namespace

TEST(AreaAverageResize, HalvingWeighsTheFirstColumn150And50) {
  // Only source column 0 (then only column 1) is bright; rows are alike.
  for (int bright : {0, 1}) {
    DibHandle src = Make24(6, 2, [=](int x, int) { return Bgr{x == bright ? 200 : 0, 0, 0}; });
    const Picture p = Area(src, 3, 1);
    EXPECT_EQ(p.at(0, 0, 0), bright == 0 ? 150 : 50);
    // The inner destination pixel weighs columns 1, 2, 3 as 50, 100, 50.
    EXPECT_EQ(p.at(1, 0, 0), bright == 1 ? 50 : 0);
  }
  // The same along y, from the top of the picture.
  DibHandle src = Make24(2, 6, [](int, int y) { return Bgr{0, y == 0 ? 200 : 0, 0}; });
  const Picture p = Area(src, 1, 3);
  EXPECT_EQ(p.at(0, 0, 1), 150);
  EXPECT_EQ(p.at(0, 1, 1), 0);
}

TEST(AreaAverageResize, InnerPixelIsTheWeighted3x3) {
  DibHandle src = Make24(6, 6, [](int x, int y) { return Bgr{x * 40, y * 40, (x + y) % 2 * 200}; });
  const Picture p = Area(src, 3, 3);
  // Columns 1, 2, 3 with 50, 100, 50: (40 * 50 + 80 * 100 + 120 * 50) / 200.
  EXPECT_EQ(p.at(1, 1, 0), 80);
  EXPECT_EQ(p.at(1, 1, 1), 80);
  // The checkerboard: centre weight 100 * 100 on (2, 2) (even: 0), the four
  // edge neighbours 50 * 100 (odd: 200), the corners 50 * 50 (even).
  EXPECT_EQ(p.at(1, 1, 2), 200 * 4 * 5000 / 40000);
}

TEST(AreaAverageResize, EnlargingUsesTheWeightsAsTheyFall) {
  // Doubling 2 pixels: the first destination pixel weighs 75 and -25
  // (clamped), the second 25 and 25, the last two the right pixel only.
  DibHandle up = Make24(2, 1, [](int x, int) { return Bgr{x ? 0 : 200, x ? 200 : 0, 100}; });
  const Picture p = Area(up, 4, 1);
  EXPECT_EQ(p.at(0, 0, 0), 255); // 15000 / 50 = 300
  EXPECT_EQ(p.at(0, 0, 1), 0);   // -5000 / 50
  EXPECT_EQ(p.at(1, 0, 0), 100);
  EXPECT_EQ(p.at(2, 0, 0), 0);
  EXPECT_EQ(p.at(3, 0, 1), 200);
  EXPECT_EQ(p.at(3, 0, 2), 100);
}

TEST(AreaAverageResize, MatchesTheDescriptionOnRandomImages) {
  Noise noise;
  for (int sw = 1; sw <= 9; sw += 2)
    for (int sh : {1, 4, 7}) {
      DibHandle src = Random24(sw, sh, noise);
      const Picture in = ToPicture(src);
      for (int dw = 1; dw <= 12; dw += 3)
        for (int dh : {1, 2, 5, 9}) {
          const Picture got = Area(src, dw, dh);
          const Picture want = AreaReference(in, dw, dh, Picture(dw, dh));
          ASSERT_EQ(got, want) << sw << "x" << sh << " -> " << dw << "x" << dh << ": "
                               << FirstDifference(got, want);
        }
    }
  DibHandle big = Random24(37, 23, noise);
  EXPECT_EQ(Area(big, 10, 7), AreaReference(ToPicture(big), 10, 7, Picture(10, 7)));
}

TEST(AreaAverageResize, MatchesTheDescriptionOnWideImagesAndLargeRatios) {
  // Odd widths run the vectorised loops and their tails; the large
  // reductions make sums too big for 32 bits, and a 1 x 90000 column one
  // too big even for the column sums.
  Noise noise;
  struct Case {
    int sw, sh, dw, dh;
  };
  for (const Case c : {Case{101, 7, 40, 3},
                       {4001, 3, 1600, 2},
                       {37, 5, 91, 13},
                       {301, 2, 2, 1},
                       {997, 3, 3, 1},
                       {1, 90000, 1, 1},
                       {5, 1, 4001, 1}}) {
    DibHandle src = Random24(c.sw, c.sh, noise);
    const Picture got = Area(src, c.dw, c.dh);
    const Picture want = AreaReference(ToPicture(src), c.dw, c.dh, Picture(c.dw, c.dh));
    ASSERT_EQ(got, want) << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh << ": "
                         << FirstDifference(got, want);
  }
}

TEST(BilinearResize, SameSizeIsAnExactCopy) {
  Noise noise;
  for (int w = 1; w <= 9; ++w) {
    DibHandle src = Random24(w, 3, noise);
    EXPECT_EQ(Bilinear(src, w, 3), ToPicture(src)) << w;
  }
}

TEST(BilinearResize, DifferencesTruncateTowardZero) {
  // Doubling: odd destination pixels are halfway; 101 -> 0 gives
  // 101 + (-50500 / 1000) = 51, and the last one has no right neighbour.
  DibHandle src = Make24(2, 1, [](int x, int) { return Bgr{x ? 0 : 101, x ? 101 : 0, 7}; });
  const Picture p = Bilinear(src, 4, 1);
  EXPECT_EQ(p.at(1, 0, 0), 51);
  EXPECT_EQ(p.at(1, 0, 1), 50);
  EXPECT_EQ(p.at(2, 0, 0), 0);
  EXPECT_EQ(p.at(3, 0, 1), 101);
  EXPECT_EQ(p.at(3, 0, 2), 7);
}

TEST(BilinearResize, MatchesTheDescriptionOnRandomImages) {
  Noise noise;
  for (int sw = 1; sw <= 9; ++sw)
    for (int sh : {1, 2, 5}) {
      DibHandle src = Random24(sw, sh, noise);
      const Picture in = ToPicture(src);
      for (int dw : {1, 2, 3, 7, 13, 18})
        for (int dh : {1, 3, 4, 11}) {
          const Picture got = Bilinear(src, dw, dh);
          const Picture want = BilinearReference(in, dw, dh);
          ASSERT_EQ(got, want) << sw << "x" << sh << " -> " << dw << "x" << dh << ": "
                               << FirstDifference(got, want);
        }
    }
  DibHandle big = Random24(40, 30, noise);
  EXPECT_EQ(Bilinear(big, 60, 45), BilinearReference(ToPicture(big), 60, 45));
}

TEST(BilinearResize, MatchesTheDescriptionOnWideImages) {
  // Odd widths, the benchmark's 1.5 enlargement, doubling and reductions.
  Noise noise;
  struct Case {
    int sw, sh, dw, dh;
  };
  for (const Case c : {Case{101, 7, 151, 10},
                       {101, 7, 202, 14},
                       {97, 5, 31, 3},
                       {333, 4, 500, 6},
                       {4001, 2, 1600, 3}}) {
    DibHandle src = Random24(c.sw, c.sh, noise);
    const Picture got = Bilinear(src, c.dw, c.dh);
    const Picture want = BilinearReference(ToPicture(src), c.dw, c.dh);
    ASSERT_EQ(got, want) << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh << ": "
                         << FirstDifference(got, want);
  }
}

TEST(BilinearResize, EveryFractionTruncatesExactly) {
  // 2 -> 2000 pixels steps the fraction through 0 ... 999 against random
  // differences; 2 -> 2000 rows does the same along y.
  Noise noise;
  DibHandle wide = Random24(2, 64, noise);
  EXPECT_EQ(Bilinear(wide, 2000, 64), BilinearReference(ToPicture(wide), 2000, 64));
  DibHandle tall = Random24(64, 2, noise);
  EXPECT_EQ(Bilinear(tall, 64, 2000), BilinearReference(ToPicture(tall), 64, 2000));
}

TEST(BilinearResize, OneStepPerDestinationRow) {
  DibHandle src = Uniform24(3, 3, Bgr{1, 2, 3});
  DibHandle out = CreateBlankDib(5, 8);
  TMDIB d(out.get());
  const TMDIB s(src.get());
  CheckingProgress progress;
  BilinearResize(d, s, &progress);
  EXPECT_EQ(progress.steps, 8);
  AreaAverageResize(d, s, &progress);
  EXPECT_EQ(progress.steps, 16);
}

TEST(Aspect, HeightsOf300) {
  EXPECT_EQ(AspectHeight43To54(300), 320);
  EXPECT_EQ(AspectHeight54To43(300), 281);
}

TEST(Aspect, CorrectsTheHeightAndKeepsTheWidth) {
  DibHandle image = Uniform24(5, 300, Bgr{9, 99, 199});
  ASSERT_TRUE(AspectCorrect(image, true));
  {
    const TMDIB d(image.get());
    EXPECT_EQ(d.width, 5);
    EXPECT_EQ(d.height, 320);
    EXPECT_EQ(Get(d, 4, 319), (Bgr{9, 99, 199}));
  }
  DibHandle palette = MakePalette(5, 300, 8, 0);
  ASSERT_TRUE(AspectCorrect(palette, false));
  const TMDIB p(palette.get());
  EXPECT_EQ(p.width, 5);
  EXPECT_EQ(p.height, 281);
  EXPECT_EQ(p.BitsPerPixel(), 8);
}

namespace {

// The whole block of a handle: header, colour table and pixels.
std::vector<uint8_t> Block(const DibHandle &h) {
  const auto *p = static_cast<const uint8_t *>(h.get());
  return {p, p + Kit.ImgKitMemSize(h.get())};
}

// What the resize dialog does: a destination from the kit's plain resize,
// then filled from the source.
DibHandle DialogResize(const DibHandle &src, int dw, int dh, ResizeMethod method) {
  DibHandle dest(Kit.ImgKitImageSize(src.get(), "", "", dw, dh));
  TMDIB d(dest.get());
  const TMDIB s(src.get());
  if (method == ResizeMethod::Oversampling)
    AreaAverageResize(d, s);
  else
    BilinearResize(d, s);
  return dest;
}

} // namespace

TEST(ResizeImage, EqualsTheDialogsKitMadeDestination) {
  Noise noise;
  for (ResizeMethod method : {ResizeMethod::Oversampling, ResizeMethod::Bilinear})
    for (auto [sw, sh, dw, dh] :
         {std::array{9, 7, 4, 3}, {1, 2, 3, 2}, {5, 4, 13, 9}, {6, 6, 6, 6}}) {
      DibHandle src = Random24(sw, sh, noise);
      static_cast<IMGKIT_BMIH *>(src.get())->biXPelsPerMeter = 3780;
      DibHandle expected = DialogResize(src, dw, dh, method);
      const std::vector<uint8_t> before = Block(src);
      DibHandle fresh = ResizedImage(src.get(), dw, dh, method);
      EXPECT_EQ(Block(src), before); // the source stays as it was
      EXPECT_EQ(Block(fresh), Block(expected));
      ASSERT_TRUE(ResizeImage(src, dw, dh, method));
      EXPECT_EQ(Block(src), Block(expected)) << sw << "x" << sh << " to " << dw << "x" << dh;
    }
}

TEST(ResizeImage, PixelsTheAreaAverageSkipsKeepTheKitsValues) {
  // Enlarging one column to three: the third column's weights sum to 0,
  // so it keeps the kit's replicated pixel instead of turning black.
  DibHandle src = Make24(1, 2, [](int, int y) { return Bgr{10, 20, 30 + y}; });
  ASSERT_TRUE(ResizeImage(src, 3, 2, ResizeMethod::Oversampling));
  const TMDIB d(src.get());
  EXPECT_EQ(Get(d, 2, 0), (Bgr{10, 20, 30}));
  EXPECT_EQ(Get(d, 2, 1), (Bgr{10, 20, 31}));
}

TEST(ResizeImage, ProgressIs20ThenOneStepPerRow) {
  DibHandle src = Uniform24(4, 4, Bgr{1, 2, 3});
  CheckingProgress progress;
  ASSERT_TRUE(ResizeImage(src, 3, 9, ResizeMethod::Bilinear, &progress));
  EXPECT_EQ(progress.range, 29);
  EXPECT_EQ(progress.steps, 29);
  CheckingProgress none;
  ASSERT_TRUE(ResizeImage(src, 5, 5, ResizeMethod::Normal, &none));
  EXPECT_EQ(none.steps, 0);
}

TEST(ResizeImage, RefusalsLeaveTheImageAlone) {
  DibHandle palette = MakePalette(6, 4, 8, 0);
  const std::vector<uint8_t> before = Block(palette);
  const IMGHANDLE same = palette.get();
  for (ResizeMethod method : {ResizeMethod::Oversampling, ResizeMethod::Bilinear})
    EXPECT_FALSE(ResizeImage(palette, 3, 2, method));
  EXPECT_FALSE(ResizeImage(palette, 0, 2, ResizeMethod::Normal));
  EXPECT_FALSE(ResizeImage(palette, 3, -1, ResizeMethod::Normal));
  EXPECT_EQ(palette.get(), same);
  EXPECT_EQ(Block(palette), before);
  DibHandle none;
  EXPECT_FALSE(ResizeImage(none, 3, 2, ResizeMethod::Normal));
  // The plain resize takes any depth and keeps it.
  ASSERT_TRUE(ResizeImage(palette, 3, 2, ResizeMethod::Normal));
  const TMDIB d(palette.get());
  EXPECT_EQ(d.width, 3);
  EXPECT_EQ(d.BitsPerPixel(), 8);
}

TEST(Aspect, FullColourGoesThroughTheDialogsOversampling) {
  Noise noise;
  for (bool toFiveFour : {true, false}) {
    DibHandle image = Random24(7, 31, noise);
    static_cast<IMGKIT_BMIH *>(image.get())->biYPelsPerMeter = 2835;
    const int h = toFiveFour ? AspectHeight43To54(31) : AspectHeight54To43(31);
    DibHandle expected = DialogResize(image, 7, h, ResizeMethod::Oversampling);
    ASSERT_TRUE(AspectCorrect(image, toFiveFour));
    EXPECT_EQ(Block(image), Block(expected));
  }
}

TEST(ResizeRoutines, RegistryRowsRunResizeImage) {
  Noise noise;
  DibHandle source = Random24(8, 5, noise);
  for (auto [name, method] :
       {std::pair{"ResizeImage", -1}, {"AreaAverageResize", 1}, {"BilinearResize", 2}}) {
    for (int m = 0; m < 3; ++m) {
      if (method >= 0 && m != method) continue;
      DibHandle viaRegistry = Copy(source), direct = Copy(source);
      std::vector<double> args = {11, 3};
      if (method < 0) args.push_back(m);
      std::string why;
      ASSERT_TRUE(RunRoutine(*FindRoutine(name), viaRegistry, args, &why)) << why;
      ASSERT_TRUE(ResizeImage(direct, 11, 3, static_cast<ResizeMethod>(m)));
      EXPECT_EQ(Block(viaRegistry), Block(direct)) << name << " " << m;
    }
  }
  DibHandle image = Copy(source);
  std::string why;
  EXPECT_FALSE(RunRoutine(*FindRoutine("ResizeImage"), image, {11, 3, 3}, &why));
  EXPECT_FALSE(RunRoutine(*FindRoutine("ResizeImage"), image, {0, 3, 0}, &why));
}
