#include "browser/windows/Album.h"

#include "forms/Waitmess.h"
#include "forms/Widgets.h"
#include "platform/UserDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace {

TAlbumForm::PageOpener &Opener() {
  static TAlbumForm::PageOpener opener = [](const QString &page) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(page));
  };
  return opener;
}

} // namespace

void TAlbumForm::SetPageOpener(PageOpener opener) {
  Opener() = opener ? std::move(opener) : [](const QString &page) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(page));
  };
}

TAlbumForm::TAlbumForm(QWidget *parent, const QString &folder, const BrowserOptions &options,
                       ThumbSource source)
    : QDialog(parent), imageFolder_(folder), options_(options), source_(std::move(source)) {
  setObjectName(QStringLiteral("TAlbumForm"));
  setWindowTitle(QStringLiteral("画像カタログの作成"));
  auto *layout = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  layout->addLayout(grid);

  auto *bFolder = new QPushButton(QStringLiteral("カタログ格納先フォルダ"), this);
  bFolder->setObjectName(QStringLiteral("bFolder"));
  bFolder->setAutoDefault(false);
  connect(bFolder, &QPushButton::clicked, this, &TAlbumForm::bFolderClick);
  eFolder = new QLineEdit(folder, this);
  eFolder->setObjectName(QStringLiteral("eFolder"));
  eFolder->setMinimumWidth(320);
  grid->addWidget(bFolder, 0, 0);
  grid->addWidget(eFolder, 0, 1);

  grid->addWidget(new QLabel(QStringLiteral("サムネイルの列数"), this), 1, 0);
  seColumns = new QSpinBox(this);
  seColumns->setObjectName(QStringLiteral("seColumns"));
  seColumns->setRange(1, kMaxCatalogueColumns);
  seColumns->setValue(5);
  grid->addWidget(seColumns, 1, 1, Qt::AlignLeft);

  grid->addWidget(new QLabel(QStringLiteral("カタログタイトル"), this), 2, 0);
  eTitle = new QLineEdit(this);
  eTitle->setObjectName(QStringLiteral("eTitle"));
  grid->addWidget(eTitle, 2, 1);

  grid->addWidget(new QLabel(QStringLiteral("カタログファイル名"), this), 3, 0);
  eFileName = new QLineEdit(this);
  eFileName->setObjectName(QStringLiteral("eFileName"));
  grid->addWidget(eFileName, 3, 1);

  grid->addWidget(new QLabel(QStringLiteral("サムネイルの大きさ（ピクセル）"), this), 4, 0);
  seThumbSize = new QSpinBox(this);
  seThumbSize->setObjectName(QStringLiteral("seThumbSize"));
  seThumbSize->setRange(0, kMaxCatalogueThumbSide);
  seThumbSize->setValue(100);
  seThumbSize->setEnabled(options.remakeSN == 1);
  grid->addWidget(seThumbSize, 4, 1, Qt::AlignLeft);

  auto *box = new QGroupBox(this);
  auto *boxLayout = new QVBoxLayout(box);
  Links = new QButtonGroup(this);
  auto *none = new QRadioButton(
      QStringLiteral("元画像へのハイパーリンクは行わない （カタログ一覧のみ）"), box);
  none->setObjectName(QStringLiteral("rbNoLinks"));
  auto *links = new QRadioButton(
      QStringLiteral("元画像へのハイパーリンクを挿入する （一覧＋元画像表示）"), box);
  links->setObjectName(QStringLiteral("rbLinks"));
  Links->addButton(none, 0);
  Links->addButton(links, 1);
  none->setChecked(true);
  cbNoPath = new QCheckBox(QStringLiteral("ハイパーリンクへのパス情報を出力しない"), box);
  cbNoPath->setObjectName(QStringLiteral("cbNoPath"));
  cbNoPath->setEnabled(false);
  auto *note = new QLabel(
      QStringLiteral("ホームページなどで利用する場合に指定します（同じフォルダに元画像が必要）"),
      box);
  boxLayout->addWidget(none);
  boxLayout->addWidget(links);
  boxLayout->addWidget(cbNoPath);
  boxLayout->addWidget(note);
  layout->addWidget(box);
  connect(Links, &QButtonGroup::idClicked, this, &TAlbumForm::LinksClick);

  QPushButton *ok = AddOkCancel(this, layout, QStringLiteral("ＯＫ"));
  connect(ok, &QPushButton::clicked, this, &TAlbumForm::bOKClick);
}

void TAlbumForm::LinksClick() { cbNoPath->setEnabled(Links->checkedId() == 1); }

void TAlbumForm::bFolderClick() {
  const QString folder =
      UserDialogs::FolderName(this, QStringLiteral("画像カタログの格納フォルダ"), eFolder->text());
  if (!folder.isEmpty()) eFolder->setText(folder);
}

CatalogueOptions TAlbumForm::Options() const {
  CatalogueOptions o;
  o.imageFolder = imageFolder_;
  o.outFolder = eFolder->text().trimmed();
  o.fileName = eFileName->text();
  o.title = eTitle->text();
  o.columns = seColumns->value();
  o.links = Links->checkedId() == 1;
  o.noPath = o.links && cbNoPath->isChecked();
  o.remake = options_.remakeSN;
  o.thumbSide = seThumbSize->value();
  o.enableFile = options_.enableFile;
  return o;
}

void TAlbumForm::bOKClick() {
  const CatalogueOptions o = Options();
  // The two entries the catalogue cannot do without, before any work.
  for (const auto &[missing, text] :
       {std::pair{o.outFolder.isEmpty(), CatalogueText::kNoFolder},
        std::pair{o.fileName.trimmed().isEmpty(), CatalogueText::kNoName}})
    if (missing) {
      UserDialogs::Message(this, QStringLiteral("VELMIR"), text, QMessageBox::Warning);
      return;
    }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Pending events run between images; no second OK meanwhile.
  setEnabled(false);
  TfWaitMess *wait = nullptr;
  if (o.remake == 1) {
    wait = new TfWaitMess(this);
    wait->Begin(0);
  }
  result_ = WriteCatalogue(o, source_, wait, [] { QCoreApplication::processEvents(); });
  if (wait) {
    wait->End();
    delete wait;
  }
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (!result_.written) {
    UserDialogs::Message(this, QStringLiteral("VELMIR"), result_.message, QMessageBox::Warning);
    return;
  }
  Opener()(result_.pagePath);
  accept();
}
