// The per-folder thumbnail archive "VelmirBrowse.KXA": a 32-bit little-endian
// count, then one entry per thumbnail file: its name in code page 932 and a
// NUL, its last-write date "yyyy/mm/dd" and time "hh:nn:ss" (local time, two
// seconds resolution), its 32-bit little-endian size and its bytes.
#pragma once

#include <QString>

inline const QString kThumbArchiveName = QStringLiteral("VelmirBrowse.KXA");

// What Pack and Unpack answer.
enum ArchiveResult : int {
  kArchiveOk = 0,
  kArchiveFailed = 1, // Pack: not written (the old archive stays); Unpack: not opened
  kArchiveNoName = -3,
  kArchiveNoDate = -4,
  kArchiveNoTime = -5,
  kArchiveNoSize = -6,
};

// Writes the regular "*.sam" files of `sourceFolder` (letter case ignored,
// hidden ones left out, at most 9999) in directory-listing order into a new
// archive at `archivePath`. The archive is written under a temporary name
// beside it and takes its place only once complete. A file whose name has no
// code page 932 form, or one that would not unpack under the same name, is
// left out. A file that cannot be read when its turn comes is stored as
// spaces of its listed size.
int Pack(const QString &archivePath, const QString &sourceFolder);

// Re-creates every file of the archive in `destFolder` with its bytes and
// last-write time, replacing regular files of the same name. Entries whose
// name is not a plain file name, and those whose file cannot be made, are
// skipped. Stops at the first header field that is cut short, with its
// code; files made before stay.
int Unpack(const QString &archivePath, const QString &destFolder);
