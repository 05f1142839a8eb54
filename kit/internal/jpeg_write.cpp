// JPEG writing through libjpeg: 8-bit grey palette images as one-component
// grey, everything else as colour with the library's default 4:2:0
// subsampling. 24- and 32-bit rows are handed to libjpeg as they are.
#include "atomic_file.h"
#include "codecs.h"
#include "dib.h"
#include "jpeg_error.h"

#include <cstdint>
#include <cstdlib>

namespace kit {

namespace {

constexpr int kRowsPerCall = 16;

enum class Source { Bgr24, Bgrx32, GreyTable, Expand };

// Plain data shared with the helper that calls setjmp; the caller owns the
// cleanup.
struct WriteState {
  jpeg_compress_struct cinfo;
  jpeg::ErrorManager err;
  Dib dib;
  FILE *out;
  int quality;
  uint8_t *rowBuffer;
  bool created;
};

Source SourceOf(const Dib &d) {
  if (d.bpp == 24) return Source::Bgr24;
  if (d.bpp == 32) return Source::Bgrx32;
  if (d.bpp == 8 && IsGreyPalette(d)) return Source::GreyTable;
  return Source::Expand;
}

// JFIF stores whole dots per inch; the handle keeps pixels per metre.
UINT16 PpmToDpi(int32_t ppm) {
  const int64_t dpi = (static_cast<int64_t>(ppm) * 254 + 5000) / 10000;
  return static_cast<UINT16>(dpi < 1 ? 1 : (dpi > 65535 ? 65535 : dpi));
}

bool EncodeHelper(WriteState &s) {
  if (setjmp(s.err.jump)) return false;
  jpeg_compress_struct &c = s.cinfo;
  const Dib &d = s.dib;
  c.err = jpeg::InstallErrorManager(s.err);
  jpeg_create_compress(&c);
  s.created = true;
  jpeg_stdio_dest(&c, s.out);

  const Source source = SourceOf(d);
  c.image_width = static_cast<JDIMENSION>(d.width);
  c.image_height = static_cast<JDIMENSION>(d.height);
  switch (source) {
  case Source::Bgr24:
    c.in_color_space = JCS_EXT_BGR;
    c.input_components = 3;
    break;
  case Source::Bgrx32:
    c.in_color_space = JCS_EXT_BGRX;
    c.input_components = 4;
    break;
  case Source::GreyTable:
    c.in_color_space = JCS_GRAYSCALE;
    c.input_components = 1;
    break;
  case Source::Expand:
    c.in_color_space = JCS_EXT_BGR;
    c.input_components = 3;
    break;
  }
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, s.quality, TRUE);
  c.optimize_coding = FALSE;
  if (d.hdr->biXPelsPerMeter > 0) {
    c.density_unit = 1;
    c.X_density = PpmToDpi(d.hdr->biXPelsPerMeter);
    c.Y_density = d.hdr->biYPelsPerMeter > 0 ? PpmToDpi(d.hdr->biYPelsPerMeter) : c.X_density;
  }

  const size_t width = static_cast<size_t>(d.width);
  if (source == Source::GreyTable || source == Source::Expand) {
    s.rowBuffer = static_cast<uint8_t *>(std::malloc(width * 3));
    if (!s.rowBuffer) return false;
  }
  // Grey level of every index; indices beyond the table read as black.
  uint8_t greyOf[256] = {};
  if (source == Source::GreyTable)
    for (int i = 0; i < d.colourCount && i < 256; ++i)
      greyOf[i] = d.palette[i].r;

  jpeg_start_compress(&c, TRUE);
  JSAMPROW rows[kRowsPerCall];
  while (c.next_scanline < c.image_height) {
    const int top = static_cast<int>(c.next_scanline);
    int count = 1;
    switch (source) {
    case Source::Bgr24:
    case Source::Bgrx32:
      count = d.height - top < kRowsPerCall ? d.height - top : kRowsPerCall;
      for (int i = 0; i < count; ++i)
        rows[i] = d.TopRow(top + i);
      break;
    case Source::GreyTable: {
      const uint8_t *src = d.TopRow(top);
      for (size_t x = 0; x < width; ++x)
        s.rowBuffer[x] = greyOf[src[x]];
      rows[0] = s.rowBuffer;
      break;
    }
    case Source::Expand: {
      const uint8_t *src = d.TopRow(top);
      for (int x = 0; x < d.width; ++x)
        PixelBgr(d, src, x, s.rowBuffer + 3 * x);
      rows[0] = s.rowBuffer;
      break;
    }
    }
    if (jpeg_write_scanlines(&c, rows, static_cast<JDIMENSION>(count)) == 0)
      return false; // the stdio destination never suspends
  }
  jpeg_finish_compress(&c);
  return true;
}

} // namespace

bool WriteJpeg(const char *path, IMGHANDLE h, int quality) {
  WriteState s{};
  if (!ViewOf(h, s.dib)) return false;
  AtomicFile file;
  if (!file.Open(path)) return false;
  s.out = file.Stream();
  s.quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
  const bool ok = EncodeHelper(s);
  if (s.created) jpeg_destroy_compress(&s.cinfo);
  std::free(s.rowBuffer);
  // On failure the AtomicFile removes its temporary file and the target is
  // left as it was.
  return ok && file.Commit();
}

} // namespace kit
