// The hue change dialog "色相補正": every colour turned around the colour
// circle by a coarse and a fine shift in degrees. Also the colour circle
// that it and the specific-hue emphasis dialog show.
#pragma once

#include "forms/PreviewDialog.h"

#include <QPointF>
#include <QWidget>

#include <vector>

class QLabel;

// A colour circle with "Ｒ", "Ｇ", "Ｂ" labels at 0, 120 and 240 degrees,
// angles counter-clockwise from the positive x axis.
class HueCircle : public QWidget {
  Q_OBJECT
public:
  enum class Style {
    Shift,   // white labels at 0.7 of the radius, coloured ones turned by the shift on it
    Markers, // coloured labels on the radius, small circles at 0.7 of it
  };
  static constexpr int kSide = 132;
  static constexpr double kRadius = 52;

  explicit HueCircle(Style style, QWidget *parent = nullptr);

  void SetShift(int degrees);
  void SetMarkers(const std::vector<int> &degrees);

  // The point at `degrees` on a circle, with the degrees turned to radians
  // through pi = 3.1415.
  static QPointF CirclePoint(QPointF centre, double radius, double degrees);
  QPointF Centre() const { return QPointF(kSide / 2.0, kSide / 2.0); }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  Style style_;
  int shift_ = 0;
  std::vector<int> markers_;
};

// "色相変更(&T)": full colour only.
void ShikisouCommand(Host *main, Document *child);

class TShikisouForm : public PreviewDialog {
  Q_OBJECT
public:
  explicit TShikisouForm(Host *main);

  QSlider *TrackBar1 = nullptr; // "補正", -180 ... 180
  QSlider *TrackBar2 = nullptr; // "微調整", -10 ... 10
  QLabel *lShift = nullptr;     // the value beside "色相補正値"
  HueCircle *Circle = nullptr;

  // Coarse plus fine, in degrees.
  int Shift() const;

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  bool AlwaysOwnsWaitWindow() const override { return true; }

private:
  void ShowShift();
};
