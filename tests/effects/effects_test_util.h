// Helpers for the filter tests: plain pictures (x from the left, y from the
// top) to write the expected results literally, and conversion from and to
// image handles.
#pragma once

#include "adjust/adjust_test_util.h"
#include "image/Dib.h"

#include <vector>

namespace effectstest {

using namespace adjusttest;

struct Picture {
  int w = 0, h = 0;
  std::vector<int> v; // 3 per pixel: blue, green, red
  Picture() = default;
  Picture(int width, int height)
      : w(width), h(height), v(3 * static_cast<size_t>(width) * height) {}
  int &at(int x, int y, int c) { return v[(static_cast<size_t>(y) * w + x) * 3 + c]; }
  int at(int x, int y, int c) const { return v[(static_cast<size_t>(y) * w + x) * 3 + c]; }
  bool operator==(const Picture &o) const { return w == o.w && h == o.h && v == o.v; }
};

inline Picture ToPicture(const TMDIB &d) {
  Picture p(d.width, d.height);
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x)
      for (int c = 0; c < 3; ++c)
        p.at(x, y, c) = At(d, x, y)[c];
  return p;
}

inline Picture ToPicture(const DibHandle &h) {
  const TMDIB d(h.get());
  return ToPicture(d);
}

inline DibHandle FromPicture(const Picture &p, uint8_t pad = 0x77) {
  return Make24(
      p.w, p.h,
      [&](int x, int y) {
        return Bgr{p.at(x, y, 0), p.at(x, y, 1), p.at(x, y, 2)};
      },
      pad);
}

// Random pixels; with `levels` small, neighbours are often equal, which
// exercises the ties and the thresholds.
inline DibHandle Random24(int width, int height, Noise &noise, int levels = 256) {
  return Make24(width, height, [&](int, int) {
    auto v = [&] {
      return static_cast<int>(noise.Next() % static_cast<uint32_t>(levels)) *
             (255 / (levels > 1 ? levels - 1 : 1));
    };
    const int b = v(), g = v(), r = v();
    return Bgr{b, g, r};
  });
}

// The image a (destination, source) routine gets: a copy of `image`.
inline DibHandle Copy(const DibHandle &image) {
  return DibHandle(Kit.ImgKitCopy(image.get(), "", ""));
}

// Where a picture differs from another, for failure messages.
inline std::string FirstDifference(const Picture &a, const Picture &b) {
  if (a.w != b.w || a.h != b.h) return "sizes differ";
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x)
      for (int c = 0; c < 3; ++c)
        if (a.at(x, y, c) != b.at(x, y, c))
          return "(" + std::to_string(x) + ", " + std::to_string(y) + ") channel " +
                 std::to_string(c) + ": " + std::to_string(a.at(x, y, c)) + " vs " +
                 std::to_string(b.at(x, y, c));
  return "none";
}

} // namespace effectstest
