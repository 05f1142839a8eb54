#include "image/Orientation.h"

#include "image/JpegMarkers.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The orientation tag of IFD0 of a TIFF structure (an EXIF block after its
// "Exif\0\0" signature); 1 when absent or out of bounds.
int OrientationInTiff(const uint8_t *tiff, size_t size) {
  if (size < 8) return 1;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  const bool big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!little && !big) return 1;
  auto u16 = [&](size_t at) -> uint32_t {
    return little ? static_cast<uint32_t>(tiff[at] | tiff[at + 1] << 8)
                  : static_cast<uint32_t>(tiff[at] << 8 | tiff[at + 1]);
  };
  auto u32 = [&](size_t at) -> uint32_t {
    return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
  };
  if (u16(2) != 42) return 1;
  const size_t ifd = u32(4);
  if (ifd < 8 || ifd > size - 2) return 1;
  const size_t count = u16(ifd);
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = ifd + 2 + 12 * i;
    if (entry + 12 > size) break;
    if (u16(entry) != 0x0112) continue;
    // SHORT, one value, held in the entry itself.
    if (u16(entry + 2) != 3 || u32(entry + 4) != 1) return 1;
    const uint32_t value = u16(entry + 8);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

} // namespace

int JpegExifOrientation(const std::string &path) {
  int orientation = 1;
  ForEachJpegSegment(path, 0xE1, 0xE1, [&orientation](int, const std::vector<uint8_t> &block) {
    if (block.size() < 6 + 8 || std::memcmp(block.data(), "Exif\0\0", 6) != 0)
      return true; // an XMP block, say
    orientation = OrientationInTiff(block.data() + 6, block.size() - 6);
    return false;
  });
  return orientation;
}

bool ApplyOrientation(DibHandle &image, int orientation) {
  if (!image) return false;
  // Each orientation as the kit's turns and flips, in order: 5 and 7 are a
  // quarter turn to the right followed by a mirroring.
  static const std::array<std::array<int, 2>, 9> kSteps = {{
      {-1, -1},
      {-1, -1},
      {IMGKIT_FLIP_LEFT_RIGHT, -1},
      {IMGKIT_ROTATE_180, -1},
      {IMGKIT_FLIP_TOP_BOTTOM, -1},
      {IMGKIT_ROTATE_RIGHT, IMGKIT_FLIP_LEFT_RIGHT},
      {IMGKIT_ROTATE_RIGHT, -1},
      {IMGKIT_ROTATE_RIGHT, IMGKIT_FLIP_TOP_BOTTOM},
      {IMGKIT_ROTATE_LEFT, -1},
  }};
  if (orientation < 2 || orientation > 8) return true;
  DibHandle turned;
  IMGHANDLE current = image.get();
  for (int step : kSteps[static_cast<size_t>(orientation)]) {
    if (step < 0) break;
    IMGHANDLE next = Kit.ImgKitRotation(current, "", "", step);
    if (!next) return false;
    if (next != current) {
      turned.reset(next); // frees the picture of the step before
      current = next;
    }
  }
  if (current != image.get()) image.reset(turned.release());
  return true;
}

bool OrientAsFile(DibHandle &image, const std::string &path) {
  return ApplyOrientation(image, JpegExifOrientation(path));
}
