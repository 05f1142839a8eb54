// The plug-in tests run against the kit libraries and the shipped plug-ins
// in the build folder, with a headless application for the image readers.
#include "image/Kit.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  LoadImagingKit();
  return RUN_ALL_TESTS();
}
