// Reading and writing image files for the command-line tool, the way the
// program's own open and save paths do it: the image-file unit, with the
// decoder plug-ins loaded first.
#pragma once

#include "image/ImageFile.h"

#include <string>

// Loads the decoder plug-ins from `folder` (the program folder when empty)
// for the loads of LoadImageFile.
void LoadPlugins(const std::string &folder);
