#include "browser/ThumbStore.h"

#include "adjust/Fresize.h"
#include "browser/DecodeAhead.h"
#include "browser/ThumbArchive.h"
#include "image/ColourProfile.h"
#include "image/Dib.h"
#include "image/Orientation.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>

namespace {

// Thumbnails decoded or being decoded ahead of the calling thread. They are
// small; what bounds memory is that each worker decodes one image at a time.
constexpr size_t kDecodedAhead = 4;
constexpr size_t kDecodeWorkers = 4;

// Empty stays empty, so that no refresh wanders into the current folder.
QString WithSlash(const QString &folder) {
  return folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Marks the store busy for the length of one refresh.
class BusyScope {
public:
  explicit BusyScope(bool &busy) : busy_(busy) { busy_ = true; }
  BusyScope(const BusyScope &) = delete;
  BusyScope &operator=(const BusyScope &) = delete;
  ~BusyScope() { busy_ = false; }

private:
  bool &busy_;
};

QString FileNameOf(const QString &path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString FolderOf(const QString &path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : path.left(slash);
}

bool IsThumbnailName(const char *name) {
  const size_t n = std::strlen(name);
  return n >= 4 && strcasecmp(name + n - 4, ".sam") == 0;
}

uint32_t StampOf(time_t when) {
  std::tm local{};
  if (!localtime_r(&when, &local)) return 0;
  return PackFileTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec);
}

// Calls f(name, stat) for each regular file of the folder (links followed)
// in the order the directory lists them, until f answers false. False when
// the folder cannot be opened; a folder that goes away meanwhile just ends
// the walk.
template <class F> bool ForEachFile(const QString &folder, F f) {
  DIR *dir = opendir(QFile::encodeName(folder).constData());
  if (!dir) return false;
  const int fd = dirfd(dir);
  while (const dirent *e = readdir(dir)) {
    if (e->d_type != DT_REG && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
    struct stat st {};
    if (fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    if (!f(e->d_name, st)) break;
  }
  closedir(dir);
  return true;
}

void DeleteThumbnails(const QString &folder) {
  if (folder.isEmpty()) return;
  std::vector<std::string> names;
  ForEachFile(folder, [&](const char *name, const struct stat &) {
    if (IsThumbnailName(name)) names.emplace_back(name);
    return true;
  });
  const std::string prefix = QFile::encodeName(WithSlash(folder)).toStdString();
  for (const std::string &name : names)
    unlink((prefix + name).c_str());
}

// Whether files can be made in the folder: a test file is made and removed.
// An existing "temp.data" is somebody's file, so it is neither truncated nor
// deleted; a name of our own is tried instead.
bool FolderWritable(const QString &folder) {
  if (folder.isEmpty()) return false;
  std::string path =
      QFile::encodeName(WithSlash(folder) + QStringLiteral("temp.data")).toStdString();
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0 && errno == EEXIST) {
    path += ".XXXXXX";
    fd = mkstemp(path.data());
  }
  if (fd < 0) return false;
  close(fd);
  unlink(path.c_str());
  return true;
}

// Made 24-bit and scaled by area averaging to `size`.
DibHandle ScaledThumbnail(DibHandle image, ThumbSize size) {
  IMGKIT_IMAGEINFO info{};
  if (!image || size.width < 1 || !Kit.ImgKitImageInfo(image.get(), &info)) return {};
  if (info.bitCount != 24 && !image.Adopt(Kit.ImgKitConvertColor(image.get(), 24, 0, 0, "", "")))
    return {};
  return ResizedImage(image.get(), size.width, size.height, ResizeMethod::Oversampling);
}

} // namespace

QString ThumbnailName(const QString &imagePath) {
  const qsizetype slash = imagePath.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = imagePath.lastIndexOf(QLatin1Char('.'));
  return (dot > slash ? imagePath.left(dot) : imagePath) + QStringLiteral(".sam");
}

ThumbSize ThumbnailSize(int width, int height) {
  if (width < 1 || height < 1) return {};
  ThumbSize s;
  if (height < width) {
    s.width = kThumbSide;
    s.height = static_cast<int>(int64_t{height} * kThumbSide / width);
  } else {
    s.height = kThumbSide;
    s.width = static_cast<int>(int64_t{width} * kThumbSide / height);
  }
  s.width = std::max(s.width, 1);
  s.height = std::max(s.height, 1);
  return s;
}

uint32_t PackFileTime(int year, int month, int day, int hour, int minute, int second) {
  year = std::clamp(year, 1980, 2107);
  const uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | month << 5 | day);
  const uint32_t time = static_cast<uint32_t>(hour << 11 | minute << 5 | second / 2);
  return (date & 0xffffu) << 16 | (time & 0xffffu);
}

bool FileTimeStamp(const QString &path, uint32_t &stamp) {
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0) return false;
  stamp = StampOf(st.st_mtime);
  return true;
}

bool ThumbnailStale(bool thumbExists, uint32_t thumbStamp, uint32_t imageStamp) {
  return !thumbExists || static_cast<int32_t>(thumbStamp) < static_cast<int32_t>(imageStamp);
}

bool ListImages(const QString &folder, const QString &enableFile, std::vector<ListedImage> &out) {
  out.clear();
  if (folder.isEmpty()) return false;
  const QString prefix = WithSlash(folder);
  const bool read = ForEachFile(folder, [&](const char *name, const struct stat &st) {
    if (IsThumbnailName(name)) return true;
    const QString fileName = QFile::decodeName(name);
    if (!ImageExtensionAccepted(fileName, enableFile)) return true;
    out.push_back({prefix + fileName, StampOf(st.st_mtime), false});
    return static_cast<int>(out.size()) < kMaxListedImages;
  });
  return read;
}

void SortImages(std::vector<ListedImage> &images) {
  if (images.size() < 2) return;
  std::vector<std::pair<QByteArray, ListedImage>> keyed;
  keyed.reserve(images.size());
  for (ListedImage &image : images)
    keyed.emplace_back(image.path.toUtf8(), std::move(image));
  // QByteArray compares as unsigned bytes.
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  for (size_t i = 0; i < images.size(); ++i)
    images[i] = std::move(keyed[i].second);
}

namespace {

// Thumbnails are shown as they are stored: a photo with a colour profile
// gets its thumbnail in the sRGB of the screen.
DibHandle InDisplayColours(DibHandle thumbnail, const QString &imagePath) {
  if (!thumbnail) return thumbnail;
  const DisplayProfile profile =
      DisplayProfile::ForFile(QFile::encodeName(imagePath).toStdString());
  if (!profile.Converts()) return thumbnail;
  QImage shown = BitmapFromDib(TMDIB(thumbnail.get()));
  profile.ToDisplay(shown);
  DibHandle converted = DibFromBitmap(shown.convertToFormat(QImage::Format_RGB888));
  return converted ? std::move(converted) : std::move(thumbnail);
}

} // namespace

DibHandle ThumbnailImageFromKit(const QString &imagePath) {
  const QByteArray file = QFile::encodeName(imagePath);
  IMGKIT_FILEINFO info{};
  if (!Kit.ImgKitFileType(file.constData(), &info)) return {};
  // The thumbnail shows the picture upright: a phone photo stored on its
  // side is sized by its upright sides and turned before it is reduced.
  const int orientation = JpegExifOrientation(file.toStdString());
  const bool swapped = OrientationSwapsSides(orientation);
  const ThumbSize size =
      swapped ? ThumbnailSize(info.height, info.width) : ThumbnailSize(info.width, info.height);
  if (size.width < 1) return {};
  // A JPEG file comes decoded at the smallest scale that still covers the
  // thumbnail, which is most of the speed of a refresh.
  DibHandle image(Kit.ImgKitFileLoadReduced(file.constData(), swapped ? size.height : size.width,
                                            swapped ? size.width : size.height));
  ApplyOrientation(image, orientation);
  return InDisplayColours(ScaledThumbnail(std::move(image), size), imagePath);
}

DibHandle ThumbnailImageFromPlugins(const QString &imagePath, TSpiload &loader) {
  DibHandle image = ReadWithPlugins(loader, QFile::encodeName(imagePath).toStdString());
  IMGKIT_IMAGEINFO info{};
  if (!image || !Kit.ImgKitImageInfo(image.get(), &info)) return {};
  return InDisplayColours(ScaledThumbnail(std::move(image), ThumbnailSize(info.width, info.height)),
                          imagePath);
}

DibHandle ThumbnailImage(const QString &imagePath, TSpiload &loader) {
  DibHandle thumbnail = ThumbnailImageFromKit(imagePath);
  return thumbnail ? std::move(thumbnail) : ThumbnailImageFromPlugins(imagePath, loader);
}

bool WriteThumbnail(IMGHANDLE thumbnail, const QString &thumbPath) {
  // The kit's writer goes through a temporary file beside the target.
  return thumbnail && Kit.ImgKitJpegFileSave(QFile::encodeName(thumbPath).constData(), thumbnail,
                                             "", "", kThumbQuality, 0) != 0;
}

ThumbResult MakeThumbnail(const QString &imagePath, const QString &thumbPath, TSpiload &loader) {
  const DibHandle thumbnail = ThumbnailImage(imagePath, loader);
  if (!thumbnail) return ThumbResult::Unreadable;
  return WriteThumbnail(thumbnail.get(), thumbPath) ? ThumbResult::Written
                                                    : ThumbResult::NotWritten;
}

QString ThumbStatus::Processing(int k, int count) {
  return QStringLiteral("サムネイル作成／読込中：全") + QString::number(count) +
         QStringLiteral(" のうち ") + QString::number(k) +
         QStringLiteral(" を処理中・・・しばらくお待ちください");
}

struct ThumbStore::Run {
  ThumbReporter &reporter;
  QString folder; // ends in "/"
  QString enableFile;
  std::vector<ListedImage> images;
  ThumbRefreshResult result;
  bool made = false; // some thumbnail was written
};

ThumbStore::ThumbStore(const QString &workFolder, TSpiload &loader)
    : workFolder_(WithSlash(workFolder)), loader_(loader) {}

ThumbRefreshResult ThumbStore::Refresh(const QString &folder, const BrowserOptions &options,
                                       ThumbReporter &reporter) {
  return options.thumbSave == 1 ? RefreshArchive(folder, options.enableFile, reporter)
                                : RefreshPerImage(folder, options.enableFile, reporter);
}

bool ThumbStore::ListFolder(Run &run, const QString &searchText, const QString &noneText) {
  ThumbReporter &r = run.reporter;
  r.Status(searchText);
  r.Busy(true);
  lists_.Clear();
  run.result.folderRead = ListImages(run.folder, run.enableFile, run.images);
  r.Status(ThumbStatus::kSort);
  SortImages(run.images);
  if (!run.images.empty()) return true;
  r.Status(noneText);
  r.Finished(lists_);
  r.Busy(false);
  return false;
}

void ThumbStore::MakeAndList(Run &run, bool perImage) {
  ThumbReporter &r = run.reporter;
  std::vector<QString> stale;
  for (const ListedImage &image : run.images)
    if (image.stale) stale.push_back(image.path);
  DecodeAhead ahead(std::move(stale), ThumbnailImageFromKit, kDecodeWorkers, kDecodedAhead);

  const int count = static_cast<int>(run.images.size());
  for (int k = 0; k < count; ++k) {
    r.Status(ThumbStatus::Processing(k + 1, count));
    const ListedImage &image = run.images[static_cast<size_t>(k)];
    QString thumbPath =
        perImage ? ThumbnailName(image.path) : workFolder_ + ThumbnailName(FileNameOf(image.path));
    bool listed = true;
    if (image.stale) {
      // Plug-ins are asked here, on the calling thread: the loader and the
      // plug-ins it holds are not made for threads.
      DibHandle thumbnail = ahead.Next();
      if (!thumbnail) thumbnail = ThumbnailImageFromPlugins(image.path, loader_);
      if (thumbnail) {
        bool written = WriteThumbnail(thumbnail.get(), thumbPath);
        if (!written && perImage) {
          // A folder that cannot be written keeps its thumbnails in the
          // working folder until the next refresh.
          thumbPath = workFolder_ + FileNameOf(thumbPath);
          written = WriteThumbnail(thumbnail.get(), thumbPath);
        }
        run.made = run.made || written;
        r.Picture(TMDIB(thumbnail.get()));
      } else {
        listed = false; // neither the kit nor a plug-in reads it
      }
    }
    if (listed) {
      lists_.thumbs.append(thumbPath);
      lists_.images.append(image.path);
      lists_.marks.append(QStringLiteral("0"));
      r.LineAdded(lists_);
    }
    if (r.StopRequested()) {
      run.result.stopped = true;
      break;
    }
  }
}

ThumbStore::Run ThumbStore::Begin(const QString &folder, const QString &enableFile,
                                  ThumbReporter &reporter) {
  QDir().mkpath(workFolder_);
  Run run{reporter, WithSlash(folder), enableFile, {}, {}, false};
  run.result.ran = true;
  return run;
}

void ThumbStore::Finish(Run &run) {
  ThumbReporter &r = run.reporter;
  r.JobPanel(false);
  r.Finished(lists_);
  r.Status(ThumbStatus::kDone);
  r.Busy(false);
}

ThumbRefreshResult ThumbStore::RefreshArchive(const QString &folder, const QString &enableFile,
                                              ThumbReporter &reporter) {
  if (busy_) return {};
  BusyScope scope(busy_);
  Run run = Begin(folder, enableFile, reporter);
  ThumbReporter &r = reporter;

  r.JobPanel(true);
  r.ClearGrid();
  r.Status(ThumbStatus::kClearWorkFolder);
  DeleteThumbnails(workFolder_);
  const bool writable = FolderWritable(run.folder);
  r.Status(ThumbStatus::kClearImageFolder);
  DeleteThumbnails(run.folder);
  r.Status(ThumbStatus::kCheckArchive);
  const QString archive = run.folder + kThumbArchiveName;
  const bool hadArchive = !run.folder.isEmpty() && QFile::exists(archive);
  if (hadArchive) {
    r.Status(ThumbStatus::kUnpack);
    Unpack(archive, workFolder_);
  }

  if (!ListFolder(run, ThumbStatus::kSearchFolder, ThumbStatus::kNoneInFolder)) {
    r.JobPanel(false);
    return run.result;
  }

  r.Status(ThumbStatus::kCheckStale);
  for (ListedImage &image : run.images) {
    uint32_t stamp = 0;
    const bool exists = FileTimeStamp(workFolder_ + ThumbnailName(FileNameOf(image.path)), stamp);
    image.stale = ThumbnailStale(exists, stamp, image.stamp);
  }
  r.Status(ThumbStatus::kCreate);
  MakeAndList(run, false);

  if (writable && (!hadArchive || run.made)) {
    r.Status(ThumbStatus::kPack);
    // Pack replaces the old archive only once the new one is complete, so
    // it is not deleted first.
    Pack(archive, workFolder_);
  }
  Finish(run);
  run.result.listed = lists_.Count();
  return run.result;
}

ThumbRefreshResult ThumbStore::RefreshPerImage(const QString &folder, const QString &enableFile,
                                               ThumbReporter &reporter) {
  if (busy_) return {};
  BusyScope scope(busy_);
  Run run = Begin(folder, enableFile, reporter);
  ThumbReporter &r = reporter;

  r.Status(ThumbStatus::kClear);
  // The last refresh's fall-back thumbnails: those not beside their image.
  for (qsizetype i = 0; i < lists_.thumbs.size() && i < lists_.images.size(); ++i)
    if (FolderOf(lists_.thumbs[i]) != FolderOf(lists_.images[i])) QFile::remove(lists_.thumbs[i]);

  if (!ListFolder(run, ThumbStatus::kSearch, ThumbStatus::kNone)) return run.result;

  r.Status(ThumbStatus::kExamineStale);
  for (ListedImage &image : run.images) {
    uint32_t stamp = 0;
    const bool exists = FileTimeStamp(ThumbnailName(image.path), stamp);
    image.stale = ThumbnailStale(exists, stamp, image.stamp);
  }
  r.JobPanel(true);
  r.ClearGrid();
  MakeAndList(run, true);
  Finish(run);
  run.result.listed = lists_.Count();
  return run.result;
}
