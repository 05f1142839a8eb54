// The browser's thumbnail grid: as many 108 x 128 cells as fit the image
// area, each with its thumbnail and the image's file name, paged by rows.
// It works on the browser's three lists (thumbnail, image, mark), which
// always have the same length; only the visible cells load thumbnails.
#pragma once

#include "browser/GridRules.h"

#include <QObject>
#include <QStringList>

#include <vector>

class QFrame;
class QLabel;
class QMenu;
class QWidget;

class CImageView : public QObject {
  Q_OBJECT
public:
  CImageView(QWidget *area, QStringList &thumbs, QStringList &images, QStringList &marks,
             QLabel *shownCount, QLabel *selectedCount);

  // Lays the cells out again when the fit changed (always when forced) and
  // fills them from the top row.
  void Rebuild(bool force);
  // Removes every cell (the lists stay).
  void Clear();
  void Move(PageMove move);
  // Back to the first page with no anchor and no popup item.
  void Reset();
  void SelectAll();
  void SelectNone();
  // A press on cell `cell`: toggles it or, with Shift and an anchor, marks
  // the range; the right button remembers the popup item.
  void Press(int cell, bool right, bool shift);
  void ShowCounts();

  int TopRow() const { return top_; }
  int Rows() const { return fit_.rows; }
  int Columns() const { return fit_.columns; }
  int TotalRowCount() const { return total_; }
  int CellCount() const { return int(cells_.size()); }
  int PopupItem() const { return popupItem_; }
  int Anchor() const { return anchor_; }
  // The cell's name label and whether it shows a picture (for tests).
  QString CellText(int cell) const;
  bool CellHasPicture(int cell) const;

  // 256 on a palette display: thumbnails are reduced to it.
  int displayColours = 0;
  QMenu *popup = nullptr;

signals:
  void DoubleClicked(int image);
  void Moved();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  struct Cell {
    QFrame *panel;
    QLabel *picture;
    QLabel *name;
  };
  void Fill();
  void Paint(int cell);
  int CellOf(QObject *widget) const;

  QWidget *area_;
  QStringList &thumbs_;
  QStringList &images_;
  QStringList &marks_;
  QLabel *shownCount_;
  QLabel *selectedCount_;
  std::vector<Cell> cells_;
  GridFit fit_;
  int total_ = 0;
  int top_ = 0;
  int previousTop_ = 0;
  int popupItem_ = -1;
  int anchor_ = -1;
};
