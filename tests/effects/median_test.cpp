#include "effects/Median.h"

#include "adjust/Fresize.h"
#include "effects_test_util.h"

#include <utility>
#include <vector>

using namespace effectstest;

namespace {

// The median as first written: five bubble passes of 8, 7, 6, 5 and 4
// comparisons over the nine values, then position 4.
int BubbleMedian(int v[9]) {
  for (int pass = 0; pass < 5; ++pass)
    for (int i = 0; i < 8 - pass; ++i)
      if (v[i + 1] < v[i]) std::swap(v[i], v[i + 1]);
  return v[4];
}

Picture MedianReference(const Picture &in, int method, int t) {
  Picture out = in;
  for (int y = 1; y + 1 < in.h; ++y)
    for (int x = 1; x + 1 < in.w; ++x) {
      if (method == 1) {
        bool edge = false;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            for (int c = 0; c < 3; ++c) {
              const int d = in.at(x + dx, y + dy, c) - in.at(x, y, c);
              if (d * d > t * t) edge = true;
            }
        if (edge) continue;
      }
      for (int c = 0; c < 3; ++c) {
        int v[9], n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            v[n++] = in.at(x + dx, y + dy, c);
        out.at(x, y, c) = BubbleMedian(v);
      }
    }
  return out;
}

Picture Filtered(const DibHandle &src, int method, int t, Progress *progress = nullptr) {
  DibHandle out = Copy(src);
  TMDIB d(out.get());
  const TMDIB s(src.get());
  MedianFilter(d, s, method, t, progress);
  EXPECT_EQ(Padding(d), Padding(s));
  return ToPicture(d);
}

DibHandle Spot(int field, int spot) {
  return Make24(5, 5, [=](int x, int y) {
    const int v = (x == 2 && y == 2) ? spot : field;
    return Bgr{v, field, v};
  });
}

} // namespace

TEST(MedianFilter, MatchesTheBubbleSortOnRandomImages) {
  Noise noise;
  std::vector<std::pair<int, int>> sizes;
  for (int w = 1; w <= 9; ++w)
    for (int h : {1, 2, 3, 4, 6})
      sizes.push_back({w, h});
  sizes.push_back({4001, 3});
  sizes.push_back({4001, 5});
  for (auto [w, h] : sizes)
    for (int levels : {256, 3}) {
      DibHandle src = Random24(w, h, noise, levels);
      const Picture in = ToPicture(src);
      for (int method = 0; method < 2; ++method)
        for (int t : {16, 72, 128}) {
          const Picture got = Filtered(src, method, t);
          const Picture want = MedianReference(in, method, t);
          ASSERT_EQ(got, want) << w << "x" << h << " method " << method << " t " << t << ": "
                               << FirstDifference(got, want);
        }
    }
}

TEST(MedianFilter, IsolatedBrightPixelIsRemoved) {
  const Picture p = Filtered(Spot(40, 240), 0, 72);
  EXPECT_EQ(p.at(2, 2, 0), 40);
  EXPECT_EQ(p.at(2, 2, 1), 40);
}

TEST(MedianFilter, EdgePreservationKeepsItBelowItsDifference) {
  // The difference is 200: a threshold of 199 keeps the pixel, and so do
  // its neighbours, which see it as their neighbour.
  const Picture kept = Filtered(Spot(40, 240), 1, 199);
  EXPECT_EQ(kept.at(2, 2, 0), 240);
  // Exactly the threshold does not prevent filtering.
  const Picture removed = Filtered(Spot(40, 240), 1, 200);
  EXPECT_EQ(removed.at(2, 2, 0), 40);
}

TEST(MedianFilter, ChannelsAreFilteredSeparately) {
  // Each channel's median may come from a different pixel.
  DibHandle src = Make24(3, 3, [](int x, int y) {
    const int i = x + 3 * y;
    return Bgr{i * 10, (8 - i) * 10, (i * 5) % 9 * 10};
  });
  const Picture p = Filtered(src, 0, 72);
  EXPECT_EQ(p.at(1, 1, 0), 40);
  EXPECT_EQ(p.at(1, 1, 1), 40);
  EXPECT_EQ(p.at(1, 1, 2), 40);
}

TEST(MedianFilter, ThinImagesPassThrough) {
  Noise noise;
  for (auto [w, h] : {std::pair{1, 7}, {7, 1}, {2, 5}, {5, 2}}) {
    DibHandle src = Random24(w, h, noise);
    EXPECT_EQ(Filtered(src, 0, 72), ToPicture(src)) << w << "x" << h;
  }
}

TEST(MedianFilter, OtherMethodsWriteNothing) {
  DibHandle src = Spot(40, 240);
  DibHandle out = Uniform24(5, 5, Bgr{1, 2, 3});
  TMDIB d(out.get());
  const TMDIB s(src.get());
  MedianFilter(d, s, 2, 72);
  EXPECT_EQ(Get(d, 0, 0), (Bgr{1, 2, 3}));
  EXPECT_EQ(Get(d, 2, 2), (Bgr{1, 2, 3}));
}

TEST(MedianFilter, OneStepPerRow) {
  CheckingProgress progress;
  Filtered(Spot(0, 1), 0, 72, &progress);
  EXPECT_EQ(progress.steps, 5);
}

TEST(NoiseRemovalA, ReturnsTheInputSize) {
  Noise noise;
  for (auto [w, h] : {std::pair{1, 1}, {7, 5}, {2, 9}, {16, 12}}) {
    DibHandle image = Random24(w, h, noise);
    CheckingProgress progress;
    ASSERT_TRUE(NoiseRemovalA(image, &progress));
    const TMDIB d(image.get());
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_EQ(d.BitsPerPixel(), 24);
    EXPECT_EQ(progress.range, 5 * h);
    EXPECT_EQ(progress.steps, 5 * h);
  }
}

TEST(NoiseRemovalA, IsTheEnlargementFilteredIntoASecondImageAndReduced) {
  // The chain as three separate images, each step from the one before.
  Noise noise;
  std::vector<std::pair<int, int>> sizes = {{37, 11}, {101, 3}};
  for (int w = 1; w <= 9; ++w)
    sizes.push_back({w, 1 + w % 4});
  for (auto [w, h] : sizes) {
    DibHandle image = Random24(w, h, noise);
    DibHandle enlarged = CreateBlankDib(2 * w, 2 * h), filtered = CreateBlankDib(2 * w, 2 * h);
    DibHandle reduced = CreateBlankDib(w, h);
    {
      const TMDIB from(image.get());
      TMDIB big(enlarged.get()), median(filtered.get()), small(reduced.get());
      BilinearResize(big, from);
      MedianFilter(median, big, 0, 0);
      AreaAverageResize(small, median);
    }
    ASSERT_TRUE(NoiseRemovalA(image));
    const Picture got = ToPicture(image), want = ToPicture(reduced);
    ASSERT_EQ(got, want) << w << "x" << h << ": " << FirstDifference(got, want);
  }
}

TEST(NoiseRemovalA, KeepsAFlatColour) {
  DibHandle image = Uniform24(6, 4, Bgr{17, 128, 255});
  ASSERT_TRUE(NoiseRemovalA(image));
  EXPECT_EQ(ToPicture(image), ToPicture(Uniform24(6, 4, Bgr{17, 128, 255})));
}

TEST(NoiseRemovalA, RefusesPaletteImages) {
  DibHandle image = MakePalette(4, 4, 8, 0);
  IMGHANDLE before = image.get();
  EXPECT_FALSE(NoiseRemovalA(image));
  EXPECT_EQ(image.get(), before);
}
