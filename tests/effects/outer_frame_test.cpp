// The outer frame: the picture pixel for pixel on a larger canvas of one
// colour, checked against a literal reference on random pictures.
#include "effects/OuterFrame.h"
#include "effects_test_util.h"
#include "image/Kit.h"

#include <gtest/gtest.h>

using namespace effectstest;

namespace {

// The framed picture written out cell by cell.
Picture Framed(const Picture &in, FrameWidths w, int red, int green, int blue) {
  Picture out(w.left + in.w + w.right, w.top + in.h + w.bottom);
  for (int y = 0; y < out.h; ++y)
    for (int x = 0; x < out.w; ++x) {
      const int sx = x - w.left, sy = y - w.top;
      const bool inside = sx >= 0 && sx < in.w && sy >= 0 && sy < in.h;
      for (int c = 0; c < 3; ++c)
        out.at(x, y, c) = inside ? in.at(sx, sy, c) : (c == 0 ? blue : c == 1 ? green : red);
    }
  return out;
}

} // namespace

TEST(OuterFrame, MatchesTheReferenceOnRandomPictures) {
  Noise noise;
  for (int width = 1; width <= 9; ++width)
    for (int height : {1, 3, 5, 7}) {
      DibHandle image = Random24(width, height, noise);
      const Picture in = ToPicture(image);
      const FrameWidths w{int(noise.Next() % 4), int(noise.Next() % 4), int(noise.Next() % 4),
                          int(noise.Next() % 4)};
      DibHandle framed = OuterFrame(image.get(), w, 200, 100, 7);
      ASSERT_TRUE(framed);
      const Picture want = Framed(in, w, 200, 100, 7);
      EXPECT_EQ(ToPicture(framed), want)
          << width << " x " << height << ": " << FirstDifference(ToPicture(framed), want);
      // The source stays as it was.
      EXPECT_EQ(ToPicture(image), in);
    }
}

TEST(OuterFrame, SizesAndPlacement) {
  Noise noise;
  DibHandle image = Random24(100, 50, noise);
  const Picture in = ToPicture(image);
  // No border at all: an identical copy.
  DibHandle same = OuterFrame(image.get(), {}, 255, 255, 255);
  ASSERT_TRUE(same);
  EXPECT_EQ(ToPicture(same), in);
  // Top 10, right 20: 120 x 60 with the picture at (0, 10).
  DibHandle framed = OuterFrame(image.get(), {10, 0, 0, 20}, 0, 0, 255);
  ASSERT_TRUE(framed);
  const Picture out = ToPicture(framed);
  ASSERT_EQ(out.w, 120);
  ASSERT_EQ(out.h, 60);
  EXPECT_EQ(out.at(0, 10, 0), in.at(0, 0, 0));
  EXPECT_EQ(out.at(99, 59, 2), in.at(99, 49, 2));
  EXPECT_EQ(out.at(0, 9, 0), 255);  // blue border above
  EXPECT_EQ(out.at(100, 10, 2), 0); // and to the right
}

TEST(OuterFrame, PalettePicturesBecomeFullColourWithExactColours) {
  Noise noise;
  DibHandle colour = Random24(9, 7, noise, 4);
  DibHandle palette(Kit.ImgKitConvertColor(colour.get(), 8, 0, 0, "", ""));
  ASSERT_TRUE(palette);
  DibHandle asFull(Kit.ImgKitConvertColor(palette.get(), 24, 0, 0, "", ""));
  ASSERT_TRUE(asFull);
  DibHandle framed = OuterFrame(palette.get(), {1, 2, 3, 4}, 12, 34, 56);
  ASSERT_TRUE(framed);
  EXPECT_EQ(TMDIB(framed.get()).BitsPerPixel(), 24);
  EXPECT_EQ(ToPicture(framed), Framed(ToPicture(asFull), {1, 2, 3, 4}, 12, 34, 56));
}

TEST(OuterFrame, RefusesNegativeWidthsAndHugeResults) {
  Noise noise;
  DibHandle image = Random24(10, 10, noise);
  EXPECT_FALSE(OuterFrame(image.get(), {-1, 0, 0, 0}, 0, 0, 0));
  EXPECT_FALSE(OuterFrame(image.get(), {0, 0, 0, -10}, 0, 0, 0));
  // 20000 x 20000 is beyond 2^28 pixels; the check happens before any
  // allocation and in 64 bits.
  EXPECT_FALSE(OuterFrameFits(10, 10, {9995, 9995, 9995, 9995}));
  EXPECT_FALSE(OuterFrame(image.get(), {9995, 9995, 9995, 9995}, 0, 0, 0));
  EXPECT_FALSE(OuterFrameFits(10, 10, {0x7fffffff, 0x7fffffff, 0, 0}));
  EXPECT_TRUE(OuterFrameFits(10, 10, {8000, 8000, 3, 3}));
}
