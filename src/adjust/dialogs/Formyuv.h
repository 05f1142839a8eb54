// YUV balance "ＹＵＶ補正": Y, U, V turned into channel offsets for the
// kit.
#pragma once

#include "adjust/Yuv.h"
#include "forms/PreviewDialog.h"

class TYUVForm : public PreviewDialog {
  Q_OBJECT
public:
  explicit TYUVForm(Host *main);

  QSlider *TrackBarY = nullptr; // "Ｙ（明るさ）", -50 ... 50
  QSlider *TrackBarU = nullptr; // "Ｕ（青み）"
  QSlider *TrackBarV = nullptr; // "Ｖ（赤み）"

  // The offsets handed to the kit for the current controls.
  ChannelOffsets Offsets() const;

protected:
  bool IsKitAdjustment() const override { return true; }
  void KitAdjust(IMGHANDLE image, const char *caption, const char *message) override;
  QString KitMessage() const override { return QStringLiteral("色調補正中"); }
  void ResetControls() override;
};
