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
class TMDIChild;
class TMainForm;

// ---- commands ---------------------------------------------------------------

// To an 8-bit grey image; nothing below 4 bits or when already grey.
void GrayCommand(TMainForm *main, TMDIChild *child);
// Inverts every colour in place.
void NegativeCommand(TMainForm *main, TMDIChild *child);
// Full colour, grey, the sepia tint, full colour again: one undo entry for
// the whole chain, one wait window with progress 0 ... 130.
void SepiaCommand(TMainForm *main, TMDIChild *child);

// The one-shot kit filters.
enum class KitFilterKind { Roberts, Laplacian, Emboss };
// The kit's neighbourhood filters need full colour or a grey palette.
bool KitFilterApplies(const TMDIChild *child);
void KitFilterCommand(TMainForm *main, TMDIChild *child, KitFilterKind kind);

// The one-click buttons of the turns and colour depth: tb01 ... tb05 turn or
// flip, tb14 makes full colour, tb15 reduces full colour to 256 fixed
// colours. False when `name` is none of them.
bool RunOneClickButton(TMainForm *main, TMDIChild *child, const QString &name);

// ---- shared by the dialogs without a preview --------------------------------

// A titled group of radio buttons (ids 0, 1, ... in order) added to `layout`;
// no button is checked. The group box carries `name`.
QButtonGroup *AddRadioGroup(QWidget *owner, QBoxLayout *layout, const QString &name,
                            const QString &title, const QStringList &items, int columns = 1);
// OK ("bOK") and Cancel ("bCancel", "キャンセル") in a row added to `layout`.
// OK is the default button (Enter) and is returned for the caller to
// connect; Cancel rejects (as Esc does).
QPushButton *AddOkCancel(QDialog *dialog, QBoxLayout *layout);
// Centres a dialog on the main window (when it has one).
void CentreOnMain(QDialog *dialog, QWidget *main);
