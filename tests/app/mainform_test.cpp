// The main window: its menus and toolbar rows, the enabling rules by image
// kind, the status-bar texts, the two screen modes and what is remembered
// between runs.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "browser/windows/Fbrowser.h"

#include "image/Dib.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"
#include "wait_util.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

using test_wait::WaitFor;

const char *const kMenuNames[] = {
    "File1",
    "mBrowse",
    "NewImg",
    "FileNewItem",
    "TextImg",
    "mNewTex",
    "FileOpenItem",
    "mReload",
    "mWallOpen",
    "FileCloseItem",
    "mCloseAll",
    "FileSaveItem",
    "FileSaveAsItem",
    "mDeleteFile",
    "N1",
    "mTwain",
    "mSScan",
    "mMScan",
    "mTSelect",
    "N4",
    "mPrint",
    "N5",
    "mOption",
    "FileExitItem",
    "Edit1",
    "CutItem",
    "CopyItem",
    "PasteItem",
    "mGousei",
    "N3",
    "Undo1",
    "N8",
    "mClearClipboard",
    "mClearUndo",
    "Image1",
    "mColor",
    "mYUV",
    "RBG1",
    "mSaido",
    "mShikisou",
    "mGray",
    "mSepia",
    "mReverse",
    "mTone",
    "mBright",
    "mContrast",
    "G1",
    "mVariation",
    "V1",
    "mGVar",
    "S1",
    "B1",
    "C1",
    "mHistFunc",
    "mDither",
    "mIncColor",
    "N2",
    "mResize",
    "mBitBlt",
    "mHQSmall",
    "mHQLarge",
    "mSmall",
    "mRotateMain",
    "mRotate",
    "mRotateEx",
    "N10",
    "mFilter",
    "mSoften",
    "mSharp",
    "mMedian",
    "mBX",
    "mBY",
    "mSpSoften1",
    "mSpSoften2",
    "mAspect",
    "m54",
    "m43",
    "mLetter",
    "mExp",
    "mAuto1",
    "mAuto2",
    "BS1",
    "mScanNoise",
    "N11",
    "S3",
    "N18",
    "mAutoCustom",
    "mArtist",
    "mKyocho",
    "mTex",
    "mSpecial",
    "mMozaic",
    "mEmboss",
    "mRoberts",
    "mLapratian",
    "N17",
    "mLenz",
    "mSandSpot",
    "P1",
    "S2",
    "mLitening",
    "mNoiz",
    "N16",
    "mBorder",
    "mFadeOut",
    "mTrans",
    "W1",
    "bButtonFrame",
    "C2",
    "mSotowaku",
    "mKika",
    "mNami",
    "mUzu",
    "mGlass",
    "R1",
    "Show1",
    "N9",
    "N12",
    "O1",
    "mZoom",
    "Disp200",
    "Disp150",
    "Disp100",
    "Disp75",
    "Disp50",
    "Disp33",
    "Disp25",
    "DispStrech",
    "N13",
    "N14",
    "B2",
    "N15",
    "mHistgram",
    "mPreviewArea",
    "mSambNail",
    "mArea",
    "N6",
    "mWall",
    "mCenter",
    "mTile",
    "SpeedButton15",
    "N7",
    "ToolBar1",
    "N21",
    "C3",
    "mCrossLine",
    "mBeginner",
    "Window1",
    "WindowCascadeItem",
    "WindowTileItem",
    "WindowArrangeItem",
    "WindowMinimizeItem",
    "Help1",
    "mHelp",
    "HelpAboutItem",
};

const char *const kButtonNames[] = {
    "SpeedButton1",  "SpeedButton12", "SpeedButton13", "OpenBtn",       "SpeedButton18",
    "bClose",        "SaveBtn",       "SpeedButton19", "SpeedButton47", "SpeedButton48",
    "SpeedButton10", "tb31",          "CutBtn",        "CopyBtn",       "PasteBtn",
    "sbGousei",      "SpeedButton21", "sUndo",         "SpeedButton20", "sbZoomOut",
    "sbZoomIn",      "SpeedButton16", "SpeedButton17", "sbFull",        "bPreviewArea",
    "sbAuto1",       "sbAuto2",       "tb17",          "SpeedButton27", "sbGamma",
    "SpeedButton33", "sbYUV",         "SpeedButton28", "SpeedButton29", "SpeedButton5",
    "SpeedButton30", "SpeedButton6",  "SpeedButton31", "SpeedButton7",  "SpeedButton32",
    "sbHistFunc",    "sbHist",        "SpeedButton2",  "SpeedButton3",  "SpeedButton4",
    "SpeedButton25", "SpeedButton8",  "SpeedButton9",  "tb16",          "SpeedButton14",
    "sbGuide",       "sbTool",        "btnSai",        "tb01",          "tb02",
    "tb03",          "tb04",          "tb05",          "SpeedButton24", "tb06",
    "tb07",          "tb08",          "tb09",          "tb10",          "tb11",
    "tb12",          "tb13",          "SpeedButton34", "SpeedButton35", "tb14",
    "tb15",          "SpeedButton22", "SpeedButton26", "SpeedButton23", "tb32",
    "tb18",          "tb19",          "SpeedButton36", "tb20",          "tb21",
    "SpeedButton37", "tb22",          "tb23",          "tb24",          "tb25",
    "SpeedButton38", "SpeedButton39", "tb26",          "tb27",          "SpeedButton40",
    "SpeedButton41", "SpeedButton42", "SpeedButton43", "SpeedButton44", "SpeedButton45",
    "SpeedButton46", "tb28",          "tb29",          "tb30",          "SpeedButton49",
};

// Catches what the help command asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT
public:
  QList<QUrl> urls;
public slots:
  void open(const QUrl &url) { urls.append(url); }
};

DibHandle Grey8(int w, int h) {
  DibHandle image = CreateBlankDib(w, h);
  image.Adopt(Kit.ImgKitSetGray(image.get(), "", ""));
  return image;
}

DibHandle Converted(int w, int h, int bits) {
  DibHandle image = CreateBlankDib(w, h);
  image.Adopt(Kit.ImgKitConvertColor(image.get(), bits, 1, 0, "", ""));
  return image;
}

class MainWindow : public ::testing::Test {
protected:
  void SetUp() override {
    QFile::remove(Registry::FilePath());
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::clipboard()->clear();
    UserDialogs::SetResponder([this](const UserDialogs::Request &request) {
      messages.append(request.text);
      UserDialogs::Answer answer;
      answer.button = nextButton;
      return answer;
    });
  }
  void TearDown() override {
    form.reset();
    UserDialogs::SetResponder(nullptr);
    QGuiApplication::clipboard()->clear();
  }

  TMainForm &Form() {
    if (!form) form = std::make_unique<TMainForm>();
    return *form;
  }
  // A normal-mode main window, shown.
  TMainForm &Shown() {
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    Form().show();
    return *form;
  }
  TMDIChild *AddWindow(DibHandle image, const QString &caption = QStringLiteral("test.bmp")) {
    TMDIChild *child = Form().CreateChild(caption);
    child->image = std::move(image);
    child->ReadImageInfo();
    form->UpdateMenuItems();
    return child;
  }
  bool On(const char *name) {
    QAction *action = Form().Act(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action && action->isEnabled();
  }

  std::unique_ptr<TMainForm> form;
  QStringList messages;
  QMessageBox::StandardButton nextButton = QMessageBox::No;
};

TEST_F(MainWindow, EveryMenuItemAndButtonIsRegisteredByName) {
  TMainForm &f = Form();
  for (const char *name : kMenuNames) {
    QAction *action = f.Act(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    EXPECT_EQ(action->objectName(), QString::fromLatin1(name));
  }
  for (const char *name : kButtonNames) {
    ASSERT_NE(f.Act(QString::fromLatin1(name)), nullptr) << name;
    ASSERT_NE(f.Button(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(f.ActionNames().size(), std::size(kMenuNames) + std::size(kButtonNames));
  EXPECT_EQ(f.Act(QStringLiteral("NoSuchItem")), nullptr);
  EXPECT_EQ(f.windowTitle(), QStringLiteral(" VELMIR"));
}

TEST_F(MainWindow, MenuItemsCarryTheirCaptionsShortcutsAndHints) {
  TMainForm &f = Form();
  struct Row {
    const char *name;
    const char *caption;
    const char *shortcut;
  };
  const Row rows[] = {
      {"File1", "ﾌｧｲﾙ(&F)", ""},
      {"mBrowse", "ｲﾒｰｼﾞﾌﾞﾗｳｻﾞ起動/終了(&B)", "Ctrl+B"},
      {"FileOpenItem", "画像ﾌｧｲﾙを開く(&O)", "Ctrl+O"},
      {"FileCloseItem", "閉じる(&C)", "Ctrl+E"},
      {"FileSaveAsItem", "名前を付けて保存(&A)...", "Ctrl+R"},
      {"mPrint", "印刷(&P)", "Ctrl+P"},
      {"CopyItem", "ｺﾋﾟｰ(&C)", "Ctrl+C"},
      {"PasteItem", "新規画像として貼付(&P)", "Ctrl+V"},
      {"Undo1", "元に戻す(&Z)", "Ctrl+Z"},
      {"mClearUndo", "「元に戻す」の記録を消去(&E)", ""},
      {"mGray", "ｸﾞﾚｰｽｹｰﾙ化(G)", ""},
      {"mHQSmall", "高画質拡大/縮小 [ｵｰﾊﾞｰｻﾝﾌﾟﾘﾝｸﾞ](&O)", ""},
      {"mExp", "ﾌｫﾄｴｷｽﾊﾟｰﾄ(&X)", ""},
      {"mKika", "幾何学ﾌｨﾙﾀ-(&F)", ""},
      {"Disp33", "３３％(&6)", ""},
      {"DispStrech", "全画面に表示(&A)", "Ctrl+F"},
      {"N12", "ｽﾞｰﾑｲﾝ(I)", ""},
      {"WindowMinimizeItem", "すべてをｱｲｺﾝ化(&M)", ""},
      {"HelpAboutItem", "ﾊﾞｰｼﾞｮﾝ情報(&A)", ""},
  };
  for (const Row &row : rows) {
    QAction *action = f.Act(QString::fromLatin1(row.name));
    ASSERT_NE(action, nullptr) << row.name;
    EXPECT_EQ(action->text(), QString::fromUtf8(row.caption)) << row.name;
    EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(row.shortcut))) << row.name;
  }
  EXPECT_EQ(f.Act("FileOpenItem")->statusTip(), QStringLiteral("既存のﾌｧｲﾙを開く"));
  EXPECT_EQ(f.Act("mWallOpen")->statusTip(),
            QStringLiteral("ＶＥＬＭＩＲが保存した壁紙画像を編集する"));
  // A hint ending in "|" is a tooltip only.
  EXPECT_EQ(f.Act("BS1")->statusTip(), QString());

  EXPECT_TRUE(f.Act("N1")->isSeparator());
  EXPECT_TRUE(f.Act("N15")->isSeparator());
  for (const char *hidden : {"mNewTex", "N4", "mBX", "mBY", "mSpSoften1", "mSpSoften2", "R1"})
    EXPECT_FALSE(f.Act(hidden)->isVisible()) << hidden;
  EXPECT_FALSE(f.Act("N13")->isEnabled());
  EXPECT_FALSE(f.Act("R1")->isEnabled());
  EXPECT_TRUE(f.Act("mSambNail")->isChecked());
  EXPECT_TRUE(f.Act("mCrossLine")->isChecked());
  EXPECT_FALSE(f.Act("mArea")->isChecked());
  // Submenus hang where the tables put them.
  EXPECT_EQ(f.Act("Disp50")->parent(), f.Act("mZoom")->menu());
  EXPECT_EQ(f.Act("mGlass")->parent(), f.Act("mKika")->menu());
  EXPECT_EQ(f.Window1, f.Act("Window1")->menu());
}

TEST_F(MainWindow, ZoomItemsFormOneRadioGroup) {
  TMainForm &f = Form();
  f.Act("Disp50")->setChecked(true);
  int checked = 0;
  for (const char *name : {"Disp200", "Disp150", "Disp100", "Disp75", "Disp50", "Disp33", "Disp25"})
    if (f.Act(name)->isChecked()) ++checked;
  EXPECT_EQ(checked, 1);
  EXPECT_TRUE(f.Act("Disp50")->isChecked());
}

TEST_F(MainWindow, ToolbarRowsHoldTheirButtonsInLayoutOrder) {
  TMainForm &f = Form();
  const QList<QAction *> row1 = f.SpeedPanel->actions();
  const QList<QAction *> row2 = f.ToolPanel->actions();
  ASSERT_EQ(row1.size(), 53);
  ASSERT_EQ(row2.size(), 47);
  EXPECT_EQ(row1[0]->objectName(), QStringLiteral("SpeedButton1"));
  EXPECT_EQ(row1[49]->objectName(), QStringLiteral("SpeedButton14"));
  EXPECT_EQ(row1[50]->objectName(), QStringLiteral("btnSai"));
  EXPECT_EQ(row1[51]->objectName(), QStringLiteral("sbGuide"));
  EXPECT_EQ(row1[52]->objectName(), QStringLiteral("sbTool"));
  EXPECT_EQ(row2[5]->objectName(), QStringLiteral("SpeedButton24"));
  EXPECT_EQ(row2[6]->objectName(), QStringLiteral("SpeedButton49"));
  EXPECT_EQ(row2[7]->objectName(), QStringLiteral("tb06"));
  EXPECT_EQ(row2[46]->objectName(), QStringLiteral("tb30"));

  QToolButton *open = f.Button("OpenBtn");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->toolTip(), QStringLiteral("画像ファイルを開く"));
  EXPECT_FALSE(open->icon().isNull());
  EXPECT_EQ(f.Act("tb01")->toolTip(), QStringLiteral("反時計周りに９０度回転"));
  EXPECT_EQ(f.Act("sbTool")->toolTip(), QStringLiteral("２行目のツールバー表示ＯＮ／ＦＦ"));
  EXPECT_EQ(f.Act("SpeedButton28")->toolTip(), QStringLiteral("色調整（RGB)"));
  for (QAction *button : row1 + row2)
    EXPECT_TRUE(button->statusTip().isEmpty());
  // A button and its menu twin are separate actions.
  EXPECT_NE(f.Act("OpenBtn"), f.Act("FileOpenItem"));
}

TEST_F(MainWindow, HoveringShowsTheStatusPartOfTheHint) {
  TMainForm &f = Form();
  f.Act("FileOpenItem")->hover();
  EXPECT_EQ(f.StatusText(), QStringLiteral("既存のﾌｧｲﾙを開く"));
  f.Act("OpenBtn")->hover();
  EXPECT_EQ(f.StatusText(), QString());
  f.Act("mTwain")->hover();
  EXPECT_EQ(f.StatusText(),
            QStringLiteral("デジカメ、スキャナなどのＴＷＡＩＮ機器から画像を取込む"));
}

TEST_F(MainWindow, WithoutWindowsOnlyTheStartingCommandsAreEnabled) {
  TMainForm &f = Form();
  f.UpdateMenuItems();
  for (const char *name : {"FileCloseItem",
                           "bClose",
                           "FileSaveItem",
                           "SaveBtn",
                           "FileSaveAsItem",
                           "mPrint",
                           "tb31",
                           "mColor",
                           "mFilter",
                           "mAuto1",
                           "sbAuto1",
                           "mKyocho",
                           "mSotowaku",
                           "N9",
                           "mZoom",
                           "Disp100",
                           "sbZoomIn",
                           "sbZoomOut",
                           "tb01",
                           "tb14",
                           "tb28",
                           "SpeedButton23",
                           "SpeedButton49",
                           "Undo1",
                           "sUndo",
                           "PasteItem",
                           "mClearClipboard",
                           "mGousei",
                           "sbGousei"})
    EXPECT_FALSE(On(name)) << name;
  for (const char *name : {"FileOpenItem", "OpenBtn", "SpeedButton1", "SpeedButton12",
                           "SpeedButton13", "SpeedButton47", "SpeedButton10", "tb30", "sbGuide",
                           "sbTool", "mOption", "mBeginner", "mAutoCustom", "mHelp"})
    EXPECT_TRUE(On(name)) << name;
  EXPECT_EQ(f.StatusText(), QString());
}

TEST_F(MainWindow, PasteIsEnabledWithoutWindowsWhenTheClipboardHoldsAnImage) {
  TMainForm &f = Form();
  QImage picture(8, 8, QImage::Format_RGB888);
  picture.fill(Qt::red);
  QGuiApplication::clipboard()->setImage(picture);
  f.UpdateMenuItems();
  EXPECT_TRUE(On("PasteItem"));
  EXPECT_TRUE(On("PasteBtn"));
  EXPECT_TRUE(On("mClearClipboard"));
  EXPECT_TRUE(On("SpeedButton21"));
  EXPECT_FALSE(On("mGousei"));
  EXPECT_FALSE(On("sbGousei"));

  AddWindow(CreateBlankDib(4, 4));
  EXPECT_TRUE(On("mGousei"));
  EXPECT_TRUE(On("sbGousei"));
  QGuiApplication::clipboard()->clear();
  f.UpdateMenuItems();
  EXPECT_FALSE(On("PasteItem"));
  EXPECT_FALSE(On("mGousei"));
}

TEST_F(MainWindow, FullColourImageEnablesTheFullColourCommands) {
  TMainForm &f = Form();
  TMDIChild *child = AddWindow(CreateBlankDib(640, 480));
  ASSERT_EQ(child->bitCount, 24);
  EXPECT_EQ(f.StatusText(),
            QStringLiteral(" 画像情報：横[640]ピクセル, 縦[480]ピクセル, フルカラー"));
  for (const char *name : {"FileSaveItem", "mSharp", "mSoften", "mHQSmall", "mKyocho", "tb15",
                           "tb27", "SpeedButton49", "mMozaic", "mGray", "mAuto1", "sbAuto2",
                           "SpeedButton23", "Disp25", "sbZoomIn", "mRotateEx"})
    EXPECT_TRUE(On(name)) << name;
  for (const char *name : {"mIncColor", "tb14", "SpeedButton35", "mEmboss", "SpeedButton41",
                           "Undo1", "sUndo", "mClearUndo", "PasteItem"})
    EXPECT_FALSE(On(name)) << name;
  EXPECT_TRUE(f.Act("Disp100")->isChecked());
  EXPECT_TRUE(f.Act("mSambNail")->isChecked());
}

TEST_F(MainWindow, GreyImageAllowsEmbossAndEdgesButNotFullColourFilters) {
  TMainForm &f = Form();
  TMDIChild *child = AddWindow(Grey8(30, 20));
  ASSERT_EQ(child->bitCount, 8);
  ASSERT_TRUE(child->gray);
  for (const char *name : {"mMozaic", "mEmboss", "mRoberts", "mLapratian", "SpeedButton42",
                           "SpeedButton40", "SpeedButton41", "tb14", "mIncColor", "mAuto1"})
    EXPECT_TRUE(On(name)) << name;
  for (const char *name : {"mGray", "mSharp", "mSoften", "mMedian", "tb15", "tb16", "mKyocho"})
    EXPECT_FALSE(On(name)) << name;
  EXPECT_EQ(f.StatusText(), QStringLiteral(" 画像情報：横[30]ピクセル, 縦[20]ピクセル, [256]色"));
}

TEST_F(MainWindow, ColourPaletteImageAllowsAutomaticCorrectionOnly) {
  TMDIChild *child = AddWindow(Converted(16, 16, 8));
  ASSERT_EQ(child->bitCount, 8);
  ASSERT_FALSE(child->gray);
  for (const char *name : {"mEmboss", "mMozaic", "mRoberts", "mLapratian", "mSharp"})
    EXPECT_FALSE(On(name)) << name;
  for (const char *name : {"mAuto1", "mAuto2", "SpeedButton22", "mGray", "tb14"})
    EXPECT_TRUE(On(name)) << name;
}

TEST_F(MainWindow, OneBitImageReportsTwoColours) {
  TMainForm &f = Form();
  TMDIChild *child = AddWindow(Converted(9, 7, 1));
  ASSERT_EQ(child->bitCount, 1);
  EXPECT_FALSE(On("mAuto1"));
  EXPECT_FALSE(On("sbAuto1"));
  EXPECT_FALSE(On("mGray"));
  EXPECT_TRUE(On("tb14"));
  EXPECT_EQ(f.StatusText(), QStringLiteral(" 画像情報：横[9]ピクセル, 縦[7]ピクセル, [2]色"));
}

TEST_F(MainWindow, ImageInfoTextCountsColoursByDepth) {
  EXPECT_EQ(TMainForm::ImageInfoText(3, 2, 4),
            QStringLiteral(" 画像情報：横[3]ピクセル, 縦[2]ピクセル, [16]色"));
  EXPECT_EQ(TMainForm::ImageInfoText(3, 2, 32),
            QStringLiteral(" 画像情報：横[3]ピクセル, 縦[2]ピクセル, [0]色"));
  EXPECT_EQ(TMainForm::ImageInfoText(0, 0, 0), QString());
}

TEST_F(MainWindow, UndoRecordEnablesUndo) {
  TMDIChild *child = AddWindow(CreateBlankDib(8, 8));
  EXPECT_FALSE(On("Undo1"));
  child->RecordUndo();
  Form().UpdateMenuItems();
  EXPECT_TRUE(On("Undo1"));
  EXPECT_TRUE(On("sUndo"));
  EXPECT_TRUE(On("SpeedButton20"));
  EXPECT_TRUE(On("mClearUndo"));
}

TEST_F(MainWindow, ClosingTheLastWindowDisablesTheImageCommandsAgain) {
  TMainForm &f = Form();
  TMDIChild *child = AddWindow(CreateBlankDib(8, 8));
  EXPECT_TRUE(On("mColor"));
  ASSERT_TRUE(child->close());
  f.UpdateMenuItems();
  EXPECT_TRUE(f.Children().isEmpty());
  EXPECT_FALSE(On("mColor"));
  EXPECT_FALSE(On("mKyocho"));
  EXPECT_EQ(f.StatusText(), QString());
}

TEST_F(MainWindow, ZoomCommandsStepThroughTheSevenScales) {
  TMainForm &f = Form();
  TMDIChild *child = AddWindow(CreateBlankDib(40, 30));
  f.sbZoomInClick();
  EXPECT_EQ(child->zoomIndex, 1);
  EXPECT_TRUE(f.Act("Disp150")->isChecked());
  f.sbZoomInClick();
  f.sbZoomInClick(); // already at 200 %: nothing
  EXPECT_EQ(child->zoomIndex, 0);
  f.Act("Disp25")->trigger();
  EXPECT_EQ(child->zoomIndex, 6);
  EXPECT_TRUE(f.Act("Disp25")->isChecked());
  f.Act("sbZoomOut")->trigger(); // already at 25 %: nothing
  EXPECT_EQ(child->zoomIndex, 6);
  f.Act("N12")->trigger();
  EXPECT_EQ(child->zoomIndex, 5);
  EXPECT_TRUE(f.Act("Disp33")->isChecked());
  // The check follows the active window.
  TMDIChild *second = AddWindow(CreateBlankDib(40, 30), QStringLiteral("second.bmp"));
  EXPECT_EQ(f.ActiveChild(), second);
  EXPECT_TRUE(f.Act("Disp100")->isChecked());
}

TEST_F(MainWindow, PreviewButtonSwitchesToTheUncheckedMode) {
  TMainForm &f = Form();
  TMDIChild *child = AddWindow(CreateBlankDib(300, 200));
  EXPECT_FALSE(child->AreaMode());
  f.Act("bPreviewArea")->trigger();
  EXPECT_TRUE(child->AreaMode());
  EXPECT_TRUE(f.Act("mArea")->isChecked());
  EXPECT_FALSE(f.Act("mSambNail")->isChecked());
  f.Act("bPreviewArea")->trigger();
  EXPECT_FALSE(child->AreaMode());
  EXPECT_TRUE(f.Act("mSambNail")->isChecked());
}

TEST_F(MainWindow, WindowCommandsActOnEveryDocumentWindow) {
  TMainForm &f = Shown();
  TMDIChild *a = AddWindow(CreateBlankDib(8, 8), QStringLiteral("a.bmp"));
  TMDIChild *b = AddWindow(CreateBlankDib(8, 8), QStringLiteral("b.bmp"));
  TMDIChild *c = AddWindow(CreateBlankDib(8, 8), QStringLiteral("c.bmp"));
  EXPECT_EQ(f.ActiveChild(), c);
  f.Act("SpeedButton17")->trigger();
  EXPECT_NE(f.ActiveChild(), c);
  f.Act("SpeedButton16")->trigger();
  EXPECT_EQ(f.ActiveChild(), c);

  // The window menu lists the documents.
  emit f.Window1->aboutToShow();
  QStringList listed;
  for (QAction *action : f.Window1->actions())
    if (action->property("documentEntry").toBool() && !action->isSeparator())
      listed << action->text();
  EXPECT_EQ(listed, (QStringList{QStringLiteral("&1 a.bmp"), QStringLiteral("&2 b.bmp"),
                                 QStringLiteral("&3 c.bmp")}));

  f.Act("WindowMinimizeItem")->trigger();
  EXPECT_TRUE(a->isMinimized());
  EXPECT_TRUE(b->isMinimized());
  EXPECT_TRUE(c->isMinimized());
  f.Act("WindowArrangeItem")->trigger();
  EXPECT_EQ(a->y(), b->y());
  EXPECT_LT(a->x(), b->x());
  a->showNormal();
  b->showNormal();
  f.Act("WindowCascadeItem")->trigger();
  EXPECT_LT(a->x(), b->x());
  EXPECT_LT(a->y(), b->y());
}

TEST_F(MainWindow, SecondRowToggleSurvivesGuidanceMode) {
  TMainForm &f = Shown();
  EXPECT_FALSE(f.ToolPanel->isHidden());
  f.Act("sbTool")->trigger();
  EXPECT_TRUE(f.ToolPanel->isHidden());
  EXPECT_EQ(General.toolbar2Visible, 0);
  f.Act("mBeginner")->trigger();
  f.Label2Click();
  EXPECT_TRUE(f.ToolPanel->isHidden());
  EXPECT_FALSE(f.SpeedPanel->isHidden());
  f.Act("N21")->trigger();
  EXPECT_FALSE(f.ToolPanel->isHidden());
  EXPECT_EQ(General.toolbar2Visible, 1);
}

TEST_F(MainWindow, GuidanceModeReplacesMenusAndToolbars) {
  TMainForm &f = Shown();
  f.Act("sbGuide")->trigger();
  EXPECT_TRUE(f.GuidanceMode());
  EXPECT_TRUE(f.menuBar()->isHidden());
  EXPECT_TRUE(f.SpeedPanel->isHidden());
  EXPECT_TRUE(f.ToolPanel->isHidden());
  EXPECT_TRUE(f.statusBar()->isHidden());
  EXPECT_FALSE(f.GuidePanel->isHidden());
  EXPECT_TRUE(f.isMaximized());
  EXPECT_EQ(f.CurrentGuidePage(), QStringLiteral("gdMenu"));

  QLabel *read = f.GuideLabel(QStringLiteral("gdMenu"), QStringLiteral("１．画像を読込む"));
  ASSERT_NE(read, nullptr);
  emit read->linkActivated(QStringLiteral("#"));
  EXPECT_EQ(f.CurrentGuidePage(), QStringLiteral("ReadFile"));
  QLabel *top = f.GuideLabel(QStringLiteral("ReadFile"), QStringLiteral("トップページへ戻る"));
  ASSERT_NE(top, nullptr);
  emit top->linkActivated(QStringLiteral("#"));
  EXPECT_EQ(f.CurrentGuidePage(), QStringLiteral("gdMenu"));

  QLabel *normal = f.GuideLabel(QStringLiteral("gdMenu"), QStringLiteral("通常画面に戻る"));
  ASSERT_NE(normal, nullptr);
  emit normal->linkActivated(QStringLiteral("#"));
  EXPECT_FALSE(f.GuidanceMode());
  EXPECT_FALSE(f.menuBar()->isHidden());
  EXPECT_FALSE(f.statusBar()->isHidden());
  // Leaving does not restore the size before.
  EXPECT_TRUE(f.isMaximized());
}

TEST_F(MainWindow, GuidancePagesCarryTheirLinks) {
  TMainForm &f = Form();
  const QStringList pages = {"ReadFile", "EditPhoto",  "EditScan",
                             "SaveFile", "EditManual", "Artist"};
  for (const QString &page : pages) {
    for (const QString &text :
         {QStringLiteral("トップページへ戻る"), QStringLiteral("通常画面に戻る"),
          QStringLiteral("VELMIRを終了する")})
      EXPECT_NE(f.GuideLabel(page, text), nullptr) << page.toStdString();
    f.ShowGuidePage(page);
    EXPECT_EQ(f.CurrentGuidePage(), page);
  }
  EXPECT_EQ(f.GuideLabel(QStringLiteral("gdMenu"), QStringLiteral("トップページへ戻る")), nullptr);
  EXPECT_NE(f.GuideLabel("EditScan", QStringLiteral("元に戻して")), nullptr);
  EXPECT_NE(f.GuideLabel("EditManual", QStringLiteral("高画質法（ｵｰﾊﾞｰｻﾝﾌﾟﾙ）")), nullptr);
  EXPECT_NE(f.GuideLabel("Artist", QStringLiteral("テクスチャー効果")), nullptr);
  EXPECT_NE(f.GuideLabel("SaveFile", QStringLiteral("ＪＰＥＧの圧縮品質を設定")), nullptr);
  // A guidance link runs the command of its twin.
  TMDIChild *child = AddWindow(CreateBlankDib(40, 30));
  emit f.GuideLabel("ReadFile", QStringLiteral("拡大表示"))->linkActivated(QStringLiteral("#"));
  EXPECT_EQ(child->zoomIndex, 1);
}

TEST_F(MainWindow, NormalModePlacementIsStoredAndRestored) {
  {
    TMainForm &f = Shown();
    EXPECT_EQ(f.width(), 640);
    EXPECT_EQ(f.height(), 480);
    f.move(30, 40);
    f.resize(700, 500);
    form.reset();
  }
  EXPECT_EQ(ReadSetting("UIMode", ""), QStringLiteral("NORMAL"));
  EXPECT_EQ(ReadSetting("WPX", ""), QStringLiteral("30"));
  EXPECT_EQ(ReadSetting("WPY", ""), QStringLiteral("40"));
  EXPECT_EQ(ReadSetting("WPW", ""), QStringLiteral("700"));
  EXPECT_EQ(ReadSetting("WPH", ""), QStringLiteral("500"));

  TMainForm &again = Form();
  again.show();
  EXPECT_FALSE(again.GuidanceMode());
  EXPECT_EQ(again.x(), 30);
  EXPECT_EQ(again.y(), 40);
  EXPECT_EQ(again.width(), 700);
  EXPECT_EQ(again.height(), 500);
}

TEST_F(MainWindow, EmptyPlacementValuesTakeTheirDefaults) {
  WriteSetting("WPW", "800");
  WriteSetting("WPH", "");
  TMainForm &f = Shown();
  EXPECT_EQ(f.width(), 800);
  EXPECT_EQ(f.height(), 480);
}

TEST_F(MainWindow, GuidanceModeIsStoredAndRestored) {
  Shown().mBeginnerClick();
  form.reset();
  EXPECT_EQ(ReadSetting("UIMode", ""), QStringLiteral("GUIDANCE"));
  TMainForm &again = Form();
  again.show();
  EXPECT_TRUE(again.GuidanceMode());
  EXPECT_EQ(again.CurrentGuidePage(), QStringLiteral("gdMenu"));
}

TEST_F(MainWindow, FirstStartAsksForTheScreenMode) {
  bool asked = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    if (auto *normal = dialog->findChild<QPushButton *>(QStringLiteral("bNormal"))) {
      asked = true;
      normal->click();
    }
  });
  poll.start(10);
  Form().show();
  poll.stop();
  EXPECT_TRUE(asked);
  EXPECT_EQ(ReadSetting("UIMode", ""), QStringLiteral("NORMAL"));
  EXPECT_FALSE(Form().GuidanceMode());
}

TEST_F(MainWindow, ModeDialogClosedWithoutChoiceStartsGuidance) {
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [] {
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) dialog->reject();
  });
  poll.start(10);
  Form().show();
  poll.stop();
  EXPECT_TRUE(Form().GuidanceMode());
}

TEST_F(MainWindow, FirstShowingPreparesTheSetupFolder) {
  TMainForm &f = Shown();
  EXPECT_TRUE(f.SetupPath.endsWith(QLatin1Char('/')));
  EXPECT_EQ(ReadSetting("SetupPath", ""), f.SetupPath);
  EXPECT_TRUE(QDir(f.SetupPath + QStringLiteral("Samples")).exists());
  EXPECT_TRUE(f.acceptDrops());
  EXPECT_EQ(f.ProgramFolder, QString::fromStdString(ProgramFolder()));
}

TEST_F(MainWindow, HiddenSecondRowStaysHiddenAtStart) {
  WriteSetting("Toolbar2Visible", "0");
  TMainForm &f = Shown();
  EXPECT_TRUE(f.ToolPanel->isHidden());
  EXPECT_FALSE(f.SpeedPanel->isHidden());
}

TEST_F(MainWindow, ClosingAsksEveryWindowAndACancelKeepsAllOpen) {
  TMainForm &f = Shown();
  TMDIChild *edited = AddWindow(CreateBlankDib(8, 8), QStringLiteral("edited.bmp"));
  AddWindow(CreateBlankDib(8, 8), QStringLiteral("plain.bmp"));
  edited->modificationCount = 1;
  nextButton = QMessageBox::Cancel;
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.CloseCancelled);
  // The window before the active one is asked first; its cancel stops
  // the whole close.
  EXPECT_EQ(f.Children().size(), 2);
  EXPECT_EQ(messages.size(), 1);

  nextButton = QMessageBox::No;
  f.mBrowseClick(); // the browser, shown at the first start, goes
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(f.CloseCancelled);
  EXPECT_TRUE(f.Children().isEmpty());
  EXPECT_EQ(ReadSetting("ImageBrowser", ""), QStringLiteral("0"));
}

TEST_F(MainWindow, BrowserPlacementIsStoredAndRestored) {
  {
    TMainForm &f = Shown();
    // No value yet: the browser comes up with the main window.
    ASSERT_TRUE(f.Browser->isVisible());
    EXPECT_EQ(f.Browser->windowTitle(), QStringLiteral("IMAGE BROWSER"));
    f.Browser->move(40, 30);
    f.Browser->resize(700, 520);
    EXPECT_TRUE(f.close());
    EXPECT_EQ(ReadSetting("ImageBrowser", ""), QStringLiteral("1"));
    EXPECT_EQ(ReadSetting("IBW", ""), QStringLiteral("700"));
    EXPECT_EQ(ReadSetting("IBH", ""), QStringLiteral("520"));
  }
  form.reset();
  TMainForm &again = Shown();
  EXPECT_TRUE(again.Browser->isVisible());
  EXPECT_EQ(again.Browser->size(), QSize(700, 520));
  // Ctrl+B's command hides it and shows it again.
  again.mBrowseClick();
  EXPECT_FALSE(again.Browser->isVisible());
  again.mBrowseClick();
  EXPECT_TRUE(again.Browser->isVisible());
  WriteSetting(QStringLiteral("ImageBrowser"), QStringLiteral("0"));
  form.reset();
  EXPECT_FALSE(Shown().Browser->isVisible());
}

TEST_F(MainWindow, HelpOpensTheIndexPageOfTheHelpFolder) {
  TMainForm &f = Form();
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
  f.Act("mHelp")->trigger();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(catcher.urls[0].toLocalFile(), f.ProgramFolder + QStringLiteral("/help/index.html"));
}

TEST_F(MainWindow, GlobalAccessorFollowsTheWindow) {
  TMainForm &f = Form();
  EXPECT_EQ(MainForm(), &f);
  ASSERT_NE(f.AboutBox, nullptr);
  form.reset();
  EXPECT_EQ(MainForm(), nullptr);
}

} // namespace

#include "mainform_test.moc"
