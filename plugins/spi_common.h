/*
 * Helpers shared by the plug-ins shipped with VELMIR: reading the probe
 * bytes and the input, and making the two bitmap blocks. Not part of the
 * plug-in interface; each plug-in links its own copy.
 */
#ifndef VELMIR_SPI_COMMON_H
#define VELMIR_SPI_COMMON_H

#include "spi.h"

#include <stddef.h>
#include <stdint.h>

/* No plug-in makes a picture larger than the program accepts. */
#define SPI_MAX_PIXELS ((int64_t)1 << 28)
/* Nor holds decoded rows of more than this besides the bitmap. */
#define SPI_MAX_STAGED_BYTES ((size_t)2 << 30)
/* Nor reads a file larger than this into memory. */
#define SPI_MAX_INPUT_BYTES ((size_t)1 << 30)

/* Copies up to `want` of the file's first bytes into `out`, from the
 * descriptor (with pread, so its position does not matter) or from the
 * probe buffer; the count copied. */
size_t spi_probe_bytes(uintptr_t dw, uint8_t *out, size_t want);

/* The image bytes of a GetPictureInfo/GetPicture call: the file from the
 * offset to its end, or the caller's memory. */
typedef struct spi_input {
  const uint8_t *data;
  size_t size;
  uint8_t *owned; /* the copy read from a file, else NULL */
} spi_input;

/* SPI_ALL_RIGHT or the error to answer. */
int spi_read_input(const char *buf, intptr_t len, unsigned int flag, spi_input *in);
void spi_input_free(spi_input *in);

/* A bitmap under construction: the header block (with `colours` table
 * entries) and the pixel block, rows bottom-up. */
typedef struct spi_dib {
  SPI_BITMAPINFOHEADER *header;
  SPI_RGBQUAD *colours;
  uint8_t *bits;
  size_t stride;
  int32_t width;
  int32_t height;
} spi_dib;

/* Allocates both blocks (pixels zeroed); SPI_ALL_RIGHT, SPI_NO_MEMORY, or
 * SPI_OUT_OF_ORDER for a size that is not allowed. */
int spi_dib_new(spi_dib *dib, int32_t width, int32_t height, int bits, int colours);
/* Row y of the picture, counted from the top. */
uint8_t *spi_dib_row(const spi_dib *dib, int32_t y);
/* Hands both blocks to GetPicture's caller; the dib is empty after. */
void spi_dib_hand_over(spi_dib *dib, void **pHBInfo, void **pHBm);
void spi_dib_free(spi_dib *dib);

/* A colour channel with alpha `a` laid over white. */
static inline uint8_t spi_over_white(unsigned c, unsigned a) {
  return (uint8_t)((c * a + 255u * (255u - a) + 127u) / 255u);
}

/* The two entry points around a plug-in's own work: reading the input,
 * the argument checks, the progress calls and the hand-over of the blocks.
 * `info` fills the record (zeroed before) from the whole input; `decode`
 * makes the bitmap, whose blocks are freed here unless handed over. */
typedef int (*spi_info_fn)(const spi_input *in, SPI_PICTUREINFO *info);
typedef int (*spi_decode_fn)(const spi_input *in, spi_dib *dib);
int spi_get_picture_info(const char *buf, intptr_t len, unsigned int flag, SPI_PICTUREINFO *lpInfo,
                         spi_info_fn info);
int spi_get_picture(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo, void **pHBm,
                    SPI_PROGRESS progress, intptr_t lData, spi_decode_fn decode);

/* Defines the exported GetPictureInfo and GetPicture of a plug-in over its
 * two functions. */
#define SPI_PICTURE_ENTRY_POINTS(info, decode)                                                     \
  SPI_EXPORT int GetPictureInfo(const char *buf, intptr_t len, unsigned int flag,                  \
                                SPI_PICTUREINFO *lpInfo) {                                         \
    return spi_get_picture_info(buf, len, flag, lpInfo, info);                                     \
  }                                                                                                \
  SPI_EXPORT int GetPicture(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo,      \
                            void **pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {         \
    return spi_get_picture(buf, len, flag, pHBInfo, pHBm, lpPrgressCallback, lData, decode);       \
  }

/* GetPluginInfo over a table of `count` texts. */
int spi_plugin_info(const char *const *texts, int count, int infono, char *buf, int buflen);

/* Pixels per metre to pixels per inch, as SPI_PICTUREINFO holds it. */
int16_t spi_ppm_to_dpi(uint32_t ppm);

#endif /* VELMIR_SPI_COMMON_H */
