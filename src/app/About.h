// The about box with the program's version.
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
  Q_OBJECT
public:
  explicit TAboutBox(QWidget *parent = nullptr);
};

// The version text shown in the about box.
QString VersionText();
