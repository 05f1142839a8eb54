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
