#include "image/Metadata.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

struct PhotoMetadata::Data {
  Exiv2::ExifData exif;
  Exiv2::IptcData iptc;
  Exiv2::XmpData xmp;
  std::string icc;
};

namespace {

// The XMP toolkit is not safe across threads (the thumbnail refresh reads
// profiles on its decoding threads): one Exiv2 call at a time.
std::mutex &Exiv2Lock() {
  static std::mutex lock;
  return lock;
}

// The XMP toolkit must be set up once before any thread parses a packet;
// Exiv2's warnings about odd files are not the user's business.
void InitialiseExiv2() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize();
  });
}

// Tags that describe how the source file stored its pixels (strips, tiles,
// compression, depth) or its preview; the written file has its own.
const char *const kStructureTags[] = {
    "Exif.Image.NewSubfileType",
    "Exif.Image.SubfileType",
    "Exif.Image.ImageWidth",
    "Exif.Image.ImageLength",
    "Exif.Image.BitsPerSample",
    "Exif.Image.Compression",
    "Exif.Image.PhotometricInterpretation",
    "Exif.Image.FillOrder",
    "Exif.Image.StripOffsets",
    "Exif.Image.SamplesPerPixel",
    "Exif.Image.RowsPerStrip",
    "Exif.Image.StripByteCounts",
    "Exif.Image.PlanarConfiguration",
    "Exif.Image.Predictor",
    "Exif.Image.ColorMap",
    "Exif.Image.TileWidth",
    "Exif.Image.TileLength",
    "Exif.Image.TileOffsets",
    "Exif.Image.TileByteCounts",
    "Exif.Image.SubIFDs",
    "Exif.Image.ExtraSamples",
    "Exif.Image.SampleFormat",
    "Exif.Image.JPEGInterchangeFormat",
    "Exif.Image.JPEGInterchangeFormatLength",
    "Exif.Image.YCbCrSubSampling",
    "Exif.Image.InterColorProfile", // carried as the ICC profile itself
};

void Erase(Exiv2::ExifData &exif, const char *key) {
  auto it = exif.findKey(Exiv2::ExifKey(key));
  while (it != exif.end()) {
    exif.erase(it);
    it = exif.findKey(Exiv2::ExifKey(key));
  }
}

// Where the value is there, it gets the new number.
void Update(Exiv2::XmpData &xmp, const char *key, long value) {
  auto it = xmp.findKey(Exiv2::XmpKey(key));
  if (it != xmp.end()) it->setValue(std::to_string(value));
}

} // namespace

PhotoMetadata::PhotoMetadata() : d_(new Data) {}
PhotoMetadata::~PhotoMetadata() = default;
PhotoMetadata::PhotoMetadata(const PhotoMetadata &o) : d_(new Data(*o.d_)) {}
PhotoMetadata &PhotoMetadata::operator=(const PhotoMetadata &o) {
  if (this != &o) *d_ = *o.d_;
  return *this;
}
PhotoMetadata::PhotoMetadata(PhotoMetadata &&o) noexcept : d_(std::move(o.d_)) {
  o.d_.reset(new Data);
}
PhotoMetadata &PhotoMetadata::operator=(PhotoMetadata &&o) noexcept {
  std::swap(d_, o.d_);
  return *this;
}

PhotoMetadata PhotoMetadata::Read(const std::string &path) {
  InitialiseExiv2();
  const std::lock_guard<std::mutex> hold(Exiv2Lock());
  PhotoMetadata out;
  try {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    if (!image.get()) return out;
    image->readMetadata();
    out.d_->exif = image->exifData();
    out.d_->iptc = image->iptcData();
    out.d_->xmp = image->xmpData();
    if (image->iccProfileDefined()) {
      const Exiv2::DataBuf *icc = image->iccProfile();
      out.d_->icc.assign(reinterpret_cast<const char *>(icc->pData_),
                         static_cast<size_t>(icc->size_));
    }
  } catch (const std::exception &) {
    return PhotoMetadata();
  }
  return out;
}

bool PhotoMetadata::Empty() const {
  return d_->exif.empty() && d_->iptc.empty() && d_->xmp.empty() && d_->icc.empty();
}

const std::string &PhotoMetadata::IccProfile() const { return d_->icc; }

bool PhotoMetadata::WriteInto(const std::string &path, int width, int height) const {
  InitialiseExiv2();
  const std::lock_guard<std::mutex> hold(Exiv2Lock());
  try {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    if (!image.get()) return false;
    image->readMetadata();
    Exiv2::ExifData exif = d_->exif;
    if (!exif.empty()) {
      Exiv2::ExifThumb(exif).erase();
      for (const char *key : kStructureTags)
        Erase(exif, key);
      // Further images of a TIFF source (pages, previews) are not in the file.
      for (auto it = exif.begin(); it != exif.end();) {
        const std::string group = it->groupName();
        if (group.rfind("SubImage", 0) == 0 || group.rfind("Thumbnail", 0) == 0 ||
            group.rfind("Image2", 0) == 0 || group.rfind("Image3", 0) == 0)
          it = exif.erase(it);
        else
          ++it;
      }
      exif["Exif.Image.Orientation"] = static_cast<uint16_t>(1);
      if (exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension")) != exif.end() ||
          exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelYDimension")) != exif.end()) {
        exif["Exif.Photo.PixelXDimension"] = static_cast<uint32_t>(width);
        exif["Exif.Photo.PixelYDimension"] = static_cast<uint32_t>(height);
      }
    }
    Exiv2::XmpData xmp = d_->xmp;
    Update(xmp, "Xmp.tiff.Orientation", 1);
    Update(xmp, "Xmp.tiff.ImageWidth", width);
    Update(xmp, "Xmp.tiff.ImageLength", height);
    Update(xmp, "Xmp.exif.PixelXDimension", width);
    Update(xmp, "Xmp.exif.PixelYDimension", height);
    image->setExifData(exif);
    image->setIptcData(d_->iptc);
    image->setXmpData(xmp);
    if (!d_->icc.empty()) {
      Exiv2::DataBuf icc(reinterpret_cast<const Exiv2::byte *>(d_->icc.data()),
                         static_cast<long>(d_->icc.size()));
      image->setIccProfile(icc, false);
    }
    image->writeMetadata();
  } catch (const std::exception &) {
    return false;
  }
  return true;
}
