/*
 * The imaging kit: decoding, encoding, colour-depth conversion, copying,
 * cutting, resizing, filtering and drawing of images.
 *
 * An image is an IMGHANDLE: an opaque pointer to one heap block that holds a
 * packed device-independent bitmap:
 *   1. a 40-byte IMGKIT_BMIH header (height positive: rows bottom-up),
 *   2. the colour table (colour count x 4 bytes, blue-green-red-reserved)
 *      for 1-, 4- and 8-bit images,
 *   3. the pixel rows, each padded to a multiple of 4 bytes; row 0 is the
 *      bottom row of the picture, 24-bit pixels are blue, green, red.
 * 16- and 32-bit images (as read from files) have no colour table; their
 * pixels are 5-5-5 words and blue-green-red-x quads.
 *
 * The pointer is the header itself: "locking" a handle is reading it, and
 * cannot fail. Every handle a function returns is owned by the caller and is
 * released with ImgKitMemFree, also the ones made with ImgKitMemAlloc.
 *
 * Returned handles: a function returning IMGHANDLE may return its input,
 * changed in place, or a new handle. The caller keeps the input when the
 * result equals it; otherwise it frees the input and keeps the result. A
 * result of 0 means failure and leaves the input untouched and owned by the
 * caller. Functions returning int change their input in place and return
 * non-zero on success; on failure the input is unchanged.
 *
 * Texts (file names, captions, progress texts) are UTF-8. Captions and
 * progress texts name the work for a progress display; empty texts or null
 * pointers ask for none.
 *
 * Limits: images of more than 2^28 pixels or more than 2 GiB of pixel data
 * are refused by every reader and every function that makes a new image.
 */
#ifndef VELMIR_IMGKIT_H
#define VELMIR_IMGKIT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define IMGKIT_API __attribute__((visibility("default")))
#else
#define IMGKIT_API
#endif

typedef void *IMGHANDLE;

/* The 40-byte header at the start of every handle. */
typedef struct IMGKIT_BMIH {
  uint32_t biSize; /* 40 */
  int32_t biWidth;
  int32_t biHeight;  /* positive: bottom-up rows */
  uint16_t biPlanes; /* 1 */
  uint16_t biBitCount;
  uint32_t biCompression; /* 0 */
  uint32_t biSizeImage;   /* may be 0: then stride x height */
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
} IMGKIT_BMIH;

/* What ImgKitFileType tells of a file. */
typedef struct IMGKIT_FILEINFO {
  int32_t format; /* one of the IMGKIT_FORMAT_ values */
  int32_t width;
  int32_t height;
  int16_t bitCount; /* bits per pixel of the image the file loads as */
} IMGKIT_FILEINFO;

enum {
  IMGKIT_FORMAT_UNKNOWN = 0,
  IMGKIT_FORMAT_BMP = 1,
  IMGKIT_FORMAT_JPEG = 2,
  IMGKIT_FORMAT_TIFF = 3
};

/* What ImgKitImageInfo tells of an image in memory. */
typedef struct IMGKIT_IMAGEINFO {
  int32_t width;
  int32_t height;
  int32_t kind;        /* one of the IMGKIT_KIND_ values */
  int32_t bitCount;    /* bits per pixel */
  int32_t colourCount; /* entries of the colour table, 0 for none */
} IMGKIT_IMAGEINFO;

enum {
  IMGKIT_KIND_MONO = 0,    /* 1 bit; black and white counts as grey */
  IMGKIT_KIND_GREY4 = 1,   /* 4 bits, grey colour table */
  IMGKIT_KIND_COLOUR4 = 2, /* 4 bits, colour table with colours */
  IMGKIT_KIND_COLOUR8 = 3, /* 8 bits, colour table with colours */
  IMGKIT_KIND_GREY8 = 4,   /* 8 bits, grey colour table */
  IMGKIT_KIND_RGB24 = 5,
  IMGKIT_KIND_RGB16 = 6,
  IMGKIT_KIND_RGB32 = 7
};

/* ImgKitRotation kinds. */
enum {
  IMGKIT_ROTATE_180 = 0,
  IMGKIT_ROTATE_LEFT = 1,  /* 90 degrees anticlockwise */
  IMGKIT_ROTATE_RIGHT = 2, /* 90 degrees clockwise */
  IMGKIT_FLIP_TOP_BOTTOM = 3,
  IMGKIT_FLIP_LEFT_RIGHT = 4
};

/* ImgKitFilter kinds. */
enum { IMGKIT_FILTER_ROBERTS = 3, IMGKIT_FILTER_LAPLACIAN = 4 };

/* ---- libimgcom3: memory and display facts ---------------------------- */

/* A zero-filled block of `size` bytes; 0 when it cannot be had. */
IMGKIT_API IMGHANDLE ImgKitMemAlloc(uint32_t size);
/* The size of a block, as asked of ImgKitMemAlloc; 0 for a null handle. */
IMGKIT_API uint32_t ImgKitMemSize(IMGHANDLE h);
/* Releases a handle; a null handle is ignored. */
IMGKIT_API void ImgKitMemFree(IMGHANDLE h);
/* Colours of a palette display (256, 16 or 2); 0 on a true-colour display,
 * which is every display here. */
IMGKIT_API int ImgKitSystemPalette(void);

/* ---- libimgfile3: reading files, writing BMP and JPEG ----------------- */

/* Non-zero when the file is a BMP, JPEG or TIFF file that ImgKitFileLoad
 * reads; fills *info (which may be null). Reads only the file's header. */
IMGKIT_API int ImgKitFileType(const char *file, IMGKIT_FILEINFO *info);
/* Loads a BMP, JPEG or TIFF file (recognised by content). Images come back
 * at 1, 4, 8 or 24 bits, or 16/32 bits for such BMP files. 0 on failure. */
IMGKIT_API IMGHANDLE ImgKitFileLoad(const char *file, const char *caption, const char *text);
/* As ImgKitFileLoad, but a JPEG file is decoded reduced by the strongest
 * factor N/8 (N = 1 ... 7) whose result is still at least coverWidth x
 * coverHeight pixels; the whole image when no factor is, or when either
 * size is not above 0. Other formats load whole. Meant for thumbnails, which
 * need far fewer pixels than a photo has. */
IMGKIT_API IMGHANDLE ImgKitFileLoadReduced(const char *file, int32_t coverWidth,
                                           int32_t coverHeight);
/* Non-zero when the last ImgKitFileLoad or ImgKitFileLoadReduced of the
 * calling thread returned a picture some of whose data was damaged or
 * missing (a JPEG file cut short or with corrupt data); the decoder filled
 * the missing part. A file with nothing decodable is refused instead. */
IMGKIT_API int ImgKitFileLoadDamaged(void);
/* Writes a BMP file of the image's own depth. Non-zero on success. */
IMGKIT_API int ImgKitBmpFileSave(const char *file, IMGHANDLE h, const char *caption,
                                 const char *text, int reserved);
/* Writes a JPEG file (quality 1 ... 100, clamped). 8-bit grey images are
 * written as grey JPEG, everything else as colour. Non-zero on success. */
IMGKIT_API int ImgKitJpegFileSave(const char *file, IMGHANDLE h, const char *caption,
                                  const char *text, int quality, int reserved);

/* ---- libimgtiff3: TIFF ------------------------------------------------ */

/* Writes an uncompressed-or-LZW TIFF file of the image's own depth (16- and
 * 32-bit images as 24-bit RGB). Non-zero on success. */
IMGKIT_API int ImgKitTiffFileSave(const char *file, IMGHANDLE h, const char *caption,
                                  const char *text, int reserved);
/* Loads a TIFF file; as ImgKitFileLoad. */
IMGKIT_API IMGHANDLE ImgKitTiffFileLoad(const char *file, const char *caption, const char *text);

/* ---- libimgetc3: image operations ------------------------------------- */

/* Fills *info; non-zero on success. */
IMGKIT_API int ImgKitImageInfo(IMGHANDLE h, IMGKIT_IMAGEINFO *info);
/* A new handle with the same image. */
IMGKIT_API IMGHANDLE ImgKitCopy(IMGHANDLE h, const char *caption, const char *text);
/* Converts to 1, 4, 8 or 24 bits. fixedPalette: 1 uses the standard colours
 * (black and white; the 16 VGA colours; the 20 system colours and a 6x6x6
 * cube), 0 an optimised palette. diffusion: 1 diffuses the error
 * (Floyd-Steinberg), 0 takes the nearest colour. Returns h itself when it
 * already has the target depth, else a new handle. */
IMGKIT_API IMGHANDLE ImgKitConvertColor(IMGHANDLE h, int bits, int fixedPalette, int diffusion,
                                        const char *caption, const char *text);
/* A new handle with the image resized by plain pixel replication and
 * decimation (h is left as it is); any depth. */
IMGKIT_API IMGHANDLE ImgKitImageSize(IMGHANDLE h, const char *caption, const char *text, int width,
                                     int height);
/* Rotates or flips (IMGKIT_ROTATE_, IMGKIT_FLIP_); any depth. */
IMGKIT_API IMGHANDLE ImgKitRotation(IMGHANDLE h, const char *caption, const char *text, int kind);
/* An 8-bit image with a 256-step grey colour table. */
IMGKIT_API IMGHANDLE ImgKitSetGray(IMGHANDLE h, const char *caption, const char *text);
/* In place, any depth of 8 bits and more (palette images through their
 * colour table where the operation is per pixel). */
IMGKIT_API int ImgKitEmboss(IMGHANDLE h, const char *caption, const char *text);
IMGKIT_API int ImgKitColorReverse(IMGHANDLE h, const char *caption, const char *text);
IMGKIT_API int ImgKitFilter(IMGHANDLE h, const char *caption, const char *text, int kind);
IMGKIT_API int ImgKitMosaic(IMGHANDLE h, const char *caption, const char *text, int blockSize);
/* factor > 0 brightens, < 0 darkens: v + factor x 40, clamped. */
IMGKIT_API int ImgKitBright(IMGHANDLE h, const char *caption, const char *text, double factor);
/* Adds a signed offset to each channel, clamped to 0 ... 255. */
IMGKIT_API int ImgKitRGB(IMGHANDLE h, const char *caption, const char *text, int red, int green,
                         int blue);
/* The clipboard's image as a 24-bit handle, or 0. `window` is unused. */
IMGKIT_API IMGHANDLE ImgKitGetFromClipBrd(void *window);
/* Puts a copy of the image on the clipboard. Non-zero on success. */
IMGKIT_API int ImgKitSetToClipBrd(void *window, IMGHANDLE h);

/* ---- libimgcut3 -------------------------------------------------------- */

/* A new handle of the rectangle (inclusive corners, in picture coordinates
 * with y = 0 at the top), clipped to the image; 0 when nothing is left. */
IMGKIT_API IMGHANDLE ImgKitRectCut(IMGHANDLE h, const char *caption, const char *text, int left,
                                   int top, int right, int bottom);

/* ---- libimgdsp3: drawing ------------------------------------------------ */

/* `target` is a QPainter*: the image is drawn at (0, 0), at (x, y), or at
 * (0, 0) with the five reserved values 0. Non-zero on success. */
IMGKIT_API int ImgKitDisplay(void *target, IMGHANDLE h, int reserved);
IMGKIT_API int ImgKitDisplayXY(void *target, IMGHANDLE h, int x, int y);
IMGKIT_API int ImgKitDisplayRGB(void *target, IMGHANDLE h, int r1, int r2, int r3, int r4, int r5);

#ifdef __cplusplus
}
#endif

#endif
