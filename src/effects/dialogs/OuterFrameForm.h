// "外枠作成": the outer frame. The picture is placed inside a larger canvas
// whose border, the same width on every side or four widths of its own,
// takes the chosen colour; the new size is shown as the widths are typed.
#pragma once

#include "effects/OuterFrame.h"
#include "forms/DocumentDialog.h"

class ColourSwatch;
class QButtonGroup;
class QLabel;
class QLineEdit;

class TSotowaku : public DocumentDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettingsName = "Border";

  explicit TSotowaku(Host *main);

  // Shows the document's size and fills the controls from the remembered
  // "Border" record (or the first-time values).
  void Prepare(Document *child);
  // OK: widths that are not whole numbers of 0 or more are refused with a
  // message, a result beyond the size limit with the out-of-memory message
  // (the dialog stays open); otherwise one edit-history entry, the framed
  // picture, the settings remembered, and the dialog closes.
  void bOKClick();

  // Whether the four side edits are in use.
  bool Separate() const;
  // The widths as the edits in use read now, unreadable text as 0.
  FrameWidths Widths() const;

  QButtonGroup *rgMode = nullptr; // 0 same width, 1 separate widths
  QLineEdit *edWidth = nullptr;
  QLineEdit *edTop = nullptr, *edBottom = nullptr, *edLeft = nullptr, *edRight = nullptr;
  ColourSwatch *swatch = nullptr;
  QLabel *lNewWidth = nullptr, *lNewHeight = nullptr;

private:
  void UpdateSizes();
  void Remember() const;
};

// "外枠作成(&O)".
void SotowakuCommand(Host *main, Document *child);
