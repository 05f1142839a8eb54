#include "forms/PreviewDialog.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "forms/Widgets.h"
#include "image/Dib.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// The integers stored under `name`, field by field.
std::vector<std::optional<int>> Remembered(const QString &name, size_t count) {
  std::vector<std::optional<int>> values(count);
  CResumeDialog resume;
  if (resume.Load(name) != 0) return values;
  for (size_t i = 0; i < count; ++i) {
    bool ok = false;
    const int v = resume.GetText(static_cast<int>(i)).toInt(&ok);
    if (ok) values[i] = v;
  }
  return values;
}

void Remember(const QString &name, const std::vector<int> &values) {
  CResumeDialog resume;
  for (int v : values)
    resume.AddInt(v);
  resume.Save(name);
}
constexpr int kControlsWidth = 272;
} // namespace

PreviewDialog::PreviewDialog(Host *main, const QString &caption, QPoint frame, int frameSide)
    : DocumentDialog(main), frame_(frame), frameSide_(frameSide) {
  setWindowTitle(caption);
  setModal(true);
  auto *controls = new QWidget(this);
  controls_ = new QVBoxLayout(controls);
  controls_->setContentsMargins(0, 0, 0, 0);
  controls->setGeometry(8, 8, std::max(kControlsWidth, frame.x() - 16), 10);

  const ApplyButtons buttons =
      AddApplyButtons(this, QPoint(frame.x(), frame.y() + frameSide + 12), frameSide);
  connect(buttons.ok, &QPushButton::clicked, this, &PreviewDialog::bOKClick);
  connect(buttons.cancel, &QPushButton::clicked, this, &PreviewDialog::bCancelClick);
  connect(buttons.reset, &QPushButton::clicked, this, &PreviewDialog::bResetClick);
  setFixedSize(frame.x() + frameSide + 12, std::max(buttons.bottom + 4, 200));
}

PreviewDialog::~PreviewDialog() = default;

QString PreviewDialog::ValueText(int position) {
  return QString::number(position) + QStringLiteral(" %");
}

void PreviewDialog::Prepare(Document *child) {
  child_ = child;
  if (!child_) return;
  source_ = MakePreviewSource(child_);
  if (source_) shown_.reset(Kit.ImgKitCopy(source_.get(), "", ""));
  ConvertForDisplay();
  PlacePreview();
  recomputing_ = false;
  ResetControls();
  RefreshValueTexts();
  if (const char *name = SettingsName()) {
    RestoreSettings(Remembered(QString::fromLatin1(name), SettingValues().size()));
    Recompute();
    RefreshValueTexts();
  }
  // Let the controls grow the dialog when a subclass added many of them.
  if (QWidget *box = controls_->parentWidget()) {
    box->adjustSize();
    box->resize(std::max(kControlsWidth, frame_.x() - 16), box->sizeHint().height());
    if (box->height() + 16 > height()) setFixedHeight(box->height() + 16);
  }
}

DibHandle PreviewDialog::MakePreviewSource(Document *child) {
  return DibHandle(Kit.ImgKitCopy(child->PreviewImage(), "", ""));
}

// The shown preview centred in the frame (its size may change with the
// controls, as a turned picture's does).
void PreviewDialog::PlacePreview() {
  int w = 0, h = 0;
  if (shown_) {
    const auto *header = static_cast<const IMGKIT_BMIH *>(shown_.get());
    w = header->biWidth;
    h = header->biHeight;
  }
  origin_ = QPoint(frame_.x() + (frameSide_ - w) / 2, frame_.y() + (frameSide_ - h) / 2);
}

QRect PreviewDialog::PreviewRect() const {
  if (!shown_) return {};
  const auto *header = static_cast<const IMGKIT_BMIH *>(shown_.get());
  return QRect(origin_, QSize(header->biWidth, header->biHeight));
}

QRect PreviewDialog::FrameRect() const { return QRect(frame_, QSize(frameSide_, frameSide_)); }

void PreviewDialog::ConvertForDisplay() {
  if (!main_ || main_->DisplayColourCount() != 256 || !shown_) return;
  shown_.Adopt(Kit.ImgKitConvertColor(shown_.get(), 8, 1, 1, "", ""));
}

void PreviewDialog::Recompute() {
  if (recomputing_ || !source_ || PreviewFrozen()) return;
  if (MakesNewPicture()) {
    DibHandle made = NewPicture(source_.get(), nullptr);
    if (!made) return;
    shown_ = std::move(made);
  } else if (IsKitAdjustment()) {
    shown_.reset(Kit.ImgKitCopy(source_.get(), "", ""));
    if (shown_) KitAdjust(shown_.get(), "", "");
  } else {
    DibHandle work(Kit.ImgKitCopy(source_.get(), "", ""));
    if (!work) return;
    {
      TMDIB dib(work.get());
      Adjust(dib, nullptr);
    }
    shown_ = std::move(work);
  }
  ConvertForDisplay();
  PlacePreview();
  update();
}

void PreviewDialog::Adjust(TMDIB &, Progress *) {}

DibHandle PreviewDialog::NewPicture(IMGHANDLE, Progress *) { return {}; }

void PreviewDialog::KitAdjust(IMGHANDLE, const char *, const char *) {}

int PreviewDialog::ProgressMaximum() const { return child_ ? child_->Height() : 0; }

void PreviewDialog::bOKClick() {
  if (!child_ || !child_->Picture()) {
    reject();
    return;
  }
  if (!ReadyToApply()) return;
  setEnabled(false);
  if (MakesNewPicture())
    ApplyNew();
  else if (IsKitAdjustment())
    ApplyKit();
  else
    ApplyOwn(main_ ? main_->WaitWindow() : nullptr);
  if (const char *name = SettingsName()) Remember(QString::fromLatin1(name), SettingValues());
  Applied();
  setEnabled(true);
  accept();
}

void PreviewDialog::ApplyOwn(Progress *progress) {
  TfWaitMess *wait = main_ ? main_->WaitWindow() : nullptr;
  bool opened = false;
  if (wait && (AlwaysOwnsWaitWindow() || !wait->isVisible())) {
    wait->Begin(ProgressMaximum());
    opened = true;
  }
  if (!automatic) child_->RecordUndo();
  DibHandle work(Kit.ImgKitCopy(child_->Picture().get(), "", ""));
  if (work) {
    {
      TMDIB dib(work.get());
      Adjust(dib, progress);
    }
    child_->Picture() = std::move(work);
    child_->Commit();
  }
  if (opened) wait->End();
}

void PreviewDialog::ApplyNew() {
  TfWaitMess *wait = main_ ? main_->WaitWindow() : nullptr;
  bool opened = false;
  if (wait && (AlwaysOwnsWaitWindow() || !wait->isVisible())) {
    wait->Begin(ProgressMaximum());
    opened = true;
  }
  Progress *progress = wait && wait->isVisible() ? wait : nullptr;
  DibHandle made = NewPicture(child_->Picture().get(), progress);
  const bool done = static_cast<bool>(made);
  if (done) {
    if (!automatic) child_->RecordUndo();
    bool resized = false;
    {
      const TMDIB result(made.get());
      resized = result.width != child_->Width() || result.height != child_->Height();
    }
    child_->Picture() = std::move(made);
    if (resized) child_->ResetArea();
    child_->Commit();
  }
  if (opened) wait->End();
  if (!done) UserDialogs::OutOfMemory(WindowOf(main_));
}

void PreviewDialog::ApplyKit() {
  if (!automatic) child_->RecordUndo();
  const QByteArray message = KitMessage().toUtf8();
  KitAdjust(child_->Picture().get(), "VELMIR", message.constData());
  child_->Commit();
}

void PreviewDialog::bCancelClick() { reject(); }

void PreviewDialog::bResetClick() {
  recomputing_ = true;
  ResetControls();
  recomputing_ = false;
  Recompute();
  RefreshValueTexts();
}

QSlider *PreviewDialog::AddTrackBar(const QString &label, int minimum, int maximum, int position,
                                    const QString &leftEnd, const QString &rightEnd) {
  auto *row = new QGridLayout;
  auto *caption = new QLabel(label);
  auto *slider = new QSlider(Qt::Horizontal);
  auto *value = new QLabel;
  slider->setRange(minimum, maximum);
  slider->setValue(position);
  slider->setPageStep(std::max(1, (maximum - minimum) / 10));
  value->setMinimumWidth(56);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(caption, 0, 0, 1, 3);
  row->addWidget(slider, 1, 0, 1, 2);
  row->addWidget(value, 1, 2);
  if (!leftEnd.isEmpty() || !rightEnd.isEmpty()) {
    row->addWidget(new QLabel(leftEnd), 2, 0, Qt::AlignLeft);
    row->addWidget(new QLabel(rightEnd), 2, 1, Qt::AlignRight);
  }
  controls_->addLayout(row);
  bars_.push_back({slider, value});
  value->setText(ValueText(position));
  connect(slider, &QSlider::valueChanged, this, [this, value](int v) {
    ControlsChanged();
    Recompute();
    value->setText(ValueText(v));
  });
  return slider;
}

void PreviewDialog::SetTrackBar(QSlider *bar, int position) {
  const bool was = recomputing_;
  recomputing_ = true;
  bar->setValue(position);
  recomputing_ = was;
}

QButtonGroup *PreviewDialog::AddRadioChoice(const QString &name, const QString &title,
                                            const QStringList &items, int columns) {
  QButtonGroup *group = AddRadioGroup(this, controls_, name, title, items, columns);
  connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (!on) return;
    ControlsChanged();
    Recompute();
  });
  return group;
}

void PreviewDialog::SetRadio(QButtonGroup *group, int index) {
  QAbstractButton *button = group->button(index);
  if (!button) return;
  const bool was = recomputing_;
  recomputing_ = true;
  button->setChecked(true);
  recomputing_ = was;
}

void PreviewDialog::RefreshValueTexts() {
  for (const Bar &b : bars_)
    b.value->setText(ValueText(b.slider->value()));
}

void PreviewDialog::paintEvent(QPaintEvent *event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(frame_.x() - 1, frame_.y() - 1, frameSide_ + 1, frameSide_ + 1);
  if (shown_) Kit.ImgKitDisplayXY(&p, shown_.get(), origin_.x(), origin_.y());
}

void PreviewDialog::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter: bOKClick(); return;
  case Qt::Key_Escape: bCancelClick(); return;
  default: QDialog::keyPressEvent(event);
  }
}

bool CanAdjust(const Document *child) { return child && child->Picture(); }

void RaiseMain(Host *main) {
  if (QWidget *window = WindowOf(main)) window->raise();
}
