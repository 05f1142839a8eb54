#include "app/About.h"

#include "app/Icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef VELMIR_VERSION
#define VELMIR_VERSION "0.0.0"
#endif

QString VersionText() {
  return QStringLiteral("フォトレタッチ VELMIR バージョン %1").arg(QStringLiteral(VELMIR_VERSION));
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto *logo = new QLabel(this);
  logo->setPixmap(ButtonGlyph(QStringLiteral("V"), Glyph::File).pixmap(48, 48));
  logo->setAlignment(Qt::AlignTop);

  auto *name = new QLabel(QStringLiteral("VELMIR"), this);
  name->setObjectName(QStringLiteral("ProductName"));
  name->setStyleSheet(QStringLiteral("font-size: 18pt; font-weight: bold;"));
  auto *version = new QLabel(VersionText(), this);
  version->setObjectName(QStringLiteral("Version"));
  auto *comment = new QLabel(QStringLiteral("デジカメ写真やスキャン画像を手軽に綺麗にする\n"
                                            "フォトレタッチソフトです。"),
                             this);

  auto *texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(version);
  texts->addSpacing(8);
  texts->addWidget(comment);
  auto *top = new QHBoxLayout;
  top->addWidget(logo);
  top->addSpacing(12);
  top->addLayout(texts, 1);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
