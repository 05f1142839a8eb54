// Copy and move with a question per existing file, and no file lost.
#include "browser/FileTransfer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Answers : public TransferQuestions {
public:
  QList<OverwriteAnswer> answers;
  QStringList asked;
  int cancelAt = -1;
  OverwriteAnswer Exists(const QString &target) override {
    asked << QFileInfo(target).fileName();
    return answers.isEmpty() ? OverwriteAnswer::No : answers.takeFirst();
  }
  bool Progress(int done, int) override { return done != cancelAt; }
};

class FileTransferTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(from.isValid() && to.isValid());
    for (const char *name : {"a.jpg", "a.sam", "b.jpg"})
      Write(from.filePath(QString::fromLatin1(name)), QByteArray("new ") + name);
  }
  static void Write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  static QByteArray Read(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
  }
  QStringList Sources() const {
    return {from.filePath("a.jpg"), from.filePath("a.sam"), from.filePath("b.jpg")};
  }
  QStringList All(const QTemporaryDir &d) const {
    return QDir(d.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  QTemporaryDir from, to;
};

TEST_F(FileTransferTest, CopyAsksForEachExistingFileAndKeepsTimes) {
  Write(to.filePath("a.jpg"), "old a");
  Write(to.filePath("b.jpg"), "old b");
  const QDateTime when = QDateTime(QDate(2007, 3, 5), QTime(9, 7, 2));
  {
    QFile f(from.filePath("a.sam"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  }
  Answers answers;
  answers.answers = {OverwriteAnswer::No, OverwriteAnswer::Yes};
  const TransferResult r = CopyFiles(Sources(), to.path(), answers);
  EXPECT_EQ(answers.asked, (QStringList{"a.jpg", "b.jpg"}));
  EXPECT_EQ(r.done, 2);
  EXPECT_TRUE(r.failed.isEmpty());
  EXPECT_EQ(Read(to.filePath("a.jpg")), "old a");
  EXPECT_EQ(Read(to.filePath("a.sam")), "new a.sam");
  EXPECT_EQ(Read(to.filePath("b.jpg")), "new b.jpg");
  EXPECT_EQ(QFileInfo(to.filePath("a.sam")).lastModified(), when);
  // The sources stay, and no private copy is left behind.
  EXPECT_EQ(All(from).size(), 3);
  EXPECT_EQ(All(to), (QStringList{"a.jpg", "a.sam", "b.jpg"}));
}

TEST_F(FileTransferTest, YesToAllAndCancel) {
  for (const char *name : {"a.jpg", "a.sam", "b.jpg"})
    Write(to.filePath(QString::fromLatin1(name)), "old");
  Answers cancel;
  cancel.answers = {OverwriteAnswer::Yes, OverwriteAnswer::Cancel};
  TransferResult r = CopyFiles(Sources(), to.path(), cancel);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(Read(to.filePath("a.jpg")), "new a.jpg");
  EXPECT_EQ(Read(to.filePath("a.sam")), "old");
  EXPECT_EQ(Read(to.filePath("b.jpg")), "old");
  Answers all;
  all.answers = {OverwriteAnswer::YesToAll};
  r = MoveFiles(Sources(), to.path(), all);
  EXPECT_EQ(all.asked, QStringList{"a.jpg"});
  EXPECT_EQ(r.done, 3);
  EXPECT_EQ(Read(to.filePath("b.jpg")), "new b.jpg");
  EXPECT_TRUE(All(from).isEmpty());
  // Cancel between files.
  Answers stop;
  stop.cancelAt = 0;
  EXPECT_TRUE(CopyFiles({to.filePath("a.jpg")}, from.path(), stop).cancelled);
  EXPECT_TRUE(All(from).isEmpty());
}

TEST_F(FileTransferTest, MoveNeverReplacesWithoutYesAndReportsVanishedFiles) {
  Write(to.filePath("a.jpg"), "old a");
  Answers no;
  const TransferResult r =
      MoveFiles(Sources() << from.filePath("gone.jpg"), to.path(), no);
  EXPECT_EQ(r.done, 2);
  EXPECT_EQ(r.failed, QStringList{from.filePath("gone.jpg")});
  EXPECT_EQ(Read(to.filePath("a.jpg")), "old a");
  EXPECT_EQ(Read(from.filePath("a.jpg")), "new a.jpg"); // skipped, so still here
  EXPECT_EQ(All(from), QStringList{"a.jpg"});
}

TEST_F(FileTransferTest, MoveAcrossFileSystemsCopiesThenRemoves) {
  // /dev/shm is a memory file system apart from the temporary folder's.
  if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable()) GTEST_SKIP() << "no /dev/shm";
  QTemporaryDir other(QStringLiteral("/dev/shm/velmir-move-XXXXXX"));
  ASSERT_TRUE(other.isValid());
  Answers answers;
  const TransferResult r = MoveFiles(Sources(), other.path(), answers);
  EXPECT_EQ(r.done, 3);
  EXPECT_EQ(Read(other.filePath("b.jpg")), "new b.jpg");
  EXPECT_TRUE(All(from).isEmpty());
  EXPECT_EQ(All(other).size(), 3);
}

} // namespace
