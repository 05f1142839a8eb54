// The shared wait window: "画像処理実行中" and a progress bar. Long routines
// advance it through the Progress interface, one step per row.
#pragma once

#include "image/Progress.h"

#include <QDialog>
#include <QElapsedTimer>

class QProgressBar;

class TfWaitMess : public QDialog, public Progress {
  Q_OBJECT
public:
  explicit TfWaitMess(QWidget *parent = nullptr);

  QProgressBar *ProgressBar = nullptr;

  // Sets the range 0 ... maximum and position 0, captions the window
  // "VELMIR", shows and repaints it.
  void Begin(int maximum);
  void SetPosition(int position);
  void End(); // closes the window

  // Progress
  void SetRange(int maximum) override;
  void Step() override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  int position_ = 0;
  QElapsedTimer sinceRepaint_;
};

// Progress that shows `window` only once a routine sets its range, and
// closes it again when the scope ends: for work that needs the wait window
// only on some inputs. A null window shows nothing.
class WaitWhileWorking : public Progress {
public:
  explicit WaitWhileWorking(TfWaitMess *window) : window_(window) {}
  WaitWhileWorking(const WaitWhileWorking &) = delete;
  WaitWhileWorking &operator=(const WaitWhileWorking &) = delete;
  ~WaitWhileWorking() override {
    if (shown_) window_->End();
  }
  void SetRange(int maximum) override {
    if (!window_) return;
    window_->Begin(maximum);
    shown_ = true;
  }
  void Step() override {
    if (shown_) window_->Step();
  }

private:
  TfWaitMess *window_;
  bool shown_ = false;
};
