// The plug-ins shipped in the program folder (PNG, GIF, WebP) on files
// made here by ImageMagick, each compared with ImageMagick's own reading
// of the file laid over white.
#include "image/Kit.h"
#include "spi_test_util.h"

#include <QImage>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace spitest;

namespace {

bool HaveImageMagick() {
  static const bool have = !RunCommand("convert -version 2>/dev/null").empty();
  return have;
}

// ImageMagick's picture of the file's first frame over white, as RGB888.
QImage ImageMagickPicture(const std::string &path, int width, int height) {
  const std::string raw =
      RunCommand("convert '" + path + "[0]' -background white -flatten -alpha off -depth 8 rgb:-");
  if (raw.size() != static_cast<size_t>(width) * height * 3) return {};
  QImage img(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    std::copy(raw.begin() + static_cast<std::ptrdiff_t>(y) * width * 3,
              raw.begin() + static_cast<std::ptrdiff_t>(y + 1) * width * 3, img.scanLine(y));
  return img;
}

int LargestDifference(const QImage &a, const QImage &b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q))});
    }
  return worst;
}

class ShippedPlugins : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    loader.LoadPlugins(ProgramFolder());
  }

  // Makes `name` with the command (%s is the path); empty when it failed.
  std::string Make(const std::string &name, const std::string &command) {
    const std::string path = dir.File(name);
    std::string cmd = command;
    cmd.replace(cmd.find("%s"), 2, "'" + path + "'");
    RunCommand(cmd + " 2>&1");
    return std::filesystem::exists(path) ? path : std::string();
  }

  TempDir dir;
  TSpiload loader;
};

TEST_F(ShippedPlugins, AllThreeAreInTheProgramFolder) {
  for (const char *name : {"ifpng.spi", "ifgif.spi", "ifwebp.spi"}) {
    const TSpi_plugin *p = PluginNamed(loader, name);
    ASSERT_NE(p, nullptr) << name;
    EXPECT_NE(p->GetPictureInfo, nullptr);
    auto info = reinterpret_cast<decltype(&::GetPluginInfo)>(dlsym(p->module, "GetPluginInfo"));
    ASSERT_NE(info, nullptr);
    char text[8];
    EXPECT_EQ(info(0, text, sizeof text), 4);
    EXPECT_STREQ(text, "00IN");
    EXPECT_EQ(info(99, text, sizeof text), 0);
  }
}

struct Made {
  const char *name;
  const char *command;
  const char *plugin;
  int depth;     // what GetPictureInfo reports
  int tolerance; // against ImageMagick: rounding of alpha and 16-bit samples
};

const Made kFiles[] = {
    {"rgb.png", "convert -size 7x5 gradient:red-blue PNG24:%s", "ifpng.spi", 24, 0},
    {"rgba.png", "convert -size 7x5 gradient:'rgba(255,0,0,1)'-'rgba(0,0,255,0.2)' PNG32:%s",
     "ifpng.spi", 24, 1},
    {"palette.png", "convert -size 9x5 gradient:red-blue -colors 12 PNG8:%s", "ifpng.spi", 8, 0},
    {"palette_transparent.png",
     "convert -size 9x5 xc:red -fill blue -draw 'rectangle 0,0 3,2' -transparent red PNG8:%s",
     "ifpng.spi", 24, 0},
    {"grey8.png",
     "convert -size 7x5 gradient:black-white -colorspace Gray -define png:color-type=0 "
     "-define png:bit-depth=8 %s",
     "ifpng.spi", 8, 0},
    {"grey2.png",
     "convert -size 7x5 gradient:black-white -colorspace Gray -depth 2 -define png:color-type=0 "
     "-define png:bit-depth=2 %s",
     "ifpng.spi", 8, 0},
    {"grey16.png",
     "convert -size 7x5 gradient:black-white -colorspace Gray -depth 16 -define png:color-type=0 "
     "-define png:bit-depth=16 %s",
     "ifpng.spi", 8, 1},
    {"grey_alpha.png",
     "convert -size 7x5 gradient:black-white -colorspace Gray -alpha set -channel A -evaluate set "
     "40% +channel -define png:color-type=4 %s",
     "ifpng.spi", 24, 1},
    {"rgb16.png", "convert -size 7x5 gradient:red-blue -depth 16 PNG48:%s", "ifpng.spi", 24, 1},
    {"rgba16.png",
     "convert -size 7x5 gradient:'rgba(255,0,0,1)'-'rgba(0,0,255,0.3)' -depth 16 PNG64:%s",
     "ifpng.spi", 24, 1},
    {"interlaced.png", "convert -size 13x11 gradient:red-blue -interlace PNG PNG24:%s", "ifpng.spi",
     24, 0},
    {"interlaced_palette.png",
     "convert -size 13x11 gradient:red-blue -colors 8 -interlace PNG PNG8:%s", "ifpng.spi", 8, 0},
    {"plain.gif", "convert -size 9x5 gradient:red-blue -colors 16 %s", "ifgif.spi", 8, 0},
    {"interlaced.gif", "convert -size 13x11 gradient:red-blue -colors 16 -interlace GIF %s",
     "ifgif.spi", 8, 0},
    {"transparent.gif",
     "convert -size 9x5 xc:red -fill blue -draw 'rectangle 0,0 3,2' -transparent red %s",
     "ifgif.spi", 8, 0},
    {"offset_frame.gif", "convert -size 4x3 xc:red -repage 10x8+2+3 %s", "ifgif.spi", 8, 0},
    {"animated.gif", "convert -delay 10 -size 6x4 xc:red xc:blue %s", "ifgif.spi", 8, 0},
    {"lossless.webp", "convert -size 7x5 gradient:red-blue -define webp:lossless=true %s",
     "ifwebp.spi", 24, 0},
    {"alpha.webp",
     "convert -size 7x5 gradient:'rgba(255,0,0,1)'-'rgba(0,0,255,0.2)' -define "
     "webp:lossless=true %s",
     "ifwebp.spi", 24, 1},
    {"lossy.webp", "convert -size 16x16 gradient:red-blue -quality 90 %s", "ifwebp.spi", 24, 2},
    {"animated.webp", "convert -delay 10 -size 6x4 xc:red xc:blue %s", "ifwebp.spi", 24, 1},
};

TEST_F(ShippedPlugins, ReadWhatImageMagickWritesAsImageMagickReadsIt) {
  for (const Made &m : kFiles) {
    SCOPED_TRACE(m.name);
    const std::string path = Make(m.name, m.command);
    ASSERT_FALSE(path.empty()) << m.command;
    ASSERT_TRUE(loader.Probe(path));
    EXPECT_EQ(std::filesystem::path(loader.ChosenPlugin()->fileName).filename(), m.plugin);
    ASSERT_TRUE(loader.Decode());
    EXPECT_EQ(loader.ColourDepth(), m.depth);
    const QImage ours = FullColourBitmap(loader.Bitmap());
    const QImage theirs = ImageMagickPicture(path, ours.width(), ours.height());
    ASSERT_FALSE(theirs.isNull()) << "size " << ours.width() << "x" << ours.height();
    EXPECT_LE(LargestDifference(ours, theirs), m.tolerance);
    loader.Release();
  }
}

TEST_F(ShippedPlugins, TransparencyIsWhiteAndFramesSitOnTheirCanvas) {
  const std::string gif = Make("t.gif", "convert -size 4x3 xc:red -repage 10x8+2+3 %s");
  ASSERT_TRUE(loader.Probe(gif) && loader.Decode());
  const QImage pic = loader.Bitmap().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(pic.size(), QSize(10, 8));
  EXPECT_EQ(pic.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(pic.pixel(2, 3), qRgb(255, 0, 0));
  EXPECT_EQ(pic.pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(pic.pixel(6, 6), qRgb(255, 255, 255));

  const std::string png =
      Make("t.png", "convert -size 2x1 xc:none -fill blue -draw 'point 1,0' PNG32:%s");
  ASSERT_TRUE(loader.Probe(png) && loader.Decode());
  const QImage p = FullColourBitmap(loader.Bitmap()).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(p.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(p.pixel(1, 0), qRgb(0, 0, 255));
}

TEST_F(ShippedPlugins, FilesAreClaimedByContentNotByName) {
  const std::string png = Make("a.png", "convert -size 3x3 xc:red PNG24:%s");
  const std::string gif = Make("a.gif", "convert -size 3x3 xc:red %s");
  const std::string webp = Make("a.webp", "convert -size 3x3 xc:red %s");
  const struct {
    std::string from;
    const char *to;
    const char *plugin;
  } renamed[] = {{png, "png.gif", "ifpng.spi"},
                 {gif, "gif.webp", "ifgif.spi"},
                 {webp, "webp.png", "ifwebp.spi"},
                 {png, "no_extension", "ifpng.spi"}};
  for (const auto &r : renamed) {
    std::filesystem::copy_file(r.from, dir.File(r.to));
    ASSERT_TRUE(loader.Probe(dir.File(r.to))) << r.to;
    EXPECT_EQ(std::filesystem::path(loader.ChosenPlugin()->fileName).filename(), r.plugin) << r.to;
    EXPECT_TRUE(loader.Decode()) << r.to;
  }
  WriteBytes(dir.File("text.png"), {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  WriteBytes(dir.File("empty.gif"), {});
  WriteBytes(dir.File("riff.webp"), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
  for (const char *name : {"text.png", "empty.gif", "riff.webp"})
    EXPECT_FALSE(loader.Probe(dir.File(name))) << name;
}

TEST_F(ShippedPlugins, ProbeBufferAndMemoryInputAndFileOffsetWorkToo) {
  const std::string png = Make("m.png", "convert -size 5x4 gradient:red-blue PNG24:%s");
  const std::vector<uint8_t> bytes = ReadBytes(png);
  const TSpi_plugin *p = PluginNamed(loader, "ifpng.spi");
  ASSERT_NE(p, nullptr);
  std::vector<uint8_t> probe(SPI_PROBE_BYTES, 0);
  std::copy(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), probe.size()),
            probe.begin());
  EXPECT_TRUE(p->IsSupported(png.c_str(), reinterpret_cast<uintptr_t>(probe.data())));

  SPI_PICTUREINFO info{};
  ASSERT_EQ(p->GetPictureInfo(reinterpret_cast<const char *>(bytes.data()),
                              static_cast<intptr_t>(bytes.size()), SPI_INPUT_MEMORY, &info),
            SPI_ALL_RIGHT);
  EXPECT_EQ(info.width, 5);
  EXPECT_EQ(info.height, 4);

  std::vector<uint8_t> shifted(100 + bytes.size(), 'x');
  std::copy(bytes.begin(), bytes.end(), shifted.begin() + 100);
  WriteBytes(dir.File("offset.bin"), shifted);
  info = SPI_PICTUREINFO{};
  EXPECT_EQ(p->GetPictureInfo(dir.File("offset.bin").c_str(), 100, SPI_INPUT_FILE, &info),
            SPI_ALL_RIGHT);
  EXPECT_EQ(info.width, 5);
}

// Every cut of a valid file, and a byte changed at every place: each call
// ends in an error or in blocks that hold what their header says.
TEST_F(ShippedPlugins, DamagedFilesFailCleanly) {
  const struct {
    const char *name;
    const char *command;
    const char *plugin;
  } files[] = {
      {"d.png", "convert -size 6x5 gradient:red-blue -interlace PNG PNG32:%s", "ifpng.spi"},
      {"d.gif", "convert -size 6x5 gradient:red-blue -colors 8 -interlace GIF %s", "ifgif.spi"},
      {"d.webp", "convert -size 6x5 gradient:red-blue -quality 80 %s", "ifwebp.spi"}};
  for (const auto &f : files) {
    SCOPED_TRACE(f.name);
    const std::vector<uint8_t> good = ReadBytes(Make(f.name, f.command));
    ASSERT_FALSE(good.empty());
    const TSpi_plugin *p = PluginNamed(loader, f.plugin);
    ASSERT_NE(p, nullptr);
    auto attempt = [&](const std::vector<uint8_t> &bytes) {
      void *header = nullptr;
      void *bits = nullptr;
      const int rc = p->GetPicture(reinterpret_cast<const char *>(bytes.data()),
                                   static_cast<intptr_t>(bytes.size()), SPI_INPUT_MEMORY, &header,
                                   &bits, nullptr, 0);
      if (rc != SPI_ALL_RIGHT) {
        EXPECT_EQ(header, nullptr);
        EXPECT_EQ(bits, nullptr);
        return false;
      }
      SPI_BITMAPINFOHEADER h;
      std::memcpy(&h, header, sizeof h);
      QImage out;
      EXPECT_EQ(TransferPluginPicture(header, malloc_usable_size(header), bits,
                                      malloc_usable_size(bits), h.biWidth, std::abs(h.biHeight),
                                      out),
                0);
      std::free(header);
      std::free(bits);
      return true;
    };
    EXPECT_TRUE(attempt(good));
    int cutsRead = 0;
    for (size_t n = 1; n < good.size(); ++n)
      cutsRead += attempt(std::vector<uint8_t>(good.begin(), good.begin() + n));
    EXPECT_LT(cutsRead, static_cast<int>(good.size()) - 1); // most cuts are refused
    for (size_t i = 0; i < good.size(); ++i) {
      std::vector<uint8_t> bad = good;
      bad[i] ^= 0xa5;
      attempt(bad);
    }
  }
}

} // namespace
