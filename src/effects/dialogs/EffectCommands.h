// The filter and effect commands of the image, expert and artist menus, one
// row each; rows without a run are the effects still to come.
#pragma once

#include "forms/Command.h"

const std::vector<Command> &EffectCommands();
