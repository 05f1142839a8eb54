// The main window's life: creation, first showing, closing and destruction,
// the two screen modes, the status bar and the enabling of the commands.
#include "app/MainForm.h"

#include "app/About.h"
#include "app/MDIChild.h"
#include "app/Modeselect.h"
#include "browser/windows/Fbrowser.h"
#include "forms/Command.h"
#include "image/Kit.h"
#include "image/Susie.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

namespace {

TMainForm *theMainForm = nullptr;

// The main window's own commands and the submenus, enabled exactly while
// at least one document window is open. The area commands' menu items and
// buttons follow their rows.
const char *const kWithDocument[] = {
    "FileCloseItem", "bClose", "mCloseAll", "FileSaveItem", "SaveBtn", "FileSaveAsItem",
    "SpeedButton19", "CutItem", "CutBtn", "CopyItem", "CopyBtn", "PasteItem", "PasteBtn",
    "WindowCascadeItem", "WindowTileItem", "WindowArrangeItem", "WindowMinimizeItem", "mGousei",
    "sUndo", "Undo1", "SpeedButton20", "mClearUndo", "mReload", "SpeedButton18", "mDeleteFile",
    "mPrint", "tb31", "SpeedButton16", "SpeedButton17", "SpeedButton21", "tb28", "tb29",
    // image, expert and artist submenus
    "mColor", "mTone", "mVariation", "mResize", "mRotateMain", "mAspect", "mFilter", "mSpecial",
    "mBorder", "mLenz", "mKika",
    // view commands
    "N9", "mZoom", "Disp200", "Disp150", "Disp100", "Disp75", "Disp50", "Disp33", "Disp25",
    "DispStrech", "mPreviewArea", "bPreviewArea", "mWall", "sbZoomIn", "sbZoomOut", "sbFull"};
// Submenus that hold only full-colour commands.
const char *const kFullColourMenus[] = {"mFilter", "mBorder", "mLenz", "mKika"};
const char *const kWithUndo[] = {"sUndo", "Undo1", "SpeedButton20", "mClearUndo"};
const char *const kWithClipboard[] = {"PasteItem", "PasteBtn", "mClearClipboard", "SpeedButton21"};
const char *const kZoomItems[] = {"Disp200", "Disp150", "Disp100", "Disp75",
                                  "Disp50",  "Disp33",  "Disp25"};

// A placement value: the number, or the default when the value is empty.
int PlacementValue(const char *name, int defaultValue) {
  const QString text = ReadSetting(QString::fromLatin1(name), QString());
  return text.isEmpty() ? defaultValue : SettingNumber(text);
}

} // namespace

TMainForm *MainForm() { return theMainForm; }

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent) {
  theMainForm = this;
  BuildWindow();
  BindCommands();
  FormCreate();
}

TMainForm::~TMainForm() {
  FormDestroy();
  // The document windows go while the whole main window still exists: they
  // may report back to it as they free their images.
  for (QMdiSubWindow *window : mdi_->subWindowList())
    delete window;
  if (theMainForm == this) theMainForm = nullptr;
}

void TMainForm::FormCreate() {
  // Hints reach the status bar through each action's hovered signal (see
  // BuildWindow); a change of active window re-runs the enabling rules.
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuItems(); });
  SetKitMissingReporter([](const std::string &library) {
    UserDialogs::Error(
        MainForm(), QStringLiteral("画像処理ライブラリ %1 を読み込めません。この機能は使えません。")
                        .arg(QString::fromStdString(library)));
  });
  LoadImagingKit();
  DisplayColours = Kit.ImgKitSystemPalette();
  LoadGeneralSettings();
  ProgramFolder = QString::fromStdString(::ProgramFolder());
  // An empty setting stays stored empty; this run uses the program folder.
  const QString pluginFolder =
      General.susiePluginPath.isEmpty() ? ProgramFolder : General.susiePluginPath;
  SusieLoader.LoadPlugins(QFile::encodeName(pluginFolder).toStdString());
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
          &TMainForm::ClipboardChanged);
  CloseCancelled = false;
  if (!AboutBox) AboutBox = new TAboutBox(this);
  if (!Browser) {
    Browser = new TBrowser(this);
    Browser->openImage = [this](const QString &file) { return OpenImageFile(file); };
    Browser->afterOpen = [this] { UpdateMenuItems(); };
    Browser->displayColours = DisplayColours;
    Browser->waitWindow = WaitMess;
  }
  UpdateMenuItems();
}

void TMainForm::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TMainForm::FormShow() {
  if (ReadSetting(QStringLiteral("UIMode"), QString()).isEmpty()) {
    TModeSelectForm modeSelect(this);
    modeSelect.exec();
  }
  if (ReadSetting(QStringLiteral("UIMode"), QString())
          .compare(QLatin1String("NORMAL"), Qt::CaseInsensitive) != 0) {
    mBeginnerClick();
  } else {
    const int left = PlacementValue("WPX", 0);
    const int top = PlacementValue("WPY", 0);
    const int height = PlacementValue("WPH", 480);
    const int width = PlacementValue("WPW", 640);
    move(left, top);
    resize(width, height);
    Label2Click();
    if (!ReadSetting(QStringLiteral("ImageBrowser"), QString()).startsWith(QLatin1Char('0')))
      Browser->show();
    QPoint at = Browser->pos();
    const QString x = ReadSetting(QStringLiteral("IBX"), QString());
    const QString y = ReadSetting(QStringLiteral("IBY"), QString());
    if (!x.isEmpty()) at.setX(SettingNumber(x));
    if (!y.isEmpty()) at.setY(SettingNumber(y));
    Browser->move(at);
    Browser->resize(PlacementValue("IBW", 642), PlacementValue("IBH", 480));
  }

  SetupPath = DefaultSetupPath(ProgramFolder);
  WriteSetting(QStringLiteral("SetupPath"), SetupPath);
  QDir().mkpath(SetupPath + QStringLiteral("Samples"));

  if (!CommandLineFiles.isEmpty()) {
    for (const QString &file : CommandLineFiles)
      OpenImageFile(file);
    UpdateMenuItems();
  }
  setAcceptDrops(true);
  ApplyToolbarLayout();
  if (General.toolbar2Visible == 0) ToolPanel->hide();
}

void TMainForm::closeEvent(QCloseEvent *event) {
  CloseCancelled = false;
  const qsizetype count = Children().size();
  for (qsizetype i = 0; i < count; ++i) {
    mdi_->activatePreviousSubWindow();
    TMDIChild *child = ActiveChild();
    if (!child) break;
    // A window that stays open refuses the close as a cancel would.
    if (!child->close()) CloseCancelled = true;
    if (CloseCancelled) {
      event->ignore();
      return;
    }
  }
  const bool browserShown = Browser && Browser->isVisible();
  WriteSetting(QStringLiteral("ImageBrowser"),
               browserShown ? QStringLiteral("1") : QStringLiteral("0"));
  if (Browser) {
    WriteSetting(QStringLiteral("IBX"), QString::number(Browser->x()));
    WriteSetting(QStringLiteral("IBY"), QString::number(Browser->y()));
    WriteSetting(QStringLiteral("IBW"), QString::number(Browser->width()));
    WriteSetting(QStringLiteral("IBH"), QString::number(Browser->height()));
    Browser->hide();
  }
  event->accept();
}

void TMainForm::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  disconnect(mdi_, nullptr, this, nullptr);
  disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
  if (GuidanceMode()) {
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("GUIDANCE"));
  } else {
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    WriteSetting(QStringLiteral("WPX"), QString::number(x()));
    WriteSetting(QStringLiteral("WPY"), QString::number(y()));
    WriteSetting(QStringLiteral("WPW"), QString::number(width()));
    WriteSetting(QStringLiteral("WPH"), QString::number(height()));
  }
  SaveGeneralSettings();
  SusieLoader.Shutdown();
}

// ---- modes -----------------------------------------------------------------

bool TMainForm::GuidanceMode() const { return GuidePanel && !GuidePanel->isHidden(); }

void TMainForm::mBeginnerClick() {
  menuBar()->hide();
  SpeedPanel->hide();
  ToolPanel->hide();
  statusBar()->hide();
  GuidePanel->show();
  ShowGuidePage(QStringLiteral("gdMenu"));
  showMaximized();
}

void TMainForm::Label2Click() {
  menuBar()->show();
  ToolPanel->setVisible(General.toolbar2Visible != 0);
  SpeedPanel->show();
  statusBar()->show();
  GuidePanel->hide();
}

void TMainForm::mBrowseClick() {
  if (Browser->isVisible())
    Browser->hide();
  else
    Browser->show();
}

void TMainForm::DocumentClicked() {
  if (Browser && Browser->isVisible() && Browser->options.autoClose == 0) Browser->hide();
}

void TMainForm::Label30Click() { ShowGuidePage(QStringLiteral("gdMenu")); }

void TMainForm::sbToolClick() {
  if (!ToolPanel->isHidden()) {
    ToolPanel->hide();
    General.toolbar2Visible = 0;
  } else {
    ToolPanel->show();
    General.toolbar2Visible = 1;
  }
}

// ---- status bar ------------------------------------------------------------

QString TMainForm::ImageInfoText(int width, int height, int bitCount) {
  if (width <= 0 || height <= 0) return QString();
  if (bitCount == 24)
    return QStringLiteral(" 画像情報：横[%1]ピクセル, 縦[%2]ピクセル, フルカラー")
        .arg(width)
        .arg(height);
  int colours = 0;
  switch (bitCount) {
  case 1: colours = 2; break;
  case 4: colours = 16; break;
  case 8: colours = 256; break;
  default: colours = 0; break;
  }
  return QStringLiteral(" 画像情報：横[%1]ピクセル, 縦[%2]ピクセル, [%3]色")
      .arg(width)
      .arg(height)
      .arg(colours);
}

void TMainForm::SetStatusText(const QString &text) { statusBar()->showMessage(text); }

QString TMainForm::StatusText() const { return statusBar()->currentMessage(); }

void TMainForm::ShowHint(const QString &hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  SetStatusText(bar < 0 ? hint : hint.mid(bar + 1));
}

// ---- documents -------------------------------------------------------------

QList<TMDIChild *> TMainForm::Children() const {
  QList<TMDIChild *> children;
  if (!mdi_) return children;
  // A closed window lingers hidden until it is deleted; it no longer counts.
  for (QMdiSubWindow *window : mdi_->subWindowList())
    if (auto *child = qobject_cast<TMDIChild *>(window); child && !child->isHidden())
      children.append(child);
  return children;
}

TMDIChild *TMainForm::ActiveChild() const {
  if (!mdi_) return nullptr;
  if (auto *child = qobject_cast<TMDIChild *>(mdi_->currentSubWindow());
      child && !child->isHidden())
    return child;
  // While the application is not active the frame reports no current
  // window; the one activated last is still the one the user works on.
  const QList<QMdiSubWindow *> history = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
  for (auto it = history.crbegin(); it != history.crend(); ++it)
    if (auto *child = qobject_cast<TMDIChild *>(*it); child && !child->isHidden()) return child;
  return nullptr;
}

TMDIChild *TMainForm::CreateChild(const QString &caption) {
  auto *child = new TMDIChild(this, caption);
  mdi_->addSubWindow(child);
  child->displayColours = DisplayColours;
  child->show();
  // The new window is the one the next command acts on, even while the
  // application itself is not the active one.
  mdi_->setActiveSubWindow(child);
  return child;
}

// ---- enabling rules --------------------------------------------------------

void TMainForm::Enable(const QString &name, bool on) {
  if (QAction *action = actions_.value(name)) action->setEnabled(on);
}

void TMainForm::UpdateMenuItems() {
  if (destroyed_) return;
  auto enableAll = [this](const auto &names, bool on) {
    for (const char *name : names)
      Enable(QString::fromLatin1(name), on);
  };
  const QList<TMDIChild *> children = Children();
  const bool any = !children.isEmpty();

  // 1. Everything that needs a document window.
  enableAll(kWithDocument, any);
  auto enableRow = [this](const Command &row, auto rule) {
    if (row.menuItem) Enable(QString::fromLatin1(row.menuItem), rule(row.needs));
    const Needs buttons = row.buttonNeeds.value_or(row.needs);
    for (const char *button : row.buttons)
      Enable(QString::fromLatin1(button), rule(buttons));
    for (const OneClick &preset : row.presets)
      Enable(QString::fromLatin1(preset.button), rule(row.needs));
  };
  for (const Command *row : AreaCommands())
    enableRow(*row, [any](Needs) { return any; });

  TMDIChild *child = any ? ActiveChild() : nullptr;
  if (!child) {
    // 2. No window: no image information.
    SetStatusText(QString());
  } else {
    // 3. By the image kind.
    const int bits = child->bitCount;
    const bool grey = child->gray;
    enableAll(kFullColourMenus, bits >= 16);
    for (const Command *row : AreaCommands())
      enableRow(*row, [bits, grey](Needs needs) { return KindFits(needs, bits, grey); });
    enableAll(kWithUndo, child->undoCount > 0);
    // 4. The zoom step.
    if (child->zoomIndex >= 0 && child->zoomIndex < static_cast<int>(std::size(kZoomItems)))
      if (QAction *zoom = Act(QString::fromLatin1(kZoomItems[child->zoomIndex])))
        zoom->setChecked(true);
    // 5. Image information.
    SetStatusText(ImageInfoText(child->width, child->height, bits));
    // 6. Preview mode.
    if (QAction *mode =
            Act(child->AreaMode() ? QStringLiteral("mArea") : QStringLiteral("mSambNail")))
      mode->setChecked(true);
  }

  // 7. The clipboard.
  const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
  const bool image = clip && clip->hasImage();
  enableAll(kWithClipboard, image);
  Enable(QStringLiteral("mGousei"), image && any);
  Enable(QStringLiteral("sbGousei"), image && any);
}
