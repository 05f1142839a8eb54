// The wallpaper maker: its arithmetic (fit, fixed sizes, coordinates, drag
// and resize, depths), the logo pictures, and the full-screen window with
// its panel, mouse selection and targets.
#include "effects/Kabegami.h"
#include "effects/dialogs/KabegamiForm.h"
#include "fileops_fixture.h"
#include "image/Kit.h"
#include "platform/DesktopWallpaper.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

using namespace Kabegami;

TEST(KabegamiRules, ASmallDocumentKeepsItsSizeCentred) {
  const Size s = ShownSize(800, 600, 1280, 1024);
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.height, 600);
  const Rect r = PictureRect(s, 1280, 1024);
  EXPECT_EQ(r.left, 240);
  EXPECT_EQ(r.top, 212);
  const Scale sc = ScaleOf(800, 600, s);
  EXPECT_EQ(sc.a, 1.0);
  // 640*480 on it selects exactly 640 x 480 document pixels.
  const Rect sel = FixedSelection(640, 480, sc, r);
  EXPECT_EQ(sel.left, 240 + 80);
  EXPECT_EQ(sel.top, 212 + 60);
  const Coordinates c = CoordinatesOf(sel, r, sc);
  EXPECT_EQ(c.x0, 80);
  EXPECT_EQ(c.y0, 60);
  EXPECT_EQ(c.x1, 719);
  EXPECT_EQ(c.y1, 539);
  EXPECT_EQ(c.width, 640);
  EXPECT_EQ(c.height, 480);
}

TEST(KabegamiRules, ALargeDocumentFitsTheScreen) {
  // Wide: 3200*1000/1280 = 2500 > 1200*1000/1024 = 1171, the width fills.
  Size s = ShownSize(3200, 1200, 1280, 1024);
  EXPECT_EQ(s.width, 1280);
  EXPECT_EQ(s.height, 480);
  // Tall: the height fills.
  s = ShownSize(1000, 3000, 1280, 1024);
  EXPECT_EQ(s.width, 341);
  EXPECT_EQ(s.height, 1024);
  // Larger in one direction only.
  s = ShownSize(1300, 500, 1280, 1024);
  EXPECT_EQ(s.width, 1280);
  EXPECT_EQ(s.height, 492);
  // 1600 x 1200 shown 1280 x 960: 1.25 document pixels per screen pixel.
  s = ShownSize(1600, 1200, 1280, 1024);
  const Scale sc = ScaleOf(1600, 1200, s);
  EXPECT_DOUBLE_EQ(sc.a, 1.25);
  const Rect r = PictureRect(s, 1280, 1024);
  const Rect sel = FixedSelection(640, 480, sc, r);
  EXPECT_EQ(sel.width, 512);
  EXPECT_EQ(sel.height, 384);
  const Coordinates c = CoordinatesOf(sel, r, sc);
  EXPECT_EQ(c.width, 640);
  EXPECT_EQ(c.height, 480);
  EXPECT_EQ(c.x0, 480);
  // The whole picture: x1 is the last shown column, in document pixels.
  const Coordinates all = CoordinatesOf(r, r, sc);
  EXPECT_EQ(all.x0, 0);
  EXPECT_EQ(all.x1, static_cast<int>(1279 * 1.25));
  EXPECT_EQ(all.width, 1600);
}

TEST(KabegamiRules, FixedSizesInButtonOrder) {
  const char *want[] = {"640*480", "800*600", "1024*768", "1280*1024",
                        "320*480", "400*600", "512*768",  "640*1024"};
  ASSERT_EQ(std::size(kFixedSizes), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_STREQ(kFixedSizes[i].caption, want[i]);
    EXPECT_EQ(QString("%1*%2").arg(kFixedSizes[i].width).arg(kFixedSizes[i].height), want[i]);
  }
}

TEST(KabegamiRules, BackwardSelectionCoversTheSameAsForward) {
  const Rect picture{100, 50, 400, 300};
  const Scale sc{1.5, 1.5};
  const Rect forward = DragTo({120, 70, 0, 0}, 220, 150, picture);
  const Rect backward = DragTo({220, 150, 0, 0}, 120, 70, picture);
  EXPECT_EQ(backward.width, -100);
  const Coordinates f = Ordered(CoordinatesOf(forward, picture, sc));
  const Coordinates b = Ordered(CoordinatesOf(backward, picture, sc));
  EXPECT_EQ(f.x0, b.x0);
  EXPECT_EQ(f.y0, b.y0);
  EXPECT_EQ(f.x1, b.x1);
  EXPECT_EQ(f.y1, b.y1);
  EXPECT_EQ(f.width, b.width);
}

TEST(KabegamiRules, DragsStayWithinThePicture) {
  const Rect picture{100, 50, 400, 300};
  const Rect r = DragTo({450, 300, 0, 0}, 900, 900, picture);
  EXPECT_EQ(r.width, 50);
  EXPECT_EQ(r.height, 50);
  const Rect l = DragTo({150, 100, 0, 0}, 0, 0, picture);
  EXPECT_EQ(l.width, -50);
  EXPECT_EQ(l.height, -50);
}

TEST(KabegamiRules, RightButtonResizeKeepsTheShape) {
  Rect r = ResizeBy({10, 10, 100, 50}, 20);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.width, 120);
  EXPECT_EQ(r.height, 60);
  r = ResizeBy({10, 10, 100, 50}, -30);
  EXPECT_EQ(r.width, 70);
  EXPECT_EQ(r.height, 35);
  r = ResizeBy({0, 0, 30, 20}, 7); // 7 * 20 / 30 = 4.67, truncated
  EXPECT_EQ(r.height, 24);
  r = ResizeBy({0, 0, 30, 20}, -7);
  EXPECT_EQ(r.height, 16);
}

TEST(KabegamiRules, Depths) {
  const int kinds[8] = {1, 4, 4, 8, 8, 24, 24, 24};
  for (int k = 0; k < 8; ++k)
    EXPECT_EQ(PictureBits(k), kinds[k]) << k;
  EXPECT_EQ(DisplayBits(0), 24);
  EXPECT_EQ(DisplayBits(2), 1);
  EXPECT_EQ(DisplayBits(16), 4);
  EXPECT_EQ(DisplayBits(256), 8);
  EXPECT_EQ(WallpaperDepth(24, 24), 0);
  EXPECT_EQ(WallpaperDepth(8, 24), 8);
  EXPECT_EQ(WallpaperDepth(8, 8), 0);
  EXPECT_EQ(WallpaperDepth(4, 8), 4);
  EXPECT_EQ(WallpaperDepth(4, 24), 4);
  EXPECT_EQ(WallpaperDepth(4, 4), 0);
  EXPECT_EQ(LogoFileName(Target::StartUp), "LOGO.SYS");
  EXPECT_EQ(LogoFileName(Target::ShuttingDown), "LOGOW.SYS");
  EXPECT_EQ(LogoFileName(Target::Final), "LOGOS.SYS");
}

TEST(KabegamiRules, LogoIsAlways320By400At8Bits) {
  for (int bits : {24, 8, 1}) {
    QImage image(bits == 24 ? 57 : 700, bits == 24 ? 13 : 90, QImage::Format_RGB888);
    image.fill(QColor(200, 100, 50));
    QImage source = image;
    if (bits == 8) source = image.convertToFormat(QImage::Format_Indexed8);
    if (bits == 1) source = image.convertToFormat(QImage::Format_Mono);
    const DibHandle dib = DibFromBitmap(source);
    ASSERT_TRUE(dib) << bits;
    const DibHandle logo = LogoPicture(dib.get(), 1);
    ASSERT_TRUE(logo) << bits;
    IMGKIT_IMAGEINFO info{};
    ASSERT_TRUE(Kit.ImgKitImageInfo(logo.get(), &info));
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 400);
    EXPECT_EQ(info.bitCount, 8);
  }
}

// ---- the window ------------------------------------------------------------

class KabegamiWindow : public fileops_test::MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    oldWindir_ = qgetenv("WINDIR");
    oldDesktop_ = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("WINDIR", Path("windows").toUtf8());
    qputenv("XDG_CURRENT_DESKTOP", "none");
  }
  void TearDown() override {
    qputenv("WINDIR", oldWindir_);
    qputenv("XDG_CURRENT_DESKTOP", oldDesktop_);
    MainWindowTest::TearDown();
  }
  void Open(int w, int h) {
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        image.setPixelColor(x, y, QColor(x % 256, y % 256, 128));
    ASSERT_TRUE(image.save(Path("doc.bmp")));
    ASSERT_TRUE(main->OpenImageFile(Path("doc.bmp")));
  }
  static void Mouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  static void Drag(QWidget *w, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonPress, from, button);
    Mouse(w, QEvent::MouseMove, to, button);
    Mouse(w, QEvent::MouseButtonRelease, to, button);
  }
  QString Edit(TKabegamiForm &f, int i) {
    return f.findChild<QLineEdit *>(QString("eCoordinate%1").arg(i))->text();
  }
  QByteArray oldWindir_, oldDesktop_;
};

TEST_F(KabegamiWindow, CoversTheScreenWithThePanelTopRight) {
  Open(120, 90);
  TKabegamiForm f(main, main->ActiveChild());
  const QRect screen = main->screen()->geometry();
  EXPECT_EQ(f.geometry(), screen);
  f.show();
  EXPECT_EQ(f.Panel->x() + f.Panel->width(), screen.width() - 2);
  EXPECT_EQ(f.Panel->y(), 2);
  EXPECT_NE(f.Panel->findChild<QLabel *>(), nullptr);
  QStringList captions;
  for (QPushButton *b : f.Panel->findChildren<QPushButton *>())
    captions << b->text();
  for (const char *want :
       {"全選択", "任意選択", "640*480", "640*1024", "壁紙（中  央）へ登録", "壁紙（タイル）へ登録",
        "起動中画面  へ登録", "終了中画面  へ登録", "終 了 画 面  へ登録", "キャンセル"})
    EXPECT_TRUE(captions.contains(QString::fromUtf8(want))) << want;
  // Shown at its own size, centred; the whole picture selected.
  EXPECT_EQ(f.Picture().width, 120);
  EXPECT_EQ(f.Picture().left, (screen.width() - 120) / 2);
  EXPECT_EQ(f.Selection().width, 120);
  EXPECT_EQ(Edit(f, 2), "119");
  EXPECT_EQ(Edit(f, 4), "120");
  EXPECT_EQ(Edit(f, 5), "90");
  // Keys do not close it.
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&f, &esc);
  EXPECT_TRUE(f.isVisible());
}

TEST_F(KabegamiWindow, FreeSelectionWithTheMouseMovesAndResizes) {
  Open(200, 100);
  TKabegamiForm f(main, main->ActiveChild());
  f.show();
  const Rect p = f.Picture();
  f.SelectionClick(1);
  EXPECT_FALSE(f.SelectionShown());
  EXPECT_EQ(Edit(f, 0), "");
  // Drawn from bottom right to top left, past the picture's edge.
  Drag(&f, {p.left + 150, p.top + 80}, {p.left - 40, p.top + 30});
  EXPECT_TRUE(f.SelectionShown());
  EXPECT_EQ(f.Selection().width, -150);
  EXPECT_EQ(Edit(f, 4), "150");
  EXPECT_EQ(Edit(f, 5), "50");
  const Coordinates back = Ordered(f.Coordinates());
  EXPECT_EQ(back.x0, 0);
  EXPECT_EQ(back.x1, 149);
  EXPECT_EQ(back.y0, 30);
  EXPECT_EQ(back.y1, 79);
  // Left button on the selection moves it.
  Drag(&f, {p.left + 10, p.top + 40}, {p.left + 30, p.top + 45});
  EXPECT_EQ(Ordered(f.Coordinates()).x0, 20);
  EXPECT_EQ(Ordered(f.Coordinates()).y0, 35);
  EXPECT_EQ(f.Coordinates().width, 150);
  // Right button resizes from the top left, keeping the shape.
  f.SelectionClick(0);
  Drag(&f, {p.left + 100, p.top + 50}, {p.left + 50, p.top + 50}, Qt::RightButton);
  EXPECT_EQ(f.Selection().width, 150);
  EXPECT_EQ(f.Selection().height, 75);
  EXPECT_EQ(f.Selection().left, p.left);
}

TEST_F(KabegamiWindow, FixedSizeOnASmallDocument) {
  Open(700, 500);
  TKabegamiForm f(main, main->ActiveChild());
  f.findChild<QPushButton *>("sbChoice2")->click(); // 640*480
  EXPECT_EQ(f.Coordinates().width, 640);
  EXPECT_EQ(f.Coordinates().height, 480);
  EXPECT_EQ(f.Coordinates().x0, 30);
  EXPECT_EQ(f.Coordinates().y0, 10);
}

TEST_F(KabegamiWindow, LogoTargetsWrite320By400EightBitFiles) {
  Open(90, 60);
  int target = 2;
  for (const char *name : {"LOGO.SYS", "LOGOW.SYS", "LOGOS.SYS"}) {
    TKabegamiForm f(main, main->ActiveChild());
    f.SelectionClick(3); // 800*600: larger than the document, cut to it
    f.findChild<QPushButton *>(QString("bTarget%1").arg(target++))->click();
    EXPECT_EQ(f.result(), QDialog::Accepted) << name;
    const QByteArray bytes = fileops_test::ReadFile(Path("windows/") + name);
    ASSERT_GE(bytes.size(), 54) << name;
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 18), 320);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 22), 400);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 8);
  }
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(KabegamiWindow, WallpaperTargetsWriteTheFileTheSettingAndSaySo) {
  Open(80, 60);
  TKabegamiForm f(main, main->ActiveChild());
  f.show();
  const Rect p = f.Picture();
  f.SelectionClick(1);
  Drag(&f, {p.left + 10, p.top + 5}, {p.left + 50, p.top + 25});
  f.findChild<QPushButton *>("bTarget1")->click(); // tiled
  EXPECT_EQ(f.result(), QDialog::Accepted);
  const QImage saved(Path("windows/VelmirSaved.bmp"));
  EXPECT_EQ(saved.size(), QSize(40, 20));
  EXPECT_EQ(saved.pixelColor(0, 0), QColor(10, 5, 128));
  EXPECT_EQ(Registry::Read("Control Panel\\Desktop", "TileWallpaper"), "1");
  EXPECT_EQ(main->StatusText(), DesktopWallpaper::kNotAppliedText);
}

TEST_F(KabegamiWindow, APaletteDisplayGetsAnEightBitWallpaper) {
  Open(30, 20);
  main->DisplayColours = 256;
  TKabegamiForm f(main, main->ActiveChild());
  EXPECT_TRUE(f.Register(Target::Centred));
  const QByteArray bytes = fileops_test::ReadFile(Path("windows/VelmirSaved.bmp"));
  ASSERT_GE(bytes.size(), 54);
  EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 8);
  EXPECT_EQ(Registry::Read("Control Panel\\Desktop", "TileWallpaper"), "0");
  main->DisplayColours = 0;
}

TEST_F(KabegamiWindow, NothingSelectedOrCancelledWritesNothing) {
  Open(30, 20);
  {
    TKabegamiForm f(main, main->ActiveChild());
    f.SelectionClick(1);
    EXPECT_FALSE(f.Register(Target::StartUp));
    f.findChild<QPushButton *>("bCancel")->click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
  }
  EXPECT_FALSE(QFileInfo::exists(Path("windows/LOGO.SYS")));
}

TEST_F(KabegamiWindow, AnUnwritableFolderIsSaid) {
  Open(30, 20);
  QFile blocker(Path("blocked"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  qputenv("WINDIR", Path("blocked").toUtf8());
  TKabegamiForm f(main, main->ActiveChild());
  EXPECT_FALSE(f.Register(Target::Final));
  EXPECT_EQ(Messages(), QStringList{"ファイルを保存できません"});
  EXPECT_TRUE(f.isEnabled());
  EXPECT_FALSE(f.WaitPanel->isVisible());
}

TEST_F(KabegamiWindow, TheMenuItemOpensTheMaker) {
  Open(30, 20);
  bool seen = false;
  EXPECT_TRUE(
      test_wait::WhileModal<TKabegamiForm>([this] { main->Act("SpeedButton15")->trigger(); },
                                           [&seen](TKabegamiForm *f) {
                                             seen = true;
                                             f->reject();
                                           }));
  EXPECT_TRUE(seen);
}

} // namespace
