#include "platform/Settings.h"

#include "image/Kit.h"
#include "platform/Registry.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

GeneralSettings General;
int JpegQuality = 90;

QString ReadSettingIn(const QString &key, const QString &name, const QString &defaultText) {
  const std::optional<QString> value = Registry::Read(key, name);
  if (value && !value->isEmpty()) return *value;
  Registry::Write(key, name, defaultText);
  return defaultText;
}

void WriteSettingIn(const QString &key, const QString &name, const QString &text) {
  Registry::Write(key, name, text);
}

QString ReadSetting(const QString &name, const QString &defaultText) {
  return ReadSettingIn(kProgramKey, name, defaultText);
}

void WriteSetting(const QString &name, const QString &text) {
  WriteSettingIn(kProgramKey, name, text);
}

int SettingNumber(const QString &text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok, 10);
  return ok ? n : 0;
}

QString DefaultSetupPath(const QString &programFolder) {
  QString path = programFolder;
  if (!QFileInfo(path).isWritable())
    path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/velmir");
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return path;
}

QString StoredSetupPath() {
  const QString stored =
      Registry::Read(kProgramKey, QStringLiteral("SetupPath")).value_or(QString());
  if (stored.isEmpty()) return DefaultSetupPath(QString::fromStdString(ProgramFolder()));
  return stored.endsWith(QLatin1Char('/')) ? stored : stored + QLatin1Char('/');
}

QString WorkingThumbFolder() { return StoredSetupPath() + QStringLiteral("Samples/"); }

void LoadGeneralSettings() {
#define VELMIR_LOAD(name, def, field)                                                              \
  General.field = SettingNumber(ReadSetting(QStringLiteral(name), QStringLiteral(def)));
  VELMIR_GENERAL_SETTINGS(VELMIR_LOAD)
#undef VELMIR_LOAD
  General.susiePluginPath = ReadSetting(QStringLiteral("SusiePluginPath"), QString());
}

void SaveGeneralSettings() {
#define VELMIR_SAVE(name, def, field)                                                              \
  WriteSetting(QStringLiteral(name), QString::number(General.field));
  VELMIR_GENERAL_SETTINGS(VELMIR_SAVE)
#undef VELMIR_SAVE
  WriteSetting(QStringLiteral("SusiePluginPath"), General.susiePluginPath);
}

void ReadJpegQuality() {
  JpegQuality = SettingNumber(ReadSetting(QStringLiteral("JpegQuality"), QStringLiteral("90")));
}

void WriteJpegQuality() {
  // Names ignore letter case: this is the same value as "JpegQuality".
  WriteSetting(QStringLiteral("JPegQuality"), QString::number(JpegQuality));
}

int CResumeDialog::Load(const QString &name) {
  storedText_ = Registry::Read(kDialogsKey, name).value_or(QString());
  loaded_ = !storedText_.isEmpty();
  return loaded_ ? 0 : 1;
}

QString CResumeDialog::Field(int index, bool &exists) const {
  const QStringList fields = (storedText_ + QLatin1Char(',')).split(QLatin1Char(','));
  // The text ends in ",", so the last piece of the split is not a field.
  exists = index >= 0 && index < fields.size() - 1;
  currentItem_ = exists ? fields[index] : QString();
  return currentItem_;
}

int CResumeDialog::GetInt(int index) const {
  if (!loaded_ || index >= 100) return 0;
  bool exists = false;
  const QString text = Field(index, exists);
  if (!exists) return 0;
  bool ok = false;
  const int n = text.toInt(&ok, 10);
  return ok ? n : 0;
}

QString CResumeDialog::GetText(int index) const {
  if (!loaded_) return QStringLiteral("0");
  bool exists = false;
  return Field(index, exists);
}

void CResumeDialog::AddInt(int n) {
  if (!textToWrite_.isEmpty()) textToWrite_ += QLatin1Char(',');
  textToWrite_ += QString::number(n);
  changed_ = true;
}

void CResumeDialog::AddText(const QString &s) {
  QString text = s;
  text.replace(QLatin1Char(','), QLatin1Char('.'));
  if (!textToWrite_.isEmpty()) textToWrite_ += QLatin1Char(',');
  textToWrite_ += text;
  changed_ = true;
}

int CResumeDialog::Save(const QString &name) {
  if (!changed_) return 1;
  Registry::Write(kDialogsKey, name, textToWrite_);
  return 0;
}
