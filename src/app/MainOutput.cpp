// The output commands of the main window: printing the active picture and
// making it the desktop wallpaper.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "platform/DesktopWallpaper.h"
#include "platform/UserDialogs.h"
#include "print/dialogs/Print.h"

void TMainForm::mPrintClick() {
  TMDIChild *child = ActiveChild();
  if (!child || !child->Picture()) return;
  TPrintForm dialog(this);
  dialog.Prepare(child->Picture().get(), child->Caption(), child->displayProfile);
  dialog.exec();
  raise();
}

void TMainForm::mCenterClick() {
  // The tiled command's item and button share this handler.
  const QString from = sender() ? sender()->objectName() : QString();
  SetWallpaper(from == QLatin1String("mTile") || from == QLatin1String("tb29"));
}

void TMainForm::SetWallpaper(bool tiled) {
  TMDIChild *child = ActiveChild();
  if (!child || !child->Picture()) return;
  using namespace DesktopWallpaper;
  switch (SaveAndApply(child->Picture().get(), tiled ? Style::Tiled : Style::Centred)) {
  case Result::NotSaved:
    UserDialogs::Error(this, QStringLiteral("ファイルを保存できません"));
    break;
  case Result::NotApplied: SetStatusText(kNotAppliedText); break;
  case Result::Applied: break;
  }
}

void TMainForm::mWallOpenClick() {
  OpenImageFile(DesktopWallpaper::WallpaperFile());
  UpdateMenuItems();
}
