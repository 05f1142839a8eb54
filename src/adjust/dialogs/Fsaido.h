// Saturation "彩度調整": each channel's distance from the pixel's mean
// scaled by (p + 100) / 100.
#pragma once

#include "forms/PreviewDialog.h"

class TSaidoForm : public PreviewDialog {
  Q_OBJECT
public:
  explicit TSaidoForm(Host *main);

  QSlider *TrackBar = nullptr; // "彩度調整値", -100 ... 100

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
};
