// "減色処理": reduces the document to 256, 16 or 2 colours with a chosen
// method and palette; the three choices are remembered as "Dither".
#pragma once

#include "forms/DocumentDialog.h"

class QButtonGroup;
class QGroupBox;
class Document;
class Host;

class TDitherForm : public DocumentDialog {
  Q_OBJECT
public:
  explicit TDitherForm(Host *main);

  // Stores the document window, puts the remembered choices back and
  // offers only what reduces the document's depth.
  void Prepare(Document *child);
  // OK: one edit-history entry, the reduction, the choices stored; closes.
  void bOKClick();

  // Colours: 0 = 256 (8 bits), 1 = 16 (4 bits), 2 = two levels (1 bit).
  static int BitsOf(int colours);
  void SetChoices(int colours, int method, int palette);

  QButtonGroup *rgColors = nullptr;  // "減色後のﾊﾟﾚｯﾄ色数"
  QButtonGroup *rgMethod = nullptr;  // "減色方法": 0 error diffusion, 1 nearest
  QButtonGroup *rgPalette = nullptr; // "減色時のﾊﾟﾚｯﾄ": 0 optimised, 1 fixed

private:
  void ColorsChanged();

  QGroupBox *colorsBox_ = nullptr;
  QGroupBox *methodBox_ = nullptr;
  QGroupBox *paletteBox_ = nullptr;
};
