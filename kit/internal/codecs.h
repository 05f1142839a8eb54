// Readers and writers of the kit's file formats. Readers take a seekable
// stream positioned at the start of the file (a real file or fmemopen), check
// the header before the full decode, and turn every malformed or unsupported
// file into a null result: no exception escapes, nothing is left allocated.
// Writers go through AtomicFile: on failure the old file is untouched.
#pragma once

#include "imgkit.h"

#include <cstdio>

namespace kit {

enum class FileKind { Unknown, Bmp, Jpeg, Tiff };

// Recognises a file by its first bytes ("BM", FF D8 FF, "II*\0" / "MM\0*"
// and the BigTIFF "II+\0" / "MM\0+").
FileKind SniffStream(FILE *f);

// Header facts without decoding: width, height and the bit count that the
// reader returns. False when the header is not one the reader accepts.
bool BmpInfo(FILE *f, IMGKIT_FILEINFO &info);
bool JpegInfo(FILE *f, IMGKIT_FILEINFO &info);
bool TiffInfo(FILE *f, IMGKIT_FILEINFO &info);

// Full decode into a new handle, or null.
// BMP: 1, 4, 8, 24 bits as stored (RLE4/RLE8 expanded to 4/8 bits); 16 and
// 32 bits as 16-bit 5-5-5 or 32-bit x-8-8-8 when the file uses the default
// layout, otherwise widened to 24 bits (v x 255 / max, rounded).
IMGHANDLE ReadBmp(FILE *f);
// JPEG: 8-bit grey palette image for grey files, 24 bits otherwise (CMYK and
// YCCK converted to colour).
IMGHANDLE ReadJpeg(FILE *f);
// The same, decoded at the strongest reduction N/8 (N = 1 ... 7) whose
// output is still at least coverWidth x coverHeight; whole when none is, or
// when either size is not above 0.
IMGHANDLE ReadJpegReduced(FILE *f, int coverWidth, int coverHeight);
// TIFF (first image, classic or BigTIFF): 1, 4, 8-bit palette/grey (grey of
// any integer or floating-point sample as 8 bits); 24 bits for RGB and RGBA
// (alpha composited on white), CMYK, CIELab and everything else libtiff can
// give as RGBA; turned as its orientation says.
IMGHANDLE ReadTiff(FILE *f);

// Writers: BMP at the image's own depth (uncompressed); JPEG quality 1..100
// (8-bit grey palette images as grey, everything else as colour); TIFF at
// the image's own depth (16/32-bit images as 24-bit RGB).
bool WriteBmp(const char *path, IMGHANDLE h);
bool WriteJpeg(const char *path, IMGHANDLE h, int quality);
bool WriteTiff(const char *path, IMGHANDLE h);

// By content: null when the file is missing or not a readable image.
IMGHANDLE LoadFile(const char *path);
// As LoadFile, JPEG files through ReadJpegReduced; other formats whole.
IMGHANDLE LoadFileReduced(const char *path, int coverWidth, int coverHeight);
// Whether the last LoadFile or LoadFileReduced of the calling thread gave a
// picture some of whose data was damaged or missing (and filled in by the
// decoder). The readers say it with NoteLoadDamaged.
bool LastLoadDamaged();
void NoteLoadDamaged(bool damaged);
bool FileInfo(const char *path, IMGKIT_FILEINFO &info);

} // namespace kit
