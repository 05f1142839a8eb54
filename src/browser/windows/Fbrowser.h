// "IMAGE BROWSER": the tool window beside the main window that shows a
// folder as a paged thumbnail grid. Folders are chosen in the drive box and
// the folder tree; the create button lists the folder's images and brings
// their thumbnails up to date; the grid pages, selects and opens them.
#pragma once

#include "browser/BrowserOptions.h"
#include "browser/windows/SlideShow.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CImageView;
class ThumbStore;
class TfWaitMess;
class QAction;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTreeView;

class TBrowser : public QMainWindow {
  Q_OBJECT
public:
  explicit TBrowser(QWidget *mainWindow);
  ~TBrowser() override;

  // ---- the three lists of the grid, one line per image shown -------------
  QStringList thumbList;
  QStringList imageList;
  QStringList markList;

  bool busy = true; // a refresh runs (and until the first one)
  bool stopRequested = false;
  int sortState = 0;
  BrowserOptions options;

  // The main window's open path, and what follows an opening there.
  std::function<bool(const QString &)> openImage;
  std::function<void()> afterOpen;
  int displayColours = 0;
  TfWaitMess *waitWindow = nullptr; // the main window's, for high-quality reductions

  QString CurrentFolder() const { return folder_; }
  // Shows `folder` in the tree and the file list (no refresh of the grid).
  void SetFolder(const QString &folder);
  // "サムネイルの作成／更新／表示": the folder refresh; ignored while one runs.
  void RefreshThumbnails();
  void SortByName();
  void OpenSelection();
  // "選択された画像を連番化(&R)": the rename-rule dialog, then every marked
  // image and its thumbnail under a numbered name.
  void NumberedRename();
  // "選択された画像をﾘﾈｰﾑ(&N)": a name asked for each marked image.
  void RenameEach();
  void NewFolder();
  // The marked images and their thumbnails, by the "DeleteMethod" option.
  void DeleteSelection();
  // "ﾌｫﾙﾀﾞｰ内のｻﾑﾈｲﾙを削除(&D)".
  void DeleteFolderThumbnails();
  void OpenImage(int index);
  // Image `index` in the simple full-screen view (the browser hidden meanwhile).
  void ShowFullScreen(int index);
  void ShowPathFullScreen(const QString &path);
  // "選択された画像をｽﾗｲﾄﾞｼｮｰ表示(&V)": the marked images as a slide show, the
  // browser hidden until it ends.
  void SlideShow();
  TSlideShow *RunningSlideShow() const { return slideShow_; }
  // The slide-show time of the box, in milliseconds (0: until a key).
  int SlideIntervalMs() const;
  // "一括処理(&B)": job `job` of the batch menu over the marked images;
  // ignored while a refresh runs.
  void StartBatch(int job);
  // "ﾌｫﾙﾀﾞｰ内の画像ｶﾀﾛｸﾞを作成(&C)": with the copying method the folder's
  // thumbnails are brought up to date first; then the catalogue dialog.
  void MakeCatalogue();
  // The folder tree and the file list as the disk has them now (after a
  // job that may have made its output folder).
  void RefreshFolderTree();

  CImageView *Grid() const { return grid_; }
  QWidget *ImageArea() const { return area_; }
  QAction *Action(const QString &name) const;
  QString StatusText() const;
  void SetStatus(const QString &text);

protected:
  void showEvent(QShowEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildWindow();
  void FillDriveBox();
  void FillFileList();
  void RevealFolder();
  void PlaceThumb();
  QWidget *ScreenOwner();
  void SetBusy(bool on);
  void ShowJobPanel(bool on);
  // The marked lines; none (and the user told) when nothing is marked.
  std::vector<int> Marked();
  bool DeleteFiles(const QStringList &files, const QString &question);
  // Each line's image path followed by its thumbnail path.
  QStringList Collect(const std::vector<int> &lines) const;
  // Copy or move `files` to a folder the user chooses; `one` for the
  // popup's commands on a single image.
  void Transfer(bool move, const QStringList &files, bool one = false);

  QString folder_;
  QComboBox *drives_ = nullptr;
  QTreeView *tree_ = nullptr;
  QFileSystemModel *model_ = nullptr;
  QListWidget *files_ = nullptr;
  QLabel *shownCount_ = nullptr;
  QLabel *selectedCount_ = nullptr;
  QWidget *area_ = nullptr;
  QFrame *jobPanel_ = nullptr;
  QLabel *progressPicture_ = nullptr;
  QFrame *scrollArea_ = nullptr;
  QFrame *thumb_ = nullptr;
  QLineEdit *interval_ = nullptr;
  QMenu *popup_ = nullptr;
  CImageView *grid_ = nullptr;
  QPointer<TSlideShow> slideShow_;
  std::unique_ptr<ThumbStore> store_;
  bool thumbDragging_ = false;
  int thumbDragStart_ = 0;
};
