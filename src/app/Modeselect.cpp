// The first-start choice of screen: only a button writes "UIMode", so a
// dialog closed without choosing leaves it empty.
#include "app/Modeselect.h"

#include "platform/Settings.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TModeSelectForm::TModeSelectForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ModeSelectForm"));
  setWindowTitle(QStringLiteral("初回起動時の画面モード選択"));
  setModal(true);

  auto *box = new QVBoxLayout(this);
  const auto addLabel = [this, box](const QString &text, int indent = 0) {
    auto *label = new QLabel(text, this);
    label->setIndent(indent);
    box->addWidget(label);
  };
  addLabel(QStringLiteral("フォトレタッチＶＥＬＭＩＲをご利用いただきありがとうございます。"));
  addLabel(QStringLiteral("ＶＥＬＭＩＲでは、次の２種類の画面構成をご利用いただけます。"));
  box->addSpacing(8);
  addLabel(QStringLiteral("１：通常のＭＤＩインターフェイス"));
  addLabel(QStringLiteral("ＶＥＬＭＩＲ全機能が使用可能です。"), 24);
  addLabel(QStringLiteral("フォトレタッチに慣れた方にはお勧めです。"), 24);
  box->addSpacing(8);
  addLabel(QStringLiteral("２：ブラウザ風のガイダンスメニュー方式"));
  addLabel(QStringLiteral("ガイダンスに従って操作を進めることができます。"), 24);
  addLabel(QStringLiteral("フォトレタッチソフトには不慣れな方にお勧めです。"), 24);
  box->addSpacing(8);
  addLabel(QStringLiteral("なお、起動後は、どちらの画面でも自由に切替えできます。"));
  box->addSpacing(8);

  auto *normal = new QPushButton(QStringLiteral("通常のＭＤＩインターフェイスで起動する"), this);
  normal->setObjectName(QStringLiteral("bNormal"));
  auto *guidance = new QPushButton(QStringLiteral("ガイダンスメニュー方式画面で起動する"), this);
  guidance->setObjectName(QStringLiteral("bGuidance"));
  box->addWidget(normal);
  box->addWidget(guidance);

  connect(normal, &QPushButton::clicked, this, [this] {
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    accept();
  });
  connect(guidance, &QPushButton::clicked, this, [this] {
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("GUIDANCE"));
    accept();
  });
}
