#include "cli_io.h"

#include "Kit.h"
#include "Susie.h"

void LoadPlugins(const std::string &folder) {
  SusieLoader.LoadPlugins(folder.empty() ? ProgramFolder() : folder);
}
