#include "adjust/AutoCorrectFile.h"
#include "adjust/Histfunc.h"
#include "adjust/Tone.h"
#include "adjust/Yuv.h"
#include "routines/AllRoutines.h"

#include "adjust_test_util.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace adjusttest;

namespace {

// A 10 x 100 grey picture: `count` pixels of each level, in order.
DibHandle GreyMix(std::vector<std::pair<int, int>> levels) {
  std::vector<int> flat;
  for (auto [level, count] : levels)
    flat.insert(flat.end(), static_cast<size_t>(count), level);
  EXPECT_EQ(flat.size(), 1000u);
  return Make24(10, 100, [flat](int x, int y) {
    const int v = flat[static_cast<size_t>(y * 10 + x)];
    return Bgr{v, v, v};
  });
}

} // namespace

TEST(Histograms, CountEachChannelAndThePlainMean) {
  DibHandle h = Make24(3, 1, [](int x, int) {
    return x == 0 ? Bgr{10, 20, 30} : (x == 1 ? Bgr{0, 0, 255} : Bgr{10, 20, 30});
  });
  TMDIB d(h.get());
  const Histograms hist = ComputeHistograms(d);
  EXPECT_EQ(hist.pixelCount, 3);
  EXPECT_EQ(hist.red[30], 2);
  EXPECT_EQ(hist.red[255], 1);
  EXPECT_EQ(hist.green[20], 2);
  EXPECT_EQ(hist.blue[0], 1);
  EXPECT_EQ(hist.average[20], 2);
  EXPECT_EQ(hist.average[85], 1);
}

TEST(Histograms, PaletteImagesCountThroughTheirTable) {
  // 8 bits, entries (i, 40 + i, 200 - i); 2 x 1 pixels with indices 0 and 1.
  DibHandle h = MakePalette(2, 1, 8, 0);
  TMDIB d(h.get());
  const Histograms hist = ComputeHistograms(d);
  EXPECT_EQ(hist.blue[0], 1);
  EXPECT_EQ(hist.blue[1], 1);
  EXPECT_EQ(hist.green[40], 1);
  EXPECT_EQ(hist.red[199], 1);
  EXPECT_EQ(hist.average[80], 2); // (0 + 40 + 200) / 3 and (1 + 41 + 199) / 3
}

TEST(Levels, TableStretchesAndTruncates) {
  uint8_t t[256];
  ASSERT_TRUE(LevelsTable(10, 61, t)); // scale 5, offset -50
  EXPECT_EQ(t[9], 0);
  EXPECT_EQ(t[10], 0);
  EXPECT_EQ(t[11], 5);
  EXPECT_EQ(t[60], 250);
  EXPECT_EQ(t[61], 255);
  EXPECT_EQ(t[200], 255);
  ASSERT_TRUE(LevelsTable(0, 51, t));
  EXPECT_EQ(t[10], 50);
}

TEST(Levels, IdentityForEmptyOrNegativeRanges) {
  for (auto [low, high] : {std::pair{20, 20}, {30, 20}, {-1, 100}, {-50, 200}, {-5, 0}}) {
    uint8_t t[256];
    EXPECT_FALSE(LevelsTable(low, high, t)) << low << " " << high;
    for (int v = 0; v < 256; ++v)
      ASSERT_EQ(t[v], v);
  }
}

TEST(Levels, ChannelChoosesTheByte) {
  const Bgr start{20, 20, 20};
  const Bgr want[4] = {{100, 100, 100}, {20, 20, 100}, {20, 100, 20}, {100, 20, 20}};
  for (int channel = 0; channel < 4; ++channel) {
    DibHandle h = Uniform24(3, 2, start);
    TMDIB d(h.get());
    CheckingProgress progress;
    Levels(d, 0, 51, channel, &progress);
    EXPECT_EQ(Get(d, 2, 1), want[channel]) << channel;
    EXPECT_EQ(progress.steps, 2);
  }
}

TEST(Levels, PaletteEntriesOnly) {
  DibHandle h = MakePalette(6, 2, 4, 5);
  TMDIB d(h.get());
  const std::vector<uint8_t> pixels = PixelBytes(d);
  Levels(d, 0, 51, lcGreen);
  EXPECT_EQ(PixelBytes(d), pixels);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(d.colourTable[4 * i], i);
    EXPECT_EQ(d.colourTable[4 * i + 1], 200 + 5 * i > 255 ? 255 : 200 + 5 * i);
    EXPECT_EQ(d.colourTable[4 * i + 2], 200 - i);
  }
}

TEST(AutoRange, UniformLevels) {
  int32_t hist[256] = {};
  hist[100] = 1000;
  EXPECT_EQ(FindAutoRange(hist, 1000, 3), (LevelRange{100, 101}));
  EXPECT_EQ(SettleRange({100, 101}), (LevelRange{100, 101}));
  EXPECT_EQ(BandRange({100, 101}), (LevelRange{100, 100}));
  int32_t white[256] = {};
  white[255] = 7;
  EXPECT_EQ(FindAutoRange(white, 7, 5), (LevelRange{255, -1}));
  EXPECT_EQ(SettleRange({255, -1}), (LevelRange{0, 255}));
}

TEST(AutoRange, StrictlyAboveTheLimits) {
  // 1000 pixels, 3 per mille: low where more than 3 lie at or below, high
  // where more than 997 do.
  int32_t hist[256] = {};
  hist[10] = 3;
  hist[100] = 990;
  hist[120] = 4;
  hist[151] = 3;
  EXPECT_EQ(FindAutoRange(hist, 1000, 3), (LevelRange{100, 151}));
}

TEST(AutoRange, FallbacksOfTheDialog) {
  EXPECT_EQ(SettleRange({50, 50}), (LevelRange{0, 255}));
  EXPECT_EQ(SettleRange({-1, 40}), (LevelRange{0, 40}));
  EXPECT_EQ(SettleRange({20, 200}), (LevelRange{20, 200}));
  // The band reads back one less at the top.
  EXPECT_EQ(BandRange({20, 200}), (LevelRange{20, 199}));
}

TEST(LevelsBand, FullBandIsTheFullRange) {
  // The dialog starts with the band at 56, 256 wide, and the range 0 ... 255.
  EXPECT_EQ(RangeOfBand(LevelBand{}), (LevelRange{0, 255}));
  EXPECT_EQ(BandOf({0, 256}), LevelBand{});
  EXPECT_EQ(BandOf({20, 200}), (LevelBand{76, 180}));
  // A range with no high level found turns the band over: nothing to stretch.
  EXPECT_EQ(BandOf({255, -1}), (LevelBand{311, -256}));
  const LevelRange turned = BandRange({255, -1});
  uint8_t table[256];
  EXPECT_FALSE(LevelsTable(turned.low, turned.high, table));
}

TEST(LevelsBand, CentreMarkerStartsAtHalfTheRange) {
  // The dialog's initial label left, 158, is 50 % of 0 ... 255.
  EXPECT_EQ(CentreLabelLeft(50, {0, 255}), 158);
  EXPECT_EQ(CentrePercent(158, {0, 255}, 7), 50);
  EXPECT_EQ(CentreLabelLeft(50, {20, 199}), 20 + 89 + 31);
  EXPECT_EQ(CentrePercent(100, {40, 40}, 7), 7); // an empty range keeps the old one
  EXPECT_EQ(CentrePercent(100, {40, 39}, 7), 7);
}

TEST(MidToneGamma, UnmovedMarkerGives106) {
  EXPECT_EQ(MidToneGammaPosition(158, 56, 256), 106);
  // At the band's middle the gamma is 100: t = 0.5.
  EXPECT_EQ(MidToneGammaPosition(164, 56, 256), 100);
}

TEST(AutoCorrectA, UniformImageBelowWhiteTurnsBlack) {
  DibHandle h = Uniform24(4, 3, Bgr{90, 90, 90});
  TMDIB d(h.get());
  AutoCorrectA(d, AutoCorrectSettings{});
  EXPECT_EQ(Get(d, 3, 2), (Bgr{0, 0, 0}));
}

TEST(AutoCorrectA, WhiteImageStays) {
  DibHandle h = Uniform24(4, 3, Bgr{255, 255, 255});
  TMDIB d(h.get());
  AutoCorrectA(d, AutoCorrectSettings{});
  EXPECT_EQ(Get(d, 0, 0), (Bgr{255, 255, 255}));
}

TEST(AutoCorrectA, StretchesTheAverageBetweenItsEnds) {
  DibHandle h = GreyMix({{10, 3}, {100, 990}, {120, 4}, {151, 3}});
  TMDIB d(h.get());
  AutoCorrectA(d, AutoCorrectSettings{}); // threshold 3: 100 ... 151, scale 5
  EXPECT_EQ(Get(d, 0, 0), (Bgr{0, 0, 0}));
  EXPECT_EQ(Get(d, 3, 0), (Bgr{0, 0, 0}));
  EXPECT_EQ(Get(d, 3, 99), (Bgr{100, 100, 100}));
  EXPECT_EQ(Get(d, 9, 99), (Bgr{255, 255, 255}));
}

TEST(AutoCorrectA, GammaAndColourFollowWhenSet) {
  DibHandle h = GreyMix({{10, 3}, {100, 990}, {120, 4}, {151, 3}});
  TMDIB d(h.get());
  AutoCorrectSettings s;
  s.gammaOn = true;
  s.gamma = 300; // 100 -> 255 x (100 / 255)^(1/3) = 186.8
  AutoCorrectA(d, s);
  EXPECT_EQ(Get(d, 3, 99), (Bgr{186, 186, 186}));
  s.gammaOn = false;
  s.colourOn = true;
  s.red = 20; // kept luminance: red +20, green and blue -10
  AutoCorrectA(d, s);
  const Bgr c = Get(d, 3, 99);
  EXPECT_GT(c[2], c[1]);
  EXPECT_EQ(c[0], c[1]);
}

TEST(AutoCorrectA, GammaAndColourAreHeldAsTheDialogsSlidersHoldThem) {
  // Out-of-range settings reach the image as the slider ends they become.
  auto corrected = [](AutoCorrectSettings s) {
    DibHandle h = GreyMix({{10, 3}, {100, 990}, {120, 4}, {151, 3}});
    {
      TMDIB d(h.get());
      AutoCorrectA(d, s);
    }
    const TMDIB d(h.get());
    return PixelBytes(d);
  };
  AutoCorrectSettings wild, held;
  wild.gammaOn = held.gammaOn = true;
  wild.colourOn = held.colourOn = true;
  wild.gamma = 400;
  held.gamma = kGammaMax;
  wild.red = 90;
  held.red = kRgbMax;
  wild.blue = -70;
  held.blue = kRgbMin;
  EXPECT_EQ(corrected(wild), corrected(held));
  wild.gamma = 0; // not "no gamma": the slider's lowest position
  held.gamma = kGammaMin;
  EXPECT_EQ(corrected(wild), corrected(held));
  held.gamma = 100;
  EXPECT_NE(corrected(wild), corrected(held));
}

TEST(AutoCorrectB, UniformImagesStay) {
  for (int v : {0, 90, 254, 255}) {
    DibHandle h = Uniform24(4, 3, Bgr{v, v, v});
    TMDIB d(h.get());
    AutoCorrectB(d, AutoCorrectSettings{});
    EXPECT_EQ(Get(d, 1, 1), (Bgr{v, v, v})) << v;
  }
}

TEST(AutoCorrectB, EachChannelByItsOwnRangeReadBackFromTheBand) {
  // Red: 3 at 10, 989 at 100, 1 at 101, 4 at 118, 3 at 200. With 4 per
  // mille the range is 100 ... 118, read back as 100 ... 117 (scale 15).
  std::vector<int> red;
  for (auto [level, count] : {std::pair{10, 3}, {100, 989}, {101, 1}, {118, 4}, {200, 3}})
    red.insert(red.end(), static_cast<size_t>(count), level);
  DibHandle h = Make24(10, 100, [&](int x, int y) {
    return Bgr{50, 60, red[static_cast<size_t>(y * 10 + x)]};
  });
  TMDIB d(h.get());
  CheckingProgress progress;
  AutoCorrectB(d, AutoCorrectSettings{}, &progress);
  EXPECT_EQ(progress.steps, 300);
  EXPECT_EQ(Get(d, 0, 0), (Bgr{50, 60, 0}));
  EXPECT_EQ(Get(d, 3, 0), (Bgr{50, 60, 0}));
  EXPECT_EQ(Get(d, 2, 99), (Bgr{50, 60, 15}));  // 101
  EXPECT_EQ(Get(d, 3, 99), (Bgr{50, 60, 255})); // 118
  EXPECT_EQ(Get(d, 9, 99), (Bgr{50, 60, 255})); // 200
}

class AutoCorrectFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/adjust-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    for (const std::string &f : files_)
      std::remove(f.c_str());
    rmdir(dir_.c_str());
  }
  std::string Path(const std::string &name) {
    files_.push_back(dir_ + "/" + name);
    return files_.back();
  }
  std::string WriteBmp(const std::string &name, IMGHANDLE image) {
    const std::string p = Path(name);
    EXPECT_NE(Kit.ImgKitBmpFileSave(p.c_str(), image, "", "", 0), 0);
    return p;
  }
  DibHandle Load(const std::string &p) { return DibHandle(Kit.ImgKitFileLoad(p.c_str(), "", "")); }

private:
  std::string dir_;
  std::vector<std::string> files_;
};

TEST_F(AutoCorrectFileTest, UniformImagesHaveNoFallback) {
  // Unlike the dialogs, B applies v ... v + 1 as found: black.
  DibHandle grey = Uniform24(3, 2, Bgr{90, 90, 90});
  const std::string in = WriteBmp("grey.bmp", grey.get());
  for (BatchCorrection kind : {BatchCorrection::A, BatchCorrection::B}) {
    const std::string out = Path(kind == BatchCorrection::A ? "a.BMP" : "b.tif");
    ASSERT_TRUE(AutoCorrectFile(in, out, kind, 3, 90));
    DibHandle result = Load(out);
    ASSERT_TRUE(result);
    TMDIB d(result.get());
    EXPECT_EQ(Get(d, 2, 1), (Bgr{0, 0, 0}));
  }
}

TEST_F(AutoCorrectFileTest, WhiteFindsNoHighAndStays) {
  DibHandle white = Uniform24(3, 2, Bgr{255, 255, 255});
  const std::string in = WriteBmp("white.bmp", white.get());
  const std::string out = Path("w.bmp");
  ASSERT_TRUE(AutoCorrectFile(in, out, BatchCorrection::A, 3, 90));
  DibHandle result = Load(out);
  ASSERT_TRUE(result);
  TMDIB d(result.get());
  EXPECT_EQ(Get(d, 0, 0), (Bgr{255, 255, 255}));
}

TEST_F(AutoCorrectFileTest, StretchesLikeTheDialog) {
  DibHandle mix = GreyMix({{10, 3}, {100, 990}, {120, 4}, {151, 3}});
  const std::string in = WriteBmp("mix.bmp", mix.get());
  const std::string out = Path("mix-out.bmp");
  ASSERT_TRUE(AutoCorrectFile(in, out, BatchCorrection::A, 3, 90));
  DibHandle result = Load(out);
  ASSERT_TRUE(result);
  TMDIB d(result.get());
  EXPECT_EQ(Get(d, 3, 99), (Bgr{100, 100, 100}));
  const std::string jpeg = Path("mix-out.jpeg");
  EXPECT_TRUE(AutoCorrectFile(in, jpeg, BatchCorrection::B, 4, 80));
  EXPECT_TRUE(Load(jpeg));
}

TEST_F(AutoCorrectFileTest, RegisteredBatchCorrectionsGiveTheFilesPixels) {
  DibHandle mix = GreyMix({{10, 3}, {100, 990}, {120, 4}, {151, 3}});
  const std::string in = WriteBmp("mix2.bmp", mix.get());
  for (const auto &[name, kind] : {std::pair{"BatchCorrectionA", BatchCorrection::A},
                                   std::pair{"BatchCorrectionB", BatchCorrection::B}}) {
    const std::string out = Path(std::string(name) + ".bmp");
    ASSERT_TRUE(AutoCorrectFile(in, out, kind, 3, 90));
    DibHandle file = Load(out);
    DibHandle routine = Load(in);
    std::string why;
    ASSERT_TRUE(RunRoutine(*FindRoutine(name), routine, {3}, &why)) << why;
    const TMDIB a(file.get()), b(routine.get());
    ASSERT_EQ(a.height, b.height);
    for (int y = 0; y < a.height; ++y)
      ASSERT_EQ(0, std::memcmp(a.Row(y), b.Row(y), size_t(a.width) * 3)) << name << " row " << y;
  }
}

TEST_F(AutoCorrectFileTest, RefusesUnknownKindsAndMissingFiles) {
  DibHandle grey = Uniform24(3, 2, Bgr{90, 90, 90});
  const std::string in = WriteBmp("g.bmp", grey.get());
  const std::string png = Path("out.png");
  EXPECT_FALSE(AutoCorrectFile(in, png, BatchCorrection::A, 3, 90));
  EXPECT_NE(access(png.c_str(), F_OK), 0);
  EXPECT_FALSE(AutoCorrectFile(Path("missing.bmp"), Path("o.bmp"), BatchCorrection::A, 3, 90));
  EXPECT_FALSE(AutoCorrectFile(in, Path("no-folder/o.bmp"), BatchCorrection::B, 3, 90));
}
