// Fitting a picture to a screen: the display size by the thousandths rule
// and the fast (nearest-sample) bitmap of a picture at a given pixel size.
// Shared by every full-screen window and by the browser's preparation of
// pictures; no widget header here.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

class TMDIB;

// The display size of a w x h picture on a W x H screen: unscaled when it
// fits; otherwise w * 1000 / W is compared with h * 1000 / H and the larger
// side fills the screen, the other by integer proportion.
QSize FitToScreen(QSize picture, QSize screen);

// Where a picture of `display` size sits centred on a screen of `screen`
// size.
QPoint CentreOnScreen(QSize display, QSize screen);

// The physical pixel size a picture shown at `display` (device-independent)
// needs on a screen of `pixelRatio` to look sharp, never more than the
// picture's own size.
QSize PixelsForDisplay(QSize picture, QSize display, double pixelRatio);

// A framework bitmap of `dib` at `pixels` size, each target pixel taking the
// nearest source pixel (no smoothing). The picture's own size copies it.
QImage SampledBitmapFromDib(const TMDIB &dib, QSize pixels);
