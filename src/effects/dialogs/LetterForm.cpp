#include "effects/dialogs/LetterForm.h"

#include "effects/dialogs/GouseiForm.h"
#include "forms/ColourSwatch.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"
#include "image/Dib.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString kDefaultFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString kDefaultSize = QStringLiteral("20");
const QString kDefaultMargin = QStringLiteral("10");

QLineEdit *ReadOnly(QWidget *owner, const char *name, int width) {
  auto *edit = new QLineEdit(owner);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setReadOnly(true);
  edit->setFixedWidth(width);
  return edit;
}

QString EffectText(bool bold, bool italic) {
  if (bold && italic) return QStringLiteral("<斜><太>");
  if (bold) return QStringLiteral("<太>");
  if (italic) return QStringLiteral("<斜>");
  return {};
}

// Style number of the record: 0 plain, 1 bold, 2 italic, 3 both.
int StyleNumber(bool bold, bool italic) { return (bold ? 1 : 0) | (italic ? 2 : 0); }

} // namespace

TLetterForm::TLetterForm(Host *main) : QDialog(WindowOf(main)), main_(main) {
  setObjectName(QStringLiteral("LetterForm"));
  setWindowTitle(QStringLiteral("文字画像の生成"));
  setModal(true);
  auto *outer = new QVBoxLayout(this);

  auto *textRow = new QHBoxLayout;
  textRow->addWidget(new QLabel(QStringLiteral("生成文字列"), this));
  edText = new QLineEdit(this);
  edText->setObjectName(QStringLiteral("edText"));
  textRow->addWidget(edText, 1);
  outer->addLayout(textRow);

  auto *grid = new QGridLayout;
  edFont = ReadOnly(this, "edFont", 160);
  edSize = ReadOnly(this, "edSize", 40);
  edEffect = ReadOnly(this, "edEffect", 80);
  grid->addWidget(new QLabel(QStringLiteral("フォント"), this), 0, 0);
  grid->addWidget(edFont, 0, 1, 1, 3);
  auto *fontButton = new QPushButton(QStringLiteral("フォント指定"), this);
  fontButton->setObjectName(QStringLiteral("bFont"));
  fontButton->setAutoDefault(false);
  grid->addWidget(fontButton, 0, 4);
  grid->addWidget(new QLabel(QStringLiteral("文字大"), this), 1, 0);
  grid->addWidget(edSize, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("ポイント"), this), 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("効果"), this), 2, 0);
  grid->addWidget(edEffect, 2, 1, 1, 2);

  auto *textColour = new QPushButton(QStringLiteral("文字色指定"), this);
  textColour->setObjectName(QStringLiteral("bTextColour"));
  swText = new ColourSwatch(this, textColour);
  swText->setObjectName(QStringLiteral("swText"));
  grid->addWidget(new QLabel(QStringLiteral("文字色"), this), 3, 0);
  grid->addWidget(swText, 3, 1);
  grid->addWidget(textColour, 3, 2, 1, 2);
  auto *backColour = new QPushButton(QStringLiteral("背景色指定"), this);
  backColour->setObjectName(QStringLiteral("bBackColour"));
  swBack = new ColourSwatch(this, backColour);
  swBack->setObjectName(QStringLiteral("swBack"));
  grid->addWidget(new QLabel(QStringLiteral("背景色"), this), 4, 0);
  grid->addWidget(swBack, 4, 1);
  grid->addWidget(backColour, 4, 2, 1, 2);

  edMargin = new QLineEdit(this);
  edMargin->setObjectName(QStringLiteral("edMargin"));
  edMargin->setMaxLength(4);
  edMargin->setFixedWidth(48);
  edMargin->setAlignment(Qt::AlignRight);
  edMargin->setValidator(new QIntValidator(kTextMarginMin, kTextMarginMax, edMargin));
  grid->addWidget(new QLabel(QStringLiteral("余白部分"), this), 5, 0);
  grid->addWidget(edMargin, 5, 1);
  cbAntiAlias = new QCheckBox(QStringLiteral("アンチエイリアス"), this);
  cbAntiAlias->setObjectName(QStringLiteral("cbAntiAlias"));
  grid->addWidget(cbAntiAlias, 5, 2, 1, 3);
  grid->setColumnStretch(5, 1);
  outer->addLayout(grid);

  auto *scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("PreviewBox"));
  scroll->setMinimumSize(400, 120);
  lPreview = new QLabel(scroll);
  lPreview->setObjectName(QStringLiteral("lPreview"));
  scroll->setWidget(lPreview);
  outer->addWidget(scroll, 1);

  QPushButton *ok = AddOkCancel(this, outer);
  connect(ok, &QPushButton::clicked, this, &TLetterForm::bOKClick);
  connect(fontButton, &QPushButton::clicked, this, &TLetterForm::bFontClick);
  connect(edText, &QLineEdit::textChanged, this, &TLetterForm::UpdatePreview);
  connect(edMargin, &QLineEdit::textChanged, this, &TLetterForm::UpdatePreview);
  connect(swText, &ColourSwatch::Changed, this, &TLetterForm::UpdatePreview);
  connect(swBack, &ColourSwatch::Changed, this, &TLetterForm::UpdatePreview);
}

TLetterForm::~TLetterForm() = default;

void TLetterForm::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  CentreOnMain(this, WindowOf(main_));
  UpdatePreview();
}

void TLetterForm::Prepare() {
  QSignalBlocker blockText(edText), blockMargin(edMargin);
  edText->clear();
  edFont->setText(kDefaultFace);
  edSize->setText(kDefaultSize);
  SetStyle(false, false);
  swText->SetRgb(0x000000);
  swBack->SetRgb(0xffffff);
  edMargin->setText(kDefaultMargin);
  cbAntiAlias->setChecked(true);
  charset_ = kShiftJisCharset;

  CResumeDialog record;
  if (record.Load(QLatin1String(kSettings)) == 0) {
    const auto text = [&record](int i, const QString &fallback) {
      const QString v = record.GetText(i);
      return v.isEmpty() ? fallback : v;
    };
    edFont->setText(text(0, kDefaultFace));
    bool ok = false;
    const int size = record.GetText(1).toInt(&ok);
    edSize->setText(ok && size > 0 ? QString::number(size) : kDefaultSize);
    swText->SetRgb(RgbFromColourRef(unsigned(record.GetInt(3))));
    swBack->SetRgb(RgbFromColourRef(unsigned(record.GetInt(4))));
    const int margin = record.GetText(5).toInt(&ok);
    edMargin->setText(ok && margin >= kTextMarginMin && margin <= kTextMarginMax
                          ? QString::number(margin)
                          : kDefaultMargin);
    edText->setText(record.GetText(6));
    cbAntiAlias->setChecked(record.GetInt(7) != 0);
    const int charset = record.GetText(8).toInt(&ok);
    charset_ = ok ? charset : kShiftJisCharset;
    const int style = record.GetInt(9);
    SetStyle((style & 1) != 0, (style & 2) != 0);
  }
  UpdatePreview();
}

void TLetterForm::SetStyle(bool bold, bool italic) {
  bold_ = bold, italic_ = italic;
  edEffect->setText(EffectText(bold, italic));
}

TextStyle TLetterForm::Style() const {
  TextStyle style;
  style.face = edFont->text();
  style.points = std::max(1, edSize->text().toInt());
  style.bold = bold_, style.italic = italic_;
  style.textRgb = swText->Rgb(), style.backgroundRgb = swBack->Rgb();
  return style;
}

std::optional<int> TLetterForm::Margin() const {
  bool ok = false;
  const int m = edMargin->text().trimmed().toInt(&ok);
  if (!ok || m < kTextMarginMin || m > kTextMarginMax) return std::nullopt;
  return m;
}

void TLetterForm::UpdatePreview() {
  const std::optional<int> margin = Margin();
  if (!margin) return;
  preview_ = RenderText(Style(), edText->text(), *margin);
  lPreview->setPixmap(QPixmap::fromImage(preview_));
  lPreview->resize(preview_.size());
}

void TLetterForm::bFontClick() {
  QFont font(edFont->text());
  font.setPointSize(Style().points);
  font.setBold(bold_);
  font.setItalic(italic_);
  if (!UserDialogs::ChooseFont(this, font)) return;
  edFont->setText(font.family());
  if (font.pointSize() > 0) edSize->setText(QString::number(font.pointSize()));
  SetStyle(font.bold(), font.italic());
  UpdatePreview();
}

void TLetterForm::Remember() const {
  CResumeDialog record;
  record.AddText(edFont->text());
  record.AddText(edSize->text());
  record.AddText(edEffect->text());
  record.AddInt(int(ColourRefFromRgb(swText->Rgb())));
  record.AddInt(int(ColourRefFromRgb(swBack->Rgb())));
  record.AddText(edMargin->text());
  record.AddText(edText->text());
  record.AddInt(cbAntiAlias->isChecked() ? 1 : 0);
  record.AddInt(charset_);
  record.AddInt(StyleNumber(bold_, italic_));
  record.Save(QLatin1String(kSettings));
}

void TLetterForm::bOKClick() {
  const std::optional<int> margin = Margin();
  if (!margin) {
    UserDialogs::Error(this, QStringLiteral("余白部分には０以上の整数を指定してください"));
    edMargin->setFocus();
    edMargin->selectAll();
    return;
  }
  const bool antiAliased = cbAntiAlias->isChecked();
  DibHandle picture = MakeTextPicture(Style(), edText->text(), *margin, antiAliased);
  if (!picture) {
    UserDialogs::OutOfMemory(this);
    return;
  }
  picture_ = std::move(picture);
  antiAliased_ = antiAliased;
  Remember();
  accept();
}

void LetterCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  DibHandle picture;
  bool antiAliased = false;
  uint32_t textRgb = 0, backRgb = 0xffffff;
  {
    TLetterForm letter(main);
    letter.Prepare();
    if (letter.exec() != QDialog::Accepted) return;
    picture = letter.TakePicture();
    antiAliased = letter.AntiAliased();
    textRgb = letter.swText->Rgb(), backRgb = letter.swBack->Rgb();
  }
  {
    TGouseiForm paste(main);
    if (paste.Prepare(child, std::move(picture))) {
      paste.SetTextInsertion(antiAliased, textRgb, backRgb);
      paste.exec();
    }
  }
  if (main) {
    main->CommandsChanged();
    if (QWidget *window = main->Window()) window->raise();
  }
}

void NewTextImageCommand(Host *main) {
  DibHandle picture;
  {
    TLetterForm letter(main);
    letter.Prepare();
    if (letter.exec() != QDialog::Accepted) return;
    picture = letter.TakePicture();
  }
  if (main) main->OpenAsNewDocument(std::move(picture));
}
