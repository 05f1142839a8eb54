// The base of every full-screen window: a borderless black window over the
// whole of one screen (at its device-independent size), run modally or as
// a curtain behind others. It closes by itself when its screen goes away,
// changes its geometry or the screen set-up changes, so no full-screen
// window outlives the screen it was made for.
#pragma once

#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

// The screen a full-screen window covers.
struct ScreenArea {
  QPointer<QScreen> screen; // null only when tests fix the area
  QRect geometry;           // device-independent
  double pixelRatio = 1.0;
};

// The screen `over`'s window is on; the primary screen without one.
ScreenArea ScreenAreaOf(const QWidget *over);
// Tests fix the screen every full-screen window takes (no value: the real
// screens again).
void FixScreenAreaForTesting(const QRect *geometry, double pixelRatio = 1.0);

class FullScreenWindow : public QWidget {
  Q_OBJECT
public:
  explicit FullScreenWindow(const ScreenArea &area, QWidget *parent = nullptr);
  ~FullScreenWindow() override;

  const ScreenArea &Area() const { return area_; }
  QSize ScreenSize() const { return area_.geometry.size(); }

  // Shows the window over its screen; `modal` takes the input of the
  // program (a curtain is not modal).
  void Open(bool modal);
  // Opens modally and returns when the window has finished, with its result.
  int Exec();
  // Hides the window and ends Exec with `result`; later calls do nothing
  // until it is opened again.
  void Finish(int result);
  bool IsOpen() const { return open_; }
  // Whether the window closed because its screen changed or went away.
  bool LostScreen() const { return lostScreen_; }

signals:
  void finished(int result);

protected:
  void paintEvent(QPaintEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void ScreenChanged();

  ScreenArea area_;
  bool open_ = false;
  bool lostScreen_ = false;
  int result_ = 0;
};
