// Histograms, the levels correction and the one-click automatic
// corrections A and B built on them (the batch variant on files is in
// AutoCorrectFile.h).
#pragma once

#include "image/Dib.h"

#include <cstdint>

// Four 256-bin histograms of an image. The average bin of a pixel is the
// plain mean (B + G + R) div 3.
struct Histograms {
  int32_t pixelCount = 0; // width x height
  int32_t red[256] = {};
  int32_t green[256] = {};
  int32_t blue[256] = {};
  int32_t average[256] = {};
};

// Channel numbers of the levels correction and its histogram choice.
enum LevelsChannel : int { lcAverage = 0, lcRed = 1, lcGreen = 2, lcBlue = 3 };

// Palette images are counted pixel by pixel through their colour table,
// 24-bit images from their rows; other depths give empty histograms.
Histograms ComputeHistograms(const TMDIB &dib);
// The histogram walked for a channel: the average one for lcAverage.
const int32_t *HistogramOf(const Histograms &h, int channel);

// The levels range the dialog's band can reach: its left edge held at 6 or
// more puts low at -50 or more, its right edge at 362 or less high at 305
// or less.
constexpr int kLevelsMin = -50, kLevelsMax = 305;

// The levels table: low maps to 0, high to 255. False (and the identity)
// when high - low <= 0, high <= 0 or low < 0.
bool LevelsTable(int low, int high, uint8_t table[256]);
// Stretches [low, high] to the full range in all channels (lcAverage) or in
// one; identity for the ranges LevelsTable refuses.
void Levels(TMDIB &dib, int low, int high, int channel, Progress *progress = nullptr);

// A range found in a histogram; -1 marks a level that was not found.
struct LevelRange {
  int low = -1;
  int high = -1;
  bool operator==(const LevelRange &) const = default;
};

// Walks the histogram from level 0 keeping the running count: low is the
// first level where it exceeds total x threshold / 1000, high the first
// later level where it exceeds total x (1000 - threshold) / 1000 (threshold
// in per-mille). Unfound levels stay -1.
LevelRange FindAutoRange(const int32_t histogram[256], int64_t total, int threshold);
// The range the levels dialog uses without touching its band: low >= high
// falls back to 0 ... 255, and an unfound level to 0 or 255.
LevelRange SettleRange(LevelRange found);
// The levels dialog's band, in the coordinates of its strip: level 0
// stands at kLevelsBandLeft, and the band starts full (0 ... 255).
constexpr int kLevelsBandLeft = 56, kLevelsBandWidth = 256;
struct LevelBand {
  int left = kLevelsBandLeft;
  int width = kLevelsBandWidth;
  bool operator==(const LevelBand &) const = default;
};
// The band the dialog puts a found range on: left edge low + 56, width
// high - low, unfound (-1) levels taken as they are.
LevelBand BandOf(LevelRange found);
// The range a band stands for: low = left - 56, high = left + width - 57.
LevelRange RangeOfBand(LevelBand band);
// The range in force after the dialog puts `found` on its band and reads
// it back: RangeOfBand(BandOf(found)), which is low ... high - 1.
LevelRange BandRange(LevelRange found);

// The centre marker's label left for a position of `percent` within the
// range: low + percent x (high - low) div 100 + 31.
int CentreLabelLeft(int percent, LevelRange range);
// The percentage the marker is taken to stand at once dragged to
// `labelLeft`: (labelLeft x 100 - 3000) div (high - low); `previous` when
// the range is empty or turned over.
int CentrePercent(int labelLeft, LevelRange range, int previous);

// Gamma position of the levels dialog's centre marker: the marked input
// level, a fraction t = (label left - band left + 20) / band width of the
// band, is taken to the middle of the output: floor(ln t / ln 0.5 x 100).
int MidToneGammaPosition(int labelLeft, int bandLeft, int bandWidth);

// The ranges the options page offers for the one-click corrections'
// settings: the dialog's automatic threshold, the thresholds of A and B,
// the gamma position and the colour positions.
constexpr int kAutoScaleMin = 1, kAutoScaleMax = 30;
constexpr int kAutoContrastMin = 1, kAutoContrastMax = 10;
constexpr int kAutoGammaMin = 50, kAutoGammaMax = 200;
constexpr int kAutoColourMin = -20, kAutoColourMax = 20;

// The one-click corrections' settings, as stored by the options page.
struct AutoCorrectSettings {
  int autoScaleParam = 5;           // "AutoScaleParam"
  int contrastA = 3;                // "IppatsuAContrast"
  int contrastB = 4;                // "IppatsuBContrast"
  bool gammaOn = false;             // "GammaInIppatsu"
  int gamma = 100;                  // "GammaInIppatsuParam"
  bool colourOn = false;            // "ColorInIppatsu"
  int red = 0, green = 0, blue = 0; // "ColorInIppatsuR", "...G", "...B"
};

// Correction A: levels on all channels between the average histogram's
// ends (threshold contrastA), then the optional gamma and colour shift.
// Progress: one step per row for the levels, one more per row for the gamma.
void AutoCorrectA(TMDIB &dib, const AutoCorrectSettings &settings, Progress *progress = nullptr);
// Correction B: as A with each of red, green and blue stretched between
// its own histogram's ends (threshold contrastB), all three ranges found on
// the image as it was. Progress: three steps per row, then the gamma's.
void AutoCorrectB(TMDIB &dib, const AutoCorrectSettings &settings, Progress *progress = nullptr);
