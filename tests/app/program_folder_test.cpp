// The program folder and the setup path of an installed program: a
// read-only program folder moves the setup path to the user's data folder,
// while the plug-in folder stays where the plug-ins are installed.
#include "app/Icons.h"
#include "app/MainForm.h"
#include "app/Option.h"
#include "fileops_fixture.h"

#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using fileops_test::WithModal;
class ProgramFolder : public fileops_test::MainWindowTest {};

TEST_F(ProgramFolder, AProgramFolderTheUserCannotWritePutsTheSetupPathInTheDataFolder) {
  const QString data =
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/velmir/";
  // A folder that is not there cannot be written, whoever runs the test.
  EXPECT_EQ(DefaultSetupPath(Path("gone/lib/velmir")), data);
  EXPECT_EQ(DefaultSetupPath(dir.path()), dir.path() + "/");
  EXPECT_EQ(DefaultSetupPath(dir.path() + "/"), dir.path() + "/");
  // Read-only by its permissions (root writes anywhere, so only a user sees it).
  QTemporaryDir installed;
  ASSERT_TRUE(installed.isValid());
  ASSERT_TRUE(QFile::setPermissions(installed.path(), QFile::ReadOwner | QFile::ExeOwner));
  if (!QFileInfo(installed.path()).isWritable()) {
    EXPECT_EQ(DefaultSetupPath(installed.path()), data);
  }
  QFile::setPermissions(installed.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ProgramFolder, PluginResetNamesTheProgramFolderNotTheSetupPath) {
  // As on an installation whose program folder the user cannot write.
  main->SetupPath = Path("data/velmir/");
  QString shown;
  const bool seen = WithModal([this] { main->mOptionClick(); },
                              [&shown](QWidget *w) {
                                auto *options = qobject_cast<TOptionForm *>(w);
                                ASSERT_NE(options, nullptr);
                                auto *reset = options->findChild<QPushButton *>("bSusieReset");
                                ASSERT_NE(reset, nullptr);
                                reset->click();
                                shown = options->findChild<QLineEdit *>("edSusieFolder")->text();
                                options->accept();
                              });
  ASSERT_TRUE(seen);
  EXPECT_EQ(shown, main->ProgramFolder);
  EXPECT_NE(shown, main->SetupPath);
  // What OK stored is where the next start loads the plug-ins from: the
  // shipped PNG plug-in is there.
  LoadGeneralSettings();
  EXPECT_EQ(General.susiePluginPath, main->ProgramFolder);
  EXPECT_TRUE(QFile::exists(General.susiePluginPath + "/ifpng.spi"));
  General.susiePluginPath.clear();
  SaveGeneralSettings();
}

TEST(ApplicationIcon, HasEverySizeDesktopsAskFor) {
  const QIcon icon = ApplicationIcon();
  ASSERT_FALSE(icon.isNull());
  for (int side : {16, 32, 48, 256}) {
    const QImage image = icon.pixmap(side, side).toImage();
    EXPECT_EQ(image.size(), QSize(side, side));
    // The tile is opaque in its middle, the corners stay clear.
    EXPECT_EQ(qAlpha(image.pixel(side / 2, side / 2)), 255);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  }
}

} // namespace
