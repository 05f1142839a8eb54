#include "effects/BlendImages.h"

#include "effects/Effects.h"
#include "image/HotLoop.h"

#include <algorithm>

namespace {

using effects::Clamp255;
using effects::PictureRow;

// One mode over a run of n pixels; the mode is a template argument so that
// the inner loop has no switch.
template <int mode> void BlendRun(uint8_t *t, const uint8_t *b, int n, int a) {
  const int rest = 100 - a;
  for (int i = 0; i < n; ++i, t += 3, b += 3) {
    if constexpr (mode == bmBrighter || mode == bmDarker) {
      const int st = t[0] + t[1] + t[2], sb = b[0] + b[1] + b[2];
      const bool topWins = mode == bmBrighter ? st > sb : st < sb;
      const uint8_t *p = topWins ? t : b;
      uint8_t out[3];
      for (int c = 0; c < 3; ++c)
        out[c] = Clamp255(p[c] * rest / 100 + a * (t[c] + b[c]) / 200);
      t[0] = out[0], t[1] = out[1], t[2] = out[2];
    } else {
      for (int c = 0; c < 3; ++c) {
        const int tv = t[c], bv = b[c];
        int v;
        if constexpr (mode == bmMix)
          v = (a * tv + rest * bv) / 100;
        else if constexpr (mode == bmAdd)
          v = bv + a * tv / 100;
        else if constexpr (mode == bmSubtract)
          v = bv - a * tv / 100;
        else if constexpr (mode == bmMixInverseBase)
          v = a * tv / 100 + (255 - bv) * rest / 100;
        else if constexpr (mode == bmMixInverseTop)
          v = bv * rest / 100 + a * (255 - tv) / 100;
        else if constexpr (mode == bmAnd)
          v = bv & (a * tv / 100);
        else if constexpr (mode == bmOr)
          v = bv | (a * tv / 100);
        else
          v = bv ^ (a * tv / 100);
        t[c] = Clamp255(v);
      }
    }
  }
}

using RunFn = void (*)(uint8_t *, const uint8_t *, int, int);
constexpr RunFn kRuns[] = {BlendRun<0>, BlendRun<1>, BlendRun<2>, BlendRun<3>, BlendRun<4>,
                           BlendRun<5>, BlendRun<6>, BlendRun<7>, BlendRun<8>, BlendRun<9>};

bool InRange(int mode, int weight) {
  return mode >= kBlendModeMin && mode <= kBlendModeMax && weight >= kBlendWeightMin &&
         weight <= kBlendWeightMax;
}

} // namespace

void BlendPixel(const uint8_t *top, const uint8_t *base, int mode, int a, uint8_t *out) {
  out[0] = top[0], out[1] = top[1], out[2] = top[2];
  if (InRange(mode, a)) kRuns[mode](out, base, 1, a);
}

void BlendRow(uint8_t *top, const uint8_t *base, int n, int mode, int a) {
  if (n > 0 && InRange(mode, a)) kRuns[mode](top, base, n, a);
}

bool BlendImages(TMDIB &top, const TMDIB &base, int mode, int weight, Progress *progress) {
  if (!effects::Is24(top) || !effects::Is24(base) || !InRange(mode, weight)) return false;
  const int rows = std::min(top.height, base.height);
  const int columns = std::min(top.width, base.width);
  const RunFn run = kRuns[mode];
  for (int y = 0; y < rows; ++y) {
    run(PictureRow(top, y), PictureRow(base, y), columns, weight);
    if (progress) progress->Step();
  }
  return true;
}
