// The image control: a widget that shows one framework bitmap at its
// top-left corner, with the display palette it was given. In stretch mode
// the picture is drawn scaled to the widget's size instead.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

class TMDIB;

class ImageControl : public QWidget {
  Q_OBJECT
public:
  explicit ImageControl(QWidget *parent = nullptr);

  void SetPicture(const QImage &picture, std::vector<uint32_t> palette = {});
  // The picture of a DIB with its palette.
  void ShowDib(const TMDIB &dib);
  const QImage &Picture() const { return picture_; }
  const std::vector<uint32_t> &DisplayPalette() const { return palette_; }
  QSize sizeHint() const override;

  // Stretch mode: the picture fills the widget, scaled by nearest pixel.
  void SetStretch(bool on);
  bool Stretch() const { return stretch_; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void PaintStretched(QPainter &painter, const QRect &exposed);
  const QImage &FullSizeDrawable();

  QImage picture_;
  std::vector<uint32_t> palette_;
  bool stretch_ = false;
  // Stretch mode caches: the picture in a format the painter draws without
  // converting, and the picture reduced to the widget's size (so a reduced
  // view of a large photo repaints from a small copy).
  QImage drawable_;
  QImage reduced_;
};
