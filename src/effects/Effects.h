// Small helpers shared by the filter routines: the layout they accept, rows
// addressed from the top of the picture, and the untouched source copy.
#pragma once

#include "image/Dib.h"
#include "image/Kit.h"

#include <cstdint>
#include <type_traits>

namespace effects {

// The filters work on three-byte blue, green, red pixels only.
inline bool Is24(const TMDIB &dib) { return dib.Attached() && dib.BitsPerPixel() == 24; }

inline bool SameSize24(const TMDIB &a, const TMDIB &b) {
  return Is24(a) && Is24(b) && a.width == b.width && a.height == b.height;
}

// Picture row y counted from the top.
inline uint8_t *PictureRow(const TMDIB &dib, int y) { return dib.Row(dib.height - 1 - y); }

// Runs f(destination, source) for a routine that reads every sample from a
// separate, untouched image: `image` is the destination, a copy of it the
// source. False (image unchanged) when it is not 24-bit or no copy can be
// made.
template <class F> bool FromCopy(TMDIB &image, F &&f) {
  if (!Is24(image)) return false;
  DibHandle copy(Kit.ImgKitCopy(image.handle, "", ""));
  if (!copy) return false;
  const TMDIB source(copy.get());
  if (!SameSize24(image, source)) return false;
  f(image, source);
  return true;
}

// `image` itself when it is 24-bit; otherwise a 24-bit copy made by the kit
// and kept in `copy`. Null when there is no picture or no copy can be made.
inline IMGHANDLE Source24(IMGHANDLE image, DibHandle &copy) {
  const TMDIB dib(image);
  if (!dib.Attached()) return nullptr;
  if (Is24(dib)) return image;
  copy.reset(Kit.ImgKitConvertColor(image, 24, 0, 0, "", ""));
  return copy ? copy.get() : nullptr;
}

// Runs f(view) on a 24-bit image in place: false for other depths, or when
// f answers false.
template <class F> bool InPlace24(DibHandle &image, F f) {
  TMDIB dib(image.get());
  if (!Is24(dib)) return false;
  if constexpr (std::is_void_v<std::invoke_result_t<F, TMDIB &>>) {
    f(dib);
    return true;
  } else {
    return f(dib);
  }
}

inline uint8_t Clamp255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

} // namespace effects
