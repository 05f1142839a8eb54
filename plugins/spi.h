/*
 * spi.h: the decoder plug-in interface of VELMIR on Linux.
 *
 * A plug-in is a shared object whose file name ends in ".spi" (any letter
 * case), placed in the plug-in folder (by default the folder of the
 * program). It exports the entry points below with C linkage under exactly
 * these names. The program accepts a plug-in that exports at least
 * IsSupported and GetPicture; GetPictureInfo is needed as well before any
 * picture is asked for. The program reads images through a plug-in only
 * when its own readers (BMP, JPEG, TIFF) have refused the file.
 *
 * The interface is the public one of image-decoder plug-ins, carried over to
 * Linux:
 *   - the file handle given to IsSupported is a POSIX file descriptor;
 *   - memory blocks handed to the program are malloc blocks (malloc, calloc
 *     or realloc of the process's C library), which the program releases
 *     with free;
 *   - file names are UTF-8 byte strings, as the file system takes them;
 *   - all records are little-endian and packed without padding.
 *
 * Calls come from one thread at a time. A plug-in runs inside the program's
 * process: a plug-in that crashes, calls exit or corrupts memory takes the
 * program down with it. The program cannot contain that; it only guards
 * against what a plug-in returns (see GetPicture).
 *
 * Build a plug-in as a module with hidden visibility and SPI_EXPORT on the
 * entry points, for example:
 *   cc -shared -fPIC -fvisibility=hidden -o ifxyz.spi ifxyz.c -lxyz
 */
#ifndef VELMIR_SPI_H
#define VELMIR_SPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define SPI_EXPORT __attribute__((visibility("default")))
#else
#define SPI_EXPORT
#endif

/* ---- results --------------------------------------------------------- */

enum {
  SPI_NO_FUNCTION = -1,     /* the entry point is not implemented */
  SPI_ALL_RIGHT = 0,        /* success */
  SPI_ABORT = 1,            /* the progress callback asked to stop */
  SPI_NOT_SUPPORT = 2,      /* not a format this plug-in reads */
  SPI_OUT_OF_ORDER = 3,     /* the data is damaged */
  SPI_NO_MEMORY = 4,        /* memory could not be allocated */
  SPI_MEMORY_ERROR = 5,     /* memory could not be used */
  SPI_FILE_READ_ERROR = 6,  /* the file could not be read */
  SPI_WINDOW_ERROR = 7,     /* reserved */
  SPI_OTHER_ERROR = 8,      /* any other failure */
  SPI_FILE_WRITE_ERROR = 9, /* a file could not be written */
  SPI_END_OF_FILE = 10      /* the data ends early */
};

/* ---- the input of GetPictureInfo, GetPicture, GetPreview -------------- */

/* Bits 0-2 of `flag` say what `buf` and `len` are. */
#define SPI_INPUT_MASK 7u
/* `buf` is a file name, `len` the offset in the file where the image starts. */
#define SPI_INPUT_FILE 0u
/* `buf` points to the image's bytes in memory, `len` is their count. */
#define SPI_INPUT_MEMORY 1u

/* IsSupported's second argument is a file descriptor when it is below this
 * value, else the address of a buffer with the file's first
 * SPI_PROBE_BYTES bytes (zero-filled past the end of a short file). */
#define SPI_DESCRIPTOR_LIMIT 0x10000u
#define SPI_PROBE_BYTES 2048

/* ---- records --------------------------------------------------------- */

#pragma pack(push, 1)

/* What GetPictureInfo tells of a picture (30 bytes on 64-bit Linux). */
typedef struct SPI_PICTUREINFO {
  int32_t left; /* position of the picture; 0 for a plain picture */
  int32_t top;
  int32_t width;     /* pixels */
  int32_t height;    /* pixels */
  int16_t x_density; /* pixels per inch, 0 when unknown */
  int16_t y_density;
  int16_t colorDepth; /* bits per pixel of the picture GetPicture returns */
  char *hInfo;        /* NULL, or a malloc block holding a NUL-terminated
                         text about the picture; the caller frees it */
} SPI_PICTUREINFO;

/* The 40-byte header of a device-independent bitmap. */
typedef struct SPI_BITMAPINFOHEADER {
  uint32_t biSize;         /* bytes of this header: 40 (or more for the
                              longer header versions) */
  int32_t biWidth;         /* pixels, > 0 */
  int32_t biHeight;        /* pixels; > 0: rows bottom-up, < 0: top-down */
  uint16_t biPlanes;       /* 1 */
  uint16_t biBitCount;     /* 1, 4, 8, 16, 24 or 32 */
  uint32_t biCompression;  /* SPI_BI_RGB, or SPI_BI_BITFIELDS at 16/32 bits */
  uint32_t biSizeImage;    /* bytes of the pixel block, may be 0 */
  int32_t biXPelsPerMeter; /* may be 0 */
  int32_t biYPelsPerMeter; /* may be 0 */
  uint32_t biClrUsed;      /* colour-table entries; 0: all 2^biBitCount */
  uint32_t biClrImportant; /* ignored */
} SPI_BITMAPINFOHEADER;

/* One colour-table entry. */
typedef struct SPI_RGBQUAD {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved; /* 0 */
} SPI_RGBQUAD;

/* The header and its colour table, as one block. */
typedef struct SPI_BITMAPINFO {
  SPI_BITMAPINFOHEADER bmiHeader;
  SPI_RGBQUAD bmiColors[1]; /* biClrUsed (or 2^biBitCount) entries */
} SPI_BITMAPINFO;

/* One member of an archive, as GetArchiveInfo lists them. */
typedef struct SPI_FILEINFO {
  uint8_t method[8];  /* compression method; method[0] == 0 ends the list */
  uint64_t position;  /* offset of the member in the archive */
  uint64_t compsize;  /* bytes in the archive */
  uint64_t filesize;  /* bytes when extracted */
  int64_t timestamp;  /* seconds since 1970 */
  char path[200];     /* folder inside the archive */
  char filename[200]; /* name of the member */
  uint32_t crc;
} SPI_FILEINFO;

#pragma pack(pop)

/* Pixel formats of SPI_BITMAPINFOHEADER.biCompression. */
#define SPI_BI_RGB 0u
/* 16 or 32 bits per pixel; three 32-bit masks (red, green, blue) follow the
 * 40 header bytes, where the colour table would start. */
#define SPI_BI_BITFIELDS 3u

/* Progress: called with num from 0 to denom; a non-zero result asks the
 * plug-in to stop and answer SPI_ABORT. The program passes none (NULL). */
typedef int (*SPI_PROGRESS)(int num, int denom, intptr_t data);

/* ---- entry points ------------------------------------------------------ */

/*
 * Optional. Describes the plug-in: infono 0 gives the interface version
 * "00IN" (an image plug-in), 1 a line about the plug-in; 2n+2 and 2n+3 the
 * n-th file pattern ("*.png") and its format name. Copies at most
 * buflen - 1 bytes and a terminator into buf; answers the bytes copied
 * without the terminator, 0 when there is no such entry.
 */
SPI_EXPORT int GetPluginInfo(int infono, char *buf, int buflen);

/*
 * Required. Non-zero when this plug-in reads the file `filename`.
 * dw below SPI_DESCRIPTOR_LIMIT is a descriptor of the file opened for
 * reading (O_RDONLY), positioned at its start. The descriptor belongs to
 * the caller: read it (pread is best), never close it. The program opens
 * the file afresh for each plug-in it asks and always passes a descriptor.
 * Recognise the file by its content, not by its name.
 */
SPI_EXPORT int IsSupported(const char *filename, uintptr_t dw);

/*
 * Needed for pictures. Fills *lpInfo for the picture in buf/len (see
 * SPI_INPUT_FILE, SPI_INPUT_MEMORY). The program passes a file name, offset
 * 0 and flag 0, and uses only width, height and colorDepth, which must
 * describe the picture GetPicture returns. hInfo is NULL or a malloc block
 * that the caller frees on success. Answers SPI_ALL_RIGHT or an error.
 */
SPI_EXPORT int GetPictureInfo(const char *buf, intptr_t len, unsigned int flag,
                              SPI_PICTUREINFO *lpInfo);

/*
 * Required. Decodes the picture in buf/len. On SPI_ALL_RIGHT:
 *   *pHBInfo is a malloc block holding an SPI_BITMAPINFOHEADER, followed by
 *            the colour table at 1, 4 and 8 bits, or by the three masks at
 *            SPI_BI_BITFIELDS;
 *   *pHBm    is a malloc block holding the pixel rows: |biHeight| rows of
 *            ((biWidth * biBitCount + 31) / 32) * 4 bytes each, the bottom
 *            row first when biHeight > 0; 24-bit pixels are blue, green, red;
 *            16-bit ones 5-5-5 (masks 0x7c00, 0x03e0, 0x001f) unless masks
 *            are given; 32-bit ones blue, green, red, unused.
 * Both blocks then belong to the caller, which frees them with free. On any
 * other result the plug-in has freed whatever it allocated and leaves both
 * pointers untouched; the caller frees nothing.
 *
 * The program checks what comes back before it reads a byte of it: the
 * header must describe the picture GetPictureInfo announced (same width and
 * height), 1 plane, a bit count and format listed above and at most 2^28
 * pixels; the colour table or masks must lie inside the first block and all
 * rows inside the second. The block sizes it checks against are those that
 * malloc_usable_size reports, so the blocks must be real malloc blocks of
 * at least the sizes the header implies. A picture that fails a check is
 * refused as unreadable.
 */
SPI_EXPORT int GetPicture(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo,
                          void **pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData);

/* Optional; as GetPicture, for a reduced picture. The program never calls it. */
SPI_EXPORT int GetPreview(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo,
                          void **pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData);

/* Optional, archive plug-ins: *lphInf receives a malloc block of
 * SPI_FILEINFO entries ended by one whose method[0] is 0. The program never
 * calls it. */
SPI_EXPORT int GetArchiveInfo(const char *buf, intptr_t len, unsigned int flag, void **lphInf);

/* Optional, archive plug-ins: extracts one member to the folder `dest` (or,
 * with flag bits 8-10 set to 1, to a malloc block stored at *(void **)dest).
 * The program never calls it. */
SPI_EXPORT int GetFile(const char *src, intptr_t len, char *dest, unsigned int flag,
                       SPI_PROGRESS prgressCallback, intptr_t lData);

#ifdef __cplusplus
}
#endif

#endif /* VELMIR_SPI_H */
