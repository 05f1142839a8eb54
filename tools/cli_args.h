// What every velmir-cli command shares: exit codes, messages, taking
// options and numbers out of the arguments, and getting the kit and the
// plug-ins ready.
#pragma once

#include "image/DibHandle.h"

#include <string>
#include <string_view>
#include <vector>

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitNoKit = 3 };

constexpr int kDefaultQuality = 80;

// "velmir-cli: MESSAGE" on the standard error.
void Error(const std::string &message);
// The reason (when given) and the usage text on the standard error;
// kExitUsage.
int Usage(const std::string &why);

// The whole text must be the number: "12x", "" and "1.5" for a whole number
// are refused.
bool ParseNumber(std::string_view text, bool whole, double &out);
// Takes "NAME VALUE" out of the arguments, wherever it stands; false when
// NAME stands last, without its value.
bool TakeOption(std::vector<std::string> &args, const std::string &name, std::string &value,
                bool &given);
// Takes "NAME N" out of the arguments, N a whole number of low ... high;
// false (and why) when the value is missing or out of range. `value` is
// left as it was when the option is not given.
bool TakeWholeNumber(std::vector<std::string> &args, const std::string &name, int low, int high,
                     int &value, bool &given, std::string &why);
// Takes the flag NAME out of the arguments; true when it was there.
bool TakeFlag(std::vector<std::string> &args, const std::string &name);
// Takes "--quality N" out of the arguments, wherever it stands.
bool TakeQuality(std::vector<std::string> &args, int &quality, std::string &why);
// The folder named by --plugins; empty (the program folder) without it.
bool TakePluginFolder(std::vector<std::string> &args, std::string &folder, std::string &why);

// The kit loaded; kExitNoKit (and why) when a part is missing.
int KitReady();
// The kit, then the plug-ins of `pluginFolder`.
int ReadyToRead(const std::string &pluginFolder);

// The start of every command that turns IN into OUT: OUT's extension
// checked, the kit and the plug-ins of `pluginFolder` made ready, IN read
// into `image` (with the damage warning). kExitOk, or the exit code.
int ReadForOutput(const std::string &in, const std::string &out, const std::string &pluginFolder,
                  DibHandle &image);

int CannotRead(const std::string &path);
// After a read that succeeded: says on the standard error when the file's
// picture was damaged (what could be read is used).
void WarnIfDamaged(const std::string &path);
int CannotWrite(const std::string &path);
int UnknownExtension(const std::string &path);

// The commands kept in files of their own.
int Batch(std::vector<std::string> args);
int Paint(std::vector<std::string> args);
int Catalogue(std::vector<std::string> args);
