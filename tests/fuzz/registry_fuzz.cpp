// Fuzz entry for the settings file: arbitrary bytes as settings.reg, then the
// reads and a write the program makes. A value written reads back exactly,
// and writing one value leaves the others as they were. Built with
// -fsanitize=fuzzer, or with replay_main.cpp as a plain program that
// replays saved inputs.
//
// Input: the first line names a key, the second a value name; the rest is
// the file.
#include "platform/Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

// A private settings folder for the whole run, removed at its end.
struct Home {
  Home() {
    QDir().mkpath(dir + QStringLiteral("/Kzr/Velmir"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir));
  }
  ~Home() { QDir(dir).removeRecursively(); }
  // In memory where there is such a folder: every write syncs the file.
  const QString dir =
      (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
      QStringLiteral("/velmir-registry-fuzz-") + QString::number(getpid());
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const Home home;
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const qsizetype first = bytes.indexOf('\n');
  const qsizetype second = first < 0 ? -1 : bytes.indexOf('\n', first + 1);
  const QString key =
      first < 0 ? QStringLiteral("Software\\Kzr\\Velmir") : QString::fromUtf8(bytes.left(first));
  const QString name = second < 0 ? QStringLiteral("UIMode")
                                  : QString::fromUtf8(bytes.mid(first + 1, second - first - 1));
  {
    QFile f(Registry::FilePath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(second < 0 ? bytes : bytes.mid(second + 1));
  }
  const std::optional<QString> before = Registry::Read(key, name);
  Registry::KeyExists(key);
  // A value of every character the file must escape.
  const QString probe = QStringLiteral("a\"b\\c\nd\re ]=[ ; \u65e5\u672c");
  const QString probeName = QStringLiteral("FuzzProbe");
  if (!Registry::Write(key, probeName, probe)) std::abort();
  if (Registry::Read(key, probeName) != probe) std::abort();
  if (name.compare(probeName, Qt::CaseInsensitive) != 0 && Registry::Read(key, name) != before)
    std::abort();
  return 0;
}
