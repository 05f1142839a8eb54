// TIFF reader and writer: round trips at every depth, files made by libtiff
// and ImageMagick in all the common layouts, and malformed files.
#include "codecs.h"
#include "kit_test_util.h"
#include "tiff_test_util.h"

#include <tiffio.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using kittest::Handle;
using namespace tifftest;

namespace {

// ---- round trips through our own writer ----------------------------------

struct DepthCase {
  const char *name;
  int bpp;
  std::function<uint32_t(int)> palette; // empty: grey ramp
};

const DepthCase kDepths[] = {
    {"black_white", 1, {}},
    {"white_black", 1, [](int i) { return i ? 0u : 0xffffffu; }},
    {"colour1", 1, [](int i) { return i ? 0x2040f0u : 0xc01020u; }},
    {"grey4", 4, {}},
    {"colour4", 4, [](int i) { return static_cast<uint32_t>(i * 0x0f0b07 + 0x030100); }},
    {"grey8", 8, {}},
    {"colour8", 8, [](int i) { return static_cast<uint32_t>((i * 0x030507) ^ 0x804020); }},
    {"rgb24", 24, {}},
};

TEST(TiffRoundTrip, EveryDepthWidthAndHeight) {
  for (const DepthCase &c : kDepths)
    for (int w = 1; w <= 9; ++w)
      for (int h = 1; h <= 3; ++h) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(w) + "x" + std::to_string(h));
        const int levels = c.bpp <= 8 ? 1 << c.bpp : 0;
        Handle img = kittest::MakeImage(
            w, h, c.bpp,
            [&](int x, int y) {
              return levels ? static_cast<uint32_t>((x * 3 + y * 5) % levels) : Colour(x, y);
            },
            0, c.palette);
        const std::string path = Path("rt.tif");
        ASSERT_TRUE(kit::WriteTiff(path.c_str(), img.get()));
        Handle back = ReadPath(path);
        ASSERT_TRUE(back);
        EXPECT_TRUE(kittest::SamePicture(img.get(), back.get()));
        IMGKIT_FILEINFO info{};
        ASSERT_TRUE(InfoPath(path, info));
        EXPECT_EQ(info.format, IMGKIT_FORMAT_TIFF);
        EXPECT_EQ(info.width, w);
        EXPECT_EQ(info.height, h);
        EXPECT_EQ(info.bitCount, c.bpp);
      }
}

TEST(TiffWrite, CornersStayInPlaceForOtherReaders) {
  // Red top-left, green top-right, blue bottom-left, white bottom-right.
  Handle img = kittest::MakeImage(3, 2, 24, [](int x, int y) {
    if (y == 0) return x == 0 ? 0xff0000u : (x == 2 ? 0x00ff00u : 0x808080u);
    return x == 0 ? 0x0000ffu : (x == 2 ? 0xffffffu : 0x808080u);
  });
  const std::string path = Path("corners.tif");
  ASSERT_TRUE(kit::WriteTiff(path.c_str(), img.get()));
  const std::string txt = kittest::RunCommand("convert '" + path + "' -depth 8 txt:- 2>/dev/null");
  EXPECT_NE(txt.find("0,0: (255,0,0)"), std::string::npos) << txt;
  EXPECT_NE(txt.find("2,0: (0,255,0)"), std::string::npos) << txt;
  EXPECT_NE(txt.find("0,1: (0,0,255)"), std::string::npos) << txt;
  EXPECT_NE(txt.find("2,1: (255,255,255)"), std::string::npos) << txt;
  Handle back = ReadPath(path);
  const kit::Dib d = back.View();
  EXPECT_EQ(kittest::RgbAt(d, 0, 0), 0xff0000u);
  EXPECT_EQ(kittest::RgbAt(d, 2, 0), 0x00ff00u);
  EXPECT_EQ(kittest::RgbAt(d, 0, 1), 0x0000ffu);
  EXPECT_EQ(kittest::RgbAt(d, 2, 1), 0xffffffu);
}

TEST(TiffWrite, IdentifyReadsSizeAndDepth) {
  struct {
    int bpp;
    const char *want;
  } cases[] = {{1, "7 3 1"}, {4, "7 3 4"}, {8, "7 3 8"}, {24, "7 3 8"}};
  for (const auto &c : cases) {
    Handle img = kittest::MakeImage(7, 3, c.bpp, [&](int x, int y) {
      return c.bpp == 24 ? Colour(x, y) : static_cast<uint32_t>((x + y) % 2);
    });
    const std::string path = Path("id" + std::to_string(c.bpp) + ".tif");
    ASSERT_TRUE(kit::WriteTiff(path.c_str(), img.get()));
    EXPECT_EQ(kittest::RunCommand("identify -format '%w %h %[bit-depth]' '" + path + "'"), c.want)
        << c.bpp;
  }
}

TEST(TiffWrite, ResolutionRoundTrips) {
  Handle img = kittest::MakeImage(2, 2, 8, [](int x, int) { return static_cast<uint32_t>(x); });
  kit::Dib d = img.View();
  d.hdr->biXPelsPerMeter = 3780;  // 96 dpi
  d.hdr->biYPelsPerMeter = 11811; // 300 dpi
  const std::string path = Path("res.tif");
  ASSERT_TRUE(kit::WriteTiff(path.c_str(), img.get()));
  Handle back = ReadPath(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back.View().hdr->biXPelsPerMeter, 3780);
  EXPECT_EQ(back.View().hdr->biYPelsPerMeter, 11811);
  std::istringstream dpi(
      kittest::RunCommand("identify -units PixelsPerInch -format '%x %y' '" + path + "'"));
  double x = 0, y = 0;
  dpi >> x >> y;
  EXPECT_NEAR(x, 96.0, 0.02);
  EXPECT_NEAR(y, 300.0, 0.02);
}

TEST(TiffWrite, SixteenAndThirtyTwoBitsAsRgb) {
  for (int bpp : {16, 32}) {
    Handle img = kittest::MakeImage(5, 3, bpp, [&](int x, int y) {
      return bpp == 16 ? static_cast<uint32_t>((x * 1234 + y * 4321) & 0x7fff) : Colour(x, y);
    });
    const std::string path = Path("wide.tif");
    ASSERT_TRUE(kit::WriteTiff(path.c_str(), img.get()));
    Handle back = ReadPath(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.View().bpp, 24);
    const kit::Dib src = img.View();
    ExpectPixels(back, 5, 3, [&](int x, int y) { return kittest::RgbAt(src, x, y); });
  }
}

TEST(TiffWrite, FailureKeepsTheOldFile) {
  const std::string path = kittest::WriteFile("old.tif", "old contents");
  EXPECT_FALSE(kit::WriteTiff(path.c_str(), nullptr));
  EXPECT_EQ(Slurp(path), "old contents");
  Handle img = kittest::MakeImage(2, 2, 24, Colour);
  EXPECT_FALSE(kit::WriteTiff((Path("missing") + "/x.tif").c_str(), img.get()));
}

// ---- files made by ImageMagick --------------------------------------------

TEST(TiffMagick, LosslessCompressionsAndLayouts) {
  const int w = 37, h = 21;
  const std::string src = Netpbm("src.ppm", w, h, false, Colour);
  const char *options[] = {"-compress None",
                           "-compress RLE", // PackBits
                           "-compress LZW",
                           "-compress Zip",
                           "-compress LZW -define tiff:tile-geometry=16x16",
                           "-compress Zip -interlace plane",
                           "-compress None -interlace plane -define tiff:tile-geometry=16x16",
                           "-depth 16",
                           "-depth 16 -interlace plane -compress LZW",
                           "-define tiff:rows-per-strip=21",
                           "-endian MSB -depth 16"};
  for (const char *o : options) {
    SCOPED_TRACE(o);
    const std::string path = Magick(src, o, "im.tif");
    ASSERT_FALSE(path.empty());
    Handle img = ReadPath(path);
    ASSERT_TRUE(img);
    EXPECT_EQ(img.View().bpp, 24);
    ExpectPixels(img, w, h, Colour);
  }
}

TEST(TiffMagick, JpegCompressedWithinTolerance) {
  const int w = 40, h = 24;
  auto smooth = [](int x, int y) {
    return static_cast<uint32_t>((x * 6) << 16 | (y * 9) << 8 | 0x80);
  };
  const std::string src = Netpbm("smooth.ppm", w, h, false, smooth);
  for (const char *o : {"-compress JPEG -quality 95",
                        "-compress JPEG -quality 95 -define tiff:tile-geometry=16x16"}) {
    SCOPED_TRACE(o);
    const std::string path = Magick(src, o, "jpeg.tif");
    ASSERT_FALSE(path.empty());
    IMGKIT_FILEINFO info{};
    ASSERT_TRUE(InfoPath(path, info));
    EXPECT_EQ(info.bitCount, 24);
    ExpectPixels(ReadPath(path), w, h, smooth, 12);
  }
}

TEST(TiffMagick, GreyKinds) {
  const int w = 11, h = 5;
  auto grey = [](int x, int y) { return static_cast<uint32_t>((x * 23 + y * 41) % 256); };
  auto rgb = [&](int x, int y) { return grey(x, y) * 0x010101u; };
  const std::string src = Netpbm("grey.pgm", w, h, true, grey);
  for (const char *o : {"-depth 8", "-depth 16", "-depth 8 -define tiff:photometric=min-is-white",
                        "-depth 16 -compress Zip"}) {
    SCOPED_TRACE(o);
    const std::string path = Magick(src, o, "grey.tif");
    ASSERT_FALSE(path.empty());
    Handle img = ReadPath(path);
    ASSERT_TRUE(img);
    EXPECT_EQ(img.View().bpp, 8);
    ExpectPixels(img, w, h, rgb);
  }
}

TEST(TiffMagick, BilevelAndPalette) {
  const int w = 13, h = 4;
  auto bw = [](int x, int y) { return ((x + 2 * y) % 3) ? 0xffffffu : 0u; };
  const std::string src = Netpbm("bw.ppm", w, h, false, bw);
  for (const char *o : {"-monochrome -depth 1", "-type bilevel -depth 1 -compress LZW",
                        "-type bilevel -compress Group4", "-type bilevel -compress Fax"}) {
    SCOPED_TRACE(o);
    const std::string path = Magick(src, o, "bw.tif");
    ASSERT_FALSE(path.empty());
    Handle img = ReadPath(path);
    ASSERT_TRUE(img);
    EXPECT_EQ(img.View().bpp, 1);
    ExpectPixels(img, w, h, bw);
  }
  const uint32_t colours[] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0x102030};
  auto few = [&](int x, int y) { return colours[(x + y) % 5]; };
  const std::string path = Magick(Netpbm("few.ppm", w, h, false, few), "-type palette", "pal.tif");
  ASSERT_FALSE(path.empty());
  Handle img = ReadPath(path);
  ASSERT_TRUE(img);
  EXPECT_LE(img.View().bpp, 8);
  ExpectPixels(img, w, h, few);
}

TEST(TiffMagick, AlphaCompositedOnWhite) {
  const std::string path = Path("alpha.tif");
  kittest::RunCommand("convert -size 1x1 'xc:rgba(255,0,0,0.5)' 'xc:rgba(0,0,255,1.0)' +append "
                      "-alpha on -depth 8 '" +
                      path + "' 2>&1");
  Handle img = ReadPath(path);
  ASSERT_TRUE(img);
  // Half-transparent red over white: (255, 127 or 128, 127 or 128).
  ExpectPixels(
      img, 2, 1, [](int x, int) { return x ? 0x0000ffu : 0xff8080u; }, 1);
}

TEST(TiffMagick, CmykThroughRgba) {
  auto colour = [](int x, int) {
    const uint32_t c[] = {0xff0000, 0x00ffff, 0xffffff, 0x000000};
    return c[x % 4];
  };
  const std::string path =
      Magick(Netpbm("cmyk.ppm", 8, 2, false, colour), "-colorspace CMYK", "cmyk.tif");
  ASSERT_FALSE(path.empty());
  ExpectPixels(ReadPath(path), 8, 2, colour, 1);
}

// ---- files made with libtiff directly -------------------------------------

TEST(TiffLibtiff, PaletteWithEightBitColourMap) {
  // Values below 256 in the 16-bit slots are taken as they are.
  std::vector<uint16_t> r(256), g(256), b(256);
  for (int i = 0; i < 256; ++i)
    r[i] = i, g[i] = 255 - i, b[i] = (i * 7) & 255;
  const std::string path = LibTiff(
      "pal8.tif",
      [&](TIFF *t) {
        BasicTags(t, 5, 3, 8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS);
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
      },
      Rows(3, 5, [](int y, size_t x) { return static_cast<uint8_t>(x * 40 + y); }));
  Handle img = ReadPath(path);
  ASSERT_TRUE(img);
  const kit::Dib d = img.View();
  ASSERT_EQ(d.bpp, 8);
  EXPECT_EQ(kittest::IndexAt(d, 4, 2), 162);
  EXPECT_EQ(kittest::RgbAt(d, 4, 2),
            static_cast<uint32_t>(162 << 16 | 93 << 8 | ((162 * 7) & 255)));
}

TEST(TiffLibtiff, TwoBitGreyAndPaletteWidenToFourBits) {
  // Stored 2-bit values 0,1,2,3,3,2 in one row.
  const std::vector<std::vector<uint8_t>> rows = {{0x1b, 0xe0}};
  const std::string grey = LibTiff(
      "g2.tif", [](TIFF *t) { BasicTags(t, 6, 1, 2, 1, PHOTOMETRIC_MINISWHITE); }, rows);
  Handle g = ReadPath(grey);
  ASSERT_TRUE(g);
  EXPECT_EQ(g.View().bpp, 4);
  const uint32_t levels[] = {0xffffff, 0xaaaaaa, 0x555555, 0, 0, 0x555555};
  ExpectPixels(g, 6, 1, [&](int x, int) { return levels[x]; });

  std::vector<uint16_t> r(4), gg(4), b(4);
  for (int i = 0; i < 4; ++i)
    r[i] = static_cast<uint16_t>(i * 0x4000), gg[i] = 0xffff, b[i] = 0;
  const std::string pal = LibTiff(
      "p2.tif",
      [&](TIFF *t) {
        BasicTags(t, 6, 1, 2, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), gg.data(), b.data());
      },
      rows);
  Handle p = ReadPath(pal);
  ASSERT_TRUE(p);
  EXPECT_EQ(p.View().bpp, 4);
  // Red 0, 0x4000, 0x8000, 0xc000 reduce to 0, 63.75, 127.5, 191.25, rounded.
  const uint32_t red[] = {0, 64, 128, 191, 191, 128};
  ExpectPixels(p, 6, 1, [&](int x, int) { return red[x] << 16 | 0xff00; });
}

TEST(TiffLibtiff, BilevelMinIsWhiteKeepsBitsAndTable) {
  const std::string path = LibTiff(
      "bw.tif", [](TIFF *t) { BasicTags(t, 10, 2, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_LZW); },
      {{0xa5, 0xff}, {0x0f, 0x40}});
  Handle img = ReadPath(path);
  ASSERT_TRUE(img);
  const kit::Dib d = img.View();
  ASSERT_EQ(d.bpp, 1);
  EXPECT_EQ(kittest::RgbAt(d, 0, 0), 0u);        // bit 1 = black
  EXPECT_EQ(kittest::RgbAt(d, 1, 0), 0xffffffu); // bit 0 = white
  EXPECT_EQ(kittest::IndexAt(d, 8, 0), 1);
  EXPECT_EQ(kittest::IndexAt(d, 9, 1), 1);
  EXPECT_EQ(kittest::IndexAt(d, 8, 1), 0);
  EXPECT_EQ(d.TopRow(0)[1], 0xc0); // bits past the width stay clear
}

TEST(TiffLibtiff, AssociatedAndUnassociatedAlpha) {
  for (uint16_t kind : {EXTRASAMPLE_ASSOCALPHA, EXTRASAMPLE_UNASSALPHA}) {
    for (int planar : {PLANARCONFIG_CONTIG, PLANARCONFIG_SEPARATE}) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::to_string(planar));
      // One pixel: colour (100, 50, 0), alpha 100.
      const uint8_t px[4] = {100, 50, 0, 100};
      std::vector<std::vector<uint8_t>> rows;
      if (planar == PLANARCONFIG_CONTIG)
        rows.push_back({px, px + 4});
      else
        for (uint8_t v : px)
          rows.push_back({v});
      const std::string path = LibTiff(
          "a.tif",
          [&](TIFF *t) {
            BasicTags(t, 1, 1, 8, 4, PHOTOMETRIC_RGB, COMPRESSION_DEFLATE);
            TIFFSetField(t, TIFFTAG_PLANARCONFIG, planar);
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
          },
          rows, planar == PLANARCONFIG_CONTIG ? 1 : 4);
      Handle img = ReadPath(path);
      // Associated: c + 255 - a. Unassociated: (c*a + 255*(255-a)) / 255.
      const uint32_t want = kind == EXTRASAMPLE_ASSOCALPHA
                                ? 0xffcd9bu
                                : static_cast<uint32_t>(194 << 16 | 175 << 8 | 155);
      ExpectPixels(img, 1, 1, [&](int, int) { return want; });
    }
  }
}

TEST(TiffLibtiff, SixteenBitSamplesAreScaled) {
  // 16-bit RGB: 65535 -> 255, 32896 -> 128, 257 -> 1, 128 -> 0, 129 -> 1.
  const uint16_t s[6] = {65535, 32896, 257, 128, 129, 0};
  std::vector<uint8_t> row(12);
  std::memcpy(row.data(), s, 12);
  const std::string path =
      LibTiff("rgb16.tif", [](TIFF *t) { BasicTags(t, 2, 1, 16, 3, PHOTOMETRIC_RGB); }, {row});
  ExpectPixels(ReadPath(path), 2, 1, [](int x, int) { return x ? 0x000100u : 0xff8001u; });
}

TEST(TiffLibtiff, OrientationBottomLeftAndTopRight) {
  // Stored rows: first row 10 20 30, second row 40 50 60.
  const std::vector<std::vector<uint8_t>> rows = {{10, 20, 30}, {40, 50, 60}};
  struct {
    int orientation;
    uint8_t topLeft, topRight, bottomLeft;
  } cases[] = {{ORIENTATION_TOPLEFT, 10, 30, 40},
               {ORIENTATION_BOTLEFT, 40, 60, 10},
               {ORIENTATION_TOPRIGHT, 30, 10, 60},
               {ORIENTATION_BOTRIGHT, 60, 40, 30}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.orientation);
    const std::string path = LibTiff(
        "o.tif",
        [&](TIFF *t) {
          BasicTags(t, 3, 2, 8, 1, PHOTOMETRIC_MINISBLACK);
          TIFFSetField(t, TIFFTAG_ORIENTATION, c.orientation);
        },
        rows);
    Handle img = ReadPath(path);
    ASSERT_TRUE(img);
    const kit::Dib d = img.View();
    EXPECT_EQ(kittest::IndexAt(d, 0, 0), c.topLeft);
    EXPECT_EQ(kittest::IndexAt(d, 2, 0), c.topRight);
    EXPECT_EQ(kittest::IndexAt(d, 0, 1), c.bottomLeft);
  }
  // The same through the RGBA path (CMYK): cyan stored first, bottom-left.
  const std::string cmyk = LibTiff("cmyk.tif",
                                   [](TIFF *t) {
                                     BasicTags(t, 1, 2, 8, 4, PHOTOMETRIC_SEPARATED);
                                     TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
                                     TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_BOTLEFT);
                                   },
                                   {{255, 0, 0, 0}, {0, 0, 0, 255}});
  ExpectPixels(ReadPath(cmyk), 1, 2, [](int, int y) { return y ? 0x00ffffu : 0u; });
}

TEST(TiffLibtiff, JpegYCbCrReadsAsRgb) {
  const int w = 32, h = 32;
  auto smooth = [](int x, int y) {
    return static_cast<uint32_t>((x * 6 + 20) << 16 | (y * 5 + 30) << 8 | 0x60);
  };
  std::vector<std::vector<uint8_t>> rows(h, std::vector<uint8_t>(w * 3));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        rows[y][3 * x + c] = static_cast<uint8_t>(smooth(x, y) >> (16 - 8 * c));
  const std::string path = LibTiff(
      "ycc.tif",
      [](TIFF *t) {
        BasicTags(t, w, h, 8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_JPEG);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
        TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
        TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
      },
      rows);
  ASSERT_FALSE(path.empty());
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(InfoPath(path, info));
  EXPECT_EQ(info.bitCount, 24);
  ExpectPixels(ReadPath(path), w, h, smooth, 12);
}

TEST(TiffLibtiff, TiledJpegYCbCrReadsAsRgb) {
  const int w = 40, h = 24, tile = 16;
  auto smooth = [](int x, int y) {
    return static_cast<uint32_t>((x * 5 + 20) << 16 | (y * 6 + 30) << 8 | 0xa0);
  };
  const std::string path = Path("ycc_tiled.tif");
  TIFF *t = TIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(t);
  BasicTags(t, w, h, 8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_JPEG);
  TIFFSetField(t, TIFFTAG_TILEWIDTH, tile);
  TIFFSetField(t, TIFFTAG_TILELENGTH, tile);
  TIFFSetField(t, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
  TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
  TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  std::vector<uint8_t> buf(tile * tile * 3);
  for (int ty = 0; ty < h; ty += tile)
    for (int tx = 0; tx < w; tx += tile) {
      for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x)
          for (int c = 0; c < 3; ++c)
            buf[(y * tile + x) * 3 + c] = static_cast<uint8_t>(
                smooth(std::min(tx + x, w - 1), std::min(ty + y, h - 1)) >> (16 - 8 * c));
      ASSERT_GE(TIFFWriteEncodedTile(t, TIFFComputeTile(t, tx, ty, 0, 0), buf.data(),
                                     static_cast<tmsize_t>(buf.size())),
                0);
    }
  TIFFClose(t);
  ExpectPixels(ReadPath(path), w, h, smooth, 12);
}

TEST(TiffLibtiff, LargeSingleStripReadsByScanline) {
  const int w = 700, h = 600; // 1.26 MB in one strip
  const std::string path = LibTiff(
      "big.tif",
      [&](TIFF *t) {
        BasicTags(t, w, h, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
      },
      Rows(h, w * 3, [](int y, size_t i) { return static_cast<uint8_t>(y * 3 + i % 3 + i / 3); }));
  ExpectPixels(ReadPath(path), w, h, [](int x, int y) {
    const uint32_t r = (y * 3 + x) & 255;
    return r << 16 | ((r + 1) & 255) << 8 | ((r + 2) & 255);
  });
}

// ---- malformed files ------------------------------------------------------

// A little-endian TIFF: header, one directory at offset 8 and `data` after
// it. Values of single-valued entries sit in the entry itself; the strip
// offset is the offset of `data` unless `stripOffset` says otherwise.
struct Entry {
  uint16_t tag, type;
  uint32_t value;
};

std::string HandMade(std::vector<Entry> entries, const std::string &data, int64_t stripOffset = -1,
                     uint32_t ifdOffset = 8) {
  const uint32_t dataAt = 8 + 2 + 12 * static_cast<uint32_t>(entries.size() + 1) + 4;
  entries.push_back({TIFFTAG_STRIPOFFSETS, TIFF_LONG,
                     stripOffset < 0 ? dataAt : static_cast<uint32_t>(stripOffset)});
  std::sort(entries.begin(), entries.end(),
            [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
  std::string s = "II*";
  s += '\0';
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      s += static_cast<char>((v >> (8 * i)) & 255);
  };
  put(ifdOffset, 4);
  put(static_cast<uint32_t>(entries.size()), 2);
  for (const Entry &e : entries) {
    put(e.tag, 2);
    put(e.type, 2);
    put(1, 4);
    put(e.value, e.type == TIFF_SHORT ? 2 : 4);
    if (e.type == TIFF_SHORT) put(0, 2);
  }
  put(0, 4);
  return s + data;
}

std::vector<Entry> GreyEntries(uint32_t w, uint32_t h, uint32_t compression, uint32_t bytes) {
  return {{TIFFTAG_IMAGEWIDTH, TIFF_LONG, w},
          {TIFFTAG_IMAGELENGTH, TIFF_LONG, h},
          {TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, 8},
          {TIFFTAG_COMPRESSION, TIFF_SHORT, compression},
          {TIFFTAG_PHOTOMETRIC, TIFF_SHORT, PHOTOMETRIC_MINISBLACK},
          {TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, 1},
          {TIFFTAG_ROWSPERSTRIP, TIFF_LONG, h},
          {TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG, bytes}};
}

TEST(TiffBad, HandMadeFileIsValidAsAControl) {
  std::string data;
  for (int i = 0; i < 16; ++i)
    data += static_cast<char>(i * 16);
  bool info = false;
  Handle img = ReadBytes(HandMade(GreyEntries(4, 4, COMPRESSION_NONE, 16), data), &info);
  EXPECT_TRUE(info);
  ExpectPixels(img, 4, 4, [](int x, int y) { return (y * 4 + x) * 16 * 0x010101u; });
}

TEST(TiffBad, MalformedFilesAreRefused) {
  const std::string pixels(16, '\x40');
  struct {
    const char *name;
    std::string bytes;
    bool tagsOk; // the fault only shows when decoding
  } cases[] = {
      {"truncated_strip", HandMade(GreyEntries(4, 4, COMPRESSION_NONE, 16), pixels.substr(0, 9)),
       true},
      {"strip_offset_past_end", HandMade(GreyEntries(4, 4, COMPRESSION_NONE, 16), pixels, 1000000),
       true},
      {"lzw_garbage", HandMade(GreyEntries(4, 4, COMPRESSION_LZW, 16), pixels), true},
      {"huge_dimensions", HandMade(GreyEntries(200000, 200000, COMPRESSION_NONE, 16), pixels),
       false},
      {"unknown_compression", HandMade(GreyEntries(4, 4, 12345, 16), pixels), false},
      {"garbage_ifd_offset",
       HandMade(GreyEntries(4, 4, COMPRESSION_NONE, 16), pixels, -1, 0xfffffff0u), false},
      {"zero_width", HandMade(GreyEntries(0, 4, COMPRESSION_NONE, 16), pixels), false},
      {"empty", "", false},
      {"header_only", std::string("II*\0", 4), false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    bool info = !c.tagsOk;
    EXPECT_FALSE(ReadBytes(c.bytes, &info));
    EXPECT_EQ(info, c.tagsOk);
  }
}

TEST(TiffBad, EveryTruncationOfAWrittenFileIsRefused) {
  Handle img = kittest::MakeImage(9, 7, 24, Colour);
  const std::string path = Path("whole.tif");
  ASSERT_TRUE(kit::WriteTiff(path.c_str(), img.get()));
  const std::string bytes = Slurp(path);
  ASSERT_TRUE(ReadBytes(bytes));
  for (size_t n = 0; n + 1 < bytes.size(); n += 3)
    EXPECT_FALSE(ReadBytes(bytes.substr(0, n))) << n;
}

} // namespace
