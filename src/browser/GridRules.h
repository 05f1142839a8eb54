// The arithmetic of the browser's thumbnail grid: how many cells fit, where
// each one goes, how paging moves the top row and where the scroll thumb
// sits. Widget-free, so the window, its tests and the benchmarks share it.
#pragma once

// Cells are 108 x 128 at a pitch of 110 x 130, from (10, 10).
constexpr int kCellPitchX = 110;
constexpr int kCellPitchY = 130;
constexpr int kCellWidth = 108;
constexpr int kCellHeight = 128;
constexpr int kGridMargin = 10;

struct GridFit {
  int columns = 0;
  int rows = 0;
  bool operator==(const GridFit &) const = default;
};

// Columns and rows that fit a client area of `width` x `height`.
GridFit FitGrid(int width, int height);
// Rows needed for `images` in `columns` columns, rounded up; 0 without a column.
int TotalRows(int images, int columns);
// Cells in use with `topRow` at the top: a page, at most the images left.
int CellsInUse(const GridFit &fit, int images, int topRow);
// Top-left corner of cell `index` (0-based, in reading order).
int CellLeft(int index, int columns);
int CellTop(int index, int columns);

enum class PageMove { LineDown, LineUp, PageDown, PageUp, First, Last };
// The top row after a move, with `rows` rows shown of `total`.
int MoveTopRow(PageMove move, int top, int rows, int total);

// The scroll thumb in an area `areaHeight` high: height area x R / C and top
// area x T / C, each rounded half up; the whole area without images, rows
// or columns.
struct ThumbPlace {
  int top = 0;
  int height = 0;
  bool operator==(const ThumbPlace &) const = default;
};
ThumbPlace PlaceThumb(int areaHeight, int images, int top, int rows, int total);
