// The grid's fit, paging and scroll-thumb arithmetic.
#include "browser/GridRules.h"

#include <gtest/gtest.h>

namespace {

TEST(GridRules, SevenHundredByFiveHundredHoldsSixByThree) {
  EXPECT_EQ(FitGrid(700, 500), (GridFit{6, 3}));
  EXPECT_EQ(FitGrid(118, 138), (GridFit{1, 1}));
  EXPECT_EQ(FitGrid(118, 137), (GridFit{1, 0}));
  EXPECT_EQ(FitGrid(117, 138), (GridFit{0, 1}));
  EXPECT_EQ(FitGrid(0, 0), (GridFit{0, 0}));
  EXPECT_EQ(TotalRows(40, 6), 7);
  EXPECT_EQ(TotalRows(18, 6), 3);
  EXPECT_EQ(TotalRows(5, 0), 0);
  // The last page of 40 images from row 4 shows 3 rows: 16 cells.
  EXPECT_EQ(CellsInUse({6, 3}, 40, 4), 16);
  EXPECT_EQ(CellsInUse({6, 3}, 40, 0), 18);
  EXPECT_EQ(CellsInUse({6, 3}, 5, 0), 5);
  EXPECT_EQ(CellLeft(7, 6), 120);
  EXPECT_EQ(CellTop(7, 6), 140);
}

TEST(GridRules, PagingThroughFortyImages) {
  const int rows = 3, total = 7;
  int top = MoveTopRow(PageMove::PageDown, 0, rows, total);
  EXPECT_EQ(top, 3);
  top = MoveTopRow(PageMove::PageDown, top, rows, total);
  EXPECT_EQ(top, 4); // C - R
  EXPECT_EQ(MoveTopRow(PageMove::PageDown, top, rows, total), 4);
  EXPECT_EQ(MoveTopRow(PageMove::LineDown, top, rows, total), 4);
  EXPECT_EQ(MoveTopRow(PageMove::LineUp, top, rows, total), 3);
  EXPECT_EQ(MoveTopRow(PageMove::PageUp, 4, rows, total), 1);
  EXPECT_EQ(MoveTopRow(PageMove::PageUp, 3, rows, total), 0);
  EXPECT_EQ(MoveTopRow(PageMove::PageUp, 0, rows, total), 0);
  EXPECT_EQ(MoveTopRow(PageMove::First, 4, rows, total), 0);
  EXPECT_EQ(MoveTopRow(PageMove::Last, 0, rows, total), 4);
  EXPECT_EQ(MoveTopRow(PageMove::LineUp, 0, rows, total), 0);
  // Eighteen images in six columns: one full page, nothing moves.
  for (PageMove m : {PageMove::LineDown, PageMove::PageDown, PageMove::Last})
    EXPECT_EQ(MoveTopRow(m, 0, 3, 3), 0);
}

TEST(GridRules, ScrollThumbRoundsHalfUp) {
  // 100 high, rows 3 of 7 at the top: 42.86 -> 43 high.
  EXPECT_EQ(PlaceThumb(100, 40, 0, 3, 7), (ThumbPlace{0, 43}));
  // Top 4 of 7: 57.14 -> 57; 3 of 8 in 100: 37.5 -> 38.
  EXPECT_EQ(PlaceThumb(100, 40, 4, 3, 7), (ThumbPlace{57, 43}));
  EXPECT_EQ(PlaceThumb(100, 48, 0, 3, 8), (ThumbPlace{0, 38}));
  // Without images, rows or total rows the thumb fills the area.
  EXPECT_EQ(PlaceThumb(100, 0, 0, 3, 7), (ThumbPlace{0, 100}));
  EXPECT_EQ(PlaceThumb(100, 40, 0, 0, 7), (ThumbPlace{0, 100}));
  EXPECT_EQ(PlaceThumb(100, 40, 0, 3, 0), (ThumbPlace{0, 100}));
}

} // namespace
