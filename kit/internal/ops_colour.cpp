// Image facts, colour-depth conversion and grey conversion.
//
// Reduction to 4 or 8 bits picks a palette (the standard colours, or a
// median cut over a 5-5-5 histogram of the picture), then maps each pixel to
// its nearest palette colour, optionally spreading the error Floyd-Steinberg
// style. The nearest-colour search is exact: a lazily filled 64x64x64 grid
// keeps, per cell, the few palette entries that can be nearest to any colour
// inside it.
#include "codecs.h"
#include "dib.h"
#include "ops.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace kit {

namespace {

struct HandleDeleter {
  void operator()(void *h) const { Free(h); }
};
using OwnedHandle = std::unique_ptr<void, HandleDeleter>;

inline int Luma(int r, int g, int b) { return (r * 299 + g * 587 + b * 114) / 1000; }

inline Rgbq Quad(int r, int g, int b) {
  return {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

// Picture rows as blue-green-red bytes, top row first. 24-bit rows are used
// in place; other depths are expanded into one row buffer.
class RowReader {
public:
  explicit RowReader(const Dib &d) : d_(d) {
    if (d.bpp != 24) buf_.resize(static_cast<size_t>(d.width) * 3);
  }
  const uint8_t *Top(int y) {
    const uint8_t *row = d_.TopRow(y);
    if (d_.bpp == 24) return row;
    uint8_t *out = buf_.data();
    if (d_.bpp == 32) {
      for (int x = 0; x < d_.width; ++x) {
        out[3 * x] = row[4 * x];
        out[3 * x + 1] = row[4 * x + 1];
        out[3 * x + 2] = row[4 * x + 2];
      }
    } else {
      for (int x = 0; x < d_.width; ++x)
        PixelBgr(d_, row, x, out + 3 * x);
    }
    return out;
  }

private:
  const Dib &d_;
  std::vector<uint8_t> buf_;
};

// ---- Fixed palettes ------------------------------------------------------

// The 16 standard colours in their usual order.
constexpr std::array<uint32_t, 16> kVga = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
    0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};

Rgbq FromRgb(uint32_t rgb) {
  return Quad(static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff),
              static_cast<int>(rgb & 0xff));
}

// 8 bits: the 20 system colours at 0..9 and 246..255 (first and last ten, as
// the system keeps them), a 6x6x6 cube at 10..225 (index 10 + 36r + 6g + b
// for levels 0, 51, ..., 255) and 20 greys in between the cube's greys at
// 226..245.
std::vector<Rgbq> FixedPalette(int bits) {
  std::vector<Rgbq> p;
  if (bits == 1) {
    p = {Quad(0, 0, 0), Quad(255, 255, 255)};
  } else if (bits == 4) {
    for (uint32_t c : kVga)
      p.push_back(FromRgb(c));
  } else {
    p.resize(256);
    constexpr std::array<uint32_t, 10> low = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                              0x800080, 0x008080, 0xc0c0c0, 0xc0dcc0, 0xa6caf0};
    constexpr std::array<uint32_t, 10> high = {0xfffbf0, 0xa0a0a4, 0x808080, 0xff0000, 0x00ff00,
                                               0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
    for (int i = 0; i < 10; ++i) {
      p[i] = FromRgb(low[i]);
      p[246 + i] = FromRgb(high[i]);
    }
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          p[10 + 36 * r + 6 * g + b] = Quad(51 * r, 51 * g, 51 * b);
    for (int i = 0; i < 20; ++i) {
      const int v = (i + 1) * 255 / 21;
      p[226 + i] = Quad(v, v, v);
    }
  }
  return p;
}

// ---- Optimised palettes --------------------------------------------------

// One histogram cell for the median cut: its position (in cell units) and
// the pixel count and colour sums of the pixels that fell into it.
struct Bin {
  std::array<int, 3> pos; // r, g, b
  uint64_t count;
  std::array<uint64_t, 3> sum; // r, g, b
};

struct Box {
  size_t begin, end;
  uint64_t count;
  double error; // population-weighted squared spread over the bins
  int axis;     // axis of largest spread
};

Box MakeBox(const std::vector<Bin> &bins, size_t begin, size_t end) {
  Box box{begin, end, 0, 0.0, 0};
  std::array<double, 3> mean{}, sq{};
  for (size_t i = begin; i < end; ++i) {
    const Bin &b = bins[i];
    box.count += b.count;
    for (int c = 0; c < 3; ++c) {
      const double p = b.pos[c];
      mean[c] += p * static_cast<double>(b.count);
      sq[c] += p * p * static_cast<double>(b.count);
    }
  }
  if (end - begin < 2 || box.count == 0) return box; // cannot be split
  double best = -1;
  for (int c = 0; c < 3; ++c) {
    const double n = static_cast<double>(box.count);
    const double spread = sq[c] - mean[c] * mean[c] / n;
    box.error += spread;
    if (spread > best) {
      best = spread;
      box.axis = c;
    }
  }
  return box;
}

// Median cut: repeatedly splits the box with the largest spread along its
// widest axis at the population median; each box becomes the mean colour of
// its pixels.
std::vector<Rgbq> MedianCut(std::vector<Bin> &bins, int target) {
  std::vector<Box> boxes;
  boxes.push_back(MakeBox(bins, 0, bins.size()));
  while (static_cast<int>(boxes.size()) < target) {
    int pick = -1;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin < 2 || boxes[i].error <= 0) continue;
      if (pick < 0 || boxes[i].error > boxes[pick].error) pick = static_cast<int>(i);
    }
    if (pick < 0) break;
    const Box box = boxes[pick];
    const int axis = box.axis;
    std::sort(bins.begin() + static_cast<ptrdiff_t>(box.begin),
              bins.begin() + static_cast<ptrdiff_t>(box.end),
              [axis](const Bin &a, const Bin &b) { return a.pos[axis] < b.pos[axis]; });
    // First bin that takes the running count past half, kept off both ends.
    uint64_t run = 0;
    size_t split = box.begin + 1;
    for (size_t i = box.begin; i < box.end; ++i) {
      run += bins[i].count;
      if (run * 2 >= box.count) {
        split = i + 1;
        break;
      }
    }
    split = std::clamp(split, box.begin + 1, box.end - 1);
    // Keep equal positions together where possible so the halves differ.
    const int at = bins[split - 1].pos[axis];
    size_t s = split;
    while (s < box.end && bins[s].pos[axis] == at)
      ++s;
    if (s == box.end) {
      s = split;
      while (s > box.begin + 1 && bins[s - 1].pos[axis] == bins[s].pos[axis])
        --s;
    }
    boxes[pick] = MakeBox(bins, box.begin, s);
    boxes.push_back(MakeBox(bins, s, box.end));
  }
  std::vector<Rgbq> pal;
  pal.reserve(boxes.size());
  for (const Box &box : boxes) {
    std::array<uint64_t, 3> sum{};
    for (size_t i = box.begin; i < box.end; ++i)
      for (int c = 0; c < 3; ++c)
        sum[c] += bins[i].sum[c];
    const uint64_t n = box.count ? box.count : 1;
    pal.push_back(Quad(static_cast<int>((sum[0] + n / 2) / n),
                       static_cast<int>((sum[1] + n / 2) / n),
                       static_cast<int>((sum[2] + n / 2) / n)));
  }
  return pal;
}

// Collects the histograms of one picture: 5-5-5 cells with colour sums,
// 256 grey levels, whether every pixel is grey, and its distinct colours
// while there are no more than `limit` of them.
class Histogram {
public:
  explicit Histogram(int limit)
      : limit_(limit), count_(32768, 0), sum_(32768 * 3, 0), grey_(256, 0), set_(1024, kEmpty) {}

  // Adds `n` pixels of one colour.
  void Add(int r, int g, int b, uint64_t n) {
    const uint32_t k = Key(r, g, b);
    count_[k] += static_cast<uint32_t>(n);
    sum_[3 * k] += static_cast<uint64_t>(r) * n;
    sum_[3 * k + 1] += static_cast<uint64_t>(g) * n;
    sum_[3 * k + 2] += static_cast<uint64_t>(b) * n;
    if (r != g || g != b)
      allGrey_ = false;
    else
      grey_[r] += n;
    Remember(static_cast<uint32_t>(r << 16 | g << 8 | b));
  }

  // Adds a row of blue-green-red pixels.
  void AddRow(const uint8_t *s, int width) {
    uint32_t *count = count_.data();
    uint64_t *sum = sum_.data();
    uint64_t *grey = grey_.data();
    bool allGrey = allGrey_;
    for (int x = 0; x < width; ++x) {
      const int b = s[3 * x], g = s[3 * x + 1], r = s[3 * x + 2];
      const uint32_t k = Key(r, g, b);
      ++count[k];
      sum[3 * k] += static_cast<uint64_t>(r);
      sum[3 * k + 1] += static_cast<uint64_t>(g);
      sum[3 * k + 2] += static_cast<uint64_t>(b);
      allGrey = allGrey && r == g && g == b;
      ++grey[r];
      if (!overflow_) Remember(static_cast<uint32_t>(r << 16 | g << 8 | b));
    }
    allGrey_ = allGrey;
  }

  bool Overflow() const { return overflow_; }
  bool AllGrey() const { return allGrey_; }

  std::vector<Rgbq> Distinct() const {
    std::vector<uint32_t> keys;
    for (uint32_t v : set_)
      if (v != kEmpty) keys.push_back(v);
    std::sort(keys.begin(), keys.end());
    std::vector<Rgbq> pal;
    for (uint32_t v : keys)
      pal.push_back(FromRgb(v));
    return pal;
  }

  std::vector<Bin> GreyBins() const {
    std::vector<Bin> bins;
    for (int v = 0; v < 256; ++v)
      if (grey_[v]) {
        const uint64_t s = grey_[v] * static_cast<uint64_t>(v);
        bins.push_back({{v, v, v}, grey_[v], {s, s, s}});
      }
    return bins;
  }

  std::vector<Bin> ColourBins() const {
    std::vector<Bin> bins;
    for (uint32_t k = 0; k < 32768; ++k)
      if (count_[k])
        bins.push_back(
            {{static_cast<int>(k >> 10), static_cast<int>((k >> 5) & 31), static_cast<int>(k & 31)},
             count_[k],
             {sum_[3 * k], sum_[3 * k + 1], sum_[3 * k + 2]}});
    return bins;
  }

private:
  static constexpr uint32_t kEmpty = 0xffffffffu;
  static uint32_t Key(int r, int g, int b) {
    return static_cast<uint32_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
  }
  void Remember(uint32_t rgb) {
    if (overflow_ || rgb == last_) return;
    last_ = rgb;
    uint32_t slot = (rgb * 2654435761u) >> 22;
    while (set_[slot] != kEmpty) {
      if (set_[slot] == rgb) return;
      slot = (slot + 1) & 1023;
    }
    if (++distinct_ > limit_) {
      overflow_ = true;
      return;
    }
    set_[slot] = rgb;
  }

  int limit_;
  std::vector<uint32_t> count_;
  std::vector<uint64_t> sum_;
  std::vector<uint64_t> grey_;
  std::vector<uint32_t> set_;
  uint32_t last_ = kEmpty;
  int distinct_ = 0;
  bool overflow_ = false;
  bool allGrey_ = true;
};

std::vector<Rgbq> OptimisedPalette(const Dib &src, int bits) {
  const int target = 1 << bits;
  Histogram hist(target);
  if (src.IsPalette()) {
    // Count indices first; the table turns them into colours.
    std::vector<uint64_t> uses(256, 0);
    for (int y = 0; y < src.height; ++y) {
      const uint8_t *row = src.Row(y);
      for (int x = 0; x < src.width; ++x)
        ++uses[PaletteIndex(row, x, src.bpp)];
    }
    for (int i = 0; i < 256; ++i) {
      if (!uses[i]) continue;
      if (i < src.colourCount)
        hist.Add(src.palette[i].r, src.palette[i].g, src.palette[i].b, uses[i]);
      else
        hist.Add(0, 0, 0, uses[i]); // out-of-table indices read as black
    }
  } else {
    RowReader reader(src);
    for (int y = 0; y < src.height; ++y)
      hist.AddRow(reader.Top(y), src.width);
  }
  if (!hist.Overflow()) return hist.Distinct();
  std::vector<Bin> bins = hist.AllGrey() ? hist.GreyBins() : hist.ColourBins();
  return MedianCut(bins, target);
}

// ---- Nearest palette colour ----------------------------------------------

// Exact nearest colour (squared RGB distance, lowest index on ties). The
// grid has 64 cells per channel; a cell is worked out the first time a
// colour falls into it: either one entry is nearest everywhere in it, or a
// list of the entries that can be, sorted by their distance to the cell.
class NearestMap {
public:
  explicit NearestMap(const std::vector<Rgbq> &pal) : pal_(pal), cells_(kCells, kUnset) {}

  int Find(int r, int g, int b) {
    const uint32_t cell = static_cast<uint32_t>((r >> 2) << 12 | (g >> 2) << 6 | (b >> 2));
    uint32_t s = cells_[cell];
    if (s == kUnset) s = Fill(cell);
    if (s & kSingle) return static_cast<int>(s & 0xff);
    const uint32_t *c = pool_.data() + s;
    const uint32_t n = *c++;
    int best = 0;
    uint32_t bestDist = 0xffffffffu;
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t e = c[i];
      if ((e >> 8) > bestDist) break; // the rest lie further from the cell
      const Rgbq &p = pal_[e & 0xff];
      const int dr = r - p.r, dg = g - p.g, db = b - p.b;
      const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
      const int idx = static_cast<int>(e & 0xff);
      if (d < bestDist || (d == bestDist && idx < best)) {
        bestDist = d;
        best = idx;
      }
    }
    return best;
  }

private:
  static constexpr uint32_t kCells = 64 * 64 * 64;
  static constexpr uint32_t kUnset = 0xffffffffu;
  static constexpr uint32_t kSingle = 0x80000000u;

  uint32_t Fill(uint32_t cell) {
    const int lo[3] = {static_cast<int>(cell >> 12) * 4, static_cast<int>((cell >> 6) & 63) * 4,
                       static_cast<int>(cell & 63) * 4};
    const int n = static_cast<int>(pal_.size());
    near_.resize(pal_.size());
    far_.resize(pal_.size());
    uint32_t bound = 0xffffffffu;
    for (int i = 0; i < n; ++i) {
      const int v[3] = {pal_[i].r, pal_[i].g, pal_[i].b};
      uint32_t dn = 0, df = 0;
      for (int c = 0; c < 3; ++c) {
        const int a = lo[c], z = lo[c] + 3;
        const int nd = v[c] < a ? a - v[c] : (v[c] > z ? v[c] - z : 0);
        const int fd = std::max(std::abs(v[c] - a), std::abs(v[c] - z));
        dn += static_cast<uint32_t>(nd * nd);
        df += static_cast<uint32_t>(fd * fd);
      }
      near_[i] = dn;
      far_[i] = df;
      bound = std::min(bound, df);
    }
    list_.clear();
    for (int i = 0; i < n; ++i)
      if (near_[i] <= bound) list_.push_back(near_[i] << 8 | static_cast<uint32_t>(i));
    uint32_t s;
    if (list_.size() == 1) {
      s = kSingle | (list_[0] & 0xff);
    } else {
      std::sort(list_.begin(), list_.end());
      s = static_cast<uint32_t>(pool_.size());
      pool_.push_back(static_cast<uint32_t>(list_.size()));
      pool_.insert(pool_.end(), list_.begin(), list_.end());
    }
    cells_[cell] = s;
    return s;
  }

  const std::vector<Rgbq> &pal_;
  std::vector<uint32_t> cells_;
  std::vector<uint32_t> pool_;
  std::vector<uint32_t> near_, far_, list_;
};

// ---- Conversions ---------------------------------------------------------

void CopyResolution(const Dib &from, const Dib &to) {
  to.hdr->biXPelsPerMeter = from.hdr->biXPelsPerMeter;
  to.hdr->biYPelsPerMeter = from.hdr->biYPelsPerMeter;
}

// Diffusion errors are kept in sixteenths; the next pixel takes
// (error + 8) >> 4 of them. Rows run from the top of the picture,
// alternating direction.
inline int Diffused(int value, int err16) { return Clamp255(value + ((err16 + 8) >> 4)); }

IMGHANDLE ToMono(const Dib &src, bool diffusion) {
  Dib dst;
  OwnedHandle out(NewDib(src.width, src.height, 1, 2, &dst));
  if (!out) return nullptr;
  CopyResolution(src, dst);
  dst.palette[0] = Quad(0, 0, 0);
  dst.palette[1] = Quad(255, 255, 255);
  const int w = src.width;
  RowReader reader(src);
  std::vector<int> lum(static_cast<size_t>(w));
  std::vector<int> cur(static_cast<size_t>(w) + 2, 0), next(static_cast<size_t>(w) + 2, 0);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t *s = reader.Top(y);
    for (int x = 0; x < w; ++x)
      lum[x] = Luma(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
    uint8_t *o = dst.TopRow(y);
    if (!diffusion) {
      for (int x = 0; x < w; ++x)
        if (lum[x] >= 128) o[x >> 3] = static_cast<uint8_t>(o[x >> 3] | (0x80 >> (x & 7)));
      continue;
    }
    std::swap(cur, next);
    std::fill(next.begin(), next.end(), 0);
    const bool back = (y & 1) != 0;
    const int dir = back ? -1 : 1;
    for (int i = 0; i < w; ++i) {
      const int x = back ? w - 1 - i : i;
      const int v = Diffused(lum[x], cur[x + 1]);
      const int q = v >= 128 ? 255 : 0;
      if (q) o[x >> 3] = static_cast<uint8_t>(o[x >> 3] | (0x80 >> (x & 7)));
      const int e = v - q;
      cur[x + 1 + dir] += e * 7;
      next[x + 1 - dir] += e * 3;
      next[x + 1] += e * 5;
      next[x + 1 + dir] += e;
    }
  }
  return out.release();
}

IMGHANDLE ToPalette(const Dib &src, int bits, const std::vector<Rgbq> &pal, bool diffusion) {
  Dib dst;
  OwnedHandle out(NewDib(src.width, src.height, bits, static_cast<int>(pal.size()), &dst));
  if (!out) return nullptr;
  CopyResolution(src, dst);
  std::copy(pal.begin(), pal.end(), dst.palette);
  NearestMap map(pal);
  const int w = src.width;
  RowReader reader(src);
  std::vector<uint8_t> idx(static_cast<size_t>(w));
  // Three channels per pixel, one spare pixel at either end.
  std::vector<int> cur((static_cast<size_t>(w) + 2) * 3, 0), next(cur.size(), 0);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t *s = reader.Top(y);
    if (!diffusion) {
      for (int x = 0; x < w; ++x)
        idx[x] = static_cast<uint8_t>(map.Find(s[3 * x + 2], s[3 * x + 1], s[3 * x]));
    } else {
      std::swap(cur, next);
      std::fill(next.begin(), next.end(), 0);
      const bool back = (y & 1) != 0;
      const int dir = back ? -3 : 3;
      int *c = cur.data() + 3;
      int *n = next.data() + 3;
      for (int i = 0; i < w; ++i) {
        const int x = back ? w - 1 - i : i;
        const int o = 3 * x;
        const int b = Diffused(s[o], c[o]);
        const int g = Diffused(s[o + 1], c[o + 1]);
        const int r = Diffused(s[o + 2], c[o + 2]);
        const int k = map.Find(r, g, b);
        idx[x] = static_cast<uint8_t>(k);
        const int e[3] = {b - pal[k].b, g - pal[k].g, r - pal[k].r};
        for (int ch = 0; ch < 3; ++ch) {
          c[o + dir + ch] += e[ch] * 7;
          n[o - dir + ch] += e[ch] * 3;
          n[o + ch] += e[ch] * 5;
          n[o + dir + ch] += e[ch];
        }
      }
    }
    uint8_t *row = dst.TopRow(y);
    if (bits == 8) {
      std::memcpy(row, idx.data(), static_cast<size_t>(w));
    } else {
      for (int x = 0; x < w; ++x)
        SetPaletteIndex(row, x, bits, idx[x]);
    }
  }
  return out.release();
}

} // namespace

bool ImageInfo(IMGHANDLE h, IMGKIT_IMAGEINFO &info) {
  Dib d;
  if (!ViewOf(h, d)) return false;
  int kind = IMGKIT_KIND_RGB24;
  switch (d.bpp) {
  case 1: kind = IMGKIT_KIND_MONO; break;
  case 4: kind = IsGreyPalette(d) ? IMGKIT_KIND_GREY4 : IMGKIT_KIND_COLOUR4; break;
  case 8: kind = IsGreyPalette(d) ? IMGKIT_KIND_GREY8 : IMGKIT_KIND_COLOUR8; break;
  case 16: kind = IMGKIT_KIND_RGB16; break;
  case 32: kind = IMGKIT_KIND_RGB32; break;
  default: break;
  }
  info.width = d.width;
  info.height = d.height;
  info.kind = kind;
  info.bitCount = d.bpp;
  info.colourCount = d.colourCount;
  return true;
}

IMGHANDLE ConvertColor(IMGHANDLE h, int bits, bool fixedPalette, bool diffusion) {
  Dib src;
  if (!ViewOf(h, src)) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return nullptr;
  if (bits == src.bpp) return h;
  try {
    if (bits == 24) return To24(src);
    if (bits == 1) return ToMono(src, diffusion);
    const std::vector<Rgbq> pal = fixedPalette ? FixedPalette(bits) : OptimisedPalette(src, bits);
    if (pal.empty()) return nullptr;
    return ToPalette(src, bits, pal, diffusion);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

IMGHANDLE SetGray(IMGHANDLE h) {
  Dib src, dst;
  if (!ViewOf(h, src)) return nullptr;
  try {
    OwnedHandle out(NewDib(src.width, src.height, 8, 256, &dst));
    if (!out) return nullptr;
    CopyResolution(src, dst);
    for (int i = 0; i < 256; ++i)
      dst.palette[i] = Quad(i, i, i);
    const int w = src.width;
    if (src.IsPalette()) {
      // Grey of each table entry; indices past the table read as black.
      uint8_t lut[256] = {};
      for (int i = 0; i < src.colourCount && i < 256; ++i)
        lut[i] = static_cast<uint8_t>(Luma(src.palette[i].r, src.palette[i].g, src.palette[i].b));
      for (int y = 0; y < src.height; ++y) {
        const uint8_t *s = src.Row(y);
        uint8_t *o = dst.Row(y);
        for (int x = 0; x < w; ++x)
          o[x] = lut[PaletteIndex(s, x, src.bpp)];
      }
    } else {
      RowReader reader(src);
      for (int y = 0; y < src.height; ++y) {
        const uint8_t *s = reader.Top(y);
        uint8_t *o = dst.TopRow(y);
        for (int x = 0; x < w; ++x)
          o[x] = static_cast<uint8_t>(Luma(s[3 * x + 2], s[3 * x + 1], s[3 * x]));
      }
    }
    return out.release();
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

} // namespace kit
