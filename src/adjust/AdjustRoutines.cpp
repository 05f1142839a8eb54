// The tone and colour adjustments as named routines, parameters in the
// order of the functions' signatures.
#include "adjust/AutoCorrectFile.h"
#include "adjust/Colsplit.h"
#include "adjust/Histfunc.h"
#include "adjust/Sepia.h"
#include "adjust/Shikisou.h"
#include "adjust/Tone.h"
#include "adjust/Variation.h"
#include "adjust/Yuv.h"
#include "image/Routines.h"

namespace {

// Runs a function on the image. 16- and 32-bit images are refused; the hue
// functions leave palette images alone, as their commands do.
template <class F> bool RunOn(DibHandle &image, F f) {
  TMDIB dib(image.get());
  if (!HasToneLayout(dib)) return false;
  f(dib);
  return true;
}

AutoCorrectSettings SettingsFrom(const std::vector<double> &a, bool b) {
  AutoCorrectSettings s;
  (b ? s.contrastB : s.contrastA) = IntArg(a, 0);
  s.gammaOn = IntArg(a, 1) != 0;
  s.gamma = IntArg(a, 2);
  s.colourOn = IntArg(a, 3) != 0;
  s.red = IntArg(a, 4);
  s.green = IntArg(a, 5);
  s.blue = IntArg(a, 6);
  return s;
}

std::vector<RoutineParam> AutoCorrectParams() {
  return {{"threshold", "int", kAutoContrastMin, kAutoContrastMax},
          {"gammaOn", "int", 0, 1},
          {"gamma", "int", kAutoGammaMin, kAutoGammaMax},
          {"colourOn", "int", 0, 1},
          {"red", "int", kAutoColourMin, kAutoColourMax},
          {"green", "int", kAutoColourMin, kAutoColourMax},
          {"blue", "int", kAutoColourMin, kAutoColourMax}};
}

} // namespace

std::vector<Routine> AdjustRoutines() {
  return {
      {"Brightness",
       {{"position", "int", kBrightnessMin, kBrightnessMax}},
       "brighten or darken through the kit (factor position x 0.05)",
       [](DibHandle &image, const std::vector<double> &a) {
         TMDIB dib(image.get());
         return Brightness(dib, IntArg(a, 0));
       }},
      {"Contrast",
       {{"p", "int", kContrastMin, kContrastMax}},
       "contrast around 128: -100 grey, 100 doubled",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) { Contrast(dib, IntArg(a, 0)); });
       }},
      {"Gamma",
       {{"p", "int", kGammaMin, kGammaMax}},
       "255 x (v / 255)^(100 / p): above 100 brightens the mid-tones",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) { Gamma(dib, IntArg(a, 0)); });
       }},
      {"Saturation",
       {{"p", "int", kSaturationMin, kSaturationMax}},
       "saturation around the channel mean: -100 grey, 100 doubled",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) { Saturation(dib, IntArg(a, 0)); });
       }},
      {"Levels",
       {{"low", "int", kLevelsMin, kLevelsMax},
        {"high", "int", kLevelsMin, kLevelsMax},
        {"channel", "int", lcAverage, lcBlue}},
       "stretch low ... high to 0 ... 255 (channel 0 all, 1 red, 2 green, 3 blue)",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image,
                      [&](TMDIB &dib) { Levels(dib, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2)); });
       }},
      {"AutoCorrectA", AutoCorrectParams(),
       "one-click brightness and contrast, then optional gamma and colour shift",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) { AutoCorrectA(dib, SettingsFrom(a, false)); });
       }},
      {"AutoCorrectB", AutoCorrectParams(),
       "one-click brightness, contrast and colour, then optional gamma and colour shift",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) { AutoCorrectB(dib, SettingsFrom(a, true)); });
       }},
      {"BatchCorrectionA",
       {{"threshold", "int", kAutoContrastMin, kAutoContrastMax}},
       "the batch job's correction A: levels between the average histogram's ends, no fallbacks",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(
             image, [&](TMDIB &dib) { AutoCorrectLevels(dib, BatchCorrection::A, IntArg(a, 0)); });
       }},
      {"BatchCorrectionB",
       {{"threshold", "int", kAutoContrastMin, kAutoContrastMax}},
       "the batch job's correction B: each of red, green and blue between its own histogram's ends",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(
             image, [&](TMDIB &dib) { AutoCorrectLevels(dib, BatchCorrection::B, IntArg(a, 0)); });
       }},
      {"HueChange",
       {{"shift", "int", kHueShiftMin, kHueShiftMax}},
       "turn the hue of a 24-bit image by shift degrees",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) { HueChange(dib, IntArg(a, 0)); });
       }},
      {"HueEmphasis",
       {{"centre", "int", kEmphasisCentreMin, kEmphasisCentreMax},
        {"halfWidth", "int", kEmphasisWidthMin, kEmphasisWidthMax},
        {"inside", "int", kEmphasisSaturationMin, kEmphasisSaturationMax},
        {"outside", "int", kEmphasisSaturationMin, kEmphasisSaturationMax}},
       "keep the colours near a hue, desaturate the others (24-bit images)",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image, [&](TMDIB &dib) {
           HueEmphasis(dib, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3));
         });
       }},
      {"RgbBalance",
       {{"red", "int", kRgbMin, kRgbMax},
        {"green", "int", kRgbMin, kRgbMax},
        {"blue", "int", kRgbMin, kRgbMax},
        {"keepLuminance", "int", 0, 1}},
       "shift the channels through the kit, optionally keeping the luminance",
       [](DibHandle &image, const std::vector<double> &a) {
         TMDIB dib(image.get());
         return RgbBalance(dib, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), IntArg(a, 3) != 0);
       }},
      {"YuvBalance",
       {{"y", "int", kYuvMin, kYuvMax},
        {"u", "int", kYuvMin, kYuvMax},
        {"v", "int", kYuvMin, kYuvMax}},
       "shift Y, U and V as channel offsets through the kit",
       [](DibHandle &image, const std::vector<double> &a) {
         TMDIB dib(image.get());
         return YuvBalance(dib, IntArg(a, 0), IntArg(a, 1), IntArg(a, 2));
       }},
      {"Sepia",
       {},
       "grey through the kit, tinted red +30 and blue -30, as a 24-bit image",
       [](DibHandle &image, const std::vector<double> &) { return Sepia(image); }},
      {"ToneVariationApply",
       {{"kind", "int", tvGamma, tvContrast}, {"v", "int", kVariationMin, kVariationMax}},
       "a tone variation's result: 0 gamma, 1 saturation, 2 brightness, 3 contrast; v 100 none",
       [](DibHandle &image, const std::vector<double> &a) {
         return RunOn(image,
                      [&](TMDIB &dib) { ToneVariationApply(dib, IntArg(a, 0), IntArg(a, 1)); });
       }},
  };
}
