#include "tiff_samples.h"

#include "common/reduce8.h"

#include <tiffio.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace kit {

namespace {

template <typename T> inline T Load(const uint8_t *p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// An IEEE half (1 sign, 5 exponent, 10 fraction bits) as a float; every
// half is exact as a float.
inline float HalfToFloat(uint16_t h) {
  const int exponent = h >> 10 & 0x1f;
  const int fraction = h & 0x3ff;
  float v;
  if (exponent == 0)
    v = std::ldexp(static_cast<float>(fraction), -24); // subnormal
  else if (exponent == 31)
    v = fraction ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
  else
    v = std::ldexp(static_cast<float>(fraction | 0x400), exponent - 25);
  return h & 0x8000 ? -v : v;
}

} // namespace

bool PickSampleKind(uint16_t format, uint16_t bps, SampleKind &kind) {
  switch (format) {
  case SAMPLEFORMAT_UINT:
    switch (bps) {
    case 8: kind = SampleKind::U8; return true;
    case 16: kind = SampleKind::U16; return true;
    case 24: kind = SampleKind::U24; return true;
    case 32: kind = SampleKind::U32; return true;
    default: kind = SampleKind::Packed; return bps > 0 && bps < 32;
    }
  case SAMPLEFORMAT_INT:
    switch (bps) {
    case 8: kind = SampleKind::S8; return true;
    case 16: kind = SampleKind::S16; return true;
    case 24: kind = SampleKind::S24; return true;
    case 32: kind = SampleKind::S32; return true;
    default: return false;
    }
  case SAMPLEFORMAT_IEEEFP:
    switch (bps) {
    case 16: kind = SampleKind::F16; return true;
    case 32: kind = SampleKind::F32; return true;
    case 64: kind = SampleKind::F64; return true;
    default: return false;
    }
  default: return false;
  }
}

namespace {

// Hands every sample of the row to `whole(i, v, max)` (integers, 0 ... max;
// signed ones shifted up by half their range) or `unit(i, value)`
// (floating point, unclamped).
template <typename Whole, typename Unit>
void EachSample(SampleKind kind, int bps, const uint8_t *row, size_t count, Whole &&whole,
                Unit &&unit) {
  switch (kind) {
  case SampleKind::U8:
    for (size_t i = 0; i < count; ++i)
      whole(i, row[i], 0xff);
    break;
  case SampleKind::U16:
    for (size_t i = 0; i < count; ++i)
      whole(i, Load<uint16_t>(row + 2 * i), 0xffff);
    break;
  case SampleKind::U24:
    for (size_t i = 0; i < count; ++i) {
      uint32_t v = 0;
      std::memcpy(&v, row + 3 * i, 3); // native (little-endian) order
      whole(i, v, 0xffffff);
    }
    break;
  case SampleKind::U32:
    for (size_t i = 0; i < count; ++i)
      whole(i, Load<uint32_t>(row + 4 * i), 0xffffffffu);
    break;
  case SampleKind::Packed: {
    const uint64_t max = (uint64_t{1} << bps) - 1;
    uint64_t acc = 0;
    int have = 0;
    const uint8_t *p = row;
    for (size_t i = 0; i < count; ++i) {
      while (have < bps) {
        acc = acc << 8 | *p++;
        have += 8;
      }
      have -= bps;
      whole(i, (acc >> have) & max, max);
    }
    break;
  }
  // Flipping the sign bit is the shift up by half the range.
  case SampleKind::S8:
    for (size_t i = 0; i < count; ++i)
      whole(i, row[i] ^ 0x80u, 0xff);
    break;
  case SampleKind::S16:
    for (size_t i = 0; i < count; ++i)
      whole(i, Load<uint16_t>(row + 2 * i) ^ 0x8000u, 0xffff);
    break;
  case SampleKind::S24:
    for (size_t i = 0; i < count; ++i) {
      uint32_t v = 0;
      std::memcpy(&v, row + 3 * i, 3);
      whole(i, v ^ 0x800000u, 0xffffff);
    }
    break;
  case SampleKind::S32:
    for (size_t i = 0; i < count; ++i)
      whole(i, Load<uint32_t>(row + 4 * i) ^ 0x80000000u, 0xffffffffu);
    break;
  case SampleKind::F16:
    for (size_t i = 0; i < count; ++i)
      unit(i, HalfToFloat(Load<uint16_t>(row + 2 * i)));
    break;
  case SampleKind::F32:
    for (size_t i = 0; i < count; ++i)
      unit(i, Load<float>(row + 4 * i));
    break;
  case SampleKind::F64:
    for (size_t i = 0; i < count; ++i)
      unit(i, Load<double>(row + 8 * i));
    break;
  }
}

} // namespace

void SamplesTo8(SampleKind kind, int bps, const uint8_t *row, size_t count, uint8_t *out) {
  if (kind == SampleKind::U8) {
    std::memcpy(out, row, count);
    return;
  }
  EachSample(
      kind, bps, row, count,
      [out](size_t i, uint64_t v, uint64_t max) {
        // 16-bit samples, the common deep kind, divide by a constant.
        out[i] = max == 0xffff ? velmir_reduce16(static_cast<uint16_t>(v)) : velmir_reduce8(v, max);
      },
      [out](size_t i, double v) { out[i] = UnitTo8(v); });
}

void SamplesToUnit(SampleKind kind, int bps, const uint8_t *row, size_t count, double *out) {
  EachSample(
      kind, bps, row, count,
      [out](size_t i, uint64_t v, uint64_t max) {
        out[i] = static_cast<double>(v) / static_cast<double>(max);
      },
      [out](size_t i, double v) { out[i] = !(v > 0) ? 0.0
                                           : v < 1  ? v
                                                    : 1.0; });
}

// ---- CIELab -----------------------------------------------------------------

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix Multiply(const Matrix &a, const Matrix &b) {
  Matrix r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k)
        r[i][j] += a[i][k] * b[k][j];
  return r;
}

Matrix Inverse(const Matrix &m) {
  const double a = m[0][0], b = m[0][1], c = m[0][2], d = m[1][0], e = m[1][1], f = m[1][2],
               g = m[2][0], h = m[2][1], i = m[2][2];
  const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  return {{{(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det},
           {(f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det},
           {(d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det}}};
}

std::array<double, 3> Apply(const Matrix &m, const std::array<double, 3> &v) {
  return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
          m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
          m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

// Cone responses of the Bradford transform.
constexpr Matrix kBradford = {
    {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
// XYZ (D65) to linear sRGB.
constexpr Matrix kXyzToSrgb = {{{3.2404542, -1.5371385, -0.4985314},
                                {-0.9692660, 1.8760108, 0.0415560},
                                {0.0556434, -0.2040259, 1.0572252}}};
constexpr std::array<double, 3> kD65 = {0.95047, 1.0, 1.08883};
constexpr std::array<double, 3> kD50 = {0.96422, 1.0, 0.82521};

// Linear light in 1/65536 steps to the sRGB curve in 8 bits.
constexpr int kCurveSteps = 1 << 16;
const uint8_t *SrgbCurve() {
  static const std::unique_ptr<uint8_t[]> table = [] {
    std::unique_ptr<uint8_t[]> t(new uint8_t[kCurveSteps + 1]);
    for (int i = 0; i <= kCurveSteps; ++i) {
      const double c = static_cast<double>(i) / kCurveSteps;
      const double e = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
      t[i] = UnitTo8(e);
    }
    return t;
  }();
  return table.get();
}

inline uint8_t Encode(const uint8_t *curve, double linear) {
  if (!(linear > 0)) return 0;
  if (linear >= 1) return 255;
  return curve[static_cast<int>(linear * kCurveSteps + 0.5)];
}

// The inverse of the Lab companding function.
inline double LabInverse(double t) {
  constexpr double d = 6.0 / 29.0;
  return t > d ? t * t * t : 3 * d * d * (t - 4.0 / 29.0);
}

} // namespace

LabToRgb::LabToRgb(SampleKind kind, bool iccOffset, const float *whiteXy)
    : kind_(kind), icc_(iccOffset) {
  std::array<double, 3> white = kD50;
  if (whiteXy && whiteXy[1] > 0 && whiteXy[0] > 0 && whiteXy[0] + whiteXy[1] < 1)
    white = {whiteXy[0] / whiteXy[1], 1.0, (1 - whiteXy[0] - whiteXy[1]) / whiteXy[1]};
  // Bradford: into cone space, scale the source white onto D65, back out.
  const std::array<double, 3> src = Apply(kBradford, white), dst = Apply(kBradford, kD65);
  Matrix scale{};
  for (int i = 0; i < 3; ++i)
    scale[i][i] = dst[i] / src[i];
  const Matrix adapt = Multiply(Inverse(kBradford), Multiply(scale, kBradford));
  const Matrix m = Multiply(kXyzToSrgb, adapt);
  for (int i = 0; i < 3; ++i) {
    white_[i] = white[i];
    for (int j = 0; j < 3; ++j)
      m_[i][j] = m[i][j];
  }
  SrgbCurve(); // built before the first row
}

bool LabToRgb::Accepts(SampleKind kind) {
  return kind == SampleKind::U8 || kind == SampleKind::S8 || kind == SampleKind::U16 ||
         kind == SampleKind::S16 || kind == SampleKind::F32;
}

void LabToRgb::Pixel(const uint8_t *lp, const uint8_t *ap, const uint8_t *bp, size_t i, size_t step,
                     uint8_t *bgr) const {
  double l, a, b;
  const size_t at = i * step;
  switch (kind_) {
  case SampleKind::U8:
  case SampleKind::S8:
    l = lp[at] * (100.0 / 255.0);
    a = icc_ ? ap[at] - 128.0 : static_cast<int8_t>(ap[at]);
    b = icc_ ? bp[at] - 128.0 : static_cast<int8_t>(bp[at]);
    break;
  case SampleKind::U16:
  case SampleKind::S16:
    l = Load<uint16_t>(lp + 2 * at) * (100.0 / 65535.0);
    a = icc_ ? Load<uint16_t>(ap + 2 * at) / 256.0 - 128.0 : Load<int16_t>(ap + 2 * at) / 256.0;
    b = icc_ ? Load<uint16_t>(bp + 2 * at) / 256.0 - 128.0 : Load<int16_t>(bp + 2 * at) / 256.0;
    break;
  default:
    l = Load<float>(lp + 4 * at);
    a = Load<float>(ap + 4 * at);
    b = Load<float>(bp + 4 * at);
    break;
  }
  const double fy = (l + 16) / 116;
  const double x = white_[0] * LabInverse(fy + a / 500);
  const double y = white_[1] * LabInverse(fy);
  const double z = white_[2] * LabInverse(fy - b / 200);
  const uint8_t *curve = SrgbCurve();
  for (int c = 0; c < 3; ++c)
    bgr[2 - c] = Encode(curve, m_[c][0] * x + m_[c][1] * y + m_[c][2] * z);
}

} // namespace kit
