#include "image/ImageFile.h"

#include "image/Dib.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class ImageFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/image-file-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    for (const std::string &name : Names())
      std::remove((dir_ + "/" + name).c_str());
    rmdir(dir_.c_str());
  }
  std::string Path(const std::string &name) const { return dir_ + "/" + name; }
  // Every entry of the folder but . and ..
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir_.c_str())) {
      while (const dirent *e = readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
          names.emplace_back(e->d_name);
      closedir(d);
    }
    return names;
  }
  std::string dir_;
};

std::string Bytes(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// A 24-bit picture whose every byte differs from its neighbours'.
DibHandle Pattern24(int width, int height) {
  DibHandle h = CreateBlankDib(width, height);
  TMDIB d(h.get());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 3 * width; ++x)
      d.Row(y)[x] = static_cast<uint8_t>(x * 7 + y * 31 + 3);
  return h;
}

// The pixel bytes of every row, padding left out.
std::vector<uint8_t> Pixels(IMGHANDLE image) {
  const TMDIB d(image);
  std::vector<uint8_t> out;
  const int rowBytes = (d.width * d.BitsPerPixel() + 7) / 8;
  for (int y = 0; y < d.height; ++y)
    out.insert(out.end(), d.Row(y), d.Row(y) + rowBytes);
  return out;
}

// A 32-bit image made by hand (the kit makes none of its own).
DibHandle Make32(int width, int height) {
  const uint32_t bytes = static_cast<uint32_t>(40 + 4 * width * height);
  DibHandle h(Kit.ImgKitMemAlloc(bytes));
  auto *hdr = static_cast<IMGKIT_BMIH *>(h.get());
  std::memset(hdr, 0, bytes);
  hdr->biSize = 40;
  hdr->biWidth = width;
  hdr->biHeight = height;
  hdr->biPlanes = 1;
  hdr->biBitCount = 32;
  auto *p = reinterpret_cast<uint8_t *>(hdr) + 40;
  for (int i = 0; i < width * height; ++i) {
    p[4 * i] = static_cast<uint8_t>(i * 5);
    p[4 * i + 1] = static_cast<uint8_t>(i * 11 + 1);
    p[4 * i + 2] = static_cast<uint8_t>(200 - i);
  }
  return h;
}

TEST(ImageFileKind, ByExtensionIgnoringCase) {
  EXPECT_EQ(FileKindByExtension("a.jpg"), ImageFileKind::Jpeg);
  EXPECT_EQ(FileKindByExtension("/x/b.JPEG"), ImageFileKind::Jpeg);
  EXPECT_EQ(FileKindByExtension("c.Bmp"), ImageFileKind::Bmp);
  EXPECT_EQ(FileKindByExtension("d.tif"), ImageFileKind::Tiff);
  EXPECT_EQ(FileKindByExtension("e.TIFF"), ImageFileKind::Tiff);
  for (const char *name : {"f.png", "g.jpg.gif", "jpg", "h.tiff2", "", ".bm"})
    EXPECT_EQ(FileKindByExtension(name), ImageFileKind::Unknown) << name;
}

TEST_F(ImageFileTest, BmpAndTiffRoundTripExactly) {
  DibHandle image = Pattern24(7, 5);
  for (const char *name : {"a.bmp", "b.TIF", "c.tiff"}) {
    ASSERT_TRUE(SaveImageFile(Path(name), image.get(), 90)) << name;
    DibHandle back = LoadImageFile(Path(name));
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(Pixels(back.get()), Pixels(image.get())) << name;
  }
}

TEST_F(ImageFileTest, JpegIsWrittenAsJpeg) {
  DibHandle image = Pattern24(9, 4);
  ASSERT_TRUE(SaveImageFile(Path("a.Jpeg"), image.get(), 75));
  EXPECT_EQ(Bytes(Path("a.Jpeg")).substr(0, 3), "\xFF\xD8\xFF");
  DibHandle back = LoadImageFile(Path("a.Jpeg"));
  ASSERT_TRUE(back);
  const TMDIB d(back.get());
  EXPECT_EQ(d.width, 9);
  EXPECT_EQ(d.height, 4);
  // The quality reaches the encoder: a lower one gives a smaller file.
  DibHandle big = Pattern24(64, 64);
  ASSERT_TRUE(SaveImageFile(Path("hi.jpg"), big.get(), 100));
  ASSERT_TRUE(SaveImageFile(Path("lo.jpg"), big.get(), 10));
  EXPECT_LT(Bytes(Path("lo.jpg")).size(), Bytes(Path("hi.jpg")).size());
}

TEST_F(ImageFileTest, WideImagesBecomeFullColourOnlyWhenAsked) {
  DibHandle wide = Make32(3, 2);
  ASSERT_TRUE(SaveImageFile(Path("w.bmp"), wide.get(), 90));
  DibHandle raw = LoadImageFile(Path("w.bmp"), {.plugins = false, .fullColour = false});
  ASSERT_TRUE(raw);
  EXPECT_EQ(TMDIB(raw.get()).BitsPerPixel(), 32);
  bool fromPlugin = true;
  DibHandle full = LoadImageFile(Path("w.bmp"), {}, &fromPlugin);
  ASSERT_TRUE(full);
  EXPECT_FALSE(fromPlugin);
  const TMDIB d(full.get());
  ASSERT_EQ(d.BitsPerPixel(), 24);
  const uint8_t *first = d.Row(0); // memory row 0: the first row of the hand-made image
  EXPECT_EQ(first[0], 0);
  EXPECT_EQ(first[3 + 1], 12);
  EXPECT_EQ(first[6 + 2], 198);
}

TEST_F(ImageFileTest, RefusesUnknownExtensionsAndMissingFolders) {
  DibHandle image = Pattern24(2, 2);
  EXPECT_FALSE(SaveImageFile(Path("a.png"), image.get(), 90));
  EXPECT_FALSE(SaveImageFile(Path("noext"), image.get(), 90));
  EXPECT_FALSE(SaveImageFile(Path("missing/a.bmp"), image.get(), 90));
  EXPECT_FALSE(SaveImageFile(Path("none.bmp"), nullptr, 90));
  EXPECT_TRUE(Names().empty());
  EXPECT_FALSE(LoadImageFile(Path("missing.bmp")));
  EXPECT_FALSE(LoadImageFile(Path("missing/a.bmp"), {.plugins = false}));
}

TEST_F(ImageFileTest, UnreadableFilesGiveNoImage) {
  std::ofstream(Path("junk.bmp")) << "not an image at all";
  EXPECT_FALSE(LoadImageFile(Path("junk.bmp")));
  EXPECT_FALSE(LoadImageFile(Path("junk.bmp"), {.plugins = false}));
}

TEST_F(ImageFileTest, FailedWriteLeavesTheExistingFileAsItWas) {
  DibHandle small = Pattern24(4, 4);
  const std::string target = Path("keep.jpg");
  ASSERT_TRUE(SaveImageFile(target, small.get(), 90));
  const std::string before = Bytes(target);
  // Wider than JPEG allows: the encoder fails after the file was opened.
  DibHandle tooWide = CreateBlankDib(70000, 1);
  ASSERT_TRUE(tooWide);
  EXPECT_FALSE(SaveImageFile(target, tooWide.get(), 90));
  EXPECT_EQ(Bytes(target), before);
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.jpg"}); // no temporary left behind
}

} // namespace
