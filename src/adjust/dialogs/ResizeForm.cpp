#include "adjust/dialogs/ResizeForm.h"

#include "adjust/Fresize.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "forms/Widgets.h"
#include "image/Dib.h"
#include "platform/UserDialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cmath>
#include <cstdint>
#include <utility>

namespace {

QString CaptionOf(int method) {
  switch (method) {
  case TResizeForm::Oversampling: return QStringLiteral("高画質縮小（オーバーサンプリング法）");
  case TResizeForm::Bilinear: return QStringLiteral("高画質拡大（２次元線形補間法）");
  default: return QStringLiteral("拡大縮小（通常法）");
  }
}

// The whole number an edit holds; 0 when it holds none.
int EditValue(const QLineEdit *edit) {
  bool ok = false;
  const int v = edit->text().toInt(&ok);
  return ok ? v : 0;
}

// Moves the document to `resized`, with one edit-history entry, and shows
// it from the top left corner. False (document untouched) when the image
// could not be made.
bool ShowResized(Document *child, DibHandle resized) {
  if (!resized) return false;
  child->RecordUndo();
  child->Picture() = std::move(resized);
  child->ResetArea();
  child->Commit();
  return true;
}

// The resize of the document; the two high-quality methods run under the
// wait window.
bool Resize(Host *main, Document *child, int method, int width, int height) {
  if (method == TResizeForm::Normal)
    return ShowResized(child,
                       ResizedImage(child->Picture().get(), width, height, ResizeMethod::Normal));
  TfWaitMess *wait = main ? main->WaitWindow() : nullptr;
  if (wait) wait->Begin(height + 20);
  const ResizeMethod quality =
      method == TResizeForm::Oversampling ? ResizeMethod::Oversampling : ResizeMethod::Bilinear;
  DibHandle resized = ResizedImage(child->Picture().get(), width, height, quality, wait);
  if (wait) wait->End();
  return ShowResized(child, std::move(resized));
}

} // namespace

TResizeForm::TResizeForm(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("ResizeForm"));
  setWindowTitle(QStringLiteral("縮小／拡大"));
  setModal(true);
  auto *box = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  // Sizes are whole pixels: the edits take digits only.
  auto *digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  int row = 0;
  for (auto [edit, label] :
       {std::pair{Edit1, QStringLiteral("横")}, {Edit2, QStringLiteral("縦")}}) {
    edit->setValidator(digits);
    edit->setAlignment(Qt::AlignRight);
    auto *caption = new QLabel(label, this);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("ﾋﾟｸｾﾙ"), this), row, 2);
    ++row;
  }
  box->addLayout(grid);
  RadioGroup = AddRadioGroup(this, box, QStringLiteral("RadioGroup"), QStringLiteral("縦横比率"),
                             {QStringLiteral("比率固定"), QStringLiteral("任意比率")}, 2);
  RadioGroup->button(0)->setChecked(true);
  connect(Edit1, &QLineEdit::textChanged, this, &TResizeForm::Edit1Change);
  connect(Edit2, &QLineEdit::textChanged, this, &TResizeForm::Edit2Change);
  QPushButton *ok = AddOkCancel(this, box);
  connect(ok, &QPushButton::clicked, this, &TResizeForm::bOKClick);
  setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

void TResizeForm::Prepare(Document *child, int m) {
  child_ = child;
  method = m;
  setWindowTitle(CaptionOf(m));
  RadioGroup->button(0)->setChecked(true);
  width_ = child ? child->Width() : 0;
  height_ = child ? child->Height() : 0;
  changing_ = true;
  Edit1->setText(QString::number(width_));
  Edit2->setText(QString::number(height_));
  changing_ = false;
}

void TResizeForm::SetCoupled(QLineEdit *edit, int value) {
  changing_ = true;
  edit->setText(QString::number(value));
  changing_ = false;
}

// The partner of a size with the picture's ratio kept, rounded down. Whole
// numbers throughout: a floating-point ratio can land just below the exact
// result (49 x 1/49 gives 0.999...).
int TResizeForm::Coupled(const QLineEdit *edit, int numerator, int denominator) {
  bool ok = false;
  const double value = edit->text().toDouble(&ok);
  if (!ok || denominator <= 0) return -1;
  return int(int64_t(std::trunc(value)) * numerator / denominator);
}

void TResizeForm::Edit1Change() {
  if (changing_ || RadioGroup->checkedId() != 0) return;
  const int v = Coupled(Edit1, height_, width_);
  if (v >= 0) SetCoupled(Edit2, v);
}

void TResizeForm::Edit2Change() {
  if (changing_ || RadioGroup->checkedId() != 0) return;
  const int v = Coupled(Edit2, width_, height_);
  if (v >= 0) SetCoupled(Edit1, v);
}

void TResizeForm::bOKClick() {
  const int w = EditValue(Edit1), h = EditValue(Edit2);
  if (w < 1 || h < 1) return;
  if (!child_ || !child_->Picture()) {
    reject();
    return;
  }
  setEnabled(false);
  const bool done = Resize(main_, child_, method, w, h);
  setEnabled(true);
  if (!done) UserDialogs::OutOfMemory(this);
  accept();
}

void TResizeForm::showEvent(QShowEvent *event) {
  DocumentDialog::showEvent(event);
  Edit1->setFocus();
  Edit1->selectAll();
}

void ResizeCommand(Host *main, Document *child, int method) {
  if (!child || !child->Picture()) return;
  if (method != TResizeForm::Normal && child->BitCount() < 16) return;
  {
    TResizeForm dialog(main);
    dialog.Prepare(child, method);
    dialog.exec();
  }
  if (main) main->Window()->raise();
}

void AspectCommand(Host *main, Document *child, bool toFiveFour) {
  if (!child || !child->Picture()) return;
  const int height =
      toFiveFour ? AspectHeight43To54(child->Height()) : AspectHeight54To43(child->Height());
  if (child->BitCount() > 8) {
    TResizeForm dialog(main);
    dialog.Prepare(child, TResizeForm::Oversampling);
    dialog.RadioGroup->button(1)->setChecked(true);
    dialog.Edit1->setText(QString::number(child->Width()));
    dialog.Edit2->setText(QString::number(height));
    dialog.bOKClick();
  } else {
    DibHandle resized(Kit.ImgKitImageSize(child->Picture().get(), "VELMIR", "解像度補正処理中",
                                          child->Width(), height));
    if (!ShowResized(child, std::move(resized))) UserDialogs::OutOfMemory(WindowOf(main));
  }
  if (main) main->Window()->raise();
}
