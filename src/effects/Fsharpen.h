// Sharpening (high-pass filter) of 24-bit images.
#pragma once

#include "image/Dib.h"

constexpr int kSharpenTypeMin = 0, kSharpenTypeMax = 2;
constexpr int kSharpenStrengthMin = 10, kSharpenStrengthMax = 90;

// dest = source - strength% of a Laplacian-like response: type 0 the four
// neighbours, 1 the eight, 2 a directional mask. The one-pixel border is
// copied; every value is read from `source`, which must be a separate image
// of the same size. Types other than 0 ... 2 leave `dest` alone. One
// progress step per row.
void SharpenImage(TMDIB &dest, const TMDIB &source, int type, int strength,
                  Progress *progress = nullptr);
