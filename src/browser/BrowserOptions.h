// The browser's eight options under the "Browser" sub-key, the image-file
// filter they govern, and the rule of the numbered rename.
#pragma once

#include <QString>

struct BrowserOptions {
  int deleteMethod = 0; // "DeleteMethod": 0 to the trash where possible, 1 at once
  int doubleClick = 0;  // "DoubleClick": 0 open in VELMIR, 1 full screen
  int autoClose = 0;    // "AutoClose": 0 on a click in an image window, 1 on opening, 2 never
  int remakeSN = 0;     // "RemakeSN": catalogue thumbnails 0 copied, 1 made anew
  QString enableFile;   // "EnableFile": extra extensions, comma-separated
  int fullScrHQ = 0;    // "FullScrHQ": 0 normal, 1 high quality
  int slideShowHQ = 0;  // "SlideShowHQ": as FullScrHQ
  int thumbSave = 1;    // "ThumbSave": 0 a thumbnail per image, 1 an archive per folder
};

// What "EnableFile" starts as: the formats of the shipped plug-ins.
inline const QString kDefaultEnableFile = QStringLiteral("PNG,GIF,WEBP");

// Reads every value; a missing or empty one is written with its default and
// the default is used. "EnableFile" is the exception: only a missing value
// takes the default, a stored one is used as it stands, even empty.
BrowserOptions ReadBrowserOptions();
// Writes all eight values.
void WriteBrowserOptions(const BrowserOptions &options);

// The image-extension filter: the upper-cased extension of `fileName` (from
// its last dot, dot included) is one of the standard ones or one of
// `enableFile`'s entries, each with a dot put in front and blanks trimmed at
// both ends (so a blank right after a comma stays inside and never matches).
bool ImageExtensionAccepted(const QString &fileName, const QString &enableFile);

// The numbered rename's pattern, remembered as the record "RenameRule".
struct RenameRule {
  QString common = QStringLiteral("ImageFile");
  int digitsIndex = 2; // 0 ... 3 for 1 ... 4 digits
  int start = 1;
};

RenameRule ReadRenameRule();
void WriteRenameRule(const RenameRule &rule);
// The common text and start + index, zero-padded to the chosen digits.
QString NumberedName(const RenameRule &rule, int index);
