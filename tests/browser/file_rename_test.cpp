// Renames that never replace a file, alone and as a set.
#include "browser/FileRename.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FileRenameTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString Path(const QString &name) const { return dir.filePath(name); }
  void Write(const QString &name, const QByteArray &bytes) {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Read(const QString &name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
  }
  QStringList Names() const {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  QTemporaryDir dir;
};

TEST_F(FileRenameTest, ATakenNameIsNeverReplaced) {
  Write("x.jpg", "picture");
  Write("abc.jpg", "another");
  EXPECT_FALSE(RenameNoReplace(Path("x.jpg"), Path("abc.jpg")));
  EXPECT_EQ(Read("x.jpg"), "picture");
  EXPECT_EQ(Read("abc.jpg"), "another");
  EXPECT_TRUE(RenameNoReplace(Path("x.jpg"), Path("new.jpg")));
  EXPECT_EQ(Read("new.jpg"), "picture");
}

TEST_F(FileRenameTest, OverlappingNamesOfOneSetAllArrive) {
  Write("ImageFile001.jpg", "one");
  Write("ImageFile002.jpg", "two");
  Write("ImageFile003.bmp", "three");
  const QStringList kept = RenameAll({{Path("ImageFile002.jpg"), Path("ImageFile001.jpg")},
                                      {Path("ImageFile001.jpg"), Path("ImageFile002.jpg")},
                                      {Path("ImageFile003.bmp"), Path("ImageFile003.bmp")}});
  EXPECT_TRUE(kept.isEmpty());
  EXPECT_EQ(Read("ImageFile001.jpg"), "two");
  EXPECT_EQ(Read("ImageFile002.jpg"), "one");
  EXPECT_EQ(Read("ImageFile003.bmp"), "three");
  EXPECT_EQ(Names(), (QStringList{"ImageFile001.jpg", "ImageFile002.jpg", "ImageFile003.bmp"}));
}

TEST_F(FileRenameTest, ANameTakenOutsideTheSetKeepsTheOldName) {
  Write("a.jpg", "a");
  Write("b.jpg", "b");
  Write("keep.jpg", "keep");
  const QStringList kept =
      RenameAll({{Path("a.jpg"), Path("keep.jpg")}, {Path("b.jpg"), Path("c.jpg")}});
  EXPECT_EQ(kept, QStringList{Path("a.jpg")});
  EXPECT_EQ(Read("a.jpg"), "a");
  EXPECT_EQ(Read("keep.jpg"), "keep");
  EXPECT_EQ(Read("c.jpg"), "b");
  EXPECT_EQ(Names(), (QStringList{"a.jpg", "c.jpg", "keep.jpg"}));
  // A vanished file is reported, nothing else happens.
  EXPECT_EQ(RenameAll({{Path("gone.jpg"), Path("d.jpg")}}), QStringList{Path("gone.jpg")});
}

TEST(NumberedPaths, KeepTheFoldersAndExtensions) {
  RenameRule rule;
  EXPECT_EQ(NumberedPath("/p/x.jpeg", rule, 0), QStringLiteral("/p/ImageFile001.jpeg"));
  EXPECT_EQ(NumberedPath("/p/y.b.TIF", rule, 2), QStringLiteral("/p/ImageFile003.TIF"));
  EXPECT_EQ(NumberedPath("/w/y.sam", rule, 2), QStringLiteral("/w/ImageFile003.sam"));
  rule.start = 1000;
  EXPECT_EQ(NumberedPath("/p/z.bmp", rule, 0), QStringLiteral("/p/ImageFile1000.bmp"));
}

} // namespace
