// A photo's metadata (EXIF, IPTC, XMP and the ICC colour profile), read
// from the file a picture came from and written into the JPEG or TIFF files
// made of it, so that the date taken, the camera, GPS, keywords, copyright
// and the colour profile survive a save. Through Exiv2; no widget header.
#pragma once

#include <memory>
#include <string>

class PhotoMetadata {
public:
  PhotoMetadata();
  ~PhotoMetadata();
  PhotoMetadata(const PhotoMetadata &);
  PhotoMetadata &operator=(const PhotoMetadata &);
  PhotoMetadata(PhotoMetadata &&) noexcept;
  PhotoMetadata &operator=(PhotoMetadata &&) noexcept;

  // What `path` carries; empty when it has nothing, is not a picture Exiv2
  // knows, or its metadata is damaged.
  static PhotoMetadata Read(const std::string &path);

  bool Empty() const;
  // The embedded ICC profile, empty when there is none.
  const std::string &IccProfile() const;

  // Writes everything into `path`, a JPEG or TIFF file just written from a
  // picture of `width` x `height` that stands upright: the pixel dimensions
  // follow the picture, the orientation becomes 1 (as stored), the embedded
  // EXIF preview and the source's own image-structure tags are left out.
  // False when Exiv2 could not write the file (it is then as it was).
  bool WriteInto(const std::string &path, int width, int height) const;

private:
  struct Data;
  std::unique_ptr<Data> d_;
};
