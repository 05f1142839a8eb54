// The tone, colour and size commands of the image and expert menus, one row
// each.
#pragma once

#include "forms/Command.h"

const std::vector<Command> &AdjustCommands();
