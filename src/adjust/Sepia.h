// The sepia command: the picture made grey by the kit and tinted warm, as
// a 24-bit image.
#pragma once

#include "image/Dib.h"

// The tint, as offsets for the kit's ImgKitRGB (applied as they are, with
// no luminance keeping).
constexpr int kSepiaRed = 30, kSepiaGreen = 0, kSepiaBlue = -30;

// Full colour, the kit's grey (an 8-bit image with a grey table), the tint
// on that table, full colour again. Progress: range 130, at 30, 60, 100 and
// 130 after the four steps. False (image unchanged) when a kit step fails.
bool Sepia(DibHandle &image, Progress *progress = nullptr);
