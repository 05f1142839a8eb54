// Fuzz entry for unpacking thumbnail archives: arbitrary bytes are unpacked
// into a fresh folder, which must then hold only regular files, with nothing
// written beside it. Built with -fsanitize=fuzzer, or with replay_main.cpp as
// a plain program that replays saved inputs.
#include "browser/ThumbArchive.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Removes the folder and what the unpacking put into it; aborts on anything
// that is not a regular file.
void CheckAndRemove(const std::string &folder) {
  DIR *dir = opendir(folder.c_str());
  if (!dir) std::abort();
  while (const dirent *e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) std::abort();
    unlink(path.c_str());
  }
  closedir(dir);
  if (rmdir(folder.c_str()) != 0) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  char base[] = "/tmp/kxa-fuzz-XXXXXX";
  if (!mkdtemp(base)) return 0;
  const std::string archive = std::string(base) + "/a.kxa";
  const std::string out = std::string(base) + "/out";
  if (FILE *f = std::fopen(archive.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  mkdir(out.c_str(), 0755);
  Unpack(QFile::decodeName(archive.c_str()), QFile::decodeName(out.c_str()));
  CheckAndRemove(out);
  unlink(archive.c_str());
  // Anything left here was written outside the destination.
  if (rmdir(base) != 0) std::abort();
  return 0;
}
