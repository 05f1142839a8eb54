#include "spi_common.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

size_t spi_probe_bytes(uintptr_t dw, uint8_t *out, size_t want) {
  if (dw >= SPI_DESCRIPTOR_LIMIT) {
    if (want > SPI_PROBE_BYTES) want = SPI_PROBE_BYTES;
    memcpy(out, (const void *)dw, want);
    return want;
  }
  const int fd = (int)dw;
  size_t got = 0;
  while (got < want) {
    const ssize_t n = pread(fd, out + got, want - got, (off_t)got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += (size_t)n;
  }
  return got;
}

static int read_file(const char *name, intptr_t offset, spi_input *in) {
  if (offset < 0) return SPI_FILE_READ_ERROR;
  const int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SPI_FILE_READ_ERROR;
  struct stat st;
  int result = SPI_FILE_READ_ERROR;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= offset) goto done;
  const uint64_t size = (uint64_t)st.st_size - (uint64_t)offset;
  if (size > SPI_MAX_INPUT_BYTES) {
    result = SPI_NO_MEMORY;
    goto done;
  }
  in->owned = malloc((size_t)size);
  if (!in->owned) {
    result = SPI_NO_MEMORY;
    goto done;
  }
  size_t got = 0;
  while (got < size) {
    const ssize_t n = pread(fd, in->owned + got, (size_t)size - got, (off_t)(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += (size_t)n;
  }
  /* A file that shrank while it was read ends where it ended. */
  if (got == 0) {
    free(in->owned);
    in->owned = NULL;
    goto done;
  }
  in->data = in->owned;
  in->size = got;
  result = SPI_ALL_RIGHT;
done:
  close(fd);
  return result;
}

int spi_read_input(const char *buf, intptr_t len, unsigned int flag, spi_input *in) {
  in->data = NULL;
  in->size = 0;
  in->owned = NULL;
  if (!buf) return SPI_OTHER_ERROR;
  switch (flag & SPI_INPUT_MASK) {
  case SPI_INPUT_FILE: return read_file(buf, len, in);
  case SPI_INPUT_MEMORY:
    if (len <= 0) return SPI_OUT_OF_ORDER;
    in->data = (const uint8_t *)buf;
    in->size = (size_t)len;
    return SPI_ALL_RIGHT;
  default: return SPI_NOT_SUPPORT;
  }
}

void spi_input_free(spi_input *in) {
  free(in->owned);
  in->owned = NULL;
  in->data = NULL;
  in->size = 0;
}

int spi_dib_new(spi_dib *dib, int32_t width, int32_t height, int bits, int colours) {
  memset(dib, 0, sizeof *dib);
  if (width <= 0 || height <= 0 || (int64_t)width * height > SPI_MAX_PIXELS)
    return SPI_OUT_OF_ORDER;
  if (colours < 0 || colours > 256) return SPI_OTHER_ERROR;
  const size_t stride = (((size_t)width * (size_t)bits + 31) / 32) * 4;
  const size_t headerBytes = sizeof(SPI_BITMAPINFOHEADER) + (size_t)colours * sizeof(SPI_RGBQUAD);
  dib->header = calloc(1, headerBytes);
  dib->bits = calloc((size_t)height, stride);
  if (!dib->header || !dib->bits) {
    spi_dib_free(dib);
    return SPI_NO_MEMORY;
  }
  dib->colours = (SPI_RGBQUAD *)(dib->header + 1);
  dib->stride = stride;
  dib->width = width;
  dib->height = height;
  SPI_BITMAPINFOHEADER *h = dib->header;
  h->biSize = sizeof(SPI_BITMAPINFOHEADER);
  h->biWidth = width;
  h->biHeight = height;
  h->biPlanes = 1;
  h->biBitCount = (uint16_t)bits;
  h->biCompression = SPI_BI_RGB;
  h->biSizeImage = (uint32_t)(stride * (size_t)height);
  h->biClrUsed = (uint32_t)colours;
  return SPI_ALL_RIGHT;
}

uint8_t *spi_dib_row(const spi_dib *dib, int32_t y) {
  return dib->bits + (size_t)(dib->height - 1 - y) * dib->stride;
}

void spi_dib_hand_over(spi_dib *dib, void **pHBInfo, void **pHBm) {
  *pHBInfo = dib->header;
  *pHBm = dib->bits;
  memset(dib, 0, sizeof *dib);
}

void spi_dib_free(spi_dib *dib) {
  free(dib->header);
  free(dib->bits);
  memset(dib, 0, sizeof *dib);
}

int spi_get_picture_info(const char *buf, intptr_t len, unsigned int flag, SPI_PICTUREINFO *lpInfo,
                         spi_info_fn info) {
  if (!lpInfo) return SPI_OTHER_ERROR;
  spi_input in;
  int result = spi_read_input(buf, len, flag, &in);
  if (result != SPI_ALL_RIGHT) return result;
  SPI_PICTUREINFO found;
  memset(&found, 0, sizeof found);
  result = info(&in, &found);
  if (result == SPI_ALL_RIGHT) *lpInfo = found;
  spi_input_free(&in);
  return result;
}

int spi_get_picture(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo, void **pHBm,
                    SPI_PROGRESS progress, intptr_t lData, spi_decode_fn decode) {
  if (!pHBInfo || !pHBm) return SPI_OTHER_ERROR;
  if (progress && progress(0, 1, lData)) return SPI_ABORT;
  spi_input in;
  int result = spi_read_input(buf, len, flag, &in);
  if (result != SPI_ALL_RIGHT) return result;
  spi_dib dib;
  memset(&dib, 0, sizeof dib);
  result = decode(&in, &dib);
  if (result == SPI_ALL_RIGHT && progress && progress(1, 1, lData)) result = SPI_ABORT;
  if (result == SPI_ALL_RIGHT) spi_dib_hand_over(&dib, pHBInfo, pHBm);
  spi_dib_free(&dib);
  spi_input_free(&in);
  return result;
}

int spi_plugin_info(const char *const *texts, int count, int infono, char *buf, int buflen) {
  if (infono < 0 || infono >= count || !buf || buflen <= 0) return 0;
  size_t n = strlen(texts[infono]);
  if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
  memcpy(buf, texts[infono], n);
  buf[n] = '\0';
  return (int)n;
}

int16_t spi_ppm_to_dpi(uint32_t ppm) {
  const uint64_t dpi = ((uint64_t)ppm * 254 + 5000) / 10000;
  return dpi > INT16_MAX ? INT16_MAX : (int16_t)dpi;
}
