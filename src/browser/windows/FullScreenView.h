// The full-screen view of the slide show and of the main window's cut: one
// picture centred on a black screen. For the slide show its timer, a key or
// a press on the picture moves on (Esc ends the show); for a cut it shows
// the crop panel ("Cut Tool"), where a frame is marked on the picture and
// the framed part of the full image goes to the clipboard.
#pragma once

#include "browser/ScreenPicture.h"
#include "forms/FullScreenWindow.h"
#include "image/DibHandle.h"

#include <functional>

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TfWaitMess;

// Where the crop view shows a w x h picture on a W x H screen: reduced by
// the floating-point scale max(w / W, h / H) when it is larger than the
// screen (sizes truncated), else at scale 1.
struct CropLayout {
  double scale = 1.0;
  QSize display;
};
CropLayout CropLayoutFor(QSize picture, QSize screen);

// The marked frame in full-image pixels, as the crop panel's labels show it.
struct CropMarks {
  bool any = false;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0, width = 0, height = 0;
};
// `frame` and `picture` in screen pixels, `image` the full picture's size.
CropMarks MarksOfFrame(QRect frame, QRect picture, QSize image);

class TFullScreenView : public FullScreenWindow {
  Q_OBJECT
public:
  enum Result { Closed = 0, Next = 1, EndShow = 2, CutDone = 3 };

  explicit TFullScreenView(const ScreenArea &area, QWidget *parent = nullptr);

  // ---- slide show --------------------------------------------------------
  // Shows a prepared picture centred on the screen.
  void ShowPicture(const ScreenPicture &picture);
  // Ends the view with Next; interval in milliseconds, 10000 at first,
  // stopped until the caller starts it.
  QTimer *Timer = nullptr;

  // ---- crop --------------------------------------------------------------
  // Turns crop mode on for `image` (the document's, left as it is): the
  // picture reduced to the crop layout (area averaging for full colour,
  // with `wait` shown), the panel at the top right.
  bool StartCrop(IMGHANDLE image, int displayColours, TfWaitMess *wait,
                 const DisplayProfile &profile = {});
  bool CropMode() const { return cropMode_; }
  bool CutMade() const { return cutMade_; }
  double Scale() const { return scale_; }
  QRect PictureRect() const { return picture_; }
  QRect Selection() const { return frame_; }
  const CropMarks &Marks() const { return marks_; }
  const QImage &Frame() const { return bitmap_; }

  // The crop panel and its controls.
  QFrame *CutPanel = nullptr;
  QLabel *TitleTab = nullptr; // "Cut Tool": drags the panel
  QPushButton *bFree = nullptr;
  QPushButton *bAll = nullptr;
  QPushButton *bSize[4] = {}; // "640*480" ... "1280*1024"
  QLineEdit *edWidth = nullptr;
  QLineEdit *edHeight = nullptr;
  QLabel *lbX0 = nullptr, *lbY0 = nullptr, *lbX1 = nullptr, *lbY1 = nullptr;
  QLabel *lbWidth = nullptr, *lbHeight = nullptr;
  QPushButton *bCut = nullptr;
  QPushButton *bCancel = nullptr;

  // What the panel's buttons do.
  void SelectAll();
  void SelectImagePixels(int width, int height); // a centred frame of that many image pixels
  void SetSelection(QRect frame);                // screen pixels; empty clears it
  // "切取": the marked part of the full image to the clipboard and close, or
  // the empty-range message.
  void CutClick();

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildPanel();
  void ShowMarks();
  void TypedSize();
  QRect Centred(QSize size) const;

  QImage bitmap_;
  QRect picture_;
  IMGHANDLE image_ = nullptr; // the full picture of a cut, not owned
  QSize imageSize_;
  double scale_ = 1.0;
  bool cropMode_ = false;
  bool cutMade_ = false;
  QRect frame_;
  CropMarks marks_;
  enum class Drag { None, Draw, Move, Panel } drag_ = Drag::None;
  QPoint dragStart_;
  QRect frameAtStart_;
  QPoint panelAtStart_;
  QButtonGroup *modes_ = nullptr;
};

// The main window's cut: the crop view over `image` on the screen `over` is
// on, with a curtain behind it. True when a cut went to the clipboard.
bool RunCropView(QWidget *over, IMGHANDLE image, int displayColours, TfWaitMess *wait,
                 const DisplayProfile &profile = {});

// Puts up the curtain on the screen `over` is on, prepares the picture with
// `prepare` (given the options for that screen; it may show the wait window)
// and shows it until a click or a key. Nothing is shown for a null picture.
void ShowFullScreenWith(QWidget *over,
                        const std::function<ScreenPicture(ScreenPictureOptions)> &prepare);

// The browser's simple view of `path`: the curtain goes up, the picture is
// read and prepared ("FullScrHQ": `highQuality`, with the wait window) and
// shown until a click or a key. An unreadable file closes it at once.
void ShowFileFullScreen(QWidget *over, const QString &path, bool highQuality, int displayColours,
                        TfWaitMess *wait);

// The options to prepare a picture for the screen `over` is on.
ScreenPictureOptions ScreenOptionsFor(const QWidget *over);
