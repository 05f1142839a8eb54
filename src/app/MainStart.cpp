// Files arriving from outside: a second start's hand-off and files dropped
// on the main window.
#include "app/MainForm.h"

#include "platform/UserDialogs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// Blanks and control characters, as they may surround a name.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; }

QByteArray Trimmed(const QByteArray &piece) {
  qsizetype begin = 0;
  qsizetype end = piece.size();
  while (begin < end && IsBlank(piece[begin]))
    ++begin;
  while (end > begin && IsBlank(piece[end - 1]))
    --end;
  return piece.mid(begin, end - begin);
}

QStringList LocalFiles(const QMimeData *data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl &url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

} // namespace

void TMainForm::ReceiveHandOff(const QByteArray &text, int count) {
  if (count > 0) {
    // The text ends at its terminator, whatever the count says.
    const qsizetype zero = text.indexOf('\0');
    const QByteArray names = zero < 0 ? text : text.left(zero);
    qsizetype pos = 0;
    for (int i = 0; i < count && pos < names.size(); ++i) {
      const qsizetype lineFeed = names.indexOf('\n', pos);
      const qsizetype end = lineFeed < 0 ? names.size() : lineFeed;
      const QByteArray piece = Trimmed(names.mid(pos, end - pos));
      pos = end + 1;
      if (!piece.isEmpty()) OpenImageFile(QString::fromUtf8(piece));
    }
    UpdateMenuItems();
  }
  if (!isVisible()) show();
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

void TMainForm::OpenDroppedFiles(const QStringList &files) {
  for (const QString &file : files) {
    const QFileInfo info(file);
    if (!info.exists() || info.size() < 1) {
      UserDialogs::Error(this, QStringLiteral("サイズが０のファイルは読み込みできません。"));
      break;
    }
    OpenImageFile(file);
  }
  UpdateMenuItems();
}

void TMainForm::dragEnterEvent(QDragEnterEvent *event) {
  if (!LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TMainForm::dropEvent(QDropEvent *event) {
  const QStringList files = LocalFiles(event->mimeData());
  if (files.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  raise();
  activateWindow();
  OpenDroppedFiles(files);
}
