// The browser options under "Browser", the image-extension filter and the
// numbered names.
#include "browser/BrowserOptions.h"
#include "platform/Registry.h"
#include "platform/Settings.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class BrowserOptionsTest : public ::testing::Test {
protected:
  void SetUp() override { QFile::remove(Registry::FilePath()); }
  static QString Stored(const char *name) {
    return Registry::Read(kBrowserKey, QString::fromLatin1(name)).value_or(QStringLiteral("-"));
  }
};

TEST_F(BrowserOptionsTest, FirstReadWritesEveryDefault) {
  const BrowserOptions o = ReadBrowserOptions();
  EXPECT_EQ(o.thumbSave, 1);
  EXPECT_EQ(o.deleteMethod, 0);
  EXPECT_EQ(o.enableFile, QStringLiteral("PNG,GIF,WEBP"));
  for (const char *name :
       {"DeleteMethod", "DoubleClick", "AutoClose", "RemakeSN", "FullScrHQ", "SlideShowHQ"})
    EXPECT_EQ(Stored(name), QStringLiteral("0")) << name;
  EXPECT_EQ(Stored("ThumbSave"), QStringLiteral("1"));
  EXPECT_EQ(Stored("EnableFile"), QStringLiteral("PNG,GIF,WEBP"));
}

TEST_F(BrowserOptionsTest, StoredValuesWinAndEmptyOnesTakeTheirDefault) {
  Registry::Write(kBrowserKey, QStringLiteral("FullScrHQ"), QStringLiteral("1"));
  Registry::Write(kBrowserKey, QStringLiteral("SlideShowHQ"), QString());
  Registry::Write(kBrowserKey, QStringLiteral("AutoClose"), QStringLiteral("two"));
  Registry::Write(kBrowserKey, QStringLiteral("EnableFile"), QString());
  const BrowserOptions o = ReadBrowserOptions();
  // A missing slide-show value is written as "0" and leaves the full-screen one alone.
  EXPECT_EQ(o.fullScrHQ, 1);
  EXPECT_EQ(o.slideShowHQ, 0);
  EXPECT_EQ(Stored("SlideShowHQ"), QStringLiteral("0"));
  EXPECT_EQ(Stored("FullScrHQ"), QStringLiteral("1"));
  // Text where a number belongs reads as 0 and stays as it is.
  EXPECT_EQ(o.autoClose, 0);
  EXPECT_EQ(Stored("AutoClose"), QStringLiteral("two"));
  // The user emptied the extension list on purpose: it stays empty.
  EXPECT_EQ(o.enableFile, QString());
  EXPECT_EQ(Stored("EnableFile"), QString());
}

TEST_F(BrowserOptionsTest, WriteThenReadGivesTheSameValues) {
  BrowserOptions o;
  o.deleteMethod = 1;
  o.doubleClick = 1;
  o.autoClose = 2;
  o.remakeSN = 1;
  o.enableFile = QStringLiteral("png, gif");
  o.fullScrHQ = 1;
  o.slideShowHQ = 1;
  o.thumbSave = 0;
  WriteBrowserOptions(o);
  const BrowserOptions back = ReadBrowserOptions();
  EXPECT_EQ(back.deleteMethod, 1);
  EXPECT_EQ(back.doubleClick, 1);
  EXPECT_EQ(back.autoClose, 2);
  EXPECT_EQ(back.remakeSN, 1);
  EXPECT_EQ(back.enableFile, QStringLiteral("png, gif"));
  EXPECT_EQ(back.fullScrHQ, 1);
  EXPECT_EQ(back.slideShowHQ, 1);
  EXPECT_EQ(back.thumbSave, 0);
}

TEST(ImageExtensionFilter, StandardAndExtraExtensions) {
  for (const char *name : {"a.bmp", "b.JPG", "c.jpeg", "d.Tif", "e.TIFF", "x.y.jpg"})
    EXPECT_TRUE(ImageExtensionAccepted(QString::fromLatin1(name), QString())) << name;
  for (const char *name : {"a.png", "noextension", "a.jpg.sam", "a.jp", "a.tiff2"})
    EXPECT_FALSE(ImageExtensionAccepted(QString::fromLatin1(name), QString())) << name;
  EXPECT_TRUE(ImageExtensionAccepted(QStringLiteral("a.PNG"), QStringLiteral("png,gif")));
  EXPECT_TRUE(ImageExtensionAccepted(QStringLiteral("b.gif"), QStringLiteral("png,gif")));
  // A blank after the comma stays between the dot and the letters.
  EXPECT_TRUE(ImageExtensionAccepted(QStringLiteral("a.PNG"), QStringLiteral("PNG, GIF")));
  EXPECT_FALSE(ImageExtensionAccepted(QStringLiteral("b.gif"), QStringLiteral("PNG, GIF")));
  // Blanks at the ends of the list are trimmed away.
  EXPECT_TRUE(ImageExtensionAccepted(QStringLiteral("b.webp"), QStringLiteral("PNG,WEBP ")));
  EXPECT_FALSE(ImageExtensionAccepted(QStringLiteral("b.png"), QStringLiteral("PN")));
}

TEST(NumberedNames, DigitsAndStart) {
  RenameRule rule;
  EXPECT_EQ(NumberedName(rule, 0), QStringLiteral("ImageFile001"));
  EXPECT_EQ(NumberedName(rule, 9), QStringLiteral("ImageFile010"));
  rule.common = QStringLiteral("旅行");
  rule.digitsIndex = 0;
  rule.start = 7;
  EXPECT_EQ(NumberedName(rule, 5), QStringLiteral("旅行12"));
  rule.digitsIndex = 3;
  EXPECT_EQ(NumberedName(rule, 0), QStringLiteral("旅行0007"));
  rule.start = 12345;
  EXPECT_EQ(NumberedName(rule, 0), QStringLiteral("旅行12345"));
}

TEST_F(BrowserOptionsTest, RenameRuleRecord) {
  RenameRule fresh = ReadRenameRule();
  EXPECT_EQ(fresh.common, QStringLiteral("ImageFile"));
  EXPECT_EQ(fresh.digitsIndex, 2);
  EXPECT_EQ(fresh.start, 1);
  RenameRule rule;
  rule.common = QStringLiteral("a,b");
  rule.digitsIndex = 3;
  rule.start = 40;
  WriteRenameRule(rule);
  // Commas cannot live inside a record field: they become full stops.
  EXPECT_EQ(Registry::Read(kDialogsKey, QStringLiteral("RenameRule")).value_or(QString()),
            QStringLiteral("a.b,3,40"));
  const RenameRule back = ReadRenameRule();
  EXPECT_EQ(back.common, QStringLiteral("a.b"));
  EXPECT_EQ(back.digitsIndex, 3);
  EXPECT_EQ(back.start, 40);
}

} // namespace
