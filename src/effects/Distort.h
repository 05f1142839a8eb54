// The four distortions: frosted glass, ripple, swirl and rotation by a free
// angle. Each is an inverse mapping: every pixel of a new 24-bit picture
// asks the bilinear sampler for the colour at a source position given in
// thousandths of a pixel; positions outside the source take a background
// colour. The source is never changed.
#pragma once

#include "image/Dib.h"

#include <cstdint>

constexpr int kGlassDirectionMin = 0, kGlassDirectionMax = 2; // 縦, 横, 格子
constexpr int kGlassDepthMin = 10, kGlassDepthMax = 100;
constexpr int kGlassWidthMin = 10, kGlassWidthMax = 100;
constexpr int kRippleStrengthMin = 5, kRippleStrengthMax = 15;
constexpr int kRippleFrequencyMin = 10, kRippleFrequencyMax = 20;
constexpr int kSwirlAmountMin = 0, kSwirlAmountMax = 100;
constexpr int kSwirlDirectionMin = 0, kSwirlDirectionMax = 1; // 右巻き, 左巻き
constexpr int kCentreMin = 0, kCentreMax = 100;               // per cent of width or height
// What the command-line tool takes; the dialog takes any angle.
constexpr double kRotateAngleMin = -360, kRotateAngleMax = 360;

// One sample: the channels, and whether the position lay outside the
// picture altogether.
struct BilinearSample {
  int red = 0, green = 0, blue = 0;
  bool outside = false;
};

// The colour of a 24-bit view at (x, y) in thousandths of a pixel, x from
// the left and y from the top. Positions before -0.999 or at and beyond the
// width or height, and every position of a view that is not 24-bit, give
// the view's background colour with `outside` set. Otherwise the four
// pixels around the position are blended with integer arithmetic (each
// division truncating toward zero), i = x / 1000 and j = y / 1000 also
// truncated (so -999 ... -1 give 0); a pixel whose unfloored coordinate
// (x or x + 1000, y or y + 1000) lies outside 0 ... 1000 * (size - 1)
// counts as background, so a position between the last two columns already
// blends toward the background.
BilinearSample SampleBilinear(const TMDIB &view, int64_t x, int64_t y);

// Frosted glass: each pixel comes from (x + dx, y + dy) with
// dx = 0.05 * depth * sin(20000 * (x / M) / width), dy likewise from y,
// M the smaller side; direction 0 (縦) keeps dy = 0, 1 (横) dx = 0, 2 (格子)
// both. The picture's size.
DibHandle GlassMap(IMGHANDLE source, int direction, int depth, int width, int red, int green,
                   int blue, Progress *progress = nullptr);

// Ripple around (W * 0.01 * centreX, H * 0.01 * centreY): each pixel is
// turned about the centre by -0.001 * strength * sin(6 r^2 / K) radians,
// K = (2 M / frequency)^2. The picture's size.
DibHandle RippleMap(IMGHANDLE source, int strength, int frequency, int centreX, int centreY,
                    int red, int green, int blue, Progress *progress = nullptr);

// Swirl around the same centre: each pixel is turned by 0.1 k r^2 / M^2
// radians, k = -amount for direction 0 (右巻き), +amount for 1 (左巻き).
// The picture's size.
DibHandle SwirlMap(IMGHANDLE source, int amount, int direction, int centreX, int centreY, int red,
                   int green, int blue, Progress *progress = nullptr);

// Rotation by `angle` degrees, positive clockwise on screen. 0 gives a plain
// copy; -90, 90 and +-180 the kit's quarter and half turns (any depth);
// any other angle the bilinear path with the constant 3.1415 for pi, into a
// picture that holds the turned corners. Empty when the result would pass
// 2^28 pixels or cannot be had, and for a non-finite angle.
DibHandle RotateFree(IMGHANDLE source, double angle, int red, int green, int blue,
                     Progress *progress = nullptr);

// The size RotateFree gives a W x H picture at `angle` on its bilinear path
// (at least 1 x 1); the picture's own size for the copy, swapped for the
// quarter turns.
struct RotatedSize {
  int64_t width = 0, height = 0;
};
RotatedSize RotateFreeSize(int width, int height, double angle);

// The eight-at-a-time blend's weight of one thousandth: 0.001f six float
// steps up, 7.46e-7 above 1 / 1000. For every fraction f of 0 ... 999 and
// every difference d of -255 ... 255, d * (f * weight) in floats lies on
// the far side of the exact f * d / 1000 from zero (the products' rounding
// is far smaller) yet short of the next whole number (the quotient's
// fraction is at most 0.999), so truncating it gives trunc(f * d / 1000).
constexpr float kThousandthWeight = 0x1.0624eap-10f;

// On x86-64 processors with AVX2 the effects blend eight pixels at a time
// (with the same results); tests switch that off to check the pixel-by-pixel
// path as well.
void DistortUseVectors(bool on);
