// The named pixel routines of the program, described once: the command-line
// tool, the batch jobs and the tests find them here by name and run them
// with numeric parameters.
#pragma once

#include "image/DibHandle.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RoutineParam {
  const char *name; // "kind", "bits", ...
  const char *type; // "int" or "double"
  double min, max;
  // When not empty, the only values taken.
  std::vector<double> choices = {};
  // Set for an optional parameter: the value it takes when left out.
  // Optional parameters come after all the others.
  std::optional<double> fallback = std::nullopt;
};

struct Routine {
  std::string name;
  std::vector<RoutineParam> params;
  std::string summary; // short English
  // Changes `image` (in place or by adopting a new handle); false when the
  // routine failed, and the image is then as it was.
  std::function<bool(DibHandle &image, const std::vector<double> &args)> run;
  // Further pictures the routine reads besides the one it changes, by name
  // ("base"); given as image files after IN on the command line. A routine
  // that has them runs through `runWith`, which gets them in this order.
  std::vector<const char *> inputs = {};
  std::function<bool(DibHandle &image, const std::vector<double> &args,
                     const std::vector<IMGHANDLE> &inputs)>
      runWith = {};
};

// Argument i of a routine as a whole number (the argument check has made
// sure it is one).
inline int IntArg(const std::vector<double> &args, size_t i) { return static_cast<int>(args[i]); }

// By name, letter case ignored, in `list`; null when there is none.
const Routine *FindRoutineIn(const std::vector<Routine> &list, std::string_view name);

// How many arguments the routine needs: its parameters up to the last one
// that is not optional.
size_t RequiredArgCount(const Routine &routine);
// Empty when `args` suit the routine's parameters (count, whole numbers for
// "int", range, choices); otherwise why not, in English. Trailing optional
// parameters may be left out.
std::string CheckRoutineArgs(const Routine &routine, const std::vector<double> &args);
// `args` with the optional parameters left out filled in with their values.
std::vector<double> CompleteRoutineArgs(const Routine &routine, std::vector<double> args);
// Checks the arguments, then runs with the optional ones filled in: a
// routine always gets one argument per parameter. On refusal or failure
// returns false and sets *error (when given); the image is then unchanged.
bool RunRoutine(const Routine &routine, DibHandle &image, const std::vector<double> &args,
                std::string *error = nullptr);
// The same for a routine that reads further pictures: `inputs` in the order
// of its `inputs` names, none of them null. The plain form refuses such a
// routine.
bool RunRoutine(const Routine &routine, DibHandle &image, const std::vector<double> &args,
                const std::vector<IMGHANDLE> &inputs, std::string *error = nullptr);
// One line: the name, each parameter with its type and range (an optional
// one followed by "=" and its value), the further pictures, the summary.
std::string DescribeRoutine(const Routine &routine);

// The kit's image functions as routines.
std::vector<Routine> KitRoutines();
