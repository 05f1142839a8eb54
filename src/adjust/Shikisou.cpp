#include "adjust/Shikisou.h"

void HueChange(TMDIB &dib, int shift, Progress *progress) {
  if (!dib.Attached() || dib.BitsPerPixel() != 24) return;
  const int turn = 10 * shift + 3600;
  for (int y = dib.height - 1; y >= 0; --y) {
    uint8_t *p = dib.Row(y);
    for (int x = 0; x < dib.width; ++x, p += 3) {
      const HueColour c = HueOf(p[2], p[1], p[0]);
      if (c.s == 0) continue;
      // c.h + turn lies within 1700 ... 9100.
      int h = c.h + turn - 3600;
      if (h >= 3600) h -= 3600;
      if (h < 0) h += 3600;
      int r, g, b;
      RebuildHue(c.m, c.s, h, r, g, b);
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
    }
    if (progress) progress->Step();
  }
}
