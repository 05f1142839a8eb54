#include "adjust/dialogs/ColourCommands.h"

#include "adjust/Sepia.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"

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
  // The only edit-history entry of the chain: one undo restores the
  // picture as it was before.
  child->RecordUndo();
  Sepia(child->Picture(), wait);
  child->Commit();
  main->CommandsChanged();
  if (wait) wait->End();
}
