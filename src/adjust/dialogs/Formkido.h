// Brightness "輝度調整": the kit's brightness with factor position x 0.05.
#pragma once

#include "forms/PreviewDialog.h"

class TKidoForm : public PreviewDialog {
  Q_OBJECT
public:
  explicit TKidoForm(Host *main);

  QSlider *TrackBar = nullptr; // "輝度補正値", -50 ... 50

  // The factor handed to the kit: -2.5 ... 2.5 in steps of 0.05.
  double Factor() const;

protected:
  bool IsKitAdjustment() const override { return true; }
  void KitAdjust(IMGHANDLE image, const char *caption, const char *message) override;
  QString KitMessage() const override { return QStringLiteral("輝度調整中"); }
  void ResetControls() override;
};
