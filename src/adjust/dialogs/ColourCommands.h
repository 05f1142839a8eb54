// The colour commands without a dialog: grey, negative and sepia.
#pragma once

class Document;
class Host;

// To an 8-bit grey image; nothing below 4 bits or when already grey.
void GrayCommand(Host *main, Document *child);
// Inverts every colour in place.
void NegativeCommand(Host *main, Document *child);
// Full colour, grey, the sepia tint, full colour again: one undo entry for
// the whole chain, one wait window with progress 0 ... 130.
void SepiaCommand(Host *main, Document *child);
