// The slide show.
#include "browser/windows/SlideShow.h"

#include "browser/windows/FullScreenView.h"
#include "forms/Waitmess.h"

#include <QTimer>

TSlideShow::TSlideShow(QWidget *over, QStringList paths, int intervalMs, bool highQuality,
                       int displayColours, TfWaitMess *wait)
    : over_(over), paths_(std::move(paths)), intervalMs_(std::max(0, intervalMs)),
      options_(ScreenOptionsFor(over)), wait_(wait) {
  options_.highQuality = highQuality;
  options_.displayColours = displayColours;
}

TSlideShow::~TSlideShow() {
  // A worker still preparing is waited for by the future; no window stays.
  End(false);
  if (ahead_.valid()) ahead_.wait();
}

void TSlideShow::Start() {
  if (running_) return;
  const ScreenArea area = ScreenAreaOf(over_);
  if (area.geometry.isEmpty() || paths_.isEmpty()) {
    emit finished();
    return;
  }
  running_ = true;
  curtain_ = std::make_unique<FullScreenWindow>(area);
  curtain_->setObjectName(QStringLiteral("FullScreenCurtain"));
  view_ = std::make_unique<TFullScreenView>(area);
  // The next picture follows once the view's event is over.
  connect(view_.get(), &FullScreenWindow::finished, this, &TSlideShow::ViewFinished,
          Qt::QueuedConnection);
  // A curtain that loses its screen takes the show with it.
  connect(curtain_.get(), &FullScreenWindow::finished, this, [this] {
    if (running_) End();
  });
  curtain_->Open(false);
  ShowFrom(0);
}

ScreenPicture TSlideShow::Take(int index) {
  ScreenPicture picture;
  if (index == aheadIndex_ && ahead_.valid()) {
    picture = ahead_.get();
    aheadIndex_ = -1;
  } else {
    WaitWhileWorking progress(wait_);
    ScreenPictureOptions here = options_;
    here.progress = &progress;
    return LoadScreenPicture(paths_[index], here);
  }
  // The worker asks the kit alone; the plug-ins are asked here.
  if (picture.IsNull()) picture = LoadScreenPicture(paths_[index], options_);
  return picture;
}

void TSlideShow::Prepare(int index) {
  if (index >= paths_.size()) return;
  ScreenPictureOptions worker = options_;
  worker.plugins = false;
  worker.progress = nullptr;
  aheadIndex_ = index;
  ahead_ = std::async(std::launch::async, [path = paths_[index], worker] {
    try {
      return LoadScreenPicture(path, worker);
    } catch (...) {
      return ScreenPicture{};
    }
  });
}

void TSlideShow::ShowFrom(int index) {
  for (int i = index; running_ && i < paths_.size(); ++i) {
    ScreenPicture picture = Take(i);
    if (picture.IsNull()) continue; // unreadable: the next one
    if (!running_ || !curtain_->IsOpen()) break;
    current_ = i;
    ++shown_;
    view_->ShowPicture(picture);
    Prepare(i + 1);
    view_->Open(true);
    if (intervalMs_ > 0) view_->Timer->start(intervalMs_);
    return;
  }
  End();
}

void TSlideShow::ViewFinished(int result) {
  if (!running_) return;
  if (result == TFullScreenView::Next && !view_->LostScreen()) {
    ShowFrom(current_ + 1);
    return;
  }
  End(); // Esc, a closed window or a screen that went away
}

void TSlideShow::End(bool notify) {
  if (!running_) return;
  running_ = false;
  current_ = -1;
  if (view_) {
    view_->Timer->stop();
    view_->Finish(TFullScreenView::Closed);
  }
  if (curtain_) curtain_->Finish(0);
  if (notify) emit finished();
}
