// The image functions of the imaging kit as named routines, parameters in
// the order of the kit's signatures (captions and texts are left empty: the
// routines run without a progress display).
#include "image/Routines.h"

#include <climits>

namespace {

constexpr double kIntMin = INT_MIN;
constexpr double kIntMax = INT_MAX;
// The kit refuses images of more than 2^28 pixels anyway.
constexpr double kMaxSide = 1 << 28;

} // namespace

std::vector<Routine> KitRoutines() {
  return {
      {"ImgKitCopy",
       {},
       "a copy of the image",
       [](DibHandle &image, const std::vector<double> &) {
         return image.Adopt(Kit.ImgKitCopy(image.get(), "", ""));
       }},
      {"ImgKitRectCut",
       {{"left", "int", kIntMin, kIntMax},
        {"top", "int", kIntMin, kIntMax},
        {"right", "int", kIntMin, kIntMax},
        {"bottom", "int", kIntMin, kIntMax}},
       "cut out a rectangle (inclusive corners, y = 0 at the top)",
       [](DibHandle &image, const std::vector<double> &a) {
         return image.Adopt(Kit.ImgKitRectCut(image.get(), "", "", IntArg(a, 0), IntArg(a, 1),
                                              IntArg(a, 2), IntArg(a, 3)));
       }},
      {"ImgKitImageSize",
       {{"width", "int", 1, kMaxSide}, {"height", "int", 1, kMaxSide}},
       "resize by pixel replication and decimation",
       [](DibHandle &image, const std::vector<double> &a) {
         return image.Adopt(Kit.ImgKitImageSize(image.get(), "", "", IntArg(a, 0), IntArg(a, 1)));
       }},
      {"ImgKitRotation",
       {{"kind", "int", 0, 4}},
       "0 rotate 180, 1 rotate left, 2 rotate right, 3 flip top-bottom, 4 flip left-right",
       [](DibHandle &image, const std::vector<double> &a) {
         return image.Adopt(Kit.ImgKitRotation(image.get(), "", "", IntArg(a, 0)));
       }},
      {"ImgKitConvertColor",
       {{"bits", "int", 1, 24, {1, 4, 8, 24}},
        {"fixedPalette", "int", 0, 1},
        {"diffusion", "int", 0, 1}},
       "convert the colour depth (standard or optimised palette, with or without diffusion)",
       [](DibHandle &image, const std::vector<double> &a) {
         return image.Adopt(
             Kit.ImgKitConvertColor(image.get(), IntArg(a, 0), IntArg(a, 1), IntArg(a, 2), "", ""));
       }},
      {"ImgKitSetGray",
       {},
       "8-bit grey",
       [](DibHandle &image, const std::vector<double> &) {
         return image.Adopt(Kit.ImgKitSetGray(image.get(), "", ""));
       }},
      {"ImgKitEmboss",
       {},
       "emboss",
       [](DibHandle &image, const std::vector<double> &) {
         return Kit.ImgKitEmboss(image.get(), "", "") != 0;
       }},
      {"ImgKitColorReverse",
       {},
       "invert the colours",
       [](DibHandle &image, const std::vector<double> &) {
         return Kit.ImgKitColorReverse(image.get(), "", "") != 0;
       }},
      {"ImgKitFilter",
       {{"kind", "int", 3, 4}},
       "edge filter: 3 Roberts, 4 Laplacian",
       [](DibHandle &image, const std::vector<double> &a) {
         return Kit.ImgKitFilter(image.get(), "", "", IntArg(a, 0)) != 0;
       }},
      {"ImgKitMosaic",
       {{"blockSize", "int", 2, 16}},
       "mosaic of square blocks",
       [](DibHandle &image, const std::vector<double> &a) {
         return Kit.ImgKitMosaic(image.get(), "", "", IntArg(a, 0)) != 0;
       }},
      {"ImgKitBright",
       {{"factor", "double", -10, 10}},
       "brighten (> 0) or darken (< 0) by factor x 40",
       [](DibHandle &image, const std::vector<double> &a) {
         return Kit.ImgKitBright(image.get(), "", "", a[0]) != 0;
       }},
      {"ImgKitRGB",
       {{"red", "int", -255, 255}, {"green", "int", -255, 255}, {"blue", "int", -255, 255}},
       "add an offset to each channel",
       [](DibHandle &image, const std::vector<double> &a) {
         return Kit.ImgKitRGB(image.get(), "", "", IntArg(a, 0), IntArg(a, 1), IntArg(a, 2)) != 0;
       }},
  };
}
