// The wallpaper maker's arithmetic and pictures: how the document fits the
// screen, the fixed-size selections, the selection's document coordinates,
// the depth a wallpaper is reduced to, and the 320 x 400, 8-bit start-up
// and shut-down screens. No widget here.
#pragma once

#include "image/DibHandle.h"

#include <QString>

namespace Kabegami {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0; // may be negative: a selection drawn leftward
  int height = 0;
};

// The document's size on a screen of `screenW` x `screenH`: its own size
// when it fits, else scaled to fit (the side whose ratio is larger fills
// the screen).
struct Size {
  int width = 0;
  int height = 0;
};
Size ShownSize(int width, int height, int screenW, int screenH);
// Centred on the screen.
Rect PictureRect(Size shown, int screenW, int screenH);

// The fixed sizes of the panel, in document pixels, in button order.
struct FixedSize {
  int width;
  int height;
  const char *caption;
};
inline constexpr FixedSize kFixedSizes[] = {
    {640, 480, "640*480"},     {800, 600, "800*600"},   {1024, 768, "1024*768"},
    {1280, 1024, "1280*1024"}, {320, 480, "320*480"},   {400, 600, "400*600"},
    {512, 768, "512*768"},     {640, 1024, "640*1024"},
};

// Document pixels per screen pixel across (a) and down (b).
struct Scale {
  double a = 1;
  double b = 1;
};
Scale ScaleOf(int width, int height, Size shown);

// A selection that covers w x h document pixels, centred on the picture.
Rect FixedSelection(int w, int h, Scale scale, const Rect &picture);

// The selection in document pixels as the panel shows it (a selection
// drawn leftward or upward taken as the same rectangle drawn forward).
struct Coordinates {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0, width = 0, height = 0;
};
Coordinates CoordinatesOf(const Rect &selection, const Rect &picture, Scale scale);
// x0 <= x1 and y0 <= y1.
Coordinates Ordered(Coordinates c);

// A free selection's corner: the pointer held within the picture.
Rect DragTo(const Rect &started, int pointerX, int pointerY, const Rect &picture);
// The right-button resize: the width grows by dx, the height by dx scaled
// by the shape the selection had when the button went down.
Rect ResizeBy(const Rect &pressed, int dx);

// Depth of a picture by its kit kind, of a display by its colour count.
int PictureBits(int kind);
int DisplayBits(int displayColours);
// The depth the wallpaper is reduced to, or 0 to keep it.
int WallpaperDepth(int displayBits, int pictureBits);

// The three logo screens and their file names.
enum class Target { Centred, Tiled, StartUp, ShuttingDown, Final };
QString LogoFileName(Target target);
inline constexpr int kLogoWidth = 320;
inline constexpr int kLogoHeight = 400;
// The logo picture of `picture`: 24-bit, smoothed once, 320 x 400 by area
// averaging, then 8 bits (`fixedPalette` as the kit takes it).
DibHandle LogoPicture(IMGHANDLE picture, int fixedPalette);

} // namespace Kabegami
