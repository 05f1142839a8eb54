// A file written under a temporary name in the target's folder and renamed
// over the target only when everything was written and flushed. Destroying
// an uncommitted AtomicFile removes the temporary file; the target is never
// left half-written.
#pragma once

#include <cstdio>
#include <string>

namespace kit {

class AtomicFile {
public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile &) = delete;
  AtomicFile &operator=(const AtomicFile &) = delete;
  ~AtomicFile();

  // Creates the temporary file beside `path`. False when the folder cannot
  // be written.
  bool Open(const char *path);
  FILE *Stream() const { return stream_; }
  const std::string &TempPath() const { return temp_; }
  // Flushes, syncs, closes and renames over the target; the target keeps
  // its permissions (new files get 0666 less the umask). False on any error,
  // and then the temporary file is gone and the target untouched.
  bool Commit();

private:
  void Discard();
  std::string target_;
  std::string temp_;
  FILE *stream_ = nullptr;
};

} // namespace kit
