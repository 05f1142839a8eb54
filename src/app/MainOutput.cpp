// The output commands of the main window: printing the active picture.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "print/dialogs/Print.h"

void TMainForm::mPrintClick() {
  TMDIChild *child = ActiveChild();
  if (!child || !child->Picture()) return;
  TPrintForm dialog(this);
  dialog.Prepare(child->Picture().get(), child->Caption());
  dialog.exec();
  raise();
}

void TMainForm::mWallOpenClick() {}
