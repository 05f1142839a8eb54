// Lighting, photo frames, spots, added noise and texture: routines that
// change a 24-bit image in place.
//
// Positions: x is the column from the left; r is the memory row, counted
// from the bottom of the picture (r = 0 the bottom row, r = H - 1 the top),
// and several routines measure with r, not from the top. Byte-wise routines
// see byte k = 0 ... 3W - 1 of a row as pixel k / 3, channel k % 3 (blue,
// green, red). Rows are worked from the top (r = H - 1) down, one progress
// step each, and random numbers are drawn in that order.
//
// Every routine returns false and leaves the image alone when it is not
// 24-bit, a side is longer than kLiteningMaxSide or a parameter lies
// outside its range below.
#pragma once

#include "image/Dib.h"

#include <cstdint>

constexpr int kLightingKindMin = 0, kLightingKindMax = 2; // backlight, spotlight, wrap-around
constexpr int kLightCentreMin = 0, kLightCentreMax = 100; // per cent of the width or height
constexpr int kLitAreaMin = 10, kLitAreaMax = 100;
constexpr int kFrameWidthMin = 1, kFrameWidthMax = 11;
// The frames' second setting: transparency, wavelength or bevel strength.
constexpr int kFrameLevelMin = 0, kFrameLevelMax = 10;
constexpr int kSpotDiameterMin = 3, kSpotDiameterMax = 7;
constexpr int kSpotStrengthMin = 1, kSpotStrengthMax = 5;
constexpr int kNoiseKindMin = 0, kNoiseKindMax = 3; // random, luminance, white, black
constexpr int kNoiseStrengthMin = 2, kNoiseStrengthMax = 6;
constexpr int kTextureMin = 0, kTextureMax = 5;
constexpr int kTextureStrengthMin = 2, kTextureStrengthMax = 6;
constexpr int kColourMin = 0, kColourMax = 255;
// Up to this side every distance product fits 64 bits and every quotient
// taken in double precision is exact.
constexpr int kLiteningMaxSide = 1 << 20;

// The linear congruential generator of the random effects: state * 22695477
// + 1 modulo 2^32, each value (state >> 16) & 0x7FFF. Seeding sets the state
// and throws the first value away.
class LcgRandom {
public:
  static constexpr uint32_t kMultiplier = 22695477u;
  static constexpr uint32_t kIncrement = 1u;

  explicit LcgRandom(uint32_t seed) : state_(seed) { Next(); }
  int Next() {
    state_ = state_ * kMultiplier + kIncrement;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  // The next n values into out, as n calls of Next would give them.
  void Fill(uint16_t *out, size_t n);

private:
  uint32_t state_;
};

// Lighting, the same change to the three channels of a pixel, clamped.
// With R = (area * (W^2 + H^2) / 100) / 4 and d^2 the squared distance from
// (W * x / 100, H * y / 100), y counted upwards from the bottom row:
// kind 0 (backlight) adds 255 - 255 * sqrt(d^2) / sqrt(R) where d^2 < R;
// kind 1 (spotlight) subtracts d^2 * 128 / R everywhere; kind 2
// (wrap-around) adds (2d^2 - R) * 510 / W / H where 2d^2 > R. Square roots
// and quotients are truncated. On a picture too small for R to reach 1 the
// spotlight divides by 1 instead: only its centre keeps its light.
bool LightingEffect(TMDIB &dib, int kind, int x, int y, int area, Progress *progress = nullptr);

// The frames measure g = min(x, W - x, r, H - r) from the edges (0 in the
// left column and the bottom row, 1 in the right column and the top row).
// Colours are given as red, green, blue.

// Fade-out: where g <= width * W / 100, the byte becomes
// (t * v + c * (100 - t)) / 100 with t = g * 10000 / width / W per cent.
bool FadeOutFrame(TMDIB &dib, int red, int green, int blue, int width,
                  Progress *progress = nullptr);
// Translucent: where g <= width * W * 5 / 1000, the byte becomes
// (transparency * v + c * (10 - transparency)) / 10.
bool TranslucentFrame(TMDIB &dib, int red, int green, int blue, int width, int transparency,
                      Progress *progress = nullptr);
// Wave: f = wavelength + 1, h = f * sin(r / f) per row, q = f * sin(k / 3 / f)
// per byte (k / 3 real); the byte takes the colour where
// min(trunc(x + h), trunc(W - x + h), trunc(r + q), trunc(H - r + q))
// <= 5 * width * W / 1000.
bool WaveFrame(TMDIB &dib, int red, int green, int blue, int width, int wavelength,
               Progress *progress = nullptr);
// 3-D: an opaque grey bevel `width` pixels wide, light = 11 * strength + 105
// on the top and left, dark = 215 - 11 * strength on the bottom and right
// (the right band one column wider), split diagonally in the top-right and
// bottom-left corners. Where the bands of a small picture overlap, a row
// takes the band of its nearer edge (the top one when both are equally
// near), and so does a column (the left one when equal).
bool BevelFrame(TMDIB &dib, int width, int strength, Progress *progress = nullptr);
// Ellipse: outside the ellipse k^2 * dx^2 + dy^2 < rho^2 around
// (W / 2, H / 2), with k = H / W and rho = (100 - width) * H / 2 / 100 in
// double precision, the byte becomes
// (transparency * v + c * (10 - transparency)) / 10.
bool EllipseFrame(TMDIB &dib, int red, int green, int blue, int width, int transparency,
                  Progress *progress = nullptr);

// The spots share their geometry: r1 = min(W, H) * diameter / 16,
// r2 = r1 * 16 / 10, d^2 the squared distance from (W / 2, H / 2); the
// inner disc d^2 <= r1^2 stays, the ring r1^2 < d^2 < r2^2 changes in
// proportion to d^2 - r1^2, the outside in full. On small pictures r2 may
// equal r1; the inner disc then keeps its edge.

// Dust: one draw n = rand % (2 * strength) per pixel (every pixel, at its
// first byte) lightens the ring by (d^2 - r1^2) * n * 20 / (r2^2 - r1^2)
// and the outside by 20 * n, capped at 255.
bool DustSpot(TMDIB &dib, int diameter, int strength, uint32_t seed, Progress *progress = nullptr);
// White: the dust spot with `strength` for every draw. The generator is
// seeded as for the others but never drawn.
bool WhiteSpot(TMDIB &dib, int diameter, int strength, uint32_t seed, Progress *progress = nullptr);
// Soft spot, blurring step: the weighted-window smoothing of the soften
// command (square window of `radius`, whole picture), in place.
bool SoftSpotBlur(TMDIB &dib, int radius, Progress *progress = nullptr);
// Soft spot, blending step: `blurred` keeps its values outside, takes
// `sharp` in the inner disc and in the ring
// b * (d^2 - r1^2) / (r2^2 - r1^2) + v * (r2^2 - d^2) / (r2^2 - r1^2)
// (b blurred, v sharp, each term truncated), capped at 255.
bool SoftSpotBlend(TMDIB &blurred, const TMDIB &sharp, int diameter, Progress *progress = nullptr);
// The whole soft spot: blurred with radius `strength`, blended back to the
// sharp picture towards the centre; SoftSpotBlur then SoftSpotBlend, with
// no more of the sharp picture kept than the rows the blur still needs.
// Two progress steps per row.
bool SoftSpot(TMDIB &dib, int diameter, int strength, Progress *progress = nullptr);

// Noise, clamped. Kind 0: every byte gets strength * (rand % 20 - 10).
// Kinds 1 to 3 draw c = rand % 10 once per pixel: 1 adds strength * (c - 5)
// to its bytes, 2 adds 10 * c and 3 subtracts 10 * c where c < strength.
bool AddNoise(TMDIB &dib, int kind, int strength, uint32_t seed, Progress *progress = nullptr);

// Texture: +-5 * strength in a pattern of r and x, the same for the bytes
// of a pixel, clamped. 0 diagonal stripes, 1 vertical stripes, 2 horizontal
// stripes, 3 fine and 4 coarse silk weave (4 x 4 and 5 x 5 cells), 5 cloth
// (6 x 6 cells, every byte drawing rand % 20 and left alone on 19).
bool ApplyTexture(TMDIB &dib, int texture, int strength, uint32_t seed,
                  Progress *progress = nullptr);
