// The resize dialog "縮小／拡大": a new width and height, coupled by the
// picture's ratio or free, and one of three methods: the kit's plain
// resize, the area-average reduction or the bilinear resampling. Also the
// two aspect commands, which drive it unseen for full-colour images.
#pragma once

#include "forms/DocumentDialog.h"

class QButtonGroup;
class QLineEdit;
class Document;
class Host;

class TResizeForm : public DocumentDialog {
  Q_OBJECT
public:
  enum Method { Normal = 0, Oversampling = 1, Bilinear = 2 };

  explicit TResizeForm(Host *main);

  // Stores the document window and the method (which sets the caption),
  // fills the edits with the image size and fixes the ratio.
  void Prepare(Document *child, int method);
  // OK: nothing while either size is below 1; otherwise one edit-history
  // entry, the resize, the document refreshed; closes.
  void bOKClick();

  int method = Normal;
  QLineEdit *Edit1 = nullptr;         // "横", pixels
  QLineEdit *Edit2 = nullptr;         // "縦", pixels
  QButtonGroup *RadioGroup = nullptr; // "縦横比率": 0 "比率固定", 1 "任意比率"

protected:
  void showEvent(QShowEvent *event) override;

private:
  void Edit1Change();
  void Edit2Change();
  static int Coupled(const QLineEdit *edit, int numerator, int denominator);
  // Writes `edit` without letting its change handler write back.
  void SetCoupled(QLineEdit *edit, int value);

  // The picture's size at prepare time, whose ratio couples the edits.
  int width_ = 0;
  int height_ = 0;
  bool changing_ = false; // the guard: an edit is being written by its partner
};

// The resize commands: "通常法での拡大/縮小(&N)" on any document, the two
// high-quality ones on full colour only.
void ResizeCommand(Host *main, Document *child, int method);
// "4:3画面用画像を5:4画面用に補正(&1)" (toFiveFour) and
// "5:4画面用画像を4:3画面用に補正(&2)": the height by 16/15 or 15/16.
void AspectCommand(Host *main, Document *child, bool toFiveFour);
