/*
 * ifpng.spi: PNG pictures through libpng. Palette pictures without
 * transparency come out as 8-bit palette bitmaps, grey ones as 8-bit grey
 * palette bitmaps; everything else as 24 bits, with transparency laid over
 * white. 16-bit samples are reduced to 8 bits by the common rule (v x 255 /
 * 65535, rounded half up); interlaced files are read whole.
 */
#include "spi_common.h"

#include "common/reduce8.h"

#include <png.h>

#include <stdlib.h>
#include <string.h>

static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

enum output { OUT_PALETTE, OUT_GREY, OUT_BGR, OUT_BGRA };

typedef struct decoder {
  png_structp png;
  png_infop info;
  const uint8_t *data;
  size_t size;
  size_t pos;
  uint32_t width;
  uint32_t height;
  enum output output;
  int wide; /* 16-bit samples, reduced after reading */
  png_bytep *rows;
  uint8_t *staged; /* the rows as libpng gives them, when not the bitmap's own */
  spi_dib dib;
} decoder;

static void read_bytes(png_structp png, png_bytep out, size_t n) {
  decoder *d = (decoder *)png_get_io_ptr(png);
  if (n > d->size - d->pos) png_error(png, "truncated");
  memcpy(out, d->data + d->pos, n);
  d->pos += n;
}

static void on_error(png_structp png, png_const_charp message) {
  (void)message;
  png_longjmp(png, 1);
}

static void on_warning(png_structp png, png_const_charp message) {
  (void)png;
  (void)message;
}

/* Chooses the output and sets the transformations that give it. */
static void plan(decoder *d) {
  png_structp png = d->png;
  png_infop info = d->info;
  const int type = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const int transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  d->wide = depth == 16; /* samples stay big-endian */
  if (type == PNG_COLOR_TYPE_PALETTE && !transparent) {
    d->output = OUT_PALETTE;
    if (depth < 8) png_set_packing(png);
  } else if (type == PNG_COLOR_TYPE_GRAY && !transparent) {
    d->output = OUT_GREY;
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  } else if (type == PNG_COLOR_TYPE_RGB && !transparent) {
    d->output = OUT_BGR;
    png_set_bgr(png);
  } else {
    d->output = OUT_BGRA;
    png_set_expand(png); /* palette to colours, tRNS to alpha, grey to 8 bits */
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xffff, PNG_FILLER_AFTER); /* 0xff at 8 bits */
    png_set_bgr(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

static size_t output_bytes(enum output output) {
  switch (output) {
  case OUT_PALETTE:
  case OUT_GREY: return 1;
  case OUT_BGR: return 3;
  case OUT_BGRA: break;
  }
  return 4;
}

/* Reads the header (and with `pixels` the picture) into d; SPI result. */
static int run(decoder *d, int pixels) {
  if (setjmp(png_jmpbuf(d->png))) return SPI_OUT_OF_ORDER;
  png_set_read_fn(d->png, d, read_bytes);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  /* Fuzzing only: checksums would stop nearly every mutated input at the
   * first chunk, before the decoder is reached. */
  png_set_crc_action(d->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_set_option(d->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(d->png, d->info);
  d->width = png_get_image_width(d->png, d->info);
  d->height = png_get_image_height(d->png, d->info);
  if (d->width == 0 || d->height == 0 || d->width > INT32_MAX || d->height > INT32_MAX ||
      (int64_t)d->width * d->height > SPI_MAX_PIXELS)
    return SPI_OUT_OF_ORDER;
  plan(d);
  const size_t bytes = output_bytes(d->output) * (d->wide ? 2 : 1);
  if (png_get_rowbytes(d->png, d->info) != bytes * d->width) return SPI_OTHER_ERROR;
  if (!pixels) return SPI_ALL_RIGHT;

  const int colours = d->output == OUT_PALETTE || d->output == OUT_GREY ? 256 : 0;
  int result =
      spi_dib_new(&d->dib, (int32_t)d->width, (int32_t)d->height, colours ? 8 : 24, colours);
  if (result != SPI_ALL_RIGHT) return result;
  d->rows = malloc(sizeof(png_bytep) * d->height);
  if (!d->rows) return SPI_NO_MEMORY;
  if (d->output == OUT_BGRA || d->wide) {
    const size_t rowBytes = bytes * d->width;
    if (rowBytes > SPI_MAX_STAGED_BYTES / d->height) return SPI_NO_MEMORY;
    d->staged = malloc(rowBytes * d->height);
    if (!d->staged) return SPI_NO_MEMORY;
    for (uint32_t y = 0; y < d->height; ++y)
      d->rows[y] = d->staged + (size_t)y * rowBytes;
  } else {
    for (uint32_t y = 0; y < d->height; ++y)
      d->rows[y] = spi_dib_row(&d->dib, (int32_t)y);
  }

  if (d->output == OUT_PALETTE) {
    png_colorp palette = NULL;
    int count = 0;
    if (!png_get_PLTE(d->png, d->info, &palette, &count)) return SPI_OUT_OF_ORDER;
    for (int i = 0; i < count && i < 256; ++i) {
      d->dib.colours[i].rgbRed = palette[i].red;
      d->dib.colours[i].rgbGreen = palette[i].green;
      d->dib.colours[i].rgbBlue = palette[i].blue;
    }
  } else if (d->output == OUT_GREY) {
    for (int i = 0; i < 256; ++i)
      d->dib.colours[i].rgbRed = d->dib.colours[i].rgbGreen = d->dib.colours[i].rgbBlue =
          (uint8_t)i;
  }
  png_uint_32 xppm = 0, yppm = 0;
  int unit = 0;
  if (png_get_pHYs(d->png, d->info, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
    d->dib.header->biXPelsPerMeter = xppm > INT32_MAX ? 0 : (int32_t)xppm;
    d->dib.header->biYPelsPerMeter = yppm > INT32_MAX ? 0 : (int32_t)yppm;
  }

  png_read_image(d->png, d->rows);
  /* The end chunks are not needed, and a file cut short after the picture
   * is still a whole picture. */

  if (d->wide) {
    /* Reduced in place: each 8-bit sample goes where its 16-bit one began
     * in the same row, which is never ahead of what is still to be read. */
    const size_t samples = output_bytes(d->output) * d->width;
    for (uint32_t y = 0; y < d->height; ++y) {
      uint8_t *row = d->rows[y];
      for (size_t i = 0; i < samples; ++i) {
        row[i] = velmir_reduce16((uint16_t)(row[2 * i] << 8 | row[2 * i + 1]));
      }
    }
  }
  if (d->output == OUT_BGRA) {
    for (uint32_t y = 0; y < d->height; ++y) {
      const uint8_t *s = d->rows[y];
      uint8_t *t = spi_dib_row(&d->dib, (int32_t)y);
      for (uint32_t x = 0; x < d->width; ++x, s += 4, t += 3) {
        t[0] = spi_over_white(s[0], s[3]);
        t[1] = spi_over_white(s[1], s[3]);
        t[2] = spi_over_white(s[2], s[3]);
      }
    }
  } else if (d->wide) {
    const size_t rowBytes = output_bytes(d->output) * d->width;
    for (uint32_t y = 0; y < d->height; ++y)
      memcpy(spi_dib_row(&d->dib, (int32_t)y), d->rows[y], rowBytes);
  }
  return SPI_ALL_RIGHT;
}

static int open_decoder(decoder *d, const spi_input *in) {
  memset(d, 0, sizeof *d);
  if (in->size < 8 || memcmp(in->data, kSignature, 8) != 0) return SPI_NOT_SUPPORT;
  d->data = in->data;
  d->size = in->size;
  d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, on_error, on_warning);
  if (!d->png) return SPI_NO_MEMORY;
  d->info = png_create_info_struct(d->png);
  if (!d->info) return SPI_NO_MEMORY;
  return SPI_ALL_RIGHT;
}

static void close_decoder(decoder *d) {
  if (d->png) png_destroy_read_struct(&d->png, d->info ? &d->info : NULL, NULL);
  free(d->rows);
  free(d->staged);
  spi_dib_free(&d->dib);
}

static int picture_info(const spi_input *in, SPI_PICTUREINFO *info) {
  decoder d;
  int result = open_decoder(&d, in);
  if (result == SPI_ALL_RIGHT) result = run(&d, 0);
  if (result == SPI_ALL_RIGHT) {
    info->width = (int32_t)d.width;
    info->height = (int32_t)d.height;
    info->colorDepth = d.output == OUT_PALETTE || d.output == OUT_GREY ? 8 : 24;
    png_uint_32 xppm = 0, yppm = 0;
    int unit = 0;
    if (png_get_pHYs(d.png, d.info, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
      info->x_density = spi_ppm_to_dpi(xppm);
      info->y_density = spi_ppm_to_dpi(yppm);
    }
  }
  close_decoder(&d);
  return result;
}

static int picture(const spi_input *in, spi_dib *dib) {
  decoder d;
  int result = open_decoder(&d, in);
  if (result == SPI_ALL_RIGHT) result = run(&d, 1);
  if (result == SPI_ALL_RIGHT) {
    *dib = d.dib; /* the caller frees or hands over the blocks */
    memset(&d.dib, 0, sizeof d.dib);
  }
  close_decoder(&d);
  return result;
}

SPI_EXPORT int GetPluginInfo(int infono, char *buf, int buflen) {
  static const char *const texts[] = {"00IN", "VELMIR PNG plug-in (libpng)", "*.png", "PNG"};
  return spi_plugin_info(texts, 4, infono, buf, buflen);
}

SPI_EXPORT int IsSupported(const char *filename, uintptr_t dw) {
  (void)filename;
  uint8_t head[8];
  return spi_probe_bytes(dw, head, sizeof head) == sizeof head &&
         memcmp(head, kSignature, sizeof head) == 0;
}

SPI_PICTURE_ENTRY_POINTS(picture_info, picture)
