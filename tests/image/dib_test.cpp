#include "image/Dib.h"

#include "platform/ImageControl.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// A palette image made by hand, so the accessor is tested against bytes we
// laid out ourselves rather than against the kit.
DibHandle MakePaletteDib(int width, int height, int bpp, uint32_t clrUsed) {
  const int colours = clrUsed ? static_cast<int>(clrUsed) : (1 << bpp);
  const int stride = TMDIB::RowStride(width, bpp);
  DibHandle h(Kit.ImgKitMemAlloc(static_cast<uint32_t>(40 + 4 * colours + stride * height)));
  auto *hdr = static_cast<IMGKIT_BMIH *>(h.get());
  hdr->biSize = 40;
  hdr->biWidth = width;
  hdr->biHeight = height;
  hdr->biPlanes = 1;
  hdr->biBitCount = static_cast<uint16_t>(bpp);
  hdr->biClrUsed = clrUsed;
  auto *table = reinterpret_cast<uint8_t *>(hdr) + 40;
  for (int i = 0; i < colours; ++i) {
    table[4 * i] = static_cast<uint8_t>(i);          // blue
    table[4 * i + 1] = static_cast<uint8_t>(10 + i); // green
    table[4 * i + 2] = static_cast<uint8_t>(20 + i); // red
  }
  return h;
}

TEST(TMDIB, StrideRoundsBitWidthUpToWords) {
  EXPECT_EQ(TMDIB::RowStride(1, 24), 4);
  EXPECT_EQ(TMDIB::RowStride(8, 1), 4);
  EXPECT_EQ(TMDIB::RowStride(33, 1), 8);
  EXPECT_EQ(TMDIB::RowStride(32, 1), 4);
  EXPECT_EQ(TMDIB::RowStride(3, 4), 4);
  EXPECT_EQ(TMDIB::RowStride(9, 4), 8);
  EXPECT_EQ(TMDIB::RowStride(5, 8), 8);
  EXPECT_EQ(TMDIB::RowStride(4, 24), 12);
}

TEST(TMDIB, AttachFillsFieldsFromTheHeader) {
  DibHandle h = CreateBlankDib(1, 3);
  TMDIB dib(h.get());
  EXPECT_EQ(dib.width, 1);
  EXPECT_EQ(dib.height, 3);
  EXPECT_EQ(dib.pixelCount, 3);
  EXPECT_EQ(dib.stride, 4);
  EXPECT_EQ(dib.pixelFormat, pf24bit);
  EXPECT_EQ(dib.colourTableBytes, 0);
  EXPECT_EQ(dib.imageBytes, 12);
  EXPECT_EQ(dib.pixels, static_cast<uint8_t *>(h.get()) + 40);
  EXPECT_EQ(dib.topRow, dib.pixels + 8);
  EXPECT_EQ(dib.backgroundRed + dib.backgroundGreen + dib.backgroundBlue, 0);
}

TEST(TMDIB, ZeroImageSizeMeansStrideTimesHeight) {
  DibHandle h = MakePaletteDib(33, 5, 1, 0);
  static_cast<IMGKIT_BMIH *>(h.get())->biSizeImage = 0;
  TMDIB dib(h.get());
  EXPECT_EQ(dib.imageBytes, 8 * 5);
  EXPECT_EQ(dib.colourTableBytes, 8);
  EXPECT_EQ(dib.pixelFormat, pf1bit);
  EXPECT_EQ(dib.topRow, dib.pixels + 32);
}

TEST(TMDIB, ColourCountRule) {
  IMGKIT_BMIH h{};
  h.biBitCount = 1;
  EXPECT_EQ(TMDIB::ColourCount(&h), 2u);
  h.biBitCount = 4;
  EXPECT_EQ(TMDIB::ColourCount(&h), 16u);
  h.biBitCount = 8;
  EXPECT_EQ(TMDIB::ColourCount(&h), 256u);
  h.biBitCount = 24;
  EXPECT_EQ(TMDIB::ColourCount(&h), 0u);
  h.biClrUsed = 0x10005; // only the low 16 bits count
  EXPECT_EQ(TMDIB::ColourCount(&h), 5u);
}

TEST(TMDIB, FiveColourTableIsAdjustedAlone) {
  DibHandle h = MakePaletteDib(3, 2, 4, 5);
  TMDIB dib(h.get());
  EXPECT_EQ(dib.colourTableBytes, 20);
  // Pixel bytes right after the table must not change.
  std::memset(dib.pixels, 0x12, static_cast<size_t>(dib.imageBytes ? dib.imageBytes : 8));
  int visited = 0;
  ForEachColour(dib, [&](uint8_t *bgr) {
    bgr[0] = static_cast<uint8_t>(255 - bgr[0]);
    ++visited;
  });
  EXPECT_EQ(visited, 5);
  EXPECT_EQ(dib.colourTable[4 * 4], 255 - 4);
  EXPECT_EQ(dib.pixels[0], 0x12);
}

TEST(TMDIB, ChannelTablesOnRowsLeavePadding) {
  DibHandle h = CreateBlankDib(1, 2);
  TMDIB dib(h.get());
  dib.Row(0)[3] = 0x77; // padding byte
  uint8_t blue[256], green[256], red[256];
  for (int i = 0; i < 256; ++i) {
    blue[i] = 1;
    green[i] = 2;
    red[i] = 3;
  }
  ApplyChannelTables(dib, blue, green, red);
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(dib.Row(y)[0], 1);
    EXPECT_EQ(dib.Row(y)[1], 2);
    EXPECT_EQ(dib.Row(y)[2], 3);
  }
  EXPECT_EQ(dib.Row(0)[3], 0x77);
}

TEST(TMDIB, SixteenBitRowsAreNotReadAsThreeBytePixels) {
  // A 16-bit row is shorter than three bytes a pixel: reading it as 24-bit
  // would run past the top row. Such images are left alone.
  const int stride = TMDIB::RowStride(5, 16);
  DibHandle h(Kit.ImgKitMemAlloc(static_cast<uint32_t>(40 + stride * 2)));
  auto *hdr = static_cast<IMGKIT_BMIH *>(h.get());
  *hdr = IMGKIT_BMIH{40, 5, 2, 1, 16, 0, 0, 0, 0, 0, 0};
  TMDIB dib(h.get());
  int visited = 0;
  ForEachColour(dib, [&](uint8_t *) { ++visited; });
  EXPECT_EQ(visited, 0);
}

TEST(TMDIB, PixelColourReadsIndicesAtEveryDepth) {
  // 1 bit: pixel 9 is bit 6 of byte 1 of row 0.
  DibHandle mono = MakePaletteDib(10, 2, 1, 0);
  TMDIB d1(mono.get());
  d1.Row(0)[1] = 0x40;
  int r, g, b;
  d1.PixelColour(9, r, g, b);
  EXPECT_EQ(r, 21);
  EXPECT_EQ(g, 11);
  EXPECT_EQ(b, 1);
  d1.PixelColour(8, r, g, b);
  EXPECT_EQ(b, 0);
  // 4 bits: odd columns take the low nibble; pixel 4 is row 1, column 1.
  DibHandle nib = MakePaletteDib(3, 2, 4, 0);
  TMDIB d4(nib.get());
  d4.Row(1)[0] = 0x3c;
  d4.PixelColour(4, r, g, b);
  EXPECT_EQ(b, 0x0c);
  d4.PixelColour(3, r, g, b);
  EXPECT_EQ(b, 0x03);
  // 8 bits.
  DibHandle byte = MakePaletteDib(2, 2, 8, 0);
  TMDIB d8(byte.get());
  d8.Row(1)[1] = 200;
  d8.PixelColour(3, r, g, b);
  EXPECT_EQ(r, static_cast<uint8_t>(220));
  EXPECT_EQ(b, 200);
  // A short colour table: indices past it read as black, not past the table.
  DibHandle shortTable = MakePaletteDib(2, 1, 8, 3);
  TMDIB ds(shortTable.get());
  ds.Row(0)[0] = 2;
  ds.Row(0)[1] = 200;
  ds.PixelColour(0, r, g, b);
  EXPECT_EQ(r, 22);
  ds.PixelColour(1, r, g, b);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
}

TEST(TMDIB, DisplayPalettes) {
  DibHandle rgb = CreateBlankDib(2, 2);
  TMDIB d(rgb.get());
  auto fixed = d.MakePalette();
  ASSERT_TRUE(fixed.has_value());
  ASSERT_EQ(fixed->size(), 256u);
  EXPECT_EQ((*fixed)[255], (224u << 16) | (224u << 8) | 192u);
  EXPECT_EQ((*fixed)[9], (32u << 16) | (32u << 8));

  DibHandle pal = MakePaletteDib(2, 2, 4, 5);
  TMDIB p(pal.get());
  auto table = p.MakePalette();
  ASSERT_TRUE(table.has_value());
  ASSERT_EQ(table->size(), 5u);
  EXPECT_EQ((*table)[2], (22u << 16) | (12u << 8) | 2u);

  static_cast<IMGKIT_BMIH *>(pal.get())->biSize = 108;
  EXPECT_FALSE(p.MakePalette().has_value());
}

TEST(Dib, CreateBlankDibWritesTheHeader) {
  DibHandle h = CreateBlankDib(5, 3);
  ASSERT_TRUE(h);
  const auto *hdr = static_cast<const IMGKIT_BMIH *>(h.get());
  EXPECT_EQ(hdr->biSize, 40u);
  EXPECT_EQ(hdr->biWidth, 5);
  EXPECT_EQ(hdr->biHeight, 3);
  EXPECT_EQ(hdr->biPlanes, 1);
  EXPECT_EQ(hdr->biBitCount, 24);
  EXPECT_EQ(hdr->biSizeImage, 16u * 3);
  EXPECT_EQ(Kit.ImgKitMemSize(h.get()), 40u + 48u);
  const auto *px = reinterpret_cast<const uint8_t *>(hdr) + 40;
  for (int i = 0; i < 48; ++i)
    ASSERT_EQ(px[i], 0);
  EXPECT_FALSE(CreateBlankDib(0, 3));
  EXPECT_FALSE(CreateBlankDib(70000, 70000));
}

TEST(Dib, BitmapRoundTripKeepsRowOrder) {
  QImage img(3, 2, QImage::Format_RGB888);
  img.fill(Qt::black);
  img.setPixel(0, 0, qRgb(255, 0, 0)); // top-left
  img.setPixel(2, 1, qRgb(0, 0, 255)); // bottom-right
  DibHandle h = DibFromBitmap(img);
  ASSERT_TRUE(h);
  TMDIB dib(h.get());
  // Memory row 0 is the bottom of the picture.
  EXPECT_EQ(dib.Row(0)[6], 255); // blue byte of the bottom-right pixel
  EXPECT_EQ(dib.Row(1)[2], 255); // red byte of the top-left pixel
  const QImage back = BitmapFromDib(dib);
  EXPECT_EQ(back.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(back.pixel(2, 1), qRgb(0, 0, 255));

  EXPECT_FALSE(DibFromBitmap(QImage(4, 4, QImage::Format_ARGB32)));
  QImage indexed(4, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
  indexed.fill(1);
  DibHandle ih = DibFromBitmap(indexed);
  ASSERT_TRUE(ih);
  TMDIB id(ih.get());
  EXPECT_EQ(id.colourTableBytes, 8);
  int r, g, b;
  id.PixelColour(3, r, g, b);
  EXPECT_EQ(r * 100 + g * 10 + b, 456);
}

TEST(Dib, ShowInImageDrawsTopRowFirst) {
  DibHandle h = MakePaletteDib(9, 2, 4, 0);
  TMDIB dib(h.get());
  dib.Row(1)[0] = 0x70; // top-left pixel: index 7
  ImageControl control;
  control.ShowDib(dib);
  ASSERT_EQ(control.Picture().size(), QSize(9, 2));
  EXPECT_EQ(control.Picture().pixel(0, 0), qRgb(27, 17, 7));
  EXPECT_EQ(control.Picture().pixel(0, 1), qRgb(20, 10, 0));
  EXPECT_EQ(control.DisplayPalette().size(), 16u);
}

struct PreviewCase {
  int width, height, previewWidth, previewHeight;
};

class PreviewSize : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewSize, FitsTheLongerSideTo100) {
  const PreviewCase c = GetParam();
  DibHandle image = CreateBlankDib(c.width, c.height);
  PreviewCopy p = MakePreviewCopy(image.get(), false, 0, 0);
  ASSERT_TRUE(p.image);
  EXPECT_EQ(p.width, c.previewWidth);
  EXPECT_EQ(p.height, c.previewHeight);
  TMDIB dib(p.image.get());
  EXPECT_EQ(dib.width, c.previewWidth);
  EXPECT_EQ(dib.height, c.previewHeight);
}

INSTANTIATE_TEST_SUITE_P(Dib, PreviewSize,
                         ::testing::Values(PreviewCase{150, 50, 100, 33},
                                           PreviewCase{50, 150, 33, 100},
                                           PreviewCase{300, 300, 100, 100},
                                           PreviewCase{40, 40, 100, 100},
                                           PreviewCase{1000, 1, 100, 1}));

TEST(Dib, AreaPreviewCutsAtTheOrigin) {
  DibHandle image = CreateBlankDib(300, 200);
  {
    TMDIB dib(image.get());
    // Picture pixel (20, 30) in red; memory row = height - 1 - 30.
    dib.Row(dib.height - 1 - 30)[3 * 20 + 2] = 255;
  }
  PreviewCopy p = MakePreviewCopy(image.get(), true, 20, 30);
  ASSERT_TRUE(p.image);
  EXPECT_EQ(p.width, 100);
  EXPECT_EQ(p.height, 100);
  TMDIB dib(p.image.get());
  EXPECT_EQ(dib.width, 100);
  EXPECT_EQ(dib.topRow[2], 255);
  EXPECT_EQ(dib.topRow[5], 0);
}

TEST(DibHandle, AdoptFollowsTheReturnedHandleRule) {
  DibHandle h = CreateBlankDib(4, 4);
  IMGHANDLE original = h.get();
  // Same handle back: kept.
  EXPECT_TRUE(h.Adopt(original));
  EXPECT_EQ(h.get(), original);
  // Failure: the old image stays.
  EXPECT_FALSE(h.Adopt(nullptr));
  EXPECT_EQ(h.get(), original);
  // A new handle replaces (and frees) the old one; LeakSanitizer checks.
  EXPECT_TRUE(h.Adopt(Kit.ImgKitRotation(original, "", "", IMGKIT_ROTATE_LEFT)));
  EXPECT_NE(h.get(), nullptr);
  DibHandle moved = std::move(h);
  EXPECT_FALSE(h);
  EXPECT_TRUE(moved);
}

} // namespace
