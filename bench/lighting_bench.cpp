// Speed of the lighting, frame, spot, noise and texture effects on the
// benchmark photo (4000 x 3000, 24 bits), each with the dialog's settings.
// Every round starts from the photo's own pixels, restored outside the
// timing.
#include "effects/Litening.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>

const DibHandle &BenchPhoto();

namespace {

void InPlace(benchmark::State &state, const std::function<bool(TMDIB &)> &effect) {
  DibHandle work(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  TMDIB dib(work.get());
  const TMDIB photo(BenchPhoto().get());
  if (!dib.Attached()) {
    state.SkipWithError("no image");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(dib.pixels, photo.pixels, static_cast<size_t>(dib.imageBytes));
    state.ResumeTiming();
    if (!effect(dib)) state.SkipWithError("refused");
    benchmark::ClobberMemory();
  }
  state.counters["Mpix/s"] =
      benchmark::Counter(static_cast<double>(photo.width) * photo.height / 1e6,
                         benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LightingEffect(benchmark::State &state) {
  const int kind = static_cast<int>(state.range(0));
  InPlace(state, [kind](TMDIB &d) { return LightingEffect(d, kind, 50, 50, 50); });
}

void BM_FadeOutFrame(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return FadeOutFrame(d, 255, 255, 255, 11); });
}

void BM_TranslucentFrame(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return TranslucentFrame(d, 0, 0, 0, 11, 5); });
}

void BM_WaveFrame(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return WaveFrame(d, 255, 255, 255, 11, 5); });
}

void BM_BevelFrame(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return BevelFrame(d, 11, 8); });
}

void BM_EllipseFrame(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return EllipseFrame(d, 255, 255, 255, 5, 5); });
}

void BM_DustSpot(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return DustSpot(d, 5, 3, 1); });
}

void BM_WhiteSpot(benchmark::State &state) {
  InPlace(state, [](TMDIB &d) { return WhiteSpot(d, 5, 3, 1); });
}

// Strength is the blur's radius: 3 by default, 5 at most.
void BM_SoftSpot(benchmark::State &state) {
  const int strength = static_cast<int>(state.range(0));
  InPlace(state, [strength](TMDIB &d) { return SoftSpot(d, 5, strength); });
}

void BM_AddNoise(benchmark::State &state) {
  const int kind = static_cast<int>(state.range(0));
  InPlace(state, [kind](TMDIB &d) { return AddNoise(d, kind, 4, 1); });
}

void BM_ApplyTexture(benchmark::State &state) {
  const int texture = static_cast<int>(state.range(0));
  InPlace(state, [texture](TMDIB &d) { return ApplyTexture(d, texture, 4, 1); });
}

} // namespace

BENCHMARK(BM_LightingEffect)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FadeOutFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslucentFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WaveFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BevelFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EllipseFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DustSpot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteSpot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoftSpot)->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddNoise)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyTexture)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
