// BMP reading: Windows (40/52/56/108/124-byte) and OS/2 (12-byte and
// 16..64-byte) headers; palette, RLE8/RLE4, 16/24/32-bit and bit-field files.
// Pixels are decoded row by row straight into the new handle; the file is
// never held in memory as a whole.
#include "codecs.h"
#include "dib.h"

#include "common/reduce8.h"

#include <sys/types.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kit {

namespace {

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t *p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool ReadAt(FILE *f, off_t pos, void *buf, size_t n) {
  if (fseeko(f, pos, SEEK_SET) != 0) return false;
  return std::fread(buf, 1, n, f) == n;
}

enum class Layout { Palette, Rle8, Rle4, Direct, Fields };

// One colour channel of a bit-field file: its mask and where it sits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

struct BmpHeader {
  off_t base = 0;    // where the file starts in the stream
  off_t offBits = 0; // pixel data, relative to base
  off_t tableAt = 0; // colour table, relative to base
  int entrySize = 4; // colour-table entry: 3 for OS/2 1.x
  int colours = 0;   // colour-table entries that are really there
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bpp = 0;    // as stored
  int outBpp = 0; // of the handle we return
  Layout layout = Layout::Direct;
  Channel ch[3]; // red, green, blue
  int32_t xppm = 0;
  int32_t yppm = 0;
};

bool MakeChannel(uint32_t mask, int bpp, Channel &c) {
  c.mask = mask;
  if (mask == 0) return true; // an absent channel reads as 0
  if (bpp == 16 && (mask & 0xffff0000u)) return false;
  c.shift = std::countr_zero(mask);
  const uint32_t m = mask >> c.shift;
  if ((m & (m + 1)) != 0) return false; // not contiguous
  c.bits = std::popcount(m);
  return true;
}

bool ParseHeader(FILE *f, BmpHeader &h) {
  h.base = ftello(f);
  if (h.base < 0) return false;
  uint8_t fh[18];
  if (!ReadAt(f, h.base, fh, sizeof fh)) return false;
  if (fh[0] != 'B' || fh[1] != 'M') return false;
  const uint32_t offBits = Le32(fh + 10);
  const uint32_t size = Le32(fh + 14);
  if (size < 12 || size > 124 || (size > 12 && size < 16)) return false;
  if (size > 64 && size != 108 && size != 124) return false;
  // Fields a short header lacks stay zero, which is their default meaning.
  uint8_t ih[124] = {};
  if (!ReadAt(f, h.base + 14, ih, size)) return false;

  const bool core = size == 12;
  const bool os2 = !core && size != 40 && size != 52 && size != 56 && size <= 64;
  int64_t width, height;
  unsigned planes, bpp;
  uint32_t compression = 0, clrUsed = 0;
  if (core) {
    width = Le16(ih + 4);
    height = Le16(ih + 6);
    planes = Le16(ih + 8);
    bpp = Le16(ih + 10);
    h.entrySize = 3;
  } else {
    width = static_cast<int32_t>(Le32(ih + 4));
    height = static_cast<int32_t>(Le32(ih + 8));
    planes = Le16(ih + 12);
    bpp = Le16(ih + 14);
    compression = Le32(ih + 16);
    h.xppm = static_cast<int32_t>(Le32(ih + 24));
    h.yppm = static_cast<int32_t>(Le32(ih + 28));
    clrUsed = Le32(ih + 32);
  }
  if (planes != 1) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  h.topDown = height < 0;
  if (h.topDown) height = -height;
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPixels) return false;
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  h.bpp = static_cast<int>(bpp);

  uint64_t headerEnd = 14 + uint64_t{size};
  switch (compression) {
  case 0:
    if (bpp == 1 || bpp == 4 || bpp == 8) {
      h.layout = Layout::Palette;
    } else if (bpp == 16 || bpp == 24 || bpp == 32) {
      h.layout = Layout::Direct;
    } else {
      return false;
    }
    h.outBpp = h.bpp;
    break;
  case 1:
  case 2:
    if (bpp != (compression == 1 ? 8u : 4u)) return false;
    h.layout = compression == 1 ? Layout::Rle8 : Layout::Rle4;
    h.outBpp = h.bpp;
    break;
  case 3:
  case 6: {
    // In OS/2 headers 3 means Huffman coding, which we do not read.
    if (core || os2 || (bpp != 16 && bpp != 32)) return false;
    uint32_t masks[3];
    if (size >= 52) {
      for (int i = 0; i < 3; ++i)
        masks[i] = Le32(ih + 40 + 4 * i);
    } else {
      uint8_t extra[16];
      const size_t n = compression == 3 ? 12 : 16;
      if (!ReadAt(f, h.base + static_cast<off_t>(headerEnd), extra, n)) return false;
      for (int i = 0; i < 3; ++i)
        masks[i] = Le32(extra + 4 * i);
      headerEnd += n;
    }
    for (int i = 0; i < 3; ++i)
      if (!MakeChannel(masks[i], h.bpp, h.ch[i])) return false;
    const bool standard = bpp == 16
                              ? (masks[0] == 0x7c00 && masks[1] == 0x3e0 && masks[2] == 0x1f)
                              : (masks[0] == 0xff0000 && masks[1] == 0xff00 && masks[2] == 0xff);
    h.layout = standard ? Layout::Direct : Layout::Fields;
    h.outBpp = standard ? h.bpp : 24;
    break;
  }
  default: return false;
  }

  if (offBits < headerEnd) return false;
  h.offBits = static_cast<off_t>(offBits);
  h.tableAt = static_cast<off_t>(headerEnd);
  if (h.bpp <= 8) {
    uint64_t count = uint64_t{1} << h.bpp;
    if (clrUsed != 0) count = std::min<uint64_t>(count, clrUsed);
    // A table cut short by the pixel offset keeps the entries that fit.
    count = std::min<uint64_t>(count, (offBits - headerEnd) / h.entrySize);
    if (count == 0) return false;
    h.colours = static_cast<int>(count);
  }

  const uint64_t fileStride = StrideOf(h.width, h.bpp);
  const uint64_t outStride = StrideOf(h.width, h.outBpp);
  if (fileStride == 0 || outStride == 0) return false;
  if (fileStride * static_cast<uint64_t>(h.height) > kMaxPixelBytes ||
      outStride * static_cast<uint64_t>(h.height) > kMaxPixelBytes)
    return false;
  return true;
}

// Clears the bits past the last pixel and the row's padding bytes.
void ClearPadding(uint8_t *row, int width, int bpp, size_t stride) {
  const uint64_t bits = static_cast<uint64_t>(width) * static_cast<unsigned>(bpp);
  const size_t used = static_cast<size_t>((bits + 7) / 8);
  if (bits % 8) row[used - 1] &= static_cast<uint8_t>(0xff << (8 - bits % 8));
  std::memset(row + used, 0, stride - used);
}

bool IndicesInTable(const uint8_t *row, int width, int bpp, int colours) {
  if (colours >= (1 << bpp)) return true;
  if (bpp == 8) {
    uint8_t top = 0;
    for (int x = 0; x < width; ++x)
      top = std::max(top, row[x]);
    return top < colours;
  }
  for (int x = 0; x < width; ++x)
    if (PaletteIndex(row, x, bpp) >= colours) return false;
  return true;
}

// Uncompressed rows of the handle's own depth.
bool ReadRows(FILE *f, const BmpHeader &h, const Dib &d) {
  if (fseeko(f, h.base + h.offBits, SEEK_SET) != 0) return false;
  if (!h.topDown) {
    // Same stride and order as the handle: one read for the whole block.
    const size_t total = d.stride * static_cast<size_t>(d.height);
    if (std::fread(d.bits, 1, total, f) != total) return false;
  } else {
    for (int i = 0; i < d.height; ++i)
      if (std::fread(d.Row(d.height - 1 - i), 1, d.stride, f) != d.stride) return false;
  }
  for (int y = 0; y < d.height; ++y) {
    uint8_t *row = d.Row(y);
    ClearPadding(row, d.width, d.bpp, d.stride);
    if (h.layout == Layout::Palette && !IndicesInTable(row, d.width, d.bpp, h.colours))
      return false;
  }
  return true;
}

// v x 255 / max, rounded; a channel of no bits is 0.
uint8_t Widen(uint32_t v, int bits) {
  if (bits == 0) return 0;
  return velmir_reduce8(v, (uint64_t{1} << bits) - 1);
}

// 16/32-bit bit-field rows widened to 24 bits.
bool ReadFields(FILE *f, const BmpHeader &h, const Dib &d) {
  if (fseeko(f, h.base + h.offBits, SEEK_SET) != 0) return false;
  // Channels up to 16 bits go through a table, wider ones are computed.
  std::vector<uint8_t> lut[3];
  for (int c = 0; c < 3; ++c) {
    if (h.ch[c].bits > 16) continue;
    lut[c].resize(size_t{1} << h.ch[c].bits);
    for (size_t v = 0; v < lut[c].size(); ++v)
      lut[c][v] = Widen(static_cast<uint32_t>(v), h.ch[c].bits);
  }
  const size_t fileStride = static_cast<size_t>(StrideOf(h.width, h.bpp));
  std::vector<uint8_t> buf(fileStride);
  const int bytes = h.bpp / 8;
  for (int i = 0; i < d.height; ++i) {
    if (std::fread(buf.data(), 1, fileStride, f) != fileStride) return false;
    uint8_t *out = d.Row(h.topDown ? d.height - 1 - i : i);
    for (int x = 0; x < d.width; ++x) {
      const uint8_t *p = buf.data() + static_cast<size_t>(x) * bytes;
      const uint32_t v = bytes == 2 ? Le16(p) : Le32(p);
      for (int c = 0; c < 3; ++c) {
        const uint32_t raw = (v & h.ch[c].mask) >> h.ch[c].shift;
        out[3 * x + 2 - c] = lut[c].empty() ? Widen(raw, h.ch[c].bits) : lut[c][raw];
      }
    }
  }
  return true;
}

// Buffered byte reads for the RLE stream.
class ByteSource {
public:
  explicit ByteSource(FILE *f) : f_(f), buf_(size_t{1} << 16) {}
  int Next() {
    if (pos_ == len_) {
      len_ = std::fread(buf_.data(), 1, buf_.size(), f_);
      pos_ = 0;
      if (len_ == 0) return -1;
    }
    return buf_[pos_++];
  }

private:
  FILE *f_;
  std::vector<uint8_t> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
};

// RLE8/RLE4. Pixels the stream skips keep index 0. Runs may reach into the
// row's padding (ImageMagick encodes whole padded rows); those pixels are
// dropped. Anything beyond the padded row or the last row, or a pixel past
// the colour table, refuses the file.
bool ReadRle(FILE *f, const BmpHeader &h, const Dib &d) {
  if (fseeko(f, h.base + h.offBits, SEEK_SET) != 0) return false;
  ByteSource src(f);
  const int bpp = h.bpp;
  const int width = d.width;
  const int height = d.height;
  const int64_t limit = static_cast<int64_t>(d.stride) * 8 / bpp;
  int64_t x = 0;
  int y = 0;
  auto rowAt = [&](int yy) { return d.Row(h.topDown ? height - 1 - yy : yy); };
  uint8_t run[256];
  for (;;) {
    const int n = src.Next();
    const int c = src.Next();
    // A stream that ends without its end mark is accepted once every row is done.
    if (n < 0 || c < 0) return y >= height;
    if (n > 0) {
      if (y >= height || x + n > limit) return false;
      const int hi = bpp == 8 ? c : c >> 4;
      const int lo = bpp == 8 ? c : c & 15;
      const int shown = static_cast<int>(std::clamp<int64_t>(width - x, 0, n));
      if ((shown > 0 && hi >= h.colours) || (shown > 1 && lo >= h.colours)) return false;
      uint8_t *row = rowAt(y);
      const int x0 = static_cast<int>(x);
      if (bpp == 8) {
        if (shown > 0) std::memset(row + x0, c, static_cast<size_t>(shown));
      } else {
        for (int i = 0; i < shown; ++i)
          SetPaletteIndex(row, x0 + i, 4, (i & 1) ? lo : hi);
      }
      x += n;
    } else if (c == 0) { // end of line
      x = 0;
      if (y < height) ++y;
    } else if (c == 1) { // end of bitmap
      return true;
    } else if (c == 2) { // delta
      const int dx = src.Next();
      const int dy = src.Next();
      if (dx < 0 || dy < 0) return false;
      x += dx;
      y += dy;
      if (x > limit || y >= height) return false;
    } else { // absolute run of c pixels, padded to a 16-bit word
      if (y >= height || x + c > limit) return false;
      const int bytes = bpp == 8 ? c : (c + 1) / 2;
      for (int i = 0; i < bytes; ++i) {
        const int b = src.Next();
        if (b < 0) return false;
        run[i] = static_cast<uint8_t>(b);
      }
      if ((bytes & 1) && src.Next() < 0) return false;
      uint8_t *row = rowAt(y);
      const int x0 = static_cast<int>(x);
      const int shown = static_cast<int>(std::clamp<int64_t>(width - x, 0, c));
      for (int i = 0; i < shown; ++i) {
        const int v = bpp == 8 ? run[i] : ((i & 1) ? run[i / 2] & 15 : run[i / 2] >> 4);
        if (v >= h.colours) return false;
        SetPaletteIndex(row, x0 + i, bpp, v);
      }
      x += c;
    }
  }
}

bool ReadColourTable(FILE *f, const BmpHeader &h, const Dib &d) {
  std::vector<uint8_t> table(static_cast<size_t>(h.colours) * h.entrySize);
  if (!ReadAt(f, h.base + h.tableAt, table.data(), table.size())) return false;
  for (int i = 0; i < h.colours; ++i) {
    const uint8_t *e = table.data() + static_cast<size_t>(i) * h.entrySize;
    d.palette[i] = {e[0], e[1], e[2], 0};
  }
  return true;
}

} // namespace

bool BmpInfo(FILE *f, IMGKIT_FILEINFO &info) {
  if (!f) return false;
  BmpHeader h;
  const bool ok = ParseHeader(f, h);
  if (h.base >= 0) fseeko(f, h.base, SEEK_SET);
  if (!ok) return false;
  info.format = IMGKIT_FORMAT_BMP;
  info.width = h.width;
  info.height = h.height;
  info.bitCount = static_cast<int16_t>(h.outBpp);
  return true;
}

IMGHANDLE ReadBmp(FILE *f) {
  if (!f) return nullptr;
  BmpHeader h;
  if (!ParseHeader(f, h)) return nullptr;
  if (h.layout != Layout::Rle8 && h.layout != Layout::Rle4) {
    // Every row must be in the file before the image is allocated.
    const uint64_t need = static_cast<uint64_t>(h.offBits) +
                          StrideOf(h.width, h.bpp) * static_cast<uint64_t>(h.height);
    if (fseeko(f, 0, SEEK_END) != 0) return nullptr;
    const off_t end = ftello(f);
    if (end < h.base || static_cast<uint64_t>(end - h.base) < need) return nullptr;
  }
  Dib d;
  IMGHANDLE out = NewDib(h.width, h.height, h.outBpp, h.colours, &d);
  if (!out) return nullptr;
  d.hdr->biXPelsPerMeter = h.xppm;
  d.hdr->biYPelsPerMeter = h.yppm;
  bool ok = h.colours == 0 || ReadColourTable(f, h, d);
  if (ok) {
    switch (h.layout) {
    case Layout::Palette:
    case Layout::Direct: ok = ReadRows(f, h, d); break;
    case Layout::Fields: ok = ReadFields(f, h, d); break;
    case Layout::Rle8:
    case Layout::Rle4: ok = ReadRle(f, h, d); break;
    }
  }
  if (!ok) {
    Free(out);
    return nullptr;
  }
  return out;
}

} // namespace kit
