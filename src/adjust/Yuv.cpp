#include "adjust/Yuv.h"

#include "image/Kit.h"

bool RgbBalance(TMDIB &dib, int red, int green, int blue, bool keepLuminance) {
  if (!dib.Attached()) return false;
  const ChannelOffsets o =
      keepLuminance ? KeepLuminance(red, green, blue) : ChannelOffsets{red, green, blue};
  return Kit.ImgKitRGB(dib.handle, "", "", o.red, o.green, o.blue) != 0;
}

bool YuvBalance(TMDIB &dib, int y, int u, int v) {
  if (!dib.Attached()) return false;
  const ChannelOffsets o = YuvToOffsets(y, u, v);
  return Kit.ImgKitRGB(dib.handle, "", "", o.red, o.green, o.blue) != 0;
}
