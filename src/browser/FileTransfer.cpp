#include "browser/FileTransfer.h"

#include "browser/FileRename.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies `from` to a new private file beside `target`, synced and with the
// source's last-write time; the private name, or empty on failure.
QString CopyToPrivate(const QString &from, const QString &target) {
  const QByteArray source = QFile::encodeName(from);
  const int in = open(source.constData(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return {};
  struct stat st {};
  if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(in);
    return {};
  }
  const QString folder = QFileInfo(target).absolutePath();
  QString temp;
  int out = -1;
  for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
    temp = folder + QStringLiteral("/.velmir-copy-%1-%2.tmp")
                        .arg(QCoreApplication::applicationPid())
                        .arg(attempt);
    out = open(QFile::encodeName(temp).constData(),
               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0 && errno != EEXIST) break;
  }
  if (out < 0) {
    close(in);
    return {};
  }
  bool ok = true;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t written = 0; written < n;) {
      const ssize_t w = write(out, buffer + written, size_t(n - written));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      written += w;
    }
    if (!ok) break;
  }
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ok = ok && futimens(out, times) == 0 && fsync(out) == 0;
  ok = close(out) == 0 && ok;
  close(in);
  if (!ok) {
    unlink(QFile::encodeName(temp).constData());
    return {};
  }
  return temp;
}

// Puts the private copy under `target`, replacing a file there only when
// the user said so.
bool Place(const QString &temp, const QString &target, bool replace) {
  const bool placed = replace ? std::rename(QFile::encodeName(temp).constData(),
                                            QFile::encodeName(target).constData()) == 0
                              : RenameNoReplace(temp, target);
  if (!placed) QFile::remove(temp);
  return placed;
}

enum class Step { Go, Skip, Stop };

// The user's word on an existing target; `all` remembers "yes to all".
Step Ask(const QString &target, bool &replace, bool &all, TransferQuestions &questions) {
  replace = false;
  if (!QFileInfo::exists(target) && !QFileInfo(target).isSymLink()) return Step::Go;
  if (QFileInfo(target).isDir()) return Step::Skip;
  if (all) {
    replace = true;
    return Step::Go;
  }
  switch (questions.Exists(target)) {
  case OverwriteAnswer::Yes: replace = true; return Step::Go;
  case OverwriteAnswer::YesToAll:
    replace = all = true;
    return Step::Go;
  case OverwriteAnswer::No: return Step::Skip;
  case OverwriteAnswer::Cancel: return Step::Stop;
  }
  return Step::Stop;
}

TransferResult Transfer(const QStringList &files, const QString &destination,
                        TransferQuestions &questions, bool move) {
  TransferResult result;
  bool all = false;
  const int total = int(files.size());
  for (int i = 0; i < total; ++i) {
    if (!questions.Progress(i, total)) {
      result.cancelled = true;
      break;
    }
    const QString &from = files[i];
    const QString target = QDir(destination).filePath(QFileInfo(from).fileName());
    if (!QFileInfo::exists(from)) {
      result.failed << from;
      continue;
    }
    // A file onto itself: nothing to do, and nothing to lose.
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(from).canonicalFilePath()) continue;
    bool replace = false;
    const Step step = Ask(target, replace, all, questions);
    if (step == Step::Stop) {
      result.cancelled = true;
      break;
    }
    if (step == Step::Skip) continue;
    bool ok = false;
    if (move) {
      const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(target);
      ok = replace ? std::rename(a.constData(), b.constData()) == 0 : RenameNoReplace(from, target);
      if (!ok && errno == EXDEV) {
        // Another file system: the copy is safe on disk before the source goes.
        const QString temp = CopyToPrivate(from, target);
        ok = !temp.isEmpty() && Place(temp, target, replace) && QFile::remove(from);
      }
    } else {
      const QString temp = CopyToPrivate(from, target);
      ok = !temp.isEmpty() && Place(temp, target, replace);
    }
    if (ok)
      ++result.done;
    else
      result.failed << from;
  }
  if (!result.cancelled) questions.Progress(total, total);
  return result;
}

} // namespace

TransferResult CopyFiles(const QStringList &files, const QString &destination,
                         TransferQuestions &questions) {
  return Transfer(files, destination, questions, false);
}

TransferResult MoveFiles(const QStringList &files, const QString &destination,
                         TransferQuestions &questions) {
  return Transfer(files, destination, questions, true);
}
