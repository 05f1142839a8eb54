// The batch jobs: their size, colour and amount rules, and whole runs over
// real files written through the kit, with the source files watched.
#include "adjust/Tone.h"
#include "browser/BatchJob.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Kit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Local(const QString &path) { return QFile::encodeName(path).toStdString(); }

// A 24-bit picture with a gradient that every tone function changes.
DibHandle Gradient(int width, int height, int seed = 0) {
  DibHandle image = CreateBlankDib(width, height);
  TMDIB d(image.get());
  for (int y = 0; y < height; ++y) {
    uint8_t *p = d.Row(y);
    for (int x = 0; x < width * 3; ++x)
      p[x] = static_cast<uint8_t>((x * 7 + y * 13 + seed * 31) & 0xff);
  }
  return image;
}

void WriteImage(const QString &path, IMGHANDLE image) {
  ASSERT_TRUE(SaveImageFile(Local(path), image, 90)) << Local(path);
}

DibHandle Load(const QString &path) { return LoadImageFile(Local(path), {.plugins = false}); }

std::string Bytes(const QString &path) {
  std::ifstream in(Local(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The pixel bytes of an image, row by row without padding.
std::vector<uint8_t> Pixels(IMGHANDLE image) {
  const TMDIB d(image);
  std::vector<uint8_t> out;
  const int rowBytes = (d.width * d.BitsPerPixel() + 7) / 8;
  for (int y = 0; y < d.height; ++y)
    out.insert(out.end(), d.Row(y), d.Row(y) + rowBytes);
  return out;
}

PixelSize SizeOf(const QString &path) {
  DibHandle image = Load(path);
  if (!image) return {};
  const TMDIB d(image.get());
  return {d.width, d.height};
}

BatchSettings Job(int job) {
  BatchSettings s;
  s.job = job;
  return s;
}

class BatchRun : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const QString &name) const { return dir_.filePath(name); }
  QString Out() const { return dir_.filePath(QStringLiteral("レタッチ後")); }
  // BMP sources keep the results exact.
  QStringList MakeBmps(int count) {
    QStringList files;
    for (int i = 0; i < count; ++i) {
      files << Path(QStringLiteral("p%1.bmp").arg(i));
      DibHandle image = Gradient(40 + i, 30, i);
      WriteImage(files.back(), image.get());
    }
    return files;
  }
  QTemporaryDir dir_;
};

} // namespace

TEST(BatchRules, NewSizesFollowTheRule) {
  BatchSettings s = Job(bjResize);
  s.sizeRule = bsLongerSide;
  s.side = 800;
  EXPECT_EQ(BatchNewSize(s, 1600, 1200), (PixelSize{800, 600}));
  EXPECT_EQ(BatchNewSize(s, 1200, 1600), (PixelSize{600, 800}));
  EXPECT_EQ(BatchNewSize(s, 1000, 1000), (PixelSize{800, 800}));
  s.sizeRule = bsPercent;
  s.percent = 33;
  EXPECT_EQ(BatchNewSize(s, 100, 75), (PixelSize{33, 24}));
  s.sizeRule = bsSameHeight;
  s.height = 600;
  EXPECT_EQ(BatchNewSize(s, 1600, 1200), (PixelSize{800, 600}));
  // 1000 x 7/3 is 2333.33...: truncated, whatever the rounding of 7/3.
  s.height = 7;
  EXPECT_EQ(BatchNewSize(s, 1000, 3), (PixelSize{2333, 7}));
  s.sizeRule = bsSameWidth;
  s.width = 100;
  EXPECT_EQ(BatchNewSize(s, 300, 200), (PixelSize{100, 66}));
  s.sizeRule = bsBoth;
  s.height = 50;
  EXPECT_EQ(BatchNewSize(s, 300, 200), (PixelSize{100, 50}));
}

TEST(BatchRules, EachSizeRuleAsksForItsOwnNumber) {
  BatchSettings s = Job(bjResize);
  const struct {
    int rule;
    const char *message;
  } cases[] = {{bsSameHeight, "縦の長さを指定してください"},
               {bsSameWidth, "横の長さを指定してください"},
               {bsBoth, "縦と横の長さを指定してください"},
               {bsLongerSide, "長辺の寸法を指定してください"},
               {bsPercent, "寸法比（％）を指定してください"}};
  for (const auto &c : cases) {
    s.sizeRule = c.rule;
    EXPECT_EQ(BatchSizeRuleProblem(s), QString::fromUtf8(c.message)) << c.rule;
  }
  s.sizeRule = bsBoth;
  s.width = 10;
  EXPECT_FALSE(BatchSizeRuleProblem(s).isEmpty()); // the height is still missing
  s.height = 10;
  EXPECT_TRUE(BatchSizeRuleProblem(s).isEmpty());
  s.sizeRule = bsPercent;
  s.percent = -5;
  EXPECT_FALSE(BatchSizeRuleProblem(s).isEmpty());
  // Only the resize job has numbers to ask for.
  EXPECT_TRUE(BatchSizeRuleProblem(Job(bjGamma)).isEmpty());
}

TEST(BatchRules, ColourOffsetsFromTheTickedColours) {
  BatchSettings s = Job(bjColour);
  s.blue = s.red = true;
  ChannelOffsets o = BatchColourOffsets(s);
  EXPECT_EQ(o.red, 9);
  EXPECT_EQ(o.green, -7);
  EXPECT_EQ(o.blue, 16);
  // Yellow and green alone: U = V = -16, each quotient truncated toward 0.
  s = Job(bjColour);
  s.yellow = s.green = true;
  s.colourWidth = 16;
  o = BatchColourOffsets(s);
  EXPECT_EQ(o.red, -18);  // -18240 / 1000
  EXPECT_EQ(o.green, 15); // 15632 / 1000
  EXPECT_EQ(o.blue, -32); // -32464 / 1000
  // Opposite colours cancel.
  s.blue = s.red = true;
  o = BatchColourOffsets(s);
  EXPECT_EQ(o.red, 0);
  EXPECT_EQ(o.green, 0);
  EXPECT_EQ(o.blue, 0);
}

TEST(BatchRules, EveryJobRunsItsRoutineWithTheDialogsValues) {
  BatchSettings s = Job(bjGamma);
  const double gamma[] = {124, 112, 88, 76};
  for (int amount = 0; amount < 4; ++amount) {
    s.amount = amount;
    const auto steps = BatchSteps(s, 10, 10, 24);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].name, "Gamma");
    EXPECT_EQ(steps[0].args, std::vector<double>{gamma[amount]});
  }
  s = Job(bjSaturation);
  s.amount = 3;
  EXPECT_EQ(BatchSteps(s, 10, 10, 24)[0].args, std::vector<double>{-24});
  s = Job(bjContrast);
  s.amount = 0;
  EXPECT_EQ(BatchSteps(s, 10, 10, 24)[0].args, std::vector<double>{24});
  s = Job(bjBrightness);
  EXPECT_EQ(BatchSteps(s, 10, 10, 24)[0].name, "ImgKitBright");
  EXPECT_DOUBLE_EQ(BatchSteps(s, 10, 10, 24)[0].args[0], 0.3);
  s.amount = 3;
  EXPECT_DOUBLE_EQ(BatchSteps(s, 10, 10, 24)[0].args[0], -0.6);

  s = Job(bjRotate);
  const double codes[] = {2, 1, 0, 4, 3};
  for (int r = 0; r < 5; ++r) {
    s.rotation = r;
    EXPECT_EQ(BatchSteps(s, 10, 10, 24)[0].args, std::vector<double>{codes[r]});
  }
  EXPECT_TRUE(BatchSteps(Job(bjConvert), 10, 10, 24).empty());
}

TEST(BatchRules, ResizeMethodFollowsTheDirection) {
  BatchSettings s = Job(bjResize);
  s.sizeRule = bsBoth;
  const auto method = [&](int w, int h, int bits) { return BatchSteps(s, w, h, bits)[0].args[2]; };
  s.width = 50;
  s.height = 50;
  EXPECT_EQ(method(100, 100, 24), 1); // smaller: area average
  EXPECT_EQ(method(40, 60, 24), 1);   // one side smaller is enough
  EXPECT_EQ(method(40, 40, 24), 2);   // both larger: bilinear
  EXPECT_EQ(method(50, 40, 24), 0);   // one side the same: the kit
  EXPECT_EQ(method(50, 50, 24), 0);
  EXPECT_EQ(method(100, 100, 8), 0); // palette images: the kit
}

TEST(BatchRules, OutputNamesAndJobNames) {
  BatchSettings s = Job(bjGamma);
  EXPECT_EQ(BatchOutputPath("/o", "/s/a.JPG", s), "/o/a.JPG");
  s = Job(bjConvert);
  s.format = bfTiff;
  EXPECT_EQ(BatchOutputPath("/o/", "/s/a.b.png", s), "/o/a.b.tif");
  s.format = bfBmp;
  EXPECT_EQ(BatchOutputPath("/o", "/s/noext", s), "/o/noext.bmp");
  EXPECT_EQ(BatchJobByName("auto-b"), bjAutoB);
  EXPECT_EQ(BatchJobByName("9"), bjContrast);
  EXPECT_EQ(BatchJobByName("colour"), bjColour);
  EXPECT_EQ(BatchJobByName("10"), -1);
  EXPECT_EQ(BatchJobByName("Gamma"), -1);
  EXPECT_EQ(BatchJob(kBatchJobCount), nullptr);
  EXPECT_STREQ(BatchJob(bjContrast)->shownName, "コントラスト調整");
}

TEST_F(BatchRun, ToneJobsGiveWhatTheDialogsGive) {
  const QStringList files = MakeBmps(5);
  const struct {
    int job;
    void (*apply)(TMDIB &);
  } cases[] = {
      {bjGamma, [](TMDIB &d) { Gamma(d, 112); }},
      {bjSaturation, [](TMDIB &d) { Saturation(d, 12); }},
      {bjContrast, [](TMDIB &d) { Contrast(d, 12); }},
      {bjBrightness, [](TMDIB &d) { Brightness(d, 6); }},
  };
  for (const auto &c : cases) {
    QDir(Out()).removeRecursively();
    std::vector<int> seen;
    BatchRunCallbacks calls;
    calls.before = [&](int i, const QString &) {
      seen.push_back(i);
      return true;
    };
    const BatchResult r = RunBatch(files, Out(), Job(c.job), calls);
    EXPECT_EQ(r.end, BatchEnd::Finished);
    EXPECT_EQ(r.done, 5);
    EXPECT_EQ(r.written, 5);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
    for (const QString &f : files) {
      DibHandle expected = Load(f);
      TMDIB d(expected.get());
      c.apply(d);
      DibHandle got = Load(Out() + "/" + QFileInfo(f).fileName());
      ASSERT_TRUE(got) << c.job;
      EXPECT_EQ(Pixels(got.get()), Pixels(expected.get())) << c.job << " " << Local(f);
    }
  }
}

TEST_F(BatchRun, ResizeRotateAndConvertProduceTheRightFiles) {
  DibHandle wide = Gradient(160, 120);
  WriteImage(Path("wide.jpg"), wide.get());
  DibHandle tall = Gradient(60, 80);
  WriteImage(Path("tall.bmp"), tall.get());
  const QStringList files{Path("wide.jpg"), Path("tall.bmp")};

  BatchSettings s = Job(bjResize);
  s.sizeRule = bsLongerSide;
  s.side = 100;
  EXPECT_EQ(RunBatch(files, Out(), s).written, 2);
  EXPECT_EQ(SizeOf(Out() + "/wide.jpg"), (PixelSize{100, 75}));
  EXPECT_EQ(SizeOf(Out() + "/tall.bmp"), (PixelSize{75, 100}));

  s = Job(bjRotate); // clockwise by default
  EXPECT_EQ(RunBatch(files, Out(), s).written, 2);
  EXPECT_EQ(SizeOf(Out() + "/wide.jpg"), (PixelSize{120, 160}));

  s = Job(bjConvert);
  s.format = bfTiff;
  EXPECT_EQ(RunBatch(files, Out(), s).written, 2);
  EXPECT_EQ(SizeOf(Out() + "/wide.tif"), (PixelSize{160, 120}));
  DibHandle converted = Load(Out() + "/tall.tif");
  ASSERT_TRUE(converted);
  EXPECT_EQ(Pixels(converted.get()), Pixels(tall.get()));

  // A size of nothing is refused for that image, not written as garbage.
  s = Job(bjResize);
  s.sizeRule = bsPercent;
  s.percent = 1;
  QDir(Out()).removeRecursively();
  const BatchResult r = RunBatch(files, Out(), s);
  EXPECT_EQ(r.written, 1); // 160 x 1 % is 1, 60 x 1 % is 0
  EXPECT_EQ(r.failed, 1);
  EXPECT_FALSE(QFileInfo::exists(Out() + "/tall.bmp"));
}

TEST_F(BatchRun, PaletteImagesKeepTheirPalette) {
  DibHandle colour = Gradient(20, 20);
  DibHandle palette(Kit.ImgKitConvertColor(colour.get(), 8, 0, 0, "", ""));
  ASSERT_TRUE(palette);
  WriteImage(Path("pal.bmp"), palette.get());
  EXPECT_EQ(RunBatch({Path("pal.bmp")}, Out(), Job(bjGamma)).written, 1);
  DibHandle out = Load(Out() + "/pal.bmp");
  ASSERT_TRUE(out);
  EXPECT_EQ(TMDIB(out.get()).BitsPerPixel(), 8);
}

TEST_F(BatchRun, AbortStopsBeforeTheNextImage) {
  const QStringList files = MakeBmps(6);
  BatchRunCallbacks calls;
  int afterCount = 0;
  bool abortPressed = false;
  calls.before = [&](int, const QString &) { return !abortPressed; };
  calls.after = [&](const BatchImageReport &r) {
    ++afterCount;
    if (r.index == 2) abortPressed = true; // pressed while the third image ran
  };
  const BatchResult r = RunBatch(files, Out(), Job(bjContrast), calls);
  EXPECT_EQ(r.end, BatchEnd::Aborted);
  EXPECT_EQ(r.done, 3);
  EXPECT_EQ(afterCount, 3);
  EXPECT_TRUE(QFileInfo::exists(Out() + "/p2.bmp"));
  EXPECT_FALSE(QFileInfo::exists(Out() + "/p3.bmp"));
  EXPECT_EQ(QDir(Out()).entryList(QDir::Files).size(), 3);
}

TEST_F(BatchRun, SourcesAreNeverWrittenTo) {
  const QStringList files = MakeBmps(3);
  std::vector<std::string> before;
  for (const QString &f : files)
    before.push_back(Bytes(f));
  std::vector<BatchOutcome> outcomes;
  BatchRunCallbacks calls;
  calls.after = [&](const BatchImageReport &r) { outcomes.push_back(r.outcome); };
  const BatchResult r = RunBatch(files, dir_.path(), Job(bjGamma), calls);
  EXPECT_EQ(r.end, BatchEnd::Finished);
  EXPECT_EQ(r.written, 0);
  EXPECT_EQ(r.failed, 3);
  EXPECT_EQ(outcomes, std::vector<BatchOutcome>(3, BatchOutcome::SourceProtected));
  for (qsizetype i = 0; i < files.size(); ++i)
    EXPECT_EQ(Bytes(files[i]), before[size_t(i)]);

  // A new name in the source folder is written; one taken by another image
  // of the folder is not.
  WriteImage(Path("p0.tif"), Gradient(8, 8).get());
  BatchSettings s = Job(bjConvert);
  s.format = bfTiff;
  outcomes.clear();
  const std::string tiff = Bytes(Path("p0.tif"));
  EXPECT_EQ(RunBatch(files, dir_.path(), s, calls).written, 2);
  EXPECT_EQ(outcomes[0], BatchOutcome::SourceProtected);
  EXPECT_EQ(Bytes(Path("p0.tif")), tiff);
  EXPECT_TRUE(QFileInfo::exists(Path("p1.tif")));
  EXPECT_TRUE(QFileInfo::exists(Path("p2.tif")));
  // No temporary file is left behind by the kit's writers.
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 6);
}

TEST_F(BatchRun, TheLaterOfTwoSameNamedResultsWins) {
  WriteImage(Path("a.bmp"), Gradient(10, 10, 1).get());
  DibHandle second = Gradient(12, 9, 2);
  WriteImage(Path("a.tif"), second.get());
  BatchSettings s = Job(bjConvert);
  s.format = bfBmp;
  // a.bmp would be its own output: written into another folder.
  EXPECT_EQ(RunBatch({Path("a.bmp"), Path("a.tif")}, Out(), s).written, 2);
  DibHandle out = Load(Out() + "/a.bmp");
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(out.get()), Pixels(second.get()));
}

TEST_F(BatchRun, BadFilesAreSkippedWithTheCountersMoving) {
  const QStringList good = MakeBmps(2);
  { std::ofstream(Local(Path("broken.jpg")), std::ios::binary) << "\xff\xd8\xff\xe0 not a photo"; }
  const QStringList files{good[0], Path("broken.jpg"), Path("gone.bmp"), Path("x.png"), good[1]};
  std::vector<BatchOutcome> outcomes;
  BatchRunCallbacks calls;
  calls.after = [&](const BatchImageReport &r) { outcomes.push_back(r.outcome); };
  const BatchResult r = RunBatch(files, Out(), Job(bjGamma), calls);
  EXPECT_EQ(r.done, 5);
  EXPECT_EQ(r.written, 2);
  EXPECT_EQ(r.failed, 3);
  EXPECT_EQ(outcomes, (std::vector<BatchOutcome>{BatchOutcome::Written, BatchOutcome::Unreadable,
                                                 BatchOutcome::Missing, BatchOutcome::NoFormat,
                                                 BatchOutcome::Written}));
}

TEST_F(BatchRun, FolderAndRuleProblemsStopBeforeAnything) {
  const QStringList files = MakeBmps(2);
  // An output "folder" that is a file.
  WriteImage(Path("plain.bmp"), Gradient(4, 4).get());
  int calls = 0;
  BatchRunCallbacks count;
  count.before = [&](int, const QString &) { return ++calls, true; };
  EXPECT_EQ(RunBatch(files, Path("plain.bmp"), Job(bjGamma), count).end, BatchEnd::NoOutputFolder);
  BatchSettings s = Job(bjResize);
  s.sizeRule = bsLongerSide;
  EXPECT_EQ(RunBatch(files, Out(), s, count).end, BatchEnd::SizeRuleMissing);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(QDir(Out()).entryList(QDir::Files).isEmpty());
}
