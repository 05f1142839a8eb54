// Opening files that only a plug-in reads: the shipped plug-ins of the
// program folder, the folder setting, and a plug-in's failure.
#include "fileops_fixture.h"
#include "image/Susie.h"

#include <QFrame>

using namespace fileops_test;

namespace {

const QString kCannotRead = QStringLiteral("読込めないデータ形式です");

class PluginOpen : public MainWindowTest {
protected:
  // A new main window, made after `between` ran (the old one writes its
  // settings back as it goes).
  void RemakeMainWindow(const std::function<void()> &between) {
    for (TMDIChild *c : main->Children())
      c->closeWithoutAsking = true;
    delete main;
    between();
    main = new TMainForm;
    main->show();
  }
};

TEST_F(PluginOpen, PngOpensAsAFullColourDocument) {
  ASSERT_TRUE(Pattern(6, 4).save(Path("pic.png"), "PNG"));
  ASSERT_TRUE(main->OpenImageFile(Path("pic.png")));
  ASSERT_EQ(main->Children().size(), 1);
  TMDIChild *child = main->Children().front();
  EXPECT_TRUE(child->fromPlugin);
  EXPECT_EQ(child->bitCount, 24);
  EXPECT_EQ(child->width, 6);
  EXPECT_EQ(child->height, 4);
  EXPECT_EQ(child->zoomIndex, 2);
  EXPECT_EQ(PictureOf(child->image.get()), Pattern(6, 4).convertToFormat(QImage::Format_RGB32));
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_FALSE(main->FileMess && main->FileMess->isVisible());
  EXPECT_TRUE(SusieLoader.Bitmap().isNull()); // released after the read
}

TEST_F(PluginOpen, PalettePngBecomesTwentyFourBits) {
  QImage indexed(5, 2, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 128, 255), qRgb(9, 9, 9)});
  for (int x = 0; x < 5; ++x) {
    indexed.setPixel(x, 0, static_cast<uint>(x % 3));
    indexed.setPixel(x, 1, 2);
  }
  ASSERT_TRUE(indexed.save(Path("palette.PNG"), "PNG"));
  ASSERT_TRUE(main->OpenImageFile(Path("palette.PNG")));
  TMDIChild *child = main->Children().front();
  IMGKIT_IMAGEINFO info{};
  ASSERT_TRUE(Kit.ImgKitImageInfo(child->image.get(), &info));
  EXPECT_EQ(info.bitCount, 24);
  EXPECT_EQ(PictureOf(child->image.get()), indexed.convertToFormat(QImage::Format_RGB32));
}

TEST_F(PluginOpen, FileThePluginClaimsButCannotDecodeEndsInTheMessage) {
  ASSERT_TRUE(Pattern(40, 30).save(Path("whole.png"), "PNG"));
  WriteFile(Path("cut.png"), ReadFile(Path("whole.png")).left(60));
  EXPECT_FALSE(main->OpenImageFile(Path("cut.png")));
  EXPECT_TRUE(main->Children().isEmpty());
  ASSERT_EQ(Messages(), QStringList{kCannotRead});
  EXPECT_EQ(requests.back().caption, "VELMIR");
  EXPECT_FALSE(main->FileMess && main->FileMess->isVisible());
}

TEST_F(PluginOpen, PluginFolderSettingIsReadAtStartAndEmptyMeansTheProgramFolder) {
  EXPECT_EQ(SusieLoader.Folder(), ProgramFolder());
  EXPECT_EQ(Registry::Read(kProgramKey, QStringLiteral("SusiePluginPath")).value_or("-"), "");

  QTemporaryDir empty;
  RemakeMainWindow([&] { WriteSetting(QStringLiteral("SusiePluginPath"), empty.path()); });
  EXPECT_EQ(SusieLoader.Folder(), empty.path().toStdString());
  EXPECT_EQ(SusieLoader.FirstPlugin(), nullptr);
  ASSERT_TRUE(Pattern(3, 3).save(Path("pic.png"), "PNG"));
  EXPECT_FALSE(main->OpenImageFile(Path("pic.png")));
  EXPECT_EQ(Messages(), QStringList{kCannotRead});
}

TEST_F(PluginOpen, ClosingTheMainWindowUnloadsThePlugins) {
  EXPECT_NE(SusieLoader.FirstPlugin(), nullptr);
  delete main;
  main = nullptr;
  EXPECT_EQ(SusieLoader.FirstPlugin(), nullptr);
  main = new TMainForm; // for the fixture's tear-down
}

} // namespace
