#include "browser/GridRules.h"

#include <algorithm>
#include <cstdint>

namespace {

// a x b / c rounded to the nearest integer, halves up; c > 0.
int ScaleRounded(int a, int b, int c) {
  return static_cast<int>((2 * int64_t{a} * b + c) / (2 * int64_t{c}));
}

} // namespace

GridFit FitGrid(int width, int height) {
  return {std::max(0, (width - 8) / kCellPitchX), std::max(0, (height - 8) / kCellPitchY)};
}

int TotalRows(int images, int columns) {
  return columns > 0 ? (images + columns - 1) / columns : 0;
}

int CellsInUse(const GridFit &fit, int images, int topRow) {
  return std::max(0, std::min({fit.rows * fit.columns, images, images - topRow * fit.columns}));
}

int CellLeft(int index, int columns) {
  return columns > 0 ? (index % columns) * kCellPitchX + kGridMargin : kGridMargin;
}

int CellTop(int index, int columns) {
  return columns > 0 ? (index / columns) * kCellPitchY + kGridMargin : kGridMargin;
}

int MoveTopRow(PageMove move, int top, int rows, int total) {
  switch (move) {
  case PageMove::LineDown: return top + rows < total ? top + 1 : top;
  case PageMove::LineUp: return top > 0 ? top - 1 : top;
  case PageMove::PageDown:
    if (top + 2 * rows < total) return top + rows;
    return top + rows < total ? total - rows : top;
  case PageMove::PageUp:
    if (top - rows > 0) return top - rows;
    return top > 0 ? 0 : top;
  case PageMove::First: return 0;
  case PageMove::Last: return top < total - rows ? total - rows : top;
  }
  return top;
}

ThumbPlace PlaceThumb(int areaHeight, int images, int top, int rows, int total) {
  if (images <= 0 || total <= 0 || rows <= 0) return {0, areaHeight};
  return {ScaleRounded(areaHeight, top, total), ScaleRounded(areaHeight, rows, total)};
}
