// Shared by the loader and plug-in tests: scratch folders, the test
// plug-ins, and a look at what a loaded plug-in counted.
#pragma once

#include "image/Susie.h"

#include <dirent.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace spitest {

// A folder that goes with its contents.
struct TempDir {
  TempDir() {
    char name[] = "/tmp/velmir-spi-XXXXXX";
    if (mkdtemp(name)) path = name;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string &name) const { return path + "/" + name; }
  std::string path;
};

// Copies the test plug-in `variant` into `folder` as `name`. A copy, not a
// link: the dynamic loader takes two links to one file for one library.
inline void AddPlugin(const std::string &folder, const std::string &variant,
                      const std::string &name) {
  std::filesystem::copy_file(std::string(VELMIR_TEST_SPI_DIR) + "/" + variant + ".spi",
                             folder + "/" + name,
                             std::filesystem::copy_options::overwrite_existing);
}

inline void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// The *.spi names of a folder in the order the directory lists them.
inline std::vector<std::string> ListedPlugins(const std::string &folder) {
  std::vector<std::string> names;
  if (DIR *dir = opendir(folder.c_str())) {
    while (const dirent *e = readdir(dir)) {
      const size_t n = std::strlen(e->d_name);
      if (n >= 4 && strcasecmp(e->d_name + n - 4, ".spi") == 0) names.push_back(e->d_name);
    }
    closedir(dir);
  }
  return names;
}

// The table's file names without their folder, in table order.
inline std::vector<std::string> TableNames(const TSpiload &loader) {
  std::vector<std::string> names;
  for (const TSpi_plugin *p = loader.FirstPlugin(); p; p = p->next)
    names.push_back(std::filesystem::path(p->fileName).filename().string());
  return names;
}

inline const TSpi_plugin *PluginNamed(const TSpiload &loader, const std::string &name) {
  for (const TSpi_plugin *p = loader.FirstPlugin(); p; p = p->next)
    if (std::filesystem::path(p->fileName).filename() == name) return p;
  return nullptr;
}

// A counter a test plug-in exports (spt_probe_calls ...).
inline long Counter(const TSpi_plugin *p, const char *name) {
  if (!p) return -1000;
  void *v = dlsym(p->module, name);
  if (!v) return -1000;
  return std::strcmp(name, "spt_last_position") == 0 ? *static_cast<long *>(v)
                                                     : *static_cast<int *>(v);
}

// What a shell command writes on its standard output.
inline std::string RunCommand(const std::string &command) {
  std::string out;
  if (FILE *p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
      out.append(buf, n);
    pclose(p);
  }
  return out;
}

} // namespace spitest
