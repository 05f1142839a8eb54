#include "image/ColourProfile.h"

#include "image/JpegMarkers.h"
#include "image/Metadata.h"

#include <QColorSpace>

#include <cstring>
#include <map>
#include <vector>

DisplayProfile DisplayProfile::FromIcc(const std::string &icc) {
  DisplayProfile out;
  if (icc.empty()) return out;
  const QColorSpace space =
      QColorSpace::fromIccProfile(QByteArray(icc.data(), static_cast<qsizetype>(icc.size())));
  if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb)) return out;
  out.toSrgb_ = space.transformationToColorSpace(QColorSpace(QColorSpace::SRgb));
  out.converts_ = !out.toSrgb_.isIdentity();
  return out;
}

DisplayProfile DisplayProfile::ForFile(const std::string &path) {
  // A JPEG file's profile is read from its head alone (cheap and safe on
  // any thread); other formats through Exiv2.
  bool jpeg = false;
  std::string icc = JpegIccProfile(path, &jpeg);
  if (!jpeg) icc = PhotoMetadata::Read(path).IccProfile();
  return FromIcc(icc);
}

void DisplayProfile::ToDisplay(QImage &bitmap) const {
  if (!converts_ || bitmap.isNull()) return;
  const QImage::Format f = bitmap.format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
      f != QImage::Format_ARGB32_Premultiplied)
    bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
  bitmap.applyColorTransform(toSrgb_);
}

std::string JpegIccProfile(const std::string &path, bool *isJpeg) {
  static const char kSignature[] = "ICC_PROFILE"; // with its terminating zero: 12 bytes
  std::map<int, std::vector<uint8_t>> pieces;
  int count = 0;
  bool damaged = false;
  const bool jpeg =
      ForEachJpegSegment(path, 0xE2, 0xE2, [&](int, const std::vector<uint8_t> &block) {
        if (block.size() < 14 || std::memcmp(block.data(), kSignature, 12) != 0) return true;
        const int number = block[12], total = block[13];
        if (number < 1 || total < 1 || number > total || (count && total != count) ||
            pieces.count(number)) {
          damaged = true;
          return false;
        }
        count = total;
        pieces[number].assign(block.begin() + 14, block.end());
        return true;
      });
  if (isJpeg) *isJpeg = jpeg;
  if (damaged || count == 0 || static_cast<int>(pieces.size()) != count) return {};
  std::string icc;
  for (const auto &[number, bytes] : pieces)
    icc.append(reinterpret_cast<const char *>(bytes.data()), bytes.size());
  return icc;
}
