// Small helpers for the kit tests: owned handles, images made in the test,
// pixel access by picture coordinates and scratch folders.
#pragma once

#include "dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kittest {

// Frees its handle with the kit's allocator.
class Handle {
public:
  Handle() = default;
  explicit Handle(IMGHANDLE h) : h_(h) {}
  Handle(const Handle &) = delete;
  Handle &operator=(const Handle &) = delete;
  Handle(Handle &&o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  Handle &operator=(Handle &&o) noexcept {
    if (this != &o) {
      kit::Free(h_);
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  ~Handle() { kit::Free(h_); }
  IMGHANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  // Adopts a kit result by the "same handle or a new one" rule.
  void Adopt(IMGHANDLE r) {
    if (r && r != h_) {
      kit::Free(h_);
      h_ = r;
    }
  }
  kit::Dib View() const {
    kit::Dib d;
    EXPECT_TRUE(kit::ViewOf(h_, d));
    return d;
  }

private:
  IMGHANDLE h_ = nullptr;
};

// A new image whose pixel (x, y) (y from the top) is fill(x, y): the palette
// index for 1/4/8 bits, or 0xRRGGBB for 24 bits. Palette images get a
// colour table of `colours` entries (all of them when 0) with entry i =
// palette(i) as 0xRRGGBB (a grey ramp when palette is empty).
Handle MakeImage(int width, int height, int bpp, const std::function<uint32_t(int, int)> &fill,
                 int colours = 0, const std::function<uint32_t(int)> &palette = {});

// Pixel (x, y), y from the top, as 0xRRGGBB (palette images through the table).
uint32_t RgbAt(const kit::Dib &d, int x, int y);
// The raw index of a palette image at (x, y).
int IndexAt(const kit::Dib &d, int x, int y);

// True when both are the same picture: same size, depth, colour table and
// pixel bytes (padding ignored).
::testing::AssertionResult SamePicture(IMGHANDLE a, IMGHANDLE b);

// A fresh empty folder for one test, removed at exit of the process.
std::filesystem::path ScratchDir();

// Writes bytes to a file in the scratch folder and returns its path.
std::string WriteFile(const std::string &name, const std::string &bytes);

// Runs a shell command; returns its standard output ("" on failure).
std::string RunCommand(const std::string &cmd);

} // namespace kittest
