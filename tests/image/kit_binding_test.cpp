#include "image/Kit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(LoadImagingKit, BindsEveryFunctionFromTheBuildFolder) {
  EXPECT_TRUE(MissingKitParts().empty()) << MissingKitParts().front();
  EXPECT_TRUE(KitHasFunction("ImgKitConvertColor"));
  EXPECT_TRUE(KitHasFunction("ImgKitTiffFileSave"));
  EXPECT_TRUE(KitHasFunction("ImgKitFileLoadReduced"));
  EXPECT_TRUE(KitHasFunction("ImgKitScanMulti"));
  EXPECT_EQ(Kit.ImgKitSystemPalette(), 0);
}

TEST(LoadImagingKit, MissingLibrariesAreRefusedAndReportedOnce) {
  FreeImagingKit();
  LoadImagingKit("/nonexistent-velmir-folder");
  std::vector<std::string> reported;
  SetKitMissingReporter([&](const std::string &lib) { reported.push_back(lib); });
  EXPECT_EQ(MissingKitParts().size(), 7u);
  EXPECT_FALSE(KitHasFunction("ImgKitScan"));
  IMGKIT_SCANWORK work{};
  EXPECT_EQ(Kit.ImgKitScan(nullptr, &work), nullptr);
  EXPECT_EQ(Kit.ImgKitScanSelect(nullptr, &work), 0);
  EXPECT_FALSE(KitHasFunction("ImgKitCopy"));
  // Refusals answer failure instead of crashing.
  EXPECT_EQ(Kit.ImgKitFileLoad("x.bmp", "", ""), nullptr);
  EXPECT_EQ(Kit.ImgKitCopy(nullptr, "", ""), nullptr);
  EXPECT_EQ(Kit.ImgKitRectCut(nullptr, "", "", 0, 0, 1, 1), nullptr);
  EXPECT_EQ(Kit.ImgKitFileLoad("y.bmp", "", ""), nullptr);
  ASSERT_EQ(reported.size(), 4u);
  EXPECT_EQ(reported[0], "libimgscan3.so");
  EXPECT_EQ(reported[1], "libimgfile3.so");
  EXPECT_EQ(reported[2], "libimgetc3.so");
  EXPECT_EQ(reported[3], "libimgcut3.so");
  SetKitMissingReporter(nullptr);
  FreeImagingKit();
  LoadImagingKit();
  EXPECT_TRUE(MissingKitParts().empty());
}

} // namespace
