#include "platform/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void InstallJapaneseFontSubstitutes() {
  QStringList installed;
  for (const char *face : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"})
    if (QFontDatabase::hasFamily(QString::fromUtf8(face))) installed << QString::fromUtf8(face);
  if (installed.isEmpty()) return;
  for (const char *family : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS PGothic", "MS Gothic"})
    QFont::insertSubstitutions(QString::fromUtf8(family), installed);
  QFont::insertSubstitutions(QFont().family(), installed);
}
