// The program's own high-quality resizing: the area-average (oversampling)
// reduction and the bilinear resampling, both over 24-bit images in
// thousandths of a pixel. Thumbnails, wallpapers, full-screen images and
// noise removal use them as well as the resize dialog.
#pragma once

#include "image/Dib.h"

// Fills `dest` from `source` by area averaging; both 24-bit, any sizes.
// Destination pixels whose weights sum to zero are left as they are. One
// progress step per destination row.
void AreaAverageResize(TMDIB &dest, const TMDIB &source, Progress *progress = nullptr);

// Fills `dest` from `source` by bilinear interpolation; both 24-bit, any
// sizes (enlargement and reduction). One progress step per destination row.
void BilinearResize(TMDIB &dest, const TMDIB &source, Progress *progress = nullptr);

enum class ResizeMethod { Normal, Oversampling, Bilinear };

// Sizes the resize routines take, in pixels.
constexpr int kResizeMin = 1, kResizeMax = 65535;

// The resize command on an image handle. Normal is the kit's plain resize
// (pixel replication and decimation, any depth, no progress). Oversampling
// and Bilinear take 24-bit images: the destination is made by the kit's
// plain resize, which copies the header (resolution included) and gives
// the pixels the area average leaves alone, then filled by
// AreaAverageResize or BilinearResize. Their progress: range height + 20,
// 20 steps once the destination exists, then one per row. False (image
// unchanged) for a size below 1, another depth for those two methods, or
// when the kit cannot make the destination.
bool ResizeImage(DibHandle &image, int width, int height, ResizeMethod method,
                 Progress *progress = nullptr);
// The same, leaving `source` alone: the new image, or none on refusal.
DibHandle ResizedImage(IMGHANDLE source, int width, int height, ResizeMethod method,
                       Progress *progress = nullptr);

// The height after the aspect commands: 4:3 screen images to 5:4 grow by
// 16/15, 5:4 to 4:3 shrink by 15/16. The width is kept.
inline int AspectHeight43To54(int height) { return height * 16 / 15; }
inline int AspectHeight54To43(int height) { return height * 15 / 16; }

// The aspect command on an image handle: 24-bit images through ResizeImage
// with Oversampling, the others through the kit's plain resize.
// False (image unchanged) when no image of the new size can be made.
bool AspectCorrect(DibHandle &image, bool toFiveFour, Progress *progress = nullptr);
