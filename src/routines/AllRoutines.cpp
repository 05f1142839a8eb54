#include "routines/AllRoutines.h"

// Each area's list, defined beside its routines.
std::vector<Routine> AdjustRoutines();
std::vector<Routine> EffectRoutines();
std::vector<Routine> PaintRoutines();
std::vector<Routine> DistortRoutines();
std::vector<Routine> LightingRoutines();
std::vector<Routine> CompositeRoutines();

const std::vector<Routine> &AllRoutines() {
  static const std::vector<Routine> all = [] {
    std::vector<Routine> list;
    for (auto area : {KitRoutines, AdjustRoutines, EffectRoutines, PaintRoutines, DistortRoutines,
                      LightingRoutines, CompositeRoutines}) {
      std::vector<Routine> part = area();
      list.insert(list.end(), std::make_move_iterator(part.begin()),
                  std::make_move_iterator(part.end()));
    }
    return list;
  }();
  return all;
}

const Routine *FindRoutine(std::string_view name) { return FindRoutineIn(AllRoutines(), name); }
