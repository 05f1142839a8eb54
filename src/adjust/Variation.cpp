#include "adjust/Variation.h"

#include "adjust/Tone.h"
#include "image/Kit.h"

#include <algorithm>

void ToneVariationPreview(TMDIB &dib, int kind, int v, int steps, int step) {
  if (!dib.Attached()) return;
  if (kind != tvGamma) v = std::min(v, 200);
  const int value = VariationCandidate(v, steps, step);
  switch (kind) {
  case tvGamma: Gamma(dib, value); break;
  case tvSaturation: Saturation(dib, value - 100); break;
  case tvBrightness: Kit.ImgKitBright(dib.handle, "", "", (value - 100) * 0.5 * 0.05); break;
  case tvContrast: Contrast(dib, value - 100); break;
  default: break;
  }
}

void ToneVariationApply(TMDIB &dib, int kind, int v, Progress *progress) {
  if (!dib.Attached()) return;
  switch (kind) {
  case tvGamma: Gamma(dib, v, progress); break;
  case tvSaturation: Saturation(dib, std::min(v, 200) - 100, progress); break;
  case tvBrightness:
    Kit.ImgKitBright(dib.handle, "VELMIR", "輝度調整中", (std::clamp(v, 50, 150) - 100) * 0.025);
    break;
  case tvContrast: Contrast(dib, std::min(v, 200) - 100, progress); break;
  default: break;
  }
}
