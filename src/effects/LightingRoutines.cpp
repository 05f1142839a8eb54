// The lighting, frame, spot, noise and texture effects as named routines,
// parameters in the order of the functions' signatures; colours as red,
// green, blue; the soft spot's blend reads the sharp picture as a further
// one. The random effects take the generator's seed last; it may be
// left out and is then 1, so that a script gives the same picture every
// time. 24-bit images only.
#include "effects/Effects.h"
#include "effects/Litening.h"
#include "image/Routines.h"

#include <cstdint>

namespace {

uint32_t Seed(const std::vector<double> &args, size_t i) { return static_cast<uint32_t>(args[i]); }

RoutineParam Colour(const char *name) { return {name, "int", kColourMin, kColourMax}; }
const RoutineParam kWidth{"width", "int", kFrameWidthMin, kFrameWidthMax};
const RoutineParam kDiameter{"diameter", "int", kSpotDiameterMin, kSpotDiameterMax};
const RoutineParam kSpotStrength{"strength", "int", kSpotStrengthMin, kSpotStrengthMax};
RoutineParam Level(const char *name) { return {name, "int", kFrameLevelMin, kFrameLevelMax}; }
const RoutineParam kSeed{"seed", "int", 0, 4294967295.0, {}, 1};

} // namespace

std::vector<Routine> LightingRoutines() {
  using Args = const std::vector<double> &;
  return {
      {"LightingEffect",
       {{"kind", "int", kLightingKindMin, kLightingKindMax},
        {"x", "int", kLightCentreMin, kLightCentreMax},
        {"y", "int", kLightCentreMin, kLightCentreMax},
        {"area", "int", kLitAreaMin, kLitAreaMax}},
       "lighting: kind 0 backlight, 1 spotlight, 2 wrap-around; centre in % of width and height "
       "(y from the bottom), lit area in %",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           return LightingEffect(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3));
         });
       }},
      {"FadeOutFrame",
       {Colour("red"), Colour("green"), Colour("blue"), kWidth},
       "frame fading from the colour at the edges into the picture",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           return FadeOutFrame(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3));
         });
       }},
      {"TranslucentFrame",
       {Colour("red"), Colour("green"), Colour("blue"), kWidth, Level("transparency")},
       "frame of the colour over the picture, transparency 0 opaque ... 10 clear",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           return TranslucentFrame(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3),
                                   IntArg(a, 4));
         });
       }},
      {"WaveFrame",
       {Colour("red"), Colour("green"), Colour("blue"), kWidth, Level("wavelength")},
       "opaque frame of the colour with a wavy inner edge",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           return WaveFrame(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3),
                            IntArg(a, 4));
         });
       }},
      {"BevelFrame",
       {{"width", "int", kFrameWidthMin, kFrameWidthMax}, Level("strength")},
       "grey 3-D frame, width in pixels; strength 5 flat, above 5 lit from the top left",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(
             image, [&](TMDIB &d) { return BevelFrame(d, IntArg(a, 0), IntArg(a, 1)); });
       }},
      {"EllipseFrame",
       {Colour("red"), Colour("green"), Colour("blue"), kWidth, Level("transparency")},
       "the colour over the picture outside an ellipse, transparency 0 opaque ... 10 clear",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           return EllipseFrame(d, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3),
                               IntArg(a, 4));
         });
       }},
      {"DustSpot",
       {kDiameter, kSpotStrength, kSeed},
       "random light specks growing outwards from a clear centre",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(
             image, [&](TMDIB &d) { return DustSpot(d, IntArg(a, 0), IntArg(a, 1), Seed(a, 2)); });
       }},
      {"WhiteSpot",
       {kDiameter, kSpotStrength, kSeed},
       "whitening growing outwards from a clear centre (the seed changes nothing)",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(
             image, [&](TMDIB &d) { return WhiteSpot(d, IntArg(a, 0), IntArg(a, 1), Seed(a, 2)); });
       }},
      {"SoftSpot",
       {kDiameter, kSpotStrength},
       "blur growing outwards from a sharp centre; strength is the blur's radius",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(
             image, [&](TMDIB &d) { return SoftSpot(d, IntArg(a, 0), IntArg(a, 1)); });
       }},
      {"SoftSpotBlur",
       {{"radius", "int", kSpotStrengthMin, kSpotStrengthMax}},
       "the soft spot's blur alone: the square weighted window over the whole picture",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) { return SoftSpotBlur(d, IntArg(a, 0)); });
       }},
      {.name = "SoftSpotBlend",
       .params = {kDiameter},
       .summary = "the soft spot's blend alone: the image (blurred) takes the sharp picture in the "
                  "centre and mixes towards it in the ring",
       .run = {},
       .inputs = {"sharp"},
       .runWith =
           [](DibHandle &image, Args a, const std::vector<IMGHANDLE> &inputs) {
             TMDIB blurred(image.get());
             const TMDIB sharp(inputs[0]);
             return SoftSpotBlend(blurred, sharp, IntArg(a, 0));
           }},
      {"AddNoise",
       {{"kind", "int", kNoiseKindMin, kNoiseKindMax},
        {"strength", "int", kNoiseStrengthMin, kNoiseStrengthMax},
        kSeed},
       "noise: kind 0 random, 1 luminance, 2 white, 3 black",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(
             image, [&](TMDIB &d) { return AddNoise(d, IntArg(a, 0), IntArg(a, 1), Seed(a, 2)); });
       }},
      {"ApplyTexture",
       {{"texture", "int", kTextureMin, kTextureMax},
        {"strength", "int", kTextureStrengthMin, kTextureStrengthMax},
        kSeed},
       "texture: 0 diagonal, 1 vertical, 2 horizontal stripes, 3 fine, 4 coarse silk weave, "
       "5 cloth",
       [](DibHandle &image, Args a) {
         return effects::InPlace24(image, [&](TMDIB &d) {
           return ApplyTexture(d, IntArg(a, 0), IntArg(a, 1), Seed(a, 2));
         });
       }},
  };
}
