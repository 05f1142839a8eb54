// The edit menu of the main window: undo, and image exchange with the
// clipboard (copy, paste as a new image, clearing it).
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "browser/windows/FullScreenView.h"

#include "image/Dib.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

bool ClipboardHoldsImage() {
  const QMimeData *data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasImage();
}

} // namespace

void TMainForm::Undo1Click() {
  TMDIChild *child = ActiveChild();
  if (child && child->undoCount > 0) child->Undo();
  UpdateMenuItems();
}

void TMainForm::mClearUndoClick() {
  TMDIChild *child = ActiveChild();
  if (child) child->ClearUndo();
  UpdateMenuItems();
}

void TMainForm::CopyItemClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  QGuiApplication::clipboard()->clear();
  const bool placed = Kit.ImgKitSetToClipBrd(this, child->image.get()) != 0;
  if (placed && General.autoPaste != 0) PasteItemClick();
  UpdateMenuItems();
}

void TMainForm::CutItemClick() {
  TMDIChild *child = ActiveChild();
  if (!child || !child->image) return;
  // The crop view puts the marked part on the clipboard; the document's
  // own picture stays as it is.
  const bool cut =
      RunCropView(this, child->image.get(), DisplayColours, WaitMess, child->displayProfile);
  if (cut && General.autoPaste != 0) PasteItemClick();
  UpdateMenuItems();
}

void TMainForm::PasteItemClick() {
  if (!ClipboardHoldsImage()) return;
  TMDIChild *child = CreateChild(TMDIChild::kNewImageCaption);
  DibHandle pasted(Kit.ImgKitGetFromClipBrd(this));
  if (!pasted) {
    UserDialogs::Error(this, QStringLiteral("読込めないデータ形式です"));
    child->closeWithoutAsking = true;
    delete child;
    UpdateMenuItems();
    return;
  }
  ShowAsNewDocument(child, std::move(pasted));
}

void TMainForm::ShowAsNewDocument(TMDIChild *child, DibHandle picture) {
  // A failed conversion keeps the picture as it came.
  MakeFullColour(picture);
  child->ShowNewPicture(std::move(picture));
  UpdateMenuItems();
}

bool TMainForm::OpenAsNewDocument(DibHandle picture) {
  if (!picture) return false;
  ShowAsNewDocument(CreateChild(TMDIChild::kNewImageCaption), std::move(picture));
  return true;
}

void TMainForm::mClearClipboardClick() {
  QGuiApplication::clipboard()->clear();
  UpdateMenuItems();
}

// Follows every change of the clipboard: the paste commands are usable
// exactly while it holds an image.
void TMainForm::ClipboardChanged() {
  const bool image = ClipboardHoldsImage();
  const bool documents = !Children().isEmpty();
  Enable(QStringLiteral("PasteItem"), image);
  Enable(QStringLiteral("PasteBtn"), image);
  Enable(QStringLiteral("mClearClipboard"), image);
  Enable(QStringLiteral("SpeedButton21"), image);
  Enable(QStringLiteral("mGousei"), image && documents);
  Enable(QStringLiteral("sbGousei"), image && documents);
}
