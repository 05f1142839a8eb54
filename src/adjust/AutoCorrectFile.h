// The automatic corrections as the batch jobs run them on files: the same
// range rule as the one-click corrections, without their fallbacks and
// without the gamma and colour steps.
#pragma once

#include "image/Dib.h"

#include <string>

enum class BatchCorrection { A, B };

// The levels of the batch variant, in place: the ranges are found on the
// image's histograms with no fallbacks (an unfound level makes the levels an
// identity). A walks the average histogram and stretches all channels; B
// stretches each of red, green and blue between its own histogram's ends,
// all three ranges found on the image as it was.
void AutoCorrectLevels(TMDIB &dib, BatchCorrection kind, int threshold);

// Loads `input` through the kit (16 and 32 bits become 24), applies
// AutoCorrectLevels and saves to `output` as JPEG (".jpg", ".jpeg", with
// `jpegQuality`), BMP (".bmp") or TIFF (".tif", ".tiff"), extension letter
// case ignored. False when the file cannot be read or written, or the
// extension is none of those (then nothing is read or written).
bool AutoCorrectFile(const std::string &input, const std::string &output, BatchCorrection kind,
                     int threshold, int jpegQuality);
