#include "adjust/dialogs/Fcolorinc.h"

#include "forms/Document.h"
#include "forms/Widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TColorIncForm::TColorIncForm(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("ColorIncForm"));
  setWindowTitle(QStringLiteral("色数増加"));
  setModal(true);
  auto *box = new QVBoxLayout(this);
  rgColors = AddRadioGroup(
      this, box, QStringLiteral("rgColors"), QStringLiteral("変更後のﾊﾟﾚｯﾄ色数"),
      {QStringLiteral("１６７０万色"), QStringLiteral("２５６色"), QStringLiteral("１６色")});
  SetItemIndex(0);
  QPushButton *ok = AddOkCancel(this, box);
  connect(ok, &QPushButton::clicked, this, &TColorIncForm::bOKClick);
  setFixedSize(sizeHint().expandedTo(QSize(240, 0)));
}

int TColorIncForm::BitsOf(int index) {
  switch (index) {
  case 1: return 8;
  case 2: return 4;
  default: return 24;
  }
}

int TColorIncForm::ItemIndex() const { return rgColors->checkedId(); }

void TColorIncForm::SetItemIndex(int index) {
  if (QAbstractButton *b = rgColors->button(index)) b->setChecked(true);
}

void TColorIncForm::Prepare(Document *child) {
  child_ = child;
  const int bits = child ? child->BitCount() : 0;
  // Only depths above the document's own are offered.
  const int offered = bits == 1 ? 3 : bits == 4 ? 2 : bits == 8 ? 1 : 0;
  for (int i = 0; i < 3; ++i)
    rgColors->button(i)->setEnabled(i < offered);
  if (auto *group = findChild<QGroupBox *>(QStringLiteral("rgColors")))
    group->setEnabled(offered > 0);
}

void TColorIncForm::bOKClick() {
  if (child_ && child_->Picture()) {
    child_->RecordUndo();
    const int bits = BitsOf(std::max(ItemIndex(), 0));
    child_->Picture().Adopt(
        Kit.ImgKitConvertColor(child_->Picture().get(), bits, 0, 0, "VELMIR", "増色処理中"));
    child_->Commit();
  }
  accept();
}
