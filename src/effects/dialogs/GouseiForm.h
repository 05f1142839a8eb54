// "画像貼付": a picture (the clipboard's, or rendered text) pasted into the
// document where the user drags it, combined with one of the ten blend
// modes and a transparency, optionally leaving out its background colour.
#pragma once

#include "effects/Composite.h"
#include "forms/DocumentDialog.h"
#include "image/DibHandle.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QScrollArea;
class QSlider;

// The document at the view scale with the pasted picture on top of it,
// which the mouse drags.
class CompositeView : public QWidget {
  Q_OBJECT
public:
  explicit CompositeView(QWidget *parent);

  // The document and the pasted picture as shown, and the pasted one with
  // its key colour transparent.
  void SetPictures(const QImage &document, const QImage &pasted, const QImage &keyed);
  // Whether the pasted picture's key colour is drawn transparent.
  void SetKeyTransparent(bool transparent);
  // Top-left of the shown pasted picture, in screen pixels.
  QPoint PastedPos() const { return pos_; }
  void SetPastedPos(QPoint pos);
  QSize PastedSize() const { return pasted_.size(); }
  QSize DocumentSize() const { return document_.size(); }

signals:
  // The mouse let the dragged picture go.
  void Dropped();

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  QImage document_;
  QImage pasted_;
  QImage keyed_; // the pasted picture with its key colour transparent
  bool keyTransparent_ = false;
  QPoint pos_;
  bool dragging_ = false;
  QPoint grab_; // where in the picture the mouse holds it
};

class TGouseiForm : public DocumentDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Gousei";
  // The whole document is shown in a square of this side.
  static constexpr int kViewSide = 336;

  explicit TGouseiForm(Host *main);
  ~TGouseiForm() override;

  // With the clipboard's picture: false (nothing shown, no message) when the
  // clipboard holds no bitmap or it cannot be read.
  bool Prepare(Document *child);
  // With a picture handed over (text insertion); false without one.
  bool Prepare(Document *child, DibHandle pasted);
  // Opened by text insertion: the rendered text's smoothing and colours.
  void SetTextInsertion(bool antiAliased, uint32_t textRgb, uint32_t backgroundRgb);

  void bOKClick();
  void bCancelClick();
  void bPreviewClick();
  void bCenterClick();
  // The fine adjustment: the pasted picture moved by one screen pixel.
  void Nudge(int dx, int dy);

  // The placement in document pixels.
  QPoint Offset() const { return offset_; }
  double Scale() const { return scale_; }
  CompositeOptions Options() const;
  // A copy of the document copy with the composite.
  DibHandle Composed() const;
  IMGHANDLE DocumentCopy() const { return document_.get(); }
  IMGHANDLE Pasted() const { return pasted_.get(); }

  QButtonGroup *rgMethod = nullptr;     // the ten blend modes
  QSlider *tbTransparency = nullptr;    // 0 ... 100
  QLabel *lTransparency = nullptr;      // its number
  QButtonGroup *rgBackground = nullptr; // 0 none, 1 bottom-left colour
  QCheckBox *cbAntiAlias = nullptr;
  QButtonGroup *rgView = nullptr; // 0 whole view, 1 actual size
  CompositeView *view = nullptr;
  QScrollArea *scroll = nullptr;

private:
  bool Setup(Document *child, DibHandle pasted);
  void LayoutView();
  void TakeOffset();
  void BackgroundChanged();
  void AntiAliasChanged();
  // `image` as shown at `size` (8 bits first on a palette display); with
  // `keyed` its bottom-left colour transparent.
  QImage Shown(IMGHANDLE image, QSize size, bool keyed = false) const;

  DibHandle document_;
  DibHandle pasted_;
  QPoint offset_;
  double scale_ = 1.0;
  bool textInsertion_ = false;
  bool textAntiAliased_ = false;
  uint32_t textRgb_ = 0, backgroundRgb_ = 0xffffff;
};

// "現在の画像中に合成貼付(&M)": the clipboard's picture pasted into the
// active document.
void GouseiCommand(Host *main, Document *child);
