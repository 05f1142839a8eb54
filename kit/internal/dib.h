// Shared inner part of the imaging kit: the handle block, header checks and
// creation of new images. Nothing here is exported from the libraries.
#pragma once

#include "imgkit.h"

#include <cstddef>
#include <cstdint>

namespace kit {

// Images larger than this are refused everywhere.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;
constexpr uint64_t kMaxPixelBytes = uint64_t{2} << 30;

struct Rgbq {
  uint8_t b, g, r, x;
};

// The handle block: zero-filled, size kept in front of the header. The
// exported ImgKitMem* functions are these.
IMGHANDLE Alloc(uint32_t size);
uint32_t BlockSize(IMGHANDLE h);
void Free(IMGHANDLE h);

// Row stride in bytes: the bit width rounded up to whole 32-bit words.
// 0 when the row does not fit the limits.
uint64_t StrideOf(int64_t width, int bits);

// Colour-table entries of a header: the low 16 bits of biClrUsed when
// non-zero, else 2, 16, 256 for 1, 4, 8 bits and 0 for other depths.
uint32_t ColourCountOf(const IMGKIT_BMIH &h);

// A checked view of one handle. Every exported function builds one first and
// fails cleanly when the handle is not a well-formed image.
struct Dib {
  IMGKIT_BMIH *hdr = nullptr;
  Rgbq *palette = nullptr; // colourCount entries, or null
  uint8_t *bits = nullptr; // memory row 0 (bottom of the picture)
  int width = 0;
  int height = 0;
  int bpp = 0;
  int colourCount = 0;
  size_t stride = 0;

  uint8_t *Row(int y) const { return bits + static_cast<size_t>(y) * stride; }
  // Row `y` counted from the top of the picture.
  uint8_t *TopRow(int y) const { return Row(height - 1 - y); }
  bool IsPalette() const { return bpp <= 8; }
};

// Fills `out` from a handle; false for null, bad headers, unsupported
// depths, or a block too small for what the header says.
bool ViewOf(IMGHANDLE h, Dib &out);

// A new zero-filled image with a 40-byte header, the given colour count
// (palette images; 0 for 16/24/32 bits) and biSizeImage = stride x height.
// Returns null when the size is out of limits or memory is short; the
// caller owns the handle.
IMGHANDLE NewDib(int width, int height, int bpp, int colourCount, Dib *view = nullptr);

// The same block layout as the source, copied byte for byte.
IMGHANDLE CopyDib(IMGHANDLE h);

// True when every colour-table entry is grey (r == g == b).
bool IsGreyPalette(const Dib &d);

// Index of pixel x in a 1-, 4- or 8-bit row.
inline int PaletteIndex(const uint8_t *row, int x, int bpp) {
  switch (bpp) {
  case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
  case 4: return (x & 1) ? (row[x >> 1] & 0x0f) : (row[x >> 1] >> 4);
  default: return row[x];
  }
}

inline void SetPaletteIndex(uint8_t *row, int x, int bpp, int index) {
  switch (bpp) {
  case 1: {
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
    row[x >> 3] = static_cast<uint8_t>(index ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
    break;
  }
  case 4:
    if (x & 1)
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xf0) | (index & 0x0f));
    else
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0f) | ((index & 0x0f) << 4));
    break;
  default: row[x] = static_cast<uint8_t>(index);
  }
}

// Expands any image to a new 24-bit image (palette lookup, 5-5-5 and x-8-8-8
// widening); null on failure.
IMGHANDLE To24(const Dib &src);

// Reads one pixel of any depth as blue, green, red.
void PixelBgr(const Dib &d, const uint8_t *row, int x, uint8_t bgr[3]);

inline uint8_t Clamp255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

} // namespace kit
