#include "cli_args.h"

#include "cli_io.h"
#include "image/Kit.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>

void Error(const std::string &message) {
  std::fprintf(stderr, "velmir-cli: %s\n", message.c_str());
}

bool ParseNumber(std::string_view text, bool whole, double &out) {
  const char *first = text.data();
  const char *last = text.data() + text.size();
  if (whole) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || text.empty()) return false;
    out = static_cast<double>(v);
    return true;
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || end != last || text.empty() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool TakeOption(std::vector<std::string> &args, const std::string &name, std::string &value,
                bool &given) {
  given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != name) continue;
    if (i + 1 >= args.size()) return false;
    given = true;
    value = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    return true;
  }
  return true;
}

bool TakeQuality(std::vector<std::string> &args, int &quality, std::string &why) {
  bool given = false;
  std::string text;
  double q = 0;
  if (!TakeOption(args, "--quality", text, given) ||
      (given && (!ParseNumber(text, true, q) || q < 1 || q > 100))) {
    why = "--quality takes a whole number from 1 to 100";
    return false;
  }
  if (given) quality = static_cast<int>(q);
  return true;
}

bool TakePluginFolder(std::vector<std::string> &args, std::string &folder, std::string &why) {
  bool given = false;
  struct stat st {};
  if (!TakeOption(args, "--plugins", folder, given) ||
      (given && (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))) {
    why = "--plugins takes an existing folder";
    return false;
  }
  return true;
}

int KitReady() {
  LoadImagingKit();
  std::string list;
  for (const std::string &part : MissingKitParts()) {
    // The command-line tool never scans: a machine without SANE runs it.
    if (part.rfind("libimgscan3.so", 0) == 0) continue;
    if (!list.empty()) list += ", ";
    list += part;
  }
  if (list.empty()) return kExitOk;
  Error("the imaging kit is incomplete: " + list);
  return kExitNoKit;
}

int ReadyToRead(const std::string &pluginFolder) {
  if (const int rc = KitReady()) return rc;
  LoadPlugins(pluginFolder);
  return kExitOk;
}

int CannotRead(const std::string &path) {
  Error("cannot read " + path + ": 読込めないデータ形式です");
  return kExitFailed;
}

int ReadForOutput(const std::string &in, const std::string &out, const std::string &pluginFolder,
                  DibHandle &image) {
  if (FileKindByExtension(out) == ImageFileKind::Unknown) return UnknownExtension(out);
  if (const int rc = ReadyToRead(pluginFolder)) return rc;
  image = LoadImageFile(in);
  if (!image) return CannotRead(in);
  WarnIfDamaged(in);
  return kExitOk;
}

void WarnIfDamaged(const std::string &path) {
  if (LastReadDamaged()) Error(path + ": " + kDamagedPictureText);
}

int CannotWrite(const std::string &path) {
  Error("cannot write " + path + ": ファイルを保存できません");
  return kExitFailed;
}

int UnknownExtension(const std::string &path) {
  return Usage("cannot write " + path +
               ": ファイル名拡張子が未対応のため保存できません (use .jpg, .jpeg, .bmp, .tif or "
               ".tiff)");
}

bool TakeFlag(std::vector<std::string> &args, const std::string &name) {
  for (auto it = args.begin(); it != args.end(); ++it)
    if (*it == name) {
      args.erase(it);
      return true;
    }
  return false;
}

bool TakeWholeNumber(std::vector<std::string> &args, const std::string &name, int low, int high,
                     int &value, bool &given, std::string &why) {
  std::string text;
  if (!TakeOption(args, name, text, given)) {
    why = name + " takes a value";
    return false;
  }
  if (!given) return true;
  double n = 0;
  if (!ParseNumber(text, true, n) || n < low || n > high) {
    why =
        name + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  value = static_cast<int>(n);
  return true;
}
