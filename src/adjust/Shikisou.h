// The hue model shared by the hue change and the specific-hue emphasis, and
// the hue change itself. Hue is in tenths of a degree, red at 0 (or 3600),
// green at 1200, blue at 2400; a pixel keeps its minimum channel and its
// chroma sum.
#pragma once

#include "image/Dib.h"

#include <algorithm>
#include <array>
#include <cstdint>

struct HueColour {
  int m = 0; // smallest channel
  int s = 0; // chroma sum (R - m) + (G - m) + (B - m); 0 for grey
  int h = 0; // 0 ... 3600
};

namespace hue_detail {

// x div s for x < 2^19 and 1 <= s <= 510 as (x * kReciprocal[s]) >> 28:
// with 2^28 >= 2^19 x 2^9 the rounded-up reciprocal gives the exact
// quotient, so the pixel loops need no division by a varying number.
inline constexpr int kReciprocalShift = 28;
inline constexpr std::array<uint32_t, 511> kReciprocal = [] {
  std::array<uint32_t, 511> r{};
  for (uint32_t s = 1; s < r.size(); ++s)
    r[s] = static_cast<uint32_t>(((uint64_t{1} << kReciprocalShift) + s - 1) / s);
  return r;
}();

inline int DivideByChroma(int x, int s) {
  return static_cast<int>((static_cast<uint64_t>(x) * kReciprocal[s]) >> kReciprocalShift);
}

} // namespace hue_detail

// m, S and h of a pixel; h is 0 for grey.
inline HueColour HueOf(int r, int g, int b) {
  HueColour c;
  c.m = std::min(r, std::min(g, b));
  c.s = r + g + b - 3 * c.m;
  if (c.s == 0) return c;
  // Green first: pure red (green and blue both smallest) gets 3600.
  if (g == c.m)
    c.h = hue_detail::DivideByChroma((r - c.m) * 1200, c.s) + 2400;
  else if (r == c.m)
    c.h = hue_detail::DivideByChroma((b - c.m) * 1200, c.s) + 1200;
  else
    c.h = hue_detail::DivideByChroma((g - c.m) * 1200, c.s);
  return c;
}

// R, G, B (each at most 255) from m, S and 0 <= h < 3600.
inline void RebuildHue(int m, int s, int h, int &r, int &g, int &b) {
  auto cap = [](int v) { return v > 255 ? 255 : v; };
  if (h < 1200) {
    r = cap(m + (1200 - h) * s / 1200);
    g = cap(m + h * s / 1200);
    b = m;
  } else if (h < 2400) {
    g = cap(m + (2400 - h) * s / 1200);
    b = cap(m + (h - 1200) * s / 1200);
    r = m;
  } else {
    b = cap(m + (3600 - h) * s / 1200);
    r = cap(m + (h - 2400) * s / 1200);
    g = m;
  }
}

// The coarse slider (-180 ... 180) and the fine one (-10 ... 10) together.
constexpr int kHueShiftMin = -190, kHueShiftMax = 190;

// Turns every colour of a 24-bit image by `shift` degrees (-190 ... 190:
// the coarse and the fine slider together); greys stay. Other depths are
// left alone.
void HueChange(TMDIB &dib, int shift, Progress *progress = nullptr);
