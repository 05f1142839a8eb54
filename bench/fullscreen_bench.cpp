// Full-screen showing of the benchmark photo (4000 x 3000 JPEG): the kit's
// decode alone beside the whole way to the screen (read, fit, first paint
// of the full-screen view into an offscreen picture), and the high-quality
// reduction of the 12-megapixel picture to 1920 x 1080.
#include "adjust/Fresize.h"
#include "browser/ScreenPicture.h"
#include "forms/NewFullScr.h"
#include "image/Dib.h"

#include <QApplication>
#include <QImage>
#include <QString>
#include <benchmark/benchmark.h>

#include <string>

QApplication &App();
const DibHandle &BenchPhoto();
const std::string &BenchJpeg();

namespace {

const QRect kScreen(0, 0, 1920, 1080);

void BM_FullScreenJpegDecode(benchmark::State &state) {
  for (auto _ : state) {
    DibHandle photo(Kit.ImgKitFileLoad(BenchJpeg().c_str(), "", ""));
    if (!photo) state.SkipWithError("no photo");
    benchmark::DoNotOptimize(photo.get());
  }
}

// Read, fit and paint once, as the browser's full-screen view does.
void ShowPhoto(benchmark::State &state, bool highQuality) {
  App();
  FixScreenAreaForTesting(&kScreen);
  TNewFullScr view(ScreenAreaOf(nullptr));
  view.resize(kScreen.size());
  QImage screen(kScreen.size(), QImage::Format_RGB32);
  ScreenPictureOptions options;
  options.screen = kScreen.size();
  options.highQuality = highQuality;
  const QString path = QString::fromStdString(BenchJpeg());
  for (auto _ : state) {
    const ScreenPicture picture = LoadScreenPicture(path, options);
    if (picture.IsNull()) state.SkipWithError("no picture");
    view.SetFrame(picture.bitmap, picture.display);
    view.render(&screen);
    benchmark::DoNotOptimize(screen.constBits());
  }
  FixScreenAreaForTesting(nullptr);
}

void BM_FullScreenShowJpeg(benchmark::State &state) { ShowPhoto(state, false); }
void BM_FullScreenShowJpegHQ(benchmark::State &state) { ShowPhoto(state, true); }

void BM_FullScreenHQReduce1920x1080(benchmark::State &state) {
  DibHandle target = CreateBlankDib(1920, 1080);
  TMDIB to(target.get());
  const TMDIB from(BenchPhoto().get());
  for (auto _ : state) {
    AreaAverageResize(to, from);
    benchmark::DoNotOptimize(to.pixels);
  }
}

// The reduction as the view makes it: fitted (1440 x 1080) into a bitmap.
void BM_FullScreenHQPrepare(benchmark::State &state) {
  ScreenPictureOptions options;
  options.screen = kScreen.size();
  options.highQuality = true;
  for (auto _ : state) {
    const ScreenPicture picture = PrepareScreenPicture(BenchPhoto().get(), options);
    if (!picture.reduced) state.SkipWithError("not reduced");
    benchmark::DoNotOptimize(picture.bitmap.constBits());
  }
}

} // namespace

BENCHMARK(BM_FullScreenJpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenShowJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenShowJpegHQ)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenHQReduce1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenHQPrepare)->Unit(benchmark::kMillisecond);
