// The composite paste and the text picture: placement and clipping, the
// blend modes against BlendImages, the key colour, the coverage of text
// edges with its guarded cases, the named routine, and the sizes of the
// rendered text.
#include "effects/BlendImages.h"
#include "effects/Composite.h"
#include "effects/TextPicture.h"
#include "effects_test_util.h"

#include "image/Kit.h"
#include "routines/AllRoutines.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace effectstest;

std::vector<uint8_t> Bytes(IMGHANDLE h) {
  const auto *p = static_cast<const uint8_t *>(h);
  return {p, p + Kit.ImgKitMemSize(h)};
}

bool Composite(DibHandle &doc, const DibHandle &pasted, const CompositeOptions &o) {
  TMDIB d(doc.get());
  const TMDIB p(pasted.get());
  return CompositeImages(d, p, o);
}

// The blend of one document pixel over one pasted pixel.
Bgr Blend(const Picture &doc, int x, int y, const Picture &pasted, int px, int py, int mode,
          int a) {
  uint8_t t[3], b[3], out[3];
  for (int c = 0; c < 3; ++c)
    t[c] = uint8_t(doc.at(x, y, c)), b[c] = uint8_t(pasted.at(px, py, c));
  BlendPixel(t, b, mode, a, out);
  return {out[0], out[1], out[2]};
}

Bgr PixelOf(const Picture &p, int x, int y) {
  return {p.at(x, y, 0), p.at(x, y, 1), p.at(x, y, 2)};
}

// ---- Placement -----------------------------------------------------------------

TEST(CompositePlacement, PartlyOutsideChangesOnlyTheOverlapAndNeverThePadding) {
  Noise noise;
  const DibHandle pasted = Random24(5, 4, noise);
  const Picture p = ToPicture(pasted);
  // Left, right, top and bottom edges crossed, and one corner.
  for (const auto &[ox, oy] : std::vector<std::pair<int, int>>{{-2, 3}, {6, -1}, {1, -3}, {5, 4}}) {
    DibHandle doc = Random24(9, 6, noise); // odd width: the rows carry padding
    const Picture before = ToPicture(doc);
    const std::vector<uint8_t> bytesBefore = Bytes(doc.get());
    CompositeOptions o;
    o.x = ox, o.y = oy, o.mode = bmMix, o.transparency = 30;
    ASSERT_TRUE(Composite(doc, pasted, o));
    const Picture after = ToPicture(doc);
    int changedOrCovered = 0;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 9; ++x) {
        const int px = x - ox, py = y - oy;
        const bool covered = px >= 0 && px < 5 && py >= 0 && py < 4;
        const Bgr want =
            covered ? Blend(before, x, y, p, px, py, bmMix, 30) : PixelOf(before, x, y);
        ASSERT_EQ(PixelOf(after, x, y), want) << ox << "," << oy << " at " << x << "," << y;
        changedOrCovered += covered;
      }
    EXPECT_GT(changedOrCovered, 0);
    // The size and every byte outside the pixels stay.
    const TMDIB d(doc.get());
    EXPECT_EQ(d.width, 9);
    EXPECT_EQ(d.height, 6);
    const std::vector<uint8_t> bytesAfter = Bytes(doc.get());
    ASSERT_EQ(bytesAfter.size(), bytesBefore.size());
    for (int y = 0; y < 6; ++y)
      for (int i = 27; i < d.stride; ++i) {
        const size_t at = size_t(40 + y * d.stride + i);
        EXPECT_EQ(bytesAfter[at], bytesBefore[at]);
      }
  }
}

TEST(CompositePlacement, NoOverlapLeavesTheDocumentAndStillStepsEveryRow) {
  Noise noise;
  const DibHandle pasted = Random24(4, 4, noise);
  for (const auto &[ox, oy] : std::vector<std::pair<int, int>>{
           {6, 0}, {-4, 0}, {0, 5}, {0, -4}, {kCompositeOffsetMax, kCompositeOffsetMin}}) {
    DibHandle doc = Random24(6, 5, noise);
    const std::vector<uint8_t> before = Bytes(doc.get());
    struct Count : Progress {
      int steps = 0;
      void SetRange(int) override {}
      void Step() override { ++steps; }
    } count;
    CompositeOptions o;
    o.x = ox, o.y = oy;
    TMDIB d(doc.get());
    const TMDIB p(pasted.get());
    ASSERT_TRUE(CompositeImages(d, p, o, &count));
    EXPECT_EQ(Bytes(doc.get()), before) << ox << "," << oy;
    EXPECT_EQ(count.steps, 5);
  }
}

TEST(CompositePlacement, RefusesOtherDepthsAndOptionsOutOfRange) {
  DibHandle doc = Uniform24(3, 3, {10, 20, 30});
  const DibHandle pasted = Uniform24(2, 2, {1, 2, 3});
  const std::vector<uint8_t> before = Bytes(doc.get());
  CompositeOptions o;
  o.mode = 10;
  EXPECT_FALSE(Composite(doc, pasted, o));
  o.mode = bmMix, o.transparency = 101;
  EXPECT_FALSE(Composite(doc, pasted, o));
  o.transparency = -1;
  EXPECT_FALSE(Composite(doc, pasted, o));
  DibHandle palette(Kit.ImgKitCopy(pasted.get(), "", ""));
  ASSERT_TRUE(palette.Adopt(Kit.ImgKitConvertColor(palette.get(), 8, 1, 0, "", "")));
  o.transparency = 50;
  EXPECT_FALSE(Composite(doc, palette, o));
  EXPECT_EQ(Bytes(doc.get()), before);
}

// ---- Blend modes ---------------------------------------------------------------

TEST(CompositeBlend, NormalAtFiftyIsTheHalfSum) {
  DibHandle doc = Uniform24(2, 1, {201, 0, 255});
  const DibHandle pasted = Uniform24(2, 1, {100, 255, 0});
  CompositeOptions o; // normal, 50, at (0, 0)
  ASSERT_TRUE(Composite(doc, pasted, o));
  const Picture after = ToPicture(doc);
  EXPECT_EQ(PixelOf(after, 0, 0), (Bgr{150, 127, 127}));
  EXPECT_EQ(PixelOf(after, 1, 0), (Bgr{150, 127, 127}));

  Noise noise;
  DibHandle d2 = Random24(7, 5, noise);
  const DibHandle p2 = Random24(7, 5, noise);
  const Picture t = ToPicture(d2), b = ToPicture(p2);
  ASSERT_TRUE(Composite(d2, p2, o));
  const Picture r = ToPicture(d2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(r.at(x, y, c), (t.at(x, y, c) + b.at(x, y, c)) / 2);
}

TEST(CompositeBlend, TransparencyZeroShowsThePastedPictureAndHundredTheDocument) {
  Noise noise;
  const DibHandle pasted = Random24(4, 3, noise);
  const DibHandle original = Random24(4, 3, noise);
  CompositeOptions o;
  o.transparency = 0;
  DibHandle doc = Copy(original);
  ASSERT_TRUE(Composite(doc, pasted, o));
  EXPECT_EQ(ToPicture(doc), ToPicture(pasted));
  o.transparency = 100;
  doc = Copy(original);
  ASSERT_TRUE(Composite(doc, pasted, o));
  EXPECT_EQ(ToPicture(doc), ToPicture(original));
}

TEST(CompositeBlend, EveryModeIsBlendImagesWithTheDocumentOnTop) {
  Noise noise;
  for (int mode = kBlendModeMin; mode <= kBlendModeMax; ++mode)
    for (int a : {0, 35, 50, 100}) {
      const DibHandle original = Random24(6, 4, noise, mode >= bmBrighter ? 4 : 256);
      const DibHandle pasted = Random24(6, 4, noise, mode >= bmBrighter ? 4 : 256);
      // Same place and size: exactly BlendImages.
      DibHandle viaComposite = Copy(original), viaBlend = Copy(original);
      CompositeOptions o;
      o.mode = mode, o.transparency = a;
      ASSERT_TRUE(Composite(viaComposite, pasted, o));
      {
        TMDIB top(viaBlend.get());
        const TMDIB base(pasted.get());
        ASSERT_TRUE(BlendImages(top, base, mode, a));
      }
      ASSERT_EQ(ToPicture(viaComposite), ToPicture(viaBlend))
          << "mode " << mode << " at " << a << ": "
          << FirstDifference(ToPicture(viaComposite), ToPicture(viaBlend));
      // Moved: each covered pixel is the blend of its own pair.
      DibHandle moved = Copy(original);
      o.x = 2, o.y = 1;
      ASSERT_TRUE(Composite(moved, pasted, o));
      const Picture t = ToPicture(original), b = ToPicture(pasted), r = ToPicture(moved);
      for (int y = 1; y < 4; ++y)
        for (int x = 2; x < 6; ++x)
          ASSERT_EQ(PixelOf(r, x, y), Blend(t, x, y, b, x - 2, y - 1, mode, a)) << mode;
    }
}

// ---- Background transparency -------------------------------------------------

TEST(CompositeKey, PixelsOfTheBottomLeftColourLeaveTheDocumentInEveryMode) {
  Noise noise;
  const Bgr key{12, 200, 99};
  // The key colour in a checker pattern and at the bottom-left corner.
  const DibHandle pasted = Make24(6, 5, [&](int x, int y) {
    if ((x == 0 && y == 4) || (x + y) % 3 == 0) return key;
    return Bgr{(x * 40) % 256, (y * 50) % 256, 7};
  });
  const Picture p = ToPicture(pasted);
  for (int mode = kBlendModeMin; mode <= kBlendModeMax; ++mode) {
    const DibHandle original = Random24(8, 7, noise);
    DibHandle doc = Copy(original);
    CompositeOptions o;
    o.x = 1, o.y = 2, o.mode = mode, o.transparency = 20, o.keyTransparent = true;
    ASSERT_TRUE(Composite(doc, pasted, o));
    const Picture t = ToPicture(original), r = ToPicture(doc);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 8; ++x) {
        const int px = x - 1, py = y - 2;
        const bool covered = px >= 0 && px < 6 && py >= 0 && py < 5;
        const Bgr want = !covered || PixelOf(p, px, py) == key
                             ? PixelOf(t, x, y)
                             : Blend(t, x, y, p, px, py, mode, 20);
        ASSERT_EQ(PixelOf(r, x, y), want) << mode << " " << x << "," << y;
      }
  }
}

TEST(CompositeKey, AColourDifferingInOneChannelIsNotTheKey) {
  const DibHandle pasted = Make24(3, 1, [](int x, int) {
    return x == 0 ? Bgr{50, 60, 70} : (x == 1 ? Bgr{50, 60, 71} : Bgr{51, 60, 70});
  });
  DibHandle doc = Uniform24(3, 1, {200, 200, 200});
  CompositeOptions o;
  o.keyTransparent = true, o.transparency = 0;
  ASSERT_TRUE(Composite(doc, pasted, o));
  const Picture r = ToPicture(doc);
  EXPECT_EQ(PixelOf(r, 0, 0), (Bgr{200, 200, 200}));
  EXPECT_EQ(PixelOf(r, 1, 0), (Bgr{50, 60, 71}));
  EXPECT_EQ(PixelOf(r, 2, 0), (Bgr{51, 60, 70}));
}

// ---- Anti-aliased text -------------------------------------------------------

TEST(TextCoverage, SumsTruncatedChannelRatiosInRedGreenBlueOrder) {
  const uint8_t grey[3] = {128, 128, 128};
  // (128 - 255) / (0 - 255) x 100 = 49.8: 49, then 98.8 -> 98, 147.8 -> 147;
  // 147 div 3 = 49.
  EXPECT_EQ(TextCoverage(grey, 0x000000, 0xffffff), 49);
  // Only red and green differ from the background: 100, then 149.8 -> 149;
  // 149 div 2 = 74.
  const uint8_t two[3] = {255, 128, 0}; // blue, green, red
  EXPECT_EQ(TextCoverage(two, 0x000000, 0xffffff), 74);
  // Beyond the text colour the coverage exceeds 100.
  const uint8_t beyond[3] = {0, 0, 0};
  EXPECT_EQ(TextCoverage(beyond, 0x808080, 0xffffff), 200);
  // The background itself: no coverage.
  const uint8_t back[3] = {255, 255, 255};
  EXPECT_EQ(TextCoverage(back, 0x000000, 0xffffff), 0);
}

TEST(TextCoverage, ChannelsWhereTextAndBackgroundAgreeAreLeftOut) {
  // Red text on white: red carries nothing; green and blue give 49 and 98.
  const uint8_t pinkish[3] = {128, 128, 255};
  EXPECT_EQ(TextCoverage(pinkish, 0xff0000, 0xffffff), 49);
  // A pixel differing only in red, where text and background agree: the
  // coverage is undefined.
  const uint8_t odd[3] = {255, 255, 200};
  EXPECT_EQ(TextCoverage(odd, 0xff0000, 0xffffff), std::nullopt);
  // Text and background the same colour: undefined wherever the pixel differs.
  const uint8_t any[3] = {1, 2, 3};
  EXPECT_EQ(TextCoverage(any, 0x777777, 0x777777), std::nullopt);
}

TEST(CompositeText, EdgePixelsBlendByCoverageTextAndGuardedPixelsAsNormal) {
  // Bottom-left pixel white (the key), then text black, grey edge, a pixel
  // of the background colour that is not the key, and an undefined one.
  const Bgr white{255, 255, 255}, black{0, 0, 0}, grey{128, 128, 128};
  const DibHandle pasted = Make24(4, 2, [&](int x, int y) {
    if (y == 1) return white;
    return std::array{black, grey, Bgr{250, 250, 250}, Bgr{255, 255, 200}}[size_t(x)];
  });
  const Bgr doc{200, 100, 40};
  for (int a : {0, 50}) {
    DibHandle image = Uniform24(4, 2, doc);
    CompositeOptions o;
    o.transparency = a, o.keyTransparent = true, o.antiAliased = true;
    o.textRgb = 0x000000, o.backgroundRgb = 0xfafafa;
    ASSERT_TRUE(Composite(image, pasted, o));
    const Picture r = ToPicture(image);
    // The key row stays.
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(PixelOf(r, x, 1), doc);
    // Text colour: the normal mix.
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(r.at(0, 0, c), (a * doc[size_t(c)]) / 100) << c;
    // Grey between background 250 and text 0: (128 - 250) / -250 x 100 =
    // 48.8 -> 48, 97.6 -> 97, 146.4 -> 146; 146 div 3 = 48. The black text
    // covers 48 of the document, none of the white background shows.
    for (int c = 0; c < 3; ++c) {
      const int t = doc[size_t(c)];
      const int over = (0 * 48 + 52 * t) / 100;
      EXPECT_EQ(r.at(1, 0, c), (a * t + (100 - a) * over) / 100) << a << " " << c;
    }
    // The background colour itself: coverage 0, the document stays.
    EXPECT_EQ(PixelOf(r, 2, 0), doc);
    // Red 200 against background 250: (200 - 250) / -250 x 100 = 20 in red;
    // green and blue 255 against 250: -2 each -> 20, 18, 16; 16 div 3 = 5.
    for (int c = 0; c < 3; ++c) {
      const int t = doc[size_t(c)];
      const int over = (0 * 5 + 95 * t) / 100;
      EXPECT_EQ(r.at(3, 0, c), std::clamp((a * t + (100 - a) * over) / 100, 0, 255)) << c;
    }
  }
}

TEST(CompositeText, UndefinedCoverageFallsBackToTheNormalMix) {
  // Red text on white: a pixel that differs from white only in red has no
  // coverage to take and is mixed as any other.
  const DibHandle pasted = Make24(2, 2, [](int x, int y) {
    return y == 1 || x == 0 ? Bgr{255, 255, 255} : Bgr{255, 255, 180};
  });
  const Bgr doc{10, 20, 30};
  DibHandle image = Uniform24(2, 2, doc);
  CompositeOptions o;
  o.transparency = 40, o.keyTransparent = true, o.antiAliased = true;
  o.textRgb = 0xff0000, o.backgroundRgb = 0xffffff;
  ASSERT_TRUE(Composite(image, pasted, o));
  const Picture r = ToPicture(image);
  EXPECT_EQ(PixelOf(r, 0, 0), doc);
  const Bgr want{(40 * 10 + 60 * 255) / 100, (40 * 20 + 60 * 255) / 100,
                 (40 * 30 + 60 * 180) / 100};
  EXPECT_EQ(PixelOf(r, 1, 0), want);
}

TEST(CompositeText, CoverageOnlyInTheNormalModeWithTheKey) {
  const DibHandle pasted = Make24(2, 1, [](int x, int) {
    return x == 0 ? Bgr{255, 255, 255} : Bgr{128, 128, 128};
  });
  const Bgr doc{200, 100, 40};
  // Another mode, or without the key: the plain blend.
  for (const auto &[mode, key] : std::vector<std::pair<int, bool>>{{bmAdd, true}, {bmMix, false}}) {
    DibHandle image = Uniform24(2, 1, doc);
    CompositeOptions o;
    o.mode = mode, o.transparency = 30, o.keyTransparent = key, o.antiAliased = true;
    ASSERT_TRUE(Composite(image, pasted, o));
    const Picture r = ToPicture(image);
    Picture t(2, 1), b = ToPicture(pasted);
    for (int c = 0; c < 3; ++c)
      t.at(1, 0, c) = doc[size_t(c)];
    EXPECT_EQ(PixelOf(r, 1, 0), Blend(t, 1, 0, b, 1, 0, mode, 30)) << mode;
  }
}

// ---- The named routine ---------------------------------------------------------

TEST(CompositeRoutine, RunsAsTheFunctionWithThePastedPictureAsInput) {
  const Routine *routine = FindRoutine("CompositePaste");
  ASSERT_NE(routine, nullptr);
  ASSERT_EQ(routine->inputs.size(), 1u);
  Noise noise;
  const DibHandle original = Random24(7, 6, noise);
  const DibHandle pasted = Make24(4, 3, [](int x, int y) {
    return y == 2 && x < 2 ? Bgr{255, 255, 255} : Bgr{x * 60, y * 80, 128};
  });
  DibHandle viaRoutine = Copy(original), direct = Copy(original);
  std::string error;
  ASSERT_TRUE(RunRoutine(*routine, viaRoutine, {-1, 2, 0, 40, 1, 1, 0, 0, 0, 255, 255, 255},
                         {pasted.get()}, &error))
      << error;
  CompositeOptions o;
  o.x = -1, o.y = 2, o.transparency = 40, o.keyTransparent = true, o.antiAliased = true;
  ASSERT_TRUE(Composite(direct, pasted, o));
  EXPECT_EQ(ToPicture(viaRoutine), ToPicture(direct));
  // The optional parameters left out: no key, no coverage.
  DibHandle shortForm = Copy(original), plain = Copy(original);
  ASSERT_TRUE(RunRoutine(*routine, shortForm, {3, 3, 9, 60}, {pasted.get()}, &error)) << error;
  CompositeOptions p;
  p.x = 3, p.y = 3, p.mode = bmXor, p.transparency = 60;
  ASSERT_TRUE(Composite(plain, pasted, p));
  EXPECT_EQ(ToPicture(shortForm), ToPicture(plain));
  // A palette picture to paste is made 24-bit first.
  DibHandle palette(Kit.ImgKitCopy(pasted.get(), "", ""));
  ASSERT_TRUE(palette.Adopt(Kit.ImgKitConvertColor(palette.get(), 8, 1, 0, "", "")));
  DibHandle fromPalette = Copy(original);
  EXPECT_TRUE(RunRoutine(*routine, fromPalette, {0, 0, 0, 50}, {palette.get()}, &error)) << error;
  // Out of range: refused, nothing changed.
  DibHandle refused = Copy(original);
  EXPECT_FALSE(RunRoutine(*routine, refused, {0, 0, 10, 50}, {pasted.get()}, &error));
  EXPECT_EQ(ToPicture(refused), ToPicture(original));
}

// ---- The text picture --------------------------------------------------------

TextStyle Style() {
  TextStyle s;
  s.face = QStringLiteral("DejaVu Sans");
  s.points = 12;
  return s;
}

TEST(TextPicture, WithoutSmoothingTheTextPlusFourMarginsInTwoColours) {
  const TextStyle style = Style();
  const QString text = QStringLiteral("Velmir");
  const QSize extent = TextExtent(TextFont(style), text);
  ASSERT_GT(extent.width(), 0);
  DibHandle picture = MakeTextPicture(style, text, 10, false);
  ASSERT_TRUE(picture);
  const TMDIB d(picture.get());
  EXPECT_EQ(d.BitsPerPixel(), 24);
  EXPECT_EQ(d.width, extent.width() + 40);
  EXPECT_EQ(d.height, extent.height() + 40);
  const Picture p = ToPicture(picture);
  std::set<Bgr> colours;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      colours.insert(PixelOf(p, x, y));
      // The margin of 2 x 10 is background.
      if (x < 20 || y < 20 || x >= p.w - 20 || y >= p.h - 20) {
        ASSERT_EQ(PixelOf(p, x, y), (Bgr{255, 255, 255})) << x << "," << y;
      }
    }
  EXPECT_EQ(colours, (std::set<Bgr>{{0, 0, 0}, {255, 255, 255}}));
}

TEST(TextPicture, SmoothedIsHalfOfTheDoubleSizeRenderingWithEdgeShades) {
  TextStyle style = Style();
  style.textRgb = 0x0000ff, style.backgroundRgb = 0xffff00; // blue on yellow
  const QString text = QStringLiteral("Velmir");
  const QSize doubled = TextExtent(TextFont(style, 2), text);
  DibHandle picture = MakeTextPicture(style, text, 10, true);
  ASSERT_TRUE(picture);
  const TMDIB d(picture.get());
  EXPECT_EQ(d.width, (doubled.width() + 80) / 2);
  EXPECT_EQ(d.height, (doubled.height() + 80) / 2);
  const Picture p = ToPicture(picture);
  bool shade = false, text_ = false;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const Bgr c = PixelOf(p, x, y);
      text_ = text_ || c == Bgr{255, 0, 0};
      shade = shade || (c != Bgr{255, 0, 0} && c != Bgr{0, 255, 255});
      // The margin of 20 but one pixel: halving an odd size reduces by a
      // little more than 2, so the text's edges may reach into it.
      if (x < 19 || y < 19 || x >= p.w - 19 || y >= p.h - 19) {
        ASSERT_EQ(c, (Bgr{0, 255, 255})) << x << "," << y;
      }
    }
  EXPECT_TRUE(text_);
  EXPECT_TRUE(shade);
}

TEST(TextPicture, PreviewHasTheSingleMarginAndEmptyTextIsBackgroundOnly) {
  const TextStyle style = Style();
  const QSize extent = TextExtent(TextFont(style), QStringLiteral("ab"));
  const QImage preview = RenderText(style, QStringLiteral("ab"), 7);
  EXPECT_EQ(preview.size(), extent + QSize(14, 14));
  DibHandle empty = MakeTextPicture(style, QString(), 3, true);
  ASSERT_TRUE(empty);
  const Picture p = ToPicture(empty);
  EXPECT_GT(p.w, 0);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x)
      ASSERT_EQ(PixelOf(p, x, y), (Bgr{255, 255, 255}));
}

TEST(TextPicture, RefusesMarginsOutOfRangeAndPicturesTooLarge) {
  const TextStyle style = Style();
  EXPECT_FALSE(MakeTextPicture(style, QStringLiteral("a"), -1, false));
  EXPECT_FALSE(MakeTextPicture(style, QStringLiteral("a"), kTextMarginMax + 1, false));
  // 2 x 2 x 2 x 9999 pixels of margin alone exceed the largest side.
  EXPECT_FALSE(MakeTextPicture(style, QStringLiteral("a"), kTextMarginMax, true));
  EXPECT_TRUE(RenderText(style, QStringLiteral("a"), kTextPictureMaxSide).isNull());
}

} // namespace

namespace {

int Ink(const QImage &picture, QRgb text) {
  int n = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      n += picture.pixel(x, y) == text;
  return n;
}

TEST(TextPicture, BoldWithoutABoldFaceIsDrawnOverItselfAndWidened) {
  TextStyle regular;
  regular.face = QStringLiteral("IPAPGothic");
  regular.points = 30; // 40 pixels: two pixels of overstrike
  if (QFontInfo(TextFont(regular)).family() != regular.face) GTEST_SKIP() << "no IPAPGothic";
  TextStyle bold = regular;
  bold.bold = true;
  EXPECT_EQ(BoldOverstrike(TextFont(regular)), 0);
  EXPECT_EQ(BoldOverstrike(TextFont(bold)), 2);
  const QString text = QStringLiteral("夕焼けの湖");
  EXPECT_EQ(TextExtent(TextFont(bold), text).width(),
            TextExtent(TextFont(regular), text).width() + 2);
  EXPECT_GT(Ink(RenderText(bold, text, 0), qRgb(0, 0, 0)),
            Ink(RenderText(regular, text, 0), qRgb(0, 0, 0)) * 5 / 4);
  // A face with a bold of its own uses it.
  TextStyle sans = bold;
  sans.face = QStringLiteral("DejaVu Sans");
  EXPECT_EQ(BoldOverstrike(TextFont(sans)), 0);
  // Nothing to widen in an empty text.
  EXPECT_EQ(TextExtent(TextFont(bold), QString()).width(), 0);
}

} // namespace
