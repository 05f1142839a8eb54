#include "effects/dialogs/OuterFrameForm.h"

#include "forms/ColourSwatch.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "forms/Widgets.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace {

// A width as typed: a whole number, none for anything else.
std::optional<int> Width(const QLineEdit *edit) {
  bool ok = false;
  const int v = edit->text().trimmed().toInt(&ok);
  return ok ? std::optional<int>(v) : std::nullopt;
}

QLineEdit *NewEdit(QWidget *owner, const char *name) {
  auto *edit = new QLineEdit(owner);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setAlignment(Qt::AlignRight);
  edit->setMaxLength(9);
  edit->setFixedWidth(64);
  return edit;
}

QLabel *ReadOut(QWidget *owner, const char *name) {
  auto *label = new QLabel(owner);
  label->setObjectName(QString::fromLatin1(name));
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(64);
  return label;
}

} // namespace

TSotowaku::TSotowaku(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("Sotowaku"));
  setWindowTitle(QStringLiteral("外枠作成"));
  setModal(true);
  auto *outer = new QVBoxLayout(this);
  rgMode = AddRadioGroup(this, outer, QStringLiteral("rgMode"), QString(),
                         {QStringLiteral("上下左右に同じ幅の外枠を作成する"),
                          QStringLiteral("上下左右の外枠の幅を別々に指定する")});
  auto *widths = new QGridLayout;
  edWidth = NewEdit(this, "edWidth");
  widths->addWidget(new QLabel(QStringLiteral("外枠の幅"), this), 0, 0);
  widths->addWidget(edWidth, 0, 1);
  widths->addWidget(new QLabel(QStringLiteral("ピクセル"), this), 0, 2);
  int row = 1;
  for (auto [edit, name, caption] : {std::tuple{&edTop, "edTop", "上"},
                                     {&edBottom, "edBottom", "下"},
                                     {&edLeft, "edLeft", "左"},
                                     {&edRight, "edRight", "右"}}) {
    *edit = NewEdit(this, name);
    widths->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0, Qt::AlignRight);
    widths->addWidget(*edit, row, 1);
    widths->addWidget(new QLabel(QStringLiteral("ピクセル"), this), row, 2);
    ++row;
  }
  widths->setColumnStretch(3, 1);
  outer->addLayout(widths);

  auto *colourRow = new QHBoxLayout;
  auto *colourButton = new QPushButton(QStringLiteral("外枠の色を指定"), this);
  colourButton->setObjectName(QStringLiteral("bColour"));
  swatch = new ColourSwatch(this, colourButton);
  swatch->setObjectName(QStringLiteral("Swatch"));
  colourRow->addWidget(swatch);
  colourRow->addWidget(colourButton);
  colourRow->addStretch();
  outer->addLayout(colourRow);

  auto *sizes = new QGroupBox(this);
  auto *sizeGrid = new QGridLayout(sizes);
  sizeGrid->addWidget(new QLabel(QStringLiteral("現在の画像の大きさ"), sizes), 0, 0);
  sizeGrid->addWidget(new QLabel(QStringLiteral("処理後の大きさ"), sizes), 1, 0);
  QLabel *oldWidth = ReadOut(sizes, "lWidth");
  QLabel *oldHeight = ReadOut(sizes, "lHeight");
  lNewWidth = ReadOut(sizes, "lNewWidth");
  lNewHeight = ReadOut(sizes, "lNewHeight");
  for (int r = 0; r < 2; ++r) {
    sizeGrid->addWidget(new QLabel(QStringLiteral("横"), sizes), r, 1);
    sizeGrid->addWidget(r == 0 ? oldWidth : lNewWidth, r, 2);
    sizeGrid->addWidget(new QLabel(QStringLiteral("縦"), sizes), r, 3);
    sizeGrid->addWidget(r == 0 ? oldHeight : lNewHeight, r, 4);
  }
  outer->addWidget(sizes);

  QPushButton *ok = AddOkCancel(this, outer);
  connect(ok, &QPushButton::clicked, this, &TSotowaku::bOKClick);
  for (QLineEdit *edit : {edWidth, edTop, edBottom, edLeft, edRight})
    connect(edit, &QLineEdit::textChanged, this, &TSotowaku::UpdateSizes);
  connect(rgMode, &QButtonGroup::idClicked, this, &TSotowaku::UpdateSizes);
}

void TSotowaku::Prepare(Document *child) {
  child_ = child;
  findChild<QLabel *>(QStringLiteral("lWidth"))->setText(QString::number(child->Width()));
  findChild<QLabel *>(QStringLiteral("lHeight"))->setText(QString::number(child->Height()));
  CResumeDialog record;
  if (record.Load(QLatin1String(kSettingsName)) == 0) {
    rgMode->button(record.GetInt(0) == 1 ? 1 : 0)->setChecked(true);
    for (auto [edit, field] :
         {std::pair{edWidth, 1}, {edTop, 2}, {edBottom, 3}, {edLeft, 4}, {edRight, 5}})
      edit->setText(record.GetText(field));
    swatch->SetRgb(RgbFromColourRef(static_cast<unsigned>(record.GetInt(6))));
  } else {
    rgMode->button(0)->setChecked(true);
    for (QLineEdit *edit : {edWidth, edTop, edBottom, edLeft, edRight})
      edit->setText(QStringLiteral("0"));
    swatch->SetRgb(0xffffff);
  }
  UpdateSizes();
}

bool TSotowaku::Separate() const { return rgMode->checkedId() == 1; }

FrameWidths TSotowaku::Widths() const {
  const auto value = [](const QLineEdit *edit) { return Width(edit).value_or(0); };
  if (!Separate()) {
    const int w = value(edWidth);
    return {w, w, w, w};
  }
  return {value(edTop), value(edBottom), value(edLeft), value(edRight)};
}

void TSotowaku::UpdateSizes() {
  const bool separate = Separate();
  edWidth->setEnabled(!separate);
  for (QLineEdit *edit : {edTop, edBottom, edLeft, edRight})
    edit->setEnabled(separate);
  if (!child_) return;
  const FrameWidths w = Widths();
  lNewWidth->setText(QString::number(FramedWidth(child_->Width(), w)));
  lNewHeight->setText(QString::number(FramedHeight(child_->Height(), w)));
}

void TSotowaku::Remember() const {
  CResumeDialog record;
  record.AddInt(Separate() ? 1 : 0);
  for (const QLineEdit *edit : {edWidth, edTop, edBottom, edLeft, edRight})
    record.AddText(edit->text());
  record.AddInt(static_cast<int>(ColourRefFromRgb(swatch->Rgb())));
  record.Save(QLatin1String(kSettingsName));
}

void TSotowaku::bOKClick() {
  if (!child_ || !child_->Picture()) {
    reject();
    return;
  }
  // Only the edits in use must hold widths.
  const std::vector<QLineEdit *> used =
      Separate() ? std::vector<QLineEdit *>{edTop, edBottom, edLeft, edRight}
                 : std::vector<QLineEdit *>{edWidth};
  for (QLineEdit *edit : used) {
    const std::optional<int> w = Width(edit);
    if (!w || *w < 0) {
      UserDialogs::Error(this, QStringLiteral("外枠の幅には０以上の整数を指定してください"));
      edit->setFocus();
      edit->selectAll();
      return;
    }
  }
  const FrameWidths widths = Widths();
  if (!OuterFrameFits(child_->Width(), child_->Height(), widths)) {
    UserDialogs::OutOfMemory(this);
    return;
  }
  setEnabled(false);
  TfWaitMess *wait = main_ ? main_->WaitWindow() : nullptr;
  if (wait) wait->Begin(int(FramedHeight(child_->Height(), widths)));
  DibHandle framed = OuterFrame(child_->Picture().get(), widths, swatch->Red(), swatch->Green(),
                                swatch->Blue(), wait);
  if (wait) wait->End();
  setEnabled(true);
  if (!framed) {
    UserDialogs::OutOfMemory(this);
    return;
  }
  child_->RecordUndo();
  child_->Picture() = std::move(framed);
  child_->ResetArea();
  child_->Commit();
  Remember();
  accept();
}

void SotowakuCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  {
    TSotowaku dialog(main);
    dialog.Prepare(child);
    dialog.exec();
  }
  if (main) main->Window()->raise();
}
