#include "image/Kit.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <set>
#include <type_traits>

namespace {

enum KitFunctionIndex {
#define VELMIR_KIT_INDEX(lib, fn) kIndex_##fn,
  VELMIR_KIT_FUNCTIONS(VELMIR_KIT_INDEX)
#undef VELMIR_KIT_INDEX
      kFunctionCount
};

constexpr std::array<const char *, kFunctionCount> kLibraryOf = {
#define VELMIR_KIT_LIB(lib, fn) #lib,
    VELMIR_KIT_FUNCTIONS(VELMIR_KIT_LIB)
#undef VELMIR_KIT_LIB
};

std::function<void(const std::string &)> &Reporter() {
  static std::function<void(const std::string &)> reporter;
  return reporter;
}

std::string FileNameOf(const std::string &lib) { return "lib" + lib + ".so"; }

void ReportMissing(int index) {
  static std::set<std::string> reported;
  const std::string file = FileNameOf(kLibraryOf[static_cast<size_t>(index)]);
  if (!reported.insert(file).second) return;
  if (Reporter()) Reporter()(file);
}

// Stands in for a function that could not be bound: reports and fails.
template <int I, class Sig> struct Refusal;
template <int I, class R, class... A> struct Refusal<I, R (*)(A...)> {
  static R Call(A...) {
    ReportMissing(I);
    if constexpr (!std::is_void_v<R>) return R{};
  }
};

ImgKitTable RefusingTable() {
  ImgKitTable t;
#define VELMIR_KIT_REFUSE(lib, fn) t.fn = &Refusal<kIndex_##fn, decltype(t.fn)>::Call;
  VELMIR_KIT_FUNCTIONS(VELMIR_KIT_REFUSE)
#undef VELMIR_KIT_REFUSE
  return t;
}

struct LoadState {
  bool loaded = false;
  std::array<void *, std::size(kKitLibraries)> modules{};
  std::vector<std::string> missing;
  std::set<std::string> bound;
};

LoadState &State() {
  static LoadState state;
  return state;
}

void *ModuleFor(const char *lib) {
  for (size_t i = 0; i < std::size(kKitLibraries); ++i)
    if (std::string(kKitLibraries[i]) == lib) return State().modules[i];
  return nullptr;
}

} // namespace

ImgKitTable Kit = RefusingTable();

std::string ProgramFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

void LoadImagingKit(const std::string &folder) {
  LoadState &st = State();
  if (st.loaded) return;
  st.loaded = true;
  const std::string dir = folder.empty() ? ProgramFolder() : folder;
  for (size_t i = 0; i < std::size(kKitLibraries); ++i) {
    const std::string file = FileNameOf(kKitLibraries[i]);
    st.modules[i] = dlopen((dir + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!st.modules[i]) st.missing.push_back(file);
  }
#define VELMIR_KIT_BIND(lib, fn)                                                                   \
  if (void *module = ModuleFor(#lib)) {                                                            \
    if (void *sym = dlsym(module, #fn)) {                                                          \
      Kit.fn = reinterpret_cast<decltype(Kit.fn)>(sym);                                            \
      st.bound.insert(#fn);                                                                        \
    } else {                                                                                       \
      st.missing.push_back(FileNameOf(#lib) + ": " #fn);                                           \
    }                                                                                              \
  }
  VELMIR_KIT_FUNCTIONS(VELMIR_KIT_BIND)
#undef VELMIR_KIT_BIND
}

void FreeImagingKit() {
  LoadState &st = State();
  Kit = RefusingTable();
  for (void *&module : st.modules) {
    if (module) dlclose(module);
    module = nullptr;
  }
  st.bound.clear();
  st.missing.clear();
  st.loaded = false;
}

std::vector<std::string> MissingKitParts() { return State().missing; }

void SetKitMissingReporter(std::function<void(const std::string &)> reporter) {
  Reporter() = std::move(reporter);
}

bool KitHasFunction(const std::string &name) { return State().bound.count(name) != 0; }
