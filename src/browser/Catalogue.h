// The HTML image catalogue of a folder: one page showing every image as a
// thumbnail table with its file name, optionally linking each to its image,
// and one "thumb_" JPEG per image beside the page. The page is written in
// code page 932 with CR LF line ends. No widget here: the catalogue dialog
// and velmir-cli catalogue both run WriteCatalogue.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class Progress;

// The most columns and the largest thumbnail side the catalogue takes.
inline constexpr int kMaxCatalogueColumns = 99;
inline constexpr int kMaxCatalogueThumbSide = 1024;

struct CatalogueOptions {
  QString imageFolder; // the folder whose images are listed
  QString outFolder;   // where the page and its thumbnails go
  QString fileName;    // as entered: any folder part and extension are replaced
  QString title;
  int columns = 5;
  bool links = false;  // link each thumbnail and name to its image
  bool noPath = false; // links carry the bare file name
  int remake = 0;      // "RemakeSN": 0 copy the existing thumbnails, 1 make them anew
  int thumbSide = 100; // for remake 1; below 1 means 100
  QString enableFile;  // the extra image extensions ("EnableFile")
};

// The messages of the catalogue.
namespace CatalogueText {
inline const QString kNoFolder = QStringLiteral("格納先のフォルダが指定されていません");
inline const QString kNoName = QStringLiteral("カタログのファイル名が指定されていません");
inline const QString kCannotCreate = QStringLiteral("ＨＴＭＬファイルを作成できません");
} // namespace CatalogueText

// "thumb_" + the image's file name with its extension replaced by ".jpg".
QString CatalogueThumbName(const QString &imagePath);
// The page's path: the out folder, "/", the entered name without any folder
// part ("/" or "\") with its extension replaced by ".html". Empty when no
// name is left.
QString CataloguePagePath(const QString &outFolder, const QString &fileName);

// Text as the page carries it: `<`, `>`, `&` and `"` escaped.
QString HtmlEscaped(const QString &text);
// A link or image source: the path percent-encoded as a URL needs it
// (UTF-8 bytes, "/" kept), then escaped.
QString HtmlLink(const QString &path);
// The page's text in code page 932; characters that code page 932 cannot
// hold become HTML character references ("&#12345;").
QByteArray ToCp932(const QString &text);

// One image of the page.
struct CatalogueItem {
  QString image; // full path
  QString thumb; // full path of its catalogue thumbnail
};
// The whole page, line by line, CR LF, in code page 932.
QByteArray CataloguePage(const std::vector<CatalogueItem> &items, const CatalogueOptions &options);

// The thumbnail of an image that the browser already has, for the copying
// method: by default the ".sam" file beside the image (empty when none).
using ThumbSource = std::function<QString(const QString &imagePath)>;
QString ThumbBesideImage(const QString &imagePath);

struct CatalogueResult {
  bool written = false;
  QString message;       // the message to show when not written
  QString pagePath;      // the page written
  int images = 0;        // entries on the page
  int thumbsWritten = 0; // thumbnails copied or made
};

// Checks the folder and the name, builds the thumbnails by options.remake
// (copying from `source`, or making them anew through the kit and the
// plug-ins with `progress` advanced per image), then writes the
// page under a temporary name that replaces the old page when complete.
// `afterImage` runs after each image (the dialog lets pending events run).
CatalogueResult WriteCatalogue(const CatalogueOptions &options, const ThumbSource &source,
                               Progress *progress = nullptr,
                               const std::function<void()> &afterImage = {});
