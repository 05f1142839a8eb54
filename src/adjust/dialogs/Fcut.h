// "画像の切取り": cuts a rectangle of a fixed size, a fixed ratio or any size
// out of the document, placed by one of nine anchors; a small picture of
// the whole image shows the rectangle.
#pragma once

#include "image/DibHandle.h"

#include "forms/DocumentDialog.h"
#include <QRect>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class Document;
class Host;

class TCutForm : public DocumentDialog {
  Q_OBJECT
public:
  explicit TCutForm(Host *main);
  ~TCutForm() override;

  // Stores the document window, makes the small picture, sets the edits to
  // the image size and offers the fixed sizes that fit.
  void Prepare(Document *child);
  // OK: one edit-history entry and the cut; closes. Nothing (the dialog
  // stays open) while the rectangle is empty.
  void bOKClick();

  enum Mode { FixedSize = 0, KeepRatio = 1, FreeSize = 2 };
  enum Anchor {
    TopLeft,
    TopCentre,
    TopRight,
    MiddleLeft,
    Centre,
    MiddleRight,
    BottomLeft,
    BottomCentre,
    BottomRight
  };

  // The rectangle to cut, in picture coordinates (y = 0 at the top).
  QRect CropRectangle() const;
  // Its outline over the small picture, in client coordinates.
  QRect CropFrame() const;
  QPoint PictureOrigin() const;

  QRadioButton *rbFixed = nullptr;  // "固定サイズ"
  QRadioButton *rbRatio = nullptr;  // "縦横比固定"
  QRadioButton *rbFree = nullptr;   // "任意サイズ"
  QButtonGroup *rgMode = nullptr;   // the three above, by Mode
  QButtonGroup *rgSize = nullptr;   // 640x480 ... 1280x1024
  QButtonGroup *rgRatio = nullptr;  // current, 4:3, 5:4
  QButtonGroup *rgAnchor = nullptr; // by Anchor, row by row
  QGroupBox *gbSize = nullptr;
  QGroupBox *gbRatio = nullptr;
  QLineEdit *Edit1 = nullptr; // "横"
  QLineEdit *Edit2 = nullptr; // "縦"

protected:
  void paintEvent(QPaintEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void ModeChanged();
  void EditChanged(QLineEdit *edit);
  void EditEntered(QLineEdit *edit);
  // The other dimension for a width or height by the chosen ratio.
  int HeightFor(int width) const;
  int WidthFor(int height) const;
  static int Value(const QLineEdit *edit);
  static void SetValue(QLineEdit *edit, int value);

  DibHandle picture_;
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  int imageWidth_ = 0;
  int imageHeight_ = 0;
  bool updating_ = false; // the edits are setting each other
};
