/*
 * The one rule by which every sample of more than 8 bits becomes 8 bits:
 * v x 255 / max, rounded half up (values above max give 255). The kit's
 * readers, the image core and the shipped plug-ins all reduce through it, so
 * that a 16-bit picture reads the same whichever reader opens it.
 *
 * Plain C, no dependencies: it sits below every other layer and is usable
 * from the C++ kit and from the C plug-ins alike.
 */
#ifndef VELMIR_COMMON_REDUCE8_H
#define VELMIR_COMMON_REDUCE8_H

#include <stdint.h>

/* v of 0 ... max (max > 0) as 0 ... 255. */
static inline uint8_t velmir_reduce8(uint64_t v, uint64_t max) {
  if (v >= max) return 255;
  return (uint8_t)((2 * v * 255 + max) / (2 * max));
}

/* The common case, written out so that the division is by a constant. */
static inline uint8_t velmir_reduce16(uint16_t v) {
  return (uint8_t)((2u * v * 255u + 65535u) / (2u * 65535u));
}

#endif /* VELMIR_COMMON_REDUCE8_H */
