// The colour swatch of the dialogs that let the user pick a colour: a
// framed patch showing the colour, with the button that opens the colour
// dialog preset to it.
#pragma once

#include <QFrame>

class QPushButton;

class ColourSwatch : public QFrame {
  Q_OBJECT
public:
  // `button` (when given) opens the colour dialog; an accepted colour
  // becomes the swatch's and is announced by Changed.
  ColourSwatch(QWidget *parent, QPushButton *button = nullptr);

  // 0xRRGGBB.
  unsigned Rgb() const { return rgb_; }
  void SetRgb(unsigned rgb);
  int Red() const { return int(rgb_ >> 16) & 0xff; }
  int Green() const { return int(rgb_ >> 8) & 0xff; }
  int Blue() const { return int(rgb_) & 0xff; }
  // The colour dialog preset to the swatch; true when a colour was taken.
  bool Choose();

signals:
  void Changed();

private:
  unsigned rgb_ = 0;
};
