// Where the parts of a printed page go: the image centred across the page
// and in its upper part, the title above it, four caption lines below. The
// same arithmetic lays out the settings dialog's page miniature. The five
// print settings live here too. No widget here.
#pragma once

#include <QString>

// The page miniature of the settings dialog.
inline constexpr int kMiniPageWidth = 265;
inline constexpr int kMiniPageHeight = 361;
// The size track bar: percent of the page width the longer side takes.
inline constexpr int kMinSizeFactor = 30;
inline constexpr int kMaxSizeFactor = 100;

enum PrintStyle { ImageOnly = 0, ImageTitle = 1, ImageTitleCaptions = 2, ImageCaptions = 3 };

inline bool StyleHasTitle(int style) { return style == ImageTitle || style == ImageTitleCaptions; }
inline bool StyleHasCaptions(int style) {
  return style == ImageTitleCaptions || style == ImageCaptions;
}

// The "Print" sub-key of the settings.
struct PrintSettings {
  int style = 0;        // "PrintStyle", 0 ... 3
  int imageSize = 0;    // "ImageSize": 0 by the size factor, 1 one printer pixel per image pixel
  int sizeFactor = 80;  // "SizeFactor", 30 ... 100
  int resolution = 0;   // "Resolution": index into 50, 100, ... 600 dpi (kept only)
  QString photographer; // "Photographer"
};
// Missing or empty values are written with their defaults; numbers out of
// range read as their nearest valid value.
PrintSettings ReadPrintSettings();
void WritePrintSettings(const PrintSettings &settings);

struct PlaceRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The image's place on a page of `pageWidth` x `pageHeight` pixels for a
// picture of `width` x `height`: in size mode 0 the longer side becomes
// `factor` percent of the page width, in mode 1 it keeps its own size;
// centred across, and 10/26 of the free height from the top.
PlaceRect PlaceImage(int width, int height, int sizeMode, int factor, int pageWidth,
                     int pageHeight);
// The top of a title `textHeight` high above an image whose top is `imageTop`.
inline int TitleTop(int imageTop, int textHeight) { return (imageTop - textHeight) * 16 / 26; }
// The top of the first caption line: just below where a full-width square
// image would end.
inline int FirstCaptionTop(int pageWidth, int pageHeight, int lineHeight) {
  return pageWidth + (pageHeight - pageWidth) * 10 / 26 + lineHeight;
}
// The step from one caption line to the next.
inline int CaptionStep(int lineHeight) { return lineHeight * 3 / 2; }
inline int CaptionLeft(int pageWidth) { return pageWidth / 6; }
