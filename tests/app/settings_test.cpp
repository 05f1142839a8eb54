#include "platform/Registry.h"
#include "platform/Settings.h"
#include "qt_print.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Each test starts from an empty settings file.
class Settings : public ::testing::Test {
protected:
  void SetUp() override { QFile::remove(Registry::FilePath()); }
};

TEST_F(Settings, FirstStartCreatesEveryGeneralValueWithItsDefault) {
  LoadGeneralSettings();
  EXPECT_EQ(Registry::Read(kProgramKey, "UndoDepth").value_or("-"), "3");
  EXPECT_EQ(Registry::Read(kProgramKey, "Toolbar2Visible").value_or("-"), "1");
  EXPECT_EQ(Registry::Read(kProgramKey, "GammaInIppatsuParam").value_or("-"), "100");
  EXPECT_EQ(Registry::Read(kProgramKey, "SusiePluginPath").value_or("-"), "");
  EXPECT_EQ(General.undoDepth, 3);
  EXPECT_EQ(General.ippatsuBContrast, 4);
  General.undoDepth = 7;
  SaveGeneralSettings();
  General.undoDepth = 0;
  LoadGeneralSettings();
  EXPECT_EQ(General.undoDepth, 7);
}

TEST_F(Settings, ReadSettingStoresTheDefaultForMissingOrEmpty) {
  EXPECT_EQ(ReadSetting("LastOpenPath", "/home"), "/home");
  EXPECT_EQ(Registry::Read(kProgramKey, "LastOpenPath").value_or("-"), "/home");
  WriteSetting("UIMode", "");
  EXPECT_EQ(ReadSetting("UIMode", "NORMAL"), "NORMAL");
  WriteSetting("WPW", "800");
  EXPECT_EQ(ReadSetting("wpw", "640"), "800"); // names ignore letter case
}

TEST_F(Settings, NonNumericGeneralValueReadsAsZero) {
  WriteSetting("UndoDepth", "lots");
  LoadGeneralSettings();
  EXPECT_EQ(General.undoDepth, 0);
}

TEST_F(Settings, BothJpegQualitySpellingsAreOneValue) {
  JpegQuality = 55;
  WriteJpegQuality();
  JpegQuality = 0;
  ReadJpegQuality();
  EXPECT_EQ(JpegQuality, 55);
  EXPECT_EQ(Registry::Read(kProgramKey, "JPEGQUALITY").value_or("-"), "55");
}

TEST_F(Settings, ValuesWithQuotesBackslashesAndNewlinesSurvive) {
  const QString tricky = QStringLiteral("C:\\写真\\\"a\"\nb");
  ASSERT_TRUE(Registry::Write("Software\\Kzr\\Velmir\\Print", "Photographer", tricky));
  EXPECT_EQ(Registry::Read("software\\kzr\\velmir\\print", "photographer").value_or("-"), tricky);
  EXPECT_TRUE(Registry::KeyExists("Software\\Kzr"));
  EXPECT_FALSE(Registry::KeyExists("Control Panel\\Desktop"));
}

TEST_F(Settings, DamagedFileCountsAsMissing) {
  WriteSetting("UndoDepth", "5");
  {
    QFile f(Registry::FilePath());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("\n\"broken=\n[unterminated\n\xff\xfe garbage \"x\"=\n");
  }
  EXPECT_EQ(ReadSetting("UndoDepth", "3"), "5");
  {
    QFile f(Registry::FilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Software\\Kzr\\Velmir]\n\"UndoDepth\"=\"9");
  }
  EXPECT_EQ(ReadSetting("UndoDepth", "3"), "3");
  EXPECT_EQ(ReadSetting("UndoDepth", "4"), "3"); // the default was stored
}

TEST_F(Settings, ResumeDialogFields) {
  Registry::Write(kDialogsKey, "Sharp", "5,abc,7");
  CResumeDialog r;
  EXPECT_EQ(r.Load("Sharp"), 0);
  EXPECT_EQ(r.GetInt(0), 5);
  EXPECT_EQ(r.GetInt(1), 0); // not a number: absent
  EXPECT_EQ(r.GetInt(2), 7);
  EXPECT_EQ(r.GetInt(3), 0);
  EXPECT_EQ(r.GetText(1), "abc");
  EXPECT_EQ(r.GetText(3), "");

  CResumeDialog missing;
  EXPECT_EQ(missing.Load("Soft"), 1);
  EXPECT_EQ(missing.GetInt(0), 0);
  EXPECT_EQ(missing.GetText(0), "0");
}

TEST_F(Settings, ResumeDialogLooksAtTheFirstHundredFieldsOnly) {
  QStringList fields;
  for (int i = 0; i < 102; ++i)
    fields << QString::number(i + 1);
  Registry::Write(kDialogsKey, "Long", fields.join(','));
  CResumeDialog r;
  r.Load("Long");
  EXPECT_EQ(r.GetInt(99), 100);
  EXPECT_EQ(r.GetInt(100), 0);
  EXPECT_EQ(r.GetText(101), "102");
}

TEST_F(Settings, ResumeDialogSaving) {
  CResumeDialog w;
  w.AddInt(-3);
  w.AddText("a,b");
  w.AddInt(12);
  EXPECT_EQ(w.Save("Letter"), 0);
  EXPECT_EQ(Registry::Read(kDialogsKey, "Letter").value_or("-"), "-3,a.b,12");

  Registry::Write(kDialogsKey, "Median", "1,2");
  CResumeDialog cancelled;
  cancelled.Load("Median");
  EXPECT_EQ(cancelled.Save("Median"), 1);
  EXPECT_EQ(Registry::Read(kDialogsKey, "Median").value_or("-"), "1,2");
}

// Run as a child process by the test below: writes 30 values of its own.
TEST(SettingsWriter, DISABLED_WriteOwnValues) {
  const QString writer = qEnvironmentVariable("VELMIR_TEST_WRITER");
  for (int i = 0; i < 30; ++i)
    ASSERT_TRUE(Registry::Write(kProgramKey, writer + QString::number(i), QString::number(i)));
}

TEST_F(Settings, TwoProcessesWritingAtOnceKeepEveryValue) {
  QProcess a, b;
  for (auto [p, name] : {std::pair{&a, "A"}, std::pair{&b, "B"}}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMIR_TEST_WRITER", name);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(),
             {"--gtest_filter=SettingsWriter.DISABLED_WriteOwnValues",
              "--gtest_also_run_disabled_tests"});
  }
  ASSERT_TRUE(a.waitForFinished(60000));
  ASSERT_TRUE(b.waitForFinished(60000));
  EXPECT_EQ(a.exitCode(), 0);
  EXPECT_EQ(b.exitCode(), 0);
  for (const char *name : {"A", "B"})
    for (int i = 0; i < 30; ++i)
      EXPECT_EQ(Registry::Read(kProgramKey, QString(name) + QString::number(i)).value_or("-"),
                QString::number(i));
}

} // namespace
