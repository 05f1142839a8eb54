// One instance per user: the hand-off text, the lock, a real second process
// handing its names over, and what the main window does with them.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "platform/Settings.h"
#include "platform/SingleInstance.h"
#include "platform/UserDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Received = QList<QPair<QByteArray, int>>;

// Runs the event loop until `done` or the deadline.
template <class F> bool WaitUntil(F done, int ms = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// ---- the hand-off text --------------------------------------------------------

TEST(HandOffText, EachArgumentFollowedByALineFeed) {
  int count = -1;
  EXPECT_EQ(SingleInstance::HandOffText({"a.jpg", "写真.jpg"}, &count),
            QByteArray("a.jpg\n") + QString("写真.jpg").toUtf8() + "\n");
  EXPECT_EQ(count, 2);
  EXPECT_EQ(SingleInstance::HandOffText({}, &count), QByteArray());
  EXPECT_EQ(count, 0);
}

TEST(HandOffText, AnArgumentThatExactlyFitsIsTaken) {
  // 15998 bytes, its line feed and the terminating zero: 16000.
  int count = 0;
  const QByteArray text = SingleInstance::HandOffText({QString(15998, 'x')}, &count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(text.size(), 15999);
  EXPECT_EQ(text.back(), '\n');
}

TEST(HandOffText, TheArgumentThatOverflowsAndAllAfterItAreLeftOut) {
  int count = -1;
  EXPECT_TRUE(SingleInstance::HandOffText({QString(15999, 'x')}, &count).isEmpty());
  EXPECT_EQ(count, 0);
  // "b" would fit, but names are handed over in order or not at all.
  const QByteArray text = SingleInstance::HandOffText({"a", QString(15997, 'x'), "b"}, &count);
  EXPECT_EQ(text, "a\n");
  EXPECT_EQ(count, 1);
  // Bytes count, not characters: 5333 three-byte characters and the line
  // feed leave no room for the zero; one character fewer fits.
  EXPECT_TRUE(SingleInstance::HandOffText({QString(5333, QChar(0x5199))}, &count).isEmpty());
  EXPECT_EQ(count, 0);
  EXPECT_EQ(SingleInstance::HandOffText({QString(5332, QChar(0x5199))}, &count).size(), 15997);
  EXPECT_EQ(count, 1);
}

// ---- the channel ---------------------------------------------------------------

class Instance : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid());
    oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  }
  void TearDown() override { qputenv("XDG_RUNTIME_DIR", oldRuntime); }

  QString SocketFile() const {
    return runtime.filePath(QStringLiteral("velmir-%1.socket").arg(::getuid()));
  }

  // This test program started again as a second start, with these names.
  int RunSecondStart(const QStringList &names) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMIR_SECOND_START", "1");
    env.insert("VELMIR_SECOND_START_NAMES", names.join('|'));
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=SecondStart.DISABLED_HandsOverAndEnds",
                 "--gtest_also_run_disabled_tests"});
    if (!child.waitForStarted(10000)) return -1;
    // The first instance keeps serving while the child runs.
    if (!WaitUntil([&] { return child.state() == QProcess::NotRunning; }, 30000)) {
      child.kill();
      child.waitForFinished();
      return -2;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -3;
  }

  QTemporaryDir runtime;
  QByteArray oldRuntime;
};

// The child side of the two-process tests.
TEST(SecondStart, DISABLED_HandsOverAndEnds) {
  if (qEnvironmentVariableIsEmpty("VELMIR_SECOND_START")) GTEST_SKIP();
  const QStringList names =
      qEnvironmentVariable("VELMIR_SECOND_START_NAMES").split('|', Qt::SkipEmptyParts);
  SingleInstance second;
  ASSERT_FALSE(second.BecomeFirst());
  EXPECT_TRUE(SingleInstance::HandToFirstInstance(names));
}

TEST_F(Instance, SecondStartHandsItsNamesToTheFirst) {
  SingleInstance first;
  ASSERT_TRUE(first.BecomeFirst());
  Received got;
  QObject::connect(&first, &SingleInstance::HandOff, [&](const QByteArray &text, int count) {
    got.append({text, count});
  });
  EXPECT_EQ(RunSecondStart({"a.jpg", "b.jpg"}), 0);
  ASSERT_TRUE(WaitUntil([&] { return !got.isEmpty(); }));
  ASSERT_EQ(got.size(), 1);
  EXPECT_EQ(got[0].first, "a.jpg\nb.jpg\n");
  EXPECT_EQ(got[0].second, 2);
}

TEST_F(Instance, SecondStartWithoutNamesSendsNothing) {
  SingleInstance first;
  ASSERT_TRUE(first.BecomeFirst());
  int handOffs = 0;
  QObject::connect(&first, &SingleInstance::HandOff, [&] { ++handOffs; });
  EXPECT_EQ(RunSecondStart({}), 0);
  // Absence can only be shown by waiting a little.
  WaitUntil([] { return false; }, 1000);
  EXPECT_EQ(handOffs, 0);
}

TEST_F(Instance, OnlyOneIsFirstUntilItGoes) {
  auto first = std::make_unique<SingleInstance>();
  ASSERT_TRUE(first->BecomeFirst());
  SingleInstance other;
  EXPECT_FALSE(other.BecomeFirst());
  first.reset();
  EXPECT_FALSE(QFile::exists(SocketFile()));
  SingleInstance next;
  EXPECT_TRUE(next.BecomeFirst());
}

TEST_F(Instance, StaleSocketFileIsReplacedAndGarbageIsIgnored) {
  {
    QFile stale(SocketFile());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  }
  SingleInstance first;
  ASSERT_TRUE(first.BecomeFirst());
  Received got;
  QObject::connect(&first, &SingleInstance::HandOff, [&](const QByteArray &text, int count) {
    got.append({text, count});
  });

  // A frame claiming more than any second start can send.
  std::atomic<bool> garbageSent{false};
  std::thread garbage([&] {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(SocketFile());
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
      const unsigned char frame[] = {0, 0, 0, 1, 0, 1, 0, 0, 'x'};
      (void)!::write(fd, frame, sizeof frame);
    }
    ::close(fd);
    garbageSent = true;
  });
  ASSERT_TRUE(WaitUntil([&] { return garbageSent.load(); }));
  garbage.join();

  std::atomic<bool> sent{false};
  std::thread sender([&] { sent = SingleInstance::HandToFirstInstance({"c.bmp"}); });
  ASSERT_TRUE(WaitUntil([&] { return !got.isEmpty(); }));
  sender.join();
  EXPECT_TRUE(sent.load());
  ASSERT_EQ(got.size(), 1);
  EXPECT_EQ(got[0].first, "c.bmp\n");
  EXPECT_EQ(got[0].second, 1);
}

// ---- the main window's side ------------------------------------------------------

class Arrivals : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    WriteSetting("UIMode", "NORMAL");
    WriteSetting("ImageBrowser", "0");
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      if (r.kind == UserDialogs::Kind::Message) messages << r.text;
      return UserDialogs::Answer{};
    });
  }
  void TearDown() override { UserDialogs::SetResponder(nullptr); }

  QString Picture(const QString &name) {
    QImage image(4, 3, QImage::Format_RGB888);
    image.fill(Qt::green);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, "BMP"));
    return path;
  }

  QTemporaryDir dir;
  QStringList messages;
};

TEST_F(Arrivals, HandOffStopsAtTheEndOfTheText) {
  const QString a = Picture("a.bmp");
  const QString b = Picture("b.bmp");
  TMainForm form;
  // The count promises five names; the text holds two, the second without
  // its line feed, and blanks around the first.
  form.ReceiveHandOff((" \t" + a + " \r\n" + b).toUtf8(), 5);
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(form.Children().size(), 2) << messages.join('|').toStdString();
  EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(Arrivals, HandOffWithoutCountOpensNothingButComesForward) {
  const QString a = Picture("a.bmp");
  TMainForm form;
  form.ReceiveHandOff((a + "\n").toUtf8(), 0);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.Children().isEmpty());
}

TEST_F(Arrivals, DropStopsAtAnEmptyFile) {
  const QString first = Picture("first.bmp");
  const QString empty = dir.filePath("empty.bmp");
  {
    QFile f(empty);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QString third = Picture("third.bmp");
  TMainForm form;
  form.show();
  form.OpenDroppedFiles({first, empty, third});
  EXPECT_EQ(messages, QStringList{"サイズが０のファイルは読み込みできません。"});
  EXPECT_EQ(form.Children().size(), 1);
  messages.clear();
  form.OpenDroppedFiles({dir.filePath("missing.bmp"), third});
  EXPECT_EQ(messages, QStringList{"サイズが０のファイルは読み込みできません。"});
  EXPECT_EQ(form.Children().size(), 1);
}

} // namespace
