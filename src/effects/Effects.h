// Small helpers shared by the filter routines: the layout they accept and
// rows addressed from the top of the picture.
#pragma once

#include "Dib.h"

#include <cstdint>

namespace effects {

// The filters work on three-byte blue, green, red pixels only.
inline bool Is24(const TMDIB &dib) { return dib.Attached() && dib.BitsPerPixel() == 24; }

inline bool SameSize24(const TMDIB &a, const TMDIB &b) {
  return Is24(a) && Is24(b) && a.width == b.width && a.height == b.height;
}

// Picture row y counted from the top.
inline uint8_t *PictureRow(const TMDIB &dib, int y) { return dib.Row(dib.height - 1 - y); }

inline uint8_t Clamp255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

} // namespace effects
