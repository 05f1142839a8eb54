// The painting window's building blocks and its nine chains: the blend
// modes and the levels stretch against values written out by hand, the
// kit-made blocks against the kit calls they stand for, and each chain
// against the same steps run one by one.
#include "effects/BlendImages.h"
#include "effects/Painting.h"
#include "effects_test_util.h"

#include "adjust/Histfunc.h"
#include "adjust/Tone.h"
#include "image/Kit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace effectstest;

std::vector<uint8_t> Bytes(IMGHANDLE h) {
  const auto *p = static_cast<const uint8_t *>(h);
  return {p, p + Kit.ImgKitMemSize(h)};
}

// ---- BlendImages ------------------------------------------------------------

// The blend of one channel, written from the mode table. `pt` and `pb` are
// the channel sums of the two pixels (for modes 5 and 6).
int Expected(int mode, int a, int t, int b, int pt, int pb, int pTop, int pBase) {
  int v = 0;
  switch (mode) {
  case 0: v = (a * t + (100 - a) * b) / 100; break;
  case 1: v = b + a * t / 100; break;
  case 2: v = b - a * t / 100; break;
  case 3: v = a * t / 100 + (255 - b) * (100 - a) / 100; break;
  case 4: v = b * (100 - a) / 100 + a * (255 - t) / 100; break;
  case 5: v = (pt > pb ? pTop : pBase) * (100 - a) / 100 + a * (t + b) / 200; break;
  case 6: v = (pt < pb ? pTop : pBase) * (100 - a) / 100 + a * (t + b) / 200; break;
  case 7: v = b & (a * t / 100); break;
  case 8: v = b | (a * t / 100); break;
  case 9: v = b ^ (a * t / 100); break;
  }
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

TEST(BlendImages, EveryModeAndWeightOnRandomPixelsAgainstTheTable) {
  Noise noise;
  // Few levels: many pixels of equal sums, so the ties of modes 5 and 6 occur.
  for (int levels : {256, 3}) {
    const DibHandle topSource = Random24(7, 5, noise, levels);
    const DibHandle base = Random24(7, 5, noise, levels);
    const Picture t = ToPicture(topSource), b = ToPicture(base);
    for (int mode = 0; mode <= 9; ++mode) {
      for (int a : {0, 1, 10, 33, 50, 90, 99, 100}) {
        DibHandle top = Copy(topSource);
        TMDIB topDib(top.get());
        const TMDIB baseDib(base.get());
        ASSERT_TRUE(BlendImages(topDib, baseDib, mode, a));
        Picture want(7, 5);
        for (int y = 0; y < 5; ++y)
          for (int x = 0; x < 7; ++x) {
            const int st = t.at(x, y, 0) + t.at(x, y, 1) + t.at(x, y, 2);
            const int sb = b.at(x, y, 0) + b.at(x, y, 1) + b.at(x, y, 2);
            for (int c = 0; c < 3; ++c)
              want.at(x, y, c) = Expected(mode, a, t.at(x, y, c), b.at(x, y, c), st, sb,
                                          t.at(x, y, c), b.at(x, y, c));
          }
        const Picture got = ToPicture(topDib);
        EXPECT_EQ(got, want) << "mode " << mode << " weight " << a << " levels " << levels << ": "
                             << FirstDifference(got, want);
        EXPECT_EQ(Padding(topDib), std::vector<uint8_t>(Padding(topDib).size(), 0x77));
      }
    }
  }
}

TEST(BlendImages, LiteralValuesAndTheTieRuleOfBrighterAndDarker) {
  struct Case {
    int mode, a;
    Bgr top, base, want;
  };
  const Case cases[] = {
      {0, 30, {200, 100, 0}, {0, 100, 200}, {60, 100, 140}},
      {1, 50, {200, 101, 7}, {250, 0, 10}, {255, 50, 13}},
      {2, 50, {200, 101, 7}, {50, 60, 10}, {0, 10, 7}},
      {3, 40, {100, 10, 255}, {55, 255, 0}, {160, 4, 255}},
      {4, 40, {100, 10, 255}, {55, 255, 0}, {95, 251, 0}},
      // Equal sums (60): the base pixel gives p in both modes.
      {5, 50, {10, 20, 30}, {30, 20, 10}, {25, 20, 15}},
      {6, 50, {10, 20, 30}, {30, 20, 10}, {25, 20, 15}},
      // The top pixel is brighter: it gives p in mode 5, the base in mode 6.
      {5, 50, {10, 20, 31}, {30, 20, 10}, {15, 20, 25}},
      {6, 50, {10, 20, 31}, {30, 20, 10}, {25, 20, 15}},
      {7, 100, {0xf0, 0x0f, 0xff}, {0x3c, 0x3c, 0x81}, {0x30, 0x0c, 0x81}},
      {8, 50, {0x80, 0x10, 0xff}, {0x01, 0x01, 0x00}, {0x41, 0x09, 0x7f}},
      {9, 100, {0xff, 0x0f, 0x00}, {0x0f, 0x0f, 0x55}, {0xf0, 0x00, 0x55}},
  };
  for (const Case &c : cases) {
    DibHandle top = Uniform24(1, 1, c.top);
    const DibHandle base = Uniform24(1, 1, c.base);
    TMDIB t(top.get());
    const TMDIB b(base.get());
    ASSERT_TRUE(BlendImages(t, b, c.mode, c.a));
    EXPECT_EQ(Get(t, 0, 0), c.want) << "mode " << c.mode;
    uint8_t out[3];
    const uint8_t tp[3] = {uint8_t(c.top[0]), uint8_t(c.top[1]), uint8_t(c.top[2])};
    const uint8_t bp[3] = {uint8_t(c.base[0]), uint8_t(c.base[1]), uint8_t(c.base[2])};
    BlendPixel(tp, bp, c.mode, c.a, out);
    EXPECT_EQ((Bgr{out[0], out[1], out[2]}), c.want) << "mode " << c.mode;
  }
}

TEST(BlendImages, FullTopWeightGivesTheTopAndAddingNothingGivesTheBase) {
  Noise noise;
  const DibHandle topSource = Random24(6, 4, noise), base = Random24(6, 4, noise);
  DibHandle top = Copy(topSource);
  {
    TMDIB t(top.get());
    const TMDIB b(base.get());
    ASSERT_TRUE(BlendImages(t, b, bmMix, 100));
  }
  EXPECT_EQ(ToPicture(top), ToPicture(topSource));
  top = Copy(topSource);
  {
    TMDIB t(top.get());
    const TMDIB b(base.get());
    ASSERT_TRUE(BlendImages(t, b, bmAdd, 0));
  }
  EXPECT_EQ(ToPicture(top), ToPicture(base));
}

TEST(BlendImages, AlignedAtTheTopLeftAndTopPixelsWithoutBaseStay) {
  const DibHandle topSource = Uniform24(4, 3, {100, 100, 100});
  const DibHandle base = Uniform24(2, 2, {10, 20, 30});
  DibHandle top = Copy(topSource);
  TMDIB t(top.get());
  const TMDIB b(base.get());
  ASSERT_TRUE(BlendImages(t, b, bmAdd, 100));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Get(t, x, y), (x < 2 && y < 2 ? Bgr{110, 120, 130} : Bgr{100, 100, 100}))
          << x << ", " << y;
  // A larger base: only its top-left part is read.
  DibHandle small = Uniform24(2, 2, {1, 1, 1});
  TMDIB s(small.get());
  const TMDIB big(topSource.get());
  ASSERT_TRUE(BlendImages(s, big, bmSubtract, 100));
  EXPECT_EQ(Get(s, 1, 1), (Bgr{99, 99, 99}));
}

TEST(BlendImages, RefusesOtherDepthsAndSettingsOutOfRange) {
  DibHandle top = Uniform24(2, 2, {1, 2, 3});
  const DibHandle base = Uniform24(2, 2, {4, 5, 6});
  DibHandle palette = MakePalette(2, 2, 8, 0);
  const std::vector<uint8_t> before = Bytes(top.get());
  TMDIB t(top.get());
  const TMDIB b(base.get());
  TMDIB p(palette.get());
  EXPECT_FALSE(BlendImages(t, b, -1, 50));
  EXPECT_FALSE(BlendImages(t, b, 10, 50));
  EXPECT_FALSE(BlendImages(t, b, 0, 101));
  EXPECT_FALSE(BlendImages(t, b, 0, -1));
  EXPECT_FALSE(BlendImages(t, p, 0, 50));
  EXPECT_FALSE(BlendImages(p, b, 0, 50));
  EXPECT_EQ(Bytes(top.get()), before);
}

// ---- StretchLevels ------------------------------------------------------------

TEST(StretchLevels, UniformPicturesBelowWhiteTurnBlackAndWhiteStays) {
  for (int v : {0, 1, 128, 254}) {
    DibHandle image = Uniform24(5, 3, {v, v, v});
    TMDIB dib(image.get());
    EXPECT_EQ(FindStretchRange(dib, 5, 98), (StretchRange{v, v + 1})) << v;
    ASSERT_TRUE(StretchLevels(dib, 5, 98));
    EXPECT_EQ(ToPicture(dib), ToPicture(Uniform24(5, 3, {0, 0, 0}))) << v;
  }
  DibHandle white = Uniform24(5, 3, {255, 255, 255});
  TMDIB dib(white.get());
  EXPECT_EQ(FindStretchRange(dib, 5, 98), (StretchRange{255, -1}));
  ASSERT_TRUE(StretchLevels(dib, 5, 98));
  EXPECT_EQ(ToPicture(dib), ToPicture(Uniform24(5, 3, {255, 255, 255})));
}

TEST(StretchLevels, FindsThePercentilesOfTheAverageAndAppliesTheLevels) {
  // 100 pixels of averages 0 ... 99 (the channels differ; the mean counts).
  const DibHandle ramp = Make24(10, 10, [](int x, int y) {
    const int m = 10 * y + x;
    return Bgr{m, m + 1, m > 0 ? m - 1 : 0};
  });
  const TMDIB r(ramp.get());
  // Running count 6 > 5 first at level 5; 99 > 98 first at level 98.
  EXPECT_EQ(FindStretchRange(r, 5, 98), (StretchRange{5, 98}));
  // 1 > 0 at level 0; 100 > 99 only at level 99.
  EXPECT_EQ(FindStretchRange(r, 0, 99), (StretchRange{0, 99}));
  // Nothing exceeds the whole count.
  EXPECT_EQ(FindStretchRange(r, 100, 100), (StretchRange{-1, -1}));
  DibHandle image = Copy(ramp), want = Copy(ramp);
  TMDIB dib(image.get()), w(want.get());
  ASSERT_TRUE(StretchLevels(dib, 5, 98));
  Levels(w, 5, 98, lcAverage);
  EXPECT_EQ(ToPicture(dib), ToPicture(w));
  EXPECT_NE(ToPicture(dib), ToPicture(ramp));
  DibHandle palette = MakePalette(3, 3, 8, 0);
  TMDIB p(palette.get());
  EXPECT_FALSE(StretchLevels(p, 5, 98));
}

// ---- the kit-made blocks -------------------------------------------------------

TEST(PaintBlocks, LineDrawingGreyAndNegativeAreTheirKitCallsOnACopy) {
  Noise noise;
  const DibHandle source = Random24(9, 7, noise);
  const std::vector<uint8_t> before = Bytes(source.get());

  DibHandle lines = Copy(source);
  ASSERT_TRUE(Kit.ImgKitFilter(lines.get(), "", "", IMGKIT_FILTER_ROBERTS));
  ASSERT_TRUE(Kit.ImgKitColorReverse(lines.get(), "", ""));
  EXPECT_EQ(ToPicture(LineDrawing(source.get(), ppColour)), ToPicture(lines));

  DibHandle black(Kit.ImgKitSetGray(lines.get(), "", ""));
  ASSERT_TRUE(black.Adopt(Kit.ImgKitConvertColor(black.get(), 24, 0, 0, "", "")));
  const DibHandle blackLines = LineDrawing(source.get(), ppBlack);
  ASSERT_TRUE(blackLines);
  EXPECT_EQ(TMDIB(blackLines.get()).BitsPerPixel(), 24);
  EXPECT_EQ(ToPicture(blackLines), ToPicture(black));
  // Grey lines: every pixel has three equal channels.
  const Picture g = ToPicture(blackLines);
  for (size_t i = 0; i < g.v.size(); i += 3) {
    EXPECT_EQ(g.v[i], g.v[i + 1]);
    EXPECT_EQ(g.v[i], g.v[i + 2]);
  }

  DibHandle grey(Kit.ImgKitSetGray(source.get(), "", ""));
  ASSERT_TRUE(grey.Adopt(Kit.ImgKitConvertColor(grey.get(), 24, 0, 0, "", "")));
  EXPECT_EQ(ToPicture(GreyCopy(source.get())), ToPicture(grey));

  const DibHandle negative = NegativeCopy(source.get());
  const Picture s = ToPicture(source), n = ToPicture(negative);
  for (size_t i = 0; i < s.v.size(); ++i)
    EXPECT_EQ(n.v[i], 255 - s.v[i]);
  EXPECT_EQ(Bytes(source.get()), before);
}

TEST(PaintBlocks, FullColourCopyConvertsPalettesAndSixteenBitsAndCopiesFullColour) {
  const DibHandle palette = MakePalette(5, 4, 8, 0);
  const DibHandle full = FullColourCopy(palette.get());
  ASSERT_TRUE(full);
  const TMDIB f(full.get());
  EXPECT_EQ(f.BitsPerPixel(), 24);
  // Pixel (0, top row) has index 3 x 3 = 9: colour (9, 49, 191).
  EXPECT_EQ(Get(f, 0, 0), (Bgr{9, 49, 191}));
  Noise noise;
  const DibHandle colour = Random24(3, 3, noise);
  const DibHandle copy = FullColourCopy(colour.get());
  EXPECT_NE(copy.get(), colour.get());
  EXPECT_EQ(ToPicture(copy), ToPicture(colour));
}

// ---- the chains ------------------------------------------------------------------

// A 16-bit (5-5-5) picture of `width` x `height` with varied colours.
DibHandle Make16(int width, int height) {
  const int32_t stride = TMDIB::RowStride(width, 16);
  DibHandle h(Kit.ImgKitMemAlloc(40 + static_cast<uint32_t>(stride * height)));
  auto *hdr = static_cast<IMGKIT_BMIH *>(h.get());
  hdr->biSize = 40;
  hdr->biWidth = width;
  hdr->biHeight = height;
  hdr->biPlanes = 1;
  hdr->biBitCount = 16;
  hdr->biSizeImage = static_cast<uint32_t>(stride * height);
  TMDIB d(h.get());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint16_t v = static_cast<uint16_t>(((x * 5) & 31) | (((y * 7) & 31) << 5) |
                                               (((x * y + 3) & 31) << 10));
      std::memcpy(d.Row(y) + 2 * x, &v, 2);
    }
  return h;
}

// The steps of each method, one by one, from the blocks tested above; the
// numbers each step is counted under go into `steps`.
class Steps {
public:
  std::vector<int> steps;
  DibHandle Run(IMGHANDLE source, PaintMethod m, const PaintControls &c) {
    DibHandle p = FullColourCopy(source);
    Count(1), Count(2);
    DibHandle median = MedianCopy(p.get());
    Count(3);
    const bool layered =
        m == PaintMethod::Method3 || m == PaintMethod::Method7 || m == PaintMethod::Method8;
    DibHandle lines = LineDrawing(median.get(), c.pen);
    Count(layered || m == PaintMethod::Line ? 4 : 5);
    if (m == PaintMethod::Line) {
      Blend(p, lines, 1, 10 * c.edge), Count(5);
      Stretch(p, 5, 98), Count(6);
      if (c.pen == ppBlack) p = GreyCopy(p.get());
      Count(7);
      return p;
    }
    if (layered) {
      DibHandle x = SaturationCopy(p.get(), 10 * c.colour);
      Count(5);
      Blend(x, lines, 9, 100), Count(6);
      DibHandle a = NegativeCopy(x.get());
      Count(7);
      Stretch(a, 5, 98), Count(8);
      Blend(p, lines, 1, 90), Count(9);
      Stretch(p, 5, 98), Count(10);
      if (c.pen == ppBlack) p = GreyCopy(p.get());
      Count(11);
      Blend(p, a, 6, 10 * c.black), Count(12);
      if (m == PaintMethod::Method3) return p;
      p = SharpenCopy(p.get(), 10 * c.relief), Count(13);
      if (m == PaintMethod::Method7) return p;
      p = MedianCopy(p.get()), Count(14);
      p = MedianCopy(p.get()), Count(15);
      return p;
    }
    DibHandle s = SmoothCopy(lines.get());
    Count(6);
    DibHandle colours = SaturationCopy(p.get(), 10 * c.colour);
    Count(7);
    if (m == PaintMethod::Method2) {
      Blend(s, colours, 7, 100), Count(8);
      s = MedianCopy(s.get()), Count(9);
      s = GammaCopy(s.get(), 130), Count(10);
      return s;
    }
    Blend(s, colours, 0, 10 * c.brush), Count(8);
    Stretch(s, c.black, 99), Count(9);
    s = GammaCopy(s.get(), 100 + 5 * c.black), Count(10);
    if (m == PaintMethod::Method1) return s;
    s = SharpenCopy(s.get(), 10 * c.relief), Count(11);
    if (m == PaintMethod::Method4) return s;
    s = SharpenCopy(s.get(), 10 * c.relief), Count(12);
    if (m == PaintMethod::Method5) return s;
    s = MedianCopy(s.get()), Count(13);
    s = MedianCopy(s.get()), Count(14);
    return s;
  }

private:
  void Count(int n) { steps.push_back(n); }
  static void Blend(DibHandle &top, const DibHandle &base, int mode, int a) {
    TMDIB t(top.get());
    const TMDIB b(base.get());
    ASSERT_TRUE(BlendImages(t, b, mode, a));
  }
  static void Stretch(DibHandle &image, int low, int high) {
    TMDIB dib(image.get());
    ASSERT_TRUE(StretchLevels(dib, low, high));
  }
};

const PaintMethod kMethods[] = {PaintMethod::Method1, PaintMethod::Method2, PaintMethod::Method3,
                                PaintMethod::Method4, PaintMethod::Method5, PaintMethod::Method6,
                                PaintMethod::Method7, PaintMethod::Method8, PaintMethod::Line};

std::string Name(PaintMethod m) {
  return m == PaintMethod::Line ? "line" : "method " + std::to_string(static_cast<int>(m));
}

TEST(PaintChains, EachChainIsItsStepsInOrderWithTheCounterNumbers) {
  Noise noise;
  // Smooth gradients with noise: edges, mid-tones and some clipping.
  const DibHandle source = Make24(11, 9, [&](int x, int y) {
    return Bgr{(x * 23 + noise.Byte() / 4) & 255, (y * 29 + noise.Byte() / 4) & 255,
               (x * y * 3 + noise.Byte() / 8) & 255};
  });
  const std::vector<uint8_t> before = Bytes(source.get());
  const std::vector<int> wantSteps[] = {{1, 2, 3, 5, 6, 7, 8, 9, 10},
                                        {1, 2, 3, 5, 6, 7, 8, 9, 10},
                                        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                                        {1, 2, 3, 5, 6, 7, 8, 9, 10, 11},
                                        {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12},
                                        {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
                                        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
                                        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                        {1, 2, 3, 4, 5, 6, 7}};
  for (size_t i = 0; i < std::size(kMethods); ++i) {
    const PaintMethod m = kMethods[i];
    for (int pen : {ppColour, ppBlack}) {
      PaintControls c = PaintDefaults(m);
      c.pen = pen;
      // Away from the defaults, so that each control is seen to count.
      if (m != PaintMethod::Line) c.colour = PaintRangesOf(m).colourRange.max - 3;
      c.brush = 5, c.black = m == PaintMethod::Method1 || m >= PaintMethod::Method4 ? 12 : 4;
      if (m == PaintMethod::Method3 || m >= PaintMethod::Method7) c.black = 4;
      c.relief = 9, c.edge = 7;
      ASSERT_STREQ(CheckPaintControls(m, c), "") << Name(m);
      std::vector<int> reported;
      const DibHandle got = PaintPicture(source.get(), m, c, [&](int step) {
        reported.push_back(step);
        return true;
      });
      Steps steps;
      const DibHandle want = steps.Run(source.get(), m, c);
      ASSERT_TRUE(got) << Name(m);
      EXPECT_EQ(TMDIB(got.get()).BitsPerPixel(), 24);
      EXPECT_EQ(ToPicture(got), ToPicture(want))
          << Name(m) << " pen " << pen << ": " << FirstDifference(ToPicture(got), ToPicture(want));
      EXPECT_EQ(reported, wantSteps[i]) << Name(m);
      EXPECT_EQ(steps.steps, wantSteps[i]) << Name(m);
      EXPECT_EQ(reported.back(), PaintStepCount(m)) << Name(m);
      EXPECT_EQ(Bytes(source.get()), before) << Name(m) << ": the source changed";
    }
  }
}

TEST(PaintChains, ControlsChangeTheResultWhereTheMethodReadsThem) {
  Noise noise;
  const DibHandle source = Random24(12, 10, noise);
  auto run = [&](PaintMethod m, PaintControls c) {
    return ToPicture(PaintPicture(source.get(), m, c));
  };
  PaintControls c = PaintDefaults(PaintMethod::Method4);
  PaintControls deeper = c;
  deeper.relief = 10;
  EXPECT_NE(run(PaintMethod::Method4, c), run(PaintMethod::Method4, deeper));
  // Method 2 has no brushwork: the value is not read.
  PaintControls two = PaintDefaults(PaintMethod::Method2), other = two;
  other.brush = 4;
  EXPECT_EQ(run(PaintMethod::Method2, two), run(PaintMethod::Method2, other));
}

TEST(PaintChains, PaletteAndSixteenBitSourcesAreConvertedFirst) {
  const DibHandle palette = MakePalette(9, 7, 8, 0);
  const DibHandle mono = MakePalette(9, 7, 1, 0);
  const DibHandle sixteen = Make16(9, 7);
  for (IMGHANDLE source : {palette.get(), mono.get(), sixteen.get()}) {
    DibHandle converted(Kit.ImgKitCopy(source, "", ""));
    ASSERT_TRUE(converted.Adopt(Kit.ImgKitConvertColor(converted.get(), 24, 0, 0, "", "")));
    ASSERT_EQ(TMDIB(converted.get()).BitsPerPixel(), 24);
    for (PaintMethod m : {PaintMethod::Method1, PaintMethod::Method3, PaintMethod::Line}) {
      const DibHandle got = PaintPicture(source, m, PaintDefaults(m));
      ASSERT_TRUE(got) << Name(m);
      EXPECT_EQ(TMDIB(got.get()).BitsPerPixel(), 24);
      EXPECT_EQ(ToPicture(got), ToPicture(PaintPicture(converted.get(), m, PaintDefaults(m))))
          << Name(m);
    }
  }
}

TEST(PaintChains, AStoppedOrFailedStepGivesNoPicture) {
  Noise noise;
  const DibHandle source = Random24(6, 5, noise);
  for (PaintMethod m : kMethods) {
    std::vector<int> counted;
    ASSERT_TRUE(PaintPicture(source.get(), m, PaintDefaults(m), [&](int step) {
      counted.push_back(step);
      return true;
    }));
    for (int stopAt : counted) {
      int last = 0;
      const DibHandle got = PaintPicture(source.get(), m, PaintDefaults(m), [&](int step) {
        last = step;
        return step != stopAt;
      });
      EXPECT_FALSE(got) << Name(m) << " stopped at " << stopAt;
      EXPECT_EQ(last, stopAt) << Name(m) << ": went on after the stop";
    }
  }
  // No source, or controls out of range: nothing.
  EXPECT_FALSE(PaintPicture(nullptr, PaintMethod::Method1, PaintDefaults(PaintMethod::Method1)));
  PaintControls bad = PaintDefaults(PaintMethod::Method3);
  bad.colour = 11;
  EXPECT_STRNE(CheckPaintControls(PaintMethod::Method3, bad), "");
  EXPECT_FALSE(PaintPicture(source.get(), PaintMethod::Method3, bad));
  bad = PaintDefaults(PaintMethod::Line);
  bad.pen = 2;
  EXPECT_FALSE(PaintPicture(source.get(), PaintMethod::Line, bad));
}

TEST(PaintChains, RangesAndDefaultsOfThePages) {
  const PaintRanges one = PaintRangesOf(PaintMethod::Method1);
  EXPECT_TRUE(one.brush && one.colour && one.black && !one.relief && !one.edge);
  EXPECT_EQ(one.colourRange.max, 20);
  EXPECT_EQ(one.blackRange.min, 1);
  const PaintRanges seven = PaintRangesOf(PaintMethod::Method7);
  EXPECT_TRUE(!seven.brush && seven.colour && seven.black && seven.relief);
  EXPECT_EQ(seven.colourRange.max, 10);
  EXPECT_EQ(seven.blackRange.min, 3);
  EXPECT_EQ(seven.blackRange.max, 7);
  EXPECT_EQ(PaintDefaults(PaintMethod::Method3),
            (PaintControls{.brush = 6, .colour = 5, .black = 5, .relief = 7, .pen = 0, .edge = 8}));
  EXPECT_EQ(PaintDefaults(PaintMethod::Method6), PaintControls{});
  const int counts[] = {10, 10, 12, 11, 12, 14, 13, 15, 7};
  for (size_t i = 0; i < std::size(kMethods); ++i)
    EXPECT_EQ(PaintStepCount(kMethods[i]), counts[i]);
}

} // namespace
