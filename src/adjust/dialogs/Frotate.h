// "回転／反転": half and quarter turns and the two flips.
#pragma once

#include <QDialog>

class QButtonGroup;
class TMDIChild;
class TMainForm;

class TRotateForm : public QDialog {
  Q_OBJECT
public:
  explicit TRotateForm(TMainForm *main);

  void Prepare(TMDIChild *child);
  // OK: nothing while no item is chosen (the dialog stays open); otherwise
  // one edit-history entry, the turn or flip, and the window re-laid-out.
  void bOKClick();

  // The kit's kinds: 0 = 180°, 1 = left 90°, 2 = right 90°, 3 = flip top to
  // bottom, 4 = mirror left to right; -1 = none chosen.
  int ItemIndex() const;
  void SetItemIndex(int index);

  QButtonGroup *RadioGroup1 = nullptr;

protected:
  void showEvent(QShowEvent *event) override;

private:
  TMainForm *main_;
  TMDIChild *child_ = nullptr;
};
