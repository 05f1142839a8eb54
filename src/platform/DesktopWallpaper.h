// The desktop wallpaper: the fixed bitmap file the program keeps in its
// "Windows folder", the "TileWallpaper" desktop setting, and asking the
// running desktop to show the file. Desktops are told through their own
// command-line tools, chosen by XDG_CURRENT_DESKTOP: gsettings for GNOME,
// Cinnamon, Budgie (and the other GNOME-based ones) and MATE, xfconf-query
// for Xfce, plasma-apply-wallpaperimage for KDE Plasma.
#pragma once

#include "image/DibHandle.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace DesktopWallpaper {

enum class Style { Centred, Tiled };

// $WINDIR when set, else "velmir" in the user's data folder; ends in "/".
// Made when missing.
QString WindowsFolder();
// WindowsFolder() + "VelmirSaved.bmp".
QString WallpaperFile();

// The settings key and value of the tiling choice: "0" centred, "1" tiled.
inline const QString kDesktopKey = QStringLiteral("Control Panel\\Desktop");
inline const QString kTileValue = QStringLiteral("TileWallpaper");
void WriteTileSetting(Style style);

// One run of a desktop's tool.
struct Call {
  QString program;
  QStringList args;
  bool required = true; // false: a failure does not count (a key older desktops lack)
};
// The calls that set `file` as the wallpaper of the desktop(s) named by
// `currentDesktop` (XDG_CURRENT_DESKTOP, colon-separated, letter case
// ignored), one list per desktop to try in turn; none for a desktop we do
// not know. Xfce's calls need its monitor properties and are made by Apply.
std::vector<std::vector<Call>> CallsFor(const QString &currentDesktop, const QString &file,
                                        Style style);

// Asks the running desktop to show `file`; true when one answered. Each
// tool gets `timeoutMs` to finish.
bool Apply(const QString &file, Style style, int timeoutMs = 10000);

enum class Result { Applied, NotApplied, NotSaved };
// What the wallpaper commands do: `picture` written as the wallpaper file
// (through a temporary file), "TileWallpaper" written, the desktop asked.
Result SaveAndApply(IMGHANDLE picture, Style style);

// Said in the status bar when no desktop answered.
inline const QString kNotAppliedText = QStringLiteral("デスクトップの壁紙を設定できませんでした");

} // namespace DesktopWallpaper
