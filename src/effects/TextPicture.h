// Text rendered into a small picture for pasting: a line of text in a font,
// a text colour and a background colour, with a margin on every side. The
// final picture is drawn at twice the size and reduced by area averaging
// when anti-aliased.
#pragma once

#include "image/DibHandle.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>

struct TextStyle {
  QString face = QStringLiteral("ＭＳ Ｐゴシック");
  int points = 20;
  bool bold = false;
  bool italic = false;
  uint32_t textRgb = 0x000000;       // 0xRRGGBB
  uint32_t backgroundRgb = 0xffffff; // 0xRRGGBB
};

// Margins the text picture takes, in pixels.
constexpr int kTextMarginMin = 0, kTextMarginMax = 9999;
// The largest side of a rendering; beyond it the picture is refused as if
// memory had run out.
constexpr int kTextPictureMaxSide = 32767;

// The style's font at `scale` times its size, in pixels of a 96-dpi screen
// (points x 96 / 72, rounded), drawn without smoothing of its own: the
// smoothing is the reduction of the double-size rendering.
QFont TextFont(const TextStyle &style, int scale = 1);

// How many pixels the text is drawn over itself to the right to make it
// bold when the face has no bold of its own (the installed gothic faces
// have none): 0 when it has one or bold is not asked for, else one pixel
// per 20 of the size, at least one.
int BoldOverstrike(const QFont &font);

// The text's width (with the bold overstrike) and height in `font`.
QSize TextExtent(const QFont &font, const QString &text);

// (2 margin + width) x (2 margin + height) of the text at `scale`, filled
// with the background colour, the text drawn with its top-left corner at
// (margin, margin). Null when a side would exceed kTextPictureMaxSide.
QImage RenderText(const TextStyle &style, const QString &text, int margin, int scale = 1);

// The picture handed to the paste: with the margin doubled (M = 2 margin)
// and k = 2 with anti-aliasing, else 1, the text at k times the size is
// rendered with the margin k M, then with anti-aliasing reduced to half its
// size (both sides halved, truncated) by area averaging. A 24-bit image;
// none when it cannot be made (size or memory).
DibHandle MakeTextPicture(const TextStyle &style, const QString &text, int margin,
                          bool antiAliased);
