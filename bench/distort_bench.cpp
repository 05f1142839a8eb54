// Speed of the distortions on the benchmark photo (4000 x 3000, 24 bits):
// each round makes the new picture from the photo, the trigonometry of the
// ripple and swirl included.
#include "effects/Distort.h"

#include <benchmark/benchmark.h>

const DibHandle &BenchPhoto();

namespace {

template <class F> void NewPicture(benchmark::State &state, F make) {
  const TMDIB photo(BenchPhoto().get());
  int64_t pixels = 0;
  for (auto _ : state) {
    DibHandle out = make(BenchPhoto().get());
    if (!out) {
      state.SkipWithError("no picture");
      return;
    }
    const TMDIB d(out.get());
    pixels = int64_t{d.width} * d.height;
    benchmark::DoNotOptimize(out.get());
  }
  state.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(pixels) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void BM_RotateFree(benchmark::State &state) {
  NewPicture(state, [](IMGHANDLE s) { return RotateFree(s, 17, 0, 0, 0); });
}

void BM_SwirlMap(benchmark::State &state) {
  NewPicture(state, [](IMGHANDLE s) { return SwirlMap(s, 5, 0, 50, 50, 0, 0, 0); });
}

void BM_RippleMap(benchmark::State &state) {
  NewPicture(state, [](IMGHANDLE s) { return RippleMap(s, 10, 15, 50, 50, 0, 0, 0); });
}

void BM_GlassMap(benchmark::State &state) {
  NewPicture(state, [](IMGHANDLE s) { return GlassMap(s, 2, 50, 50, 0, 0, 0); });
}

} // namespace

BENCHMARK(BM_RotateFree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwirlMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RippleMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlassMap)->Unit(benchmark::kMillisecond);
