// TIFF writer: one LZW-compressed image at the handle's own depth. 1-bit
// black-and-white tables become bilevel, identity grey ramps become grey,
// other tables a palette; 16- and 32-bit images are written as 24-bit RGB.
#include "atomic_file.h"
#include "codecs.h"
#include "dib.h"
#include "tiff_io.h"

#include <cstring>
#include <memory>
#include <new>

namespace kit {

namespace {

bool EntryIs(const Rgbq &q, int v) { return q.r == v && q.g == v && q.b == v; }

bool IsIdentityRamp(const Dib &d) {
  const int n = 1 << d.bpp;
  if (d.colourCount != n) return false;
  for (int i = 0; i < n; ++i)
    if (!EntryIs(d.palette[i], i * 255 / (n - 1))) return false;
  return true;
}

bool SetFields(TIFF *tif, const Dib &d) {
  const auto w = static_cast<uint32_t>(d.width);
  const auto h = static_cast<uint32_t>(d.height);
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  if (!ok) return false;
  if (d.bpp == 24) {
    ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
         TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
         TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  } else {
    ok = TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, d.bpp) &&
         TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    const bool bw = d.bpp == 1 && d.colourCount == 2;
    if (bw && EntryIs(d.palette[0], 0) && EntryIs(d.palette[1], 255)) {
      ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else if (bw && EntryIs(d.palette[0], 255) && EntryIs(d.palette[1], 0)) {
      ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    } else if (d.bpp != 1 && IsIdentityRamp(d)) {
      ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else {
      // TIFF colour maps are 16-bit and always full; missing entries are black.
      const int n = 1 << d.bpp;
      uint16_t map[3][256] = {};
      for (int i = 0; i < n && i < d.colourCount; ++i) {
        map[0][i] = static_cast<uint16_t>(d.palette[i].r * 257);
        map[1][i] = static_cast<uint16_t>(d.palette[i].g * 257);
        map[2][i] = static_cast<uint16_t>(d.palette[i].b * 257);
      }
      ok = ok && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE) &&
           TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    }
  }
  ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  if (ok && d.hdr->biXPelsPerMeter > 0) {
    const int32_t y = d.hdr->biYPelsPerMeter > 0 ? d.hdr->biYPelsPerMeter : d.hdr->biXPelsPerMeter;
    ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, d.hdr->biXPelsPerMeter * 254.0 / 10000.0) &&
         TIFFSetField(tif, TIFFTAG_YRESOLUTION, y * 254.0 / 10000.0) &&
         TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  return ok;
}

bool WriteRows(TIFF *tif, const Dib &d) {
  const size_t rowBytes = (static_cast<size_t>(d.width) * d.bpp + 7) / 8;
  if (static_cast<uint64_t>(TIFFScanlineSize64(tif)) != rowBytes) return false;
  std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[rowBytes]);
  if (!line) return false;
  const unsigned tailBits = static_cast<unsigned>((static_cast<size_t>(d.width) * d.bpp) % 8);
  for (int y = 0; y < d.height; ++y) {
    const uint8_t *src = d.TopRow(y);
    uint8_t *out = line.get();
    if (d.bpp == 24) {
      for (int x = 0; x < d.width; ++x) {
        out[3 * x] = src[3 * x + 2];
        out[3 * x + 1] = src[3 * x + 1];
        out[3 * x + 2] = src[3 * x];
      }
    } else {
      std::memcpy(out, src, rowBytes);
      // Bits past the last pixel are not part of the picture.
      if (tailBits) out[rowBytes - 1] &= static_cast<uint8_t>(0xff << (8 - tailBits));
    }
    if (TIFFWriteScanline(tif, out, static_cast<uint32_t>(y), 0) < 0) return false;
  }
  return true;
}

bool Write(const char *path, IMGHANDLE h) {
  Dib d;
  if (!ViewOf(h, d)) return false;
  std::unique_ptr<void, void (*)(IMGHANDLE)> wide(nullptr, Free);
  if (d.bpp == 16 || d.bpp == 32) {
    wide.reset(To24(d));
    if (!wide || !ViewOf(wide.get(), d)) return false;
  }
  AtomicFile af;
  if (!af.Open(path)) return false;
  {
    TiffStream ts;
    if (!ts.Open(af.Stream(), "w")) return false;
    TIFF *tif = ts.get();
    if (!SetFields(tif, d) || !WriteRows(tif, d) || !TIFFWriteDirectory(tif)) return false;
  }
  return af.Commit();
}

} // namespace

bool WriteTiff(const char *path, IMGHANDLE h) {
  try {
    return Write(path, h);
  } catch (...) {
    return false;
  }
}

} // namespace kit
