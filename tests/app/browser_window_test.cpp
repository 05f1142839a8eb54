// The browser window headless: folders, the grid on the image area, paging,
// selection and sorting over the three lists.
#include "browser/windows/Fbrowser.h"
#include "browser/windows/ImageView.h"
#include "browser/windows/RenameRule.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"
#include "wait_util.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class BrowserWindow : public ::testing::Test {
protected:
  void SetUp() override {
    QFile::remove(Registry::FilePath());
    ASSERT_TRUE(dir.isValid());
    for (const char *name : {"b.jpg", "a.bmp", "notes.txt"}) {
      QFile f(dir.filePath(QString::fromLatin1(name)));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    browser = std::make_unique<TBrowser>(nullptr);
  }
  // `n` images in the lists, as a refresh leaves them, without files.
  void Fill(int n) {
    browser->thumbList.clear();
    browser->imageList.clear();
    browser->markList.clear();
    for (int i = 0; i < n; ++i) {
      browser->thumbList << QStringLiteral("/none/%1.sam").arg(i, 3, 10, QLatin1Char('0'));
      browser->imageList << QStringLiteral("/none/p%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
      browser->markList << QStringLiteral("0");
    }
    browser->busy = false;
  }
  QTemporaryDir dir;
  std::unique_ptr<TBrowser> browser;
};

TEST_F(BrowserWindow, AFolderFillsTheFileListAndSaysHowToShowIt) {
  browser->SetFolder(dir.path());
  auto *files = browser->findChild<QListWidget *>(QStringLiteral("FileList"));
  ASSERT_NE(files, nullptr);
  QStringList names;
  for (int i = 0; i < files->count(); ++i)
    names << files->item(i)->text();
  EXPECT_EQ(names, (QStringList{"a.bmp", "b.jpg", "notes.txt"}));
  EXPECT_EQ(
      browser->StatusText(),
      QStringLiteral("［サムネイルの作成／更新／表示］で、現在のフォルダーをサムネイル表示します"));
  EXPECT_EQ(browser->CurrentFolder(), QDir(dir.path()).absolutePath());
  auto *tree = browser->findChild<QTreeView *>(QStringLiteral("DirectoryTree"));
  auto *model = qobject_cast<QFileSystemModel *>(tree->model());
  EXPECT_TRUE(test_wait::WaitFor(
      [&] { return model->filePath(tree->currentIndex()) == QDir(dir.path()).absolutePath(); }));
}

TEST_F(BrowserWindow, GridFitsTheAreaAndPagesByRows) {
  Fill(40);
  browser->ImageArea()->resize(700, 500);
  CImageView *grid = browser->Grid();
  grid->Rebuild(true);
  EXPECT_EQ(grid->Columns(), 6);
  EXPECT_EQ(grid->Rows(), 3);
  EXPECT_EQ(grid->TotalRowCount(), 7);
  EXPECT_EQ(grid->CellCount(), 18);
  EXPECT_EQ(grid->CellText(0), QStringLiteral("p000.jpg"));
  EXPECT_FALSE(grid->CellHasPicture(0)); // no thumbnail file: an empty cell
  grid->Move(PageMove::PageDown);
  EXPECT_EQ(grid->TopRow(), 3);
  grid->Move(PageMove::PageDown);
  EXPECT_EQ(grid->TopRow(), 4);
  EXPECT_EQ(grid->CellCount(), 16);
  EXPECT_EQ(grid->CellText(0), QStringLiteral("p024.jpg"));
  grid->Move(PageMove::PageDown);
  EXPECT_EQ(grid->TopRow(), 4);
  EXPECT_EQ(browser->findChild<QLabel *>(QStringLiteral("lShown"))->text(), QStringLiteral("40"));
}

TEST_F(BrowserWindow, ShiftSelectsARangeFromTheAnchorOnce) {
  Fill(12);
  browser->ImageArea()->resize(700, 500);
  CImageView *grid = browser->Grid();
  grid->Rebuild(true);
  // Shift without an anchor toggles the one image.
  grid->Press(4, false, true);
  EXPECT_EQ(browser->markList.count(QStringLiteral("1")), 1);
  EXPECT_EQ(grid->Anchor(), 4);
  grid->Press(8, false, true);
  EXPECT_EQ(browser->markList.mid(4, 5), QStringList(5, QStringLiteral("1")));
  EXPECT_EQ(grid->Anchor(), -1);
  // After a range the next Shift-click toggles instead of extending.
  grid->Press(10, false, true);
  EXPECT_EQ(browser->markList.count(QStringLiteral("1")), 6);
  grid->Press(10, false, false);
  EXPECT_EQ(browser->markList.value(10), QStringLiteral("0"));
  EXPECT_EQ(browser->findChild<QLabel *>(QStringLiteral("lSelected"))->text(), QStringLiteral("5"));
  browser->Action(QStringLiteral("mSelectAll"))->trigger();
  EXPECT_EQ(browser->markList.count(QStringLiteral("1")), 12);
  browser->Action(QStringLiteral("mSelectNone"))->trigger();
  EXPECT_EQ(browser->markList.count(QStringLiteral("1")), 0);
  // The right button remembers the popup item and marks nothing.
  grid->Press(3, true, false);
  EXPECT_EQ(grid->PopupItem(), 3);
  EXPECT_EQ(browser->markList.count(QStringLiteral("1")), 0);
}

TEST_F(BrowserWindow, SortAlternatesZToAThenAToZWithTheListsTogether) {
  Fill(3);
  browser->imageList = {"/f/beta.jpg", "/f/Alpha.jpg", "/f/gamma.jpg"};
  browser->thumbList = {"/f/beta.sam", "/f/Alpha.sam", "/f/gamma.sam"};
  browser->markList = {"0", "1", "0"};
  browser->SortByName();
  EXPECT_EQ(browser->imageList, (QStringList{"/f/gamma.jpg", "/f/beta.jpg", "/f/Alpha.jpg"}));
  EXPECT_EQ(browser->thumbList, (QStringList{"/f/gamma.sam", "/f/beta.sam", "/f/Alpha.sam"}));
  EXPECT_EQ(browser->markList, (QStringList{"0", "0", "1"}));
  browser->SortByName();
  EXPECT_EQ(browser->imageList, (QStringList{"/f/Alpha.jpg", "/f/beta.jpg", "/f/gamma.jpg"}));
  EXPECT_EQ(browser->sortState, 0);
}

TEST_F(BrowserWindow, OpeningTheSelectionFollowsTheListAndAutoClose) {
  Fill(4);
  browser->markList = {"0", "1", "0", "1"};
  QStringList opened;
  int after = 0;
  browser->openImage = [&](const QString &f) {
    opened << f;
    return true;
  };
  browser->afterOpen = [&] { ++after; };
  browser->show(); // reads the options afresh
  browser->options.autoClose = 1;
  browser->OpenSelection();
  EXPECT_EQ(opened, (QStringList{"/none/p001.jpg", "/none/p003.jpg"}));
  EXPECT_EQ(after, 1);
  EXPECT_FALSE(browser->isVisible());
}

TEST_F(BrowserWindow, TheFolderIsRememberedAndTheHomeFolderIsTheDefault) {
  EXPECT_EQ(browser->CurrentFolder(), QDir::homePath());
  browser->SetFolder(dir.path());
  browser.reset();
  EXPECT_EQ(Registry::Read(kDialogsKey, QStringLiteral("ImageBrowser")).value_or(QString()),
            QStringLiteral("/,") + QDir(dir.path()).absolutePath());
  browser = std::make_unique<TBrowser>(nullptr);
  EXPECT_EQ(browser->CurrentFolder(), QDir(dir.path()).absolutePath());
}

TEST_F(BrowserWindow, TheCreateButtonShowsTheFolderAsThumbnails) {
  // Three small pictures beside a text file; the archive variant.
  for (const char *name : {"c.bmp", "a.bmp", "b.bmp"}) {
    DibHandle image = CreateBlankDib(40, 30);
    ASSERT_TRUE(Kit.ImgKitBmpFileSave(dir.filePath(QString::fromLatin1(name)).toUtf8().constData(),
                                      image.get(), "", "", 0));
  }
  // The empty b.jpg of the fixture cannot be read: it is left out.
  QTemporaryDir setup;
  WriteSetting(QStringLiteral("SetupPath"), setup.path() + QLatin1Char('/'));
  browser->show();
  browser->ImageArea()->resize(700, 500);
  browser->SetFolder(dir.path());
  browser->Action(QStringLiteral("tbMake"))->trigger();
  EXPECT_FALSE(browser->busy);
  EXPECT_TRUE(browser->Action(QStringLiteral("tbMake"))->isEnabled());
  EXPECT_FALSE(browser->Action(QStringLiteral("tbStop"))->isEnabled());
  const QString folder = QDir(dir.path()).absolutePath();
  EXPECT_EQ(browser->imageList,
            (QStringList{folder + "/a.bmp", folder + "/b.bmp", folder + "/c.bmp"}));
  EXPECT_EQ(browser->markList, QStringList(3, QStringLiteral("0")));
  CImageView *grid = browser->Grid();
  ASSERT_EQ(grid->CellCount(), 3);
  EXPECT_TRUE(grid->CellHasPicture(0));
  EXPECT_EQ(grid->CellText(2), QStringLiteral("c.bmp"));
  EXPECT_EQ(browser->findChild<QLabel *>(QStringLiteral("lShown"))->text(), QStringLiteral("3"));
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("VelmirBrowse.KXA"))));
  EXPECT_EQ(
      browser->StatusText(),
      QStringLiteral(
          "ファイルリストまたはサムネイルのダブルクリックでＶＥＬＭＩＲに読込みまたは全画面表示"));
}

TEST_F(BrowserWindow, NumberedRenameTakesTheRuleAndNeverReplacesAFile) {
  QTemporaryDir setup;
  WriteSetting(QStringLiteral("SetupPath"), setup.path() + QLatin1Char('/'));
  for (const char *name : {"x.bmp", "y.bmp", "z.bmp", "ImageFile002.bmp"}) {
    DibHandle image = CreateBlankDib(20, 10);
    ASSERT_TRUE(Kit.ImgKitBmpFileSave(dir.filePath(QString::fromLatin1(name)).toUtf8().constData(),
                                      image.get(), "", "", 0));
  }
  QFile::remove(dir.filePath(QStringLiteral("b.jpg")));
  QFile::remove(dir.filePath(QStringLiteral("a.bmp")));
  browser->show();
  browser->options.thumbSave = 0; // thumbnails beside the images
  browser->SetFolder(dir.path());
  browser->RefreshThumbnails();
  ASSERT_EQ(browser->imageList.size(), 4);
  // Nothing marked: the user is told, nothing opens.
  QStringList said;
  UserDialogs::SetResponder([&said](const UserDialogs::Request &r) {
    said << r.text;
    return UserDialogs::Answer{};
  });
  browser->NumberedRename();
  EXPECT_EQ(said, QStringList{QStringLiteral("画像が選択されていません")});
  // Mark x, y and z (the list is sorted: ImageFile002, x, y, z).
  browser->markList = {"0", "1", "1", "1"};
  said.clear();
  EXPECT_TRUE(test_wait::WhileModal<TRenameRule>([this] { browser->NumberedRename(); },
                                                 [](TRenameRule *form) {
                                                   form->edCommon->setText("ImageFile");
                                                   form->rgDigits->button(2)->click();
                                                   form->edStart->setText("1");
                                                   form->accept();
                                                 }));
  // y would become ImageFile002, which is taken by an image outside the
  // selection: it keeps its name, and the user hears of it.
  const QStringList names = QDir(dir.path()).entryList({"*.bmp", "*.sam"}, QDir::Files, QDir::Name);
  EXPECT_EQ(names, (QStringList{"ImageFile001.bmp", "ImageFile001.sam", "ImageFile002.bmp",
                                "ImageFile002.sam", "ImageFile003.bmp", "ImageFile003.sam", "y.bmp",
                                "y.sam"}));
  ASSERT_EQ(said.size(), 1);
  EXPECT_TRUE(said[0].startsWith(QStringLiteral("同じ名前のファイルが既にあります")));
  UserDialogs::SetResponder(nullptr);
  EXPECT_EQ(browser->imageList.size(), 4); // the refresh after the rename
}

class BrowserFiles : public BrowserWindow {
protected:
  void SetUp() override {
    BrowserWindow::SetUp();
    QFile::remove(dir.filePath(QStringLiteral("b.jpg")));
    QFile::remove(dir.filePath(QStringLiteral("a.bmp")));
    for (const char *name : {"x.bmp", "y.bmp", "abc.bmp"}) {
      DibHandle image = CreateBlankDib(20, 10);
      ASSERT_TRUE(Kit.ImgKitBmpFileSave(
          dir.filePath(QString::fromLatin1(name)).toUtf8().constData(), image.get(), "", "", 0));
    }
    WriteSetting(QStringLiteral("SetupPath"), setup.path() + QLatin1Char('/'));
    browser->show();
    browser->options.thumbSave = 0;
    browser->SetFolder(dir.path());
    browser->RefreshThumbnails();
    ASSERT_EQ(browser->imageList.size(), 3); // abc, x, y
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      asked << r;
      UserDialogs::Answer a;
      a.path = typed.value(asked.size() - 1);
      a.accepted = !a.path.isEmpty();
      a.button = button;
      return a;
    });
  }
  void TearDown() override { UserDialogs::SetResponder(nullptr); }
  QStringList Files() const {
    return QDir(dir.path()).entryList({"*.bmp", "*.sam", "*.png"}, QDir::Files, QDir::Name);
  }
  QTemporaryDir setup;
  QList<UserDialogs::Request> asked;
  QStringList typed;
  QMessageBox::StandardButton button = QMessageBox::Ok;
};

TEST_F(BrowserFiles, RenameKeepsTheExtensionAndTakesTheThumbnailAlong) {
  browser->markList = {"0", "1", "1"};
  typed = {"new.png", "abc.jpg"};
  browser->RenameEach();
  ASSERT_EQ(asked.size(), 3);
  EXPECT_EQ(asked[0].kind, UserDialogs::Kind::Input);
  EXPECT_EQ(asked[0].caption, QStringLiteral("ファイル名変更"));
  EXPECT_EQ(asked[0].text, QStringLiteral("変更後のファイル名"));
  EXPECT_EQ(asked[0].value, QStringLiteral("x.bmp"));
  // y to abc is taken: y stays, and the user hears of it.
  EXPECT_TRUE(asked[2].text.startsWith(QStringLiteral("同じ名前のファイルが既にあります")));
  EXPECT_EQ(Files(), (QStringList{"abc.bmp", "abc.sam", "new.bmp", "new.sam", "y.bmp", "y.sam"}));
}

TEST_F(BrowserFiles, DeleteAtOnceAsksFirstAndTakesTheThumbnails) {
  browser->options.deleteMethod = 1;
  browser->markList = {"1", "0", "1"};
  button = QMessageBox::Cancel;
  browser->DeleteSelection();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0].text, QStringLiteral("2個の画像を削除します"));
  EXPECT_EQ(asked[0].caption, QStringLiteral("VELMIR"));
  EXPECT_EQ(Files().size(), 6);
  browser->markList = {"1", "0", "1"};
  button = QMessageBox::Ok;
  browser->DeleteSelection();
  EXPECT_EQ(Files(), (QStringList{"x.bmp", "x.sam"}));
  EXPECT_EQ(browser->imageList.size(), 1);
}

TEST_F(BrowserFiles, DeleteIntoTheTrashAndTheFoldersThumbnails) {
  QTemporaryDir data;
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  browser->options.deleteMethod = 0;
  browser->markList = {"0", "1", "0"};
  browser->DeleteSelection();
  EXPECT_EQ(Files(), (QStringList{"abc.bmp", "abc.sam", "y.bmp", "y.sam"}));
  const QStringList trashed =
      QDir(data.path() + QStringLiteral("/Trash/files")).entryList(QDir::Files);
  EXPECT_TRUE(trashed.contains(QStringLiteral("x.bmp"))) << trashed.join(',').toStdString();
  browser->options.deleteMethod = 1;
  browser->DeleteFolderThumbnails();
  EXPECT_EQ(asked.last().text, QStringLiteral("2個のサムネイルを削除します"));
  EXPECT_EQ(Files(), (QStringList{"abc.bmp", "y.bmp"}));
  if (saved.isNull())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", saved);
}

TEST_F(BrowserFiles, NewFolderAndNothingSelected) {
  typed = {"holiday"};
  browser->NewFolder();
  EXPECT_EQ(asked[0].caption, QStringLiteral("新規フォルダーの作成"));
  EXPECT_EQ(asked[0].text, QStringLiteral("フォルダー名"));
  EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("holiday"))).isDir());
  typed.clear();
  asked.clear();
  browser->DeleteSelection();
  browser->RenameEach();
  ASSERT_EQ(asked.size(), 2);
  EXPECT_EQ(asked[0].text, QStringLiteral("画像が選択されていません"));
  EXPECT_EQ(asked[1].text, QStringLiteral("画像が選択されていません"));
  EXPECT_EQ(Files().size(), 6);
}

TEST_F(BrowserFiles, CopyAndMoveTakeTheThumbnailsAndAskBeforeReplacing) {
  QTemporaryDir dest;
  browser->markList = {"0", "1", "0"}; // x
  typed = {dest.path()};
  browser->Action(QStringLiteral("mCopy"))->trigger();
  ASSERT_GE(asked.size(), 1);
  EXPECT_EQ(asked[0].kind, UserDialogs::Kind::Folder);
  EXPECT_EQ(asked[0].caption,
            QStringLiteral("画像のコピー先フォルダーを選択\n（サムネイルも同時にコピーします）"));
  EXPECT_EQ(QDir(dest.path()).entryList(QDir::Files), (QStringList{"x.bmp", "x.sam"}));
  EXPECT_EQ(Files().size(), 6); // a copy leaves the folder as it was
  // Moving the same image there: the existing copy is asked about; "no"
  // keeps both.
  asked.clear();
  typed = {dest.path()};
  button = QMessageBox::No;
  browser->Action(QStringLiteral("mMove"))->trigger();
  ASSERT_GE(asked.size(), 2);
  EXPECT_TRUE(asked[1].text.endsWith(QStringLiteral(" は既にあります。置き換えますか？")));
  EXPECT_EQ(Files().size(), 6);
  // "Yes to all" moves both, and the grid follows the folder.
  asked.clear();
  typed = {dest.path()};
  button = QMessageBox::YesToAll;
  browser->markList = {"0", "1", "0"};
  browser->Action(QStringLiteral("mMove"))->trigger();
  EXPECT_EQ(Files(), (QStringList{"abc.bmp", "abc.sam", "y.bmp", "y.sam"}));
  EXPECT_EQ(browser->imageList.size(), 2);
}

} // namespace
