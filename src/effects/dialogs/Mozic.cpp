#include "effects/dialogs/Mozic.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"
#include "platform/Settings.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
const QString kSettingName = QStringLiteral("Mozic");
constexpr int kMinimum = 2;
constexpr int kMaximum = 16;
constexpr int kDefault = 4;
} // namespace

TMozicForm::TMozicForm(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("MozicForm"));
  setWindowTitle(QStringLiteral("モザイク処理"));
  setModal(true);
  auto *box = new QVBoxLayout(this);
  auto *row = new QGridLayout;
  TrackBar1 = new QSlider(Qt::Horizontal, this);
  TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
  TrackBar1->setRange(kMinimum, kMaximum);
  TrackBar1->setPageStep(2);
  TrackBar1->setValue(kDefault);
  lValue = new QLabel(this);
  lValue->setObjectName(QStringLiteral("lValue"));
  lValue->setMinimumWidth(32);
  lValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(new QLabel(QStringLiteral("モザイクの大きさ"), this), 0, 0, 1, 2);
  row->addWidget(TrackBar1, 1, 0);
  row->addWidget(lValue, 1, 1);
  box->addLayout(row);
  connect(TrackBar1, &QSlider::valueChanged, this, &TMozicForm::TrackBar1Change);
  TrackBar1Change();
  QPushButton *ok = AddOkCancel(this, box);
  connect(ok, &QPushButton::clicked, this, &TMozicForm::bOKClick);
  setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

void TMozicForm::Prepare(Document *child) {
  child_ = child;
  TrackBar1->setValue(kDefault);
  TrackBar1Change();
}

void TMozicForm::TrackBar1Change() { lValue->setText(QString::number(TrackBar1->value())); }

void TMozicForm::RestoreSettings() {
  CResumeDialog resume;
  // The slider keeps a stored size within its range.
  if (resume.Load(kSettingName) == 0) TrackBar1->setValue(resume.GetInt(0));
  TrackBar1Change();
}

void TMozicForm::bOKClick() {
  if (child_ && child_->Picture()) {
    const int size = TrackBar1->value();
    child_->RecordUndo();
    Kit.ImgKitMosaic(child_->Picture().get(), "VELMIR", "モザイク処理中", size);
    child_->Commit();
    CResumeDialog resume;
    resume.AddInt(size);
    resume.Save(kSettingName);
  }
  accept();
}

void TMozicForm::showEvent(QShowEvent *event) {
  RestoreSettings();
  DocumentDialog::showEvent(event);
}
