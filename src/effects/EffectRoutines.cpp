// The filters as named routines, parameters in the order of the functions'
// signatures. They work on 24-bit images and refuse other depths, except
// the plain resize and the aspect command, which take any.
#include "adjust/Fresize.h"
#include "effects/Effects.h"
#include "effects/Fsharpen.h"
#include "effects/Fsoften.h"
#include "effects/Median.h"
#include "effects/OuterFrame.h"
#include "image/Routines.h"

#include <utility>

namespace {

bool Is24(const DibHandle &image) {
  const TMDIB dib(image.get());
  return effects::Is24(dib);
}

// A function of (destination, source) where the destination starts as a
// copy of the source: the image is the destination, a copy the source.
template <class F> bool FromCopy(DibHandle &image, F f) {
  TMDIB dest(image.get());
  return effects::FromCopy(dest, f);
}

} // namespace

std::vector<Routine> EffectRoutines() {
  using Args = const std::vector<double> &;
  return {
      {"SharpenImage",
       {{"type", "int", kSharpenTypeMin, kSharpenTypeMax},
        {"strength", "int", kSharpenStrengthMin, kSharpenStrengthMax}},
       "high-pass sharpen: type 0 four neighbours, 1 eight, 2 directional; strength in %",
       [](DibHandle &image, Args a) {
         return FromCopy(image, [&](TMDIB &d, const TMDIB &s) {
           SharpenImage(d, s, IntArg(a, 0), IntArg(a, 1));
         });
       }},
      {"SoftenWindow",
       {{"area", "int", kSoftenAreaMin, kSoftenAreaMax},
        {"radius", "int", kSoftenStrengthMin, kSoftenWindowRadiusMax},
        {"shape", "int", kSoftenShapeMin, kSoftenShapeMax},
        {"threshold", "int", kSoftenThresholdMin, kSoftenThresholdMax}},
       "weighted-window smoothing: area 0 all, 1 all but edges, 2 edges only; shape 0 square, "
       "1 column, 2 row",
       [](DibHandle &image, Args a) {
         return FromCopy(image, [&](TMDIB &d, const TMDIB &s) {
           SoftenWindow(d, s, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3));
         });
       }},
      {"AverageForward",
       {{"direction", "int", kSoftenDirectionMin, kSoftenDirectionMax}},
       "one forward adjacent-point average: direction 0 horizontal, 1 vertical, 2 both",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) { AverageForward(d, IntArg(a, 0)); });
       }},
      {"AverageBackward",
       {{"direction", "int", kSoftenDirectionMin, kSoftenDirectionMax}},
       "one backward adjacent-point average: direction 0 horizontal, 1 vertical, 2 both",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) { AverageBackward(d, IntArg(a, 0)); });
       }},
      {"AverageForwardEdge",
       {{"direction", "int", kSoftenDirectionMin, kEdgeDirectionMax},
        {"threshold", "int", kSoftenThresholdMin, kSoftenThresholdMax},
        {"edgesOnly", "int", 0, 1}},
       "forward adjacent-point average of pairs below (or, edgesOnly, above) the threshold",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           AverageForwardEdge(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2) != 0);
         });
       }},
      {"AverageBackwardEdge",
       {{"direction", "int", kSoftenDirectionMin, kEdgeDirectionMax},
        {"threshold", "int", kSoftenThresholdMin, kSoftenThresholdMax},
        {"edgesOnly", "int", 0, 1}},
       "backward adjacent-point average of pairs below (or, edgesOnly, above) the threshold",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           AverageBackwardEdge(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2) != 0);
         });
       }},
      {"Soften",
       {{"area", "int", kSoftenAreaMin, kSoftenAreaMax},
        {"direction", "int", kSoftenDirectionMin, kSoftenDirectionMax},
        {"strength", "int", kSoftenStrengthMin, kSoftenStrengthMax},
        {"threshold", "int", kSoftenThresholdMin, kSoftenThresholdMax},
        {"method", "int", kSoftenMethodMin, kSoftenMethodMax}},
       "the soften command: method 0 weighted window, 1 adjacent-point average passes",
       [](DibHandle &image, Args a) {
         TMDIB dib(image.get());
         return Soften(dib, SoftenSettings{IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3),
                                           IntArg(a, 4)});
       }},
      {"MedianFilter",
       {{"method", "int", kMedianMethodMin, kMedianMethodMax},
        {"threshold", "int", kMedianThresholdMin, kMedianThresholdMax}},
       "3 x 3 median; method 1 keeps pixels with a neighbour beyond the threshold",
       [](DibHandle &image, Args a) {
         return FromCopy(image, [&](TMDIB &d, const TMDIB &s) {
           MedianFilter(d, s, IntArg(a, 0), IntArg(a, 1));
         });
       }},
      {"NoiseRemovalA",
       {},
       "enlarge twice (bilinear), median, reduce back (area average)",
       [](DibHandle &image, Args) { return Is24(image) && NoiseRemovalA(image); }},
      {"NoiseRemovalB",
       {},
       "weighted-window smoothing of all but the edges (threshold 50)",
       [](DibHandle &image, Args) {
         TMDIB dib(image.get());
         return NoiseRemovalB(dib);
       }},
      {"ResizeImage",
       {{"width", "int", kResizeMin, kResizeMax},
        {"height", "int", kResizeMin, kResizeMax},
        {"method", "int", static_cast<int>(ResizeMethod::Normal),
         static_cast<int>(ResizeMethod::Bilinear)}},
       "the resize command: method 0 the kit's plain resize, 1 area averaging (oversampling), "
       "2 bilinear (24-bit images)",
       [](DibHandle &image, Args a) {
         return ResizeImage(image, IntArg(a, 0), IntArg(a, 1),
                            static_cast<ResizeMethod>(IntArg(a, 2)));
       }},
      {"AreaAverageResize",
       {{"width", "int", kResizeMin, kResizeMax}, {"height", "int", kResizeMin, kResizeMax}},
       "high-quality resize by area averaging (oversampling)",
       [](DibHandle &image, Args a) {
         return ResizeImage(image, IntArg(a, 0), IntArg(a, 1), ResizeMethod::Oversampling);
       }},
      {"BilinearResize",
       {{"width", "int", kResizeMin, kResizeMax}, {"height", "int", kResizeMin, kResizeMax}},
       "high-quality resize by bilinear interpolation",
       [](DibHandle &image, Args a) {
         return ResizeImage(image, IntArg(a, 0), IntArg(a, 1), ResizeMethod::Bilinear);
       }},
      {"AspectCorrect",
       {{"toFiveFour", "int", 0, 1}},
       "height x 16/15 (1: 4:3 to 5:4) or x 15/16 (0: 5:4 to 4:3), width kept",
       [](DibHandle &image, Args a) { return AspectCorrect(image, IntArg(a, 0) != 0); }},
      {"OuterFrame",
       {{"top", "int", 0, kOuterFrameMaxPixels},
        {"bottom", "int", 0, kOuterFrameMaxPixels},
        {"left", "int", 0, kOuterFrameMaxPixels},
        {"right", "int", 0, kOuterFrameMaxPixels},
        {"red", "int", 0, 255},
        {"green", "int", 0, 255},
        {"blue", "int", 0, 255}},
       "the picture on a larger canvas of one colour (palette images become 24-bit)",
       [](DibHandle &image, Args a) {
         return image.Adopt(OuterFrame(image.get(),
                                       {IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3)},
                                       IntArg(a, 4), IntArg(a, 5), IntArg(a, 6))
                                .release());
       }},
  };
}
