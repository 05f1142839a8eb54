// Draws the one printed page: the picture, the title and the caption
// lines, in black in the gothic face, on any paint device (a printer, a PDF
// file, an image in the tests). No widget here.
#pragma once

#include "print/PrintLayout.h"

#include <QString>

class QImage;
class QPainter;

// What the captions say.
struct PrintTexts {
  QString title;
  QString date;
  QString photographer;
  QString fileName;
  QString remarks;
};

// The four caption lines as printed.
QStringList CaptionLines(const PrintTexts &texts);

// Where DrawPrintPage put things, in device pixels.
struct PrintedPage {
  PlaceRect image;
  PlaceRect title;       // width 0 when no title was drawn
  PlaceRect captions[4]; // width 0 when no captions were drawn
};

// The family the printed texts ask for, and their sizes in points.
inline const QString kPrintFontFamily = QStringLiteral("ＭＳ Ｐゴシック");
inline constexpr int kTitlePoints = 14;
inline constexpr int kCaptionPoints = 12;

// Draws `picture` and the texts the style asks for on a page of
// `pageWidth` x `pageHeight` device pixels that `painter` is open on.
PrintedPage DrawPrintPage(QPainter &painter, int pageWidth, int pageHeight, const QImage &picture,
                          const PrintSettings &settings, const PrintTexts &texts);
