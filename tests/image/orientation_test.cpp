// Phone and camera photos stand upright when read: the EXIF orientation of
// a JPEG file is applied by every reader, and damaged or foreign EXIF
// blocks read as "as stored".
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Orientation.h"

#include "exif_util.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

// Four flat quadrants of distinct colours, edges on the JPEG blocks: any of
// the eight mirrorings and turns puts them in a different order.
constexpr int kW = 48, kH = 32;
const QRgb kQuadrant[2][2] = {{qRgb(220, 30, 30), qRgb(30, 200, 40)},
                              {qRgb(30, 40, 210), qRgb(240, 240, 240)}};

QImage Quadrants() {
  QImage image(kW, kH, QImage::Format_RGB32);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      image.setPixel(x, y, kQuadrant[y < kH / 2 ? 0 : 1][x < kW / 2 ? 0 : 1]);
  return image.convertToFormat(QImage::Format_RGB888);
}

// Where a stored pixel (x, y) of a W x H picture lands when shown upright,
// as the EXIF orientation values are defined (row 0 / column 0 sides).
QPoint Upright(int orientation, int x, int y) {
  switch (orientation) {
  case 2: return {kW - 1 - x, y};
  case 3: return {kW - 1 - x, kH - 1 - y};
  case 4: return {x, kH - 1 - y};
  case 5: return {y, x};
  case 6: return {kH - 1 - y, x};
  case 7: return {kH - 1 - y, kW - 1 - x};
  case 8: return {y, kW - 1 - x};
  default: return {x, y};
  }
}

bool Near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) < 16 && std::abs(qGreen(a) - qGreen(b)) < 16 &&
         std::abs(qBlue(a) - qBlue(b)) < 16;
}

class Orientation : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    LoadImagingKit();
  }
  std::string Path(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
  std::string Photo(const char *name, int orientation) {
    const std::string path = Path(name);
    DibHandle dib = DibFromBitmap(Quadrants());
    EXPECT_TRUE(SaveImageFile(path, dib.get(), 100));
    EXPECT_TRUE(exif_util::SetOrientation(path, orientation));
    return path;
  }
  void ExpectUpright(const DibHandle &image, int orientation) {
    ASSERT_TRUE(image);
    const QImage shown = BitmapFromDib(TMDIB(image.get()));
    const bool swapped = orientation >= 5;
    ASSERT_EQ(shown.width(), swapped ? kH : kW) << "orientation " << orientation;
    ASSERT_EQ(shown.height(), swapped ? kW : kH) << "orientation " << orientation;
    for (int qy = 0; qy < 2; ++qy)
      for (int qx = 0; qx < 2; ++qx) {
        const QPoint at = Upright(orientation, qx * kW / 2 + kW / 4, qy * kH / 2 + kH / 4);
        EXPECT_TRUE(Near(shown.pixel(at), kQuadrant[qy][qx]))
            << "orientation " << orientation << " quadrant " << qx << "," << qy;
      }
  }
  QTemporaryDir dir;
};

TEST_F(Orientation, EveryOrientationReadsUpright) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const std::string path = Photo("photo.jpg", orientation);
    EXPECT_EQ(JpegExifOrientation(path), orientation);
    ExpectUpright(LoadImageFile(path), orientation);
    // The batch jobs' kit-only read turns it the same way.
    ExpectUpright(LoadImageFile(path, {.plugins = false, .fullColour = true}), orientation);
  }
}

TEST_F(Orientation, FourTurnsOfTheOrientationSixStepGiveTheOriginal) {
  DibHandle image = DibFromBitmap(Quadrants());
  ASSERT_TRUE(image);
  const QImage before = BitmapFromDib(TMDIB(image.get()));
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(ApplyOrientation(image, 6));
  EXPECT_EQ(BitmapFromDib(TMDIB(image.get())), before);
  // Mirrorings undo themselves.
  for (int orientation : {2, 4, 5, 7}) {
    ASSERT_TRUE(ApplyOrientation(image, orientation));
    ASSERT_TRUE(ApplyOrientation(image, orientation));
    EXPECT_EQ(BitmapFromDib(TMDIB(image.get())), before) << orientation;
  }
}

TEST_F(Orientation, ValuesOutsideOneToEightLeaveThePicture) {
  const std::string path = Photo("nine.jpg", 9);
  EXPECT_EQ(JpegExifOrientation(path), 1);
  ExpectUpright(LoadImageFile(path), 1);
  const std::string zero = Photo("zero.jpg", 0);
  EXPECT_EQ(JpegExifOrientation(zero), 1);
}

void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A JPEG start, one APP1 block holding `tiff`, and the end marker.
std::string ExifOnly(const std::string &tiff) {
  const size_t length = tiff.size() + 8;
  return std::string("\xFF\xD8\xFF\xE1", 4) + static_cast<char>(length >> 8) +
         static_cast<char>(length & 0xFF) + std::string("Exif\0\0", 6) + tiff +
         std::string("\xFF\xD9", 2);
}

TEST_F(Orientation, BigEndianBlocksAndDamagedOnes) {
  // Motorola byte order, one entry: orientation 6 as SHORT.
  const std::string ifd = std::string("MM\0*\0\0\0\x08\0\x01", 10) +
                          std::string("\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 12) +
                          std::string("\0\0\0\0", 4);
  WriteBytes(Path("mm.jpg"), ExifOnly(ifd));
  EXPECT_EQ(JpegExifOrientation(Path("mm.jpg")), 6);
  // The same value as LONG is not the tag's type: as stored.
  std::string asLong = ifd;
  asLong[13] = 4;
  WriteBytes(Path("long.jpg"), ExifOnly(asLong));
  EXPECT_EQ(JpegExifOrientation(Path("long.jpg")), 1);
  // An entry count running past the block, an IFD offset past its end, a
  // block cut short, a block length below two, no JPEG at all.
  std::string many = ifd;
  many[9] = '\x7F';
  WriteBytes(Path("many.jpg"), ExifOnly(many));
  EXPECT_EQ(JpegExifOrientation(Path("many.jpg")), 6); // the first entry is whole
  std::string far = ifd;
  far[7] = '\x70';
  WriteBytes(Path("far.jpg"), ExifOnly(far));
  EXPECT_EQ(JpegExifOrientation(Path("far.jpg")), 1);
  WriteBytes(Path("cut.jpg"), ExifOnly(ifd).substr(0, 20));
  EXPECT_EQ(JpegExifOrientation(Path("cut.jpg")), 1);
  WriteBytes(Path("short.jpg"), std::string("\xFF\xD8\xFF\xE1\x00\x01", 6));
  EXPECT_EQ(JpegExifOrientation(Path("short.jpg")), 1);
  WriteBytes(Path("text.jpg"), "not a picture");
  EXPECT_EQ(JpegExifOrientation(Path("text.jpg")), 1);
  EXPECT_EQ(JpegExifOrientation(Path("missing.jpg")), 1);
}

TEST_F(Orientation, OtherFormatsAreReadAsStored) {
  DibHandle dib = DibFromBitmap(Quadrants());
  ASSERT_TRUE(SaveImageFile(Path("q.bmp"), dib.get(), 0));
  EXPECT_EQ(JpegExifOrientation(Path("q.bmp")), 1);
  ExpectUpright(LoadImageFile(Path("q.bmp")), 1);
}

} // namespace
