// What the four distortion dialogs share: a 150 x 150 preview frame with the
// turned or bent preview centred in it, the preview made from the whole
// document image reduced to a longer side of 100, the background colour
// with its swatch "背景色" and its button "背景色指定", and the new picture
// put in the document's place on OK under the wait window.
#pragma once

#include "forms/PreviewDialog.h"

class QLabel;
class QPushButton;
class QSlider;

class TDistortDialog : public PreviewDialog {
  Q_OBJECT
public:
  static constexpr int kFrame = 150;

  TDistortDialog(Host *main, const QString &caption);

  // The background colour in the platform's packing: red in the low byte,
  // then green, then blue. Black at first.
  unsigned BackgroundColour() const { return colour_; }
  void SetBackgroundColour(unsigned colourRef); // re-renders the preview
  int Red() const { return colour_ & 0xff; }
  int Green() const { return (colour_ >> 8) & 0xff; }
  int Blue() const { return (colour_ >> 16) & 0xff; }

  static constexpr int kDefaultCentre = 50;
  // "波の中心" X and Y in per cent of the width and height (ripple and swirl
  // only; null in the other dialogs). The preview marks the centre.
  QSlider *tbCentreX = nullptr;
  QSlider *tbCentreY = nullptr;

  QLabel *lColour = nullptr;      // the sunken swatch
  QPushButton *bColour = nullptr; // "背景色指定"

  // "背景色指定": the colour dialog preset to the current colour; a chosen
  // colour re-renders the preview.
  void bColourClick();

  // The preview source: the document image reduced so that its longer side
  // is 100 pixels (a sliver keeps one pixel).
  static DibHandle ReducedPreview(IMGHANDLE image);

protected:
  bool MakesNewPicture() const override { return true; }
  DibHandle MakePreviewSource(Document *child) override;
  // Every OK shows the wait window afresh and closes it.
  bool AlwaysOwnsWaitWindow() const override { return true; }
  // Adds the background row to the controls; the dialogs call it where it
  // belongs in their layout.
  void AddBackgroundRow();
  // Puts a remembered colour back (without re-rendering).
  void RestoreColour(const std::optional<int> &stored);
  // The two centre track bars, added to the controls under "波の中心".
  void AddCentreBars();
  // Draws the preview, with a small circle at the centre when the dialog
  // has centre bars.
  void paintEvent(QPaintEvent *event) override;

private:
  void ShowColour();
  unsigned colour_ = 0;
};
