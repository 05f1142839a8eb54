// The browser's options and rename-rule dialogs, headless.
#include "browser/windows/BrowserOption.h"
#include "browser/windows/RenameRule.h"
#include "platform/Registry.h"
#include "platform/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

class BrowserDialogs : public ::testing::Test {
protected:
  void SetUp() override { QFile::remove(Registry::FilePath()); }
  static QString Stored(const char *name) {
    return Registry::Read(kBrowserKey, QString::fromLatin1(name)).value_or(QStringLiteral("-"));
  }
  static void Press(QWidget *w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
  }
};

TEST_F(BrowserDialogs, OptionsShowTheStoredValuesOnTheFirstTab) {
  Registry::Write(kBrowserKey, QStringLiteral("DoubleClick"), QStringLiteral("1"));
  Registry::Write(kBrowserKey, QStringLiteral("EnableFile"), QStringLiteral("PNG, GIF"));
  TfBrowserOption form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("ブラウザ設定"));
  QStringList tabs;
  for (int i = 0; i < form.PageControl->count(); ++i)
    tabs << form.PageControl->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"ファイル操作", "マウス操作", "ブラウザ隠し", "画像カタログ",
                               "対象ファイル", "画像表示", "サムネイル"}));
  EXPECT_EQ(form.PageControl->currentIndex(), 0);
  EXPECT_EQ(form.rgDoubleClick->checkedId(), 1);
  EXPECT_EQ(form.rgThumbSave->checkedId(), 1);
  EXPECT_EQ(form.edEnableFile->text(), QStringLiteral("PNG, GIF"));
  EXPECT_TRUE(form.edStandard->isReadOnly());
  EXPECT_EQ(form.edStandard->text(), QStringLiteral("BMP,JPG,JPEG,TIF,TIFF"));
  EXPECT_EQ(form.rgAutoClose->button(2)->text(), QStringLiteral("自動非表示は行わない"));
}

TEST_F(BrowserDialogs, OptionsOkWritesAllEightAndCancelNone) {
  {
    TfBrowserOption form;
    form.rgDelete->button(1)->click();
    form.rgThumbSave->button(0)->click();
    form.edEnableFile->setText(QStringLiteral("webp"));
    form.show();
    Press(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Rejected);
  }
  EXPECT_EQ(Stored("DeleteMethod"), QStringLiteral("0"));
  EXPECT_EQ(Stored("ThumbSave"), QStringLiteral("1"));
  {
    TfBrowserOption form;
    form.rgDelete->button(1)->click();
    form.rgSlideShow->button(1)->click();
    form.rgThumbSave->button(0)->click();
    form.edEnableFile->setText(QStringLiteral("webp"));
    form.show();
    Press(form.edEnableFile, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Options().thumbSave, 0);
  }
  EXPECT_EQ(Stored("DeleteMethod"), QStringLiteral("1"));
  EXPECT_EQ(Stored("SlideShowHQ"), QStringLiteral("1"));
  EXPECT_EQ(Stored("FullScrHQ"), QStringLiteral("0"));
  EXPECT_EQ(Stored("ThumbSave"), QStringLiteral("0"));
  EXPECT_EQ(Stored("EnableFile"), QStringLiteral("webp"));
}

TEST_F(BrowserDialogs, RenameRuleRemembersWhatWasTypedEvenOnCancel) {
  {
    TRenameRule form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("連番ルール"));
    EXPECT_EQ(form.edCommon->text(), QStringLiteral("ImageFile"));
    EXPECT_EQ(form.rgDigits->checkedId(), 2);
    EXPECT_EQ(form.edStart->text(), QStringLiteral("1"));
    form.edCommon->setText(QStringLiteral("旅行"));
    form.rgDigits->button(3)->click();
    form.edStart->setText(QStringLiteral("25"));
    form.show();
    Press(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Rejected);
  }
  TRenameRule again;
  EXPECT_EQ(again.edCommon->text(), QStringLiteral("旅行"));
  EXPECT_EQ(again.rgDigits->checkedId(), 3);
  EXPECT_EQ(again.edStart->text(), QStringLiteral("25"));
  again.show();
  Press(again.edStart, Qt::Key_Return);
  EXPECT_EQ(again.result(), QDialog::Accepted);
  EXPECT_EQ(again.Rule().start, 25);
}

} // namespace
