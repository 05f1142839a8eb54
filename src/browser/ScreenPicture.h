// Pictures made ready for a full-screen window: read (kit, then the decoder
// plug-ins), 16- and 32-bit made 24-bit, fitted to the screen, reduced by
// area averaging when high quality is asked for, and brought to 8 bits on a
// 256-colour display. The simple view and the slide show share it; without
// progress and plug-ins it runs on any thread. No widget header here.
#pragma once

#include "image/ColourProfile.h"
#include "image/DibHandle.h"
#include "image/Progress.h"

#include <QImage>
#include <QSize>
#include <QString>

struct ScreenPictureOptions {
  QSize screen;             // device-independent size of the screen
  double pixelRatio = 1.0;  // physical pixels per device-independent pixel
  bool highQuality = false; // "FullScrHQ" / "SlideShowHQ": area-average reduction
  int displayColours = 0;   // 256 on a palette display, else 0
  bool plugins = true;      // ask the decoder plug-ins when the kit refuses a file
  QSize display;            // a display size of the caller's own; empty: fitted
  // The picture's colour profile: the shown pixels are converted to sRGB.
  // A file read by LoadScreenPicture brings its own when none is given.
  DisplayProfile profile;
  // Shown during a high-quality reduction: range the shown height, one step
  // per row. None on worker threads.
  Progress *progress = nullptr;
};

struct ScreenPicture {
  QImage bitmap;        // the shown pixels: `display` times the pixel ratio at most
  QSize display;        // where it is painted, device-independent
  QSize picture;        // the picture's own size
  bool reduced = false; // made by area averaging
  bool IsNull() const { return bitmap.isNull(); }
};

// The display picture of `image` (left as it is). Null for no picture or
// an empty screen.
ScreenPicture PrepareScreenPicture(IMGHANDLE image, const ScreenPictureOptions &options);

// Reads `path` the way the browser reads pictures (a damaged JPEG comes as
// far as it could be decoded, without a word) and prepares it. Null when
// neither the kit nor a plug-in can read it.
ScreenPicture LoadScreenPicture(const QString &path, const ScreenPictureOptions &options);
