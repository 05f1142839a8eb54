// The image, expert and artist commands: the rows of the areas' command
// tables bound to their menu items, tool buttons and guidance labels, and
// the file and edit commands whose windows are still to come.
#include "adjust/dialogs/AdjustCommands.h"
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "app/Option.h"
#include "effects/dialogs/EffectCommands.h"
#include "effects/dialogs/GouseiForm.h"
#include "effects/dialogs/LetterForm.h"
#include "platform/Settings.h"

#include <QAction>
#include <QMetaObject>

#include <cstring>

namespace {

const std::vector<const Command *> &Rows() {
  static const std::vector<const Command *> rows = [] {
    std::vector<const Command *> all;
    for (const std::vector<Command> *area : {&AdjustCommands(), &EffectCommands()})
      for (const Command &row : *area)
        all.push_back(&row);
    return all;
  }();
  return rows;
}

const Command *RowByHandler(const QString &handler) {
  for (const Command *row : Rows())
    if (row->handler && handler == QLatin1String(row->handler)) return row;
  return nullptr;
}

} // namespace

const std::vector<const Command *> &TMainForm::AreaCommands() { return Rows(); }

void TMainForm::BindCommands() {
  for (const Command *row : Rows()) {
    if (!row->menuItem) continue;
    if (QAction *item = Act(QString::fromLatin1(row->menuItem)))
      connect(item, &QAction::triggered, this, [this, row] { Execute(*row, this, ActiveChild()); });
  }
}

void TMainForm::RunCommand(const QString &handler) {
  if (const Command *row = RowByHandler(handler)) return Execute(*row, this, ActiveChild());
  // The main window's own commands are its slots.
  QMetaObject::invokeMethod(this, handler.toLatin1().constData(), Qt::DirectConnection);
}

void TMainForm::ToolButtonClick(const QString &name) {
  const QByteArray button = name.toLatin1();
  for (const Command *row : Rows()) {
    for (const char *b : row->buttons)
      if (std::strcmp(b, button.constData()) == 0) return Execute(*row, this, ActiveChild());
    if (ExecutePreset(*row, button.constData(), this, ActiveChild())) return;
  }
}

// File and edit commands served by other windows. The new text image needs
// no document and the composite paste follows the clipboard rather than an
// image kind: no rows of their own.
void TMainForm::TextImgClick() { NewTextImageCommand(this); }
void TMainForm::mGouseiClick() { GouseiCommand(this, ActiveChild()); }

void TMainForm::mAutoCustomClick() {
  // The dialog reads the general settings back from the file: values
  // changed since the start must be there first.
  ReadJpegQuality();
  SaveGeneralSettings();
  {
    TOptionForm dialog(this, ProgramFolder);
    dialog.ShowPage(QStringLiteral("一発補正"));
    dialog.exec();
  }
  WriteJpegQuality();
  raise();
}
