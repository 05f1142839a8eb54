// Brightness, contrast, gamma and saturation: the tone functions the tone
// dialogs, the variations, the automatic correction and the batch jobs share.
// On 1-, 4- and 8-bit images they change the colour table and leave the
// pixel indices alone; 24-bit images are changed pixel by pixel, top row
// first, one progress step per row. Images of 16 or 32 bits are left as
// they are (the program converts them to 24 bits when it opens them).
#pragma once

#include "image/Dib.h"

#include <cstdint>

// The per-channel tables behind Contrast and Gamma.
void ContrastTable(int p, uint8_t table[256]);
// Positions of 0 or less have no gamma: the table is then the identity.
void GammaTable(int p, uint8_t table[256]);

// True when the tone functions can work on the image: a colour table of
// 1, 4 or 8 bits, or 24-bit rows.
bool HasToneLayout(const TMDIB &dib);

// The positions the tone dialogs' sliders offer.
constexpr int kBrightnessMin = -50, kBrightnessMax = 50;
constexpr int kContrastMin = -100, kContrastMax = 100;
constexpr int kGammaMin = 10, kGammaMax = 300;
constexpr int kSaturationMin = -100, kSaturationMax = 100;

// The kit's brightness with factor position x 0.05 (position -50 ... 50).
bool Brightness(TMDIB &dib, int position);
// p: -100 (uniform grey 128) ... 0 (unchanged) ... 100 (distances from 128
// doubled).
void Contrast(TMDIB &dib, int p, Progress *progress = nullptr);
// p: 10 ... 300, 100 unchanged; above 100 brightens the mid-tones.
void Gamma(TMDIB &dib, int p, Progress *progress = nullptr);
// p: -100 (grey) ... 0 (unchanged) ... 100 (distances from the channel
// mean doubled).
void Saturation(TMDIB &dib, int p, Progress *progress = nullptr);
