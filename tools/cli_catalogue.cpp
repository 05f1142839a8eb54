// velmir-cli catalogue: the browser's HTML image catalogue of a folder.
#include "browser/BrowserOptions.h"
#include "browser/Catalogue.h"
#include "cli_args.h"

#include <QFile>

#include <cstdio>

namespace {

QString Text(const std::string &s) { return QString::fromUtf8(s.c_str()); }

} // namespace

int Catalogue(std::vector<std::string> args) {
  std::string why, plugins, out, name, title;
  bool hasOut = false, hasName = false, hasTitle = false, hasColumns = false, hasSize = false;
  CatalogueOptions o;
  if (!TakePluginFolder(args, plugins, why)) return Usage(why);
  if (!TakeOption(args, "--out", out, hasOut)) return Usage("--out takes a folder");
  if (!TakeOption(args, "--name", name, hasName)) return Usage("--name takes a file name");
  if (!TakeOption(args, "--title", title, hasTitle)) return Usage("--title takes a text");
  if (!TakeWholeNumber(args, "--columns", 1, kMaxCatalogueColumns, o.columns, hasColumns, why) ||
      !TakeWholeNumber(args, "--size", 0, kMaxCatalogueThumbSide, o.thumbSide, hasSize, why))
    return Usage(why);
  const bool links = TakeFlag(args, "--links");
  const bool bare = TakeFlag(args, "--links-no-path");
  if (links && bare) return Usage("--links and --links-no-path exclude each other");
  o.remake = TakeFlag(args, "--remake") ? 1 : 0;
  if (hasSize && o.remake == 0) return Usage("--size needs --remake");
  if (args.size() != 1) return Usage("catalogue takes FOLDER");
  o.imageFolder = QFile::decodeName(args[0].c_str());
  o.outFolder = QFile::decodeName(out.c_str());
  o.fileName = Text(name);
  o.title = Text(title);
  o.links = links || bare;
  o.noPath = bare;
  o.enableFile = ReadBrowserOptions().enableFile;
  // The two messages of the dialog, before anything is loaded.
  for (const auto &[missing, text] :
       {std::pair{o.outFolder.trimmed().isEmpty(), CatalogueText::kNoFolder},
        std::pair{o.fileName.trimmed().isEmpty(), CatalogueText::kNoName}})
    if (missing) {
      Error(text.toStdString());
      return kExitUsage;
    }
  if (o.remake == 1)
    if (const int rc = ReadyToRead(plugins)) return rc;
  const CatalogueResult result = WriteCatalogue(o, ThumbBesideImage);
  if (!result.written) {
    Error(result.message.toStdString() + ": " + result.pagePath.toStdString());
    return kExitFailed;
  }
  std::printf("page=%s images=%d thumbnails=%d\n", QFile::encodeName(result.pagePath).constData(),
              result.images, result.thumbsWritten);
  return kExitOk;
}
