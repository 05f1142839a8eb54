// The wallpaper commands: the file and the folder it goes to, the tiling
// setting, the desktop tools called (fakes on PATH, and the real gsettings
// over a key file), and the main window's commands.
#include "fileops_fixture.h"
#include "output_util.h"
#include "platform/DesktopWallpaper.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using namespace DesktopWallpaper;

// Sets environment variables for one test and puts them back after.
class ScopedEnv {
public:
  void Set(const char *name, const QByteArray &value) {
    if (!saved_.contains(name))
      saved_.insert(name,
                    qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    qputenv(name, value);
  }
  ~ScopedEnv() {
    for (auto it = saved_.begin(); it != saved_.end(); ++it)
      if (it.value())
        qputenv(it.key().constData(), *it.value());
      else
        qunsetenv(it.key().constData());
  }

private:
  QMap<QByteArray, std::optional<QByteArray>> saved_;
};

// A fake tool in `folder` that appends its arguments (one line each, then
// "--") to `log` and exits with `status`; `output` is printed first.
void FakeTool(const QString &folder, const QString &name, const QString &log, int status = 0,
              const QByteArray &output = {}) {
  QFile f(folder + "/" + name);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\n");
  if (!output.isEmpty()) f.write("cat <<'EOF'\n" + output + "EOF\n");
  f.write(("for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + log + "'; done\n").toUtf8());
  f.write(("echo -- >> '" + log + "'\nexit " + QString::number(status) + "\n").toUtf8());
  f.close();
  f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

QStringList LogLines(const QString &log) {
  QFile f(log);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

class Wallpaper : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    env.Set("WINDIR", dir.filePath("windows").toUtf8());
    QDir().mkpath(dir.filePath("bin"));
    log = dir.filePath("calls.log");
    // Only the fakes answer.
    env.Set("PATH", (dir.filePath("bin") + ":/bin:/usr/bin").toUtf8());
  }
  QTemporaryDir dir;
  ScopedEnv env;
  QString log;
};

TEST_F(Wallpaper, TheFileGoesToTheWindowsFolder) {
  EXPECT_EQ(WallpaperFile(), dir.filePath("windows") + "/VelmirSaved.bmp");
  EXPECT_TRUE(QFileInfo(dir.filePath("windows")).isDir());
  env.Set("WINDIR", "");
  env.Set("XDG_DATA_HOME", dir.filePath("data").toUtf8());
  EXPECT_EQ(WindowsFolder(), dir.filePath("data") + "/velmir/");
}

TEST_F(Wallpaper, CallsForEachDesktop) {
  const QString file = "/w/Velmir Saved.bmp";
  auto gnome = CallsFor("ubuntu:GNOME", file, Style::Centred);
  ASSERT_EQ(gnome.size(), 1u);
  ASSERT_EQ(gnome[0].size(), 3u);
  EXPECT_EQ(gnome[0][0].program, "gsettings");
  EXPECT_EQ(gnome[0][0].args, (QStringList{"set", "org.gnome.desktop.background", "picture-uri",
                                           "file:///w/Velmir%20Saved.bmp"}));
  EXPECT_EQ(gnome[0][1].args[2], "picture-uri-dark");
  EXPECT_FALSE(gnome[0][1].required);
  EXPECT_EQ(gnome[0][2].args,
            (QStringList{"set", "org.gnome.desktop.background", "picture-options", "centered"}));
  for (const char *d : {"X-Cinnamon", "Budgie:GNOME", "gnome"})
    EXPECT_EQ(CallsFor(d, file, Style::Tiled)[0][2].args[3], "wallpaper") << d;
  auto mate = CallsFor("MATE", file, Style::Tiled);
  ASSERT_EQ(mate.size(), 1u);
  EXPECT_EQ(mate[0][0].args, (QStringList{"set", "org.mate.background", "picture-filename", file}));
  EXPECT_EQ(mate[0][1].args[3], "wallpaper");
  auto kde = CallsFor("KDE", file, Style::Centred);
  ASSERT_EQ(kde.size(), 1u);
  EXPECT_EQ(kde[0][0].program, "plasma-apply-wallpaperimage");
  EXPECT_EQ(kde[0][0].args, QStringList{file});
  EXPECT_TRUE(CallsFor("", file, Style::Centred).empty());
  EXPECT_TRUE(CallsFor("Weston", file, Style::Centred).empty());
}

TEST_F(Wallpaper, GnomeIsToldThroughGsettings) {
  FakeTool(dir.filePath("bin"), "gsettings", log);
  env.Set("XDG_CURRENT_DESKTOP", "GNOME");
  EXPECT_TRUE(Apply("/w/a.bmp", Style::Tiled));
  EXPECT_EQ(LogLines(log),
            (QStringList{"set", "org.gnome.desktop.background", "picture-uri", "file:///w/a.bmp",
                         "--", "set", "org.gnome.desktop.background", "picture-uri-dark",
                         "file:///w/a.bmp", "--", "set", "org.gnome.desktop.background",
                         "picture-options", "wallpaper", "--"}));
}

TEST_F(Wallpaper, AFailingOrMissingToolIsNoAnswer) {
  env.Set("XDG_CURRENT_DESKTOP", "GNOME");
  env.Set("PATH", dir.filePath("bin").toUtf8());
  EXPECT_FALSE(Apply("/w/a.bmp", Style::Centred)); // no gsettings on PATH
  env.Set("PATH", (dir.filePath("bin") + ":/bin:/usr/bin").toUtf8());
  FakeTool(dir.filePath("bin"), "gsettings", log, 1);
  EXPECT_FALSE(Apply("/w/a.bmp", Style::Centred));
  env.Set("XDG_CURRENT_DESKTOP", "Weston");
  FakeTool(dir.filePath("bin"), "gsettings", log, 0);
  EXPECT_FALSE(Apply("/w/a.bmp", Style::Centred));
}

TEST_F(Wallpaper, XfceSetsEveryMonitorsImage) {
  FakeTool(dir.filePath("bin"), "xfconf-query", log, 0,
           "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
           "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\n"
           "/backdrop/screen0/monitor0/workspace0/last-image\n"
           "/last-settings-migration-version\n");
  env.Set("XDG_CURRENT_DESKTOP", "XFCE");
  EXPECT_TRUE(Apply("/w/a.bmp", Style::Centred));
  const QStringList lines = LogLines(log);
  EXPECT_TRUE(lines.contains("/backdrop/screen0/monitorHDMI-1/workspace0/last-image"));
  EXPECT_TRUE(lines.contains("/backdrop/screen0/monitor0/workspace0/image-style"));
  EXPECT_EQ(lines.count("/w/a.bmp"), 2);
  EXPECT_EQ(lines.count("1"), 2); // centred
}

TEST_F(Wallpaper, RealGsettingsKeepsTheKeys) {
  env.Set("PATH", "/bin:/usr/bin");
  if (!output_test::Installed("gsettings")) GTEST_SKIP() << "gsettings is not installed";
  env.Set("GSETTINGS_BACKEND", "keyfile");
  env.Set("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  env.Set("XDG_CURRENT_DESKTOP", "GNOME");
  ASSERT_TRUE(Apply(dir.filePath("w.bmp"), Style::Tiled));
  QByteArray out;
  ASSERT_TRUE(
      output_test::Run("gsettings", {"get", "org.gnome.desktop.background", "picture-uri"}, &out));
  EXPECT_EQ(out.trimmed(), "'" + QUrl::fromLocalFile(dir.filePath("w.bmp")).toEncoded() + "'");
  ASSERT_TRUE(output_test::Run("gsettings",
                               {"get", "org.gnome.desktop.background", "picture-options"}, &out));
  EXPECT_EQ(out.trimmed(), "'wallpaper'");
  ASSERT_TRUE(Apply(dir.filePath("w.bmp"), Style::Centred));
  ASSERT_TRUE(output_test::Run("gsettings",
                               {"get", "org.gnome.desktop.background", "picture-options"}, &out));
  EXPECT_EQ(out.trimmed(), "'centered'");
}

// ---- the main window's commands ---------------------------------------------

class WallpaperCommands : public fileops_test::MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    env.Set("WINDIR", Path("windows").toUtf8());
    QDir().mkpath(Path("bin"));
    env.Set("PATH", (Path("bin") + ":/bin:/usr/bin").toUtf8());
    env.Set("XDG_CURRENT_DESKTOP", "GNOME");
    FakeTool(Path("bin"), "gsettings", Path("calls.log"));
  }
  void OpenPicture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(QColor(10, 20, 30));
    image.setPixelColor(0, 0, Qt::white);
    ASSERT_TRUE(image.save(Path("p.bmp")));
    ASSERT_TRUE(main->OpenImageFile(Path("p.bmp")));
  }
  ScopedEnv env;
};

TEST_F(WallpaperCommands, CentredAndTiledWriteTheFileAndTheSetting) {
  OpenPicture(7, 5);
  main->Act("mTile")->trigger();
  const QString file = Path("windows/VelmirSaved.bmp");
  QImage saved(file);
  ASSERT_EQ(saved.size(), QSize(7, 5));
  EXPECT_EQ(saved.pixelColor(0, 0), QColor(Qt::white));
  EXPECT_EQ(Registry::Read("Control Panel\\Desktop", "TileWallpaper"), "1");
  // Twice in a row: the file rewritten, still tiled.
  QFile::remove(file);
  main->Act("tb29")->trigger();
  EXPECT_TRUE(QFileInfo::exists(file));
  EXPECT_EQ(Registry::Read("Control Panel\\Desktop", "TileWallpaper"), "1");
  for (const char *centred : {"mCenter", "tb28"}) {
    Registry::Write("Control Panel\\Desktop", "TileWallpaper", "1");
    main->Act(centred)->trigger();
    EXPECT_EQ(Registry::Read("Control Panel\\Desktop", "TileWallpaper"), "0") << centred;
  }
  EXPECT_TRUE(LogLines(Path("calls.log")).contains("centered"));
  EXPECT_NE(main->StatusText(), DesktopWallpaper::kNotAppliedText);
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(WallpaperCommands, NoDesktopAnsweringIsSaidInTheStatusBar) {
  OpenPicture(4, 4);
  env.Set("XDG_CURRENT_DESKTOP", "Weston");
  main->Act("mCenter")->trigger();
  EXPECT_EQ(main->StatusText(), "デスクトップの壁紙を設定できませんでした");
  EXPECT_TRUE(QFileInfo::exists(Path("windows/VelmirSaved.bmp")));
}

TEST_F(WallpaperCommands, AFolderThatCannotBeWrittenIsSaid) {
  OpenPicture(4, 4);
  QFile blocker(Path("blocked"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  env.Set("WINDIR", Path("blocked").toUtf8()); // a file, not a folder
  main->Act("mCenter")->trigger();
  EXPECT_EQ(Messages(), QStringList{"ファイルを保存できません"});
  EXPECT_FALSE(Registry::Read("Control Panel\\Desktop", "TileWallpaper").has_value());
}

TEST_F(WallpaperCommands, WithoutADocumentNothingHappens) {
  main->Act("mCenter")->trigger();
  EXPECT_FALSE(QFileInfo::exists(Path("windows/VelmirSaved.bmp")));
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(WallpaperCommands, OpeningTheSavedWallpaper) {
  main->Act("mWallOpen")->trigger();
  EXPECT_EQ(Messages(), QStringList{"読込めないデータ形式です"});
  EXPECT_TRUE(main->Children().isEmpty());
  OpenPicture(6, 3);
  main->Act("mCenter")->trigger();
  main->Act("tb30")->trigger();
  ASSERT_EQ(main->Children().size(), 2);
  EXPECT_EQ(main->ActiveChild()->Width(), 6);
}

} // namespace
