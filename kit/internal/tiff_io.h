// libtiff over a stdio stream, shared by the TIFF reader and writer. The
// library's messages are swallowed: a failure shows as a failed call.
#pragma once

#include <tiffio.h>

#include <cstdio>
#include <sys/types.h>

namespace kit {

class TiffStream {
public:
  TiffStream() = default;
  TiffStream(const TiffStream &) = delete;
  TiffStream &operator=(const TiffStream &) = delete;
  ~TiffStream() { Close(); }

  // Opens the stream at its current position as the start of the TIFF data;
  // mode "r" or "w". The stream stays owned by the caller and open.
  bool Open(FILE *f, const char *mode);
  TIFF *get() const { return tif_; }
  void Close();

  // Public only for the C callbacks.
  FILE *file_ = nullptr;
  off_t base_ = 0;

private:
  TIFF *tif_ = nullptr;
};

} // namespace kit
