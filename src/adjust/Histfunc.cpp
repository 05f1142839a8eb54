#include "adjust/Histfunc.h"

#include "adjust/Tone.h"
#include "adjust/Yuv.h"

#include <algorithm>
#include <cmath>

namespace {

void Count(Histograms &h, int r, int g, int b) {
  ++h.red[r];
  ++h.green[g];
  ++h.blue[b];
  ++h.average[(b + g + r) / 3];
}

void Identity(uint8_t table[256]) {
  for (int v = 0; v < 256; ++v)
    table[v] = static_cast<uint8_t>(v);
}

// The settings reach the image through the gamma and RGB dialogs, whose
// sliders hold each value to their range; within the options page's
// ranges nothing is held.
static_assert(kGammaMin <= kAutoGammaMin && kAutoGammaMax <= kGammaMax);
static_assert(kRgbMin <= kAutoColourMin && kAutoColourMax <= kRgbMax);

int Held(int v, int low, int high) { return std::clamp(v, low, high); }

// The gamma and colour steps that follow both corrections; the colour step
// keeps the luminance, the RGB dialog's default.
void AfterLevels(TMDIB &dib, const AutoCorrectSettings &s, Progress *progress) {
  if (s.gammaOn) Gamma(dib, Held(s.gamma, kGammaMin, kGammaMax), progress);
  if (s.colourOn)
    RgbBalance(dib, Held(s.red, kRgbMin, kRgbMax), Held(s.green, kRgbMin, kRgbMax),
               Held(s.blue, kRgbMin, kRgbMax), true);
}

} // namespace

Histograms ComputeHistograms(const TMDIB &dib) {
  Histograms h;
  if (!dib.Attached()) return h;
  h.pixelCount = dib.width * dib.height;
  const int bpp = dib.BitsPerPixel();
  if (bpp == 1 || bpp == 4 || bpp == 8) {
    for (int32_t n = 0; n < h.pixelCount; ++n) {
      int r, g, b;
      dib.PixelColour(n, r, g, b);
      Count(h, r, g, b);
    }
  } else if (bpp == 24) {
    for (int y = dib.height - 1; y >= 0; --y) {
      const uint8_t *p = dib.Row(y);
      for (int x = 0; x < dib.width; ++x, p += 3)
        Count(h, p[2], p[1], p[0]);
    }
  }
  return h;
}

const int32_t *HistogramOf(const Histograms &h, int channel) {
  switch (channel) {
  case lcRed: return h.red;
  case lcGreen: return h.green;
  case lcBlue: return h.blue;
  default: return h.average;
  }
}

bool LevelsTable(int low, int high, uint8_t table[256]) {
  if (high - low <= 0 || high <= 0 || low < 0) {
    Identity(table);
    return false;
  }
  const double scale = 255.0 / (high - low);
  const double offset = -low * scale;
  for (int v = 0; v < 256; ++v) {
    const double r = std::trunc(offset + scale * v);
    table[v] = r <= 0 ? 0 : (r >= 255 ? 255 : static_cast<uint8_t>(r));
  }
  return true;
}

void Levels(TMDIB &dib, int low, int high, int channel, Progress *progress) {
  if (!HasToneLayout(dib)) return;
  uint8_t table[256], same[256];
  LevelsTable(low, high, table);
  Identity(same);
  const bool all = channel == lcAverage;
  ApplyChannelTables(dib, all || channel == lcBlue ? table : same,
                     all || channel == lcGreen ? table : same,
                     all || channel == lcRed ? table : same, progress);
}

LevelRange FindAutoRange(const int32_t histogram[256], int64_t total, int threshold) {
  // The products are whole numbers, exact in a double; only the per-mille
  // factor rounds, as in the dialog.
  const double lowLimit = static_cast<double>(total * threshold) * 0.001;
  const double highLimit = static_cast<double>(total * (1000 - threshold)) * 0.001;
  LevelRange r;
  int64_t sum = 0;
  for (int level = 0; level < 256; ++level) {
    sum += histogram[level];
    if (sum > lowLimit && r.low < 0)
      r.low = level;
    else if (sum > highLimit && r.high < 0)
      r.high = level;
  }
  return r;
}

LevelRange SettleRange(LevelRange r) {
  if (r.low >= r.high) {
    r.low = 0;
    r.high = 255;
  }
  if (r.low < 0) r.low = 0;
  if (r.high < 0) r.high = 255;
  return r;
}

LevelBand BandOf(LevelRange found) { return {found.low + kLevelsBandLeft, found.high - found.low}; }

LevelRange RangeOfBand(LevelBand band) {
  return {band.left - kLevelsBandLeft, band.left + band.width - (kLevelsBandLeft + 1)};
}

LevelRange BandRange(LevelRange found) { return RangeOfBand(BandOf(found)); }

int CentreLabelLeft(int percent, LevelRange range) {
  return range.low + percent * (range.high - range.low) / 100 + 31;
}

int CentrePercent(int labelLeft, LevelRange range, int previous) {
  const int width = range.high - range.low;
  return width > 0 ? (labelLeft * 100 - 3000) / width : previous;
}

int MidToneGammaPosition(int labelLeft, int bandLeft, int bandWidth) {
  const double t = static_cast<double>(labelLeft - bandLeft + 20) / bandWidth;
  return static_cast<int>(std::floor(std::log(t) / std::log(0.5) * 100));
}

void AutoCorrectA(TMDIB &dib, const AutoCorrectSettings &s, Progress *progress) {
  if (!HasToneLayout(dib)) return;
  const Histograms h = ComputeHistograms(dib);
  const LevelRange r = SettleRange(FindAutoRange(h.average, h.pixelCount, s.contrastA));
  Levels(dib, r.low, r.high, lcAverage, progress);
  AfterLevels(dib, s, progress);
}

void AutoCorrectB(TMDIB &dib, const AutoCorrectSettings &s, Progress *progress) {
  if (!HasToneLayout(dib)) return;
  const Histograms h = ComputeHistograms(dib);
  for (int channel : {lcRed, lcGreen, lcBlue}) {
    const LevelRange r =
        BandRange(FindAutoRange(HistogramOf(h, channel), h.pixelCount, s.contrastB));
    Levels(dib, r.low, r.high, channel, progress);
  }
  AfterLevels(dib, s, progress);
}
