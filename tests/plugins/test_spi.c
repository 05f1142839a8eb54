/*
 * A plug-in for the loader tests, built in several variants (see
 * CMakeLists.txt). It reads "VSPT" files, whose content says what the
 * plug-in answers and returns, byte for byte:
 *
 *   0  "VSPT"
 *   4  mode: 0 answer as told, 1 GetPictureInfo fails, 2 GetPicture fails,
 *      3 GetPicture succeeds without blocks
 *   8  width, height (int32), colour depth (int16) for GetPictureInfo
 *   20 sizes of the two blocks (uint32 each)
 *   28 the header block, then the pixel block, copied into malloc blocks of
 *      exactly those sizes
 *
 * Variants:
 *   SPT_CLAIM_ALL       claims every file
 *   SPT_READ_AND_DECLINE  reads from the descriptor's position and declines
 *   SPT_NO_ISSUPPORTED, SPT_NO_GETPICTURE, SPT_NO_GETPICTUREINFO
 *                       leave that entry point out
 */
#include "spi.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* What the tests read back through the module. */
SPI_EXPORT int spt_probe_calls = 0;
SPI_EXPORT int spt_info_calls = 0;
SPI_EXPORT int spt_picture_calls = 0;
SPI_EXPORT int spt_last_access_mode = -1;
SPI_EXPORT long spt_last_position = -1;

enum { kFixedBytes = 28 };

typedef struct vspt {
  uint8_t *bytes;
  size_t size;
  int mode;
  int32_t width;
  int32_t height;
  int16_t depth;
  uint32_t headerBytes;
  uint32_t bitsBytes;
} vspt;

static uint32_t u32(const uint8_t *p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static int read_vspt(const char *name, vspt *v) {
  memset(v, 0, sizeof *v);
  const int fd = open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SPI_FILE_READ_ERROR;
  const off_t size = lseek(fd, 0, SEEK_END);
  if (size < kFixedBytes || size > (1 << 24)) {
    close(fd);
    return SPI_NOT_SUPPORT;
  }
  v->bytes = malloc((size_t)size);
  const ssize_t got = v->bytes ? pread(fd, v->bytes, (size_t)size, 0) : -1;
  close(fd);
  if (got != size || memcmp(v->bytes, "VSPT", 4) != 0) {
    free(v->bytes);
    v->bytes = NULL;
    return SPI_NOT_SUPPORT;
  }
  const uint8_t *b = v->bytes;
  v->size = (size_t)size;
  v->mode = b[4];
  v->width = (int32_t)u32(b + 8);
  v->height = (int32_t)u32(b + 12);
  v->depth = (int16_t)(b[16] | b[17] << 8);
  v->headerBytes = u32(b + 20);
  v->bitsBytes = u32(b + 24);
  if ((uint64_t)kFixedBytes + v->headerBytes + v->bitsBytes > v->size) {
    free(v->bytes);
    v->bytes = NULL;
    return SPI_OUT_OF_ORDER;
  }
  return SPI_ALL_RIGHT;
}

#ifndef SPT_NO_ISSUPPORTED
SPI_EXPORT int IsSupported(const char *filename, uintptr_t dw) {
  (void)filename;
  ++spt_probe_calls;
  if (dw >= SPI_DESCRIPTOR_LIMIT) return 0;
  const int fd = (int)dw;
  spt_last_access_mode = fcntl(fd, F_GETFL) & O_ACCMODE;
  spt_last_position = (long)lseek(fd, 0, SEEK_CUR);
  char head[8];
#ifdef SPT_READ_AND_DECLINE
  /* Leaves the position moved, as a careless plug-in would. */
  const ssize_t n = read(fd, head, sizeof head);
  (void)n;
  return 0;
#elif defined(SPT_CLAIM_ALL)
  (void)head;
  return 1;
#else
  /* read, not pread: a descriptor handed on without a fresh open would
   * start past the magic. */
  return read(fd, head, 4) == 4 && memcmp(head, "VSPT", 4) == 0;
#endif
}
#endif

#ifndef SPT_NO_GETPICTUREINFO
SPI_EXPORT int GetPictureInfo(const char *buf, intptr_t len, unsigned int flag,
                              SPI_PICTUREINFO *lpInfo) {
  ++spt_info_calls;
  if (len != 0 || (flag & SPI_INPUT_MASK) != SPI_INPUT_FILE) return SPI_NOT_SUPPORT;
  vspt v;
  const int result = read_vspt(buf, &v);
  if (result != SPI_ALL_RIGHT) return result;
  if (v.mode == 1) {
    free(v.bytes);
    return SPI_OUT_OF_ORDER;
  }
  lpInfo->width = v.width;
  lpInfo->height = v.height;
  lpInfo->colorDepth = v.depth;
  /* A text the caller must free: a leak shows if it does not. */
  lpInfo->hInfo = malloc(8);
  if (lpInfo->hInfo) memcpy(lpInfo->hInfo, "VSPT", 5);
  free(v.bytes);
  return SPI_ALL_RIGHT;
}
#endif

#ifndef SPT_NO_GETPICTURE
static int picture(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo, void **pHBm) {
  ++spt_picture_calls;
  if (len != 0 || (flag & SPI_INPUT_MASK) != SPI_INPUT_FILE) return SPI_NOT_SUPPORT;
  vspt v;
  const int result = read_vspt(buf, &v);
  if (result != SPI_ALL_RIGHT) return result;
  if (v.mode == 2) {
    free(v.bytes);
    return SPI_OUT_OF_ORDER;
  }
  if (v.mode == 3) {
    free(v.bytes);
    *pHBInfo = NULL;
    *pHBm = NULL;
    return SPI_ALL_RIGHT;
  }
  /* Exactly the sizes the file gives, so that a short block is short. */
  void *header = malloc(v.headerBytes ? v.headerBytes : 1);
  void *bits = malloc(v.bitsBytes ? v.bitsBytes : 1);
  if (!header || !bits) {
    free(header);
    free(bits);
    free(v.bytes);
    return SPI_NO_MEMORY;
  }
  memcpy(header, v.bytes + kFixedBytes, v.headerBytes);
  memcpy(bits, v.bytes + kFixedBytes + v.headerBytes, v.bitsBytes);
  free(v.bytes);
  *pHBInfo = header;
  *pHBm = bits;
  return SPI_ALL_RIGHT;
}

SPI_EXPORT int GetPicture(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo,
                          void **pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
  (void)lpPrgressCallback;
  (void)lData;
  return picture(buf, len, flag, pHBInfo, pHBm);
}
#endif

#ifdef SPT_WITH_OPTIONAL
/* Exported only to show that the loader records them; it never calls them. */
SPI_EXPORT int GetPreview(const char *buf, intptr_t len, unsigned int flag, void **pHBInfo,
                          void **pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
  (void)buf;
  (void)len;
  (void)flag;
  (void)pHBInfo;
  (void)pHBm;
  (void)lpPrgressCallback;
  (void)lData;
  abort();
}

SPI_EXPORT int GetArchiveInfo(const char *buf, intptr_t len, unsigned int flag, void **lphInf) {
  (void)buf;
  (void)len;
  (void)flag;
  (void)lphInf;
  abort();
}

SPI_EXPORT int GetFile(const char *src, intptr_t len, char *dest, unsigned int flag,
                       SPI_PROGRESS prgressCallback, intptr_t lData) {
  (void)src;
  (void)len;
  (void)dest;
  (void)flag;
  (void)prgressCallback;
  (void)lData;
  abort();
}
#endif
