// The plug-in loader against the test plug-ins: which libraries it keeps,
// in which order it asks them, what it hands them, and what it makes of
// the blocks they return, well-formed or not.
#include "image/Dib.h"
#include "spi_test_util.h"

#include <QImage>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace spitest;

namespace {

// ---- test files ---------------------------------------------------------

void Put16(std::vector<uint8_t> &v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t> &v, uint32_t x) {
  Put16(v, x & 0xffff);
  Put16(v, x >> 16);
}

struct HeaderFields {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = SPI_BI_RGB;
  uint32_t colourCount = 0; // biClrUsed
  uint32_t size = 40;       // biSize
  uint16_t planes = 1;
};

std::vector<uint8_t> Header(const HeaderFields &s) {
  std::vector<uint8_t> h;
  Put32(h, s.size);
  Put32(h, static_cast<uint32_t>(s.width));
  Put32(h, static_cast<uint32_t>(s.height));
  Put16(h, s.planes);
  Put16(h, s.bits);
  Put32(h, s.compression);
  for (int i = 0; i < 3; ++i)
    Put32(h, 0);
  Put32(h, s.colourCount);
  Put32(h, 0);
  if (s.size > 40 && s.size < 4096) h.resize(s.size, 0);
  return h;
}

struct Vspt {
  int mode = 0;
  int32_t width = 1;
  int32_t height = 1;
  int16_t depth = 24;
  std::vector<uint8_t> header;
  std::vector<uint8_t> bits;
};

void WriteVspt(const std::string &path, const Vspt &v) {
  std::vector<uint8_t> b = {'V', 'S', 'P', 'T', static_cast<uint8_t>(v.mode), 0, 0, 0};
  Put32(b, static_cast<uint32_t>(v.width));
  Put32(b, static_cast<uint32_t>(v.height));
  Put16(b, static_cast<uint16_t>(v.depth));
  Put16(b, 0);
  Put32(b, static_cast<uint32_t>(v.header.size()));
  Put32(b, static_cast<uint32_t>(v.bits.size()));
  b.insert(b.end(), v.header.begin(), v.header.end());
  b.insert(b.end(), v.bits.begin(), v.bits.end());
  WriteBytes(path, b);
}

size_t Stride(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

// A well-formed 24-bit picture whose pixels all differ.
Vspt Picture24(int width, int height) {
  Vspt v;
  v.width = width;
  v.height = height;
  v.header = Header({width, height, 24});
  v.bits.assign(Stride(width, 24) * height, 0);
  for (int y = 0; y < height; ++y) // memory row y is picture row height-1-y
    for (int x = 0; x < width; ++x) {
      uint8_t *p = &v.bits[y * Stride(width, 24) + 3 * x];
      p[0] = static_cast<uint8_t>(10 * x);
      p[1] = static_cast<uint8_t>(20 * (height - 1 - y));
      p[2] = 200;
    }
  return v;
}
QRgb Picture24Pixel(int x, int y) { return qRgb(200, 20 * y, 10 * x); }

// ---- the fixture --------------------------------------------------------

class SusieLoader : public ::testing::Test {
protected:
  std::string Plugins(const std::string &sub = "plugins") {
    const std::string folder = dir.File(sub);
    std::filesystem::create_directories(folder);
    return folder;
  }

  TempDir dir; // outlives the loader, which unloads first
  TSpiload loader;
};

// ---- loading ------------------------------------------------------------

TEST_F(SusieLoader, KeepsOnlyLibrariesWithIsSupportedAndGetPicture) {
  const std::string folder = Plugins();
  AddPlugin(folder, "spt_echo", "echo.spi");
  AddPlugin(folder, "spt_noinfo", "Upper.SPI");
  AddPlugin(folder, "spt_noissupported", "noissupported.spi");
  AddPlugin(folder, "spt_nogetpicture", "nogetpicture.spi"); // would claim everything
  AddPlugin(folder, "spt_echo", "echo.spi.bak");
  WriteBytes(folder + "/broken.spi", {'n', 'o', 't', ' ', 'E', 'L', 'F'});
  std::filesystem::create_directory(folder + "/folder.spi");
  loader.LoadPlugins(folder);

  std::vector<std::string> expected;
  for (const std::string &name : ListedPlugins(folder))
    if (name == "echo.spi" || name == "Upper.SPI") expected.push_back(name);
  EXPECT_EQ(TableNames(loader), expected);
  EXPECT_EQ(loader.Folder(), folder);

  // Optional entry points are recorded when exported (and never called:
  // the test plug-in aborts in them).
  const TSpi_plugin *echo = PluginNamed(loader, "echo.spi");
  ASSERT_NE(echo, nullptr);
  EXPECT_NE(echo->GetPictureInfo, nullptr);
  EXPECT_NE(echo->GetPreview, nullptr);
  EXPECT_NE(echo->GetArchiveInfo, nullptr);
  EXPECT_NE(echo->GetFile, nullptr);
  const TSpi_plugin *noInfo = PluginNamed(loader, "Upper.SPI");
  ASSERT_NE(noInfo, nullptr);
  EXPECT_EQ(noInfo->GetPictureInfo, nullptr);
  EXPECT_EQ(noInfo->GetPreview, nullptr);

  // The library without GetPicture is gone: nothing claims a plain file.
  WriteBytes(dir.File("plain.txt"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_FALSE(loader.Probe(dir.File("plain.txt")));
  EXPECT_EQ(loader.ChosenPlugin(), nullptr);
}

TEST_F(SusieLoader, FolderWithAndWithoutTrailingSlashFindsTheSamePlugins) {
  const std::string folder = Plugins();
  AddPlugin(folder, "spt_echo", "a.spi");
  AddPlugin(folder, "spt_claimall", "b.spi");
  loader.LoadPlugins(folder);
  const std::vector<std::string> plain = TableNames(loader);
  const std::string firstPath = loader.FirstPlugin()->fileName;
  loader.LoadPlugins(folder + "/");
  EXPECT_EQ(TableNames(loader), plain);
  EXPECT_EQ(loader.FirstPlugin()->fileName, firstPath); // no doubled slash
  EXPECT_EQ(plain.size(), 2u);
}

TEST_F(SusieLoader, EmptyOrMissingFolderMakesEveryProbeSayNo) {
  Vspt picture = Picture24(2, 2);
  WriteVspt(dir.File("pic.vspt"), picture);
  for (const std::string &folder : {Plugins("empty"), dir.File("missing"), std::string()}) {
    loader.LoadPlugins(folder);
    EXPECT_EQ(loader.FirstPlugin(), nullptr) << folder;
    EXPECT_FALSE(loader.Probe(dir.File("pic.vspt"))) << folder;
    EXPECT_FALSE(loader.Decode()) << folder;
    EXPECT_TRUE(loader.Bitmap().isNull());
  }
}

// ---- probing ------------------------------------------------------------

TEST_F(SusieLoader, FirstClaimantInDirectoryOrderWins) {
  // Which name the folder lists first cannot be arranged, so the test reads
  // the order itself; several claimants make an accidental sort unlikely.
  const std::string folder = Plugins();
  for (const char *name : {"m.spi", "c.spi", "x.spi", "a.spi", "q.spi"})
    AddPlugin(folder, "spt_echo", name);
  WriteVspt(dir.File("pic.vspt"), Picture24(2, 2));
  loader.LoadPlugins(folder);
  const std::vector<std::string> listed = ListedPlugins(folder);
  ASSERT_EQ(TableNames(loader), listed);
  ASSERT_TRUE(loader.Probe(dir.File("pic.vspt")));
  EXPECT_EQ(loader.ChosenPlugin(), loader.FirstPlugin());
  // The walk stopped at the first: the others were never asked.
  for (const TSpi_plugin *p = loader.FirstPlugin()->next; p; p = p->next)
    EXPECT_EQ(Counter(p, "spt_probe_calls"), 0);
}

TEST_F(SusieLoader, EachPluginGetsAFreshReadOnlyDescriptorAtTheStart) {
  // Readers that move the position come first; the claimant is the one the
  // folder lists last, so it is asked after all of them.
  const std::string folder = Plugins();
  for (const char *name : {"r1.spi", "r2.spi", "r3.spi", "r4.spi"})
    AddPlugin(folder, "spt_reader", name);
  const std::string last = ListedPlugins(folder).back();
  AddPlugin(folder, "spt_echo", last); // same entry, new content
  ASSERT_EQ(ListedPlugins(folder).back(), last);
  WriteVspt(dir.File("pic.vspt"), Picture24(2, 2));
  loader.LoadPlugins(folder);
  ASSERT_EQ(TableNames(loader).size(), 4u);

  ASSERT_TRUE(loader.Probe(dir.File("pic.vspt")));
  ASSERT_NE(loader.ChosenPlugin(), nullptr);
  EXPECT_EQ(TableNames(loader).back(), last);
  EXPECT_EQ(loader.ChosenPlugin()->next, nullptr);
  for (const TSpi_plugin *p = loader.FirstPlugin(); p; p = p->next) {
    EXPECT_EQ(Counter(p, "spt_probe_calls"), 1) << p->fileName;
    EXPECT_EQ(Counter(p, "spt_last_position"), 0) << p->fileName;
    EXPECT_EQ(Counter(p, "spt_last_access_mode"), O_RDONLY) << p->fileName;
  }
}

TEST_F(SusieLoader, ProbingLeavesNoDescriptorOpen) {
  const std::string folder = Plugins();
  AddPlugin(folder, "spt_reader", "r.spi");
  AddPlugin(folder, "spt_echo", "e.spi");
  WriteVspt(dir.File("pic.vspt"), Picture24(2, 2));
  WriteBytes(dir.File("other.bin"), {1, 2, 3});
  loader.LoadPlugins(folder);
  auto openDescriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  const auto before = openDescriptors();
  for (int i = 0; i < 20; ++i) {
    loader.Probe(dir.File("pic.vspt"));
    loader.Probe(dir.File("other.bin"));
  }
  EXPECT_EQ(openDescriptors(), before);
}

TEST_F(SusieLoader, FileThatCannotBeOpenedIsNoWithoutAskingAnyPlugin) {
  const std::string folder = Plugins();
  AddPlugin(folder, "spt_claimall", "all.spi");
  loader.LoadPlugins(folder);
  EXPECT_FALSE(loader.Probe(dir.File("missing.png")));
  EXPECT_FALSE(loader.Probe(dir.path)); // a folder is not an image file
  ASSERT_EQ(mkfifo(dir.File("fifo.png").c_str(), 0600), 0);
  EXPECT_FALSE(loader.Probe(dir.File("fifo.png"))); // and does not hang
  EXPECT_EQ(Counter(loader.FirstPlugin(), "spt_probe_calls"), 0);
  WriteBytes(dir.File("real.png"), {1});
  EXPECT_TRUE(loader.Probe(dir.File("real.png")));
}

TEST_F(SusieLoader, ProbeRecordsTheFileAndItsUpperCaseExtension) {
  loader.LoadPlugins(Plugins());
  loader.Probe("/some.dir/Photo.Png");
  EXPECT_EQ(loader.CurrentFile(), "/some.dir/Photo.Png");
  EXPECT_EQ(loader.CurrentExtension(), ".PNG");
  loader.Probe("/some.dir/noextension");
  EXPECT_EQ(loader.CurrentExtension(), "");
  loader.Probe("/a/b.tar.gz");
  EXPECT_EQ(loader.CurrentExtension(), ".GZ");
  loader.Probe("/a/b." + std::string(40, 'x'));
  EXPECT_EQ(loader.CurrentExtension(), "." + std::string(30, 'X'));
}

// ---- decoding -----------------------------------------------------------

class SusieDecode : public SusieLoader {
protected:
  void SetUp() override {
    folder = Plugins();
    AddPlugin(folder, "spt_echo", "echo.spi");
    loader.LoadPlugins(folder);
  }
  // Probe and decode a VSPT file.
  bool Decode(const Vspt &v, const std::string &name = "pic.vspt") {
    WriteVspt(dir.File(name), v);
    if (!loader.Probe(dir.File(name))) {
      ADD_FAILURE() << "not claimed";
      return false;
    }
    return loader.Decode();
  }
  long Calls(const char *counter) const { return Counter(loader.FirstPlugin(), counter); }
  std::string folder;
};

TEST_F(SusieDecode, TransfersTheRowsBottomUp) {
  Vspt v = Picture24(3, 2);
  v.depth = 24;
  ASSERT_TRUE(Decode(v));
  const QImage pic = loader.Bitmap().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(pic.size(), QSize(3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(pic.pixel(x, y), Picture24Pixel(x, y)) << x << "," << y;
  EXPECT_EQ(loader.ColourDepth(), 24);
  loader.Release();
  EXPECT_TRUE(loader.Bitmap().isNull());
}

// Every depth and width 1 ... 9 catches padding and bit-order mistakes.
struct Encoded {
  Vspt file;
  QImage expected; // RGB32
};

Encoded Encode(int width, int bits, bool bitfields, bool topDown) {
  Encoded e;
  const int height = 3;
  e.expected = QImage(width, height, QImage::Format_RGB32);
  Vspt &v = e.file;
  v.width = width;
  v.height = height;
  v.depth = static_cast<int16_t>(bits);
  HeaderFields fields{width, topDown ? -height : height, static_cast<uint16_t>(bits)};
  std::vector<uint8_t> table;
  const int colours = bits <= 8 ? 1 << bits : 0;
  for (int i = 0; i < colours; ++i) {
    table.insert(table.end(), {static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 91 % 256),
                               static_cast<uint8_t>(i * 37 % 256), 0});
  }
  if (bitfields) {
    fields.compression = SPI_BI_BITFIELDS;
    // 5-6-5 at 16 bits; red and blue swapped at 32 bits.
    if (bits == 16)
      for (uint32_t m : {0xf800u, 0x07e0u, 0x001fu})
        Put32(table, m);
    else
      for (uint32_t m : {0x0000ffu, 0x00ff00u, 0xff0000u})
        Put32(table, m);
  }
  v.header = Header(fields);
  v.header.insert(v.header.end(), table.begin(), table.end());
  const size_t stride = Stride(width, bits);
  v.bits.assign(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t *row = &v.bits[(topDown ? y : height - 1 - y) * stride];
    for (int x = 0; x < width; ++x) {
      const int n = (x * 3 + y * 5) % (colours ? colours : 1024);
      QRgb c = 0;
      switch (bits) {
      case 1:
      case 4:
      case 8: {
        const int per = 8 / bits;
        const int shift = 8 - bits * (x % per + 1);
        row[x / per] |= static_cast<uint8_t>(n << shift);
        c = qRgb(n * 37 % 256, n * 91 % 256, 255 - n);
        break;
      }
      case 16: {
        const int r = (x * 3 + y) % 32, b = (x * 5) % 32;
        const int g = bitfields ? (x + y * 13) % 64 : (x + y * 7) % 32;
        const uint32_t px = bitfields ? (r << 11 | g << 5 | b) : (r << 10 | g << 5 | b);
        row[2 * x] = static_cast<uint8_t>(px);
        row[2 * x + 1] = static_cast<uint8_t>(px >> 8);
        c = qRgb((r * 255 + 15) / 31, bitfields ? (g * 255 + 31) / 63 : (g * 255 + 15) / 31,
                 (b * 255 + 15) / 31);
        break;
      }
      case 24:
      case 32: {
        const uint8_t p0 = static_cast<uint8_t>(x * 25), p1 = static_cast<uint8_t>(y * 70 + 3),
                      p2 = static_cast<uint8_t>(250 - x);
        uint8_t *p = row + (bits / 8) * x;
        p[0] = p0;
        p[1] = p1;
        p[2] = p2;
        if (bits == 32) p[3] = 0x5a; // unused byte
        c = bitfields ? qRgb(p0, p1, p2) : qRgb(p2, p1, p0);
        break;
      }
      }
      e.expected.setPixel(x, y, c);
    }
  }
  return e;
}

TEST_F(SusieDecode, EveryDepthAndWidthComesOutRight) {
  struct Kind {
    int bits;
    bool bitfields;
    bool topDown;
  };
  const Kind kinds[] = {{1, false, false},  {4, false, false}, {8, false, false},
                        {16, false, false}, {16, true, false}, {24, false, false},
                        {32, false, false}, {32, true, false}, {24, false, true},
                        {8, false, true}};
  int n = 0;
  for (const Kind &k : kinds)
    for (int width = 1; width <= 9; ++width) {
      const Encoded e = Encode(width, k.bits, k.bitfields, k.topDown);
      ASSERT_TRUE(Decode(e.file, "pic" + std::to_string(n++) + ".vspt"))
          << k.bits << " bits, width " << width;
      EXPECT_EQ(loader.Bitmap().convertToFormat(QImage::Format_RGB32), e.expected)
          << k.bits << " bits" << (k.bitfields ? " bitfields" : "")
          << (k.topDown ? " top-down" : "") << ", width " << width;
    }
}

TEST_F(SusieDecode, ColourCountsOutsideTheTableAreHarmless) {
  Vspt v;
  v.width = 4;
  v.depth = 8;
  HeaderFields fields{4, 1, 8};
  fields.colourCount = 2;
  v.header = Header(fields);
  v.header.insert(v.header.end(), {0, 0, 255, 0, 255, 0, 0, 0}); // red, blue
  v.bits = {0, 1, 2, 255};
  ASSERT_TRUE(Decode(v));
  const QImage pic = loader.Bitmap().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(pic.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(pic.pixel(1, 0), qRgb(0, 0, 255));
  EXPECT_EQ(pic.pixel(2, 0), qRgb(0, 0, 0));
  EXPECT_EQ(pic.pixel(3, 0), qRgb(0, 0, 0));

  // A 1-bit picture has two colours, whatever count it gives.
  fields = HeaderFields{2, 1, 1};
  fields.colourCount = 100000;
  v.width = 2;
  v.header = Header(fields);
  v.header.insert(v.header.end(), {0, 0, 0, 0, 255, 255, 255, 0});
  v.bits = {0x40, 0, 0, 0};
  ASSERT_TRUE(Decode(v, "mono.vspt"));
  const QImage mono = loader.Bitmap().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(mono.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(mono.pixel(1, 0), qRgb(255, 255, 255));
}

TEST_F(SusieDecode, FailingGetPictureInfoAnswersNoAndLeavesTheBitmapEmpty) {
  Vspt v = Picture24(2, 2);
  v.mode = 1;
  EXPECT_FALSE(Decode(v));
  EXPECT_TRUE(loader.Bitmap().isNull());
  EXPECT_EQ(Calls("spt_info_calls"), 1);
  EXPECT_EQ(Calls("spt_picture_calls"), 0);
}

TEST_F(SusieDecode, FailingGetPictureOrMissingBlocksAnswerNo) {
  Vspt v = Picture24(2, 2);
  v.mode = 2;
  EXPECT_FALSE(Decode(v, "fails.vspt"));
  v.mode = 3;
  EXPECT_FALSE(Decode(v, "noblocks.vspt"));
  EXPECT_TRUE(loader.Bitmap().isNull());
  EXPECT_EQ(Calls("spt_picture_calls"), 2);
}

TEST_F(SusieDecode, PluginWithoutGetPictureInfoIsAcceptedButNeverDecodes) {
  const std::string other = Plugins("noinfo");
  AddPlugin(other, "spt_noinfo", "n.spi");
  loader.LoadPlugins(other);
  ASSERT_NE(loader.FirstPlugin(), nullptr);
  EXPECT_FALSE(Decode(Picture24(2, 2)));
  EXPECT_EQ(Calls("spt_picture_calls"), 0);
}

TEST_F(SusieDecode, TooManyPixelsAreRefusedBeforeThePictureIsAsked) {
  Vspt v = Picture24(2, 2);
  v.width = 16385;
  v.height = 16385; // just over 2^28
  EXPECT_FALSE(Decode(v));
  EXPECT_EQ(Calls("spt_picture_calls"), 0);
  EXPECT_EQ(loader.LastError(), static_cast<uint32_t>(EFBIG));
  v.width = 0;
  EXPECT_FALSE(Decode(v, "zero.vspt"));
  v.width = 2;
  v.height = -2;
  EXPECT_FALSE(Decode(v, "negative.vspt"));
  EXPECT_EQ(Calls("spt_picture_calls"), 0);
}

// Blocks that do not hold what their header says are refused: nothing
// outside them is read (the sanitizer build checks that too).
TEST_F(SusieDecode, HeadersThatDoNotFitTheirBlocksAreRefused) {
  struct Case {
    const char *name;
    std::function<void(Vspt &)> spoil;
  };
  const Case cases[] = {
      {"header block shorter than a header", [](Vspt &v) { v.header.resize(20); }},
      {"header size beyond the block", [](Vspt &v) { v.header[1] = 0x10; }}, // biSize 4136
      {"header size below 40", [](Vspt &v) { v.header[0] = 12; }},
      {"rows beyond the pixel block", [](Vspt &v) { v.bits.resize(v.bits.size() / 2); }},
      {"width differs from the announced one", [](Vspt &v) { v.width = 63; }},
      {"height differs from the announced one", [](Vspt &v) { v.height = 9; }},
      {"no planes", [](Vspt &v) { v.header[12] = 0; }},
      {"7 bits per pixel", [](Vspt &v) { v.header[14] = 7; }},
      {"run-length compression", [](Vspt &v) { v.header[16] = 1; }},
      {"bitfields at 24 bits", [](Vspt &v) { v.header[16] = 3; }},
      {"height of -2^31",
       [](Vspt &v) {
         const uint8_t bytes[4] = {0, 0, 0, 0x80};
         std::copy(bytes, bytes + 4, v.header.begin() + 8);
       }},
  };
  int n = 0;
  for (const Case &c : cases) {
    Vspt v = Picture24(64, 8);
    c.spoil(v);
    EXPECT_FALSE(Decode(v, "case" + std::to_string(n++) + ".vspt")) << c.name;
    EXPECT_TRUE(loader.Bitmap().isNull()) << c.name;
    EXPECT_NE(loader.LastError(), 0u) << c.name;
  }
}

TEST_F(SusieDecode, ColourTablesAndMasksOutsideTheHeaderBlockAreRefused) {
  auto palette = [](int width, uint32_t count, size_t entriesPresent) {
    Vspt v;
    v.width = width;
    v.depth = 8;
    HeaderFields fields{width, 1, 8};
    fields.colourCount = count;
    v.header = Header(fields);
    v.header.resize(40 + 4 * entriesPresent, 0x11);
    v.bits.assign(Stride(width, 8), 0);
    return v;
  };
  EXPECT_FALSE(Decode(palette(4, 0, 16), "full_table_missing.vspt")); // 256 entries implied
  EXPECT_FALSE(Decode(palette(4, 200, 100), "short_table.vspt"));
  EXPECT_TRUE(Decode(palette(4, 100, 100), "exact_table.vspt"));

  auto masks = [](std::vector<uint32_t> m, uint16_t bits) {
    Vspt v;
    v.width = 2;
    v.depth = static_cast<int16_t>(bits);
    HeaderFields fields{2, 1, bits};
    fields.compression = SPI_BI_BITFIELDS;
    v.header = Header(fields);
    for (uint32_t x : m)
      Put32(v.header, x);
    v.bits.assign(Stride(2, bits), 0);
    return v;
  };
  EXPECT_FALSE(Decode(masks({}, 32), "masks_missing.vspt"));
  EXPECT_FALSE(Decode(masks({0xff0000, 0xff00}, 32), "masks_cut.vspt"));
  EXPECT_FALSE(Decode(masks({0xff0000, 0, 0xff}, 32), "mask_zero.vspt"));
  EXPECT_FALSE(Decode(masks({0xf0f0, 0x0f00, 0x000f}, 16), "mask_holes.vspt"));
  EXPECT_FALSE(Decode(masks({0x1f0000, 0x7e0, 0x1f}, 16), "mask_past_16_bits.vspt"));
  EXPECT_TRUE(Decode(masks({0xf800, 0x7e0, 0x1f}, 16), "mask_565.vspt"));
}

TEST_F(SusieDecode, WideMaskChannelsFollowTheRoundingRule) {
  // 10-bit channels: v x 255 / 1023 rounded half up, where dropping the two
  // low bits would give (0, 1, 254) and (128, 255, 1).
  Vspt v;
  v.width = 2;
  v.depth = 32;
  HeaderFields fields{2, 1, 32};
  fields.compression = SPI_BI_BITFIELDS;
  v.header = Header(fields);
  for (uint32_t m : {0x3ff00000u, 0xffc00u, 0x3ffu})
    Put32(v.header, m);
  for (uint32_t px : {3u << 20 | 7u << 10 | 1018u, 514u << 20 | 1021u << 10 | 6u})
    Put32(v.bits, px);
  ASSERT_TRUE(Decode(v));
  const QImage pic = FullColourBitmap(loader.Bitmap()).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(pic.pixel(0, 0), qRgb(1, 2, 254));   // 0.75, 1.74, 253.75
  EXPECT_EQ(pic.pixel(1, 0), qRgb(128, 255, 1)); // 128.12, 254.50, 1.50
}

// ---- the framework's bitmap reader comes first for .bmp -------------------

TEST_F(SusieLoader, BitmapFileIsReadByTheFrameworkBeforeThePluginIsAsked) {
  const std::string folder = Plugins();
  AddPlugin(folder, "spt_claimall", "all.spi");
  loader.LoadPlugins(folder);
  const TSpi_plugin *all = loader.FirstPlugin();
  QImage source(5, 4, QImage::Format_RGB32);
  source.fill(qRgb(10, 200, 30));
  source.setPixel(4, 3, qRgb(250, 0, 5));

  for (const char *name : {"real.bmp", "REAL2.BMP"}) {
    ASSERT_TRUE(source.save(QString::fromStdString(dir.File(name)), "BMP"));
    ASSERT_TRUE(loader.Probe(dir.File(name)));
    ASSERT_TRUE(loader.Decode()) << name;
    EXPECT_EQ(loader.Bitmap().convertToFormat(QImage::Format_RGB32), source);
  }
  EXPECT_EQ(Counter(all, "spt_info_calls"), 0);

  // The same bitmap under another extension goes to the plug-in, which
  // does not read bitmaps.
  ASSERT_TRUE(source.save(QString::fromStdString(dir.File("real.png")), "BMP"));
  ASSERT_TRUE(loader.Probe(dir.File("real.png")));
  EXPECT_FALSE(loader.Decode());
  EXPECT_EQ(Counter(all, "spt_info_calls"), 1);

  // A .bmp that the framework cannot read is the plug-in's.
  WriteVspt(dir.File("fake.bmp"), Picture24(2, 3));
  ASSERT_TRUE(loader.Probe(dir.File("fake.bmp")));
  ASSERT_TRUE(loader.Decode());
  EXPECT_EQ(loader.Bitmap().size(), QSize(2, 3));
  EXPECT_EQ(Counter(all, "spt_info_calls"), 2);
}

// ---- the whole read -----------------------------------------------------

TEST_F(SusieDecode, ReadImageFileAsksTheKitFirst) {
  AddPlugin(folder, "spt_claimall", "all.spi");
  loader.LoadPlugins(folder);
  QImage source(3, 3, QImage::Format_RGB888);
  source.fill(qRgb(1, 2, 3));
  DibHandle written = DibFromBitmap(source);
  ASSERT_TRUE(Kit.ImgKitBmpFileSave(dir.File("kit.bmp").c_str(), written.get(), "", "", 0));
  bool fromPlugin = true;
  int claimed = 0;
  DibHandle image = ReadImageFile(loader, dir.File("kit.bmp"), &fromPlugin, [&] { ++claimed; });
  ASSERT_TRUE(image);
  EXPECT_FALSE(fromPlugin);
  EXPECT_EQ(claimed, 0);
  for (const TSpi_plugin *p = loader.FirstPlugin(); p; p = p->next)
    EXPECT_EQ(Counter(p, "spt_probe_calls"), 0);
}

TEST_F(SusieDecode, ReadImageFileMakesA24BitImageOfAPluginPicture) {
  const Encoded e = Encode(7, 4, false, false); // a 4-bit palette picture
  WriteVspt(dir.File("pal.vspt"), e.file);
  bool fromPlugin = false;
  int claimed = 0;
  DibHandle image = ReadImageFile(loader, dir.File("pal.vspt"), &fromPlugin, [&] {
    ++claimed;
    EXPECT_EQ(Calls("spt_info_calls"), 0); // before the decode
  });
  ASSERT_TRUE(image);
  EXPECT_TRUE(fromPlugin);
  EXPECT_EQ(claimed, 1);
  TMDIB dib(image.get());
  EXPECT_EQ(dib.BitsPerPixel(), 24);
  EXPECT_EQ(BitmapFromDib(dib).convertToFormat(QImage::Format_RGB32), e.expected);
  EXPECT_TRUE(loader.Bitmap().isNull()); // released
}

TEST_F(SusieDecode, ReadImageFileFailsCleanly) {
  WriteBytes(dir.File("nobody.bin"), {0, 1, 2, 3, 4, 5, 6, 7});
  int claimed = 0;
  bool fromPlugin = true;
  EXPECT_FALSE(ReadImageFile(loader, dir.File("nobody.bin"), &fromPlugin, [&] { ++claimed; }));
  EXPECT_FALSE(fromPlugin);
  EXPECT_EQ(claimed, 0);

  Vspt v = Picture24(2, 2);
  v.mode = 2;
  WriteVspt(dir.File("broken.vspt"), v);
  EXPECT_FALSE(ReadImageFile(loader, dir.File("broken.vspt"), &fromPlugin, [&] { ++claimed; }));
  EXPECT_FALSE(fromPlugin);
  EXPECT_EQ(claimed, 1);
}

TEST(FullColourBitmap, LaysTransparencyOverWhite) {
  QImage argb(3, 1, QImage::Format_ARGB32);
  argb.setPixel(0, 0, qRgba(255, 0, 0, 0));
  argb.setPixel(1, 0, qRgba(0, 0, 255, 128));
  argb.setPixel(2, 0, qRgba(10, 20, 30, 255));
  const QImage full = FullColourBitmap(argb);
  ASSERT_EQ(full.format(), QImage::Format_BGR888);
  EXPECT_EQ(full.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(full.pixel(1, 0), qRgb(127, 127, 255));
  EXPECT_EQ(full.pixel(2, 0), qRgb(10, 20, 30));
  QImage indexed(2, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
  indexed.setPixel(1, 0, 1);
  EXPECT_EQ(FullColourBitmap(indexed).pixel(1, 0), qRgb(4, 5, 6));
}

} // namespace
