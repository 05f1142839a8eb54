#include "routines/AllRoutines.h"
#include "adjust/Sepia.h"

#include "adjust_test_util.h"

#include <algorithm>

using namespace adjusttest;

namespace {

std::vector<uint8_t> Block(IMGHANDLE h) {
  const auto *p = static_cast<const uint8_t *>(h);
  return {p, p + Kit.ImgKitMemSize(h)};
}

// The colour commands' chain written out call by call.
DibHandle KitChain(IMGHANDLE image) {
  DibHandle full(Kit.ImgKitCopy(image, "", ""));
  EXPECT_TRUE(full.Adopt(Kit.ImgKitConvertColor(full.get(), 24, 0, 0, "", "")));
  DibHandle grey(Kit.ImgKitSetGray(full.get(), "", ""));
  EXPECT_NE(Kit.ImgKitRGB(grey.get(), "", "", 30, 0, -30), 0);
  EXPECT_TRUE(grey.Adopt(Kit.ImgKitConvertColor(grey.get(), 24, 0, 0, "", "")));
  return grey;
}

// Colours, with black and white at the two left corners of the top row.
DibHandle Colourful() {
  return Make24(7, 5, [](int x, int y) {
    if (y == 0 && x < 2) return x ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
    return Bgr{x * 40, y * 60, 255 - x * y * 9};
  });
}

TEST(Sepia, EqualsTheKitChain) {
  std::vector<DibHandle> images;
  images.push_back(Colourful());
  images.push_back(MakePalette(6, 3, 4, 0));
  images.push_back(MakePalette(5, 4, 8, 200));
  for (DibHandle &image : images) {
    DibHandle expected = KitChain(image.get());
    ASSERT_TRUE(Sepia(image));
    EXPECT_EQ(Block(image.get()), Block(expected.get()));
  }
}

TEST(Sepia, GreyTintedRedUpBlueDown) {
  DibHandle image = Colourful();
  ASSERT_TRUE(Sepia(image));
  const TMDIB d(image.get());
  ASSERT_EQ(d.BitsPerPixel(), 24);
  bool dark = false, light = false;
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x) {
      const Bgr p = Get(d, x, y);
      EXPECT_EQ(p[2], std::min(p[1] + 30, 255)) << x << "," << y;
      EXPECT_EQ(p[0], std::max(p[1] - 30, 0)) << x << "," << y;
      dark |= p[1] < 30;
      light |= p[1] > 225;
    }
  EXPECT_TRUE(dark && light); // both clamps were met
}

TEST(Sepia, ProgressReaches130) {
  DibHandle image = Colourful();
  CheckingProgress progress;
  ASSERT_TRUE(Sepia(image, &progress));
  EXPECT_EQ(progress.range, 130);
  EXPECT_EQ(progress.steps, 130);
}

TEST(Sepia, NoImageIsAFailure) {
  DibHandle none;
  EXPECT_FALSE(Sepia(none));
  std::string why;
  DibHandle image = Colourful();
  EXPECT_FALSE(RunRoutine(*FindRoutine("Sepia"), none, {}, &why));
  EXPECT_FALSE(RunRoutine(*FindRoutine("Sepia"), image, {1}, &why));
}

TEST(Sepia, RegisteredWithoutParameters) {
  const Routine *r = FindRoutine("sepia");
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->params.empty());
  DibHandle viaRegistry = Colourful(), direct = Colourful();
  ASSERT_TRUE(RunRoutine(*r, viaRegistry, {}));
  ASSERT_TRUE(Sepia(direct));
  EXPECT_EQ(Block(viaRegistry.get()), Block(direct.get()));
}

} // namespace
