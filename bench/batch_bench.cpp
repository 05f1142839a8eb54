// Speed of the batch gamma job on the benchmark photo (4000 x 3000, JPEG
// quality 90): one photo's three steps one after another, and the job over
// eight copies, where the next photo is decoded on a second thread while
// the current one is corrected and written.
#include "adjust/Tone.h"
#include "browser/BatchJob.h"
#include "image/ImageFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

const std::string &BenchJpeg();

namespace {

constexpr int kCopies = 8;

void BM_BatchGammaOneAfterAnother(benchmark::State &state) {
  QTemporaryDir out;
  const std::string target = QFile::encodeName(out.filePath(QStringLiteral("a.jpg"))).toStdString();
  for (auto _ : state) {
    DibHandle photo = LoadImageFile(BenchJpeg(), {.plugins = false});
    TMDIB dib(photo.get());
    Gamma(dib, BatchAmountValue(1));
    if (!SaveImageFile(target, photo.get(), 90)) state.SkipWithError("not written");
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_BatchGammaJob(benchmark::State &state) {
  QTemporaryDir dir;
  QStringList sources;
  for (int i = 0; i < kCopies; ++i) {
    sources << dir.filePath(QStringLiteral("IMG_%1.jpg").arg(i));
    QFile::copy(QString::fromStdString(BenchJpeg()), sources.back());
  }
  BatchSettings settings;
  settings.job = bjGamma;
  settings.jpegQuality = 90;
  const QString output = dir.filePath(QStringLiteral("out"));
  for (auto _ : state) {
    const BatchResult r = RunBatch(sources, output, settings);
    if (r.written != kCopies) state.SkipWithError("not every photo written");
  }
  state.SetItemsProcessed(state.iterations() * kCopies);
}

} // namespace

BENCHMARK(BM_BatchGammaOneAfterAnother)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchGammaJob)->Unit(benchmark::kMillisecond)->UseRealTime();
