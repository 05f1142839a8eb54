#include "effects/Distort.h"

#include "effects/Effects.h"
#include "image/HotLoop.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VELMIR_DISTORT_VECTORS 1
#else
#define VELMIR_DISTORT_VECTORS 0
#endif

using effects::PictureRow;

namespace {

// Beyond any picture, yet far inside the 64-bit range.
constexpr double kFar = 1e15;

// A coordinate in pixels as thousandths, truncated toward zero. What is not
// a number, or lies absurdly far out, lands far outside instead of
// overflowing the conversion.
inline int64_t Thousandths(double v) {
  double t = v * 1000.0;
  t = t > -kFar ? t : -kFar;
  t = t < kFar ? t : kFar;
  return static_cast<int64_t>(t);
}

inline int Lerp(int a, int b, int f) { return a + f * (b - a) / 1000; }

inline uint8_t Clamp255(int v) { return effects::Clamp255(v); }

bool gUseVectors = true;

// The source of one distortion with its background colour, and the new
// picture it fills.
struct Mapping {
  TMDIB source;
  DibHandle output;
  TMDIB out;
  // Picture row 0 of the source, the step to the next picture row (rows
  // are stored bottom-up) and the largest thousandths at which all four
  // neighbours of a position lie inside; no interior when the source is not
  // 24-bit or narrower than two pixels.
  const uint8_t *top = nullptr;
  ptrdiff_t stride = 0;
  bool interior = false;
  uint64_t limitX = 0, limitY = 0;
  // Where positions lie outside the picture altogether.
  int64_t endX = 0, endY = 0;
  uint8_t background[3] = {0, 0, 0}; // blue, green, red, clamped
  // The eight-at-a-time path: its offsets and thousandths fit 32 bits.
  bool vectors = false;

  Mapping(IMGHANDLE image, int width, int height, int red, int green, int blue)
      : source(image), output(CreateBlankDib(width, height)) {
    source.backgroundRed = red;
    source.backgroundGreen = green;
    source.backgroundBlue = blue;
    background[0] = Clamp255(blue);
    background[1] = Clamp255(green);
    background[2] = Clamp255(red);
    if (!output) return;
    out.Attach(output.get());
    if (effects::Is24(source) && source.width >= 2 && source.height >= 2) {
      interior = true;
      top = source.topRow;
      stride = source.stride;
      limitX = 1000 * static_cast<uint64_t>(source.width - 2);
      limitY = 1000 * static_cast<uint64_t>(source.height - 2);
      endX = 1000 * static_cast<int64_t>(source.width);
      endY = 1000 * static_cast<int64_t>(source.height);
      constexpr int64_t k31 = int64_t{1} << 31;
      vectors = gUseVectors && HasVectors() && endX < k31 && endY < k31 &&
                static_cast<int64_t>(stride) * source.height < k31;
    }
  }

  static bool HasVectors();

  // One output pixel from position (x, y) in thousandths.
  void Pixel(uint8_t *d, int64_t x, int64_t y) const {
    const auto ux = static_cast<uint64_t>(x), uy = static_cast<uint64_t>(y);
    if (interior && ux <= limitX && uy <= limitY) {
      const uint64_t i = ux / 1000, j = uy / 1000;
      const int fx = static_cast<int>(ux - 1000 * i), fy = static_cast<int>(uy - 1000 * j);
      const uint8_t *a = top - static_cast<ptrdiff_t>(j) * stride + 3 * static_cast<ptrdiff_t>(i);
      const uint8_t *c = a - stride;
      for (int ch = 0; ch < 3; ++ch) {
        const int upper = Lerp(a[ch], a[ch + 3], fx);
        const int lower = Lerp(c[ch], c[ch + 3], fx);
        d[ch] = static_cast<uint8_t>(Lerp(upper, lower, fy));
      }
    } else if (interior && (x < -999 || y < -999 || x >= endX || y >= endY)) {
      d[0] = background[0];
      d[1] = background[1];
      d[2] = background[2];
    } else {
      const BilinearSample s = SampleBilinear(source, x, y);
      d[0] = Clamp255(s.blue);
      d[1] = Clamp255(s.green);
      d[2] = Clamp255(s.red);
    }
  }

  // Output picture row y from the positions xs[k], ys[k] (thousandths).
  // Positions whose four neighbours all lie inside take the straight
  // blend; the rest go through the sampler with its edge rules.
  // The positions may be 32-bit numbers where they are known to fit.
  template <class Position> void Row(int y, const Position *xs, const Position *ys) const {
    uint8_t *d = PictureRow(out, y);
    const int n = out.width;
    int k = 0;
#if VELMIR_DISTORT_VECTORS
    if (vectors) k = RowVectors(d, xs, ys, n);
#endif
    for (; k < n; ++k)
      Pixel(d + 3 * static_cast<ptrdiff_t>(k), xs[k], ys[k]);
  }

#if VELMIR_DISTORT_VECTORS
  template <class Position>
  int RowVectors(uint8_t *d, const Position *xs, const Position *ys, int n) const;
#endif
};

#if VELMIR_DISTORT_VECTORS

bool Mapping::HasVectors() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

// A fraction in thousandths as the weight LerpVector takes (see
// kThousandthWeight).
__attribute__((target("avx2"))) inline __m256 ThousandthsWeight(__m256 f) {
  return _mm256_mul_ps(f, _mm256_set1_ps(kThousandthWeight));
}

// a + trunc(f * (b - a) / 1000) on whole numbers held as floats, with the
// fraction's weight.
__attribute__((target("avx2"))) inline __m256 LerpVector(__m256 a, __m256 b, __m256 weight) {
  const __m256 q = _mm256_round_ps(_mm256_mul_ps(_mm256_sub_ps(b, a), weight),
                                   _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  return _mm256_add_ps(a, q);
}

// The low 32 bits of eight 64-bit numbers.
__attribute__((target("avx2"))) inline __m256i Narrow(__m256i lo, __m256i hi) {
  const __m256i pick = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i a = _mm256_permutevar8x32_epi32(lo, pick);
  const __m256i b = _mm256_permutevar8x32_epi32(hi, pick);
  return _mm256_permute2x128_si256(a, b, 0x20);
}

// v / 1000 and v % 1000 of eight numbers 0 ... 2^31 - 1, through doubles:
// the quotient's fraction is a whole number of thousandths, far above the
// rounding of the product.
__attribute__((target("avx2"))) inline __m256i Thousands(__m256i v) {
  const __m256d k = _mm256_set1_pd(0.001), half = _mm256_set1_pd(0.0005);
  const __m256d lo =
      _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(v)), k), half);
  const __m256d hi =
      _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1)), k), half);
  return _mm256_set_m128i(_mm256_cvttpd_epi32(hi), _mm256_cvttpd_epi32(lo));
}

// Byte `index` of each four-byte word as a float.
__attribute__((target("avx2"))) inline __m256 Channel(__m256i words, int index) {
  const __m256i pick = _mm256_setr_epi8(
      static_cast<char>(index), -1, -1, -1, static_cast<char>(4 + index), -1, -1, -1,
      static_cast<char>(8 + index), -1, -1, -1, static_cast<char>(12 + index), -1, -1, -1,
      static_cast<char>(index), -1, -1, -1, static_cast<char>(4 + index), -1, -1, -1,
      static_cast<char>(8 + index), -1, -1, -1, static_cast<char>(12 + index), -1, -1, -1);
  return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(words, pick));
}

// Four bytes at base + offsets[0 ... 7]. (The gather instruction measured
// faster than eight single loads here, where the processor does not slow it
// down for safety.)
__attribute__((target("avx2"))) inline __m256i Fetch(const uint8_t *base, __m256i offsets) {
  return _mm256_i32gather_epi32(reinterpret_cast<const int *>(base), offsets, 1);
}

// All ones where a position is not far outside: x and y after `before`
// and before their ends.
__attribute__((target("avx2"))) inline __m256i Near(__m256i x, __m256i y, __m256i before,
                                                    __m256i endX, __m256i endY) {
  return _mm256_and_si256(
      _mm256_and_si256(_mm256_cmpgt_epi64(x, before), _mm256_cmpgt_epi64(endX, x)),
      _mm256_and_si256(_mm256_cmpgt_epi64(y, before), _mm256_cmpgt_epi64(endY, y)));
}

// Eight pixels at a time while all four neighbours of each lie inside;
// any other block goes pixel by pixel. Returns the pixels done.
template <class Position>
__attribute__((target("avx2"))) int Mapping::RowVectors(uint8_t *d, const Position *xs,
                                                        const Position *ys, int n) const {
  static_assert(sizeof(Position) == 8 || sizeof(Position) == 4);
  const __m256i limX = _mm256_set1_epi64x(static_cast<int64_t>(limitX));
  const __m256i limY = _mm256_set1_epi64x(static_cast<int64_t>(limitY));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i before = _mm256_set1_epi64x(-1000);
  const __m256i endsX = _mm256_set1_epi64x(endX), endsY = _mm256_set1_epi64x(endY);
  // The same bounds as 32-bit numbers (they fit: see `vectors`).
  const __m256i limX32 = _mm256_set1_epi32(static_cast<int>(limitX));
  const __m256i limY32 = _mm256_set1_epi32(static_cast<int>(limitY));
  const __m256i before32 = _mm256_set1_epi32(-1000);
  const __m256i endsX32 = _mm256_set1_epi32(static_cast<int>(endX));
  const __m256i endsY32 = _mm256_set1_epi32(static_cast<int>(endY));
  uint8_t backgrounds[24];
  for (int e = 0; e < 24; ++e)
    backgrounds[e] = background[e % 3];
  const __m256i thousand = _mm256_set1_epi32(1000);
  const __m256i rowStep = _mm256_set1_epi32(static_cast<int>(stride));
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const uint8_t *upper = top, *upperRight = top + 2;
  const uint8_t *lower = top - stride, *lowerRight = top - stride + 2;
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    uint8_t *out = d + 3 * static_cast<ptrdiff_t>(k);
    __m256i x, y;
    bool off, far = false;
    if constexpr (sizeof(Position) == 8) {
      const __m256i x0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(xs + k));
      const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(xs + k + 4));
      const __m256i y0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(ys + k));
      const __m256i y1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(ys + k + 4));
      __m256i outside = _mm256_or_si256(_mm256_cmpgt_epi64(x0, limX), _mm256_cmpgt_epi64(zero, x0));
      outside = _mm256_or_si256(
          outside, _mm256_or_si256(_mm256_cmpgt_epi64(x1, limX), _mm256_cmpgt_epi64(zero, x1)));
      outside = _mm256_or_si256(
          outside, _mm256_or_si256(_mm256_cmpgt_epi64(y0, limY), _mm256_cmpgt_epi64(zero, y0)));
      outside = _mm256_or_si256(
          outside, _mm256_or_si256(_mm256_cmpgt_epi64(y1, limY), _mm256_cmpgt_epi64(zero, y1)));
      off = !_mm256_testz_si256(outside, outside);
      if (off) {
        const __m256i close =
            _mm256_or_si256(Near(x0, y0, before, endsX, endsY), Near(x1, y1, before, endsX, endsY));
        far = _mm256_testz_si256(close, close);
      }
      x = Narrow(x0, x1);
      y = Narrow(y0, y1);
    } else {
      x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(xs + k));
      y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(ys + k));
      const __m256i outside = _mm256_or_si256(
          _mm256_or_si256(_mm256_cmpgt_epi32(x, limX32), _mm256_cmpgt_epi32(zero, x)),
          _mm256_or_si256(_mm256_cmpgt_epi32(y, limY32), _mm256_cmpgt_epi32(zero, y)));
      off = !_mm256_testz_si256(outside, outside);
      if (off) {
        const __m256i close = _mm256_and_si256(
            _mm256_and_si256(_mm256_cmpgt_epi32(x, before32), _mm256_cmpgt_epi32(endsX32, x)),
            _mm256_and_si256(_mm256_cmpgt_epi32(y, before32), _mm256_cmpgt_epi32(endsY32, y)));
        far = _mm256_testz_si256(close, close);
      }
    }
    if (off) {
      // Eight positions far outside (x or y before -999 or at the end):
      // the background at once.
      if (far) {
        std::memcpy(out, backgrounds, 24);
        continue;
      }
      for (int e = 0; e < 8; ++e)
        Pixel(out + 3 * e, xs[k + e], ys[k + e]);
      continue;
    }
    const __m256i i = Thousands(x), j = Thousands(y);
    const __m256 fx =
        ThousandthsWeight(_mm256_cvtepi32_ps(_mm256_sub_epi32(x, _mm256_mullo_epi32(i, thousand))));
    const __m256 fy =
        ThousandthsWeight(_mm256_cvtepi32_ps(_mm256_sub_epi32(y, _mm256_mullo_epi32(j, thousand))));
    const __m256i at = _mm256_sub_epi32(_mm256_add_epi32(i, _mm256_add_epi32(i, i)),
                                        _mm256_mullo_epi32(j, rowStep));
    // The right-hand neighbours' words start one byte before them.
    const __m256i a = Fetch(upper, at), b = Fetch(upperRight, at);
    const __m256i c = Fetch(lower, at), dd = Fetch(lowerRight, at);
    __m256i result = zero;
    for (int ch = 0; ch < 3; ++ch) {
      const __m256 above = LerpVector(Channel(a, ch), Channel(b, ch + 1), fx);
      const __m256 below = LerpVector(Channel(c, ch), Channel(dd, ch + 1), fx);
      const __m256i v = _mm256_cvttps_epi32(LerpVector(above, below, fy));
      result = _mm256_or_si256(result, _mm256_slli_epi32(v, 8 * ch));
    }
    // Eight three-byte pixels: 24 bytes, written exactly.
    const __m128i first = _mm_shuffle_epi8(_mm256_castsi256_si128(result), pack);
    const __m128i second = _mm_shuffle_epi8(_mm256_extracti128_si256(result, 1), pack);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out),
                     _mm_or_si128(first, _mm_slli_si128(second, 12)));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 16), _mm_srli_si128(second, 4));
  }
  return k;
}

#else

bool Mapping::HasVectors() { return false; }

#endif

// Positions in pixels, written as the effects state them; the loops
// vectorise without changing a bit (no reassociation, no fused
// multiply-adds).
VELMIR_HOT_LOOP void TurnedRow(double *__restrict px, double *__restrict py,
                               const double *__restrict us, int n, double s, double c, double vs,
                               double vc, double cx, double cy) {
  for (int x = 0; x < n; ++x) {
    px[x] = us[x] * c - vs + cx;
    py[x] = us[x] * s + vc + cy;
  }
}

VELMIR_HOT_LOOP void TurnedAbout(double *__restrict px, double *__restrict py,
                                 const double *__restrict dxs, const double *__restrict cosines,
                                 const double *__restrict sines, int n, double cx, double cy,
                                 double dy) {
  for (int x = 0; x < n; ++x) {
    px[x] = cx + dxs[x] * cosines[x] - dy * sines[x];
    py[x] = cy + dxs[x] * sines[x] + dy * cosines[x];
  }
}

#if VELMIR_DISTORT_VECTORS
// Four at a time: times 1000, clamped as Thousandths() clamps (a NaN goes
// to the low end), truncated, and made a 64-bit integer through the bits of
// a double with 2^52 + 2^51 added (exact below 2^51).
__attribute__((target("avx2"))) void ToThousandthsVectors(int64_t *out, const double *v, int n,
                                                          int64_t add, int &done) {
  const __m256d thousand = _mm256_set1_pd(1000.0), low = _mm256_set1_pd(-kFar),
                high = _mm256_set1_pd(kFar), magic = _mm256_set1_pd(6755399441055744.0);
  const __m256i magicBits = _mm256_castpd_si256(magic), extra = _mm256_set1_epi64x(add);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    __m256d t = _mm256_mul_pd(_mm256_loadu_pd(v + k), thousand);
    t = _mm256_min_pd(_mm256_max_pd(t, low), high);
    t = _mm256_round_pd(t, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    const __m256i bits = _mm256_castpd_si256(_mm256_add_pd(t, magic));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + k),
                        _mm256_add_epi64(_mm256_sub_epi64(bits, magicBits), extra));
  }
  done = k;
}
#endif

// out[k] = Thousandths(v[k]) + add.
void ToThousandths(int64_t *out, const double *v, int n, int64_t add) {
  int k = 0;
#if VELMIR_DISTORT_VECTORS
  if (gUseVectors && Mapping::HasVectors()) ToThousandthsVectors(out, v, n, add, k);
#endif
  for (; k < n; ++k)
    out[k] = Thousandths(v[k]) + add;
}

void StartProgress(Progress *progress, int rows) {
  if (progress) progress->SetRange(rows);
}

void Step(Progress *progress) {
  if (progress) progress->Step();
}

#if VELMIR_DISTORT_VECTORS
// The fast trigonometry of the turn effects: four sines and cosines at a
// time, each within kFastTrigError of the true value while the angle lies
// within kFastTrigReach (a quarter-turn count below 2^19, so that its
// products with the 33-bit leading part of pi / 2 are exact); beyond, NaN.
// The turn effects never use these values blindly: see TurnMap.
constexpr double kFastTrigReach = 5e5, kFastTrigError = 1e-12;

__attribute__((target("avx2"))) inline __m256d mul(__m256d a, __m256d b) {
  return _mm256_mul_pd(a, b);
}
__attribute__((target("avx2"))) inline __m256d add(__m256d a, __m256d b) {
  return _mm256_add_pd(a, b);
}

__attribute__((target("avx2"))) void FastSinCos(const double *angles, double *sines,
                                                double *cosines, int n) {
  // pi / 2 in three parts of 33, 33 and 53 bits, and the minimax
  // polynomials of sine and cosine on [-pi / 4, pi / 4].
  const __m256d twoOverPi = _mm256_set1_pd(6.36619772367581382433e-01);
  const __m256d p1 = _mm256_set1_pd(1.57079632673412561417e+00);
  const __m256d p2 = _mm256_set1_pd(6.07710050630396597660e-11);
  const __m256d p3 = _mm256_set1_pd(2.02226624871116645580e-21);
  const __m256d s1 = _mm256_set1_pd(-1.66666666666666324348e-01),
                s2 = _mm256_set1_pd(8.33333333332248946124e-03),
                s3 = _mm256_set1_pd(-1.98412698298579493134e-04),
                s4 = _mm256_set1_pd(2.75573137070700676789e-06),
                s5 = _mm256_set1_pd(-2.50507602534068634195e-08),
                s6 = _mm256_set1_pd(1.58969099521155010221e-10);
  const __m256d c1 = _mm256_set1_pd(4.16666666666666019037e-02),
                c2 = _mm256_set1_pd(-1.38888888888741095749e-03),
                c3 = _mm256_set1_pd(2.48015872894767294178e-05),
                c4 = _mm256_set1_pd(-2.75573143513906633035e-07),
                c5 = _mm256_set1_pd(2.08757232129817482790e-09),
                c6 = _mm256_set1_pd(-1.13596475577881948265e-11);
  const __m256d one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
  const __m256d reach = _mm256_set1_pd(kFastTrigReach), nan = _mm256_set1_pd(std::nan(""));
  const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
  const __m128i bit0 = _mm_set1_epi32(1), bit1 = _mm_set1_epi32(2);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    const __m256d x = _mm256_loadu_pd(angles + k);
    const __m256d q =
        _mm256_round_pd(mul(x, twoOverPi), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d r =
        _mm256_sub_pd(_mm256_sub_pd(_mm256_sub_pd(x, mul(q, p1)), mul(q, p2)), mul(q, p3));
    const __m256d z = mul(r, r);
    const __m256d sp =
        add(s1, mul(z, add(s2, mul(z, add(s3, mul(z, add(s4, mul(z, add(s5, mul(z, s6))))))))));
    const __m256d sine = add(r, mul(mul(r, z), sp));
    const __m256d cp =
        add(c1, mul(z, add(c2, mul(z, add(c3, mul(z, add(c4, mul(z, add(c5, mul(z, c6))))))))));
    const __m256d cosine = add(_mm256_sub_pd(one, mul(half, z)), mul(mul(z, z), cp));
    // The quarter turn picks and signs the two: q = 1 gives (cos, -sin),
    // 2 (-sin, -cos), 3 (-cos, sin).
    const __m128i quarter = _mm256_cvtpd_epi32(q);
    const __m256d swap = _mm256_castsi256_pd(
        _mm256_cvtepi32_epi64(_mm_cmpeq_epi32(_mm_and_si128(quarter, bit0), bit0)));
    const __m256d sineSign = _mm256_castsi256_pd(
        _mm256_slli_epi64(_mm256_cvtepi32_epi64(_mm_and_si128(quarter, bit1)), 62));
    const __m256d cosineSign = _mm256_castsi256_pd(_mm256_slli_epi64(
        _mm256_cvtepi32_epi64(_mm_and_si128(_mm_add_epi32(quarter, bit0), bit1)), 62));
    const __m256d far = _mm256_cmp_pd(_mm256_and_pd(x, absMask), reach, _CMP_NLE_UQ);
    const __m256d sv = _mm256_xor_pd(_mm256_blendv_pd(sine, cosine, swap), sineSign);
    const __m256d cv = _mm256_xor_pd(_mm256_blendv_pd(cosine, sine, swap), cosineSign);
    _mm256_storeu_pd(sines + k, _mm256_blendv_pd(sv, nan, far));
    _mm256_storeu_pd(cosines + k, _mm256_blendv_pd(cv, nan, far));
  }
  for (; k < n; ++k) {
    const double x = angles[k]; // the sines may be written over the angles
    sines[k] = std::sin(x);
    cosines[k] = std::cos(x);
  }
}
#endif

#if VELMIR_DISTORT_VECTORS
// Stores Thousandths() of four positions; all ones where the thousandths
// lie further than `limit` from a whole number.
template <class Position>
__attribute__((target("avx2"))) inline __m256d StoreThousandths(__m256d v, Position *out,
                                                                __m256d limit) {
  const __m256d thousand = _mm256_set1_pd(1000.0), low = _mm256_set1_pd(-kFar),
                high = _mm256_set1_pd(kFar), magic = _mm256_set1_pd(6755399441055744.0);
  const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
  __m256d t = _mm256_mul_pd(v, thousand);
  const __m256d whole = _mm256_round_pd(t, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  const __m256d far =
      _mm256_cmp_pd(_mm256_and_pd(_mm256_sub_pd(t, whole), absMask), limit, _CMP_GT_OQ);
  t = _mm256_min_pd(_mm256_max_pd(t, low), high);
  t = _mm256_round_pd(t, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  if constexpr (sizeof(Position) == 4) {
    // Only where the caller knows every position fits; what is not a number
    // lands on the near list and is worked out again.
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm256_cvttpd_epi32(t));
  } else {
    const __m256i bits = _mm256_castpd_si256(_mm256_add_pd(t, magic));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out),
                        _mm256_sub_epi64(bits, _mm256_castpd_si256(magic)));
  }
  return far;
}

// One row of turned positions in thousandths, four at a time: the same
// steps as TurnedAbout and ToThousandths, to the bit. The columns whose
// thousandths lie within `tolerance` of a whole number (or are not
// numbers) are listed in `near`; returns how many.
template <class Position>
__attribute__((target("avx2"))) int
TurnedThousandths(Position *xs, Position *ys, int *near, const double *dxs, const double *cosines,
                  const double *sines, int n, double cx, double cy, double dy, double tolerance) {
  const __m256d vcx = _mm256_set1_pd(cx), vcy = _mm256_set1_pd(cy), vdy = _mm256_set1_pd(dy);
  const __m256d limit = _mm256_set1_pd(tolerance);
  int count = 0, k = 0;
  for (; k + 4 <= n; k += 4) {
    const __m256d dx = _mm256_loadu_pd(dxs + k), c = _mm256_loadu_pd(cosines + k),
                  s = _mm256_loadu_pd(sines + k);
    const __m256d px =
        _mm256_sub_pd(_mm256_add_pd(vcx, _mm256_mul_pd(dx, c)), _mm256_mul_pd(vdy, s));
    const __m256d py =
        _mm256_add_pd(_mm256_add_pd(vcy, _mm256_mul_pd(dx, s)), _mm256_mul_pd(vdy, c));
    const __m256d farX = StoreThousandths(px, xs + k, limit);
    const __m256d farY = StoreThousandths(py, ys + k, limit);
    const int mask = ~_mm256_movemask_pd(_mm256_and_pd(farX, farY)) & 15;
    if (mask)
      for (int e = 0; e < 4; ++e)
        if (mask & (1 << e)) near[count++] = k + e;
  }
  for (; k < n; ++k)
    near[count++] = k; // the few columns past the last four: worked out exactly
  return count;
}
#endif

VELMIR_HOT_LOOP void SumOfSquares(double *__restrict out, const double *__restrict squares, int n,
                                  double dy2) {
  for (int x = 0; x < n; ++x)
    out[x] = squares[x] + dy2;
}

// Ripple and swirl: every pixel turned about (cx, cy) by an angle that
// depends on r^2 alone. r^2 = (x - cx)^2 + (y - cy)^2 takes the same value,
// to the bit, at rows mirrored about the centre, so a mirrored row reuses
// the whole row's angles. The angles' sines and cosines come from the
// fast trigonometry where the processor has it: a position is kept only
// when its thousandths lie so far from a whole number that the library's
// own sine and cosine (at most kFastTrigError away) could not truncate to
// another; the rest are worked out again with the library's. Without it,
// the trigonometry runs once per distinct pair of squares (the first
// column of each mirrored pair). The results are those of computing every
// pixel with the library's sine and cosine.
template <class Angle>
DibHandle TurnMap(IMGHANDLE image, int centreX, int centreY, int red, int green, int blue,
                  Progress *progress, Angle angle) {
  const TMDIB header(image);
  if (!header.Attached() || header.width <= 0 || header.height <= 0) return {};
  const int w = header.width, h = header.height;
  Mapping map(image, w, h, red, green, blue);
  if (!map.output) return {};
  const double cx = w * 0.01 * centreX, cy = h * 0.01 * centreY;

  std::vector<double> dxs(w), squares(w);
  std::vector<int> first(w); // the first column with the same square
  for (int x = 0; x < w; ++x) {
    dxs[x] = x - cx;
    squares[x] = dxs[x] * dxs[x];
    first[x] = x;
    const double mirror = std::nearbyint(2 * cx - x);
    if (mirror >= 0 && mirror < x) {
      const int m = static_cast<int>(mirror);
      if (squares[m] == squares[x]) first[x] = first[m];
    }
  }
  std::vector<double> cosines(w), sines(w), r2s(w), angles(w);
  std::vector<int64_t> xs(w), ys(w);
  std::vector<int32_t> xs32, ys32;
  std::vector<int> near(w);
  std::vector<char> done(h, 0);
  const bool fast = map.vectors;
  // How far the thousandths of a position may move when each sine and
  // cosine moves by kFastTrigError: through the products with |dx| and
  // |dy|, and the rounding of every step below the largest magnitude.
  const double magnitude = 2.0 * w + h + std::fabs(cx) + std::fabs(cy);
  const double ulp = magnitude * 0x1p-52;
  // Every position, whatever its angle, lies within `magnitude` pixels of
  // the origin: where that fits 32 bits in thousandths, so do they.
  const bool narrow = fast && 1000.0 * magnitude + 2000.0 < 2147483647.0;
  if (narrow) {
    xs32.resize(static_cast<size_t>(w));
    ys32.resize(static_cast<size_t>(w));
  }
#if VELMIR_DISTORT_VECTORS
  const double tolerance =
      1000 * ((static_cast<double>(w) + h) * kFastTrigError + 8 * ulp) + 8 * 1000 * ulp;
#else
  const double tolerance = 0;
#endif

  std::vector<double> px(w), py(w);
  // The fast path's positions of row y, those near a whole thousandth
  // worked out again with the library's trigonometry.
  auto fastPositions = [&](auto *xsOut, auto *ysOut, double dy) {
#if VELMIR_DISTORT_VECTORS
    using Position = std::remove_pointer_t<decltype(xsOut)>;
    const int count = TurnedThousandths(xsOut, ysOut, near.data(), dxs.data(), cosines.data(),
                                        sines.data(), w, cx, cy, dy, tolerance);
    for (int e = 0; e < count; ++e) {
      const int x = near[e];
      const double theta = angle(squares[x] + dy * dy);
      const double c = std::cos(theta), s = std::sin(theta);
      xsOut[x] = static_cast<Position>(Thousandths(cx + dxs[x] * c - dy * s));
      ysOut[x] = static_cast<Position>(Thousandths(cy + dxs[x] * s + dy * c));
    }
#else
    (void)xsOut, (void)ysOut, (void)dy, (void)tolerance;
#endif
  };
  auto render = [&](int y) {
    const double dy = y - cy;
    if (narrow) {
      fastPositions(xs32.data(), ys32.data(), dy);
      map.Row(y, xs32.data(), ys32.data());
    } else {
      if (fast) {
        fastPositions(xs.data(), ys.data(), dy);
      } else {
        TurnedAbout(px.data(), py.data(), dxs.data(), cosines.data(), sines.data(), w, cx, cy, dy);
        ToThousandths(xs.data(), px.data(), w, 0);
        ToThousandths(ys.data(), py.data(), w, 0);
      }
      map.Row(y, xs.data(), ys.data());
    }
    Step(progress);
  };

  StartProgress(progress, h);
  for (int y = 0; y < h; ++y) {
    if (done[y]) continue;
    const double dy = y - cy, dy2 = dy * dy;
#if VELMIR_DISTORT_VECTORS
    if (fast) {
      SumOfSquares(r2s.data(), squares.data(), w, dy2);
      angle.Fast(angles.data(), r2s.data(), w);
      FastSinCos(angles.data(), sines.data(), cosines.data(), w);
    }
#endif
    if (!fast)
      for (int x = 0; x < w; ++x) {
        if (first[x] == x) {
          const double theta = angle(squares[x] + dy2);
          cosines[x] = std::cos(theta);
          sines[x] = std::sin(theta);
        } else {
          cosines[x] = cosines[first[x]];
          sines[x] = sines[first[x]];
        }
      }
    render(y);
    const double mirror = std::nearbyint(2 * cy - y);
    if (mirror > y && mirror < h) {
      const int m = static_cast<int>(mirror);
      const double dm = m - cy;
      if (dm * dm == dy2) {
        done[m] = 1;
        render(m);
      }
    }
  }
  return std::move(map.output);
}

// The angles of the two turn effects, one at a time with the library's
// trigonometry, and a row at a time for the fast path.
struct RippleAngle {
  double strength, k;
  double operator()(double r2) const { return -0.001 * strength * std::sin(6 * r2 / k); }
#if VELMIR_DISTORT_VECTORS
  void Fast(double *angles, const double *r2s, int n) const {
    for (int x = 0; x < n; ++x)
      angles[x] = 6 * r2s[x] / k;
    FastSinCos(angles, angles, scratch(n), n);
    for (int x = 0; x < n; ++x)
      angles[x] = -0.001 * strength * angles[x];
  }
  double *scratch(int n) const {
    buffer.resize(static_cast<size_t>(n));
    return buffer.data();
  }
#endif
  mutable std::vector<double> buffer = {};
};

struct SwirlAngle {
  double k, m2;
  double operator()(double r2) const { return 0.1 * k * r2 / m2; }
#if VELMIR_DISTORT_VECTORS
  void Fast(double *angles, const double *r2s, int n) const {
    for (int x = 0; x < n; ++x)
      angles[x] = (*this)(r2s[x]);
  }
#endif
};

} // namespace

void DistortUseVectors(bool on) { gUseVectors = on; }

BilinearSample SampleBilinear(const TMDIB &view, int64_t x, int64_t y) {
  BilinearSample bg{view.backgroundRed, view.backgroundGreen, view.backgroundBlue, true};
  const int64_t w = view.width, h = view.height;
  if (!effects::Is24(view) || x < -999 || y < -999 || x >= 1000 * w || y >= 1000 * h) return bg;
  bg.outside = false;
  const int64_t i = x / 1000, j = y / 1000;
  const int fx = static_cast<int>((x + 1000) % 1000), fy = static_cast<int>((y + 1000) % 1000);
  const bool left = x >= 0 && x <= 1000 * (w - 1);
  const bool right = x + 1000 >= 0 && x + 1000 <= 1000 * (w - 1);
  const bool upper = y >= 0 && y <= 1000 * (h - 1);
  const bool lower = y + 1000 >= 0 && y + 1000 <= 1000 * (h - 1);
  const int background[3] = {bg.blue, bg.green, bg.red};
  auto pixel = [&](bool inside, int64_t px, int64_t py) -> const uint8_t * {
    return inside ? PictureRow(view, static_cast<int>(py)) + 3 * px : nullptr;
  };
  const uint8_t *a = pixel(left && upper, i, j);
  const uint8_t *b = pixel(right && upper, i + 1, j);
  const uint8_t *c = pixel(left && lower, i, j + 1);
  const uint8_t *d = pixel(right && lower, i + 1, j + 1);
  int result[3];
  for (int ch = 0; ch < 3; ++ch) {
    const int va = a ? a[ch] : background[ch], vb = b ? b[ch] : background[ch];
    const int vc = c ? c[ch] : background[ch], vd = d ? d[ch] : background[ch];
    // A multiple of 1000 has no fraction, and a zero fraction adds nothing:
    // one formula serves the four cases.
    const int top = Lerp(va, vb, fx), bottom = Lerp(vc, vd, fx);
    result[ch] = Lerp(top, bottom, fy);
  }
  bg.blue = result[0];
  bg.green = result[1];
  bg.red = result[2];
  return bg;
}

DibHandle GlassMap(IMGHANDLE source, int direction, int depth, int width, int red, int green,
                   int blue, Progress *progress) {
  const TMDIB header(source);
  if (!header.Attached() || header.width <= 0 || header.height <= 0) return {};
  const int w = header.width, h = header.height;
  Mapping map(source, w, h, red, green, blue);
  if (!map.output) return {};
  const int m = std::min(w, h);
  auto shift = [&](int v) {
    return 0.05 * depth * std::sin(20000 * (static_cast<double>(v) / m) / width);
  };
  std::vector<int64_t> xs(w), ys(w);
  for (int x = 0; x < w; ++x)
    xs[x] = Thousandths(x + (direction == 1 ? 0.0 : shift(x)));
  StartProgress(progress, h);
  for (int y = 0; y < h; ++y) {
    std::fill(ys.begin(), ys.end(), Thousandths(y + (direction == 0 ? 0.0 : shift(y))));
    map.Row(y, xs.data(), ys.data());
    Step(progress);
  }
  return std::move(map.output);
}

DibHandle RippleMap(IMGHANDLE source, int strength, int frequency, int centreX, int centreY,
                    int red, int green, int blue, Progress *progress) {
  const TMDIB header(source);
  const int m = std::min(header.width, header.height);
  const double root = 2.0 * m / frequency, k = root * root;
  return TurnMap(source, centreX, centreY, red, green, blue, progress,
                 RippleAngle{static_cast<double>(strength), k});
}

DibHandle SwirlMap(IMGHANDLE source, int amount, int direction, int centreX, int centreY, int red,
                   int green, int blue, Progress *progress) {
  const TMDIB header(source);
  const int m = std::min(header.width, header.height);
  const double m2 = static_cast<double>(m) * m;
  const int k = direction == 0 ? -amount : amount;
  return TurnMap(source, centreX, centreY, red, green, blue, progress,
                 SwirlAngle{static_cast<double>(k), m2});
}

namespace {

// The kit's turn for an angle on the shortcut path, -1 for the bilinear one.
int QuarterTurnCode(double theta) {
  if (theta == 180 || theta == -180) return IMGKIT_ROTATE_180;
  if (theta == 90) return IMGKIT_ROTATE_LEFT;
  if (theta == -90) return IMGKIT_ROTATE_RIGHT;
  return -1;
}

struct Turn {
  double s, c;
};

Turn TurnOf(double angle) {
  const double rad = -angle * (1.0 / 180) * 3.1415;
  return {std::sin(rad), std::cos(rad)};
}

} // namespace

RotatedSize RotateFreeSize(int width, int height, double angle) {
  const double theta = -angle;
  if (angle == 0 || QuarterTurnCode(theta) == IMGKIT_ROTATE_180) return {width, height};
  if (QuarterTurnCode(theta) >= 0) return {height, width};
  const Turn t = TurnOf(angle);
  const double cornersX[4] = {0, static_cast<double>(width), static_cast<double>(width), 0};
  const double cornersY[4] = {0, 0, static_cast<double>(height), static_cast<double>(height)};
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int i = 0; i < 4; ++i) {
    const double x = cornersX[i] * t.c - cornersY[i] * t.s;
    const double y = cornersX[i] * t.s + cornersY[i] * t.c;
    if (i == 0 || x < minX) minX = x;
    if (i == 0 || x > maxX) maxX = x;
    if (i == 0 || y < minY) minY = y;
    if (i == 0 || y > maxY) maxY = y;
  }
  // A one-pixel picture turned by a hair would come out 0.99... wide.
  return {std::max<int64_t>(1, static_cast<int64_t>(maxX - minX)),
          std::max<int64_t>(1, static_cast<int64_t>(maxY - minY))};
}

DibHandle RotateFree(IMGHANDLE source, double angle, int red, int green, int blue,
                     Progress *progress) {
  const TMDIB header(source);
  if (!header.Attached() || header.width <= 0 || header.height <= 0 || !std::isfinite(angle))
    return {};
  if (angle == 0) return DibHandle(Kit.ImgKitCopy(source, "", ""));
  if (const int code = QuarterTurnCode(-angle); code >= 0) {
    DibHandle copy(Kit.ImgKitCopy(source, "", ""));
    if (!copy) return {};
    IMGHANDLE turned = Kit.ImgKitRotation(copy.get(), "", "", code);
    if (!turned) return {};
    copy.reset(turned);
    return copy;
  }
  const RotatedSize size = RotateFreeSize(header.width, header.height, angle);
  if (size.width * size.height > (int64_t{1} << 28)) return {};
  const int w = static_cast<int>(size.width), h = static_cast<int>(size.height);
  Mapping map(source, w, h, red, green, blue);
  if (!map.output) return {};
  const Turn t = TurnOf(angle);
  const double cx = header.width / 2, cy = header.height / 2;
  const int cxo = w / 2, cyo = h / 2;
  std::vector<double> us(w);
  for (int x = 0; x < w; ++x)
    us[x] = x - cxo;
  std::vector<int64_t> xs(w), ys(w);
  std::vector<double> px(w), py(w);
  StartProgress(progress, h);
  for (int y = 0; y < h; ++y) {
    const double v = y - cyo;
    TurnedRow(px.data(), py.data(), us.data(), w, t.s, t.c, v * t.s, v * t.c, cx, cy);
    // The one thousandth less: this path only runs for a turned picture.
    ToThousandths(xs.data(), px.data(), w, -1);
    ToThousandths(ys.data(), py.data(), w, -1);
    map.Row(y, xs.data(), ys.data());
    Step(progress);
  }
  return std::move(map.output);
}
