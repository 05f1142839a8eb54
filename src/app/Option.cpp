// The options dialog. Every control mirrors one general setting; the dialog
// reads them afresh when it opens and writes them only on OK.
#include "app/Option.h"

#include "forms/Widgets.h"

#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A titled group of exclusive choices, addressed by index as the settings
// store them.
QGroupBox *MakeRadioGroup(QWidget *parent, const QString &name, const QString &title,
                          const QStringList &items, int columns = 1) {
  auto *box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto *group = new QButtonGroup(box);
  group->setObjectName(name + QStringLiteral("Buttons"));
  auto *grid = new QGridLayout(box);
  const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
  for (int i = 0; i < items.size(); ++i) {
    auto *button = new QRadioButton(items[i], box);
    group->addButton(button, i);
    grid->addWidget(button, i % rows, i / rows);
  }
  return box;
}

QButtonGroup *Buttons(QGroupBox *box) {
  return box->findChild<QButtonGroup *>(box->objectName() + QStringLiteral("Buttons"));
}

int ItemIndex(QGroupBox *box) { return Buttons(box)->checkedId(); }

void SetItemIndex(QGroupBox *box, int index) {
  if (QAbstractButton *b = Buttons(box)->button(index)) {
    b->setChecked(true);
  } else {
    // An out-of-range stored value selects nothing, as the stored index would.
    QButtonGroup *group = Buttons(box);
    group->setExclusive(false);
    for (QAbstractButton *each : group->buttons())
      each->setChecked(false);
    group->setExclusive(true);
  }
}

// A choice index back to its number; nothing chosen keeps the old value.
int IndexOr(QGroupBox *box, int old) {
  const int i = ItemIndex(box);
  return i < 0 ? old : i;
}

} // namespace

struct TOptionForm::Controls {
  QTabWidget *tabs = nullptr;
  QSlider *tbJpegQuality = nullptr;
  QSlider *tbAutoParam = nullptr;
  QGroupBox *rgDispPalette = nullptr;
  QGroupBox *RadioGroup3 = nullptr;
  QSlider *tbIP1 = nullptr;
  QSlider *tbIP2 = nullptr;
  QCheckBox *cbGM = nullptr;
  QSlider *tbIPGM = nullptr;
  QCheckBox *cbColor = nullptr;
  QSlider *tbIPR = nullptr;
  QSlider *tbIPG = nullptr;
  QSlider *tbIPB = nullptr;
  QGroupBox *rgUndo = nullptr;
  QGroupBox *rgClip = nullptr;
  QWidget *wallPage = nullptr;
  QGroupBox *RadioGroup1 = nullptr;
  QGroupBox *RadioGroup2 = nullptr;
  QLineEdit *edSusieFolder = nullptr;
  QCheckBox *cbKeepMetadata = nullptr;
  QMap<QSlider *, QLabel *> boxes;
  QMap<QSlider *, QLabel *> captions;
};

namespace {

// A track bar with its value shown beside it.
QSlider *AddTrackBar(QWidget *page, QGridLayout *grid, int row, const QString &name,
                     const QString &label, int minimum, int maximum, TOptionForm::Controls &c) {
  auto *slider = new QSlider(Qt::Horizontal, page);
  slider->setObjectName(name);
  slider->setRange(minimum, maximum);
  slider->setPageStep(1);
  slider->setMinimumWidth(180);
  auto *value = new QLabel(page);
  value->setObjectName(name + QStringLiteral("Value"));
  value->setFrameShape(QFrame::Box);
  value->setMinimumWidth(36);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  value->setText(QString::number(slider->value()));
  QObject::connect(slider, &QSlider::valueChanged, value,
                   [value](int v) { value->setText(QString::number(v)); });
  if (!label.isEmpty()) {
    auto *caption = new QLabel(label, page);
    grid->addWidget(caption, row, 0);
    c.captions.insert(slider, caption);
  }
  grid->addWidget(slider, row, 1);
  grid->addWidget(value, row, 2);
  c.boxes.insert(slider, value);
  return slider;
}

QPushButton *AddPresetButton(QWidget *parent, const QString &name, const QString &text,
                             QSlider *slider, int value) {
  auto *button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, slider,
                   [slider, value] { slider->setValue(value); });
  return button;
}

} // namespace

TOptionForm::TOptionForm(QWidget *parent, const QString &programFolder)
    : QDialog(parent), c_(new Controls), programFolder_(programFolder),
      keptJpegQuality_(JpegQuality), keptAutoScaleParam_(General.autoScaleParam),
      keptDisp8BitSupportsPalette_(General.disp8BitSupportsPalette) {
  setObjectName(QStringLiteral("OptionForm"));
  setWindowTitle(QStringLiteral("オプション設定"));
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);
  setMinimumWidth(640);
  Controls &c = *c_;
  auto *outer = new QVBoxLayout(this);
  c.tabs = new QTabWidget(this);
  c.tabs->setObjectName(QStringLiteral("PageControl1"));
  outer->addWidget(c.tabs);

  // JPEG
  {
    auto *page = new QWidget(c.tabs);
    auto *grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("ＪＰＥＧ画像保存時の圧縮品質"), page), 0, 0, 1, 3);
    c.tbJpegQuality = AddTrackBar(page, grid, 1, QStringLiteral("tbJpegQuality"), {}, 30, 100, c);
    auto *row = new QHBoxLayout;
    row->addWidget(AddPresetButton(page, QStringLiteral("bJpegSmall"), QStringLiteral("ﾌｧｲﾙｻｲｽﾞ小"),
                                   c.tbJpegQuality, 50));
    row->addWidget(AddPresetButton(page, QStringLiteral("bJpegDefault"),
                                   QStringLiteral("デフォルト"), c.tbJpegQuality, 75));
    row->addWidget(AddPresetButton(page, QStringLiteral("bJpegHigh"), QStringLiteral("画像品質良"),
                                   c.tbJpegQuality, 90));
    grid->addLayout(row, 2, 0, 1, 3);
    // The page of saving files: whether saved JPEG and TIFF files keep the
    // source's EXIF, IPTC, XMP and colour profile ("KeepMetadata").
    c.cbKeepMetadata = new QCheckBox(QStringLiteral("保存時にExif等のメタデータを残す"), page);
    c.cbKeepMetadata->setObjectName(QStringLiteral("cbKeepMetadata"));
    grid->addWidget(c.cbKeepMetadata, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
    c.tabs->addTab(page, QStringLiteral("JPEG"));
  }
  // Histogram correction
  {
    auto *page = new QWidget(c.tabs);
    auto *grid = new QGridLayout(page);
    c.tbAutoParam = AddTrackBar(page, grid, 0, QStringLiteral("tbAutoParam"), {}, 1, 30, c);
    grid->addWidget(AddPresetButton(page, QStringLiteral("bAutoDefault"),
                                    QStringLiteral("デフォルト"), c.tbAutoParam, 5),
                    1, 1, Qt::AlignLeft);
    grid->setRowStretch(2, 1);
    c.tabs->addTab(page, QStringLiteral("ﾋｽﾄｸﾞﾗﾑ補正"));
  }
  // Display
  {
    auto *page = new QWidget(c.tabs);
    auto *box = new QVBoxLayout(page);
    c.rgDispPalette = MakeRadioGroup(page, QStringLiteral("rgDispPalette"),
                                     QStringLiteral("２５６色表示環境でのフルカラー画像表示方法"),
                                     {QStringLiteral("固定パレットを使用して減色表示"),
                                      QStringLiteral("最適化パレットを使用して減色表示")});
    c.RadioGroup3 = MakeRadioGroup(page, QStringLiteral("RadioGroup3"),
                                   QStringLiteral("全画面表示時の縮小方法"),
                                   {QStringLiteral("通常法"), QStringLiteral("高画質画像縮小")});
    box->addWidget(c.rgDispPalette);
    box->addWidget(c.RadioGroup3);
    box->addStretch(1);
    c.tabs->addTab(page, QStringLiteral("画面表示"));
  }
  // One-click corrections
  {
    auto *page = new QWidget(c.tabs);
    auto *grid = new QGridLayout(page);
    c.tbIP1 = AddTrackBar(page, grid, 0, QStringLiteral("tbIP1"),
                          QStringLiteral("輝度・ｺﾝﾄﾗｽﾄを自動補正"), 1, 10, c);
    grid->addWidget(
        AddPresetButton(page, QStringLiteral("bIP1Default"), QStringLiteral("ﾃﾞﾌｫﾙﾄ"), c.tbIP1, 3),
        0, 3);
    c.tbIP2 = AddTrackBar(page, grid, 1, QStringLiteral("tbIP2"),
                          QStringLiteral("輝度・ｺﾝﾄﾗｽﾄ・ｶﾗｰﾊﾞﾗﾝｽを自動補正"), 1, 10, c);
    grid->addWidget(
        AddPresetButton(page, QStringLiteral("bIP2Default"), QStringLiteral("ﾃﾞﾌｫﾙﾄ"), c.tbIP2, 4),
        1, 3);
    c.cbGM = new QCheckBox(QStringLiteral("同時にγ補正"), page);
    c.cbGM->setObjectName(QStringLiteral("cbGM"));
    grid->addWidget(c.cbGM, 2, 0, 1, 4);
    c.tbIPGM =
        AddTrackBar(page, grid, 3, QStringLiteral("tbIPGM"), QStringLiteral("γ"), 50, 200, c);
    c.cbColor = new QCheckBox(QStringLiteral("同時に色補正"), page);
    c.cbColor->setObjectName(QStringLiteral("cbColor"));
    grid->addWidget(c.cbColor, 4, 0, 1, 4);
    c.tbIPR = AddTrackBar(page, grid, 5, QStringLiteral("tbIPR"), QStringLiteral("R"), -20, 20, c);
    c.tbIPG = AddTrackBar(page, grid, 6, QStringLiteral("tbIPG"), QStringLiteral("G"), -20, 20, c);
    c.tbIPB = AddTrackBar(page, grid, 7, QStringLiteral("tbIPB"), QStringLiteral("B"), -20, 20, c);
    grid->setRowStretch(8, 1);
    connect(c.cbGM, &QCheckBox::toggled, this, [this] { cbGMClick(); });
    connect(c.cbColor, &QCheckBox::toggled, this, [this] { cbColorClick(); });
    c.tabs->addTab(page, QStringLiteral("一発補正"));
  }
  // Undo
  {
    auto *page = new QWidget(c.tabs);
    auto *box = new QVBoxLayout(page);
    QStringList depths;
    for (int i = 0; i <= 9; ++i)
      depths << QString::number(i);
    c.rgUndo =
        MakeRadioGroup(page, QStringLiteral("rgUndo"),
                       QStringLiteral("１画像あたりの元に戻せる回数（やりなおし回数）"), depths, 5);
    box->addWidget(c.rgUndo);
    box->addWidget(new QLabel(QStringLiteral("やりなおし回数を増やすと、その分メモリーを"), page));
    box->addWidget(new QLabel(QStringLiteral("たくさん使いますのでご注意ください"), page));
    box->addStretch(1);
    c.tabs->addTab(page, QStringLiteral("元に戻す"));
  }
  // Clipboard
  {
    auto *page = new QWidget(c.tabs);
    auto *box = new QVBoxLayout(page);
    c.rgClip = MakeRadioGroup(page, QStringLiteral("rgClip"),
                              QStringLiteral("クリップボードへの画像転送時"),
                              {QStringLiteral("自動での新規画像作成は行わない"),
                               QStringLiteral("自動的に新規画像を作成する")});
    box->addWidget(c.rgClip);
    box->addStretch(1);
    c.tabs->addTab(page, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞ"));
  }
  // Wallpaper: kept in the form (its values are carried through OK) but
  // never offered as a page.
  {
    c.wallPage = new QWidget(this);
    c.wallPage->setObjectName(QStringLiteral("壁紙作成"));
    auto *box = new QVBoxLayout(c.wallPage);
    const QStringList palettes = {QStringLiteral("固定パレット"), QStringLiteral("最適化パレット")};
    c.RadioGroup1 = MakeRadioGroup(c.wallPage, QStringLiteral("RadioGroup1"),
                                   QStringLiteral("壁紙の減色"), palettes);
    c.RadioGroup2 = MakeRadioGroup(c.wallPage, QStringLiteral("RadioGroup2"),
                                   QStringLiteral("起動画面の減色"), palettes);
    box->addWidget(c.RadioGroup1);
    box->addWidget(c.RadioGroup2);
    c.wallPage->hide();
  }
  // Susie plug-ins
  {
    auto *page = new QWidget(c.tabs);
    auto *box = new QVBoxLayout(page);
    auto *row = new QHBoxLayout;
    c.edSusieFolder = new QLineEdit(page);
    c.edSusieFolder->setObjectName(QStringLiteral("edSusieFolder"));
    auto *browse = new QPushButton(QStringLiteral("参照"), page);
    browse->setObjectName(QStringLiteral("bSusieBrowse"));
    browse->setAutoDefault(false);
    auto *reset = new QPushButton(QStringLiteral("リセット"), page);
    reset->setObjectName(QStringLiteral("bSusieReset"));
    reset->setAutoDefault(false);
    row->addWidget(c.edSusieFolder, 1);
    row->addWidget(browse);
    row->addWidget(reset);
    box->addLayout(row);
    box->addWidget(
        new QLabel(QStringLiteral("この頁の設定は、次回起動時から有効になります。"), page));
    box->addStretch(1);
    connect(browse, &QPushButton::clicked, this, [this] {
      const QString folder = UserDialogs::FolderName(
          this, QStringLiteral("susieプラグインの検索フォルダを選択します"));
      if (!folder.isEmpty()) c_->edSusieFolder->setText(folder);
    });
    connect(reset, &QPushButton::clicked, this,
            [this] { c_->edSusieFolder->setText(programFolder_); });
    c.tabs->addTab(page, QStringLiteral("SUSIEﾌﾟﾗｸﾞｲﾝ"));
  }

  QPushButton *ok = AddOkCancel(this, outer);
  connect(ok, &QPushButton::clicked, this, &TOptionForm::accept);
}

TOptionForm::~TOptionForm() = default;

void TOptionForm::ShowPage(const QString &title) {
  for (int i = 0; i < c_->tabs->count(); ++i)
    if (c_->tabs->tabText(i) == title) c_->tabs->setCurrentIndex(i);
}

void TOptionForm::showEvent(QShowEvent *event) {
  // A window brought back from the task bar is not opened afresh.
  if (!event->spontaneous()) {
    FormShow();
    // Centred on the screen, as the form is designed.
    if (QScreen *s = screen()) move(s->availableGeometry().center() - rect().center());
  }
  QDialog::showEvent(event);
}

void TOptionForm::FormShow() {
  Controls &c = *c_;
  ReadJpegQuality();
  LoadGeneralSettings();
  keptJpegQuality_ = JpegQuality;
  keptAutoScaleParam_ = General.autoScaleParam;
  keptDisp8BitSupportsPalette_ = General.disp8BitSupportsPalette;

  SetItemIndex(c.rgDispPalette, General.disp8BitSupportsPalette);
  SetItemIndex(c.RadioGroup3, General.fullScrHighQuality);
  SetItemIndex(c.rgUndo, General.undoDepth);
  SetItemIndex(c.rgClip, General.autoPaste);
  SetItemIndex(c.RadioGroup1, General.wallPaperPalette);
  SetItemIndex(c.RadioGroup2, General.startScreenPalette);
  c.edSusieFolder->setText(General.susiePluginPath);
  c.cbKeepMetadata->setChecked(General.keepMetadata != 0);

  // The check boxes first, then their rule (which resets the bars), then the
  // stored positions.
  {
    const QSignalBlocker b1(c.cbGM), b2(c.cbColor);
    c.cbGM->setChecked(General.gammaInIppatsu != 0);
    c.cbColor->setChecked(General.colorInIppatsu != 0);
  }
  cbGMClick();
  cbColorClick();

  c.tbJpegQuality->setValue(JpegQuality);
  c.tbAutoParam->setValue(General.autoScaleParam);
  c.tbIP1->setValue(General.ippatsuAContrast);
  c.tbIP2->setValue(General.ippatsuBContrast);
  c.tbIPGM->setValue(General.gammaInIppatsuParam);
  c.tbIPR->setValue(General.colorInIppatsuR);
  c.tbIPG->setValue(General.colorInIppatsuG);
  c.tbIPB->setValue(General.colorInIppatsuB);
  // The boxes follow the bars, also where a position did not change.
  for (auto it = c.boxes.cbegin(); it != c.boxes.cend(); ++it)
    it.value()->setText(QString::number(it.key()->value()));
  c.wallPage->hide();
}

void TOptionForm::cbGMClick() {
  Controls &c = *c_;
  const bool on = c.cbGM->isChecked();
  c.tbIPGM->setEnabled(on);
  c.tbIPGM->setVisible(on);
  c.boxes[c.tbIPGM]->setVisible(on);
  c.captions[c.tbIPGM]->setVisible(on);
  if (on) c.tbIPGM->setValue(100);
}

void TOptionForm::cbColorClick() {
  Controls &c = *c_;
  const bool on = c.cbColor->isChecked();
  for (QSlider *bar : {c.tbIPR, c.tbIPG, c.tbIPB}) {
    bar->setEnabled(on);
    bar->setVisible(on);
    c.boxes[bar]->setEnabled(on);
    c.boxes[bar]->setVisible(on);
    c.captions[bar]->setVisible(on);
    if (on) {
      bar->setValue(0);
      c.boxes[bar]->setText(QStringLiteral("0"));
    }
  }
}

void TOptionForm::accept() {
  Controls &c = *c_;
  JpegQuality = c.tbJpegQuality->value();
  General.autoScaleParam = c.tbAutoParam->value();
  General.disp8BitSupportsPalette = IndexOr(c.rgDispPalette, General.disp8BitSupportsPalette);
  General.fullScrHighQuality = IndexOr(c.RadioGroup3, General.fullScrHighQuality);
  General.ippatsuAContrast = c.tbIP1->value();
  General.ippatsuBContrast = c.tbIP2->value();
  General.gammaInIppatsu = c.cbGM->isChecked() ? 1 : 0;
  General.gammaInIppatsuParam = c.tbIPGM->value();
  General.colorInIppatsu = c.cbColor->isChecked() ? 1 : 0;
  General.colorInIppatsuR = c.tbIPR->value();
  General.colorInIppatsuG = c.tbIPG->value();
  General.colorInIppatsuB = c.tbIPB->value();
  General.undoDepth = IndexOr(c.rgUndo, General.undoDepth);
  General.autoPaste = IndexOr(c.rgClip, General.autoPaste);
  General.wallPaperPalette = IndexOr(c.RadioGroup1, General.wallPaperPalette);
  General.startScreenPalette = IndexOr(c.RadioGroup2, General.startScreenPalette);
  General.susiePluginPath = c.edSusieFolder->text();
  General.keepMetadata = c.cbKeepMetadata->isChecked() ? 1 : 0;
  WriteJpegQuality();
  SaveGeneralSettings();
  QDialog::accept();
}

void TOptionForm::reject() {
  JpegQuality = keptJpegQuality_;
  General.autoScaleParam = keptAutoScaleParam_;
  General.disp8BitSupportsPalette = keptDisp8BitSupportsPalette_;
  QDialog::reject();
}
