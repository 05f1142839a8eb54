#include "effects/Composite.h"

#include "effects/Effects.h"

#include <algorithm>
#include <cmath>

namespace {

using effects::Clamp255;
using effects::PictureRow;

bool SamePixel(const uint8_t *a, const uint8_t *b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// Blue, green, red bytes of 0xRRGGBB.
void Bytes(uint32_t rgb, uint8_t *out) {
  out[0] = uint8_t(rgb), out[1] = uint8_t(rgb >> 8), out[2] = uint8_t(rgb >> 16);
}

// The edge pixel of rendered text: the text colour laid over the document
// value t by the pixel's coverage h, then mixed with the document at weight
// a. (Laying the edge pixel itself over the document instead would bring
// back the part of the text background it holds, a fringe of that colour
// round every letter.)
void CoverageBlend(uint8_t *t, const uint8_t *text, int h, int a) {
  for (int c = 0; c < 3; ++c) {
    const int tv = t[c];
    const int over = (text[c] * h + (100 - h) * tv) / 100;
    t[c] = Clamp255((a * tv + (100 - a) * over) / 100);
  }
}

struct Span {
  int first, last; // document columns, last excluded
};

} // namespace

std::optional<int> TextCoverage(const uint8_t *pixel, uint32_t textRgb, uint32_t backgroundRgb) {
  uint8_t text[3], back[3];
  Bytes(textRgb, text);
  Bytes(backgroundRgb, back);
  int h = 0, count = 0;
  bool uninformative = false;
  for (int c : {2, 1, 0}) { // red, green, blue
    if (pixel[c] == back[c]) continue;
    if (text[c] == back[c]) {
      uninformative = true;
      continue;
    }
    h = static_cast<int>(
        std::trunc(double(pixel[c] - back[c]) / double(text[c] - back[c]) * 100.0 + double(h)));
    ++count;
  }
  if (count == 0) return uninformative ? std::nullopt : std::optional<int>(0);
  return h / count;
}

bool CompositeImages(TMDIB &document, const TMDIB &pasted, const CompositeOptions &o,
                     Progress *progress) {
  if (!effects::Is24(document) || !effects::Is24(pasted)) return false;
  if (o.mode < kBlendModeMin || o.mode > kBlendModeMax || o.transparency < kBlendWeightMin ||
      o.transparency > kBlendWeightMax)
    return false;
  const int64_t left = std::max<int64_t>(0, o.x);
  const int64_t right = std::min<int64_t>(document.width, int64_t(o.x) + pasted.width);
  // Empty (first >= last) when the pictures do not overlap side by side.
  const Span span = left < right ? Span{int(left), int(right)} : Span{0, 0};
  uint8_t key[3] = {0, 0, 0}, text[3];
  if (pasted.height > 0 && pasted.width > 0) {
    const uint8_t *bottomLeft = PictureRow(pasted, pasted.height - 1);
    std::copy(bottomLeft, bottomLeft + 3, key);
  }
  Bytes(o.textRgb, text);
  const bool coverage = o.keyTransparent && o.antiAliased && o.mode == bmMix;
  const int a = o.transparency;

  for (int y = 0; y < document.height; ++y) {
    const int64_t py = int64_t(y) - o.y;
    if (py >= 0 && py < pasted.height && span.first < span.last) {
      uint8_t *t = PictureRow(document, y) + ptrdiff_t(span.first) * 3;
      const uint8_t *b = PictureRow(pasted, int(py)) + (span.first - int64_t(o.x)) * 3;
      const int n = span.last - span.first;
      if (!o.keyTransparent) {
        BlendRow(t, b, n, o.mode, a);
      } else {
        // Runs of pixels other than the key colour are blended together.
        int i = 0;
        while (i < n) {
          if (SamePixel(b + i * 3, key)) {
            ++i;
            continue;
          }
          if (coverage && !SamePixel(b + i * 3, text)) {
            if (const std::optional<int> h = TextCoverage(b + i * 3, o.textRgb, o.backgroundRgb))
              CoverageBlend(t + i * 3, text, *h, a);
            else
              BlendRow(t + i * 3, b + i * 3, 1, o.mode, a);
            ++i;
            continue;
          }
          int end = i + 1;
          while (end < n && !SamePixel(b + end * 3, key) &&
                 !(coverage && !SamePixel(b + end * 3, text)))
            ++end;
          BlendRow(t + i * 3, b + i * 3, end - i, o.mode, a);
          i = end;
        }
      }
    }
    if (progress) progress->Step();
  }
  return true;
}
