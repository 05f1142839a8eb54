#include "browser/FileRename.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool RenameBytes(const QByteArray &from, const QByteArray &to) {
  if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: a hard link cannot replace a file either.
  if (link(from.constData(), to.constData()) != 0) return false;
  if (unlink(from.constData()) != 0) {
    unlink(to.constData());
    return false;
  }
  return true;
}

// A name beside `path` that no file has.
QString PrivateName(const QString &path, int index) {
  const QFileInfo info(path);
  for (int attempt = 0;; ++attempt) {
    const QString name = info.absolutePath() +
                         QStringLiteral("/.velmir-rename-%1-%2-%3.tmp")
                             .arg(QCoreApplication::applicationPid())
                             .arg(index)
                             .arg(attempt);
    if (!QFileInfo::exists(name)) return name;
  }
}

} // namespace

bool RenameNoReplace(const QString &from, const QString &to) {
  return RenameBytes(QFile::encodeName(from), QFile::encodeName(to));
}

QStringList RenameAll(const std::vector<RenamePair> &pairs) {
  QStringList kept;
  std::vector<QString> parked(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    const QString temp = PrivateName(pairs[i].from, int(i));
    if (RenameNoReplace(pairs[i].from, temp))
      parked[i] = temp;
    else
      kept << pairs[i].from;
  }
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (parked[i].isEmpty()) continue;
    if (RenameNoReplace(parked[i], pairs[i].to)) continue;
    kept << pairs[i].from;
    // Back to the old name; should that be taken meanwhile, the file stays
    // under its private name rather than be lost.
    RenameNoReplace(parked[i], pairs[i].from);
  }
  return kept;
}

QString NumberedPath(const QString &path, const RenameRule &rule, int index) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString extension = dot < 0 ? QString() : name.mid(dot);
  return info.path() + QLatin1Char('/') + NumberedName(rule, index) + extension;
}
