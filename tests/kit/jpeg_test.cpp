// JPEG reader and writer: round trips, files from another encoder, density,
// quality clamping, damaged files and failing writes.
#include "codecs.h"
#include "kit_test_util.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kittest::Handle;
namespace fs = std::filesystem;

Handle Load(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return Handle();
  Handle h(kit::ReadJpeg(f));
  std::fclose(f);
  return h;
}

bool Info(const std::string &path, IMGKIT_FILEINFO &info) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const bool ok = kit::JpegInfo(f, info);
  std::fclose(f);
  return ok;
}

std::string Bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Scratch(const std::string &name) { return (kittest::ScratchDir() / name).string(); }

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xff); }

// Largest per-channel difference of two 0xRRGGBB colours.
int ColourDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift : {0, 8, 16})
    worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
  return worst;
}

// Pixels of a file as ImageMagick decodes them, 0xRRGGBB by (x, y).
std::vector<uint32_t> ReferencePixels(const std::string &path, int width, int height) {
  std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0xffffffffu);
  const std::string txt =
      kittest::RunCommand("convert '" + path + "' -colorspace sRGB -depth 8 txt:- 2>/dev/null");
  // Lines read "x,y: (r,g,b)  #RRGGBB  name".
  std::istringstream lines(txt);
  std::string l;
  while (std::getline(lines, l)) {
    int x = -1, y = -1;
    const size_t hash = l.find('#');
    if (std::sscanf(l.c_str(), "%d,%d:", &x, &y) != 2 || hash == std::string::npos) continue;
    if (x < 0 || y < 0 || x >= width || y >= height || l.size() < hash + 7) continue;
    out[static_cast<size_t>(y) * width + x] =
        static_cast<uint32_t>(std::stoul(l.substr(hash + 1, 6), nullptr, 16));
  }
  return out;
}

bool HaveImageMagick() {
  static const bool have = !kittest::RunCommand("convert -version 2>/dev/null").empty();
  return have;
}

// Row padding must stay zero after a decode.
bool PaddingClear(const kit::Dib &d) {
  const size_t used = (static_cast<size_t>(d.width) * d.bpp + 7) / 8;
  for (int y = 0; y < d.height; ++y)
    for (size_t i = used; i < d.stride; ++i)
      if (d.Row(y)[i] != 0) return false;
  return true;
}

// Deterministic noise so file sizes depend on quality.
Handle NoisyImage(int width, int height) {
  uint32_t state = 12345;
  return kittest::MakeImage(width, height, 24, [&](int, int) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  });
}

Handle Gradient(int width, int height) {
  return kittest::MakeImage(width, height, 24, [](int x, int y) {
    return static_cast<uint32_t>((x * 3) << 16 | (y * 4) << 8 | (200 - x - y));
  });
}

// ---- round trips -----------------------------------------------------------

TEST(JpegRoundTrip, SmoothGradientAtQualityHundred) {
  Handle src = Gradient(64, 48);
  const std::string path = Scratch("gradient.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 100));
  Handle back = Load(path);
  ASSERT_TRUE(back);
  const kit::Dib a = src.View(), b = back.View();
  ASSERT_EQ(b.width, 64);
  ASSERT_EQ(b.height, 48);
  ASSERT_EQ(b.bpp, 24);
  int worst = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      worst = std::max(worst, ColourDistance(kittest::RgbAt(a, x, y), kittest::RgbAt(b, x, y)));
  EXPECT_LE(worst, 8);
}

TEST(JpegRoundTrip, CornersKeepTheirPlace) {
  // Red 16x16 block at the top left, blue at the bottom right, grey between:
  // a flipped or mirrored decode puts them elsewhere.
  Handle src = kittest::MakeImage(48, 32, 24, [](int x, int y) -> uint32_t {
    if (x < 16 && y < 16) return 0xff0000;
    if (x >= 32 && y >= 16) return 0x0000ff;
    return 0x808080;
  });
  const std::string path = Scratch("corners.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 95));
  Handle back = Load(path);
  ASSERT_TRUE(back);
  const kit::Dib b = back.View();
  EXPECT_LE(ColourDistance(kittest::RgbAt(b, 6, 6), 0xff0000), 12);
  EXPECT_LE(ColourDistance(kittest::RgbAt(b, 40, 24), 0x0000ff), 12);
  EXPECT_LE(ColourDistance(kittest::RgbAt(b, 40, 6), 0x808080), 12);
  EXPECT_LE(ColourDistance(kittest::RgbAt(b, 6, 24), 0x808080), 12);
}

struct TinyCase {
  int bpp;
  uint32_t fill;     // index or 0xRRGGBB
  uint32_t expected; // colour the pixels should come back as
  int loadedBpp;
};

TEST(JpegRoundTrip, TinySizesAtEveryDepth) {
  const TinyCase cases[] = {
      {24, 0x3060c0, 0x3060c0, 24}, {32, 0xc06030, 0xc06030, 24}, {8, 77, 0x4d4d4d, 8},
      {4, 5, 0x555555, 24},         {1, 1, 0xffffff, 24},
  };
  for (const TinyCase &c : cases)
    for (int w = 1; w <= 9; ++w)
      for (int h = 1; h <= 3; ++h) {
        SCOPED_TRACE("bpp " + std::to_string(c.bpp) + " " + std::to_string(w) + "x" +
                     std::to_string(h));
        Handle src = kittest::MakeImage(w, h, c.bpp, [&](int, int) { return c.fill; });
        const std::string path = Scratch("tiny.jpg");
        ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
        Handle back = Load(path);
        ASSERT_TRUE(back);
        const kit::Dib b = back.View();
        EXPECT_EQ(b.width, w);
        EXPECT_EQ(b.height, h);
        EXPECT_EQ(b.bpp, c.loadedBpp);
        EXPECT_TRUE(PaddingClear(b));
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            EXPECT_LE(ColourDistance(kittest::RgbAt(b, x, y), c.expected), 3);
      }
}

TEST(JpegRoundTrip, SixteenBitImageIsWrittenAsColour) {
  // 5-5-5: red 31, green 0, blue 16 -> 255, 0, 132.
  Handle src = kittest::MakeImage(8, 8, 16, [](int, int) { return (31u << 10) | 16u; });
  const std::string path = Scratch("555.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 100));
  Handle back = Load(path);
  ASSERT_TRUE(back);
  EXPECT_LE(ColourDistance(kittest::RgbAt(back.View(), 3, 3), 0xff0084), 4);
}

// ---- grey and palette images -------------------------------------------------

TEST(JpegGrey, GreyPaletteImageIsWrittenAsOneComponent) {
  Handle src = kittest::MakeImage(32, 16, 8, [](int x, int y) { return (x * 8 + y) & 0xff; });
  const std::string path = Scratch("grey.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 100));
  if (HaveImageMagick()) {
    EXPECT_EQ(kittest::RunCommand("identify -format %[channels] '" + path + "'"), "gray");
  }
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(Info(path, info));
  EXPECT_EQ(info.bitCount, 8);
  Handle back = Load(path);
  ASSERT_TRUE(back);
  const kit::Dib b = back.View();
  ASSERT_EQ(b.bpp, 8);
  ASSERT_EQ(b.colourCount, 256);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(b.palette[i].r, i);
    EXPECT_EQ(b.palette[i].g, i);
    EXPECT_EQ(b.palette[i].b, i);
  }
  const kit::Dib a = src.View();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      EXPECT_NEAR(kittest::IndexAt(b, x, y), kittest::IndexAt(a, x, y), 6) << x << "," << y;
}

TEST(JpegGrey, GreyTableValuesAreWrittenNotIndices) {
  // Index i shows grey 255 - i: the file must hold the grey, not the index.
  Handle src = kittest::MakeImage(
      16, 16, 8, [](int, int y) { return y < 8 ? 10u : 200u; }, 256,
      [](int i) { return static_cast<uint32_t>((255 - i) * 0x010101); });
  const std::string path = Scratch("inverted.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 100));
  Handle back = Load(path);
  ASSERT_TRUE(back);
  const kit::Dib b = back.View();
  ASSERT_EQ(b.bpp, 8);
  EXPECT_NEAR(kittest::IndexAt(b, 4, 2), 245, 3);
  EXPECT_NEAR(kittest::IndexAt(b, 4, 13), 55, 3);
}

TEST(JpegGrey, ColourPaletteImageIsWrittenAsColour) {
  Handle src = kittest::MakeImage(
      16, 16, 8, [](int x, int) { return x < 8 ? 0u : 1u; }, 2,
      [](int i) { return i == 0 ? 0x20c040u : 0xe02010u; });
  const std::string path = Scratch("palette.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 100));
  if (HaveImageMagick()) {
    EXPECT_EQ(kittest::RunCommand("identify -format %[channels] '" + path + "'"), "srgb");
  }
  Handle back = Load(path);
  ASSERT_TRUE(back);
  const kit::Dib b = back.View();
  ASSERT_EQ(b.bpp, 24);
  EXPECT_LE(ColourDistance(kittest::RgbAt(b, 2, 8), 0x20c040), 10);
  EXPECT_LE(ColourDistance(kittest::RgbAt(b, 13, 8), 0xe02010), 10);
}

// ---- files from another encoder ------------------------------------------------

struct ForeignCase {
  const char *name;
  const char *options;
  int bpp;
  int tolerance;
};

TEST(JpegForeign, LoadsWhatImageMagickWrites) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  const ForeignCase cases[] = {
      {"baseline.jpg", "-quality 90", 24, 3},
      {"progressive.jpg", "-interlace JPEG -quality 90", 24, 3},
      {"gray.jpg", "-colorspace Gray", 8, 3},
      {"cmyk.jpg", "-colorspace CMYK", 24, 4},
      {"h1v1.jpg", "-sampling-factor 1x1 -quality 80", 24, 3},
  };
  for (const ForeignCase &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Scratch(c.name);
    kittest::RunCommand("convert -size 64x48 gradient:red-blue " + std::string(c.options) + " '" +
                        path + "'");
    ASSERT_TRUE(fs::exists(path));
    IMGKIT_FILEINFO info{};
    ASSERT_TRUE(Info(path, info));
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 48);
    EXPECT_EQ(info.bitCount, c.bpp);
    Handle h = Load(path);
    ASSERT_TRUE(h);
    const kit::Dib d = h.View();
    ASSERT_EQ(d.width, 64);
    ASSERT_EQ(d.height, 48);
    ASSERT_EQ(d.bpp, c.bpp);
    const std::vector<uint32_t> ref = ReferencePixels(path, 64, 48);
    int worst = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x)
        worst = std::max(worst, ColourDistance(kittest::RgbAt(d, x, y), ref[y * 64 + x]));
    EXPECT_LE(worst, c.tolerance);
  }
}

// ---- density ---------------------------------------------------------------------

TEST(JpegDensity, WrittenAsDotsPerInchAndReadBack) {
  Handle src = Gradient(8, 8);
  src.View().hdr->biXPelsPerMeter = 11811; // 300 dpi
  src.View().hdr->biYPelsPerMeter = 5906;  // 150 dpi
  const std::string path = Scratch("dpi.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  if (HaveImageMagick()) {
    EXPECT_EQ(kittest::RunCommand("identify -format '%x %y %U' '" + path + "'"),
              "300 150 PixelsPerInch");
  }
  Handle back = Load(path);
  ASSERT_TRUE(back);
  // 300 x 10000 / 254 = 11811.02, 150 x 10000 / 254 = 5905.5.
  EXPECT_EQ(back.View().hdr->biXPelsPerMeter, 11811);
  EXPECT_EQ(back.View().hdr->biYPelsPerMeter, 5906);
}

TEST(JpegDensity, DotsPerCentimetreAndNoUnit) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  const std::string cm = Scratch("cm.jpg");
  kittest::RunCommand("convert -size 8x8 xc:white -units PixelsPerCentimeter -density 40 '" + cm +
                      "'");
  Handle a = Load(cm);
  ASSERT_TRUE(a);
  EXPECT_EQ(a.View().hdr->biXPelsPerMeter, 4000);
  EXPECT_EQ(a.View().hdr->biYPelsPerMeter, 4000);

  const std::string none = Scratch("none.jpg");
  kittest::RunCommand("convert -size 8x8 xc:white '" + none + "'");
  Handle b = Load(none);
  ASSERT_TRUE(b);
  EXPECT_EQ(b.View().hdr->biXPelsPerMeter, 0);
}

// ---- quality -------------------------------------------------------------------------

TEST(JpegQuality, HigherQualityMakesLargerFiles) {
  Handle src = NoisyImage(64, 64);
  const std::string low = Scratch("q30.jpg"), high = Scratch("q90.jpg");
  ASSERT_TRUE(kit::WriteJpeg(low.c_str(), src.get(), 30));
  ASSERT_TRUE(kit::WriteJpeg(high.c_str(), src.get(), 90));
  EXPECT_LT(fs::file_size(low), fs::file_size(high));
}

TEST(JpegQuality, OutOfRangeQualityIsClamped) {
  Handle src = NoisyImage(24, 16);
  const struct { int asked, clamped; } cases[] = {{0, 1}, {-7, 1}, {500, 100}, {101, 100}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.asked);
    const std::string asked = Scratch("asked.jpg"), clamped = Scratch("clamped.jpg");
    ASSERT_TRUE(kit::WriteJpeg(asked.c_str(), src.get(), c.asked));
    ASSERT_TRUE(kit::WriteJpeg(clamped.c_str(), src.get(), c.clamped));
    EXPECT_EQ(Bytes(asked), Bytes(clamped));
    Handle back = Load(asked);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.View().width, 24);
  }
}

// ---- damaged files ---------------------------------------------------------------------

// A valid file made here, and the offset just past its first segment of `marker`.
std::string ValidJpeg() {
  Handle src = NoisyImage(40, 24);
  const std::string path = Scratch("valid.jpg");
  EXPECT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  return Bytes(path);
}

size_t SegmentEnd(const std::string &jpeg, unsigned char marker) {
  for (size_t i = 2; i + 3 < jpeg.size(); ++i)
    if (static_cast<unsigned char>(jpeg[i]) == 0xff &&
        static_cast<unsigned char>(jpeg[i + 1]) == marker) {
      const size_t len =
          static_cast<unsigned char>(jpeg[i + 2]) << 8 | static_cast<unsigned char>(jpeg[i + 3]);
      return i + 2 + len;
    }
  return std::string::npos;
}

size_t SegmentStart(const std::string &jpeg, unsigned char marker) {
  for (size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (static_cast<unsigned char>(jpeg[i]) == 0xff &&
        static_cast<unsigned char>(jpeg[i + 1]) == marker)
      return i;
  return std::string::npos;
}

std::string WithSize(std::string jpeg, unsigned width, unsigned height) {
  const size_t sof = SegmentStart(jpeg, 0xc0);
  EXPECT_NE(sof, std::string::npos);
  // FF C0, length (2), precision (1), height (2), width (2).
  jpeg[sof + 5] = static_cast<char>(height >> 8);
  jpeg[sof + 6] = static_cast<char>(height);
  jpeg[sof + 7] = static_cast<char>(width >> 8);
  jpeg[sof + 8] = static_cast<char>(width);
  return jpeg;
}

// Rows of the picture that are the same in both images, counted from the top.
int SameRowsFromTheTop(const kit::Dib &a, const kit::Dib &b) {
  const size_t bytes = size_t(a.width) * size_t(a.bpp / 8);
  int y = 0;
  while (y < a.height && std::memcmp(a.TopRow(y), b.TopRow(y), bytes) == 0)
    ++y;
  return y;
}

TEST(JpegDamaged, FilesCutShortOpenWithWhatCouldBeRead) {
  Handle src = NoisyImage(160, 120);
  const std::string path = Scratch("whole.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  const std::string good = Bytes(path);
  Handle whole = Load(path);
  ASSERT_TRUE(whole);
  EXPECT_FALSE(kit::LastLoadDamaged());
  const size_t data = SegmentEnd(good, 0xda);
  ASSERT_NE(data, std::string::npos);
  int lastSame = 0;
  // Ten cuts after the first row of blocks, which a picture needs at least.
  for (int k = 2; k <= 11; ++k) {
    const size_t cut = data + (good.size() - 2 - data) * size_t(k) / 12;
    SCOPED_TRACE(cut);
    const std::string cutPath = kittest::WriteFile("cut.jpg", good.substr(0, cut));
    Handle h = Load(cutPath);
    ASSERT_TRUE(h);
    EXPECT_TRUE(kit::LastLoadDamaged());
    const kit::Dib d = h.View();
    ASSERT_EQ(d.width, 160);
    ASSERT_EQ(d.height, 120);
    EXPECT_TRUE(PaddingClear(d));
    // The rows decoded before the cut are the whole file's rows; more of
    // them the later the cut.
    const int same = SameRowsFromTheTop(d, whole.View());
    EXPECT_GE(same, lastSame);
    EXPECT_LT(same, 120);
    lastSame = same;
  }
  EXPECT_GE(lastSame, 80);
  // Through the loader of every format, and reduced for thumbnails.
  const std::string half = kittest::WriteFile("half.jpg", good.substr(0, good.size() / 2));
  IMGHANDLE loaded = kit::LoadFile(half.c_str());
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(kit::LastLoadDamaged());
  kit::Free(loaded);
  EXPECT_TRUE(kittest::Handle(kit::LoadFileReduced(half.c_str(), 20, 15)));
  EXPECT_TRUE(kit::LastLoadDamaged());
  // The next sound file clears the mark.
  loaded = kit::LoadFile(path.c_str());
  ASSERT_NE(loaded, nullptr);
  EXPECT_FALSE(kit::LastLoadDamaged());
  kit::Free(loaded);
}

TEST(JpegDamaged, AMissingEndMarkerLosesNoRow) {
  const std::string good = ValidJpeg();
  Handle whole = Load(kittest::WriteFile("with_end.jpg", good));
  ASSERT_TRUE(whole);
  for (size_t cut : {size_t{1}, size_t{2}}) {
    Handle h = Load(kittest::WriteFile("no_end.jpg", good.substr(0, good.size() - cut)));
    ASSERT_TRUE(h) << cut;
    EXPECT_EQ(SameRowsFromTheTop(h.View(), whole.View()), 24) << cut;
  }
}

TEST(JpegDamaged, CorruptEntropyDataOpensMarkedDamaged) {
  Handle src = NoisyImage(160, 120);
  const std::string path = Scratch("corrupt_src.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  std::string bytes = Bytes(path);
  const size_t data = SegmentEnd(bytes, 0xda);
  // A marker where entropy data belongs: the decoder stops that scan there.
  const size_t at = data + (bytes.size() - data) / 2;
  bytes[at] = '\xff';
  bytes[at + 1] = '\xd0' + 5; // a restart marker out of place
  Handle h = Load(kittest::WriteFile("corrupt.jpg", bytes));
  ASSERT_TRUE(h);
  EXPECT_TRUE(kit::LastLoadDamaged());
  EXPECT_EQ(h.View().width, 160);
}

TEST(JpegBadInput, HeadersWithoutScanData) {
  const std::string good = ValidJpeg();
  const size_t sos = SegmentEnd(good, 0xda);
  ASSERT_NE(sos, std::string::npos);
  const std::string path = kittest::WriteFile("header_only.jpg", good.substr(0, sos));
  EXPECT_FALSE(Load(path));
  IMGKIT_FILEINFO info{};
  EXPECT_TRUE(Info(path, info));
  EXPECT_EQ(info.width, 40);
  EXPECT_EQ(info.height, 24);
}

TEST(JpegBadInput, EndsBeforeTheFrameHeader) {
  const std::string good = ValidJpeg();
  const size_t sof = SegmentStart(good, 0xc0);
  ASSERT_NE(sof, std::string::npos);
  const std::string path = kittest::WriteFile("no_frame.jpg", good.substr(0, sof));
  EXPECT_FALSE(Load(path));
  IMGKIT_FILEINFO info{};
  EXPECT_FALSE(Info(path, info));
}

TEST(JpegBadInput, GarbageAfterStartOfImage) {
  std::string bytes = "\xff\xd8";
  uint32_t state = 99;
  for (int i = 0; i < 4000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 16);
  }
  const std::string path = kittest::WriteFile("garbage_after_soi.jpg", bytes);
  EXPECT_FALSE(Load(path));
  IMGKIT_FILEINFO info{};
  EXPECT_FALSE(Info(path, info));
}

TEST(JpegBadInput, EmptyAndTinyFiles) {
  for (const std::string &bytes : {std::string(), std::string("\xff"), std::string("\xff\xd8"),
                                   std::string("\xff\xd8\xff\xd9")}) {
    const std::string path = kittest::WriteFile("tiny.jpg", bytes);
    EXPECT_FALSE(Load(path));
    IMGKIT_FILEINFO info{};
    EXPECT_FALSE(Info(path, info));
  }
  EXPECT_EQ(kit::ReadJpeg(nullptr), nullptr);
}

TEST(JpegBadInput, HugeDeclaredSizeIsRefusedBeforeAllocating) {
  const std::string path =
      kittest::WriteFile("sof_65500x65500.jpg", WithSize(ValidJpeg(), 65500, 65500));
  EXPECT_FALSE(Load(path));
  IMGKIT_FILEINFO info{};
  EXPECT_FALSE(Info(path, info));
  // Just over 2^28 pixels.
  const std::string over =
      kittest::WriteFile("sof_over_limit.jpg", WithSize(ValidJpeg(), 65535, 4097));
  EXPECT_FALSE(Load(over));
  EXPECT_FALSE(Info(over, info));
}

TEST(JpegBadInput, ZeroSizeInFrameHeader) {
  for (const auto &[w, h] : {std::pair{0u, 24u}, std::pair{40u, 0u}}) {
    const std::string path = kittest::WriteFile("sof_zero.jpg", WithSize(ValidJpeg(), w, h));
    EXPECT_FALSE(Load(path));
    IMGKIT_FILEINFO info{};
    EXPECT_FALSE(Info(path, info));
  }
}

TEST(JpegBadInput, ScanDataShorterThanDeclaredSizeDecodesAtThatSize) {
  // The scan ends (with its end marker) long before 400x240 pixels: like
  // other corrupt entropy data this is tolerated, unlike a file cut short.
  const std::string path = kittest::WriteFile("sof_larger.jpg", WithSize(ValidJpeg(), 400, 240));
  Handle h = Load(path);
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.width, 400);
  EXPECT_EQ(d.height, 240);
  EXPECT_TRUE(PaddingClear(d));
}

TEST(JpegBadInput, EveryHeaderByteFlippedDecodesOrFails) {
  // Whatever a damaged header says, the result is either null or a sound
  // image of the declared size; the sanitizer build checks memory use.
  const std::string good = ValidJpeg();
  const size_t end = std::min(good.size(), SegmentEnd(good, 0xda) + 16);
  for (size_t i = 2; i < end; ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x5a);
    FILE *f = fmemopen(bad.data(), bad.size(), "rb");
    ASSERT_NE(f, nullptr);
    IMGKIT_FILEINFO info{};
    const bool known = kit::JpegInfo(f, info);
    std::rewind(f);
    Handle h(kit::ReadJpeg(f));
    std::fclose(f);
    if (h) {
      EXPECT_TRUE(known) << i;
      kit::Dib d;
      ASSERT_TRUE(kit::ViewOf(h.get(), d)) << i;
      EXPECT_EQ(d.width, info.width) << i;
      EXPECT_EQ(d.height, info.height) << i;
      EXPECT_EQ(d.bpp, info.bitCount) << i;
    }
  }
}

// ---- reduced reads ---------------------------------------------------------------------------

Handle LoadReduced(const std::string &path, int coverWidth, int coverHeight) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return Handle();
  Handle h(kit::ReadJpegReduced(f, coverWidth, coverHeight));
  std::fclose(f);
  return h;
}

// Broad colour areas, so that a reduced pixel can be set against the mean
// of the full-size pixels it stands for.
Handle Blocks(int width, int height) {
  return kittest::MakeImage(width, height, 24, [](int x, int y) -> uint32_t {
    const uint32_t r = (x / 64) * 50 % 256, g = (y / 48) * 70 % 256, b = ((x + y) / 80) * 30 % 256;
    return r << 16 | g << 8 | b;
  });
}

struct ReducedCase {
  int width, height, coverWidth, coverHeight, expectWidth, expectHeight;
};

TEST(JpegReduced, TakesTheStrongestReductionThatStillCovers) {
  const ReducedCase cases[] = {
      {800, 600, 100, 75, 100, 75},   // exactly 1/8
      {800, 600, 101, 75, 200, 150},  // 1/8 is one pixel short: 2/8
      {800, 600, 75, 100, 200, 150},  // the height decides
      {1001, 667, 100, 66, 126, 84},  // the decoder rounds up
      {800, 600, 700, 500, 700, 525}, // 7/8
      {800, 600, 801, 10, 800, 600},  // no reduction covers: whole
      {800, 600, 0, 0, 800, 600},     // no size asked: whole
  };
  for (const ReducedCase &c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " covering " +
                 std::to_string(c.coverWidth) + "x" + std::to_string(c.coverHeight));
    Handle src = Blocks(c.width, c.height);
    const std::string path = Scratch("reduced.jpg");
    ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
    Handle h = LoadReduced(path, c.coverWidth, c.coverHeight);
    ASSERT_TRUE(h);
    const kit::Dib d = h.View();
    EXPECT_EQ(d.width, c.expectWidth);
    EXPECT_EQ(d.height, c.expectHeight);
    EXPECT_EQ(d.bpp, 24);
    EXPECT_TRUE(PaddingClear(d));
  }
}

TEST(JpegReduced, ReducedPixelsAreTheMeansOfTheirBlocks) {
  Handle src = Blocks(640, 480);
  const std::string path = Scratch("means.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 95));
  Handle full = Load(path);
  Handle small = LoadReduced(path, 80, 60);
  ASSERT_TRUE(full);
  ASSERT_TRUE(small);
  const kit::Dib f = full.View(), s = small.View();
  ASSERT_EQ(s.width, 80);
  ASSERT_EQ(s.height, 60);
  // The picture must stay the right way up and in place, and each pixel
  // near the mean of its 8 x 8 block.
  int worst = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) {
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < 8; ++dy)
        for (int dx = 0; dx < 8; ++dx) {
          const uint32_t c = kittest::RgbAt(f, x * 8 + dx, y * 8 + dy);
          for (int i = 0; i < 3; ++i)
            sum[i] += Channel(c, 8 * i);
        }
      const uint32_t mean =
          static_cast<uint32_t>((sum[2] / 64) << 16 | (sum[1] / 64) << 8 | (sum[0] / 64));
      worst = std::max(worst, ColourDistance(kittest::RgbAt(s, x, y), mean));
    }
  EXPECT_LE(worst, 12);
}

TEST(JpegReduced, GreyFilesStayGrey) {
  Handle src = kittest::MakeImage(320, 240, 8, [](int x, int y) { return (x + y) & 0xff; });
  const std::string path = Scratch("grey_reduced.jpg");
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  Handle h = LoadReduced(path, 40, 30);
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.width, 40);
  EXPECT_EQ(d.height, 30);
  EXPECT_EQ(d.bpp, 8);
}

TEST(JpegReduced, RefusalsAreThoseOfTheFullRead) {
  const std::string good = ValidJpeg();
  const size_t data = SegmentEnd(good, 0xda);
  const std::string none = kittest::WriteFile("reduced_no_data.jpg", good.substr(0, data));
  EXPECT_FALSE(LoadReduced(none, 5, 3));
  const std::string over =
      kittest::WriteFile("reduced_over_limit.jpg", WithSize(good, 65535, 4097));
  EXPECT_FALSE(LoadReduced(over, 100, 100));
  const std::string empty = kittest::WriteFile("reduced_empty.jpg", std::string());
  EXPECT_FALSE(LoadReduced(empty, 100, 100));
  EXPECT_EQ(kit::ReadJpegReduced(nullptr, 100, 100), nullptr);
}

TEST(JpegReduced, OtherFormatsLoadWhole) {
  Handle src = Gradient(64, 48);
  const std::string path = Scratch("whole.bmp");
  ASSERT_TRUE(kit::WriteBmp(path.c_str(), src.get()));
  Handle h(kit::LoadFileReduced(path.c_str(), 8, 6));
  ASSERT_TRUE(h);
  EXPECT_TRUE(kittest::SamePicture(h.get(), src.get()));
}

// ---- writing -------------------------------------------------------------------------------

TEST(JpegWrite, MissingFolderFails) {
  Handle src = Gradient(8, 8);
  const std::string path = Scratch("no/such/folder/x.jpg");
  EXPECT_FALSE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  EXPECT_FALSE(fs::exists(path));
}

TEST(JpegWrite, InvalidImageWritesNothing) {
  const std::string path = Scratch("null.jpg");
  EXPECT_FALSE(kit::WriteJpeg(path.c_str(), nullptr, 90));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(fs::is_empty(kittest::ScratchDir()));
}

TEST(JpegWrite, ReadOnlyFolderKeepsOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  const fs::path dir = kittest::ScratchDir() / "locked";
  fs::create_directories(dir);
  const std::string path = (dir / "old.jpg").string();
  { std::ofstream(path) << "old content"; }
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  Handle src = Gradient(8, 8);
  EXPECT_FALSE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(Bytes(path), "old content");
}

TEST(JpegWrite, OverwriteReplacesTheFileAndLeavesNoTemporary) {
  const fs::path dir = kittest::ScratchDir();
  const std::string path = (dir / "photo.jpg").string();
  { std::ofstream(path) << "old content"; }
  Handle src = Gradient(20, 10);
  ASSERT_TRUE(kit::WriteJpeg(path.c_str(), src.get(), 90));
  const std::string now = Bytes(path);
  ASSERT_GE(now.size(), 4u);
  EXPECT_EQ(now.substr(0, 2), "\xff\xd8");
  EXPECT_EQ(now.substr(now.size() - 2), "\xff\xd9");
  Handle back = Load(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back.View().width, 20);
  int files = 0;
  for (const auto &e : fs::directory_iterator(dir)) {
    ++files;
    EXPECT_EQ(e.path().filename(), "photo.jpg");
  }
  EXPECT_EQ(files, 1);
}

} // namespace
