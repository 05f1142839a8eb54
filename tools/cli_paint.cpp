// velmir-cli paint: the painting window's chains on an image file.
#include "cli_args.h"
#include "cli_io.h"
#include "effects/Painting.h"

#include <cstdio>
#include <optional>

namespace {

std::optional<PaintMethod> MethodNamed(const std::string &name) {
  if (name == "line") return PaintMethod::Line;
  if (name.size() == 1 && name[0] >= '1' && name[0] <= '8')
    return static_cast<PaintMethod>(name[0] - '0');
  return std::nullopt;
}

// One numeric control: its option, whether the method reads it, and where
// its value goes.
struct ControlOption {
  const char *name;
  bool PaintRanges::*read;
  int PaintControls::*field;
};

const ControlOption kControls[] = {
    {"--brush", &PaintRanges::brush, &PaintControls::brush},
    {"--colour", &PaintRanges::colour, &PaintControls::colour},
    {"--black", &PaintRanges::black, &PaintControls::black},
    {"--relief", &PaintRanges::relief, &PaintControls::relief},
    {"--edge", &PaintRanges::edge, &PaintControls::edge},
};

} // namespace

int Paint(std::vector<std::string> args) {
  int quality = kDefaultQuality;
  std::string why, plugins;
  if (!TakeQuality(args, quality, why) || !TakePluginFolder(args, plugins, why)) return Usage(why);
  if (args.empty()) return Usage("paint takes METHOD [CONTROLS] IN OUT");
  const std::optional<PaintMethod> method = MethodNamed(args[0]);
  if (!method) return Usage("paint METHOD is 1 ... 8 or line, not \"" + args[0] + "\"");
  args.erase(args.begin());
  const PaintRanges ranges = PaintRangesOf(*method);
  PaintControls controls = PaintDefaults(*method);
  for (const ControlOption &o : kControls) {
    std::string value;
    bool given = false;
    if (!TakeOption(args, o.name, value, given))
      return Usage(std::string(o.name) + " takes a value");
    if (!given) continue;
    if (!(ranges.*o.read))
      return Usage(std::string(o.name) + " does not apply to the method " +
                   (*method == PaintMethod::Line ? std::string("line")
                                                 : std::to_string(static_cast<int>(*method))));
    double v = 0;
    if (!ParseNumber(value, true, v))
      return Usage(std::string(o.name) + " takes a whole number, not \"" + value + "\"");
    controls.*o.field = static_cast<int>(v);
  }
  std::string pen;
  bool penGiven = false;
  if (!TakeOption(args, "--pen", pen, penGiven)) return Usage("--pen takes colour or black");
  if (penGiven) {
    if (pen == "colour" || pen == "color")
      controls.pen = ppColour;
    else if (pen == "black")
      controls.pen = ppBlack;
    else
      return Usage("--pen takes colour or black, not \"" + pen + "\"");
  }
  if (const char *bad = CheckPaintControls(*method, controls); *bad) return Usage(bad);
  if (args.size() != 2) return Usage("paint takes METHOD [CONTROLS] IN OUT");
  const std::string &in = args[0];
  const std::string &out = args[1];
  DibHandle image;
  if (const int rc = ReadForOutput(in, out, plugins, image)) return rc;
  const int steps = PaintStepCount(*method);
  DibHandle result = PaintPicture(image.get(), *method, controls, [steps](int step) {
    std::fprintf(stderr, "step %d of %d\n", step, steps);
    return true;
  });
  if (!result) {
    Error("the picture could not be made (out of memory)");
    return kExitFailed;
  }
  if (!SaveImageFile(out, result.get(), quality)) return CannotWrite(out);
  return kExitOk;
}
