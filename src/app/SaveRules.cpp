#include "app/SaveRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace SaveRules {
namespace {

// The extension with its dot, taken from the name part only; empty when the
// name has no dot.
QString Extension(const QString &fileName) {
  const QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot);
}

bool Is(const QString &text, const char *what) {
  return text.compare(QLatin1String(what), Qt::CaseInsensitive) == 0;
}

} // namespace

QString SaveFilter() {
  return QStringLiteral("JPEGﾌｧｲﾙ (*.jpg;*.jpeg)|*.jpg;*.jpeg|ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)|*.bmp|TIFF ﾌｧｲﾙ "
                        "(*.tif;*.tiff)|*.tif;*.tiff");
}

QString OpenFilter() {
  return QStringLiteral(
      "すべてのﾌｧｲﾙ(*.*)|*.*|ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ (*.bmp)|*.bmp|JPEG ﾌｧｲﾙ　(*.jpg;*.jpeg)|*."
      "jpg;*.jpeg|TIFF ﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff");
}

Writer WriterByLastFour(const QString &fileName) {
  const QString last = fileName.right(4);
  if (Is(last, ".jpg") || Is(last, "jpeg")) return Writer::Jpeg;
  if (Is(last, ".bmp")) return Writer::Bmp;
  if (Is(last, ".tif") || Is(last, "tiff")) return Writer::Tiff;
  return Writer::None;
}

Writer WriterByExtension(const QString &fileName) {
  const QString ext = Extension(fileName);
  if (Is(ext, ".jpg") || Is(ext, ".jpeg")) return Writer::Jpeg;
  if (Is(ext, ".bmp")) return Writer::Bmp;
  if (Is(ext, ".tif") || Is(ext, ".tiff")) return Writer::Tiff;
  return Writer::None;
}

QString JpegRefusal(int bitCount, bool gray) {
  if (bitCount == 24) return {};
  if (gray && bitCount == 8) return {};
  if (gray && bitCount < 8) return QStringLiteral("JPEG保存には256色ｸﾞﾚｰ画像が必要です");
  return QStringLiteral("JPEG保存にはフルカラー画像が必要です");
}

int FilterIndexForCaption(const QString &caption, int current) {
  const QString ext = Extension(caption);
  if (Is(ext, ".jpg") || Is(ext, ".jpeg") || Is(ext, ".jpe")) return 1;
  if (Is(ext, ".bmp")) return 2;
  if (Is(ext, ".tif") || Is(ext, ".tiff")) return 3;
  return current;
}

QString ProposedNewName(const QString &folder) {
  const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
  // One listing, then the names are tried against it; "name.*" also matches
  // the bare name, as the wildcard does.
  const QStringList entries =
      dir.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (int n = 1;; ++n) {
    const QString name = QStringLiteral("Image%1").arg(n, 3, 10, QLatin1Char('0'));
    const QString withDot = name + QLatin1Char('.');
    bool taken = false;
    for (const QString &entry : entries) {
      if (entry.compare(name, Qt::CaseInsensitive) == 0 ||
          entry.startsWith(withDot, Qt::CaseInsensitive)) {
        taken = true;
        break;
      }
    }
    if (!taken) return name;
  }
}

QString WithDefaultExtension(const QString &fileName, int filterIndex) {
  if (!Extension(fileName).isEmpty()) return fileName;
  switch (filterIndex) {
  case 1: return fileName + QStringLiteral(".jpg");
  case 2: return fileName + QStringLiteral(".bmp");
  case 3: return fileName + QStringLiteral(".tif");
  default: return fileName;
  }
}

} // namespace SaveRules
