// Waiting in the form tests, written once: every wait pumps the event loop
// and gives up at a deadline, so a dialog that never comes (or never goes)
// fails its test instead of hanging the run.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

namespace test_wait {

constexpr int kDeadlineMs = 5000;

// Delivers what is queued, deferred deletions included.
inline void Pump() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// Waits until `done` holds; false at the deadline.
inline bool WaitFor(const std::function<bool()> &done, int ms = kDeadlineMs) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return true;
}

// Runs `act` on the first modal widget that `fits` while `command` runs (a
// handler that shows a dialog with exec). False when none came before the
// deadline.
inline bool WhenModal(const std::function<void()> &command,
                      const std::function<bool(QWidget *)> &fits,
                      const std::function<void(QWidget *)> &act, int ms = kDeadlineMs) {
  bool seen = false;
  QTimer poll;
  poll.setInterval(5);
  QDeadlineTimer deadline(ms);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget *w = QApplication::activeModalWidget();
    if (w && fits(w)) {
      poll.stop();
      seen = true;
      act(w);
    } else if (deadline.hasExpired()) {
      poll.stop();
    }
  });
  poll.start();
  command();
  poll.stop();
  return seen;
}

// Any modal widget.
inline bool WithModal(const std::function<void()> &command,
                      const std::function<void(QWidget *)> &act) {
  return WhenModal(
      command, [](QWidget *) { return true; }, act);
}

// A modal dialog of type T.
template <class T>
bool WhileModal(const std::function<void()> &command, const std::function<void(T *)> &act) {
  return WhenModal(
      command, [](QWidget *w) { return qobject_cast<T *>(w) != nullptr; },
      [&act](QWidget *w) { act(qobject_cast<T *>(w)); });
}

} // namespace test_wait
