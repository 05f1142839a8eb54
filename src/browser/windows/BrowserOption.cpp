#include "browser/windows/BrowserOption.h"

#include "forms/Widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QStringList kQuality = {QStringLiteral("通常法（高速）"), QStringLiteral("高画質（低速）")};

// A tab holding a column of widgets; the layout is returned to fill.
QVBoxLayout *AddPage(QTabWidget *tabs, const QString &caption) {
  auto *page = new QWidget(tabs);
  auto *column = new QVBoxLayout(page);
  tabs->addTab(page, caption);
  return column;
}

void Check(QButtonGroup *group, int index) {
  if (QAbstractButton *b = group->button(index)) b->setChecked(true);
}

} // namespace

TfBrowserOption::TfBrowserOption(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ブラウザ設定"));
  setObjectName(QStringLiteral("fBrowserOption"));
  setModal(true);
  auto *outer = new QVBoxLayout(this);
  PageControl = new QTabWidget(this);
  outer->addWidget(PageControl);

  QVBoxLayout *page = AddPage(PageControl, QStringLiteral("ファイル操作"));
  rgDelete = AddRadioGroup(
      this, page, QStringLiteral("rgDelete"), QStringLiteral("画像削除時"),
      {QStringLiteral("可能な限りごみ箱へ移動"), QStringLiteral("ごみ箱へ入れず即削除")});
  page->addStretch();

  page = AddPage(PageControl, QStringLiteral("マウス操作"));
  rgDoubleClick = AddRadioGroup(
      this, page, QStringLiteral("rgDoubleClick"), QStringLiteral("ダブルクリック時の動作"),
      {QStringLiteral("VELMIRで開く"), QStringLiteral("画像を全画面表示する")});
  page->addStretch();

  page = AddPage(PageControl, QStringLiteral("ブラウザ隠し"));
  rgAutoClose = AddRadioGroup(this, page, QStringLiteral("rgAutoClose"),
                              QStringLiteral("ブラウザの自動非表示"),
                              {QStringLiteral("VELMIRの画像をクリックするとブラウザを非表示"),
                               QStringLiteral("VELMIRへ画像転送するとブラウザを非表示"),
                               QStringLiteral("自動非表示は行わない")});
  page->addStretch();

  page = AddPage(PageControl, QStringLiteral("画像カタログ"));
  rgRemakeSN = AddRadioGroup(this, page, QStringLiteral("rgRemakeSN"),
                             QStringLiteral("サムネイルの生成方法"),
                             {QStringLiteral("作成済のサムネイルをコピー （高速処理）"),
                              QStringLiteral("新規に作成 （CD対応可能）")});
  page->addStretch();

  page = AddPage(PageControl, QStringLiteral("対象ファイル"));
  auto *form = new QFormLayout;
  edStandard = new QLineEdit(QStringLiteral("BMP,JPG,JPEG,TIF,TIFF"), this);
  edStandard->setObjectName(QStringLiteral("edStandard"));
  edStandard->setReadOnly(true);
  edEnableFile = new QLineEdit(this);
  edEnableFile->setObjectName(QStringLiteral("edEnableFile"));
  form->addRow(QStringLiteral("標準"), edStandard);
  form->addRow(QStringLiteral("拡張（ＳＵＳＩＥプラグインが必要）"), edEnableFile);
  page->addLayout(form);
  page->addWidget(new QLabel(QStringLiteral("ファイル名拡張子をカンマで区切って指定します"), this));
  page->addStretch();

  page = AddPage(PageControl, QStringLiteral("画像表示"));
  rgFullScr = AddRadioGroup(this, page, QStringLiteral("rgFullScr"), QStringLiteral("全画面表示"),
                            kQuality);
  rgSlideShow = AddRadioGroup(this, page, QStringLiteral("rgSlideShow"),
                              QStringLiteral("スライドショウ"), kQuality);
  page->addStretch();

  page = AddPage(PageControl, QStringLiteral("サムネイル"));
  rgThumbSave = AddRadioGroup(
      this, page, QStringLiteral("rgThumbSave"), QStringLiteral("サムネイル画像の保存方法"),
      {QStringLiteral("元画像毎に作成"), QStringLiteral("フォルダ毎にアーカイブ")});
  auto *note = new QLabel(
      QStringLiteral("元画像毎に作成：表示は速くなりますが、フォルダ内に多数のサムネイルファイル"
                     "ができることがあります。\nフォルダ毎にアーカイブ：ファイルは１つにまとまり"
                     "ますが、読込みが少し遅くなります。"),
      this);
  note->setWordWrap(true);
  page->addWidget(note);
  page->addStretch();

  QPushButton *ok = AddOkCancel(this, outer, QStringLiteral("ＯＫ"));
  connect(ok, &QPushButton::clicked, this, &TfBrowserOption::accept);

  const BrowserOptions o = ReadBrowserOptions();
  Check(rgDelete, o.deleteMethod);
  Check(rgDoubleClick, o.doubleClick);
  Check(rgAutoClose, o.autoClose);
  Check(rgRemakeSN, o.remakeSN);
  edEnableFile->setText(o.enableFile);
  Check(rgFullScr, o.fullScrHQ);
  Check(rgSlideShow, o.slideShowHQ);
  Check(rgThumbSave, o.thumbSave);
  PageControl->setCurrentIndex(0);
}

BrowserOptions TfBrowserOption::Options() const {
  // A group without a choice (a stored value out of range) writes 0.
  auto id = [](const QButtonGroup *group) { return std::max(group->checkedId(), 0); };
  BrowserOptions o;
  o.deleteMethod = id(rgDelete);
  o.doubleClick = id(rgDoubleClick);
  o.autoClose = id(rgAutoClose);
  o.remakeSN = id(rgRemakeSN);
  o.enableFile = edEnableFile->text();
  o.fullScrHQ = id(rgFullScr);
  o.slideShowHQ = id(rgSlideShow);
  o.thumbSave = id(rgThumbSave);
  return o;
}

void TfBrowserOption::accept() {
  WriteBrowserOptions(Options());
  QDialog::accept();
}
