// The adjustment tests run against the kit libraries in the build folder.
#include "image/Kit.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  LoadImagingKit();
  return RUN_ALL_TESTS();
}
