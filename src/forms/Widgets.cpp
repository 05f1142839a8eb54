#include "forms/Widgets.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

QButtonGroup *AddRadioGroup(QWidget *owner, QBoxLayout *layout, const QString &name,
                            const QString &title, const QStringList &items, int columns) {
  auto *box = new QGroupBox(title, owner);
  box->setObjectName(name);
  auto *grid = new QGridLayout(box);
  auto *group = new QButtonGroup(box);
  group->setExclusive(true);
  const int rows = (int(items.size()) + columns - 1) / std::max(columns, 1);
  for (int i = 0; i < items.size(); ++i) {
    auto *radio = new QRadioButton(items[i], box);
    group->addButton(radio, i);
    grid->addWidget(radio, i % rows, i / rows);
  }
  layout->addWidget(box);
  return group;
}

QPushButton *AddOkCancel(QDialog *dialog, QBoxLayout *layout, const QString &okCaption) {
  auto *row = new QHBoxLayout;
  auto *ok = new QPushButton(okCaption, dialog);
  auto *cancel = new QPushButton(QStringLiteral("キャンセル"), dialog);
  ok->setObjectName(QStringLiteral("bOK"));
  cancel->setObjectName(QStringLiteral("bCancel"));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  cancel->setAutoDefault(false);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  return ok;
}

void CentreOnMain(QWidget *window, QWidget *main) {
  if (!main) return;
  const QRect m = main->frameGeometry();
  window->move(m.left() + (m.width() - window->width()) / 2,
               m.top() + (m.height() - window->height()) / 2);
}

ApplyButtons AddApplyButtons(QDialog *dialog, QPoint topLeft, int width) {
  ApplyButtons b{new QPushButton(QStringLiteral("OK"), dialog),
                 new QPushButton(QStringLiteral("キャンセル"), dialog),
                 new QPushButton(QStringLiteral("リセット"), dialog), topLeft.y()};
  for (QPushButton *button : {b.ok, b.cancel, b.reset}) {
    button->setAutoDefault(false);
    button->setGeometry(topLeft.x(), b.bottom, width, 26);
    b.bottom += 32;
  }
  b.ok->setDefault(true);
  return b;
}
