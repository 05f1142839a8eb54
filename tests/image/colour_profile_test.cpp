// Colour-managed display: a picture with an embedded profile is shown in
// sRGB, while its pixels stay as they are; pictures without a profile (or
// with sRGB) are shown unchanged. And the shown conversion of a part of a
// picture at any zoom, which the windows paint from.
#include "image/ColourProfile.h"
#include "image/Dib.h"
#include "image/ImageFile.h"

#include "exif_util.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string Profile(QColorSpace::NamedColorSpace named) {
  const QByteArray icc = QColorSpace(named).iccProfile();
  return std::string(icc.constData(), static_cast<size_t>(icc.size()));
}

TEST(DisplayProfile, AdobeRgbIsShownAsItsSrgbEquivalent) {
  const DisplayProfile profile = DisplayProfile::FromIcc(Profile(QColorSpace::AdobeRgb));
  ASSERT_TRUE(profile.Converts());
  const QColorTransform reference =
      QColorSpace(QColorSpace::AdobeRgb).transformationToColorSpace(QColorSpace::SRgb);
  const QRgb samples[] = {qRgb(100, 150, 50), qRgb(0, 128, 0), qRgb(200, 40, 90)};
  QImage shown(3, 1, QImage::Format_RGB32);
  for (int i = 0; i < 3; ++i)
    shown.setPixel(i, 0, samples[i]);
  profile.ToDisplay(shown);
  for (int i = 0; i < 3; ++i) {
    const QRgb expected = reference.map(samples[i]);
    const QRgb got = shown.pixel(i, 0);
    EXPECT_NEAR(qRed(got), qRed(expected), 1) << i;
    EXPECT_NEAR(qGreen(got), qGreen(expected), 1) << i;
    EXPECT_NEAR(qBlue(got), qBlue(expected), 1) << i;
    EXPECT_NE(got & 0xffffff, samples[i] & 0xffffff) << i; // Adobe RGB greens are wider
  }
  // Greys stay grey, white stays white.
  QImage grey(1, 1, QImage::Format_RGB32);
  grey.setPixel(0, 0, qRgb(255, 255, 255));
  profile.ToDisplay(grey);
  EXPECT_EQ(grey.pixel(0, 0) & 0xffffff, 0xffffffu);
}

TEST(DisplayProfile, NoProfileSrgbAndJunkShowThePictureAsItIs) {
  for (const std::string &icc : {std::string(), Profile(QColorSpace::SRgb), std::string("junk")}) {
    const DisplayProfile profile = DisplayProfile::FromIcc(icc);
    EXPECT_FALSE(profile.Converts());
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(100, 150, 50));
    profile.ToDisplay(image);
    EXPECT_EQ(image.pixel(0, 0) & 0xffffff, qRgb(100, 150, 50) & 0xffffffu);
  }
}

class JpegProfile : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  std::string Path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
  QTemporaryDir dir;
};

TEST_F(JpegProfile, ReadFromTheHeadAsExiv2WroteIt) {
  QImage picture(16, 16, QImage::Format_RGB888);
  picture.fill(QColor(100, 150, 50));
  DibHandle dib = DibFromBitmap(picture);
  ASSERT_TRUE(SaveImageFile(Path("a.jpg"), dib.get(), 90));
  bool jpeg = false;
  EXPECT_EQ(JpegIccProfile(Path("a.jpg"), &jpeg), "");
  EXPECT_TRUE(jpeg);
  EXPECT_FALSE(DisplayProfile::ForFile(Path("a.jpg")).Converts());
  ASSERT_TRUE(exif_util::TagLikeACamera(Path("a.jpg"), 1, Profile(QColorSpace::DisplayP3)));
  EXPECT_EQ(JpegIccProfile(Path("a.jpg")), exif_util::IccProfile(Path("a.jpg")));
  EXPECT_TRUE(DisplayProfile::ForFile(Path("a.jpg")).Converts());
  // A TIFF file's profile comes through Exiv2.
  ASSERT_TRUE(SaveImageFile(Path("a.tif"), dib.get(), 90));
  EXPECT_EQ(JpegIccProfile(Path("a.tif"), &jpeg), "");
  EXPECT_FALSE(jpeg);
  ASSERT_TRUE(exif_util::TagLikeACamera(Path("a.tif"), 1, Profile(QColorSpace::AdobeRgb)));
  EXPECT_TRUE(DisplayProfile::ForFile(Path("a.tif")).Converts());
}

TEST_F(JpegProfile, PiecesOutOfOrderOrMissingMakeNoProfile) {
  auto segment = [](int number, int total, const std::string &bytes) {
    const std::string body = std::string("ICC_PROFILE\0", 12) + static_cast<char>(number) +
                             static_cast<char>(total) + bytes;
    const size_t length = body.size() + 2;
    return std::string("\xFF\xE2", 2) + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xFF) + body;
  };
  const std::string soi("\xFF\xD8", 2), eoi("\xFF\xD9", 2);
  std::ofstream(Path("two.jpg"), std::ios::binary)
      << soi + segment(2, 2, "world") + segment(1, 2, "hello ") + eoi;
  EXPECT_EQ(JpegIccProfile(Path("two.jpg")), "hello world");
  std::ofstream(Path("gap.jpg"), std::ios::binary)
      << soi + segment(1, 3, "a") + segment(3, 3, "c") + eoi;
  EXPECT_EQ(JpegIccProfile(Path("gap.jpg")), "");
  std::ofstream(Path("twice.jpg"), std::ios::binary)
      << soi + segment(1, 2, "a") + segment(1, 2, "a") + eoi;
  EXPECT_EQ(JpegIccProfile(Path("twice.jpg")), "");
  std::ofstream(Path("zero.jpg"), std::ios::binary) << soi + segment(0, 0, "a") + eoi;
  EXPECT_EQ(JpegIccProfile(Path("zero.jpg")), "");
}

// 2 x 2: red, green / blue, white.
DibHandle Checker() {
  QImage image(2, 2, QImage::Format_RGB888);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(0, 1, qRgb(0, 0, 255));
  image.setPixel(1, 1, qRgb(255, 255, 255));
  return DibFromBitmap(image);
}

TEST(DisplayArea, FullSizeEnlargedAndReducedParts) {
  DibHandle dib = Checker();
  const TMDIB view(dib.get());
  const QImage same = DisplayArea(view, QSize(2, 2), QRect(1, 0, 1, 2));
  ASSERT_EQ(same.size(), QSize(1, 2));
  EXPECT_EQ(same.pixel(0, 0) & 0xffffff, 0x00ff00u);
  EXPECT_EQ(same.pixel(0, 1) & 0xffffff, 0xffffffu);
  // Enlarged four times: whole blocks, and a part starting inside one.
  const QImage big = DisplayArea(view, QSize(8, 8), QRect(3, 3, 2, 2));
  EXPECT_EQ(big.pixel(0, 0) & 0xffffff, 0xff0000u);
  EXPECT_EQ(big.pixel(1, 0) & 0xffffff, 0x00ff00u);
  EXPECT_EQ(big.pixel(0, 1) & 0xffffff, 0x0000ffu);
  EXPECT_EQ(big.pixel(1, 1) & 0xffffff, 0xffffffu);
  // An area reaching past the shown size is cut to it; nothing left is null.
  EXPECT_EQ(DisplayArea(view, QSize(8, 8), QRect(6, 6, 5, 5)).size(), QSize(2, 2));
  EXPECT_TRUE(DisplayArea(view, QSize(8, 8), QRect(9, 9, 2, 2)).isNull());
}

TEST(DisplayArea, PaletteImagesThroughTheirTable) {
  QImage indexed(8, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(0, 0, 0), qRgb(200, 100, 50)});
  for (int x = 0; x < 8; ++x)
    indexed.setPixel(x, 0, x < 4 ? 0 : 1);
  DibHandle dib = DibFromBitmap(indexed);
  ASSERT_TRUE(dib);
  const QImage reduced = DisplayArea(TMDIB(dib.get()), QSize(2, 1), QRect(0, 0, 2, 1));
  EXPECT_EQ(reduced.pixel(0, 0) & 0xffffff, 0x000000u);
  EXPECT_EQ(reduced.pixel(1, 0) & 0xffffff, 0xc86432u);
}

} // namespace
