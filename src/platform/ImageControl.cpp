#include "ImageControl.h"

#include <QPainter>

ImageControl::ImageControl(QWidget *parent) : QWidget(parent) {}

void ImageControl::SetPicture(const QImage &picture, std::vector<uint32_t> palette) {
  picture_ = picture;
  palette_ = std::move(palette);
  updateGeometry();
  update();
}

QSize ImageControl::sizeHint() const {
  return picture_.isNull() ? QSize(100, 100) : picture_.size();
}

void ImageControl::paintEvent(QPaintEvent *) {
  if (picture_.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, picture_);
}
