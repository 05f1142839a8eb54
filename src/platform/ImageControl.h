// The image control: a widget that shows one framework bitmap at its
// top-left corner, with the display palette it was given.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

class ImageControl : public QWidget {
  Q_OBJECT
public:
  explicit ImageControl(QWidget *parent = nullptr);

  void SetPicture(const QImage &picture, std::vector<uint32_t> palette = {});
  const QImage &Picture() const { return picture_; }
  const std::vector<uint32_t> &DisplayPalette() const { return palette_; }
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QImage picture_;
  std::vector<uint32_t> palette_;
};
