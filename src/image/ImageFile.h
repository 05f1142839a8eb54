// Image files by name: the kind a file name's extension stands for, reading
// the way every reader of the program does, and writing by the extension
// through the kit. Shared by the batch jobs, velmir-cli and the automatic
// correction of files; no widget header here.
#pragma once

#include "image/DibHandle.h"

class PhotoMetadata;

#include <string>

enum class ImageFileKind { Unknown, Jpeg, Bmp, Tiff };

// By the file name's extension, letter case ignored: .jpg/.jpeg, .bmp,
// .tif/.tiff; anything else is Unknown.
ImageFileKind FileKindByExtension(const std::string &path);

struct ImageReadOptions {
  // Ask the decoder plug-ins of SusieLoader when the kit refuses the file.
  // Most batch jobs read through the kit alone.
  bool plugins = true;
  // 16- and 32-bit images come back as 24-bit, as the program opens them.
  bool fullColour = true;
};

// Reads `path` through ReadImageFile (kit, then the plug-ins when allowed).
// `fromPlugin` tells which one read it. Empty when the file cannot be read
// or the conversion to 24 bits failed.
DibHandle LoadImageFile(const std::string &path, const ImageReadOptions &options = {},
                        bool *fromPlugin = nullptr);

// Whether the picture the last read of this thread returned was damaged in
// the file (a JPEG cut short or with corrupt data): what could be decoded is
// there, the rest filled in. The open command tells the user; thumbnails and
// batch jobs take such pictures silently.
bool LastReadDamaged();
inline const char *kDamagedPictureText =
    "画像データの一部が壊れています。読み込めた部分を表示します。";

// Writes `image` in the format of the extension of `path`, `jpegQuality`
// (1 ... 100) for JPEG only. False for an unknown extension (nothing is
// written), no image, or a failed write. The kit's writers go through a
// temporary file in the same folder that is renamed over `path` only when
// complete, so a failure leaves an existing file as it was.
//
// With `metadata` (not empty) a JPEG or TIFF file gets the source's EXIF,
// IPTC, XMP and ICC profile (PhotoMetadata::WriteInto): written into a
// private file beside `path`, which replaces `path` only when complete.
// Metadata Exiv2 cannot write is left out; the picture is still saved.
bool SaveImageFile(const std::string &path, IMGHANDLE image, int jpegQuality,
                   const PhotoMetadata *metadata = nullptr);
// The same in a format chosen by the caller (the save commands keep a
// file's format by rules of their own).
bool SaveImageFileAs(const std::string &path, IMGHANDLE image, ImageFileKind kind, int jpegQuality,
                     const PhotoMetadata *metadata = nullptr);
