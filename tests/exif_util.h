// Photo metadata as the tests see it: read and written with Exiv2 itself,
// never with the program's own code, so that a test checks what any other
// photo program would find in the file.
#pragma once

#include <exiv2/exiv2.hpp>

#include <string>

namespace exif_util {

// The value of an EXIF, IPTC or XMP key ("Exif.Image.Model",
// "Xmp.dc.subject"), or "" when the file does not have it.
inline std::string Value(const std::string &path, const std::string &key) {
  try {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    if (key.rfind("Exif.", 0) == 0) {
      auto it = image->exifData().findKey(Exiv2::ExifKey(key));
      return it == image->exifData().end() ? std::string() : it->toString();
    }
    if (key.rfind("Iptc.", 0) == 0) {
      auto it = image->iptcData().findKey(Exiv2::IptcKey(key));
      return it == image->iptcData().end() ? std::string() : it->toString();
    }
    auto it = image->xmpData().findKey(Exiv2::XmpKey(key));
    return it == image->xmpData().end() ? std::string() : it->toString();
  } catch (const Exiv2::AnyError &) {
    return {};
  }
}

// The file's ICC profile, "" when it has none.
inline std::string IccProfile(const std::string &path) {
  try {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    if (!image->iccProfileDefined()) return {};
    const Exiv2::DataBuf *icc = image->iccProfile();
    return std::string(reinterpret_cast<const char *>(icc->pData_),
                       static_cast<size_t>(icc->size_));
  } catch (const Exiv2::AnyError &) {
    return {};
  }
}

// Whether the file carries an EXIF thumbnail.
inline bool HasExifThumbnail(const std::string &path) {
  try {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Exiv2::ExifThumbC thumb(image->exifData());
    return thumb.copy().size_ > 0;
  } catch (const Exiv2::AnyError &) {
    return false;
  }
}

// Sets the orientation tag of an existing file (1 ... 8, or any number to
// test what readers make of it).
inline bool SetOrientation(const std::string &path, int orientation) {
  try {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    image->exifData()["Exif.Image.Orientation"] = static_cast<uint16_t>(orientation);
    image->writeMetadata();
    return true;
  } catch (const Exiv2::AnyError &) {
    return false;
  }
}

// What a camera or phone writes, put into an existing JPEG or TIFF file: date
// taken, camera model, a GPS position, an XMP keyword, an IPTC keyword, the
// pixel dimensions, an EXIF preview and, when given, an ICC profile.
inline bool TagLikeACamera(const std::string &path, int orientation, const std::string &icc = {}) {
  try {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    Exiv2::ExifData &exif = image->exifData();
    exif["Exif.Image.Model"] = "VelmirCam 7";
    exif["Exif.Image.Orientation"] = static_cast<uint16_t>(orientation);
    exif["Exif.Photo.DateTimeOriginal"] = "2024:05:06 07:08:09";
    exif["Exif.Photo.PixelXDimension"] = static_cast<uint32_t>(4000);
    exif["Exif.Photo.PixelYDimension"] = static_cast<uint32_t>(3000);
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    exif["Exif.GPSInfo.GPSLatitude"] = "35/1 40/1 1234/100";
    Exiv2::ExifThumb thumb(exif);
    // A tiny JPEG as the preview: just its start and end markers suffice.
    const Exiv2::byte preview[] = {0xFF, 0xD8, 0xFF, 0xD9};
    thumb.setJpegThumbnail(preview, sizeof preview);
    image->xmpData()["Xmp.dc.subject"] = "sakura";
    image->iptcData()["Iptc.Application2.Keywords"] = "hanami";
    if (!icc.empty()) {
      Exiv2::DataBuf buf(reinterpret_cast<const Exiv2::byte *>(icc.data()),
                         static_cast<long>(icc.size()));
      image->setIccProfile(buf, false);
    }
    image->writeMetadata();
    return true;
  } catch (const Exiv2::AnyError &) {
    return false;
  }
}

} // namespace exif_util
