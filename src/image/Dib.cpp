#include "image/Dib.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

void TMDIB::Attach(IMGHANDLE h) {
  Release(0);
  if (!h) return;
  handle = h;
  header = static_cast<IMGKIT_BMIH *>(h);
  auto *base = static_cast<uint8_t *>(h);
  width = header->biWidth;
  height = header->biHeight;
  pixelCount = width * height;
  colourTableBytes = static_cast<int32_t>(ColourCount(header) * 4);
  switch (header->biBitCount) {
  case 1: pixelFormat = pf1bit; break;
  case 4: pixelFormat = pf4bit; break;
  case 8: pixelFormat = pf8bit; break;
  case 16: pixelFormat = pf15bit; break;
  case 32: pixelFormat = pf32bit; break;
  default: pixelFormat = pf24bit; break;
  }
  stride = RowStride(width, header->biBitCount);
  imageBytes = header->biSizeImage ? static_cast<int32_t>(header->biSizeImage) : stride * height;
  colourTable = base + header->biSize;
  pixels = colourTable + colourTableBytes;
  topRow = pixels + imageBytes - stride;
  backgroundRed = backgroundGreen = backgroundBlue = 0;
}

void TMDIB::Release(int flags) {
  handle = nullptr;
  header = nullptr;
  pixels = topRow = colourTable = nullptr;
  width = height = pixelCount = colourTableBytes = pixelFormat = stride = imageBytes = 0;
  if (flags & 1) delete this;
}

uint32_t TMDIB::ColourCount(const IMGKIT_BMIH *h) {
  if (h->biClrUsed != 0) return h->biClrUsed & 0xffff;
  switch (h->biBitCount) {
  case 1: return 2;
  case 4: return 16;
  case 8: return 256;
  default: return 0;
  }
}

int32_t TMDIB::RowStride(int32_t w, int bitsPerPixel) {
  const int64_t b = static_cast<int64_t>(w) * bitsPerPixel;
  return static_cast<int32_t>((b / 32) * 4 + ((b % 32) ? 4 : 0));
}

void TMDIB::PixelColour(int32_t n, int &red, int &green, int &blue) const {
  const int row = n / width;
  const int column = n % width;
  const uint8_t *line = Row(row);
  int index;
  switch (header->biBitCount) {
  case 1: index = (line[column / 8] >> (7 - column % 8)) & 1; break;
  case 4: index = (column % 2 == 0) ? line[column / 2] >> 4 : line[column / 2] & 0x0f; break;
  default: index = line[column]; break;
  }
  // An index past a short colour table reads as black, never beyond it.
  if (static_cast<uint32_t>(index) >= ColourCount(header)) {
    red = green = blue = 0;
    return;
  }
  const uint8_t *entry = colourTable + 4 * index;
  red = entry[2];
  green = entry[1];
  blue = entry[0];
}

std::optional<std::vector<uint32_t>> TMDIB::MakePalette() const {
  if (!header || header->biSize != 40) return std::nullopt;
  const uint32_t n = ColourCount(header);
  if (n > 0 && header->biBitCount <= 8) {
    std::vector<uint32_t> entries(n);
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t *e = colourTable + 4 * i;
      entries[i] = static_cast<uint32_t>(e[2] << 16 | e[1] << 8 | e[0]);
    }
    return entries;
  }
  if (header->biBitCount == 24) {
    std::vector<uint32_t> entries(256);
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t r = 32 * (i % 8), g = 32 * ((i / 8) % 8), b = 64 * (i / 64);
      entries[i] = r << 16 | g << 8 | b;
    }
    return entries;
  }
  return std::nullopt;
}

QImage DisplayArea(const TMDIB &dib, QSize shown, QRect area) {
  const int bpp = dib.BitsPerPixel();
  area = area.intersected(QRect(QPoint(0, 0), shown));
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0 || area.isEmpty()) return {};
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return {};
  QImage out(area.size(), QImage::Format_RGB32);
  if (out.isNull()) return {};
  std::vector<int> columns(static_cast<size_t>(area.width()));
  for (int x = 0; x < area.width(); ++x)
    columns[static_cast<size_t>(x)] =
        static_cast<int>(static_cast<int64_t>(area.left() + x) * dib.width / shown.width());
  std::vector<uint32_t> table(256, 0xff000000u);
  if (bpp <= 8)
    if (auto palette = dib.MakePalette())
      for (size_t i = 0; i < palette->size() && i < 256; ++i)
        table[i] = 0xff000000u | (*palette)[i];
  for (int y = 0; y < area.height(); ++y) {
    const int sy =
        static_cast<int>(static_cast<int64_t>(area.top() + y) * dib.height / shown.height());
    const uint8_t *s = dib.Row(dib.height - 1 - sy);
    auto *t = reinterpret_cast<uint32_t *>(out.scanLine(y));
    const int *cx = columns.data();
    const int n = area.width();
    switch (bpp) {
    case 24:
      for (int x = 0; x < n; ++x) {
        const uint8_t *p = s + 3 * cx[x];
        t[x] = 0xff000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
      }
      break;
    case 8:
      for (int x = 0; x < n; ++x)
        t[x] = table[s[cx[x]]];
      break;
    case 4:
      for (int x = 0; x < n; ++x)
        t[x] = table[(cx[x] & 1) ? (s[cx[x] >> 1] & 0x0f) : (s[cx[x] >> 1] >> 4)];
      break;
    default:
      for (int x = 0; x < n; ++x)
        t[x] = table[(s[cx[x] >> 3] >> (7 - (cx[x] & 7))) & 1];
      break;
    }
  }
  return out;
}

QImage BitmapFromDib(const TMDIB &dib) {
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0) return {};
  const int bpp = dib.BitsPerPixel();
  if (bpp == 24) {
    QImage img(dib.width, dib.height, QImage::Format_BGR888);
    if (img.isNull()) return {};
    const size_t bytes = std::min<size_t>(static_cast<size_t>(img.bytesPerLine()), dib.stride);
    for (int i = 0; i < dib.height; ++i)
      std::memcpy(img.scanLine(i), dib.Row(dib.height - 1 - i), bytes);
    return img;
  }
  if (bpp == 1 || bpp == 4 || bpp == 8) {
    // Qt has no 4-bit format: every palette image is shown as 8-bit indices.
    QImage img(dib.width, dib.height, QImage::Format_Indexed8);
    if (img.isNull()) return {};
    QList<QRgb> table(256, qRgb(0, 0, 0));
    if (auto palette = dib.MakePalette())
      for (size_t i = 0; i < palette->size() && i < 256; ++i)
        table[i] = 0xff000000u | (*palette)[i];
    img.setColorTable(table);
    for (int i = 0; i < dib.height; ++i) {
      const uint8_t *s = dib.Row(dib.height - 1 - i);
      uchar *t = img.scanLine(i);
      if (bpp == 8) {
        std::memcpy(t, s, static_cast<size_t>(dib.width));
      } else if (bpp == 4) {
        for (int x = 0; x < dib.width; ++x)
          t[x] = (x & 1) ? (s[x >> 1] & 0x0f) : (s[x >> 1] >> 4);
      } else {
        for (int x = 0; x < dib.width; ++x)
          t[x] = (s[x >> 3] >> (7 - (x & 7))) & 1;
      }
    }
    return img;
  }
  // 16 (5-5-5) and 32 bits (x-8-8-8).
  QImage img(dib.width, dib.height, QImage::Format_RGB32);
  if (img.isNull()) return {};
  for (int i = 0; i < dib.height; ++i) {
    const uint8_t *s = dib.Row(dib.height - 1 - i);
    auto *t = reinterpret_cast<QRgb *>(img.scanLine(i));
    for (int x = 0; x < dib.width; ++x) {
      if (bpp == 16) {
        const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
        t[x] = qRgb(static_cast<int>(((v >> 10) & 31) * 255 + 15) / 31,
                    static_cast<int>(((v >> 5) & 31) * 255 + 15) / 31,
                    static_cast<int>((v & 31) * 255 + 15) / 31);
      } else {
        t[x] = qRgb(s[4 * x + 2], s[4 * x + 1], s[4 * x]);
      }
    }
  }
  return img;
}

DibHandle CreateBlankDib(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const int64_t stride = TMDIB::RowStride(width, 24);
  const int64_t bytes = stride * height;
  if (bytes <= 0 || bytes > (int64_t{2} << 30) ||
      static_cast<int64_t>(width) * height > (int64_t{1} << 28))
    return {};
  DibHandle h(Kit.ImgKitMemAlloc(static_cast<uint32_t>(bytes + 40)));
  if (!h) return h;
  auto *hdr = static_cast<IMGKIT_BMIH *>(h.get());
  hdr->biSize = 40;
  hdr->biWidth = width;
  hdr->biHeight = height;
  hdr->biPlanes = 1;
  hdr->biBitCount = 24;
  hdr->biCompression = 0;
  hdr->biSizeImage = static_cast<uint32_t>(bytes);
  return h;
}

bool MakeFullColour(DibHandle &image) {
  IMGKIT_IMAGEINFO info{};
  if (!image || !Kit.ImgKitImageInfo(image.get(), &info)) return false;
  if (info.bitCount != 16 && info.bitCount != 32) return true;
  return image.Adopt(Kit.ImgKitConvertColor(image.get(), 24, 0, 0, "", ""));
}

DibHandle DibFromBitmap(const QImage &bitmap) {
  if (bitmap.isNull()) return {};
  int bpp;
  QImage src;
  switch (bitmap.format()) {
  case QImage::Format_RGB888:
  case QImage::Format_BGR888:
    bpp = 24;
    src = bitmap.convertToFormat(QImage::Format_BGR888);
    break;
  case QImage::Format_Indexed8:
    bpp = 8;
    src = bitmap;
    break;
  case QImage::Format_Mono:
  case QImage::Format_MonoLSB:
    bpp = 1;
    src = bitmap.convertToFormat(QImage::Format_Mono);
    break;
  default: return {};
  }
  const int w = src.width(), h = src.height();
  if (static_cast<int64_t>(w) * h > (int64_t{1} << 28)) return {};
  const QList<QRgb> table = bpp <= 8 ? src.colorTable() : QList<QRgb>{};
  const int colours = bpp <= 8 ? std::min<int>(static_cast<int>(table.size()), 1 << bpp) : 0;
  const int64_t stride = TMDIB::RowStride(w, bpp);
  const int64_t bytes = stride * h;
  if (bytes > (int64_t{2} << 30)) return {};
  DibHandle out(Kit.ImgKitMemAlloc(static_cast<uint32_t>(40 + 4 * colours + bytes)));
  if (!out) return out;
  auto *hdr = static_cast<IMGKIT_BMIH *>(out.get());
  hdr->biSize = 40;
  hdr->biWidth = w;
  hdr->biHeight = h;
  hdr->biPlanes = 1;
  hdr->biBitCount = static_cast<uint16_t>(bpp);
  hdr->biSizeImage = static_cast<uint32_t>(bytes);
  if (bpp <= 8) {
    // An explicit count keeps a short table short; a full one reads as 0.
    hdr->biClrUsed = colours == (1 << bpp) ? 0 : static_cast<uint32_t>(colours);
    // A table with no entries would read as a full one: give it one entry.
    if (colours == 0) return {};
  }
  auto *table8 = reinterpret_cast<uint8_t *>(hdr) + 40;
  for (int i = 0; i < colours; ++i) {
    table8[4 * i] = static_cast<uint8_t>(qBlue(table[i]));
    table8[4 * i + 1] = static_cast<uint8_t>(qGreen(table[i]));
    table8[4 * i + 2] = static_cast<uint8_t>(qRed(table[i]));
  }
  uint8_t *pixels = table8 + 4 * colours;
  const size_t rowBytes = static_cast<size_t>((static_cast<int64_t>(w) * bpp + 7) / 8);
  for (int n = 0; n < h; ++n)
    std::memcpy(pixels + n * stride, src.constScanLine(h - 1 - n), rowBytes);
  return out;
}

PreviewCopy MakePreviewCopy(IMGHANDLE image, bool areaShown, int x, int y) {
  PreviewCopy preview;
  if (!image) return preview;
  const auto *hdr = static_cast<const IMGKIT_BMIH *>(image);
  const int width = hdr->biWidth, height = hdr->biHeight;
  // Both kit calls leave their input as it is and return a new handle, so
  // the preview is taken from the picture itself: a copy of a large photo
  // first would double its memory for a moment.
  DibHandle copy;
  if (areaShown) {
    if (!copy.Adopt(Kit.ImgKitRectCut(image, "", "", x, y, x + 99, y + 99))) return preview;
    // Near the edges of a small picture the cut can be smaller than 100.
    const auto *c = static_cast<const IMGKIT_BMIH *>(copy.get());
    preview.width = c->biWidth;
    preview.height = c->biHeight;
  } else {
    if (height < width) {
      preview.width = 100;
      preview.height = height * 100 / width;
    } else {
      preview.width = width * 100 / height;
      preview.height = 100;
    }
    // A sliver of a picture still gets a one-pixel preview.
    preview.width = std::max(preview.width, 1);
    preview.height = std::max(preview.height, 1);
    if (!copy.Adopt(Kit.ImgKitImageSize(image, "", "", preview.width, preview.height)))
      return PreviewCopy{};
  }
  preview.image = std::move(copy);
  return preview;
}

void ApplyChannelTables(TMDIB &dib, const uint8_t blue[256], const uint8_t green[256],
                        const uint8_t red[256], Progress *progress) {
  ForEachColour(
      dib,
      [&](uint8_t *p) {
        p[0] = blue[p[0]];
        p[1] = green[p[1]];
        p[2] = red[p[2]];
      },
      progress);
}
