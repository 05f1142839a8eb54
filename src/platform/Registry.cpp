#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <vector>

namespace Registry {
namespace {

struct Value {
  QString name;
  QString data;
};

struct Key {
  QString path; // as first written
  std::vector<Value> values;
};

using Hive = std::vector<Key>;

QString NormalKey(const QString &key) {
  QStringList parts = key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  return parts.join(QLatin1Char('\\'));
}

bool SameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString Escape(const QString &s) {
  QString out;
  out.reserve(s.size() + 2);
  for (QChar c : s) {
    if (c == QLatin1Char('\\'))
      out += QLatin1String("\\\\");
    else if (c == QLatin1Char('"'))
      out += QLatin1String("\\\"");
    else if (c == QLatin1Char('\n'))
      out += QLatin1String("\\n");
    else if (c == QLatin1Char('\r'))
      out += QLatin1String("\\r");
    else
      out += c;
  }
  return out;
}

// Reads a quoted string starting at line[pos] == '"'; advances pos past the
// closing quote. False when the string is not closed.
bool ReadQuoted(const QString &line, qsizetype &pos, QString &out) {
  if (pos >= line.size() || line[pos] != QLatin1Char('"')) return false;
  ++pos;
  out.clear();
  while (pos < line.size()) {
    const QChar c = line[pos++];
    if (c == QLatin1Char('"')) return true;
    if (c == QLatin1Char('\\') && pos < line.size()) {
      const QChar n = line[pos++];
      out += n == QLatin1Char('n')   ? QChar(QLatin1Char('\n'))
             : n == QLatin1Char('r') ? QChar(QLatin1Char('\r'))
                                     : n;
    } else {
      out += c;
    }
  }
  return false;
}

Key *FindKey(Hive &hive, const QString &path) {
  for (Key &k : hive)
    if (SameName(k.path, path)) return &k;
  return nullptr;
}

Hive Parse(const QByteArray &bytes) {
  Hive hive;
  Key *current = nullptr;
  const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
  for (QString line : lines) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      const QString path = NormalKey(line.mid(1, line.size() - 2));
      current = FindKey(hive, path);
      if (!current) {
        hive.push_back({path, {}});
        current = &hive.back();
      }
      continue;
    }
    if (!current) continue;
    qsizetype pos = 0;
    QString name, data;
    if (!ReadQuoted(line, pos, name)) continue;
    if (pos >= line.size() || line[pos] != QLatin1Char('=')) continue;
    ++pos;
    if (!ReadQuoted(line, pos, data)) continue;
    bool replaced = false;
    for (Value &v : current->values)
      if (SameName(v.name, name)) {
        v.data = data;
        replaced = true;
      }
    if (!replaced) current->values.push_back({name, data});
  }
  return hive;
}

QByteArray Serialise(const Hive &hive) {
  QString out;
  QTextStream s(&out);
  s << "; VELMIR settings\n";
  for (const Key &k : hive) {
    s << "\n[" << k.path << "]\n";
    for (const Value &v : k.values)
      s << '"' << Escape(v.name) << "\"=\"" << Escape(v.data) << "\"\n";
  }
  s.flush();
  return out.toUtf8();
}

Hive Load() {
  QFile f(FilePath());
  if (!f.open(QIODevice::ReadOnly)) return {};
  // A settings file is small; anything huge is not ours.
  if (f.size() > 16 * 1024 * 1024) return {};
  return Parse(f.readAll());
}

// Serialises read-modify-write cycles of processes sharing the file.
class FileLock {
public:
  FileLock() {
    const QString path = FilePath() + QStringLiteral(".lock");
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~FileLock() {
    if (fd_ >= 0) {
      flock(fd_, LOCK_UN);
      ::close(fd_);
    }
  }
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

private:
  int fd_ = -1;
};

bool Store(const Hive &hive) {
  QSaveFile f(FilePath());
  if (!f.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = Serialise(hive);
  if (f.write(bytes) != bytes.size()) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}

} // namespace

QString FilePath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/Kzr/Velmir/settings.reg");
}

std::optional<QString> Read(const QString &key, const QString &name) {
  Hive hive = Load();
  const Key *k = FindKey(hive, NormalKey(key));
  if (!k) return std::nullopt;
  for (const Value &v : k->values)
    if (SameName(v.name, name)) return v.data;
  return std::nullopt;
}

bool Write(const QString &key, const QString &name, const QString &value) {
  QDir().mkpath(QFileInfo(FilePath()).absolutePath());
  FileLock lock;
  Hive hive = Load();
  const QString path = NormalKey(key);
  // Parents exist as keys of their own, as in the registry.
  const QStringList parts = path.split(QLatin1Char('\\'));
  for (int i = 1; i <= parts.size(); ++i) {
    const QString p = parts.mid(0, i).join(QLatin1Char('\\'));
    if (!FindKey(hive, p)) hive.push_back({p, {}});
  }
  Key *k = FindKey(hive, path);
  bool found = false;
  for (Value &v : k->values)
    if (SameName(v.name, name)) {
      v.data = value;
      found = true;
    }
  if (!found) k->values.push_back({name, value});
  return Store(hive);
}

bool KeyExists(const QString &key) {
  Hive hive = Load();
  return FindKey(hive, NormalKey(key)) != nullptr;
}

} // namespace Registry
