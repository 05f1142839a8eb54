#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace kit {

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const char *path) {
  Discard();
  if (!path || !*path) return false;
  target_ = path;
  std::string pattern = target_ + ".tmpXXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
  temp_ = pattern;
  stream_ = fdopen(fd, "wb");
  if (!stream_) {
    close(fd);
    unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  return true;
}

bool AtomicFile::Commit() {
  if (temp_.empty()) return false;
  bool ok = true;
  if (stream_) {
    ok = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
    ok = ok && fsync(fileno(stream_)) == 0;
    struct stat st {};
    mode_t mode;
    if (stat(target_.c_str(), &st) == 0) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    ok = ok && fchmod(fileno(stream_), mode) == 0;
    ok = (std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
  } else {
    ok = false;
  }
  if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) {
    temp_.clear();
    return true;
  }
  Discard();
  return false;
}

void AtomicFile::Discard() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temp_.empty()) {
    unlink(temp_.c_str());
    temp_.clear();
  }
}

} // namespace kit
