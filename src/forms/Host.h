// What a command sees of the window that runs it: the parent to centre on
// and bring back to the front, the shared wait window, the display colours,
// and the news that the commands' enabling may change.
#pragma once

#include <QString>

class QWidget;
class TfWaitMess;

class Host {
public:
  virtual ~Host() = default;

  virtual QWidget *Window() = 0;
  // The shared wait window; null when there is none (tests, batch).
  virtual TfWaitMess *WaitWindow() = 0;
  // 256 on a palette display, else 0.
  virtual int DisplayColourCount() const = 0;
  // The picture's kind or the edit history changed: re-run the enabling.
  virtual void CommandsChanged() = 0;
};

// The window of `host`, or null.
inline QWidget *WindowOf(Host *host) { return host ? host->Window() : nullptr; }
