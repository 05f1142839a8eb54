#include "adjust/dialogs/Frotate.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QPushButton>
#include <QVBoxLayout>

TRotateForm::TRotateForm(Host *main) : DocumentDialog(main) {
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

void TRotateForm::Prepare(Document *child) { child_ = child; }

int TRotateForm::ItemIndex() const { return RadioGroup1->checkedId(); }

void TRotateForm::SetItemIndex(int index) {
  if (QAbstractButton *b = RadioGroup1->button(index)) b->setChecked(true);
}

void TRotateForm::bOKClick() {
  const int kind = ItemIndex();
  if (kind < 0) return;
  if (child_ && child_->Picture()) {
    child_->RecordUndo();
    child_->Picture().Adopt(
        Kit.ImgKitRotation(child_->Picture().get(), "VELMIR", "回転反転処理中", kind));
    child_->Commit();
  }
  accept();
}
