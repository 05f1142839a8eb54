// The HTML image catalogue: names, escaping, code page 932, the exact page,
// both ways of getting thumbnails, the messages, and the page as a real
// browser shows it.
#include "browser/Catalogue.h"
#include "browser/ThumbStore.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Kit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

namespace {

QByteArray ReadAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A solid picture written through the kit (format by extension).
bool WriteImage(const QString &path, int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB888);
  image.fill(colour);
  const DibHandle dib = DibFromBitmap(image);
  return SaveImageFile(QFile::encodeName(path).toStdString(), dib.get(), 95);
}

QByteArray Cp932(const char *utf8) { return ToCp932(QString::fromUtf8(utf8)); }

TEST(CatalogueNames, ThumbnailAndPageNames) {
  EXPECT_EQ(CatalogueThumbName("/p/IMG_0012.tif"), "thumb_IMG_0012.jpg");
  EXPECT_EQ(CatalogueThumbName("/p/a.b.png"), "thumb_a.b.jpg");
  EXPECT_EQ(CatalogueThumbName("/p/noext"), "thumb_noext.jpg");
  EXPECT_EQ(CataloguePagePath("/out", "album.htm"), "/out/album.html");
  EXPECT_EQ(CataloguePagePath("/out/", "c:\\x\\cat.txt"), "/out/cat.html");
  EXPECT_EQ(CataloguePagePath("/out", "../../etc/index"), "/out/index.html");
  EXPECT_EQ(CataloguePagePath("/out", "写真集"), "/out/写真集.html");
  EXPECT_EQ(CataloguePagePath("/out", "sub/"), "");
  EXPECT_EQ(CataloguePagePath("/out", ""), "");
}

TEST(CatalogueText, EscapesMarkupAndEncodesLinks) {
  EXPECT_EQ(HtmlEscaped("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c'");
  EXPECT_EQ(HtmlLink("/home/u/a b#1?.jpg"), "/home/u/a%20b%231%3F.jpg");
  EXPECT_EQ(HtmlLink("x&\"<.jpg"), "x%26%22%3C.jpg");
  EXPECT_EQ(HtmlLink("写.jpg"), "%E5%86%99.jpg");
}

TEST(CatalogueText, CodePage932WithReferencesForTheRest) {
  EXPECT_EQ(Cp932("abc"), QByteArray("abc"));
  EXPECT_EQ(Cp932("写真"), QByteArray("\x8e\xca\x90\x5e"));
  EXPECT_EQ(Cp932("ｶﾀﾛｸﾞ"), QByteArray("\xb6\xc0\xdb\xb8\xde"));
  // Hangul and a character beyond the basic plane have no place in 932.
  EXPECT_EQ(Cp932("한x"), QByteArray("&#54620;x"));
  EXPECT_EQ(Cp932("a😀"), QByteArray("a&#128512;"));
}

// The page of seven images in three columns, byte for byte.
TEST(CataloguePageTest, SevenImagesInThreeColumnsExactly) {
  std::vector<CatalogueItem> items;
  for (int i = 1; i <= 7; ++i)
    items.push_back(
        {QStringLiteral("/img/p%1.jpg").arg(i), QStringLiteral("/out/thumb_p%1.jpg").arg(i)});
  items[6] = {"/img/写真.jpg", "/out/thumb_写真.jpg"};
  CatalogueOptions o;
  o.columns = 3;
  o.title = "旅行";
  const QByteArray page = CataloguePage(items, o);

  QByteArray want = "<html>\r\n\r\n<head>\r\n"
                    "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">\r\n"
                    "\t<GENERATOR\" content=\"Photo Retouch VELMIR by Kzr\">\r\n"
                    "\t<title>" +
                    Cp932("イメージカタログ") +
                    ".</title>\r\n"
                    "</head>\r\n\r\n"
                    "<body bgcolor=\"#FFFFFF\">\r\n"
                    "\t<p align=\"center\"><font color=\"#000080\" size=\"4\"><strong>" +
                    Cp932("旅行") +
                    "</strong></font></p>\r\n"
                    "\t<hr>\r\n"
                    "\t<div align=\"center\"><center>\r\n\r\n"
                    "\t<table border=\"1\">\r\n\r\n";
  auto pictures = [&](std::initializer_list<QByteArray> names) {
    want += "<tr>\r\n";
    for (const QByteArray &n : names)
      want += "\t<td><center><img src=\"thumb_" + n + ".jpg\" border=\"0\"></center></td>\r\n";
    want += "</tr>\r\n<tr>\r\n";
    for (const QByteArray &n : names)
      want += "\t<td><center><font size=\"2\">" + Cp932(n.constData()) +
              ".jpg</font></center></td>\r\n";
    want += "</tr>\r\n";
  };
  pictures({"p1", "p2", "p3"});
  pictures({"p4", "p5", "p6"});
  // The last row holds one cell; its thumbnail source is percent-encoded.
  want += "<tr>\r\n\t<td><center><img src=\"thumb_%E5%86%99%E7%9C%9F.jpg\" border=\"0\">"
          "</center></td>\r\n</tr>\r\n<tr>\r\n\t<td><center><font size=\"2\">" +
          Cp932("写真") + ".jpg</font></center></td>\r\n</tr>\r\n";
  want += "</table>\r\n\r\n</center></div>\r\n<hr>\r\n</body>\r\n\r\n</html>\r\n";
  EXPECT_EQ(page, want);
  EXPECT_EQ(page.count("<tr>"), 6);
  EXPECT_FALSE(page.contains("\n\n")); // every line end is CR LF
}

TEST(CataloguePageTest, TwelveImagesInFiveColumnsGiveRowsOfFiveFiveTwo) {
  std::vector<CatalogueItem> items;
  for (int i = 0; i < 12; ++i)
    items.push_back({QStringLiteral("/i/%1.jpg").arg(i), QStringLiteral("/o/thumb_%1.jpg").arg(i)});
  const QByteArray page = CataloguePage(items, {});
  const QList<QByteArray> rows = page.split('\n');
  std::vector<int> cells;
  int count = -1;
  for (const QByteArray &line : rows) {
    if (line.startsWith("<tr>")) count = 0;
    if (line.startsWith("\t<td>")) ++count;
    if (line.startsWith("</tr>")) cells.push_back(count);
  }
  EXPECT_EQ(cells, (std::vector<int>{5, 5, 5, 5, 2, 2}));
}

TEST(CataloguePageTest, LinksWithPathAndWithout) {
  const std::vector<CatalogueItem> items{{"/img/a b&c.jpg", "/out/thumb_a b&c.jpg"}};
  CatalogueOptions o;
  o.links = true;
  QByteArray page = CataloguePage(items, o);
  EXPECT_TRUE(page.contains("\t<td><center><a href=\"/img/a%20b%26c.jpg\"><img "
                            "src=\"thumb_a%20b%26c.jpg\" border=\"0\"></a></center></td>\r\n"));
  EXPECT_TRUE(page.contains("\t<td><center><a href=\"/img/a%20b%26c.jpg\"><font size=\"2\">a "
                            "b&amp;c.jpg</font></a></center></td>\r\n"));
  o.noPath = true;
  page = CataloguePage(items, o);
  EXPECT_TRUE(page.contains("<a href=\"a%20b%26c.jpg\"><img"));
  EXPECT_FALSE(page.contains("/img/"));
}

TEST(CataloguePageTest, TitleAndNamesCannotInjectMarkup) {
  const std::vector<CatalogueItem> items{{"/i/<script>x.jpg", "/o/thumb_<script>x.jpg"}};
  CatalogueOptions o;
  o.title = "<b>\"A&B\"</b>";
  const QByteArray page = CataloguePage(items, o);
  EXPECT_FALSE(page.contains("<script>"));
  EXPECT_FALSE(page.contains("<b>"));
  EXPECT_TRUE(page.contains("<strong>&lt;b&gt;&quot;A&amp;B&quot;&lt;/b&gt;</strong>"));
  EXPECT_TRUE(page.contains("&lt;script&gt;x.jpg"));
}

// ---- writing a catalogue -----------------------------------------------------

class CatalogueWrite : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(MissingKitParts().empty());
    images_ = dir_.filePath("images");
    out_ = dir_.filePath("out");
    QDir().mkpath(images_);
    QDir().mkpath(out_);
  }
  QString Image(const QString &name) const { return images_ + "/" + name; }
  CatalogueOptions Options(const QString &out) const {
    CatalogueOptions o;
    o.imageFolder = images_;
    o.outFolder = out;
    o.fileName = "album.htm";
    return o;
  }
  QTemporaryDir dir_;
  QString images_, out_;
};

TEST_F(CatalogueWrite, MessagesForNoFolderNoNameAndNoPlace) {
  CatalogueOptions o = Options("");
  CatalogueResult r = WriteCatalogue(o, ThumbBesideImage);
  EXPECT_FALSE(r.written);
  EXPECT_EQ(r.message, "格納先のフォルダが指定されていません");
  o = Options(out_);
  o.fileName = "  ";
  r = WriteCatalogue(o, ThumbBesideImage);
  EXPECT_EQ(r.message, "カタログのファイル名が指定されていません");
  o = Options(dir_.filePath("missing"));
  r = WriteCatalogue(o, ThumbBesideImage);
  EXPECT_EQ(r.message, "ＨＴＭＬファイルを作成できません");
  EXPECT_FALSE(QFileInfo::exists(dir_.filePath("missing")));
  EXPECT_TRUE(QDir(out_).entryList(QDir::Files).isEmpty());
}

TEST_F(CatalogueWrite, CopyingTakesOnlyImagesWithThumbnails) {
  for (const char *n : {"a.jpg", "b.bmp", "c.jpg"})
    ASSERT_TRUE(WriteImage(Image(n), 40, 30, Qt::red));
  ASSERT_TRUE(WriteAll(Image("a.sam"), "thumb a"));
  ASSERT_TRUE(WriteAll(Image("c.sam"), "thumb c"));
  const CatalogueResult r = WriteCatalogue(Options(out_), ThumbBesideImage);
  ASSERT_TRUE(r.written) << r.message.toStdString();
  EXPECT_EQ(r.images, 2);
  EXPECT_EQ(ReadAll(out_ + "/thumb_a.jpg"), "thumb a");
  EXPECT_EQ(ReadAll(out_ + "/thumb_c.jpg"), "thumb c");
  EXPECT_FALSE(QFileInfo::exists(out_ + "/thumb_b.jpg"));
  const QByteArray page = ReadAll(out_ + "/album.html");
  EXPECT_TRUE(page.contains("thumb_a.jpg"));
  EXPECT_FALSE(page.contains("b.bmp"));
  // The browser's thumbnails stay where they were.
  EXPECT_EQ(ReadAll(Image("a.sam")), "thumb a");
}

// A folder of seven images in three columns, written and read back byte
// for byte (in the order the folder lists its files).
TEST_F(CatalogueWrite, SevenImageFolderInThreeColumnsExactly) {
  QStringList names{"01.jpg", "02.bmp", "03.jpg", "04.jpg", "05.tif", "06.jpg", "夏.jpg"};
  for (const QString &n : names) {
    ASSERT_TRUE(WriteImage(Image(n), 20, 10, Qt::gray));
    ASSERT_TRUE(WriteAll(ThumbnailName(Image(n)), n.toUtf8()));
  }
  ASSERT_TRUE(WriteAll(Image("notes.txt"), "not an image"));
  CatalogueOptions o = Options(out_);
  o.columns = 3;
  const CatalogueResult r = WriteCatalogue(o, ThumbBesideImage);
  ASSERT_TRUE(r.written);
  EXPECT_EQ(r.images, 7);
  std::vector<ListedImage> listed;
  ASSERT_TRUE(ListImages(images_, {}, listed));
  ASSERT_EQ(listed.size(), 7u);
  QByteArray want =
      "<html>\r\n\r\n<head>\r\n"
      "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">\r\n"
      "\t<GENERATOR\" content=\"Photo Retouch VELMIR by Kzr\">\r\n"
      "\t<title>\x83\x43\x83\x81\x81\x5b\x83\x57\x83\x4a\x83\x5e\x83\x8d\x83\x4f.</title>\r\n"
      "</head>\r\n\r\n<body bgcolor=\"#FFFFFF\">\r\n"
      "\t<p align=\"center\"><font color=\"#000080\" size=\"4\"><strong></strong></font></p>\r\n"
      "\t<hr>\r\n\t<div align=\"center\"><center>\r\n\r\n\t<table border=\"1\">\r\n\r\n";
  for (size_t k = 0; k < listed.size(); k += 3) {
    want += "<tr>\r\n";
    for (size_t i = k; i < std::min(listed.size(), k + 3); ++i)
      want += "\t<td><center><img src=\"" +
              HtmlLink(CatalogueThumbName(listed[i].path)).toLatin1() +
              "\" border=\"0\"></center></td>\r\n";
    want += "</tr>\r\n<tr>\r\n";
    for (size_t i = k; i < std::min(listed.size(), k + 3); ++i)
      want += "\t<td><center><font size=\"2\">" + ToCp932(QFileInfo(listed[i].path).fileName()) +
              "</font></center></td>\r\n";
    want += "</tr>\r\n";
  }
  want += "</table>\r\n\r\n</center></div>\r\n<hr>\r\n</body>\r\n\r\n</html>\r\n";
  EXPECT_EQ(ReadAll(out_ + "/album.html"), want);
  EXPECT_EQ(want.count("<tr>"), 6);
  // The Japanese name in code page 932, its thumbnail source percent-encoded.
  EXPECT_TRUE(want.contains(QByteArray("\x89\xc4.jpg</font>")));
  EXPECT_TRUE(want.contains("thumb_%E5%A4%8F.jpg"));
  for (const QString &n : names)
    EXPECT_EQ(ReadAll(out_ + "/" + CatalogueThumbName(n)), n.toUtf8());
}

TEST_F(CatalogueWrite, CopyingInTheImageFolderKeepsTheBrowsersThumbnails) {
  ASSERT_TRUE(WriteImage(Image("a.jpg"), 40, 30, Qt::red));
  ASSERT_TRUE(WriteAll(Image("a.sam"), "thumb a"));
  CatalogueOptions o = Options(images_);
  ASSERT_TRUE(WriteCatalogue(o, ThumbBesideImage).written);
  EXPECT_EQ(ReadAll(Image("thumb_a.jpg")), "thumb a");
  EXPECT_EQ(ReadAll(Image("a.sam")), "thumb a");
  // A second catalogue does not list the first one's thumbnails as images.
  const CatalogueResult again = WriteCatalogue(o, ThumbBesideImage);
  EXPECT_EQ(again.images, 1);
  EXPECT_FALSE(ReadAll(Image("album.html")).contains("thumb_thumb_"));
  // No temporary file is left behind.
  for (const QString &name : QDir(images_).entryList(QDir::Files))
    EXPECT_TRUE(name == "a.jpg" || name == "a.sam" || name == "thumb_a.jpg" || name == "album.html")
        << name.toStdString();
}

TEST_F(CatalogueWrite, CopyingAsksTheBrowserForThumbnailsKeptElsewhere) {
  ASSERT_TRUE(WriteImage(Image("a.jpg"), 40, 30, Qt::red));
  const QString kept = dir_.filePath("work.sam");
  ASSERT_TRUE(WriteAll(kept, "from the archive"));
  const CatalogueResult r = WriteCatalogue(Options(out_), [&](const QString &image) {
    return image.endsWith("a.jpg") ? kept : QString();
  });
  EXPECT_EQ(r.images, 1);
  EXPECT_EQ(ReadAll(out_ + "/thumb_a.jpg"), "from the archive");
}

TEST_F(CatalogueWrite, RemakingMakesThumbnailsOfTheAskedSize) {
  ASSERT_TRUE(WriteImage(Image("wide.jpg"), 80, 60, Qt::red));
  ASSERT_TRUE(WriteImage(Image("tall.bmp"), 30, 90, Qt::blue));
  ASSERT_TRUE(WriteAll(Image("broken.jpg"), "not a picture"));
  CatalogueOptions o = Options(out_);
  o.remake = 1;
  o.thumbSide = 40;
  const CatalogueResult r = WriteCatalogue(o, ThumbBesideImage);
  ASSERT_TRUE(r.written);
  EXPECT_EQ(r.images, 3);
  EXPECT_EQ(r.thumbsWritten, 2);
  EXPECT_EQ(QImage(out_ + "/thumb_wide.jpg").size(), QSize(40, 30));
  EXPECT_EQ(QImage(out_ + "/thumb_tall.jpg").size(), QSize(13, 40));
  // The unreadable file stays on the page without a thumbnail.
  EXPECT_FALSE(QFileInfo::exists(out_ + "/thumb_broken.jpg"));
  EXPECT_TRUE(ReadAll(out_ + "/album.html").contains("broken.jpg"));
  // Size 0 means 100.
  o.thumbSide = 0;
  ASSERT_TRUE(WriteCatalogue(o, ThumbBesideImage).written);
  EXPECT_EQ(QImage(out_ + "/thumb_wide.jpg").size(), QSize(100, 75));
}

// The page in a real browser: every thumbnail loads and the names read as
// they were written.
TEST_F(CatalogueWrite, ChromiumShowsEveryThumbnailAndName) {
  const QString chromium = QStandardPaths::findExecutable("chromium");
  if (chromium.isEmpty()) GTEST_SKIP() << "chromium is not installed (scripts/deps.sh installs it)";
  const std::vector<std::pair<QString, QColor>> files{
      {"春の写真.jpg", QColor(255, 0, 0)},
      {"a&b.bmp", QColor(0, 255, 0)},
      {"x<y>.jpg", QColor(0, 0, 255)},
  };
  for (const auto &[name, colour] : files)
    ASSERT_TRUE(WriteImage(Image(name), 60, 60, colour));
  CatalogueOptions o = Options(out_);
  o.remake = 1;
  o.links = true;
  o.title = "テスト & <カタログ>";
  ASSERT_TRUE(WriteCatalogue(o, ThumbBesideImage).written);
  const QString page = out_ + "/album.html";

  auto run = [&](const QStringList &extra, QByteArray *out) {
    QProcess p;
    QStringList args{"--headless", "--no-sandbox", "--disable-gpu",
                     "--allow-file-access-from-files",
                     "--user-data-dir=" + dir_.filePath("profile")};
    args += extra;
    p.start(chromium, args);
    if (!p.waitForFinished(90000)) {
      p.kill();
      p.waitForFinished();
      return false;
    }
    if (out) *out = p.readAllStandardOutput();
    return p.exitCode() == 0;
  };
  // Every image reports its natural width once loaded.
  QByteArray dom;
  ASSERT_TRUE(run({"--virtual-time-budget=5000", "--dump-dom", "file://" + page}, &dom));
  const QString text = QString::fromUtf8(dom);
  for (const auto &[name, colour] : files) {
    const QString shown = name.toHtmlEscaped().replace("&quot;", "\"");
    EXPECT_TRUE(text.contains(shown)) << name.toStdString();
  }
  EXPECT_TRUE(text.contains("テスト &amp; &lt;カタログ&gt;"));

  const QString shot = dir_.filePath("shot.png");
  ASSERT_TRUE(run({"--window-size=900,700", "--screenshot=" + shot, "file://" + page}, nullptr));
  const QImage picture(shot);
  ASSERT_FALSE(picture.isNull());
  for (const auto &[name, colour] : files) {
    int hits = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) {
        const QColor c = picture.pixelColor(x, y);
        if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
            std::abs(c.blue() - colour.blue()) < 40)
          ++hits;
      }
    // A loaded 100 x 100 thumbnail, not a broken-image icon.
    EXPECT_GT(hits, 5000) << name.toStdString();
  }
}

} // namespace
