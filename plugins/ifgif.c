/*
 * ifgif.spi: the first picture of a GIF file through giflib, as an 8-bit
 * palette bitmap of the logical screen. The transparent colour, and the
 * screen around the first picture, are white; a picture reaching past the
 * screen is clipped to it; interlaced pictures are put back in row order.
 * A file whose screen has no size shows the first picture's extent.
 */
#include "spi_common.h"

#include <gif_lib.h>

#include <stdlib.h>
#include <string.h>

typedef struct source {
  const uint8_t *data;
  size_t size;
  size_t pos;
} source;

static int read_bytes(GifFileType *gif, GifByteType *out, int n) {
  source *s = (source *)gif->UserData;
  if (n <= 0) return 0;
  size_t count = (size_t)n;
  if (count > s->size - s->pos) count = s->size - s->pos;
  memcpy(out, s->data + s->pos, count);
  s->pos += count;
  return (int)count;
}

/* The file up to the first picture's pixels. */
typedef struct first_picture {
  GifFileType *gif;
  source src;
  int transparent; /* the transparent index, or -1 */
  int32_t canvasWidth;
  int32_t canvasHeight;
} first_picture;

static int is_gif(const uint8_t *head, size_t n) {
  return n >= 6 && (memcmp(head, "GIF87a", 6) == 0 || memcmp(head, "GIF89a", 6) == 0);
}

static int open_first_picture(first_picture *p, const spi_input *in) {
  memset(p, 0, sizeof *p);
  p->transparent = -1;
  if (!is_gif(in->data, in->size)) return SPI_NOT_SUPPORT;
  p->src.data = in->data;
  p->src.size = in->size;
  int error = 0;
  p->gif = DGifOpen(&p->src, read_bytes, &error);
  if (!p->gif) return error == D_GIF_ERR_NOT_ENOUGH_MEM ? SPI_NO_MEMORY : SPI_OUT_OF_ORDER;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(p->gif, &type) == GIF_ERROR) return SPI_OUT_OF_ORDER;
    if (type == TERMINATE_RECORD_TYPE) return SPI_OUT_OF_ORDER; /* no picture at all */
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType *block = NULL;
      if (DGifGetExtension(p->gif, &code, &block) == GIF_ERROR) return SPI_OUT_OF_ORDER;
      /* Graphic control: flags, delay (2 bytes), transparent index. */
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
        p->transparent = (block[1] & 1) ? block[4] : -1;
      while (block)
        if (DGifGetExtensionNext(p->gif, &block) == GIF_ERROR) return SPI_OUT_OF_ORDER;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(p->gif) == GIF_ERROR) return SPI_OUT_OF_ORDER;
    const GifImageDesc *desc = &p->gif->Image;
    if (desc->Width <= 0 || desc->Height <= 0 || desc->Left < 0 || desc->Top < 0)
      return SPI_OUT_OF_ORDER;
    /* The picture is the screen: what lies outside it is not shown. Its
     * pixels are still decoded, so a picture too large to decode is
     * refused as one too large to show. */
    if ((int64_t)desc->Width * desc->Height > SPI_MAX_PIXELS) return SPI_OUT_OF_ORDER;
    int64_t w = p->gif->SWidth, h = p->gif->SHeight;
    if (w <= 0 || h <= 0) {
      w = (int64_t)desc->Left + desc->Width;
      h = (int64_t)desc->Top + desc->Height;
    }
    if (w * h > SPI_MAX_PIXELS) return SPI_OUT_OF_ORDER;
    p->canvasWidth = (int32_t)w;
    p->canvasHeight = (int32_t)h;
    return SPI_ALL_RIGHT;
  }
}

static void close_first_picture(first_picture *p) {
  if (p->gif) {
    int error = 0;
    DGifCloseFile(p->gif, &error);
    p->gif = NULL;
  }
}

static int read_pixels(first_picture *p, spi_dib *dib) {
  GifFileType *gif = p->gif;
  const GifImageDesc *desc = &gif->Image;
  const ColorMapObject *map = desc->ColorMap ? desc->ColorMap : gif->SColorMap;
  int mapSize = 0;
  if (map) {
    mapSize = map->ColorCount < 256 ? map->ColorCount : 256;
    for (int i = 0; i < mapSize; ++i) {
      dib->colours[i].rgbRed = map->Colors[i].Red;
      dib->colours[i].rgbGreen = map->Colors[i].Green;
      dib->colours[i].rgbBlue = map->Colors[i].Blue;
    }
  } else {
    /* No colour table anywhere: a grey ramp stands in for the system's. */
    mapSize = 256;
    for (int i = 0; i < 256; ++i)
      dib->colours[i].rgbRed = dib->colours[i].rgbGreen = dib->colours[i].rgbBlue = (uint8_t)i;
  }
  int background;
  if (p->transparent >= 0) {
    background = p->transparent;
  } else if (mapSize < 256) {
    background = mapSize;
  } else {
    background = gif->SBackGroundColor < 256 ? gif->SBackGroundColor : 0;
  }
  if (background == p->transparent || background == mapSize) {
    dib->colours[background].rgbRed = dib->colours[background].rgbGreen =
        dib->colours[background].rgbBlue = 255;
  }
  for (int32_t y = 0; y < dib->height; ++y)
    memset(spi_dib_row(dib, y), background, (size_t)dib->width);

  GifPixelType *line = malloc((size_t)desc->Width);
  if (!line) return SPI_NO_MEMORY;
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  const int passes = desc->Interlace ? 4 : 1;
  /* The part of each picture row that lies on the screen. */
  const int visible =
      desc->Left >= dib->width
          ? 0
          : (desc->Width < dib->width - desc->Left ? desc->Width : dib->width - desc->Left);
  int result = SPI_ALL_RIGHT;
  for (int pass = 0; pass < passes && result == SPI_ALL_RIGHT; ++pass) {
    const int start = desc->Interlace ? kStart[pass] : 0;
    const int step = desc->Interlace ? kStep[pass] : 1;
    for (int y = start; y < desc->Height; y += step) {
      if (DGifGetLine(gif, line, desc->Width) == GIF_ERROR) {
        result = SPI_OUT_OF_ORDER;
        break;
      }
      if ((int64_t)desc->Top + y >= dib->height || visible == 0) {
        /* Below the screen: nothing more to show unless rows of a later
         * interlace pass still come. */
        if (!desc->Interlace && (int64_t)desc->Top + y >= dib->height) break;
        continue;
      }
      uint8_t *row = spi_dib_row(dib, desc->Top + y) + desc->Left;
      if (p->transparent < 0) {
        memcpy(row, line, (size_t)visible);
      } else {
        for (int x = 0; x < visible; ++x)
          if (line[x] != p->transparent) row[x] = line[x];
      }
    }
  }
  free(line);
  return result;
}

static int picture_info(const spi_input *in, SPI_PICTUREINFO *info) {
  first_picture p;
  const int result = open_first_picture(&p, in);
  if (result == SPI_ALL_RIGHT) {
    info->width = p.canvasWidth;
    info->height = p.canvasHeight;
    info->colorDepth = 8;
  }
  close_first_picture(&p);
  return result;
}

static int picture(const spi_input *in, spi_dib *dib) {
  first_picture p;
  int result = open_first_picture(&p, in);
  if (result == SPI_ALL_RIGHT) result = spi_dib_new(dib, p.canvasWidth, p.canvasHeight, 8, 256);
  if (result == SPI_ALL_RIGHT) result = read_pixels(&p, dib);
  close_first_picture(&p);
  return result;
}

SPI_EXPORT int GetPluginInfo(int infono, char *buf, int buflen) {
  static const char *const texts[] = {"00IN", "VELMIR GIF plug-in (giflib)", "*.gif", "GIF"};
  return spi_plugin_info(texts, 4, infono, buf, buflen);
}

SPI_EXPORT int IsSupported(const char *filename, uintptr_t dw) {
  (void)filename;
  uint8_t head[6];
  return is_gif(head, spi_probe_bytes(dw, head, sizeof head));
}

SPI_PICTURE_ENTRY_POINTS(picture_info, picture)
