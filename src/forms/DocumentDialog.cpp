#include "forms/DocumentDialog.h"

#include "forms/Host.h"
#include "forms/Widgets.h"

DocumentDialog::DocumentDialog(Host *host) : QDialog(WindowOf(host)), main_(host) {}

void DocumentDialog::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  CentreOnMain(this, WindowOf(main_));
}
