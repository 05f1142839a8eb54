// TIFF kinds beyond the everyday ones: BigTIFF, the eight orientations,
// CIELab, deep, signed and floating-point samples, 16-bit CMYK and 16-bit
// colour maps, each against a hand-computed or independently made reference.
#include "codecs.h"
#include "kit_test_util.h"
#include "tiff_test_util.h"

#include <tiffio.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

using kittest::Handle;
using namespace tifftest;

namespace {

// The samples in native byte order, as libtiff takes them.
template <typename T> std::vector<uint8_t> Bytes(std::initializer_list<T> values) {
  std::vector<uint8_t> out(values.size() * sizeof(T));
  std::memcpy(out.data(), values.begin(), out.size());
  return out;
}

void SampleFormat(TIFF *t, int format) { TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, format); }

// The reduction rule, written independently of the reader.
uint32_t Rule(double v, double max) {
  return static_cast<uint32_t>(std::floor(v * 255 / max + 0.5));
}

uint32_t Grey(uint32_t v) { return v << 16 | v << 8 | v; }

// ---- BigTIFF ---------------------------------------------------------------

TEST(TiffBig, BothByteOrdersReadLikeClassicFiles) {
  const int w = 7, h = 5;
  const auto rows =
      Rows(h, w * 3, [](int y, size_t i) { return static_cast<uint8_t>(y * 40 + i * 9); });
  for (const char *mode : {"w8", "w8b"}) {
    SCOPED_TRACE(mode);
    const std::string path = LibTiff(
        "big.tif", [](TIFF *t) { BasicTags(t, w, h, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW); },
        rows, 1, mode);
    ASSERT_FALSE(path.empty());
    // Through the kit's recognition by content, not only the TIFF reader.
    IMGKIT_FILEINFO info{};
    ASSERT_TRUE(kit::FileInfo(path.c_str(), info));
    EXPECT_EQ(info.format, IMGKIT_FORMAT_TIFF);
    EXPECT_EQ(info.width, w);
    EXPECT_EQ(info.height, h);
    EXPECT_EQ(info.bitCount, 24);
    ExpectPixels(Handle(kit::LoadFile(path.c_str())), w, h, [&](int x, int y) {
      return uint32_t{rows[y][3 * x]} << 16 | rows[y][3 * x + 1] << 8 | rows[y][3 * x + 2];
    });
  }
}

TEST(TiffBig, MadeByImageMagick) {
  const std::string src = Netpbm("bigsrc.ppm", 9, 4, false, Colour);
  const std::string path = Path("magick64.tif");
  const std::string r = kittest::RunCommand("convert '" + src + "' -compress zip 'TIFF64:" + path +
                                            "' 2>&1 && echo OK");
  ASSERT_NE(r.find("OK"), std::string::npos) << r;
  ASSERT_EQ(Slurp(path).substr(0, 4), std::string("II+\0", 4));
  ExpectPixels(ReadPath(path), 9, 4, Colour);
}

// ---- orientations ------------------------------------------------------------

// ImageMagick's operation that shows a stored picture as each orientation
// says it is meant to be seen.
const char *const kShow[9] = {"",           "",           "-flop",       "-rotate 180", "-flip",
                              "-transpose", "-rotate 90", "-transverse", "-rotate 270"};

struct OrientKind {
  const char *name;
  int bps, spp, photometric;
};

TEST(TiffOrientation, EveryOrientationMatchesTheTurnedReference) {
  const int w = 5, h = 3; // not square, so a missing turn shows in the size
  const OrientKind kinds[] = {{"grey8", 8, 1, PHOTOMETRIC_MINISBLACK},
                              {"rgb8", 8, 3, PHOTOMETRIC_RGB},
                              {"rgb16", 16, 3, PHOTOMETRIC_RGB},
                              {"bilevel", 1, 1, PHOTOMETRIC_MINISBLACK}};
  for (const OrientKind &k : kinds) {
    // The stored picture as a Netpbm file, and its rows for libtiff.
    auto value = [&](int x, int y) -> uint32_t {
      if (k.bps == 1) return ((x * 3 + y * 7) % 5) < 2 ? 0xffffff : 0;
      if (k.spp == 1) return Grey(static_cast<uint32_t>(20 + 15 * x + 70 * y));
      return Colour(x, y);
    };
    const std::string stored = Netpbm(std::string(k.name) + ".ppm", w, h, false, value);
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < h; ++y) {
      std::vector<uint8_t> row;
      if (k.bps == 1) {
        row.assign(1, 0);
        for (int x = 0; x < w; ++x)
          if (value(x, y)) row[0] |= static_cast<uint8_t>(0x80 >> x);
      }
      for (int x = 0; x < w && k.bps != 1; ++x)
        for (int c = 0; c < k.spp; ++c) {
          const auto v = static_cast<uint8_t>(value(x, y) >> (16 - 8 * c));
          row.push_back(v);
          if (k.bps == 16) row.insert(row.end() - 1, v); // v * 257, either byte order
        }
      rows.push_back(row);
    }
    for (int o = 1; o <= 8; ++o) {
      SCOPED_TRACE(std::string(k.name) + " orientation " + std::to_string(o));
      const std::string path = LibTiff(
          "o.tif",
          [&](TIFF *t) {
            BasicTags(t, w, h, k.bps, k.spp, k.photometric, COMPRESSION_DEFLATE);
            TIFFSetField(t, TIFFTAG_ORIENTATION, o);
          },
          rows);
      const std::string ref = Magick(stored, std::string(kShow[o]) + " -compress none",
                                     std::string(k.name) + "_ref.tif");
      ASSERT_FALSE(ref.empty());
      Handle want = ReadPath(ref);
      ASSERT_TRUE(want);
      const kit::Dib r = want.View();
      const bool turned = o >= 5;
      ASSERT_EQ(r.width, turned ? h : w);
      IMGKIT_FILEINFO info{};
      ASSERT_TRUE(InfoPath(path, info));
      EXPECT_EQ(info.width, r.width);
      EXPECT_EQ(info.height, r.height);
      Handle got = ReadPath(path);
      ExpectPixels(got, r.width, r.height, [&](int x, int y) { return kittest::RgbAt(r, x, y); });
      if (k.bps == 1) {
        EXPECT_EQ(got.View().bpp, 1);
      }
    }
  }
}

TEST(TiffOrientation, ImageMagickShowsTaggedFilesTheSameWay) {
  const int w = 4, h = 3;
  const auto rows =
      Rows(h, w * 3, [](int y, size_t i) { return static_cast<uint8_t>(y * 60 + i * 17); });
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    const std::string path = LibTiff(
        "tagged.tif",
        [&](TIFF *t) {
          BasicTags(t, w, h, 8, 3, PHOTOMETRIC_RGB);
          TIFFSetField(t, TIFFTAG_ORIENTATION, o);
        },
        rows);
    const std::string ref = Magick(path, "-auto-orient -compress none", "auto.tif");
    ASSERT_FALSE(ref.empty());
    Handle want = ReadPath(ref);
    ASSERT_TRUE(want);
    const kit::Dib r = want.View();
    ExpectPixels(ReadPath(path), r.width, r.height,
                 [&](int x, int y) { return kittest::RgbAt(r, x, y); });
  }
}

TEST(TiffOrientation, TurnedThroughTheRgbaPathAndTiles) {
  // 8-bit CMYK goes through libtiff's RGBA interface: cyan top-left.
  const std::string cmyk = LibTiff("cmyk6.tif",
                                   [](TIFF *t) {
                                     BasicTags(t, 2, 1, 8, 4, PHOTOMETRIC_SEPARATED);
                                     TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
                                     TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_RIGHTTOP);
                                   },
                                   {{255, 0, 0, 0, 0, 0, 0, 255}});
  // Stored row (cyan, black) becomes the right-hand column, top to bottom.
  ExpectPixels(ReadPath(cmyk), 1, 2, [](int, int y) { return y ? 0u : 0x00ffffu; });

  // A tiled grey file, orientation 8 (a left turn): 20 x 18 in 16 x 16 tiles.
  const int w = 20, h = 18, tile = 16;
  const std::string path = Path("tiled8.tif");
  TIFF *t = TIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(t);
  BasicTags(t, w, h, 8, 1, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_TILEWIDTH, tile);
  TIFFSetField(t, TIFFTAG_TILELENGTH, tile);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_LEFTBOT);
  std::vector<uint8_t> buf(tile * tile);
  for (int ty = 0; ty < h; ty += tile)
    for (int tx = 0; tx < w; tx += tile) {
      for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x)
          buf[y * tile + x] = static_cast<uint8_t>((tx + x) * 7 + (ty + y) * 3);
      ASSERT_GE(TIFFWriteEncodedTile(t, TIFFComputeTile(t, tx, ty, 0, 0), buf.data(),
                                     static_cast<tmsize_t>(buf.size())),
                0);
    }
  TIFFClose(t);
  // A left turn: shown (x, y) is stored column w-1-y of row x.
  ExpectPixels(ReadPath(path), h, w,
               [&](int x, int y) { return Grey(static_cast<uint8_t>((w - 1 - y) * 7 + x * 3)); });
}

// ---- CIELab ------------------------------------------------------------------

// sRGB of a neutral of lightness L, computed from the definitions.
uint32_t NeutralOf(double l) {
  const double y = l > 8 ? std::pow((l + 16) / 116, 3) : l / 903.3;
  const double e = y <= 0.0031308 ? 12.92 * y : 1.055 * std::pow(y, 1 / 2.4) - 0.055;
  return Grey(static_cast<uint32_t>(std::floor(e * 255 + 0.5)));
}

TEST(TiffLab, WhiteIsWhiteAndGreysStayNeutral) {
  // 8 bits: L 0 ... 255 is 0 ... 100, a and b signed.
  const std::string lab8 =
      LibTiff("lab8.tif", [](TIFF *t) { BasicTags(t, 4, 1, 8, 3, PHOTOMETRIC_CIELAB); },
              {{255, 0, 0, 128, 0, 0, 0, 0, 0, 64, 0, 0}});
  ExpectPixels(ReadPath(lab8), 4, 1, [](int x, int) -> uint32_t {
    const double l[] = {100, 128 * 100.0 / 255, 0, 64 * 100.0 / 255};
    return NeutralOf(l[x]);
  });
  // 16 bits: L 0 ... 65535, a and b signed in 1/256.
  const std::string lab16 =
      LibTiff("lab16.tif", [](TIFF *t) { BasicTags(t, 2, 1, 16, 3, PHOTOMETRIC_CIELAB); },
              {Bytes<uint16_t>({65535, 0, 0, 32768, 0, 0})});
  ExpectPixels(ReadPath(lab16), 2, 1,
               [](int x, int) { return x ? NeutralOf(32768 * 100.0 / 65535) : 0xffffffu; });
  // ICC Lab: a and b carry an offset of 128.
  const std::string icc =
      LibTiff("icclab.tif", [](TIFF *t) { BasicTags(t, 1, 1, 8, 3, PHOTOMETRIC_ICCLAB); },
              {{255, 128, 128}});
  ExpectPixels(ReadPath(icc), 1, 1, [](int, int) { return 0xffffffu; });
}

TEST(TiffLab, JpegCompressedLabIsAdaptedToo) {
  // A white half and a mid-grey half, in blocks JPEG keeps exactly.
  const int w = 16, h = 16;
  const auto rows = Rows(h, w * 3, [](int, size_t i) -> uint8_t {
    return i % 3 ? 0 : i / 3 < 8 ? 255 : 128;
  });
  const std::string path = LibTiff(
      "labjpeg.tif",
      [](TIFF *t) {
        BasicTags(t, w, h, 8, 3, PHOTOMETRIC_CIELAB, COMPRESSION_JPEG);
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 100);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
      },
      rows);
  ASSERT_FALSE(path.empty());
  ExpectPixels(
      ReadPath(path), w, h,
      [](int x, int) { return x < 8 ? 0xffffffu : NeutralOf(128 * 100.0 / 255); }, 1);
}

// One row of 16-bit CIELab samples (L in 0 ... 65535, a and b in 1/256)
// from L*, a*, b* triples.
std::vector<uint8_t> Lab16Row(const double (&lab)[3][3]) {
  std::vector<uint8_t> row;
  for (const auto &c : lab) {
    const auto l = static_cast<uint16_t>(std::lround(c[0] * 65535 / 100));
    const auto a = static_cast<int16_t>(std::lround(c[1] * 256));
    const auto b = static_cast<int16_t>(std::lround(c[2] * 256));
    for (const auto &bytes : {Bytes<uint16_t>({l}), Bytes<int16_t>({a, b})})
      row.insert(row.end(), bytes.begin(), bytes.end());
  }
  return row;
}

TEST(TiffLab, SrgbPrimariesComeBack) {
  // sRGB red, green and blue in CIELab relative to D50 (Bradford-adapted).
  const double lab[3][3] = {
      {54.2917, 80.8125, 69.8851}, {87.8181, -79.2873, 80.9902}, {29.5676, 68.2874, -112.0294}};
  const std::vector<uint8_t> row = Lab16Row(lab);
  const std::string path =
      LibTiff("labrgb.tif", [](TIFF *t) { BasicTags(t, 3, 1, 16, 3, PHOTOMETRIC_CIELAB); }, {row});
  const uint32_t want[] = {0xff0000, 0x00ff00, 0x0000ff};
  ExpectPixels(
      ReadPath(path), 3, 1, [&](int x, int) { return want[x]; }, 2);
}

TEST(TiffLab, ImageMagicksGreysStayNeutral) {
  // ImageMagick writes its Lab relative to D65 without naming the white
  // point, so only its neutrals agree with a D50 reading; at 8 bits it
  // stores them with a = b = -2, so only its 16-bit files are compared.
  const std::string src =
      Netpbm("labgrey.ppm", 64, 4, false, [](int x, int y) { return Grey(uint32_t(x * 4 + y)); });
  const std::string path = Magick(src, "-colorspace Lab -depth 16 -compress zip", "magick_lab.tif");
  ASSERT_FALSE(path.empty());
  ExpectPixels(
      ReadPath(path), 64, 4, [](int x, int y) { return Grey(uint32_t(x * 4 + y)); }, 1);
}

TEST(TiffLab, TheFilesWhitePointIsHonoured) {
  // sRGB red, green and blue in CIELab relative to D65, with the white
  // point named: no adaptation is left to do.
  const double lab[3][3] = {
      {53.2408, 80.0925, 67.2032}, {87.7347, -86.1827, 83.1793}, {32.2970, 79.1875, -107.8602}};
  const std::vector<uint8_t> row = Lab16Row(lab);
  float d65[2] = {0.3127f, 0.3290f};
  const std::string path = LibTiff("labd65.tif",
                                   [&](TIFF *t) {
                                     BasicTags(t, 3, 1, 16, 3, PHOTOMETRIC_CIELAB);
                                     TIFFSetField(t, TIFFTAG_WHITEPOINT, d65);
                                   },
                                   {row});
  const uint32_t want[] = {0xff0000, 0x00ff00, 0x0000ff};
  ExpectPixels(
      ReadPath(path), 3, 1, [&](int x, int) { return want[x]; }, 2);
}

// ---- deep, signed and floating-point samples --------------------------------

TEST(TiffSamples, TwelveBitGreyAndRgbFollowTheRule) {
  // Twelve-bit samples packed most significant bit first.
  const uint16_t v[6] = {0, 4095, 2048, 2047, 8, 9};
  std::vector<uint8_t> packed(9);
  for (int i = 0; i < 6; ++i)
    for (int b = 0; b < 12; ++b)
      if (v[i] >> (11 - b) & 1)
        packed[(i * 12 + b) / 8] |= static_cast<uint8_t>(0x80 >> ((i * 12 + b) % 8));
  const std::string grey = LibTiff(
      "g12.tif", [](TIFF *t) { BasicTags(t, 6, 1, 12, 1, PHOTOMETRIC_MINISBLACK); }, {packed});
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(InfoPath(grey, info));
  EXPECT_EQ(info.bitCount, 8);
  const uint32_t g8[6] = {0, 255, 128, 127, 0, 1}; // 127.53, 127.47, 0.498, 0.56
  ExpectPixels(ReadPath(grey), 6, 1, [&](int x, int) { return Grey(g8[x]); });
  const std::string rgb = LibTiff(
      "rgb12.tif", [](TIFF *t) { BasicTags(t, 2, 1, 12, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW); },
      {packed});
  ExpectPixels(ReadPath(rgb), 2, 1,
               [&](int x, int) { return g8[3 * x] << 16 | g8[3 * x + 1] << 8 | g8[3 * x + 2]; });
}

TEST(TiffSamples, ThirtyTwoBitIntegersInBothByteOrders) {
  // 0x80000000 is 127.50000003, 0x7fffffff 127.49999997.
  const auto grey = Bytes<uint32_t>({0, 0xffffffffu, 0x80000000u, 0x7fffffffu, 0x01010101u});
  const uint32_t want[5] = {0, 255, 128, 127, 1};
  for (const char *mode : {"w", "wb"}) {
    SCOPED_TRACE(mode);
    const std::string g = LibTiff(
        "g32.tif", [](TIFF *t) { BasicTags(t, 5, 1, 32, 1, PHOTOMETRIC_MINISBLACK); }, {grey}, 1,
        mode);
    ExpectPixels(ReadPath(g), 5, 1, [&](int x, int) { return Grey(want[x]); });
    const std::string rgb = LibTiff(
        "rgb32.tif",
        [](TIFF *t) {
          BasicTags(t, 1, 1, 32, 3, PHOTOMETRIC_RGB, COMPRESSION_DEFLATE);
          TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        },
        {Bytes<uint32_t>({0xffffffffu, 0x80000000u, 0x7fffffffu})}, 1, mode);
    ExpectPixels(ReadPath(rgb), 1, 1, [](int, int) { return 0xff807fu; });
  }
}

TEST(TiffSamples, SixteenBitGreyFollowsTheRule) {
  std::vector<uint16_t> all(65536);
  for (int i = 0; i < 65536; ++i)
    all[i] = static_cast<uint16_t>(i);
  std::vector<uint8_t> row(all.size() * 2);
  std::memcpy(row.data(), all.data(), row.size());
  const std::string path = LibTiff(
      "g16.tif",
      [](TIFF *t) {
        BasicTags(t, 256, 256, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 256);
      },
      Rows(256, 512, [&](int y, size_t i) { return row[y * 512 + i]; }));
  ExpectPixels(ReadPath(path), 256, 256,
               [](int x, int y) { return Grey(Rule(y * 256 + x, 65535)); });
}

TEST(TiffSamples, SignedSamplesAreShiftedByHalfTheirRange) {
  // -32768 ... 32767 as 0 ... 255: 0 reads as mid-grey (32768 of 65535).
  const std::string s16 = LibTiff("s16.tif",
                                  [](TIFF *t) {
                                    BasicTags(t, 5, 1, 16, 1, PHOTOMETRIC_MINISBLACK);
                                    SampleFormat(t, SAMPLEFORMAT_INT);
                                  },
                                  {Bytes<int16_t>({-32768, -1, 0, 32767, -16384})});
  const uint32_t want[5] = {0, 127, 128, 255, Rule(16384, 65535)};
  ExpectPixels(ReadPath(s16), 5, 1, [&](int x, int) { return Grey(want[x]); });

  const std::string s8 = LibTiff("s8rgb.tif",
                                 [](TIFF *t) {
                                   BasicTags(t, 1, 1, 8, 3, PHOTOMETRIC_RGB);
                                   SampleFormat(t, SAMPLEFORMAT_INT);
                                 },
                                 {Bytes<int8_t>({-128, 0, 127})});
  ExpectPixels(ReadPath(s8), 1, 1, [](int, int) { return 0x0080ffu; });

  const std::string s32 = LibTiff(
      "s32.tif",
      [](TIFF *t) {
        BasicTags(t, 3, 1, 32, 1, PHOTOMETRIC_MINISBLACK);
        SampleFormat(t, SAMPLEFORMAT_INT);
      },
      {Bytes<int32_t>(
          {std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max()})},
      1, "wb");
  ExpectPixels(ReadPath(s32), 3, 1, [](int x, int) {
    return Grey(x == 0 ? 0 : x == 1 ? 128 : 255);
  });
}

TEST(TiffSamples, FloatingPointWithAndWithoutItsPredictor) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto f32 = Bytes<float>({0.0f, 0.5f, 1.0f, 1.5f, -0.25f, nan, 0.25f, 0.001f});
  const uint32_t want[8] = {0, 128, 255, 255, 0, 0, 64, 0};
  for (int predictor : {PREDICTOR_NONE, PREDICTOR_FLOATINGPOINT}) {
    for (const char *mode : {"w", "wb"}) {
      // This libtiff (4.5) does not round-trip big-endian files with the
      // floating-point predictor on its own, so there is no reference.
      if (predictor == PREDICTOR_FLOATINGPOINT && mode[1] == 'b') continue;
      SCOPED_TRACE(std::to_string(predictor) + mode);
      const std::string path = LibTiff(
          "f32.tif",
          [&](TIFF *t) {
            BasicTags(t, 8, 2, 32, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE);
            SampleFormat(t, SAMPLEFORMAT_IEEEFP);
            TIFFSetField(t, TIFFTAG_PREDICTOR, predictor);
          },
          {f32, f32}, 1, mode);
      ExpectPixels(ReadPath(path), 8, 2, [&](int x, int) { return Grey(want[x]); });
    }
  }
  // 64-bit RGB with the predictor, separate planes.
  const std::string rgb = LibTiff(
      "f64.tif",
      [](TIFF *t) {
        BasicTags(t, 2, 1, 64, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW);
        SampleFormat(t, SAMPLEFORMAT_IEEEFP);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_FLOATINGPOINT);
      },
      {Bytes<double>({1.0, 0.2}), Bytes<double>({0.5, 2.0}), Bytes<double>({0.0, -1.0})}, 3);
  ExpectPixels(ReadPath(rgb), 2, 1, [](int x, int) { return x ? 0x33ff00u : 0xff8000u; });
}

TEST(TiffSamples, SixteenBitCmykAsLibtiffTurnsEightBitCmyk) {
  // C, M, Y, K: cyan; half black; white; a mix, reduced first, then
  // r = (255 - k) * (255 - c) / 255 truncated.
  const std::string path = LibTiff(
      "cmyk16.tif",
      [](TIFF *t) {
        BasicTags(t, 4, 1, 16, 4, PHOTOMETRIC_SEPARATED);
        TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
      },
      {Bytes<uint16_t>({65535, 0, 0, 0, 0, 0, 0, 32768, 0, 0, 0, 0, 12850, 25700, 38550, 6425})});
  // 12850 -> 50, 25700 -> 100, 38550 -> 150, 6425 -> 25; k = 230.
  const uint32_t want[4] = {0x00ffff, Grey(127), 0xffffff,
                            (230u * 205 / 255) << 16 | (230u * 155 / 255) << 8 |
                                (230u * 105 / 255)};
  ExpectPixels(ReadPath(path), 4, 1, [&](int x, int) { return want[x]; });
}

TEST(TiffSamples, SixteenBitColourMapFollowsTheRule) {
  std::vector<uint16_t> r(256), g(256), b(256);
  for (int i = 0; i < 256; ++i) {
    r[i] = static_cast<uint16_t>(i * 257);                        // exactly i
    g[i] = static_cast<uint16_t>(std::min(i * 257 + 128, 65535)); // i + 0.498
    b[i] = static_cast<uint16_t>((i * 40503 + 77) & 0xffff);      // anywhere
  }
  r[1] = 0x7f7f; // 127.00 - above 255, so the map is a 16-bit one
  const std::string path = LibTiff(
      "pal16.tif",
      [&](TIFF *t) {
        BasicTags(t, 16, 16, 8, 1, PHOTOMETRIC_PALETTE);
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
      },
      Rows(16, 16, [](int y, size_t x) { return static_cast<uint8_t>(y * 16 + x); }));
  Handle img = ReadPath(path);
  ASSERT_TRUE(img);
  const kit::Dib d = img.View();
  ASSERT_EQ(d.bpp, 8);
  for (int i = 0; i < 256; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d.palette[i].r, Rule(r[i], 65535));
    EXPECT_EQ(d.palette[i].g, Rule(g[i], 65535));
    EXPECT_EQ(d.palette[i].b, Rule(b[i], 65535));
  }
  EXPECT_EQ(d.palette[1].r, 127);
  EXPECT_EQ(d.palette[200].g, 200);
}

TEST(TiffSamples, LogLuvStillGoesThroughLibtiff) {
  // Floating-point XYZ samples that libtiff itself turns into colour: the
  // D65 white and a darker neutral.
  const std::string path =
      LibTiff("logluv.tif",
              [](TIFF *t) {
                BasicTags(t, 2, 1, 32, 3, PHOTOMETRIC_LOGLUV, COMPRESSION_SGILOG);
                SampleFormat(t, SAMPLEFORMAT_IEEEFP);
                TIFFSetField(t, TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_FLOAT);
              },
              {Bytes<float>({0.9505f, 1.0f, 1.089f, 0.19f, 0.2f, 0.218f})});
  ASSERT_FALSE(path.empty());
  Handle img = ReadPath(path);
  ASSERT_TRUE(img);
  const kit::Dib d = img.View();
  const uint32_t white = kittest::RgbAt(d, 0, 0), grey = kittest::RgbAt(d, 1, 0);
  for (int s = 0; s < 24; s += 8) {
    EXPECT_GE(white >> s & 255, 200u);
    EXPECT_LT(grey >> s & 255, white >> s & 255);
  }
}

TEST(TiffSamples, HalfFloatsAndSignedThreeByteSamples) {
  // 0, 0.5, 1, 2, -0.25, NaN, 0.25, the smallest subnormal, infinity.
  const auto half =
      Bytes<uint16_t>({0x0000, 0x3800, 0x3c00, 0x4000, 0xb400, 0x7e00, 0x3400, 0x0001, 0x7c00});
  const uint32_t want[9] = {0, 128, 255, 255, 0, 0, 64, 0, 255};
  for (int predictor : {PREDICTOR_NONE, PREDICTOR_FLOATINGPOINT}) {
    SCOPED_TRACE(predictor);
    const std::string path =
        LibTiff("f16.tif",
                [&](TIFF *t) {
                  BasicTags(t, 9, 1, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE);
                  SampleFormat(t, SAMPLEFORMAT_IEEEFP);
                  TIFFSetField(t, TIFFTAG_PREDICTOR, predictor);
                },
                {half});
    ExpectPixels(ReadPath(path), 9, 1, [&](int x, int) { return Grey(want[x]); });
  }
  // Signed 24-bit: the lowest, -1, 0, the highest and a quarter up.
  std::vector<uint8_t> s24;
  for (int32_t v : {-8388608, -1, 0, 8388607, 2097152}) {
    const auto u = static_cast<uint32_t>(v);
    s24.insert(s24.end(), {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                           static_cast<uint8_t>(u >> 16)});
  }
  for (const char *mode : {"w", "wb"}) {
    SCOPED_TRACE(mode);
    const std::string path = LibTiff(
        "s24.tif",
        [](TIFF *t) {
          BasicTags(t, 5, 1, 24, 1, PHOTOMETRIC_MINISBLACK);
          SampleFormat(t, SAMPLEFORMAT_INT);
        },
        {s24}, 1, mode);
    const uint32_t s24want[5] = {0, 127, 128, 255, Rule(8388608 + 2097152, 16777215)};
    ExpectPixels(ReadPath(path), 5, 1, [&](int x, int) { return Grey(s24want[x]); });
  }
}

TEST(TiffSamples, AlphaAtEveryDepthIsCompositedOnWhiteBeforeTheReduction) {
  // Grey g with alpha a of 0 ... max: associated gives g + max - a,
  // unassociated (g * a + max * (max - a)) / max, then the rule. 16-bit
  // samples are composited before they are reduced.
  auto composite = [](uint64_t g, uint64_t a, bool associated, double max) {
    const double m = max;
    return associated ? Rule(std::min<double>(g + max - a, m), m)
                      : Rule(static_cast<double>(g * a) + m * (m - a), m * m);
  };
  const uint16_t unassociated = EXTRASAMPLE_UNASSALPHA, associated = EXTRASAMPLE_ASSOCALPHA;
  for (uint16_t kind : {unassociated, associated}) {
    for (int planar : {PLANARCONFIG_CONTIG, PLANARCONFIG_SEPARATE}) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::to_string(planar));
      const bool assoc = kind == associated;
      // 16-bit: a value whose reduction first would be one level off,
      // white transparent, an opaque grey.
      const uint16_t g16[3] = {12345, 0xffff, 0x1234}, a16[3] = {54321, 0, 65535};
      std::vector<std::vector<uint8_t>> rows;
      if (planar == PLANARCONFIG_CONTIG) {
        rows.push_back(Bytes<uint16_t>({g16[0], a16[0], g16[1], a16[1], g16[2], a16[2]}));
      } else {
        rows.push_back(Bytes<uint16_t>({g16[0], g16[1], g16[2]}));
        rows.push_back(Bytes<uint16_t>({a16[0], a16[1], a16[2]}));
      }
      const std::string path = LibTiff(
          "ga16.tif",
          [&](TIFF *t) {
            BasicTags(t, 3, 1, 16, 2, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW);
            TIFFSetField(t, TIFFTAG_PLANARCONFIG, planar);
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
          },
          rows, planar == PLANARCONFIG_CONTIG ? 1 : 2);
      ExpectPixels(ReadPath(path), 3, 1,
                   [&](int x, int) { return Grey(composite(g16[x], a16[x], assoc, 65535)); });
    }
  }
  // 32-bit float grey with unassociated alpha, white is zero.
  const std::string fp = LibTiff("gaf.tif",
                                 [&](TIFF *t) {
                                   BasicTags(t, 2, 1, 32, 2, PHOTOMETRIC_MINISWHITE);
                                   SampleFormat(t, SAMPLEFORMAT_IEEEFP);
                                   TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &unassociated);
                                 },
                                 {Bytes<float>({0.25f, 1.0f, 1.0f, 0.5f})});
  // 0.25 white-is-zero is 191 opaque; full ink at half alpha is 127.5 over white.
  ExpectPixels(ReadPath(fp), 2, 1,
               [&](int x, int) { return Grey(x ? composite(0, 1, false, 2) : 191); });
  // 16-bit colour the same way: one pixel whose red would be a level off
  // if reduced before compositing.
  const std::string rgb = LibTiff("rgba16.tif",
                                  [&](TIFF *t) {
                                    BasicTags(t, 1, 1, 16, 4, PHOTOMETRIC_RGB);
                                    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &unassociated);
                                  },
                                  {Bytes<uint16_t>({12345, 65535, 0, 54321})});
  ExpectPixels(ReadPath(rgb), 1, 1, [&](int, int) {
    return composite(12345, 54321, false, 65535) << 16 | 255u << 8 |
           composite(0, 54321, false, 65535);
  });
  // An extra sample of unknown meaning is left out.
  const uint16_t unspecified = EXTRASAMPLE_UNSPECIFIED;
  const std::string other = LibTiff("gx.tif",
                                    [&](TIFF *t) {
                                      BasicTags(t, 1, 1, 12, 2, PHOTOMETRIC_MINISBLACK);
                                      TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &unspecified);
                                    },
                                    {{0xff, 0xf0, 0x00}});
  ExpectPixels(ReadPath(other), 1, 1, [](int, int) { return 0xffffffu; });
}

TEST(TiffSamples, UnknownSampleKindsAreStillRefused) {
  // 12-bit signed samples, complex integers and 128-bit floats have no
  // conversion.
  for (auto [bps, format] : {std::pair{12, SAMPLEFORMAT_INT}, std::pair{8, SAMPLEFORMAT_COMPLEXINT},
                             std::pair{128, SAMPLEFORMAT_IEEEFP}}) {
    SCOPED_TRACE(bps);
    const std::string path = LibTiff("odd.tif",
                                     [&](TIFF *t) {
                                       BasicTags(t, 2, 1, bps, 1, PHOTOMETRIC_MINISBLACK);
                                       SampleFormat(t, format);
                                     },
                                     {std::vector<uint8_t>(32, 0x40)});
    if (path.empty()) continue; // libtiff would not write it either
    EXPECT_FALSE(ReadPath(path));
    IMGKIT_FILEINFO info{};
    EXPECT_FALSE(InfoPath(path, info));
  }
}

} // namespace
