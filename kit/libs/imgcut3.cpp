// libimgcut3: cutting rectangles out of images.
#include "ops.h"

extern "C" {
IMGHANDLE ImgKitRectCut(IMGHANDLE h, const char *, const char *, int left, int top, int right,
                        int bottom) {
  return kit::RectCut(h, left, top, right, bottom);
}
}
