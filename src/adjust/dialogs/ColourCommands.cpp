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
