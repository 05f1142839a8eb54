// velmir-cli: the program's headless capabilities as commands, through the
// same kit binding and routines the program uses.
#include "browser/BrowserOptions.h"
#include "browser/ThumbArchive.h"
#include "browser/ThumbStore.h"
#include "cli_args.h"
#include "cli_io.h"
#include "image/Metadata.h"
#include "platform/Settings.h"
#include "routines/AllRoutines.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char *kUsageText =
    R"(usage: velmir-cli COMMAND ...

  convert IN OUT [--quality N] [--plugins DIR] [--strip]
      Load IN and write OUT in the format of its extension: .jpg/.jpeg, .bmp,
      .tif/.tiff (letter case ignored). N is the JPEG quality, 1 ... 100,
      default 80. A JPEG or TIFF OUT keeps IN's EXIF, IPTC, XMP and ICC
      profile (orientation 1, sizes updated); --strip leaves them out.
  info IN [--plugins DIR]
      Print "width=W height=H bits=B kind=K" of the image as the program opens
      it (16- and 32-bit images become 24-bit). K is the kit's image kind:
      0 mono, 1 grey 4-bit, 2 colour 4-bit, 3 colour 8-bit, 4 grey 8-bit,
      5 RGB 24-bit.
  op NAME [PARAM ...] IN [PICTURE ...] OUT [--quality N] [--plugins DIR] [--strip]
      Run the pixel routine NAME (letter case ignored) with its parameters on
      IN and write OUT as convert does. Parameters listed with "=V" are
      optional and take V when left out (only from the end). A routine that
      reads further pictures (listed as NAME:image) takes them as image files
      after IN, e.g. op BlendImages MODE WEIGHT TOP BASE OUT.
  paint METHOD [CONTROLS] IN OUT [--quality N] [--plugins DIR]
      Make a painting- or illustration-style picture of IN as the painting
      window does and write it as OUT. METHOD is 1 ... 8 or line. CONTROLS,
      with each page's defaults (the ranges of methods 3, 7 and 8 in
      brackets):
        --brush 4..7        brushwork, methods 1, 4, 5, 6 (default 6)
        --colour 0..20      colour use, methods 1 ... 8 (default 10;
                            [0..10], default 5)
        --black 1..20       black-fill strength, methods 1, 3 ... 8 (default
                            10; [3..7], default 5)
        --relief 5..10      relief (sharpening), methods 4 ... 8 (default 7)
        --edge 6..10        edge extraction, line (default 8)
        --pen colour|black  the outline pen (default colour)
      Prints the number of each finished step on the standard error.
  op --list
      Print every routine with its parameters, one per line.
  pack ARCHIVE FOLDER
      Write the thumbnails (*.sam) of FOLDER into the thumbnail archive
      ARCHIVE, as the browser keeps them in VelmirBrowse.KXA, and print the
      result: 0 done, 1 not written (an archive already there stays as it
      was).
  unpack ARCHIVE FOLDER
      Re-create the thumbnails of ARCHIVE in FOLDER with their last-write
      times and print the result: 0 done, 1 the archive cannot be read, -3,
      -4, -5, -6 it ends inside an entry's name, date, time or size (the
      thumbnails before it stay).
  thumbs FOLDER [--archive | --per-image] [--plugins DIR]
      Bring the thumbnails of FOLDER up to date as the browser does: with
      --archive in the working thumbnail folder and the folder's archive
      VelmirBrowse.KXA, with --per-image as .sam files beside the images; by
      default as the browser's ThumbSave option says. Prints each status text
      on its own line, then "listed=N", the number of images listed.
  batch JOB [OPTIONS] --out FOLDER FILE... [--quality N] [--plugins DIR] [--strip]
      Run one of the browser's batch jobs on every FILE and write each
      result, under the file's name, into FOLDER (made when missing). A
      source file is never written to; each result keeps its source's metadata
      as convert does (--strip: none). JOB is the number or the name:
      0 auto-a, 1 auto-b (the automatic corrections, with the program's
      thresholds), 2 rotate, 3 resize, 4 convert, 5 colour, 6 gamma,
      7 saturation, 8 brightness, 9 contrast. OPTIONS, with the dialog's
      defaults:
        --amount 0..3       gamma, saturation, brightness, contrast: ++, +
                            (default 1), -, --
        --rotation 0..4     rotate: 0 clockwise 90 (default), 1 anticlockwise
                            90, 2 180, 3 mirror left-right, 4 flip top-bottom
        --rule 0..4         resize: 0 same height (--height N, default), 1 same
                            width (--width N), 2 both (--width, --height),
                            3 longer side (--side N), 4 percent (--percent N)
        --format jpg|bmp|tif  convert: the new format (default jpg); files the
                            kit does not read are tried with the plug-ins
        --blue --yellow --red --green --colour-width 1..16
                            colour: the colours to add, by the width (8)
      N of --quality defaults to the program's JPEG quality setting. Prints
      one line per file on the standard error, then "written=W failed=F".
  catalogue FOLDER --out DIR --name NAME [--columns N] [--title T]
            [--links | --links-no-path] [--remake [--size S]] [--plugins DIR]
      Write the browser's HTML image catalogue of FOLDER into DIR: the page
      NAME (its extension made .html) in code page 932, and a thumb_*.jpg
      per image. By default each image's .sam thumbnail beside it is copied
      (images without one are left out); with --remake the thumbnails are
      made anew, S pixels on the longer side (default 100). N columns (1 to
      99, default 5). --links links each entry to its image by full path,
      --links-no-path by file name. Prints "page=PATH images=N
      thumbnails=T".
  --help
      Print this text.

IN is read as the program reads it: BMP, JPEG and TIFF (recognised by
content) through the imaging kit, any other format through the decoder
plug-ins (*.spi) of the folder of velmir-cli, or of DIR with --plugins. The
plug-ins shipped with the program read PNG, GIF and WebP; a plug-in's
picture becomes 24-bit.

Exit status: 0 done, 1 a file or folder could not be read or written, the
routine failed, pack or unpack printed a result other than 0, or a batch
left a file unwritten, 2 bad usage or parameters, 3 the imaging kit is
incomplete.
)";

} // namespace

int Usage(const std::string &why) {
  if (!why.empty()) Error(why);
  std::fputs(kUsageText, stderr);
  return kExitUsage;
}

namespace {

int Convert(std::vector<std::string> args) {
  int quality = kDefaultQuality;
  std::string why, plugins;
  if (!TakeQuality(args, quality, why) || !TakePluginFolder(args, plugins, why)) return Usage(why);
  const bool strip = TakeFlag(args, "--strip");
  if (args.size() != 2) return Usage("convert takes IN and OUT");
  const std::string &in = args[0];
  const std::string &out = args[1];
  DibHandle image;
  if (const int rc = ReadForOutput(in, out, plugins, image)) return rc;
  // A JPEG or TIFF output keeps IN's EXIF, IPTC, XMP and ICC profile.
  const PhotoMetadata metadata = strip ? PhotoMetadata() : PhotoMetadata::Read(in);
  if (!SaveImageFile(out, image.get(), quality, &metadata)) return CannotWrite(out);
  return kExitOk;
}

int Info(std::vector<std::string> args) {
  std::string why, plugins;
  if (!TakePluginFolder(args, plugins, why)) return Usage(why);
  if (args.size() != 1) return Usage("info takes IN");
  if (const int rc = ReadyToRead(plugins)) return rc;
  DibHandle image = LoadImageFile(args[0]);
  IMGKIT_IMAGEINFO info{};
  if (!image || !Kit.ImgKitImageInfo(image.get(), &info)) return CannotRead(args[0]);
  WarnIfDamaged(args[0]);
  std::printf("width=%d height=%d bits=%d kind=%d\n", info.width, info.height, info.bitCount,
              info.kind);
  return kExitOk;
}

int List() {
  for (const Routine &r : AllRoutines())
    std::printf("%s\n", DescribeRoutine(r).c_str());
  return kExitOk;
}

int Op(std::vector<std::string> args) {
  if (args.size() == 1 && args[0] == "--list") return List();
  int quality = kDefaultQuality;
  std::string why, plugins;
  if (!TakeQuality(args, quality, why) || !TakePluginFolder(args, plugins, why)) return Usage(why);
  const bool strip = TakeFlag(args, "--strip");
  if (args.empty()) return Usage("op takes NAME [PARAM ...] IN OUT, or --list");
  const Routine *routine = FindRoutine(args[0]);
  if (!routine) return Usage("no routine named " + args[0] + " (see: velmir-cli op --list)");
  // NAME, the parameters, IN, the further pictures and OUT: the optional
  // parameters at the end may be left out.
  const size_t least = RequiredArgCount(*routine), most = routine->params.size();
  const size_t further = routine->inputs.size();
  if (args.size() < least + further + 3 || args.size() > most + further + 3) {
    std::string files = "IN";
    for (const char *input : routine->inputs)
      files += std::string(" ") + input;
    return Usage(routine->name + " takes " + std::to_string(least) +
                 (least == most ? std::string() : " to " + std::to_string(most)) +
                 " parameter(s), then " + files + " OUT");
  }
  const size_t count = args.size() - further - 3;
  std::vector<double> values(count);
  for (size_t i = 0; i < count; ++i) {
    const RoutineParam &p = routine->params[i];
    if (!ParseNumber(args[i + 1], std::string_view(p.type) == "int", values[i]))
      return Usage(routine->name + " " + p.name + " takes " +
                   (std::string_view(p.type) == "int" ? "a whole number" : "a number") +
                   ", not \"" + args[i + 1] + "\"");
  }
  if (why = CheckRoutineArgs(*routine, values); !why.empty()) return Usage(why);
  const std::string &in = args[count + 1];
  const std::string &out = args[count + further + 2];
  DibHandle image;
  if (const int rc = ReadForOutput(in, out, plugins, image)) return rc;
  std::vector<DibHandle> pictures;
  std::vector<IMGHANDLE> inputs;
  for (size_t i = 0; i < further; ++i) {
    const std::string &file = args[count + 2 + i];
    pictures.push_back(LoadImageFile(file));
    if (!pictures.back()) return CannotRead(file);
    inputs.push_back(pictures.back().get());
  }
  if (!RunRoutine(*routine, image, values, inputs, &why)) {
    Error(why);
    return kExitFailed;
  }
  const PhotoMetadata metadata = strip ? PhotoMetadata() : PhotoMetadata::Read(in);
  if (!SaveImageFile(out, image.get(), quality, &metadata)) return CannotWrite(out);
  return kExitOk;
}

// pack and unpack: the result on its own line, whatever it is.
int Archive(const std::string &command, const std::vector<std::string> &args,
            int (*run)(const QString &, const QString &)) {
  if (args.size() != 2) return Usage(command + " takes ARCHIVE and FOLDER");
  const int result = run(QFile::decodeName(args[0].c_str()), QFile::decodeName(args[1].c_str()));
  std::printf("%d\n", result);
  return result == kArchiveOk ? kExitOk : kExitFailed;
}

// Status texts as lines on the standard output.
class PrintingReporter : public ThumbReporter {
public:
  void Status(const QString &text) override {
    const QByteArray line = text.toUtf8();
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
  }
};

int Thumbs(std::vector<std::string> args) {
  std::string why, plugins;
  if (!TakePluginFolder(args, plugins, why)) return Usage(why);
  int variant = -1; // from the option
  for (auto it = args.begin(); it != args.end();) {
    const int asked = *it == "--archive" ? 1 : (*it == "--per-image" ? 0 : -1);
    if (asked < 0) {
      ++it;
      continue;
    }
    if (variant >= 0 && variant != asked)
      return Usage("--archive and --per-image exclude each other");
    variant = asked;
    it = args.erase(it);
  }
  if (args.size() != 1) return Usage("thumbs takes FOLDER");
  if (const int rc = ReadyToRead(plugins)) return rc;
  BrowserOptions options = ReadBrowserOptions();
  if (variant >= 0) options.thumbSave = variant;
  ThumbStore store(WorkingThumbFolder());
  PrintingReporter reporter;
  const ThumbRefreshResult result =
      store.Refresh(QFile::decodeName(args[0].c_str()), options, reporter);
  if (!result.folderRead) {
    Error("cannot read the folder " + args[0]);
    return kExitFailed;
  }
  std::printf("listed=%d\n", result.listed);
  return kExitOk;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsageText, args.empty() ? stderr : stdout);
    return args.empty() ? kExitUsage : kExitOk;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "convert") return Convert(std::move(args));
  if (command == "info") return Info(std::move(args));
  if (command == "op") return Op(std::move(args));
  if (command == "pack") return Archive(command, args, Pack);
  if (command == "unpack") return Archive(command, args, Unpack);
  if (command == "thumbs") return Thumbs(std::move(args));
  if (command == "batch") return Batch(std::move(args));
  if (command == "paint") return Paint(std::move(args));
  if (command == "catalogue") return Catalogue(std::move(args));
  return Usage("unknown command " + command);
}
