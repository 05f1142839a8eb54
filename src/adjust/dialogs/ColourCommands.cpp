#include "ColourCommands.h"

#include "Fcolorinc.h"
#include "Fdither.h"
#include "Formrgb.h"
#include "Frotate.h"
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "app/Waitmess.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

// ---- commands ---------------------------------------------------------------

void GrayCommand(TMainForm *main, TMDIChild *child) {
  if (!child || !child->image || child->bitCount < 4 || child->gray) return;
  child->RecordUndo();
  child->image.Adopt(Kit.ImgKitSetGray(child->image.get(), "VELMIR", "ｸﾞﾚｰｽｹｰﾙ化"));
  child->ImageChanged();
  if (main) main->UpdateMenuItems();
}

void NegativeCommand(TMainForm *main, TMDIChild *child) {
  if (!child || !child->image) return;
  child->RecordUndo();
  Kit.ImgKitColorReverse(child->image.get(), "VELMIR", "色反転");
  child->RefreshDisplay();
  child->RebuildPreview();
  if (main) main->UpdateMenuItems();
}

void SepiaCommand(TMainForm *main, TMDIChild *child) {
  if (!main || !child || !child->image) return;
  TfWaitMess *wait = main->WaitMess;
  if (wait) wait->Begin(130);
  auto progress = [wait](int position) {
    if (wait) wait->SetPosition(position);
  };
  {
    // The only edit-history entry of the chain: one undo restores the
    // picture as it was before.
    TColorIncForm increase(main);
    increase.Prepare(child);
    increase.SetItemIndex(0);
    increase.bOKClick();
  }
  progress(30);
  child->image.Adopt(Kit.ImgKitSetGray(child->image.get(), "", ""));
  progress(60);
  child->ReadImageInfo();
  {
    TRGB_Form rgb(main);
    rgb.SepiaTint(child);
  }
  progress(100);
  {
    TColorIncForm increase(main);
    increase.Prepare(child);
    increase.SetItemIndex(0);
    increase.IncreaseWithoutUndo();
  }
  progress(130);
  main->UpdateMenuItems();
  if (wait) wait->End();
}

bool KitFilterApplies(const TMDIChild *child) {
  return child && child->image && (child->bitCount >= 16 || (child->bitCount >= 8 && child->gray));
}

void KitFilterCommand(TMainForm *main, TMDIChild *child, KitFilterKind kind) {
  if (!KitFilterApplies(child)) return;
  child->RecordUndo();
  IMGHANDLE image = child->image.get();
  switch (kind) {
  case KitFilterKind::Roberts:
    Kit.ImgKitFilter(image, "VELMIR", "画像処理実行中", IMGKIT_FILTER_ROBERTS);
    break;
  case KitFilterKind::Laplacian:
    Kit.ImgKitFilter(image, "VELMIR", "画像処理実行中", IMGKIT_FILTER_LAPLACIAN);
    break;
  case KitFilterKind::Emboss: Kit.ImgKitEmboss(image, "VELMIR", "画像処理実行中"); break;
  }
  child->ReadImageInfo();
  child->RefreshDisplay();
  child->RebuildPreview();
  child->update();
  if (main) main->UpdateMenuItems();
}

bool RunOneClickButton(TMainForm *main, TMDIChild *child, const QString &name) {
  static const QStringList turns = {QStringLiteral("tb03"), QStringLiteral("tb01"),
                                    QStringLiteral("tb02"), QStringLiteral("tb05"),
                                    QStringLiteral("tb04")};
  const int turn = int(turns.indexOf(name));
  if (turn < 0 && name != QStringLiteral("tb14") && name != QStringLiteral("tb15")) return false;
  if (!child || !child->image) return true;
  if (turn >= 0) {
    TRotateForm form(main);
    form.Prepare(child);
    form.SetItemIndex(turn);
    form.bOKClick();
  } else if (name == QStringLiteral("tb14")) {
    // Already full colour: nothing to raise, no edit-history entry.
    if (child->bitCount >= 16) return true;
    TColorIncForm form(main);
    form.Prepare(child);
    form.SetItemIndex(0);
    form.bOKClick();
  } else {
    if (child->bitCount < 16) return true;
    TDitherForm form(main);
    form.Prepare(child);
    form.SetChoices(0, 0, 1);
    form.bOKClick();
  }
  if (main) {
    if (turn < 0) main->UpdateMenuItems();
    main->raise();
  }
  return true;
}

// ---- shared by the dialogs without a preview --------------------------------

QButtonGroup *AddRadioGroup(QWidget *owner, QBoxLayout *layout, const QString &name,
                            const QString &title, const QStringList &items, int columns) {
  auto *box = new QGroupBox(title, owner);
  box->setObjectName(name);
  auto *grid = new QGridLayout(box);
  auto *group = new QButtonGroup(box);
  group->setExclusive(true);
  const int rows = (int(items.size()) + columns - 1) / std::max(columns, 1);
  for (int i = 0; i < items.size(); ++i) {
    auto *radio = new QRadioButton(items[i], box);
    group->addButton(radio, i);
    grid->addWidget(radio, i % rows, i / rows);
  }
  layout->addWidget(box);
  return group;
}

QPushButton *AddOkCancel(QDialog *dialog, QBoxLayout *layout) {
  auto *row = new QHBoxLayout;
  auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
  auto *cancel = new QPushButton(QStringLiteral("キャンセル"), dialog);
  ok->setObjectName(QStringLiteral("bOK"));
  cancel->setObjectName(QStringLiteral("bCancel"));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  cancel->setAutoDefault(false);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  return ok;
}

void CentreOnMain(QDialog *dialog, QWidget *main) {
  if (!main) return;
  const QRect m = main->frameGeometry();
  dialog->move(m.left() + (m.width() - dialog->width()) / 2,
               m.top() + (m.height() - dialog->height()) / 2);
}
