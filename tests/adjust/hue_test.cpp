#include "adjust/Colsplit.h"
#include "adjust/Shikisou.h"

#include "adjust_test_util.h"

using namespace adjusttest;

namespace {

// The hue model written out with plain divisions, to hold the fast paths to.
struct Reference {
  int m, s, h;
  Reference(int r, int g, int b) {
    m = std::min({r, g, b});
    s = (r - m) + (g - m) + (b - m);
    h = 0;
    if (s == 0) return;
    if (g == m)
      h = (r - m) * 1200 / s + 2400;
    else if (r == m)
      h = (b - m) * 1200 / s + 1200;
    else
      h = (g - m) * 1200 / s;
  }
};

Bgr ReferenceRebuild(int m, int s, int h) {
  int r, g, b;
  if (h < 1200) {
    r = m + (1200 - h) * s / 1200;
    g = m + h * s / 1200;
    b = m;
  } else if (h < 2400) {
    g = m + (2400 - h) * s / 1200;
    b = m + (h - 1200) * s / 1200;
    r = m;
  } else {
    b = m + (3600 - h) * s / 1200;
    r = m + (h - 2400) * s / 1200;
    g = m;
  }
  return {std::min(b, 255), std::min(g, 255), std::min(r, 255)};
}

Bgr ReferenceHueChange(Bgr c, int shift) {
  const Reference ref(c[2], c[1], c[0]);
  if (ref.s == 0) return c;
  return ReferenceRebuild(ref.m, ref.s, (ref.h + 10 * shift + 3600) % 3600);
}

Bgr ReferenceEmphasis(Bgr c, int a, int w, int si, int so) {
  const int k = (c[0] + c[1] + c[2]) / 3;
  Bgr in, out;
  for (int i = 0; i < 3; ++i) {
    in[i] = std::clamp(k + (si + 100) * (c[i] - k) / 100, 0, 255);
    out[i] = std::clamp(k + (so + 100) * (c[i] - k) / 100, 0, 255);
  }
  const Reference ref(c[2], c[1], c[0]);
  if (ref.s == 0) return c;
  const int hue = ref.h / 10;
  for (int cand : {hue, hue + 360, hue - 360}) {
    if (cand < a - w || cand > a + w) continue;
    const int d = std::abs(cand - a), e = w - d;
    Bgr mix;
    for (int i = 0; i < 3; ++i)
      mix[i] = in[i] * e / w + out[i] * d / w;
    return mix;
  }
  return out;
}

Bgr RunHue(Bgr c, int shift) {
  DibHandle h = Uniform24(1, 1, c);
  TMDIB d(h.get());
  HueChange(d, shift);
  return Get(d, 0, 0);
}

Bgr RunEmphasis(Bgr c, int a, int w, int si, int so) {
  DibHandle h = Uniform24(1, 1, c);
  TMDIB d(h.get());
  HueEmphasis(d, a, w, si, so);
  return Get(d, 0, 0);
}

constexpr Bgr kRed{0, 0, 255};

} // namespace

TEST(HueModel, PureRedIs3600) {
  const HueColour c = HueOf(255, 0, 0);
  EXPECT_EQ(c.m, 0);
  EXPECT_EQ(c.s, 255);
  EXPECT_EQ(c.h, 3600);
  EXPECT_EQ(HueOf(0, 255, 0).h, 1200);
  EXPECT_EQ(HueOf(0, 0, 255).h, 2400);
  EXPECT_EQ(HueOf(9, 9, 9).s, 0);
}

TEST(HueModel, DivisionByChromaIsExact) {
  for (int s = 1; s <= 510; ++s)
    for (int x = 0; x <= 255; ++x)
      ASSERT_EQ(hue_detail::DivideByChroma(x * 1200, s), x * 1200 / s) << x << " / " << s;
}

TEST(HueModel, AgreesWithThePlainRuleOnRandomColours) {
  Noise noise;
  for (int i = 0; i < 200000; ++i) {
    const int r = noise.Byte(), g = noise.Byte(), b = noise.Byte();
    const Reference want(r, g, b);
    const HueColour got = HueOf(r, g, b);
    ASSERT_EQ(got.m, want.m);
    ASSERT_EQ(got.s, want.s);
    ASSERT_EQ(got.h, want.h) << r << "," << g << "," << b;
  }
}

TEST(HueChange, PureRedAroundTheCircle) {
  EXPECT_EQ(RunHue(kRed, 0), kRed);
  EXPECT_EQ(RunHue(kRed, 120), (Bgr{0, 255, 0}));
  EXPECT_EQ(RunHue(kRed, 60), (Bgr{0, 127, 127}));
  EXPECT_EQ(RunHue(kRed, -120), (Bgr{255, 0, 0}));
  // h 1900: green 500 x 255 div 1200, blue 700 x 255 div 1200.
  EXPECT_EQ(RunHue(kRed, 190), (Bgr{148, 106, 0}));
}

TEST(HueChange, HandComputedColours) {
  // R 200, G 100, B 50: m 50, S 200, h 300. A quarter turn lands on 1200.
  EXPECT_EQ(RunHue(Bgr{50, 100, 200}, 0), (Bgr{50, 100, 200}));
  EXPECT_EQ(RunHue(Bgr{50, 100, 200}, 90), (Bgr{50, 250, 50}));
  // R 255, G 200, B 0: S 455, h 527; at 0 red rebuilds to 255.18, held to
  // 255; turned by -40 to 127: red 406 held to 255, green 48.
  EXPECT_EQ(RunHue(Bgr{0, 200, 255}, 0), (Bgr{0, 199, 255}));
  EXPECT_EQ(RunHue(Bgr{0, 200, 255}, -40), (Bgr{0, 48, 255}));
}

TEST(HueChange, GreysNeverChange) {
  for (int shift : {-190, -17, 0, 33, 190})
    for (int v : {0, 1, 128, 255})
      EXPECT_EQ(RunHue(Bgr{v, v, v}, shift), (Bgr{v, v, v}));
}

TEST(HueChange, AgreesWithThePlainRuleOnRandomPixels) {
  for (int shift : {-190, -121, -60, -1, 0, 1, 59, 120, 180, 190}) {
    Noise noise;
    DibHandle h = Make24(37, 29, [&](int, int) {
      return Bgr{noise.Byte(), noise.Byte(), noise.Byte()};
    });
    TMDIB d(h.get());
    std::vector<Bgr> before;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x)
        before.push_back(Get(d, x, y));
    const std::vector<uint8_t> padding = Padding(d);
    CheckingProgress progress;
    HueChange(d, shift, &progress);
    EXPECT_EQ(progress.steps, 29);
    EXPECT_EQ(Padding(d), padding);
    size_t i = 0;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x, ++i)
        ASSERT_EQ(Get(d, x, y), ReferenceHueChange(before[i], shift)) << shift;
  }
}

TEST(HueFunctions, LeavePaletteImagesAlone) {
  DibHandle h = MakePalette(5, 2, 8, 0);
  TMDIB d(h.get());
  const std::vector<uint8_t> pixels = PixelBytes(d);
  const std::vector<uint8_t> table(d.colourTable, d.colourTable + d.colourTableBytes);
  HueChange(d, 90);
  HueEmphasis(d, 0, 65, 0, -100);
  EXPECT_EQ(PixelBytes(d), pixels);
  EXPECT_EQ(std::vector<uint8_t>(d.colourTable, d.colourTable + d.colourTableBytes), table);
}

TEST(HueEmphasis, DefaultsKeepRedAndGreyTheRest) {
  EXPECT_EQ(RunEmphasis(kRed, 0, 65, 0, -100), kRed);
  EXPECT_EQ(RunEmphasis(Bgr{0, 255, 0}, 0, 65, 0, -100), (Bgr{85, 85, 85}));
  EXPECT_EQ(RunEmphasis(Bgr{40, 40, 40}, 0, 65, 100, 100), (Bgr{40, 40, 40}));
}

TEST(HueEmphasis, BlendsByTheDistanceFromTheCentre) {
  // R 200, G 100, B 50: H 30, D 30, E 35, k 116; inside is the pixel,
  // outside (116, 116, 116): red 7000 div 65 + 3480 div 65 = 107 + 53.
  EXPECT_EQ(RunEmphasis(Bgr{50, 100, 200}, 0, 65, 0, -100), (Bgr{26 + 53, 53 + 53, 107 + 53}));
}

TEST(HueEmphasis, WindowEdgeTakesTheOutsideColour) {
  // R 110, G 130, B 0: h 650, H 65 = a + w: E 0, grey k = 80.
  EXPECT_EQ(RunEmphasis(Bgr{0, 130, 110}, 0, 65, 0, -100), (Bgr{80, 80, 80}));
  EXPECT_EQ(EmphasisWeight(650, 0, 65), 0);
  EXPECT_EQ(EmphasisWeight(649, 0, 65), 1);
  EXPECT_EQ(EmphasisWeight(660, 0, 65), -1);
}

TEST(HueEmphasis, WindowWrapsAroundTheCircle) {
  EXPECT_EQ(EmphasisWeight(1850, -170, 20), 15); // 185 - 360 = -175, D 5
  EXPECT_EQ(EmphasisWeight(3600, 0, 65), 65);    // 360 + ... as 0
  EXPECT_EQ(EmphasisWeight(3550, 0, 10), 5);     // 355 - 360 = -5
  EXPECT_EQ(EmphasisWeight(3550, 10, 10), -1);   // window 0 ... 20
}

TEST(HueEmphasis, AgreesWithThePlainRuleOnRandomPixels) {
  struct Case {
    int a, w, si, so;
  };
  for (Case c : {Case{0, 65, 0, -100}, Case{-170, 20, 50, -30}, Case{120, 10, -100, 100},
                 Case{180, 120, 100, -100}, Case{-45, 77, 33, 0}}) {
    Noise noise;
    DibHandle h = Make24(41, 23, [&](int, int) {
      return Bgr{noise.Byte(), noise.Byte(), noise.Byte()};
    });
    TMDIB d(h.get());
    std::vector<Bgr> before;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x)
        before.push_back(Get(d, x, y));
    const std::vector<uint8_t> padding = Padding(d);
    HueEmphasis(d, c.a, c.w, c.si, c.so);
    EXPECT_EQ(Padding(d), padding);
    size_t i = 0;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x, ++i)
        ASSERT_EQ(Get(d, x, y), ReferenceEmphasis(before[i], c.a, c.w, c.si, c.so))
            << c.a << " " << c.w;
  }
}
