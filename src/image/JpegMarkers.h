// The marker segments at the head of a JPEG file (before the picture data),
// where cameras put their EXIF block (APP1) and colour profile (APP2). Reads
// only those segments; every length is checked against what is there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Calls `segment(marker, payload)` for each segment whose marker lies in
// [first, last] (0xE1 = APP1 ...), in file order, until it returns false or
// the picture data starts. Other segments are skipped unread. False when the
// file is not a JPEG file or could not be opened.
bool ForEachJpegSegment(
    const std::string &path, int first, int last,
    const std::function<bool(int marker, const std::vector<uint8_t> &payload)> &segment);
