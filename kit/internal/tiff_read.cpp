// TIFF reader: the first image of the file (classic or BigTIFF), decoded
// strip by strip or tile by tile straight into the rows of the new image.
// Kinds with a direct layout (bilevel, grey, grey with alpha, palette,
// RGB(A), CMYK and CIELab of any integer or floating-point sample, JPEG as
// RGB) are converted here; anything else libtiff can turn into RGBA (8-bit CMYK,
// YCbCr, LogLuv ...) goes through its RGBA interface in bands of rows.
//
// Choices: 2-bit grey and palette images come back as 4 bits (grey values
// spread over the 16-step ramp); samples of more than 8 bits and 16-bit
// colour maps are reduced by the common rule (v x 255 / max, rounded half
// up); signed samples are shifted up by half their range, so 0 is mid-grey
// (-32768 ... 32767 as 0 ... 255), as viewers show them; floating-point
// samples map 0.0 ... 1.0 to 0 ... 255, clamped, NaN as 0; CIELab white is
// adapted to the D65 white of sRGB. Alpha is composited on white, samples
// of more than 8 bits before they are reduced. All eight
// orientations are honoured. Extra samples of unspecified meaning are
// ignored.
#include "codecs.h"
#include "dib.h"
#include "ops.h"
#include "tiff_io.h"
#include "tiff_samples.h"

#include "common/reduce8.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace kit {

namespace {

enum class Kind { Bits, Bits2, Grey, GreyAlpha, Rgb, Cmyk, Lab, Rgba };
enum class Alpha { None, Associated, Unassociated };

// Strips larger than this are read scanline by scanline, so a single-strip
// file does not need a second full copy of its pixels.
constexpr uint64_t kMaxStripBuffer = uint64_t{1} << 20;

struct Plan {
  uint32_t width = 0, height = 0;
  uint16_t bps = 1, spp = 1, photometric = 0, orientation = ORIENTATION_TOPLEFT;
  bool separate = false; // planar configuration 2 with several samples
  bool tiled = false;
  uint32_t rowsPerStrip = 0, tileWidth = 0, tileHeight = 0;
  Kind kind = Kind::Bits;
  SampleKind sample = SampleKind::U8;
  Alpha alpha = Alpha::None;
  bool icc = false;      // ICC Lab: a and b stored with an offset
  bool hasWhite = false; // the file names its white point
  float white[2] = {};   // as x, y chromaticity
  int outBits = 0;
  int planes = 1;        // planes read (separate RGB: 3, or 4 with alpha)
  bool reversed = false; // white is zero
  uint64_t rowBytes = 0; // bytes of one stored row of one plane (strip or tile)

  // Orientations 5 to 8 turn the picture a quarter: the stored rows are
  // decoded top-down, then turned.
  bool Transposed() const { return orientation >= ORIENTATION_LEFTTOP && orientation <= 8; }
};

// The meaning of the first extra sample, when the pixel has `colours`
// samples of colour before it.
Alpha AlphaOf(TIFF *tif, uint16_t spp, int colours) {
  uint16_t extraCount = 0;
  uint16_t *extra = nullptr;
  if (spp <= colours || !TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) ||
      extraCount == 0 || !extra)
    return Alpha::None;
  if (extra[0] == EXTRASAMPLE_ASSOCALPHA) return Alpha::Associated;
  if (extra[0] == EXTRASAMPLE_UNASSALPHA) return Alpha::Unassociated;
  return Alpha::None;
}

uint64_t RowBytesOf(uint64_t pixels, const Plan &p) {
  const uint64_t samples = p.separate ? 1 : p.spp;
  return (pixels * samples * p.bps + 7) / 8;
}

// Reads the first directory's tags and picks the way to decode it. False
// when the file is out of limits or not decodable.
bool MakePlan(TIFF *tif, Plan &p) {
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height) || p.width == 0 || p.height == 0)
    return false;
  if (uint64_t{p.width} * p.height > kMaxPixels) return false;
  uint16_t compression = COMPRESSION_NONE, planar = PLANARCONFIG_CONTIG;
  uint16_t format = SAMPLEFORMAT_UINT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bps);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &p.orientation);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric)) return false;
  if (p.spp == 0 || p.bps == 0 || !TIFFIsCODECConfigured(compression)) return false;

  if (compression == COMPRESSION_JPEG && p.photometric == PHOTOMETRIC_YCBCR) {
    // Let the JPEG codec convert to RGB; the data then reads as plain RGB.
    if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) return false;
    p.photometric = PHOTOMETRIC_RGB;
  }
  p.separate = planar == PLANARCONFIG_SEPARATE && p.spp > 1;

  const bool uintSamples = format == SAMPLEFORMAT_UINT;
  const bool grey =
      p.photometric == PHOTOMETRIC_MINISBLACK || p.photometric == PHOTOMETRIC_MINISWHITE;
  const bool known = PickSampleKind(format, p.bps, p.sample);
  uint16_t inkSet = INKSET_CMYK;
  TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
  bool direct = true;
  if (uintSamples && p.spp == 1 && (grey || p.photometric == PHOTOMETRIC_PALETTE) &&
      (p.bps == 1 || p.bps == 2 || p.bps == 4 || p.bps == 8)) {
    p.kind = p.bps == 2 ? Kind::Bits2 : Kind::Bits;
    p.outBits = p.bps == 2 ? 4 : p.bps;
  } else if (known && grey && p.spp == 1) {
    p.kind = Kind::Grey, p.outBits = 8;
  } else if (known && grey) {
    // Grey with extra samples: composited on white as colour, like RGBA.
    p.kind = Kind::GreyAlpha;
    p.reversed = p.photometric == PHOTOMETRIC_MINISWHITE;
    p.alpha = AlphaOf(tif, p.spp, 1);
    p.planes = p.separate ? (p.alpha == Alpha::None ? 1 : 2) : 1;
  } else if (known && p.photometric == PHOTOMETRIC_RGB && p.spp >= 3) {
    p.kind = Kind::Rgb;
    p.alpha = AlphaOf(tif, p.spp, 3);
    p.planes = p.separate ? (p.alpha == Alpha::None ? 3 : 4) : 1;
  } else if (known && p.photometric == PHOTOMETRIC_SEPARATED && inkSet == INKSET_CMYK &&
             p.spp >= 4 && !(uintSamples && p.bps == 8)) {
    // 8-bit CMYK is libtiff's; this is the same conversion for the rest.
    p.kind = Kind::Cmyk;
    p.planes = p.separate ? 4 : 1;
  } else if (known &&
             (p.photometric == PHOTOMETRIC_CIELAB || p.photometric == PHOTOMETRIC_ICCLAB) &&
             p.spp >= 3 && LabToRgb::Accepts(p.sample)) {
    p.kind = Kind::Lab;
    p.icc = p.photometric == PHOTOMETRIC_ICCLAB;
    float *white = nullptr;
    if (TIFFGetField(tif, TIFFTAG_WHITEPOINT, &white) && white) {
      p.hasWhite = true;
      p.white[0] = white[0];
      p.white[1] = white[1];
    }
    p.planes = p.separate ? 3 : 1;
  } else {
    direct = false;
  }
  if (direct && p.kind != Kind::Bits && p.kind != Kind::Bits2 && p.kind != Kind::Grey)
    p.outBits = 24;
  if (!direct) {
    // libtiff's RGBA interface takes every sample as unsigned, except in
    // the LogLuv kinds, whose floating-point samples it converts itself.
    if (!uintSamples && p.photometric != PHOTOMETRIC_LOGLUV && p.photometric != PHOTOMETRIC_LOGL)
      return false;
    char message[1024];
    if (!TIFFRGBAImageOK(tif, message)) return false;
    p.kind = Kind::Rgba;
    p.outBits = 24;
    p.separate = false;
    p.planes = 1;
  }
  const uint64_t stride = StrideOf(p.width, p.outBits);
  if (stride == 0 || stride * p.height > kMaxPixelBytes) return false;
  if (p.Transposed()) {
    // The turned picture must fit as well (1-bit rows pad differently).
    const uint64_t turned = StrideOf(p.height, p.outBits);
    if (turned == 0 || turned * p.width > kMaxPixelBytes) return false;
  }

  p.tiled = TIFFIsTiled(tif) != 0;
  if (p.tiled) {
    if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &p.tileWidth) ||
        !TIFFGetField(tif, TIFFTAG_TILELENGTH, &p.tileHeight) || p.tileWidth == 0 ||
        p.tileHeight == 0)
      return false;
  } else {
    p.rowsPerStrip = UINT32_MAX;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &p.rowsPerStrip);
    if (p.rowsPerStrip == 0) return false;
    if (p.rowsPerStrip > p.height) p.rowsPerStrip = p.height;
  }
  if (p.kind == Kind::Rgba) return true;

  // Our idea of a stored row must be libtiff's, or the layout is one we do
  // not understand (e.g. subsampled data).
  if (p.tiled) {
    p.rowBytes = RowBytesOf(p.tileWidth, p);
    if (p.rowBytes != TIFFTileRowSize64(tif)) return false;
    if (p.rowBytes * p.tileHeight > kMaxPixelBytes) return false;
  } else {
    p.rowBytes = RowBytesOf(p.width, p);
    if (p.rowBytes != TIFFScanlineSize64(tif)) return false;
  }
  return p.rowBytes != 0;
}

int32_t PelsPerMeter(TIFF *tif, ttag_t tag) {
  float v = 0;
  uint16_t unit = RESUNIT_INCH;
  if (!TIFFGetField(tif, tag, &v)) return 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  double m;
  if (unit == RESUNIT_INCH)
    m = v * 10000.0 / 254.0;
  else if (unit == RESUNIT_CENTIMETER)
    m = v * 100.0;
  else
    return 0;
  if (!(m > 0) || m > INT32_MAX) return 0; // also rejects NaN
  return static_cast<int32_t>(std::lround(m));
}

// Colour table of a palette, grey or bilevel image: 2^outBits entries.
bool FillTable(TIFF *tif, const Plan &p, Dib &d) {
  if (p.photometric == PHOTOMETRIC_PALETTE) {
    const int stored = 1 << p.bps; // palettes are of at most 8 bits here
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return false;
    // Some writers put 8-bit values in the 16-bit slots.
    bool eightBit = true;
    for (int i = 0; i < stored; ++i)
      if (r[i] > 255 || g[i] > 255 || b[i] > 255) eightBit = false;
    auto to8 = [eightBit](uint16_t v) {
      return eightBit ? static_cast<uint8_t>(v) : velmir_reduce16(v);
    };
    for (int i = 0; i < stored && i < d.colourCount; ++i)
      d.palette[i] = {to8(b[i]), to8(g[i]), to8(r[i]), 0};
    return true;
  }
  const bool reversed = p.photometric == PHOTOMETRIC_MINISWHITE;
  const int n = d.colourCount;
  for (int i = 0; i < n; ++i) {
    const int v = i * 255 / (n - 1);
    const auto g = static_cast<uint8_t>(reversed ? 255 - v : v);
    d.palette[i] = {g, g, g, 0};
  }
  return true;
}

inline uint8_t Composite(unsigned c, unsigned a, Alpha mode) {
  if (mode == Alpha::Associated) return Clamp255(static_cast<int>(c + 255 - a));
  return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// Turns stored row segments into image rows; holds the scratch row of 8-bit
// samples and the Lab conversion.
class RowConverter {
public:
  explicit RowConverter(const Plan &p) : p_(p) {
    if (p.kind == Kind::Lab)
      lab_ = std::make_unique<LabToRgb>(p.sample, p.icc, p.hasWhite ? p.white : nullptr);
  }

  // Converts n stored pixels (one pointer per plane) to the image row `dst`
  // starting at pixel x0. False when memory is short.
  bool Segment(const uint8_t *const *src, uint32_t x0, uint32_t n, uint8_t *dst);

private:
  // The samples of n pixels converted by `convert` (SamplesTo8 or
  // SamplesToUnit) into `scratch`, channel c at ch[c] + i * step.
  template <typename T, typename Convert>
  bool Gather(std::vector<T> &scratch, Convert convert, const uint8_t *const *src, uint32_t n,
              const T *ch[4], size_t &step);
  // n pixels of `colours` channels and alpha composited on white, written
  // as 3-byte pixels (grey repeated).
  bool Composited(const uint8_t *const *src, uint32_t n, int colours, uint8_t *out);

  const Plan &p_;
  std::vector<uint8_t> scratch_;
  std::vector<double> units_;
  std::unique_ptr<LabToRgb> lab_;
};

template <typename T, typename Convert>
bool RowConverter::Gather(std::vector<T> &scratch, Convert convert, const uint8_t *const *src,
                          uint32_t n, const T *ch[4], size_t &step) {
  const size_t samples = p_.separate ? size_t{n} * p_.planes : size_t{n} * p_.spp;
  try {
    if (scratch.size() < samples) scratch.resize(samples);
  } catch (const std::bad_alloc &) {
    return false;
  }
  T *t = scratch.data();
  if (p_.separate) {
    for (int c = 0; c < p_.planes; ++c)
      convert(p_.sample, p_.bps, src[c], n, t + size_t{n} * c);
    for (int c = 0; c < 4; ++c)
      ch[c] = t + size_t{n} * (c < p_.planes ? c : 0);
    step = 1;
  } else {
    convert(p_.sample, p_.bps, src[0], samples, t);
    for (int c = 0; c < 4; ++c)
      ch[c] = t + (c < p_.spp ? c : 0);
    step = p_.spp;
  }
  return true;
}

bool RowConverter::Composited(const uint8_t *const *src, uint32_t n, int colours, uint8_t *out) {
  // Blue, green, red (grey: the one channel thrice), then alpha.
  const int from[3] = {std::min(2, colours - 1), std::min(1, colours - 1), 0};
  if (p_.sample == SampleKind::U8 || p_.sample == SampleKind::S8) {
    // 8-bit samples exactly as libtiff's RGBA interface composites them.
    const uint8_t *ch[4];
    size_t step;
    if (!Gather(scratch_, SamplesTo8, src, n, ch, step)) return false;
    const uint8_t *bgr[3] = {ch[from[0]], ch[from[1]], ch[from[2]]}, *alpha = ch[colours];
    const uint8_t flip = p_.reversed ? 255 : 0;
    for (uint32_t i = 0; i < n; ++i)
      for (int c = 0; c < 3; ++c)
        out[3 * i + c] = Composite(bgr[c][i * step] ^ flip, alpha[i * step], p_.alpha);
    return true;
  }
  // Deeper samples are composited at full precision, then reduced, so a
  // 16-bit picture over white is what its 16-bit values say.
  const double *ch[4];
  size_t step;
  if (!Gather(units_, SamplesToUnit, src, n, ch, step)) return false;
  const double *bgr[3] = {ch[from[0]], ch[from[1]], ch[from[2]]}, *alpha = ch[colours];
  // Associated colour is already multiplied by its alpha.
  const bool associated = p_.alpha == Alpha::Associated;
  for (uint32_t i = 0; i < n; ++i) {
    const double a = alpha[i * step];
    for (int c = 0; c < 3; ++c) {
      const double v = p_.reversed ? 1 - bgr[c][i * step] : bgr[c][i * step];
      out[3 * i + c] = UnitTo8((associated ? v : v * a) + 1 - a);
    }
  }
  return true;
}

bool RowConverter::Segment(const uint8_t *const *src, uint32_t x0, uint32_t n, uint8_t *dst) {
  const Plan &p = p_;
  switch (p.kind) {
  case Kind::Bits: {
    const int bits = p.bps;
    if ((uint64_t{x0} * bits) % 8 == 0) {
      uint8_t *out = dst + uint64_t{x0} * bits / 8;
      const uint64_t usedBits = uint64_t{n} * bits;
      std::memcpy(out, src[0], (usedBits + 7) / 8);
      // Keep the bits past the last pixel of the row clear.
      if (x0 + n == p.width && usedBits % 8)
        out[usedBits / 8] &= static_cast<uint8_t>(0xff << (8 - usedBits % 8));
    } else {
      for (uint32_t i = 0; i < n; ++i)
        SetPaletteIndex(dst, static_cast<int>(x0 + i), bits,
                        PaletteIndex(src[0], static_cast<int>(i), bits));
    }
    return true;
  }
  case Kind::Bits2: {
    const bool grey = p.photometric != PHOTOMETRIC_PALETTE;
    for (uint32_t i = 0; i < n; ++i) {
      const int v = (src[0][i >> 2] >> (6 - 2 * (i & 3))) & 3;
      SetPaletteIndex(dst, static_cast<int>(x0 + i), 4, grey ? v * 5 : v);
    }
    return true;
  }
  case Kind::Grey: SamplesTo8(p.sample, p.bps, src[0], n, dst + x0); return true;
  case Kind::GreyAlpha: {
    uint8_t *out = dst + 3 * uint64_t{x0};
    if (p.alpha != Alpha::None) return Composited(src, n, 1, out);
    const uint8_t *ch[4];
    size_t step;
    if (!Gather(scratch_, SamplesTo8, src, n, ch, step)) return false;
    const uint8_t flip = p.reversed ? 255 : 0;
    for (uint32_t i = 0; i < n; ++i)
      out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = ch[0][i * step] ^ flip;
    return true;
  }
  case Kind::Rgb: {
    uint8_t *out = dst + 3 * uint64_t{x0};
    if (p.alpha != Alpha::None) return Composited(src, n, 3, out);
    const uint8_t *ch[4];
    size_t step;
    if (!Gather(scratch_, SamplesTo8, src, n, ch, step)) return false;
    const uint8_t *r = ch[0], *g = ch[1], *b = ch[2];
    for (uint32_t i = 0; i < n; ++i) {
      out[3 * i] = b[i * step];
      out[3 * i + 1] = g[i * step];
      out[3 * i + 2] = r[i * step];
    }
    return true;
  }
  case Kind::Cmyk: {
    const uint8_t *ch[4];
    size_t step;
    if (!Gather(scratch_, SamplesTo8, src, n, ch, step)) return false;
    uint8_t *out = dst + 3 * uint64_t{x0};
    // As libtiff turns 8-bit CMYK into RGB.
    for (uint32_t i = 0; i < n; ++i) {
      const unsigned k = 255u - ch[3][i * step];
      out[3 * i] = static_cast<uint8_t>(k * (255u - ch[2][i * step]) / 255u);
      out[3 * i + 1] = static_cast<uint8_t>(k * (255u - ch[1][i * step]) / 255u);
      out[3 * i + 2] = static_cast<uint8_t>(k * (255u - ch[0][i * step]) / 255u);
    }
    return true;
  }
  case Kind::Lab: {
    uint8_t *out = dst + 3 * uint64_t{x0};
    const size_t bytes = p.bps / 8;
    if (p.separate) {
      for (uint32_t i = 0; i < n; ++i)
        lab_->Pixel(src[0], src[1], src[2], i, 1, out + 3 * i);
    } else {
      for (uint32_t i = 0; i < n; ++i)
        lab_->Pixel(src[0], src[0] + bytes, src[0] + 2 * bytes, i, p.spp, out + 3 * i);
    }
    return true;
  }
  case Kind::Rgba: break;
  }
  return true;
}

// Buffers come as 16-bit arrays so 16-bit samples are read from storage of
// their own type.
using Buffer = std::unique_ptr<uint16_t[]>;

Buffer NewBuffer(uint64_t bytes) {
  if (bytes == 0 || bytes > kMaxPixelBytes) return nullptr;
  return Buffer(new (std::nothrow) uint16_t[(bytes + 1) / 2]);
}

// Memory row of the stored row `r`.
inline uint8_t *DestRow(const Plan &p, const Dib &d, uint32_t r) {
  const bool bottomUp =
      p.orientation == ORIENTATION_BOTLEFT || p.orientation == ORIENTATION_BOTRIGHT;
  return d.Row(static_cast<int>(bottomUp ? r : p.height - 1 - r));
}

bool ReadStrips(TIFF *tif, const Plan &p, const Dib &d) {
  RowConverter conv(p);
  const uint64_t stripBytes = p.rowBytes * p.rowsPerStrip;
  if (!p.separate && stripBytes > kMaxStripBuffer) {
    Buffer line = NewBuffer(p.rowBytes);
    if (!line) return false;
    const auto *src = reinterpret_cast<const uint8_t *>(line.get());
    for (uint32_t r = 0; r < p.height; ++r) {
      if (TIFFReadScanline(tif, line.get(), r, 0) < 0) return false;
      if (!conv.Segment(&src, 0, p.width, DestRow(p, d, r))) return false;
    }
    return true;
  }
  Buffer bufs[4];
  for (int c = 0; c < p.planes; ++c)
    if (!(bufs[c] = NewBuffer(stripBytes))) return false;
  for (uint32_t row = 0; row < p.height; row += p.rowsPerStrip) {
    const uint32_t rows = std::min(p.rowsPerStrip, p.height - row);
    const auto want = static_cast<tmsize_t>(p.rowBytes * rows);
    for (int c = 0; c < p.planes; ++c) {
      const uint32_t strip = TIFFComputeStrip(tif, row, static_cast<uint16_t>(c));
      if (TIFFReadEncodedStrip(tif, strip, bufs[c].get(), want) < want) return false;
    }
    for (uint32_t i = 0; i < rows; ++i) {
      const uint8_t *src[4];
      for (int c = 0; c < p.planes; ++c)
        src[c] = reinterpret_cast<const uint8_t *>(bufs[c].get()) + p.rowBytes * i;
      if (!conv.Segment(src, 0, p.width, DestRow(p, d, row + i))) return false;
    }
  }
  return true;
}

bool ReadTiles(TIFF *tif, const Plan &p, const Dib &d) {
  RowConverter conv(p);
  const uint64_t tileBytes = p.rowBytes * p.tileHeight;
  const uint64_t libBytes = TIFFTileSize64(tif);
  if (libBytes < tileBytes) return false;
  Buffer bufs[4];
  for (int c = 0; c < p.planes; ++c)
    if (!(bufs[c] = NewBuffer(libBytes))) return false;
  for (uint32_t ty = 0; ty < p.height; ty += p.tileHeight) {
    const uint32_t rows = std::min(p.tileHeight, p.height - ty);
    for (uint32_t tx = 0; tx < p.width; tx += p.tileWidth) {
      const uint32_t cols = std::min(p.tileWidth, p.width - tx);
      for (int c = 0; c < p.planes; ++c) {
        const uint32_t tile = TIFFComputeTile(tif, tx, ty, 0, static_cast<uint16_t>(c));
        if (TIFFReadEncodedTile(tif, tile, bufs[c].get(), static_cast<tmsize_t>(libBytes)) <
            static_cast<tmsize_t>(tileBytes))
          return false;
      }
      for (uint32_t i = 0; i < rows; ++i) {
        const uint8_t *src[4];
        for (int c = 0; c < p.planes; ++c)
          src[c] = reinterpret_cast<const uint8_t *>(bufs[c].get()) + p.rowBytes * i;
        if (!conv.Segment(src, tx, cols, DestRow(p, d, ty + i))) return false;
      }
      if (tx > UINT32_MAX - p.tileWidth) break;
    }
    if (ty > UINT32_MAX - p.tileHeight) break;
  }
  return true;
}

// Everything else through libtiff's RGBA interface, a band of strips or
// tiles at a time.
bool ReadRgba(TIFF *tif, const Plan &p, const Dib &d) {
  char message[1024];
  TIFFRGBAImage img;
  if (!TIFFRGBAImageBegin(&img, tif, 1, message)) return false;
  // Rows in stored order: the flip is ours, as for the other kinds.
  img.req_orientation = img.orientation;
  uint32_t band = p.tiled ? p.tileHeight : p.rowsPerStrip;
  if (band > p.height) band = p.height;
  const uint64_t count = uint64_t{band} * p.width;
  std::unique_ptr<uint32_t[]> raster;
  if (count * 4 <= kMaxPixelBytes) raster.reset(new (std::nothrow) uint32_t[count]);
  bool ok = raster != nullptr;
  for (uint32_t row = 0; ok && row < p.height; row += band) {
    const uint32_t rows = std::min(band, p.height - row);
    img.row_offset = static_cast<int>(row);
    img.col_offset = 0;
    if (!TIFFRGBAImageGet(&img, raster.get(), p.width, rows)) {
      ok = false;
      break;
    }
    for (uint32_t i = 0; i < rows; ++i) {
      const uint32_t *s = raster.get() + uint64_t{i} * p.width;
      uint8_t *out = DestRow(p, d, row + i);
      // Colour comes premultiplied by alpha: on white that is c + 255 - a.
      for (uint32_t x = 0; x < p.width; ++x) {
        const int a = static_cast<int>(TIFFGetA(s[x]));
        out[3 * x] = Clamp255(static_cast<int>(TIFFGetB(s[x])) + 255 - a);
        out[3 * x + 1] = Clamp255(static_cast<int>(TIFFGetG(s[x])) + 255 - a);
        out[3 * x + 2] = Clamp255(static_cast<int>(TIFFGetR(s[x])) + 255 - a);
      }
    }
  }
  TIFFRGBAImageEnd(&img);
  return ok;
}

// Mirrors every row for the right-to-left orientations.
void MirrorRows(const Dib &d) {
  for (int y = 0; y < d.height; ++y) {
    uint8_t *row = d.Row(y);
    for (int l = 0, r = d.width - 1; l < r; ++l, --r) {
      if (d.bpp == 24) {
        for (int c = 0; c < 3; ++c)
          std::swap(row[3 * l + c], row[3 * r + c]);
      } else {
        const int a = PaletteIndex(row, l, d.bpp);
        SetPaletteIndex(row, l, d.bpp, PaletteIndex(row, r, d.bpp));
        SetPaletteIndex(row, r, d.bpp, a);
      }
    }
  }
}

// The stored picture (rows top-down) turned for orientations 5 to 8, as
// quarter turns and flips of the kit (which also swap the resolutions).
// Takes `h`; null when memory is short.
IMGHANDLE Turn(IMGHANDLE h, uint16_t orientation) {
  int steps[2] = {-1, -1};
  switch (orientation) {
  case ORIENTATION_LEFTTOP: steps[0] = 2, steps[1] = 4; break;  // transpose
  case ORIENTATION_RIGHTTOP: steps[0] = 2; break;               // a right turn
  case ORIENTATION_RIGHTBOT: steps[0] = 2, steps[1] = 3; break; // transverse
  default: steps[0] = 1; break;                                 // a left turn
  }
  for (int kind : steps) {
    if (kind < 0) break;
    IMGHANDLE turned = Rotation(h, kind);
    if (turned != h) Free(h);
    if (!turned) return nullptr;
    h = turned;
  }
  return h;
}

IMGHANDLE Decode(FILE *f) {
  TiffStream ts;
  if (!ts.Open(f, "r")) return nullptr;
  TIFF *tif = ts.get();
  Plan p;
  if (!MakePlan(tif, p)) return nullptr;
  Dib d;
  const int colours = p.outBits <= 8 ? 1 << p.outBits : 0;
  IMGHANDLE h =
      NewDib(static_cast<int>(p.width), static_cast<int>(p.height), p.outBits, colours, &d);
  if (!h) return nullptr;
  bool ok = colours == 0 || FillTable(tif, p, d);
  if (ok) {
    if (p.kind == Kind::Rgba)
      ok = ReadRgba(tif, p, d);
    else if (p.tiled)
      ok = ReadTiles(tif, p, d);
    else
      ok = ReadStrips(tif, p, d);
  }
  if (!ok) {
    Free(h);
    return nullptr;
  }
  if (p.orientation == ORIENTATION_TOPRIGHT || p.orientation == ORIENTATION_BOTRIGHT) MirrorRows(d);
  d.hdr->biXPelsPerMeter = PelsPerMeter(tif, TIFFTAG_XRESOLUTION);
  d.hdr->biYPelsPerMeter = PelsPerMeter(tif, TIFFTAG_YRESOLUTION);
  return p.Transposed() ? Turn(h, p.orientation) : h;
}

} // namespace

bool TiffInfo(FILE *f, IMGKIT_FILEINFO &info) {
  try {
    TiffStream ts;
    if (!ts.Open(f, "r")) return false;
    Plan p;
    if (!MakePlan(ts.get(), p)) return false;
    info.format = IMGKIT_FORMAT_TIFF;
    info.width = static_cast<int32_t>(p.Transposed() ? p.height : p.width);
    info.height = static_cast<int32_t>(p.Transposed() ? p.width : p.height);
    info.bitCount = static_cast<int16_t>(p.outBits);
    return true;
  } catch (...) {
    return false;
  }
}

IMGHANDLE ReadTiff(FILE *f) {
  try {
    return Decode(f);
  } catch (...) {
    return nullptr;
  }
}

} // namespace kit
