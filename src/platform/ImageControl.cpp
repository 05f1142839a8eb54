#include "platform/ImageControl.h"

#include "image/Dib.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

ImageControl::ImageControl(QWidget *parent) : QWidget(parent) {}

void ImageControl::SetPicture(const QImage &picture, std::vector<uint32_t> palette) {
  source_ = nullptr;
  profile_ = DisplayProfile();
  picture_ = picture;
  palette_ = std::move(palette);
  drawable_ = QImage();
  reduced_ = QImage();
  updateGeometry();
  update();
}

void ImageControl::SetStretch(bool on) {
  if (stretch_ == on) return;
  stretch_ = on;
  if (!on) {
    drawable_ = QImage();
    reduced_ = QImage();
  }
  update();
}

bool ImageControl::ShowSource(std::function<IMGHANDLE()> source, DisplayProfile profile) {
  IMGHANDLE h = source ? source() : nullptr;
  if (!h) return false;
  const int bpp = TMDIB(h).BitsPerPixel();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
  picture_ = QImage();
  palette_.clear();
  drawable_ = QImage();
  reduced_ = QImage();
  source_ = std::move(source);
  profile_ = std::move(profile);
  updateGeometry();
  update();
  return true;
}

QSize ImageControl::PictureSize() const {
  if (source_) {
    if (IMGHANDLE h = source_()) {
      const TMDIB dib(h);
      return QSize(dib.width, dib.height);
    }
    return {};
  }
  return picture_.size();
}

QSize ImageControl::sizeHint() const {
  const QSize shown = PictureSize();
  return shown.isEmpty() ? QSize(100, 100) : shown;
}

QImage ImageControl::ShownArea(const QRect &area) {
  if (!source_) {
    QImage shot(size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    QPainter p(&shot);
    if (!picture_.isNull()) {
      if (stretch_)
        PaintStretched(p, rect());
      else
        p.drawImage(0, 0, picture_);
    }
    p.end();
    return shot.copy(area);
  }
  IMGHANDLE h = source_();
  if (!h) return {};
  const TMDIB dib(h);
  const QSize shown = stretch_ ? size() : QSize(dib.width, dib.height);
  QImage part = DisplayArea(dib, shown, area);
  profile_.ToDisplay(part);
  return part;
}

void ImageControl::PaintSource(QPainter &p, const QRect &exposed) {
  IMGHANDLE h = source_();
  if (!h) return;
  const TMDIB dib(h);
  const QSize picture(dib.width, dib.height);
  const QSize shown = stretch_ ? size() : picture;
  const QRect r = exposed.intersected(QRect(QPoint(0, 0), shown));
  if (r.isEmpty()) return;
  if (shown.width() < picture.width() && shown.height() <= picture.height()) {
    // Reduced: one copy of the shown size, kept while the zoom stays.
    if (reduced_.size() != shown) {
      reduced_ = DisplayArea(dib, shown, QRect(QPoint(0, 0), shown));
      profile_.ToDisplay(reduced_);
    }
    p.drawImage(r.topLeft(), reduced_, r);
    return;
  }
  // Full size or enlarged: only the painted part, converted now.
  QImage part = DisplayArea(dib, shown, r);
  profile_.ToDisplay(part);
  p.drawImage(r.topLeft(), part);
}

void ImageControl::paintEvent(QPaintEvent *event) {
  if (source_) {
    QPainter p(this);
    PaintSource(p, event->rect());
    return;
  }
  if (picture_.isNull()) return;
  QPainter p(this);
  if (stretch_) {
    PaintStretched(p, event->rect());
    return;
  }
  p.drawImage(0, 0, picture_);
}

// Indexed and 24-bit pictures would be converted on every paint; convert
// once instead.
const QImage &ImageControl::FullSizeDrawable() {
  const QImage::Format f = picture_.format();
  if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32_Premultiplied) return picture_;
  if (drawable_.isNull()) drawable_ = picture_.convertToFormat(QImage::Format_RGB32);
  return drawable_;
}

void ImageControl::PaintStretched(QPainter &p, const QRect &exposed) {
  const QSize target = size();
  if (target.isEmpty()) return;
  const QSize source = picture_.size();
  const QRect r = exposed.intersected(rect());
  if (r.isEmpty()) return;

  if (target == source) {
    p.drawImage(r.topLeft(), FullSizeDrawable(), r);
    return;
  }
  if (target.width() <= source.width() && target.height() <= source.height()) {
    if (reduced_.size() != target) {
      reduced_ = picture_.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
      if (reduced_.format() != QImage::Format_RGB32 &&
          reduced_.format() != QImage::Format_ARGB32_Premultiplied)
        reduced_ = reduced_.convertToFormat(QImage::Format_RGB32);
    }
    p.drawImage(r.topLeft(), reduced_, r);
    return;
  }
  // Enlarged: draw only the source pixels behind the exposed rectangle, each
  // as a block.
  const double sx = static_cast<double>(source.width()) / target.width();
  const double sy = static_cast<double>(source.height()) / target.height();
  const int x0 = std::clamp(static_cast<int>(std::floor(r.left() * sx)), 0, source.width() - 1);
  const int y0 = std::clamp(static_cast<int>(std::floor(r.top() * sy)), 0, source.height() - 1);
  const int x1 =
      std::clamp(static_cast<int>(std::ceil((r.right() + 1) * sx)), x0 + 1, source.width());
  const int y1 =
      std::clamp(static_cast<int>(std::ceil((r.bottom() + 1) * sy)), y0 + 1, source.height());
  const QRectF from(x0, y0, x1 - x0, y1 - y0);
  const QRectF to(x0 / sx, y0 / sy, (x1 - x0) / sx, (y1 - y0) / sy);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(to, FullSizeDrawable(), from);
}

void ImageControl::ShowDib(const TMDIB &dib) {
  SetPicture(BitmapFromDib(dib), dib.MakePalette().value_or(std::vector<uint32_t>{}));
}
