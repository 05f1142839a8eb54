// Speed of the filters on the benchmark photo (4000 x 3000, 24 bits). Each
// round starts from the photo's own pixels, restored outside the timing.
#include "adjust/Fresize.h"
#include "effects/Fsharpen.h"
#include "effects/Fsoften.h"
#include "effects/Median.h"
#include "effects/OuterFrame.h"

#include <benchmark/benchmark.h>

#include <cstring>

const DibHandle &BenchPhoto();

namespace {

void SetRate(benchmark::State &state, const TMDIB &d) {
  state.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(d.width) * d.height / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// A destination beside the photo: f(dest, source) per round.
template <class F> void IntoCopy(benchmark::State &state, F f) {
  DibHandle work(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  TMDIB dest(work.get());
  const TMDIB source(BenchPhoto().get());
  if (!dest.Attached()) {
    state.SkipWithError("no image");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(dest.pixels, source.pixels, static_cast<size_t>(dest.imageBytes));
    state.ResumeTiming();
    f(dest, source);
    benchmark::ClobberMemory();
  }
  SetRate(state, source);
}

// A new image of the given size filled from the photo.
template <class F> void IntoSize(benchmark::State &state, int width, int height, F f) {
  DibHandle out = CreateBlankDib(width, height);
  TMDIB dest(out.get());
  const TMDIB source(BenchPhoto().get());
  if (!dest.Attached()) {
    state.SkipWithError("no image");
    return;
  }
  for (auto _ : state) {
    f(dest, source);
    benchmark::ClobberMemory();
  }
  SetRate(state, source);
}

void BM_SharpenImage(benchmark::State &state) {
  IntoCopy(state, [](TMDIB &d, const TMDIB &s) { SharpenImage(d, s, 0, 50); });
}

void BM_SoftenWindow(benchmark::State &state) {
  const int area = static_cast<int>(state.range(0));
  IntoCopy(state, [area](TMDIB &d, const TMDIB &s) { SoftenWindow(d, s, area, 1, 0, 64); });
}

void BM_AverageForward(benchmark::State &state) {
  IntoCopy(state, [](TMDIB &d, const TMDIB &) { AverageForward(d, 2); });
}

void BM_AverageBackward(benchmark::State &state) {
  IntoCopy(state, [](TMDIB &d, const TMDIB &) { AverageBackward(d, 2); });
}

void BM_MedianFilter(benchmark::State &state) {
  const int method = static_cast<int>(state.range(0));
  IntoCopy(state, [method](TMDIB &d, const TMDIB &s) { MedianFilter(d, s, method, 72); });
}

void BM_AreaAverageResize(benchmark::State &state) {
  IntoSize(state, 1600, 1200, [](TMDIB &d, const TMDIB &s) { AreaAverageResize(d, s); });
}

void BM_BilinearResize(benchmark::State &state) {
  IntoSize(state, 6000, 4500, [](TMDIB &d, const TMDIB &s) { BilinearResize(d, s); });
}

void BM_NoiseRemovalA(benchmark::State &state) {
  for (auto _ : state) {
    state.PauseTiming();
    DibHandle image(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
    state.ResumeTiming();
    if (!NoiseRemovalA(image)) state.SkipWithError("noise removal failed");
    state.PauseTiming();
    image.reset();
    state.ResumeTiming();
  }
  SetRate(state, TMDIB(BenchPhoto().get()));
}

void BM_NoiseRemovalB(benchmark::State &state) {
  IntoCopy(state, [](TMDIB &d, const TMDIB &) { NoiseRemovalB(d); });
}

} // namespace

namespace {

// A 100-pixel border on every side: a new 4200 x 3200 picture.
void BM_OuterFrame(benchmark::State &state) {
  for (auto _ : state) {
    DibHandle framed = OuterFrame(BenchPhoto().get(), {100, 100, 100, 100}, 255, 255, 255);
    if (!framed) state.SkipWithError("no image");
    benchmark::DoNotOptimize(framed.get());
  }
  SetRate(state, TMDIB(BenchPhoto().get()));
}

} // namespace

BENCHMARK(BM_OuterFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SharpenImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoftenWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AverageForward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AverageBackward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MedianFilter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaAverageResize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BilinearResize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoiseRemovalA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoiseRemovalB)->Unit(benchmark::kMillisecond);
