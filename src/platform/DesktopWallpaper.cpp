#include "platform/DesktopWallpaper.h"

#include "image/Kit.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace DesktopWallpaper {

namespace {

bool Has(const QStringList &desktops, std::initializer_list<const char *> names) {
  for (const QString &d : desktops)
    for (const char *n : names)
      if (d.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return true;
  return false;
}

// Runs one call; true when it finished with status 0 in time.
bool Run(const Call &call, int timeoutMs, QByteArray *out = nullptr) {
  if (QStandardPaths::findExecutable(call.program).isEmpty()) return false;
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.start(call.program, call.args);
  if (!p.waitForStarted(timeoutMs)) return false;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(1000);
    return false;
  }
  if (out) *out = p.readAllStandardOutput();
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Xfce keeps one image per monitor and workspace: every "last-image"
// property of its desktop channel gets the file.
bool ApplyXfce(const QString &file, Style style, int timeoutMs) {
  QByteArray listing;
  if (!Run({QStringLiteral("xfconf-query"), {"-c", "xfce4-desktop", "-l"}}, timeoutMs, &listing))
    return false;
  bool any = false;
  for (const QByteArray &line : listing.split('\n')) {
    const QString property = QString::fromUtf8(line.trimmed());
    if (!property.endsWith(QLatin1String("/last-image"))) continue;
    const QString styleProperty =
        property.left(property.size() - 10) + QStringLiteral("image-style");
    const QString code = style == Style::Tiled ? QStringLiteral("2") : QStringLiteral("1");
    any |=
        Run({QStringLiteral("xfconf-query"), {"-c", "xfce4-desktop", "-p", property, "-s", file}},
            timeoutMs) &&
        Run({QStringLiteral("xfconf-query"),
             {"-c", "xfce4-desktop", "-p", styleProperty, "-s", code}},
            timeoutMs);
  }
  return any;
}

} // namespace

QString WindowsFolder() {
  QString folder = qEnvironmentVariable("WINDIR");
  if (folder.isEmpty()) {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    folder = data + QStringLiteral("/velmir");
  }
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  QDir().mkpath(folder);
  return folder;
}

QString WallpaperFile() { return WindowsFolder() + QStringLiteral("VelmirSaved.bmp"); }

void WriteTileSetting(Style style) {
  Registry::Write(kDesktopKey, kTileValue,
                  style == Style::Tiled ? QStringLiteral("1") : QStringLiteral("0"));
}

std::vector<std::vector<Call>> CallsFor(const QString &currentDesktop, const QString &file,
                                        Style style) {
  const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
  const QString uri = QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded());
  const bool tiled = style == Style::Tiled;
  std::vector<std::vector<Call>> out;
  if (Has(desktops, {"GNOME", "GNOME-Classic", "GNOME-Flashback", "Unity", "X-Cinnamon", "Cinnamon",
                     "Budgie", "Pantheon", "ubuntu"})) {
    const QString gs = QStringLiteral("gsettings");
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    out.push_back({{gs, {"set", schema, "picture-uri", uri}},
                   {gs, {"set", schema, "picture-uri-dark", uri}, false},
                   {gs, {"set", schema, "picture-options", tiled ? "wallpaper" : "centered"}}});
  }
  if (Has(desktops, {"MATE"})) {
    const QString gs = QStringLiteral("gsettings");
    const QString schema = QStringLiteral("org.mate.background");
    out.push_back({{gs, {"set", schema, "picture-filename", file}},
                   {gs, {"set", schema, "picture-options", tiled ? "wallpaper" : "centered"}}});
  }
  if (Has(desktops, {"KDE"}))
    out.push_back({{QStringLiteral("plasma-apply-wallpaperimage"), {file}}});
  return out;
}

bool Apply(const QString &file, Style style, int timeoutMs) {
  const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
  bool applied = false;
  for (const std::vector<Call> &calls : CallsFor(desktop, file, style)) {
    bool ok = true;
    for (const Call &call : calls)
      if (!Run(call, timeoutMs) && call.required) ok = false;
    applied |= ok;
  }
  if (desktop.split(QLatin1Char(':')).contains(QStringLiteral("XFCE"), Qt::CaseInsensitive))
    applied |= ApplyXfce(file, style, timeoutMs);
  return applied;
}

Result SaveAndApply(IMGHANDLE picture, Style style) {
  const QString file = WallpaperFile();
  // The kit's writer goes through a temporary file beside the target.
  if (!picture || !Kit.ImgKitBmpFileSave(QFile::encodeName(file).constData(), picture, "VELMIR",
                                         "画像保存中", 0))
    return Result::NotSaved;
  WriteTileSetting(style);
  return Apply(file, style) ? Result::Applied : Result::NotApplied;
}

} // namespace DesktopWallpaper
