// The kit's meeting point with Qt: clipboard exchange and drawing.
#pragma once

#include "imgkit.h"

#include <QImage>

class QPainter;

namespace kit {

// A QImage of the handle's picture, top row first: Indexed8 with the colour
// table for 1-, 4- and 8-bit images, BGR888 for 24 bits, RGB32 for 16 and 32.
// A null QImage for a bad handle.
QImage ToQImage(IMGHANDLE h);
// A new 24-bit handle from any QImage (alpha composited on white); null for a
// null image or one out of limits.
IMGHANDLE FromQImage(const QImage &image);

IMGHANDLE FromClipboard();
bool ToClipboard(IMGHANDLE h);
bool Draw(QPainter *painter, IMGHANDLE h, int x, int y);

} // namespace kit
