#include "effects/dialogs/KitFilters.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "image/Kit.h"

void KitFilterCommand(Host *main, Document *child, KitFilterKind kind) {
  if (!child || !child->Picture()) return;
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
