#include "adjust/Variation.h"
#include "adjust/Yuv.h"
#include "routines/AllRoutines.h"

#include "adjust_test_util.h"

using namespace adjusttest;

TEST(Offsets, YuvToChannels) {
  EXPECT_EQ(YuvToOffsets(0, 50, 0), (ChannelOffsets{0, -19, 101}));
  EXPECT_EQ(YuvToOffsets(0, 0, -50), (ChannelOffsets{-57, 29, 0}));
  EXPECT_EQ(YuvToOffsets(10, 0, 0), (ChannelOffsets{10, 10, 10}));
}

TEST(Offsets, KeepLuminance) {
  EXPECT_EQ(KeepLuminance(50, 0, 0), (ChannelOffsets{50, -25, -25}));
  EXPECT_EQ(KeepLuminance(10, 10, 10), (ChannelOffsets{0, 0, 0}));
  EXPECT_EQ(KeepLuminance(-5, 0, 0), (ChannelOffsets{-5, 2, 2})); // -5 div 2 is -2
}

TEST(ToneVariation, ClicksAreHeldTo30And300) {
  int v = 100;
  for (int i = 0; i < 5; ++i)
    v = VariationClick(v, -2, 5);
  EXPECT_EQ(v, 30);
  EXPECT_EQ(VariationClick(290, 1, 4), 300);
  EXPECT_EQ(VariationCandidate(30, -2, 5), -10);
}

TEST(ToneVariation, ResultsCapTheValue) {
  // Contrast with v 250 applies min(v, 200) - 100 = 100: 64 -> 0, 192 -> 255.
  DibHandle h = Make24(2, 1, [](int x, int) { return x ? Bgr{192, 192, 192} : Bgr{64, 64, 64}; });
  TMDIB d(h.get());
  ToneVariationApply(d, tvContrast, 250);
  EXPECT_EQ(Get(d, 0, 0), (Bgr{0, 0, 0}));
  EXPECT_EQ(Get(d, 1, 0), (Bgr{255, 255, 255}));
  // Saturation with v 0 is position -100: grey.
  DibHandle s = Uniform24(1, 1, Bgr{0, 0, 255});
  TMDIB sd(s.get());
  ToneVariationPreview(sd, tvSaturation, 0);
  EXPECT_EQ(Get(sd, 0, 0), (Bgr{85, 85, 85}));
  // A gamma candidate at 0 or below shows the picture as it is.
  DibHandle g = Uniform24(1, 1, Bgr{10, 100, 200});
  TMDIB gd(g.get());
  ToneVariationPreview(gd, tvGamma, -10);
  EXPECT_EQ(Get(gd, 0, 0), (Bgr{10, 100, 200}));
}

TEST(AdjustRoutines, RegisteredByName) {
  for (const char *name :
       {"Brightness", "Contrast", "Gamma", "Saturation", "Levels", "AutoCorrectA", "AutoCorrectB",
        "HueChange", "HueEmphasis", "RgbBalance", "YuvBalance", "ToneVariationApply"})
    EXPECT_NE(FindRoutine(name), nullptr) << name;
}

TEST(AdjustRoutines, RunWithParametersInOrder) {
  DibHandle h = Make24(2, 1, [](int x, int) { return x ? Bgr{60, 200, 30} : Bgr{0, 0, 255}; });
  std::string why;
  ASSERT_TRUE(RunRoutine(*FindRoutine("levels"), h, {0, 51, 3}, &why)) << why;
  {
    TMDIB d(h.get());
    EXPECT_EQ(Get(d, 1, 0), (Bgr{255, 200, 30}));
  }
  ASSERT_TRUE(RunRoutine(*FindRoutine("HueChange"), h, {120}, &why)) << why;
  TMDIB d(h.get());
  EXPECT_EQ(Get(d, 0, 0), (Bgr{0, 255, 0}));
}

TEST(AdjustRoutines, RangesComeFromTheDialogs) {
  DibHandle h = Uniform24(1, 1, Bgr{1, 2, 3});
  std::string why;
  EXPECT_FALSE(RunRoutine(*FindRoutine("Gamma"), h, {9}, &why));
  EXPECT_FALSE(RunRoutine(*FindRoutine("Contrast"), h, {101}, &why));
  EXPECT_FALSE(RunRoutine(*FindRoutine("HueEmphasis"), h, {0, 5, 0, 0}, &why));
  EXPECT_FALSE(RunRoutine(*FindRoutine("Levels"), h, {0, 100, 4}, &why));
  TMDIB d(h.get());
  EXPECT_EQ(Get(d, 0, 0), (Bgr{1, 2, 3}));
}

TEST(AdjustRoutines, RgbBalanceKeepsLuminanceThroughTheKit) {
  DibHandle h = Uniform24(1, 1, Bgr{100, 100, 100});
  ASSERT_TRUE(RunRoutine(*FindRoutine("RgbBalance"), h, {10, 10, 10, 1}));
  {
    TMDIB d(h.get());
    EXPECT_EQ(Get(d, 0, 0), (Bgr{100, 100, 100}));
  }
  ASSERT_TRUE(RunRoutine(*FindRoutine("RgbBalance"), h, {30, 0, 0, 1}));
  TMDIB d(h.get());
  const Bgr c = Get(d, 0, 0);
  EXPECT_GT(c[2], 100);
  EXPECT_LT(c[1], 100);
  EXPECT_EQ(c[0], c[1]);
}
