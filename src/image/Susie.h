// The plug-in loader: decoder plug-ins (shared objects named *.spi with the
// interface of plugins/spi.h) found once in a folder, asked in folder order
// to claim a file, and used to decode it into a framework bitmap. Every
// reader of image files goes through ReadImageFile, which asks the kit first
// and the plug-ins only when the kit refuses.
//
// A plug-in runs inside the process: what it returns is checked before a
// byte of it is read, but a plug-in that crashes takes the program with it.
#pragma once

#include "image/DibHandle.h"
#include "spi.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// One accepted library.
struct TSpi_plugin {
  TSpi_plugin() = default;
  TSpi_plugin(const TSpi_plugin &) = delete;
  TSpi_plugin &operator=(const TSpi_plugin &) = delete;
  ~TSpi_plugin(); // unloads the library

  uint32_t loadError = 0; // set when a required entry point was missing
  void *module = nullptr;
  TSpi_plugin *next = nullptr; // owned by the loader's table
  std::string fileName;        // the path it was loaded from
  decltype(&::IsSupported) IsSupported = nullptr;
  decltype(&::GetPictureInfo) GetPictureInfo = nullptr;
  decltype(&::GetPicture) GetPicture = nullptr;
  decltype(&::GetPreview) GetPreview = nullptr;         // recorded, never called
  decltype(&::GetArchiveInfo) GetArchiveInfo = nullptr; // recorded, never called
  decltype(&::GetFile) GetFile = nullptr;               // recorded, never called
};

class TSpiload {
public:
  TSpiload() = default;
  TSpiload(const TSpiload &) = delete;
  TSpiload &operator=(const TSpiload &) = delete;
  ~TSpiload() { Shutdown(); }

  // Loads every *.spi (any letter case) of `folder` in the order the
  // directory lists them, keeping those that export IsSupported and
  // GetPicture. A missing folder or one without plug-ins leaves the table
  // empty. Loading again replaces the table.
  void LoadPlugins(const std::string &folder);
  // Makes `fileName` the current file and asks each plug-in in table order,
  // each with a freshly opened descriptor, whether it reads it; the first
  // that says yes is chosen. No for a file that cannot be opened.
  bool Probe(const std::string &fileName);
  // Decodes the current file with the chosen plug-in into Bitmap(); files
  // named .bmp or .ico are first offered to the framework's own reader.
  bool Decode();
  // Frees the decoded bitmap.
  void Release();
  // Frees everything and unloads the plug-ins.
  void Shutdown();

  const std::string &Folder() const { return folder_; }
  const std::string &CurrentFile() const { return currentFile_; }
  // Upper-cased, dot included (".PNG"); at most 31 characters.
  const std::string &CurrentExtension() const { return currentExtension_; }
  const TSpi_plugin *FirstPlugin() const { return firstPlugin_; }
  const TSpi_plugin *ChosenPlugin() const { return chosenPlugin_; }
  const QImage &Bitmap() const { return bitmap_; }
  int ColourDepth() const { return colourDepth_; }
  // errno-style code of the last refused transfer.
  uint32_t LastError() const { return lastError_; }

private:
  std::string folder_;
  std::string currentFile_;
  std::string currentExtension_;
  TSpi_plugin *firstPlugin_ = nullptr;
  TSpi_plugin *chosenPlugin_ = nullptr;
  QImage bitmap_;
  int32_t colourDepth_ = 0;
  uint32_t lastError_ = 0;
};

// The one loader of the process: loaded while the main window is made (or
// by velmir-cli), shut down at the end.
extern TSpiload SusieLoader;

// The largest picture taken from a plug-in, as the kit's own limit.
inline constexpr int64_t kMaxPluginPixels = int64_t{1} << 28;

// Turns a plug-in's two blocks into a framework bitmap after checking that
// the header describes a picture of `width` x `height` whose colour table
// (or masks) lies within the first `infoBytes` and whose rows lie within
// `bitsBytes`. 0 on success, else an errno value (EINVAL for a header that
// does not fit, EFBIG for too many pixels, ENOMEM) and `out` is null.
int TransferPluginPicture(const void *info, size_t infoBytes, const void *bits, size_t bitsBytes,
                          int width, int height, QImage &out);

// The framework bitmap as 24 bits per pixel, transparency laid over white.
QImage FullColourBitmap(const QImage &bitmap);

// Reads an image file the way every reader does: the kit first; when it
// refuses, the plug-ins (probe, `claimed` called once a plug-in has claimed
// the file, decode, 24 bits, image handle, release). Kit images come back
// as the kit read them, plug-in images as 24-bit. `fromPlugin` tells which.
// Empty when neither can read the file.
DibHandle ReadImageFile(TSpiload &loader, const std::string &path, bool *fromPlugin = nullptr,
                        const std::function<void()> &claimed = {});
// The kit half of ReadImageFile alone: the kit's picture turned upright by
// the file's EXIF orientation (image/Orientation), as every reader sees it.
DibHandle ReadWithKit(const std::string &path);
// The plug-in half of ReadImageFile alone: probe, decode, 24 bits, release.
DibHandle ReadWithPlugins(TSpiload &loader, const std::string &path,
                          const std::function<void()> &claimed = {});
inline DibHandle ReadImageFile(const std::string &path, bool *fromPlugin = nullptr,
                               const std::function<void()> &claimed = {}) {
  return ReadImageFile(SusieLoader, path, fromPlugin, claimed);
}
