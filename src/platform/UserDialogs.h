// Every message box and file dialog of the program goes through here, so that
// form tests can answer them: with a responder installed nothing is shown and
// the responder gives the answer.
#pragma once

#include <QFont>
#include <QMessageBox>
#include <QString>

#include <functional>

namespace UserDialogs {

enum class Kind { Message, OpenFile, SaveFile, Folder, Colour, Input, Font };

struct Request {
  Kind kind = Kind::Message;
  QString caption;
  QString text;        // message text; for file dialogs the proposed name
  QString folder;      // initial folder of file dialogs
  QString filter;      // the filter as written ("desc|*.a;*.b|desc|*.c")
  QString value;       // the text an input box starts with
  unsigned colour = 0; // 0xRRGGBB a colour dialog starts with
  QFont font;          // the font a font dialog starts with
  int filterIndex = 1;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

struct Answer {
  QMessageBox::StandardButton button = QMessageBox::Ok;
  QString path;        // chosen file or folder, or the text typed; empty for cancel
  int filterIndex = 1; // filter chosen in a file dialog (1-based)
  unsigned colour = 0; // 0xRRGGBB for colour dialogs
  QFont font;          // the font chosen in a font dialog
  bool accepted = true;
};

// Installs a responder (nullptr removes it). While one is installed no
// dialog is shown.
void SetResponder(std::function<Answer(const Request &)> responder);

// A message box; returns the button pressed.
QMessageBox::StandardButton Message(QWidget *parent, const QString &caption, const QString &text,
                                    QMessageBox::Icon icon = QMessageBox::Information,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// "VELMIR" message with an OK button.
void Inform(QWidget *parent, const QString &text);
void Error(QWidget *parent, const QString &text);
// An image operation could not get the memory it needs.
void OutOfMemory(QWidget *parent);

// File dialogs. Filters are written as "desc|*.a;*.b|desc|*.c"; extensions
// match without letter case. `filterIndex` (1-based) is the preselected
// filter in and the chosen one out. Empty result for cancel.
// `proposedName` is the file selected when the dialog opens (the request's
// text for a responder).
QString OpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                     const QString &filter, int *filterIndex = nullptr,
                     const QString &proposedName = {});
// `overwritePrompt`: ask before replacing an existing file.
QString SaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                     const QString &proposedName, const QString &filter, int *filterIndex,
                     bool overwritePrompt = true);
QString FolderName(QWidget *parent, const QString &title, const QString &folder = {});
// An input box captioned `caption` asking `prompt`, starting with `text`;
// false when cancelled, else `text` is what was typed.
bool InputText(QWidget *parent, const QString &caption, const QString &prompt, QString &text);
// The colour dialog; false when cancelled.
bool ChooseColour(QWidget *parent, unsigned &rgb);
// The font dialog over scalable fonts, preset to `font`; false when
// cancelled, else `font` is the one chosen.
bool ChooseFont(QWidget *parent, QFont &font);

// The Qt form of a filter: "desc (*.a *.A *.b *.B);;desc (...)".
QString QtFilter(const QString &filter);

} // namespace UserDialogs
