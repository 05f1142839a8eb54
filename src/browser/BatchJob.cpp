#include "browser/BatchJob.h"

#include "adjust/Histfunc.h"
#include "browser/DecodeAhead.h"
#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Metadata.h"
#include "routines/AllRoutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>

namespace {

const BatchJobInfo kJobs[kBatchJobCount] = {
    {"輝度ｺﾝﾄﾗｽﾄ自動補正 (&A)", "輝度・コントラスト自動補正", "auto-a"},
    {"輝度ｺﾝﾄﾗｽﾄｶﾗｰﾊﾞﾗﾝｽ自動補正 (&B)", "輝度・コントラスト・カラーバランス自動補正", "auto-b"},
    {"回転・反転 (&R)", "画像の回転・反転", "rotate"},
    {"拡大・縮小 (&S)", "画像の拡大・縮小", "resize"},
    {"画像ﾌｧｲﾙ形式変換 (&F)", "画像ファイル形式の変換", "convert"},
    {"色補正(&C)", "色補正", "colour"},
    {"ガンマ補正(&G)", "ガンマ補正", "gamma"},
    {"彩度調整(&U)", "彩度調整", "saturation"},
    {"輝度調整(&B)", "輝度調整", "brightness"},
    {"ｺﾝﾄﾗｽﾄ調整(&N)", "コントラスト調整", "contrast"},
};

// The kit's rotation codes in the dialog's order.
constexpr int kRotationCode[] = {2, 1, 0, 4, 3};

// The worker decodes at most this many images ahead: each 12-megapixel
// photo holds 36 MB while it waits.
constexpr size_t kBatchDecodedAhead = 1;

std::string Local(const QString &path) { return QFile::encodeName(path).toStdString(); }

bool SameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool StatOf(const QString &path, struct stat &st) { return stat(Local(path).c_str(), &st) == 0; }

// The files of the list by device and inode, to recognise a source behind
// any spelling of its name.
class SourceSet {
public:
  explicit SourceSet(const QStringList &sources) {
    for (const QString &s : sources) {
      struct stat st {};
      if (StatOf(s, st)) files_.push_back(st);
    }
  }
  bool Contains(const struct stat &st) const {
    return std::any_of(files_.begin(), files_.end(),
                       [&](const struct stat &f) { return SameFile(f, st); });
  }

private:
  std::vector<struct stat> files_;
};

// Whether writing `output` would replace a source image: the file itself,
// another file of the list, or any existing file in the source's folder.
bool WouldReplaceSource(const QString &source, const QString &output, const SourceSet &sources) {
  struct stat out {};
  if (!StatOf(output, out)) return false; // nothing there yet
  if (sources.Contains(out)) return true;
  struct stat sourceDir {
  }, outputDir{};
  return StatOf(QFileInfo(source).absolutePath(), sourceDir) &&
         StatOf(QFileInfo(output).absolutePath(), outputDir) && SameFile(sourceDir, outputDir);
}

DibHandle ReadFromKit(const QString &path) {
  return LoadImageFile(Local(path), {.plugins = false, .fullColour = true});
}

BatchOutcome Process(DibHandle image, const QString &source, const QString &output,
                     const BatchSettings &s) {
  std::vector<RoutineCall> steps;
  {
    const TMDIB dib(image.get());
    steps = BatchSteps(s, dib.width, dib.height, dib.BitsPerPixel());
  }
  for (const RoutineCall &step : steps) {
    const Routine *routine = FindRoutine(step.name);
    if (!routine || !RunRoutine(*routine, image, step.args)) return BatchOutcome::Refused;
  }
  const PhotoMetadata metadata =
      s.keepMetadata ? PhotoMetadata::Read(Local(source)) : PhotoMetadata();
  return SaveImageFile(Local(output), image.get(), s.jpegQuality, &metadata)
             ? BatchOutcome::Written
             : BatchOutcome::WriteFailed;
}

} // namespace

const BatchJobInfo *BatchJob(int job) {
  return job >= 0 && job < kBatchJobCount ? &kJobs[job] : nullptr;
}

int BatchJobByName(const std::string &name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0] - '0';
  for (int i = 0; i < kBatchJobCount; ++i)
    if (name == kJobs[i].cliName) return i;
  return -1;
}

int BatchAmountValue(int amount) {
  switch (amount) {
  case 0: return 124;
  case 1: return 112;
  case 2: return 88;
  case 3: return 76;
  default: return 100;
  }
}

ChannelOffsets BatchColourOffsets(const BatchSettings &s) {
  const int w = s.colourWidth;
  int u = 0, v = 0;
  if (s.blue) u = std::min(u + w, 50);
  if (s.yellow) u = std::max(u - w, -50);
  if (s.red) v = std::min(v + w, 50);
  if (s.green) v = std::max(v - w, -50);
  return {1140 * v / 1000, (-396 * u - 581 * v) / 1000, 2029 * u / 1000};
}

PixelSize BatchNewSize(const BatchSettings &s, int w, int h) {
  // In 64 bits, exactly: the truncation of the true quotient.
  const auto scaled = [](int64_t a, int64_t b, int64_t c) {
    return c == 0 ? 0 : static_cast<int>(std::clamp<int64_t>(a * b / c, INT32_MIN, INT32_MAX));
  };
  switch (s.sizeRule) {
  case bsSameHeight: return {scaled(w, s.height, h), s.height};
  case bsSameWidth: return {s.width, scaled(h, s.width, w)};
  case bsBoth: return {s.width, s.height};
  case bsLongerSide:
    if (w < h) return {scaled(w, s.side, h), s.side};
    return {s.side, scaled(h, s.side, w)};
  case bsPercent: return {scaled(w, s.percent, 100), scaled(h, s.percent, 100)};
  default: return {w, h};
  }
}

QString BatchSizeRuleProblem(const BatchSettings &s) {
  if (s.job != bjResize) return {};
  switch (s.sizeRule) {
  case bsSameHeight:
    if (s.height <= 0) return QStringLiteral("縦の長さを指定してください");
    break;
  case bsSameWidth:
    if (s.width < 1) return QStringLiteral("横の長さを指定してください");
    break;
  case bsBoth:
    if (s.height <= 0 || s.width <= 0) return QStringLiteral("縦と横の長さを指定してください");
    break;
  case bsLongerSide:
    if (s.side < 1) return QStringLiteral("長辺の寸法を指定してください");
    break;
  case bsPercent:
    if (s.percent <= 0) return QStringLiteral("寸法比（％）を指定してください");
    break;
  default: break;
  }
  return {};
}

QString BatchOutputPath(const QString &outputFolder, const QString &source,
                        const BatchSettings &s) {
  QString name = QFileInfo(source).fileName();
  if (s.job == bjConvert) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    static const char *const kExtension[] = {".jpg", ".bmp", ".tif"};
    name += QLatin1String(kExtension[std::clamp(s.format, 0, 2)]);
  }
  QString folder = outputFolder;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder + name;
}

std::vector<RoutineCall> BatchSteps(const BatchSettings &s, int w, int h, int bits) {
  const double value = BatchAmountValue(s.amount);
  switch (s.job) {
  // A stored threshold outside the options dialog's range would make the
  // routine refuse every image: the nearest allowed one is taken.
  case bjAutoA:
    return {{"BatchCorrectionA",
             {double(std::clamp(s.thresholdA, kAutoContrastMin, kAutoContrastMax))}}};
  case bjAutoB:
    return {{"BatchCorrectionB",
             {double(std::clamp(s.thresholdB, kAutoContrastMin, kAutoContrastMax))}}};
  case bjRotate: return {{"ImgKitRotation", {double(kRotationCode[std::clamp(s.rotation, 0, 4)])}}};
  case bjResize: {
    const PixelSize size = BatchNewSize(s, w, h);
    // 24-bit images: area averaging when either side shrinks, bilinear
    // when both grow; the kit's scaling otherwise and for palette images.
    int method = 0;
    if (bits == 24) {
      if (size.width < w || size.height < h)
        method = 1;
      else if (size.width > w && size.height > h)
        method = 2;
    }
    return {{"ResizeImage", {double(size.width), double(size.height), double(method)}}};
  }
  case bjConvert: return {};
  case bjColour: {
    const ChannelOffsets o = BatchColourOffsets(s);
    return {{"ImgKitRGB", {double(o.red), double(o.green), double(o.blue)}}};
  }
  case bjGamma: return {{"Gamma", {value}}};
  case bjSaturation: return {{"Saturation", {value - 100}}};
  case bjBrightness: return {{"ImgKitBright", {(value - 100) * 0.5 * 0.05}}};
  case bjContrast: return {{"Contrast", {value - 100}}};
  default: return {};
  }
}

QString BatchOutcomeText(BatchOutcome outcome) {
  switch (outcome) {
  case BatchOutcome::Written: return {};
  case BatchOutcome::Missing: return QStringLiteral("ファイルが見つかりません");
  case BatchOutcome::Unreadable: return QStringLiteral("読込めないデータ形式です");
  case BatchOutcome::NoFormat: return QStringLiteral("この形式では保存できません");
  case BatchOutcome::Refused: return QStringLiteral("この画像には処理を適用できません");
  case BatchOutcome::WriteFailed: return QStringLiteral("ファイルを書込めませんでした");
  case BatchOutcome::SourceProtected:
    return QStringLiteral("元の画像を上書きしないよう、保存しませんでした");
  }
  return {};
}

BatchResult RunBatch(const QStringList &sources, const QString &outputFolder,
                     const BatchSettings &settings, const BatchRunCallbacks &callbacks) {
  BatchResult result;
  // The rule first: a run that cannot start leaves no new folder behind.
  if (!sources.isEmpty() && !BatchSizeRuleProblem(settings).isEmpty()) {
    result.end = BatchEnd::SizeRuleMissing;
    return result;
  }
  if (!QDir().mkpath(outputFolder) || !QFileInfo(outputFolder).isDir()) {
    result.end = BatchEnd::NoOutputFolder;
    return result;
  }
  const SourceSet sourceSet(sources);

  // Only the images that will be read are decoded ahead; the others are
  // decided before any decoding.
  std::vector<QString> outputs;
  std::vector<BatchOutcome> decided;
  std::vector<QString> toRead;
  for (const QString &source : sources) {
    const QString output = BatchOutputPath(outputFolder, source, settings);
    BatchOutcome early = BatchOutcome::Written;
    if (FileKindByExtension(Local(output)) == ImageFileKind::Unknown)
      early = BatchOutcome::NoFormat;
    outputs.push_back(output);
    decided.push_back(early);
    if (early == BatchOutcome::Written) toRead.push_back(source);
  }
  DecodeAhead ahead(std::move(toRead), ReadFromKit, 1, kBatchDecodedAhead);

  for (int i = 0; i < sources.size(); ++i) {
    if (callbacks.before && !callbacks.before(i, sources[i])) {
      result.end = BatchEnd::Aborted;
      return result;
    }
    BatchImageReport report{i, sources[i], outputs[size_t(i)], decided[size_t(i)]};
    if (report.outcome == BatchOutcome::Written) {
      DibHandle image = ahead.Next();
      // The check is made when the image's turn comes, after the earlier
      // results were written: one of them may have taken the name.
      if (WouldReplaceSource(report.source, report.output, sourceSet)) {
        report.outcome = BatchOutcome::SourceProtected;
      } else {
        if (!image && settings.job == bjConvert)
          image = LoadImageFile(Local(report.source), {.plugins = true, .fullColour = true});
        if (image)
          report.outcome = Process(std::move(image), report.source, report.output, settings);
        else if (QFileInfo::exists(report.source))
          report.outcome = BatchOutcome::Unreadable;
        else
          report.outcome = BatchOutcome::Missing;
      }
    }
    ++result.done;
    if (report.outcome == BatchOutcome::Written)
      ++result.written;
    else
      ++result.failed;
    if (callbacks.after) callbacks.after(report);
  }
  return result;
}
