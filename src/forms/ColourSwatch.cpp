#include "forms/ColourSwatch.h"

#include "platform/UserDialogs.h"

#include <QPalette>
#include <QPushButton>

ColourSwatch::ColourSwatch(QWidget *parent, QPushButton *button) : QFrame(parent) {
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setMinimumSize(40, 22);
  SetRgb(0);
  if (button) {
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { Choose(); });
  }
}

void ColourSwatch::SetRgb(unsigned rgb) {
  rgb_ = rgb & 0xffffffu;
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor::fromRgb(rgb_));
  setPalette(p);
}

bool ColourSwatch::Choose() {
  unsigned rgb = rgb_;
  if (!UserDialogs::ChooseColour(window(), rgb)) return false;
  SetRgb(rgb);
  emit Changed();
  return true;
}
