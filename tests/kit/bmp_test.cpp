// BMP reader and writer: files built byte by byte here, round trips, and
// exchange with ImageMagick.
#include "codecs.h"
#include "kit_test_util.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kittest::Handle;

// Little-endian byte packing for hand-made files.
struct Bytes {
  std::string s;
  Bytes &u8(unsigned v) {
    s.push_back(static_cast<char>(v & 0xff));
    return *this;
  }
  Bytes &u16(unsigned v) { return u8(v).u8(v >> 8); }
  Bytes &u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
  Bytes &seq(std::initializer_list<unsigned> v) {
    for (unsigned b : v)
      u8(b);
    return *this;
  }
  Bytes &zeros(size_t n) {
    s.append(n, '\0');
    return *this;
  }
};

// BITMAPINFOHEADER (40 bytes).
Bytes Info40(int32_t w, int32_t h, unsigned bpp, uint32_t compression = 0, uint32_t clrUsed = 0,
             unsigned planes = 1) {
  Bytes b;
  b.u32(40).u32(static_cast<uint32_t>(w)).u32(static_cast<uint32_t>(h)).u16(planes).u16(bpp);
  b.u32(compression).u32(0).u32(2835).u32(2835).u32(clrUsed).u32(0);
  return b;
}

// File header + info header + colour table + pixels (+ anything after).
std::string BmpFile(const std::string &info, const std::string &table, const std::string &pixels,
                    const std::string &after = "") {
  Bytes b;
  const auto off = static_cast<uint32_t>(14 + info.size() + table.size());
  b.seq({'B', 'M'}).u32(static_cast<uint32_t>(off + pixels.size() + after.size())).u32(0).u32(off);
  return b.s + info + table + pixels + after;
}

// A grey table of n RGBQUAD entries, entry i = i * 16.
std::string GreyTable(int n) {
  Bytes b;
  for (int i = 0; i < n; ++i)
    b.u8(i * 16).u8(i * 16).u8(i * 16).u8(0);
  return b.s;
}

Handle ReadBytes(const std::string &bytes) {
  if (bytes.empty()) return Handle();
  FILE *f = fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "rb");
  if (!f) return Handle();
  Handle h(kit::ReadBmp(f));
  std::fclose(f);
  return h;
}

bool InfoOf(const std::string &bytes, IMGKIT_FILEINFO &info) {
  if (bytes.empty()) return false;
  FILE *f = fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "rb");
  if (!f) return false;
  const bool ok = kit::BmpInfo(f, info);
  std::fclose(f);
  return ok;
}

Handle ReadPath(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return Handle();
  Handle h(kit::ReadBmp(f));
  std::fclose(f);
  return h;
}

std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

uint32_t FileU32(const std::string &s, size_t at) {
  return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
         static_cast<uint8_t>(s[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

std::vector<int> RowIndices(const kit::Dib &d, int y) {
  std::vector<int> v;
  for (int x = 0; x < d.width; ++x)
    v.push_back(kittest::IndexAt(d, x, y));
  return v;
}

// ---- round trips --------------------------------------------------------

struct DepthCase {
  int bpp;
  int colours; // 0 for direct colour
};

TEST(BmpRoundTrip, EveryDepthAndSmallSize) {
  const DepthCase cases[] = {{1, 2}, {4, 16}, {4, 11}, {8, 256}, {8, 7}, {16, 0}, {24, 0}, {32, 0}};
  for (const DepthCase &c : cases) {
    for (int w = 1; w <= 9; ++w) {
      for (int h = 1; h <= 3; ++h) {
        SCOPED_TRACE(testing::Message()
                     << c.bpp << " bits, " << c.colours << " colours, " << w << "x" << h);
        auto fill = [&](int x, int y) -> uint32_t {
          if (c.colours) return static_cast<uint32_t>(x * 5 + y * 3 + x * y) % c.colours;
          return (0x123456u + x * 0x1f3a5u + y * 0x7b1u) & 0xffffff;
        };
        Handle img = kittest::MakeImage(w, h, c.bpp, fill, c.colours,
                                        [](int i) { return static_cast<uint32_t>(i * 0x030507); });
        ASSERT_TRUE(img);
        img.View().hdr->biXPelsPerMeter = 3780;
        img.View().hdr->biYPelsPerMeter = 1234;
        const std::string path = (kittest::ScratchDir() / "rt.bmp").string();
        ASSERT_TRUE(kit::WriteBmp(path.c_str(), img.get()));
        Handle back = ReadPath(path);
        ASSERT_TRUE(back);
        EXPECT_TRUE(kittest::SamePicture(img.get(), back.get()));
        EXPECT_EQ(back.View().hdr->biXPelsPerMeter, 3780);
        EXPECT_EQ(back.View().hdr->biYPelsPerMeter, 1234);
      }
    }
  }
}

TEST(BmpWrite, HeaderFieldsOfPartialTable) {
  Handle img = kittest::MakeImage(
      5, 2, 8, [](int x, int) { return x; }, 7);
  const std::string path = (kittest::ScratchDir() / "p.bmp").string();
  ASSERT_TRUE(kit::WriteBmp(path.c_str(), img.get()));
  const std::string s = Slurp(path);
  ASSERT_EQ(s.size(), 14u + 40 + 7 * 4 + 8 * 2);
  EXPECT_EQ(s.substr(0, 2), "BM");
  EXPECT_EQ(FileU32(s, 2), s.size());
  EXPECT_EQ(FileU32(s, 10), 14u + 40 + 28);
  EXPECT_EQ(FileU32(s, 14), 40u);
  EXPECT_EQ(FileU32(s, 30), 0u);  // uncompressed
  EXPECT_EQ(FileU32(s, 34), 16u); // stride 8 x 2 rows
  EXPECT_EQ(FileU32(s, 46), 7u);  // colours used
}

TEST(BmpWrite, RefusesBadHandlesAndPaths) {
  EXPECT_FALSE(kit::WriteBmp((kittest::ScratchDir() / "n.bmp").c_str(), nullptr));
  Handle img = kittest::MakeImage(2, 2, 24, [](int, int) { return 0; });
  EXPECT_FALSE(kit::WriteBmp((kittest::ScratchDir() / "no" / "such" / "x.bmp").c_str(), img.get()));
  img.View().hdr->biBitCount = 7;
  EXPECT_FALSE(kit::WriteBmp((kittest::ScratchDir() / "bad.bmp").c_str(), img.get()));
}

// ---- header kinds ------------------------------------------------------

TEST(BmpRead, TopDownEqualsBottomUp) {
  // 3 x 2, 24 bits; picture top row 112233 445566 778899, bottom AABBCC DDEEFF 010203.
  Bytes top, bottom;
  top.seq({0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0});
  bottom.seq({0xcc, 0xbb, 0xaa, 0xff, 0xee, 0xdd, 0x03, 0x02, 0x01, 0, 0, 0});
  Handle up = ReadBytes(BmpFile(Info40(3, 2, 24).s, "", bottom.s + top.s));
  Handle down = ReadBytes(BmpFile(Info40(3, -2, 24).s, "", top.s + bottom.s));
  ASSERT_TRUE(up);
  ASSERT_TRUE(down);
  EXPECT_TRUE(kittest::SamePicture(up.get(), down.get()));
  const kit::Dib d = down.View();
  EXPECT_EQ(d.height, 2);
  EXPECT_EQ(kittest::RgbAt(d, 0, 0), 0x112233u);
  EXPECT_EQ(kittest::RgbAt(d, 2, 0), 0x778899u);
  EXPECT_EQ(kittest::RgbAt(d, 1, 1), 0xddeeffu);
  EXPECT_EQ(kittest::RgbAt(d, 2, 1), 0x010203u);

  // 1 bit, 9 wide: the ninth pixel lives in the second byte; junk padding bits are dropped.
  Bytes r0, r1;
  r0.seq({0xa5, 0x80 | 0x3f, 0xff, 0xff});
  r1.seq({0x0f, 0x00, 0, 0});
  Handle m1 = ReadBytes(BmpFile(Info40(9, 2, 1).s, GreyTable(2), r1.s + r0.s));
  Handle m2 = ReadBytes(BmpFile(Info40(9, -2, 1).s, GreyTable(2), r0.s + r1.s));
  ASSERT_TRUE(m1);
  ASSERT_TRUE(m2);
  EXPECT_TRUE(kittest::SamePicture(m1.get(), m2.get()));
  const kit::Dib m = m2.View();
  EXPECT_EQ(RowIndices(m, 0), (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1, 1}));
  EXPECT_EQ(RowIndices(m, 1), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 0}));
  EXPECT_EQ(m.TopRow(0)[1], 0x80); // bits past the row are cleared
  EXPECT_EQ(m.TopRow(0)[2], 0);
}

TEST(BmpRead, Os2CoreHeaderWithShortTable) {
  Bytes core;
  core.u32(12).u16(3).u16(2).u16(1).u16(8);
  Bytes table; // 3-byte entries, cut to three by the pixel offset
  table.seq({1, 2, 3, 0x10, 0x20, 0x30, 0xff, 0, 0});
  Bytes px;
  px.seq({0, 1, 2, 0, 2, 2, 1, 0}); // bottom row, then top row
  const std::string file = BmpFile(core.s, table.s, px.s);
  Handle h = ReadBytes(file);
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.bpp, 8);
  EXPECT_EQ(d.colourCount, 3);
  EXPECT_EQ(kittest::RgbAt(d, 0, 1), 0x030201u);
  EXPECT_EQ(kittest::RgbAt(d, 1, 1), 0x302010u);
  EXPECT_EQ(kittest::RgbAt(d, 2, 1), 0x0000ffu);
  EXPECT_EQ(RowIndices(d, 0), (std::vector<int>{2, 2, 1}));
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(InfoOf(file, info));
  EXPECT_EQ(info.bitCount, 8);
  EXPECT_EQ(info.height, 2);
}

TEST(BmpRead, Os2Version2Headers) {
  // 64-byte header, 4 bits, full 16-entry RGBQUAD table.
  Bytes h64 = Info40(5, 1, 4);
  h64.zeros(24);
  h64.s[0] = 64;
  Bytes px;
  px.seq({0x01, 0x23, 0xf0, 0});
  Handle a = ReadBytes(BmpFile(h64.s, GreyTable(16), px.s));
  ASSERT_TRUE(a);
  EXPECT_EQ(a.View().colourCount, 16);
  EXPECT_EQ(RowIndices(a.View(), 0), (std::vector<int>{0, 1, 2, 3, 15}));
  EXPECT_EQ(kittest::RgbAt(a.View(), 4, 0), 0xf0f0f0u);

  // 16-byte header: no colour count field, so the table is the full 2 entries.
  Bytes h16;
  h16.u32(16).u32(3).u32(1).u16(1).u16(1);
  Bytes m;
  m.seq({0x40, 0, 0, 0});
  Handle b = ReadBytes(BmpFile(h16.s, GreyTable(2), m.s));
  ASSERT_TRUE(b);
  EXPECT_EQ(RowIndices(b.View(), 0), (std::vector<int>{0, 1, 0}));
}

// V4/V5 header: masks at 40, colour space and (V5) profile fields after.
Bytes InfoV(uint32_t size, int32_t w, int32_t h, unsigned bpp, uint32_t compression,
            std::initializer_list<uint32_t> masks, uint32_t profileAt = 0,
            uint32_t profileSize = 0) {
  Bytes b = Info40(w, h, bpp, compression);
  b.s[0] = static_cast<char>(size);
  for (uint32_t m : masks)
    b.u32(m);
  b.zeros(56 - b.s.size());
  b.u32(0x73524742); // 'sRGB'
  b.zeros(108 - b.s.size());
  if (size == 124) b.u32(4).u32(profileAt).u32(profileSize).u32(0);
  return b;
}

TEST(BmpRead, V5WithProfileAfterPixels) {
  Bytes px;
  px.seq({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
  const std::string profile(40, 'P');
  const std::string file =
      BmpFile(InfoV(124, 2, 2, 24, 0, {0, 0, 0, 0}, 124 + 16, 40).s, "", px.s, profile);
  Handle h = ReadBytes(file);
  ASSERT_TRUE(h);
  EXPECT_EQ(kittest::RgbAt(h.View(), 0, 1), 0x030201u);
  EXPECT_EQ(kittest::RgbAt(h.View(), 1, 0), 0x0c0b0au);
}

TEST(BmpRead, V4Bitfields565) {
  Bytes px;
  px.u16(0xffff).u16(0x0000);
  Handle h = ReadBytes(BmpFile(InfoV(108, 2, 1, 16, 3, {0xf800, 0x07e0, 0x001f}).s, "", px.s));
  ASSERT_TRUE(h);
  EXPECT_EQ(h.View().bpp, 24);
  EXPECT_EQ(kittest::RgbAt(h.View(), 0, 0), 0xffffffu);
  EXPECT_EQ(kittest::RgbAt(h.View(), 1, 0), 0u);
}

// ---- bit fields -----------------------------------------------------------

std::string FieldsFile(int w, unsigned bpp, uint32_t compression,
                       std::initializer_list<uint32_t> masks, const std::string &px) {
  Bytes m;
  for (uint32_t v : masks)
    m.u32(v);
  return BmpFile(Info40(w, 1, bpp, compression).s + m.s, "", px);
}

TEST(BmpRead, Bitfields565WidenedByRounding) {
  Bytes px;
  px.u16(0x001f).u16(0x8000).u16(0x0400).u16(0);
  const std::string file = FieldsFile(3, 16, 3, {0xf800, 0x07e0, 0x001f}, px.s);
  Handle h = ReadBytes(file);
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.bpp, 24);
  EXPECT_EQ(kittest::RgbAt(d, 0, 0), 0x0000ffu); // blue 31 -> 255
  EXPECT_EQ(kittest::RgbAt(d, 1, 0), 0x840000u); // red 16 of 31 -> 132
  EXPECT_EQ(kittest::RgbAt(d, 2, 0), 0x008200u); // green 32 of 63 -> 130
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(InfoOf(file, info));
  EXPECT_EQ(info.bitCount, 24);
  EXPECT_EQ(info.width, 3);
}

TEST(BmpRead, OddMaskWidthsAndZeroMask) {
  // red 1 bit, green 11 bits, no blue.
  Bytes px;
  px.u16(0xffff).u16(0x0010).u16(0x4000).u16(0);
  Handle h = ReadBytes(FieldsFile(3, 16, 3, {0x8000, 0x7ff0, 0}, px.s));
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(kittest::RgbAt(d, 0, 0), 0xffff00u);
  EXPECT_EQ(kittest::RgbAt(d, 1, 0), 0x000000u); // green 1 of 2047 -> 0
  EXPECT_EQ(kittest::RgbAt(d, 2, 0), 0x008000u); // green 1024 of 2047 -> 128
}

TEST(BmpRead, Bitfields101010With32Bits) {
  Bytes px;
  px.u32(0x3ff80001).u32(0x00300000 | 1022).u32(600);
  // BI_ALPHABITFIELDS: four masks after a 40-byte header.
  Handle h = ReadBytes(FieldsFile(3, 32, 6, {0x3ff00000, 0x000ffc00, 0x3ff, 0xc0000000}, px.s));
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.bpp, 24);
  EXPECT_EQ(kittest::RgbAt(d, 0, 0), 0xff8000u); // 1023, 512, 1
  EXPECT_EQ(kittest::RgbAt(d, 1, 0), 0x0100ffu); // 3, 0, 1022
  EXPECT_EQ(kittest::RgbAt(d, 2, 0), 0x000096u); // blue 600 -> 150
}

TEST(BmpRead, DefaultMasksKeepDepth) {
  Bytes p16;
  p16.u16(0x7fff).u16(0x8421);
  Handle a = ReadBytes(FieldsFile(2, 16, 3, {0x7c00, 0x3e0, 0x1f}, p16.s));
  ASSERT_TRUE(a);
  EXPECT_EQ(a.View().bpp, 16);
  EXPECT_EQ(a.View().Row(0)[2], 0x21);
  EXPECT_EQ(a.View().Row(0)[3], 0x84);
  Bytes p32;
  p32.u32(0x00a0b0c0);
  Handle b = ReadBytes(FieldsFile(1, 32, 3, {0xff0000, 0xff00, 0xff}, p32.s));
  ASSERT_TRUE(b);
  EXPECT_EQ(b.View().bpp, 32);
  EXPECT_EQ(kittest::RgbAt(b.View(), 0, 0), 0xa0b0c0u);
  // Plain 16 bits is 5-5-5 and stays 16 bits.
  Handle c = ReadBytes(BmpFile(Info40(2, 1, 16).s, "", p16.s));
  ASSERT_TRUE(c);
  EXPECT_EQ(c.View().bpp, 16);
  EXPECT_EQ(kittest::RgbAt(c.View(), 0, 0), 0xffffffu);
}

// ---- RLE ------------------------------------------------------------------

// 6 x 4, 8 colours: encoded runs, an odd absolute run, a delta across rows, EOL, EOB.
const std::initializer_list<unsigned> kRle8 = {
    3, 5, 0, 3, 1, 2, 7, 0, 0, 0,       // row 0: 5 5 5 | 1 2 7 (+pad) | EOL
    1, 4, 0, 2, 3, 1, 2, 6, 0, 0,       // row 1: 4 | delta (3,1) | row 2: 6 6 at x 4 | EOL
    0, 2, 1, 0, 0, 5, 1, 2, 3, 4, 5, 0, // row 3: delta (1,0) | 1 2 3 4 5 (+pad)
    0, 1};

TEST(BmpRead, Rle8) {
  Bytes s;
  s.seq(kRle8);
  const std::string file = BmpFile(Info40(6, 4, 8, 1, 8).s, GreyTable(8), s.s);
  Handle h = ReadBytes(file);
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.bpp, 8);
  EXPECT_EQ(d.colourCount, 8);
  EXPECT_EQ(RowIndices(d, 0), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(RowIndices(d, 1), (std::vector<int>{0, 0, 0, 0, 6, 6}));
  EXPECT_EQ(RowIndices(d, 2), (std::vector<int>{4, 0, 0, 0, 0, 0}));
  EXPECT_EQ(RowIndices(d, 3), (std::vector<int>{5, 5, 5, 1, 2, 7}));
}

TEST(BmpRead, Rle4) {
  Bytes s;
  s.seq({5, 0x12, 0,    3,    0x3f, 0xa0, 0, 0,       // 1 2 1 2 1 | 3 15 10 | EOL
         0, 5,    0x45, 0x67, 0x80, 0,    0, 2, 1, 0, // 4 5 6 7 8 (+pad) | delta (1,0)
         1, 0x9a, 0,    1});                          // 9 | EOB
  const std::string file = BmpFile(Info40(8, 2, 4, 2).s, GreyTable(16), s.s);
  Handle h = ReadBytes(file);
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(d.bpp, 4);
  EXPECT_EQ(RowIndices(d, 1), (std::vector<int>{1, 2, 1, 2, 1, 3, 15, 10}));
  EXPECT_EQ(RowIndices(d, 0), (std::vector<int>{4, 5, 6, 7, 8, 0, 9, 0}));
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(InfoOf(file, info));
  EXPECT_EQ(info.bitCount, 4);
}

// ImageMagick encodes whole padded rows: pixels in the padding are dropped.
TEST(BmpRead, RleRunIntoRowPadding) {
  Bytes s;
  s.seq({4, 2, 0, 0, 0, 4, 1, 2, 3, 7, 0, 1}); // row 0: 2 2 2 (+1) | row 1: 1 2 3 (+7)
  Handle h = ReadBytes(BmpFile(Info40(3, 2, 8, 1, 4).s, GreyTable(4), s.s));
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  EXPECT_EQ(RowIndices(d, 1), (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(RowIndices(d, 0), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(d.Row(0)[3], 0);
  EXPECT_EQ(d.Row(1)[3], 0);
}

// ---- bad input --------------------------------------------------------------

struct BadFile {
  const char *name;
  std::string bytes;
  bool headerAlone; // BmpInfo refuses it too
};

std::vector<BadFile> BadFiles() {
  const std::string px24(48, '\x10');
  const std::string good24 = BmpFile(Info40(4, 4, 24).s, "", px24);
  Bytes rle;
  rle.seq(kRle8);
  const std::string goodRle8 = BmpFile(Info40(6, 4, 8, 1, 8).s, GreyTable(8), rle.s);
  auto rle8 = [](int w, int h, std::initializer_list<unsigned> data, int colours = 256) {
    Bytes b;
    b.seq(data);
    return BmpFile(Info40(w, h, 8, 1, colours == 256 ? 0 : colours).s, GreyTable(colours), b.s);
  };
  Bytes idx;
  idx.seq({0, 1, 5, 0});
  Bytes badMagic;
  badMagic.s = good24;
  badMagic.s[1] = 'X';
  Bytes hugeHeader;
  hugeHeader.s = good24;
  hugeHeader.s[14] = static_cast<char>(200);
  Bytes offInHeader;
  offInHeader.s = good24;
  offInHeader.s[10] = 20;
  Bytes os2Huffman = Info40(8, 1, 1, 3);
  os2Huffman.zeros(24);
  os2Huffman.s[0] = 64;
  Bytes r4;
  r4.seq({9, 0x11, 0, 1}); // 3 pixels, padded row holds 8
  return {
      {"empty_file", "", true},
      {"truncated_header", good24.substr(0, 20), true},
      {"truncated_pixels", good24.substr(0, good24.size() - 5), false},
      {"truncated_rle8", goodRle8.substr(0, goodRle8.size() - 10), false},
      {"rle8_run_past_row", rle8(4, 2, {5, 1, 0, 1}), false},
      {"rle8_absolute_past_row", rle8(4, 2, {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}), false},
      {"rle8_delta_past_image", rle8(4, 2, {0, 2, 0, 2, 1, 1, 0, 1}), false},
      {"rle8_write_after_last_row", rle8(2, 1, {2, 1, 0, 0, 2, 1, 0, 1}), false},
      {"rle8_index_beyond_table", rle8(4, 1, {2, 5, 0, 1}, 2), false},
      {"rle4_run_past_row", BmpFile(Info40(3, 1, 4, 2).s, GreyTable(16), r4.s), false},
      {"palette_index_beyond_table", BmpFile(Info40(3, 1, 8, 0, 2).s, GreyTable(2), idx.s), false},
      {"huge_dimensions", BmpFile(Info40(100000, 100000, 24).s, "", px24), true},
      {"stride_overflow", BmpFile(Info40(0x7fffffff, 1, 32).s, "", px24), true},
      {"negative_width", BmpFile(Info40(-4, 4, 24).s, "", px24), true},
      {"zero_height", BmpFile(Info40(4, 0, 24).s, "", px24), true},
      {"height_int_min", BmpFile(Info40(4, INT32_MIN, 24).s, "", px24), true},
      {"unknown_compression_4", BmpFile(Info40(4, 4, 24, 4).s, "", px24), true},
      {"unknown_compression_5", BmpFile(Info40(4, 4, 24, 5).s, "", px24), true},
      {"rle8_on_24_bits", BmpFile(Info40(4, 4, 24, 1).s, "", px24), true},
      {"bitfields_on_8_bits", BmpFile(Info40(4, 4, 8, 3).s, GreyTable(256), px24), true},
      {"non_contiguous_mask", FieldsFile(2, 16, 3, {0xf0f0, 0x0f00, 0x000f}, px24), true},
      {"mask_wider_than_16_bits", FieldsFile(2, 16, 3, {0x1f0000, 0x3e0, 0x1f}, px24), true},
      {"planes_zero", BmpFile(Info40(4, 4, 24, 0, 0, 0).s, "", px24), true},
      {"bit_count_7", BmpFile(Info40(4, 4, 7).s, "", px24), true},
      {"bad_magic", badMagic.s, true},
      {"os2_huffman_compression", BmpFile(os2Huffman.s, GreyTable(2), px24.substr(0, 4)), true},
      {"header_size_200", hugeHeader.s, true},
      {"pixel_offset_inside_header", offInHeader.s, true},
      {"no_colour_table", BmpFile(Info40(4, 1, 8).s, "", px24.substr(0, 4)), true},
  };
}

TEST(BmpRead, BadFilesAreRefused) {
  for (const BadFile &b : BadFiles()) {
    SCOPED_TRACE(b.name);
    EXPECT_FALSE(ReadBytes(b.bytes));
    IMGKIT_FILEINFO info{};
    EXPECT_EQ(InfoOf(b.bytes, info), !b.headerAlone);
  }
}

TEST(BmpRead, InfoOfTopDownFile) {
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(InfoOf(BmpFile(Info40(7, -3, 24).s, "", std::string(72, '\0')), info));
  EXPECT_EQ(info.width, 7);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.bitCount, 24);
  EXPECT_EQ(info.format, IMGKIT_FORMAT_BMP);
}

// ---- ImageMagick ----------------------------------------------------------

bool HaveImageMagick() { return !kittest::RunCommand("command -v identify convert").empty(); }

// "x,y: (...)  #RRGGBB ..." lines of `convert file -depth 8 txt:-` as 0xRRGGBB by position.
std::vector<uint32_t> MagickPixels(const std::string &path, int w, int h) {
  std::vector<uint32_t> out(static_cast<size_t>(w) * h, 0xffffffffu);
  std::istringstream in(kittest::RunCommand("convert '" + path + "' -depth 8 txt:-"));
  std::string line;
  while (std::getline(in, line)) {
    int x, y;
    if (line.empty() || line[0] == '#' || std::sscanf(line.c_str(), "%d,%d:", &x, &y) != 2)
      continue;
    const size_t hash = line.find('#');
    if (hash == std::string::npos || x < 0 || y < 0 || x >= w || y >= h) continue;
    out[static_cast<size_t>(y) * w + x] =
        static_cast<uint32_t>(std::stoul(line.substr(hash + 1, 6), nullptr, 16));
  }
  return out;
}

TEST(BmpMagick, IdentifyReadsWhatWeWrite) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  const auto dir = kittest::ScratchDir();
  Handle c24 = kittest::MakeImage(7, 3, 24, [](int x, int y) { return x * 0x102030u + y; });
  Handle c8 = kittest::MakeImage(
      5, 4, 8, [](int x, int y) { return x + y; }, 9);
  const std::string p24 = (dir / "c24.bmp").string();
  const std::string p8 = (dir / "c8.bmp").string();
  ASSERT_TRUE(kit::WriteBmp(p24.c_str(), c24.get()));
  ASSERT_TRUE(kit::WriteBmp(p8.c_str(), c8.get()));
  EXPECT_EQ(kittest::RunCommand("identify -format '%w %h' '" + p24 + "'"), "7 3");
  EXPECT_EQ(kittest::RunCommand("identify -format '%w %h' '" + p8 + "'"), "5 4");
  const std::vector<uint32_t> px = MagickPixels(p24, 7, 3);
  EXPECT_EQ(px[0 * 7 + 0], kittest::RgbAt(c24.View(), 0, 0));
  EXPECT_EQ(px[2 * 7 + 6], kittest::RgbAt(c24.View(), 6, 2));
  const std::vector<uint32_t> p = MagickPixels(p8, 5, 4);
  EXPECT_EQ(p[3 * 5 + 4], kittest::RgbAt(c8.View(), 4, 3));
}

TEST(BmpMagick, WeReadWhatImageMagickWrites) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
  const auto dir = kittest::ScratchDir();
  struct Made {
    const char *name;
    const char *args;
    int w, h;
    bool palette;
  };
  const Made made[] = {
      {"gradient.bmp", "-size 5x3 gradient:", 5, 3, false},
      {"palette.bmp", "-size 6x4 gradient:red-blue -type palette", 6, 4, true},
      {"rle.bmp", "-size 7x5 gradient:yellow-navy -type palette -compress RLE", 7, 5, true},
  };
  for (const Made &m : made) {
    SCOPED_TRACE(m.name);
    const std::string path = (dir / m.name).string();
    kittest::RunCommand(std::string("convert ") + m.args + " BMP3:'" + path + "'");
    Handle h = ReadPath(path);
    ASSERT_TRUE(h);
    const kit::Dib d = h.View();
    ASSERT_EQ(d.width, m.w);
    ASSERT_EQ(d.height, m.h);
    EXPECT_EQ(d.IsPalette(), m.palette);
    const std::vector<uint32_t> px = MagickPixels(path, m.w, m.h);
    for (int y = 0; y < m.h; ++y)
      for (int x = 0; x < m.w; ++x)
        EXPECT_EQ(kittest::RgbAt(d, x, y), px[static_cast<size_t>(y) * m.w + x]) << x << "," << y;
  }
}

} // namespace
