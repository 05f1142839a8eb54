// The one-click automatic corrections of the expert menu: A (brightness and
// contrast) and B (brightness, contrast and colour), through AutoCorrectA
// and AutoCorrectB with one edit-history entry and one wait window.
#pragma once

#include "adjust/Histfunc.h"

class Document;
class Host;

// The settings as stored by the options page "一発補正" (missing values
// are written with their defaults).
AutoCorrectSettings ReadAutoCorrectSettings();

// Correction A on the document: levels on all channels between the ends of
// the average histogram ("IppatsuAContrast"), then the optional gamma and
// colour steps. Nothing without a document.
void RunAutoCorrectionA(Host *main, Document *child);
// Correction B: as A, with red, green and blue each stretched between the
// ends of its own histogram ("IppatsuBContrast").
void RunAutoCorrectionB(Host *main, Document *child);
