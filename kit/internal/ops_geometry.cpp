// Copying, cutting, resizing and rotating. Every function here makes a new
// image of the same depth and colour table and leaves its input alone.
#include "dib.h"
#include "ops.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace kit {

namespace {

// A new zero-filled image like `src` (depth, colour table, resolution) but of
// the given size. Null when out of limits, out of memory, or when the source
// is a palette image without a usable table.
IMGHANDLE NewLike(const Dib &src, int width, int height, Dib &out) {
  IMGHANDLE h = NewDib(width, height, src.bpp, src.colourCount);
  if (!h) return nullptr;
  if (!ViewOf(h, out) || out.colourCount != src.colourCount) {
    Free(h);
    return nullptr;
  }
  if (src.colourCount > 0)
    std::memcpy(out.palette, src.palette, static_cast<size_t>(src.colourCount) * sizeof(Rgbq));
  out.hdr->biXPelsPerMeter = src.hdr->biXPelsPerMeter;
  out.hdr->biYPelsPerMeter = src.hdr->biYPelsPerMeter;
  out.hdr->biClrImportant = src.hdr->biClrImportant;
  return h;
}

// Bytes of a row that hold pixels (the rest up to the stride is padding).
size_t UsedBytes(int width, int bpp) { return (static_cast<size_t>(width) * bpp + 7) / 8; }

// Zeroes the bits after the last pixel of a 1- or 4-bit row, so that a
// whole-byte copy does not leave neighbouring source pixels in the padding.
void ClearTail(uint8_t *row, int width, int bpp) {
  const size_t bits = static_cast<size_t>(width) * bpp;
  if (bits % 8) row[bits / 8] &= static_cast<uint8_t>(0xff << (8 - bits % 8));
}

// Copies `width` pixels starting at source pixel `sx` to the start of `dst`.
void CopyPixels(uint8_t *dst, const uint8_t *src, int sx, int width, int bpp) {
  const size_t startBit = static_cast<size_t>(sx) * bpp;
  if (startBit % 8 == 0) {
    std::memcpy(dst, src + startBit / 8, UsedBytes(width, bpp));
    if (bpp < 8) ClearTail(dst, width, bpp);
    return;
  }
  // Only 1- and 4-bit rows can start inside a byte.
  for (int x = 0; x < width; ++x)
    SetPaletteIndex(dst, x, bpp, PaletteIndex(src, sx + x, bpp));
}

template <int B> inline void CopyPixel(uint8_t *d, const uint8_t *s) {
  for (int k = 0; k < B; ++k)
    d[k] = s[k];
}

// `offsets` holds the byte offset of each destination pixel's source pixel.
template <int B>
void ScaleRow(uint8_t *dst, const uint8_t *src, const uint32_t *offsets, int width) {
  for (int x = 0; x < width; ++x)
    CopyPixel<B>(dst + static_cast<size_t>(x) * B, src + offsets[x]);
}

// Source picture coordinates of destination pixel (x, y) for each kind; W
// and H are the source's width and height.
//   0 (180):         (W-1-x, H-1-y)
//   1 (90 left):     (W-1-y, x)
//   2 (90 right):    (y, H-1-x)
//   3 (top-bottom):  (x, H-1-y)
//   4 (left-right):  (W-1-x, y)

template <int B> void RotateBytes(const Dib &s, const Dib &d, int kind) {
  if (kind == 1 || kind == 2) {
    // A destination row is a source column; walking along it steps through
    // source memory rows upwards (right turn) or downwards (left turn).
    const ptrdiff_t step =
        kind == 2 ? static_cast<ptrdiff_t>(s.stride) : -static_cast<ptrdiff_t>(s.stride);
    const uint8_t *base = kind == 2 ? s.Row(0) : s.TopRow(0);
    for (int y = 0; y < d.height; ++y) {
      const int sx = kind == 2 ? y : s.width - 1 - y;
      const uint8_t *p = base + static_cast<size_t>(sx) * B;
      uint8_t *q = d.TopRow(y);
      for (int x = 0; x < d.width; ++x)
        CopyPixel<B>(q + static_cast<size_t>(x) * B, p + x * step);
    }
    return;
  }
  const size_t bytes = static_cast<size_t>(s.width) * B;
  for (int y = 0; y < d.height; ++y) {
    const uint8_t *p = s.TopRow(kind == 4 ? y : s.height - 1 - y);
    uint8_t *q = d.TopRow(y);
    if (kind == 3) {
      std::memcpy(q, p, bytes);
      continue;
    }
    const uint8_t *last = p + bytes - B;
    for (int x = 0; x < d.width; ++x)
      CopyPixel<B>(q + static_cast<size_t>(x) * B, last - static_cast<size_t>(x) * B);
  }
}

void RotateIndexed(const Dib &s, const Dib &d, int kind) {
  const int bpp = s.bpp;
  for (int y = 0; y < d.height; ++y) {
    uint8_t *q = d.TopRow(y);
    switch (kind) {
    case 1: {
      const int sx = s.width - 1 - y;
      for (int x = 0; x < d.width; ++x)
        SetPaletteIndex(q, x, bpp, PaletteIndex(s.TopRow(x), sx, bpp));
      break;
    }
    case 2:
      for (int x = 0; x < d.width; ++x)
        SetPaletteIndex(q, x, bpp, PaletteIndex(s.Row(x), y, bpp));
      break;
    case 3: CopyPixels(q, s.TopRow(s.height - 1 - y), 0, s.width, bpp); break;
    default: {
      const uint8_t *p = s.TopRow(kind == 4 ? y : s.height - 1 - y);
      for (int x = 0; x < d.width; ++x)
        SetPaletteIndex(q, x, bpp, PaletteIndex(p, s.width - 1 - x, bpp));
    }
    }
  }
}

} // namespace

IMGHANDLE Copy(IMGHANDLE h) { return CopyDib(h); }

IMGHANDLE RectCut(IMGHANDLE h, int left, int top, int right, int bottom) {
  Dib s;
  if (!ViewOf(h, s)) return nullptr;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right < 0 || bottom < 0 || left >= s.width || top >= s.height) return nullptr;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, s.width - 1);
  bottom = std::min(bottom, s.height - 1);
  const int width = right - left + 1;
  const int height = bottom - top + 1;

  Dib d;
  IMGHANDLE out = NewLike(s, width, height, d);
  if (!out) return nullptr;
  for (int y = 0; y < height; ++y)
    CopyPixels(d.TopRow(y), s.TopRow(top + y), left, width, s.bpp);
  return out;
}

IMGHANDLE ImageSize(IMGHANDLE h, int width, int height) {
  Dib s;
  if (!ViewOf(h, s) || width <= 0 || height <= 0) return nullptr;
  Dib d;
  IMGHANDLE out = NewLike(s, width, height, d);
  if (!out) return nullptr;

  // Source x of each destination x, as a byte offset for whole-byte depths.
  std::vector<uint32_t> xmap;
  try {
    xmap.resize(static_cast<size_t>(width));
  } catch (const std::bad_alloc &) {
    Free(out);
    return nullptr;
  }
  const uint32_t pixelBytes = s.bpp >= 8 ? static_cast<uint32_t>(s.bpp / 8) : 1;
  for (int x = 0; x < width; ++x) {
    const auto sx = static_cast<uint32_t>(static_cast<uint64_t>(x) * s.width / width);
    xmap[static_cast<size_t>(x)] = s.bpp >= 8 ? sx * pixelBytes : sx;
  }

  const size_t rowBytes = UsedBytes(width, s.bpp);
  int64_t previous = -1;
  for (int y = 0; y < height; ++y) {
    const int64_t sy = static_cast<int64_t>(y) * s.height / height;
    uint8_t *q = d.TopRow(y);
    if (sy == previous) {
      // Enlarging: this row repeats the one just made.
      std::memcpy(q, d.TopRow(y - 1), rowBytes);
      continue;
    }
    previous = sy;
    const uint8_t *p = s.TopRow(static_cast<int>(sy));
    switch (s.bpp) {
    case 1:
    case 4:
      for (int x = 0; x < width; ++x)
        SetPaletteIndex(q, x, s.bpp, PaletteIndex(p, static_cast<int>(xmap[x]), s.bpp));
      break;
    case 8: ScaleRow<1>(q, p, xmap.data(), width); break;
    case 16: ScaleRow<2>(q, p, xmap.data(), width); break;
    case 24: ScaleRow<3>(q, p, xmap.data(), width); break;
    default: ScaleRow<4>(q, p, xmap.data(), width); break;
    }
  }
  return out;
}

IMGHANDLE Rotation(IMGHANDLE h, int kind) {
  Dib s;
  if (!ViewOf(h, s) || kind < 0 || kind > 4) return nullptr;
  const bool quarter = kind == 1 || kind == 2;
  Dib d;
  IMGHANDLE out = NewLike(s, quarter ? s.height : s.width, quarter ? s.width : s.height, d);
  if (!out) return nullptr;
  if (quarter) std::swap(d.hdr->biXPelsPerMeter, d.hdr->biYPelsPerMeter);
  switch (s.bpp) {
  case 1:
  case 4: RotateIndexed(s, d, kind); break;
  case 8: RotateBytes<1>(s, d, kind); break;
  case 16: RotateBytes<2>(s, d, kind); break;
  case 24: RotateBytes<3>(s, d, kind); break;
  default: RotateBytes<4>(s, d, kind); break;
  }
  return out;
}

} // namespace kit
