// "モザイク処理": pixelates the document in square blocks of 2 ... 16 pixels;
// the size is remembered as "Mozic".
#pragma once

#include "forms/DocumentDialog.h"

class QLabel;
class QSlider;
class Document;
class Host;

class TMozicForm : public DocumentDialog {
  Q_OBJECT
public:
  explicit TMozicForm(Host *main);

  // Stores the document window; the size back to 4.
  void Prepare(Document *child);
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
};
