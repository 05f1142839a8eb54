// The browser's slide show: the marked images one after another full
// screen, each for the interval of the browser's box (0: until a key). Any
// key, a press on the picture or the timer moves on; Esc ends the show. The
// next picture is read and prepared on a worker thread while the current
// one is shown.
#pragma once

#include "browser/ScreenPicture.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <future>
#include <memory>

class FullScreenWindow;
class TFullScreenView;
class TfWaitMess;

class TSlideShow : public QObject {
  Q_OBJECT
public:
  // `over`: the window whose screen the show covers.
  TSlideShow(QWidget *over, QStringList paths, int intervalMs, bool highQuality, int displayColours,
             TfWaitMess *wait = nullptr);
  ~TSlideShow() override;

  // Puts up the curtain and the first readable picture; finished comes at
  // once when none can be read.
  void Start();
  bool Running() const { return running_; }
  int Current() const { return current_; } // index into the paths, -1 when none is up
  int ShownCount() const { return shown_; }
  int IntervalMs() const { return intervalMs_; }
  // The picture being prepared behind the one shown; -1 for none.
  int AheadIndex() const { return aheadIndex_; }
  TFullScreenView *View() const { return view_.get(); }

signals:
  void finished();

private:
  void ShowFrom(int index);
  ScreenPicture Take(int index);
  void Prepare(int index);
  void ViewFinished(int result);
  void End(bool notify = true);

  QPointer<QWidget> over_;
  const QStringList paths_;
  const int intervalMs_;
  ScreenPictureOptions options_;
  TfWaitMess *wait_;
  std::unique_ptr<FullScreenWindow> curtain_;
  std::unique_ptr<TFullScreenView> view_;
  std::future<ScreenPicture> ahead_;
  int aheadIndex_ = -1;
  int current_ = -1;
  int shown_ = 0;
  bool running_ = false;
};
