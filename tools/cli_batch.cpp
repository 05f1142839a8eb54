// velmir-cli batch: the browser's batch jobs over files named on the
// command line.
#include "browser/BatchJob.h"
#include "cli_args.h"
#include "platform/Settings.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <initializer_list>

namespace {

std::string Utf8(const QString &text) { return text.toUtf8().toStdString(); }

// One numeric option: its name, range, the jobs it belongs to and where
// its value goes.
struct NumberOption {
  const char *name;
  int min, max;
  std::initializer_list<int> jobs;
  int BatchSettings::*field;
};

const NumberOption kNumberOptions[] = {
    {"--amount", 0, 3, {bjGamma, bjSaturation, bjBrightness, bjContrast}, &BatchSettings::amount},
    {"--rotation", 0, 4, {bjRotate}, &BatchSettings::rotation},
    {"--rule", 0, 4, {bjResize}, &BatchSettings::sizeRule},
    {"--height", 0, 65535, {bjResize}, &BatchSettings::height},
    {"--width", 0, 65535, {bjResize}, &BatchSettings::width},
    {"--side", 0, 65535, {bjResize}, &BatchSettings::side},
    {"--percent", 0, 10000, {bjResize}, &BatchSettings::percent},
    {"--colour-width", kColourWidthMin, kColourWidthMax, {bjColour}, &BatchSettings::colourWidth},
};

struct FlagOption {
  const char *name;
  bool BatchSettings::*field;
};

const FlagOption kColourFlags[] = {{"--blue", &BatchSettings::blue},
                                   {"--yellow", &BatchSettings::yellow},
                                   {"--red", &BatchSettings::red},
                                   {"--green", &BatchSettings::green}};

bool BelongsTo(std::initializer_list<int> jobs, int job) {
  for (int j : jobs)
    if (j == job) return true;
  return false;
}

std::string NotFor(const std::string &option, int job) {
  return option + " does not apply to the job " + BatchJob(job)->cliName;
}

// The job's settings from the options, taken out of `args`; false (and
// why) on a bad or misplaced option.
bool TakeSettings(std::vector<std::string> &args, BatchSettings &s, std::string &why) {
  for (const NumberOption &o : kNumberOptions) {
    std::string text;
    bool given = false;
    double value = 0;
    if (!TakeOption(args, o.name, text, given) ||
        (given && (!ParseNumber(text, true, value) || value < o.min || value > o.max))) {
      why = std::string(o.name) + " takes a whole number from " + std::to_string(o.min) + " to " +
            std::to_string(o.max);
      return false;
    }
    if (!given) continue;
    if (!BelongsTo(o.jobs, s.job)) {
      why = NotFor(o.name, s.job);
      return false;
    }
    s.*o.field = static_cast<int>(value);
  }
  for (const FlagOption &f : kColourFlags) {
    if (!TakeFlag(args, f.name)) continue;
    if (s.job != bjColour) {
      why = NotFor(f.name, s.job);
      return false;
    }
    s.*f.field = true;
  }
  std::string format;
  bool given = false;
  if (!TakeOption(args, "--format", format, given)) {
    why = "--format takes jpg, bmp or tif";
    return false;
  }
  if (given) {
    if (s.job != bjConvert) {
      why = NotFor("--format", s.job);
      return false;
    }
    if (format == "jpg")
      s.format = bfJpeg;
    else if (format == "bmp")
      s.format = bfBmp;
    else if (format == "tif")
      s.format = bfTiff;
    else {
      why = "--format takes jpg, bmp or tif";
      return false;
    }
  }
  return true;
}

const char *Plural(int n) { return n == 1 ? "" : "s"; }

} // namespace

int Batch(std::vector<std::string> args) {
  if (args.empty()) return Usage("batch takes JOB [OPTIONS] --out FOLDER FILE...");
  BatchSettings settings;
  settings.job = BatchJobByName(args[0]);
  if (settings.job < 0) return Usage("no batch job named " + args[0]);
  args.erase(args.begin());

  std::string why, plugins, out;
  bool outGiven = false;
  ReadJpegQuality();
  settings.jpegQuality = JpegQuality;
  settings.keepMetadata = !TakeFlag(args, "--strip");
  if (!TakeQuality(args, settings.jpegQuality, why) || !TakePluginFolder(args, plugins, why) ||
      !TakeSettings(args, settings, why))
    return Usage(why);
  if (!TakeOption(args, "--out", out, outGiven) || !outGiven || out.empty())
    return Usage("batch takes --out FOLDER");
  for (const std::string &a : args)
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') return Usage("unknown option " + a);
  if (args.empty()) return Usage("batch takes at least one FILE");
  if (const QString problem = BatchSizeRuleProblem(settings); !problem.isEmpty())
    return Usage(Utf8(problem));
  if (const int rc = ReadyToRead(plugins)) return rc;
  LoadGeneralSettings();
  settings.thresholdA = General.ippatsuAContrast;
  settings.thresholdB = General.ippatsuBContrast;

  QStringList sources;
  for (const std::string &a : args)
    sources.append(QFile::decodeName(a.c_str()));
  const int count = static_cast<int>(sources.size());
  BatchRunCallbacks callbacks;
  callbacks.after = [count](const BatchImageReport &r) {
    const std::string source = QFile::encodeName(r.source).toStdString();
    const std::string output = QFile::encodeName(r.output).toStdString();
    if (r.outcome == BatchOutcome::Written)
      std::fprintf(stderr, "[%d/%d] %s -> %s\n", r.index + 1, count, source.c_str(),
                   output.c_str());
    else
      std::fprintf(stderr, "[%d/%d] %s: not written: %s\n", r.index + 1, count, source.c_str(),
                   Utf8(BatchOutcomeText(r.outcome)).c_str());
  };
  const BatchResult result = RunBatch(sources, QFile::decodeName(out.c_str()), settings, callbacks);
  if (result.end == BatchEnd::NoOutputFolder) {
    Error("cannot make the folder " + out + ": 格納先フォルダーを作成できません");
    return kExitFailed;
  }
  std::printf("written=%d failed=%d\n", result.written, result.failed);
  if (result.failed > 0) {
    Error(std::to_string(result.failed) + " file" + Plural(result.failed) + " of " +
          std::to_string(count) + " not written");
    return kExitFailed;
  }
  return kExitOk;
}
