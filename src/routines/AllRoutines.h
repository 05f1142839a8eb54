// Every named pixel routine of the program, gathered from the kit and the
// areas: what velmir-cli, the batch jobs, the benchmarks and the tests run.
#pragma once

#include "image/Routines.h"

// Every routine, in one list: the kit's, then each area's.
const std::vector<Routine> &AllRoutines();
// By name, letter case ignored; null when there is none.
const Routine *FindRoutine(std::string_view name);
