// Copying and moving images with their thumbnails, in place of the
// desktop's file operations: a question for every file already at the
// destination, a chance to cancel between files, and no file ever lost. A
// copy is written under a private name and renamed into place; a move within
// one file system is a rename, across file systems a copy that is synced
// before the source goes. A failure leaves the source where it was.
#pragma once

#include <QString>
#include <QStringList>

enum class OverwriteAnswer { Yes, No, YesToAll, Cancel };

// What a transfer asks its caller. Both are called on the caller's thread.
class TransferQuestions {
public:
  virtual ~TransferQuestions() = default;
  // `target` exists already: replace it?
  virtual OverwriteAnswer Exists(const QString &target) = 0;
  // `done` of `total` files handled; false cancels before the next one.
  virtual bool Progress(int done, int total) {
    (void)done;
    (void)total;
    return true;
  }
};

struct TransferResult {
  int done = 0;       // files copied or moved
  QStringList failed; // sources that could not be
  bool cancelled = false;
};

TransferResult CopyFiles(const QStringList &files, const QString &destination,
                         TransferQuestions &questions);
TransferResult MoveFiles(const QStringList &files, const QString &destination,
                         TransferQuestions &questions);
