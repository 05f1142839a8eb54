// Softening (low-pass filter) of 24-bit images: the weighted window and the
// adjacent-point averaging passes, and the soften command that chooses
// between them.
#pragma once

#include "image/Dib.h"

// The settings' ranges; the edge-limited averages take directions 0 and 1
// only.
constexpr int kSoftenAreaMin = 0, kSoftenAreaMax = 2;
constexpr int kSoftenDirectionMin = 0, kSoftenDirectionMax = 2;
constexpr int kEdgeDirectionMax = 1;
constexpr int kSoftenStrengthMin = 1, kSoftenStrengthMax = 4; // also the window radius
// The window itself goes one step further, for the soft spot's blur.
constexpr int kSoftenWindowRadiusMax = 5;
constexpr int kSoftenShapeMin = 0, kSoftenShapeMax = 2;
constexpr int kSoftenThresholdMin = 0, kSoftenThresholdMax = 255;
constexpr int kSoftenMethodMin = 0, kSoftenMethodMax = 1;

// Weighted-window smoothing. `dest` starts as a copy of `source` and is
// rewritten in place, top row first, each row left to right; window samples
// come from `dest`, so those above and to the left already hold their new
// values, while the pixel's own input value comes from `source`.
// shape: 0 square, 1 vertical column, 2 horizontal row, each of radius
// `radius` (1 ... kSoftenWindowRadiusMax). area: 0 everywhere, 1 all but
// edges, 2 edges only, where an edge is a window sample differing from the
// pixel by more than `threshold` in some channel. One progress step per
// row, as soon as it is rewritten; by then the row `radius` rows above it
// will not be read again. With area 0 no sample is compared and `source`
// is read only where `dest` still holds the same values: the image may be
// its own source.
void SoftenWindow(TMDIB &dest, const TMDIB &source, int area, int radius, int shape, int threshold,
                  Progress *progress = nullptr);

// Adjacent-point averages, in place. direction: 0 horizontal, 1 vertical,
// 2 both; other directions change nothing. The forward pass runs from the
// top left and averages with the right and lower neighbours (the last
// column and the bottom row keep their values); the backward pass runs from
// the bottom right, averages with the left and upper neighbours and leaves
// columns 0 and 1 and the top row alone. One progress step per row visited.
void AverageForward(TMDIB &dib, int direction, Progress *progress = nullptr);
void AverageBackward(TMDIB &dib, int direction, Progress *progress = nullptr);

// The same passes for directions 0 and 1 only, averaging a pair only when
// its differences d pass the test: d^2 < threshold^2 in every channel, or
// with `edgesOnly`, d^2 > threshold^2 in some channel.
void AverageForwardEdge(TMDIB &dib, int direction, int threshold, bool edgesOnly,
                        Progress *progress = nullptr);
void AverageBackwardEdge(TMDIB &dib, int direction, int threshold, bool edgesOnly,
                         Progress *progress = nullptr);

// The soften command's settings, remembered in this order.
struct SoftenSettings {
  int area = 0;      // 0 whole, 1 all but edges, 2 edges only
  int direction = 2; // 0 horizontal, 1 vertical, 2 both
  int strength = 1;  // window radius, or the number of averaging passes
  int threshold = 64;
  int method = 0; // 0 weighted window, 1 adjacent-point average
};

// The progress range Soften fills on an image `height` rows high.
int SoftenProgressRange(const SoftenSettings &s, int height);

// The soften command on a 24-bit image, in place. With the averaging method
// and an area other than the whole picture, direction "both" runs as
// horizontal. False when the image is not 24-bit or no working copy can be
// made; the image is then unchanged.
bool Soften(TMDIB &image, const SoftenSettings &settings, Progress *progress = nullptr);

// Noise removal B: the soften command with fixed settings.
SoftenSettings NoiseRemovalBSettings();
bool NoiseRemovalB(TMDIB &image, Progress *progress = nullptr);
