#include "browser/windows/ImageView.h"

#include "image/Dib.h"
#include "image/Kit.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>

CImageView::CImageView(QWidget *area, QStringList &thumbs, QStringList &images, QStringList &marks,
                       QLabel *shownCount, QLabel *selectedCount)
    : QObject(area), area_(area), thumbs_(thumbs), images_(images), marks_(marks),
      shownCount_(shownCount), selectedCount_(selectedCount) {}

void CImageView::Clear() {
  for (const Cell &c : cells_)
    delete c.panel;
  cells_.clear();
}

void CImageView::Rebuild(bool force) {
  if (thumbs_.isEmpty()) return;
  const GridFit fit = FitGrid(area_->width(), area_->height());
  if (!force && fit == fit_ && !cells_.empty()) return;
  fit_ = fit;
  Clear();
  const int images = int(images_.size());
  total_ = TotalRows(images, fit_.columns);
  // A smaller area can leave the top row past the last page.
  top_ = std::max(0, std::min(top_, total_ - fit_.rows));
  const int count = CellsInUse(fit_, images, top_);
  for (int i = 0; i < count; ++i) {
    auto *panel = new QFrame(area_);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    panel->setGeometry(CellLeft(i, fit_.columns), CellTop(i, fit_.columns), kCellWidth,
                       kCellHeight);
    auto *picture = new QLabel(panel);
    picture->setGeometry(4, 4, 100, 100);
    picture->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(panel);
    name->setGeometry(4, 108, 100, 16);
    picture->installEventFilter(this);
    panel->show();
    cells_.push_back({panel, picture, name});
  }
  Fill();
  ShowCounts();
}

void CImageView::Fill() {
  const int first = top_ * fit_.columns;
  for (int i = 0; i < int(cells_.size()); ++i) {
    const int index = first + i;
    const Cell &c = cells_[size_t(i)];
    DibHandle thumb(
        Kit.ImgKitFileLoad(QFile::encodeName(thumbs_.value(index)).constData(), "", ""));
    if (thumb && displayColours == 256)
      thumb.Adopt(Kit.ImgKitConvertColor(thumb.get(), 8, 1, 1, "", ""));
    if (thumb) {
      const TMDIB dib(thumb.get());
      c.picture->setPixmap(QPixmap::fromImage(BitmapFromDib(dib)));
    } else {
      c.picture->clear();
    }
    c.name->setText(QFileInfo(images_.value(index)).fileName());
    Paint(i);
  }
}

void CImageView::Paint(int cell) {
  const int index = top_ * fit_.columns + cell;
  QFrame *panel = cells_[size_t(cell)].panel;
  QPalette p = panel->palette();
  const bool marked = marks_.value(index) == QLatin1String("1");
  p.setColor(QPalette::Window, area_->palette().color(marked ? QPalette::Dark : QPalette::Button));
  panel->setPalette(p);
}

void CImageView::ShowCounts() {
  if (shownCount_) shownCount_->setText(QString::number(images_.size()));
  if (selectedCount_) selectedCount_->setText(QString::number(marks_.count(QStringLiteral("1"))));
}

void CImageView::Move(PageMove move) {
  previousTop_ = top_;
  top_ = MoveTopRow(move, top_, fit_.rows, total_);
  Rebuild(true);
  emit Moved();
}

void CImageView::Reset() {
  top_ = previousTop_ = 0;
  popupItem_ = -1;
  anchor_ = -1;
}

void CImageView::SelectAll() {
  for (QString &m : marks_)
    m = QStringLiteral("1");
  for (int i = 0; i < int(cells_.size()); ++i)
    Paint(i);
  ShowCounts();
}

void CImageView::SelectNone() {
  for (QString &m : marks_)
    m = QStringLiteral("0");
  for (int i = 0; i < int(cells_.size()); ++i)
    Paint(i);
  ShowCounts();
}

void CImageView::Press(int cell, bool right, bool shift) {
  const int index = top_ * fit_.columns + cell;
  if (index < 0 || index >= marks_.size()) return;
  if (right) {
    popupItem_ = index;
  } else if (shift && anchor_ >= 0) {
    for (int i = std::min(anchor_, index); i <= std::max(anchor_, index); ++i)
      marks_[i] = QStringLiteral("1");
    anchor_ = -1;
    for (int i = 0; i < int(cells_.size()); ++i)
      Paint(i);
  } else {
    marks_[index] = marks_[index] == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1");
    anchor_ = index;
    Paint(cell);
  }
  ShowCounts();
}

int CImageView::CellOf(QObject *widget) const {
  for (int i = 0; i < int(cells_.size()); ++i)
    if (cells_[size_t(i)].picture == widget) return i;
  return -1;
}

QString CImageView::CellText(int cell) const {
  return cell >= 0 && cell < int(cells_.size()) ? cells_[size_t(cell)].name->text() : QString();
}

bool CImageView::CellHasPicture(int cell) const {
  return cell >= 0 && cell < int(cells_.size()) && !cells_[size_t(cell)].picture->pixmap().isNull();
}

bool CImageView::eventFilter(QObject *watched, QEvent *event) {
  const int cell = CellOf(watched);
  if (cell < 0) return QObject::eventFilter(watched, event);
  if (event->type() == QEvent::MouseButtonPress) {
    auto *mouse = static_cast<QMouseEvent *>(event);
    const bool right = mouse->button() == Qt::RightButton;
    Press(cell, right, mouse->modifiers() & Qt::ShiftModifier);
    if (right && popup) popup->popup(mouse->globalPosition().toPoint());
    return true;
  }
  if (event->type() == QEvent::MouseButtonDblClick) {
    // The first image whose file name is the cell's label.
    const QString name = cells_[size_t(cell)].name->text();
    for (int i = 0; i < images_.size(); ++i)
      if (QFileInfo(images_[i]).fileName() == name) {
        emit DoubleClicked(i);
        break;
      }
    return true;
  }
  return QObject::eventFilter(watched, event);
}
