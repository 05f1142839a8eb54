#include "cli_io.h"

#include "image/Kit.h"
#include "image/Susie.h"

void LoadPlugins(const std::string &folder) {
  SusieLoader.LoadPlugins(folder.empty() ? ProgramFolder() : folder);
}
