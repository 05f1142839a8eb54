// A photo from a phone or camera as a document: it opens upright, and saving
// (over the file or under a new name) keeps its metadata with orientation 1,
// unless "KeepMetadata" is 0, which the options dialog's check box sets.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "app/Option.h"
#include "fileops_fixture.h"

#include "image/Dib.h"
#include "image/ImageFile.h"
#include "platform/ImageControl.h"
#include "platform/Registry.h"
#include "platform/Settings.h"

#include "exif_util.h"

#include <QCheckBox>
#include <QColorSpace>
#include <QImage>
#include <gtest/gtest.h>

namespace {

using fileops_test::DocumentTest;
using Kind = UserDialogs::Kind;

class PhotoDocument : public DocumentTest {
protected:
  void TearDown() override {
    General.keepMetadata = 1;
    DocumentTest::TearDown();
  }
  // 60 x 40 as stored, the left half dark; orientation 6 shows it 40 x 60
  // with the dark half on top.
  QString Phone(const QString &name) {
    QImage picture(60, 40, QImage::Format_RGB888);
    picture.fill(QColor(230, 230, 230));
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 30; ++x)
        picture.setPixel(x, y, qRgb(20, 20, 20));
    DibHandle dib = DibFromBitmap(picture);
    const QString path = Path(name);
    EXPECT_TRUE(SaveImageFile(path.toStdString(), dib.get(), 95));
    const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    EXPECT_TRUE(exif_util::TagLikeACamera(path.toStdString(), 6, icc.toStdString()));
    return path;
  }
  void ExpectUpright(TMDIChild *child) {
    ASSERT_NE(child, nullptr);
    const QImage shown = BitmapFromDib(TMDIB(child->image.get()));
    ASSERT_EQ(shown.size(), QSize(40, 60));
    EXPECT_LT(qRed(shown.pixel(20, 10)), 80);
    EXPECT_GT(qRed(shown.pixel(20, 50)), 180);
  }
};

TEST_F(PhotoDocument, OpensUprightAndSavesUprightWithItsMetadata) {
  const QString path = Phone("phone.jpg");
  ASSERT_TRUE(main->OpenImageFile(path));
  ExpectUpright(main->ActiveChild());
  main->ActiveChild()->modificationCount = 1;
  main->FileSaveItemClick();
  EXPECT_TRUE(Messages().contains("上書保存されます。よろしいですか？"));
  const std::string file = path.toStdString();
  EXPECT_EQ(exif_util::Value(file, "Exif.Image.Orientation"), "1");
  EXPECT_EQ(exif_util::Value(file, "Exif.Image.Model"), "VelmirCam 7");
  EXPECT_EQ(exif_util::Value(file, "Exif.Photo.DateTimeOriginal"), "2024:05:06 07:08:09");
  EXPECT_EQ(exif_util::Value(file, "Exif.GPSInfo.GPSLatitude"), "35/1 40/1 1234/100");
  EXPECT_EQ(exif_util::Value(file, "Xmp.dc.subject"), "sakura");
  EXPECT_EQ(exif_util::Value(file, "Exif.Photo.PixelXDimension"), "40");
  EXPECT_FALSE(exif_util::IccProfile(file).empty());
  // Opened again it stands upright as saved, not turned once more.
  main->ActiveChild()->closeWithoutAsking = true;
  main->ActiveChild()->close();
  delete main->ActiveChild();
  ASSERT_TRUE(main->OpenImageFile(path));
  ExpectUpright(main->ActiveChild());
}

TEST_F(PhotoDocument, SaveAsKeepsTheMetadataAndKeepMetadataZeroDropsIt) {
  ASSERT_TRUE(main->OpenImageFile(Phone("phone.jpg")));
  QString target = Path("kept.tif");
  answer = [&target](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == Kind::SaveFile) {
      a.path = target;
      a.filterIndex = target.endsWith(".tif") ? 3 : 1;
    }
    return a;
  };
  main->FileSaveAsItemClick();
  EXPECT_EQ(exif_util::Value(target.toStdString(), "Exif.Image.Model"), "VelmirCam 7");
  EXPECT_EQ(exif_util::Value(target.toStdString(), "Xmp.dc.subject"), "sakura");
  EXPECT_EQ(exif_util::Value(target.toStdString(), "Exif.Image.Orientation"), "1");

  General.keepMetadata = 0;
  target = Path("public.jpg");
  main->FileSaveAsItemClick();
  ASSERT_TRUE(QFile::exists(target));
  EXPECT_EQ(exif_util::Value(target.toStdString(), "Exif.Image.Model"), "");
  EXPECT_EQ(exif_util::Value(target.toStdString(), "Exif.GPSInfo.GPSLatitude"), "");
  EXPECT_EQ(exif_util::Value(target.toStdString(), "Xmp.dc.subject"), "");
  EXPECT_EQ(exif_util::IccProfile(target.toStdString()), "");
  // The picture itself is saved upright all the same.
  DibHandle back = LoadImageFile(target.toStdString());
  ASSERT_TRUE(back);
  EXPECT_EQ(TMDIB(back.get()).width, 40);
}

TEST_F(PhotoDocument, OptionsCheckBoxMirrorsKeepMetadata) {
  WriteSetting("KeepMetadata", "0");
  {
    TOptionForm form(nullptr, main->ProgramFolder);
    form.show();
    auto *box = form.findChild<QCheckBox *>("cbKeepMetadata");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "保存時にExif等のメタデータを残す");
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    form.accept();
  }
  EXPECT_EQ(ReadSetting("KeepMetadata", ""), "1");
  EXPECT_EQ(General.keepMetadata, 1);
  // A settings file without the value reads it as 1.
  QFile::remove(Registry::FilePath());
  LoadGeneralSettings();
  EXPECT_EQ(General.keepMetadata, 1);
}

TEST_F(PhotoDocument, AnAdobeRgbPhotoIsShownInSrgbWhileItsPixelsStay) {
  // Upright (orientation 1) 40 x 30, one mid green.
  QImage picture(40, 30, QImage::Format_RGB888);
  picture.fill(QColor(60, 160, 60));
  DibHandle dib = DibFromBitmap(picture);
  const QString path = Path("adobe.jpg");
  ASSERT_TRUE(SaveImageFile(path.toStdString(), dib.get(), 95));
  const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
  ASSERT_TRUE(exif_util::TagLikeACamera(path.toStdString(), 1, icc.toStdString()));
  ASSERT_TRUE(main->OpenImageFile(path));
  TMDIChild *c = main->ActiveChild();
  ASSERT_NE(c, nullptr);
  // The document holds the file's values, as any read of the file gives them.
  DibHandle file = LoadImageFile(path.toStdString());
  const QImage values = BitmapFromDib(TMDIB(file.get())).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(BitmapFromDib(TMDIB(c->image.get())).convertToFormat(QImage::Format_RGB32), values);
  // The window paints them through the profile, with no copy of its own.
  EXPECT_TRUE(c->Image->ShowingSource());
  EXPECT_TRUE(c->Image->Picture().isNull());
  const QImage shown = c->Image->ShownArea(QRect(0, 0, 40, 30));
  ASSERT_EQ(shown.size(), QSize(40, 30));
  const QRgb stored = values.pixel(20, 15);
  const QRgb expected =
      QColorSpace(QColorSpace::AdobeRgb).transformationToColorSpace(QColorSpace::SRgb).map(stored);
  EXPECT_NEAR(qGreen(shown.pixel(20, 15)), qGreen(expected), 1);
  EXPECT_NEAR(qRed(shown.pixel(20, 15)), qRed(expected), 1);
  EXPECT_NE(shown.pixel(20, 15) & 0xffffff, stored & 0xffffff);
  // Reduced to 50 %, the one reduced copy goes through the profile as well.
  c->SetZoom(4);
  const QImage half = c->Image->ShownArea(QRect(0, 0, 20, 15));
  ASSERT_EQ(half.size(), QSize(20, 15));
  EXPECT_NEAR(qGreen(half.pixel(10, 7)), qGreen(expected), 1);
}

TEST_F(PhotoDocument, APictureWithoutProfileIsShownAsItsPixels) {
  TMDIChild *c = Open(QImage(QSize(12, 8), QImage::Format_RGB888));
  ASSERT_NE(c, nullptr);
  Kit.ImgKitColorReverse(c->image.get(), "", "");
  c->RefreshDisplay();
  const QImage shown = c->Image->ShownArea(QRect(0, 0, 12, 8));
  EXPECT_EQ(shown, BitmapFromDib(TMDIB(c->image.get())).convertToFormat(QImage::Format_RGB32));
}

} // namespace
