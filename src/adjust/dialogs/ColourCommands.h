// The image commands without a dialog (grey, negative, sepia and the kit's
// edge and emboss filters), and the small pieces that the dialogs without a
// preview (colour depth, rotate/flip, crop, mosaic) share.
#pragma once

#include <QString>
#include <QStringList>

class QBoxLayout;
class QButtonGroup;
class QDialog;
class QPushButton;
class QWidget;
class Document;
class Host;

// ---- commands ---------------------------------------------------------------

// To an 8-bit grey image; nothing below 4 bits or when already grey.
void GrayCommand(Host *main, Document *child);
// Inverts every colour in place.
void NegativeCommand(Host *main, Document *child);
// Full colour, grey, the sepia tint, full colour again: one undo entry for
// the whole chain, one wait window with progress 0 ... 130.
void SepiaCommand(Host *main, Document *child);

// The one-shot kit filters.
enum class KitFilterKind { Roberts, Laplacian, Emboss };
// The kit's neighbourhood filters need full colour or a grey palette.
bool KitFilterApplies(const Document *child);
void KitFilterCommand(Host *main, Document *child, KitFilterKind kind);

// The one-click buttons of the turns and colour depth: tb01 ... tb05 turn or
// flip, tb14 makes full colour, tb15 reduces full colour to 256 fixed
// colours. False when `name` is none of them.
bool RunOneClickButton(Host *main, Document *child, const QString &name);
