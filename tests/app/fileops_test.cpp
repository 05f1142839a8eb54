// Opening, reloading, deleting and saving image files, and the rules of the
// save commands.
#include "app/SaveRules.h"
#include "fileops_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using namespace fileops_test;
using SaveRules::Writer;
using UserDialogs::Kind;

namespace {

const QString kCannotRead = QStringLiteral("読込めないデータ形式です");
const QString kCannotSave = QStringLiteral("ファイルを保存できません");
const QString kNeedFullColour = QStringLiteral("JPEG保存にはフルカラー画像が必要です");
const QString kNeedGray = QStringLiteral("JPEG保存には256色ｸﾞﾚｰ画像が必要です");
const QString kUnsupported = QStringLiteral("ファイル名拡張子が未対応のため保存できません");

// ---- the rules alone --------------------------------------------------------

TEST(SaveRules, OverwriteGoesByTheLastFourCharacters) {
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/PHOTO.JPG"), Writer::Jpeg);
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/b.Jpeg"), Writer::Jpeg);
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/b.bmp"), Writer::Bmp);
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/b.TIF"), Writer::Tiff);
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/b.tiff"), Writer::Tiff);
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/b.jpe"), Writer::None);
  EXPECT_EQ(SaveRules::WriterByLastFour("/a/b.png"), Writer::None);
  EXPECT_EQ(SaveRules::WriterByLastFour("bmp"), Writer::None);
}

TEST(SaveRules, SaveAsGoesByTheExtension) {
  EXPECT_EQ(SaveRules::WriterByExtension("/a/b.JPEG"), Writer::Jpeg);
  EXPECT_EQ(SaveRules::WriterByExtension("/a/b.jpg"), Writer::Jpeg);
  EXPECT_EQ(SaveRules::WriterByExtension("/a/b.Bmp"), Writer::Bmp);
  EXPECT_EQ(SaveRules::WriterByExtension("/a/b.tif"), Writer::Tiff);
  EXPECT_EQ(SaveRules::WriterByExtension("/a/b.TIFF"), Writer::Tiff);
  EXPECT_EQ(SaveRules::WriterByExtension("/a/b.jpe"), Writer::None);
  EXPECT_EQ(SaveRules::WriterByExtension("/a/bjpeg"), Writer::None);
  EXPECT_EQ(SaveRules::WriterByExtension("/a.bmp/b"), Writer::None);
}

TEST(SaveRules, JpegNeedsFullColourOrAFullGreyScale) {
  EXPECT_EQ(SaveRules::JpegRefusal(24, false), "");
  EXPECT_EQ(SaveRules::JpegRefusal(8, true), "");
  EXPECT_EQ(SaveRules::JpegRefusal(8, false), kNeedFullColour);
  EXPECT_EQ(SaveRules::JpegRefusal(4, false), kNeedFullColour);
  EXPECT_EQ(SaveRules::JpegRefusal(4, true), kNeedGray);
  EXPECT_EQ(SaveRules::JpegRefusal(1, true), kNeedGray);
}

TEST(SaveRules, FilterFollowsTheCaptionsExtension) {
  EXPECT_EQ(SaveRules::FilterIndexForCaption("/a/b.JPE", 3), 1);
  EXPECT_EQ(SaveRules::FilterIndexForCaption("/a/b.jpeg", 2), 1);
  EXPECT_EQ(SaveRules::FilterIndexForCaption("/a/b.BMP", 1), 2);
  EXPECT_EQ(SaveRules::FilterIndexForCaption("/a/b.tiff", 1), 3);
  EXPECT_EQ(SaveRules::FilterIndexForCaption("/a/b.png", 2), 2);
  EXPECT_EQ(SaveRules::FilterIndexForCaption("新規画像", 3), 3);
}

TEST(SaveRules, ExtensionIsAppendedOnlyWhenMissing) {
  EXPECT_EQ(SaveRules::WithDefaultExtension("/a/abc", 2), "/a/abc.bmp");
  EXPECT_EQ(SaveRules::WithDefaultExtension("/a/abc", 1), "/a/abc.jpg");
  EXPECT_EQ(SaveRules::WithDefaultExtension("/a/abc", 3), "/a/abc.tif");
  EXPECT_EQ(SaveRules::WithDefaultExtension("/a/abc.png", 2), "/a/abc.png");
  EXPECT_EQ(SaveRules::WithDefaultExtension("/a.d/abc", 2), "/a.d/abc.bmp");
}

TEST(SaveRules, ProposedNameSkipsTakenNumbersWithoutLetterCase) {
  QTemporaryDir dir;
  EXPECT_EQ(SaveRules::ProposedNewName(dir.path()), "Image001");
  WriteFile(dir.path() + "/Image001.bmp", "x");
  EXPECT_EQ(SaveRules::ProposedNewName(dir.path()), "Image002");
  WriteFile(dir.path() + "/IMAGE002.JPG", "x");
  WriteFile(dir.path() + "/Image0031.bmp", "x"); // another name, not Image003
  EXPECT_EQ(SaveRules::ProposedNewName(dir.path()), "Image003");
}

TEST(SaveRules, FiltersAreWordedAsTheDialogsShowThem) {
  EXPECT_EQ(SaveRules::SaveFilter(),
            QStringLiteral("JPEGﾌｧｲﾙ (*.jpg;*.jpeg)|*.jpg;*.jpeg|ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)|*.bmp|"
                           "TIFF ﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"));
  EXPECT_EQ(SaveRules::OpenFilter(),
            QStringLiteral(
                "すべてのﾌｧｲﾙ(*.*)|*.*|ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)|*.bmp|"
                "JPEG ﾌｧｲﾙ　(*.jpg;*.jpeg)|*.jpg;*.jpeg|TIFF ﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"));
}

// ---- opening ------------------------------------------------------------------

using FileOps = MainWindowTest;

TEST_F(FileOps, OpeningTheSameFileAgainOnlyFocusesItsWindow) {
  ASSERT_TRUE(WriteKitBmp(Path("Pic.bmp"), Pattern(5, 3)));
  ASSERT_TRUE(main->OpenImageFile(Path("Pic.bmp")));
  ASSERT_EQ(main->Children().size(), 1);
  EXPECT_EQ(main->Children().front()->Caption(), Path("Pic.bmp"));
  EXPECT_TRUE(main->OpenImageFile(Path("PIC.BMP")));
  EXPECT_TRUE(main->OpenImageFile(dir.path() + "/./Pic.bmp"));
  EXPECT_EQ(main->Children().size(), 1);
  EXPECT_TRUE(Messages().isEmpty());
  TMDIChild *child = main->Children().front();
  EXPECT_EQ(child->width, 5);
  EXPECT_EQ(child->height, 3);
  EXPECT_EQ(child->bitCount, 24);
  EXPECT_EQ(child->zoomIndex, 2);
  EXPECT_EQ(child->modificationCount, 0);
  EXPECT_EQ(PictureOf(child->image.get()), Pattern(5, 3).convertToFormat(QImage::Format_RGB32));
}

TEST_F(FileOps, SixteenBitBitmapOpensAsFullColour) {
  // 3 x 2 pixels of 5-5-5 red, green and blue.
  QByteArray row;
  for (quint16 v : {quint16(31 << 10), quint16(31 << 5), quint16(31)}) {
    row.append(static_cast<char>(v & 0xff));
    row.append(static_cast<char>(v >> 8));
  }
  ASSERT_TRUE(WriteFile(Path("rgb555.bmp"), RawBmp(3, 2, 16, {}, {row, row})));
  ASSERT_TRUE(main->OpenImageFile(Path("rgb555.bmp")));
  ASSERT_EQ(main->Children().size(), 1);
  TMDIChild *child = main->Children().front();
  EXPECT_EQ(child->bitCount, 24);
  IMGKIT_IMAGEINFO info{};
  ASSERT_TRUE(Kit.ImgKitImageInfo(child->image.get(), &info));
  EXPECT_EQ(info.bitCount, 24);
  const QImage pic = PictureOf(child->image.get());
  EXPECT_GT(qRed(pic.pixel(0, 0)), 240);
  EXPECT_EQ(qGreen(pic.pixel(0, 0)), 0);
  EXPECT_GT(qBlue(pic.pixel(2, 1)), 240);
}

TEST_F(FileOps, DamagedFileLeavesNoWindowAndSaysSo) {
  QByteArray bytes = RawBmp(4, 4, 24, {}, std::vector<QByteArray>(4, QByteArray(12, 'x')));
  bytes.truncate(20); // header cut off in the middle
  ASSERT_TRUE(WriteFile(Path("truncated_header.bmp"), bytes));
  EXPECT_FALSE(main->OpenImageFile(Path("truncated_header.bmp")));
  EXPECT_TRUE(main->Children().isEmpty());
  ASSERT_EQ(Messages(), QStringList{kCannotRead});
  EXPECT_EQ(requests.back().caption, "VELMIR");
  EXPECT_FALSE(main->FileMess && main->FileMess->isVisible());
}

TEST_F(FileOps, AJpegCutShortOpensWithWhatCouldBeReadAndSaysSo) {
  QImage picture(64, 48, QImage::Format_RGB888);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      picture.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
  const QString whole = Path("whole.jpg");
  DibHandle dib = DibFromBitmap(picture);
  ASSERT_TRUE(Kit.ImgKitJpegFileSave(whole.toUtf8().constData(), dib.get(), "", "", 90, 0));
  QFile f(whole);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  ASSERT_TRUE(WriteFile(Path("cut.jpg"), bytes.left(bytes.size() * 3 / 4)));
  ASSERT_TRUE(main->OpenImageFile(Path("cut.jpg")));
  ASSERT_EQ(main->Children().size(), 1);
  EXPECT_EQ(main->ActiveChild()->width, 64);
  ASSERT_EQ(Messages(), QStringList{QStringLiteral(
                            "画像データの一部が壊れています。読み込めた部分を表示します。")});
  EXPECT_EQ(requests.back().caption, "VELMIR");
  // A sound file says nothing.
  ASSERT_TRUE(main->OpenImageFile(whole));
  EXPECT_EQ(Messages().size(), 1);
}

TEST_F(FileOps, OpenCommandChecksTheFileAndRemembersItsFolder) {
  QString chosen;
  answer = [&chosen](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == Kind::OpenFile) a.path = chosen;
    return a;
  };
  WriteSetting("LastOpenPath", "/nonexistent-start");
  chosen = Path("missing.bmp");
  main->FileOpenItemClick();
  ASSERT_NE(LastOf(Kind::OpenFile), nullptr);
  EXPECT_EQ(LastOf(Kind::OpenFile)->folder, "/nonexistent-start");
  EXPECT_EQ(Messages(), QStringList{"指定されたファイルは存在しません。"});

  requests.clear();
  WriteFile(Path("empty.bmp"), {});
  chosen = Path("empty.bmp");
  main->FileOpenItemClick();
  EXPECT_EQ(Messages(), QStringList{"サイズが０のファイルは読み込みできません。"});
  EXPECT_EQ(ReadSetting("LastOpenPath", ""), "/nonexistent-start");

  requests.clear();
  QDir().mkpath(Path("sub"));
  ASSERT_TRUE(WriteKitBmp(Path("sub/a.bmp"), Pattern(2, 2)));
  chosen = Path("sub/a.bmp");
  main->FileOpenItemClick();
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(main->Children().size(), 1);
  EXPECT_EQ(ReadSetting("LastOpenPath", ""), Path("sub"));
}

// ---- reload and delete ----------------------------------------------------------

TEST_F(FileOps, ReloadDiscardsTheEditsAfterConfirmation) {
  ASSERT_TRUE(WriteKitBmp(Path("r.bmp"), Pattern(4, 4)));
  ASSERT_TRUE(main->OpenImageFile(Path("r.bmp")));
  main->Children().front()->modificationCount = 2;

  answer = [](const UserDialogs::Request &) {
    UserDialogs::Answer a;
    a.button = QMessageBox::Cancel;
    return a;
  };
  main->mReloadClick();
  ASSERT_EQ(main->Children().size(), 1);
  EXPECT_EQ(main->Children().front()->modificationCount, 2);

  answer = nullptr;
  main->mReloadClick();
  ASSERT_EQ(main->Children().size(), 1);
  EXPECT_EQ(main->Children().front()->modificationCount, 0);
  EXPECT_EQ(main->Children().front()->Caption(), Path("r.bmp"));
  EXPECT_EQ(Messages(), QStringList({"編集中の画像は破棄されます。\nよろしいですか？",
                                     "編集中の画像は破棄されます。\nよろしいですか？"}));
}

TEST_F(FileOps, ReloadAndDeleteRefuseAnUnsavedImage) {
  TMDIChild *child = main->CreateChild(TMDIChild::kNewImageCaption);
  child->image = CreateBlankDib(3, 3);
  child->ReadImageInfo();
  main->mReloadClick();
  main->mDeleteFileClick();
  EXPECT_EQ(Messages(),
            QStringList({"この画像はまだ保存されていません", "この画像はまだ保存されていません"}));
  EXPECT_EQ(main->Children().size(), 1);
}

TEST_F(FileOps, DeletingTheSourceAlsoRemovesItsThumbnail) {
  ASSERT_TRUE(WriteKitBmp(Path("photo.jpg.bmp"), Pattern(3, 3)));
  ASSERT_TRUE(QFile::rename(Path("photo.jpg.bmp"), Path("photo.jpg")));
  ASSERT_TRUE(WriteFile(Path("photo.sam"), "thumb"));
  ASSERT_TRUE(WriteFile(Path("photo.jpg.sam"), "other"));
  ASSERT_TRUE(main->OpenImageFile(Path("photo.jpg")));
  main->mDeleteFileClick();
  EXPECT_FALSE(QFileInfo::exists(Path("photo.jpg")));
  EXPECT_FALSE(QFileInfo::exists(Path("photo.sam")));
  EXPECT_TRUE(QFileInfo::exists(Path("photo.jpg.sam")));
  EXPECT_EQ(Messages(),
            QStringList({"編集中画像の読込み元ファイルが削除されます。\nよろしいですか？",
                         "画像ファイルを削除しました"}));
  ASSERT_EQ(main->Children().size(), 1);
  EXPECT_EQ(main->Children().front()->Caption(), Path("photo.jpg"));
  EXPECT_TRUE(main->Children().front()->image);
}

// ---- save -------------------------------------------------------------------------

TEST_F(FileOps, SaveOverwritesAnUpperCaseJpgAsJpeg) {
  ASSERT_TRUE(WriteKitBmp(Path("shot.JPG"), Pattern(8, 8))); // BMP content for now
  ASSERT_TRUE(main->OpenImageFile(Path("shot.JPG")));
  TMDIChild *child = main->Children().front();
  child->modificationCount = 2;
  main->FileSaveItemClick();
  ASSERT_EQ(Messages(), QStringList{"上書保存されます。よろしいですか？"});
  EXPECT_EQ(requests.back().caption, main->windowTitle());
  EXPECT_EQ(child->modificationCount, 0);
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(Kit.ImgKitFileType(Path("shot.JPG").toUtf8().constData(), &info));
  EXPECT_EQ(info.format, IMGKIT_FORMAT_JPEG);
}

TEST_F(FileOps, SaveOfAnotherExtensionAsksForANewName) {
  ASSERT_TRUE(WriteKitBmp(Path("pic.dat"), Pattern(3, 3)));
  ASSERT_TRUE(main->OpenImageFile(Path("pic.dat")));
  main->Children().front()->modificationCount = 1;
  main->FileSaveItemClick(); // the file dialog is cancelled
  const UserDialogs::Request *save = LastOf(Kind::SaveFile);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->text, "pic");
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(main->Children().front()->modificationCount, 1);
  EXPECT_EQ(main->Children().front()->Caption(), Path("pic.dat"));
}

TEST_F(FileOps, FailedSaveKeepsTheCountAndTheOldFile) {
  QDir().mkpath(Path("ro"));
  ASSERT_TRUE(WriteKitBmp(Path("ro/keep.bmp"), Pattern(6, 4)));
  const QByteArray before = ReadFile(Path("ro/keep.bmp"));
  ASSERT_TRUE(main->OpenImageFile(Path("ro/keep.bmp")));
  TMDIChild *child = main->Children().front();
  Kit.ImgKitColorReverse(child->image.get(), "", "");
  child->modificationCount = 3;

  ::chmod(QFile::encodeName(Path("ro")).constData(), 0555);
  main->FileSaveItemClick();
  ::chmod(QFile::encodeName(Path("ro")).constData(), 0755);
  // Permissions do not hold back root: then the save simply succeeds.
  if (::geteuid() != 0) {
    EXPECT_EQ(Messages(), QStringList({"上書保存されます。よろしいですか？", kCannotSave}));
    EXPECT_EQ(child->modificationCount, 3);
    EXPECT_EQ(ReadFile(Path("ro/keep.bmp")), before);
  }

  // A folder that does not exist fails for everyone.
  requests.clear();
  child->modificationCount = 3;
  answer = [this](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == Kind::SaveFile) {
      a.path = Path("no/such/folder/keep.bmp");
      a.filterIndex = 2;
    }
    return a;
  };
  main->FileSaveAsItemClick();
  EXPECT_EQ(Messages(), QStringList{kCannotSave});
  EXPECT_EQ(child->modificationCount, 3);
  EXPECT_EQ(child->Caption(), Path("ro/keep.bmp"));
  EXPECT_FALSE(QFileInfo::exists(Path("no")));
}

TEST_F(FileOps, SaveAsWritesAFileTheKitReadsBack) {
  ASSERT_TRUE(WriteKitBmp(Path("in.bmp"), Pattern(7, 5)));
  ASSERT_TRUE(main->OpenImageFile(Path("in.bmp")));
  TMDIChild *child = main->Children().front();
  child->modificationCount = 1;
  QDir().mkpath(Path("out"));
  answer = [this](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == Kind::SaveFile) {
      a.path = Path("out/copy.tif");
      a.filterIndex = 3;
    }
    return a;
  };
  main->FileSaveAsItemClick();
  const UserDialogs::Request *save = LastOf(Kind::SaveFile);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->filterIndex, 2); // preselected by ".bmp"
  EXPECT_EQ(save->text, "in");
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(child->Caption(), Path("out/copy.tif"));
  EXPECT_EQ(child->modificationCount, 0);
  EXPECT_EQ(child->fileInfo.format, IMGKIT_FORMAT_TIFF);
  EXPECT_EQ(ReadSetting("LastSavePath", ""), Path("out"));
  DibHandle back(Kit.ImgKitFileLoad(Path("out/copy.tif").toUtf8().constData(), "", ""));
  ASSERT_TRUE(back);
  EXPECT_EQ(PictureOf(back.get()), Pattern(7, 5).convertToFormat(QImage::Format_RGB32));
}

TEST_F(FileOps, SaveAsOfANewImageProposesTheFirstFreeNumber) {
  ASSERT_TRUE(WriteFile(Path("Image001.bmp"), "x"));
  WriteSetting("LastSavePath", dir.path());
  TMDIChild *child = main->CreateChild(TMDIChild::kNewImageCaption);
  child->image = DibFromBitmap(Pattern(4, 2));
  child->ReadImageInfo();
  answer = [this](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == Kind::SaveFile) {
      a.path = Path("abc"); // no extension, bitmap filter
      a.filterIndex = 2;
    }
    return a;
  };
  main->FileSaveAsItemClick();
  const UserDialogs::Request *save = LastOf(Kind::SaveFile);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->text, "Image002");
  EXPECT_EQ(save->folder, dir.path());
  EXPECT_EQ(child->Caption(), Path("abc.bmp"));
  IMGKIT_FILEINFO info{};
  ASSERT_TRUE(Kit.ImgKitFileType(Path("abc.bmp").toUtf8().constData(), &info));
  EXPECT_EQ(info.format, IMGKIT_FORMAT_BMP);
  EXPECT_FALSE(QFileInfo::exists(Path("abc")));
}

TEST_F(FileOps, SaveAsRefusesJpeAlthoughItPreselectsJpeg) {
  ASSERT_TRUE(WriteKitBmp(Path("old.jpe"), Pattern(3, 3)));
  ASSERT_TRUE(main->OpenImageFile(Path("old.jpe")));
  main->Children().front()->modificationCount = 1;
  answer = [this](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == Kind::SaveFile) {
      a.path = Path("new.jpe");
      a.filterIndex = r.filterIndex;
    }
    return a;
  };
  main->FileSaveAsItemClick();
  ASSERT_NE(LastOf(Kind::SaveFile), nullptr);
  EXPECT_EQ(LastOf(Kind::SaveFile)->filterIndex, 1);
  EXPECT_EQ(Messages(), QStringList{kUnsupported});
  EXPECT_FALSE(QFileInfo::exists(Path("new.jpe")));
  EXPECT_EQ(main->Children().front()->modificationCount, 1);
}

// Save-as to JPEG of images of each kind: what is written and what refused.
TEST_F(FileOps, JpegRuleByImageKind) {
  struct Case {
    const char *name;
    QByteArray bmp;
    QString message; // empty: written
  };
  std::vector<uint32_t> colours = {0xff0000, 0x00ff00, 0x0000ff, 0x123456};
  colours.resize(256, 0);
  std::vector<uint32_t> greys(256);
  for (uint32_t i = 0; i < 256; ++i)
    greys[i] = i * 0x010101u;
  std::vector<uint32_t> greys16(16);
  for (uint32_t i = 0; i < 16; ++i)
    greys16[i] = i * 0x111111u;
  const QByteArray row8("\x00\x01\x02\x03", 4);
  const QByteArray row4("\x01\x23", 2);
  const std::vector<Case> cases = {
      {"colour8", RawBmp(4, 2, 8, colours, {row8, row8}), kNeedFullColour},
      {"grey8", RawBmp(4, 2, 8, greys, {row8, row8}), QString()},
      {"grey4", RawBmp(4, 2, 4, greys16, {row4, row4}), kNeedGray},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    for (TMDIChild *child : main->Children())
      delete child;
    requests.clear();
    const QString source = Path(QString::fromLatin1(c.name) + ".bmp");
    const QString target = Path(QString::fromLatin1(c.name) + ".jpg");
    ASSERT_TRUE(WriteFile(source, c.bmp));
    ASSERT_TRUE(main->OpenImageFile(source));
    answer = [&target](const UserDialogs::Request &r) {
      UserDialogs::Answer a;
      if (r.kind == Kind::SaveFile) a.path = target;
      return a;
    };
    main->FileSaveAsItemClick();
    if (c.message.isEmpty()) {
      EXPECT_TRUE(Messages().isEmpty());
      EXPECT_TRUE(QFileInfo::exists(target));
    } else {
      EXPECT_EQ(Messages(), QStringList{c.message});
      EXPECT_FALSE(QFileInfo::exists(target));
    }
  }
}

// ---- closing and the new sheet -----------------------------------------------------

TEST_F(FileOps, CloseCommandClosesAnUneditedWindowAtOnce) {
  ASSERT_TRUE(WriteKitBmp(Path("c.bmp"), Pattern(2, 2)));
  ASSERT_TRUE(main->OpenImageFile(Path("c.bmp")));
  main->FileCloseItemClick();
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(FileOps, CloseAllStopsAtTheFirstCancel) {
  for (int i = 0; i < 2; ++i) {
    TMDIChild *child = main->CreateChild(TMDIChild::kNewImageCaption);
    child->image = CreateBlankDib(2, 2);
    child->ReadImageInfo();
  }
  answer = [](const UserDialogs::Request &) {
    UserDialogs::Answer a;
    a.button = QMessageBox::Cancel;
    return a;
  };
  main->mCloseAllClick();
  EXPECT_EQ(main->Children().size(), 2);
  EXPECT_TRUE(main->CloseCancelled);
  EXPECT_EQ(Messages().size(), 1); // the second window was not asked
}

TEST_F(FileOps, CloseAllClosesEveryUneditedWindow) {
  for (const char *name : {"a.bmp", "b.bmp", "c.bmp"}) {
    ASSERT_TRUE(WriteKitBmp(Path(name), Pattern(2, 2)));
    ASSERT_TRUE(main->OpenImageFile(Path(name)));
  }
  main->mCloseAllClick();
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_FALSE(main->CloseCancelled);
}

TEST_F(FileOps, NewSheetWithAMissingTileFileIsPlain) {
  {
    CResumeDialog record;
    record.AddInt(3);
    record.AddInt(2);
    record.AddInt(0x0000ff); // framework colour: red
    record.AddInt(1);
    record.AddText(Path("no-such-tile.bmp"));
    record.Save("NewImage");
  }
  // The dialog is confirmed as it comes up, with its remembered values.
  QTimer::singleShot(0, [] {
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) dialog->accept();
  });
  main->FileNewItemClick();
  ASSERT_EQ(main->Children().size(), 1);
  TMDIChild *child = main->Children().front();
  EXPECT_TRUE(child->IsNewImage());
  EXPECT_EQ(child->width, 3);
  EXPECT_EQ(child->height, 2);
  EXPECT_EQ(child->bitCount, 24);
  EXPECT_EQ(Messages(), QStringList{"画像が見つからないので埋込みは行いません"});
}

} // namespace
