// Image facts, colour-depth conversion and grey conversion.
//
// Reduction to 4 or 8 bits picks a palette (the standard colours, or a
// median cut over a 5-5-5 histogram of the picture), then maps each pixel to
// its nearest palette colour, optionally spreading the error Floyd-Steinberg
// style. The nearest-colour search is exact: a lazily filled 32x32x32 grid
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
// grid has 32 cells per channel; a cell is worked out the first time a
// colour falls into it: either one entry is nearest everywhere in it, or a
// list of the entries that can be.
// The cell table is kept to 128 KiB so that it stays in cache: diffusion
// makes each lookup depend on the previous one, so misses cost dearly.
class NearestMap {
public:
  explicit NearestMap(const std::vector<Rgbq> &pal) : pal_(pal), cells_(kCells, kUnset) {
    const size_t n = pal.size();
    const size_t padded = (n + 7) & ~size_t{7};
    for (auto *v : {&pr_, &pg_, &pb_})
      v->assign(padded, 0);
    for (size_t i = 0; i < padded; ++i) {
      const Rgbq &q = pal[i < n ? i : 0]; // padding repeats entry 0
      pr_[i] = q.r;
      pg_[i] = q.g;
      pb_[i] = q.b;
    }
    near_.resize(padded);
  }

  int Find(int r, int g, int b) {
    const uint32_t cell = static_cast<uint32_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    uint32_t s = cells_[cell];
    if (s == kUnset) s = Fill(cell);
    if (s & kSingle) return static_cast<int>(s & 0xff);
    // A short list, in groups of four: scanning it all without branches
    // beats stopping early.
    const Candidate *c = pool_.data() + (s >> 8);
    const Candidate *end = c + 4 * ((s & 0xff) + 1);
    uint32_t best = 0xffffffffu;
    for (; c != end; c += 4) {
      for (int j = 0; j < 4; ++j) {
        const int dr = r - c[j].r, dg = g - c[j].g, db = b - c[j].b;
        const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
        best = std::min(best, d << 8 | c[j].index);
      }
    }
    return static_cast<int>(best & 0xff);
  }

private:
  struct Candidate {
    uint8_t r, g, b, index;
  };
  static constexpr uint32_t kCells = 32 * 32 * 32;
  // A cell is kSingle | index, or its list's start in the pool << 8 | its
  // number of groups of four - 1. The pool holds at most 256 entries for
  // each of the 2^15 cells, so the start stays below 2^23 and clear of
  // kSingle. Lists are padded by repeating their first entry.
  static constexpr uint32_t kUnset = 0xffffffffu;
  static constexpr uint32_t kSingle = 0x80000000u;

  uint32_t Fill(uint32_t cell) {
    const int lo[3] = {static_cast<int>(cell >> 10) * 8, static_cast<int>((cell >> 5) & 31) * 8,
                       static_cast<int>(cell & 31) * 8};
    const size_t padded = pr_.size();
    // Nearest and farthest squared distance of each entry to the cell box,
    // in fixed blocks of eight so that the compiler vectorises them.
    int bound = 1 << 30;
    for (size_t i0 = 0; i0 < padded; i0 += 8) {
      int blockFar[8];
      for (int j = 0; j < 8; ++j) {
        const size_t i = i0 + static_cast<size_t>(j);
        const int dr = std::max(0, std::max(lo[0] - pr_[i], pr_[i] - lo[0] - 7));
        const int dg = std::max(0, std::max(lo[1] - pg_[i], pg_[i] - lo[1] - 7));
        const int db = std::max(0, std::max(lo[2] - pb_[i], pb_[i] - lo[2] - 7));
        const int fr = std::max(pr_[i] - lo[0], lo[0] + 7 - pr_[i]);
        const int fg = std::max(pg_[i] - lo[1], lo[1] + 7 - pg_[i]);
        const int fb = std::max(pb_[i] - lo[2], lo[2] + 7 - pb_[i]);
        near_[i] = dr * dr + dg * dg + db * db;
        blockFar[j] = fr * fr + fg * fg + fb * fb;
      }
      for (int j = 0; j < 8; ++j)
        bound = std::min(bound, blockFar[j]);
    }
    list_.clear();
    for (size_t i = 0; i < pal_.size(); ++i)
      if (near_[i] <= bound)
        list_.push_back({pal_[i].r, pal_[i].g, pal_[i].b, static_cast<uint8_t>(i)});
    uint32_t s;
    if (list_.size() == 1) {
      s = kSingle | list_[0].index;
    } else {
      while (list_.size() % 4)
        list_.push_back(list_[0]);
      s = static_cast<uint32_t>(pool_.size() << 8 | (list_.size() / 4 - 1));
      pool_.insert(pool_.end(), list_.begin(), list_.end());
    }
    cells_[cell] = s;
    return s;
  }

  const std::vector<Rgbq> &pal_;
  std::vector<uint32_t> cells_;
  std::vector<Candidate> pool_;
  std::vector<int> pr_, pg_, pb_, near_;
  std::vector<Candidate> list_;
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

// One row of diffusion in direction Dir. `above` holds the errors passed
// down from the previous row, `below` collects those for the next one; the
// error for the next pixel of this row stays in registers, as it is what
// each pixel waits for.
template <int Dir>
void DiffuseRow(NearestMap &map, const std::vector<Rgbq> &pal, const uint8_t *s, const int *above,
                int *below, uint8_t *idx, int w) {
  int carryB = 0, carryG = 0, carryR = 0;
  for (int i = 0; i < w; ++i) {
    const int x = Dir > 0 ? i : w - 1 - i;
    const int o = 3 * x;
    const int b = Diffused(s[o], above[o] + carryB);
    const int g = Diffused(s[o + 1], above[o + 1] + carryG);
    const int r = Diffused(s[o + 2], above[o + 2] + carryR);
    const int k = map.Find(r, g, b);
    idx[x] = static_cast<uint8_t>(k);
    const int e[3] = {b - pal[k].b, g - pal[k].g, r - pal[k].r};
    carryB = e[0] * 7;
    carryG = e[1] * 7;
    carryR = e[2] * 7;
    for (int ch = 0; ch < 3; ++ch) {
      below[o - 3 * Dir + ch] += e[ch] * 3;
      below[o + ch] += e[ch] * 5;
      below[o + 3 * Dir + ch] += e[ch];
    }
  }
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
      if (y & 1)
        DiffuseRow<-1>(map, pal, s, cur.data() + 3, next.data() + 3, idx.data(), w);
      else
        DiffuseRow<1>(map, pal, s, cur.data() + 3, next.data() + 3, idx.data(), w);
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
