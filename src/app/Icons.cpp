#include "app/Icons.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QColor GroupColour(Glyph group) {
  switch (group) {
  case Glyph::File: return QColor(0x2f, 0x6f, 0xb8);
  case Glyph::Scan: return QColor(0x4a, 0x5a, 0x9a);
  case Glyph::Edit: return QColor(0x2e, 0x8b, 0x57);
  case Glyph::View: return QColor(0x5f, 0x6b, 0x78);
  case Glyph::Auto: return QColor(0xc0, 0x39, 0x2b);
  case Glyph::Variation: return QColor(0x16, 0x8f, 0x8f);
  case Glyph::Adjust: return QColor(0xd3, 0x7a, 0x10);
  case Glyph::Size: return QColor(0x7a, 0x5c, 0x3a);
  case Glyph::Filter: return QColor(0x6c, 0x3f, 0xa8);
  case Glyph::Effect: return QColor(0xb0, 0x3a, 0x7a);
  case Glyph::Mode: return QColor(0x40, 0x40, 0x40);
  case Glyph::Rotate: return QColor(0x3b, 0x7d, 0x3b);
  case Glyph::OneClick: return QColor(0xb8, 0x86, 0x0b);
  case Glyph::Depth: return QColor(0x1f, 0x4e, 0x79);
  case Glyph::Frame: return QColor(0x8e, 0x44, 0xad);
  case Glyph::Special: return QColor(0x7f, 0x1d, 0x4f);
  case Glyph::Wall: return QColor(0x00, 0x7a, 0x99);
  }
  return QColor(Qt::darkGray);
}

// Drawn at twice the toolbar size so the icon stays crisp when scaled.
QPixmap DrawGlyph(const QString &label, const QColor &colour) {
  constexpr int kSize = 48;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QPainterPath square;
  square.addRoundedRect(QRectF(2, 2, kSize - 4, kSize - 4), 9, 9);
  p.fillPath(square, colour);
  p.setPen(QPen(colour.darker(140), 2));
  p.drawPath(square);

  QFont font;
  font.setBold(true);
  // The largest size at which the label fits inside the square.
  const int room = kSize - 12;
  int pixelSize = 30;
  for (; pixelSize > 8; --pixelSize) {
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(label) <= room && metrics.height() <= room + 8) break;
  }
  font.setPixelSize(pixelSize);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, label);
  return pixmap;
}

} // namespace

QIcon ButtonGlyph(const QString &label, Glyph group) {
  static QHash<QString, QIcon> cache;
  // Pixmaps must go before the application object does.
  static const bool cleanupAdded = [] {
    qAddPostRoutine([] { cache.clear(); });
    return true;
  }();
  Q_UNUSED(cleanupAdded);
  const QString key = QString::number(static_cast<int>(group)) + QLatin1Char(':') + label;
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  QIcon icon(DrawGlyph(label, GroupColour(group)));
  cache.insert(key, icon);
  return icon;
}

namespace {

// desktop/velmir.svg on its 64 x 64 grid.
QPixmap ApplicationPixmap(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(side / 64.0, side / 64.0);
  p.setPen(Qt::NoPen);
  auto polygon = [&p](std::initializer_list<QPointF> points, QColor colour) {
    p.setBrush(colour);
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
  };
  p.setBrush(QColor(0x1f, 0x3b, 0x73));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  p.setBrush(QColor(0x8e, 0xc5, 0xff));
  p.drawRoundedRect(QRectF(9, 11, 46, 38), 3, 3);
  p.setBrush(QColor(0xff, 0xd2, 0x3f));
  p.drawEllipse(QPointF(42, 22), 6, 6);
  polygon({{9, 49}, {24, 28}, {34, 40}, {41, 33}, {55, 49}}, QColor(0x2e, 0x8b, 0x57));
  polygon({{9, 49}, {24, 28}, {30, 36}, {20, 49}}, QColor(0x23, 0x6b, 0x43));
  polygon({{34, 58}, {56, 36}, {60, 40}, {38, 62}}, QColor(0xe9, 0x4f, 0x37));
  polygon({{56, 36}, {59, 33}, {63, 37}, {60, 40}}, QColor(0xf2, 0xf2, 0xf2));
  return pixmap;
}

} // namespace

QIcon ApplicationIcon() {
  static const QIcon icon = [] {
    QIcon made;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
      made.addPixmap(ApplicationPixmap(side));
    return made;
  }();
  return icon;
}
