#include "browser/windows/RenameRule.h"

#include "forms/Widgets.h"
#include "platform/Settings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TRenameRule::TRenameRule(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("連番ルール"));
  setObjectName(QStringLiteral("RenameRule"));
  setModal(true);
  auto *outer = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  edCommon = new QLineEdit(this);
  edCommon->setObjectName(QStringLiteral("edCommon"));
  form->addRow(QStringLiteral("共通部分"), edCommon);
  outer->addLayout(form);
  rgDigits = AddRadioGroup(
      this, outer, QStringLiteral("rgDigits"), QStringLiteral("連番の桁数"),
      {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}, 4);
  auto *startRow = new QFormLayout;
  edStart = new QLineEdit(this);
  edStart->setObjectName(QStringLiteral("edStart"));
  edStart->setValidator(new QIntValidator(0, 99999999, edStart));
  startRow->addRow(QStringLiteral("連番開始数"), edStart);
  outer->addLayout(startRow);
  QPushButton *ok = AddOkCancel(this, outer, QStringLiteral("ＯＫ"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  const RenameRule rule = ReadRenameRule();
  edCommon->setText(rule.common);
  if (QAbstractButton *b = rgDigits->button(rule.digitsIndex)) b->setChecked(true);
  edStart->setText(QString::number(rule.start));
}

RenameRule TRenameRule::Rule() const {
  RenameRule rule;
  rule.common = edCommon->text();
  rule.digitsIndex = std::max(rgDigits->checkedId(), 0);
  rule.start = SettingNumber(edStart->text());
  return rule;
}

void TRenameRule::done(int result) {
  // What was typed is remembered however the dialog closes.
  WriteRenameRule(Rule());
  QDialog::done(result);
}
