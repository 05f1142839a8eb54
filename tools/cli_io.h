// Reading and writing image files for the command-line tool, the way the
// program's own open and save paths do it.
#pragma once

#include "image/DibHandle.h"

#include <string>

enum class ImageFileKind { Unknown, Jpeg, Bmp, Tiff };

// By the file name's extension, letter case ignored: .jpg/.jpeg, .bmp,
// .tif/.tiff.
ImageFileKind FileKindByExtension(const std::string &path);

// Loads the decoder plug-ins from `folder` (the program folder when empty)
// for the loads below.
void LoadPlugins(const std::string &folder);

// Loads through the kit, or through the plug-ins when the kit refuses the
// file; 16- and 32-bit images come back as 24-bit, as the program opens
// them. Empty on failure.
DibHandle LoadImageFile(const std::string &path, bool *fromPlugin = nullptr);

// Writes by the file's kind (quality only for JPEG). False on failure or
// for an unknown kind.
bool SaveImageFile(const std::string &path, IMGHANDLE image, int quality);
