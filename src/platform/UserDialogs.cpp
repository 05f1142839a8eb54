#include "platform/UserDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>

namespace UserDialogs {
namespace {

std::function<Answer(const Request &)> &Responder() {
  static std::function<Answer(const Request &)> responder;
  return responder;
}

} // namespace

void SetResponder(std::function<Answer(const Request &)> responder) {
  Responder() = std::move(responder);
}

QMessageBox::StandardButton Message(QWidget *parent, const QString &caption, const QString &text,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
  if (Responder()) {
    Request r;
    r.kind = Kind::Message;
    r.caption = caption;
    r.text = text;
    r.icon = icon;
    r.buttons = buttons;
    return Responder()(r).button;
  }
  QMessageBox box(icon, caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void Inform(QWidget *parent, const QString &text) {
  Message(parent, QStringLiteral("VELMIR"), text, QMessageBox::Information, QMessageBox::Ok);
}

void Error(QWidget *parent, const QString &text) {
  Message(parent, QStringLiteral("VELMIR"), text, QMessageBox::Critical, QMessageBox::Ok);
}

void OutOfMemory(QWidget *parent) {
  Error(parent, QStringLiteral("メモリが不足しているため処理できません。"));
}

QString QtFilter(const QString &filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      if (p == QLatin1String("*.*")) {
        patterns << QStringLiteral("*");
        continue;
      }
      patterns << p;
      if (p.toUpper() != p) patterns << p.toUpper();
    }
    QString desc = parts[i];
    // Qt reads the patterns from the last parentheses of the text.
    desc.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
    out << QStringLiteral("%1 (%2)").arg(desc.trimmed(), patterns.join(QLatin1Char(' ')));
  }
  return out.join(QStringLiteral(";;"));
}

static QString Pick(Kind kind, QWidget *parent, const QString &caption, const QString &folder,
                    const QString &proposed, const QString &filter, int *filterIndex,
                    bool overwritePrompt) {
  if (Responder()) {
    Request r;
    r.kind = kind;
    r.caption = caption;
    r.folder = folder;
    r.text = proposed;
    r.filter = filter;
    r.filterIndex = filterIndex ? *filterIndex : 1;
    const Answer a = Responder()(r);
    if (filterIndex && !a.path.isEmpty()) *filterIndex = a.filterIndex;
    return a.path;
  }
  QFileDialog dialog(parent, caption, folder);
  const QString qtFilter = QtFilter(filter);
  const QStringList filters = qtFilter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = filterIndex ? *filterIndex : 1;
    if (index >= 1 && index <= filters.size()) dialog.selectNameFilter(filters[index - 1]);
  }
  if (kind == Kind::SaveFile) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  if (filterIndex) {
    const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    if (chosen >= 0) *filterIndex = chosen + 1;
  }
  return dialog.selectedFiles().first();
}

QString OpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                     const QString &filter, int *filterIndex, const QString &proposedName) {
  return Pick(Kind::OpenFile, parent, caption, folder, proposedName, filter, filterIndex, false);
}

QString SaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                     const QString &proposedName, const QString &filter, int *filterIndex,
                     bool overwritePrompt) {
  return Pick(Kind::SaveFile, parent, caption, folder, proposedName, filter, filterIndex,
              overwritePrompt);
}

QString FolderName(QWidget *parent, const QString &title, const QString &folder) {
  if (Responder()) {
    Request r;
    r.kind = Kind::Folder;
    r.caption = title;
    r.folder = folder;
    return Responder()(r).path;
  }
  return QFileDialog::getExistingDirectory(parent, title, folder);
}

bool InputText(QWidget *parent, const QString &caption, const QString &prompt, QString &text) {
  if (Responder()) {
    Request r;
    r.kind = Kind::Input;
    r.caption = caption;
    r.text = prompt;
    r.value = text;
    const Answer a = Responder()(r);
    if (!a.accepted) return false;
    text = a.path;
    return true;
  }
  bool ok = false;
  const QString typed =
      QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, text, &ok);
  if (ok) text = typed;
  return ok;
}

bool ChooseColour(QWidget *parent, unsigned &rgb) {
  if (Responder()) {
    Request r;
    r.kind = Kind::Colour;
    r.colour = rgb;
    const Answer a = Responder()(r);
    if (!a.accepted) return false;
    rgb = a.colour;
    return true;
  }
  const QColor c = QColorDialog::getColor(QColor::fromRgb(rgb), parent);
  if (!c.isValid()) return false;
  rgb = c.rgb() & 0xffffffu;
  return true;
}

bool ChooseFont(QWidget *parent, QFont &font) {
  if (Responder()) {
    Request r;
    r.kind = Kind::Font;
    r.font = font;
    const Answer a = Responder()(r);
    if (!a.accepted) return false;
    font = a.font;
    return true;
  }
  bool ok = false;
  const QFont chosen =
      QFontDialog::getFont(&ok, font, parent, QString(), QFontDialog::ScalableFonts);
  if (!ok) return false;
  font = chosen;
  return true;
}

} // namespace UserDialogs
