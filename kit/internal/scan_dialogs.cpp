#include "scan_dialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace kit {

std::string ChooseDevice(void *window, const std::vector<ScanDevice> &devices,
                         const std::string &current) {
  QDialog dialog(static_cast<QWidget *>(window));
  dialog.setObjectName(QStringLiteral("ScanSelect"));
  dialog.setWindowTitle(QStringLiteral("機器の選択"));
  auto *layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("取込みに使う機器を選んでください"), &dialog));
  auto *list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("DeviceList"));
  for (const ScanDevice &d : devices) {
    auto *item = new QListWidgetItem(
        QString::fromStdString(d.name) +
            (d.label.empty()
                 ? QString()
                 : QStringLiteral("  (") + QString::fromStdString(d.label) + QStringLiteral(")")),
        list);
    item->setData(Qt::UserRole, QString::fromStdString(d.name));
    if (d.name == current) list->setCurrentItem(item);
  }
  if (!list->currentItem()) list->setCurrentRow(0);
  layout->addWidget(list);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  dialog.resize(420, 240);
  if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return {};
  return list->currentItem()->data(Qt::UserRole).toString().toStdString();
}

struct ScanProgressDialog::Impl {
  QProgressDialog dialog;
  explicit Impl(QWidget *parent) : dialog(parent) {}
};

ScanProgressDialog::ScanProgressDialog(void *window, const std::string &what)
    : impl_(std::make_unique<Impl>(static_cast<QWidget *>(window))) {
  QProgressDialog &d = impl_->dialog;
  d.setObjectName(QStringLiteral("ScanProgress"));
  d.setWindowTitle(QStringLiteral("VELMIR"));
  d.setLabelText(QString::fromStdString(what));
  d.setCancelButtonText(QStringLiteral("中止"));
  d.setWindowModality(Qt::WindowModal);
  d.setMinimumDuration(0);
  d.setAutoClose(false);
  d.setAutoReset(false);
  d.setRange(0, 0);
  d.show();
  QCoreApplication::processEvents();
}

ScanProgressDialog::~ScanProgressDialog() = default;

void ScanProgressDialog::SetText(const std::string &what) {
  impl_->dialog.setLabelText(QString::fromStdString(what));
  impl_->dialog.setValue(0);
}

bool ScanProgressDialog::Update(int64_t done, int64_t total) {
  QProgressDialog &d = impl_->dialog;
  if (total > 0) {
    // Permille keeps the range within int for any page size.
    if (d.maximum() != 1000) d.setRange(0, 1000);
    d.setValue(static_cast<int>(std::min<int64_t>(1000, done * 1000 / total)));
  }
  QCoreApplication::processEvents();
  return !d.wasCanceled();
}

} // namespace kit
