// The composite paste as a named routine: the image is the document, the
// pasted picture a further one. Background transparency and the text case
// may be left out (then off, black text on white).
#include "effects/Composite.h"
#include "effects/Effects.h"
#include "image/Routines.h"

namespace {

RoutineParam Flag(const char *name) { return {name, "int", 0, 1, {}, 0}; }
RoutineParam Colour(const char *name, double fallback) {
  return {name, "int", 0, 255, {}, fallback};
}

uint32_t Rgb(const std::vector<double> &a, size_t first) {
  return uint32_t(IntArg(a, first)) << 16 | uint32_t(IntArg(a, first + 1)) << 8 |
         uint32_t(IntArg(a, first + 2));
}

} // namespace

std::vector<Routine> CompositeRoutines() {
  using Args = const std::vector<double> &;
  return {
      {.name = "CompositePaste",
       .params = {{"x", "int", kCompositeOffsetMin, kCompositeOffsetMax},
                  {"y", "int", kCompositeOffsetMin, kCompositeOffsetMax},
                  {"mode", "int", kBlendModeMin, kBlendModeMax},
                  {"transparency", "int", kBlendWeightMin, kBlendWeightMax},
                  Flag("keyColour"),
                  Flag("antiAliased"),
                  Colour("textRed", 0),
                  Colour("textGreen", 0),
                  Colour("textBlue", 0),
                  Colour("backRed", 255),
                  Colour("backGreen", 255),
                  Colour("backBlue", 255)},
       .summary = "pasted laid into the image with its top-left at x, y (from the top-left): the "
                  "blend modes of BlendImages with the image on top, transparency in %; keyColour "
                  "1 leaves out the pasted picture's bottom-left colour; antiAliased 1 (normal "
                  "mode) blends text edges by their coverage between back and text colours",
       .run = {},
       .inputs = {"pasted"},
       .runWith =
           [](DibHandle &image, Args a, const std::vector<IMGHANDLE> &inputs) {
             DibHandle copy;
             const IMGHANDLE pasted24 = effects::Source24(inputs[0], copy);
             if (!pasted24) return false;
             const TMDIB pasted(pasted24);
             CompositeOptions o;
             o.x = IntArg(a, 0), o.y = IntArg(a, 1);
             o.mode = IntArg(a, 2), o.transparency = IntArg(a, 3);
             o.keyTransparent = IntArg(a, 4) != 0, o.antiAliased = IntArg(a, 5) != 0;
             o.textRgb = Rgb(a, 6), o.backgroundRgb = Rgb(a, 9);
             return effects::InPlace24(image,
                                       [&](TMDIB &doc) { return CompositeImages(doc, pasted, o); });
           }},
  };
}
