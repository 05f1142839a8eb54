#include "kit_test_util.h"
#include "ops.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

using kittest::Handle;
using kittest::MakeImage;
using kittest::RgbAt;

namespace {

// A colourful table entry: no two of the first 256 alike.
uint32_t Colourful(int i) { return static_cast<uint32_t>((i * 0x3b1f27 + 0x102030) & 0xffffff); }

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xff); }

int Dist2(uint32_t a, uint32_t b) {
  int d = 0;
  for (int s = 0; s <= 16; s += 8)
    d += (Channel(a, s) - Channel(b, s)) * (Channel(a, s) - Channel(b, s));
  return d;
}

uint32_t Entry(const kit::Dib &d, int i) {
  return static_cast<uint32_t>(d.palette[i].r << 16 | d.palette[i].g << 8 | d.palette[i].b);
}

Handle Convert(const Handle &h, int bits, bool fixed, bool diffusion) {
  IMGHANDLE r = kit::ConvertColor(h.get(), bits, fixed, diffusion);
  EXPECT_NE(r, nullptr);
  EXPECT_NE(r, h.get());
  return Handle(r);
}

// Every pixel of `out` has the colour of the same pixel of `in`.
void ExpectSameColours(const Handle &in, const Handle &out) {
  const kit::Dib a = in.View(), b = out.View();
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      ASSERT_EQ(RgbAt(a, x, y), RgbAt(b, x, y)) << "at " << x << "," << y;
}

TEST(ImageInfo, KindPerDepthAndTable) {
  struct Case {
    int bpp, colours;
    bool grey;
    int kind;
  };
  const Case cases[] = {
      {1, 2, false, IMGKIT_KIND_MONO},   {1, 2, true, IMGKIT_KIND_MONO},
      {4, 16, true, IMGKIT_KIND_GREY4},  {4, 16, false, IMGKIT_KIND_COLOUR4},
      {4, 5, true, IMGKIT_KIND_GREY4},   {8, 256, false, IMGKIT_KIND_COLOUR8},
      {8, 256, true, IMGKIT_KIND_GREY8}, {8, 100, false, IMGKIT_KIND_COLOUR8},
      {24, 0, false, IMGKIT_KIND_RGB24}, {16, 0, false, IMGKIT_KIND_RGB16},
      {32, 0, false, IMGKIT_KIND_RGB32},
  };
  for (const Case &c : cases) {
    Handle h = MakeImage(
        7, 3, c.bpp, [](int, int) { return 0u; }, c.colours,
        c.grey ? std::function<uint32_t(int)>{} : Colourful);
    IMGKIT_IMAGEINFO info{};
    ASSERT_TRUE(kit::ImageInfo(h.get(), info)) << c.bpp;
    EXPECT_EQ(info.kind, c.kind) << c.bpp << " bits, " << c.colours << " colours";
    EXPECT_EQ(info.width, 7);
    EXPECT_EQ(info.height, 3);
    EXPECT_EQ(info.bitCount, c.bpp);
    EXPECT_EQ(info.colourCount, c.colours);
  }
}

TEST(ImageInfo, BadHandles) {
  IMGKIT_IMAGEINFO info{};
  EXPECT_FALSE(kit::ImageInfo(nullptr, info));
  Handle zeroed(kit::Alloc(64)); // header size 0
  EXPECT_FALSE(kit::ImageInfo(zeroed.get(), info));
}

TEST(ConvertColor, To24KeepsTableColoursAtEveryWidth) {
  for (int bpp : {1, 4, 8}) {
    for (int w = 1; w <= 9; ++w) {
      const int n = 1 << bpp;
      Handle src = MakeImage(
          w, 3, bpp, [n](int x, int y) { return (x * 3 + y * 5) % n; }, 0, Colourful);
      Handle out = Convert(src, 24, false, false);
      const kit::Dib d = out.View();
      ASSERT_EQ(d.bpp, 24);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(RgbAt(d, x, y), Colourful((x * 3 + y * 5) % n))
              << bpp << " bits, width " << w << " at " << x << "," << y;
    }
  }
}

TEST(ConvertColor, To24From16And32) {
  for (int w = 1; w <= 9; ++w) {
    // 5-5-5 words: red 31, green 16, blue 0 -> 255, 132, 0 (v x 255 / 31 rounded).
    Handle s16 =
        MakeImage(w, 2, 16, [](int x, int y) { return (x + y) % 2 ? 31u << 10 | 16u << 5 : 31u; });
    Handle o16 = Convert(s16, 24, false, false);
    Handle s32 = MakeImage(w, 2, 32, [](int x, int y) { return 0x123456u + x * 0x010203u + y; });
    Handle o32 = Convert(s32, 24, false, false);
    const kit::Dib d16 = o16.View(), d32 = o32.View();
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < w; ++x) {
        EXPECT_EQ(RgbAt(d16, x, y), (x + y) % 2 ? 0xff8400u : 0x0000ffu);
        EXPECT_EQ(RgbAt(d32, x, y), 0x123456u + x * 0x010203u + y);
      }
  }
}

TEST(ConvertColor, SameDepthAndBadTargets) {
  for (int bpp : {1, 4, 8, 24}) {
    Handle h = MakeImage(5, 5, bpp, [](int, int) { return 1u; });
    EXPECT_EQ(kit::ConvertColor(h.get(), bpp, false, false), h.get());
    EXPECT_EQ(kit::ConvertColor(h.get(), bpp, true, true), h.get());
    for (int bad : {0, 2, 16, 32, -8})
      EXPECT_EQ(kit::ConvertColor(h.get(), bad, false, false), nullptr) << bad;
  }
  EXPECT_EQ(kit::ConvertColor(nullptr, 8, false, false), nullptr);
  EXPECT_EQ(kit::SetGray(nullptr), nullptr);
}

TEST(ConvertColor, OptimisedIsLosslessForFewColours) {
  // 200 colours: spread ones plus a cluster sharing a few 5-5-5 cells.
  auto colour = [](int i) {
    return i < 100 ? Colourful(i)
                   : static_cast<uint32_t>(0x646400 + ((i % 10) << 16) + ((i / 10) << 8) + 0x32);
  };
  Handle src = MakeImage(37, 23, 24, [&](int x, int y) { return colour((x * 7 + y * 13) % 200); });
  for (bool diffusion : {false, true}) {
    Handle out = Convert(src, 8, false, diffusion);
    EXPECT_EQ(out.View().colourCount, 200);
    ExpectSameColours(src, out);
  }
  Handle few = MakeImage(9, 9, 24, [&](int x, int y) { return colour(95 + (x + y) % 13); });
  for (bool diffusion : {false, true}) {
    Handle out = Convert(few, 4, false, diffusion);
    EXPECT_EQ(out.View().bpp, 4);
    EXPECT_EQ(out.View().colourCount, 13);
    ExpectSameColours(few, out);
  }
}

TEST(ConvertColor, RoundTrip8To24To8KeepsColours) {
  Handle src = MakeImage(
      33, 17, 8, [](int x, int y) { return (x * 31 + y * 7) % 256; }, 0, Colourful);
  Handle wide = Convert(src, 24, false, false);
  Handle back = Convert(wide, 8, false, true);
  ExpectSameColours(src, back);
  // 8 to 4 bits through the table when only a few entries are used.
  Handle few = MakeImage(
      11, 4, 8, [](int x, int) { return x * 20; }, 0, Colourful);
  Handle four = Convert(few, 4, false, false);
  ExpectSameColours(few, four);
}

TEST(ConvertColor, FixedTables) {
  Handle src = MakeImage(2, 2, 24, [](int, int) { return 0x808080u; });
  Handle eight = Convert(src, 8, true, false);
  const kit::Dib d = eight.View();
  ASSERT_EQ(d.colourCount, 256);
  const std::pair<int, uint32_t> spots[] = {
      {0, 0x000000},   {1, 0x800000},   {7, 0xc0c0c0},   {8, 0xc0dcc0},
      {9, 0xa6caf0},   {10, 0x000000},  {11, 0x000033},  {16, 0x003300},
      {46, 0x330000},  {225, 0xffffff}, {246, 0xfffbf0}, {247, 0xa0a0a4},
      {248, 0x808080}, {249, 0xff0000}, {252, 0x0000ff}, {255, 0xffffff}};
  for (auto [i, rgb] : spots)
    EXPECT_EQ(Entry(d, i), rgb) << "entry " << i;
  for (int i = 226; i < 246; ++i)
    EXPECT_EQ(Entry(d, i) % 0x010101, 0u) << "grey entry " << i;

  const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                            0x008080, 0xc0c0c0, 0x808080, 0xff0000, 0x00ff00, 0xffff00,
                            0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
  Handle vgaImage = MakeImage(16, 1, 24, [&](int x, int) { return vga[x]; });
  Handle four = Convert(vgaImage, 4, true, false);
  const kit::Dib f = four.View();
  ASSERT_EQ(f.colourCount, 16);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(Entry(f, i), vga[i]);
    EXPECT_EQ(kittest::IndexAt(f, i, 0), i);
  }
  Handle one = Convert(src, 1, true, false);
  EXPECT_EQ(Entry(one.View(), 0), 0x000000u);
  EXPECT_EQ(Entry(one.View(), 1), 0xffffffu);
}

TEST(ConvertColor, CubeColoursMapToThemselves) {
  auto cube = [](int i) {
    return static_cast<uint32_t>((i / 36) * 51 << 16 | (i / 6 % 6) * 51 << 8 | (i % 6) * 51);
  };
  Handle src = MakeImage(18, 12, 24, [&](int x, int y) { return cube(y * 18 + x); });
  for (bool diffusion : {false, true}) {
    Handle out = Convert(src, 8, true, diffusion);
    ExpectSameColours(src, out);
    const kit::Dib d = out.View();
    for (int i = 0; i < 216; ++i) {
      const int r = i / 36, g = i / 6 % 6, b = i % 6;
      const bool pure = (r == 0 || r == 5) && (g == 0 || g == 5) && (b == 0 || b == 5);
      if (!pure) {
        EXPECT_EQ(kittest::IndexAt(d, i % 18, i / 18), 10 + i);
      }
    }
  }
}

TEST(ConvertColor, NearestWithoutDiffusionIsTheClosestEntry) {
  Handle src = MakeImage(61, 43, 24, [](int x, int y) {
    return static_cast<uint32_t>((x * 2654435761u + y * 40503u) >> 8) & 0xffffff;
  });
  for (int bits : {4, 8})
    for (bool fixed : {false, true}) {
      Handle out = Convert(src, bits, fixed, false);
      const kit::Dib s = src.View(), d = out.View();
      for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
          const uint32_t want = RgbAt(s, x, y);
          int best = 1 << 30;
          for (int i = 0; i < d.colourCount; ++i)
            best = std::min(best, Dist2(want, Entry(d, i)));
          ASSERT_EQ(Dist2(want, RgbAt(d, x, y)), best) << bits << " bits at " << x << "," << y;
        }
    }
}

TEST(ConvertColor, MonoDiffusionHalfTone) {
  Handle grey = MakeImage(64, 64, 24, [](int, int) { return 0x808080u; });
  Handle dithered = Convert(grey, 1, true, true);
  Handle plain = Convert(grey, 1, false, false);
  const kit::Dib d = dithered.View(), p = plain.View();
  int white = 0;
  std::set<uint32_t> plainColours;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      white += RgbAt(d, x, y) == 0xffffff;
      plainColours.insert(RgbAt(p, x, y));
    }
  EXPECT_GE(white, 64 * 64 * 45 / 100);
  EXPECT_LE(white, 64 * 64 * 55 / 100);
  EXPECT_EQ(plainColours.size(), 1u);
  // Threshold at luminance 128: (128,128,128) white, (127,127,127) and blue black.
  Handle edge = MakeImage(3, 1, 24, [](int x, int) {
    return x == 0 ? 0x808080u : x == 1 ? 0x7f7f7fu : 0x0000ffu;
  });
  Handle mono = Convert(edge, 1, false, false);
  EXPECT_EQ(RgbAt(mono.View(), 0, 0), 0xffffffu);
  EXPECT_EQ(RgbAt(mono.View(), 1, 0), 0x000000u);
  EXPECT_EQ(RgbAt(mono.View(), 2, 0), 0x000000u);
}

TEST(ConvertColor, DiffusionKeepsTheMeanOfAGradient) {
  Handle src = MakeImage(256, 64, 24, [](int x, int y) {
    return static_cast<uint32_t>(x << 16 | (y * 4) << 8 | (255 - x / 2));
  });
  for (bool fixed : {false, true}) {
    Handle out = Convert(src, 8, fixed, true);
    const kit::Dib s = src.View(), d = out.View();
    for (int shift : {0, 8, 16}) {
      long long a = 0, b = 0;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) {
          a += Channel(RgbAt(s, x, y), shift);
          b += Channel(RgbAt(d, x, y), shift);
        }
      EXPECT_NEAR(static_cast<double>(a) / (256 * 64), static_cast<double>(b) / (256 * 64), 2.0)
          << "fixed " << fixed << " channel " << shift;
    }
  }
}

TEST(ConvertColor, GreySourceGivesGreyPalette) {
  Handle ramp =
      MakeImage(256, 4, 24, [](int x, int) { return static_cast<uint32_t>(x * 0x010101); });
  Handle grey8 = MakeImage(256, 4, 8, [](int x, int) { return static_cast<uint32_t>(x); });
  for (const Handle *src : {&ramp, &grey8}) {
    Handle out = Convert(*src, 4, false, true);
    IMGKIT_IMAGEINFO info{};
    ASSERT_TRUE(kit::ImageInfo(out.get(), info));
    EXPECT_EQ(info.kind, IMGKIT_KIND_GREY4);
    EXPECT_EQ(info.colourCount, 16);
  }
}

TEST(ConvertColor, IndexPastTheTableReadsBlack) {
  Handle src = MakeImage(
      5, 3, 8, [](int x, int) { return x == 2 ? 200u : 1u; }, 4, Colourful);
  Handle wide = Convert(src, 24, false, false);
  EXPECT_EQ(RgbAt(wide.View(), 2, 1), 0u);
  Handle four = Convert(src, 4, false, true);
  EXPECT_EQ(RgbAt(four.View(), 2, 1), 0u);
  EXPECT_EQ(RgbAt(four.View(), 0, 1), Colourful(1));
  Handle grey(kit::SetGray(src.get()));
  EXPECT_EQ(kittest::IndexAt(grey.View(), 2, 0), 0);
}

TEST(ConvertColor, TruncatedBlockIsRefused) {
  Handle src = MakeImage(40, 40, 24, [](int, int) { return 0u; });
  // One row short of what the header says.
  IMGHANDLE small = kit::Alloc(40 + 39 * 120);
  std::memcpy(small, src.get(), 40 + 39 * 120);
  Handle cut(small);
  IMGKIT_IMAGEINFO info{};
  EXPECT_FALSE(kit::ImageInfo(cut.get(), info));
  EXPECT_EQ(kit::ConvertColor(cut.get(), 8, false, true), nullptr);
  EXPECT_EQ(kit::SetGray(cut.get()), nullptr);
}

TEST(SetGray, WeightedLuminanceAtEveryDepth) {
  // (R*299 + G*587 + B*114) / 1000, truncated.
  const std::pair<uint32_t, int> colours[] = {{0x0000ff, 29},  {0xffffff, 255}, {0xff0000, 76},
                                              {0x00ff00, 149}, {0x405060, 77},  {0, 0}};
  auto table = [&](int i) { return colours[i % 6].first; };
  for (int bpp : {4, 8, 24})
    for (int w = 1; w <= 9; ++w) {
      Handle src = bpp == 24 ? MakeImage(w, 2, 24, [&](int x, int y) { return table(x + y); })
                             : MakeImage(
                                   w, 2, bpp, [](int x, int y) { return (x + y) % 6; }, 0, table);
      Handle grey(kit::SetGray(src.get()));
      ASSERT_TRUE(grey);
      const kit::Dib d = grey.View();
      ASSERT_EQ(d.bpp, 8);
      ASSERT_EQ(d.colourCount, 256);
      for (int i = 0; i < 256; ++i)
        ASSERT_EQ(Entry(d, i), static_cast<uint32_t>(i * 0x010101));
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < w; ++x)
          EXPECT_EQ(kittest::IndexAt(d, x, y), colours[(x + y) % 6].second) << bpp << " bits";
    }
  Handle blue16 = MakeImage(3, 1, 16, [](int, int) { return 31u; });
  Handle grey16(kit::SetGray(blue16.get()));
  EXPECT_EQ(kittest::IndexAt(grey16.View(), 2, 0), 29);
  Handle mono = MakeImage(
      9, 1, 1, [](int x, int) { return x & 1; }, 2,
      [](int i) { return i ? 0xff0000u : 0x0000ffu; });
  Handle greyMono(kit::SetGray(mono.get()));
  EXPECT_EQ(kittest::IndexAt(greyMono.View(), 8, 0), 29);
  EXPECT_EQ(kittest::IndexAt(greyMono.View(), 7, 0), 76);
  // Already grey: still a new handle.
  Handle g8 = MakeImage(4, 4, 8, [](int x, int) { return x; });
  Handle again(kit::SetGray(g8.get()));
  EXPECT_NE(again.get(), g8.get());
  ExpectSameColours(g8, again);
}

} // namespace
