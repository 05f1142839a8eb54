// The painting chains on the benchmark photo (4000 x 3000, 24 bits): the
// time of each, and the most memory it held at once beyond the photo and
// the window's copy of it, counted in photo-sized images.
#include "effects/Painting.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

const DibHandle &BenchPhoto();

namespace {

// A figure of /proc/self/status in bytes ("VmRSS", "VmHWM"); 0 when unknown.
long long StatusBytes(const char *field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
      return std::stoll(line.substr(n + 1)) * 1024;
  return 0;
}

// Starts the peak over from the present resident size.
void ResetPeak() {
  std::FILE *f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return;
  std::fputs("5", f);
  std::fclose(f);
}

void BM_Paint(benchmark::State &state) {
  const PaintMethod method = static_cast<PaintMethod>(state.range(0));
  PaintControls controls = PaintDefaults(method);
  controls.pen = static_cast<int>(state.range(1));
  // What the window holds while it runs: its copy of the document's picture.
  const DibHandle source(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  const TMDIB photo(source.get());
  if (!photo.Attached()) {
    state.SkipWithError("no image");
    return;
  }
  const double imageBytes = static_cast<double>(photo.imageBytes);
  double worst = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetPeak();
    const long long before = StatusBytes("VmRSS");
    state.ResumeTiming();
    DibHandle result = PaintPicture(source.get(), method, controls);
    benchmark::DoNotOptimize(result.get());
    state.PauseTiming();
    const long long peak = StatusBytes("VmHWM");
    if (!result) state.SkipWithError("the chain failed");
    worst = std::max(worst, static_cast<double>(peak - before) / imageBytes);
    result.reset();
    state.ResumeTiming();
  }
  // Images held at the peak beyond the photo and the window's copy; the
  // chain's own working copy of the source and the result are among them.
  state.counters["peakImages"] = worst;
  state.counters["Mpix/s"] =
      benchmark::Counter(static_cast<double>(photo.width) * photo.height / 1e6,
                         benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Paint)
    ->ArgNames({"method", "pen"})
    ->ArgsProduct({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0}})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({9, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
