// The image core: the accessor over one image handle, the two ways the
// program makes a handle without the kit, and the reduced preview copy.
// No widget header here: pixel routines include this file.
#pragma once

#include "image/DibHandle.h"
#include "image/Progress.h"

#include <cstdint>
#include <optional>
#include <vector>

class QImage;
class QRect;
class QSize;

// Pixel formats as the framework numbers them.
enum PixelFormat : int32_t {
  pf1bit = 1,
  pf4bit = 2,
  pf8bit = 3,
  pf15bit = 4,
  pf24bit = 6,
  pf32bit = 7
};

// Accessor attached to a handle for one operation; it does not own the
// handle. Memory row y starts at pixels + y * stride; row 0 is the bottom of
// the picture, topRow the first byte of the top row.
class TMDIB {
public:
  IMGHANDLE handle = nullptr;
  IMGKIT_BMIH *header = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pixelCount = 0;
  int32_t colourTableBytes = 0;
  int32_t pixelFormat = 0;
  int32_t stride = 0;
  int32_t imageBytes = 0;
  uint8_t *topRow = nullptr;
  uint8_t *pixels = nullptr;
  uint8_t *colourTable = nullptr;
  // Colour for samples that fall outside the picture.
  int32_t backgroundRed = 0;
  int32_t backgroundGreen = 0;
  int32_t backgroundBlue = 0;

  TMDIB() = default;
  explicit TMDIB(IMGHANDLE h) { Attach(h); }
  TMDIB(const TMDIB &) = delete;
  TMDIB &operator=(const TMDIB &) = delete;
  ~TMDIB() { Release(0); }

  void Attach(IMGHANDLE h);
  // Detaches; with bit 0 of `flags` set the accessor also deletes itself
  // (only for accessors made with new).
  void Release(int flags);
  bool Attached() const { return header != nullptr; }

  static uint32_t ColourCount(const IMGKIT_BMIH *h);
  static int32_t RowStride(int32_t width, int bitsPerPixel);

  // Colour of pixel number n (memory row n / width, column n % width) of a
  // palette image.
  void PixelColour(int32_t n, int &red, int &green, int &blue) const;

  // Display palette as 0xRRGGBB entries: the colour table, or a fixed
  // 256-entry palette for 24-bit images; none for other depths or a header
  // that is not 40 bytes.
  std::optional<std::vector<uint32_t>> MakePalette() const;

  // Shows the attached picture in an image control.

  uint8_t *Row(int y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }
  int BitsPerPixel() const { return header ? header->biBitCount : 0; }
};

// A new black 24-bit image.
DibHandle CreateBlankDib(int width, int height);

// Images come in as 1, 4, 8 or 24 bits: 16- and 32-bit ones are made 24-bit
// wherever an image enters the program (files, clipboard), so that no
// command has to deal with them. False when the image is unreadable or the
// conversion was needed and failed.
bool MakeFullColour(DibHandle &image);

// A new handle from a framework bitmap: 24-bit bitmaps (RGB888/BGR888), and
// 8- and 1-bit indexed ones with their colour table; none for other formats.
DibHandle DibFromBitmap(const QImage &bitmap);

// A framework bitmap of the picture (the conversion the image control shows).
QImage BitmapFromDib(const TMDIB &dib);

// The part `area` (in shown pixels) of the picture shown at `shown` size,
// each shown pixel the picture's pixel (x * width / shown width, y * height
// / shown height): an RGB32 bitmap of area's size. What a window paints, so
// that a large photo never needs a second full-size copy on screen. 1-, 4-,
// 8- and 24-bit pictures; null for other depths or an empty area.
QImage DisplayArea(const TMDIB &dib, QSize shown, QRect area);

// The reduced preview copy of a document image.
struct PreviewCopy {
  DibHandle image;
  int width = 0;
  int height = 0;
};

// With the preview-area marker shown, the 100 x 100 area at (x, y);
// otherwise the whole image scaled to fit 100 x 100.
PreviewCopy MakePreviewCopy(IMGHANDLE image, bool areaShown, int x, int y);

// Per-pixel operations go through here. On 1-, 4- and 8-bit images `f` sees
// the colour-table entries (at most 2, 16 or 256) and pixel indices stay as
// they are; on 24-bit images it sees each pixel, top row first; other
// depths are left alone. `f(uint8_t *bgr)` changes bytes 0 (blue), 1 (green) and
// 2 (red) in place. One progress step per row of 24-bit images.
template <class F> void ForEachColour(TMDIB &dib, F f, Progress *progress = nullptr) {
  if (!dib.Attached()) return;
  const int bpp = dib.BitsPerPixel();
  if (bpp == 1 || bpp == 4 || bpp == 8) {
    uint32_t n = TMDIB::ColourCount(dib.header);
    const uint32_t cap = 1u << bpp;
    if (n > cap) n = cap;
    for (uint32_t i = 0; i < n; ++i)
      f(dib.colourTable + 4 * i);
    return;
  }
  // Only 24-bit rows hold whole three-byte pixels; 16- and 32-bit images
  // are converted to 24 bits before they reach a pixel routine.
  if (bpp != 24) return;
  for (int y = dib.height - 1; y >= 0; --y) {
    uint8_t *p = dib.Row(y);
    uint8_t *end = p + 3 * static_cast<ptrdiff_t>(dib.width);
    for (; p != end; p += 3)
      f(p);
    if (progress) progress->Step();
  }
}

// The common case of ForEachColour: a lookup table per channel (blue,
// green, red), one load per byte.
void ApplyChannelTables(TMDIB &dib, const uint8_t blue[256], const uint8_t green[256],
                        const uint8_t red[256], Progress *progress = nullptr);
