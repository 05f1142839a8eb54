// Speed of the tone and colour adjustments on the benchmark photo (4000 x
// 3000, 24 bits) and on a preview-sized copy of it. Each round starts from
// the photo's own pixels, restored outside the timing.
#include "adjust/Colsplit.h"
#include "adjust/Histfunc.h"
#include "adjust/Shikisou.h"
#include "adjust/Tone.h"

#include <benchmark/benchmark.h>

#include <cstring>

const DibHandle &BenchPhoto();

namespace {

// A working image the size of `source` whose pixels are put back before
// every round.
class Scratch {
public:
  explicit Scratch(IMGHANDLE source)
      : source_(source), image_(Kit.ImgKitCopy(source, "", "")), dib_(image_.get()) {}
  bool ok() const { return dib_.Attached(); }
  void Restore() {
    const TMDIB from(source_);
    std::memcpy(dib_.pixels, from.pixels, static_cast<size_t>(dib_.imageBytes));
  }
  TMDIB &dib() { return dib_; }

private:
  IMGHANDLE source_;
  DibHandle image_;
  TMDIB dib_;
};

template <class F> void Rounds(benchmark::State &state, IMGHANDLE source, F f) {
  Scratch work(source);
  if (!work.ok()) {
    state.SkipWithError("no image");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    work.Restore();
    state.ResumeTiming();
    f(work.dib());
    benchmark::ClobberMemory();
  }
  const TMDIB &d = work.dib();
  state.counters["Mpix/s"] = benchmark::Counter(static_cast<double>(d.width) * d.height / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

template <class F> void Photo(benchmark::State &state, F f) {
  Rounds(state, BenchPhoto().get(), f);
}

// The preview copy every adjustment dialog recomputes: 100 x 75 for the photo.
template <class F> void Preview(benchmark::State &state, F f) {
  static DibHandle preview = [] {
    DibHandle copy(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
    copy.Adopt(Kit.ImgKitImageSize(copy.get(), "", "", 100, 75));
    return copy;
  }();
  Rounds(state, preview.get(), f);
}

void BM_Contrast(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { Contrast(d, 40); });
}
void BM_Gamma(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { Gamma(d, 150); });
}
void BM_Saturation(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { Saturation(d, 50); });
}
void BM_Levels(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { Levels(d, 20, 230, lcAverage); });
}
void BM_LevelsRed(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { Levels(d, 20, 230, lcRed); });
}
void BM_ComputeHistograms(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { benchmark::DoNotOptimize(ComputeHistograms(d)); });
}
void BM_AutoCorrectA(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { AutoCorrectA(d, AutoCorrectSettings{}); });
}
void BM_AutoCorrectB(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { AutoCorrectB(d, AutoCorrectSettings{}); });
}
void BM_HueChange(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { HueChange(d, 73); });
}
void BM_HueEmphasis(benchmark::State &s) {
  Photo(s, [](TMDIB &d) { HueEmphasis(d, 0, 65, 0, -100); });
}

void BM_ContrastPreview(benchmark::State &s) {
  Preview(s, [](TMDIB &d) { Contrast(d, 40); });
}
void BM_GammaPreview(benchmark::State &s) {
  Preview(s, [](TMDIB &d) { Gamma(d, 150); });
}
void BM_SaturationPreview(benchmark::State &s) {
  Preview(s, [](TMDIB &d) { Saturation(d, 50); });
}
void BM_LevelsPreview(benchmark::State &s) {
  Preview(s, [](TMDIB &d) { Levels(d, 20, 230, lcAverage); });
}
void BM_HueChangePreview(benchmark::State &s) {
  Preview(s, [](TMDIB &d) { HueChange(d, 73); });
}
void BM_HueEmphasisPreview(benchmark::State &s) {
  Preview(s, [](TMDIB &d) { HueEmphasis(d, 0, 65, 0, -100); });
}

} // namespace

BENCHMARK(BM_Contrast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gamma)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Saturation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Levels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelsRed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeHistograms)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoCorrectA)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoCorrectB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HueChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HueEmphasis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContrastPreview)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GammaPreview)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaturationPreview)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelsPreview)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HueChangePreview)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HueEmphasisPreview)->Unit(benchmark::kMicrosecond);
