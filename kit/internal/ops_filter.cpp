// In-place tone and neighbourhood operations.
//
// 16- and 32-bit images are refused (false) by every function here: the
// program converts such images to 24 bits before editing them, so a 5-5-5 or
// x-8-8-8 path would only be dead weight.
//
// Per-pixel operations (negative, brightness, channel offsets) change palette
// images through their colour table and leave the indices alone.
// Neighbourhood operations (emboss, edge extraction) need real pixel values,
// so palette images are accepted only with a grey table: indices are read as
// grey levels and the results written back as the nearest grey of the table.
// Mosaic fills each block of a palette image with the index of the block's
// top-left pixel, since a mean of indices means nothing.
#include "dib.h"
#include "ops.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

namespace kit {

namespace {

bool DirectColourOnly(const Dib &d) { return d.bpp == 16 || d.bpp == 32; }

// Builds a lookup table per channel from f(channel, value), channel 0 blue,
// 1 green, 2 red, and applies it to the colour table or every pixel byte.
template <class F> bool ForEachChannel(IMGHANDLE h, F f) {
  Dib d;
  if (!ViewOf(h, d) || DirectColourOnly(d)) return false;
  uint8_t lut[3][256];
  for (int c = 0; c < 3; ++c)
    for (int v = 0; v < 256; ++v)
      lut[c][v] = Clamp255(f(c, v));

  if (d.IsPalette()) {
    const int n = std::min(d.colourCount, 1 << d.bpp);
    for (int i = 0; i < n; ++i) {
      Rgbq &q = d.palette[i];
      q.b = lut[0][q.b];
      q.g = lut[1][q.g];
      q.r = lut[2][q.r];
    }
    return true;
  }
  const size_t width = static_cast<size_t>(d.width);
  for (int y = 0; y < d.height; ++y) {
    uint8_t *p = d.Row(y);
    for (size_t x = 0; x < width; ++x) {
      p[3 * x] = lut[0][p[3 * x]];
      p[3 * x + 1] = lut[1][p[3 * x + 1]];
      p[3 * x + 2] = lut[2][p[3 * x + 2]];
    }
  }
  return true;
}

// Runs a 3x3 neighbourhood kernel over the image in place. The kernel is
// called once per row as kernel(channels, above, row, below, out, n): the
// three input rows are original (unmodified) channel values with one
// replicated pixel before and after, n = width x channels. Rows outside the
// picture repeat the edge rows.
template <class K> bool Neighbourhood(IMGHANDLE h, K kernel) {
  Dib d;
  if (!ViewOf(h, d) || DirectColourOnly(d)) return false;
  if (d.IsPalette() && !IsGreyPalette(d)) return false;

  const int channels = d.IsPalette() ? 1 : 3;
  const size_t n = static_cast<size_t>(d.width) * channels;
  const size_t padded = n + 2 * static_cast<size_t>(channels);

  // Grey level of each index (0 beyond the table) and the nearest index of
  // each grey level.
  uint8_t level[256] = {};
  uint8_t nearest[256] = {};
  if (d.IsPalette()) {
    const int count = std::min(d.colourCount, 1 << d.bpp);
    for (int i = 0; i < count; ++i)
      level[i] = d.palette[i].r;
    for (int v = 0; v < 256; ++v) {
      int best = 0, bestDist = 256;
      for (int i = 0; i < count; ++i) {
        const int dist = std::abs(level[i] - v);
        if (dist < bestDist) {
          best = i;
          bestDist = dist;
        }
      }
      nearest[v] = static_cast<uint8_t>(best);
    }
  }

  std::vector<uint8_t> buffer;
  try {
    buffer.resize(padded * 3 + n);
  } catch (const std::bad_alloc &) {
    return false;
  }
  uint8_t *above = buffer.data() + channels;
  uint8_t *row = above + padded;
  uint8_t *below = row + padded;
  uint8_t *out = buffer.data() + 3 * padded;

  auto load = [&](int y, uint8_t *dst) {
    const uint8_t *src = d.TopRow(y);
    if (d.bpp == 24) {
      std::memcpy(dst, src, n);
    } else if (d.bpp == 8) {
      for (size_t x = 0; x < n; ++x)
        dst[x] = level[src[x]];
    } else {
      for (int x = 0; x < d.width; ++x)
        dst[x] = level[PaletteIndex(src, x, d.bpp)];
    }
    for (int k = 0; k < channels; ++k) {
      dst[k - channels] = dst[k];
      dst[n + static_cast<size_t>(k)] = dst[n - static_cast<size_t>(channels) + k];
    }
  };
  auto store = [&](int y) {
    uint8_t *dst = d.TopRow(y);
    if (d.bpp == 24) {
      std::memcpy(dst, out, n);
    } else if (d.bpp == 8) {
      for (size_t x = 0; x < n; ++x)
        dst[x] = nearest[out[x]];
    } else {
      for (int x = 0; x < d.width; ++x)
        SetPaletteIndex(dst, x, d.bpp, nearest[out[x]]);
    }
  };

  load(0, row);
  std::memcpy(above - channels, row - channels, padded);
  load(std::min(1, d.height - 1), below);
  for (int y = 0; y < d.height; ++y) {
    if (channels == 3)
      kernel(std::integral_constant<int, 3>{}, above, row, below, out, n);
    else
      kernel(std::integral_constant<int, 1>{}, above, row, below, out, n);
    // Slide the window before writing: the next rows are still original.
    std::swap(above, row);
    std::swap(row, below);
    if (y + 1 < d.height) load(std::min(y + 2, d.height - 1), below);
    store(y);
  }
  return true;
}

} // namespace

bool ColorReverse(IMGHANDLE h) {
  return ForEachChannel(h, [](int, int v) { return 255 - v; });
}

bool Bright(IMGHANDLE h, double factor) {
  if (!std::isfinite(factor)) return false;
  // Beyond +-10 every value saturates anyway; holding it there keeps the
  // conversion to int defined.
  factor = std::clamp(factor, -10.0, 10.0);
  const int delta = static_cast<int>(factor * 40.0);
  return ForEachChannel(h, [delta](int, int v) { return v + delta; });
}

bool RGB(IMGHANDLE h, int red, int green, int blue) {
  const int offset[3] = {std::clamp(blue, -255, 255), std::clamp(green, -255, 255),
                         std::clamp(red, -255, 255)};
  return ForEachChannel(h, [&offset](int c, int v) { return v + offset[c]; });
}

bool Emboss(IMGHANDLE h) {
  // Lower-right neighbour minus upper-left neighbour, around mid grey.
  return Neighbourhood(h, [](auto channels, const uint8_t *a, const uint8_t *, const uint8_t *b,
                             uint8_t *out, size_t n) {
    constexpr ptrdiff_t c = decltype(channels)::value;
    for (size_t i = 0; i < n; ++i)
      out[i] = Clamp255(128 + b[i + c] - a[i - c]);
  });
}

bool Filter(IMGHANDLE h, int kind) {
  if (kind == IMGKIT_FILTER_ROBERTS) {
    return Neighbourhood(h, [](auto channels, const uint8_t *, const uint8_t *r, const uint8_t *b,
                               uint8_t *out, size_t n) {
      constexpr ptrdiff_t c = decltype(channels)::value;
      for (size_t i = 0; i < n; ++i)
        out[i] = Clamp255(std::abs(r[i] - b[i + c]) + std::abs(r[i + c] - b[i]));
    });
  }
  if (kind == IMGKIT_FILTER_LAPLACIAN) {
    return Neighbourhood(h, [](auto channels, const uint8_t *a, const uint8_t *r, const uint8_t *b,
                               uint8_t *out, size_t n) {
      constexpr ptrdiff_t c = decltype(channels)::value;
      for (size_t i = 0; i < n; ++i) {
        const int around =
            a[i - c] + a[i] + a[i + c] + r[i - c] + r[i + c] + b[i - c] + b[i] + b[i + c];
        out[i] = Clamp255(8 * r[i] - around);
      }
    });
  }
  return false;
}

bool Mosaic(IMGHANDLE h, int blockSize) {
  Dib d;
  if (!ViewOf(h, d) || DirectColourOnly(d) || blockSize < 2 || blockSize > 16) return false;
  const int bs = blockSize;

  if (d.IsPalette()) {
    for (int by = 0; by < d.height; by += bs) {
      const int bh = std::min(bs, d.height - by);
      for (int bx = 0; bx < d.width; bx += bs) {
        const int bw = std::min(bs, d.width - bx);
        const int index = PaletteIndex(d.TopRow(by), bx, d.bpp);
        for (int y = by; y < by + bh; ++y) {
          uint8_t *p = d.TopRow(y);
          if (d.bpp == 8)
            std::memset(p + bx, index, static_cast<size_t>(bw));
          else
            for (int x = bx; x < bx + bw; ++x)
              SetPaletteIndex(p, x, d.bpp, index);
        }
      }
    }
    return true;
  }

  // 24 bits: per band of block rows, sum each block's channels, then fill.
  const size_t blocks = (static_cast<size_t>(d.width) + bs - 1) / bs;
  std::vector<uint32_t> sums;
  std::vector<uint8_t> means;
  try {
    sums.resize(blocks * 3);
    means.resize(blocks * 3);
  } catch (const std::bad_alloc &) {
    return false;
  }
  for (int by = 0; by < d.height; by += bs) {
    const int bh = std::min(bs, d.height - by);
    std::fill(sums.begin(), sums.end(), 0u);
    for (int y = by; y < by + bh; ++y) {
      const uint8_t *p = d.TopRow(y);
      for (int x = 0; x < d.width; ++x) {
        uint32_t *s = &sums[static_cast<size_t>(x / bs) * 3];
        s[0] += p[3 * x];
        s[1] += p[3 * x + 1];
        s[2] += p[3 * x + 2];
      }
    }
    for (size_t b = 0; b < blocks; ++b) {
      const int bw = std::min(bs, d.width - static_cast<int>(b) * bs);
      const auto count = static_cast<uint32_t>(bw * bh);
      for (int k = 0; k < 3; ++k)
        means[b * 3 + k] = static_cast<uint8_t>(sums[b * 3 + k] / count);
    }
    for (int y = by; y < by + bh; ++y) {
      uint8_t *p = d.TopRow(y);
      for (int x = 0; x < d.width; ++x) {
        const uint8_t *m = &means[static_cast<size_t>(x / bs) * 3];
        p[3 * x] = m[0];
        p[3 * x + 1] = m[1];
        p[3 * x + 2] = m[2];
      }
    }
  }
  return true;
}

} // namespace kit
