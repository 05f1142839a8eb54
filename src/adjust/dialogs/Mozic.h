// "モザイク処理": pixelates the document in square blocks of 2 ... 16 pixels;
// the size is remembered as "Mozic".
#pragma once

#include <QDialog>

class QLabel;
class QSlider;
class TMDIChild;
class TMainForm;

class TMozicForm : public QDialog {
  Q_OBJECT
public:
  explicit TMozicForm(TMainForm *main);

  // Stores the document window; the size back to 4.
  void Prepare(TMDIChild *child);
  // OK: one edit-history entry, the mosaic, the size stored; closes.
  void bOKClick();
  // Puts the remembered size back (done on show).
  void RestoreSettings();

  QSlider *TrackBar1 = nullptr; // "モザイクの大きさ"
  QLabel *lValue = nullptr;     // the bare number

protected:
  void showEvent(QShowEvent *event) override;

private:
  void TrackBar1Change();

  TMainForm *main_;
  TMDIChild *child_ = nullptr;
};
