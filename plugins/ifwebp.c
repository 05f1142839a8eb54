/*
 * ifwebp.spi: WebP pictures (lossy, lossless, with alpha, and the first
 * frame of animations) through libwebp, as 24-bit bitmaps with transparency
 * laid over white.
 */
#include "spi_common.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <string.h>

static int is_webp(const uint8_t *head, size_t n) {
  return n >= 12 && memcmp(head, "RIFF", 4) == 0 && memcmp(head + 8, "WEBP", 4) == 0;
}

/* Width and height of the canvas; SPI result. */
static int features(const spi_input *in, int32_t *width, int32_t *height) {
  if (!is_webp(in->data, in->size)) return SPI_NOT_SUPPORT;
  WebPBitstreamFeatures f;
  if (WebPGetFeatures(in->data, in->size, &f) != VP8_STATUS_OK) return SPI_OUT_OF_ORDER;
  if (f.width <= 0 || f.height <= 0 || (int64_t)f.width * f.height > SPI_MAX_PIXELS)
    return SPI_OUT_OF_ORDER;
  *width = f.width;
  *height = f.height;
  return SPI_ALL_RIGHT;
}

static int picture(const spi_input *in, spi_dib *dib) {
  int32_t width = 0, height = 0;
  int result = features(in, &width, &height);
  if (result != SPI_ALL_RIGHT) return result;
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return SPI_OTHER_ERROR;
  options.color_mode = MODE_BGRA; /* not premultiplied */
  options.use_threads = 0;
  WebPData data = {in->data, in->size};
  WebPAnimDecoder *decoder = WebPAnimDecoderNew(&data, &options);
  if (!decoder) return SPI_OUT_OF_ORDER;
  WebPAnimInfo info;
  uint8_t *canvas = NULL;
  int timestamp = 0;
  if (!WebPAnimDecoderGetInfo(decoder, &info) || (int32_t)info.canvas_width != width ||
      (int32_t)info.canvas_height != height ||
      !WebPAnimDecoderGetNext(decoder, &canvas, &timestamp))
    result = SPI_OUT_OF_ORDER;
  if (result == SPI_ALL_RIGHT) result = spi_dib_new(dib, width, height, 24, 0);
  if (result == SPI_ALL_RIGHT) {
    const uint8_t *s = canvas;
    for (int32_t y = 0; y < height; ++y) {
      uint8_t *t = spi_dib_row(dib, y);
      for (int32_t x = 0; x < width; ++x, s += 4, t += 3) {
        t[0] = spi_over_white(s[0], s[3]);
        t[1] = spi_over_white(s[1], s[3]);
        t[2] = spi_over_white(s[2], s[3]);
      }
    }
  }
  WebPAnimDecoderDelete(decoder);
  return result;
}

static int picture_info(const spi_input *in, SPI_PICTUREINFO *info) {
  int32_t width = 0, height = 0;
  const int result = features(in, &width, &height);
  if (result == SPI_ALL_RIGHT) {
    info->width = width;
    info->height = height;
    info->colorDepth = 24;
  }
  return result;
}

SPI_EXPORT int GetPluginInfo(int infono, char *buf, int buflen) {
  static const char *const texts[] = {"00IN", "VELMIR WebP plug-in (libwebp)", "*.webp", "WebP"};
  return spi_plugin_info(texts, 4, infono, buf, buflen);
}

SPI_EXPORT int IsSupported(const char *filename, uintptr_t dw) {
  (void)filename;
  uint8_t head[12];
  return is_webp(head, spi_probe_bytes(dw, head, sizeof head));
}

SPI_PICTURE_ENTRY_POINTS(picture_info, picture)
