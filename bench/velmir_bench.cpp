// Speed of the kit's codecs and heavier operations on a photo-sized image,
// through the same binding the program uses. The picture is made here: smooth
// gradients with deterministic noise, 4000 x 3000 at 24 bits.
//
// VELMIR_BENCH_JPEG=path and VELMIR_BENCH_BMP=path keep the JPEG (quality 90)
// and the BMP the benchmarks read, for comparing with other tools.
#include "image/Dib.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kQuality = 90;

DibHandle gPhoto;
std::string gJpeg, gBmp, gTiff, gScratch;

DibHandle MakePhoto() {
  DibHandle photo = CreateBlankDib(kWidth, kHeight);
  if (!photo) return photo;
  TMDIB dib(photo.get());
  uint32_t state = 2463534242u;
  for (int y = 0; y < dib.height; ++y) {
    uint8_t *p = dib.Row(y);
    for (int x = 0; x < dib.width; ++x, p += 3) {
      // xorshift32: the same noise on every run.
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      const int noise = static_cast<int>(state & 15) - 8;
      const double fx = x / static_cast<double>(kWidth);
      const double fy = y / static_cast<double>(kHeight);
      const double shade = 0.5 + 0.5 * std::sin(6.0 * fx + 4.0 * fy * fy);
      auto channel = [&](double v) {
        const int c = static_cast<int>(v * 255.0) + noise;
        return static_cast<uint8_t>(c < 0 ? 0 : (c > 255 ? 255 : c));
      };
      p[0] = channel(0.2 + 0.6 * fy * shade);
      p[1] = channel(0.3 + 0.5 * shade * (1.0 - fx));
      p[2] = channel(0.1 + 0.8 * fx * (0.6 + 0.4 * shade));
    }
  }
  return photo;
}

void SetPixelRate(benchmark::State &state) {
  state.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void Load(benchmark::State &state, const std::string &path) {
  for (auto _ : state) {
    DibHandle image(Kit.ImgKitFileLoad(path.c_str(), "", ""));
    if (!image) state.SkipWithError(("cannot load " + path).c_str());
    benchmark::DoNotOptimize(image.get());
  }
  SetPixelRate(state);
}

template <class Save> void SaveLoop(benchmark::State &state, Save save) {
  for (auto _ : state)
    if (!save()) state.SkipWithError("save failed");
  SetPixelRate(state);
}

void BM_JpegLoad(benchmark::State &state) { Load(state, gJpeg); }
void BM_BmpLoad(benchmark::State &state) { Load(state, gBmp); }
void BM_TiffLoad(benchmark::State &state) { Load(state, gTiff); }

void BM_JpegSave(benchmark::State &state) {
  const std::string out = gScratch + "/save.jpg";
  SaveLoop(state, [&] {
    return Kit.ImgKitJpegFileSave(out.c_str(), gPhoto.get(), "", "", kQuality, 0) != 0;
  });
}

void BM_BmpSave(benchmark::State &state) {
  const std::string out = gScratch + "/save.bmp";
  SaveLoop(state, [&] { return Kit.ImgKitBmpFileSave(out.c_str(), gPhoto.get(), "", "", 0) != 0; });
}

void BM_TiffSave(benchmark::State &state) {
  const std::string out = gScratch + "/save.tif";
  SaveLoop(state,
           [&] { return Kit.ImgKitTiffFileSave(out.c_str(), gPhoto.get(), "", "", 0) != 0; });
}

void BM_Copy(benchmark::State &state) {
  for (auto _ : state) {
    DibHandle copy(Kit.ImgKitCopy(gPhoto.get(), "", ""));
    benchmark::DoNotOptimize(copy.get());
  }
  SetPixelRate(state);
}

void BM_ConvertColor8Diffuse(benchmark::State &state) {
  for (auto _ : state) {
    // The conversion may work in place; each round starts from a fresh copy.
    state.PauseTiming();
    DibHandle image(Kit.ImgKitCopy(gPhoto.get(), "", ""));
    state.ResumeTiming();
    if (!image.Adopt(Kit.ImgKitConvertColor(image.get(), 8, 0, 1, "", "")))
      state.SkipWithError("conversion failed");
    state.PauseTiming();
    image.reset();
    state.ResumeTiming();
  }
  SetPixelRate(state);
}

// Runs an operation that makes a new handle from the photo; a result that is
// the photo itself is left alone.
template <class Op> void NewImageLoop(benchmark::State &state, Op op) {
  for (auto _ : state) {
    IMGHANDLE result = op();
    if (!result) state.SkipWithError("operation failed");
    if (result != gPhoto.get()) Kit.ImgKitMemFree(result);
  }
  SetPixelRate(state);
}

void BM_ImageSizeHalf(benchmark::State &state) {
  NewImageLoop(state,
               [] { return Kit.ImgKitImageSize(gPhoto.get(), "", "", kWidth / 2, kHeight / 2); });
}

void BM_Rotation90(benchmark::State &state) {
  NewImageLoop(state, [] { return Kit.ImgKitRotation(gPhoto.get(), "", "", IMGKIT_ROTATE_RIGHT); });
}

std::string EnvOr(const char *name, const std::string &fallback) {
  const char *v = std::getenv(name);
  return (v && *v) ? std::string(v) : fallback;
}

bool Prepare() {
  LoadImagingKit();
  for (const std::string &part : MissingKitParts())
    std::fprintf(stderr, "velmir-bench: missing %s\n", part.c_str());
  if (!MissingKitParts().empty()) return false;
  char tmpl[] = "/tmp/velmir-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  gScratch = tmpl;
  gJpeg = EnvOr("VELMIR_BENCH_JPEG", gScratch + "/photo.jpg");
  gBmp = EnvOr("VELMIR_BENCH_BMP", gScratch + "/photo.bmp");
  gTiff = gScratch + "/photo.tif";
  gPhoto = MakePhoto();
  const bool ok = gPhoto &&
                  Kit.ImgKitJpegFileSave(gJpeg.c_str(), gPhoto.get(), "", "", kQuality, 0) &&
                  Kit.ImgKitBmpFileSave(gBmp.c_str(), gPhoto.get(), "", "", 0) &&
                  Kit.ImgKitTiffFileSave(gTiff.c_str(), gPhoto.get(), "", "", 0);
  if (!ok) std::fprintf(stderr, "velmir-bench: cannot make the test files in %s\n", tmpl);
  return ok;
}

void CleanUp() {
  for (const char *name :
       {"/photo.jpg", "/photo.bmp", "/photo.tif", "/save.jpg", "/save.bmp", "/save.tif"})
    std::remove((gScratch + name).c_str());
  rmdir(gScratch.c_str());
}

} // namespace

// The photo and its JPEG file, for the benchmarks of other areas.
const DibHandle &BenchPhoto() { return gPhoto; }
const std::string &BenchJpeg() { return gJpeg; }

BENCHMARK(BM_JpegLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertColor8Diffuse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageSizeHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotation90)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!Prepare()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gPhoto.reset();
  CleanUp();
  return 0;
}
