#include "browser/BrowserOptions.h"

#include "platform/Registry.h"
#include "platform/Settings.h"

#include <QStringList>

#include <algorithm>

namespace {

const QString kRenameRecord = QStringLiteral("RenameRule");

int Number(const char *name, const char *defaultText) {
  return SettingNumber(
      ReadSettingIn(kBrowserKey, QString::fromLatin1(name), QString::fromLatin1(defaultText)));
}

void WriteNumber(const char *name, int value) {
  WriteSettingIn(kBrowserKey, QString::fromLatin1(name), QString::number(value));
}

} // namespace

BrowserOptions ReadBrowserOptions() {
  BrowserOptions o;
  o.deleteMethod = Number("DeleteMethod", "0");
  o.doubleClick = Number("DoubleClick", "0");
  o.autoClose = Number("AutoClose", "0");
  o.remakeSN = Number("RemakeSN", "0");
  const std::optional<QString> enable = Registry::Read(kBrowserKey, QStringLiteral("EnableFile"));
  if (enable) {
    o.enableFile = *enable;
  } else {
    o.enableFile = kDefaultEnableFile;
    WriteSettingIn(kBrowserKey, QStringLiteral("EnableFile"), o.enableFile);
  }
  o.fullScrHQ = Number("FullScrHQ", "0");
  o.slideShowHQ = Number("SlideShowHQ", "0");
  o.thumbSave = Number("ThumbSave", "1");
  return o;
}

void WriteBrowserOptions(const BrowserOptions &o) {
  WriteNumber("DeleteMethod", o.deleteMethod);
  WriteNumber("DoubleClick", o.doubleClick);
  WriteNumber("AutoClose", o.autoClose);
  WriteNumber("RemakeSN", o.remakeSN);
  WriteSettingIn(kBrowserKey, QStringLiteral("EnableFile"), o.enableFile);
  WriteNumber("FullScrHQ", o.fullScrHQ);
  WriteNumber("SlideShowHQ", o.slideShowHQ);
  WriteNumber("ThumbSave", o.thumbSave);
}

bool ImageExtensionAccepted(const QString &fileName, const QString &enableFile) {
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  const QString extension = dot < 0 ? QString() : fileName.mid(dot).toUpper();
  for (const char *standard : {".BMP", ".JPG", ".JPEG", ".TIF", ".TIFF"})
    if (extension == QLatin1String(standard)) return true;
  const QStringList entries = (enableFile + QLatin1Char(',')).split(QLatin1Char(','));
  // The last piece is what follows the appended comma, not an entry.
  for (qsizetype i = 0; i + 1 < entries.size(); ++i)
    if ((QLatin1Char('.') + entries[i]).trimmed().toUpper() == extension) return true;
  return false;
}

RenameRule ReadRenameRule() {
  RenameRule rule;
  CResumeDialog record;
  if (record.Load(kRenameRecord) != 0) return rule;
  rule.common = record.GetText(0);
  rule.digitsIndex = std::clamp(record.GetInt(1), 0, 3);
  rule.start = record.GetInt(2);
  return rule;
}

void WriteRenameRule(const RenameRule &rule) {
  CResumeDialog record;
  record.AddText(rule.common);
  record.AddInt(rule.digitsIndex);
  record.AddInt(rule.start);
  record.Save(kRenameRecord);
}

QString NumberedName(const RenameRule &rule, int index) {
  const int digits = std::clamp(rule.digitsIndex, 0, 3) + 1;
  return rule.common + QString::asprintf("%.*d", digits, rule.start + index);
}
