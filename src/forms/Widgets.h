// Widget pieces every dialog shares: titled radio groups, the OK/Cancel
// row and centring on the main window.
#pragma once

#include <QString>
#include <QStringList>

class QBoxLayout;
class QButtonGroup;
class QDialog;
class QPoint;
class QPushButton;
class QWidget;

// A titled group of radio buttons (ids 0, 1, ... in order) added to `layout`;
// no button is checked. The group box carries `name`.
QButtonGroup *AddRadioGroup(QWidget *owner, QBoxLayout *layout, const QString &name,
                            const QString &title, const QStringList &items, int columns = 1);
// OK ("bOK", captioned `ok`) and Cancel ("bCancel", "キャンセル") in a row
// added to `layout`. OK is the default button (Enter) and is returned for
// the caller to connect; Cancel rejects (as Esc does).
QPushButton *AddOkCancel(QDialog *dialog, QBoxLayout *layout,
                         const QString &ok = QStringLiteral("OK"));
// Centres a window on the main window (when there is one).
void CentreOnMain(QWidget *window, QWidget *main);

// The OK, Cancel and Reset column of the adjustment dialogs, stacked from
// `topLeft` 32 pixels apart. No button takes Enter for itself, so Enter is
// OK wherever the focus is (the dialog's key handler sees it).
struct ApplyButtons {
  QPushButton *ok;
  QPushButton *cancel;
  QPushButton *reset;
  int bottom; // the y below the column
};
ApplyButtons AddApplyButtons(QDialog *dialog, QPoint topLeft, int width);
