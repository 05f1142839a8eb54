// Stored TIFF samples of every integer and floating-point kind brought to
// 8 bits, and CIELab pixels brought to sRGB. Used by the TIFF reader on
// each decoded row, after libtiff has undone compression, predictors and
// byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kit {

// How the samples of a row are stored.
enum class SampleKind {
  U8,     // unsigned, one byte
  U16,    // unsigned, native order (libtiff swaps them)
  U24,    // unsigned, three bytes in native order
  U32,    // unsigned, native order
  Packed, // unsigned of another width below 32 bits, most significant bit first
  S8,     // signed: the range is shifted up by half, so 0 reads as mid-grey
  S16,
  S24, // three bytes in native order, as U24
  S32,
  F16, // floating point: 0.0 ... 1.0 is black ... white, clamped, NaN as 0
  F32,
  F64,
};

// The kind for a SampleFormat tag value and a bit count; false when the
// reader has no conversion for it.
bool PickSampleKind(uint16_t format, uint16_t bitsPerSample, SampleKind &kind);

// Converts `count` consecutive samples starting at the first of `row`
// (which starts on a byte) to 8-bit values.
void SamplesTo8(SampleKind kind, int bitsPerSample, const uint8_t *row, size_t count, uint8_t *out);

// The same samples as 0.0 ... 1.0 at full precision, floating-point ones
// clamped (NaN as 0): for compositing before the reduction.
void SamplesToUnit(SampleKind kind, int bitsPerSample, const uint8_t *row, size_t count,
                   double *out);

// 0.0 ... 1.0 to 0 ... 255, rounded half up; out of range clamped, NaN 0.
inline uint8_t UnitTo8(double v) {
  if (!(v > 0)) return 0; // also NaN
  if (v >= 1) return 255;
  return static_cast<uint8_t>(v * 255 + 0.5);
}

// CIELab (or ICC Lab, whose a and b are stored with an offset of 128) to
// sRGB: the source white (D50 unless the file names another) is adapted to
// D65 with the Bradford transform, so that L = 100 is white.
class LabToRgb {
public:
  // Samples of 8 or 16 bits (integer) or 32 bits (floating point); the
  // white point as x, y chromaticity, or null for D50.
  LabToRgb(SampleKind kind, bool iccOffset, const float *whiteXy);
  // True when the sample kind is one this conversion reads.
  static bool Accepts(SampleKind kind);
  // Pixel i of three channels given as pointers with a step in samples;
  // writes blue, green, red.
  void Pixel(const uint8_t *l, const uint8_t *a, const uint8_t *b, size_t i, size_t step,
             uint8_t *bgr) const;

private:
  SampleKind kind_;
  bool icc_;
  double m_[3][3]; // XYZ relative to the source white, straight to linear sRGB
  double white_[3];
};

} // namespace kit
