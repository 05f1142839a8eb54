// The rules of the save commands, kept apart from the windows so that they
// can be checked on their own: which writer a file name asks for, whether
// an image may be written as JPEG, and what the save dialog proposes.
#pragma once

#include <QString>

namespace SaveRules {

enum class Writer { None, Jpeg, Bmp, Tiff };

// The filter of the save dialog; index 1 JPEG, 2 bitmap, 3 TIFF.
QString SaveFilter();
// The filter of the open dialog.
QString OpenFilter();

// Overwriting keeps the format the name says by its last four characters:
// ".jpg" or "jpeg", ".bmp", ".tif" or "tiff" (letter case ignored).
Writer WriterByLastFour(const QString &fileName);

// Save-as goes by the extension: ".jpg", ".jpeg", ".bmp", ".tif", ".tiff".
Writer WriterByExtension(const QString &fileName);

// Empty when an image of this depth may be written as JPEG, else the message
// that refuses it.
QString JpegRefusal(int bitCount, bool gray);

// The filter preselected for a document captioned `caption`; `current` when
// its extension says nothing.
int FilterIndexForCaption(const QString &caption, int current);

// "Image001", "Image002" ...: the first name for which no file
// folder/name.* exists (compared without letter case). An empty folder
// means the current folder.
QString ProposedNewName(const QString &folder);

// The name with ".jpg", ".bmp" or ".tif" appended by the filter index when
// it has no extension of its own.
QString WithDefaultExtension(const QString &fileName, int filterIndex);

} // namespace SaveRules
