// Stand-in for the archive unit: the same format and results, without its
// finer points.
#include "browser/ThumbArchive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>

namespace {

QString WithSlash(const QString &folder) {
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool ReadInt(QFile &f, int32_t &v) {
  unsigned char b[4];
  if (f.read(reinterpret_cast<char *>(b), 4) != 4) return false;
  v = static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  return true;
}

void WriteInt(QFile &f, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  const char b[4] = {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
                     static_cast<char>(u >> 24)};
  f.write(b, 4);
}

bool ReadName(QFile &f, QByteArray &name) {
  name.clear();
  char c = 0;
  while (f.getChar(&c)) {
    if (c == 0) return true;
    name.append(c);
  }
  return false;
}

} // namespace

int Pack(const QString &archive, const QString &folder) {
  const QFileInfoList files =
      QDir(WithSlash(folder)).entryInfoList({QStringLiteral("*.sam")}, QDir::Files, QDir::Unsorted);
  QFile out(archive);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
  WriteInt(out, static_cast<int32_t>(files.size()));
  for (const QFileInfo &info : files) {
    const QDateTime when = info.lastModified();
    const auto size = static_cast<int32_t>(info.size());
    out.write(QFile::encodeName(info.fileName()));
    out.putChar(0);
    out.write(when.toString(QStringLiteral("yyyy/MM/dd")).toLatin1());
    out.write(when.toString(QStringLiteral("hh:mm:ss")).toLatin1());
    WriteInt(out, size);
    QFile in(info.filePath());
    QByteArray data = in.open(QIODevice::ReadOnly) ? in.read(size) : QByteArray();
    if (data.size() < size) data.append(size - data.size(), ' ');
    out.write(data);
  }
  return 0;
}

int Unpack(const QString &archive, const QString &folder) {
  QFile in(archive);
  if (!in.open(QIODevice::ReadOnly)) return 1;
  int32_t count = 0;
  if (!ReadInt(in, count)) return 0;
  const QString dest = WithSlash(folder);
  for (int32_t i = 0; i < count; ++i) {
    QByteArray name;
    if (!ReadName(in, name)) return -3;
    if (name.isEmpty() && !ReadName(in, name)) return -3;
    const QByteArray date = in.read(10);
    if (date.size() < 10) return -4;
    const QByteArray time = in.read(8);
    if (time.size() < 8) return -5;
    int32_t size = 0;
    if (!ReadInt(in, size)) return -6;
    const QByteArray data = in.read(size < 0 ? 0 : size);
    QFile out(dest + QFile::decodeName(name));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) continue;
    out.write(data);
    out.flush();
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(date + ' ' + time),
                                                 QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    out.setFileTime(when, QFileDevice::FileModificationTime);
  }
  return 0;
}
