// The image control: a widget that shows one framework bitmap at its
// top-left corner, with the display palette it was given. In stretch mode
// the picture is drawn scaled to the widget's size instead.
#pragma once

#include "image/ColourProfile.h"
#include "image/Kit.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class TMDIB;

class ImageControl : public QWidget {
  Q_OBJECT
public:
  explicit ImageControl(QWidget *parent = nullptr);

  void SetPicture(const QImage &picture, std::vector<uint32_t> palette = {});
  // The picture of a DIB with its palette.
  void ShowDib(const TMDIB &dib);
  // Shows the picture `source` answers at paint time, without a copy of it:
  // at full size and enlarged only the painted part is converted, reduced
  // one copy of the widget's size is kept until the size or the picture
  // changes (call again after a change). `profile` converts what is shown
  // to sRGB. False (and nothing changes) for a depth other than 1, 4, 8 and
  // 24 bits.
  bool ShowSource(std::function<IMGHANDLE()> source, DisplayProfile profile = {});
  bool ShowingSource() const { return static_cast<bool>(source_); }
  // The picture the set bitmap holds; null while a source is shown.
  const QImage &Picture() const { return picture_; }
  // The size of the picture shown, bitmap or source.
  QSize PictureSize() const;
  // What a paint of `area` (widget pixels) puts on the screen, before the
  // display palette: the shown conversion, for tests and screenshots.
  QImage ShownArea(const QRect &area);
  const std::vector<uint32_t> &DisplayPalette() const { return palette_; }
  QSize sizeHint() const override;

  // Stretch mode: the picture fills the widget, scaled by nearest pixel.
  void SetStretch(bool on);
  bool Stretch() const { return stretch_; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void PaintStretched(QPainter &painter, const QRect &exposed);
  void PaintSource(QPainter &painter, const QRect &exposed);
  const QImage &FullSizeDrawable();

  QImage picture_;
  std::vector<uint32_t> palette_;
  bool stretch_ = false;
  // Stretch mode caches: the picture in a format the painter draws without
  // converting, and the picture reduced to the widget's size (so a reduced
  // view of a large photo repaints from a small copy).
  QImage drawable_;
  QImage reduced_;
  std::function<IMGHANDLE()> source_;
  DisplayProfile profile_;
};
