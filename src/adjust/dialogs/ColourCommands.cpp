#include "adjust/dialogs/ColourCommands.h"

#include "adjust/dialogs/Fcolorinc.h"
#include "adjust/dialogs/Fdither.h"
#include "adjust/dialogs/Formrgb.h"
#include "adjust/dialogs/Frotate.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

// ---- commands ---------------------------------------------------------------

void GrayCommand(Host *main, Document *child) {
  if (!child || !child->Picture() || child->BitCount() < 4 || child->Grey()) return;
  child->RecordUndo();
  child->Picture().Adopt(Kit.ImgKitSetGray(child->Picture().get(), "VELMIR", "ｸﾞﾚｰｽｹｰﾙ化"));
  child->Commit();
  if (main) main->CommandsChanged();
}

void NegativeCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  child->RecordUndo();
  Kit.ImgKitColorReverse(child->Picture().get(), "VELMIR", "色反転");
  child->Commit();
  if (main) main->CommandsChanged();
}

void SepiaCommand(Host *main, Document *child) {
  if (!main || !child || !child->Picture()) return;
  TfWaitMess *wait = main->WaitWindow();
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
  child->Picture().Adopt(Kit.ImgKitSetGray(child->Picture().get(), "", ""));
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
  main->CommandsChanged();
  if (wait) wait->End();
}

bool KitFilterApplies(const Document *child) {
  return child && child->Picture() &&
         (child->BitCount() >= 16 || (child->BitCount() >= 8 && child->Grey()));
}

void KitFilterCommand(Host *main, Document *child, KitFilterKind kind) {
  if (!KitFilterApplies(child)) return;
  child->RecordUndo();
  IMGHANDLE image = child->Picture().get();
  switch (kind) {
  case KitFilterKind::Roberts:
    Kit.ImgKitFilter(image, "VELMIR", "画像処理実行中", IMGKIT_FILTER_ROBERTS);
    break;
  case KitFilterKind::Laplacian:
    Kit.ImgKitFilter(image, "VELMIR", "画像処理実行中", IMGKIT_FILTER_LAPLACIAN);
    break;
  case KitFilterKind::Emboss: Kit.ImgKitEmboss(image, "VELMIR", "画像処理実行中"); break;
  }
  child->Commit();
  if (main) main->CommandsChanged();
}

bool RunOneClickButton(Host *main, Document *child, const QString &name) {
  static const QStringList turns = {QStringLiteral("tb03"), QStringLiteral("tb01"),
                                    QStringLiteral("tb02"), QStringLiteral("tb05"),
                                    QStringLiteral("tb04")};
  const int turn = int(turns.indexOf(name));
  if (turn < 0 && name != QStringLiteral("tb14") && name != QStringLiteral("tb15")) return false;
  if (!child || !child->Picture()) return true;
  if (turn >= 0) {
    TRotateForm form(main);
    form.Prepare(child);
    form.SetItemIndex(turn);
    form.bOKClick();
  } else if (name == QStringLiteral("tb14")) {
    // Already full colour: nothing to raise, no edit-history entry.
    if (child->BitCount() >= 16) return true;
    TColorIncForm form(main);
    form.Prepare(child);
    form.SetItemIndex(0);
    form.bOKClick();
  } else {
    if (child->BitCount() < 16) return true;
    TDitherForm form(main);
    form.Prepare(child);
    form.SetChoices(0, 0, 1);
    form.bOKClick();
  }
  if (main) {
    if (turn < 0) main->CommandsChanged();
    main->Window()->raise();
  }
  return true;
}
