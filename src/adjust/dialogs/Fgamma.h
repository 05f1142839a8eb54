// Gamma "ガンマ補正": 255 x (v / 255)^(100 / p), 100 meaning no change.
//
// It can be driven unseen: set `automatic` (no edit-history entry),
// Prepare(), set TrackBar, bOKClick(). OK always shows the wait window
// (0 ... image height) and closes it again.
#pragma once

#include "forms/PreviewDialog.h"

class TGammaForm : public PreviewDialog {
  Q_OBJECT
public:
  explicit TGammaForm(Host *main);

  QSlider *TrackBar = nullptr; // "ガンマ補正値", 10 ... 300

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  bool AlwaysOwnsWaitWindow() const override { return true; }
};
