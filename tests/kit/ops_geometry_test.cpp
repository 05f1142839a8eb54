// Copy, cut, resize and rotation: pixel positions in picture coordinates,
// round trips at every depth and size that exercises row padding.
#include "kit_test_util.h"
#include "ops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using kittest::Handle;
using kittest::MakeImage;
using kittest::SamePicture;

const int kDepths[] = {1, 4, 8, 16, 24, 32};

// The raw value of pixel (x, y), y from the top, at any depth.
uint32_t RawAt(const kit::Dib &d, int x, int y) {
  const uint8_t *row = d.TopRow(y);
  if (d.bpp <= 8) return static_cast<uint32_t>(kit::PaletteIndex(row, x, d.bpp));
  const int bytes = d.bpp / 8;
  uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k)
    v = v << 8 | row[x * bytes + k];
  return v;
}

// Distinct-looking values that fit the depth (MakeImage takes 0xRRGGBB for
// 24/32 bits and the raw word for 16 bits).
uint32_t Pattern(int x, int y, int bpp) {
  const uint32_t v = static_cast<uint32_t>(x * 7 + y * 13 + 3);
  switch (bpp) {
  case 1: return (x + 2 * y + x * y) & 1;
  case 4: return v & 15;
  case 8: return v & 255;
  case 16: return (v * 2654435761u >> 8) & 0x7fff;
  default: return (v * 2654435761u >> 4) & 0xffffff;
  }
}

Handle Patterned(int w, int h, int bpp) {
  return MakeImage(w, h, bpp, [bpp](int x, int y) { return Pattern(x, y, bpp); });
}

// Bits after the last pixel and bytes up to the stride must stay zero.
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

Handle Rotated(const Handle &h, int kind) { return Handle(kit::Rotation(h.get(), kind)); }

TEST(Rotation, RoundTripsGiveTheOriginalAtEveryDepthAndSize) {
  for (int bpp : kDepths)
    for (int w = 1; w <= 9; ++w)
      for (int h = 1; h <= 4; ++h) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << bpp);
        Handle img = Patterned(w, h, bpp);
        ASSERT_TRUE(img);
        for (int kind : {1, 2}) {
          Handle r = Rotated(img, kind);
          for (int i = 1; i < 4; ++i)
            r = Rotated(r, kind);
          EXPECT_TRUE(SamePicture(r.get(), img.get())) << "four quarter turns of kind " << kind;
        }
        for (int kind : {0, 3, 4}) {
          Handle r = Rotated(Rotated(img, kind), kind);
          EXPECT_TRUE(SamePicture(r.get(), img.get())) << "kind " << kind << " twice";
        }
        Handle lr = Rotated(Rotated(img, 1), 2);
        EXPECT_TRUE(SamePicture(lr.get(), img.get())) << "left then right";
        Handle rr = Rotated(Rotated(img, 2), 2);
        Handle half = Rotated(img, 0);
        EXPECT_TRUE(SamePicture(rr.get(), half.get())) << "two right turns are 180";
        Handle flips = Rotated(Rotated(img, 3), 4);
        EXPECT_TRUE(SamePicture(flips.get(), half.get())) << "both flips are 180";
      }
}

TEST(Rotation, EveryKindMovesPixelsWhereThePictureSays) {
  for (int bpp : kDepths)
    for (int w = 1; w <= 9; ++w)
      for (int h = 1; h <= 4; ++h) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << bpp);
        Handle img = Patterned(w, h, bpp);
        const kit::Dib s = img.View();
        for (int kind = 0; kind <= 4; ++kind) {
          Handle r = Rotated(img, kind);
          ASSERT_TRUE(r) << kind;
          const kit::Dib d = r.View();
          const bool quarter = kind == 1 || kind == 2;
          ASSERT_EQ(d.width, quarter ? h : w);
          ASSERT_EQ(d.height, quarter ? w : h);
          EXPECT_TRUE(PaddingClean(d)) << kind;
          for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) {
              int sx = x, sy = y;
              switch (kind) {
              case 0: sx = w - 1 - x, sy = h - 1 - y; break;
              case 1: sx = w - 1 - y, sy = x; break; // top row came from the right column
              case 2: sx = y, sy = h - 1 - x; break; // top row came from the left column
              case 3: sy = h - 1 - y; break;
              case 4: sx = w - 1 - x; break;
              }
              ASSERT_EQ(RawAt(d, x, y), RawAt(s, sx, sy))
                  << "kind " << kind << " at " << x << "," << y;
            }
        }
      }
}

// 0 1
// 2 3
// 4 5
Handle TwoByThree(int bpp) {
  Handle img = MakeImage(2, 3, bpp, [](int x, int y) { return static_cast<uint32_t>(y * 2 + x); });
  kit::Dib d = img.View();
  d.hdr->biXPelsPerMeter = 1000;
  d.hdr->biYPelsPerMeter = 2000;
  return img;
}

std::vector<int> Indices(const Handle &h) {
  const kit::Dib d = h.View();
  std::vector<int> v;
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x)
      v.push_back(kittest::IndexAt(d, x, y));
  return v;
}

TEST(Rotation, HandComputedTwoByThree) {
  for (int bpp : {4, 8}) {
    SCOPED_TRACE(bpp);
    Handle img = TwoByThree(bpp);
    Handle right = Rotated(img, IMGKIT_ROTATE_RIGHT);
    ASSERT_TRUE(right);
    EXPECT_EQ(right.View().width, 3);
    EXPECT_EQ(right.View().height, 2);
    EXPECT_EQ(Indices(right), (std::vector<int>{4, 2, 0, 5, 3, 1}));
    EXPECT_EQ(right.View().hdr->biXPelsPerMeter, 2000);
    EXPECT_EQ(right.View().hdr->biYPelsPerMeter, 1000);

    Handle left = Rotated(img, IMGKIT_ROTATE_LEFT);
    ASSERT_TRUE(left);
    EXPECT_EQ(Indices(left), (std::vector<int>{1, 3, 5, 0, 2, 4}));

    EXPECT_EQ(Indices(Rotated(img, IMGKIT_ROTATE_180)), (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(Indices(Rotated(img, IMGKIT_FLIP_TOP_BOTTOM)), (std::vector<int>{4, 5, 2, 3, 0, 1}));
    Handle lr = Rotated(img, IMGKIT_FLIP_LEFT_RIGHT);
    EXPECT_EQ(Indices(lr), (std::vector<int>{1, 0, 3, 2, 5, 4}));
    EXPECT_EQ(lr.View().hdr->biXPelsPerMeter, 1000);
  }
}

TEST(Rotation, KeepsTheColourTableAndRefusesUnknownKinds) {
  Handle img = MakeImage(
      3, 2, 8, [](int x, int) { return static_cast<uint32_t>(x); }, 5,
      [](int i) { return 0x102030u * static_cast<uint32_t>(i + 1); });
  Handle r = Rotated(img, 2);
  ASSERT_TRUE(r);
  EXPECT_EQ(r.View().colourCount, 5);
  EXPECT_EQ(kittest::RgbAt(r.View(), 0, 2), 0x102030u * 3);
  EXPECT_FALSE(Rotated(img, 5));
  EXPECT_FALSE(Rotated(img, -1));
  EXPECT_EQ(kit::Rotation(nullptr, 0), nullptr);
}

TEST(Copy, IsANewHandleWithTheSamePicture) {
  Handle img = Patterned(5, 3, 4);
  Handle c(kit::Copy(img.get()));
  ASSERT_TRUE(c);
  EXPECT_NE(c.get(), img.get());
  EXPECT_TRUE(SamePicture(c.get(), img.get()));
  EXPECT_EQ(kit::Copy(nullptr), nullptr);
}

TEST(RectCut, TopLeftIsThePicturesTopLeft) {
  for (int bpp : {1, 4, 8, 24}) {
    SCOPED_TRACE(bpp);
    Handle img = MakeImage(3, 3, bpp, [](int x, int y) { return (x == 0 && y == 0) ? 1u : 0u; });
    Handle c(kit::RectCut(img.get(), 0, 0, 0, 0));
    ASSERT_TRUE(c);
    EXPECT_EQ(c.View().width, 1);
    EXPECT_EQ(c.View().height, 1);
    EXPECT_EQ(RawAt(c.View(), 0, 0), 1u);
  }
}

TEST(RectCut, EveryStartAndWidthAtOneAndFourBits) {
  // Non-byte-aligned starts need the bits shifted.
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (int w = 1; w <= 9; ++w)
      for (int x0 = 0; x0 < w; ++x0)
        for (int x1 = x0; x1 < w; ++x1) {
          SCOPED_TRACE(testing::Message()
                       << bpp << " bits, width " << w << ", " << x0 << ".." << x1);
          Handle img = Patterned(w, 4, bpp);
          const kit::Dib s = img.View();
          Handle c(kit::RectCut(img.get(), x0, 1, x1, 2));
          ASSERT_TRUE(c);
          const kit::Dib d = c.View();
          ASSERT_EQ(d.width, x1 - x0 + 1);
          ASSERT_EQ(d.height, 2);
          EXPECT_TRUE(PaddingClean(d));
          for (int y = 0; y < 2; ++y)
            for (int x = 0; x < d.width; ++x)
              ASSERT_EQ(RawAt(d, x, y), RawAt(s, x0 + x, 1 + y));
        }
}

TEST(RectCut, ClipsToTheImage) {
  Handle img = Patterned(5, 4, 24);
  const kit::Dib s = img.View();
  Handle c(kit::RectCut(img.get(), -2, -1, 2, 10));
  ASSERT_TRUE(c);
  const kit::Dib d = c.View();
  ASSERT_EQ(d.width, 3);
  ASSERT_EQ(d.height, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(RawAt(d, x, y), RawAt(s, x, y));

  Handle corner(kit::RectCut(img.get(), 4, 3, 100, 100));
  ASSERT_TRUE(corner);
  EXPECT_EQ(corner.View().width, 1);
  EXPECT_EQ(RawAt(corner.View(), 0, 0), RawAt(s, 4, 3));
}

TEST(RectCut, NothingLeftIsNull) {
  Handle img = Patterned(5, 4, 8);
  EXPECT_EQ(kit::RectCut(img.get(), 5, 0, 7, 3), nullptr);
  EXPECT_EQ(kit::RectCut(img.get(), 0, 4, 4, 9), nullptr);
  EXPECT_EQ(kit::RectCut(img.get(), -3, -3, -1, -1), nullptr);
  EXPECT_EQ(kit::RectCut(nullptr, 0, 0, 1, 1), nullptr);
}

TEST(RectCut, ReversedCornersAreOrdered) {
  Handle img = Patterned(6, 5, 4);
  Handle a(kit::RectCut(img.get(), 1, 0, 3, 2));
  Handle b(kit::RectCut(img.get(), 3, 2, 1, 0));
  Handle c(kit::RectCut(img.get(), 3, 0, 1, 2));
  ASSERT_TRUE(a);
  EXPECT_TRUE(SamePicture(a.get(), b.get()));
  EXPECT_TRUE(SamePicture(a.get(), c.get()));
}

TEST(RectCut, KeepsColourTableAndResolution) {
  Handle img = MakeImage(
      4, 4, 8, [](int x, int y) { return static_cast<uint32_t>((x + y) % 5); }, 5,
      [](int i) { return 0x0a0b0cu * static_cast<uint32_t>(i); });
  kit::Dib s = img.View();
  s.hdr->biXPelsPerMeter = 3780;
  s.hdr->biYPelsPerMeter = 2835;
  Handle c(kit::RectCut(img.get(), 1, 1, 2, 2));
  ASSERT_TRUE(c);
  const kit::Dib d = c.View();
  EXPECT_EQ(d.colourCount, 5);
  EXPECT_EQ(d.hdr->biClrUsed, 5u);
  EXPECT_EQ(d.hdr->biXPelsPerMeter, 3780);
  EXPECT_EQ(d.hdr->biYPelsPerMeter, 2835);
  EXPECT_EQ(kittest::RgbAt(d, 1, 1), 0x0a0b0cu * 4);
}

TEST(ImageSize, SameSizeIsANewIdenticalPicture) {
  for (int bpp : kDepths) {
    Handle img = Patterned(7, 3, bpp);
    Handle r(kit::ImageSize(img.get(), 7, 3));
    ASSERT_TRUE(r);
    EXPECT_NE(r.get(), img.get());
    EXPECT_TRUE(SamePicture(r.get(), img.get())) << bpp;
  }
}

TEST(ImageSize, DoublingReplicatesEachPixel) {
  for (int bpp : kDepths)
    for (int w = 1; w <= 5; ++w) {
      SCOPED_TRACE(testing::Message() << bpp << " bits, width " << w);
      Handle img = Patterned(w, 3, bpp);
      const kit::Dib s = img.View();
      Handle r(kit::ImageSize(img.get(), 2 * w, 6));
      ASSERT_TRUE(r);
      const kit::Dib d = r.View();
      EXPECT_TRUE(PaddingClean(d));
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 2 * w; ++x)
          ASSERT_EQ(RawAt(d, x, y), RawAt(s, x / 2, y / 2));
    }
}

TEST(ImageSize, HalvingPicksEverySecondPixel) {
  for (int bpp : kDepths) {
    SCOPED_TRACE(bpp);
    Handle img = Patterned(4, 4, bpp);
    const kit::Dib s = img.View();
    Handle r(kit::ImageSize(img.get(), 2, 2));
    ASSERT_TRUE(r);
    const kit::Dib d = r.View();
    EXPECT_EQ(RawAt(d, 0, 0), RawAt(s, 0, 0));
    EXPECT_EQ(RawAt(d, 1, 0), RawAt(s, 2, 0));
    EXPECT_EQ(RawAt(d, 0, 1), RawAt(s, 0, 2));
    EXPECT_EQ(RawAt(d, 1, 1), RawAt(s, 2, 2));
  }
}

TEST(ImageSize, UnevenRatios) {
  // 3 -> 2 columns takes source 0 and 1; 2 -> 5 takes 0, 0, 0, 1, 1.
  Handle img = MakeImage(3, 2, 8, [](int x, int y) { return static_cast<uint32_t>(10 * y + x); });
  Handle a(kit::ImageSize(img.get(), 2, 5));
  ASSERT_TRUE(a);
  EXPECT_EQ(Indices(a), (std::vector<int>{0, 1, 0, 1, 0, 1, 10, 11, 10, 11}));
  Handle b(kit::ImageSize(a.get(), 5, 1));
  ASSERT_TRUE(b);
  EXPECT_EQ(Indices(b), (std::vector<int>{0, 0, 0, 1, 1}));
}

TEST(ImageSize, KeepsTheColourTable) {
  Handle img = MakeImage(
      2, 2, 4, [](int x, int) { return static_cast<uint32_t>(x + 1); }, 3,
      [](int i) { return 0x112233u * static_cast<uint32_t>(i); });
  Handle r(kit::ImageSize(img.get(), 5, 3));
  ASSERT_TRUE(r);
  EXPECT_EQ(r.View().colourCount, 3);
  EXPECT_EQ(kittest::RgbAt(r.View(), 4, 2), 0x112233u * 2);
}

TEST(ImageSize, RefusesEmptyAndOversizedTargets) {
  Handle img = Patterned(3, 3, 24);
  EXPECT_EQ(kit::ImageSize(img.get(), 0, 3), nullptr);
  EXPECT_EQ(kit::ImageSize(img.get(), 3, -1), nullptr);
  EXPECT_EQ(kit::ImageSize(img.get(), 1 << 15, 1 << 14), nullptr); // 2^29 pixels
  EXPECT_EQ(kit::ImageSize(nullptr, 3, 3), nullptr);
}

} // namespace
