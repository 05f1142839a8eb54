#include "adjust/dialogs/Fdither.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"
#include "platform/Settings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString kSettingName = QStringLiteral("Dither");

void Check(QButtonGroup *group, int index) {
  if (QAbstractButton *b = group->button(std::clamp(index, 0, int(group->buttons().size()) - 1)))
    b->setChecked(true);
}
} // namespace

TDitherForm::TDitherForm(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("DitherForm"));
  setWindowTitle(QStringLiteral("減色処理"));
  setModal(true);
  auto *box = new QVBoxLayout(this);
  rgColors = AddRadioGroup(
      this, box, QStringLiteral("rgColors"), QStringLiteral("減色後のﾊﾟﾚｯﾄ色数"),
      {QStringLiteral("２５６色"), QStringLiteral("１６色"), QStringLiteral("白黒２値")});
  rgMethod = AddRadioGroup(this, box, QStringLiteral("rgMethod"), QStringLiteral("減色方法"),
                           {QStringLiteral("誤差拡散法"), QStringLiteral("近似色")});
  rgPalette = AddRadioGroup(this, box, QStringLiteral("rgPalette"), QStringLiteral("減色時のﾊﾟﾚｯﾄ"),
                            {QStringLiteral("最適化ﾊﾟﾚｯﾄ"), QStringLiteral("固定(Windows標準色)")});
  colorsBox_ = findChild<QGroupBox *>(QStringLiteral("rgColors"));
  methodBox_ = findChild<QGroupBox *>(QStringLiteral("rgMethod"));
  paletteBox_ = findChild<QGroupBox *>(QStringLiteral("rgPalette"));
  SetChoices(0, 0, 0);
  connect(rgColors, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) ColorsChanged();
  });
  QPushButton *ok = AddOkCancel(this, box);
  connect(ok, &QPushButton::clicked, this, &TDitherForm::bOKClick);
  setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

int TDitherForm::BitsOf(int colours) {
  switch (colours) {
  case 1: return 4;
  case 2: return 1;
  default: return 8;
  }
}

void TDitherForm::SetChoices(int colours, int method, int palette) {
  Check(rgColors, colours);
  Check(rgMethod, method);
  Check(rgPalette, palette);
  ColorsChanged();
}

void TDitherForm::Prepare(Document *child) {
  child_ = child;
  CResumeDialog resume;
  if (resume.Load(kSettingName) == 0)
    SetChoices(resume.GetInt(0), resume.GetInt(1), resume.GetInt(2));
  const int bits = child ? child->BitCount() : 24;
  // Only results below the document's depth are offered. A two-level image
  // has nothing left to offer; its choice is held at the two levels so that
  // OK cannot turn the reduction into an increase.
  int lowest = 0;
  if (bits <= 4)
    lowest = 2;
  else if (bits == 8)
    lowest = 1;
  for (int i = 0; i < 3; ++i)
    rgColors->button(i)->setEnabled(i >= lowest);
  if (rgColors->checkedId() < lowest) Check(rgColors, lowest);
  colorsBox_->setEnabled(bits > 1);
  ColorsChanged();
}

void TDitherForm::ColorsChanged() {
  const bool palettes = rgColors->checkedId() != 2 && (!child_ || child_->BitCount() > 4);
  methodBox_->setEnabled(palettes);
  paletteBox_->setEnabled(palettes);
}

void TDitherForm::bOKClick() {
  if (child_ && child_->Picture()) {
    const int colours = std::max(rgColors->checkedId(), 0);
    const int method = std::max(rgMethod->checkedId(), 0);
    const int palette = std::max(rgPalette->checkedId(), 0);
    child_->RecordUndo();
    child_->Picture().Adopt(Kit.ImgKitConvertColor(child_->Picture().get(), BitsOf(colours),
                                                   palette == 1 ? 1 : 0, method == 0 ? 1 : 0,
                                                   "VELMIR", "減色処理中"));
    child_->Commit();
    CResumeDialog resume;
    resume.AddInt(colours);
    resume.AddInt(method);
    resume.AddInt(palette);
    resume.Save(kSettingName);
    if (main_) main_->CommandsChanged();
  }
  accept();
}
