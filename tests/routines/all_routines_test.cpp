// Every registered routine on every small size and depth: widths 1 ... 9
// catch row padding and the last partial byte of 1- and 4-bit rows, and the
// sanitizer build catches any read or write outside the picture. A routine
// may refuse an image it does not handle, but then leaves it untouched.
#include "routines/AllRoutines.h"

#include "image/Dib.h"
#include "image/Kit.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct Depth {
  const char *name;
  int bits; // 24, or the palette depth
  bool grey;
};
const Depth kDepths[] = {
    {"24", 24, false}, {"8 grey", 8, true}, {"8", 8, false}, {"4", 4, false}, {"1", 1, false}};

DibHandle Picture(int width, int height, const Depth &depth) {
  DibHandle image = CreateBlankDib(width, height);
  {
    TMDIB dib(image.get());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 3 * width; ++x)
        dib.Row(y)[x] = static_cast<uint8_t>((x * 53 + y * 97) ^ (x * y));
  }
  if (depth.grey)
    image.Adopt(Kit.ImgKitSetGray(image.get(), "", ""));
  else if (depth.bits < 24)
    image.Adopt(Kit.ImgKitConvertColor(image.get(), depth.bits, 0, 1, "", ""));
  return image;
}

QByteArray Bytes(IMGHANDLE h) {
  return QByteArray(static_cast<const char *>(h), static_cast<qsizetype>(Kit.ImgKitMemSize(h)));
}

// The parameter at one end of its range or in its middle (whole numbers for
// "int"), or a choice from the same place of its list. Sizes that would ask
// for huge pictures are kept to small ones: the sizes are what the test
// varies, not the allocation limits.
double Argument(const RoutineParam &p, int where) {
  if (!p.choices.empty()) {
    const size_t last = p.choices.size() - 1;
    return p.choices[where == 0 ? 0 : where == 1 ? last : last / 2];
  }
  double lo = p.min, hi = p.max;
  const std::string name = p.name;
  if (name == "width" || name == "height") hi = std::min(hi, 13.0);
  if (name == "left" || name == "top" || name == "right" || name == "bottom") {
    lo = std::max(lo, -2.0);
    hi = std::min(hi, 11.0);
  }
  double v = where == 0 ? lo : where == 1 ? hi : (lo + hi) / 2;
  if (std::string_view(p.type) == "int") v = std::trunc(v);
  return v;
}

TEST(AllRoutines, EveryRoutineOnEverySmallSizeAndDepth) {
  ASSERT_GT(AllRoutines().size(), 30u);
  for (const Routine &routine : AllRoutines()) {
    int appliedAt24 = 0;
    for (int where = 0; where < 3; ++where) {
      std::vector<double> args;
      for (const RoutineParam &p : routine.params)
        args.push_back(Argument(p, where));
      ASSERT_EQ(CheckRoutineArgs(routine, args), "") << routine.name;
      for (const Depth &depth : kDepths) {
        for (int width = 1; width <= 9; ++width) {
          const int height = 1 + (width * 3) % 5;
          DibHandle image = Picture(width, height, depth);
          ASSERT_TRUE(image);
          const QByteArray before = Bytes(image.get());
          std::string why;
          // Further pictures: one of the same size and depth, one smaller.
          std::vector<DibHandle> others;
          std::vector<IMGHANDLE> inputs;
          for (size_t i = 0; i < routine.inputs.size(); ++i) {
            others.push_back(i % 2 == 0 ? Picture(width, height, depth)
                                        : Picture(1 + width / 2, 1 + height / 2, depth));
            inputs.push_back(others.back().get());
          }
          const bool done = RunRoutine(routine, image, args, inputs, &why);
          const std::string where_ = routine.name + " at " + depth.name + " bits, " +
                                     std::to_string(width) + " x " + std::to_string(height);
          ASSERT_TRUE(image) << where_;
          if (!done) {
            EXPECT_EQ(Bytes(image.get()), before) << where_ << ": refused but changed";
            continue;
          }
          const TMDIB dib(image.get());
          EXPECT_TRUE(dib.Attached()) << where_;
          EXPECT_GT(dib.width, 0) << where_;
          EXPECT_GT(dib.height, 0) << where_;
          if (depth.bits == 24) ++appliedAt24;
        }
      }
    }
    // Every routine takes full colour, on some of these sizes at least
    // (a cut needs a picture as large as its rectangle).
    EXPECT_GT(appliedAt24, 0) << routine.name;
  }
}

TEST(AllRoutines, FurtherPicturesAreCheckedBeforeTheRoutineRuns) {
  const Routine *blend = FindRoutine("blendimages");
  ASSERT_TRUE(blend);
  ASSERT_EQ(blend->inputs.size(), 1u);
  DibHandle top = Picture(4, 3, kDepths[0]);
  const DibHandle base = Picture(4, 3, kDepths[0]);
  const QByteArray before = Bytes(top.get());
  std::string why;
  // The plain form and a missing picture are refused, the top untouched.
  EXPECT_FALSE(RunRoutine(*blend, top, {0, 50}, &why));
  EXPECT_NE(why.find("further picture"), std::string::npos) << why;
  EXPECT_FALSE(RunRoutine(*blend, top, {0, 50}, {nullptr}, &why));
  EXPECT_FALSE(RunRoutine(*blend, top, {0, 50}, {base.get(), base.get()}, &why));
  EXPECT_EQ(Bytes(top.get()), before);
  // Mode 1 at weight 0 gives the base.
  ASSERT_TRUE(RunRoutine(*blend, top, {1, 0}, {base.get()}, &why)) << why;
  EXPECT_EQ(Bytes(top.get()), Bytes(base.get()));
  EXPECT_NE(DescribeRoutine(*blend).find("base:image"), std::string::npos);
  // A routine without further pictures refuses any.
  const Routine *stretch = FindRoutine("StretchLevels");
  ASSERT_TRUE(stretch);
  EXPECT_FALSE(RunRoutine(*stretch, top, {5, 98}, {base.get()}, &why));
}

} // namespace
