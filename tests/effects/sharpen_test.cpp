#include "effects/Fsharpen.h"

#include "effects_test_util.h"

using namespace effectstest;

namespace {

// Sharpens a copy of `source` and returns the result.
Picture Sharpened(const DibHandle &source, int type, int strength) {
  DibHandle out = Copy(source);
  TMDIB d(out.get());
  const TMDIB s(source.get());
  SharpenImage(d, s, type, strength);
  return ToPicture(d);
}

// One pixel of value `centre` at (2, 2) of a 5 x 5 field of `field`.
DibHandle LonePixel(int field, int centre) {
  return Make24(5, 5, [=](int x, int y) {
    const int v = (x == 2 && y == 2) ? centre : field;
    return Bgr{v, v, v};
  });
}

// Straight from the masks, for random images.
Picture Reference(const Picture &p, int type, int s) {
  Picture out = p;
  for (int y = 1; y + 1 < p.h; ++y)
    for (int x = 1; x + 1 < p.w; ++x)
      for (int c = 0; c < 3; ++c) {
        auto v = [&](int dx, int dy) { return p.at(x + dx, y + dy, c); };
        int l = 0;
        if (type == 0) l = v(0, -1) + v(-1, 0) + v(1, 0) + v(0, 1) - 4 * v(0, 0);
        if (type == 1)
          l = v(-1, -1) + v(0, -1) + v(1, -1) + v(-1, 0) + v(1, 0) + v(-1, 1) + v(0, 1) + v(1, 1) -
              8 * v(0, 0);
        if (type == 2) l = 2 * v(-1, -1) - 4 * v(-1, 0) + 4 * v(-1, 1) - 4 * v(0, 1) + 2 * v(1, 1);
        const int o = v(0, 0) - (s * l) / 100;
        out.at(x, y, c) = o < 0 ? 0 : (o > 255 ? 255 : o);
      }
  return out;
}

} // namespace

TEST(SharpenImage, LoneBrightPixelStrength10Type0) {
  // 255 + 102 for the pixel and 0 - 25 for its four neighbours, both clamped.
  const Picture p = Sharpened(LonePixel(0, 255), 0, 10);
  EXPECT_EQ(p.at(2, 2, 0), 255);
  EXPECT_EQ(p.at(2, 1, 1), 0);
  EXPECT_EQ(p.at(1, 2, 2), 0);
  // Unclamped: 120 on 100 gives 120 + 8 and 100 - 2.
  const Picture q = Sharpened(LonePixel(100, 120), 0, 10);
  EXPECT_EQ(q.at(2, 2, 0), 128);
  for (auto [x, y] : {std::pair{2, 1}, {1, 2}, {3, 2}, {2, 3}})
    EXPECT_EQ(q.at(x, y, 0), 98) << x << "," << y;
  EXPECT_EQ(q.at(1, 1, 0), 100);
}

TEST(SharpenImage, DivisionTruncatesTowardZero) {
  // A dark pixel 90 on 100 at strength 33: its neighbours see L = -10, and
  // -330 / 100 is -3 (not -4), so they become 103; the pixel itself sees
  // L = 40: 90 - 13 = 77.
  const Picture p = Sharpened(LonePixel(100, 90), 0, 33);
  EXPECT_EQ(p.at(2, 1, 0), 103);
  EXPECT_EQ(p.at(2, 2, 0), 77);
}

TEST(SharpenImage, Type1UsesAllEightNeighbours) {
  const Picture p = Sharpened(LonePixel(100, 120), 1, 10);
  EXPECT_EQ(p.at(2, 2, 0), 136); // L = 800 - 960
  for (auto [x, y] : {std::pair{1, 1}, {2, 1}, {3, 1}, {1, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}})
    EXPECT_EQ(p.at(x, y, 1), 98) << x << "," << y;
}

TEST(SharpenImage, Type2MaskIsOrientedFromTheTop) {
  // The pixel at (2, 2) is NW of (3, 3), W of (3, 2), SW of (3, 1), S of
  // (2, 1) and SE of (1, 1); the mask weighs those 2, -4, 4, -4, 2.
  const Picture p = Sharpened(LonePixel(100, 120), 2, 10);
  EXPECT_EQ(p.at(3, 3, 0), 96);
  EXPECT_EQ(p.at(3, 2, 0), 108);
  EXPECT_EQ(p.at(3, 1, 0), 92);
  EXPECT_EQ(p.at(2, 1, 0), 108);
  EXPECT_EQ(p.at(1, 1, 0), 96);
  EXPECT_EQ(p.at(2, 2, 0), 120); // no centre term
  EXPECT_EQ(p.at(1, 3, 0), 100);
  EXPECT_EQ(p.at(1, 2, 0), 100);
}

TEST(SharpenImage, MatchesTheMasksOnRandomImages) {
  Noise noise;
  for (int w = 1; w <= 9; ++w)
    for (int h : {1, 2, 3, 5}) {
      DibHandle src = Random24(w, h, noise);
      const Picture in = ToPicture(src);
      for (int type = 0; type < 3; ++type)
        for (int s : {10, 37, 50, 90}) {
          const Picture got = Sharpened(src, type, s);
          EXPECT_EQ(got, Reference(in, type, s))
              << w << "x" << h << " type " << type << " s " << s << ": "
              << FirstDifference(got, Reference(in, type, s));
        }
    }
}

TEST(SharpenImage, EveryStrengthOnAWideImage) {
  // A wide odd row runs the vectorised loop and its tail; two levels give
  // the extreme responses (+-2040), where the scaled term goes far past
  // the clamp, and many levels the fractions of the division.
  Noise noise;
  for (int levels : {2, 256}) {
    DibHandle src = Random24(101, 5, noise, levels);
    const Picture in = ToPicture(src);
    std::vector<int> strengths = {-7001, -90,  -1,   101,  127,  255,
                                  256,   1000, 6999, 7000, 7001, 100000};
    for (int s = 0; s <= 100; ++s)
      strengths.push_back(s);
    for (int type = 0; type < 3; ++type)
      for (int s : strengths) {
        const Picture got = Sharpened(src, type, s);
        const Picture want = Reference(in, type, s);
        ASSERT_EQ(got, want) << "levels " << levels << " type " << type << " s " << s << ": "
                             << FirstDifference(got, want);
      }
  }
}

TEST(SharpenImage, BorderAndPaddingKept) {
  Noise noise;
  DibHandle src = Random24(7, 6, noise);
  for (int type = 0; type < 3; ++type) {
    DibHandle out = Copy(src);
    TMDIB d(out.get());
    const TMDIB s(src.get());
    SharpenImage(d, s, type, 90);
    for (int x = 0; x < 7; ++x) {
      EXPECT_EQ(Get(d, x, 0), Get(s, x, 0));
      EXPECT_EQ(Get(d, x, 5), Get(s, x, 5));
    }
    for (int y = 0; y < 6; ++y) {
      EXPECT_EQ(Get(d, 0, y), Get(s, 0, y));
      EXPECT_EQ(Get(d, 6, y), Get(s, 6, y));
    }
    EXPECT_EQ(Padding(d), Padding(s));
  }
}

TEST(SharpenImage, FlatImageStaysFlat) {
  DibHandle src = Uniform24(6, 5, Bgr{13, 200, 255});
  for (int type = 0; type < 3; ++type)
    for (int s = 10; s <= 90; s += 20)
      EXPECT_EQ(Sharpened(src, type, s), ToPicture(src));
}

TEST(SharpenImage, UnknownTypeLeavesDestination) {
  DibHandle src = LonePixel(100, 200);
  DibHandle out = Uniform24(5, 5, Bgr{1, 2, 3});
  TMDIB d(out.get());
  const TMDIB s(src.get());
  SharpenImage(d, s, 3, 50);
  SharpenImage(d, s, -1, 50);
  EXPECT_EQ(ToPicture(d), ToPicture(out));
  EXPECT_EQ(Get(d, 2, 2), (Bgr{1, 2, 3}));
}

TEST(SharpenImage, OneStepPerRow) {
  DibHandle src = LonePixel(0, 255);
  DibHandle out = Copy(src);
  TMDIB d(out.get());
  const TMDIB s(src.get());
  CheckingProgress progress;
  SharpenImage(d, s, 0, 50, &progress);
  EXPECT_EQ(progress.steps, 5);
}
