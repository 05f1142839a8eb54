// "回転／反転": half and quarter turns and the two flips.
#pragma once

#include "forms/DocumentDialog.h"

class QButtonGroup;
class Document;
class Host;

class TRotateForm : public DocumentDialog {
  Q_OBJECT
public:
  explicit TRotateForm(Host *main);

  void Prepare(Document *child);
  // OK: nothing while no item is chosen (the dialog stays open); otherwise
  // one edit-history entry, the turn or flip, and the window re-laid-out.
  void bOKClick();

  // The kit's kinds: 0 = 180°, 1 = left 90°, 2 = right 90°, 3 = flip top to
  // bottom, 4 = mirror left to right; -1 = none chosen.
  int ItemIndex() const;
  void SetItemIndex(int index);

  QButtonGroup *RadioGroup1 = nullptr;
};
