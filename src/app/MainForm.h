// The main window: the multiple-document frame with its menu, two toolbar
// rows, guidance pages, status bar and the "reading file" panel. Every image
// command starts here and acts on the active document window.
//
// Commands are QActions registered by name (the names of the menu items and
// speed buttons: "FileOpenItem", "SpeedButton19", "tb01" ...), so the
// enabling rules, the toolbar layout and the tests all address them the same
// way. Handlers are named after the item and the event, as in the menus.
//
// The handlers live in files grouped by menu: MainForm.cpp (creation, start,
// shut-down, modes, status bar, UpdateMenuItems), MainMenus.cpp (the menu,
// toolbar and guidance tables), MainFile.cpp (file menu: open, save,
// reload, delete, new image, dropped files), MainEdit.cpp (edit menu: undo,
// clipboard), MainView.cpp (view, window and help menus), MainImage.cpp (the
// image, expert and artist commands: the rows of the areas' command tables,
// bound to their items and buttons), MainStart.cpp (second-start hand-off).
#pragma once

#include "forms/Host.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMenu;
class QStackedWidget;
class QToolBar;
class QToolButton;
class TMDIChild;
class TAboutBox;
class TfWaitMess;
class TBrowser;
struct Command;

class TMainForm : public QMainWindow, public Host {
  Q_OBJECT
public:
  // Runs FormCreate.
  explicit TMainForm(QWidget *parent = nullptr);
  ~TMainForm() override; // runs FormDestroy

  // ---- window parts -------------------------------------------------------
  QMdiArea *Frame() const { return mdi_; }
  QToolBar *SpeedPanel = nullptr;
  QToolBar *ToolPanel = nullptr;
  QFrame *GuidePanel = nullptr;
  QStackedWidget *Notebook1 = nullptr;
  QFrame *FileMess = nullptr;
  QMenu *Window1 = nullptr;

  // The action of a menu item or speed button by its name; null when there
  // is none. Every name of the menu tables and toolbar rows is registered.
  QAction *Act(const QString &name) const;
  QToolButton *Button(const QString &name) const;
  QStringList ActionNames() const;
  // The guidance page by name ("gdMenu", "ReadFile" ...), and the page shown.
  void ShowGuidePage(const QString &name);
  QString CurrentGuidePage() const;
  // Clickable guidance labels by page and text (for tests).
  QLabel *GuideLabel(const QString &page, const QString &text) const;

  // ---- process values -----------------------------------------------------
  int DisplayColours = 0;       // ImgKitSystemPalette at start
  bool CloseCancelled = false;  // set by a document window's cancelled close
  QString ProgramFolder;        // folder of the executable
  QString SetupPath;            // program folder (or the data folder), ending in "/"
  QStringList CommandLineFiles; // opened by FormShow

  TAboutBox *AboutBox = nullptr;
  TfWaitMess *WaitMess = nullptr;
  TBrowser *Browser = nullptr; // made with the main window, shown on demand

  // ---- documents -----------------------------------------------------------
  TMDIChild *ActiveChild() const;
  QList<TMDIChild *> Children() const;
  // A new document window captioned `caption`, added to the frame and shown
  // (but with no image yet); the display colours value handed over.
  TMDIChild *CreateChild(const QString &caption);

  // ---- Host ------------------------------------------------------------------
  QWidget *Window() override { return this; }
  TfWaitMess *WaitWindow() override { return WaitMess; }
  int DisplayColourCount() const override { return DisplayColours; }
  void CommandsChanged() override { UpdateMenuItems(); }
  bool OpenAsNewDocument(DibHandle picture) override;
  void RunViewCommand(ViewCommand command) override;
  void ShowStatus(const QString &text) override { SetStatusText(text); }

  // ---- shared operations ---------------------------------------------------
  void UpdateMenuItems();
  // The image information line of the status bar for an image (empty for none).
  static QString ImageInfoText(int width, int height, int bitCount);
  void SetStatusText(const QString &text);
  QString StatusText() const;
  bool OpenImageFile(const QString &fileName);
  // The second-start hand-off: the text of arguments each followed by a line
  // feed, and their count.
  void ReceiveHandOff(const QByteArray &text, int count);
  void OpenDroppedFiles(const QStringList &files);
  // True while guidance mode is on.
  bool GuidanceMode() const;
  // A click on a document's picture or background: hides the browser when
  // its "AutoClose" option says so.
  void DocumentClicked();

  // ---- start and shut-down -------------------------------------------------
  void FormCreate();
  void FormShow();
  void FormDestroy();

public slots:
  // File menu
  void mBrowseClick();
  void FileNewItemClick();
  void TextImgClick();
  void FileOpenItemClick();
  void mReloadClick();
  void mWallOpenClick();
  void FileCloseItemClick();
  void mCloseAllClick();
  void FileSaveItemClick();
  void FileSaveAsItemClick();
  void mDeleteFileClick();
  void mSScanClick();
  void mMScanClick();
  void mTSelectClick();
  void mPrintClick();
  void mOptionClick();
  void FileExitItemClick();
  // Edit menu
  void CutItemClick();
  void CopyItemClick();
  void PasteItemClick();
  void mGouseiClick();
  void Undo1Click();
  void mClearClipboardClick();
  void mClearUndoClick();
  void ClipboardChanged();
  // Photo expert menu: the options dialog on its automatic-correction page
  void mAutoCustomClick();
  // View menu
  void sbZoomInClick();
  void sbZoomOutClick();
  void Disp200Click();
  void Disp150Click();
  void Disp100Click();
  void Disp75Click();
  void Disp50Click();
  void Disp33Click();
  void Disp25Click();
  void DispStrechClick();
  void mSambNailClick();
  void mAreaClick();
  void bPreviewAreaClick();
  void mCenterClick();
  // The wallpaper commands: the active picture as the desktop wallpaper,
  // centred or tiled.
  void SetWallpaper(bool tiled);
  void sbToolClick();
  void C3Click();
  // Shows the buttons of both rows whose stored flags are 1, in their
  // layout order, the others hidden.
  void ApplyToolbarLayout();
  void mBeginnerClick();
  // Window menu and buttons
  void WindowCascadeItemClick();
  void WindowTileItemClick();
  void WindowArrangeItemClick();
  void WindowMinimizeItemClick();
  void SpeedButton16Click(); // previous document window
  void SpeedButton17Click(); // next document window
  // Help menu
  void mHelpClick();
  void HelpAboutItemClick();
  // Guidance
  void Label2Click();  // back to the normal screen
  void Label30Click(); // back to the top guidance page
  // The image commands of the areas: by handler name ("mSoftenClick"), or
  // by the name of a tool button that runs one (the one-click buttons).
  // Either runs only when the active document fits the command.
  void RunCommand(const QString &handler);
  void ToolButtonClick(const QString &name);
  // Every row of the areas' command tables.
  static const std::vector<const Command *> &AreaCommands();

protected:
  void closeEvent(QCloseEvent *event) override; // FormClose
  void showEvent(QShowEvent *event) override;   // FormShow, once
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  friend class MainFormBuilder;
  void BuildWindow();  // menus, toolbars, guidance pages, panels (MainMenus.cpp)
  void BindCommands(); // the area commands' menu items (MainImage.cpp)
  void ZoomTo(int index);
  // The end of every new-image path: the picture made 24-bit when it has 16
  // or 32 bits, shown in `child`, the enabling re-run.
  void ShowAsNewDocument(TMDIChild *child, DibHandle picture);
  void Enable(const QString &name, bool on);
  void ShowHint(const QString &hint);

  QMdiArea *mdi_ = nullptr;
  QMap<QString, QAction *> actions_;
  QMap<QString, QToolButton *> buttons_;
  QMap<QString, QWidget *> guidePages_;
  bool shown_ = false;
  bool destroyed_ = false;
};

// The one main window of the process (null before it is made).
TMainForm *MainForm();
