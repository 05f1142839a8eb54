#include "print/PrintPage.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

namespace {

QFont PrintFont(int points) {
  QFont font(kPrintFontFamily);
  font.setPointSize(points);
  return font;
}

PlaceRect DrawLine(QPainter &painter, int left, int top, const QString &text) {
  const QFontMetrics metrics(painter.font(), painter.device());
  const PlaceRect r{left, top, std::max(1, metrics.horizontalAdvance(text)), metrics.height()};
  painter.drawText(QRect(r.left, r.top, r.width, r.height), Qt::AlignLeft | Qt::AlignTop, text);
  return r;
}

} // namespace

QStringList CaptionLines(const PrintTexts &t) {
  return {QStringLiteral("撮影日 ： ") + t.date, QStringLiteral("撮影者 ： ") + t.photographer,
          QStringLiteral("画像ファイル名 ： ") + t.fileName,
          QStringLiteral("備考 ： ") + t.remarks};
}

PrintedPage DrawPrintPage(QPainter &painter, int pageWidth, int pageHeight, const QImage &picture,
                          const PrintSettings &settings, const PrintTexts &texts) {
  PrintedPage page;
  page.image = PlaceImage(picture.width(), picture.height(), settings.imageSize,
                          settings.sizeFactor, pageWidth, pageHeight);
  const PlaceRect &im = page.image;
  if (im.width > 0 && im.height > 0) {
    const QRect target(im.left, im.top, im.width, im.height);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Reduced here, smoothly, to the pixels the device prints; enlarged by
    // the device with the same smoothing.
    if (im.width < picture.width() && im.height < picture.height())
      painter.drawImage(target, picture.scaled(im.width, im.height, Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation));
    else
      painter.drawImage(target, picture);
  }

  painter.setPen(Qt::black);
  if (StyleHasTitle(settings.style)) {
    painter.setFont(PrintFont(kTitlePoints));
    const QFontMetrics metrics(painter.font(), painter.device());
    const int width = metrics.horizontalAdvance(texts.title);
    const int left = (pageWidth - width) / 2;
    page.title = DrawLine(painter, left, TitleTop(im.top, metrics.height()), texts.title);
  }
  if (StyleHasCaptions(settings.style)) {
    painter.setFont(PrintFont(kCaptionPoints));
    const QStringList lines = CaptionLines(texts);
    const QFontMetrics metrics(painter.font(), painter.device());
    const int left = CaptionLeft(pageWidth);
    int top = FirstCaptionTop(pageWidth, pageHeight, metrics.height());
    for (int i = 0; i < 4; ++i) {
      page.captions[i] = DrawLine(painter, left, top, lines[i]);
      top += CaptionStep(page.captions[i].height);
    }
  }
  return page;
}
