#include "qt_bridge.h"

#include "dib.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <cstring>

namespace kit {

QImage ToQImage(IMGHANDLE h) {
  Dib d;
  if (!ViewOf(h, d)) return {};
  if (d.IsPalette()) {
    QImage img(d.width, d.height, QImage::Format_Indexed8);
    if (img.isNull()) return {};
    // Indices beyond a short colour table show as black rather than reading
    // past it.
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (int i = 0; i < d.colourCount && i < 256; ++i)
      table[i] = qRgb(d.palette[i].r, d.palette[i].g, d.palette[i].b);
    img.setColorTable(table);
    for (int y = 0; y < d.height; ++y) {
      const uint8_t *s = d.TopRow(y);
      uchar *t = img.scanLine(y);
      if (d.bpp == 8) {
        std::memcpy(t, s, static_cast<size_t>(d.width));
      } else {
        for (int x = 0; x < d.width; ++x) t[x] = static_cast<uchar>(PaletteIndex(s, x, d.bpp));
      }
    }
    return img;
  }
  if (d.bpp == 24) {
    QImage img(d.width, d.height, QImage::Format_BGR888);
    if (img.isNull()) return {};
    for (int y = 0; y < d.height; ++y)
      std::memcpy(img.scanLine(y), d.TopRow(y), static_cast<size_t>(d.width) * 3);
    return img;
  }
  QImage img(d.width, d.height, QImage::Format_RGB32);
  if (img.isNull()) return {};
  for (int y = 0; y < d.height; ++y) {
    const uint8_t *s = d.TopRow(y);
    auto *t = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < d.width; ++x) {
      uint8_t bgr[3];
      PixelBgr(d, s, x, bgr);
      t[x] = qRgb(bgr[2], bgr[1], bgr[0]);
    }
  }
  return img;
}

IMGHANDLE FromQImage(const QImage &image) {
  if (image.isNull()) return nullptr;
  QImage src = image;
  if (src.hasAlphaChannel()) {
    QImage flat(src.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter p(&flat);
    p.drawImage(0, 0, src);
    p.end();
    src = flat;
  }
  src = src.convertToFormat(QImage::Format_BGR888);
  Dib d;
  IMGHANDLE h = NewDib(src.width(), src.height(), 24, 0, &d);
  if (!h) return nullptr;
  for (int y = 0; y < d.height; ++y)
    std::memcpy(d.TopRow(y), src.constScanLine(y), static_cast<size_t>(d.width) * 3);
  return h;
}

IMGHANDLE FromClipboard() {
  if (!QGuiApplication::instance()) return nullptr;
  const QImage img = QGuiApplication::clipboard()->image();
  return FromQImage(img);
}

bool ToClipboard(IMGHANDLE h) {
  if (!QGuiApplication::instance()) return false;
  const QImage img = ToQImage(h);
  if (img.isNull()) return false;
  QGuiApplication::clipboard()->setImage(img);
  return true;
}

bool Draw(QPainter *painter, IMGHANDLE h, int x, int y) {
  if (!painter) return false;
  const QImage img = ToQImage(h);
  if (img.isNull()) return false;
  painter->drawImage(x, y, img);
  return true;
}

} // namespace kit
