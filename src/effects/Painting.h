// Painting- and illustration-style pictures: the building blocks and the
// nine chains of the painting window, widget-free so that velmir-cli, the
// benchmarks and the tests run the same chains as the window.
#pragma once

#include "image/Dib.h"

#include <functional>

// ---- building blocks -------------------------------------------------------
// Each takes a picture and gives a new 24-bit one (the input stays as it
// is), or none when the kit or memory refuses a step.

// The drawing pen of the outlines.
enum PaintPen : int { ppColour = 0, ppBlack = 1 };

// A copy at 24 bits: converted when the picture has fewer (or more) bits.
DibHandle FullColourCopy(IMGHANDLE picture);
// The plain 3 x 3 median.
DibHandle MedianCopy(IMGHANDLE picture);
// Roberts edges, inverted: coloured lines on white; with the black pen
// made grey and back to 24 bits.
DibHandle LineDrawing(IMGHANDLE picture, int pen);
// The weighted-window smoothing over the whole picture, radius 1, square
// window.
DibHandle SmoothCopy(IMGHANDLE picture);
// The saturation function at `position` (0 unchanged, 100 doubled, up to
// 200 here).
DibHandle SaturationCopy(IMGHANDLE picture, int position);
// The gamma function at `position` (100 unchanged).
DibHandle GammaCopy(IMGHANDLE picture, int position);
// Sharpening with the eight neighbours at `strength` per cent.
DibHandle SharpenCopy(IMGHANDLE picture, int strength);
// Grey, then back to 24 bits.
DibHandle GreyCopy(IMGHANDLE picture);
// The colours inverted.
DibHandle NegativeCopy(IMGHANDLE picture);

// The levels StretchLevels settles on: on the histogram of
// (blue + green + red) / 3 with running count S over levels 0 ... 255 (the
// level's own count included), low is the first level where
// S > N x lowPercent x 0.01, high the first other level where
// S > N x highPercent x 0.01; -1 when not found.
struct StretchRange {
  int low = -1;
  int high = -1;
  bool operator==(const StretchRange &) const = default;
};
StretchRange FindStretchRange(const TMDIB &picture, int lowPercent, int highPercent);
// In place: the levels function with the range found (all channels); an
// unfound end leaves the picture as it is. False when it is not 24-bit.
bool StretchLevels(TMDIB &picture, int lowPercent, int highPercent);
constexpr int kStretchPercentMin = 0, kStretchPercentMax = 100;

// ---- the chains --------------------------------------------------------------

enum class PaintMethod : int {
  Method1 = 1,
  Method2,
  Method3,
  Method4,
  Method5,
  Method6,
  Method7,
  Method8,
  Line, // the line drawing
};

// A page's controls. `relief` is the sharpening depth of methods 4 to 8
// (methods 7 and 8 take the relief bar of method 6), `edge` the edge
// extraction of the line drawing.
struct PaintControls {
  int brush = 6;
  int colour = 10;
  int black = 10;
  int relief = 7;
  int pen = ppColour;
  int edge = 8;
  bool operator==(const PaintControls &) const = default;
};

// The range of one control on a method's page.
struct PaintRange {
  int min, max, def;
};
struct PaintRanges {
  bool brush = false, colour = false, black = false, relief = false, edge = false;
  PaintRange brushRange{4, 7, 6};
  PaintRange colourRange{0, 20, 10};
  PaintRange blackRange{1, 20, 10};
  PaintRange reliefRange{5, 10, 7};
  PaintRange edgeRange{6, 10, 8};
};
// Which controls a method reads, with their ranges and defaults.
PaintRanges PaintRangesOf(PaintMethod method);
// The page's defaults.
PaintControls PaintDefaults(PaintMethod method);
// Empty when every control the method reads is within its range (and the
// pen 0 or 1); otherwise why not, in English.
const char *CheckPaintControls(PaintMethod method, const PaintControls &controls);

// The number of steps of a method's chain (the progress panel's N).
int PaintStepCount(PaintMethod method);

// Told the number of each finished step; returning false stops the chain,
// which then gives no picture.
using PaintStepReport = std::function<bool(int step)>;

// Runs a method's chain on a copy of `source` (any depth) and gives the
// result, a new 24-bit picture; none when a step failed or the report
// stopped it. Every intermediate picture is freed as soon as the next step
// has used it. The steps are numbered as the progress panel counts them:
// [1] the copy, [2] the 24-bit conversion (counted also when none is
// needed), [3] the median, the line drawing [5] in methods 1, 2, 4, 5, 6
// (which skip 4) and [4] in the others, then each method's own steps.
DibHandle PaintPicture(IMGHANDLE source, PaintMethod method, const PaintControls &controls,
                       const PaintStepReport &report = {});
