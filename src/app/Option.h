// The options dialog: edits the general settings, the JPEG quality and the
// plug-in folder.
#pragma once

#include <QDialog>

#include <memory>

class TOptionForm : public QDialog {
  Q_OBJECT
public:
  // `programFolder` is what "リセット" puts in the plug-in folder box: the
  // folder the shipped plug-ins are installed in, which stays the program
  // folder also where the setup path moves to the data folder.
  TOptionForm(QWidget *parent, const QString &programFolder);
  ~TOptionForm() override;
  // Opens on the page with this title ("JPEG" first; "一発補正" for the
  // automatic-correction customisation).
  void ShowPage(const QString &title);

  // OK: every control into its setting, written at once. Cancel: the values
  // the dialog may have touched go back to what they were.
  void accept() override;
  void reject() override;

  struct Controls; // the form's controls, kept out of this header

protected:
  void showEvent(QShowEvent *event) override;

private:
  void FormShow();
  void cbGMClick();
  void cbColorClick();

  std::unique_ptr<Controls> c_;
  QString programFolder_;
  int keptJpegQuality_ = 0;
  int keptAutoScaleParam_ = 0;
  int keptDisp8BitSupportsPalette_ = 0;
};
