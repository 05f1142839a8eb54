// Noise removal: the 3 x 3 median filter and the two one-click noise
// removals built on it and on the soften command.
#pragma once

#include "image/Dib.h"

// What the filter takes; the dialog's slider offers thresholds 16 ... 128
// only.
constexpr int kMedianMethodMin = 0, kMedianMethodMax = 1;
constexpr int kMedianThresholdMin = 0, kMedianThresholdMax = 255;
constexpr int kMedianDialogThresholdMin = 16, kMedianDialogThresholdMax = 128;

// dest = the per-channel median of each pixel's 3 x 3 window in `source`
// (a separate 24-bit image of the same size); the one-pixel border is
// copied. Method 1 keeps a pixel as it is when some neighbour differs from
// it by more than `threshold` in some channel. Methods other than 0 and 1
// write nothing. One progress step per row.
void MedianFilter(TMDIB &dest, const TMDIB &source, int method, int threshold,
                  Progress *progress = nullptr);

// Noise removal A on a 24-bit image: bilinear enlargement to twice the
// size, the plain median, and the area-average reduction back to the
// original size; the image is replaced by the result. Sets the progress
// range to five times the height. False (image unchanged) when the image is
// not 24-bit or the working images cannot be made.
bool NoiseRemovalA(DibHandle &image, Progress *progress = nullptr);
