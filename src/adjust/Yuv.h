// Colour balance as channel offsets for the kit's ImgKitRGB: the RGB
// dialog's luminance keeping and the YUV dialogs' conversion.
#pragma once

#include "image/Dib.h"

struct ChannelOffsets {
  int red = 0, green = 0, blue = 0;
  bool operator==(const ChannelOffsets &) const = default;
};

// The positions the RGB and YUV dialogs' sliders offer.
constexpr int kRgbMin = -50, kRgbMax = 50;
constexpr int kYuvMin = -50, kYuvMax = 50;

// Y, U, V (-50 ... 50 each) as offsets, truncating divisions.
constexpr ChannelOffsets YuvToOffsets(int y, int u, int v) {
  return {(1000 * y + 1140 * v) / 1000, (1000 * y - 396 * u - 581 * v) / 1000,
          (1000 * y + 2029 * u) / 1000};
}

// The RGB dialog's offsets with luminance kept: each channel less the mean
// of the other two.
constexpr ChannelOffsets KeepLuminance(int red, int green, int blue) {
  return {red - (green + blue) / 2, green - (red + blue) / 2, blue - (red + green) / 2};
}

// The RGB dialog's shift (red, green, blue -50 ... 50) through the kit, in
// place; with keepLuminance the offsets of KeepLuminance.
bool RgbBalance(TMDIB &dib, int red, int green, int blue, bool keepLuminance);
// The YUV dialog's and the colour variations' shift through the kit.
bool YuvBalance(TMDIB &dib, int y, int u, int v);
