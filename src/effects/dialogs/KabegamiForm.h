// The wallpaper maker: the active document full screen on black, a
// selection over it chosen with the panel "簡単壁紙作成パネル", and the
// selected part registered as the desktop wallpaper (centred or tiled) or
// written as one of the three start-up and shut-down screens.
#pragma once

#include "effects/Kabegami.h"

#include <QDialog>
#include <QImage>

class Document;
class Host;
class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TKabegamiForm : public QDialog {
  Q_OBJECT
public:
  // Covers the screen the main window of `host` is on.
  TKabegamiForm(Host *host, Document *child);

  // The selection buttons: 0 all, 1 free, 2 ... 9 the fixed sizes.
  void SelectionClick(int id);
  // A target button: writes the selection there and closes; false (the
  // window stays) when nothing was selected or it could not be written.
  bool Register(Kabegami::Target target);

  Kabegami::Rect Picture() const { return picture_; }
  Kabegami::Rect Selection() const { return selection_; }
  bool SelectionShown() const { return selectionShown_; }
  Kabegami::Coordinates Coordinates() const { return coordinates_; }
  Kabegami::Scale ScaleOfPicture() const { return scale_; }
  QFrame *Panel = nullptr;
  QLabel *WaitPanel = nullptr;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;              // keys do not close it
  bool eventFilter(QObject *watched, QEvent *event) override; // the panel's title bars

private:
  enum class Drag { None, New, Move, Resize };
  void SetSelection(const Kabegami::Rect &selection, bool shown = true);
  QRect SelectionBox() const;
  void Failed(const QString &text);

  Host *main_;
  Document *child_;
  QImage shown_;
  Kabegami::Rect picture_;
  Kabegami::Scale scale_;
  Kabegami::Rect selection_;
  bool selectionShown_ = true;
  Kabegami::Coordinates coordinates_;
  QButtonGroup *choices_ = nullptr;
  QLineEdit *coordinateEdits_[6] = {};
  Drag drag_ = Drag::None;
  QPoint dragStart_;
  Kabegami::Rect pressed_;
  QPoint panelGrab_;
  bool panelDragging_ = false;
};

// The command of the maker's button.
void KabegamiCommand(Host *main, Document *child);
