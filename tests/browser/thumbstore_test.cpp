// The thumbnail store on real folders: images are written through the kit
// (PNG through the framework, for the plug-in), refreshed, and the
// thumbnails read back through the kit.
#include "adjust/Fresize.h"
#include "browser/ThumbArchive.h"
#include "browser/ThumbStore.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Kit.h"
#include "image/Susie.h"

#include "exif_util.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A 24-bit picture whose pixel (x, y), y from the top, is colour(x, y) as
// 0xRRGGBB.
DibHandle Picture(int width, int height, const std::function<uint32_t(int, int)> &colour) {
  DibHandle image = CreateBlankDib(width, height);
  TMDIB d(image.get());
  for (int y = 0; y < height; ++y) {
    uint8_t *p = d.Row(height - 1 - y);
    for (int x = 0; x < width; ++x, p += 3) {
      const uint32_t c = colour(x, y);
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  }
  return image;
}

DibHandle Plain(int width, int height, uint32_t colour) {
  return Picture(width, height, [colour](int, int) { return colour; });
}

// Pixel (x, y) of an image, y from the top, as 0xRRGGBB.
uint32_t ColourAt(IMGHANDLE image, int x, int y) {
  const TMDIB d(image);
  const uint8_t *p = d.Row(d.height - 1 - y) + 3 * x;
  return static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 40) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) >
        tolerance)
      return false;
  return true;
}

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size &) const = default;
};

Size SizeOf(IMGHANDLE image) {
  IMGKIT_IMAGEINFO info{};
  if (!image || !Kit.ImgKitImageInfo(image, &info)) return {};
  return {info.width, info.height};
}

DibHandle Load(const QString &path) {
  return DibHandle(Kit.ImgKitFileLoad(QFile::encodeName(path).constData(), "", ""));
}

std::string Bytes(const QString &path) {
  std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const QString &path, const std::string &bytes) {
  std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << bytes;
}

void SetTime(const QString &path, const QDateTime &when) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// Everything a refresh tells its window, one text per event.
class Recorder : public ThumbReporter {
public:
  void Status(const QString &text) override {
    statuses.append(text);
    events.append(QStringLiteral("status ") + text);
    if (onStatus) onStatus(text);
  }
  void Busy(bool busy) override { events.append(busy ? "busy on" : "busy off"); }
  void JobPanel(bool shown) override { events.append(shown ? "panel shown" : "panel hidden"); }
  void ClearGrid() override { events.append("grid cleared"); }
  void Picture(const TMDIB &thumbnail) override {
    ++pictures;
    events.append(QStringLiteral("picture %1x%2").arg(thumbnail.width).arg(thumbnail.height));
  }
  void LineAdded(const ThumbLists &lists) override {
    events.append(QStringLiteral("line %1").arg(lists.Count()));
  }
  void Finished(const ThumbLists &lists) override {
    ++finished;
    events.append(QStringLiteral("finished %1").arg(lists.Count()));
  }
  bool StopRequested() override { return ++asked == stopAt; }

  QStringList statuses;
  QStringList events;
  int pictures = 0;
  int finished = 0;
  int asked = 0;
  int stopAt = -1;
  std::function<void(const QString &)> onStatus;
};

// What WithoutRoot answers when root cannot be given up here.
const std::string kStillRoot = "still root";

// Runs `body` where folder permissions hold and returns what it returns:
// in this process for an ordinary user; for root, who writes anywhere, in a
// child process that has given root up.
std::string WithoutRoot(const std::function<std::string()> &body) {
  if (geteuid() != 0) return body();
  int fds[2];
  if (pipe(fds) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return "no child";
  }
  if (pid == 0) {
    close(fds[0]);
    const std::string out =
        setgid(65534) == 0 && setuid(65534) == 0 && geteuid() != 0 ? body() : kStillRoot;
    const ssize_t n = write(fds[1], out.data(), out.size());
    _exit(n == static_cast<ssize_t>(out.size()) ? 0 : 3);
  }
  close(fds[1]);
  std::string out;
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0)
    out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
  return out;
}

class ThumbStoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    // Open to the unprivileged child of WithoutRoot.
    chmod(QFile::encodeName(root_.path()).constData(), 0755);
    images_ = root_.path() + QStringLiteral("/images");
    work_ = root_.path() + QStringLiteral("/work/Samples/");
    ASSERT_TRUE(QDir().mkpath(images_));
    ASSERT_TRUE(QDir().mkpath(work_));
    chmod(QFile::encodeName(work_).constData(), 0777);
  }
  void TearDown() override { chmod(QFile::encodeName(images_).constData(), 0755); }

  QString Image(const QString &name) const { return images_ + QLatin1Char('/') + name; }
  QString Work(const QString &name) const { return work_ + name; }

  void Save(const QString &name, const DibHandle &image) {
    ASSERT_TRUE(SaveImageFile(QFile::encodeName(Image(name)).toStdString(), image.get(), 90));
  }

  QTemporaryDir root_;
  QString images_;
  QString work_;
};

// ---- names, sizes and time stamps -------------------------------------------------------------

TEST(ThumbnailName, ReplacesTheLastExtension) {
  EXPECT_EQ(ThumbnailName(QStringLiteral("photo.jpg")), QStringLiteral("photo.sam"));
  EXPECT_EQ(ThumbnailName(QStringLiteral("a.b.tif")), QStringLiteral("a.b.sam"));
  EXPECT_EQ(ThumbnailName(QStringLiteral("/p/x.JPEG")), QStringLiteral("/p/x.sam"));
  // A dot in a folder name is not an extension.
  EXPECT_EQ(ThumbnailName(QStringLiteral("/p.q/plain")), QStringLiteral("/p.q/plain.sam"));
}

TEST(ThumbnailSize, LongerSideIsAHundred) {
  struct Case {
    int w, h, tw, th;
  };
  for (const Case &c : {Case{400, 300, 100, 75}, Case{300, 400, 75, 100}, Case{333, 1000, 33, 100},
                        Case{100, 100, 100, 100}, Case{7, 7, 100, 100}, Case{4000, 3000, 100, 75},
                        // A side that would be 0 is 1.
                        Case{1, 1000, 1, 100}, Case{3000, 2, 100, 1}}) {
    const ThumbSize s = ThumbnailSize(c.w, c.h);
    EXPECT_EQ(s.width, c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(s.height, c.th) << c.w << "x" << c.h;
  }
  EXPECT_EQ(ThumbnailSize(0, 10).width, 0);
}

TEST(PackFileTime, DateHighTimeLowInTwoSecondSteps) {
  // 5 March 2007 09:07:02 and :03 both fall in the same two-second step.
  const uint32_t date = (27u << 9) | (3u << 5) | 5u;
  const uint32_t time = (9u << 11) | (7u << 5) | 1u;
  EXPECT_EQ(PackFileTime(2007, 3, 5, 9, 7, 2), date << 16 | time);
  EXPECT_EQ(PackFileTime(2007, 3, 5, 9, 7, 3), date << 16 | time);
  // A later date wins over any time of day.
  EXPECT_GT(PackFileTime(2007, 3, 6, 0, 0, 0), PackFileTime(2007, 3, 5, 23, 59, 58));
}

TEST_F(ThumbStoreTest, FileTimeStampIsTheLocalLastWriteTime) {
  const QString path = Image(QStringLiteral("t.bmp"));
  WriteBytes(path, "x");
  SetTime(path, QDateTime(QDate(2011, 12, 24), QTime(18, 30, 45)));
  uint32_t stamp = 0;
  ASSERT_TRUE(FileTimeStamp(path, stamp));
  EXPECT_EQ(stamp, PackFileTime(2011, 12, 24, 18, 30, 45));
  EXPECT_FALSE(FileTimeStamp(Image(QStringLiteral("missing.bmp")), stamp));
}

TEST(ThumbnailStale, MissingOrEarlierThumbnailsAreStale) {
  const uint32_t image = PackFileTime(2020, 5, 5, 10, 0, 10);
  EXPECT_TRUE(ThumbnailStale(false, image, image));
  EXPECT_FALSE(ThumbnailStale(true, image, image));
  EXPECT_TRUE(ThumbnailStale(true, PackFileTime(2020, 5, 5, 10, 0, 8), image));
  EXPECT_FALSE(ThumbnailStale(true, PackFileTime(2020, 5, 5, 10, 0, 12), image));
}

// ---- making one thumbnail ---------------------------------------------------------------------

TEST_F(ThumbStoreTest, ThumbnailsHaveTheSizeOfTheRuleFromEveryFormat) {
  struct Case {
    const char *name;
    int w, h;
    Size expected;
  };
  const Case cases[] = {{"wide.jpg", 400, 300, {100, 75}},    {"tall.jpg", 300, 400, {75, 100}},
                        {"narrow.bmp", 333, 1000, {33, 100}}, {"square.tif", 100, 100, {100, 100}},
                        {"small.jpg", 40, 30, {100, 75}},     {"line.bmp", 1000, 1, {100, 1}}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Save(QString::fromLatin1(c.name), Plain(c.w, c.h, 0x4080c0));
    const QString thumb = Work(QStringLiteral("out.sam"));
    ASSERT_EQ(MakeThumbnail(Image(QString::fromLatin1(c.name)), thumb), ThumbResult::Written);
    const DibHandle back = Load(thumb);
    EXPECT_EQ(SizeOf(back.get()), c.expected);
    EXPECT_TRUE(Near(ColourAt(back.get(), c.expected.width / 2, c.expected.height / 2), 0x4080c0));
  }
}

TEST_F(ThumbStoreTest, ThumbnailKeepsThePictureInPlace) {
  // Four quadrants: a flip, a mirror or a channel swap shows.
  Save(QStringLiteral("q.jpg"), Picture(1600, 1200, [](int x, int y) -> uint32_t {
         if (y < 600) return x < 800 ? 0xff0000 : 0x0000ff;
         return x < 800 ? 0x00ff00 : 0xffffff;
       }));
  ASSERT_EQ(MakeThumbnail(Image(QStringLiteral("q.jpg")), Work(QStringLiteral("q.sam"))),
            ThumbResult::Written);
  const DibHandle t = Load(Work(QStringLiteral("q.sam")));
  ASSERT_EQ(SizeOf(t.get()), (Size{100, 75}));
  EXPECT_TRUE(Near(ColourAt(t.get(), 20, 15), 0xff0000));
  EXPECT_TRUE(Near(ColourAt(t.get(), 80, 15), 0x0000ff));
  EXPECT_TRUE(Near(ColourAt(t.get(), 20, 60), 0x00ff00));
  EXPECT_TRUE(Near(ColourAt(t.get(), 80, 60), 0xffffff));
}

TEST_F(ThumbStoreTest, PaletteAndGreyImagesBecomeFullColourThumbnails) {
  DibHandle grey = Picture(200, 100, [](int x, int) { return x < 100 ? 0x202020u : 0xe0e0e0u; });
  ASSERT_TRUE(grey.Adopt(Kit.ImgKitSetGray(grey.get(), "", "")));
  Save(QStringLiteral("grey.jpg"), grey);
  Save(QStringLiteral("grey.bmp"), grey);
  DibHandle mono = Picture(200, 100, [](int x, int) { return x < 100 ? 0u : 0xffffffu; });
  ASSERT_TRUE(mono.Adopt(Kit.ImgKitConvertColor(mono.get(), 1, 1, 0, "", "")));
  Save(QStringLiteral("mono.bmp"), mono);
  for (const char *name : {"grey.jpg", "grey.bmp", "mono.bmp"}) {
    SCOPED_TRACE(name);
    const DibHandle t = ThumbnailImage(Image(QString::fromLatin1(name)));
    ASSERT_TRUE(t);
    EXPECT_EQ(TMDIB(t.get()).BitsPerPixel(), 24);
    ASSERT_EQ(SizeOf(t.get()), (Size{100, 50}));
    EXPECT_LT(ColourAt(t.get(), 20, 25) & 0xff, 0x50u);
    EXPECT_GT(ColourAt(t.get(), 80, 25) & 0xff, 0xb0u);
  }
}

// Luma as the eye weighs it; the thumbnail writer halves chroma anyway.
int Luma(uint32_t c) {
  return static_cast<int>((299 * ((c >> 16) & 0xff) + 587 * ((c >> 8) & 0xff) + 114 * (c & 0xff)) /
                          1000);
}

TEST_F(ThumbStoreTest, ReducedLoadCoversTheThumbnailAndMatchesAFullDecode) {
  // Awkward sizes, one with smooth shading only and one with hard edges.
  struct Case {
    const char *name;
    bool edges;
    int worstMean; // per channel, or luma with edges
    int worst;     // luma
  };
  for (const Case &c : {Case{"smooth.jpg", false, 2, 6}, Case{"edges.jpg", true, 3, 20}}) {
    SCOPED_TRACE(c.name);
    const QString name = QString::fromLatin1(c.name);
    Save(name, Picture(1601, 1203, [&](int x, int y) {
           const uint32_t r = static_cast<uint32_t>(x * 255 / 1600);
           const uint32_t g = static_cast<uint32_t>(y * 255 / 1202);
           const uint32_t b = !c.edges ? 96u : (((x / 100 + y / 100) % 2) ? 200u : 40u);
           return r << 16 | g << 8 | b;
         }));
    const QByteArray path = QFile::encodeName(Image(name));
    const ThumbSize want = ThumbnailSize(1601, 1203);
    const DibHandle reduced(Kit.ImgKitFileLoadReduced(path.constData(), want.width, want.height));
    const Size got = SizeOf(reduced.get());
    EXPECT_GE(got.width, want.width);
    EXPECT_GE(got.height, want.height);
    // Far fewer pixels than the photo: 1/8 already covers 100 x 75.
    EXPECT_LE(got.width, 1601 / 8 + 1);

    // The full decode, scaled the same way, gives the same thumbnail size
    // and nearly the same pixels.
    DibHandle full = Load(Image(name));
    const Size fullSize = SizeOf(full.get());
    const ThumbSize rule = ThumbnailSize(fullSize.width, fullSize.height);
    const DibHandle fromFull =
        ResizedImage(full.get(), rule.width, rule.height, ResizeMethod::Oversampling);
    const DibHandle thumb = ThumbnailImage(Image(name));
    ASSERT_EQ(SizeOf(thumb.get()), SizeOf(fromFull.get()));
    ASSERT_EQ(SizeOf(thumb.get()), (Size{100, 75}));
    long lumaTotal = 0, channelTotal[3] = {0, 0, 0};
    int worst = 0;
    for (int y = 0; y < 75; ++y)
      for (int x = 0; x < 100; ++x) {
        const uint32_t a = ColourAt(thumb.get(), x, y), b = ColourAt(fromFull.get(), x, y);
        const int d = std::abs(Luma(a) - Luma(b));
        lumaTotal += d;
        worst = std::max(worst, d);
        for (int i = 0; i < 3; ++i)
          channelTotal[i] += std::abs(static_cast<int>((a >> (8 * i)) & 0xff) -
                                      static_cast<int>((b >> (8 * i)) & 0xff));
      }
    EXPECT_LE(lumaTotal / 7500, c.worstMean);
    EXPECT_LE(worst, c.worst);
    if (!c.edges) {
      for (long total : channelTotal)
        EXPECT_LE(total / 7500, c.worstMean);
    }
  }
}

TEST_F(ThumbStoreTest, UnreadableFilesMakeNoThumbnail) {
  WriteBytes(Image(QStringLiteral("empty.jpg")), "");
  WriteBytes(Image(QStringLiteral("text.jpg")), "just some words, not a picture\n");
  EXPECT_EQ(MakeThumbnail(Image(QStringLiteral("empty.jpg")), Work(QStringLiteral("e.sam"))),
            ThumbResult::Unreadable);
  EXPECT_EQ(MakeThumbnail(Image(QStringLiteral("text.jpg")), Work(QStringLiteral("t.sam"))),
            ThumbResult::Unreadable);
  EXPECT_FALSE(QFile::exists(Work(QStringLiteral("e.sam"))));
  Save(QStringLiteral("ok.jpg"), Plain(20, 10, 0x808080));
  EXPECT_EQ(MakeThumbnail(Image(QStringLiteral("ok.jpg")), images_ + "/no/such/folder/ok.sam"),
            ThumbResult::NotWritten);
}

// ---- listing ----------------------------------------------------------------------------------

TEST_F(ThumbStoreTest, ListingStopsAtTheCapInDirectoryOrderThenSorts) {
  for (int i = 0; i < 2100; ++i)
    WriteBytes(Image(QStringLiteral("img%1.bmp").arg(i * 7919 % 10007)), "");
  WriteBytes(Image(QStringLiteral("img1.sam")), "");
  WriteBytes(Image(QStringLiteral("notes.txt")), "");
  QDir(images_).mkdir(QStringLiteral("sub.jpg"));

  std::vector<ListedImage> listed;
  ASSERT_TRUE(ListImages(images_, QString(), listed));
  ASSERT_EQ(listed.size(), static_cast<size_t>(kMaxListedImages));
  // The first 2048 images the directory gives, whatever their names.
  std::vector<QString> expected;
  for (const auto &e : fs::directory_iterator(QFile::encodeName(images_).toStdString())) {
    const QString name = QFile::decodeName(e.path().filename().c_str());
    if (e.is_regular_file() && name.endsWith(QStringLiteral(".bmp")))
      expected.push_back(images_ + QLatin1Char('/') + name);
  }
  expected.resize(kMaxListedImages);
  for (size_t i = 0; i < listed.size(); ++i)
    ASSERT_EQ(listed[i].path, expected[i]) << i;

  SortImages(listed);
  for (size_t i = 1; i < listed.size(); ++i)
    ASSERT_LT(listed[i - 1].path.toUtf8(), listed[i].path.toUtf8());
  std::sort(expected.begin(), expected.end(),
            [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
  for (size_t i = 0; i < listed.size(); ++i)
    ASSERT_EQ(listed[i].path, expected[i]) << i;
}

TEST_F(ThumbStoreTest, SortComparesBytesNotLettersOrLocale) {
  for (const char *name : {"a.jpg", "B.jpg", "\xc3\xa9.jpg", "_.jpg", "Z.jpg", "a0.jpg"})
    WriteBytes(Image(QString::fromUtf8(name)), "");
  std::vector<ListedImage> listed;
  ASSERT_TRUE(ListImages(images_, QString(), listed));
  SortImages(listed);
  QStringList names;
  for (const ListedImage &i : listed)
    names.append(i.path.mid(images_.size() + 1));
  EXPECT_EQ(names, QStringList({"B.jpg", "Z.jpg", "_.jpg", "a.jpg", "a0.jpg", "\u00e9.jpg"}));
}

TEST_F(ThumbStoreTest, ListingSkipsThumbnailsAndNamesTheFilterRefuses) {
  for (const char *name :
       {"a.JPG", "b.jpeg", "c.Tif", "d.tiff", "e.bmp", "f.SAM", "g.png", "h.gif", "i", "j.jpg.txt"})
    WriteBytes(Image(QString::fromLatin1(name)), "");
  std::vector<ListedImage> listed;
  ASSERT_TRUE(ListImages(images_, QStringLiteral("png"), listed));
  SortImages(listed);
  QStringList names;
  for (const ListedImage &i : listed)
    names.append(i.path.mid(images_.size() + 1));
  EXPECT_EQ(names, QStringList({"a.JPG", "b.jpeg", "c.Tif", "d.tiff", "e.bmp", "g.png"}));
  EXPECT_FALSE(ListImages(images_ + QStringLiteral("/missing"), QString(), listed));
  EXPECT_TRUE(listed.empty());
}

// ---- refreshes --------------------------------------------------------------------------------

TEST_F(ThumbStoreTest, PerImageRefreshTellsEveryStepInOrder) {
  Save(QStringLiteral("a.jpg"), Plain(40, 30, 0xff0000));
  Save(QStringLiteral("b.bmp"), Plain(30, 40, 0x00ff00));
  ThumbStore store(work_);
  Recorder r;
  const ThumbRefreshResult result = store.RefreshPerImage(images_, QString(), r);
  EXPECT_TRUE(result.ran);
  EXPECT_TRUE(result.folderRead);
  EXPECT_EQ(result.listed, 2);
  const QStringList expected = {
      "status サムネイルをクリアします",
      "status 画像を検索します",
      "busy on",
      "status 画像をソートします",
      "status 更新の必要のあるサムネイルを調査します",
      "panel shown",
      "grid cleared",
      "status サムネイル作成／読込中：全2 のうち 1 を処理中・・・しばらくお待ちください",
      "picture 100x75",
      "line 1",
      "status サムネイル作成／読込中：全2 のうち 2 を処理中・・・しばらくお待ちください",
      "picture 75x100",
      "line 2",
      "panel hidden",
      "finished 2",
      "status "
      "ファイルリストまたはサムネイルのダブルクリックでＶＥＬＭＩＲに読込みまたは全画面表示",
      "busy off"};
  EXPECT_EQ(r.events, expected);
  EXPECT_EQ(store.Lists().images, QStringList({Image("a.jpg"), Image("b.bmp")}));
  EXPECT_EQ(store.Lists().thumbs, QStringList({Image("a.sam"), Image("b.sam")}));
  EXPECT_EQ(store.Lists().marks, QStringList({"0", "0"}));
  EXPECT_FALSE(store.Busy());
}

TEST_F(ThumbStoreTest, ArchiveRefreshTellsEveryStepInOrder) {
  Save(QStringLiteral("a.jpg"), Plain(40, 30, 0xff0000));
  WriteBytes(Work(QStringLiteral("left.sam")), "from the folder shown before");
  WriteBytes(Image(QStringLiteral("old.SAM")), "a thumbnail of the other kind");
  ThumbStore store(work_);
  Recorder first;
  EXPECT_EQ(store.RefreshArchive(images_, QString(), first).listed, 1);
  const QString progress =
      QStringLiteral("サムネイル作成／読込中：全1 のうち 1 を処理中・・・しばらくお待ちください");
  const QString done = QStringLiteral(
      "ファイルリストまたはサムネイルのダブルクリックでＶＥＬＭＩＲに読込みまたは全画面表示");
  EXPECT_EQ(
      first.statuses,
      QStringList({"サムネイル保存フォルダをクリアします", "画像フォルダのサムネイルをクリアします",
                   "アーカイブの存在を調査します", "フォルダ内の画像を検索します",
                   "画像をソートします", "更新する必要のあるサムネイルをチェックします",
                   "サムネイルを作成します", progress, "サムネイルをアーカイブします", done}));
  EXPECT_EQ(first.events.first(), QStringLiteral("panel shown"));
  EXPECT_EQ(first.events.last(), QStringLiteral("busy off"));
  EXPECT_FALSE(QFile::exists(Work(QStringLiteral("left.sam"))));
  EXPECT_FALSE(QFile::exists(Image(QStringLiteral("old.SAM"))));
  EXPECT_FALSE(QFile::exists(Image(QStringLiteral("temp.data"))));
  EXPECT_EQ(store.Lists().thumbs, QStringList({Work("a.sam")}));
  ASSERT_TRUE(QFile::exists(Image(kThumbArchiveName)));

  // Shown again: unpacked, nothing to make, so the archive stays as it is.
  QFile::remove(Work(QStringLiteral("a.sam")));
  const std::string archived = Bytes(Image(kThumbArchiveName));
  Recorder second;
  EXPECT_EQ(store.RefreshArchive(images_, QString(), second).listed, 1);
  EXPECT_EQ(second.statuses,
            QStringList({"サムネイル保存フォルダをクリアします",
                         "画像フォルダのサムネイルをクリアします", "アーカイブの存在を調査します",
                         "サムネイルを解凍します", "フォルダ内の画像を検索します",
                         "画像をソートします", "更新する必要のあるサムネイルをチェックします",
                         "サムネイルを作成します", progress, done}));
  EXPECT_EQ(second.pictures, 0);
  EXPECT_TRUE(QFile::exists(Work(QStringLiteral("a.sam"))));
  EXPECT_EQ(Bytes(Image(kThumbArchiveName)), archived);
}

TEST_F(ThumbStoreTest, FolderWithoutImagesEndsEarly) {
  WriteBytes(Image(QStringLiteral("readme.txt")), "");
  ThumbStore store(work_);
  Recorder perImage;
  const ThumbRefreshResult a = store.RefreshPerImage(images_, QString(), perImage);
  EXPECT_TRUE(a.folderRead);
  EXPECT_EQ(a.listed, 0);
  EXPECT_EQ(perImage.events,
            QStringList({"status サムネイルをクリアします", "status 画像を検索します", "busy on",
                         "status 画像をソートします", "status 表示できる画像はありません",
                         "finished 0", "busy off"}));
  Recorder archive;
  EXPECT_EQ(store.RefreshArchive(images_, QString(), archive).listed, 0);
  EXPECT_EQ(archive.statuses.last(),
            QStringLiteral("このフォルダには表示できる画像が見つかりませんでした"));
  EXPECT_EQ(archive.events.last(), QStringLiteral("panel hidden"));
  EXPECT_FALSE(QFile::exists(Image(kThumbArchiveName)));

  Recorder missing;
  const ThumbRefreshResult m =
      store.RefreshPerImage(images_ + QStringLiteral("/gone"), QString(), missing);
  EXPECT_TRUE(m.ran);
  EXPECT_FALSE(m.folderRead);
  EXPECT_EQ(missing.finished, 1);
}

TEST_F(ThumbStoreTest, EqualTimeStampIsReusedAndTwoSecondsOlderIsRemade) {
  const QDateTime imageTime(QDate(2020, 5, 5), QTime(10, 0, 11));
  Save(QStringLiteral("same.jpg"), Plain(40, 30, 0xff0000));
  Save(QStringLiteral("step.jpg"), Plain(40, 30, 0xff0000));
  Save(QStringLiteral("older.jpg"), Plain(40, 30, 0xff0000));
  for (const char *name : {"same", "step", "older"}) {
    WriteBytes(Image(QString::fromLatin1(name) + ".sam"), "kept");
    SetTime(Image(QString::fromLatin1(name) + ".jpg"), imageTime);
  }
  SetTime(Image("same.sam"), imageTime);
  // 10:00:10 and 10:00:11 are one two-second step.
  SetTime(Image("step.sam"), imageTime.addSecs(-1));
  SetTime(Image("older.sam"), imageTime.addSecs(-2));
  ThumbStore store(work_);
  Recorder r;
  EXPECT_EQ(store.RefreshPerImage(images_, QString(), r).listed, 3);
  EXPECT_EQ(Bytes(Image("same.sam")), "kept");
  EXPECT_EQ(Bytes(Image("step.sam")), "kept");
  EXPECT_EQ(SizeOf(Load(Image("older.sam")).get()), (Size{100, 75}));
  EXPECT_EQ(r.pictures, 1);
}

TEST_F(ThumbStoreTest, ImagesDifferingOnlyInExtensionShareOneThumbnail) {
  Save(QStringLiteral("x.bmp"), Plain(40, 30, 0xff0000));
  Save(QStringLiteral("x.jpg"), Plain(40, 30, 0x0000ff));
  ThumbStore store(work_);
  Recorder r;
  EXPECT_EQ(store.RefreshPerImage(images_, QString(), r).listed, 2);
  EXPECT_EQ(store.Lists().thumbs, QStringList({Image("x.sam"), Image("x.sam")}));
  // x.jpg sorts after x.bmp and so is made last.
  EXPECT_TRUE(Near(ColourAt(Load(Image("x.sam")).get(), 50, 37), 0x0000ff));
}

TEST_F(ThumbStoreTest, StopAfterTheThirdOfTenListsThree) {
  for (int i = 0; i < 10; ++i)
    Save(QStringLiteral("p%1.jpg").arg(i), Plain(640, 480, 0x102030u * (i + 1)));
  ThumbStore store(work_);
  Recorder r;
  r.stopAt = 3;
  const ThumbRefreshResult result = store.RefreshPerImage(images_, QString(), r);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.listed, 3);
  EXPECT_EQ(store.Lists().images, QStringList({Image("p0.jpg"), Image("p1.jpg"), Image("p2.jpg")}));
  // Nothing of the images after the stop, though they may have been decoded.
  for (int i = 3; i < 10; ++i)
    EXPECT_FALSE(QFile::exists(Image(QStringLiteral("p%1.sam").arg(i)))) << i;
  EXPECT_EQ(r.statuses.filter(QStringLiteral("を処理中")).size(), 3);
  EXPECT_EQ(r.statuses.last(), ThumbStatus::kDone);
  EXPECT_FALSE(store.Busy());
}

TEST_F(ThumbStoreTest, BadFilesAreLeftOutAndTheRestListed) {
  Save(QStringLiteral("good.jpg"), Plain(400, 300, 0x336699));
  const std::string jpeg = Bytes(Image("good.jpg"));
  // Cut short: what could be decoded makes its thumbnail. Cut before any
  // picture data: left out.
  WriteBytes(Image("truncated.jpg"), jpeg.substr(0, jpeg.size() / 2));
  WriteBytes(Image("nodata.jpg"), jpeg.substr(0, jpeg.find("\xff\xda") + 14));
  WriteBytes(Image("zero.jpg"), "");
  WriteBytes(Image("words.jpg"), "not a picture at all");
  WriteBytes(Image("words.bmp"), "BM but nothing else");
  // A BMP header of 16384 x 16384 (2^28 pixels) without its pixels, and a
  // JPEG one pixel over the kit's limit.
  std::string bmp(54, '\0');
  const auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 54u + 16384u * 16384u * 3u);
  put32(10, 54);
  put32(14, 40);
  put32(18, 16384);
  put32(22, 16384);
  bmp[26] = 1;
  bmp[28] = 24;
  WriteBytes(Image("huge.bmp"), bmp);
  std::string over = jpeg;
  const size_t sof = over.find("\xff\xc0");
  ASSERT_NE(sof, std::string::npos);
  over[sof + 5] = static_cast<char>(0x10); // height 4097
  over[sof + 6] = static_cast<char>(0x01);
  over[sof + 7] = static_cast<char>(0xff); // width 65535
  over[sof + 8] = static_cast<char>(0xff);
  WriteBytes(Image("over.jpg"), over);

  for (bool perImage : {true, false}) {
    SCOPED_TRACE(perImage ? "per image" : "archive");
    ThumbStore store(work_);
    Recorder r;
    const ThumbRefreshResult result = perImage ? store.RefreshPerImage(images_, QString(), r)
                                               : store.RefreshArchive(images_, QString(), r);
    EXPECT_EQ(result.listed, 2);
    EXPECT_EQ(store.Lists().images, QStringList({Image("good.jpg"), Image("truncated.jpg")}));
    EXPECT_EQ(r.statuses.filter(QStringLiteral("を処理中")).size(), 8);
    EXPECT_EQ(r.statuses.last(), ThumbStatus::kDone);
  }
}

TEST_F(ThumbStoreTest, PluginFormatsNeedTheExtensionAndAPlugin) {
  QImage png(60, 30, QImage::Format_RGB888);
  png.fill(QColor(0, 0, 255));
  ASSERT_TRUE(png.save(Image("pic.PNG"), "PNG"));
  TSpiload plugins;
  plugins.LoadPlugins(ProgramFolder()); // the shipped ifpng.spi of the build folder
  ASSERT_NE(plugins.FirstPlugin(), nullptr);
  TSpiload none;

  {
    ThumbStore store(work_, plugins);
    Recorder r;
    EXPECT_EQ(store.RefreshPerImage(images_, QStringLiteral("GIF,PNG"), r).listed, 1);
    const DibHandle t = Load(Image("pic.sam"));
    EXPECT_EQ(SizeOf(t.get()), (Size{100, 50}));
    EXPECT_TRUE(Near(ColourAt(t.get(), 50, 25), 0x0000ff));
  }
  {
    ThumbStore store(work_, plugins);
    Recorder r;
    EXPECT_EQ(store.RefreshPerImage(images_, QStringLiteral("GIF"), r).listed, 0);
  }
  {
    QFile::remove(Image("pic.sam"));
    ThumbStore store(work_, none);
    Recorder r;
    EXPECT_EQ(store.RefreshPerImage(images_, QStringLiteral("PNG"), r).listed, 0);
  }
}

TEST_F(ThumbStoreTest, ReadOnlyFolderUsesItsArchiveAndKeepsItAsItIs) {
  Save(QStringLiteral("a.jpg"), Plain(40, 30, 0xff0000));
  Save(QStringLiteral("b.jpg"), Plain(40, 30, 0xff0000));
  SetTime(Image("a.jpg"), QDateTime(QDate(2020, 1, 1), QTime(12, 0, 0)));
  // The archive holds a green thumbnail for a.jpg, newer than the image:
  // if it is used, a.sam comes out green rather than red.
  const QString source = root_.path() + QStringLiteral("/source");
  ASSERT_TRUE(QDir().mkpath(source));
  ASSERT_TRUE(WriteThumbnail(Plain(100, 75, 0x00ff00).get(), source + "/a.sam"));
  SetTime(source + "/a.sam", QDateTime(QDate(2021, 1, 1), QTime(12, 0, 0)));
  ASSERT_EQ(Pack(Image(kThumbArchiveName), source), 0);
  const std::string archived = Bytes(Image(kThumbArchiveName));
  ASSERT_EQ(chmod(QFile::encodeName(images_).constData(), 0555), 0);

  const std::string outcome = WithoutRoot([&] {
    ThumbStore store(work_);
    Recorder r;
    const ThumbRefreshResult result = store.RefreshArchive(images_, QString(), r);
    std::string out = "listed " + std::to_string(result.listed);
    if (r.statuses.contains(ThumbStatus::kUnpack)) out += ", unpacked";
    if (r.statuses.contains(ThumbStatus::kPack)) out += ", packed";
    out += ", made " + std::to_string(r.pictures);
    return out;
  });
  if (outcome == kStillRoot) GTEST_SKIP() << "root cannot be given up here";
  EXPECT_EQ(outcome, "listed 2, unpacked, made 1");
  EXPECT_EQ(Bytes(Image(kThumbArchiveName)), archived);
  EXPECT_TRUE(Near(ColourAt(Load(Work("a.sam")).get(), 50, 37), 0x00ff00));
  EXPECT_TRUE(Near(ColourAt(Load(Work("b.sam")).get(), 50, 37), 0xff0000));
  EXPECT_FALSE(QFile::exists(Image("b.sam")));
  EXPECT_FALSE(QFile::exists(Image("temp.data")));
}

TEST_F(ThumbStoreTest, ReadOnlyFolderGetsFallBackThumbnailsUntilTheNextRefresh) {
  Save(QStringLiteral("a.jpg"), Plain(40, 30, 0xff0000));
  const QString other = root_.path() + QStringLiteral("/other");
  ASSERT_TRUE(QDir().mkpath(other));
  chmod(QFile::encodeName(other).constData(), 0777);
  ASSERT_EQ(chmod(QFile::encodeName(images_).constData(), 0555), 0);

  const std::string outcome = WithoutRoot([&] {
    ThumbStore store(work_);
    Recorder r;
    store.RefreshPerImage(images_, QString(), r);
    std::string out = store.Lists().thumbs.join(',').toStdString();
    out += QFile::exists(Work("a.sam")) ? " made" : " missing";
    store.RefreshPerImage(other, QString(), r);
    out += QFile::exists(Work("a.sam")) ? " kept" : " cleared";
    return out;
  });
  if (outcome == kStillRoot) GTEST_SKIP() << "root cannot be given up here";
  EXPECT_EQ(outcome, Work("a.sam").toStdString() + " made cleared");
  EXPECT_FALSE(QFile::exists(Image("a.sam")));
}

TEST_F(ThumbStoreTest, ARefreshAskedForDuringOneIsIgnored) {
  Save(QStringLiteral("a.jpg"), Plain(40, 30, 0xff0000));
  ThumbStore store(work_);
  Recorder r;
  ThumbRefreshResult inner;
  bool asked = false;
  r.onStatus = [&](const QString &) {
    if (asked) return;
    asked = true;
    Recorder nested;
    inner = store.RefreshArchive(images_, QString(), nested);
    EXPECT_TRUE(nested.events.isEmpty());
  };
  EXPECT_EQ(store.RefreshPerImage(images_, QString(), r).listed, 1);
  EXPECT_FALSE(inner.ran);
  EXPECT_FALSE(QFile::exists(Image(kThumbArchiveName)));
}

TEST_F(ThumbStoreTest, FolderVanishingDuringARefreshEndsCleanly) {
  for (int i = 0; i < 6; ++i)
    Save(QStringLiteral("v%1.jpg").arg(i), Plain(320, 240, 0x804020));
  for (bool perImage : {true, false}) {
    SCOPED_TRACE(perImage ? "per image" : "archive");
    const QString folder = root_.path() + (perImage ? "/vanish1" : "/vanish2");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int i = 0; i < 6; ++i)
      ASSERT_TRUE(QFile::copy(Image(QStringLiteral("v%1.jpg").arg(i)),
                              folder + QStringLiteral("/v%1.jpg").arg(i)));
    ThumbStore store(work_);
    Recorder r;
    r.onStatus = [&](const QString &text) {
      if (text.contains(QStringLiteral("全6 のうち 2 "))) QDir(folder).removeRecursively();
    };
    const ThumbRefreshResult result = perImage ? store.RefreshPerImage(folder, QString(), r)
                                               : store.RefreshArchive(folder, QString(), r);
    EXPECT_TRUE(result.ran);
    EXPECT_GE(result.listed, 1);
    EXPECT_LE(result.listed, 6);
    EXPECT_EQ(r.finished, 1);
    EXPECT_EQ(r.statuses.last(), ThumbStatus::kDone);
    EXPECT_FALSE(QDir(folder).exists());
  }
}

} // namespace

namespace {

TEST_F(ThumbStoreTest, APhotoStoredOnItsSideGetsAnUprightThumbnail) {
  // Stored 400 x 200, dark left half; orientation 6 shows it 200 x 400 with
  // the dark half on top.
  DibHandle photo = Picture(400, 200, [](int x, int) { return x < 200 ? 0x202020u : 0xe0e0e0u; });
  Save(QStringLiteral("phone.jpg"), photo);
  const std::string path = QFile::encodeName(Image(QStringLiteral("phone.jpg"))).toStdString();
  ASSERT_TRUE(exif_util::SetOrientation(path, 6));
  const DibHandle thumb = ThumbnailImage(Image(QStringLiteral("phone.jpg")));
  ASSERT_TRUE(thumb);
  ASSERT_EQ(SizeOf(thumb.get()), (Size{50, 100}));
  EXPECT_LT(ColourAt(thumb.get(), 25, 20) & 0xff, 0x50u);
  EXPECT_GT(ColourAt(thumb.get(), 25, 80) & 0xff, 0xb0u);
}

} // namespace

namespace {

TEST_F(ThumbStoreTest, APhotoWithAColourProfileGetsAThumbnailInSrgb) {
  DibHandle photo = Picture(200, 100, [](int, int) { return 0x3ca03cu; });
  Save(QStringLiteral("plain.jpg"), photo);
  Save(QStringLiteral("adobe.jpg"), photo);
  const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
  ASSERT_TRUE(exif_util::TagLikeACamera(
      QFile::encodeName(Image(QStringLiteral("adobe.jpg"))).toStdString(), 1, icc.toStdString()));
  const DibHandle plain = ThumbnailImage(Image(QStringLiteral("plain.jpg")));
  const DibHandle adobe = ThumbnailImage(Image(QStringLiteral("adobe.jpg")));
  ASSERT_TRUE(plain);
  ASSERT_TRUE(adobe);
  const uint32_t stored = ColourAt(plain.get(), 50, 25);
  const QRgb expected = QColorSpace(QColorSpace::AdobeRgb)
                            .transformationToColorSpace(QColorSpace::SRgb)
                            .map(0xff000000u | stored);
  const uint32_t shown = ColourAt(adobe.get(), 50, 25);
  EXPECT_NE(shown, stored);
  EXPECT_NEAR(static_cast<int>((shown >> 8) & 0xff), qGreen(expected), 2);
  EXPECT_NEAR(static_cast<int>(shown >> 16 & 0xff), qRed(expected), 2);
}

} // namespace
