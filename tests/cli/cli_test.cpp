// velmir-cli as scripts see it: the real executable from the build folder,
// run on small BMP files written here byte by byte; results are checked by
// loading them through the kit in this process.
#include "adjust/Fresize.h"
#include "adjust/Sepia.h"
#include "effects/Painting.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Kit.h"
#include "routines/AllRoutines.h"

#include "exif_util.h"

#include <QColorSpace>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string Quote(const std::string &s) {
  std::string q = "'";
  for (char c : s)
    q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class Cli : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LoadImagingKit(); }

  void SetUp() override {
    char tmpl[] = "/tmp/velmir-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::system(("rm -rf " + Quote(dir_)).c_str()); }

  std::string Path(const std::string &name) const { return dir_ + "/" + name; }

  RunResult Run(const std::vector<std::string> &args) const {
    std::string cmd = env_ + Quote(ProgramFolder() + "/velmir-cli");
    for (const std::string &a : args) {
      // Appended piece by piece: g++ 12 at -O3 warns wrongly about " " + string.
      cmd += ' ';
      cmd += Quote(a);
    }
    cmd += " >" + Quote(Path("stdout.txt")) + " 2>" + Quote(Path("stderr.txt"));
    const int status = std::system(cmd.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(Path("stdout.txt"));
    r.err = ReadAll(Path("stderr.txt"));
    return r;
  }

  std::string dir_;
  std::string env_; // variables put before the command
};

// A BMP file of `bits` per pixel; `value(x, y)` (y = 0 at the top) is a
// palette index, or 0xRRGGBB at 24 and 32 bits.
void WriteBmp(const std::string &path, int width, int height, int bits,
              const std::vector<uint32_t> &palette,
              const std::function<uint32_t(int, int)> &value) {
  const uint32_t stride = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
  const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
  const uint32_t size = offset + stride * static_cast<uint32_t>(height);
  std::vector<uint8_t> b(size, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, static_cast<uint32_t>(bits));
  put32(34, stride * static_cast<uint32_t>(height));
  put32(46, static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i)
    put32(54 + 4 * i, palette[i]);
  for (int y = 0; y < height; ++y) {
    uint8_t *row = b.data() + offset + stride * static_cast<uint32_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = value(x, y);
      if (bits >= 24) {
        const int bytes = bits / 8;
        row[bytes * x] = static_cast<uint8_t>(v);
        row[bytes * x + 1] = static_cast<uint8_t>(v >> 8);
        row[bytes * x + 2] = static_cast<uint8_t>(v >> 16);
      } else {
        const int perByte = 8 / bits;
        const int shift = 8 - bits * (x % perByte + 1);
        row[x / perByte] |= static_cast<uint8_t>(v << shift);
      }
    }
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Distinct colours, not grey, so that a reader cannot mistake the table for
// a grey ramp.
std::vector<uint32_t> Palette(int bits) {
  std::vector<uint32_t> p;
  for (int i = 0; i < (1 << bits); ++i)
    p.push_back(static_cast<uint32_t>((i * 37 + 11) % 256) << 16 |
                static_cast<uint32_t>((i * 91 + 3) % 256) << 8 |
                static_cast<uint32_t>((255 - i * 13) & 0xFF));
  return p;
}

uint32_t Pattern(int bits, int x, int y) {
  if (bits == 24)
    return static_cast<uint32_t>((x * 29 + y * 7) % 256) << 16 |
           static_cast<uint32_t>((x * 3 + y * 51) % 256) << 8 |
           static_cast<uint32_t>((x * y * 17 + 5) % 256);
  return static_cast<uint32_t>(x * 5 + y * 3) % (1u << bits);
}

struct Loaded {
  IMGHANDLE h = nullptr;
  explicit Loaded(const std::string &path) : h(Kit.ImgKitFileLoad(path.c_str(), "", "")) {}
  Loaded(const Loaded &) = delete;
  Loaded &operator=(const Loaded &) = delete;
  ~Loaded() { Kit.ImgKitMemFree(h); }
  const IMGKIT_BMIH &Header() const { return *static_cast<const IMGKIT_BMIH *>(h); }
  // 0xRRGGBB of the pixel at (x, y), y = 0 at the top.
  uint32_t Colour(int x, int y) const {
    const IMGKIT_BMIH &hd = Header();
    const int bits = hd.biBitCount;
    const auto *base = static_cast<const uint8_t *>(h);
    uint32_t colours = 0;
    if (bits <= 8) colours = hd.biClrUsed ? hd.biClrUsed : (1u << bits);
    const uint8_t *table = base + 40;
    const uint32_t stride = ((static_cast<uint32_t>(hd.biWidth) * bits + 31) / 32) * 4;
    const uint8_t *row = table + 4 * colours + stride * static_cast<uint32_t>(hd.biHeight - 1 - y);
    const uint8_t *bgr = row + 3 * x;
    if (bits <= 8) {
      const int perByte = 8 / bits;
      const uint32_t index =
          (row[x / perByte] >> (8 - bits * (x % perByte + 1))) & ((1u << bits) - 1);
      if (index >= colours) return 0xFF000000; // never a real colour
      bgr = table + 4 * index;
    }
    return static_cast<uint32_t>(bgr[2]) << 16 | static_cast<uint32_t>(bgr[1]) << 8 | bgr[0];
  }
};

uint32_t Expected(int bits, int x, int y) {
  const uint32_t v = Pattern(bits, x, y);
  return bits == 24 ? v : Palette(bits)[v];
}

TEST_F(Cli, ConvertRoundTripsThroughTiffWithoutLoss) {
  for (int bits : {1, 4, 8, 24}) {
    for (int width = 1; width <= 9; ++width) {
      SCOPED_TRACE("bits " + std::to_string(bits) + " width " + std::to_string(width));
      const int height = 3;
      WriteBmp(Path("in.bmp"), width, height, bits,
               bits == 24 ? std::vector<uint32_t>{} : Palette(bits),
               [&](int x, int y) { return Pattern(bits, x, y); });
      ASSERT_EQ(Run({"convert", Path("in.bmp"), Path("mid.tif")}).exitCode, 0);
      ASSERT_EQ(Run({"convert", Path("mid.tif"), Path("out.BMP")}).exitCode, 0);
      Loaded out(Path("out.BMP"));
      ASSERT_NE(out.h, nullptr);
      EXPECT_EQ(out.Header().biBitCount, bits);
      ASSERT_EQ(out.Header().biWidth, width);
      ASSERT_EQ(out.Header().biHeight, height);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(out.Colour(x, y), Expected(bits, x, y)) << "at " << x << "," << y;
    }
  }
}

TEST_F(Cli, ConvertWritesJpegByExtension) {
  WriteBmp(Path("in.bmp"), 16, 8, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  ASSERT_EQ(Run({"convert", Path("in.bmp"), Path("out.JPEG"), "--quality", "95"}).exitCode, 0);
  IMGKIT_FILEINFO info{};
  ASSERT_NE(Kit.ImgKitFileType(Path("out.JPEG").c_str(), &info), 0);
  EXPECT_EQ(info.format, IMGKIT_FORMAT_JPEG);
  EXPECT_EQ(info.width, 16);
  EXPECT_EQ(info.height, 8);
}

TEST_F(Cli, InfoPrintsSizeDepthAndKind) {
  struct Case {
    int bits, width, height;
    std::vector<uint32_t> palette;
    int kind;
  };
  std::vector<uint32_t> grey8;
  for (uint32_t i = 0; i < 256; ++i)
    grey8.push_back(i * 0x010101u);
  const std::vector<Case> cases = {
      {1, 9, 2, {0x000000, 0xFFFFFF}, IMGKIT_KIND_MONO},
      {4, 5, 7, Palette(4), IMGKIT_KIND_COLOUR4},
      {8, 3, 4, grey8, IMGKIT_KIND_GREY8},
      {8, 6, 1, Palette(8), IMGKIT_KIND_COLOUR8},
      {24, 7, 3, {}, IMGKIT_KIND_RGB24},
  };
  for (const Case &c : cases) {
    WriteBmp(Path("i.bmp"), c.width, c.height, c.bits, c.palette,
             [&](int x, int y) { return Pattern(c.bits, x, y); });
    const RunResult r = Run({"info", Path("i.bmp")});
    EXPECT_EQ(r.exitCode, 0);
    std::ostringstream want;
    want << "width=" << c.width << " height=" << c.height << " bits=" << c.bits
         << " kind=" << c.kind << "\n";
    EXPECT_EQ(r.out, want.str());
  }
}

TEST_F(Cli, ThirtyTwoBitImagesOpenAs24Bit) {
  WriteBmp(Path("in32.bmp"), 5, 3, 32, {}, [](int x, int y) { return Pattern(24, x, y); });
  const RunResult r = Run({"info", Path("in32.bmp")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "width=5 height=3 bits=24 kind=5\n");
  ASSERT_EQ(Run({"convert", Path("in32.bmp"), Path("out.bmp")}).exitCode, 0);
  Loaded out(Path("out.bmp"));
  ASSERT_NE(out.h, nullptr);
  ASSERT_EQ(out.Header().biBitCount, 24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(out.Colour(x, y), Pattern(24, x, y));
}

TEST_F(Cli, IncompleteKitExitsWithThree) {
  // A lone copy of the tool finds no kit libraries beside it.
  const std::string lone = Path("velmir-cli");
  ASSERT_EQ(
      std::system(("cp " + Quote(ProgramFolder() + "/velmir-cli") + " " + Quote(lone)).c_str()), 0);
  WriteBmp(Path("in.bmp"), 2, 2, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  // The exit code is the point here: under the sanitizers, the lone copy's
  // leak check (whose libraries stay half loaded) is left out.
  const std::string cmd = "ASAN_OPTIONS=detect_leaks=0 " + Quote(lone) + " info " +
                          Quote(Path("in.bmp")) + " 2>" + Quote(Path("stderr.txt")) + " >/dev/null";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_NE(ReadAll(Path("stderr.txt")).find("libimgetc3.so"), std::string::npos);
}

TEST_F(Cli, RunsWithoutTheScanningLibrary) {
  // A copy of the tool beside every kit library but the scanning one, as on
  // a machine without SANE.
  const std::string lone = Path("velmir-cli");
  std::string cmd = "cp " + Quote(ProgramFolder() + "/velmir-cli") + " " + Quote(lone);
  for (const char *lib : kKitLibraries)
    if (std::string(lib) != "imgscan3") {
      cmd += " && ln -s " + Quote(ProgramFolder() + "/lib" + lib + ".so");
      cmd += " " + Quote(Path(std::string("lib") + lib + ".so"));
    }
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  WriteBmp(Path("in.bmp"), 3, 2, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  const int status = std::system((Quote(lone) + " info " + Quote(Path("in.bmp")) + " >" +
                                  Quote(Path("stdout.txt")) + " 2>/dev/null")
                                     .c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadAll(Path("stdout.txt")), "width=3 height=2 bits=24 kind=5\n");
}

TEST_F(Cli, OpRotationRightTurnsTheCornersClockwise) {
  // 4 wide, 3 high: after a right turn 3 wide, 4 high; the top-left corner
  // goes to the top right and the bottom-left corner to the top left.
  WriteBmp(Path("in.bmp"), 4, 3, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  const RunResult r = Run({"op", "ImgKitRotation", "2", Path("in.bmp"), Path("out.bmp")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Loaded out(Path("out.bmp"));
  ASSERT_NE(out.h, nullptr);
  ASSERT_EQ(out.Header().biWidth, 3);
  ASSERT_EQ(out.Header().biHeight, 4);
  EXPECT_EQ(out.Colour(2, 0), Pattern(24, 0, 0));
  EXPECT_EQ(out.Colour(0, 0), Pattern(24, 0, 2));
  EXPECT_EQ(out.Colour(0, 3), Pattern(24, 3, 2));
}

TEST_F(Cli, OpNamesIgnoreLetterCaseAndTakeParametersInOrder) {
  WriteBmp(Path("in.bmp"), 9, 7, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  ASSERT_EQ(
      Run({"op", "imgkitrectcut", "2", "1", "5", "3", Path("in.bmp"), Path("cut.tif")}).exitCode,
      0);
  Loaded cut(Path("cut.tif"));
  ASSERT_NE(cut.h, nullptr);
  ASSERT_EQ(cut.Header().biWidth, 4);
  ASSERT_EQ(cut.Header().biHeight, 3);
  EXPECT_EQ(cut.Colour(0, 0), Pattern(24, 2, 1));
  EXPECT_EQ(cut.Colour(3, 2), Pattern(24, 5, 3));

  ASSERT_EQ(
      Run({"op", "ImgKitConvertColor", "8", "1", "0", Path("in.bmp"), Path("c.bmp")}).exitCode, 0);
  Loaded c(Path("c.bmp"));
  ASSERT_NE(c.h, nullptr);
  EXPECT_EQ(c.Header().biBitCount, 8);
}

// Every row's pixel bytes, padding left out.
std::vector<uint8_t> Rows(IMGHANDLE h) {
  const TMDIB d(h);
  std::vector<uint8_t> out;
  for (int y = 0; y < d.height; ++y)
    out.insert(out.end(), d.Row(y), d.Row(y) + 3 * d.width);
  return out;
}

TEST_F(Cli, OpResizeImageAndSepiaGiveWhatTheRoutinesGive) {
  WriteBmp(Path("in.bmp"), 9, 7, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  for (int method = 0; method < 3; ++method) {
    const std::string out = Path("r" + std::to_string(method) + ".bmp");
    const RunResult r =
        Run({"op", "ResizeImage", "5", "11", std::to_string(method), Path("in.bmp"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    DibHandle expected(Kit.ImgKitFileLoad(Path("in.bmp").c_str(), "", ""));
    ASSERT_TRUE(ResizeImage(expected, 5, 11, static_cast<ResizeMethod>(method)));
    Loaded got(out);
    ASSERT_NE(got.h, nullptr);
    EXPECT_EQ(Rows(got.h), Rows(expected.get())) << method;
  }
  ASSERT_EQ(Run({"op", "sepia", Path("in.bmp"), Path("s.bmp")}).exitCode, 0);
  DibHandle expected(Kit.ImgKitFileLoad(Path("in.bmp").c_str(), "", ""));
  ASSERT_TRUE(Sepia(expected));
  Loaded got(Path("s.bmp"));
  ASSERT_NE(got.h, nullptr);
  EXPECT_EQ(Rows(got.h), Rows(expected.get()));
  // A method past the last is bad usage, and nothing is written.
  EXPECT_EQ(Run({"op", "ResizeImage", "5", "11", "3", Path("in.bmp"), Path("x.bmp")}).exitCode, 2);
  EXPECT_NE(access(Path("x.bmp").c_str(), F_OK), 0);
}

TEST_F(Cli, OpLeavesOptionalParametersOutFromTheEnd) {
  WriteBmp(Path("in.bmp"), 17, 13, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  const std::string in = Path("in.bmp");
  // The seed of the random effects is optional and 1 when left out.
  RunResult r = Run({"op", "WhiteSpot", "5", "3", in, Path("white.bmp")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_EQ(Run({"op", "DustSpot", "5", "3", in, Path("dust.bmp")}).exitCode, 0);
  ASSERT_EQ(Run({"op", "DustSpot", "5", "3", "1", in, Path("dust1.bmp")}).exitCode, 0);
  ASSERT_EQ(Run({"op", "dustspot", "5", "3", "4000000000", in, Path("dust2.bmp")}).exitCode, 0);
  Loaded dust(Path("dust.bmp")), dust1(Path("dust1.bmp")), dust2(Path("dust2.bmp"));
  ASSERT_NE(dust.h, nullptr);
  EXPECT_EQ(Rows(dust.h), Rows(dust1.h));
  EXPECT_NE(Rows(dust.h), Rows(dust2.h));
  // What the routine gives in this process.
  DibHandle expected(Kit.ImgKitFileLoad(in.c_str(), "", ""));
  ASSERT_TRUE(RunRoutine(*FindRoutine("DustSpot"), expected, {5, 3, 4000000000.0}));
  EXPECT_EQ(Rows(dust2.h), Rows(expected.get()));
  // Fewer than the required ones, more than all, a seed out of range.
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"op", "DustSpot", "5", in, Path("x.bmp")},
        {"op", "DustSpot", "5", "3", "1", "1", in, Path("x.bmp")},
        {"op", "DustSpot", "5", "3", "-1", in, Path("x.bmp")},
        {"op", "DustSpot", "5", "3", "4294967296", in, Path("x.bmp")}}) {
    r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args.size();
  }
  EXPECT_NE(Run({"op", "DustSpot", "5", in, Path("x.bmp")}).err.find("takes 2 to 3 parameter(s)"),
            std::string::npos);
  EXPECT_NE(access(Path("x.bmp").c_str(), F_OK), 0);
  // The list marks the optional parameter with its value.
  EXPECT_NE(Run({"op", "--list"})
                .out.find("WhiteSpot diameter:int[3..7] strength:int[1..5] "
                          "seed:int[0..4294967295]=1"),
            std::string::npos);
}

TEST_F(Cli, OpBlendImagesReadsTheBaseAfterTheTop) {
  WriteBmp(Path("top.bmp"), 6, 4, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  WriteBmp(Path("base.bmp"), 6, 4, 24, {}, [](int x, int y) { return Pattern(24, y, x); });
  for (int mode : {0, 1, 6, 9}) {
    const std::string out = Path("b" + std::to_string(mode) + ".bmp");
    const RunResult r = Run(
        {"op", "BlendImages", std::to_string(mode), "40", Path("top.bmp"), Path("base.bmp"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    DibHandle top(Kit.ImgKitFileLoad(Path("top.bmp").c_str(), "", ""));
    const DibHandle base(Kit.ImgKitFileLoad(Path("base.bmp").c_str(), "", ""));
    std::string why;
    ASSERT_TRUE(
        RunRoutine(*FindRoutine("BlendImages"), top, {double(mode), 40}, {base.get()}, &why))
        << why;
    Loaded got(out);
    ASSERT_NE(got.h, nullptr);
    EXPECT_EQ(Rows(got.h), Rows(top.get())) << mode;
  }
  // Without the base file the output name is taken for it: bad usage.
  EXPECT_EQ(Run({"op", "BlendImages", "0", "40", Path("top.bmp"), Path("x.bmp")}).exitCode, 2);
  EXPECT_EQ(Run({"op", "BlendImages", "0", "40", Path("top.bmp"), Path("none.bmp"), Path("x.bmp")})
                .exitCode,
            1);
  EXPECT_NE(access(Path("x.bmp").c_str(), F_OK), 0);
  EXPECT_NE(
      Run({"op", "--list"}).out.find("BlendImages mode:int[0..9] weight:int[0..100] base:image"),
      std::string::npos);
}

TEST_F(Cli, PaintRunsTheChainsWithThePagesControls) {
  WriteBmp(Path("in.bmp"), 9, 7, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  const DibHandle source(Kit.ImgKitFileLoad(Path("in.bmp").c_str(), "", ""));
  struct Case {
    std::vector<std::string> options;
    PaintMethod method;
    PaintControls controls;
  };
  PaintControls one = PaintDefaults(PaintMethod::Method1);
  PaintControls four = PaintDefaults(PaintMethod::Method4);
  four.brush = 4, four.colour = 0, four.black = 20, four.relief = 10, four.pen = ppBlack;
  PaintControls seven = PaintDefaults(PaintMethod::Method7);
  seven.colour = 10, seven.black = 3, seven.relief = 5;
  PaintControls line = PaintDefaults(PaintMethod::Line);
  line.edge = 10, line.pen = ppBlack;
  const Case cases[] = {
      {{"1"}, PaintMethod::Method1, one},
      {{"4", "--brush", "4", "--colour", "0", "--black", "20", "--relief", "10", "--pen", "black"},
       PaintMethod::Method4,
       four},
      {{"7", "--colour", "10", "--black", "3", "--relief", "5"}, PaintMethod::Method7, seven},
      {{"line", "--edge", "10", "--pen", "black"}, PaintMethod::Line, line},
  };
  for (const Case &c : cases) {
    std::vector<std::string> args = {"paint"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(Path("in.bmp"));
    args.push_back(Path("out.bmp"));
    const RunResult r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << c.options[0] << ": " << r.err;
    const int n = PaintStepCount(c.method);
    EXPECT_NE(r.err.find("step " + std::to_string(n) + " of " + std::to_string(n)),
              std::string::npos)
        << r.err;
    const DibHandle want = PaintPicture(source.get(), c.method, c.controls);
    Loaded got(Path("out.bmp"));
    ASSERT_NE(got.h, nullptr);
    EXPECT_EQ(Rows(got.h), Rows(want.get())) << c.options[0];
  }
  // Out of range, not read by the method, unknown methods and pens: bad
  // usage, nothing written.
  for (const std::vector<std::string> &bad :
       std::vector<std::vector<std::string>>{{"3", "--colour", "11"},
                                             {"1", "--brush", "3"},
                                             {"2", "--brush", "5"},
                                             {"line", "--relief", "7"},
                                             {"9"},
                                             {"1", "--pen", "red"},
                                             {"1", "--black", "x"}}) {
    std::vector<std::string> args = {"paint"};
    args.insert(args.end(), bad.begin(), bad.end());
    args.push_back(Path("in.bmp"));
    args.push_back(Path("bad.bmp"));
    EXPECT_EQ(Run(args).exitCode, 2) << bad[0] << " " << (bad.size() > 1 ? bad[1] : "");
  }
  EXPECT_NE(access(Path("bad.bmp").c_str(), F_OK), 0);
}

TEST_F(Cli, OpListShowsEveryKitRoutine) {
  const RunResult r = Run({"op", "--list"});
  ASSERT_EQ(r.exitCode, 0);
  std::map<std::string, int> firstWords;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);)
    ++firstWords[line.substr(0, line.find(' '))];
  for (const char *name :
       {"ImgKitCopy", "ImgKitRectCut", "ImgKitImageSize", "ImgKitRotation", "ImgKitConvertColor",
        "ImgKitSetGray", "ImgKitEmboss", "ImgKitColorReverse", "ImgKitFilter", "ImgKitMosaic",
        "ImgKitBright", "ImgKitRGB"})
    EXPECT_EQ(firstWords[name], 1) << name;
  EXPECT_NE(r.out.find("ImgKitMosaic blockSize:int[2..16]"), std::string::npos);
}

TEST_F(Cli, MissingInputIsAReadFailure) {
  const RunResult r = Run({"convert", Path("none.bmp"), Path("out.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(
      r.err.find("velmir-cli: cannot read " + Path("none.bmp") + ": 読込めないデータ形式です"),
      std::string::npos)
      << r.err;
  EXPECT_NE(access(Path("out.bmp").c_str(), F_OK), 0);
}

TEST_F(Cli, GarbageInputIsAReadFailure) {
  std::ofstream(Path("junk.bmp")) << "BM not really a bitmap";
  EXPECT_EQ(Run({"info", Path("junk.bmp")}).exitCode, 1);
  EXPECT_EQ(Run({"op", "ImgKitEmboss", Path("junk.bmp"), Path("o.bmp")}).exitCode, 1);
}

TEST_F(Cli, UnwritableOutputIsAWriteFailure) {
  WriteBmp(Path("in.bmp"), 2, 2, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  const RunResult r = Run({"convert", Path("in.bmp"), Path("no/such/folder/out.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("ファイルを保存できません"), std::string::npos) << r.err;
}

TEST_F(Cli, BadUsageExitsWithTwoAndWritesNothing) {
  WriteBmp(Path("in.bmp"), 2, 2, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  const std::string in = Path("in.bmp");
  const std::string out = Path("out.bmp");
  const std::vector<std::vector<std::string>> cases = {
      {"op", "ImgKitRotation", "two", in, out},             // text for a number
      {"op", "ImgKitRotation", "2x", in, out},              // trailing text
      {"op", "ImgKitRotation", "", in, out},                // empty number
      {"op", "ImgKitRotation", "1.5", in, out},             // fraction for a whole number
      {"op", "ImgKitRotation", "5", in, out},               // out of range
      {"op", "ImgKitConvertColor", "2", "0", "0", in, out}, // not one of the depths
      {"op", "ImgKitBright", "0.5x", in, out},
      {"op", "ImgKitBright", "nan", in, out},
      {"op", "ImgKitNoSuchThing", in, out}, // unknown routine
      {"op", "ImgKitRotation", in, out},    // parameter missing
      {"op", "ImgKitEmboss", "1", in, out}, // one too many
      {"convert", in, Path("out.png")},     // unknown extension
      {"convert", in, Path("out")},         // no extension
      {"op", "ImgKitEmboss", in, Path("out.gif")},
      {"convert", in, out, "--quality", "high"},
      {"convert", in, out, "--quality", "0"},
      {"convert", in},
      {"frobnicate", in, out},
  };
  for (const auto &args : cases) {
    std::string joined;
    for (const std::string &a : args)
      joined += a + " ";
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << joined;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << joined;
    EXPECT_NE(access(out.c_str(), F_OK), 0) << joined;
  }
}

TEST_F(Cli, FilesTheKitRefusesAreReadThroughThePlugins) {
  // Made by ImageMagick, read by the plug-ins shipped beside the tool.
  ASSERT_EQ(std::system(("convert -size 4x3 'xc:#102030' " + Quote("png:" + Path("in.png")) +
                         " && convert -size 2x5 xc:red " + Quote(Path("in.gif")))
                            .c_str()),
            0);
  RunResult r = Run({"info", Path("in.png")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "width=4 height=3 bits=24 kind=5\n");
  r = Run({"info", Path("in.gif")});
  EXPECT_EQ(r.out, "width=2 height=5 bits=24 kind=5\n");

  ASSERT_EQ(Run({"convert", Path("in.png"), Path("out.bmp")}).exitCode, 0);
  {
    Loaded out(Path("out.bmp"));
    ASSERT_NE(out.h, nullptr);
    EXPECT_EQ(out.Header().biBitCount, 24);
    EXPECT_EQ(out.Colour(3, 2), 0x102030u);
  }
  ASSERT_EQ(Run({"op", "ImgKitColorReverse", Path("in.gif"), Path("rev.bmp")}).exitCode, 0);
  Loaded reversed(Path("rev.bmp"));
  ASSERT_NE(reversed.h, nullptr);
  EXPECT_EQ(reversed.Colour(1, 4), 0x00FFFFu);
}

TEST_F(Cli, PluginFolderOptionNamesWhereThePluginsAre) {
  ASSERT_EQ(std::system(("convert -size 4x3 xc:blue " + Quote("png:" + Path("in.png"))).c_str()),
            0);
  ASSERT_EQ(std::system(("mkdir " + Quote(Path("none"))).c_str()), 0);
  RunResult r = Run({"info", Path("in.png"), "--plugins", Path("none")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("読込めないデータ形式です"), std::string::npos) << r.err;
  r = Run({"convert", "--plugins", ProgramFolder(), Path("in.png"), Path("out.tif")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  for (const auto &args : std::vector<std::vector<std::string>>{
           {"info", Path("in.png"), "--plugins", Path("missing")},
           {"info", Path("in.png"), "--plugins"},
           {"convert", Path("in.png"), Path("o.bmp"), "--plugins", Path("in.png")}}) {
    r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_NE(r.err.find("--plugins"), std::string::npos) << r.err;
  }
  EXPECT_NE(access(Path("o.bmp").c_str(), F_OK), 0);
}

TEST_F(Cli, ThumbsRefreshesAFolderAndPrintsEveryStatus) {
  // Settings of this test only: the setup folder and one thumbnail per image.
  ASSERT_EQ(
      std::system(
          ("mkdir -p " + Quote(Path("config/Kzr/Velmir")) + " " + Quote(Path("images"))).c_str()),
      0);
  std::ofstream(Path("config/Kzr/Velmir/settings.reg"))
      << "[Software\\Kzr\\Velmir]\n\"SetupPath\"=\"" << Path("setup/")
      << "\"\n\n[Software\\Kzr\\Velmir\\Browser]\n\"ThumbSave\"=\"0\"\n";
  env_ = "XDG_CONFIG_HOME=" + Quote(Path("config")) + " ";
  WriteBmp(Path("images/a.bmp"), 40, 30, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  WriteBmp(Path("images/b.bmp"), 30, 40, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  std::ofstream(Path("images/c.bmp")) << "not a picture";

  RunResult r = Run({"thumbs", Path("images")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string done =
      "ファイルリストまたはサムネイルのダブルクリックでＶＥＬＭＩＲに読込みまたは全画面表示\n";
  const auto progress = [](int k) {
    return "サムネイル作成／読込中：全3 のうち " + std::to_string(k) +
           " を処理中・・・しばらくお待ちください\n";
  };
  EXPECT_EQ(r.out, "サムネイルをクリアします\n画像を検索します\n画像をソートします\n"
                   "更新の必要のあるサムネイルを調査します\n" +
                       progress(1) + progress(2) + progress(3) + done + "listed=2\n");
  {
    Loaded thumb(Path("images/a.sam"));
    ASSERT_NE(thumb.h, nullptr);
    EXPECT_EQ(thumb.Header().biWidth, 100);
    EXPECT_EQ(thumb.Header().biHeight, 75);
  }

  r = Run({"thumbs", "--archive", Path("images")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("サムネイルをアーカイブします\n" + done + "listed=2\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(access(Path("images/VelmirBrowse.KXA").c_str(), F_OK), 0);
  EXPECT_EQ(access(Path("setup/Samples/b.sam").c_str(), F_OK), 0);
  // The archive variant clears the per-image thumbnails of the folder.
  EXPECT_NE(access(Path("images/a.sam").c_str(), F_OK), 0);

  r = Run({"thumbs", Path("no-such-folder")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
  for (const auto &args :
       std::vector<std::vector<std::string>>{{"thumbs", Path("images"), "--archive", "--per-image"},
                                             {"thumbs"},
                                             {"thumbs", Path("images"), Path("images")}})
    EXPECT_EQ(Run(args).exitCode, 2) << args.back();
}

TEST_F(Cli, AJpegCutShortIsReadWithAWarning) {
  WriteBmp(Path("a.bmp"), 64, 48, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  ASSERT_EQ(Run({"convert", Path("a.bmp"), Path("a.jpg"), "--quality", "90"}).exitCode, 0);
  const std::string bytes = ReadAll(Path("a.jpg"));
  std::ofstream(Path("cut.jpg"), std::ios::binary) << bytes.substr(0, bytes.size() * 3 / 4);
  const RunResult r = Run({"convert", Path("cut.jpg"), Path("out.bmp")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("画像データの一部が壊れています。読み込めた部分を表示します。"),
            std::string::npos)
      << r.err;
  Loaded out(Path("out.bmp"));
  ASSERT_NE(out.h, nullptr);
  EXPECT_EQ(out.Header().biWidth, 64);
  // A sound file: no warning.
  EXPECT_EQ(Run({"convert", Path("a.jpg"), Path("b.bmp")}).err, "");
}

TEST_F(Cli, BatchWritesEachFileAndTellsWhichFailed) {
  ASSERT_EQ(std::system(("mkdir -p " + Quote(Path("config/Kzr/Velmir"))).c_str()), 0);
  std::ofstream(Path("config/Kzr/Velmir/settings.reg"))
      << "[Software\\Kzr\\Velmir]\n\"JpegQuality\"=\"20\"\n";
  env_ = "XDG_CONFIG_HOME=" + Quote(Path("config")) + " ";
  WriteBmp(Path("a.bmp"), 40, 30, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  WriteBmp(Path("b.bmp"), 30, 40, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  std::ofstream(Path("c.bmp")) << "not a picture";

  RunResult r = Run({"batch", "rotate", "--rotation", "1", "--out", Path("out"), Path("a.bmp"),
                     Path("c.bmp"), Path("b.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "written=2 failed=1\n");
  EXPECT_NE(r.err.find("[1/3] " + Path("a.bmp") + " -> " + Path("out/a.bmp") + "\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("[2/3] " + Path("c.bmp") + ": not written: 読込めないデータ形式です\n"),
            std::string::npos)
      << r.err;
  {
    // Anticlockwise: the top-left corner goes to the bottom-left.
    Loaded turned(Path("out/a.bmp"));
    ASSERT_NE(turned.h, nullptr);
    EXPECT_EQ(turned.Header().biWidth, 30);
    EXPECT_EQ(turned.Colour(0, 39), Pattern(24, 0, 0));
  }

  // By number too; the JPEG quality is the program's unless given.
  r = Run({"batch", "4", "--format", "jpg", "--out", Path("low"), Path("a.bmp")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  r = Run({"batch", "convert", "--quality", "95", "--out", Path("high"), Path("a.bmp")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_LT(ReadAll(Path("low/a.jpg")).size(), ReadAll(Path("high/a.jpg")).size());

  // The output folder is the sources' folder: nothing is written over them.
  const std::string before = ReadAll(Path("a.bmp"));
  r = Run({"batch", "gamma", "--out", dir_, Path("a.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(ReadAll(Path("a.bmp")), before);
}

TEST_F(Cli, BatchRefusesBadJobsAndOptionsBeforeWriting) {
  WriteBmp(Path("a.bmp"), 4, 4, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  env_ = "XDG_CONFIG_HOME=" + Quote(Path("config")) + " ";
  const std::vector<std::vector<std::string>> bad = {
      {"batch", "sharpen", "--out", Path("o"), Path("a.bmp")},
      {"batch", "gamma", Path("a.bmp")},
      {"batch", "gamma", "--out", Path("o")},
      {"batch", "gamma", "--amount", "4", "--out", Path("o"), Path("a.bmp")},
      {"batch", "rotate", "--amount", "1", "--out", Path("o"), Path("a.bmp")},
      {"batch", "colour", "--colour-width", "17", "--out", Path("o"), Path("a.bmp")},
      {"batch", "convert", "--format", "png", "--out", Path("o"), Path("a.bmp")},
      {"batch", "resize", "--rule", "3", "--out", Path("o"), Path("a.bmp")},
      {"batch", "gamma", "--blue", "--out", Path("o"), Path("a.bmp")},
      {"batch", "gamma", "--sharp", "--out", Path("o"), Path("a.bmp")},
  };
  for (const auto &args : bad) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args[1] << " " << args[2];
  }
  EXPECT_NE(Run(bad[7]).err.find("長辺の寸法を指定してください"), std::string::npos);
  EXPECT_NE(access(Path("o").c_str(), F_OK), 0);

  // An output "folder" that is a file.
  const RunResult r = Run({"batch", "gamma", "--out", Path("a.bmp"), Path("a.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("格納先フォルダーを作成できません"), std::string::npos) << r.err;
}

TEST_F(Cli, HelpGoesToStandardOutput) {
  const RunResult r = Run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("op --list"), std::string::npos);
  EXPECT_NE(r.out.find("--plugins DIR"), std::string::npos);
}

// A thumbnail archive entry as the format lays it out.
std::string ArchiveEntry(const std::string &name, const std::string &data) {
  const auto size = static_cast<uint32_t>(data.size());
  std::string bytes = name + '\0' + "2007/03/05" + "09:07:02";
  for (int i = 0; i < 4; ++i)
    bytes += static_cast<char>(size >> (8 * i) & 0xFF);
  return bytes + data;
}

long Written(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_mtime) : -1;
}

TEST_F(Cli, PackThenUnpackRestoresTheThumbnails) {
  ASSERT_EQ(mkdir(Path("src").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Path("dst").c_str(), 0755), 0);
  std::ofstream(Path("src/写真.sam"), std::ios::binary) << std::string(3000, 'j');
  std::ofstream(Path("src/b.SAM"), std::ios::binary) << "bee";
  std::ofstream(Path("src/c.jpg"), std::ios::binary) << "not a thumbnail";
  ASSERT_EQ(std::system(("touch -d '2007-03-05 09:07:02' " + Quote(Path("src/写真.sam"))).c_str()),
            0);
  RunResult r = Run({"pack", Path("thumbs.kxa"), Path("src")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0\n");
  EXPECT_EQ(ReadAll(Path("thumbs.kxa")).substr(0, 4), std::string("\2\0\0\0", 4));
  r = Run({"unpack", Path("thumbs.kxa"), Path("dst")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0\n");
  EXPECT_EQ(ReadAll(Path("dst/写真.sam")), std::string(3000, 'j'));
  EXPECT_EQ(ReadAll(Path("dst/b.SAM")), "bee");
  EXPECT_NE(access(Path("dst/c.jpg").c_str(), F_OK), 0);
  EXPECT_EQ(Written(Path("dst/写真.sam")), Written(Path("src/写真.sam")));
}

TEST_F(Cli, ArchiveResultsOtherThanZeroExitWithOne) {
  ASSERT_EQ(mkdir(Path("dst").c_str(), 0755), 0);
  RunResult r = Run({"pack", Path("no/such/folder/a.kxa"), Path("dst")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "1\n");
  r = Run({"unpack", Path("missing.kxa"), Path("dst")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "1\n");
  // Two entries declared, one present.
  std::ofstream(Path("short.kxa"), std::ios::binary)
      << std::string("\2\0\0\0", 4) + ArchiveEntry("a.sam", "one");
  r = Run({"unpack", Path("short.kxa"), Path("dst")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "-3\n");
  EXPECT_EQ(ReadAll(Path("dst/a.sam")), "one");
  const std::string entry = ArchiveEntry("b.sam", "two");
  std::ofstream(Path("cut.kxa"), std::ios::binary)
      << std::string("\1\0\0\0", 4) + entry.substr(0, entry.size() - 5);
  r = Run({"unpack", Path("cut.kxa"), Path("dst")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "-6\n");
  EXPECT_NE(access(Path("dst/b.sam").c_str(), F_OK), 0);
}

TEST_F(Cli, PackAndUnpackTakeAnArchiveAndAFolder) {
  for (const auto &args : std::vector<std::vector<std::string>>{
           {"pack", Path("a.kxa")}, {"unpack"}, {"unpack", Path("a.kxa"), Path("x"), Path("y")}}) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args.size();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("ARCHIVE and FOLDER"), std::string::npos) << r.err;
  }
  EXPECT_NE(access(Path("a.kxa").c_str(), F_OK), 0);
  const RunResult help = Run({"--help"});
  EXPECT_NE(help.out.find("pack ARCHIVE FOLDER"), std::string::npos);
  EXPECT_NE(help.out.find("unpack ARCHIVE FOLDER"), std::string::npos);
}

// The routine list in this process: the same list the tool runs.

TEST(Routines, FindIgnoresLetterCase) {
  ASSERT_NE(FindRoutine("imgkitmosaic"), nullptr);
  EXPECT_EQ(FindRoutine("IMGKITMOSAIC")->name, "ImgKitMosaic");
  EXPECT_EQ(FindRoutine("ImgKitMosaicc"), nullptr);
  EXPECT_EQ(FindRoutine(""), nullptr);
}

TEST(Routines, BadArgumentsNeverReachTheRoutine) {
  int calls = 0;
  const Routine probe{"Probe",
                      {{"count", "int", 2, 16},
                       {"bits", "int", 1, 24, {1, 4, 8, 24}},
                       {"factor", "double", -1.5, 1.5}},
                      "",
                      [&](DibHandle &, const std::vector<double> &) { return ++calls > 0; }};
  LoadImagingKit();
  DibHandle image(Kit.ImgKitMemAlloc(64));
  ASSERT_TRUE(image);
  const std::vector<std::vector<double>> bad = {
      {1, 8, 0},    {17, 8, 0},  {2.5, 8, 0}, {4, 2, 0},    {4, 8, 1.6},
      {4, 8, -1.6}, {4, 8, NAN}, {4, 8},      {4, 8, 0, 0}, {},
  };
  for (const auto &args : bad) {
    std::string error;
    EXPECT_FALSE(CheckRoutineArgs(probe, args).empty());
    EXPECT_FALSE(RunRoutine(probe, image, args, &error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(calls, 0);
  for (const auto &good :
       std::vector<std::vector<double>>{{2, 1, -1.5}, {16, 24, 1.5}, {7, 4, 0.25}})
    EXPECT_TRUE(RunRoutine(probe, image, good));
  EXPECT_EQ(calls, 3);
  // No image: refused before running.
  DibHandle none;
  EXPECT_FALSE(RunRoutine(probe, none, {4, 8, 0}));
  EXPECT_EQ(calls, 3);
}

TEST(Routines, OptionalParametersAreLeftOutFromTheEndOnly) {
  std::vector<std::vector<double>> seen;
  const Routine probe{"Probe",
                      {{"count", "int", 2, 16},
                       {"level", "int", 0, 9, {}, 4},
                       {"factor", "double", -1.5, 1.5, {}, 0.5}},
                      "",
                      [&](DibHandle &, const std::vector<double> &args) {
                        seen.push_back(args);
                        return true;
                      }};
  EXPECT_EQ(RequiredArgCount(probe), 1u);
  LoadImagingKit();
  DibHandle image(Kit.ImgKitMemAlloc(64));
  ASSERT_TRUE(image);
  // The routine always gets every parameter, the missing ones filled in.
  for (const auto &args : std::vector<std::vector<double>>{{3}, {3, 7}, {3, 7, -1}})
    EXPECT_TRUE(RunRoutine(probe, image, args));
  EXPECT_EQ(seen, (std::vector<std::vector<double>>{{3, 4, 0.5}, {3, 7, 0.5}, {3, 7, -1}}));
  // None at all, one too many, or a given one out of range are refused.
  for (const auto &args : std::vector<std::vector<double>>{{}, {3, 7, 0, 0}, {3, 10}})
    EXPECT_FALSE(CheckRoutineArgs(probe, args).empty()) << args.size();
  EXPECT_EQ(CheckRoutineArgs(probe, {}), "Probe takes 1 to 3 parameter(s), not 0");
  EXPECT_EQ(DescribeRoutine(probe),
            "Probe count:int[2..16] level:int[0..9]=4 factor:double[-1.5..1.5]=0.5");
  // An optional parameter before a required one is simply required.
  const Routine misplaced{"Misplaced",
                          {{"a", "int", 0, 1, {}, 1}, {"b", "int", 0, 1}},
                          "",
                          [](DibHandle &, const std::vector<double> &) { return true; }};
  EXPECT_EQ(RequiredArgCount(misplaced), 2u);
  EXPECT_FALSE(CheckRoutineArgs(misplaced, {1}).empty());
}

TEST(Routines, KitRoutinesRefuseEachParameterJustOutsideItsRange) {
  for (const Routine &r : AllRoutines()) {
    SCOPED_TRACE(r.name);
    for (size_t i = 0; i < r.params.size(); ++i) {
      std::vector<double> args;
      for (const RoutineParam &p : r.params)
        args.push_back(p.choices.empty() ? p.min : p.choices.front());
      EXPECT_EQ(CheckRoutineArgs(r, args), "");
      const RoutineParam &p = r.params[i];
      for (double outside : {p.min - 1, p.max + 1}) {
        args[i] = outside;
        EXPECT_FALSE(CheckRoutineArgs(r, args).empty()) << p.name << " " << outside;
      }
    }
  }
}

TEST(Routines, EveryKitRoutineRunsOnA24BitImage) {
  LoadImagingKit();
  const std::map<std::string, std::vector<double>> sample = {
      {"ImgKitCopy", {}},      {"ImgKitRectCut", {1, 1, 3, 2}},   {"ImgKitImageSize", {3, 9}},
      {"ImgKitRotation", {1}}, {"ImgKitConvertColor", {4, 0, 1}}, {"ImgKitSetGray", {}},
      {"ImgKitEmboss", {}},    {"ImgKitColorReverse", {}},        {"ImgKitFilter", {4}},
      {"ImgKitMosaic", {3}},   {"ImgKitBright", {-0.5}},          {"ImgKitRGB", {10, -20, 255}},
  };
  for (const auto &[name, args] : sample) {
    SCOPED_TRACE(name);
    const Routine *r = FindRoutine(name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(CheckRoutineArgs(*r, args), "");
    // 6 x 5 picture, 20-byte rows (18 bytes of pixels and padding).
    DibHandle image(Kit.ImgKitMemAlloc(40 + 20 * 5));
    ASSERT_TRUE(image);
    auto *h = static_cast<IMGKIT_BMIH *>(image.get());
    *h = IMGKIT_BMIH{40, 6, 5, 1, 24, 0, 20 * 5, 0, 0, 0, 0};
    auto *px = reinterpret_cast<uint8_t *>(h + 1);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 18; ++x)
        px[20 * y + x] = static_cast<uint8_t>(x * 13 + y * 40);
    std::string error;
    EXPECT_TRUE(RunRoutine(*r, image, args, &error)) << error;
    IMGKIT_IMAGEINFO info{};
    ASSERT_NE(Kit.ImgKitImageInfo(image.get(), &info), 0);
    EXPECT_GT(info.width, 0);
  }
}

} // namespace

TEST_F(Cli, CatalogueWritesThePageAndItsThumbnails) {
  ASSERT_EQ(std::system(("mkdir -p " + Quote(Path("images")) + " " + Quote(Path("out"))).c_str()),
            0);
  WriteBmp(Path("images/a.bmp"), 40, 30, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  WriteBmp(Path("images/b.bmp"), 30, 40, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  std::ofstream(Path("images/a.sam")) << "thumbnail of a";

  // The copying method: only a has a thumbnail.
  RunResult r = Run({"catalogue", Path("images"), "--out", Path("out"), "--name", "cat.txt",
                     "--columns", "3", "--title", "T&<x>", "--links-no-path"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "page=" + Path("out/cat.html") + " images=1 thumbnails=1\n");
  EXPECT_EQ(ReadAll(Path("out/thumb_a.jpg")), "thumbnail of a");
  const std::string page = ReadAll(Path("out/cat.html"));
  EXPECT_NE(page.find("<strong>T&amp;&lt;x&gt;</strong></font></p>\r\n"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"a.bmp\"><img src=\"thumb_a.jpg\" border=\"0\"></a>"),
            std::string::npos);

  // Made anew at 20 pixels: both images.
  r = Run({"catalogue", Path("images"), "--out", Path("out"), "--name", "cat", "--remake", "--size",
           "20", "--links"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "page=" + Path("out/cat.html") + " images=2 thumbnails=2\n");
  Loaded thumb(Path("out/thumb_b.jpg"));
  ASSERT_NE(thumb.h, nullptr);
  EXPECT_EQ(thumb.Header().biWidth, 15);
  EXPECT_EQ(thumb.Header().biHeight, 20);
  EXPECT_NE(ReadAll(Path("out/cat.html")).find("<a href=\"" + Path("images/b.bmp") + "\">"),
            std::string::npos);
}

TEST_F(Cli, CatalogueRefusesWhatItCannotDo) {
  RunResult r = Run({"catalogue", Path("."), "--out", "", "--name", "x"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "velmir-cli: 格納先のフォルダが指定されていません\n");
  r = Run({"catalogue", Path("."), "--out", Path("."), "--name", ""});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "velmir-cli: カタログのファイル名が指定されていません\n");
  r = Run({"catalogue", Path("."), "--out", Path("gone"), "--name", "x"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("ＨＴＭＬファイルを作成できません"), std::string::npos);
  EXPECT_EQ(
      Run({"catalogue", Path("."), "--out", Path("."), "--name", "x", "--links", "--links-no-path"})
          .exitCode,
      2);
  EXPECT_EQ(
      Run({"catalogue", Path("."), "--out", Path("."), "--name", "x", "--size", "5"}).exitCode, 2);
  EXPECT_EQ(
      Run({"catalogue", Path("."), "--out", Path("."), "--name", "x", "--columns", "0"}).exitCode,
      2);
}

namespace {

// A JPEG photo stored on its side with what a camera writes.
void WriteTaggedPhoto(const std::string &path) {
  WriteBmp(path + ".bmp", 48, 32, 24, {}, [](int x, int y) { return Pattern(24, x, y); });
  Loaded bmp(path + ".bmp");
  ASSERT_TRUE(SaveImageFile(path, bmp.h, 95));
  const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
  ASSERT_TRUE(exif_util::TagLikeACamera(path, 6, icc.toStdString()));
}

TEST_F(Cli, ConvertKeepsTheMetadataAndStripLeavesItOut) {
  WriteTaggedPhoto(Path("photo.jpg"));
  ASSERT_EQ(Run({"convert", Path("photo.jpg"), Path("kept.jpg")}).exitCode, 0);
  ASSERT_EQ(Run({"convert", Path("photo.jpg"), Path("kept.tif")}).exitCode, 0);
  for (const char *name : {"kept.jpg", "kept.tif"}) {
    SCOPED_TRACE(name);
    const std::string out = Path(name);
    EXPECT_EQ(exif_util::Value(out, "Exif.Photo.DateTimeOriginal"), "2024:05:06 07:08:09");
    EXPECT_EQ(exif_util::Value(out, "Exif.Image.Model"), "VelmirCam 7");
    EXPECT_EQ(exif_util::Value(out, "Exif.GPSInfo.GPSLatitudeRef"), "N");
    EXPECT_EQ(exif_util::Value(out, "Xmp.dc.subject"), "sakura");
    EXPECT_EQ(exif_util::Value(out, "Exif.Image.Orientation"), "1");
    EXPECT_FALSE(exif_util::IccProfile(out).empty());
    RunResult info = Run({"info", out});
    EXPECT_EQ(info.out, "width=32 height=48 bits=24 kind=5\n");
  }
  ASSERT_EQ(Run({"convert", Path("photo.jpg"), Path("bare.jpg"), "--strip"}).exitCode, 0);
  EXPECT_EQ(exif_util::Value(Path("bare.jpg"), "Exif.Image.Model"), "");
  EXPECT_EQ(exif_util::Value(Path("bare.jpg"), "Exif.GPSInfo.GPSLatitude"), "");
  EXPECT_EQ(exif_util::Value(Path("bare.jpg"), "Xmp.dc.subject"), "");
  EXPECT_EQ(exif_util::IccProfile(Path("bare.jpg")), "");
  // Stripped, it still stands upright.
  EXPECT_EQ(Run({"info", Path("bare.jpg")}).out, "width=32 height=48 bits=24 kind=5\n");
}

TEST_F(Cli, OpKeepsTheMetadataWithTheNewSizes) {
  WriteTaggedPhoto(Path("photo.jpg"));
  ASSERT_EQ(
      Run({"op", "ResizeImage", "16", "24", "0", Path("photo.jpg"), Path("small.jpg")}).exitCode,
      0);
  EXPECT_EQ(exif_util::Value(Path("small.jpg"), "Exif.Image.Model"), "VelmirCam 7");
  EXPECT_EQ(exif_util::Value(Path("small.jpg"), "Exif.Photo.PixelXDimension"), "16");
  EXPECT_EQ(exif_util::Value(Path("small.jpg"), "Exif.Photo.PixelYDimension"), "24");
  ASSERT_EQ(
      Run({"op", "ResizeImage", "16", "24", "0", Path("photo.jpg"), Path("bare.jpg"), "--strip"})
          .exitCode,
      0);
  EXPECT_EQ(exif_util::Value(Path("bare.jpg"), "Exif.Image.Model"), "");
}

TEST_F(Cli, BatchOutputsKeepTheirSourcesMetadataUnlessStripped) {
  WriteTaggedPhoto(Path("photo.jpg"));
  ASSERT_EQ(Run({"batch", "gamma", "--out", Path("kept"), Path("photo.jpg")}).exitCode, 0);
  EXPECT_EQ(exif_util::Value(Path("kept/photo.jpg"), "Exif.Image.Model"), "VelmirCam 7");
  EXPECT_EQ(exif_util::Value(Path("kept/photo.jpg"), "Exif.Photo.DateTimeOriginal"),
            "2024:05:06 07:08:09");
  EXPECT_EQ(exif_util::Value(Path("kept/photo.jpg"), "Exif.Image.Orientation"), "1");
  EXPECT_FALSE(exif_util::IccProfile(Path("kept/photo.jpg")).empty());
  ASSERT_EQ(Run({"batch", "gamma", "--strip", "--out", Path("bare"), Path("photo.jpg")}).exitCode,
            0);
  EXPECT_EQ(exif_util::Value(Path("bare/photo.jpg"), "Exif.Image.Model"), "");
  EXPECT_EQ(exif_util::IccProfile(Path("bare/photo.jpg")), "");
}

} // namespace
