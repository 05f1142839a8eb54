// The per-folder thumbnail archive: a count, then each thumbnail file behind
// its name, date, time and size. A stand-in until the archive unit lands.
#pragma once

#include <QString>

// Writes every *.sam file of `folder` into `archive`. 0 done, 1 when the
// archive cannot be created.
int Pack(const QString &archive, const QString &folder);
// Re-creates the archive's files in `folder` with their recorded times. 0
// done, 1 when the archive cannot be opened, -3 ... -6 for a header field
// that cannot be read whole.
int Unpack(const QString &archive, const QString &folder);
