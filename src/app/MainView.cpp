// View, window and help commands of the main window.
#include "app/MainForm.h"
#include "app/Toolbars.h"

#include "app/About.h"
#include "app/MDIChild.h"
#include "browser/windows/FullScreenView.h"
#include "forms/Waitmess.h"
#include "platform/Settings.h"

#include <QAction>
#include <QDesktopServices>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUrl>

namespace {

const char *const kZoomItems[] = {"Disp200", "Disp150", "Disp100", "Disp75",
                                  "Disp50",  "Disp33",  "Disp25"};

} // namespace

// ---- zoom ------------------------------------------------------------------

void TMainForm::ZoomTo(int index) {
  TMDIChild *child = ActiveChild();
  if (!child || index < 0 || index >= TMDIChild::kZoomSteps) return;
  if (child->zoomIndex != index) child->SetZoom(index);
  if (child->zoomIndex >= 0 && child->zoomIndex < TMDIChild::kZoomSteps)
    if (QAction *item = Act(QString::fromLatin1(kZoomItems[child->zoomIndex])))
      item->setChecked(true);
}

void TMainForm::Disp200Click() { ZoomTo(0); }
void TMainForm::Disp150Click() { ZoomTo(1); }
void TMainForm::Disp100Click() { ZoomTo(2); }
void TMainForm::Disp75Click() { ZoomTo(3); }
void TMainForm::Disp50Click() { ZoomTo(4); }
void TMainForm::Disp33Click() { ZoomTo(5); }
void TMainForm::Disp25Click() { ZoomTo(6); }

void TMainForm::sbZoomInClick() {
  TMDIChild *child = ActiveChild();
  if (!child || child->zoomIndex <= 0) return;
  ZoomTo(child->zoomIndex - 1);
}

void TMainForm::sbZoomOutClick() {
  TMDIChild *child = ActiveChild();
  if (!child || child->zoomIndex >= TMDIChild::kZoomSteps - 1) return;
  ZoomTo(child->zoomIndex + 1);
}

// ---- preview mode ----------------------------------------------------------

void TMainForm::mSambNailClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  child->ShowThumbnail();
  if (QAction *item = Act(QStringLiteral("mSambNail"))) item->setChecked(true);
}

void TMainForm::mAreaClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  child->ShowArea();
  if (QAction *item = Act(QStringLiteral("mArea"))) item->setChecked(true);
}

void TMainForm::bPreviewAreaClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  if (child->AreaMode())
    mSambNailClick();
  else
    mAreaClick();
}

void TMainForm::DispStrechClick() {
  TMDIChild *child = ActiveChild();
  if (!child || !child->image) return;
  ShowFullScreenWith(this, [this, child](ScreenPictureOptions options) {
    // The high-quality reduction takes full-colour pictures on a full-colour
    // display; the preparation leaves palette pictures to plain scaling.
    options.highQuality = General.fullScrHighQuality != 0 && DisplayColours == 0;
    options.displayColours = DisplayColours;
    options.profile = child->displayProfile;
    WaitWhileWorking progress(WaitMess);
    options.progress = &progress;
    return PrepareScreenPicture(child->image.get(), options);
  });
}

void TMainForm::C3Click() {
  TTBar form(this);
  form.exec();
}

void TMainForm::ApplyToolbarLayout() {
  CurrentToolbarFlags = LoadToolbarFlags();
  for (int row = 0; row < kToolbarRows; ++row)
    for (size_t i = 0; i < SpeedButtonRow(row).size(); ++i)
      if (QAction *a = actions_.value(QString::fromLatin1(SpeedButtonRow(row)[i].name)))
        a->setVisible(CurrentToolbarFlags[size_t(row)][i] == 1);
}

// ---- windows ---------------------------------------------------------------

void TMainForm::WindowCascadeItemClick() { mdi_->cascadeSubWindows(); }

void TMainForm::WindowTileItemClick() { mdi_->tileSubWindows(); }

// Lines the minimised windows up along the bottom of the frame, left to
// right, starting a new row above when one is full.
void TMainForm::WindowArrangeItemClick() {
  const QSize area = mdi_->viewport()->size();
  int x = 0;
  int bottom = area.height();
  int rowHeight = 0;
  for (TMDIChild *child : Children()) {
    if (!child->isMinimized()) continue;
    const QSize size = child->size();
    if (x > 0 && x + size.width() > area.width()) {
      x = 0;
      bottom -= rowHeight;
      rowHeight = 0;
    }
    child->move(x, bottom - size.height());
    x += size.width();
    rowHeight = std::max(rowHeight, size.height());
  }
}

void TMainForm::WindowMinimizeItemClick() {
  const QList<TMDIChild *> children = Children();
  for (auto it = children.crbegin(); it != children.crend(); ++it)
    (*it)->showMinimized();
}

void TMainForm::SpeedButton16Click() {
  if (Children().isEmpty()) return;
  mdi_->activatePreviousSubWindow();
  UpdateMenuItems();
}

void TMainForm::SpeedButton17Click() {
  if (Children().isEmpty()) return;
  mdi_->activateNextSubWindow();
  UpdateMenuItems();
}

void TMainForm::RunViewCommand(ViewCommand command) {
  switch (command) {
  case ViewCommand::PreviousImage: SpeedButton16Click(); break;
  case ViewCommand::NextImage: SpeedButton17Click(); break;
  case ViewCommand::CloseImage: FileCloseItemClick(); break;
  case ViewCommand::ZoomOut: sbZoomOutClick(); break;
  case ViewCommand::ZoomIn: sbZoomInClick(); break;
  case ViewCommand::GammaDown: ToolButtonClick(QStringLiteral("tb06")); break;
  case ViewCommand::GammaUp: ToolButtonClick(QStringLiteral("tb07")); break;
  case ViewCommand::SaturationDown: ToolButtonClick(QStringLiteral("tb12")); break;
  case ViewCommand::SaturationUp: ToolButtonClick(QStringLiteral("tb13")); break;
  }
}

// ---- help ------------------------------------------------------------------

void TMainForm::mHelpClick() {
  const QString folder = ProgramFolder.endsWith(QLatin1Char('/'))
                             ? ProgramFolder + QStringLiteral("help")
                             : ProgramFolder + QStringLiteral("/help");
  // What the desktop makes of it is not examined: without the page nothing opens.
  QDesktopServices::openUrl(QUrl::fromLocalFile(folder + QStringLiteral("/index.html")));
}

void TMainForm::HelpAboutItemClick() {
  if (!AboutBox) AboutBox = new TAboutBox(this);
  AboutBox->exec();
}
