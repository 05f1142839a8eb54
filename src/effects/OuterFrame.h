// The outer frame: the picture placed, pixel for pixel, inside a larger
// canvas whose border takes one colour.
#pragma once

#include "image/Dib.h"

#include <cstdint>

struct FrameWidths {
  int top = 0, bottom = 0, left = 0, right = 0;
};

// The largest framed picture made, in pixels: beyond it the frame is
// refused as if memory had run out.
constexpr int64_t kOuterFrameMaxPixels = int64_t(1) << 28;

// The size of `width` x `height` framed by `widths` (may exceed int).
inline int64_t FramedWidth(int width, const FrameWidths &w) {
  return int64_t(w.left) + width + w.right;
}
inline int64_t FramedHeight(int height, const FrameWidths &w) {
  return int64_t(w.top) + height + w.bottom;
}

// True when the widths can frame a `width` x `height` picture: none
// negative and the result at most kOuterFrameMaxPixels.
bool OuterFrameFits(int width, int height, const FrameWidths &widths);

// A new 24-bit image: `source` (made 24-bit first when it has a colour
// table) at (left, top) on a canvas of the colour red, green, blue. One
// progress step per row of the new image. None when the widths do not fit
// or memory runs out.
DibHandle OuterFrame(IMGHANDLE source, const FrameWidths &widths, int red, int green, int blue,
                     Progress *progress = nullptr);
