// Settings helpers: values under the program key, the general settings
// block, the JPEG quality, and the dialog record in which each dialog
// remembers its last values.
#pragma once

#include <QString>

// The program key and its sub-keys.
inline const QString kProgramKey = QStringLiteral("Software\\Kzr\\Velmir");
inline const QString kDialogsKey = QStringLiteral("Software\\Kzr\\Velmir\\Dialogs");
inline const QString kPrintKey = QStringLiteral("Software\\Kzr\\Velmir\\Print");
inline const QString kBrowserKey = QStringLiteral("Software\\Kzr\\Velmir\\Browser");

// The value under the program key; when it is missing or empty the default
// is written under the name and returned.
QString ReadSetting(const QString &name, const QString &defaultText);
void WriteSetting(const QString &name, const QString &text);
// The same two for a sub-key of the program key.
QString ReadSettingIn(const QString &key, const QString &name, const QString &defaultText);
void WriteSettingIn(const QString &key, const QString &name, const QString &text);

// Decimal text to a number; text that is not a number reads as 0.
int SettingNumber(const QString &text);

// A colour as the settings store it (red in the low byte: 0x00BBGGRR) from
// 0xRRGGBB, and back.
inline unsigned ColourRefFromRgb(unsigned rgb) {
  return ((rgb & 0xffu) << 16) | (rgb & 0xff00u) | ((rgb >> 16) & 0xffu);
}
inline unsigned RgbFromColourRef(unsigned colourRef) {
  return ColourRefFromRgb(colourRef & 0xffffffu);
}

// The folder of the program's working files, ending in "/": the program
// folder when it can be written, else "velmir" in the user's data folder
// ($XDG_DATA_HOME, by default ~/.local/share).
QString DefaultSetupPath(const QString &programFolder);
// The folder the main window stored as "SetupPath"; DefaultSetupPath of the
// running program's folder when none is stored. Nothing is written.
QString StoredSetupPath();
// Where thumbnails are made and unpacked: the setup folder's "Samples/".
QString WorkingThumbFolder();

// Name, default text, field: the general settings block, in the order they
// are read and written.
#define VELMIR_GENERAL_SETTINGS(X)                                                                 \
  X("AutoScaleParam", "5", autoScaleParam)                                                         \
  X("Disp8BitSupportsPalette", "0", disp8BitSupportsPalette)                                       \
  X("IppatsuAContrast", "3", ippatsuAContrast)                                                     \
  X("IppatsuBContrast", "4", ippatsuBContrast)                                                     \
  X("GammaInIppatsu", "0", gammaInIppatsu)                                                         \
  X("ColorInIppatsu", "0", colorInIppatsu)                                                         \
  X("GammaInIppatsuParam", "100", gammaInIppatsuParam)                                             \
  X("ColorInIppatsuR", "0", colorInIppatsuR)                                                       \
  X("ColorInIppatsuG", "0", colorInIppatsuG)                                                       \
  X("ColorInIppatsuB", "0", colorInIppatsuB)                                                       \
  X("UndoDepth", "3", undoDepth)                                                                   \
  X("AutoPaste", "0", autoPaste)                                                                   \
  X("FullScrHighQuality", "0", fullScrHighQuality)                                                 \
  X("Toolbar2Visible", "1", toolbar2Visible)                                                       \
  X("WallPaperPalette", "0", wallPaperPalette)                                                     \
  X("StartScreenPalette", "0", startScreenPalette)                                                 \
  X("KeepMetadata", "1", keepMetadata)

struct GeneralSettings {
#define VELMIR_GENERAL_FIELD(name, def, field) int field = 0;
  VELMIR_GENERAL_SETTINGS(VELMIR_GENERAL_FIELD)
#undef VELMIR_GENERAL_FIELD
  // Folder of the plug-ins as stored; empty means the program folder.
  QString susiePluginPath;
};

// Process-wide: read when the main window is made, written when it goes.
extern GeneralSettings General;
void LoadGeneralSettings();
void SaveGeneralSettings();

// The process-wide JPEG quality, read before every JPEG save.
extern int JpegQuality;
void ReadJpegQuality();
void WriteJpegQuality();

// A dialog's last values: comma-separated fields of one value under
// "Dialogs".
class CResumeDialog {
public:
  // 1 when the value is missing or empty, else 0.
  int Load(const QString &name);
  // Field i as a number; 0 when not loaded, beyond the first 100 fields,
  // missing, or not a number (such a field counts as absent).
  int GetInt(int index) const;
  // Field i; "0" when not loaded, empty when there is no such field.
  QString GetText(int index) const;
  void AddInt(int n);
  // Commas in the text become full stops.
  void AddText(const QString &s);
  // Writes the fields added; 1 (and nothing written) when none were.
  int Save(const QString &name);

  bool Loaded() const { return loaded_; }
  bool Changed() const { return changed_; }

private:
  QString Field(int index, bool &exists) const;
  mutable QString currentItem_; // the field last taken out
  QString storedText_;
  QString textToWrite_;
  bool loaded_ = false;
  bool changed_ = false;
};
