// The composite paste on the benchmark photo (4000 x 3000, 24 bits), with the
// plain blend of the same two pictures beside it: the normal mode over the
// whole photo, the key colour left out, and text-like pixels with shaded edges.
#include "effects/BlendImages.h"
#include "effects/Composite.h"

#include <benchmark/benchmark.h>

const DibHandle &BenchPhoto();

namespace {

// The photo laid over itself mirrored: every pixel differs from its partner.
DibHandle Mirrored() {
  DibHandle copy(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  if (copy) copy.Adopt(Kit.ImgKitRotation(copy.get(), "", "", IMGKIT_FLIP_LEFT_RIGHT));
  return copy;
}

void BM_BlendImagesMix(benchmark::State &state) {
  DibHandle work(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  const DibHandle base = Mirrored();
  TMDIB top(work.get());
  const TMDIB b(base.get());
  for (auto _ : state)
    benchmark::DoNotOptimize(BlendImages(top, b, bmMix, 50));
}

void BM_CompositePaste(benchmark::State &state) {
  DibHandle work(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  const DibHandle pasted = Mirrored();
  TMDIB doc(work.get());
  const TMDIB p(pasted.get());
  CompositeOptions o;
  o.keyTransparent = state.range(0) != 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(CompositeImages(doc, p, o));
}

// A text-like picture of 2000 x 400: background, text colour and shades
// between them in turn, so that a third of the pixels take the coverage.
void BM_CompositeText(benchmark::State &state) {
  DibHandle text = CreateBlankDib(2000, 400);
  {
    TMDIB t(text.get());
    for (int y = 0; y < t.height; ++y) {
      uint8_t *row = t.Row(y);
      for (int x = 0; x < t.width; ++x)
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] =
            uint8_t(x % 3 == 0 ? 255 : (x % 3 == 1 ? 0 : (x * 7 + y) % 256));
    }
  }
  DibHandle work(Kit.ImgKitCopy(BenchPhoto().get(), "", ""));
  TMDIB doc(work.get());
  const TMDIB p(text.get());
  CompositeOptions o;
  o.x = 1000, o.y = 1300;
  o.keyTransparent = o.antiAliased = true;
  for (auto _ : state)
    benchmark::DoNotOptimize(CompositeImages(doc, p, o));
}

} // namespace

BENCHMARK(BM_BlendImagesMix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositePaste)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeText)->Unit(benchmark::kMillisecond);
