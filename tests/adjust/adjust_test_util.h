// Tiny images for the adjustment tests: 24-bit pictures addressed with
// y = 0 at the top, palette images with a short colour table, and the
// bytes a routine must never touch.
#pragma once

#include "image/Dib.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace adjusttest {

using Bgr = std::array<int, 3>; // blue, green, red

inline uint8_t *At(const TMDIB &d, int x, int yFromTop) {
  return d.Row(d.height - 1 - yFromTop) + 3 * x;
}

inline Bgr Get(const TMDIB &d, int x, int y) {
  const uint8_t *p = At(d, x, y);
  return {p[0], p[1], p[2]};
}

// A 24-bit image whose pixel (x, y) is colour(x, y); row padding is filled
// with `pad` so that a routine touching it shows.
inline DibHandle Make24(int width, int height, const std::function<Bgr(int, int)> &colour,
                        uint8_t pad = 0x77) {
  DibHandle h = CreateBlankDib(width, height);
  TMDIB d(h.get());
  for (int y = 0; y < height; ++y) {
    uint8_t *row = At(d, 0, y);
    std::memset(row + 3 * width, pad, static_cast<size_t>(d.stride - 3 * width));
    for (int x = 0; x < width; ++x) {
      const Bgr c = colour(x, y);
      for (int i = 0; i < 3; ++i)
        row[3 * x + i] = static_cast<uint8_t>(c[i]);
    }
  }
  return h;
}

inline DibHandle Uniform24(int width, int height, Bgr c) {
  return Make24(width, height, [c](int, int) { return c; });
}

// A palette image with `colours` table entries (colours-used field, 0 for
// the full table); entry i is (i, 40 + i, 200 - i) as B, G, R and pixel
// bytes are (x + 3y) & 0xff, padding included.
inline DibHandle MakePalette(int width, int height, int bpp, uint32_t colours) {
  const uint32_t entries = colours ? colours : (1u << bpp);
  const int32_t stride = TMDIB::RowStride(width, bpp);
  DibHandle h(Kit.ImgKitMemAlloc(40 + 4 * entries + static_cast<uint32_t>(stride * height)));
  auto *hdr = static_cast<IMGKIT_BMIH *>(h.get());
  hdr->biSize = 40;
  hdr->biWidth = width;
  hdr->biHeight = height;
  hdr->biPlanes = 1;
  hdr->biBitCount = static_cast<uint16_t>(bpp);
  hdr->biSizeImage = static_cast<uint32_t>(stride * height);
  hdr->biClrUsed = colours;
  TMDIB d(h.get());
  for (uint32_t i = 0; i < entries; ++i) {
    d.colourTable[4 * i] = static_cast<uint8_t>(i);
    d.colourTable[4 * i + 1] = static_cast<uint8_t>(40 + i);
    d.colourTable[4 * i + 2] = static_cast<uint8_t>(200 - i);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < stride; ++x)
      d.Row(y)[x] = static_cast<uint8_t>(x + 3 * y);
  return h;
}

// Every byte from the pixels' start, to compare the untouched parts.
inline std::vector<uint8_t> PixelBytes(const TMDIB &d) {
  return {d.pixels, d.pixels + d.imageBytes};
}

// The padding bytes of every row.
inline std::vector<uint8_t> Padding(const TMDIB &d) {
  std::vector<uint8_t> out;
  for (int y = 0; y < d.height; ++y)
    out.insert(out.end(), d.Row(y) + 3 * d.width, d.Row(y) + d.stride);
  return out;
}

// Counts steps and, at each, hands the step number to a check.
class CheckingProgress : public Progress {
public:
  std::function<void(int)> onStep;
  int steps = 0;
  int range = -1;
  void SetRange(int maximum) override { range = maximum; }
  void Step() override {
    ++steps;
    if (onStep) onStep(steps);
  }
};

// xorshift32: the same "random" pixels on every run.
class Noise {
public:
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Byte() { return static_cast<int>(Next() & 255); }

private:
  uint32_t state_ = 2463534242u;
};

} // namespace adjusttest
