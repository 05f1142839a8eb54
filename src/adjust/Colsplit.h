// Specific-hue emphasis: colours near a chosen hue keep (or change) their
// saturation, all others take the outside saturation, with a linear blend
// across the hue window.
#pragma once

#include "image/Dib.h"

constexpr int kEmphasisCentreMin = -180, kEmphasisCentreMax = 180;
constexpr int kEmphasisWidthMin = 10, kEmphasisWidthMax = 120;
constexpr int kEmphasisSaturationMin = -100, kEmphasisSaturationMax = 100;

// centre -180 ... 180 and halfWidth 10 ... 120 in degrees; inside and
// outside saturation -100 ... 100 (0 unchanged, -100 grey). Only 24-bit
// images are changed; greys never.
void HueEmphasis(TMDIB &dib, int centre, int halfWidth, int inside, int outside,
                 Progress *progress = nullptr);

// The weight E = halfWidth - D of the inside colour for a hue h in tenths
// of a degree, where D is the distance of h div 10 from the centre inside
// the window [centre - halfWidth, centre + halfWidth]; -1 outside it.
int EmphasisWeight(int h, int centre, int halfWidth);
