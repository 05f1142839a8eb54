#include "tiff_io.h"

namespace kit {

namespace {

int Quiet(TIFF *, void *, const char *, const char *, va_list) {
  return 1; // handled: the caller sees the failed call instead
}

tmsize_t ReadProc(thandle_t h, void *buf, tmsize_t size) {
  auto *s = static_cast<TiffStream *>(h);
  if (size <= 0) return 0;
  return static_cast<tmsize_t>(std::fread(buf, 1, static_cast<size_t>(size), s->file_));
}

tmsize_t WriteProc(thandle_t h, void *buf, tmsize_t size) {
  auto *s = static_cast<TiffStream *>(h);
  if (size <= 0) return 0;
  const size_t n = std::fwrite(buf, 1, static_cast<size_t>(size), s->file_);
  return n == static_cast<size_t>(size) ? size : -1;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto *s = static_cast<TiffStream *>(h);
  if (whence == SEEK_SET) {
    if (off > static_cast<toff_t>(INT64_MAX) - static_cast<toff_t>(s->base_))
      return static_cast<toff_t>(-1);
    if (fseeko(s->file_, static_cast<off_t>(off) + s->base_, SEEK_SET) != 0)
      return static_cast<toff_t>(-1);
  } else {
    // Relative offsets arrive as two's complement in an unsigned value.
    if (fseeko(s->file_, static_cast<off_t>(static_cast<int64_t>(off)), whence) != 0)
      return static_cast<toff_t>(-1);
  }
  const off_t pos = ftello(s->file_);
  if (pos < s->base_) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(pos - s->base_);
}

toff_t SizeProc(thandle_t h) {
  auto *s = static_cast<TiffStream *>(h);
  const off_t here = ftello(s->file_);
  if (here < 0 || fseeko(s->file_, 0, SEEK_END) != 0) return 0;
  const off_t end = ftello(s->file_);
  fseeko(s->file_, here, SEEK_SET);
  return end > s->base_ ? static_cast<toff_t>(end - s->base_) : 0;
}

int CloseProc(thandle_t) { return 0; } // the stream belongs to the caller

int MapProc(thandle_t, void **, toff_t *) { return 0; }
void UnmapProc(thandle_t, void *, toff_t) {}

} // namespace

bool TiffStream::Open(FILE *f, const char *mode) {
  Close();
  if (!f) return false;
  file_ = f;
  base_ = ftello(f);
  if (base_ < 0) return false;
  TIFFOpenOptions *opts = TIFFOpenOptionsAlloc();
  if (!opts) return false;
  TIFFOpenOptionsSetErrorHandlerExtR(opts, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, Quiet, nullptr);
  // No single allocation inside libtiff beyond the kit's own image limit.
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t{2} << 30);
  tif_ = TIFFClientOpenExt("stream", mode, this, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                           MapProc, UnmapProc, opts);
  TIFFOpenOptionsFree(opts);
  return tif_ != nullptr;
}

void TiffStream::Close() {
  if (tif_) TIFFClose(tif_);
  tif_ = nullptr;
}

} // namespace kit
