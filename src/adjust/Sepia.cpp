#include "adjust/Sepia.h"

#include <utility>

namespace {

// Moves the progress from `at` to `to` in single steps.
void Advance(Progress *progress, int &at, int to) {
  if (!progress) return;
  for (; at < to; ++at)
    progress->Step();
}

} // namespace

bool Sepia(DibHandle &image, Progress *progress) {
  if (!image) return false;
  if (progress) progress->SetRange(130);
  int at = 0;
  // The steps work on new handles, so that a failure leaves the image as
  // it was; the conversion hands back the image itself when it is 24-bit.
  IMGHANDLE full = Kit.ImgKitConvertColor(image.get(), 24, 0, 0, "", "");
  if (!full) return false;
  DibHandle converted(full != image.get() ? full : nullptr);
  Advance(progress, at, 30);
  DibHandle work(Kit.ImgKitSetGray(full, "", ""));
  converted.reset();
  if (!work) return false;
  Advance(progress, at, 60);
  if (!Kit.ImgKitRGB(work.get(), "", "", kSepiaRed, kSepiaGreen, kSepiaBlue)) return false;
  Advance(progress, at, 100);
  if (!work.Adopt(Kit.ImgKitConvertColor(work.get(), 24, 0, 0, "", ""))) return false;
  Advance(progress, at, 130);
  image = std::move(work);
  return true;
}
