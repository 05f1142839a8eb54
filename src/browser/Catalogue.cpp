#include "browser/Catalogue.h"

#include "adjust/Fresize.h"
#include "browser/BrowserOptions.h"
#include "browser/ThumbStore.h"
#include "image/ImageFile.h"
#include "image/Kit.h"
#include "image/Progress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <iconv.h>

#include <algorithm>
#include <set>

namespace {

QString ReplaceExtension(const QString &name, const QString &extension) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return (dot >= 0 ? name.left(dot) : name) + extension;
}

QString FileNameOf(const QString &path) {
  const qsizetype cut =
      std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return path.mid(cut + 1);
}

QString InFolder(const QString &folder, const QString &name) {
  return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// One code point to code page 932; empty when it has no place there.
class Cp932 {
public:
  Cp932() : cd_(iconv_open("CP932", "UTF-8")) {}
  Cp932(const Cp932 &) = delete;
  Cp932 &operator=(const Cp932 &) = delete;
  ~Cp932() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  QByteArray operator()(const QByteArray &utf8) const {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return {};
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char *src = const_cast<char *>(utf8.constData());
    size_t srcLeft = static_cast<size_t>(utf8.size());
    char *dst = out;
    size_t dstLeft = sizeof out;
    if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0)
      return {};
    return QByteArray(out, static_cast<qsizetype>(sizeof out - dstLeft));
  }

private:
  iconv_t cd_;
};

// Copies `from` to `to` through a temporary file beside `to`.
bool CopyInto(const QString &from, const QString &to) {
  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) return false;
  QSaveFile out(to);
  if (!out.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = in.readAll();
  if (in.error() != QFileDevice::NoError || out.write(bytes) != bytes.size()) {
    out.cancelWriting();
    return false;
  }
  return out.commit();
}

// A new catalogue thumbnail of `imagePath`: longer side `side`.
bool MakeCatalogueThumb(const QString &imagePath, const QString &thumbPath, int side) {
  DibHandle image = LoadImageFile(QFile::encodeName(imagePath).toStdString());
  IMGKIT_IMAGEINFO info{};
  if (!image || !Kit.ImgKitImageInfo(image.get(), &info) || info.width < 1 || info.height < 1)
    return false;
  if (info.bitCount != 24 && !image.Adopt(Kit.ImgKitConvertColor(image.get(), 24, 0, 0, "", "")))
    return false;
  int w = side;
  int h = side;
  if (info.height < info.width)
    h = static_cast<int>(int64_t{side} * info.height / info.width);
  else
    w = static_cast<int>(int64_t{side} * info.width / info.height);
  const DibHandle thumb =
      ResizedImage(image.get(), std::max(w, 1), std::max(h, 1), ResizeMethod::Oversampling);
  return thumb && WriteThumbnail(thumb.get(), thumbPath);
}

} // namespace

QString CatalogueThumbName(const QString &imagePath) {
  return QStringLiteral("thumb_") + ReplaceExtension(FileNameOf(imagePath), QStringLiteral(".jpg"));
}

QString CataloguePagePath(const QString &outFolder, const QString &fileName) {
  const QString name = FileNameOf(fileName.trimmed());
  if (name.isEmpty()) return {};
  return InFolder(outFolder, ReplaceExtension(name, QStringLiteral(".html")));
}

QString HtmlEscaped(const QString &text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    switch (c.unicode()) {
    case '<': out += QStringLiteral("&lt;"); break;
    case '>': out += QStringLiteral("&gt;"); break;
    case '&': out += QStringLiteral("&amp;"); break;
    case '"': out += QStringLiteral("&quot;"); break;
    default: out += c;
    }
  }
  return out;
}

QString HtmlLink(const QString &path) {
  return HtmlEscaped(QString::fromLatin1(QUrl::toPercentEncoding(path, "/")));
}

QByteArray ToCp932(const QString &text) {
  static const Cp932 convert;
  QByteArray out;
  out.reserve(text.size() * 2);
  for (const uint cp : text.toUcs4()) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    const QByteArray bytes =
        convert(QString::fromUcs4(reinterpret_cast<const char32_t *>(&cp), 1).toUtf8());
    out += bytes.isEmpty() ? QByteArray("&#") + QByteArray::number(cp) + ';' : bytes;
  }
  return out;
}

QByteArray CataloguePage(const std::vector<CatalogueItem> &items, const CatalogueOptions &o) {
  QString page;
  auto line = [&page](const QString &text) {
    QString t = text;
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    page += t;
  };
  line(QStringLiteral("<html>\n\n"));
  line(QStringLiteral("<head>\n"));
  line(QStringLiteral(
      "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">\n"));
  line(QStringLiteral("\t<GENERATOR\" content=\"Photo Retouch VELMIR by Kzr\">\n"));
  line(QStringLiteral("\t<title>イメージカタログ.</title>\n"));
  line(QStringLiteral("</head>\n\n"));
  line(QStringLiteral("<body bgcolor=\"#FFFFFF\">\n"));
  line(QStringLiteral("\t<p align=\"center\"><font color=\"#000080\" size=\"4\"><strong>%1"
                      "</strong></font></p>\n")
           .arg(HtmlEscaped(o.title)));
  line(QStringLiteral("\t<hr>\n"));
  line(QStringLiteral("\t<div align=\"center\"><center>\n\n"));
  line(QStringLiteral("\t<table border=\"1\">\n\n"));
  const int n = static_cast<int>(items.size());
  const int c = std::clamp(o.columns, 1, kMaxCatalogueColumns);
  for (int k = 0; k < n; k += c) {
    const int end = std::min(n, k + c);
    auto link = [&o](const CatalogueItem &item) {
      return HtmlLink(o.noPath ? FileNameOf(item.image) : item.image);
    };
    line(QStringLiteral("<tr>\n"));
    for (int i = k; i < end; ++i) {
      const CatalogueItem &item = items[static_cast<size_t>(i)];
      const QString src = HtmlLink(FileNameOf(item.thumb));
      if (o.links)
        line(QStringLiteral("\t<td><center><a href=\"%1\"><img src=\"%2\" border=\"0\"></a>"
                            "</center></td>\n")
                 .arg(link(item), src));
      else
        line(
            QStringLiteral("\t<td><center><img src=\"%1\" border=\"0\"></center></td>\n").arg(src));
    }
    line(QStringLiteral("</tr>\n"));
    line(QStringLiteral("<tr>\n"));
    for (int i = k; i < end; ++i) {
      const CatalogueItem &item = items[static_cast<size_t>(i)];
      const QString name = HtmlEscaped(FileNameOf(item.image));
      if (o.links)
        line(QStringLiteral("\t<td><center><a href=\"%1\"><font size=\"2\">%2</font></a>"
                            "</center></td>\n")
                 .arg(link(item), name));
      else
        line(QStringLiteral("\t<td><center><font size=\"2\">%1</font></center></td>\n").arg(name));
    }
    line(QStringLiteral("</tr>\n"));
  }
  line(QStringLiteral("</table>\n\n"));
  line(QStringLiteral("</center></div>\n"));
  line(QStringLiteral("<hr>\n"));
  line(QStringLiteral("</body>\n\n"));
  line(QStringLiteral("</html>\n"));
  return ToCp932(page);
}

QString ThumbBesideImage(const QString &imagePath) {
  const QString sam = ThumbnailName(imagePath);
  return QFileInfo::exists(sam) ? sam : QString();
}

CatalogueResult WriteCatalogue(const CatalogueOptions &options, const ThumbSource &source,
                               Progress *progress, const std::function<void()> &afterImage) {
  CatalogueResult result;
  if (options.outFolder.trimmed().isEmpty()) {
    result.message = CatalogueText::kNoFolder;
    return result;
  }
  result.pagePath = CataloguePagePath(options.outFolder, options.fileName);
  if (options.fileName.trimmed().isEmpty() || result.pagePath.isEmpty()) {
    result.message = CatalogueText::kNoName;
    return result;
  }
  const QFileInfo out(options.outFolder);
  if (!out.isDir() || !out.isWritable()) {
    result.message = CatalogueText::kCannotCreate;
    return result;
  }

  std::vector<ListedImage> listed;
  ListImages(options.imageFolder, options.enableFile, listed);
  // In its own folder, a catalogue made before lists its thumbnails as
  // images: those of images still listed are left out.
  const bool sameFolder =
      QFileInfo(options.imageFolder).canonicalFilePath() == out.canonicalFilePath();
  if (sameFolder) {
    std::set<QString> thumbNames;
    for (const ListedImage &image : listed)
      thumbNames.insert(CatalogueThumbName(image.path));
    std::erase_if(listed, [&](const ListedImage &image) {
      return thumbNames.count(QFileInfo(image.path).fileName()) != 0;
    });
  }

  std::vector<CatalogueItem> items;
  const ThumbSource from = source ? source : ThumbSource(ThumbBesideImage);
  if (options.remake == 0) {
    // The thumbnails the browser has, copied to their catalogue names (a
    // copy even in the image folder, so the browser keeps its own).
    for (const ListedImage &image : listed) {
      const QString thumb = from(image.path);
      if (thumb.isEmpty()) continue;
      const QString target = InFolder(options.outFolder, CatalogueThumbName(image.path));
      if (!CopyInto(thumb, target)) continue;
      ++result.thumbsWritten;
      items.push_back({image.path, target});
      if (afterImage) afterImage();
    }
  } else {
    int side = options.thumbSide < 1 ? 100 : options.thumbSide;
    side = std::min(side, kMaxCatalogueThumbSide);
    if (progress) progress->SetRange(static_cast<int>(listed.size()));
    for (const ListedImage &image : listed) {
      const QString target = InFolder(options.outFolder, CatalogueThumbName(image.path));
      // An image that cannot be read stays on the page without a thumbnail.
      if (MakeCatalogueThumb(image.path, target, side)) ++result.thumbsWritten;
      items.push_back({image.path, target});
      if (progress) progress->Step();
      if (afterImage) afterImage();
    }
  }

  QSaveFile page(result.pagePath);
  const QByteArray bytes = CataloguePage(items, options);
  if (!page.open(QIODevice::WriteOnly) || page.write(bytes) != bytes.size() || !page.commit()) {
    result.message = CatalogueText::kCannotCreate;
    return result;
  }
  result.written = true;
  result.images = static_cast<int>(items.size());
  return result;
}
