#include "browser/windows/Fbrowser.h"

#include "browser/BatchJob.h"
#include "browser/FileRename.h"
#include "browser/FileTransfer.h"
#include "browser/ThumbStore.h"
#include "browser/windows/Album.h"
#include "browser/windows/BatchJobForm.h"
#include "browser/windows/BrowserOption.h"
#include "browser/windows/FullScreenView.h"
#include "browser/windows/ImageView.h"
#include "browser/windows/RenameRule.h"
#include "browser/windows/SlideShow.h"
#include "image/Dib.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStorageInfo>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

const QString kRecord = QStringLiteral("ImageBrowser");
const QString kFolderChosen =
    QStringLiteral("［サムネイルの作成／更新／表示］で、現在のフォルダーをサムネイル表示します");

struct Command {
  const char *name;
  const char *text;
  const char *glyph;
};

// The tool bar, left to right: name, hint.
const Command kToolBar[] = {
    {"tbNewFolder", "新規フォルダを作成", "新"},
    {"tbMake", "サムネイルの作成／更新／表示", "作"},
    {"tbStop", "サムネイル作成中止", "止"},
    {"tbSort", "名前順ソート切替え", "順"},
    {"tbOpen", "選択した画像をVELMIRで開く", "開"},
    {nullptr, nullptr, nullptr}, // the slide-show interval
    {"tbSlideShow", "選択した画像をスライドショー", "ス"},
    {"tbCopy", "選択した画像をコピー", "写"},
    {"tbMove", "選択した画像を移動", "移"},
    {"tbRename", "選択した画像の名前を変更", "名"},
    {"tbDelete", "選択した画像を削除", "削"},
    {"tbSelectAll", "全ての画像を選択", "全"},
    {"tbSelectNone", "選択を解除", "解"},
    {"tbCatalogue", "ＨＴＭＬ画像カタログを作成", "目"},
};

struct MenuItem {
  const char *menu;
  const char *name; // none: the batch jobs, one item per job
  const char *caption;
  const char *shortcut;
};

const MenuItem kMenu[] = {
    {"ﾌｫﾙﾀﾞｰ(&D)", "mMakeThumbs", "ﾌｫﾙﾀﾞｰ内画像のｻﾑﾈｲﾙを作成／更新／表示(&S)", "F4"},
    {"ﾌｫﾙﾀﾞｰ(&D)", "mDeleteThumbs", "ﾌｫﾙﾀﾞｰ内のｻﾑﾈｲﾙを削除(&D)", ""},
    {"ﾌｫﾙﾀﾞｰ(&D)", "mCatalogue", "ﾌｫﾙﾀﾞｰ内の画像ｶﾀﾛｸﾞを作成(&C)", ""},
    {"ﾌｫﾙﾀﾞｰ(&D)", "mNewFolder", "ｻﾌﾞﾌｫﾙﾀﾞｰを作成(&N)", ""},
    {"ﾌｧｲﾙ(&F)", "mOpen", "選択された画像をVELMIRで開く(&P)", "F2"},
    {"ﾌｧｲﾙ(&F)", "mSlideShow", "選択された画像をｽﾗｲﾄﾞｼｮｰ表示(&V)", "F3"},
    {"ﾌｧｲﾙ(&F)", "mCopy", "選択された画像をｺﾋﾟｰ(&C)", "Ctrl+C"},
    {"ﾌｧｲﾙ(&F)", "mMove", "選択された画像を移動(&M)", "Ctrl+X"},
    {"ﾌｧｲﾙ(&F)", "mDelete", "選択された画像を削除(&D)", "Del"},
    {"ﾌｧｲﾙ(&F)", "mRename", "選択された画像をﾘﾈｰﾑ(&N)", "Ctrl+N"},
    {"ﾌｧｲﾙ(&F)", "mNumbered", "選択された画像を連番化(&R)", "Ctrl+R"},
    {"選択(&S)", "mSelectAll", "全画像を選択(&A)", "F5"},
    {"選択(&S)", "mSelectNone", "選択を解除(&R)", "F6"},
    {"表示(&V)", "mSort", "名前順ｿｰﾄ正逆反転(&S)", ""},
    {"一括処理(&B)", nullptr, nullptr, ""},
    {"動作環境(&O)", "mOption", "ﾌﾞﾗｳｻﾞ設定(&B)", ""},
};

// The paging buttons: above the scroll area, then below it.
const Command kPaging[] = {
    {"bFirst", "１頁目を表示", "⤒"}, {"bPageUp", "１頁戻る", "⇑"},   {"bLineUp", "１行戻る", "↑"},
    {"bLast", "最終頁を表示", "⤓"},  {"bPageDown", "１頁進む", "⇓"}, {"bLineDown", "１行進む", "↓"},
};

QString Text(const char *s) { return QString::fromUtf8(s); }

QString BatchItemName(int job) { return QStringLiteral("mBatch%1").arg(job); }

// The root of the volume that holds `folder`: the drive field of the record.
QString VolumeRoot(const QString &folder) {
  const QStorageInfo volume(folder);
  return volume.isValid() ? volume.rootPath() : QStringLiteral("/");
}

} // namespace

TBrowser::TBrowser(QWidget *mainWindow) : QMainWindow(mainWindow, Qt::Tool) {
  setObjectName(QStringLiteral("Browser"));
  setWindowTitle(QStringLiteral("IMAGE BROWSER"));
  resize(622, 493);
  BuildWindow();
  // The last folder, or the home folder when it is gone.
  CResumeDialog record;
  QString folder;
  if (record.Load(kRecord) == 0) folder = record.GetText(1);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  SetFolder(folder);
}

TBrowser::~TBrowser() {
  // Fall-back thumbnails of the grid live only while it shows them.
  for (int i = 0; i < thumbList.size() && i < imageList.size(); ++i)
    if (QFileInfo(thumbList[i]).absolutePath() != QFileInfo(imageList[i]).absolutePath())
      QFile::remove(thumbList[i]);
  CResumeDialog record;
  record.AddText(VolumeRoot(folder_));
  record.AddText(folder_);
  record.Save(kRecord);
}

void TBrowser::BuildWindow() {
  // ---- tool bar -------------------------------------------------------------
  auto *tools = addToolBar(QStringLiteral("ToolBar"));
  tools->setObjectName(QStringLiteral("ToolBar"));
  tools->setMovable(false);
  for (const Command &c : kToolBar) {
    if (!c.name) {
      tools->addWidget(new QLabel(QStringLiteral(" ｽﾗｲﾄﾞｼｮｰ切替時間 "), this));
      interval_ = new QLineEdit(QStringLiteral("10"), this);
      interval_->setObjectName(QStringLiteral("edInterval"));
      interval_->setMaxLength(3);
      interval_->setFixedWidth(36);
      interval_->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
      interval_->setToolTip(QStringLiteral("スライドショーの切替時間を秒で指定"));
      tools->addWidget(interval_);
      continue;
    }
    QAction *a = tools->addAction(Text(c.glyph));
    a->setObjectName(Text(c.name));
    a->setToolTip(Text(c.text));
    a->setStatusTip(Text(c.text));
  }

  // ---- menus -----------------------------------------------------------------
  QMap<QString, QMenu *> menus;
  for (const MenuItem &item : kMenu) {
    QMenu *&menu = menus[Text(item.menu)];
    if (!menu) menu = menuBar()->addMenu(Text(item.menu));
    if (!item.name) {
      for (int job = 0; const BatchJobInfo *info = BatchJob(job); ++job)
        menu->addAction(Text(info->menuCaption))->setObjectName(BatchItemName(job));
      continue;
    }
    QAction *a = menu->addAction(Text(item.caption));
    a->setObjectName(Text(item.name));
    if (*item.shortcut) a->setShortcut(QKeySequence(Text(item.shortcut)));
  }

  // ---- columns ---------------------------------------------------------------
  auto *client = new QWidget(this);
  auto *row = new QHBoxLayout(client);
  row->setContentsMargins(2, 2, 2, 2);

  auto *left = new QVBoxLayout;
  drives_ = new QComboBox(client);
  drives_->setObjectName(QStringLiteral("DriveComboBox"));
  left->addWidget(drives_);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath(QStringLiteral("/"));
  tree_ = new QTreeView(client);
  tree_->setObjectName(QStringLiteral("DirectoryTree"));
  tree_->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c)
    tree_->hideColumn(c);
  tree_->setHeaderHidden(true);
  // The folders load in the background: keep the current one in view.
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this] { RevealFolder(); });
  left->addWidget(tree_, 3);
  files_ = new QListWidget(client);
  files_->setObjectName(QStringLiteral("FileList"));
  left->addWidget(files_, 2);
  auto *counts = new QGridLayout;
  shownCount_ = new QLabel(QStringLiteral("0"), client);
  selectedCount_ = new QLabel(QStringLiteral("0"), client);
  shownCount_->setObjectName(QStringLiteral("lShown"));
  selectedCount_->setObjectName(QStringLiteral("lSelected"));
  counts->addWidget(new QLabel(QStringLiteral("表示中の全画像"), client), 0, 0);
  counts->addWidget(shownCount_, 0, 1, Qt::AlignRight);
  counts->addWidget(new QLabel(QStringLiteral("選択された画像"), client), 1, 0);
  counts->addWidget(selectedCount_, 1, 1, Qt::AlignRight);
  left->addLayout(counts);
  auto *leftBox = new QWidget(client);
  leftBox->setLayout(left);
  leftBox->setFixedWidth(190);
  row->addWidget(leftBox);

  area_ = new QWidget(client);
  area_->setObjectName(QStringLiteral("ImageArea"));
  area_->setAutoFillBackground(true);
  area_->setMinimumSize(120, 140);
  area_->installEventFilter(this);
  row->addWidget(area_, 1);

  jobPanel_ = new QFrame(area_);
  jobPanel_->setObjectName(QStringLiteral("JobPanel"));
  jobPanel_->setFrameShape(QFrame::Panel);
  jobPanel_->setFrameShadow(QFrame::Raised);
  jobPanel_->setAutoFillBackground(true);
  jobPanel_->resize(120, 170);
  auto *jobCaption = new QLabel(QStringLiteral("処理中画像"), jobPanel_);
  jobCaption->setGeometry(10, 6, 100, 18);
  progressPicture_ = new QLabel(jobPanel_);
  progressPicture_->setObjectName(QStringLiteral("ProgressPicture"));
  progressPicture_->setGeometry(10, 28, 100, 100);
  progressPicture_->setAlignment(Qt::AlignCenter);
  auto *jobStop = new QPushButton(QStringLiteral("作成中断"), jobPanel_);
  jobStop->setObjectName(QStringLiteral("bJobStop"));
  jobStop->setGeometry(10, 134, 100, 26);
  connect(jobStop, &QPushButton::clicked, this, [this] { stopRequested = true; });
  jobPanel_->hide();

  auto *right = new QVBoxLayout;
  auto pagingButton = [this, client](const Command &c, PageMove move) {
    auto *b = new QPushButton(Text(c.glyph), client);
    b->setObjectName(Text(c.name));
    b->setToolTip(Text(c.text));
    b->setFixedSize(28, 24);
    connect(b, &QPushButton::clicked, this, [this, move] {
      grid_->Move(move);
      PlaceThumb();
    });
    return b;
  };
  right->addWidget(pagingButton(kPaging[0], PageMove::First));
  right->addWidget(pagingButton(kPaging[1], PageMove::PageUp));
  right->addWidget(pagingButton(kPaging[2], PageMove::LineUp));
  scrollArea_ = new QFrame(client);
  scrollArea_->setObjectName(QStringLiteral("ScrollArea"));
  scrollArea_->setFrameShape(QFrame::StyledPanel);
  scrollArea_->setFixedWidth(28);
  scrollArea_->installEventFilter(this);
  thumb_ = new QFrame(scrollArea_);
  thumb_->setObjectName(QStringLiteral("ScrollThumb"));
  thumb_->setFrameShape(QFrame::Panel);
  thumb_->setFrameShadow(QFrame::Raised);
  thumb_->setAutoFillBackground(true);
  thumb_->installEventFilter(this);
  right->addWidget(scrollArea_, 1);
  right->addWidget(pagingButton(kPaging[4], PageMove::PageDown));
  right->addWidget(pagingButton(kPaging[5], PageMove::LineDown));
  right->addWidget(pagingButton(kPaging[3], PageMove::Last));
  row->addLayout(right);
  setCentralWidget(client);
  statusBar()->setObjectName(QStringLiteral("StatusBar"));

  grid_ = new CImageView(area_, thumbList, imageList, markList, shownCount_, selectedCount_);
  popup_ = new QMenu(this);
  for (const char *item : {"VELMIRで開く", "全画面表示", "ｺﾋﾟｰ", "移動", "削除"})
    popup_->addAction(Text(item))->setObjectName(Text(item));
  grid_->popup = popup_;
  const QList<QAction *> items = popup_->actions();
  connect(items[0], &QAction::triggered, this, [this] { OpenImage(grid_->PopupItem()); });
  connect(items[1], &QAction::triggered, this, [this] { ShowFullScreen(grid_->PopupItem()); });
  connect(items[2], &QAction::triggered, this,
          [this] { Transfer(false, Collect({grid_->PopupItem()}), true); });
  connect(items[3], &QAction::triggered, this,
          [this] { Transfer(true, Collect({grid_->PopupItem()}), true); });
  connect(items[4], &QAction::triggered, this, [this] {
    const QStringList files = Collect({grid_->PopupItem()});
    if (!busy && !files.isEmpty() && DeleteFiles(files, QStringLiteral("この画像を削除します")))
      RefreshThumbnails();
  });
  connect(grid_, &CImageView::DoubleClicked, this, &TBrowser::OpenImage);
  connect(grid_, &CImageView::Moved, this, &TBrowser::PlaceThumb);

  // ---- what the commands do --------------------------------------------------
  auto on = [this](const char *name, auto slot) {
    if (QAction *a = Action(QString::fromLatin1(name))) connect(a, &QAction::triggered, this, slot);
  };
  for (const char *make : {"tbMake", "mMakeThumbs"})
    on(make, [this] { RefreshThumbnails(); });
  on("tbStop", [this] { stopRequested = true; });
  for (const char *sort : {"tbSort", "mSort"})
    on(sort, [this] { SortByName(); });
  for (const char *open : {"tbOpen", "mOpen"})
    on(open, [this] { OpenSelection(); });
  for (const char *show : {"tbSlideShow", "mSlideShow"})
    on(show, [this] { SlideShow(); });
  for (const char *all : {"tbSelectAll", "mSelectAll"})
    on(all, [this] { grid_->SelectAll(); });
  for (const char *none : {"tbSelectNone", "mSelectNone"})
    on(none, [this] { grid_->SelectNone(); });
  on("mNumbered", [this] { NumberedRename(); });
  for (const char *rename : {"tbRename", "mRename"})
    on(rename, [this] { RenameEach(); });
  for (const char *folder : {"tbNewFolder", "mNewFolder"})
    on(folder, [this] { NewFolder(); });
  for (const char *remove : {"tbDelete", "mDelete"})
    on(remove, [this] { DeleteSelection(); });
  on("mDeleteThumbs", [this] { DeleteFolderThumbnails(); });
  for (const char *catalogue : {"tbCatalogue", "mCatalogue"})
    on(catalogue, [this] { MakeCatalogue(); });
  for (const char *copy : {"tbCopy", "mCopy"})
    on(copy, [this] { Transfer(false, Collect(Marked())); });
  for (const char *move : {"tbMove", "mMove"})
    on(move, [this] { Transfer(true, Collect(Marked())); });
  for (int job = 0; job < kBatchJobCount; ++job)
    if (QAction *a = Action(BatchItemName(job)))
      connect(a, &QAction::triggered, this, [this, job] { StartBatch(job); });
  on("mOption", [this] {
    TfBrowserOption dialog(this);
    if (dialog.exec() == QDialog::Accepted) options = dialog.Options();
  });
  Action(QStringLiteral("tbStop"))->setEnabled(false);

  FillDriveBox();
  connect(drives_, &QComboBox::activated, this,
          [this](int index) { SetFolder(drives_->itemData(index).toString()); });
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) {
            const QString folder = model_->filePath(current);
            if (folder.isEmpty() || folder == folder_) return;
            folder_ = folder;
            FillFileList();
            SetStatus(kFolderChosen);
          });
  connect(files_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
    const QString path = QDir(folder_).filePath(item->text());
    const qsizetype index = imageList.indexOf(path);
    if (index >= 0) {
      OpenImage(int(index));
    } else if (options.doubleClick == 1) {
      ShowPathFullScreen(path);
    } else if (openImage) {
      openImage(path);
      if (afterOpen) afterOpen();
      if (options.autoClose == 1) hide();
    }
  });
}

void TBrowser::FillDriveBox() {
  drives_->clear();
  drives_->addItem(QStringLiteral("/"), QStringLiteral("/"));
  drives_->addItem(QDir::homePath(), QDir::homePath());
  for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady() || volume.isRoot()) continue;
    const QString root = volume.rootPath();
    // Pseudo and system mounts are no place for photos.
    if (root.startsWith(QLatin1String("/proc")) || root.startsWith(QLatin1String("/sys")) ||
        root.startsWith(QLatin1String("/dev")) || root.startsWith(QLatin1String("/run")) ||
        root == QLatin1String("/boot"))
      continue;
    if (drives_->findData(root) < 0) drives_->addItem(root, root);
  }
}

void TBrowser::SetFolder(const QString &folder) {
  folder_ = QDir(folder).absolutePath();
  RevealFolder();
  const int drive = drives_->findData(VolumeRoot(folder_));
  if (drive >= 0) drives_->setCurrentIndex(drive);
  FillFileList();
  SetStatus(kFolderChosen);
}

void TBrowser::RevealFolder() {
  // The model loads folders in the background: open each level of the path
  // as it arrives until the folder itself can be made current.
  const QModelIndex index = model_->index(folder_);
  if (!index.isValid()) return;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
    tree_->expand(up);
  if (tree_->currentIndex() != index) {
    const QSignalBlocker quiet(tree_->selectionModel());
    tree_->setCurrentIndex(index);
  }
  tree_->scrollTo(index);
}

void TBrowser::FillFileList() {
  files_->clear();
  const QFileInfoList entries = QDir(folder_).entryInfoList(QDir::Files, QDir::Name);
  for (const QFileInfo &f : entries)
    files_->addItem(f.fileName());
}

void TBrowser::SortByName() {
  if (busy || imageList.size() < 2) return;
  // Descending first, then ascending, by the upper-cased file name; the
  // three lists move together.
  const bool descending = sortState == 0;
  std::vector<int> order(size_t(imageList.size()));
  std::vector<QByteArray> keys(order.size());
  for (int i = 0; i < int(order.size()); ++i) {
    order[size_t(i)] = i;
    keys[size_t(i)] = QFileInfo(imageList[i]).fileName().toUpper().toUtf8();
  }
  // Stable, as the neighbour-exchange sort it stands for.
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return descending ? keys[size_t(a)] > keys[size_t(b)] : keys[size_t(a)] < keys[size_t(b)];
  });
  QStringList thumbs, images, marks;
  for (int i : order) {
    thumbs << thumbList[i];
    images << imageList[i];
    marks << markList[i];
  }
  thumbList = thumbs;
  imageList = images;
  markList = marks;
  sortState = descending ? 1 : 0;
  grid_->Reset();
  grid_->Rebuild(true);
  PlaceThumb();
}

void TBrowser::OpenImage(int index) {
  if (index < 0 || index >= imageList.size()) return;
  if (options.doubleClick == 1) {
    ShowFullScreen(index);
    return;
  }
  if (openImage) openImage(imageList[index]);
  if (afterOpen) afterOpen();
  if (options.autoClose == 1) hide();
}

QWidget *TBrowser::ScreenOwner() {
  // Full screen is the screen the main window is on.
  return parentWidget() ? parentWidget() : this;
}

void TBrowser::ShowFullScreen(int index) {
  if (index >= 0 && index < imageList.size()) ShowPathFullScreen(imageList[index]);
}

void TBrowser::ShowPathFullScreen(const QString &path) {
  if (slideShow_) return;
  const bool wasVisible = isVisible();
  hide();
  ShowFileFullScreen(ScreenOwner(), path, options.fullScrHQ != 0, displayColours, waitWindow);
  if (wasVisible) show();
}

int TBrowser::SlideIntervalMs() const {
  // An empty or non-numeric box waits for a key.
  bool ok = false;
  const int seconds = interval_->text().trimmed().toInt(&ok);
  return ok && seconds > 0 ? seconds * 1000 : 0;
}

void TBrowser::SlideShow() {
  if (slideShow_) return;
  const std::vector<int> marked = Marked();
  if (marked.empty()) return;
  QStringList paths;
  for (int i : marked)
    paths << imageList[i];
  auto *show = new TSlideShow(ScreenOwner(), paths, SlideIntervalMs(), options.slideShowHQ != 0,
                              displayColours, waitWindow);
  show->setParent(this);
  slideShow_ = show;
  const bool wasVisible = isVisible();
  connect(show, &TSlideShow::finished, this, [this, show, wasVisible] {
    if (wasVisible) this->show();
    show->deleteLater();
  });
  hide();
  show->Start();
}

void TBrowser::OpenSelection() {
  bool any = false;
  for (int i = 0; i < imageList.size(); ++i)
    if (markList.value(i) == QLatin1String("1")) {
      any = true;
      if (openImage) openImage(imageList[i]);
    }
  if (any && afterOpen) afterOpen();
  if (options.autoClose == 1) hide();
}

std::vector<int> TBrowser::Marked() {
  std::vector<int> marked;
  for (int i = 0; i < markList.size() && i < imageList.size(); ++i)
    if (markList[i] == QLatin1String("1")) marked.push_back(i);
  if (marked.empty())
    UserDialogs::Message(this, QStringLiteral("VELMIR"),
                         QStringLiteral("画像が選択されていません"));
  return marked;
}

void TBrowser::RenameEach() {
  if (busy) return;
  const std::vector<int> marked = Marked();
  if (marked.empty()) return;
  QStringList taken;
  for (int index : marked) {
    const QFileInfo image(imageList[index]);
    QString typed = image.fileName();
    if (!UserDialogs::InputText(this, QStringLiteral("ファイル名変更"),
                                QStringLiteral("変更後のファイル名"), typed))
      continue;
    // The image keeps its own extension, whatever extension was typed.
    const qsizetype dot = typed.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? typed : typed.left(dot);
    const QString own = image.fileName().mid(image.fileName().lastIndexOf(QLatin1Char('.')));
    const QString name = base + (image.fileName().contains(QLatin1Char('.')) ? own : QString());
    if (base.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..")) {
      taken << typed;
      continue;
    }
    if (name == image.fileName()) continue;
    if (!RenameNoReplace(image.filePath(), image.path() + QLatin1Char('/') + name)) {
      taken << name;
      continue;
    }
    // Only then the thumbnail, under the same base name.
    const QFileInfo thumb(thumbList.value(index));
    RenameNoReplace(thumb.filePath(),
                    thumb.path() + QLatin1Char('/') + base + QStringLiteral(".sam"));
  }
  if (!taken.isEmpty())
    UserDialogs::Message(this, QStringLiteral("VELMIR"),
                         QStringLiteral("同じ名前のファイルが既にあります") + QLatin1Char('\n') +
                             taken.join(QLatin1Char('\n')));
  RefreshThumbnails();
}

void TBrowser::NewFolder() {
  QString name;
  if (!UserDialogs::InputText(this, QStringLiteral("新規フォルダーの作成"),
                              QStringLiteral("フォルダー名"), name))
    return;
  if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
      name == QLatin1String(".."))
    return;
  QDir(folder_).mkdir(name);
}

// Deletes `files` by the "DeleteMethod" option: 0 into the trash, 1 at once
// after `question` with OK and Cancel. False when the user cancelled.
bool TBrowser::DeleteFiles(const QStringList &files, const QString &question) {
  if (files.isEmpty()) return true;
  if (options.deleteMethod == 1) {
    if (UserDialogs::Message(this, QStringLiteral("VELMIR"), question, QMessageBox::Question,
                             QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
      return false;
    for (const QString &f : files)
      QFile::remove(f);
    return true;
  }
  QStringList kept;
  for (const QString &f : files)
    if (QFileInfo::exists(f) && !QFile::moveToTrash(f)) kept << f;
  if (!kept.isEmpty())
    UserDialogs::Message(this, QStringLiteral("VELMIR"),
                         QStringLiteral("ごみ箱へ移動できませんでした") + QLatin1Char('\n') +
                             kept.join(QLatin1Char('\n')));
  return true;
}

QStringList TBrowser::Collect(const std::vector<int> &lines) const {
  QStringList files;
  for (int index : lines)
    if (index >= 0 && index < imageList.size()) files << imageList[index] << thumbList.value(index);
  return files;
}

namespace {

// The window's answers to a transfer: a question per existing file, and a
// progress dialog with a cancel button once there are more than a few files.
class WindowQuestions : public TransferQuestions {
public:
  WindowQuestions(QWidget *owner, int files) : owner_(owner) {
    if (files > 6) {
      progress_ = new QProgressDialog(QStringLiteral("画像をコピー／移動しています"),
                                      QStringLiteral("キャンセル"), 0, files, owner);
      progress_->setWindowTitle(QStringLiteral("VELMIR"));
      progress_->setWindowModality(Qt::WindowModal);
      progress_->setMinimumDuration(0);
    }
  }
  ~WindowQuestions() override { delete progress_; }
  OverwriteAnswer Exists(const QString &target) override {
    switch (UserDialogs::Message(
        owner_, QStringLiteral("VELMIR"),
        target + QStringLiteral(" は既にあります。置き換えますか？"), QMessageBox::Question,
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return OverwriteAnswer::Yes;
    case QMessageBox::YesToAll: return OverwriteAnswer::YesToAll;
    case QMessageBox::No: return OverwriteAnswer::No;
    default: return OverwriteAnswer::Cancel;
    }
  }
  bool Progress(int done, int) override {
    if (!progress_) return true;
    progress_->setValue(done);
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
  }

private:
  QWidget *owner_;
  QProgressDialog *progress_ = nullptr;
};

} // namespace

void TBrowser::Transfer(bool move, const QStringList &files, bool one) {
  if (busy || files.isEmpty()) return;
  const QString prompt =
      one ? (move ? QStringLiteral("移動先フォルダーの選択\n（サムネイルも同時に移動します）")
                  : QStringLiteral("コピー先フォルダーの選択\n（サムネイルも同時にコピーします）"))
          : (move ? QStringLiteral("画像の移動先フォルダーを選択\n（サムネイルも同時に移動します）")
                  : QStringLiteral(
                        "画像のコピー先フォルダーを選択\n（サムネイルも同時にコピーします）"));
  const QString destination = UserDialogs::FolderName(this, prompt, folder_);
  if (destination.isEmpty()) return;
  TransferResult result;
  {
    WindowQuestions questions(this, int(files.size()));
    result =
        move ? MoveFiles(files, destination, questions) : CopyFiles(files, destination, questions);
  }
  // A thumbnail that is not there yet is no failure of the user's images.
  QStringList failed;
  for (const QString &f : result.failed)
    if (!f.endsWith(QLatin1String(".sam"), Qt::CaseInsensitive)) failed << f;
  if (!failed.isEmpty())
    UserDialogs::Message(
        this, QStringLiteral("VELMIR"),
        (move ? QStringLiteral("移動できませんでした") : QStringLiteral("コピーできませんでした")) +
            QLatin1Char('\n') + failed.join(QLatin1Char('\n')));
  // A move leaves the folder changed: the grid follows it; the popup's
  // move does not refresh.
  if (move && !one) RefreshThumbnails();
}

void TBrowser::DeleteSelection() {
  if (busy) return;
  const std::vector<int> marked = Marked();
  if (marked.empty()) return;
  const QStringList files = Collect(marked);
  if (DeleteFiles(files, QString::number(marked.size()) + QStringLiteral("個の画像を削除します")))
    RefreshThumbnails();
}

void TBrowser::DeleteFolderThumbnails() {
  if (busy) return;
  QStringList files;
  for (const QFileInfo &f : QDir(folder_).entryInfoList(QDir::Files))
    if (f.suffix().compare(QLatin1String("sam"), Qt::CaseInsensitive) == 0) files << f.filePath();
  DeleteFiles(files, QString::number(files.size()) + QStringLiteral("個のサムネイルを削除します"));
  FillFileList();
}

void TBrowser::NumberedRename() {
  if (busy) return;
  const std::vector<int> marked = Marked();
  if (marked.empty()) return;
  RenameRule rule;
  {
    TRenameRule dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    rule = dialog.Rule();
  }
  std::vector<RenamePair> images, thumbs;
  for (size_t n = 0; n < marked.size(); ++n)
    images.push_back({imageList[marked[n]], NumberedPath(imageList[marked[n]], rule, int(n))});
  const QStringList kept = RenameAll(images);
  // Each thumbnail follows its image; one that cannot is made anew later.
  for (size_t n = 0; n < marked.size(); ++n)
    if (!kept.contains(images[n].from))
      thumbs.push_back({thumbList[marked[n]], NumberedPath(thumbList[marked[n]], rule, int(n))});
  RenameAll(thumbs);
  // On Linux a rename would silently replace a file of the new name; here
  // the image keeps its old name and the user is told.
  if (!kept.isEmpty())
    UserDialogs::Message(this, QStringLiteral("VELMIR"),
                         QStringLiteral("同じ名前のファイルが既にあります") + QLatin1Char('\n') +
                             kept.join(QLatin1Char('\n')));
  RefreshThumbnails();
}

void TBrowser::StartBatch(int job) {
  if (busy) return;
  StartBatchJob(*this, job);
}

void TBrowser::RefreshFolderTree() {
  // The model follows the disk through its watcher; the file list is ours
  // to read again, and the current folder stays in view.
  FillFileList();
  RevealFolder();
}

QAction *TBrowser::Action(const QString &name) const { return findChild<QAction *>(name); }

QString TBrowser::StatusText() const { return statusBar()->currentMessage(); }

void TBrowser::SetStatus(const QString &text) { statusBar()->showMessage(text); }

void TBrowser::SetBusy(bool on) {
  busy = on;
  if (QAction *make = Action(QStringLiteral("tbMake"))) make->setEnabled(!on);
  if (QAction *stop = Action(QStringLiteral("tbStop"))) stop->setEnabled(on);
}

void TBrowser::ShowJobPanel(bool on) {
  if (on) {
    jobPanel_->move((area_->width() - jobPanel_->width()) / 2,
                    (area_->height() - jobPanel_->height()) / 2);
    jobPanel_->raise();
    jobPanel_->show();
  } else {
    jobPanel_->hide();
    progressPicture_->clear();
  }
}

void TBrowser::PlaceThumb() {
  const ThumbPlace p = ::PlaceThumb(scrollArea_->height(), int(imageList.size()), grid_->TopRow(),
                                    grid_->Rows(), grid_->TotalRowCount());
  thumb_->setGeometry(0, p.top, scrollArea_->width(), std::max(p.height, 1));
}

void TBrowser::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  options = ReadBrowserOptions();
}

bool TBrowser::eventFilter(QObject *watched, QEvent *event) {
  if (watched == area_) {
    if (event->type() == QEvent::Resize && !busy) {
      grid_->Rebuild(false);
      PlaceThumb();
    } else if (event->type() == QEvent::Wheel) {
      const int dy = static_cast<QWheelEvent *>(event)->angleDelta().y();
      if (dy != 0) grid_->Move(dy < 0 ? PageMove::LineDown : PageMove::LineUp);
      return true;
    }
  } else if (watched == scrollArea_) {
    if (event->type() == QEvent::Resize) PlaceThumb();
    if (event->type() == QEvent::MouseButtonPress) {
      const int y = int(static_cast<QMouseEvent *>(event)->position().y());
      grid_->Move(y < thumb_->y() ? PageMove::PageUp : PageMove::PageDown);
      return true;
    }
  } else if (watched == thumb_) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
      thumbDragging_ = true;
      thumbDragStart_ = int(static_cast<QMouseEvent *>(event)->globalPosition().y());
      return true;
    case QEvent::MouseMove: {
      if (!thumbDragging_) break;
      // One line per drag, in the direction the pointer went.
      thumbDragging_ = false;
      const int y = int(static_cast<QMouseEvent *>(event)->globalPosition().y());
      grid_->Move(y < thumbDragStart_ ? PageMove::LineUp : PageMove::LineDown);
      return true;
    }
    case QEvent::MouseButtonRelease: thumbDragging_ = false; return true;
    default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

namespace {

// The window's side of a refresh: texts in the status bar, the job panel
// and its picture, the lists into the grid, the stop buttons heard.
class WindowReporter : public ThumbReporter {
public:
  WindowReporter(TBrowser &browser, std::function<void(bool)> jobPanel,
                 std::function<void(const QImage &)> picture, std::function<void(bool)> busy,
                 std::function<void(const ThumbLists &)> finished)
      : browser_(browser), jobPanel_(std::move(jobPanel)), picture_(std::move(picture)),
        busy_(std::move(busy)), finished_(std::move(finished)) {}

  void Status(const QString &text) override {
    browser_.SetStatus(text);
    QCoreApplication::processEvents();
  }
  void Busy(bool busy) override { busy_(busy); }
  void JobPanel(bool shown) override { jobPanel_(shown); }
  void ClearGrid() override { browser_.Grid()->Clear(); }
  void Picture(const TMDIB &thumbnail) override { picture_(BitmapFromDib(thumbnail)); }
  void Finished(const ThumbLists &lists) override { finished_(lists); }
  bool StopRequested() override {
    QCoreApplication::processEvents();
    return browser_.stopRequested;
  }

private:
  TBrowser &browser_;
  std::function<void(bool)> jobPanel_;
  std::function<void(const QImage &)> picture_;
  std::function<void(bool)> busy_;
  std::function<void(const ThumbLists &)> finished_;
};

} // namespace

void TBrowser::MakeCatalogue() {
  if (store_ && store_->Busy()) return;
  if (options.remakeSN == 0) RefreshThumbnails();
  // The thumbnail the grid shows for an image: beside it, or where the
  // archive's thumbnails are unpacked.
  const QStringList thumbs = thumbList;
  const QStringList images = imageList;
  TAlbumForm dialog(this, folder_, options, [thumbs, images](const QString &image) {
    const qsizetype i = images.indexOf(image);
    if (i >= 0 && i < thumbs.size() && QFileInfo::exists(thumbs[i])) return thumbs[i];
    return ThumbBesideImage(image);
  });
  dialog.exec();
  RefreshFolderTree();
}

void TBrowser::RefreshThumbnails() {
  if (store_ && store_->Busy()) return;
  if (!store_) store_ = std::make_unique<ThumbStore>(WorkingThumbFolder());
  stopRequested = false;
  WindowReporter reporter(
      *this, [this](bool shown) { ShowJobPanel(shown); },
      [this](const QImage &picture) {
        progressPicture_->setPixmap(QPixmap::fromImage(picture));
        progressPicture_->repaint();
      },
      [this](bool on) { SetBusy(on); },
      [this](const ThumbLists &lists) {
        thumbList = lists.thumbs;
        imageList = lists.images;
        markList = lists.marks;
        sortState = 0;
        grid_->Reset();
        grid_->Clear();
        grid_->Rebuild(true);
        grid_->ShowCounts();
        PlaceThumb();
        FillFileList();
      });
  store_->Refresh(folder_, options, reporter);
}
