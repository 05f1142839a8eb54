// Corners of the shipped plug-ins that no common writer makes: GIF pictures
// that reach past their logical screen, LZW code sizes giflib refuses, and
// 16-bit PNG samples against the rounding rule.
#include "image/Kit.h"
#include "spi_test_util.h"

#include <QImage>
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace spitest;

namespace {

// ---- a GIF maker ---------------------------------------------------------------

// The four colours of every GIF made here: red, green, blue, black.
const QRgb kColours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)};

void Put16(std::vector<uint8_t> &out, int v) {
  out.push_back(static_cast<uint8_t>(v & 0xff));
  out.push_back(static_cast<uint8_t>(v >> 8 & 0xff));
}

struct GifPicture {
  int screenWidth, screenHeight;
  int left, top, width, height;
  bool interlaced = false;
  int codeSize = 2; // the LZW minimum code size written
  // Colour index of picture pixel (x, y).
  int Index(int x, int y) const { return (x + 2 * y) % 4; }
};

// One picture with a global table of four colours, its LZW data written
// as 3-bit literal codes with a clear code after every two.
std::vector<uint8_t> MakeGif(const GifPicture &g) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, g.screenWidth);
  Put16(out, g.screenHeight);
  out.insert(out.end(), {0x91, 0, 0}); // global table of 4, background 0
  for (QRgb c : kColours)
    out.insert(out.end(), {static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                           static_cast<uint8_t>(qBlue(c))});
  out.push_back(0x2c);
  Put16(out, g.left);
  Put16(out, g.top);
  Put16(out, g.width);
  Put16(out, g.height);
  out.push_back(g.interlaced ? 0x40 : 0);
  out.push_back(static_cast<uint8_t>(g.codeSize));

  std::vector<int> rows;
  if (g.interlaced) {
    for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
      for (int y = start; y < g.height; y += step)
        rows.push_back(y);
  } else {
    for (int y = 0; y < g.height; ++y)
      rows.push_back(y);
  }
  std::vector<uint8_t> data;
  uint32_t acc = 0;
  int bits = 0;
  auto code = [&](int c) {
    acc |= static_cast<uint32_t>(c) << bits;
    for (bits += 3; bits >= 8; bits -= 8, acc >>= 8)
      data.push_back(static_cast<uint8_t>(acc & 0xff));
  };
  int sinceClear = 2;
  for (int y : rows)
    for (int x = 0; x < g.width; ++x) {
      if (sinceClear == 2) code(4), sinceClear = 0;
      code(g.Index(x, y));
      ++sinceClear;
    }
  code(5);
  if (bits) data.push_back(static_cast<uint8_t>(acc & 0xff));
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
               data.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  out.insert(out.end(), {0, 0x3b});
  return out;
}

class ShippedCorners : public ::testing::Test {
protected:
  void SetUp() override { loader.LoadPlugins(ProgramFolder()); }

  // The plug-in's info and picture of `bytes` from memory; the picture in
  // 24 bits, null when GetPicture refused.
  QImage Read(const char *plugin, const std::vector<uint8_t> &bytes, SPI_PICTUREINFO &info,
              int &infoResult) {
    const TSpi_plugin *p = PluginNamed(loader, plugin);
    EXPECT_NE(p, nullptr);
    if (!p) return {};
    const char *buf = reinterpret_cast<const char *>(bytes.data());
    const auto len = static_cast<intptr_t>(bytes.size());
    info = SPI_PICTUREINFO{};
    infoResult = p->GetPictureInfo(buf, len, SPI_INPUT_MEMORY, &info);
    void *header = nullptr;
    void *bits = nullptr;
    if (p->GetPicture(buf, len, SPI_INPUT_MEMORY, &header, &bits, nullptr, 0) != SPI_ALL_RIGHT) {
      EXPECT_EQ(header, nullptr);
      EXPECT_EQ(bits, nullptr);
      return {};
    }
    SPI_BITMAPINFOHEADER h;
    std::memcpy(&h, header, sizeof h);
    QImage out;
    const int rc =
        TransferPluginPicture(header, malloc_usable_size(header), bits, malloc_usable_size(bits),
                              h.biWidth, std::abs(h.biHeight), out);
    std::free(header);
    std::free(bits);
    EXPECT_EQ(rc, 0);
    return FullColourBitmap(out).convertToFormat(QImage::Format_RGB32);
  }

  // Each pixel of the screen: the picture's where it lies, white elsewhere.
  void ExpectScreen(const GifPicture &g, const QImage &pic) {
    ASSERT_EQ(pic.size(), QSize(g.screenWidth, g.screenHeight));
    for (int y = 0; y < g.screenHeight; ++y)
      for (int x = 0; x < g.screenWidth; ++x) {
        const int px = x - g.left, py = y - g.top;
        const bool inside = px >= 0 && py >= 0 && px < g.width && py < g.height;
        ASSERT_EQ(pic.pixel(x, y), inside ? kColours[g.Index(px, py)] : qRgb(255, 255, 255))
            << x << "," << y;
      }
  }

  TSpiload loader;
};

TEST_F(ShippedCorners, GifMakerControlInsideTheScreen) {
  const GifPicture g{10, 8, 2, 3, 5, 4};
  SPI_PICTUREINFO info;
  int rc;
  const QImage pic = Read("ifgif.spi", MakeGif(g), info, rc);
  ASSERT_EQ(rc, SPI_ALL_RIGHT);
  ExpectScreen(g, pic);
}

TEST_F(ShippedCorners, GifPicturesAreClippedToTheScreen) {
  const GifPicture cases[] = {
      {10, 8, 8, 6, 4, 3},         // past the right and bottom edges
      {100, 100, 60, 10, 240, 20}, // three times as wide as the screen
      {32, 32, 0, 58096, 32, 32},  // wholly below the screen
      {32, 32, 40000, 0, 8, 8},    // wholly right of it
      {5, 5, 3, 0, 3, 9, true},    // interlaced, clipped on two sides
      {6, 4, 0, 2, 6, 19, true},   // interlaced, most rows below
  };
  for (const GifPicture &g : cases) {
    SCOPED_TRACE(std::to_string(g.left) + "," + std::to_string(g.top) + " " +
                 std::to_string(g.width) + "x" + std::to_string(g.height));
    SPI_PICTUREINFO info;
    int rc;
    const QImage pic = Read("ifgif.spi", MakeGif(g), info, rc);
    ASSERT_EQ(rc, SPI_ALL_RIGHT);
    EXPECT_EQ(info.width, g.screenWidth);
    EXPECT_EQ(info.height, g.screenHeight);
    ExpectScreen(g, pic);
  }
}

TEST_F(ShippedCorners, GifWithoutAScreenSizeShowsThePicture) {
  GifPicture g{0, 0, 1, 2, 3, 2};
  SPI_PICTUREINFO info;
  int rc;
  const QImage pic = Read("ifgif.spi", MakeGif(g), info, rc);
  ASSERT_EQ(rc, SPI_ALL_RIGHT);
  g.screenWidth = 4, g.screenHeight = 4;
  ExpectScreen(g, pic);
}

TEST_F(ShippedCorners, GifLzwCodeSizesGiflibRefusesAreRefusals) {
  for (int size : {9, 11, 12, 255}) {
    SCOPED_TRACE(size);
    GifPicture g{6, 4, 0, 0, 6, 4};
    g.codeSize = size;
    SPI_PICTUREINFO info;
    int rc;
    const QImage pic = Read("ifgif.spi", MakeGif(g), info, rc);
    EXPECT_NE(rc, SPI_ALL_RIGHT);
    EXPECT_TRUE(pic.isNull());
  }
}

// ---- 16-bit PNG ------------------------------------------------------------------

// The rule, written independently of the plug-in.
int Rule(int v) { return static_cast<int>(std::floor(v * 255.0 / 65535 + 0.5)); }

// Sample `i` of the test pictures: the values just either side of every
// half step, and spread values in between.
int Sample(int i) {
  const int k = (i / 3) % 256;
  switch (i % 3) {
  case 0: return std::min(k * 257 + 128, 65535); // k + 0.498
  case 1: return std::min(k * 257 + 129, 65535); // k + 0.502
  default: return (i * 40503 + 77) & 0xffff;
  }
}

TEST_F(ShippedCorners, SixteenBitPngFollowsTheRule) {
  if (RunCommand("convert -version 2>/dev/null").empty()) GTEST_SKIP() << "no ImageMagick";
  TempDir dir;
  const int w = 48, h = 32;
  // A 16-bit PPM (big-endian samples) for ImageMagick to turn into PNG.
  std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n65535\n";
  for (int i = 0; i < w * h * 3; ++i) {
    ppm += static_cast<char>(Sample(i) >> 8);
    ppm += static_cast<char>(Sample(i) & 0xff);
  }
  const std::string src = dir.File("src.ppm");
  WriteBytes(src, std::vector<uint8_t>(ppm.begin(), ppm.end()));
  const struct {
    const char *name, *options, *format;
    bool grey;
  } kinds[] = {{"rgb16.png", "", "PNG48", false},
               {"rgba16.png", "-alpha opaque", "PNG64", false},
               {"grey16.png",
                "-channel R -separate -define png:bit-depth=16 -define png:color-type=0", "PNG",
                true}};
  for (const auto &k : kinds) {
    SCOPED_TRACE(k.name);
    const std::string path = dir.File(k.name);
    RunCommand("convert '" + src + "' " + k.options + " '" + k.format + ":" + path + "' 2>&1");
    SPI_PICTUREINFO info;
    int rc;
    const QImage pic = Read("ifpng.spi", ReadBytes(path), info, rc);
    ASSERT_EQ(pic.size(), QSize(w, h));
    int differ = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int i = (y * w + x) * 3;
        const QRgb got = pic.pixel(x, y);
        const QRgb want = k.grey ? qRgb(Rule(Sample(i)), Rule(Sample(i)), Rule(Sample(i)))
                                 : qRgb(Rule(Sample(i)), Rule(Sample(i + 1)), Rule(Sample(i + 2)));
        differ += got != want;
      }
    EXPECT_EQ(differ, 0);
  }
}

} // namespace
