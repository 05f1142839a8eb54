// Batch retouching: one job applied to a list of image files, each result
// written as a new file into an output folder. The jobs run the named pixel
// routines (the same ones the dialogs use); the batch dialog, velmir-cli
// and the tests share this code. No widget header here.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

enum BatchJobNumber {
  bjAutoA,      // brightness and contrast, automatic
  bjAutoB,      // brightness, contrast and colour balance, automatic
  bjRotate,     // rotation and mirroring
  bjResize,     // enlarging and reducing
  bjConvert,    // file format conversion
  bjColour,     // colour correction
  bjGamma,      // gamma
  bjSaturation, // saturation
  bjBrightness, // brightness
  bjContrast,   // contrast
  kBatchJobCount
};

struct BatchJobInfo {
  const char *menuCaption; // the browser's batch menu item
  const char *shownName;   // the dialog's job name
  const char *cliName;     // velmir-cli's name of the job
};
// The job's row; null for a number outside 0 ... kBatchJobCount - 1.
const BatchJobInfo *BatchJob(int job);
// A job number ("0" ... "9") or a job's velmir-cli name; -1 for neither.
int BatchJobByName(const std::string &name);

// The dialog's choices, in the dialog's order.
enum BatchRotation { brClockwise, brAnticlockwise, br180, brMirror, brFlip };
enum BatchSizeRule { bsSameHeight, bsSameWidth, bsBoth, bsLongerSide, bsPercent };
enum BatchFormat { bfJpeg, bfBmp, bfTiff };

struct BatchSettings {
  int job = bjAutoA;
  int rotation = brClockwise;
  int sizeRule = bsSameHeight;
  int height = 0, width = 0, side = 0, percent = 0; // the size boxes
  int format = bfJpeg;
  bool blue = false, yellow = false, red = false, green = false;
  int colourWidth = 8; // 1 ... 16
  int amount = 1;      // 0 ... 3: ++, +, -, --
  int jpegQuality = 90;
  int thresholdA = 3, thresholdB = 4; // the automatic corrections' settings
  bool keepMetadata = true;           // each output gets its source's EXIF, XMP, ICC ...
};
constexpr int kColourWidthMin = 1, kColourWidthMax = 16;

// The amount choices as a tone value: 124, 112, 88, 76 (100 for others).
int BatchAmountValue(int amount);

struct ChannelOffsets {
  int red = 0, green = 0, blue = 0;
};
// The colour job's offsets, from the ticked colours and the width.
ChannelOffsets BatchColourOffsets(const BatchSettings &s);

struct PixelSize {
  int width = 0, height = 0;
  bool operator==(const PixelSize &) const = default;
};
// The resize job's new size for an image of w by h pixels (may be 0 or
// less when the rule's number is; such an image is not written).
PixelSize BatchNewSize(const BatchSettings &s, int w, int h);
// Empty when the resize job's rule has its number; otherwise the message
// asking for it. Other jobs always pass.
QString BatchSizeRuleProblem(const BatchSettings &s);

// Where the job writes the result of `source`: the output folder and the
// source's file name, for the conversion job with the format's extension.
QString BatchOutputPath(const QString &outputFolder, const QString &source, const BatchSettings &s);

// One named routine with its arguments.
struct RoutineCall {
  std::string name;
  std::vector<double> args;
};
// The routines the job runs on an image of w by h pixels and `bits` bits
// per pixel (after 16 and 32 bits became 24), in order. None for the
// conversion job.
std::vector<RoutineCall> BatchSteps(const BatchSettings &s, int w, int h, int bits);

enum class BatchOutcome {
  Written,         // the result is in the output folder
  Missing,         // the file is gone: skipped
  Unreadable,      // the image could not be read: skipped
  NoFormat,        // the output name has no extension the kit writes
  Refused,         // a routine refused the image (a size of 0, say)
  WriteFailed,     // the file could not be written (nothing half-written)
  SourceProtected, // the output name is a source image: not written over
};
// Japanese, for the dialog and the logs; empty for Written.
QString BatchOutcomeText(BatchOutcome outcome);

struct BatchImageReport {
  int index = 0; // 0-based, in the list's order
  QString source;
  QString output;
  BatchOutcome outcome = BatchOutcome::Written;
};

enum class BatchEnd {
  Finished,
  Aborted,
  SizeRuleMissing, // nothing was run; the message is BatchSizeRuleProblem
  NoOutputFolder,  // the output folder cannot be made (or is a file)
};

struct BatchResult {
  BatchEnd end = BatchEnd::Finished;
  int done = 0;    // images taken in hand (the done counter at the end)
  int written = 0; // results written
  int failed = 0;  // images taken in hand and not written
};

struct BatchRunCallbacks {
  // Before image i: show it and let the user's abort in; false stops the
  // run before the image. May be empty.
  std::function<bool(int index, const QString &source)> before;
  // After each image taken in hand. May be empty.
  std::function<void(const BatchImageReport &report)> after;
};

// Runs the job over `sources` into `outputFolder` (made when missing). The
// next image is decoded on a second thread while the current one is
// processed and written (the conversion job asks the decoder plug-ins,
// on the calling thread, for a file the kit refuses); outputs, counters and the abort point are
// those of a run one image after another. A source file is never written to: an output name that is
// the source itself, another source of the list, or an existing file in the source's own folder is
// left alone and counted as failed. Results are written under a temporary name and renamed.
BatchResult RunBatch(const QStringList &sources, const QString &outputFolder,
                     const BatchSettings &settings, const BatchRunCallbacks &callbacks = {});
