// Thumbnails of a folder's images: small JPEG files named after their
// images (".sam"), made once and reused until the image is newer. Here are
// the name and size rules, making one thumbnail, listing a folder, the
// staleness rule and the folder refresh in its two variants (a thumbnail
// beside each image, or one archive per folder), which reports every step
// through a ThumbReporter. No widget here: the browser window, the catalogue
// and velmir-cli drive it.
#pragma once

#include "browser/BrowserOptions.h"
#include "browser/ThumbArchive.h"
#include "image/Dib.h"
#include "image/Susie.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The longer side of every thumbnail, and the JPEG quality they are written at.
inline constexpr int kThumbSide = 100;
inline constexpr int kThumbQuality = 50;
// The most images one refresh lists; later ones in the folder are not shown.
inline constexpr int kMaxListedImages = 2048;

// The image's name (or path) with its last extension replaced by ".sam":
// "photo.jpg" gives "photo.sam", "a.b.tif" gives "a.b.sam".
QString ThumbnailName(const QString &imagePath);

struct ThumbSize {
  int width = 0;
  int height = 0;
};

// Longer side 100: a wider image is 100 x h*100/w, any other 100 high and
// w*100/h wide (integer division). A side that would come out 0 (an image
// more than 100 times longer than wide) is made 1, since no image of width
// 0 exists. {0, 0} for a size that is not above 0.
ThumbSize ThumbnailSize(int width, int height);

// A file time as the directory listing gives it, packed into 32 bits: the
// date in the high half ((year - 1980) << 9 | month << 5 | day), the local
// time in the low half (hour << 11 | minute << 5 | second / 2). Years
// outside 1980 ... 2107 are clamped to them.
uint32_t PackFileTime(int year, int month, int day, int hour, int minute, int second);
// The packed last-write time of a file; false when it does not exist.
bool FileTimeStamp(const QString &path, uint32_t &stamp);
// An image needs a new thumbnail when it has none, or when the thumbnail's
// stamp is earlier, comparing the packed values as signed numbers.
bool ThumbnailStale(bool thumbExists, uint32_t thumbStamp, uint32_t imageStamp);

// One image of a refresh.
struct ListedImage {
  QString path;       // folder, "/", name
  uint32_t stamp = 0; // PackFileTime of its last write
  bool stale = false; // needs a new thumbnail
};

// The image files of `folder` in the order the directory lists them:
// regular files only, no ".sam" file (letter case ignored), only names that
// ImageExtensionAccepted takes, at most kMaxListedImages. False (and an
// empty list) when the folder cannot be read.
bool ListImages(const QString &folder, const QString &enableFile, std::vector<ListedImage> &out);
// Ascending by the bytes of the full path (its UTF-8 form).
void SortImages(std::vector<ListedImage> &images);

// The thumbnail of one image in memory: read through the kit (a JPEG file
// decoded already reduced, just covering the thumbnail size), then through
// the plug-ins of `loader`; made 24-bit and scaled to ThumbnailSize of the
// image by area averaging. None when neither can read the image.
DibHandle ThumbnailImage(const QString &imagePath, TSpiload &loader = SusieLoader);
// The first half of ThumbnailImage, kit only (safe on any thread, unlike
// the plug-ins): none when the kit cannot read the image.
DibHandle ThumbnailImageFromKit(const QString &imagePath);
// The other half: through the plug-ins only.
DibHandle ThumbnailImageFromPlugins(const QString &imagePath, TSpiload &loader = SusieLoader);
// Writes a thumbnail image as JPEG at kThumbQuality, under a temporary name
// in the same folder that replaces `thumbPath` only when complete.
bool WriteThumbnail(IMGHANDLE thumbnail, const QString &thumbPath);

enum class ThumbResult { Written, NotWritten, Unreadable };
// Makes the thumbnail of `imagePath` at `thumbPath` (the catalogue's way).
ThumbResult MakeThumbnail(const QString &imagePath, const QString &thumbPath,
                          TSpiload &loader = SusieLoader);

// The grid's three lists, in step: thumbnail path, image path, and the
// selection mark ("0" unselected).
struct ThumbLists {
  QStringList thumbs;
  QStringList images;
  QStringList marks;
  int Count() const { return static_cast<int>(images.size()); }
  void Clear() {
    thumbs.clear();
    images.clear();
    marks.clear();
  }
};

// What a refresh tells the window that runs it. Every call is made on the
// thread that called Refresh; the defaults do nothing.
class ThumbReporter {
public:
  virtual ~ThumbReporter() = default;
  // A status-bar text. The window repaints (and may run pending events)
  // before it returns.
  virtual void Status(const QString &text) { (void)text; }
  // Busy: the create button disabled, the stop button enabled; and back.
  virtual void Busy(bool busy) { (void)busy; }
  // The job panel with its 100 x 100 progress picture, shown or hidden.
  virtual void JobPanel(bool shown) { (void)shown; }
  // The grid emptied; its lists are being rebuilt.
  virtual void ClearGrid() {}
  // A thumbnail just made, for the progress picture; valid during the call.
  virtual void Picture(const TMDIB &thumbnail) { (void)thumbnail; }
  // One line added at the end of the lists.
  virtual void LineAdded(const ThumbLists &lists) { (void)lists; }
  // The end: the grid back at its first page with these lists (empty when
  // no image was found: counts "0"), the folder tree and file list redone.
  virtual void Finished(const ThumbLists &lists) { (void)lists; }
  // Asked after each image; true ends the refresh after that image.
  virtual bool StopRequested() { return false; }
};

struct ThumbRefreshResult {
  bool ran = false;        // false when another refresh was running
  bool folderRead = false; // the folder could be listed
  bool stopped = false;    // a stop request ended the loop
  int listed = 0;          // lines handed to the grid
};

// The status texts of the refreshes.
namespace ThumbStatus {
inline const QString kClearWorkFolder = QStringLiteral("サムネイル保存フォルダをクリアします");
inline const QString kClearImageFolder = QStringLiteral("画像フォルダのサムネイルをクリアします");
inline const QString kCheckArchive = QStringLiteral("アーカイブの存在を調査します");
inline const QString kUnpack = QStringLiteral("サムネイルを解凍します");
inline const QString kSearchFolder = QStringLiteral("フォルダ内の画像を検索します");
inline const QString kSort = QStringLiteral("画像をソートします");
inline const QString kNoneInFolder =
    QStringLiteral("このフォルダには表示できる画像が見つかりませんでした");
inline const QString kCheckStale = QStringLiteral("更新する必要のあるサムネイルをチェックします");
inline const QString kCreate = QStringLiteral("サムネイルを作成します");
inline const QString kPack = QStringLiteral("サムネイルをアーカイブします");
inline const QString kClear = QStringLiteral("サムネイルをクリアします");
inline const QString kSearch = QStringLiteral("画像を検索します");
inline const QString kNone = QStringLiteral("表示できる画像はありません");
inline const QString kExamineStale = QStringLiteral("更新の必要のあるサムネイルを調査します");
inline const QString kDone = QStringLiteral(
    "ファイルリストまたはサムネイルのダブルクリックでＶＥＬＭＩＲに読込みまたは全画面表示");
// "processing k of N" while the thumbnails are made.
QString Processing(int k, int count);
} // namespace ThumbStatus

// The refreshes of one browser. Images are decoded one worker thread ahead
// of the thumbnails being written, but lists, texts and stops come out as
// if one image were done after the other.
class ThumbStore {
public:
  // `workFolder`: the working thumbnail folder (made when missing).
  // Plug-in reads go through `loader`, only on the calling thread.
  explicit ThumbStore(const QString &workFolder, TSpiload &loader = SusieLoader);
  ThumbStore(const ThumbStore &) = delete;
  ThumbStore &operator=(const ThumbStore &) = delete;

  // The variant options.thumbSave names (1 the archive, else per image).
  ThumbRefreshResult Refresh(const QString &folder, const BrowserOptions &options,
                             ThumbReporter &reporter);
  // Thumbnails in the working folder, kept in the folder's archive.
  ThumbRefreshResult RefreshArchive(const QString &folder, const QString &enableFile,
                                    ThumbReporter &reporter);
  // A thumbnail beside each image; the working folder when that fails.
  ThumbRefreshResult RefreshPerImage(const QString &folder, const QString &enableFile,
                                     ThumbReporter &reporter);

  // True while a refresh runs; another one asked for meanwhile is ignored.
  bool Busy() const { return busy_; }
  // The lines of the last refresh.
  const ThumbLists &Lists() const { return lists_; }
  // Ends in "/".
  const QString &WorkFolder() const { return workFolder_; }

private:
  struct Run;
  // What both refreshes start with: the working folder there, a fresh run.
  Run Begin(const QString &folder, const QString &enableFile, ThumbReporter &reporter);
  // Lists, sorts and tells the grid when nothing was found; false then.
  bool ListFolder(Run &run, const QString &searchText, const QString &noneText);
  // Makes the stale thumbnails and fills the lists, image by image.
  void MakeAndList(Run &run, bool perImage);
  void Finish(Run &run);

  QString workFolder_;
  TSpiload &loader_;
  ThumbLists lists_;
  bool busy_ = false;
};
