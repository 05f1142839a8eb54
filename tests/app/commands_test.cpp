// The areas' command tables against the main window built from them: every
// row's menu item, buttons and routine exist, every guidance label runs a
// command that exists, the enabling follows each row's kind rule, and no
// command touches a document that does not fit it.
#include "fileops_fixture.h"

#include "app/Toolbars.h"
#include "forms/Command.h"
#include "routines/AllRoutines.h"

#include <QDialog>
#include <QLabel>
#include <QMetaMethod>

namespace {

using fileops_test::MainWindowTest;

struct Kind {
  const char *label;
  int bits;
  bool grey;
};
const Kind kKinds[] = {{"24-bit", 24, false},
                       {"8-bit grey", 8, true},
                       {"8-bit colour", 8, false},
                       {"4-bit colour", 4, false},
                       {"1-bit", 1, false}};

DibHandle PictureOf(const Kind &k) {
  DibHandle image = CreateBlankDib(12, 30);
  {
    TMDIB dib(image.get());
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 36; ++x)
        dib.Row(y)[x] = static_cast<uint8_t>(x * 7 + y * 29);
  }
  if (k.grey)
    image.Adopt(Kit.ImgKitSetGray(image.get(), "", ""));
  else if (k.bits < 24)
    image.Adopt(Kit.ImgKitConvertColor(image.get(), k.bits, 1, 0, "", ""));
  return image;
}

QByteArray Bytes(IMGHANDLE h) {
  return QByteArray(static_cast<const char *>(h), int(Kit.ImgKitMemSize(h)));
}

bool IsSlot(const TMainForm &form, const QString &name) {
  const QMetaObject *meta = form.metaObject();
  for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
    const QMetaMethod m = meta->method(i);
    if (m.methodType() == QMetaMethod::Slot && m.name() == name.toLatin1()) return true;
  }
  return false;
}

class CommandTable : public MainWindowTest {
protected:
  TMDIChild *Document(const Kind &k) {
    TMDIChild *child = main->CreateChild(QStringLiteral("table.bmp"));
    child->image = PictureOf(k);
    child->ReadImageInfo();
    main->UpdateMenuItems();
    return child;
  }
};

TEST_F(CommandTable, EveryRowNamesThingsThatExist) {
  QStringList handlers;
  for (const Command *row : TMainForm::AreaCommands()) {
    const QString what = QString::fromLatin1(row->handler ? row->handler : row->buttons.front());
    if (row->menuItem) {
      EXPECT_NE(main->Act(QString::fromLatin1(row->menuItem)), nullptr) << what.toStdString();
    }
    for (const char *b : row->buttons) {
      EXPECT_NE(main->Button(QString::fromLatin1(b)), nullptr) << b;
    }
    for (const OneClick &p : row->presets) {
      EXPECT_NE(main->Button(QString::fromLatin1(p.button)), nullptr) << p.button;
    }
    if (row->routine) {
      EXPECT_NE(FindRoutine(row->routine), nullptr) << row->routine;
    }
    EXPECT_FALSE(row->presets.empty() && row->runPreset) << what.toStdString();
    if (row->handler) {
      // A handler belongs to one row and is no slot of the main window.
      EXPECT_FALSE(handlers.contains(what)) << what.toStdString();
      EXPECT_FALSE(IsSlot(*main, what)) << what.toStdString();
      handlers << what;
    }
    EXPECT_TRUE(row->handler || !row->buttons.empty()) << "a row nothing runs";
  }
}

TEST_F(CommandTable, EveryGuidanceLabelRunsACommandThatExists) {
  int links = 0;
  for (QLabel *label : main->findChildren<QLabel *>()) {
    const QString command = label->property("guideCommand").toString();
    if (command.isEmpty()) continue;
    ++links;
    bool row = false;
    for (const Command *r : TMainForm::AreaCommands())
      row = row || (r->handler && command == QLatin1String(r->handler));
    EXPECT_TRUE(row || IsSlot(*main, command)) << command.toStdString();
  }
  EXPECT_GT(links, 50);
}

TEST_F(CommandTable, EnablingFollowsEachRowsKindRule) {
  // Every button shown: a hidden one reports itself disabled.
  ToolbarFlags all;
  for (int row = 0; row < kToolbarRows; ++row)
    all[size_t(row)].assign(SpeedButtonRow(row).size(), 1);
  StoreToolbarFlags(all);
  main->ApplyToolbarLayout();
  for (const Kind &k : kKinds) {
    TMDIChild *child = Document(k);
    ASSERT_EQ(child->bitCount, k.bits) << k.label;
    for (const Command *row : TMainForm::AreaCommands()) {
      // Hidden items are disabled by their hiding.
      if (row->menuItem && main->Act(QString::fromLatin1(row->menuItem))->isVisible()) {
        EXPECT_EQ(main->Act(QString::fromLatin1(row->menuItem))->isEnabled(),
                  KindFits(row->needs, k.bits, k.grey))
            << k.label << " " << row->menuItem;
      }
      for (const char *b : row->buttons) {
        EXPECT_EQ(main->Act(QString::fromLatin1(b))->isEnabled(),
                  KindFits(row->buttonNeeds.value_or(row->needs), k.bits, k.grey))
            << k.label << " " << b;
      }
      for (const OneClick &p : row->presets) {
        EXPECT_EQ(main->Act(QString::fromLatin1(p.button))->isEnabled(),
                  KindFits(row->needs, k.bits, k.grey))
            << k.label << " " << p.button;
      }
    }
    child->closeWithoutAsking = true;
    child->close();
    test_wait::Pump();
  }
  // Without a document every area command is off.
  main->UpdateMenuItems();
  for (const Command *row : TMainForm::AreaCommands())
    for (const char *b : row->buttons) {
      EXPECT_FALSE(main->Act(QString::fromLatin1(b))->isEnabled()) << b;
    }
}

TEST_F(CommandTable, CommandsLeaveDocumentsThatDoNotFitAlone) {
  // Whoever runs them (menu item, guidance label, button, a test): no dialog
  // comes up and the picture stays as it is.
  for (const Kind &k : kKinds) {
    TMDIChild *child = Document(k);
    const QByteArray before = Bytes(child->image.get());
    for (const Command *row : TMainForm::AreaCommands()) {
      if (KindFits(row->needs, k.bits, k.grey)) continue;
      auto run = [&] {
        if (row->handler)
          main->RunCommand(QString::fromLatin1(row->handler));
        else
          main->ToolButtonClick(QString::fromLatin1(row->buttons.front()));
        for (const OneClick &p : row->presets)
          main->ToolButtonClick(QString::fromLatin1(p.button));
      };
      EXPECT_FALSE(test_wait::WithModal(run, [](QWidget *w) { w->close(); }))
          << k.label << " " << (row->handler ? row->handler : row->buttons.front());
      EXPECT_EQ(Bytes(child->image.get()), before) << k.label;
      EXPECT_EQ(child->undoCount, 0) << k.label;
    }
    child->closeWithoutAsking = true;
    child->close();
    test_wait::Pump();
  }
  // Nor does any run without a document.
  for (const Command *row : TMainForm::AreaCommands())
    if (row->handler) {
      EXPECT_FALSE(
          test_wait::WithModal([&] { main->RunCommand(QString::fromLatin1(row->handler)); },
                               [](QWidget *w) { w->close(); }))
          << row->handler;
    }
}

} // namespace

namespace {

TEST_F(CommandTable, MenuItemsButtonsAndPresetsRunTheirRow) {
  // On a document that fits, each way in either brings up the command's
  // dialog or window, or changes the picture with one edit-history entry.
  for (const Command *row : TMainForm::AreaCommands()) {
    if (!row->run && !row->runPreset) continue;
    const Kind k = row->needs == Needs::Grey8                                           ? kKinds[1]
                   : row->needs == Needs::Palette || row->needs == Needs::ColourPalette ? kKinds[2]
                                                                                        : kKinds[0];
    std::vector<QString> ways;
    if (row->run && row->menuItem) ways.push_back(QString::fromLatin1(row->menuItem));
    if (row->run)
      for (const char *b : row->buttons)
        ways.push_back(QString::fromLatin1(b));
    if (row->runPreset)
      for (const OneClick &p : row->presets)
        ways.push_back(QString::fromLatin1(p.button));
    for (const QString &way : ways) {
      TMDIChild *child = Document(k);
      const QByteArray before = Bytes(child->image.get());
      QAction *action = main->Act(way);
      ASSERT_NE(action, nullptr) << way.toStdString();
      const bool dialog =
          test_wait::WithModal([action] { action->trigger(); }, [](QWidget *w) { w->close(); });
      // Or a modeless tool window of its own, shown above the main window.
      bool window = false;
      for (QWidget *w : QApplication::topLevelWidgets())
        if (w != main && w != main->WaitMess && w->isVisible() && qobject_cast<QDialog *>(w) &&
            !w->isModal() && w->parentWidget() == main) {
          window = true;
          w->close();
        }
      const bool changed = Bytes(child->image.get()) != before && child->undoCount == 1;
      EXPECT_TRUE(dialog || window || changed) << way.toStdString();
      child->closeWithoutAsking = true;
      child->close();
      test_wait::Pump();
    }
  }
}

} // namespace
