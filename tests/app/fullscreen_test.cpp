// The full-screen windows: fitting to the screen, the simple view and its
// curtain, closing when the screen goes, the preparation of pictures, the
// crop view and its cut, the slide show and the commands that start them.
#include "adjust/Fresize.h"
#include "browser/ScreenPicture.h"
#include "browser/windows/Fbrowser.h"
#include "browser/windows/FullScreenView.h"
#include "browser/windows/SlideShow.h"
#include "exif_util.h"
#include "fileops_fixture.h"
#include "forms/NewFullScr.h"
#include "image/Dib.h"
#include "image/ScreenFit.h"
#include "wait_util.h"

#include <QApplication>
#include <QClipboard>
#include <QColorSpace>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QValidator>
#include <gtest/gtest.h>

namespace {

using test_wait::Pump;
using test_wait::WaitFor;
using test_wait::WithModal;

void PressKey(QWidget *w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
}

void Mouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  const QPointF local(at), global(w->mapToGlobal(at));
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, local, global, button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void Drag(QWidget *w, QPoint from, QPoint to) {
  Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
  Mouse(w, QEvent::MouseMove, to, Qt::LeftButton);
  Mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void Click(QWidget *w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF local(at), global(w->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(w, &release);
}

// ---- fitting ----------------------------------------------------------------

TEST(FitToScreen, ReducesByTheThousandthsRule) {
  // 3000 * 1000 / 1024 = 2929 against 2000 * 1000 / 768 = 2604: width fills.
  EXPECT_EQ(FitToScreen({3000, 2000}, {1024, 768}), QSize(1024, 682));
  EXPECT_EQ(CentreOnScreen({1024, 682}, {1024, 768}), QPoint(0, 43));
  // Tall picture: the height fills, the width by proportion (truncated).
  EXPECT_EQ(FitToScreen({1000, 3000}, {1024, 768}), QSize(256, 768));
  EXPECT_EQ(CentreOnScreen({256, 768}, {1024, 768}), QPoint(384, 0));
  // Equal figures: the height fills.
  EXPECT_EQ(FitToScreen({2048, 1536}, {1024, 768}), QSize(1024, 768));
  // Only one side too large still reduces.
  EXPECT_EQ(FitToScreen({2000, 100}, {1000, 800}), QSize(1000, 50));
  EXPECT_EQ(FitToScreen({100, 1601}, {1000, 800}), QSize(49, 800));
}

TEST(FitToScreen, SmallPictureStaysUnscaledAndCentred) {
  EXPECT_EQ(FitToScreen({640, 480}, {1024, 768}), QSize(640, 480));
  EXPECT_EQ(CentreOnScreen({640, 480}, {1024, 768}), QPoint(192, 144));
  EXPECT_EQ(FitToScreen({1024, 768}, {1024, 768}), QSize(1024, 768));
  // Odd leftovers truncate.
  EXPECT_EQ(CentreOnScreen({101, 99}, {1024, 768}), QPoint(461, 334));
}

TEST(FitToScreen, ExtremeShapesKeepAPixel) {
  EXPECT_EQ(FitToScreen({100000, 1}, {1024, 768}), QSize(1024, 1));
  EXPECT_EQ(FitToScreen({1, 100000}, {1024, 768}), QSize(1, 768));
  EXPECT_EQ(FitToScreen({0, 10}, {1024, 768}), QSize(0, 0));
  EXPECT_EQ(FitToScreen({10, 10}, {0, 0}), QSize(0, 0));
}

TEST(PixelsForDisplay, DenseScreensGetMorePixelsButNeverMoreThanThePicture) {
  EXPECT_EQ(PixelsForDisplay({3000, 2000}, {1024, 682}, 1.0), QSize(1024, 682));
  EXPECT_EQ(PixelsForDisplay({3000, 2000}, {1024, 682}, 2.0), QSize(2048, 1364));
  EXPECT_EQ(PixelsForDisplay({1500, 1000}, {1024, 682}, 2.0), QSize(1500, 1000));
  EXPECT_EQ(PixelsForDisplay({640, 480}, {640, 480}, 2.0), QSize(640, 480));
}

// A 24-bit picture whose pixel (x, y) from the top is (x, y, x + y) as
// blue, green, red, modulo 256.
DibHandle Ramp(int w, int h) {
  DibHandle image = CreateBlankDib(w, h);
  TMDIB dib(image.get());
  for (int y = 0; y < h; ++y) {
    uint8_t *p = dib.Row(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      p[3 * x] = static_cast<uint8_t>(x);
      p[3 * x + 1] = static_cast<uint8_t>(y);
      p[3 * x + 2] = static_cast<uint8_t>(x + y);
    }
  }
  return image;
}

TEST(SampledBitmap, TakesTheNearestSourcePixel) {
  DibHandle image = Ramp(10, 6);
  TMDIB dib(image.get());
  QImage half = SampledBitmapFromDib(dib, {5, 3});
  ASSERT_EQ(half.size(), QSize(5, 3));
  // Target (2, 1) samples source (4, 2).
  EXPECT_EQ(half.pixel(2, 1), qRgb(6, 2, 4));
  EXPECT_EQ(half.pixel(4, 2), qRgb(12, 4, 8));
  QImage same = SampledBitmapFromDib(dib, {10, 6});
  EXPECT_EQ(same.pixel(9, 5), qRgb(14, 5, 9));
}

// ---- the simple view on a screen the test sets ------------------------------

int VisibleFullScreenWindows() {
  int n = 0;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (qobject_cast<FullScreenWindow *>(w) && w->isVisible()) ++n;
  return n;
}

int FullScreenWindows() {
  int n = 0;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (qobject_cast<FullScreenWindow *>(w)) ++n;
  return n;
}

class FixedScreen : public ::testing::Test {
protected:
  void SetUp() override { Fix(QRect(0, 0, 1024, 768)); }
  void TearDown() override {
    FixScreenAreaForTesting(nullptr);
    Pump();
  }
  static void Fix(QRect r, double ratio = 1.0) { FixScreenAreaForTesting(&r, ratio); }
};

TEST_F(FixedScreen, LargePictureIsFittedAndCentred) {
  DibHandle image = Ramp(3000, 2000);
  TNewFullScr view(ScreenAreaOf(nullptr));
  ASSERT_TRUE(view.SetPicture(image.get()));
  EXPECT_EQ(view.PictureRect(), QRect(0, 43, 1024, 682));
  EXPECT_EQ(view.Frame().size(), QSize(1024, 682));
}

TEST_F(FixedScreen, SmallPictureIsShownAtItsOwnSize) {
  DibHandle image = Ramp(300, 200);
  TNewFullScr view(ScreenAreaOf(nullptr));
  ASSERT_TRUE(view.SetPicture(image.get()));
  EXPECT_EQ(view.PictureRect(), QRect(362, 284, 300, 200));
  EXPECT_EQ(view.Frame().size(), QSize(300, 200));
  EXPECT_EQ(view.Frame().pixel(299, 199), qRgb(242, 199, 43));
}

TEST_F(FixedScreen, DenseScreenPaintsEveryPhysicalPixel) {
  Fix(QRect(0, 0, 1024, 768), 2.0);
  DibHandle image = Ramp(3000, 2000);
  TNewFullScr view(ScreenAreaOf(nullptr));
  ASSERT_TRUE(view.SetPicture(image.get()));
  EXPECT_EQ(view.PictureRect(), QRect(0, 43, 1024, 682));
  EXPECT_EQ(view.Frame().size(), QSize(2048, 1364));
}

TEST_F(FixedScreen, NullPictureIsRefused) {
  {
    TNewFullScr view(ScreenAreaOf(nullptr));
    EXPECT_FALSE(view.SetPicture(nullptr));
  }
  ShowFullScreen(nullptr, nullptr); // returns at once, nothing shown
  EXPECT_EQ(FullScreenWindows(), 0);
}

TEST_F(FixedScreen, AKeyOrAClickClosesTheViewAndItsCurtain) {
  DibHandle image = Ramp(400, 300);
  int seenDuring = 0;
  QRect seenRect;
  EXPECT_TRUE(WithModal([&] { ShowFullScreen(nullptr, image.get()); },
                        [&](QWidget *w) {
                          seenDuring = VisibleFullScreenWindows();
                          seenRect = w->geometry();
                          PressKey(w, Qt::Key_Space);
                        }));
  EXPECT_EQ(seenDuring, 2); // the view and its curtain
  EXPECT_EQ(seenRect, QRect(0, 0, 1024, 768));
  Pump();
  EXPECT_EQ(FullScreenWindows(), 0);
  EXPECT_TRUE(WithModal([&] { ShowFullScreen(nullptr, image.get()); },
                        [&](QWidget *w) {
                          Click(w, {5, 5}, Qt::RightButton);
                        }));
  Pump();
  EXPECT_EQ(FullScreenWindows(), 0);
}

TEST(FullScreenWindow, ClosesWhenItsScreenChanges) {
  QScreen *screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  DibHandle image = Ramp(50, 40);
  bool lost = false;
  EXPECT_TRUE(WithModal([&] { ShowFullScreen(nullptr, image.get()); },
                        [&](QWidget *w) {
                          auto *view = qobject_cast<FullScreenWindow *>(w);
                          ASSERT_NE(view, nullptr);
                          EXPECT_EQ(view->geometry(), screen->geometry());
                          emit screen->geometryChanged(screen->geometry());
                          lost = view->LostScreen();
                        }));
  EXPECT_TRUE(lost);
  Pump();
  for (QWidget *w : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<FullScreenWindow *>(w), nullptr);
}

// ---- preparing pictures --------------------------------------------------------

TEST(ScreenPicture, HighQualityReducesByAreaAveraging) {
  DibHandle image = Ramp(300, 200);
  ScreenPictureOptions o;
  o.screen = QSize(100, 100);
  o.highQuality = true;
  const ScreenPicture hq = PrepareScreenPicture(image.get(), o);
  ASSERT_FALSE(hq.IsNull());
  EXPECT_TRUE(hq.reduced);
  EXPECT_EQ(hq.display, QSize(100, 66));
  DibHandle expected = CreateBlankDib(100, 66);
  {
    TMDIB to(expected.get());
    TMDIB from(image.get());
    AreaAverageResize(to, from);
  }
  EXPECT_EQ(hq.bitmap.convertToFormat(QImage::Format_RGB32),
            fileops_test::PictureOf(expected.get()));
  // Normal quality samples: not the average.
  o.highQuality = false;
  const ScreenPicture plain = PrepareScreenPicture(image.get(), o);
  EXPECT_FALSE(plain.reduced);
  EXPECT_EQ(plain.display, QSize(100, 66));
  EXPECT_NE(plain.bitmap.convertToFormat(QImage::Format_RGB32),
            fileops_test::PictureOf(expected.get()));
}

TEST(ScreenPicture, HighQualityLeavesPicturesThatFitAndPaletteImagesAlone) {
  ScreenPictureOptions o;
  o.screen = QSize(1024, 768);
  o.highQuality = true;
  DibHandle small = Ramp(200, 100);
  const ScreenPicture fits = PrepareScreenPicture(small.get(), o);
  EXPECT_FALSE(fits.reduced);
  EXPECT_EQ(fits.display, QSize(200, 100));
  DibHandle grey = Ramp(2048, 100);
  ASSERT_TRUE(grey.Adopt(Kit.ImgKitSetGray(grey.get(), "", "")));
  const ScreenPicture palette = PrepareScreenPicture(grey.get(), o);
  ASSERT_FALSE(palette.IsNull());
  EXPECT_FALSE(palette.reduced);
  EXPECT_EQ(palette.display, QSize(1024, 50));
}

TEST(ScreenPicture, PaletteDisplayGetsEightBitColours) {
  ScreenPictureOptions o;
  o.screen = QSize(1024, 768);
  o.displayColours = 256;
  DibHandle image = Ramp(64, 64);
  const ScreenPicture shown = PrepareScreenPicture(image.get(), o);
  ASSERT_FALSE(shown.IsNull());
  EXPECT_EQ(shown.bitmap.format(), QImage::Format_Indexed8);
}

TEST(ScreenPicture, DamagedAndUnreadableFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString jpeg = dir.filePath(QStringLiteral("cut.jpg"));
  DibHandle image = Ramp(256, 256);
  ASSERT_NE(Kit.ImgKitJpegFileSave(jpeg.toUtf8().constData(), image.get(), "", "", 90, 0), 0);
  QByteArray bytes = fileops_test::ReadFile(jpeg);
  ASSERT_TRUE(fileops_test::WriteFile(jpeg, bytes.left(bytes.size() / 2)));
  int asked = 0;
  UserDialogs::SetResponder([&](const UserDialogs::Request &) {
    ++asked;
    return UserDialogs::Answer{};
  });
  ScreenPictureOptions o;
  o.screen = QSize(1024, 768);
  const ScreenPicture damaged = LoadScreenPicture(jpeg, o);
  EXPECT_FALSE(damaged.IsNull());
  EXPECT_EQ(damaged.display, QSize(256, 256));
  const QString text = dir.filePath(QStringLiteral("no.jpg"));
  ASSERT_TRUE(fileops_test::WriteFile(text, "not a picture"));
  EXPECT_TRUE(LoadScreenPicture(text, o).IsNull());
  EXPECT_TRUE(LoadScreenPicture(dir.filePath(QStringLiteral("gone.jpg")), o).IsNull());
  EXPECT_EQ(asked, 0); // read silently
  UserDialogs::SetResponder(nullptr);
}

TEST(ScreenPicture, ATaggedPhotoIsShownInSrgbAndAGivenProfileWins) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString jpeg = dir.filePath(QStringLiteral("adobe.jpg"));
  DibHandle image = CreateBlankDib(64, 32);
  {
    TMDIB dib(image.get());
    for (int y = 0; y < 32; ++y) {
      uint8_t *row = dib.topRow - y * dib.stride;
      for (int x = 0; x < 64; ++x)
        row[3 * x] = 0x3c, row[3 * x + 1] = 0xa0, row[3 * x + 2] = 0x3c;
    }
  }
  ASSERT_NE(Kit.ImgKitJpegFileSave(jpeg.toUtf8().constData(), image.get(), "", "", 95, 0), 0);
  ScreenPictureOptions o;
  o.screen = QSize(1024, 768);
  const QRgb plain = LoadScreenPicture(jpeg, o).bitmap.pixel(32, 16);
  const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
  ASSERT_TRUE(
      exif_util::TagLikeACamera(QFile::encodeName(jpeg).toStdString(), 1, icc.toStdString()));
  const QRgb expected =
      QColorSpace(QColorSpace::AdobeRgb).transformationToColorSpace(QColorSpace::SRgb).map(plain);
  const QRgb shown = LoadScreenPicture(jpeg, o).bitmap.pixel(32, 16);
  EXPECT_NE(shown, plain);
  EXPECT_NEAR(qRed(shown), qRed(expected), 2);
  EXPECT_NEAR(qGreen(shown), qGreen(expected), 2);
  EXPECT_NEAR(qBlue(shown), qBlue(expected), 2);
  // A profile the caller gives (the document's own) goes before the file's.
  o.profile =
      DisplayProfile::FromIcc(QColorSpace(QColorSpace::DisplayP3).iccProfile().toStdString());
  const QRgb p3 =
      QColorSpace(QColorSpace::DisplayP3).transformationToColorSpace(QColorSpace::SRgb).map(plain);
  const QRgb given = LoadScreenPicture(jpeg, o).bitmap.pixel(32, 16);
  EXPECT_NEAR(qGreen(given), qGreen(p3), 2);
}

// ---- the crop view -------------------------------------------------------------

TEST(CropLayout, FloatingScaleOfTheLargerRatio) {
  const CropLayout a = CropLayoutFor({2560, 1920}, {1024, 768});
  EXPECT_DOUBLE_EQ(a.scale, 2.5);
  EXPECT_EQ(a.display, QSize(1024, 768));
  const CropLayout b = CropLayoutFor({3000, 2000}, {1024, 768});
  EXPECT_DOUBLE_EQ(b.scale, 3000.0 / 1024);
  EXPECT_EQ(b.display, QSize(1024, 682));
  const CropLayout c = CropLayoutFor({800, 600}, {1024, 768});
  EXPECT_DOUBLE_EQ(c.scale, 1.0);
  EXPECT_EQ(c.display, QSize(800, 600));
}

class CropView : public FixedScreen {
protected:
  void SetUp() override {
    FixedScreen::SetUp();
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      messages << r.text;
      return UserDialogs::Answer{};
    });
  }
  void TearDown() override {
    UserDialogs::SetResponder(nullptr);
    FixedScreen::TearDown();
  }
  // A view in crop mode over `image`, opened without waiting.
  std::unique_ptr<TFullScreenView> Open(IMGHANDLE image) {
    auto view = std::make_unique<TFullScreenView>(ScreenAreaOf(nullptr));
    EXPECT_TRUE(view->StartCrop(image, 0, nullptr));
    view->Open(true);
    return view;
  }
  static QString Labels(TFullScreenView &v) {
    return QStringList{v.lbX0->text(), v.lbY0->text(),    v.lbX1->text(),
                       v.lbY1->text(), v.lbWidth->text(), v.lbHeight->text()}
        .join(QLatin1Char(' '));
  }
  QStringList messages;
};

TEST_F(CropView, PresetSizesAtScaleTwoAndAHalf) {
  DibHandle image = Ramp(2560, 1920);
  auto view = Open(image.get());
  EXPECT_DOUBLE_EQ(view->Scale(), 2.5);
  EXPECT_EQ(view->PictureRect(), QRect(0, 0, 1024, 768));
  EXPECT_EQ(view->Frame().size(), QSize(1024, 768));
  EXPECT_TRUE(view->bFree->isChecked());
  EXPECT_EQ(Labels(*view), QStringLiteral("     ")); // nothing marked
  view->bSize[0]->click();
  EXPECT_EQ(view->Selection(), QRect(384, 288, 256, 192));
  EXPECT_EQ(Labels(*view), QStringLiteral("960 720 1599 1199 640 480"));
  view->bSize[1]->click();
  EXPECT_EQ(view->Selection(), QRect(352, 264, 320, 240));
  EXPECT_EQ(Labels(*view), QStringLiteral("880 660 1679 1259 800 600"));
  view->bSize[3]->click(); // 1024 / 2.5 = 409.6: truncated
  EXPECT_EQ(view->Selection().size(), QSize(512, 409));
  EXPECT_EQ(view->lbHeight->text(), QStringLiteral("1023"));
  view->bAll->click();
  EXPECT_EQ(view->Selection(), QRect(0, 0, 1024, 768));
  EXPECT_EQ(Labels(*view), QStringLiteral("0 0 2559 1919 2560 1920"));
}

TEST_F(CropView, PanelSitsTopRightAndItsTitleTabDragsIt) {
  DibHandle image = Ramp(300, 200);
  auto view = Open(image.get());
  EXPECT_EQ(view->TitleTab->text(), QStringLiteral("Cut Tool"));
  const QRect panel = view->CutPanel->geometry();
  EXPECT_EQ(panel.right(), 1024 - 1 - 2);
  EXPECT_EQ(panel.top(), 2);
  QStringList captions;
  for (QPushButton *b : view->CutPanel->findChildren<QPushButton *>())
    captions << b->text();
  for (const char *c :
       {"任意選択", "全選択", "640*480", "800*600", "1024*768", "1280*1024", "切取", "ｷｬﾝｾﾙ"})
    EXPECT_TRUE(captions.contains(QString::fromUtf8(c))) << c;
  Drag(view->TitleTab, {10, 5}, {-90, 55});
  EXPECT_EQ(view->CutPanel->pos(), panel.topLeft() + QPoint(-100, 50));
  // Never off the screen.
  Drag(view->TitleTab, {10, 5}, {3000, -500});
  EXPECT_EQ(view->CutPanel->pos(), QPoint(1024 - panel.width(), 0));
}

TEST_F(CropView, SmallPictureIsShownUnscaledAndCentred) {
  DibHandle image = Ramp(300, 200);
  auto view = Open(image.get());
  EXPECT_DOUBLE_EQ(view->Scale(), 1.0);
  EXPECT_EQ(view->PictureRect(), QRect(362, 284, 300, 200));
  view->bSize[0]->click(); // larger than the picture: all of it
  EXPECT_EQ(view->Selection(), view->PictureRect());
  EXPECT_EQ(Labels(*view), QStringLiteral("0 0 299 199 300 200"));
}

TEST_F(CropView, TypedSizesSelectCentredFramesAndSwitchToFreeSelection) {
  DibHandle image = Ramp(2560, 1920);
  auto view = Open(image.get());
  view->bAll->click();
  EXPECT_FALSE(view->bFree->isChecked());
  auto type = [](QLineEdit *e, const QString &text) {
    e->setText(text);
    emit e->textEdited(text);
  };
  type(view->edWidth, QStringLiteral("100"));
  EXPECT_TRUE(view->bFree->isChecked());
  EXPECT_FALSE(view->Selection().isValid()); // no height yet
  type(view->edHeight, QStringLiteral("50"));
  EXPECT_EQ(view->Selection(), QRect(492, 374, 40, 20));
  EXPECT_EQ(view->lbWidth->text(), QStringLiteral("100"));
  type(view->edHeight, QStringLiteral("0"));
  EXPECT_FALSE(view->Selection().isValid());
  EXPECT_TRUE(view->lbX0->text().isEmpty());
  // At most four digits, nothing but digits.
  EXPECT_EQ(view->edWidth->maxLength(), 4);
  QString letters = QStringLiteral("12a");
  int at = 0;
  EXPECT_EQ(view->edWidth->validator()->validate(letters, at), QValidator::Invalid);
  EXPECT_EQ(view->edWidth->toolTip(), QStringLiteral("マニュアルでサイズを設定する場合ここに入力"));
}

TEST_F(CropView, DraggingDrawsAFrameClippedToThePictureAndMovesIt) {
  DibHandle image = Ramp(300, 200); // at (362, 284) on the screen
  auto view = Open(image.get());
  Drag(view.get(), {400, 300}, {2000, 100});
  EXPECT_EQ(view->Selection(), QRect(400, 284, 262, 16));
  EXPECT_EQ(Labels(*view), QStringLiteral("38 0 299 15 262 16"));
  // Dragged inside the frame it moves, stopping at the picture's edge.
  Drag(view.get(), {410, 290}, {310, 390});
  EXPECT_EQ(view->Selection(), QRect(362, 384, 262, 16));
  Drag(view.get(), {370, 390}, {370, 900});
  EXPECT_EQ(view->Selection(), QRect(362, 468, 262, 16));
  // Pressing outside the picture starts nothing.
  Drag(view.get(), {10, 10}, {500, 500});
  EXPECT_EQ(view->Selection(), QRect(362, 468, 262, 16));
}

TEST_F(CropView, EmptyRangeIsRefusedAndTheViewStays) {
  DibHandle image = Ramp(300, 200);
  auto view = Open(image.get());
  view->bCut->click(); // nothing marked
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], QStringLiteral("指定された範囲では切取りができません"));
  EXPECT_TRUE(view->IsOpen());
  Click(view.get(), {400, 300}); // a click marks a frame of no size
  EXPECT_EQ(view->lbWidth->text(), QStringLiteral("0"));
  view->bCut->click();
  EXPECT_EQ(messages.size(), 2);
  EXPECT_TRUE(view->IsOpen());
  EXPECT_FALSE(view->CutMade());
  // Keys do not close the crop view; the cancel button does, without a cut.
  PressKey(view.get(), Qt::Key_Escape);
  PressKey(view.get(), Qt::Key_Space);
  EXPECT_TRUE(view->IsOpen());
  view->bCancel->click();
  EXPECT_FALSE(view->IsOpen());
  EXPECT_FALSE(view->CutMade());
}

TEST_F(CropView, CutPutsExactlyTheMarkedRectangleOnTheClipboard) {
  DibHandle image = Ramp(2560, 1920);
  const QImage source = fileops_test::PictureOf(image.get());
  auto view = Open(image.get());
  view->bSize[0]->click();
  view->bCut->click();
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(view->CutMade());
  EXPECT_FALSE(view->IsOpen());
  DibHandle cut(Kit.ImgKitGetFromClipBrd(nullptr));
  ASSERT_TRUE(cut);
  EXPECT_EQ(fileops_test::PictureOf(cut.get()), source.copy(960, 720, 640, 480));
  // The picture itself is untouched.
  EXPECT_EQ(fileops_test::PictureOf(image.get()), source);
}

TEST_F(CropView, CutOfADraggedFrameAtScaleOne) {
  DibHandle image = Ramp(300, 200);
  const QImage source = fileops_test::PictureOf(image.get());
  auto view = Open(image.get());
  Drag(view.get(), {372, 304}, {362 + 15, 284 + 27}); // (10, 20) to (14, 26)
  EXPECT_EQ(Labels(*view), QStringLiteral("10 20 14 26 5 7"));
  view->bCut->click();
  DibHandle cut(Kit.ImgKitGetFromClipBrd(nullptr));
  ASSERT_TRUE(cut);
  EXPECT_EQ(fileops_test::PictureOf(cut.get()), source.copy(10, 20, 5, 7));
}

// ---- the slide show ------------------------------------------------------------

class SlideShowTest : public FixedScreen {
protected:
  void SetUp() override {
    FixedScreen::SetUp();
    ASSERT_TRUE(dir.isValid());
    for (int i = 0; i < 3; ++i) {
      const QString path = dir.filePath(QStringLiteral("p%1.bmp").arg(i));
      ASSERT_TRUE(fileops_test::WriteKitBmp(path, fileops_test::Pattern(40 + 10 * i, 30)));
      paths << path;
    }
    bad = dir.filePath(QStringLiteral("bad.jpg"));
    ASSERT_TRUE(fileops_test::WriteFile(bad, "not a picture"));
  }
  static int VisibleViews() { return VisibleFullScreenWindows(); }
  QTemporaryDir dir;
  QStringList paths;
  QString bad;
};

TEST_F(SlideShowTest, OneSecondIntervalMovesOnByItselfAndEnds) {
  TSlideShow show(nullptr, paths, 1000, false, 0);
  bool ended = false;
  QObject::connect(&show, &TSlideShow::finished, [&] { ended = true; });
  // Started before the show, so every interval lies within what it measures.
  QElapsedTimer clock;
  clock.start();
  show.Start();
  ASSERT_TRUE(show.Running());
  EXPECT_EQ(show.Current(), 0);
  EXPECT_EQ(VisibleViews(), 2); // the picture and the curtain
  EXPECT_EQ(show.View()->Timer->interval(), 1000);
  EXPECT_EQ(show.View()->PictureRect(), QRect(492, 369, 40, 30));
  ASSERT_TRUE(WaitFor([&] { return show.Current() == 1; }, 4000));
  EXPECT_GE(clock.elapsed(), 1000);
  EXPECT_EQ(show.View()->PictureRect().width(), 50);
  ASSERT_TRUE(WaitFor([&] { return show.Current() == 2; }, 4000));
  EXPECT_GE(clock.elapsed(), 2000);
  ASSERT_TRUE(WaitFor([&] { return ended; }, 4000));
  EXPECT_FALSE(show.Running());
  EXPECT_EQ(show.ShownCount(), 3);
  EXPECT_EQ(VisibleViews(), 0);
}

TEST_F(SlideShowTest, NoIntervalWaitsForAKeyAndEscEndsTheShow) {
  TSlideShow show(nullptr, paths, 0, false, 0);
  show.Start();
  ASSERT_EQ(show.Current(), 0);
  EXPECT_FALSE(show.View()->Timer->isActive());
  EXPECT_EQ(show.AheadIndex(), 1); // the next picture is on its way meanwhile
  PressKey(show.View(), Qt::Key_Space);
  ASSERT_TRUE(WaitFor([&] { return show.Current() == 1; }));
  EXPECT_FALSE(show.View()->Timer->isActive());
  EXPECT_EQ(show.AheadIndex(), 2);
  PressKey(show.View(), Qt::Key_Escape);
  ASSERT_TRUE(WaitFor([&] { return !show.Running(); }));
  EXPECT_EQ(show.ShownCount(), 2); // the third never came
  EXPECT_EQ(VisibleViews(), 0);
}

TEST_F(SlideShowTest, APressOnThePictureMovesOnAPressBesideItDoesNot) {
  TSlideShow show(nullptr, paths, 0, false, 0);
  show.Start();
  ASSERT_EQ(show.Current(), 0);
  Click(show.View(), {5, 5});
  Pump();
  EXPECT_EQ(show.Current(), 0);
  Click(show.View(), show.View()->PictureRect().center());
  ASSERT_TRUE(WaitFor([&] { return show.Current() == 1; }));
}

TEST_F(SlideShowTest, UnreadableFilesAreSkipped) {
  TSlideShow show(nullptr, {bad, paths[0], bad, paths[1], bad}, 0, false, 0);
  bool ended = false;
  QObject::connect(&show, &TSlideShow::finished, [&] { ended = true; });
  show.Start();
  EXPECT_EQ(show.Current(), 1);
  PressKey(show.View(), Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return show.Current() == 3; }));
  PressKey(show.View(), Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return ended; }));
  EXPECT_EQ(show.ShownCount(), 2);
  TSlideShow none(nullptr, {bad}, 0, false, 0);
  bool noneEnded = false;
  QObject::connect(&none, &TSlideShow::finished, [&] { noneEnded = true; });
  none.Start();
  EXPECT_TRUE(noneEnded);
  EXPECT_EQ(VisibleViews(), 0);
}

TEST(SlideShow, EndsWhenTheScreenChanges) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("p.bmp"));
  ASSERT_TRUE(fileops_test::WriteKitBmp(path, fileops_test::Pattern(20, 20)));
  TSlideShow show(nullptr, {path, path}, 0, false, 0);
  show.Start();
  ASSERT_TRUE(show.Running());
  QScreen *screen = QGuiApplication::primaryScreen();
  emit screen->geometryChanged(screen->geometry());
  ASSERT_TRUE(WaitFor([&] { return !show.Running(); }));
  EXPECT_EQ(VisibleFullScreenWindows(), 0);
}

// ---- the browser's commands ----------------------------------------------------

class BrowserFullScreen : public SlideShowTest {
protected:
  void SetUp() override {
    SlideShowTest::SetUp();
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      messages << r.text;
      return UserDialogs::Answer{};
    });
    browser = std::make_unique<TBrowser>(nullptr);
    browser->imageList = paths;
    browser->thumbList = {"a.sam", "b.sam", "c.sam"};
    browser->markList = {"0", "0", "0"};
    browser->busy = false;
    browser->show();
  }
  void TearDown() override {
    browser.reset();
    UserDialogs::SetResponder(nullptr);
    SlideShowTest::TearDown();
  }
  std::unique_ptr<TBrowser> browser;
  QStringList messages;
};

TEST_F(BrowserFullScreen, SlideShowWithoutASelectionSaysSo) {
  browser->Action(QStringLiteral("mSlideShow"))->trigger();
  EXPECT_EQ(messages, QStringList{QStringLiteral("画像が選択されていません")});
  EXPECT_EQ(browser->RunningSlideShow(), nullptr);
  EXPECT_TRUE(browser->isVisible());
}

TEST_F(BrowserFullScreen, SlideShowOfTheMarkedImagesHidesTheBrowserUntilEsc) {
  browser->markList = {"1", "0", "1"};
  auto *box = browser->findChild<QLineEdit *>(QStringLiteral("edInterval"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QStringLiteral("10"));
  EXPECT_EQ(browser->SlideIntervalMs(), 10000);
  box->setText(QString());
  EXPECT_EQ(browser->SlideIntervalMs(), 0);
  box->setText(QStringLiteral("1"));
  browser->Action(QStringLiteral("tbSlideShow"))->trigger();
  TSlideShow *show = browser->RunningSlideShow();
  ASSERT_NE(show, nullptr);
  EXPECT_FALSE(browser->isVisible());
  EXPECT_EQ(show->IntervalMs(), 1000);
  EXPECT_EQ(show->Current(), 0);
  PressKey(show->View(), Qt::Key_A);
  ASSERT_TRUE(WaitFor([&] { return show->Current() == 1; }));
  EXPECT_EQ(show->View()->PictureRect().width(), 60); // the third file
  PressKey(show->View(), Qt::Key_Escape);
  ASSERT_TRUE(WaitFor([&] { return browser->RunningSlideShow() == nullptr; }));
  EXPECT_TRUE(browser->isVisible());
  EXPECT_EQ(VisibleViews(), 0);
}

TEST_F(BrowserFullScreen, DoubleClickShowsFullScreenWhenTheOptionSaysSo) {
  browser->options.doubleClick = 1;
  bool hidden = false;
  QRect shownAt;
  EXPECT_TRUE(WithModal([&] { browser->OpenImage(1); },
                        [&](QWidget *w) {
                          hidden = !browser->isVisible();
                          if (auto *view = qobject_cast<TNewFullScr *>(w))
                            shownAt = view->PictureRect();
                          PressKey(w, Qt::Key_Space);
                        }));
  EXPECT_TRUE(hidden);
  EXPECT_EQ(shownAt, QRect(487, 369, 50, 30));
  EXPECT_TRUE(browser->isVisible());
  Pump();
  EXPECT_EQ(FullScreenWindows(), 0);
}

TEST_F(BrowserFullScreen, FileListDoubleClickFollowsTheOptionToo) {
  // A file of the folder that the grid does not hold.
  const QString extra = dir.filePath(QStringLiteral("extra.bmp"));
  ASSERT_TRUE(fileops_test::WriteKitBmp(extra, fileops_test::Pattern(70, 30)));
  browser->SetFolder(dir.path());
  auto *files = browser->findChild<QListWidget *>(QStringLiteral("FileList"));
  ASSERT_NE(files, nullptr);
  const QList<QListWidgetItem *> found =
      files->findItems(QStringLiteral("extra.bmp"), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  QStringList opened;
  browser->openImage = [&](const QString &path) {
    opened << path;
    return true;
  };
  browser->options.doubleClick = 1;
  QRect shownAt;
  EXPECT_TRUE(WithModal([&] { emit files->itemDoubleClicked(found[0]); },
                        [&](QWidget *w) {
                          if (auto *view = qobject_cast<TNewFullScr *>(w))
                            shownAt = view->PictureRect();
                          Click(w, {1, 1});
                        }));
  EXPECT_EQ(shownAt, QRect(477, 369, 70, 30));
  EXPECT_TRUE(opened.isEmpty());
  browser->options.doubleClick = 0;
  emit files->itemDoubleClicked(found[0]);
  EXPECT_EQ(opened, QStringList{extra});
}

TEST_F(BrowserFullScreen, UnreadableFileClosesTheSimpleViewAtOnce) {
  browser->imageList[0] = bad;
  browser->ShowFullScreen(0);
  EXPECT_TRUE(browser->isVisible());
  EXPECT_EQ(VisibleViews(), 0);
  EXPECT_TRUE(messages.isEmpty());
}

// ---- the main window's commands -----------------------------------------------

class MainFullScreen : public fileops_test::MainWindowTest {
protected:
  void SetUp() override {
    fileops_test::MainWindowTest::SetUp();
    const QRect screen(0, 0, 1024, 768);
    FixScreenAreaForTesting(&screen);
  }
  void TearDown() override {
    FixScreenAreaForTesting(nullptr);
    General.fullScrHighQuality = 0;
    fileops_test::MainWindowTest::TearDown();
  }
  TMDIChild *Open(int w, int h) {
    const QString path = Path(QStringLiteral("p.bmp"));
    if (!fileops_test::WriteKitBmp(path, fileops_test::Pattern(w, h))) return nullptr;
    return main->OpenImageFile(path) ? main->ActiveChild() : nullptr;
  }
};

TEST_F(MainFullScreen, FullWindowViewFitsTheDocument) {
  ASSERT_NE(Open(3000, 2000), nullptr);
  for (int hq : {0, 1}) {
    General.fullScrHighQuality = hq;
    QRect at;
    QImage frame;
    EXPECT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("DispStrechClick")); },
                          [&](QWidget *w) {
                            auto *view = qobject_cast<TNewFullScr *>(w);
                            ASSERT_NE(view, nullptr);
                            at = view->PictureRect();
                            frame = view->Frame();
                            Click(w, {1, 1});
                          }));
    EXPECT_EQ(at, QRect(0, 43, 1024, 682));
    EXPECT_EQ(frame.size(), QSize(1024, 682));
  }
  Pump();
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(MainFullScreen, CutThroughTheCropViewLeavesTheDocumentAndMayPaste) {
  TMDIChild *child = Open(300, 200);
  ASSERT_NE(child, nullptr);
  const QImage before = fileops_test::PictureOf(child->image.get());
  General.autoPaste = 1;
  EXPECT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("CutItemClick")); },
                        [&](QWidget *w) {
                          auto *view = qobject_cast<TFullScreenView *>(w);
                          ASSERT_NE(view, nullptr);
                          EXPECT_TRUE(view->CropMode());
                          Drag(view, {362 + 10, 284 + 20}, {362 + 110, 284 + 70});
                          view->bCut->click();
                        }));
  EXPECT_EQ(fileops_test::PictureOf(child->image.get()), before);
  ASSERT_EQ(main->Children().size(), 2);
  TMDIChild *pasted = main->ActiveChild();
  ASSERT_NE(pasted, child);
  EXPECT_EQ(fileops_test::PictureOf(pasted->image.get()), before.copy(10, 20, 100, 50));
  // Cancel: nothing pasted.
  EXPECT_TRUE(WithModal([&] { main->CutItemClick(); },
                        [&](QWidget *w) {
                          if (auto *view = qobject_cast<TFullScreenView *>(w))
                            view->bCancel->click();
                        }));
  EXPECT_EQ(main->Children().size(), 2);
  Pump();
  EXPECT_EQ(FullScreenWindows(), 0);
}

} // namespace
