// The tone variations' candidates move from the capped value, so that a
// result held at 200 still shows stronger and weaker neighbours.
#include "adjust/Variation.h"

#include "adjust_test_util.h"

using namespace adjusttest;

namespace {
Bgr Candidate(int kind, int v, int steps, int step) {
  DibHandle h = Uniform24(1, 1, Bgr{100, 100, 130});
  TMDIB d(h.get());
  ToneVariationPreview(d, kind, v, steps, step);
  return Get(d, 0, 0);
}
} // namespace

TEST(ToneVariationCandidates, MoveFromTheValueCappedAt200) {
  // v 280 is shown as 200 (saturation +100): mean 110, distances doubled.
  EXPECT_EQ(Candidate(tvSaturation, 280, 0, 5), (Bgr{90, 90, 150}));
  // "＋＋" with step 5 is 240 (+140), "－－" 160 (+60): both differ from
  // the result.
  EXPECT_EQ(Candidate(tvSaturation, 280, 2, 5), (Bgr{86, 86, 158}));
  EXPECT_EQ(Candidate(tvSaturation, 280, -2, 5), (Bgr{94, 94, 142}));
  // Contrast "－" from v 100 with step 3 is 88 (-12): a = 88.
  // 100 -> 128 + 88 x (-28) div 100 = 104; 130 -> 128 + 1 = 129.
  EXPECT_EQ(Candidate(tvContrast, 100, -1, 3), (Bgr{104, 104, 129}));
}

TEST(ToneVariationCandidates, GammaIsNotCapped) {
  // Gamma 300 and gamma 200 differ; the gamma kind keeps v as it is.
  EXPECT_NE(Candidate(tvGamma, 300, 0, 5), Candidate(tvGamma, 200, 0, 5));
  EXPECT_EQ(Candidate(tvGamma, 260, 2, 5), Candidate(tvGamma, 300, 0, 5));
}
