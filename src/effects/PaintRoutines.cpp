// The painting window's building blocks as named routines.
#include "effects/BlendImages.h"
#include "effects/Painting.h"
#include "image/Routines.h"

std::vector<Routine> PaintRoutines() {
  using Args = const std::vector<double> &;
  return {
      {"StretchLevels",
       {{"lowPercent", "int", kStretchPercentMin, kStretchPercentMax},
        {"highPercent", "int", kStretchPercentMin, kStretchPercentMax}},
       "levels stretched between the levels below which lowPercent and highPercent of the "
       "pixels lie (average histogram)",
       [](DibHandle &image, Args a) {
         TMDIB dib(image.get());
         return StretchLevels(dib, IntArg(a, 0), IntArg(a, 1));
       }},
      {.name = "BlendImages",
       .params = {{"mode", "int", kBlendModeMin, kBlendModeMax},
                  {"weight", "int", kBlendWeightMin, kBlendWeightMax}},
       .summary = "the image (top) laid over base: 0 mix, 1 add, 2 subtract, 3 and 4 mix with the "
                  "inverse, 5 brighter, 6 darker, 7 AND, 8 OR, 9 XOR; weight in %",
       .run = {},
       .inputs = {"base"},
       .runWith =
           [](DibHandle &image, Args a, const std::vector<IMGHANDLE> &inputs) {
             TMDIB top(image.get());
             const TMDIB base(inputs[0]);
             return BlendImages(top, base, IntArg(a, 0), IntArg(a, 1));
           }},
  };
}
