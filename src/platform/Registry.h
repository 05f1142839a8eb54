// Settings with the semantics of the per-user registry, kept in one
// human-readable text file:
//
//   [Software\Kzr\Velmir]
//   "UndoDepth"="3"
//
// Keys are paths of names joined by "\"; key and value names compare
// without letter case; every value is a string. Every access reads the file
// and every change rewrites it whole under a lock, through a temporary file
// that replaces the old one, so a crash or a second process never leaves
// half a file. What cannot be read (a missing, damaged or unreadable file, a
// broken line) counts as missing.
#pragma once

#include <QString>

#include <optional>

namespace Registry {

// $XDG_CONFIG_HOME (default ~/.config) + "/Kzr/Velmir/settings.reg".
QString FilePath();

// The value, or nothing when the key or value is missing.
std::optional<QString> Read(const QString &key, const QString &name);
// Writes the value, creating the key (and its parents) as needed. False when
// the file cannot be written; the old file is then unchanged.
bool Write(const QString &key, const QString &name, const QString &value);
// True when the key exists (without creating it).
bool KeyExists(const QString &key);

} // namespace Registry
