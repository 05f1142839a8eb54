// What a command sees of the window that runs it: the parent to centre on
// and bring back to the front, the shared wait window, the display colours,
// the news that the commands' enabling may change, new documents and the
// view commands.
#pragma once

#include "image/DibHandle.h"

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

  // Opens `picture` as a new document the way pasting as a new image does:
  // its caption, 16- and 32-bit pictures made 24-bit, the commands'
  // enabling. False (nothing made) without a picture.
  virtual bool OpenAsNewDocument(DibHandle picture) = 0;

  // The main window's view commands that tool windows offer as buttons of
  // their own, each doing what its menu item or tool button does.
  enum class ViewCommand {
    PreviousImage, // the previous document window to the front
    NextImage,
    CloseImage,
    ZoomOut,
    ZoomIn,
    GammaDown, // the one-click gamma and saturation buttons
    GammaUp,
    SaturationDown,
    SaturationUp,
  };
  virtual void RunViewCommand(ViewCommand command) = 0;
  // A short note in the main window's status bar.
  virtual void ShowStatus(const QString &text) { (void)text; }
};

// The window of `host`, or null.
inline QWidget *WindowOf(Host *host) { return host ? host->Window() : nullptr; }
