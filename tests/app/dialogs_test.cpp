// The options, new-image, mode and wait windows, driven headless.
#include "app/Modeselect.h"
#include "app/Newimg.h"
#include "app/Option.h"
#include "forms/Waitmess.h"
#include "image/Kit.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Setting(const QString &name) { return Registry::Read(kProgramKey, name).value_or("-"); }

QByteArray SettingsFile() {
  QFile f(Registry::FilePath());
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class T> T *Find(QWidget *form, const QString &name) {
  T *w = form->findChild<T *>(name);
  EXPECT_NE(w, nullptr) << name.toStdString();
  return w;
}

QButtonGroup *Choices(QWidget *form, const QString &name) {
  return Find<QGroupBox>(form, name)->findChild<QButtonGroup *>();
}

QString tabsCurrent(QWidget &form) {
  auto *tabs = Find<QTabWidget>(&form, "PageControl1");
  return tabs->tabText(tabs->currentIndex());
}

void Click(QWidget *form, const QString &name) { Find<QPushButton>(form, name)->click(); }

void Key(QWidget *w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

// Records every message and answers with OK.
struct Messages {
  QStringList texts;
  QStringList captions;
  Messages() {
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      if (r.kind == UserDialogs::Kind::Message) {
        texts << r.text;
        captions << r.caption;
      }
      return UserDialogs::Answer{};
    });
  }
  ~Messages() { UserDialogs::SetResponder(nullptr); }
};

class Dialogs : public ::testing::Test {
protected:
  void SetUp() override {
    QFile::remove(Registry::FilePath());
    // Every general value present, so reading them writes nothing new.
    LoadGeneralSettings();
    ReadJpegQuality();
  }
  void TearDown() override { UserDialogs::SetResponder(nullptr); }
};

// ---- options -----------------------------------------------------------

TEST_F(Dialogs, OptionsCancelledLeaveEverySettingAsItWas) {
  WriteSetting("JpegQuality", "66");
  WriteSetting("AutoScaleParam", "12");
  WriteSetting("Disp8BitSupportsPalette", "1");
  WriteSetting("UndoDepth", "7");
  WriteSetting("GammaInIppatsu", "1");
  WriteSetting("GammaInIppatsuParam", "150");
  WriteSetting("SusiePluginPath", "/opt/spi");
  const QByteArray before = SettingsFile();
  TOptionForm form(nullptr, "/setup/");
  form.show();
  Find<QSlider>(&form, "tbJpegQuality")->setValue(31);
  Find<QSlider>(&form, "tbAutoParam")->setValue(2);
  Choices(&form, "rgDispPalette")->button(0)->click();
  Choices(&form, "rgUndo")->button(1)->click();
  Find<QCheckBox>(&form, "cbGM")->setChecked(false);
  Find<QLineEdit>(&form, "edSusieFolder")->setText("/elsewhere");
  Key(&form, Qt::Key_Escape);
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(SettingsFile(), before);
  EXPECT_EQ(JpegQuality, 66);
  EXPECT_EQ(General.autoScaleParam, 12);
  EXPECT_EQ(General.disp8BitSupportsPalette, 1);
  EXPECT_EQ(General.undoDepth, 7);
}

TEST_F(Dialogs, OptionsShowStoredValuesBesideTheirBars) {
  WriteSetting("JpegQuality", "64");
  WriteSetting("ColorInIppatsu", "1");
  WriteSetting("ColorInIppatsuG", "-9");
  TOptionForm form(nullptr, "/setup/");
  form.show();
  EXPECT_EQ(Find<QSlider>(&form, "tbJpegQuality")->value(), 64);
  EXPECT_EQ(Find<QLabel>(&form, "tbJpegQualityValue")->text(), "64");
  EXPECT_EQ(Find<QSlider>(&form, "tbIPG")->value(), -9);
  EXPECT_EQ(Find<QLabel>(&form, "tbIPGValue")->text(), "-9");
  EXPECT_EQ(Find<QLabel>(&form, "tbIPRValue")->text(), "0");
  EXPECT_FALSE(Find<QSlider>(&form, "tbIPG")->isHidden());
  // Gamma is off: its bar is hidden and disabled.
  EXPECT_TRUE(Find<QSlider>(&form, "tbIPGM")->isHidden());
  EXPECT_FALSE(Find<QSlider>(&form, "tbIPGM")->isEnabled());
  form.reject();
}

TEST_F(Dialogs, JpegDefaultButtonSetsSeventyFive) {
  EXPECT_EQ(Setting("JpegQuality"), "90"); // the missing value read as 90
  TOptionForm form(nullptr, "/setup/");
  form.show();
  EXPECT_EQ(Find<QSlider>(&form, "tbJpegQuality")->value(), 90);
  Click(&form, "bJpegDefault");
  EXPECT_EQ(Find<QSlider>(&form, "tbJpegQuality")->value(), 75);
  EXPECT_EQ(Find<QLabel>(&form, "tbJpegQualityValue")->text(), "75");
  Click(&form, "bJpegSmall");
  EXPECT_EQ(Find<QSlider>(&form, "tbJpegQuality")->value(), 50);
  Click(&form, "bJpegHigh");
  EXPECT_EQ(Find<QSlider>(&form, "tbJpegQuality")->value(), 90);
  Click(&form, "bAutoDefault");
  EXPECT_EQ(Find<QSlider>(&form, "tbAutoParam")->value(), 5);
  form.reject();
}

TEST_F(Dialogs, CheckingGammaResetsItsBarToOneHundred) {
  WriteSetting("GammaInIppatsu", "0");
  WriteSetting("GammaInIppatsuParam", "150");
  TOptionForm form(nullptr, "/setup/");
  form.show();
  auto *bar = Find<QSlider>(&form, "tbIPGM");
  EXPECT_EQ(bar->value(), 150); // the stored position, though hidden
  Find<QCheckBox>(&form, "cbGM")->click();
  EXPECT_EQ(bar->value(), 100);
  EXPECT_TRUE(bar->isEnabled());
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(Find<QLabel>(&form, "tbIPGMValue")->text(), "100");
  Find<QCheckBox>(&form, "cbGM")->click();
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_TRUE(bar->isHidden());
  form.reject();
}

TEST_F(Dialogs, OpeningWithGammaOnKeepsTheStoredGamma) {
  // The reset runs before the stored positions are set.
  WriteSetting("GammaInIppatsu", "1");
  WriteSetting("GammaInIppatsuParam", "150");
  TOptionForm form(nullptr, "/setup/");
  form.show();
  EXPECT_EQ(Find<QSlider>(&form, "tbIPGM")->value(), 150);
  EXPECT_TRUE(Find<QCheckBox>(&form, "cbGM")->isChecked());
  form.reject();
}

TEST_F(Dialogs, CheckingColourResetsTheThreeBars) {
  WriteSetting("ColorInIppatsuR", "7");
  TOptionForm form(nullptr, "/setup/");
  form.show();
  EXPECT_TRUE(Find<QSlider>(&form, "tbIPR")->isHidden());
  Find<QCheckBox>(&form, "cbColor")->click();
  for (const char *name : {"tbIPR", "tbIPG", "tbIPB"}) {
    EXPECT_EQ(Find<QSlider>(&form, name)->value(), 0) << name;
    EXPECT_FALSE(Find<QSlider>(&form, name)->isHidden()) << name;
  }
  form.reject();
}

TEST_F(Dialogs, WallpaperPageIsHiddenAndItsValuesNeverChange) {
  WriteSetting("WallPaperPalette", "1");
  WriteSetting("StartScreenPalette", "0");
  TOptionForm form(nullptr, "/setup/");
  form.show();
  auto *tabs = Find<QTabWidget>(&form, "PageControl1");
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i)
    titles << tabs->tabText(i);
  EXPECT_EQ(titles, QStringList({"JPEG", "ﾋｽﾄｸﾞﾗﾑ補正", "画面表示", "一発補正", "元に戻す",
                                 "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ", "SUSIEﾌﾟﾗｸﾞｲﾝ"}));
  Click(&form, "bOK");
  EXPECT_EQ(Setting("WallPaperPalette"), "1");
  EXPECT_EQ(Setting("StartScreenPalette"), "0");
}

TEST_F(Dialogs, OkWritesEveryControl) {
  TOptionForm form(nullptr, "/setup/");
  form.ShowPage("一発補正");
  form.show();
  EXPECT_EQ(tabsCurrent(form), "一発補正");
  Find<QSlider>(&form, "tbJpegQuality")->setValue(60);
  Find<QSlider>(&form, "tbAutoParam")->setValue(9);
  Choices(&form, "rgDispPalette")->button(1)->click();
  Choices(&form, "RadioGroup3")->button(1)->click();
  Find<QSlider>(&form, "tbIP1")->setValue(8);
  Click(&form, "bIP2Default");
  Find<QCheckBox>(&form, "cbColor")->click();
  Find<QSlider>(&form, "tbIPR")->setValue(-7);
  Choices(&form, "rgUndo")->button(5)->click();
  Choices(&form, "rgClip")->button(1)->click();
  Find<QLineEdit>(&form, "edSusieFolder")->setText("/x/spi");
  Key(&form, Qt::Key_Return);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(Setting("JpegQuality"), "60");
  EXPECT_EQ(JpegQuality, 60);
  EXPECT_EQ(Setting("AutoScaleParam"), "9");
  EXPECT_EQ(Setting("Disp8BitSupportsPalette"), "1");
  EXPECT_EQ(Setting("FullScrHighQuality"), "1");
  EXPECT_EQ(Setting("IppatsuAContrast"), "8");
  EXPECT_EQ(Setting("IppatsuBContrast"), "4");
  EXPECT_EQ(Setting("ColorInIppatsu"), "1");
  EXPECT_EQ(Setting("ColorInIppatsuR"), "-7");
  EXPECT_EQ(Setting("GammaInIppatsu"), "0");
  EXPECT_EQ(Setting("UndoDepth"), "5");
  EXPECT_EQ(Setting("AutoPaste"), "1");
  EXPECT_EQ(Setting("SusiePluginPath"), "/x/spi");
  EXPECT_EQ(General.undoDepth, 5);
}

TEST_F(Dialogs, SusieFolderBrowseAndReset) {
  QString asked;
  QString answer = "/chosen/plugins";
  UserDialogs::SetResponder([&](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == UserDialogs::Kind::Folder) {
      asked = r.caption;
      a.path = answer;
    }
    return a;
  });
  TOptionForm form(nullptr, "/setup/");
  form.show();
  auto *edit = Find<QLineEdit>(&form, "edSusieFolder");
  Click(&form, "bSusieBrowse");
  EXPECT_EQ(asked, "susieプラグインの検索フォルダを選択します");
  EXPECT_EQ(edit->text(), "/chosen/plugins");
  answer.clear(); // cancelled: the text stays
  Click(&form, "bSusieBrowse");
  EXPECT_EQ(edit->text(), "/chosen/plugins");
  Click(&form, "bSusieReset");
  EXPECT_EQ(edit->text(), "/setup/");
  form.reject();
}

// ---- new image -----------------------------------------------------------

TEST_F(Dialogs, NewImageDefaultsAndRecordRoundTrip) {
  {
    TNewImgForm form;
    EXPECT_EQ(form.Edit1->text(), "640");
    EXPECT_EQ(form.Edit2->text(), "480");
    EXPECT_FALSE(form.cbUmekomi->isChecked());
    EXPECT_TRUE(form.UmekomiFile->text().isEmpty());
    UserDialogs::SetResponder([](const UserDialogs::Request &r) {
      UserDialogs::Answer a;
      if (r.kind == UserDialogs::Kind::Colour) a.colour = 0x112233;
      if (r.kind == UserDialogs::Kind::OpenFile) {
        EXPECT_EQ(r.filter, "ビットマップ (*.bmp)|*.bmp");
        a.path = "/pics/tile,1.bmp";
      }
      return a;
    });
    form.show();
    form.Edit1->setText("100");
    form.Edit2->setText("50");
    Click(&form, "bColour");
    Click(&form, "bBrowse");
    form.cbUmekomi->setChecked(true);
    Click(&form, "bOK");
    ASSERT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.ImageWidth(), 100);
    EXPECT_EQ(form.ImageHeight(), 50);
    EXPECT_EQ(form.Colour(), 0x112233u);
    EXPECT_TRUE(form.Tile());
  }
  // Colour as the system stores it (0x00BBGGRR); a comma becomes a full stop.
  EXPECT_EQ(Registry::Read(kDialogsKey, "NewImage").value_or("-"),
            QString("100,50,%1,1,/pics/tile.1.bmp").arg(0x332211));
  TNewImgForm again;
  EXPECT_EQ(again.Edit1->text(), "100");
  EXPECT_EQ(again.Edit2->text(), "50");
  EXPECT_TRUE(again.cbUmekomi->isChecked());
  EXPECT_EQ(again.UmekomiFile->text(), "/pics/tile.1.bmp");
  again.Edit1->setText("3");
  again.accept();
  EXPECT_EQ(again.Colour(), 0x112233u);
}

TEST_F(Dialogs, NewImageBrowseStartsAtTheCurrentFile) {
  TNewImgForm form;
  form.UmekomiFile->setText(QStringLiteral("/pics/stone.bmp"));
  UserDialogs::Request asked;
  UserDialogs::SetResponder([&asked](const UserDialogs::Request &r) {
    asked = r;
    return UserDialogs::Answer{};
  });
  form.show();
  Click(&form, "bBrowse");
  EXPECT_EQ(asked.kind, UserDialogs::Kind::OpenFile);
  EXPECT_EQ(asked.folder, QStringLiteral("/pics"));
  EXPECT_EQ(asked.text, QStringLiteral("/pics/stone.bmp"));
  // Cancelled: the name stays.
  EXPECT_EQ(form.UmekomiFile->text(), QStringLiteral("/pics/stone.bmp"));
  form.reject();
}

TEST_F(Dialogs, NewImageWithoutANumberAsksForTheSize) {
  Messages messages;
  TNewImgForm form;
  form.show();
  form.Edit1->setText("abc");
  Key(&form, Qt::Key_Return);
  ASSERT_EQ(messages.texts, QStringList{"画像サイズを指定してください"});
  EXPECT_EQ(messages.captions, QStringList{""});
  EXPECT_TRUE(form.isVisible());
  EXPECT_NE(form.result(), QDialog::Accepted);
  EXPECT_FALSE(Registry::Read(kDialogsKey, "NewImage").has_value());
  form.Edit1->setText("0");
  Click(&form, "bOK");
  EXPECT_EQ(messages.texts.size(), 2);
  EXPECT_TRUE(form.isVisible());
  form.Edit1->setText("5");
  Click(&form, "bOK");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

class Sheet : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LoadImagingKit(); }
  QTemporaryDir dir;
};

TEST_F(Sheet, TiledThreeByTwoWithATwoByTwoBitmap) {
  QImage tile(2, 2, QImage::Format_RGB888);
  tile.setPixelColor(0, 0, QColor(10, 20, 30));
  tile.setPixelColor(1, 0, QColor(40, 50, 60));
  tile.setPixelColor(0, 1, QColor(70, 80, 90));
  tile.setPixelColor(1, 1, QColor(100, 110, 120));
  const QString path = dir.filePath("tile.bmp");
  ASSERT_TRUE(tile.save(path, "BMP"));
  bool missing = true;
  const QImage sheet = MakeNewSheet(3, 2, 0xff0000, true, path, &missing);
  EXPECT_FALSE(missing);
  ASSERT_EQ(sheet.size(), QSize(3, 2));
  EXPECT_EQ(sheet.format(), QImage::Format_RGB888);
  EXPECT_EQ(sheet.pixelColor(0, 0), QColor(10, 20, 30));
  EXPECT_EQ(sheet.pixelColor(1, 0), QColor(40, 50, 60));
  EXPECT_EQ(sheet.pixelColor(0, 1), QColor(70, 80, 90));
  EXPECT_EQ(sheet.pixelColor(1, 1), QColor(100, 110, 120));
  // The second copy starts at (2, 0) and is cut at the edge.
  EXPECT_EQ(sheet.pixelColor(2, 0), QColor(10, 20, 30));
  EXPECT_EQ(sheet.pixelColor(2, 1), QColor(70, 80, 90));
}

TEST_F(Sheet, MissingTileGivesThePlainColourAndSaysSo) {
  bool missing = false;
  const QImage sheet = MakeNewSheet(4, 3, 0x204060, true, dir.filePath("none.bmp"), &missing);
  EXPECT_TRUE(missing);
  ASSERT_EQ(sheet.size(), QSize(4, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(sheet.pixel(x, y), qRgb(0x20, 0x40, 0x60));
  // Not tiling: the file is not even looked at.
  missing = true;
  MakeNewSheet(1, 1, 0, false, dir.filePath("none.bmp"), &missing);
  EXPECT_FALSE(missing);
}

TEST_F(Sheet, AbsurdSizesAreRefused) {
  bool missing = false;
  EXPECT_TRUE(MakeNewSheet(1 << 15, 1 << 14, 0, false, {}, &missing).isNull());
  EXPECT_TRUE(MakeNewSheet(0, 10, 0, false, {}, &missing).isNull());
  EXPECT_TRUE(MakeNewSheet(10, -1, 0, false, {}, &missing).isNull());
}

// ---- mode dialog -----------------------------------------------------------

TEST_F(Dialogs, ModeButtonsWriteUIMode) {
  {
    TModeSelectForm form;
    form.show();
    Click(&form, "bNormal");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Setting("UIMode"), "NORMAL");
  }
  {
    TModeSelectForm form;
    form.show();
    Click(&form, "bGuidance");
    EXPECT_EQ(Setting("UIMode"), "GUIDANCE");
  }
}

TEST_F(Dialogs, ModeDialogClosedWithoutChoosingWritesNothing) {
  TModeSelectForm form;
  EXPECT_EQ(form.windowTitle(), "初回起動時の画面モード選択");
  form.show();
  form.close();
  EXPECT_EQ(Setting("UIMode"), "-");
}

// ---- wait window -----------------------------------------------------------

TEST_F(Dialogs, WaitWindowShowsProgressPerRow) {
  TfWaitMess wait;
  EXPECT_EQ(wait.size(), QSize(261, 96));
  EXPECT_EQ(wait.ProgressBar->maximum(), 100);
  wait.setWindowTitle("other");
  wait.Begin(1000000);
  EXPECT_TRUE(wait.isVisible());
  EXPECT_EQ(wait.windowTitle(), "VELMIR");
  EXPECT_EQ(wait.ProgressBar->maximum(), 1000000);
  EXPECT_EQ(wait.ProgressBar->value(), 0);
  // Steps reach the bar within a repaint interval.
  int steps = 0;
  QElapsedTimer clock;
  clock.start();
  while (wait.ProgressBar->value() == 0 && steps < 1000000 && clock.elapsed() < 5000) {
    wait.Step();
    ++steps;
  }
  EXPECT_EQ(wait.ProgressBar->value(), steps);
  wait.SetPosition(500);
  EXPECT_EQ(wait.ProgressBar->value(), 500);
  wait.End();
  EXPECT_FALSE(wait.isVisible());
  wait.setWindowTitle("other");
  wait.show();
  EXPECT_EQ(wait.windowTitle(), "VELMIR");
  wait.close();
}

} // namespace
