#include "effects/TextPicture.h"

#include "adjust/Fresize.h"
#include "image/Dib.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdint>

QFont TextFont(const TextStyle &style, int scale) {
  QFont font(style.face);
  // Whole pixels as the screen font has them: points at 96 dpi, rounded.
  const int64_t points = int64_t(style.points) * scale;
  font.setPixelSize(int(std::max<int64_t>(1, (points * 96 + 36) / 72)));
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

int BoldOverstrike(const QFont &font) {
  if (!font.bold()) return 0;
  const QString family = QFontInfo(font).family();
  for (const QString &style : QFontDatabase::styles(family))
    if (QFontDatabase::weight(family, style) >= QFont::DemiBold) return 0;
  return std::max(1, font.pixelSize() / 20);
}

QSize TextExtent(const QFont &font, const QString &text) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(text);
  return {width > 0 ? width + BoldOverstrike(font) : 0, metrics.height()};
}

QImage RenderText(const TextStyle &style, const QString &text, int margin, int scale) {
  if (margin < 0) return {};
  const QFont font = TextFont(style, scale);
  const QSize extent = TextExtent(font, text);
  const int64_t width = 2 * int64_t(margin) + extent.width();
  const int64_t height = 2 * int64_t(margin) + extent.height();
  if (width > kTextPictureMaxSide || height > kTextPictureMaxSide || width < 1 || height < 1)
    return {};
  QImage picture(int(width), int(height), QImage::Format_RGB888);
  if (picture.isNull()) return {};
  picture.fill(QColor::fromRgb(style.backgroundRgb));
  QPainter painter(&picture);
  painter.setFont(font);
  painter.setPen(QColor::fromRgb(style.textRgb));
  const int overstrike = BoldOverstrike(font);
  for (int dx = 0; dx <= overstrike; ++dx)
    painter.drawText(QRect(margin + dx, margin, extent.width(), extent.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text);
  return picture;
}

DibHandle MakeTextPicture(const TextStyle &style, const QString &text, int margin,
                          bool antiAliased) {
  if (margin < kTextMarginMin || margin > kTextMarginMax) return {};
  const int k = antiAliased ? 2 : 1;
  const int doubled = 2 * margin;
  DibHandle rendered = DibFromBitmap(RenderText(style, text, k * doubled, k));
  if (!rendered || !antiAliased) return rendered;
  const TMDIB large(rendered.get());
  DibHandle reduced = CreateBlankDib(std::max(1, large.width / 2), std::max(1, large.height / 2));
  if (!reduced) return {};
  TMDIB small(reduced.get());
  AreaAverageResize(small, large);
  return reduced;
}
