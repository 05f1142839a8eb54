#include "adjust/Tone.h"

#include "adjust_test_util.h"

using namespace adjusttest;

namespace {

// One pixel per value, the value in all three channels.
DibHandle Greys(std::vector<int> values) {
  return Make24(static_cast<int>(values.size()), 1, [values](int x, int) {
    const int v = values[static_cast<size_t>(x)];
    return Bgr{v, v, v};
  });
}

std::vector<int> RedOf(const TMDIB &d) {
  std::vector<int> out;
  for (int x = 0; x < d.width; ++x)
    out.push_back(Get(d, x, 0)[2]);
  return out;
}

} // namespace

TEST(Contrast, PlusHundredDoublesTheDistanceFrom128) {
  DibHandle h = Greys({0, 64, 128, 192});
  TMDIB d(h.get());
  Contrast(d, 100);
  EXPECT_EQ(RedOf(d), (std::vector<int>{0, 0, 128, 255}));
  EXPECT_EQ(Get(d, 3, 0), (Bgr{255, 255, 255}));
}

TEST(Contrast, MinusHundredGivesUniformGrey) {
  DibHandle h = Make24(5, 3, [](int x, int y) { return Bgr{x * 50, y * 90, 255 - x}; });
  TMDIB d(h.get());
  Contrast(d, -100);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(Get(d, x, y), (Bgr{128, 128, 128}));
}

TEST(Contrast, TruncatesTowardZero) {
  // a = 50: 127 -> 50 x (-1) div 100 = 0 -> 128; 0 -> -64 -> 64; 255 -> 63 -> 191.
  DibHandle h = Greys({127, 0, 255, 129});
  TMDIB d(h.get());
  Contrast(d, -50);
  EXPECT_EQ(RedOf(d), (std::vector<int>{128, 64, 191, 128}));
}

TEST(Contrast, ZeroIsTheIdentity) {
  uint8_t t[256];
  ContrastTable(0, t);
  for (int v = 0; v < 256; ++v)
    EXPECT_EQ(t[v], v);
}

TEST(Gamma, EdgeValues) {
  uint8_t t300[256], t10[256], t100[256];
  GammaTable(300, t300);
  GammaTable(10, t10);
  GammaTable(100, t100);
  EXPECT_EQ(t300[128], 202);
  EXPECT_EQ(t10[254], 245);
  for (int v = 0; v <= 200; ++v)
    EXPECT_LE(t10[v], 22) << v;
  for (const uint8_t *t : {t300, t10, t100})
    EXPECT_EQ(t[0], 0);
  for (int v = 0; v < 256; ++v)
    EXPECT_EQ(t100[v], v);
}

TEST(Gamma, AppliesTheTableToEveryChannel) {
  DibHandle h = Make24(1, 1, [](int, int) { return Bgr{128, 254, 0}; });
  TMDIB d(h.get());
  Gamma(d, 300);
  EXPECT_EQ(Get(d, 0, 0)[0], 202);
  EXPECT_EQ(Get(d, 0, 0)[2], 0);
}

TEST(Saturation, MinusHundredMakesGrey) {
  DibHandle h = Make24(1, 1, [](int, int) { return Bgr{0, 0, 255}; });
  TMDIB d(h.get());
  Saturation(d, -100);
  EXPECT_EQ(Get(d, 0, 0), (Bgr{85, 85, 85}));
}

TEST(Saturation, PlusHundredDoublesAndClamps) {
  // m = 30: blue 30 - 40 -> 0 (clamped), green 30 - 20 = 10, red 30 + 60 = 90.
  DibHandle h = Make24(1, 1, [](int, int) { return Bgr{10, 20, 60}; });
  TMDIB d(h.get());
  Saturation(d, 100);
  EXPECT_EQ(Get(d, 0, 0), (Bgr{0, 10, 90}));
}

TEST(Saturation, GreysStayAtEveryPosition) {
  for (int p = -100; p <= 100; p += 10) {
    DibHandle h = Greys({0, 1, 77, 128, 254, 255});
    TMDIB d(h.get());
    Saturation(d, p);
    EXPECT_EQ(RedOf(d), (std::vector<int>{0, 1, 77, 128, 254, 255})) << p;
    EXPECT_EQ(Get(d, 2, 0), (Bgr{77, 77, 77}));
  }
}

TEST(Saturation, LargeImagesGiveTheSameAsTheRule) {
  // Above 65536 pixels the routine works from one table; compare with the
  // rule written out.
  for (int p : {-100, -37, 0, 45, 100}) {
    Noise noise;
    DibHandle h = Make24(301, 220, [&](int, int) {
      return Bgr{noise.Byte(), noise.Byte(), noise.Byte()};
    });
    TMDIB d(h.get());
    std::vector<Bgr> before;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x)
        before.push_back(Get(d, x, y));
    Saturation(d, p);
    size_t i = 0;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x, ++i) {
        const Bgr c = before[i];
        const int m = (c[0] + c[1] + c[2]) / 3;
        Bgr want;
        for (int k = 0; k < 3; ++k)
          want[k] = std::clamp(m + (p + 100) * (c[k] - m) / 100, 0, 255);
        ASSERT_EQ(Get(d, x, y), want) << "p " << p << " at " << x << "," << y;
      }
  }
}

// The colour-table rule: a 16-colour image that uses 5 colours has only 5
// entries, and the pixel bytes right after them must stay.
TEST(ToneOnPalettes, OnlyTheUsedEntriesChange) {
  for (int which = 0; which < 3; ++which) {
    DibHandle h = MakePalette(7, 3, 4, 5);
    TMDIB d(h.get());
    const std::vector<uint8_t> pixelsBefore = PixelBytes(d);
    CheckingProgress progress;
    if (which == 0) Contrast(d, -100, &progress);
    if (which == 1) Gamma(d, 10, &progress);
    if (which == 2) Saturation(d, -100, &progress);
    EXPECT_EQ(PixelBytes(d), pixelsBefore) << which;
    EXPECT_EQ(progress.steps, 0);
    for (int i = 0; i < 5; ++i) {
      const int b = i, g = 40 + i, r = 200 - i;
      const uint8_t *e = d.colourTable + 4 * i;
      if (which == 0) {
        EXPECT_EQ((Bgr{e[0], e[1], e[2]}), (Bgr{128, 128, 128}));
      }
      if (which == 1) {
        EXPECT_EQ(e[0], 0) << i; // 255 x (i / 255)^10 is below 1
      }
      if (which == 2) {
        const int m = (b + g + r) / 3;
        EXPECT_EQ((Bgr{e[0], e[1], e[2]}), (Bgr{m, m, m}));
      }
      EXPECT_EQ(e[3], 0);
    }
  }
}

TEST(ToneOnPalettes, FullTablesOfEveryDepth) {
  for (int bpp : {1, 4, 8}) {
    DibHandle h = MakePalette(9, 2, bpp, 0);
    TMDIB d(h.get());
    const std::vector<uint8_t> pixelsBefore = PixelBytes(d);
    Contrast(d, -100);
    EXPECT_EQ(PixelBytes(d), pixelsBefore);
    for (int i = 0; i < (1 << bpp); ++i)
      EXPECT_EQ(d.colourTable[4 * i + 1], 128) << bpp << " " << i;
  }
}

// Widths 1 ... 9 give every amount of row padding.
TEST(ToneOn24Bit, PaddingStaysAndEveryPixelChanges) {
  for (int width = 1; width <= 9; ++width) {
    DibHandle h = Make24(width, 3, [](int x, int y) { return Bgr{x, y, 200}; });
    TMDIB d(h.get());
    const std::vector<uint8_t> padding = Padding(d);
    Contrast(d, -100);
    Saturation(d, 50);
    Gamma(d, 200);
    EXPECT_EQ(Padding(d), padding) << width;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < width; ++x)
        EXPECT_EQ(Get(d, x, y)[0], Get(d, 0, 0)[0]);
  }
}

TEST(ToneOn24Bit, TopRowFirstWithOneStepPerRow) {
  // At each step exactly the rows from the top down to that step are done.
  DibHandle h = Uniform24(4, 5, Bgr{0, 0, 0});
  TMDIB d(h.get());
  CheckingProgress progress;
  progress.onStep = [&](int step) {
    for (int y = 0; y < 5; ++y)
      EXPECT_EQ(Get(d, 0, y)[0], y < step ? 128 : 0) << "step " << step << " row " << y;
  };
  Contrast(d, -100, &progress);
  EXPECT_EQ(progress.steps, 5);
}

TEST(ToneOn24Bit, LargeSaturationStepsTopRowFirst) {
  DibHandle h = Uniform24(300, 300, Bgr{0, 0, 255});
  TMDIB d(h.get());
  CheckingProgress progress;
  progress.onStep = [&](int step) {
    EXPECT_EQ(Get(d, 0, step - 1)[0], 85);
    if (step < 300) {
      EXPECT_EQ(Get(d, 0, step)[0], 0);
    }
  };
  Saturation(d, -100, &progress);
  EXPECT_EQ(progress.steps, 300);
}

TEST(Brightness, MovesThroughTheKit) {
  DibHandle h = Uniform24(2, 2, Bgr{100, 100, 100});
  TMDIB d(h.get());
  ASSERT_TRUE(Brightness(d, 40));
  EXPECT_GT(Get(d, 0, 0)[0], 100);
  ASSERT_TRUE(Brightness(d, -50));
  ASSERT_TRUE(Brightness(d, -50));
  EXPECT_LT(Get(d, 0, 0)[0], 100);
}
