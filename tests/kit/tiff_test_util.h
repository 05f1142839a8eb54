// Shared helpers of the TIFF reader tests: reading paths and bytes, files
// made with libtiff and ImageMagick, and pixel comparisons.
#pragma once

#include "codecs.h"
#include "kit_test_util.h"

#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace tifftest {

using kittest::Handle;

inline Handle ReadPath(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return Handle();
  Handle h(kit::ReadTiff(f));
  std::fclose(f);
  return h;
}

inline bool InfoPath(const std::string &path, IMGKIT_FILEINFO &info) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const bool ok = kit::TiffInfo(f, info);
  std::fclose(f);
  return ok;
}

inline Handle ReadBytes(const std::string &bytes, bool *infoOk = nullptr) {
  std::string copy = bytes;
  FILE *f = fmemopen(copy.data(), copy.size(), "rb");
  if (!f) return Handle();
  IMGKIT_FILEINFO info{};
  const bool ok = kit::TiffInfo(f, info);
  if (infoOk) *infoOk = ok;
  std::rewind(f);
  Handle h(kit::ReadTiff(f));
  std::fclose(f);
  return h;
}

inline std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string Path(const std::string &name) { return (kittest::ScratchDir() / name).string(); }

// A lossless test colour with all three channels different.
inline uint32_t Colour(int x, int y) {
  return static_cast<uint32_t>(((x * 37 + y * 11) & 255) << 16 | ((x * 5 + y * 71) & 255) << 8 |
                               ((x * 13 + y * 29) & 255));
}

// A binary PPM (or PGM when grey) source for ImageMagick.
inline std::string Netpbm(const std::string &name, int w, int h, bool grey,
                          const std::function<uint32_t(int, int)> &fill) {
  std::string s =
      (grey ? "P5\n" : "P6\n") + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = fill(x, y);
      if (grey) {
        s += static_cast<char>(c & 255);
      } else {
        s += static_cast<char>(c >> 16);
        s += static_cast<char>(c >> 8);
        s += static_cast<char>(c);
      }
    }
  return kittest::WriteFile(name, s);
}

// Runs convert; the output path, or "" when ImageMagick failed.
inline std::string Magick(const std::string &in, const std::string &options,
                          const std::string &name) {
  const std::string out = Path(name);
  const std::string r =
      kittest::RunCommand("convert '" + in + "' " + options + " '" + out + "' 2>&1 && echo OK");
  return r.find("OK") != std::string::npos ? out : "";
}

inline void ExpectPixels(const Handle &h, int w, int hgt,
                         const std::function<uint32_t(int, int)> &want, int tolerance = 0) {
  ASSERT_TRUE(h);
  const kit::Dib d = h.View();
  ASSERT_EQ(d.width, w);
  ASSERT_EQ(d.height, hgt);
  for (int y = 0; y < hgt; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t got = kittest::RgbAt(d, x, y), exp = want(x, y);
      for (int s = 0; s < 24; s += 8) {
        const int diff = static_cast<int>((got >> s) & 255) - static_cast<int>((exp >> s) & 255);
        ASSERT_LE(std::abs(diff), tolerance)
            << "pixel " << x << "," << y << std::hex << " got " << got << " want " << exp;
      }
    }
}

// A file written with libtiff directly: `tags` sets the fields, then each
// stored row (all samples of a row for contiguous data) is written.
// `mode` is TIFFOpen's ("w8" for BigTIFF, "wb" for big-endian).
inline std::string LibTiff(const std::string &name, const std::function<void(TIFF *)> &tags,
                           const std::vector<std::vector<uint8_t>> &rows, int planes = 1,
                           const char *mode = "w") {
  const std::string path = Path(name);
  // Some of these files are deliberately old-fashioned; no warnings please.
  const TIFFErrorHandler old = TIFFSetWarningHandler(nullptr);
  TIFF *tif = TIFFOpen(path.c_str(), mode);
  if (!tif) return "";
  tags(tif);
  const size_t perPlane = rows.size() / planes;
  bool ok = true;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::vector<uint8_t> row = rows[i];
    ok = ok && TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(i % perPlane),
                                 static_cast<uint16_t>(i / perPlane)) >= 0;
  }
  TIFFClose(tif);
  TIFFSetWarningHandler(old);
  return ok ? path : "";
}

inline void BasicTags(TIFF *tif, uint32_t w, uint32_t h, int bps, int spp, int photometric,
                      int compression = COMPRESSION_NONE) {
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bps);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
}

inline std::vector<std::vector<uint8_t>> Rows(int h, size_t bytes,
                                              const std::function<uint8_t(int, size_t)> &f) {
  std::vector<std::vector<uint8_t>> rows(h, std::vector<uint8_t>(bytes));
  for (int y = 0; y < h; ++y)
    for (size_t i = 0; i < bytes; ++i)
      rows[y][i] = f(y, i);
  return rows;
}

} // namespace tifftest
