// In-place tone, edge, emboss and mosaic operations: hand-computed values,
// border replication, palette handling and refused arguments.
#include "kit_test_util.h"
#include "ops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using kittest::Handle;
using kittest::IndexAt;
using kittest::MakeImage;
using kittest::RgbAt;
using kittest::SamePicture;

uint32_t Grey(int v) { return static_cast<uint32_t>(v) * 0x010101u; }

// A 24-bit w x h picture, 0 everywhere except the listed pixels.
Handle Spots(int w, int h, std::vector<std::pair<std::pair<int, int>, uint32_t>> spots,
             uint32_t field = 0) {
  return MakeImage(w, h, 24, [spots, field](int x, int y) {
    for (const auto &s : spots)
      if (s.first.first == x && s.first.second == y) return s.second;
    return field;
  });
}

std::vector<uint32_t> Pixels(const Handle &h) {
  const kit::Dib d = h.View();
  std::vector<uint32_t> v;
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x)
      v.push_back(RgbAt(d, x, y));
  return v;
}

::testing::AssertionResult PaddingClean(const kit::Dib &d) {
  const size_t bits = static_cast<size_t>(d.width) * d.bpp;
  for (int y = 0; y < d.height; ++y) {
    const uint8_t *row = d.Row(y);
    if (bits % 8 && (row[bits / 8] & (0xff >> (bits % 8))) != 0)
      return ::testing::AssertionFailure() << "tail bits of memory row " << y;
    for (size_t i = (bits + 7) / 8; i < d.stride; ++i)
      if (row[i] != 0) return ::testing::AssertionFailure() << "padding of memory row " << y;
  }
  return ::testing::AssertionSuccess();
}

Handle CopyOf(const Handle &h) { return Handle(kit::Copy(h.get())); }

TEST(ColorReverse, TwiceIsTheOriginal) {
  for (int bpp : {1, 4, 8, 24})
    for (int w = 1; w <= 9; ++w) {
      Handle img = MakeImage(w, 3, bpp, [bpp](int x, int y) {
        return static_cast<uint32_t>(x * 37 + y * 91) % (bpp == 24 ? 0x1000000u : 1u << bpp);
      });
      Handle before = CopyOf(img);
      ASSERT_TRUE(kit::ColorReverse(img.get()));
      ASSERT_TRUE(kit::ColorReverse(img.get()));
      EXPECT_TRUE(SamePicture(img.get(), before.get())) << bpp << " bits, width " << w;
      EXPECT_TRUE(PaddingClean(img.View()));
    }
}

TEST(ColorReverse, EveryByteOfAColourPixel) {
  Handle img = Spots(1, 2, {{{0, 0}, 0x10e0ff}, {{0, 1}, 0x000180}});
  ASSERT_TRUE(kit::ColorReverse(img.get()));
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0xef1f00, 0xfffe7f}));
  EXPECT_TRUE(PaddingClean(img.View()));
}

TEST(ColorReverse, PaletteImagesChangeTheirTableOnly) {
  Handle img = MakeImage(
      4, 3, 8, [](int x, int y) { return static_cast<uint32_t>((x + y) % 5); }, 5,
      [](int i) { return 0x203040u + 0x010203u * static_cast<uint32_t>(i); });
  ASSERT_TRUE(kit::ColorReverse(img.get()));
  const kit::Dib d = img.View();
  ASSERT_EQ(d.colourCount, 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(d.palette[i].r, 255 - (0x20 + i));
    EXPECT_EQ(d.palette[i].g, 255 - (0x30 + 2 * i));
    EXPECT_EQ(d.palette[i].b, 255 - (0x40 + 3 * i));
  }
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(IndexAt(d, x, y), (x + y) % 5);
}

TEST(RGB, OffsetsAreClampedPerChannel) {
  Handle img = Spots(2, 1, {{{0, 0}, 0xfa6432}, {{1, 0}, 0x05ff00}});
  ASSERT_TRUE(kit::RGB(img.get(), 10, 0, -300));
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0xff6400, 0x0fff00}));
}

TEST(RGB, PaletteEntriesMove) {
  Handle img = MakeImage(
      2, 2, 4, [](int x, int) { return static_cast<uint32_t>(x); }, 2,
      [](int i) { return i ? 0xf0f0f0u : 0x101010u; });
  ASSERT_TRUE(kit::RGB(img.get(), 20, -20, 0));
  const kit::Dib d = img.View();
  EXPECT_EQ(RgbAt(d, 0, 0), 0x240010u);
  EXPECT_EQ(RgbAt(d, 1, 1), 0xffdcf0u);
}

TEST(Bright, FactorTimesFortyTruncated) {
  struct Case {
    double factor;
    int in, out;
  } cases[] = {{0.05, 100, 102}, {2.5, 100, 200}, {2.5, 200, 255}, {-2.5, 150, 50},
               {-2.5, 60, 0},    {0.02, 77, 77},  {-0.05, 1, 0},   {0.0, 33, 33}};
  for (const Case &c : cases) {
    Handle img = Spots(3, 2, {}, Grey(c.in));
    ASSERT_TRUE(kit::Bright(img.get(), c.factor));
    for (uint32_t v : Pixels(img))
      EXPECT_EQ(v, Grey(c.out)) << c.factor << " on " << c.in;
  }
}

TEST(Bright, RefusesNaN) {
  Handle img = Spots(1, 1, {}, Grey(9));
  EXPECT_FALSE(kit::Bright(img.get(), std::numeric_limits<double>::quiet_NaN()));
  EXPECT_TRUE(kit::Bright(img.get(), 1e300)); // saturates, stays defined
  EXPECT_EQ(Pixels(img)[0], Grey(255));
}

TEST(Mosaic, MeansOfClippedBlocks) {
  // Blue, green and red of a 3x3 picture; blocks of 2 leave a 1-wide column
  // and row at the right and bottom.
  const int blue[3][3] = {{10, 21, 30}, {40, 52, 60}, {70, 80, 91}};
  Handle img = MakeImage(3, 3, 24, [&blue](int x, int y) {
    const int b = blue[y][x];
    return static_cast<uint32_t>(7 << 16 | (255 - b) << 8 | b);
  });
  ASSERT_TRUE(kit::Mosaic(img.get(), 2));
  // Top-left: blue 123/4 = 30, green 897/4 = 224; top-right 45/210;
  // bottom-left 75/180; bottom-right 91/164.
  const uint32_t tl = 0x07e01e, tr = 0x07d22d, bl = 0x07b44b, br = 0x07a45b;
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{tl, tl, tr, tl, tl, tr, bl, bl, br}));
  EXPECT_TRUE(PaddingClean(img.View()));
}

TEST(Mosaic, PaletteBlocksTakeTheTopLeftIndex) {
  for (int bpp : {1, 4, 8}) {
    SCOPED_TRACE(bpp);
    Handle img = MakeImage(
        5, 4, bpp, [bpp](int x, int y) { return static_cast<uint32_t>(x + 5 * y) % (1u << bpp); });
    const kit::Dib d = img.View();
    ASSERT_TRUE(kit::Mosaic(img.get(), 3));
    const int mask = (1 << bpp) - 1;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(IndexAt(d, x, y), ((x / 3 * 3) + 5 * (y / 3 * 3)) & mask) << x << "," << y;
    EXPECT_TRUE(PaddingClean(d));
  }
}

TEST(Filter, FlatImagesHaveNoEdges) {
  for (int kind : {IMGKIT_FILTER_ROBERTS, IMGKIT_FILTER_LAPLACIAN})
    for (int w = 1; w <= 9; ++w)
      for (int h = 1; h <= 4; ++h) {
        SCOPED_TRACE(testing::Message() << "kind " << kind << ", " << w << "x" << h);
        Handle colour = Spots(w, h, {}, 0x4080c0);
        ASSERT_TRUE(kit::Filter(colour.get(), kind));
        for (uint32_t v : Pixels(colour))
          ASSERT_EQ(v, 0u);
        EXPECT_TRUE(PaddingClean(colour.View()));
        Handle grey = MakeImage(w, h, 8, [](int, int) { return 90u; });
        ASSERT_TRUE(kit::Filter(grey.get(), kind));
        for (uint32_t v : Pixels(grey))
          ASSERT_EQ(v, 0u);
      }
}

TEST(Filter, RobertsAroundABrightPixel) {
  Handle img = Spots(5, 5, {{{2, 2}, Grey(200)}});
  ASSERT_TRUE(kit::Filter(img.get(), IMGKIT_FILTER_ROBERTS));
  // The pixel is a (at 2,2), b (at 1,2), c (at 2,1) or d (at 1,1).
  const uint32_t e = Grey(200);
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0, 0, 0, 0, 0, //
                                                0, e, e, 0, 0, //
                                                0, e, e, 0, 0, //
                                                0, 0, 0, 0, 0, //
                                                0, 0, 0, 0, 0}));
}

TEST(Filter, RobertsReplicatesTheBorder) {
  // Bright pixel in the bottom-right corner of a 3x3: outside pixels repeat
  // it, so the corner itself has no edge and its neighbours see it twice.
  Handle img = Spots(3, 3, {{{2, 2}, Grey(200)}});
  ASSERT_TRUE(kit::Filter(img.get(), IMGKIT_FILTER_ROBERTS));
  const uint32_t e = Grey(200), f = Grey(255);
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0, 0, 0, //
                                                0, e, f, //
                                                0, f, 0}));
}

TEST(Filter, LaplacianAroundADarkPixel) {
  // Field 100, centre 90: centre 720 - 800 < 0 -> 0; its 8 neighbours
  // 800 - 790 = 10; everything else flat.
  Handle img = Spots(5, 5, {{{2, 2}, Grey(90)}}, Grey(100));
  ASSERT_TRUE(kit::Filter(img.get(), IMGKIT_FILTER_LAPLACIAN));
  const uint32_t t = Grey(10);
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0, 0, 0, 0, 0, //
                                                0, t, t, t, 0, //
                                                0, t, 0, t, 0, //
                                                0, t, t, t, 0, //
                                                0, 0, 0, 0, 0}));
}

TEST(Filter, LaplacianPerChannelAndClamped) {
  // A lone pixel of blue 20, green 40: centre 8 x value, red stays 0.
  Handle img = Spots(3, 3, {{{1, 1}, 0x002814}});
  ASSERT_TRUE(kit::Filter(img.get(), IMGKIT_FILTER_LAPLACIAN));
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{0, 0, 0, 0, 0x00ffa0, 0, 0, 0, 0}));
}

TEST(Filter, FourBitGreyWritesTheNearestGrey) {
  // Grey table i x 17; a white pixel gives white edges.
  Handle img = MakeImage(4, 4, 4, [](int x, int y) { return (x == 2 && y == 2) ? 15u : 0u; });
  ASSERT_TRUE(kit::Filter(img.get(), IMGKIT_FILTER_ROBERTS));
  const kit::Dib d = img.View();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool edge = (x == 1 || x == 2) && (y == 1 || y == 2);
      EXPECT_EQ(IndexAt(d, x, y), edge ? 15 : 0) << x << "," << y;
    }
}

TEST(Emboss, FlatImagesBecomeMidGrey) {
  for (int w = 1; w <= 9; ++w)
    for (int h = 1; h <= 4; ++h) {
      SCOPED_TRACE(testing::Message() << w << "x" << h);
      Handle colour = Spots(w, h, {}, 0x1080f0);
      ASSERT_TRUE(kit::Emboss(colour.get()));
      for (uint32_t v : Pixels(colour))
        ASSERT_EQ(v, Grey(128));
      EXPECT_TRUE(PaddingClean(colour.View()));
      Handle grey = MakeImage(w, h, 8, [](int, int) { return 200u; });
      ASSERT_TRUE(kit::Emboss(grey.get()));
      for (uint32_t v : Pixels(grey))
        ASSERT_EQ(v, Grey(128));
      Handle grey4 = MakeImage(w, h, 4, [](int, int) { return 3u; });
      ASSERT_TRUE(kit::Emboss(grey4.get()));
      // 128 is nearest to 136 = 8 x 17.
      for (uint32_t v : Pixels(grey4))
        ASSERT_EQ(v, Grey(136));
      EXPECT_TRUE(PaddingClean(grey4.View()));
    }
}

TEST(Emboss, LowerRightMinusUpperLeft) {
  Handle img = Spots(5, 5, {{{2, 2}, Grey(100)}});
  ASSERT_TRUE(kit::Emboss(img.get()));
  const uint32_t m = Grey(128), hi = Grey(228), lo = Grey(28);
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{m, m,  m, m,  m, //
                                                m, hi, m, m,  m, //
                                                m, m,  m, m,  m, //
                                                m, m,  m, lo, m, //
                                                m, m,  m, m,  m}));
}

TEST(Emboss, ReadsOriginalPixelsAndReplicatesTheBorder) {
  // (0, 0) = 100 is its own upper-left neighbour and that of (1, 0), (0, 1)
  // and (1, 1); results computed from rewritten pixels would differ at (1, 1).
  Handle img = Spots(3, 3, {{{0, 0}, Grey(100)}});
  ASSERT_TRUE(kit::Emboss(img.get()));
  const uint32_t m = Grey(128), lo = Grey(28);
  EXPECT_EQ(Pixels(img), (std::vector<uint32_t>{lo, lo, m, lo, lo, m, m, m, m}));
}

TEST(Refused, BadArgumentsLeaveTheImageAlone) {
  Handle img = Spots(4, 3, {{{1, 1}, 0x123456}}, 0x654321);
  Handle before = CopyOf(img);
  EXPECT_FALSE(kit::Mosaic(img.get(), 1));
  EXPECT_FALSE(kit::Mosaic(img.get(), 17));
  EXPECT_FALSE(kit::Mosaic(img.get(), -4));
  EXPECT_FALSE(kit::Filter(img.get(), 5));
  EXPECT_FALSE(kit::Filter(img.get(), 0));
  EXPECT_TRUE(SamePicture(img.get(), before.get()));
}

TEST(Refused, NullHandles) {
  EXPECT_FALSE(kit::ColorReverse(nullptr));
  EXPECT_FALSE(kit::Bright(nullptr, 1));
  EXPECT_FALSE(kit::RGB(nullptr, 1, 2, 3));
  EXPECT_FALSE(kit::Emboss(nullptr));
  EXPECT_FALSE(kit::Filter(nullptr, 3));
  EXPECT_FALSE(kit::Mosaic(nullptr, 4));
}

TEST(Refused, DirectColourDepthsAndColourPalettes) {
  for (int bpp : {16, 32}) {
    Handle img = MakeImage(3, 2, bpp, [](int x, int) { return static_cast<uint32_t>(x * 999); });
    Handle before = CopyOf(img);
    EXPECT_FALSE(kit::ColorReverse(img.get()));
    EXPECT_FALSE(kit::Bright(img.get(), 1));
    EXPECT_FALSE(kit::RGB(img.get(), 1, 1, 1));
    EXPECT_FALSE(kit::Emboss(img.get()));
    EXPECT_FALSE(kit::Filter(img.get(), 3));
    EXPECT_FALSE(kit::Mosaic(img.get(), 2));
    EXPECT_TRUE(SamePicture(img.get(), before.get())) << bpp;
  }
  Handle colour = MakeImage(
      3, 3, 8, [](int x, int) { return static_cast<uint32_t>(x); }, 3,
      [](int i) { return 0xff0000u >> (8 * i); });
  Handle before = CopyOf(colour);
  EXPECT_FALSE(kit::Emboss(colour.get()));
  EXPECT_FALSE(kit::Filter(colour.get(), 4));
  EXPECT_TRUE(SamePicture(colour.get(), before.get()));
}

} // namespace
