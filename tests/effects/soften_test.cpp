#include "effects/Fsoften.h"

#include "effects_test_util.h"

using namespace effectstest;

namespace {

// The weighted window as described: one pixel at a time, window samples
// read from the picture being rewritten.
Picture WindowReference(const Picture &in, int area, int r, int shape, int t) {
  Picture out = in;
  const int rx = shape == 1 ? 0 : r, ry = shape == 2 ? 0 : r;
  for (int y = 0; y < in.h; ++y)
    for (int x = 0; x < in.w; ++x) {
      int sum[3] = {0, 0, 0}, weight = 0;
      bool edge = false;
      for (int dy = -ry; dy <= ry; ++dy)
        for (int dx = -rx; dx <= rx; ++dx) {
          const int xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= in.w || yy >= in.h) continue;
          for (int c = 0; c < 3; ++c) {
            const int v = out.at(xx, yy, c);
            if (dx == 0 && dy == 0)
              sum[c] += 2 * v;
            else if (dx == 0 || dy == 0)
              sum[c] += v;
            else
              sum[c] += v >> 1;
            const int d = v - in.at(x, y, c);
            if (d * d > t * t) edge = true;
          }
          weight += (dx == 0 && dy == 0) ? 200 : ((dx == 0 || dy == 0) ? 100 : 50);
        }
      const bool write = area == 0 || (area == 1 ? !edge : edge);
      for (int c = 0; c < 3; ++c)
        out.at(x, y, c) = write ? sum[c] * 100 / weight : in.at(x, y, c);
    }
  return out;
}

Picture Windowed(const DibHandle &src, int area, int r, int shape, int t,
                 Progress *progress = nullptr) {
  DibHandle out = Copy(src);
  TMDIB d(out.get());
  const TMDIB s(src.get());
  SoftenWindow(d, s, area, r, shape, t, progress);
  EXPECT_EQ(Padding(d), Padding(s));
  return ToPicture(d);
}

// The averaging passes as described, pixel by pixel in place.
void PassReference(Picture &p, bool forward, int dir, int edgeArea, int t) {
  auto apply = [&](int x, int y, int px, int py, int qx, int qy, int rx, int ry) {
    int d[3];
    for (int c = 0; c < 3; ++c)
      d[c] = p.at(x, y, c) - p.at(px, py, c);
    if (edgeArea == 1 && !(d[0] * d[0] < t * t && d[1] * d[1] < t * t && d[2] * d[2] < t * t))
      return;
    if (edgeArea == 2 && !(d[0] * d[0] > t * t || d[1] * d[1] > t * t || d[2] * d[2] > t * t))
      return;
    for (int c = 0; c < 3; ++c)
      p.at(x, y, c) =
          dir == 2 ? (p.at(x, y, c) + p.at(px, py, c) + p.at(qx, qy, c) + p.at(rx, ry, c)) >> 2
                   : (p.at(x, y, c) + p.at(px, py, c)) >> 1;
  };
  if (forward) {
    for (int y = 0; y <= p.h - 2; ++y)
      for (int x = 0; x <= p.w - 2; ++x) {
        if (dir == 0) apply(x, y, x + 1, y, 0, 0, 0, 0);
        if (dir == 1) apply(x, y, x, y + 1, 0, 0, 0, 0);
        if (dir == 2) apply(x, y, x + 1, y, x, y + 1, x + 1, y + 1);
      }
  } else {
    for (int y = p.h - 1; y >= 1; --y)
      for (int x = p.w - 1; x >= 2; --x) {
        if (dir == 0) apply(x, y, x - 1, y, 0, 0, 0, 0);
        if (dir == 1) apply(x, y, x, y - 1, 0, 0, 0, 0);
        if (dir == 2) apply(x, y, x - 1, y, x, y - 1, x - 1, y - 1);
      }
  }
}

DibHandle Row(std::initializer_list<int> values) {
  std::vector<int> v(values);
  return Make24(static_cast<int>(v.size()), 1, [&](int x, int) { return Bgr{v[x], v[x], v[x]}; });
}

std::vector<int> Blues(const DibHandle &h, int y = 0) {
  const Picture p = ToPicture(h);
  std::vector<int> out;
  for (int x = 0; x < p.w; ++x)
    out.push_back(p.at(x, y, 0));
  return out;
}

} // namespace

TEST(SoftenWindow, FlatWhiteSquareWindowBecomes254) {
  // Off-axis samples are halved before summing: 2038 * 100 / 800 = 254,
  // and the samples already rewritten keep it there.
  DibHandle src = Uniform24(6, 5, Bgr{255, 255, 255});
  const Picture p = Windowed(src, 0, 1, 0, 64);
  for (int v : p.v)
    ASSERT_EQ(v, 254);
  for (int shape : {1, 2})
    for (int v : Windowed(src, 0, 1, shape, 64).v)
      ASSERT_EQ(v, 255) << "shape " << shape;
}

TEST(SoftenWindow, WidestWindowOnWhiteSumsBeyond14Bits) {
  // Whole 11 x 11 windows (rows 5 and 6) sum up to 510 + 20 * 255 +
  // 100 * 127 = 18310 per channel.
  DibHandle src = Uniform24(13, 12, Bgr{255, 255, 255});
  const Picture got = Windowed(src, 0, kSoftenWindowRadiusMax, 0, 64);
  const Picture want = WindowReference(ToPicture(src), 0, kSoftenWindowRadiusMax, 0, 64);
  EXPECT_EQ(got, want) << FirstDifference(got, want);
}

TEST(SoftenWindow, ReadsTheSamplesAlreadyRewritten) {
  // All but edges with threshold 0 on flat 255: a pixel is rewritten (to
  // 254) only when every sample of its window, as rewritten so far, is 255.
  // Row 0 alternates, which then blocks every pixel of row 1, and so on.
  DibHandle src = Uniform24(9, 5, Bgr{255, 255, 255});
  const Picture p = Windowed(src, 1, 1, 0, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(p.at(x, y, 2), (y % 2 == 0 && x % 2 == 0) ? 254 : 255) << x << "," << y;
}

TEST(SoftenWindow, EdgesOnlyWithThreshold255ChangesNothing) {
  Noise noise;
  DibHandle src = Random24(8, 6, noise);
  EXPECT_EQ(Windowed(src, 2, 2, 0, 255), ToPicture(src));
}

TEST(SoftenWindow, MatchesTheDescriptionOnRandomImages) {
  Noise noise;
  for (int w = 1; w <= 9; ++w)
    for (int h : {1, 2, 4, 7}) {
      DibHandle src = Random24(w, h, noise, w % 2 ? 4 : 256);
      const Picture in = ToPicture(src);
      for (int area = 0; area < 3; ++area)
        for (int shape = 0; shape < 3; ++shape)
          for (int r = 1; r <= kSoftenWindowRadiusMax; ++r) {
            const int t = area ? (r * 37) % 256 : 64;
            const Picture got = Windowed(src, area, r, shape, t);
            const Picture want = WindowReference(in, area, r, shape, t);
            ASSERT_EQ(got, want) << w << "x" << h << " area " << area << " shape " << shape << " r "
                                 << r << ": " << FirstDifference(got, want);
          }
    }
}

TEST(SoftenWindow, MatchesTheDescriptionOnAWideImage) {
  // A wide odd row runs the vectorised loops and their tails; thresholds
  // beyond 0 ... 255 and negative ones compare by their squares.
  Noise noise;
  for (int levels : {3, 256}) {
    DibHandle src = Random24(61, 9, noise, levels);
    const Picture in = ToPicture(src);
    for (int area = 0; area < 3; ++area)
      for (int shape = 0; shape < 3; ++shape)
        for (int r = 1; r <= kSoftenWindowRadiusMax; ++r)
          for (int t : {0, 1, 50, 127, 255, 256, -50, 40000}) {
            if (area == 0 && t != 50) continue;
            const Picture got = Windowed(src, area, r, shape, t);
            const Picture want = WindowReference(in, area, r, shape, t);
            ASSERT_EQ(got, want) << "levels " << levels << " area " << area << " shape " << shape
                                 << " r " << r << " t " << t << ": " << FirstDifference(got, want);
          }
  }
}

TEST(SoftenWindow, SquareWindowsMatchOnTallImages) {
  // Tall enough for every radius to take its rows in and out of the window
  // many times over.
  Noise noise;
  for (int w : {1, 2, 13}) {
    DibHandle src = Random24(w, 37, noise);
    const Picture in = ToPicture(src);
    for (int r = 1; r <= kSoftenWindowRadiusMax; ++r) {
      const Picture got = Windowed(src, 0, r, 0, 0);
      const Picture want = WindowReference(in, 0, r, 0, 0);
      ASSERT_EQ(got, want) << w << " wide, r " << r << ": " << FirstDifference(got, want);
    }
  }
}

TEST(SoftenWindow, OverTheWholePictureTheImageMayBeItsOwnSource) {
  Noise noise;
  for (int w : {1, 5, 17}) {
    DibHandle src = Random24(w, 23, noise);
    for (int shape = 0; shape < 3; ++shape)
      for (int r = 1; r <= kSoftenWindowRadiusMax; ++r) {
        DibHandle self = Copy(src);
        TMDIB d(self.get());
        SoftenWindow(d, d, 0, r, shape, 0);
        const Picture want = Windowed(src, 0, r, shape, 0);
        ASSERT_EQ(ToPicture(d), want) << w << " wide, shape " << shape << ", r " << r;
      }
  }
}

TEST(SoftenWindow, OneStepPerRow) {
  CheckingProgress progress;
  Windowed(Uniform24(3, 7, Bgr{1, 2, 3}), 0, 1, 0, 0, &progress);
  EXPECT_EQ(progress.steps, 7);
}

TEST(AveragePasses, ForwardReadsPartnersNotYetRewritten) {
  DibHandle h = Row({10, 20, 40});
  DibHandle two = Make24(3, 2, [](int x, int y) {
    const int v = y == 0 ? 10 * (x + 1) : 100;
    return Bgr{v, v, v};
  });
  {
    TMDIB d(two.get());
    AverageForward(d, 0);
  }
  // One row only: the bottom row is never rewritten.
  TMDIB d(h.get());
  AverageForward(d, 0);
  EXPECT_EQ(Blues(h), (std::vector<int>{10, 20, 40}));
  EXPECT_EQ(Blues(two, 0), (std::vector<int>{15, 25, 30})); // last column kept
  EXPECT_EQ(Blues(two, 1), (std::vector<int>{100, 100, 100}));
}

TEST(AveragePasses, BackwardLeavesColumnsZeroAndOne) {
  DibHandle h = Make24(4, 2, [](int x, int y) {
    const int v = y == 1 ? 10 << x : 7;
    return Bgr{v, v, v};
  });
  TMDIB d(h.get());
  AverageBackward(d, 0);
  EXPECT_EQ(Blues(h, 1), (std::vector<int>{10, 20, 30, 60}));
  EXPECT_EQ(Blues(h, 0), (std::vector<int>{7, 7, 7, 7})); // top row not visited
}

TEST(AveragePasses, SecondPassKeepsWhatTheFirstLeftInColumnsZeroAndOne) {
  Noise noise;
  DibHandle h = Random24(6, 4, noise);
  TMDIB d(h.get());
  SoftenSettings s;
  s.method = 1;
  s.direction = 0;
  s.strength = 1;
  ASSERT_TRUE(Soften(d, s));
  const Picture first = ToPicture(d);
  AverageBackward(d, 0);
  const Picture second = ToPicture(d);
  for (int y = 0; y < 4; ++y)
    for (int x : {0, 1})
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(second.at(x, y, c), first.at(x, y, c));
}

TEST(AveragePasses, BothDirectionsTakeTheFourPointMean) {
  DibHandle h = Make24(2, 2, [](int x, int y) {
    const int v = 1 + x + 2 * y;
    return Bgr{v * 10, v, 0};
  });
  TMDIB d(h.get());
  AverageForward(d, 2);
  EXPECT_EQ(Get(d, 0, 0), (Bgr{25, 2, 0})); // (10+20+30+40) >> 2, (1+2+3+4) >> 2
  EXPECT_EQ(Get(d, 1, 1), (Bgr{40, 4, 0}));
}

TEST(AveragePasses, MatchTheDescriptionOnRandomImages) {
  Noise noise;
  for (int w = 1; w <= 9; ++w)
    for (int h : {1, 2, 5}) {
      DibHandle src = Random24(w, h, noise, 8);
      for (int forward = 0; forward < 2; ++forward)
        for (int dir = 0; dir < 3; ++dir)
          for (int edgeArea = 0; edgeArea < 3; ++edgeArea) {
            if (edgeArea && dir == 2) continue;
            DibHandle out = Copy(src);
            Picture want = ToPicture(src);
            PassReference(want, forward, dir, edgeArea, 73);
            TMDIB d(out.get());
            CheckingProgress progress;
            if (edgeArea == 0) {
              if (forward)
                AverageForward(d, dir, &progress);
              else
                AverageBackward(d, dir, &progress);
            } else {
              if (forward)
                AverageForwardEdge(d, dir, 73, edgeArea == 2, &progress);
              else
                AverageBackwardEdge(d, dir, 73, edgeArea == 2, &progress);
            }
            const Picture got = ToPicture(d);
            ASSERT_EQ(got, want) << w << "x" << h << " forward " << forward << " dir " << dir
                                 << " edge " << edgeArea << ": " << FirstDifference(got, want);
            EXPECT_EQ(progress.steps, h - 1);
            TMDIB s(src.get());
            EXPECT_EQ(Padding(d), Padding(s));
          }
    }
}

TEST(AveragePasses, DifferenceOfExactlyTheThresholdIsLeftAlone) {
  for (bool edgesOnly : {false, true}) {
    DibHandle h = Make24(3, 2, [](int x, int) { return Bgr{50 + 20 * x, 9, 9}; });
    TMDIB d(h.get());
    AverageForwardEdge(d, 0, 20, edgesOnly);
    AverageBackwardEdge(d, 0, 20, edgesOnly);
    EXPECT_EQ(Get(d, 0, 0), (Bgr{50, 9, 9}));
    EXPECT_EQ(Get(d, 1, 0), (Bgr{70, 9, 9}));
    EXPECT_EQ(Get(d, 2, 1), (Bgr{90, 9, 9}));
  }
  // Just inside the threshold the pair is averaged (all but edges), just
  // beyond it with edges only.
  DibHandle two = Make24(2, 2, [](int x, int) { return Bgr{50 + 20 * x, 0, 0}; });
  TMDIB dt(two.get());
  AverageForwardEdge(dt, 0, 21, false);
  EXPECT_EQ(Get(dt, 0, 0), (Bgr{60, 0, 0}));
  DibHandle three = Make24(2, 2, [](int x, int) { return Bgr{50 + 20 * x, 0, 0}; });
  TMDIB d3(three.get());
  AverageForwardEdge(d3, 0, 19, true);
  EXPECT_EQ(Get(d3, 0, 0), (Bgr{60, 0, 0}));
}

TEST(AveragePasses, OtherDirectionsChangeNothing) {
  Noise noise;
  DibHandle h = Random24(5, 4, noise);
  const Picture before = ToPicture(h);
  TMDIB d(h.get());
  AverageForward(d, 3);
  AverageBackward(d, -1);
  AverageForwardEdge(d, 2, 10, false);
  AverageBackwardEdge(d, 2, 10, true);
  EXPECT_EQ(ToPicture(d), before);
}

TEST(Soften, AveragingRunsAlternatePasses) {
  Noise noise;
  DibHandle h = Random24(7, 6, noise);
  Picture want = ToPicture(h);
  PassReference(want, true, 1, 0, 0);
  PassReference(want, false, 1, 0, 0);
  PassReference(want, true, 1, 0, 0);
  TMDIB d(h.get());
  SoftenSettings s{0, 1, 3, 64, 1};
  CheckingProgress progress;
  ASSERT_TRUE(Soften(d, s, &progress));
  EXPECT_EQ(ToPicture(d), want);
  EXPECT_EQ(progress.steps, 3 * 5);
  EXPECT_EQ(SoftenProgressRange(s, 6), 18);
}

TEST(Soften, WindowDirectionIsTheShapeReversed) {
  Noise noise;
  DibHandle src = Random24(6, 6, noise);
  for (int direction = 0; direction < 3; ++direction) {
    DibHandle h = Copy(src);
    TMDIB d(h.get());
    ASSERT_TRUE(Soften(d, SoftenSettings{0, direction, 2, 64, 0}));
    EXPECT_EQ(ToPicture(d), WindowReference(ToPicture(src), 0, 2, 2 - direction, 64));
  }
}

TEST(NoiseRemovalB, IsTheWindowOnAllButEdgesWithThreshold50) {
  const SoftenSettings s = NoiseRemovalBSettings();
  EXPECT_EQ(s.area, 1);
  EXPECT_EQ(s.direction, 2);
  EXPECT_EQ(s.strength, 1);
  EXPECT_EQ(s.threshold, 50);
  EXPECT_EQ(s.method, 0);
  Noise noise;
  DibHandle src = Random24(9, 7, noise, 6);
  DibHandle h = Copy(src);
  TMDIB d(h.get());
  ASSERT_TRUE(NoiseRemovalB(d));
  EXPECT_EQ(ToPicture(d), WindowReference(ToPicture(src), 1, 1, 0, 50));
}

TEST(Soften, RefusesPaletteImages) {
  DibHandle h = MakePalette(4, 4, 8, 0);
  TMDIB d(h.get());
  const std::vector<uint8_t> before = PixelBytes(d);
  EXPECT_FALSE(Soften(d, SoftenSettings{}));
  AverageForward(d, 0);
  EXPECT_EQ(PixelBytes(d), before);
}
