#include "print/PrintLayout.h"

#include "platform/Settings.h"

#include <algorithm>
#include <cmath>

namespace {

int ReadNumber(const char *name, const char *def, int low, int high) {
  const int n =
      SettingNumber(ReadSettingIn(kPrintKey, QString::fromLatin1(name), QString::fromLatin1(def)));
  return std::clamp(n, low, high);
}

} // namespace

PrintSettings ReadPrintSettings() {
  PrintSettings s;
  s.style = ReadNumber("PrintStyle", "0", 0, 3);
  s.imageSize = ReadNumber("ImageSize", "0", 0, 1);
  s.sizeFactor = ReadNumber("SizeFactor", "80", kMinSizeFactor, kMaxSizeFactor);
  s.resolution = ReadNumber("Resolution", "0", 0, 11);
  // An empty photographer is a valid value: read as it stands.
  s.photographer = ReadSettingIn(kPrintKey, QStringLiteral("Photographer"), QString());
  return s;
}

void WritePrintSettings(const PrintSettings &s) {
  WriteSettingIn(kPrintKey, QStringLiteral("PrintStyle"), QString::number(s.style));
  WriteSettingIn(kPrintKey, QStringLiteral("ImageSize"), QString::number(s.imageSize));
  WriteSettingIn(kPrintKey, QStringLiteral("SizeFactor"), QString::number(s.sizeFactor));
  WriteSettingIn(kPrintKey, QStringLiteral("Resolution"), QString::number(s.resolution));
  WriteSettingIn(kPrintKey, QStringLiteral("Photographer"), s.photographer);
}

PlaceRect PlaceImage(int width, int height, int sizeMode, int factor, int pageWidth,
                     int pageHeight) {
  PlaceRect r;
  if (sizeMode == 0 && width > 0 && height > 0 && pageWidth > 0) {
    const double ratio = static_cast<double>(std::max(width, height)) / pageWidth;
    r.width = static_cast<int>(std::floor(width * factor / ratio * 0.01));
    r.height = static_cast<int>(std::floor(height * factor / ratio * 0.01));
  } else {
    r.width = width;
    r.height = height;
  }
  r.left = (pageWidth - r.width) / 2;
  r.top = (pageHeight - r.height) * 10 / 26;
  return r;
}
