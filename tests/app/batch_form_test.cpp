// The batch dialog headless: its start from the browser's batch menu, the
// settings panels, and runs over small photographs in a scratch folder.
#include "browser/BatchJob.h"
#include "browser/windows/BatchJobForm.h"
#include "browser/windows/Fbrowser.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "platform/Registry.h"
#include "platform/UserDialogs.h"
#include "qt_print.h"
#include "wait_util.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class BatchForm : public ::testing::Test {
protected:
  void SetUp() override {
    QFile::remove(Registry::FilePath());
    ASSERT_TRUE(dir.isValid());
    folder = QDir(dir.path()).absolutePath();
    // Five 64 x 48 gradients, each a little different.
    for (int n = 0; n < 5; ++n) {
      QImage picture(64, 48, QImage::Format_RGB888);
      for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
          picture.setPixelColor(x, y, QColor(x * 4, y * 5, (x + y + n * 20) % 256));
      const QString path = folder + QStringLiteral("/%1.jpg").arg(QChar(u'a' + n));
      DibHandle image = DibFromBitmap(picture);
      ASSERT_TRUE(SaveImageFile(QFile::encodeName(path).toStdString(), image.get(), 90));
      sources << path;
    }
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      asked << r;
      UserDialogs::Answer a;
      a.path = r.kind == UserDialogs::Kind::Folder ? folderAnswer : QString();
      return a;
    });
  }
  void TearDown() override { UserDialogs::SetResponder(nullptr); }

  QString Out(const QString &name) const { return folder + QStringLiteral("/レタッチ後/") + name; }
  static QByteArray Bytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  static QImage Picture(const QString &path) {
    DibHandle image = LoadImageFile(QFile::encodeName(path).toStdString());
    if (!image) return {};
    const TMDIB dib(image.get());
    return BitmapFromDib(dib);
  }
  static double MeanGrey(const QImage &picture) {
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        sum += qGray(picture.pixel(x, y));
    return sum / (picture.width() * picture.height());
  }
  // The buttons' enabled states: start, abort, cancel, change output.
  static std::vector<bool> Buttons(const TBatchJobForm &form) {
    return {form.bStart->isEnabled(), form.bAbort->isEnabled(), form.bCancel->isEnabled(),
            form.bChangeOutput->isEnabled()};
  }
  const std::vector<bool> idle{true, false, true, true};

  QTemporaryDir dir;
  QString folder;
  QStringList sources;
  QList<UserDialogs::Request> asked;
  QString folderAnswer;
};

TEST_F(BatchForm, TheMenuStartsTheJobOnTheMarkedImagesOnly) {
  TBrowser browser(nullptr);
  QStringList menus;
  for (QAction *a : browser.menuBar()->actions())
    menus << a->text();
  const qsizetype at = menus.indexOf(QStringLiteral("一括処理(&B)"));
  ASSERT_GT(at, 0);
  EXPECT_EQ(menus[at - 1], QStringLiteral("表示(&V)"));
  EXPECT_EQ(menus.value(at + 1), QStringLiteral("動作環境(&O)"));
  const QList<QAction *> items = browser.menuBar()->actions()[at]->menu()->actions();
  ASSERT_EQ(items.size(), kBatchJobCount);
  for (int job = 0; job < kBatchJobCount; ++job) {
    EXPECT_EQ(items[job]->objectName(), QStringLiteral("mBatch%1").arg(job));
    EXPECT_EQ(items[job]->text(), QString::fromUtf8(BatchJob(job)->menuCaption));
  }

  browser.SetFolder(folder);
  browser.imageList = sources;
  for (const QString &source : sources)
    browser.thumbList << QString(source).replace(QStringLiteral(".jpg"), QStringLiteral(".sam"));
  browser.markList = QStringList(5, QStringLiteral("0"));
  browser.busy = true; // a refresh runs: the command waits
  browser.Action(QStringLiteral("mBatch6"))->trigger();
  EXPECT_TRUE(asked.isEmpty());
  browser.busy = false;
  browser.Action(QStringLiteral("mBatch6"))->trigger();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0].caption, QStringLiteral("VELMIR"));
  EXPECT_EQ(asked[0].text, QStringLiteral("画像が選択されていません"));

  // d and b marked, in the grid's order d before b: converted to BMP beside
  // the sources, which the file list then shows.
  browser.imageList = {sources[3], sources[0], sources[1]};
  browser.markList = {"1", "0", "1"};
  QStringList given;
  ASSERT_TRUE(test_wait::WhileModal<TBatchJobForm>(
      [&] { browser.Action(QStringLiteral("mBatch4"))->trigger(); },
      [&](TBatchJobForm *form) {
        given = form->Sources();
        EXPECT_EQ(form->lSourceFolder->text(), folder);
        form->SetOutputFolder(folder);
        form->rgFormat->button(bfBmp)->click();
        form->bStart->click();
      }));
  EXPECT_EQ(given, (QStringList{sources[3], sources[1]}));
  EXPECT_EQ(asked.last().text, QStringLiteral("一括処理が終了しました"));
  auto *files = browser.findChild<QListWidget *>(QStringLiteral("FileList"));
  QStringList listed;
  for (int i = 0; i < files->count(); ++i)
    listed << files->item(i)->text();
  EXPECT_EQ(listed, (QStringList{"a.jpg", "b.bmp", "b.jpg", "c.jpg", "d.bmp", "d.jpg", "e.jpg"}));
  EXPECT_EQ(Picture(folder + QStringLiteral("/d.bmp")).size(), QSize(64, 48));
}

TEST_F(BatchForm, EachJobShowsItsNameFoldersCountAndSettings) {
  for (int job = 0; job < kBatchJobCount; ++job) {
    SCOPED_TRACE(job);
    TBatchJobForm form(job, sources, folder);
    EXPECT_EQ(form.lJobName->text(), QString::fromUtf8(BatchJob(job)->shownName));
    EXPECT_EQ(form.OutputFolder(), folder + QStringLiteral("/レタッチ後"));
    EXPECT_EQ(form.lOutputFolder->text(), folder + QStringLiteral("/レタッチ後"));
    EXPECT_EQ(form.lCount->text(), QStringLiteral("5"));
    EXPECT_EQ(Buttons(form), idle);
    EXPECT_EQ(form.bStart->text(), QStringLiteral("一括処理開始"));
    EXPECT_EQ(form.bAbort->text(), QStringLiteral("一括処理中止"));
    const BatchSettings s = form.Settings();
    EXPECT_EQ(s.job, job);
    EXPECT_EQ(s.rotation, brClockwise);
    EXPECT_EQ(s.sizeRule, bsSameHeight);
    EXPECT_EQ(s.format, bfJpeg);
    EXPECT_EQ(s.colourWidth, 8);
    EXPECT_EQ(s.amount, 1);
    EXPECT_FALSE(s.blue || s.yellow || s.red || s.green);
  }
  const auto items = [](QButtonGroup *group) {
    QStringList texts;
    for (QAbstractButton *b : group->buttons())
      texts << b->text();
    return texts;
  };
  const auto title = [](QButtonGroup *group) {
    return qobject_cast<QGroupBox *>(group->buttons()[0]->parentWidget())->title();
  };
  TBatchJobForm none(bjAutoB, sources, folder);
  EXPECT_EQ(none.findChild<QLabel *>(QStringLiteral("lNoSettings"))->text(),
            QStringLiteral("設定項目はありません"));
  TBatchJobForm rotate(bjRotate, sources, folder);
  EXPECT_EQ(title(rotate.rgRotation), QStringLiteral("回転／反転の方法"));
  EXPECT_EQ(items(rotate.rgRotation), (QStringList{"時計回りに９０°回転", "反時計回りに９０度回転",
                                                   "１８０°回転", "左右反転", "上下反転"}));
  rotate.rgRotation->button(brMirror)->click();
  EXPECT_EQ(rotate.Settings().rotation, brMirror);
  TBatchJobForm resize(bjResize, sources, folder);
  EXPECT_EQ(items(resize.rgSizeRule)[3], QStringLiteral("縦横のうち長辺を指定寸法にする"));
  resize.edHeight->setText(QStringLiteral("120"));
  resize.edPercent->setText(QStringLiteral("x"));
  EXPECT_EQ(resize.Settings().height, 120);
  EXPECT_EQ(resize.Settings().percent, 0);
  TBatchJobForm convert(bjConvert, sources, folder);
  EXPECT_EQ(items(convert.rgFormat),
            (QStringList{"JPEG (*.jpg)", "BITMAP (*.bmp)", "TIFF (*.tif)"}));
  TBatchJobForm colour(bjColour, sources, folder);
  EXPECT_EQ(colour.cbYellow->text(), QStringLiteral("黄色"));
  EXPECT_EQ(colour.lColourWidth->text(), QStringLiteral("8"));
  colour.tbColourWidth->setValue(16);
  colour.cbRed->click();
  EXPECT_EQ(colour.lColourWidth->text(), QStringLiteral("16"));
  EXPECT_TRUE(colour.Settings().red);
  EXPECT_EQ(colour.Settings().colourWidth, 16);
  const char *const amounts[][2] = {{"ガンマ補正量", "－－ （もっと暗く）"},
                                    {"彩度調整量", "＋   （鮮やかに）"},
                                    {"輝度調整量", "－   （暗く）"},
                                    {"コントラスト調整量", "＋＋ （もっとくっきり）"}};
  const int shown[] = {3, 1, 2, 0};
  for (int n = 0; n < 4; ++n) {
    TBatchJobForm form(bjGamma + n, sources, folder);
    EXPECT_EQ(title(form.rgAmount), QString::fromUtf8(amounts[n][0]));
    EXPECT_EQ(items(form.rgAmount)[shown[n]], QString::fromUtf8(amounts[n][1]));
  }
  // Escape is the cancel button when idle.
  rotate.show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&rotate, &escape);
  EXPECT_FALSE(rotate.isVisible());
  EXPECT_EQ(rotate.result(), QDialog::Rejected);
}

TEST_F(BatchForm, AGammaRunWritesEveryImageAndSaysItFinished) {
  const QByteArray before = Bytes(sources[2]);
  TBatchJobForm form(bjGamma, sources, folder);
  form.show();
  form.bStart->click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0].caption, QStringLiteral("VELMIR"));
  EXPECT_EQ(asked[0].text, QStringLiteral("一括処理が終了しました"));
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.LastResult().written, 5);
  for (const QString &source : sources) {
    const QImage out = Picture(Out(QFileInfo(source).fileName()));
    ASSERT_EQ(out.size(), QSize(64, 48)) << source.toStdString();
    EXPECT_GT(MeanGrey(out), MeanGrey(Picture(source)) + 3); // "＋" brightens
  }
  EXPECT_EQ(Bytes(sources[2]), before);
  EXPECT_EQ(form.lFileName->text(), QString());
  EXPECT_EQ(form.lDone->text(), QStringLiteral("5"));
  EXPECT_EQ(form.lRemaining->text(), QStringLiteral("0"));
  EXPECT_EQ(form.pbProgress->value(), 5);
}

TEST_F(BatchForm, AMissingLongerSideIsAskedForAndNothingIsWritten) {
  TBatchJobForm form(bjResize, sources, folder);
  form.show();
  form.rgSizeRule->button(bsLongerSide)->click();
  EXPECT_TRUE(form.edSide->isEnabled());
  EXPECT_FALSE(form.edHeight->isEnabled());
  form.bStart->click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0].text, QStringLiteral("長辺の寸法を指定してください"));
  EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/レタッチ後")));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Buttons(form), idle);
  // With the side given the same dialog runs: 64 x 48 becomes 40 x 30.
  form.edSide->setText(QStringLiteral("40"));
  form.bStart->click();
  EXPECT_EQ(asked.last().text, QStringLiteral("一括処理が終了しました"));
  EXPECT_EQ(Picture(Out(QStringLiteral("e.jpg"))).size(), QSize(40, 30));
}

TEST_F(BatchForm, AbortOrClosingDuringAnImageStopsBeforeTheNext) {
  for (const bool byClosing : {false, true}) {
    SCOPED_TRACE(byClosing);
    QDir(folder + QStringLiteral("/レタッチ後")).removeRecursively();
    asked.clear();
    TBatchJobForm form(bjContrast, sources, folder);
    form.show();
    std::vector<bool> running;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!form.Running() || form.lFileName->text() != QStringLiteral("c.jpg")) return;
      running = Buttons(form);
      if (byClosing)
        form.close();
      else
        form.bAbort->click();
    });
    watch.start();
    form.bStart->click();
    watch.stop();
    EXPECT_EQ(running, (std::vector<bool>{false, true, false, false}));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].text, QStringLiteral("一括処理を中断しました"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("VELMIR"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.LastResult().done, 3);
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
      EXPECT_TRUE(QFileInfo::exists(Out(QString::fromLatin1(name)))) << name;
    for (const char *name : {"d.jpg", "e.jpg"})
      EXPECT_FALSE(QFileInfo::exists(Out(QString::fromLatin1(name)))) << name;
  }
}

TEST_F(BatchForm, TheSourceFolderAsOutputLeavesEverySourceAsItWas) {
  std::vector<QByteArray> before;
  for (const QString &source : sources)
    before.push_back(Bytes(source));
  TBatchJobForm form(bjBrightness, sources, folder);
  form.show();
  form.SetOutputFolder(folder + QStringLiteral("/."));
  form.bStart->click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].text.startsWith(QStringLiteral("一括処理が終了しました\n\n")));
  EXPECT_TRUE(asked[0].text.contains(QStringLiteral("処理できなかった画像：5 枚")));
  EXPECT_TRUE(asked[0].text.contains(QStringLiteral("a.jpg：") +
                                     BatchOutcomeText(BatchOutcome::SourceProtected)));
  EXPECT_EQ(form.LastResult().written, 0);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(Bytes(sources[i]), before[size_t(i)]) << i;
  EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 5);
}

TEST_F(BatchForm, TheFolderDialogChangesTheOutputFolder) {
  QTemporaryDir elsewhere;
  TBatchJobForm form(bjRotate, sources.mid(0, 2), folder);
  form.show();
  folderAnswer.clear(); // cancelled: nothing changes
  form.bChangeOutput->click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0].kind, UserDialogs::Kind::Folder);
  EXPECT_EQ(asked[0].caption, QStringLiteral("処理済画像の格納フォルダーの選択"));
  EXPECT_EQ(form.OutputFolder(), folder + QStringLiteral("/レタッチ後"));
  // A file where the folder should be: the run cannot start.
  folderAnswer = sources[4];
  form.bChangeOutput->click();
  form.bStart->click();
  EXPECT_TRUE(asked.last().text.startsWith(QStringLiteral("格納先フォルダーを作成できません")));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Buttons(form), idle);
  folderAnswer = elsewhere.path();
  form.bChangeOutput->click();
  EXPECT_EQ(form.OutputFolder(), QDir::cleanPath(elsewhere.path()));
  EXPECT_EQ(form.lOutputFolder->toolTip(), QDir::cleanPath(elsewhere.path()));
  form.bStart->click();
  EXPECT_EQ(asked.last().text, QStringLiteral("一括処理が終了しました"));
  // Turned a quarter clockwise: 48 x 64.
  EXPECT_EQ(Picture(elsewhere.filePath(QStringLiteral("b.jpg"))).size(), QSize(48, 64));
  EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/レタッチ後")));
}

} // namespace
