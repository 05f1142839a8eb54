// The first-start dialog that chooses between the normal screen and the
// guidance screen; writes "UIMode".
#pragma once

#include <QDialog>

class TModeSelectForm : public QDialog {
  Q_OBJECT
public:
  explicit TModeSelectForm(QWidget *parent = nullptr);
};
