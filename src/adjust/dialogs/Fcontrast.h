// Contrast "コントラスト調整": distances from 128 scaled by (p + 100) / 100.
#pragma once

#include "forms/PreviewDialog.h"

class TContrastForm : public PreviewDialog {
  Q_OBJECT
public:
  explicit TContrastForm(Host *main);

  QSlider *TrackBar = nullptr; // "コントラスト補正値", -100 ... 100

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
};
