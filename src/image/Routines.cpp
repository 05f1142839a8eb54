#include "image/Routines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

} // namespace

const Routine *FindRoutineIn(const std::vector<Routine> &list, std::string_view name) {
  for (const Routine &r : list)
    if (SameNameIgnoringCase(r.name, name)) return &r;
  return nullptr;
}

std::string CheckRoutineArgs(const Routine &routine, const std::vector<double> &args) {
  if (args.size() != routine.params.size())
    return routine.name + " takes " + std::to_string(routine.params.size()) +
           " parameter(s), not " + std::to_string(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    const RoutineParam &p = routine.params[i];
    const double v = args[i];
    const std::string what = routine.name + " " + p.name + " ";
    if (!std::isfinite(v)) return what + "must be a number";
    if (std::string_view(p.type) == "int" && v != std::trunc(v))
      return what + "must be a whole number";
    if (v < p.min || v > p.max)
      return what + "must be within " + Number(p.min) + " ... " + Number(p.max);
    if (!p.choices.empty() && std::find(p.choices.begin(), p.choices.end(), v) == p.choices.end()) {
      std::string list;
      for (double c : p.choices) {
        if (!list.empty()) list += ", ";
        list += Number(c);
      }
      return what + "must be one of " + list;
    }
  }
  return {};
}

bool RunRoutine(const Routine &routine, DibHandle &image, const std::vector<double> &args,
                std::string *error) {
  return RunRoutine(routine, image, args, {}, error);
}

bool RunRoutine(const Routine &routine, DibHandle &image, const std::vector<double> &args,
                const std::vector<IMGHANDLE> &inputs, std::string *error) {
  std::string why = CheckRoutineArgs(routine, args);
  if (why.empty() && !image) why = routine.name + ": no image";
  if (why.empty() && inputs.size() != routine.inputs.size())
    why = routine.name + " reads " + std::to_string(routine.inputs.size()) +
          " further picture(s), not " + std::to_string(inputs.size());
  if (why.empty() && std::find(inputs.begin(), inputs.end(), nullptr) != inputs.end())
    why = routine.name + ": no image";
  if (why.empty()) {
    const bool done = routine.inputs.empty()
                          ? routine.run && routine.run(image, args)
                          : routine.runWith && routine.runWith(image, args, inputs);
    if (!done) why = routine.name + " failed";
  }
  if (!why.empty() && error) *error = why;
  return why.empty();
}

std::string DescribeRoutine(const Routine &routine) {
  std::string line = routine.name;
  for (const RoutineParam &p : routine.params) {
    line += ' ';
    line += p.name;
    line += ':';
    line += p.type;
    if (!p.choices.empty()) {
      line += '{';
      for (size_t i = 0; i < p.choices.size(); ++i) {
        if (i) line += ',';
        line += Number(p.choices[i]);
      }
      line += '}';
    } else {
      line += '[';
      line += Number(p.min);
      line += "..";
      line += Number(p.max);
      line += ']';
    }
  }
  for (const char *input : routine.inputs) {
    line += ' ';
    line += input;
    line += ":image";
  }
  if (!routine.summary.empty()) line += "  -- " + routine.summary;
  return line;
}
