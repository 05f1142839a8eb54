#include "routines/AllRoutines.h"

#include "effects_test_util.h"

using namespace effectstest;

TEST(EffectRoutines, RegisteredByName) {
  for (const char *name :
       {"SharpenImage", "SoftenWindow", "AverageForward", "AverageBackward", "AverageForwardEdge",
        "AverageBackwardEdge", "MedianFilter", "AreaAverageResize", "BilinearResize",
        "NoiseRemovalA", "NoiseRemovalB", "Soften", "AspectCorrect"})
    EXPECT_NE(FindRoutine(name), nullptr) << name;
}

TEST(EffectRoutines, RunWithParametersInOrder) {
  DibHandle h = Make24(5, 5, [](int x, int y) {
    const int v = (x == 2 && y == 2) ? 255 : 0;
    return Bgr{v, v, v};
  });
  std::string why;
  ASSERT_TRUE(RunRoutine(*FindRoutine("SharpenImage"), h, {0, 10}, &why)) << why;
  EXPECT_EQ(ToPicture(h).at(2, 2, 0), 255);
  ASSERT_TRUE(RunRoutine(*FindRoutine("MedianFilter"), h, {0, 72}, &why)) << why;
  EXPECT_EQ(ToPicture(h).at(2, 2, 0), 0);
  ASSERT_TRUE(RunRoutine(*FindRoutine("BilinearResize"), h, {7, 3}, &why)) << why;
  const TMDIB d(h.get());
  EXPECT_EQ(d.width, 7);
  EXPECT_EQ(d.height, 3);
}

TEST(EffectRoutines, ResizeAndNoiseRemovalKeepOrSetTheSize) {
  Noise noise;
  DibHandle h = Random24(10, 8, noise);
  ASSERT_TRUE(RunRoutine(*FindRoutine("AreaAverageResize"), h, {4, 3}));
  ASSERT_TRUE(RunRoutine(*FindRoutine("NoiseRemovalA"), h, {}));
  const TMDIB d(h.get());
  EXPECT_EQ(d.width, 4);
  EXPECT_EQ(d.height, 3);
}

TEST(EffectRoutines, PaletteImagesAreRefusedUnchanged) {
  DibHandle h = MakePalette(6, 4, 8, 0);
  std::vector<uint8_t> before;
  {
    const TMDIB d(h.get());
    before = PixelBytes(d);
  }
  for (const char *name : {"SharpenImage", "MedianFilter", "AverageForward", "NoiseRemovalB",
                           "NoiseRemovalA", "BilinearResize"}) {
    const Routine *r = FindRoutine(name);
    std::vector<double> args;
    for (const RoutineParam &p : r->params)
      args.push_back(p.min < 1 && p.max >= 1 ? 1 : p.min);
    std::string why;
    EXPECT_FALSE(RunRoutine(*r, h, args, &why)) << name;
    const TMDIB d(h.get());
    EXPECT_EQ(PixelBytes(d), before) << name;
  }
}
