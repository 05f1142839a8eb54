#include "Frotate.h"

#include "ColourCommands.h"
#include "app/MDIChild.h"
#include "app/MainForm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QPushButton>
#include <QVBoxLayout>

TRotateForm::TRotateForm(TMainForm *main) : QDialog(main), main_(main) {
  setObjectName(QStringLiteral("RotateForm"));
  setWindowTitle(QStringLiteral("回転／反転"));
  setModal(true);
  auto *box = new QVBoxLayout(this);
  RadioGroup1 = AddRadioGroup(this, box, QStringLiteral("RadioGroup1"), QString(),
                              {QStringLiteral("１８０°回転"), QStringLiteral("左へ９０°回転"),
                               QStringLiteral("右へ９０°回転"), QStringLiteral("上下反転"),
                               QStringLiteral("左右反転")});
  QPushButton *ok = AddOkCancel(this, box);
  connect(ok, &QPushButton::clicked, this, &TRotateForm::bOKClick);
  setFixedSize(sizeHint().expandedTo(QSize(220, 0)));
}

void TRotateForm::Prepare(TMDIChild *child) { child_ = child; }

int TRotateForm::ItemIndex() const { return RadioGroup1->checkedId(); }

void TRotateForm::SetItemIndex(int index) {
  if (QAbstractButton *b = RadioGroup1->button(index)) b->setChecked(true);
}

void TRotateForm::bOKClick() {
  const int kind = ItemIndex();
  if (kind < 0) return;
  if (child_ && child_->image) {
    child_->RecordUndo();
    child_->image.Adopt(Kit.ImgKitRotation(child_->image.get(), "VELMIR", "回転反転処理中", kind));
    child_->ImageChanged();
  }
  accept();
}

void TRotateForm::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  CentreOnMain(this, main_);
}
