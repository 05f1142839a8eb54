// JPEG reading through libjpeg: grey files become 8-bit grey palette images,
// everything else 24-bit BGR. Scan lines are decoded straight into their
// bottom-up rows of the handle; only CMYK needs a small row buffer. A reduced
// read lets the decoder scale by N/8 in the inverse DCT, which skips most of
// the work of a large photo.
#include "codecs.h"
#include "dib.h"
#include "jpeg_error.h"

#include <cstdint>
#include <cstdlib>

namespace kit {

namespace {

// Rows asked of libjpeg per call; it returns at most what it has ready.
constexpr int kRowsPerCall = 16;
// Progressive files with absurd scan counts decode forever; real ones have
// a dozen or so.
constexpr int kMaxScans = 1000;

// Everything the decoding helper touches lives here, outside the frame that
// calls setjmp, so nothing is clobbered by the jump and the caller can clean
// up after a failure.
struct ReadState {
  jpeg_decompress_struct cinfo;
  jpeg::ErrorManager err;
  jpeg_progress_mgr progress;
  FILE *in;
  IMGHANDLE handle;
  uint8_t *cmykRows; // CMYK only: kRowsPerCall rows of 4 bytes per pixel
  int coverWidth;    // a reduced read: the size the output must still cover
  int coverHeight;
  bool created;
  bool damaged; // warnings while the picture was decoded
};

void LimitScans(j_common_ptr c) {
  if (c->is_decompressor && reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans) {
    c->err->error_exit(c);
  }
}

bool SupportedColourSpace(const jpeg_decompress_struct &c) {
  switch (c.jpeg_color_space) {
  case JCS_GRAYSCALE: return c.num_components == 1;
  case JCS_YCbCr:
  case JCS_RGB: return c.num_components == 3;
  case JCS_CMYK:
  case JCS_YCCK: return c.num_components == 4;
  default: return false;
  }
}

// The same limits as NewDib, checked from the header before anything big
// is allocated by libjpeg or by us.
bool WithinLimits(uint64_t width, uint64_t height, int bpp) {
  if (width == 0 || height == 0 || width * height > kMaxPixels) return false;
  const uint64_t stride = StrideOf(static_cast<int64_t>(width), bpp);
  return stride != 0 && stride * height <= kMaxPixelBytes;
}

// Creates the decompressor on the state's stream. libjpeg errors jump to
// err.jump, so the caller must have set it.
void OpenDecoder(ReadState &s) {
  s.cinfo.err = jpeg::InstallErrorManager(s.err);
  jpeg_create_decompress(&s.cinfo);
  s.created = true;
  s.progress.progress_monitor = LimitScans;
  s.cinfo.progress = &s.progress;
  jpeg_stdio_src(&s.cinfo, s.in);
}

// A progressive (or otherwise multi-scan) file is decoded through a buffer
// of every coefficient of the picture, 128 bytes a block, allocated by
// libjpeg in jpeg_start_decompress; it must stay within the same limit.
bool CoefficientsWithinLimits(j_decompress_ptr c) {
  if (!jpeg_has_multiple_scans(c)) return true;
  const auto roundUp = [](uint64_t v, uint64_t step) { return (v + step - 1) / step * step; };
  uint64_t bytes = 0;
  for (int i = 0; i < c->num_components; ++i) {
    // Whole iMCU rows and columns, as libjpeg allocates them.
    const jpeg_component_info &comp = c->comp_info[i];
    bytes += roundUp(comp.width_in_blocks, uint64_t(comp.h_samp_factor)) *
             roundUp(comp.height_in_blocks, uint64_t(comp.v_samp_factor)) * sizeof(JBLOCK);
  }
  return bytes <= kMaxPixelBytes;
}

bool ReadHeader(ReadState &s) {
  if (jpeg_read_header(&s.cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (!SupportedColourSpace(s.cinfo)) return false;
  const int bpp = s.cinfo.num_components == 1 ? 8 : 24;
  return WithinLimits(s.cinfo.image_width, s.cinfo.image_height, bpp) &&
         CoefficientsWithinLimits(&s.cinfo);
}

bool InfoHelper(ReadState &s, IMGKIT_FILEINFO &info) {
  if (setjmp(s.err.jump)) return false;
  OpenDecoder(s);
  if (!ReadHeader(s)) return false;
  info.format = IMGKIT_FORMAT_JPEG;
  info.width = static_cast<int32_t>(s.cinfo.image_width);
  info.height = static_cast<int32_t>(s.cinfo.image_height);
  info.bitCount = static_cast<int16_t>(s.cinfo.num_components == 1 ? 8 : 24);
  return true;
}

int32_t DensityToPpm(unsigned unit, unsigned density) {
  switch (unit) {
  case 1: return static_cast<int32_t>((density * 10000u + 127u) / 254u); // dots per inch
  case 2: return static_cast<int32_t>(density * 100u);                   // dots per cm
  default: return 0;
  }
}

// Adobe writes CMYK inverted (0 = full ink); plain CMYK files are not.
void CmykRowToBgr(const uint8_t *src, uint8_t *dst, int width, bool inverted) {
  for (int x = 0; x < width; ++x) {
    unsigned c = src[4 * x], m = src[4 * x + 1], y = src[4 * x + 2], k = src[4 * x + 3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    dst[3 * x] = static_cast<uint8_t>((y * k + 127) / 255);
    dst[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
    dst[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// The strongest reduction N/8 whose output still covers the wanted size on
// both sides; the decoder's own rounding decides, so the check is on what it
// will really deliver. Leaves the output dimensions computed.
void ChooseScale(jpeg_decompress_struct &c, int coverWidth, int coverHeight) {
  if (coverWidth > 0 && coverHeight > 0) {
    for (unsigned num = 1; num < 8; ++num) {
      c.scale_num = num;
      c.scale_denom = 8;
      jpeg_calc_output_dimensions(&c);
      if (c.output_width >= static_cast<JDIMENSION>(coverWidth) &&
          c.output_height >= static_cast<JDIMENSION>(coverHeight))
        return;
    }
  }
  c.scale_num = 1;
  c.scale_denom = 1;
  jpeg_calc_output_dimensions(&c);
}

bool DecodeHelper(ReadState &s) {
  if (setjmp(s.err.jump)) return false;
  OpenDecoder(s);
  if (!ReadHeader(s)) return false;

  jpeg_decompress_struct &c = s.cinfo;
  const bool grey = c.num_components == 1;
  const bool cmyk = c.num_components == 4;
  c.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
  ChooseScale(c, s.coverWidth, s.coverHeight);

  const int width = static_cast<int>(c.output_width);
  const int height = static_cast<int>(c.output_height);
  Dib d;
  s.handle = NewDib(width, height, grey ? 8 : 24, grey ? 256 : 0, &d);
  if (!s.handle) return false;
  if (grey)
    for (int i = 0; i < 256; ++i)
      d.palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
  if (c.saw_JFIF_marker) {
    d.hdr->biXPelsPerMeter = DensityToPpm(c.density_unit, c.X_density);
    d.hdr->biYPelsPerMeter = DensityToPpm(c.density_unit, c.Y_density);
  }
  if (cmyk) {
    s.cmykRows = static_cast<uint8_t *>(
        std::malloc(static_cast<size_t>(width) * 4 * static_cast<size_t>(kRowsPerCall)));
    if (!s.cmykRows) return false;
  }

  if (!jpeg_start_decompress(&c)) return false;
  if (static_cast<int>(c.output_width) != width || static_cast<int>(c.output_height) != height ||
      c.output_components != (grey ? 1 : (cmyk ? 4 : 3)))
    return false;

  const bool inverted = c.saw_Adobe_marker;
  JSAMPROW rows[kRowsPerCall];
  while (c.output_scanline < c.output_height) {
    const int top = static_cast<int>(c.output_scanline);
    const int want = height - top < kRowsPerCall ? height - top : kRowsPerCall;
    for (int i = 0; i < want; ++i)
      rows[i] = cmyk ? s.cmykRows + static_cast<size_t>(i) * width * 4 : d.TopRow(top + i);
    const int got = static_cast<int>(jpeg_read_scanlines(&c, rows, static_cast<JDIMENSION>(want)));
    if (got <= 0) return false; // the stdio source never suspends
    if (cmyk)
      for (int i = 0; i < got; ++i)
        CmykRowToBgr(rows[i], d.TopRow(top + i), width, inverted);
  }
  // Every row is out: a missing end marker found from here on is no damage.
  s.damaged = c.err->num_warnings > 0;
  jpeg_finish_decompress(&c);
  return true;
}

void Release(ReadState &s) {
  if (s.created) jpeg_destroy_decompress(&s.cinfo);
  std::free(s.cmykRows);
}

} // namespace

bool JpegInfo(FILE *f, IMGKIT_FILEINFO &info) {
  if (!f) return false;
  ReadState s{};
  s.in = f;
  IMGKIT_FILEINFO found = info;
  const bool ok = InfoHelper(s, found);
  Release(s);
  if (ok) info = found;
  return ok;
}

IMGHANDLE ReadJpeg(FILE *f) { return ReadJpegReduced(f, 0, 0); }

IMGHANDLE ReadJpegReduced(FILE *f, int coverWidth, int coverHeight) {
  if (!f) return nullptr;
  ReadState s{};
  s.in = f;
  s.coverWidth = coverWidth;
  s.coverHeight = coverHeight;
  const bool ok = DecodeHelper(s);
  Release(s);
  NoteLoadDamaged(ok && s.damaged);
  if (!ok) {
    Free(s.handle);
    return nullptr;
  }
  return s.handle;
}

} // namespace kit
