// The shell tests run headless with their settings in a scratch folder.
#include "image/Kit.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Child processes started by a test share their parent's folder.
  QTemporaryDir config;
  if (qEnvironmentVariableIsEmpty("VELMIR_TEST_WRITER"))
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  // Tests make images before any main window exists (which would load the
  // kit itself), so the kit is there from the start.
  LoadImagingKit();
  const int result = RUN_ALL_TESTS();
  // The pool's idle threads end here rather than while the program exits,
  // where LeakSanitizer's check would race them.
  QThreadPool::globalInstance()->waitForDone();
  return result;
}
