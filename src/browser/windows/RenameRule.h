// "連番ルール": the pattern of the numbered rename. It shows the remembered
// record and stores what the fields hold on every close, OK or Cancel.
#pragma once

#include "browser/BrowserOptions.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;

class TRenameRule : public QDialog {
  Q_OBJECT
public:
  explicit TRenameRule(QWidget *parent = nullptr);

  RenameRule Rule() const;

  QLineEdit *edCommon = nullptr;    // "共通部分"
  QButtonGroup *rgDigits = nullptr; // "連番の桁数": 1 ... 4
  QLineEdit *edStart = nullptr;     // "連番開始数"

  void done(int result) override;
};
