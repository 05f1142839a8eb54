// Image operations of the kit. Each takes a handle, checks it with ViewOf and
// either returns a new handle (or the same one, as the header documents) or
// changes it in place. Null or false on failure, with the input untouched.
#pragma once

#include "imgkit.h"

namespace kit {

bool ImageInfo(IMGHANDLE h, IMGKIT_IMAGEINFO &info);
IMGHANDLE Copy(IMGHANDLE h);
IMGHANDLE RectCut(IMGHANDLE h, int left, int top, int right, int bottom);
IMGHANDLE ImageSize(IMGHANDLE h, int width, int height);
IMGHANDLE Rotation(IMGHANDLE h, int kind);
IMGHANDLE ConvertColor(IMGHANDLE h, int bits, bool fixedPalette, bool diffusion);
IMGHANDLE SetGray(IMGHANDLE h);
bool Emboss(IMGHANDLE h);
bool ColorReverse(IMGHANDLE h);
bool Filter(IMGHANDLE h, int kind);
bool Mosaic(IMGHANDLE h, int blockSize);
bool Bright(IMGHANDLE h, double factor);
bool RGB(IMGHANDLE h, int red, int green, int blue);

} // namespace kit
