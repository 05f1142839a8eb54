// The distortions as named routines: their parameters in the order of the
// functions, then the background colour as red, green, blue. Each replaces
// the image by its 24-bit result; palette images are made 24-bit first.
#include "effects/Distort.h"
#include "effects/Effects.h"
#include "image/Routines.h"

#include <utility>

namespace {

using Args = const std::vector<double> &;

std::vector<RoutineParam> WithBackground(std::vector<RoutineParam> params) {
  for (const char *name : {"red", "green", "blue"})
    params.push_back({name, "int", 0, 255});
  return params;
}

// Runs make(source, red, green, blue) and takes its result in the image's
// place. A palette image is made 24-bit first: the effects sample full
// colour only.
template <class F> bool Replace(DibHandle &image, Args args, F make) {
  DibHandle converted;
  const IMGHANDLE source = effects::Source24(image.get(), converted);
  if (!source) return false;
  const size_t n = args.size();
  DibHandle result = make(source, IntArg(args, n - 3), IntArg(args, n - 2), IntArg(args, n - 1));
  if (!result) return false;
  image = std::move(result);
  return true;
}

} // namespace

std::vector<Routine> DistortRoutines() {
  return {
      {"GlassMap",
       WithBackground({{"direction", "int", kGlassDirectionMin, kGlassDirectionMax},
                       {"depth", "int", kGlassDepthMin, kGlassDepthMax},
                       {"width", "int", kGlassWidthMin, kGlassWidthMax}}),
       "frosted glass: direction 0 vertical bands, 1 horizontal, 2 lattice; bump depth and "
       "width; background colour",
       [](DibHandle &image, Args a) {
         return Replace(image, a, [&](IMGHANDLE s, int r, int g, int b) {
           return GlassMap(s, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), r, g, b);
         });
       }},
      {"RippleMap",
       WithBackground({{"strength", "int", kRippleStrengthMin, kRippleStrengthMax},
                       {"frequency", "int", kRippleFrequencyMin, kRippleFrequencyMax},
                       {"centreX", "int", kCentreMin, kCentreMax},
                       {"centreY", "int", kCentreMin, kCentreMax}}),
       "ripple around the centre (per cent of width and height); background colour",
       [](DibHandle &image, Args a) {
         return Replace(image, a, [&](IMGHANDLE s, int r, int g, int b) {
           return RippleMap(s, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3), r, g, b);
         });
       }},
      {"SwirlMap",
       WithBackground({{"amount", "int", kSwirlAmountMin, kSwirlAmountMax},
                       {"direction", "int", kSwirlDirectionMin, kSwirlDirectionMax},
                       {"centreX", "int", kCentreMin, kCentreMax},
                       {"centreY", "int", kCentreMin, kCentreMax}}),
       "swirl around the centre (per cent); direction 0 right-handed, 1 left-handed; "
       "background colour",
       [](DibHandle &image, Args a) {
         return Replace(image, a, [&](IMGHANDLE s, int r, int g, int b) {
           return SwirlMap(s, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3), r, g, b);
         });
       }},
      {"RotateFree", WithBackground({{"angle", "double", kRotateAngleMin, kRotateAngleMax}}),
       "rotation by an angle in degrees, positive clockwise; the corners take the background "
       "colour",
       [](DibHandle &image, Args a) {
         return Replace(image, a, [&](IMGHANDLE s, int r, int g, int b) {
           return RotateFree(s, a[0], r, g, b);
         });
       }},
  };
}
