// RGB balance "ＲＧＢ補正": a signed offset per channel through the kit,
// optionally keeping the luminance (each channel less the mean of the
// other two).
//
// It can be driven unseen: set `automatic` (no edit-history entry),
// Prepare(), SetBalance(), bOKClick(). While `automatic` is set, control
// changes do not recompute the preview.
#pragma once

#include "adjust/Yuv.h"
#include "forms/PreviewDialog.h"

class QButtonGroup;
class QRadioButton;

class TRGB_Form : public PreviewDialog {
  Q_OBJECT
public:
  explicit TRGB_Form(Host *main);

  QSlider *TrackBarR = nullptr; // "赤" / "シアン", -50 ... 50
  QSlider *TrackBarG = nullptr; // "緑" / "マゼンタ"
  QSlider *TrackBarB = nullptr; // "青" / "黄"
  // "輝度の保存": "しない" (0), "する" (1, the default).
  QButtonGroup *rgKido = nullptr;

  bool KeepsLuminance() const;
  void SetKeepLuminance(bool on);
  // Sets the three track bars (without recomputing while automatic).
  void SetBalance(int red, int green, int blue);
  // The offsets handed to the kit for the current controls.
  ChannelOffsets Offsets() const;

  // The sepia tint (kSepiaRed, kSepiaGreen, kSepiaBlue) on the document
  // image (luminance keeping set but not applied), no edit-history entry,
  // then the document is refreshed. False when the kit failed.
  bool SepiaTint(Document *child);

protected:
  bool IsKitAdjustment() const override { return true; }
  void KitAdjust(IMGHANDLE image, const char *caption, const char *message) override;
  QString KitMessage() const override { return QStringLiteral("色調補正中"); }
  void ResetControls() override;
  bool PreviewFrozen() const override { return automatic; }
};
