#include "browser/ThumbArchive.h"

#include <QFile>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Data moves in pieces of this size; nothing is ever sized from the archive.
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxEntries = 9999;
// The header of one entry was laid out in a buffer of 2044 bytes.
constexpr size_t kMaxNameBytes = 2044 - 23;

class Fd {
public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd &operator=(Fd &&other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  ~Fd() { Close(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // False when the kernel reports a late write error.
  bool Close() {
    if (fd_ < 0) return true;
    return ::close(std::exchange(fd_, -1)) == 0;
  }

private:
  int fd_ = -1;
};

// One direction of the name conversion; a text that does not convert whole
// gives nothing.
class Converter {
public:
  Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;
  ~Converter() {
    if (cd_ != Invalid()) iconv_close(cd_);
  }

  // False without the system's conversion tables.
  bool ready() const { return cd_ != Invalid(); }

  std::optional<std::string> operator()(std::string_view in) const {
    if (!ready()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    // One byte of either side takes at most three of the other.
    std::string out(in.size() * 3 + 4, '\0');
    char *src = const_cast<char *>(in.data());
    size_t srcLeft = in.size();
    char *dst = out.data();
    size_t dstLeft = out.size();
    if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0 ||
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1))
      return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
  }

private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  iconv_t cd_;
};

// A plain file name: no folder part, no "." or "..", no control character
// (C0, DEL, or C1 as UTF-8). A backslash is a folder separator where
// archives are also made.
bool PlainName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F)
      return false;
  }
  return true;
}

// "*.sam" with the extension's letter case ignored; hidden files are not listed.
bool IsThumbnailName(std::string_view name) {
  if (name.size() < 4 || name.front() == '.') return false;
  const std::string_view tail = name.substr(name.size() - 4);
  return tail[0] == '.' && (tail[1] | 0x20) == 's' && (tail[2] | 0x20) == 'a' &&
         (tail[3] | 0x20) == 'm';
}

bool WriteAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Reads up to `size` bytes; fewer only at the end of the file or on an error.
size_t ReadSome(int fd, char *data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// A new file under a name of its own in `dirfd`; it never follows or reuses
// an existing entry.
struct TempFile {
  Fd fd;
  std::string name;
};

std::optional<TempFile> CreateTemp(int dirfd, std::string prefix) {
  // Room for the suffix within a file name's limit.
  prefix.resize(std::min<size_t>(prefix.size(), 128));
  for (int attempt = 0; attempt < 64; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", QRandomGenerator::global()->generate());
    std::string name = prefix + suffix;
    const int fd =
        ::openat(dirfd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) return TempFile{Fd(fd), std::move(name)};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

void PutLe32(std::string &out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>(v >> (8 * i) & 0xFF);
}

uint32_t GetLe32(const char *in) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = v << 8 | static_cast<unsigned char>(in[i]);
  return v;
}

// ---- Pack ------------------------------------------------------------------

struct Listed {
  std::string diskName;
  std::string archiveName;
  uint32_t size = 0;
  time_t written = 0;
};

// Buffered writes that remember the first failure.
class Writer {
public:
  explicit Writer(int fd) : fd_(fd) { buffer_.reserve(kChunk); }
  void Put(const char *data, size_t size) {
    if (!ok_) return;
    if (buffer_.size() + size > kChunk && !Flush()) return;
    if (size >= kChunk) {
      ok_ = WriteAll(fd_, data, size);
      return;
    }
    buffer_.append(data, size);
  }
  void Put(std::string_view text) { Put(text.data(), text.size()); }
  bool ok() const { return ok_; }
  bool Flush() {
    if (ok_ && !buffer_.empty()) ok_ = WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
  }

private:
  int fd_;
  bool ok_ = true;
  std::string buffer_;
};

// "yyyy/mm/dd" and "hh:nn:ss" of the local time, seconds rounded down to
// even as the file systems the format comes from keep them.
std::string StampText(time_t when) {
  tm t{};
  if (!localtime_r(&when, &t)) {
    const time_t zero = 0;
    localtime_r(&zero, &t);
  }
  // Four digits is all the field holds.
  const int year = std::clamp(t.tm_year + 1900, 0, 9999);
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d%02d:%02d:%02d", year, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec & ~1);
  return std::string(text, 18);
}

// The thumbnail files of the folder, in the order the listing gives them;
// nothing when the folder cannot be read through.
std::optional<std::vector<Listed>> ListThumbnails(int dirfd) {
  const Converter toCp932("CP932", "UTF-8");
  const Converter fromCp932("UTF-8", "CP932");
  // Without the conversion no name could be stored, and an empty archive
  // would take the place of a good one.
  if (!toCp932.ready() || !fromCp932.ready()) return std::nullopt;
  const int listFd = ::dup(dirfd);
  if (listFd < 0) return std::nullopt;
  DIR *dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return std::nullopt;
  }
  std::vector<Listed> listed;
  bool complete = true;
  while (listed.size() < kMaxEntries) {
    errno = 0;
    const dirent *entry = ::readdir(dir);
    if (!entry) {
      complete = errno == 0;
      break;
    }
    const std::string name = entry->d_name;
    if (!IsThumbnailName(name) || !PlainName(name)) continue;
    struct stat st {};
    if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > INT32_MAX)
      continue;
    // Only names that come back unchanged can be found again after unpacking.
    const std::optional<std::string> stored = toCp932(name);
    if (!stored || stored->size() > kMaxNameBytes || fromCp932(*stored) != name) continue;
    listed.push_back({name, *stored, static_cast<uint32_t>(st.st_size), st.st_mtim.tv_sec});
  }
  ::closedir(dir);
  if (!complete) return std::nullopt;
  return listed;
}

// Exactly `size` bytes: the file's, then spaces for whatever could not be read.
void CopyThumbnail(int dirfd, const Listed &file, Writer &out, std::vector<char> &chunk) {
  Fd in(::openat(dirfd, file.diskName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (in && (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))) in = Fd();
  size_t left = file.size;
  while (in && left > 0) {
    const size_t got = ReadSome(in.get(), chunk.data(), std::min(left, chunk.size()));
    out.Put(chunk.data(), got);
    left -= got;
    if (got == 0) break;
  }
  std::fill(chunk.begin(), chunk.end(), ' ');
  while (left > 0) {
    const size_t n = std::min(left, chunk.size());
    out.Put(chunk.data(), n);
    left -= n;
  }
}

// ---- Unpack ----------------------------------------------------------------

// Buffered reads of the archive; the end of the file and a read error look
// the same.
class Reader {
public:
  explicit Reader(int fd) : fd_(fd), buffer_(kChunk) {}

  int Byte() {
    if (!Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }
  size_t Read(char *data, size_t size) {
    size_t done = 0;
    while (done < size && Fill()) {
      const size_t n = std::min(size - done, len_ - pos_);
      std::copy_n(buffer_.data() + pos_, n, data + done);
      pos_ += n;
      done += n;
    }
    return done;
  }
  // Up to `max` bytes straight from the buffer; empty at the end.
  std::string_view Take(size_t max) {
    if (!Fill()) return {};
    const size_t n = std::min(max, len_ - pos_);
    const std::string_view piece(buffer_.data() + pos_, n);
    pos_ += n;
    return piece;
  }

private:
  bool Fill() {
    if (pos_ < len_) return true;
    if (end_) return false;
    len_ = ReadSome(fd_, buffer_.data(), buffer_.size());
    pos_ = 0;
    end_ = len_ < buffer_.size();
    return len_ > 0;
  }

  int fd_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t len_ = 0;
  bool end_ = false;
};

// A NUL-terminated string; false when the archive ends first. A name too long
// for any header is read through and reported as such.
bool ReadName(Reader &in, std::string &name, bool &tooLong) {
  name.clear();
  tooLong = false;
  for (;;) {
    const int c = in.Byte();
    if (c < 0) return false;
    if (c == 0) return true;
    if (name.size() < kMaxNameBytes)
      name += static_cast<char>(c);
    else
      tooLong = true;
  }
}

bool Digits(const char *text, int count, int &value) {
  value = 0;
  for (int i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Only the form Pack writes; any other text gives no time stamp.
std::optional<time_t> ParseStamp(const char *date, const char *time) {
  int year, month, day, hour, minute, second;
  if (!Digits(date, 4, year) || date[4] != '/' || !Digits(date + 5, 2, month) || date[7] != '/' ||
      !Digits(date + 8, 2, day) || !Digits(time, 2, hour) || time[2] != ':' ||
      !Digits(time + 3, 2, minute) || time[5] != ':' || !Digits(time + 6, 2, second))
    return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59)
    return std::nullopt;
  tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  const time_t value = std::mktime(&t);
  if (value == static_cast<time_t>(-1)) return std::nullopt;
  return value;
}

// A file of that name may be replaced only if it is a regular file that
// could be opened for writing; a read-only file, a directory or a symbolic
// link stays as it is.
bool MayPlace(int dirfd, const std::string &name) {
  struct stat st {};
  if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 &&
         ::faccessat(dirfd, name.c_str(), W_OK, AT_EACCESS) == 0;
}

// Reads the entry's data through to its end (or the archive's), writing it
// to `out` when there is one; false when a write failed.
bool CopyData(Reader &in, uint64_t size, int out) {
  bool written = true;
  while (size > 0) {
    const std::string_view piece = in.Take(static_cast<size_t>(std::min<uint64_t>(size, kChunk)));
    if (piece.empty()) break;
    size -= piece.size();
    if (out >= 0 && written) written = WriteAll(out, piece.data(), piece.size());
  }
  return written;
}

} // namespace

int Pack(const QString &archivePath, const QString &sourceFolder) {
  const Fd source(
      ::open(QFile::encodeName(sourceFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!source) return kArchiveFailed;
  const std::optional<std::vector<Listed>> listed = ListThumbnails(source.get());
  if (!listed) return kArchiveFailed;

  const std::string archive = QFile::encodeName(archivePath).toStdString();
  const size_t slash = archive.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : archive.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? archive : archive.substr(slash + 1);
  if (base.empty()) return kArchiveFailed;
  const Fd archiveDir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!archiveDir) return kArchiveFailed;
  std::optional<TempFile> temp = CreateTemp(archiveDir.get(), "." + base);
  if (!temp) return kArchiveFailed;

  Writer out(temp->fd.get());
  std::string header;
  PutLe32(header, static_cast<uint32_t>(listed->size()));
  out.Put(header);
  std::vector<char> chunk(kChunk);
  for (const Listed &file : *listed) {
    if (!out.ok()) break;
    header = file.archiveName;
    header += '\0';
    header += StampText(file.written);
    PutLe32(header, file.size);
    out.Put(header);
    CopyThumbnail(source.get(), file, out, chunk);
  }
  // The old archive is replaced only by a complete new one that is on disk.
  const bool complete =
      out.Flush() && ::fsync(temp->fd.get()) == 0 && temp->fd.Close() &&
      ::renameat(archiveDir.get(), temp->name.c_str(), archiveDir.get(), base.c_str()) == 0;
  if (!complete) {
    ::unlinkat(archiveDir.get(), temp->name.c_str(), 0);
    return kArchiveFailed;
  }
  ::fsync(archiveDir.get());
  return kArchiveOk;
}

int Unpack(const QString &archivePath, const QString &destFolder) {
  // Not blocking on a FIFO; only a regular file is an archive.
  const Fd archive(
      ::open(QFile::encodeName(archivePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (!archive || ::fstat(archive.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kArchiveFailed;
  Reader in(archive.get());
  char word[4];
  if (in.Read(word, 4) != 4) return kArchiveFailed;
  // Read as unsigned: a negative count is as good as a huge one, and either
  // simply ends with the data.
  const uint32_t count = GetLe32(word);

  // Without the folder every entry is skipped, but the archive is still read
  // through for its answer.
  const Fd dest(
      ::open(QFile::encodeName(destFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const Converter fromCp932("UTF-8", "CP932");
  if (!fromCp932.ready()) return kArchiveFailed;
  std::string raw;
  for (uint32_t i = 0; i < count; ++i) {
    bool tooLong = false;
    if (!ReadName(in, raw, tooLong)) return kArchiveNoName;
    if (raw.empty() && !tooLong && !ReadName(in, raw, tooLong)) return kArchiveNoName;
    char date[10], time[8];
    if (in.Read(date, sizeof date) != sizeof date) return kArchiveNoDate;
    if (in.Read(time, sizeof time) != sizeof time) return kArchiveNoTime;
    if (in.Read(word, 4) != 4) return kArchiveNoSize;
    const auto declared = static_cast<int32_t>(GetLe32(word));
    // A negative size has no data.
    const uint64_t size = declared < 0 ? 0 : static_cast<uint64_t>(declared);

    const std::optional<std::string> name = tooLong ? std::nullopt : fromCp932(raw);
    std::optional<TempFile> temp;
    if (dest && name && PlainName(*name) && MayPlace(dest.get(), *name))
      temp = CreateTemp(dest.get(), ".velmir-unpack");
    if (!temp) {
      CopyData(in, size, -1);
      continue;
    }
    // A cut-short data field keeps what there was.
    bool placed = CopyData(in, size, temp->fd.get());
    if (const std::optional<time_t> stamp = ParseStamp(date, time); placed && stamp) {
      const timespec times[2] = {{0, UTIME_OMIT}, {*stamp, 0}};
      ::futimens(temp->fd.get(), times);
    }
    placed = temp->fd.Close() && placed &&
             ::renameat(dest.get(), temp->name.c_str(), dest.get(), name->c_str()) == 0;
    if (!placed) ::unlinkat(dest.get(), temp->name.c_str(), 0);
  }
  return kArchiveOk;
}
