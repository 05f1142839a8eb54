// The full-screen windows: fitting to the screen, the simple view and its
// curtain, closing when the screen goes.
#include "forms/NewFullScr.h"
#include "image/Dib.h"
#include "image/ScreenFit.h"
#include "wait_util.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

using test_wait::Pump;
using test_wait::WithModal;

void PressKey(QWidget *w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
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

class FixedScreen : public ::testing::Test {
protected:
  void SetUp() override { Fix(QRect(0, 0, 1024, 768)); }
  void TearDown() override {
    FixScreenAreaForTesting(nullptr);
    Pump();
  }
  static void Fix(QRect r, double ratio = 1.0) { FixScreenAreaForTesting(&r, ratio); }
  static int VisibleFullScreenWindows() {
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
      if (qobject_cast<FullScreenWindow *>(w) && w->isVisible()) ++n;
    return n;
  }
  static int FullScreenWindows() {
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
      if (qobject_cast<FullScreenWindow *>(w)) ++n;
    return n;
  }
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

} // namespace
