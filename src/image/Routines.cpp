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

size_t RequiredArgCount(const Routine &routine) {
  // Up to the last parameter without a value of its own, so that an
  // optional one misplaced before a required one is simply required.
  size_t n = routine.params.size();
  while (n > 0 && routine.params[n - 1].fallback)
    --n;
  return n;
}

std::string CheckRoutineArgs(const Routine &routine, const std::vector<double> &args) {
  const size_t least = RequiredArgCount(routine), most = routine.params.size();
  if (args.size() < least || args.size() > most)
    return routine.name + " takes " + std::to_string(least) +
           (least == most ? std::string() : " to " + std::to_string(most)) + " parameter(s), not " +
           std::to_string(args.size());
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

std::vector<double> CompleteRoutineArgs(const Routine &routine, std::vector<double> args) {
  for (size_t i = args.size(); i < routine.params.size() && routine.params[i].fallback; ++i)
    args.push_back(*routine.params[i].fallback);
  return args;
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
    const std::vector<double> all = CompleteRoutineArgs(routine, args);
    const bool done = routine.inputs.empty()
                          ? routine.run && routine.run(image, all)
                          : routine.runWith && routine.runWith(image, all, inputs);
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
    if (p.fallback) {
      line += '=';
      line += Number(*p.fallback);
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
