#include "adjust/AutoCorrectFile.h"

#include "adjust/Histfunc.h"
#include "image/ImageFile.h"

namespace {

int64_t Total(const int32_t histogram[256]) {
  int64_t n = 0;
  for (int i = 0; i < 256; ++i)
    n += histogram[i];
  return n;
}

} // namespace

void AutoCorrectLevels(TMDIB &dib, BatchCorrection kind, int threshold) {
  const Histograms h = ComputeHistograms(dib);
  if (kind == BatchCorrection::A) {
    const LevelRange r = FindAutoRange(h.average, Total(h.average), threshold);
    Levels(dib, r.low, r.high, lcAverage);
    return;
  }
  for (int channel : {lcRed, lcGreen, lcBlue}) {
    const int32_t *hist = HistogramOf(h, channel);
    const LevelRange r = FindAutoRange(hist, Total(hist), threshold);
    Levels(dib, r.low, r.high, channel);
  }
}

bool AutoCorrectFile(const std::string &input, const std::string &output, BatchCorrection kind,
                     int threshold, int jpegQuality) {
  if (FileKindByExtension(output) == ImageFileKind::Unknown) return false;
  // The batch jobs read through the kit alone: no plug-in is asked.
  DibHandle image = LoadImageFile(input, {.plugins = false, .fullColour = true});
  if (!image) return false;
  {
    TMDIB dib(image.get());
    AutoCorrectLevels(dib, kind, threshold);
  }
  return SaveImageFile(output, image.get(), jpegQuality);
}
