// Shared by the output tests: running a helper program with a deadline and
// reading a picture back.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace output_test {

// The standard output of `program args`, or nothing when it is not
// installed, fails or does not finish in time.
inline bool Run(const QString &program, const QStringList &args, QByteArray *out = nullptr,
                int ms = 60000) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return false;
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(ms)) {
    p.kill();
    p.waitForFinished();
    return false;
  }
  if (out) *out = p.readAllStandardOutput();
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline bool Installed(const QString &program) {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace output_test
