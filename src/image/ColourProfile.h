// Showing a picture with the colours its ICC profile means: the conversion
// from an embedded profile (Adobe RGB, Display P3 ...) to the sRGB of the
// screen. Only what is shown goes through it; the picture's own pixels (and
// so every routine and every saved file) keep the source's values. The
// document window, the thumbnails, the full-screen views and printing use
// the same conversion. No widget header here.
#pragma once

#include <QColorTransform>
#include <QImage>

#include <string>

class DisplayProfile {
public:
  // Shows pictures as they are (no profile, or sRGB).
  DisplayProfile() = default;
  // From the bytes of an ICC profile; a profile Qt cannot use, or sRGB
  // itself, shows the picture as it is.
  static DisplayProfile FromIcc(const std::string &icc);
  // The profile embedded in the file at `path` (JPEG, TIFF, PNG, WebP ...).
  static DisplayProfile ForFile(const std::string &path);

  // Whether pictures change on the way to the screen.
  bool Converts() const { return converts_; }
  // Converts `bitmap` to sRGB in place; 32-bit bitmaps stay in their format,
  // others come back as RGB32.
  void ToDisplay(QImage &bitmap) const;

private:
  QColorTransform toSrgb_;
  bool converts_ = false;
};

// The ICC profile of a JPEG file from its APP2 "ICC_PROFILE" segments, put
// together in their numbered order; empty when there is none or a piece is
// missing. `isJpeg` (when given) tells whether the file is a JPEG file.
std::string JpegIccProfile(const std::string &path, bool *isJpeg = nullptr);
