// Saved files keep the photo's metadata: EXIF (date, camera, GPS), IPTC,
// XMP and the ICC profile go from the source into JPEG and TIFF outputs,
// read back with Exiv2 itself; sizes and orientation follow the picture,
// the embedded preview goes, and a failed save leaves nothing behind.
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Metadata.h"

#include "exif_util.h"

#include <QColorSpace>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string AdobeRgbProfile() {
  const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
  return std::string(icc.constData(), static_cast<size_t>(icc.size()));
}

class Metadata : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  std::string Path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
  // A 64 x 32 photo stored on its side (orientation 6) with everything a
  // camera writes.
  std::string Photo(const char *name) {
    QImage picture(64, 32, QImage::Format_RGB888);
    picture.fill(QColor(200, 120, 40));
    DibHandle dib = DibFromBitmap(picture);
    const std::string path = Path(name);
    EXPECT_TRUE(SaveImageFile(path, dib.get(), 95));
    EXPECT_TRUE(exif_util::TagLikeACamera(path, 6, AdobeRgbProfile()));
    return path;
  }
  void ExpectKept(const std::string &path, int width, int height) {
    SCOPED_TRACE(path);
    EXPECT_EQ(exif_util::Value(path, "Exif.Photo.DateTimeOriginal"), "2024:05:06 07:08:09");
    EXPECT_EQ(exif_util::Value(path, "Exif.Image.Model"), "VelmirCam 7");
    EXPECT_EQ(exif_util::Value(path, "Exif.GPSInfo.GPSLatitude"), "35/1 40/1 1234/100");
    EXPECT_EQ(exif_util::Value(path, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(exif_util::Value(path, "Xmp.dc.subject"), "sakura");
    EXPECT_EQ(exif_util::Value(path, "Iptc.Application2.Keywords"), "hanami");
    EXPECT_EQ(exif_util::IccProfile(path), AdobeRgbProfile());
    EXPECT_EQ(exif_util::Value(path, "Exif.Image.Orientation"), "1");
    EXPECT_EQ(exif_util::Value(path, "Exif.Photo.PixelXDimension"), std::to_string(width));
    EXPECT_EQ(exif_util::Value(path, "Exif.Photo.PixelYDimension"), std::to_string(height));
    EXPECT_FALSE(exif_util::HasExifThumbnail(path));
  }
  void ExpectNone(const std::string &path) {
    SCOPED_TRACE(path);
    EXPECT_EQ(exif_util::Value(path, "Exif.Image.Model"), "");
    EXPECT_EQ(exif_util::Value(path, "Exif.GPSInfo.GPSLatitude"), "");
    EXPECT_EQ(exif_util::Value(path, "Xmp.dc.subject"), "");
    EXPECT_EQ(exif_util::IccProfile(path), "");
  }
  QStringList Names() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
  QTemporaryDir dir;
};

TEST_F(Metadata, ReadTakesEverythingTheSourceCarries) {
  const PhotoMetadata m = PhotoMetadata::Read(Photo("src.jpg"));
  EXPECT_FALSE(m.Empty());
  EXPECT_EQ(m.IccProfile(), AdobeRgbProfile());
  EXPECT_TRUE(PhotoMetadata::Read(Path("missing.jpg")).Empty());
}

TEST_F(Metadata, JpegAndTiffOutputsKeepItWithTheUprightSizes) {
  const std::string source = Photo("src.jpg");
  const PhotoMetadata m = PhotoMetadata::Read(source);
  DibHandle upright = LoadImageFile(source);
  ASSERT_TRUE(upright);
  ASSERT_EQ(TMDIB(upright.get()).width, 32);
  for (const char *name : {"out.jpg", "out.tif"}) {
    ASSERT_TRUE(SaveImageFile(Path(name), upright.get(), 90, &m)) << name;
    ExpectKept(Path(name), 32, 64);
    // The file reads back as the picture, upright, through the kit.
    DibHandle back = LoadImageFile(Path(name));
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(TMDIB(back.get()).width, 32);
    EXPECT_EQ(TMDIB(back.get()).height, 64);
  }
  // No private file is left beside the outputs.
  EXPECT_EQ(Names(), (QStringList{"out.jpg", "out.tif", "src.jpg"}));
}

TEST_F(Metadata, SavingOverTheSourceItselfKeepsIt) {
  const std::string source = Photo("same.jpg");
  const PhotoMetadata m = PhotoMetadata::Read(source);
  DibHandle upright = LoadImageFile(source);
  ASSERT_TRUE(SaveImageFile(source, upright.get(), 90, &m));
  ExpectKept(source, 32, 64);
  // Read again, it stands upright without turning a second time.
  DibHandle again = LoadImageFile(source);
  EXPECT_EQ(TMDIB(again.get()).width, 32);
}

TEST_F(Metadata, NoMetadataAndBmpOutputsWriteThePictureAlone) {
  const std::string source = Photo("src.jpg");
  DibHandle upright = LoadImageFile(source);
  const PhotoMetadata none;
  ASSERT_TRUE(SaveImageFile(Path("plain.jpg"), upright.get(), 90, &none));
  ASSERT_TRUE(SaveImageFile(Path("null.tif"), upright.get(), 90, nullptr));
  ExpectNone(Path("plain.jpg"));
  ExpectNone(Path("null.tif"));
  const PhotoMetadata m = PhotoMetadata::Read(source);
  ASSERT_TRUE(SaveImageFile(Path("out.bmp"), upright.get(), 90, &m));
  EXPECT_TRUE(LoadImageFile(Path("out.bmp")));
}

TEST_F(Metadata, AFailedSaveLeavesTheOldFileAndNoPrivateFile) {
  const std::string source = Photo("src.jpg");
  const PhotoMetadata m = PhotoMetadata::Read(source);
  DibHandle upright = LoadImageFile(source);
  EXPECT_FALSE(SaveImageFile(Path("gone/out.jpg"), upright.get(), 90, &m));
  // No picture to write: the existing file stays byte for byte.
  const QByteArray before = [&] {
    QFile f(QString::fromStdString(source));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  EXPECT_FALSE(SaveImageFile(source, nullptr, 90, &m));
  QFile after(QString::fromStdString(source));
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
  EXPECT_EQ(Names(), QStringList{"src.jpg"});
}

TEST_F(Metadata, AFileWithoutMetadataOrNotAPictureReadsEmpty) {
  QImage picture(8, 8, QImage::Format_RGB888);
  picture.fill(Qt::white);
  DibHandle dib = DibFromBitmap(picture);
  ASSERT_TRUE(SaveImageFile(Path("bare.jpg"), dib.get(), 90));
  EXPECT_TRUE(PhotoMetadata::Read(Path("bare.jpg")).Empty());
  QFile text(dir.path() + "/text.jpg");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  static const char bytes[] = "\xFF\xD8\xFF\xE1\x00\x10"
                              "Exif\0\0MM\0*garbage";
  text.write(bytes, sizeof bytes - 1);
  text.close();
  EXPECT_TRUE(PhotoMetadata::Read(Path("text.jpg")).IccProfile().empty());
}

} // namespace
