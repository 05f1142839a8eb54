// The composite paste: a second picture laid into the document at an offset
// with one of the ten blend modes, optionally leaving out the pasted
// picture's background colour, and for rendered text blending the edge
// pixels by their coverage.
#pragma once

#include "effects/BlendImages.h"
#include "image/Dib.h"

#include <cstdint>
#include <optional>

// Offsets the routine takes, in pixels (the document sizes of the program).
constexpr int kCompositeOffsetMin = -65535, kCompositeOffsetMax = 65535;

struct CompositeOptions {
  // Where the pasted picture's top-left corner lies, from the document's
  // top-left corner.
  int x = 0, y = 0;
  int mode = bmMix;
  // The document's share in per cent (the weight of the blend modes).
  int transparency = 50;
  // The colour of the pasted picture's bottom-left pixel leaves the
  // document alone.
  bool keyTransparent = false;
  // Rendered text: with the key colour and the normal mode, pixels between
  // the background and the text colour are blended by their coverage.
  bool antiAliased = false;
  uint32_t textRgb = 0x000000;       // 0xRRGGBB
  uint32_t backgroundRgb = 0xffffff; // 0xRRGGBB
};

// The coverage in per cent of a pasted pixel (blue, green, red bytes)
// between the background and the text colour (0xRRGGBB each), taken over
// the channels in the order red, green, blue: for each channel where the
// pixel differs from the background, (p - background) / (text - background)
// x 100 is added in floating point and truncated; the sum is divided by the
// number of such channels. A channel in which the text and the background
// are equal says nothing about the coverage and is left out. 0 when the
// pixel equals the background; none when every channel in which it differs
// is one of those left out.
std::optional<int> TextCoverage(const uint8_t *pixel, uint32_t textRgb, uint32_t backgroundRgb);

// Combines `pasted` into `document` (both 24-bit) at the options' offset:
// document pixels outside the pasted picture stay as they are; the others
// are the blend of the document pixel (top) over the pasted one (base) at
// the transparency. One progress step per document row, top row first.
// False (nothing written) for other depths or options out of range.
bool CompositeImages(TMDIB &document, const TMDIB &pasted, const CompositeOptions &options,
                     Progress *progress = nullptr);
