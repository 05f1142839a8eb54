// "色数増加": raises a palette image to 16, 256 or 16.7 million colours.
#pragma once

#include "forms/DocumentDialog.h"

class QButtonGroup;
class Document;
class Host;

class TColorIncForm : public DocumentDialog {
  Q_OBJECT
public:
  explicit TColorIncForm(Host *main);

  // Stores the document window and enables the choices its depth allows.
  void Prepare(Document *child);

  // OK: one edit-history entry, then the increase; closes.
  void bOKClick();

  // 0 = 24 bits, 1 = 8 bits, 2 = 4 bits.
  int ItemIndex() const;
  void SetItemIndex(int index);
  static int BitsOf(int index);

  QButtonGroup *rgColors = nullptr;

protected:
};
