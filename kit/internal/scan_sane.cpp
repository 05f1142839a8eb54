#include "scan_sane.h"

#include "dib.h"

#include "common/reduce8.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>

namespace kit {

namespace {

// The option of the given name, or -1.
SANE_Int OptionIndex(SANE_Handle h, const char *name) {
  SANE_Int count = 0;
  if (sane_control_option(h, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
    return -1;
  for (SANE_Int i = 1; i < count; ++i) {
    const SANE_Option_Descriptor *d = sane_get_option_descriptor(h, i);
    if (d && d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap) &&
        SANE_OPTION_IS_SETTABLE(d->cap))
      return i;
  }
  return -1;
}

// The first entry of a string-list option that `accept` takes, or null.
template <class Accept> const char *PickString(SANE_Handle h, SANE_Int option, Accept accept) {
  const SANE_Option_Descriptor *d = sane_get_option_descriptor(h, option);
  if (!d || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
    return nullptr;
  for (const SANE_String_Const *s = d->constraint.string_list; s && *s; ++s)
    if (accept(std::string(*s))) return *s;
  return nullptr;
}

bool SetString(SANE_Handle h, SANE_Int option, const char *value) {
  const SANE_Option_Descriptor *d = sane_get_option_descriptor(h, option);
  if (!d || d->size <= 0) return false;
  std::vector<char> buf(static_cast<size_t>(d->size), '\0');
  std::strncpy(buf.data(), value, buf.size() - 1);
  return sane_control_option(h, option, SANE_ACTION_SET_VALUE, buf.data(), nullptr) ==
         SANE_STATUS_GOOD;
}

bool SetInt(SANE_Handle h, SANE_Int option, SANE_Int value) {
  return sane_control_option(h, option, SANE_ACTION_SET_VALUE, &value, nullptr) == SANE_STATUS_GOOD;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool Contains(const std::string &s, const char *part) {
  return Lower(s).find(part) != std::string::npos;
}

void SetMode(SANE_Handle h, int mode) {
  const SANE_Int modeOption = OptionIndex(h, SANE_NAME_SCAN_MODE);
  const SANE_Int depthOption = OptionIndex(h, SANE_NAME_BIT_DEPTH);
  if (modeOption >= 0) {
    const char *value = nullptr;
    if (mode == IMGKIT_SCAN_COLOUR)
      value = PickString(h, modeOption, [](const std::string &s) { return Contains(s, "colo"); });
    else if (mode == IMGKIT_SCAN_LINEART)
      value = PickString(h, modeOption, [](const std::string &s) {
        return Contains(s, "lineart") || Contains(s, "binary");
      });
    // Line-art on a device without that mode: grey at one bit.
    if (!value && mode != IMGKIT_SCAN_COLOUR)
      value = PickString(h, modeOption, [](const std::string &s) {
        return Contains(s, "gray") || Contains(s, "grey");
      });
    if (value) SetString(h, modeOption, value);
  }
  // Options change with the mode; look the depth up again.
  const SANE_Int depth = OptionIndex(h, SANE_NAME_BIT_DEPTH);
  if (depth >= 0 && depthOption >= 0) SetInt(h, depth, mode == IMGKIT_SCAN_LINEART ? 1 : 8);
}

// Reads until end of frame into `data`; Cancelled when progress says stop.
ScanResult ReadFrame(SANE_Handle h, std::vector<uint8_t> &data, int64_t before, int64_t total,
                     ScanProgress &progress) {
  std::vector<uint8_t> buf(64 * 1024);
  for (;;) {
    SANE_Int got = 0;
    const SANE_Status st = sane_read(h, buf.data(), static_cast<SANE_Int>(buf.size()), &got);
    if (got > 0) data.insert(data.end(), buf.begin(), buf.begin() + got);
    if (st == SANE_STATUS_EOF) return ScanResult::Ok;
    if (st == SANE_STATUS_CANCELLED) return ScanResult::Cancelled;
    if (st != SANE_STATUS_GOOD) return ScanResult::Failed;
    if (data.size() > kMaxPixelBytes) return ScanResult::Failed;
    if (!progress.Update(before + static_cast<int64_t>(data.size()), total))
      return ScanResult::Cancelled;
  }
}

// Sample `x` of a row of 8- or 16-bit samples, as 8 bits.
inline uint8_t Sample(const uint8_t *row, size_t x, int depth) {
  if (depth == 16) {
    uint16_t v;
    std::memcpy(&v, row + 2 * x, 2);
    return velmir_reduce16(v);
  }
  return row[x];
}

} // namespace

SaneSession::SaneSession() {
  SANE_Int version = 0;
  ready_ = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
}

SaneSession::~SaneSession() {
  if (device_) {
    sane_cancel(static_cast<SANE_Handle>(device_));
    sane_close(static_cast<SANE_Handle>(device_));
  }
  if (ready_) sane_exit();
}

std::vector<ScanDevice> SaneSession::Devices() {
  std::vector<ScanDevice> out;
  if (!ready_) return out;
  const SANE_Device **list = nullptr;
  if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list) return out;
  for (; *list; ++list) {
    const SANE_Device *d = *list;
    if (!d->name) continue;
    std::string label;
    for (const char *part : {d->vendor, d->model, d->type})
      if (part && *part) label += (label.empty() ? "" : " ") + std::string(part);
    out.push_back({d->name, label});
  }
  return out;
}

ScanResult SaneSession::Open(const std::string &name, int mode, bool feeder) {
  if (!ready_) return ScanResult::NoDevice;
  std::string wanted = name;
  // With nothing chosen, or the chosen device no longer listed, decide by
  // the list: an empty list means no device at all.
  const std::vector<ScanDevice> devices = Devices();
  if (wanted.empty()) {
    if (devices.empty()) return ScanResult::NoDevice;
    wanted = devices.front().name;
  } else if (std::none_of(devices.begin(), devices.end(),
                          [&](const ScanDevice &d) { return d.name == wanted; })) {
    return ScanResult::NoDevice;
  }
  SANE_Handle h = nullptr;
  if (sane_open(wanted.c_str(), &h) != SANE_STATUS_GOOD || !h) return ScanResult::NoDevice;
  device_ = h;
  SetMode(h, mode);
  feeder_ = false;
  if (feeder) {
    const SANE_Int source = OptionIndex(h, SANE_NAME_SCAN_SOURCE);
    if (source >= 0)
      if (const char *adf = PickString(h, source, [](const std::string &s) {
            return Contains(s, "feeder") || Contains(s, "adf");
          }))
        feeder_ = SetString(h, source, adf);
  }
  return ScanResult::Ok;
}

ScanResult SaneSession::ScanPage(ScanProgress &progress, IMGHANDLE &out) {
  out = nullptr;
  auto *h = static_cast<SANE_Handle>(device_);
  if (!h) return ScanResult::NoDevice;
  // Three-pass colour arrives as three frames, one per channel.
  std::vector<uint8_t> planes[3];
  std::vector<uint8_t> data;
  SANE_Parameters p{};
  int width = 0, height = 0, depth = 0;
  bool colour = false;
  for (;;) {
    const SANE_Status started = sane_start(h);
    if (started == SANE_STATUS_NO_DOCS) return ScanResult::NoDocuments;
    if (started == SANE_STATUS_CANCELLED) return ScanResult::Cancelled;
    if (started != SANE_STATUS_GOOD) return ScanResult::Failed;
    if (sane_get_parameters(h, &p) != SANE_STATUS_GOOD || p.bytes_per_line <= 0 ||
        p.pixels_per_line <= 0 || (p.depth != 1 && p.depth != 8 && p.depth != 16) ||
        (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && p.format != SANE_FRAME_RED &&
         p.format != SANE_FRAME_GREEN && p.format != SANE_FRAME_BLUE) ||
        (p.depth == 1 && p.format != SANE_FRAME_GRAY)) {
      sane_cancel(h);
      return ScanResult::Failed;
    }
    // Every row must hold its pixels, and the frames of a page agree.
    const int64_t channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    const int64_t rowBits = int64_t{p.pixels_per_line} * p.depth * channels;
    if ((rowBits + 7) / 8 > p.bytes_per_line || (width != 0 && width != p.pixels_per_line)) {
      sane_cancel(h);
      return ScanResult::Failed;
    }
    std::vector<uint8_t> &target = p.format == SANE_FRAME_RED     ? planes[0]
                                   : p.format == SANE_FRAME_GREEN ? planes[1]
                                   : p.format == SANE_FRAME_BLUE  ? planes[2]
                                                                  : data;
    const int64_t total = p.lines > 0 ? int64_t{p.lines} * p.bytes_per_line : 0;
    const ScanResult r = ReadFrame(h, target, 0, total, progress);
    if (r != ScanResult::Ok) {
      sane_cancel(h);
      return r;
    }
    width = p.pixels_per_line;
    depth = p.depth;
    colour = p.format != SANE_FRAME_GRAY;
    const int64_t lines = static_cast<int64_t>(target.size()) / p.bytes_per_line;
    height = height == 0 ? static_cast<int>(lines) : std::min(height, static_cast<int>(lines));
    if (p.last_frame) break;
  }
  // A finished page: the device is ready for the next one (feeder) or done.
  if (height <= 0) {
    sane_cancel(h);
    return ScanResult::Failed;
  }
  const size_t bpl = static_cast<size_t>(p.bytes_per_line);
  Dib view;
  IMGHANDLE img = nullptr;
  if (!colour) {
    img = NewDib(width, height, depth == 1 ? 1 : 8, depth == 1 ? 2 : 256, &view);
    if (!img) return ScanResult::Failed;
    for (int i = 0; i < view.colourCount; ++i) {
      const auto v = static_cast<uint8_t>(depth == 1 ? (i ? 255 : 0) : i);
      view.palette[i] = {v, v, v, 0};
    }
    for (int y = 0; y < height; ++y) {
      const uint8_t *src = data.data() + static_cast<size_t>(y) * bpl;
      uint8_t *dst = view.TopRow(y);
      if (depth == 1) {
        // SANE's line-art: a set bit is black; ours indexes white with 1.
        for (size_t i = 0; i < (static_cast<size_t>(width) + 7) / 8; ++i)
          dst[i] = static_cast<uint8_t>(~src[i]);
        if (width % 8) dst[width / 8] &= static_cast<uint8_t>(0xff00 >> (width % 8));
      } else {
        for (int x = 0; x < width; ++x)
          dst[x] = Sample(src, static_cast<size_t>(x), depth);
      }
    }
  } else {
    const bool planar = data.empty();
    if (planar && (planes[0].empty() || planes[1].empty() || planes[2].empty()))
      return ScanResult::Failed;
    img = NewDib(width, height, 24, 0, &view);
    if (!img) return ScanResult::Failed;
    for (int y = 0; y < height; ++y) {
      uint8_t *dst = view.TopRow(y);
      const size_t off = static_cast<size_t>(y) * bpl;
      for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) {
          const uint8_t v = planar
                                ? Sample(planes[c].data() + off, static_cast<size_t>(x), depth)
                                : Sample(data.data() + off, static_cast<size_t>(x) * 3 + c, depth);
          dst[3 * x + (2 - c)] = v;
        }
      }
    }
  }
  out = img;
  return ScanResult::Ok;
}

} // namespace kit
