// Scanning through SANE's "test" backend: a configuration folder made by
// each test decides which devices exist and what they deliver.
#include "fileops_fixture.h"

#include <QDialog>
#include <QDirIterator>
#include <QListWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>

#include <cstdlib>

#include <dlfcn.h>

using namespace fileops_test;

namespace {

class Scanning : public MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
#if defined(__SANITIZE_ADDRESS__)
    // SANE unloads its backends at sane_exit; the test backend keeps a few
    // bytes from its start-up that the leak checker then reports without a
    // name. Held here, it stays loaded and the suppression list names it.
    // A held backend also keeps its settings from one test to the next, so
    // the sanitizer build runs these tests one process each, as ctest does.
    static const bool held = [] {
      for (const char *path :
           {"/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1",
            "/usr/lib/aarch64-linux-gnu/sane/libsane-test.so.1", "/usr/lib/sane/libsane-test.so.1"})
        if (dlopen(path, RTLD_NOW | RTLD_NODELETE)) return true;
      return false;
    }();
    (void)held;
#endif
    ASSERT_TRUE(sane.isValid());
    ASSERT_TRUE(runtime.isValid());
    oldConfig = qgetenv("SANE_CONFIG_DIR");
    oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("SANE_CONFIG_DIR", sane.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    Configure({"test"}, "Grid", {});
  }
  void TearDown() override {
    qputenv("SANE_CONFIG_DIR", oldConfig);
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    MainWindowTest::TearDown();
  }
  // dll.conf naming `backends`; test.conf with a 30 x 20 mm page at 254 dpi
  // (300 x 200 pixels, the grid's 10 mm squares 100 pixels wide).
  void Configure(const QStringList &backends, const QString &picture, const QString &extra) {
    ASSERT_TRUE(WriteFile(sane.filePath("dll.conf"), (backends.join('\n') + '\n').toUtf8()));
    const QString conf = QStringLiteral("number_of_devices 2\nresolution 254\n"
                                        "br_x 30.0\nbr_y 20.0\ntest-picture \"%1\"\n%2")
                             .arg(picture, extra);
    ASSERT_TRUE(WriteFile(sane.filePath("test.conf"), conf.toUtf8()));
  }
  IMGKIT_SCANWORK Work(int mode, const char *device = "test:0") {
    IMGKIT_SCANWORK w{};
    std::strncpy(w.device, device, sizeof w.device - 1);
    w.mode = mode;
    w.status = -1;
    return w;
  }
  QStringList Leftovers() {
    QStringList found;
    QDirIterator it(runtime.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
      found << it.next();
    for (const QString &name : QDir::current().entryList({"vltemp*"}))
      found << name;
    return found;
  }
  QStringList Errors() {
    QStringList texts;
    for (const UserDialogs::Request &r : requests)
      if (r.kind == UserDialogs::Kind::Message) texts << r.text;
    return texts;
  }
  // SANE looks its configuration folder up once per process: one folder for
  // every test, its files rewritten by each.
  static inline QTemporaryDir sane;
  QTemporaryDir runtime;
  QByteArray oldConfig, oldRuntime;
};

// Clicks the stop button of the scan progress once it shows, and its text
// holds `when`.
struct StopWhenProgressShows {
  QTimer poll;
  bool clicked = false;
  QString when;
  explicit StopWhenProgressShows(const QString &text = {}) : when(text) {
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [this] {
      for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *p = qobject_cast<QProgressDialog *>(w);
        if (!p || !p->isVisible() || clicked || !p->labelText().contains(when)) continue;
        for (QPushButton *b : p->findChildren<QPushButton *>())
          if (b->text() == QStringLiteral("中止")) {
            clicked = true;
            b->click();
          }
      }
    });
    poll.start();
  }
};

// Grid squares: white where (column + row) of the 100-pixel square is even.
bool GridWhite(int x, int y) { return ((x / 100) + (y / 100)) % 2 == 0; }

TEST_F(Scanning, ColourPageIsTwentyFourBitsOfTheGrid) {
  IMGKIT_SCANWORK w = Work(IMGKIT_SCAN_COLOUR);
  DibHandle page(Kit.ImgKitScan(main, &w));
  ASSERT_TRUE(page);
  EXPECT_EQ(w.status, IMGKIT_SCANNED_OK);
  TMDIB dib(page.get());
  EXPECT_EQ(dib.width, 300);
  EXPECT_EQ(dib.height, 200);
  EXPECT_EQ(dib.BitsPerPixel(), 24);
  const QImage pic = PictureOf(page.get());
  for (QPoint p : {QPoint(5, 5), QPoint(105, 5), QPoint(5, 105), QPoint(150, 150), QPoint(299, 199),
                   QPoint(99, 0), QPoint(100, 0)})
    EXPECT_EQ(pic.pixel(p), GridWhite(p.x(), p.y()) ? qRgb(255, 255, 255) : qRgb(0, 0, 0))
        << p.x() << "," << p.y();
}

TEST_F(Scanning, GreyPageIsEightBitGrey) {
  IMGKIT_SCANWORK w = Work(IMGKIT_SCAN_GREY);
  DibHandle page(Kit.ImgKitScan(main, &w));
  ASSERT_TRUE(page);
  IMGKIT_IMAGEINFO info{};
  ASSERT_TRUE(Kit.ImgKitImageInfo(page.get(), &info));
  EXPECT_EQ(info.kind, IMGKIT_KIND_GREY8);
  EXPECT_EQ(info.width, 300);
  EXPECT_EQ(info.height, 200);
  const QImage pic = PictureOf(page.get());
  EXPECT_EQ(pic.pixel(5, 5), qRgb(255, 255, 255));
  EXPECT_EQ(pic.pixel(105, 5), qRgb(0, 0, 0));
  EXPECT_EQ(pic.pixel(205, 195), qRgb(0, 0, 0)); // third column, second row
}

TEST_F(Scanning, LineArtPageIsOneBitWithBlackWhereTheDeviceSaysBlack) {
  IMGKIT_SCANWORK w = Work(IMGKIT_SCAN_LINEART);
  DibHandle page(Kit.ImgKitScan(main, &w));
  ASSERT_TRUE(page);
  IMGKIT_IMAGEINFO info{};
  ASSERT_TRUE(Kit.ImgKitImageInfo(page.get(), &info));
  EXPECT_EQ(info.bitCount, 1);
  EXPECT_EQ(info.kind, IMGKIT_KIND_MONO);
  const QImage pic = PictureOf(page.get());
  ASSERT_EQ(pic.size(), QSize(300, 200));
  for (int y : {0, 50, 150, 199})
    for (int x : {0, 7, 8, 99, 100, 199, 200, 299})
      EXPECT_EQ(pic.pixel(x, y), GridWhite(x, y) ? qRgb(255, 255, 255) : qRgb(0, 0, 0))
          << x << "," << y;
}

// The colour pattern, byte for byte as SANE's own scanimage delivers it.
TEST_F(Scanning, ColourPatternMatchesScanimage) {
  const QString scanimage = QStandardPaths::findExecutable(QStringLiteral("scanimage"));
  if (scanimage.isEmpty()) GTEST_SKIP() << "scanimage (sane-utils) is not installed";
  Configure({"test"}, "Color pattern", {});
  QProcess p;
  p.start(scanimage, {"-d", "test:0", "--mode", "Color", "--format=pnm"});
  ASSERT_TRUE(p.waitForFinished(20000));
  QImage reference;
  ASSERT_TRUE(reference.loadFromData(p.readAllStandardOutput(), "PPM"));
  IMGKIT_SCANWORK w = Work(IMGKIT_SCAN_COLOUR);
  DibHandle page(Kit.ImgKitScan(main, &w));
  ASSERT_TRUE(page);
  EXPECT_EQ(PictureOf(page.get()), reference.convertToFormat(QImage::Format_RGB32));
}

// Three-pass colour comes as one frame per channel.
TEST_F(Scanning, ThreePassColourMatchesScanimage) {
  const QString scanimage = QStandardPaths::findExecutable(QStringLiteral("scanimage"));
  if (scanimage.isEmpty()) GTEST_SKIP() << "scanimage (sane-utils) is not installed";
  Configure({"test"}, "Color pattern", {});
  QProcess p;
  p.start(scanimage, {"-d", "test:0", "--mode", "Color", "--format=pnm"});
  ASSERT_TRUE(p.waitForFinished(20000));
  QImage reference;
  ASSERT_TRUE(reference.loadFromData(p.readAllStandardOutput(), "PPM"));
  Configure({"test"}, "Color pattern", "three-pass true\nthree-pass-order GBR\n");
  IMGKIT_SCANWORK w = Work(IMGKIT_SCAN_COLOUR);
  DibHandle page(Kit.ImgKitScan(main, &w));
  ASSERT_TRUE(page);
  EXPECT_EQ(PictureOf(page.get()), reference.convertToFormat(QImage::Format_RGB32));
}

// A hand scanner does not know the page length before the page ends.
TEST_F(Scanning, PageOfUnknownLengthIsAsLongAsTheDataRead) {
  Configure({"test"}, "Solid white", "hand-scanner true\n");
  IMGKIT_SCANWORK w = Work(IMGKIT_SCAN_GREY);
  DibHandle page(Kit.ImgKitScan(main, &w));
  ASSERT_TRUE(page);
  TMDIB dib(page.get());
  EXPECT_GT(dib.width, 0);
  EXPECT_GT(dib.height, 0);
  EXPECT_EQ(PictureOf(page.get()).pixel(dib.width - 1, dib.height - 1), qRgb(255, 255, 255));
}

TEST_F(Scanning, WithoutTheScanningLibraryTheCommandsAreRefused) {
  // The other six libraries only, as on a machine where libsane is missing
  // and so libimgscan3.so does not load.
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString program = QString::fromStdString(ProgramFolder());
  for (const char *lib : kKitLibraries)
    if (std::strcmp(lib, "imgscan3") != 0) {
      const QString name = QStringLiteral("lib%1.so").arg(lib);
      ASSERT_TRUE(QFile::link(program + "/" + name, folder.filePath(name)));
    }
  FreeImagingKit();
  LoadImagingKit(folder.path().toStdString());
  main->mTSelectClick();
  main->mSScanClick();
  main->mMScanClick();
  const QStringList errors = Errors();
  const std::vector<std::string> missing = MissingKitParts();
  FreeImagingKit();
  LoadImagingKit();
  EXPECT_EQ(missing, std::vector<std::string>{"libimgscan3.so"});
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors.front().contains("libimgscan3.so"));
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(Scanning, SingleScanOpensANewDocument) {
  WriteSetting(QStringLiteral("ScanDevice"), QStringLiteral("test:1"));
  main->RunCommand(QStringLiteral("mSScanClick"));
  ASSERT_EQ(main->Children().size(), 1);
  TMDIChild *child = main->Children().front();
  EXPECT_EQ(child->Caption(), "新規画像");
  EXPECT_EQ(child->bitCount, 24);
  EXPECT_EQ(child->zoomIndex, 2);
  EXPECT_EQ(child->width, 300);
  EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Scanning, StoppingAScanInProgressOpensNothingAndSaysNothing) {
  // Slow pages: small reads, each delayed.
  Configure({"test"}, "Grid",
            "read-limit true\nread-limit-size 600\nread-delay true\n"
            "read-delay-duration 20000\n");
  StopWhenProgressShows stopper;
  main->mSScanClick();
  EXPECT_TRUE(stopper.clicked);
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_TRUE(Errors().isEmpty());
  // The device is free again afterwards.
  Configure({"test"}, "Grid", {});
  main->mSScanClick();
  EXPECT_EQ(main->Children().size(), 1);
}

TEST_F(Scanning, SelectionListsTheDevicesAndIsRemembered) {
  QStringList shown;
  ASSERT_TRUE(WithModal([&] { main->mTSelectClick(); },
                        [&](QWidget *w) {
                          auto *list = w->findChild<QListWidget *>("DeviceList");
                          ASSERT_NE(list, nullptr);
                          for (int i = 0; i < list->count(); ++i)
                            shown << list->item(i)->data(Qt::UserRole).toString();
                          list->setCurrentRow(1);
                          static_cast<QDialog *>(w)->accept();
                        }));
  EXPECT_EQ(shown, (QStringList{"test:0", "test:1"}));
  EXPECT_EQ(ReadSetting(QStringLiteral("ScanDevice"), QString()), "test:1");
  // Cancel keeps the choice.
  ASSERT_TRUE(WithModal([&] { main->mTSelectClick(); },
                        [&](QWidget *w) {
                          auto *list = w->findChild<QListWidget *>("DeviceList");
                          ASSERT_NE(list, nullptr);
                          EXPECT_EQ(list->currentRow(), 1);
                          list->setCurrentRow(0);
                          static_cast<QDialog *>(w)->reject();
                        }));
  EXPECT_EQ(ReadSetting(QStringLiteral("ScanDevice"), QString()), "test:1");
}

TEST_F(Scanning, NoDeviceAtAllIsToldInsteadOfAList) {
  Configure({}, "Grid", {});
  main->mTSelectClick();
  EXPECT_EQ(Errors(), QStringList{"スキャナが見つかりません"});
  main->mSScanClick();
  EXPECT_EQ(Errors().size(), 2);
  EXPECT_TRUE(main->Children().isEmpty());
}

TEST_F(Scanning, DeviceGoneBetweenSelectAndScanIsTold) {
  WriteSetting(QStringLiteral("ScanDevice"), QStringLiteral("test:0"));
  Configure({}, "Grid", {});
  main->mSScanClick();
  main->mMScanClick();
  EXPECT_EQ(Errors(), (QStringList{"スキャナが見つかりません", "スキャナが見つかりません"}));
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(' ').toStdString();
}

TEST_F(Scanning, FeederScanOpensEveryPageAndLeavesNoFile) {
  // The test backend's feeder runs empty after ten pages.
  QFile stranger(QDir::current().filePath("vltemp.keep"));
  ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
  stranger.close();
  Configure({"test"}, "Grid", "br_x 5.0\nbr_y 4.0\n");
  main->mMScanClick();
  const bool strangerKept = QFile::exists(stranger.fileName());
  QFile::remove(stranger.fileName());
  EXPECT_TRUE(strangerKept); // never a pattern delete in the current folder
  ASSERT_EQ(main->Children().size(), 10);
  for (TMDIChild *c : main->Children()) {
    EXPECT_EQ(c->Caption(), "新規画像");
    EXPECT_EQ(c->width, 50);
    EXPECT_EQ(c->height, 40);
    EXPECT_EQ(c->bitCount, 24);
  }
  EXPECT_TRUE(Errors().isEmpty());
  EXPECT_TRUE(Leftovers().isEmpty()) << Leftovers().join(' ').toStdString();
}

TEST_F(Scanning, StoppingAFeederScanKeepsThePagesAlreadyScanned) {
  Configure({"test"}, "Grid",
            // Each page takes about 200 ms, so that the stop lands on the
            // third even on a busy machine.
            "read-limit true\nread-limit-size 600\nread-delay true\n"
            "read-delay-duration 20000\n");
  StopWhenProgressShows stopper(QStringLiteral("(3 枚目)"));
  main->mMScanClick();
  EXPECT_TRUE(stopper.clicked);
  EXPECT_EQ(main->Children().size(), 2);
  EXPECT_TRUE(Errors().isEmpty());
  EXPECT_TRUE(Leftovers().isEmpty());
}

} // namespace
