// Renaming images and thumbnails without ever losing a file: a rename never
// replaces a file that is already there, and a set of renames whose new
// names are old names of the same set (ImageFile002 -> ImageFile001 while
// ImageFile001 -> ImageFile002) still ends with every file under its new
// name.
#pragma once

#include "browser/BrowserOptions.h"

#include <QString>
#include <QStringList>

#include <vector>

// Renames `from` to `to` unless `to` exists; false (and `from` as it was)
// when it does or the rename fails.
bool RenameNoReplace(const QString &from, const QString &to);

struct RenamePair {
  QString from;
  QString to;
};

// Renames every pair: each file first to a private name beside it, then to
// its new name. A file whose new name is taken by a file outside the set
// goes back to its old name. Returns the `from` paths that kept their name.
QStringList RenameAll(const std::vector<RenamePair> &pairs);

// The new path of `path` in a numbered rename: the same folder, the rule's
// numbered name for `index`, and the file's own last extension.
QString NumberedPath(const QString &path, const RenameRule &rule, int index);
