// The browser grid paging through a folder of 2048 images: each page
// rebuilt, its thumbnails loaded from their files (offscreen).
#include "adjust/Fresize.h"
#include "browser/ThumbStore.h"
#include "browser/windows/ImageView.h"
#include "image/Dib.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <memory>

// The one application object of the benchmarks that need widgets
// (offscreen unless QT_QPA_PLATFORM says otherwise).
QApplication &App() {
  static int argc = 1;
  static char name[] = "velmir-bench";
  static char *argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

namespace {

void BM_GridPage2048(benchmark::State &state) {
  App();
  QTemporaryDir folder;
  DibHandle photo = CreateBlankDib(400, 300);
  {
    TMDIB dib(photo.get());
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 1200; ++x)
        dib.Row(y)[x] = static_cast<uint8_t>(x * 7 + y * 3);
  }
  const DibHandle thumb = ResizedImage(photo.get(), 100, 75, ResizeMethod::Oversampling);
  const QString first = folder.filePath(QStringLiteral("0000.sam"));
  if (!thumb || !WriteThumbnail(thumb.get(), first)) {
    state.SkipWithError("no thumbnail");
    return;
  }
  QStringList thumbs, images, marks;
  for (int i = 0; i < 2048; ++i) {
    const QString name = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
    const QString path = folder.filePath(name + QStringLiteral(".sam"));
    if (i > 0) QFile::copy(first, path);
    thumbs << path;
    images << folder.filePath(name + QStringLiteral(".jpg"));
    marks << QStringLiteral("0");
  }
  QWidget area;
  area.resize(1200, 900); // 10 x 6 cells a page
  QLabel shown, selected;
  CImageView grid(&area, thumbs, images, marks, &shown, &selected);
  grid.Rebuild(true);
  for (auto _ : state) {
    if (grid.TopRow() + grid.Rows() >= grid.TotalRowCount())
      grid.Move(PageMove::First);
    else
      grid.Move(PageMove::PageDown);
  }
  state.counters["cells"] = grid.CellCount();
}

} // namespace

BENCHMARK(BM_GridPage2048)->Unit(benchmark::kMillisecond);
