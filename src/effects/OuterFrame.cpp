#include "effects/OuterFrame.h"

#include "effects/Effects.h"
#include "image/Progress.h"

#include <algorithm>
#include <cstring>

bool OuterFrameFits(int width, int height, const FrameWidths &widths) {
  if (widths.top < 0 || widths.bottom < 0 || widths.left < 0 || widths.right < 0) return false;
  const int64_t w = FramedWidth(width, widths), h = FramedHeight(height, widths);
  return w >= 1 && h >= 1 && w * h <= kOuterFrameMaxPixels;
}

DibHandle OuterFrame(IMGHANDLE source, const FrameWidths &widths, int red, int green, int blue,
                     Progress *progress) {
  if (!source) return {};
  {
    const TMDIB in(source);
    if (!in.Attached() || !OuterFrameFits(in.width, in.height, widths)) return {};
  }
  DibHandle converted;
  source = effects::Source24(source, converted);
  if (!source) return {};
  const TMDIB in(source);
  if (!effects::Is24(in)) return {};
  const int newWidth = static_cast<int>(FramedWidth(in.width, widths));
  const int newHeight = static_cast<int>(FramedHeight(in.height, widths));
  DibHandle framed = CreateBlankDib(newWidth, newHeight);
  if (!framed) return {};
  const TMDIB out(framed.get());
  if (progress) progress->SetRange(newHeight);

  // One row of the frame colour, copied wherever the border shows.
  std::vector<uint8_t> border(size_t(newWidth) * 3);
  for (size_t i = 0; i < border.size(); i += 3) {
    border[i] = static_cast<uint8_t>(blue);
    border[i + 1] = static_cast<uint8_t>(green);
    border[i + 2] = static_cast<uint8_t>(red);
  }
  const size_t left = size_t(widths.left) * 3, inner = size_t(in.width) * 3;
  const size_t right = size_t(widths.right) * 3;
  for (int y = 0; y < newHeight; ++y) {
    uint8_t *row = effects::PictureRow(out, y);
    const int sy = y - widths.top;
    if (sy < 0 || sy >= in.height) {
      std::memcpy(row, border.data(), border.size());
    } else {
      std::memcpy(row, border.data(), left);
      std::memcpy(row + left, effects::PictureRow(in, sy), inner);
      std::memcpy(row + left + inner, border.data(), right);
    }
    if (progress) progress->Step();
  }
  return framed;
}
