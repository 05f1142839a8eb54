#include "print/dialogs/Print.h"

#include "forms/Widgets.h"
#include "image/Dib.h"
#include "platform/UserDialogs.h"
#include "print/PrintDate.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

TPrintForm::PrinterChooser &Chooser() {
  static TPrintForm::PrinterChooser chooser;
  return chooser;
}

// The miniature's picture: a hatched box.
class HatchBox : public QFrame {
public:
  using QFrame::QFrame;

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(rect(), QBrush(Qt::black, Qt::BDiagPattern));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

QLabel *MiniLabel(QWidget *page, const QString &text) {
  auto *label = new QLabel(text, page);
  QFont font = label->font();
  font.setPointSize(7);
  label->setFont(font);
  label->adjustSize();
  return label;
}

} // namespace

bool PrintPicture(QPrinter &printer, const QImage &picture, const PrintSettings &settings,
                  const PrintTexts &texts, PrintedPage *placed) {
  printer.setDocName(QStringLiteral("VELMIR"));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const PrintedPage page =
      DrawPrintPage(painter, printer.width(), printer.height(), picture, settings, texts);
  const bool ended = painter.end();
  if (placed) *placed = page;
  return ended;
}

void TPrintForm::SetPrinterChooser(PrinterChooser chooser) { Chooser() = std::move(chooser); }

QLineEdit *TPrintForm::AddEdit(QWidget *page, QGridLayout *grid, int row, const QString &label,
                               const QString &name) {
  grid->addWidget(new QLabel(label, page), row, 0);
  auto *edit = new QLineEdit(page);
  edit->setObjectName(name);
  grid->addWidget(edit, row, 1);
  return edit;
}

void TPrintForm::Mirror(QLineEdit *a, QLineEdit *b) {
  connect(a, &QLineEdit::textChanged, b, [b](const QString &text) {
    if (b->text() != text) b->setText(text);
  });
  connect(b, &QLineEdit::textChanged, a, [a](const QString &text) {
    if (a->text() != text) a->setText(text);
  });
}

TPrintForm::TPrintForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TPrintForm"));
  setWindowTitle(QStringLiteral("画像印刷設定"));
  auto *outer = new QHBoxLayout(this);
  auto *left = new QVBoxLayout;
  outer->addLayout(left);

  left->addWidget(new QLabel(QStringLiteral("印刷スタイル"), this));
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  // All four styles in view: no scrolling tab bar.
  PageControl->setUsesScrollButtons(false);
  left->addWidget(PageControl);

  // Tab 0: the picture only.
  auto *only = new QWidget;
  auto *onlyLayout = new QVBoxLayout(only);
  onlyLayout->addWidget(new QLabel(QStringLiteral("ここで設定する項目はありません。"), only));
  onlyLayout->addWidget(new QLabel(QStringLiteral("画像の大きさのみ指定可能です。"), only));
  onlyLayout->addStretch();
  PageControl->addTab(only, QStringLiteral("画像のみ印刷"));

  // Tab 1: picture and title.
  auto *withTitle = new QWidget;
  auto *titleGrid = new QGridLayout(withTitle);
  title_[0] = AddEdit(withTitle, titleGrid, 0, QStringLiteral("標題"), QStringLiteral("eTitle1"));
  titleGrid->setRowStretch(1, 1);
  PageControl->addTab(withTitle, QStringLiteral("画像と標題"));

  // Tabs 2 and 3: the captions, with and without the title.
  auto dateRow = [this](QWidget *page, QGridLayout *grid, int row, int i) {
    grid->addWidget(new QLabel(QStringLiteral("撮影日"), page), row, 0);
    auto *box = new QHBoxLayout;
    date_[i] = new QLineEdit(page);
    date_[i]->setObjectName(QStringLiteral("eDate%1").arg(i + 2));
    date_[i]->setMaxLength(19);
    auto *down = new QPushButton(QStringLiteral("－"), page);
    down->setObjectName(QStringLiteral("bDateDown%1").arg(i + 2));
    down->setToolTip(QStringLiteral("１日前"));
    auto *up = new QPushButton(QStringLiteral("＋"), page);
    up->setObjectName(QStringLiteral("bDateUp%1").arg(i + 2));
    up->setToolTip(QStringLiteral("１日後"));
    for (QPushButton *b : {down, up}) {
      b->setAutoDefault(false);
      b->setFixedWidth(28);
    }
    connect(down, &QPushButton::clicked, this, &TPrintForm::DateDownClick);
    connect(up, &QPushButton::clicked, this, &TPrintForm::DateUpClick);
    box->addWidget(date_[i]);
    box->addWidget(down);
    box->addWidget(up);
    grid->addLayout(box, row, 1);
  };
  for (int i = 0; i < 2; ++i) {
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    int row = 0;
    if (i == 0)
      title_[1] = AddEdit(page, grid, row++, QStringLiteral("標題"), QStringLiteral("eTitle2"));
    dateRow(page, grid, row++, i);
    const QString n = QString::number(i + 2);
    photographer_[i] = AddEdit(page, grid, row++, QStringLiteral("撮影者"), "ePhotographer" + n);
    fileName_[i] = AddEdit(page, grid, row++, QStringLiteral("画像ファイル名"), "eFileName" + n);
    remarks_[i] = AddEdit(page, grid, row++, QStringLiteral("備考"), "eRemarks" + n);
    grid->setRowStretch(row, 1);
    PageControl->addTab(page, i == 0 ? QStringLiteral("画像と標題と各種情報")
                                     : QStringLiteral("画像と各種情報"));
  }
  Mirror(title_[0], title_[1]);
  Mirror(date_[0], date_[1]);
  Mirror(photographer_[0], photographer_[1]);
  Mirror(fileName_[0], fileName_[1]);
  Mirror(remarks_[0], remarks_[1]);
  connect(PageControl, &QTabWidget::currentChanged, this, &TPrintForm::PageControlChange);

  // The size of the picture on the page.
  sizeMode_ = new QButtonGroup(this);
  auto *bySize = new QRadioButton(QStringLiteral("画像の大きさを指定"), this);
  bySize->setObjectName(QStringLiteral("rbSize"));
  auto *byResolution = new QRadioButton(QStringLiteral("印刷解像度を指定"), this);
  byResolution->setObjectName(QStringLiteral("rbResolution"));
  sizeMode_->addButton(bySize, 0);
  sizeMode_->addButton(byResolution, 1);
  left->addWidget(bySize);
  auto *sizeRow = new QHBoxLayout;
  TrackBar1 = new QSlider(Qt::Horizontal, this);
  TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
  TrackBar1->setRange(kMinSizeFactor, kMaxSizeFactor);
  factorText_ = new QLabel(this);
  factorText_->setMinimumWidth(40);
  sizeRow->addWidget(TrackBar1);
  sizeRow->addWidget(factorText_);
  left->addLayout(sizeRow);
  left->addWidget(byResolution);
  resolution_ = new QComboBox(this);
  resolution_->setObjectName(QStringLiteral("cbResolution"));
  for (int dpi = 50; dpi <= 600; dpi += 50)
    resolution_->addItem(QString::number(dpi));
  left->addWidget(resolution_);
  // The resolution is kept in the settings but nothing prints by it.
  byResolution->hide();
  resolution_->hide();
  connect(TrackBar1, &QSlider::valueChanged, this, &TPrintForm::TrackBarChange);
  connect(sizeMode_, &QButtonGroup::idClicked, this, &TPrintForm::SizeModeClick);
  left->addStretch();
  QPushButton *ok = AddOkCancel(this, left, QStringLiteral("ＯＫ"));
  connect(ok, &QPushButton::clicked, this, &TPrintForm::bOKClick);

  // The page miniature.
  page_ = new QFrame(this);
  page_->setObjectName(QStringLiteral("Panel1"));
  page_->setFixedSize(kMiniPageWidth, kMiniPageHeight);
  page_->setAutoFillBackground(true);
  QPalette pal = page_->palette();
  pal.setColor(QPalette::Window, Qt::white);
  page_->setPalette(pal);
  page_->setFrameShape(QFrame::Box);
  Gazou = new HatchBox(page_);
  Gazou->setObjectName(QStringLiteral("Gazou"));
  TitleLabel = MiniLabel(page_, QStringLiteral("標題部分"));
  const char *captions[4] = {"撮影日部分", "撮影者部分", "ファイル名部分",
                             "備考部分 ・・・・・・・・・・・・・・・・・・・・・"};
  for (int i = 0; i < 4; ++i)
    CaptionLabels[i] = MiniLabel(page_, QString::fromUtf8(captions[i]));
  outer->addWidget(page_, 0, Qt::AlignTop);
}

void TPrintForm::Prepare(IMGHANDLE picture, const QString &caption, const DisplayProfile &profile) {
  picture_ = picture;
  profile_ = profile;
  const TMDIB dib(picture);
  width_ = std::max(1, static_cast<int>(dib.width));
  height_ = std::max(1, static_cast<int>(dib.height));
  const PrintSettings s = ReadPrintSettings();
  {
    const QSignalBlocker b1(PageControl), b2(TrackBar1);
    PageControl->setCurrentIndex(s.style);
    sizeMode_->button(s.imageSize)->setChecked(true);
    TrackBar1->setValue(s.sizeFactor);
    resolution_->setCurrentIndex(s.resolution);
  }
  photographer_[0]->setText(s.photographer);
  date_[0]->setText(PrintDate::FormatDayCount(PrintDate::Today()));
  fileName_[0]->setText(caption);
  LayoutMiniature();
}

PrintSettings TPrintForm::Settings() const {
  PrintSettings s;
  s.style = PageControl->currentIndex();
  s.imageSize = std::max(0, sizeMode_->checkedId());
  s.sizeFactor = TrackBar1->value();
  s.resolution = std::max(0, resolution_->currentIndex());
  s.photographer = photographer_[0]->text();
  return s;
}

PrintTexts TPrintForm::Texts() const {
  return {title_[0]->text(), date_[0]->text(), photographer_[0]->text(), fileName_[0]->text(),
          remarks_[0]->text()};
}

void TPrintForm::LayoutMiniature() {
  const PrintSettings s = Settings();
  factorText_->setText(QString::number(s.sizeFactor) + QStringLiteral("%"));
  TrackBar1->setEnabled(s.imageSize == 0);
  const PlaceRect r =
      PlaceImage(width_, height_, s.imageSize, s.sizeFactor, kMiniPageWidth, kMiniPageHeight);
  Gazou->setGeometry(r.left, r.top, r.width, r.height);
  TitleLabel->move((kMiniPageWidth - TitleLabel->width()) / 2, r.top * 16 / 26);
  TitleLabel->setVisible(StyleHasTitle(s.style));
  int top = FirstCaptionTop(kMiniPageWidth, kMiniPageHeight, CaptionLabels[0]->height());
  for (QLabel *label : CaptionLabels) {
    label->move(CaptionLeft(kMiniPageWidth), top);
    label->setVisible(StyleHasCaptions(s.style));
    // The miniature's lines sit closer than the printed ones, so that all
    // four fit on the small page.
    top += label->height();
  }
}

void TPrintForm::PageControlChange() { LayoutMiniature(); }
void TPrintForm::TrackBarChange() { LayoutMiniature(); }
void TPrintForm::SizeModeClick() { LayoutMiniature(); }

void TPrintForm::StepDate(int days) {
  // A date edit that holds no date is left as it is.
  if (const std::optional<QString> moved = PrintDate::Step(date_[0]->text(), days))
    date_[0]->setText(*moved);
}

void TPrintForm::DateDownClick() { StepDate(-1); }
void TPrintForm::DateUpClick() { StepDate(+1); }

void TPrintForm::bOKClick() {
  // The page is laid out in the printer's own pixels.
  QPrinter printer(QPrinter::HighResolution);
  bool chosen = false;
  if (Chooser()) {
    chosen = Chooser()(printer, this);
  } else {
    QPrintDialog dialog(&printer, this);
    chosen = dialog.exec() == QDialog::Accepted;
  }
  if (chosen && picture_) {
    const TMDIB dib(picture_);
    QImage bitmap = BitmapFromDib(dib);
    if (profile_.Converts()) profile_.ToDisplay(bitmap);
    if (!PrintPicture(printer, bitmap, Settings(), Texts()))
      UserDialogs::Error(this, QStringLiteral("印刷できませんでした"));
  }
  accept();
}

void TPrintForm::done(int result) {
  WritePrintSettings(Settings());
  QDialog::done(result);
}
