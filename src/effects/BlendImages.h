// The ten ways of laying one 24-bit picture over another, shared by the
// painting chains and the composite paste.
#pragma once

#include "image/Dib.h"

constexpr int kBlendModeMin = 0, kBlendModeMax = 9;
constexpr int kBlendWeightMin = 0, kBlendWeightMax = 100;

// Per channel, with t the top value, b the base value, a the weight in per
// cent and every division truncating, results clamped to 0 ... 255:
//   0  (a t + (100 - a) b) / 100          5  p (100 - a) / 100 + a (t + b) / 200,
//   1  b + a t / 100                         p from the brighter pixel (larger
//   2  b - a t / 100                         sum of its channels; base on a tie)
//   3  a t / 100 + (255 - b)(100 - a) / 100  6  as 5 with p from the darker pixel
//   4  b (100 - a) / 100 + a (255 - t) / 100 7, 8, 9  b AND, OR, XOR (a t / 100)
enum BlendMode : int {
  bmMix = 0,
  bmAdd = 1,
  bmSubtract = 2,
  bmMixInverseBase = 3,
  bmMixInverseTop = 4,
  bmBrighter = 5,
  bmDarker = 6,
  bmAnd = 7,
  bmOr = 8,
  bmXor = 9,
};

// One pixel's result (blue, green, red) of `mode` at weight `a`.
void BlendPixel(const uint8_t *top, const uint8_t *base, int mode, int a, uint8_t *out);

// `n` three-byte pixels of `top` rewritten in place with their blend over
// the pixels of `base`; nothing when the mode or the weight is out of range.
void BlendRow(uint8_t *top, const uint8_t *base, int n, int mode, int a);

// `top` is rewritten in place with the blend of itself over `base`. Rows
// are aligned at the top of the pictures and columns at the left; top
// pixels without a base pixel stay as they are. False (nothing written)
// when either picture is not 24-bit, or the mode or the weight is out of
// range.
bool BlendImages(TMDIB &top, const TMDIB &base, int mode, int weight, Progress *progress = nullptr);
