// The tone variations: one value v (100 = unchanged) drives gamma,
// saturation, brightness or contrast, both for the candidates shown and for
// the result applied.
#pragma once

#include "image/Dib.h"

enum ToneVariationKind : int { tvGamma = 0, tvSaturation = 1, tvBrightness = 2, tvContrast = 3 };

// The values a click can reach.
constexpr int kVariationMin = 30, kVariationMax = 300;

// A candidate's value: v moved by `steps` (-2, -1, 1, 2 for "－－", "－",
// "＋", "＋＋") times 4 x step; no holding (a gamma candidate may reach 0 or
// below and then shows the image unchanged).
constexpr int VariationCandidate(int v, int steps, int step) { return v + 4 * steps * step; }
// A click on a candidate: the same move, held to 30 ... 300.
constexpr int VariationClick(int v, int steps, int step) {
  const int moved = VariationCandidate(v, steps, step);
  return moved < kVariationMin ? kVariationMin : (moved > kVariationMax ? kVariationMax : moved);
}

// The preview's rendering of value v, or of the candidate `steps` x 4 x
// `step` away from it: saturation, brightness and contrast first cap v at
// 200 and the candidate moves from there (so "＋＋" still shows more than
// the result); brightness uses the factor (value - 100) x 0.5 x 0.05.
void ToneVariationPreview(TMDIB &dib, int kind, int v, int steps = 0, int step = 0);
// The applied result: gamma v; saturation and contrast min(v, 200) - 100;
// brightness with v held to 50 ... 150 and the factor (v - 100) x 0.025.
void ToneVariationApply(TMDIB &dib, int kind, int v, Progress *progress = nullptr);
