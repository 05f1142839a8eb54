// Preparing pictures for the full-screen windows.
#include "browser/ScreenPicture.h"

#include "adjust/Fresize.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/ScreenFit.h"
#include "platform/Settings.h"

#include <QFile>

namespace {

// A copy brought to 8 bits for a 256-colour display, as the document
// windows show full-colour pictures there.
DibHandle PaletteCopy(IMGHANDLE image) {
  DibHandle copy(Kit.ImgKitCopy(image, "", ""));
  if (!copy) return {};
  const int fixedPalette = General.disp8BitSupportsPalette == 0 ? 1 : 0;
  copy.Adopt(Kit.ImgKitConvertColor(copy.get(), 8, fixedPalette, 1, "", ""));
  return copy;
}

} // namespace

ScreenPicture PrepareScreenPicture(IMGHANDLE image, const ScreenPictureOptions &options) {
  TMDIB dib(image);
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0) return {};
  ScreenPicture out;
  out.picture = QSize(dib.width, dib.height);
  out.display =
      options.display.isEmpty() ? FitToScreen(out.picture, options.screen) : options.display;
  if (out.display.isEmpty()) return {};
  const QSize pixels = PixelsForDisplay(out.picture, out.display, options.pixelRatio);
  const bool reducing = pixels.width() < dib.width || pixels.height() < dib.height;

  DibHandle shown;
  if (options.highQuality && reducing && dib.BitsPerPixel() == 24) {
    shown = CreateBlankDib(pixels.width(), pixels.height());
    if (shown) {
      TMDIB to(shown.get());
      if (options.progress) options.progress->SetRange(pixels.height());
      AreaAverageResize(to, dib, options.progress);
      out.reduced = true;
    }
  }
  if (options.displayColours == 256 && dib.BitsPerPixel() >= 16) {
    DibHandle reducedColours = PaletteCopy(shown ? shown.get() : image);
    if (reducedColours) shown = std::move(reducedColours);
  }
  if (shown) {
    TMDIB from(shown.get());
    out.bitmap = SampledBitmapFromDib(from, pixels);
  } else {
    out.bitmap = SampledBitmapFromDib(dib, pixels);
  }
  if (out.bitmap.isNull()) return {};
  if (options.profile.Converts() && options.displayColours != 256)
    options.profile.ToDisplay(out.bitmap);
  return out;
}

ScreenPicture LoadScreenPicture(const QString &path, const ScreenPictureOptions &options) {
  const DibHandle image = LoadImageFile(QFile::encodeName(path).toStdString(),
                                        {.plugins = options.plugins, .fullColour = true});
  if (!image) return {};
  if (options.profile.Converts()) return PrepareScreenPicture(image.get(), options);
  ScreenPictureOptions withProfile = options;
  withProfile.profile = DisplayProfile::ForFile(QFile::encodeName(path).toStdString());
  return PrepareScreenPicture(image.get(), withProfile);
}
