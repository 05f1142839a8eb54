// Reading and writing image files for the command-line tool, the way the
// program's own open and save paths do it.
#pragma once

#include "DibHandle.h"

#include <string>

enum class ImageFileKind { Unknown, Jpeg, Bmp, Tiff };

// By the file name's extension, letter case ignored: .jpg/.jpeg, .bmp,
// .tif/.tiff.
ImageFileKind FileKindByExtension(const std::string &path);

// Loads through the kit; 16- and 32-bit images come back as 24-bit, as
// the program opens them. Empty on failure.
DibHandle LoadImageFile(const std::string &path);

// Writes by the file's kind (quality only for JPEG). False on failure or
// for an unknown kind.
bool SaveImageFile(const std::string &path, IMGHANDLE image, int quality);
