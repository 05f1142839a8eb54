// The orientation a camera or phone records in a JPEG file's EXIF block
// (1 = as stored, 2 ... 8 = the mirrorings and quarter turns that show the
// picture upright), applied once when a file is read so that every reader
// (documents, thumbnails, full screen, batch jobs, velmir-cli) sees the
// picture upright. TIFF files carry the same tag in their own directory,
// which the kit's TIFF reader applies itself. No widget header here.
#pragma once

#include "image/DibHandle.h"

#include <string>

// The EXIF orientation of a JPEG file: 1 ... 8, or 1 when the file is not a
// JPEG, has no EXIF block, or the block is damaged. Reads only the markers
// before the picture data.
int JpegExifOrientation(const std::string &path);

// Whether showing a picture of this orientation upright swaps its sides.
inline bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// Turns and mirrors `image` so that a picture stored with `orientation`
// stands upright. 1 and unknown values leave it; false when the kit failed
// (the image is then as it was).
bool ApplyOrientation(DibHandle &image, int orientation);

// The picture read from `path` made upright by its file's orientation.
bool OrientAsFile(DibHandle &image, const std::string &path);
