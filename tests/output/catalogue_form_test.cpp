// The catalogue dialog of the browser: its controls, its two messages, a
// catalogue written and opened, and the browser's command that starts it.
#include "browser/windows/Album.h"
#include "browser/windows/Fbrowser.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"
#include "qt_print.h"
#include "wait_util.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CatalogueForm : public ::testing::Test {
protected:
  void SetUp() override {
    QFile::remove(Registry::FilePath());
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      if (r.kind == UserDialogs::Kind::Message) messages << r.text;
      UserDialogs::Answer a;
      a.path = folderAnswer;
      return a;
    });
    TAlbumForm::SetPageOpener([this](const QString &page) { opened << page; });
    QImage image(50, 40, QImage::Format_RGB888);
    image.fill(Qt::darkGreen);
    const DibHandle dib = DibFromBitmap(image);
    ASSERT_TRUE(
        SaveImageFile(QFile::encodeName(dir.filePath("花.jpg")).toStdString(), dib.get(), 90));
  }
  void TearDown() override {
    UserDialogs::SetResponder(nullptr);
    TAlbumForm::SetPageOpener(nullptr);
  }
  QTemporaryDir dir;
  QStringList messages;
  QStringList opened;
  QString folderAnswer;
};

TEST_F(CatalogueForm, ControlsStartAsTheBrowserSays) {
  BrowserOptions options;
  TAlbumForm f(nullptr, dir.path(), options, ThumbBesideImage);
  EXPECT_EQ(f.windowTitle(), "画像カタログの作成");
  EXPECT_EQ(f.eFolder->text(), dir.path());
  EXPECT_EQ(f.seColumns->value(), 5);
  EXPECT_EQ(f.seColumns->minimum(), 1);
  EXPECT_EQ(f.seColumns->maximum(), 99);
  EXPECT_EQ(f.seThumbSize->value(), 100);
  EXPECT_FALSE(f.seThumbSize->isEnabled());
  EXPECT_EQ(f.Links->checkedId(), 0);
  EXPECT_FALSE(f.cbNoPath->isEnabled());
  f.findChild<QRadioButton *>("rbLinks")->click();
  EXPECT_TRUE(f.cbNoPath->isEnabled());
  f.cbNoPath->setChecked(true);
  EXPECT_TRUE(f.Options().noPath);
  f.findChild<QRadioButton *>("rbNoLinks")->click();
  EXPECT_FALSE(f.cbNoPath->isEnabled());
  EXPECT_FALSE(f.Options().links);
  EXPECT_FALSE(f.Options().noPath);

  options.remakeSN = 1;
  TAlbumForm remake(nullptr, dir.path(), options, ThumbBesideImage);
  EXPECT_TRUE(remake.seThumbSize->isEnabled());
  EXPECT_EQ(remake.Options().remake, 1);
}

TEST_F(CatalogueForm, EmptyFolderOrNameIsSaidAndTheDialogStays) {
  TAlbumForm f(nullptr, dir.path(), BrowserOptions{}, ThumbBesideImage);
  f.eFolder->clear();
  f.eFileName->setText("album");
  f.bOKClick();
  EXPECT_EQ(messages, QStringList{"格納先のフォルダが指定されていません"});
  EXPECT_EQ(f.result(), 0);
  f.eFolder->setText(dir.path());
  f.eFileName->clear();
  f.bOKClick();
  EXPECT_EQ(messages.last(), "カタログのファイル名が指定されていません");
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("album.html")));
}

TEST_F(CatalogueForm, OkWritesTheCatalogueAndOpensIt) {
  BrowserOptions options;
  options.remakeSN = 1;
  QTemporaryDir out;
  folderAnswer = out.path();
  TAlbumForm f(nullptr, dir.path(), options, ThumbBesideImage);
  f.findChild<QPushButton *>("bFolder")->click();
  EXPECT_EQ(f.eFolder->text(), out.path());
  f.eFileName->setText("花のカタログ.txt");
  f.seThumbSize->setValue(20);
  f.bOKClick();
  EXPECT_TRUE(messages.isEmpty());
  const QString page = out.filePath("花のカタログ.html");
  EXPECT_EQ(opened, QStringList{page});
  EXPECT_EQ(f.result(), QDialog::Accepted);
  EXPECT_EQ(QImage(out.filePath("thumb_花.jpg")).size(), QSize(20, 16));
  EXPECT_EQ(f.Result().images, 1);
}

TEST_F(CatalogueForm, AFolderThatCannotTakeThePageIsSaid) {
  TAlbumForm f(nullptr, dir.path(), BrowserOptions{}, ThumbBesideImage);
  f.eFolder->setText(dir.filePath("gone"));
  f.eFileName->setText("a");
  f.bOKClick();
  EXPECT_EQ(messages, QStringList{"ＨＴＭＬファイルを作成できません"});
  EXPECT_NE(f.result(), QDialog::Accepted);
}

TEST_F(CatalogueForm, TheBrowsersMenuItemAndButtonOpenTheDialog) {
  TBrowser browser(nullptr);
  browser.SetFolder(dir.path());
  for (const char *name : {"mCatalogue", "tbCatalogue"}) {
    QAction *item = browser.Action(QString::fromLatin1(name));
    ASSERT_NE(item, nullptr) << name;
    QString folder;
    EXPECT_TRUE(test_wait::WhileModal<TAlbumForm>([item] { item->trigger(); },
                                                  [&folder](TAlbumForm *form) {
                                                    folder = form->eFolder->text();
                                                    form->reject();
                                                  }))
        << name;
    EXPECT_EQ(folder, dir.path());
  }
}

} // namespace
