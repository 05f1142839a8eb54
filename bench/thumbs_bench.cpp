// Speed of one thumbnail from the benchmark photo (4000 x 3000, JPEG quality
// 90, 4:2:0): the way the browser makes it (the reduced decode, area
// averaging to 100 x 75, the quality-50 write) beside the same thumbnail
// from a full decode.
#include "adjust/Fresize.h"
#include "browser/ThumbStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

const std::string &BenchJpeg();

namespace {

void BM_ThumbnailFromPhoto(benchmark::State &state) {
  const QString photo = QString::fromStdString(BenchJpeg());
  const QString out = QString::fromStdString(BenchJpeg() + ".sam");
  for (auto _ : state) {
    const DibHandle thumbnail = ThumbnailImage(photo);
    if (!thumbnail || !WriteThumbnail(thumbnail.get(), out)) state.SkipWithError("no thumbnail");
  }
  std::remove(out.toStdString().c_str());
}

void BM_ThumbnailFromFullDecode(benchmark::State &state) {
  for (auto _ : state) {
    DibHandle photo(Kit.ImgKitFileLoad(BenchJpeg().c_str(), "", ""));
    const DibHandle thumbnail = ResizedImage(photo.get(), 100, 75, ResizeMethod::Oversampling);
    if (!thumbnail) state.SkipWithError("no thumbnail");
    benchmark::DoNotOptimize(thumbnail.get());
  }
}

} // namespace

BENCHMARK(BM_ThumbnailFromPhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailFromFullDecode)->Unit(benchmark::kMillisecond);
