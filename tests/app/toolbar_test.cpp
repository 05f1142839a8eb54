// The toolbar customisation: the presets, the layout order, the stored
// flags applied at start and after OK, and the commands of hidden buttons
// still reachable from the menus.
#include "fileops_fixture.h"

#include "app/Toolbars.h"

#include <QListWidget>
#include <QToolBar>
#include <QToolButton>

using namespace fileops_test;

namespace {

class Toolbar : public MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // Wide enough for every button of a row to stand in it.
    main->resize(2400, 600);
    test_wait::Pump();
  }
  bool Shown(const char *name) { return main->Act(QString::fromLatin1(name))->isVisible(); }
  // Left edge of a button in its row.
  int Left(const char *name) { return main->Button(QString::fromLatin1(name))->x(); }
  static int Fields(const char *record) {
    CResumeDialog r;
    if (r.Load(QString::fromLatin1(record)) != 0) return 0;
    int n = 0;
    while (!r.GetText(n).isEmpty())
      ++n;
    return n;
  }
};

} // namespace

TEST(ToolbarRows, PresetsAndLayoutOrder) {
  ASSERT_EQ(SpeedButtonRow(0).size(), 53u);
  ASSERT_EQ(SpeedButtonRow(1).size(), 47u);
  EXPECT_STREQ(SpeedButtonRow(0)[52].name, "btnSai");
  EXPECT_STREQ(SpeedButtonRow(1)[46].name, "SpeedButton49");
  std::vector<int> row1(50);
  for (int i = 0; i < 50; ++i)
    row1[size_t(i)] = i;
  row1.insert(row1.end(), {52, 50, 51});
  EXPECT_EQ(ToolbarLayoutOrder(0), row1);
  std::vector<int> row2 = {0, 1, 2, 3, 4, 5, 46};
  for (int i = 6; i <= 45; ++i)
    row2.push_back(i);
  EXPECT_EQ(ToolbarLayoutOrder(1), row2);

  // How many buttons each preset shows, counted from the lists of flags.
  const auto count = [](const ToolbarFlags &f, int row) {
    return int(std::count(f[size_t(row)].begin(), f[size_t(row)].end(), 1));
  };
  const ToolbarFlags big = PresetFlags(kPreset1024), mid = PresetFlags(kPreset800),
                     small = PresetFlags(kPreset640);
  EXPECT_EQ(count(big, 0), 40);
  EXPECT_EQ(count(mid, 0), 32);
  EXPECT_EQ(count(small, 0), 25);
  EXPECT_EQ(count(big, 1), 39);
  EXPECT_EQ(count(mid, 1), 31);
  EXPECT_EQ(count(small, 1), 24);
  // The three TWAIN buttons are in no preset; the painting button in all.
  for (const ToolbarFlags *f : {&big, &mid, &small}) {
    EXPECT_EQ((*f)[0][8] + (*f)[0][9] + (*f)[0][10], 0);
    EXPECT_EQ((*f)[0][52], 1);
  }
}

TEST_F(Toolbar, FirstStartShowsTheRecommendedRows) {
  EXPECT_TRUE(Shown("SpeedButton12"));
  EXPECT_TRUE(Shown("btnSai"));
  EXPECT_FALSE(Shown("SpeedButton47")); // scanning
  EXPECT_FALSE(Shown("sbTool"));
  EXPECT_FALSE(Shown("SpeedButton33"));
  EXPECT_TRUE(Shown("SpeedButton49"));
  // The painting button stands before the guidance button; the outer
  // frame right after the free rotation.
  EXPECT_LT(Left("btnSai"), Left("sbGuide"));
  EXPECT_EQ(Left("SpeedButton49"),
            Left("SpeedButton24") + main->Button(QStringLiteral("SpeedButton24"))->width());
  // Nothing is stored until the user says OK.
  EXPECT_EQ(Fields("ToolBar1"), 0);
}

TEST_F(Toolbar, PresetThenOkStoresAndLaysOutBothRows) {
  const int lensLeft = Left("SpeedButton14");
  TTBar form(main);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("ツールバーのカスタマイズ"));
  EXPECT_EQ(form.CheckListBox[0]->count(), 53);
  EXPECT_EQ(form.CheckListBox[1]->item(46)->text(), QStringLiteral("外枠の作成"));
  EXPECT_EQ(form.CheckListBox[0]->item(1)->checkState(), Qt::Checked);
  form.PresetClick(kPreset640);
  // A preset only re-checks the lists.
  EXPECT_EQ(form.CheckListBox[0]->item(1)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(Shown("SpeedButton12"));
  form.bOKClick();
  EXPECT_FALSE(Shown("SpeedButton12"));
  EXPECT_FALSE(Shown("SpeedButton13"));
  EXPECT_TRUE(Shown("OpenBtn"));
  EXPECT_EQ(Fields("ToolBar1"), 53);
  EXPECT_EQ(Fields("ToolBar2"), 47);
  // Buttons after the hidden ones moved left.
  test_wait::Pump();
  EXPECT_LT(Left("SpeedButton14"), lensLeft);
  // Hidden buttons' commands are still there in the menus.
  EXPECT_TRUE(main->Act(QStringLiteral("FileNewItem"))->isVisible());
}

TEST_F(Toolbar, OneUncheckedButtonMovesTheLaterOnesByItsWidth) {
  test_wait::Pump();
  const int width = main->Button(QStringLiteral("SaveBtn"))->width();
  const int before = Left("CutBtn");
  TTBar form(main);
  form.CheckListBox[0]->item(6)->setCheckState(Qt::Unchecked); // SaveBtn
  form.CheckListBox[0]->item(51)->setCheckState(Qt::Checked);  // sbTool
  form.bOKClick();
  test_wait::Pump();
  EXPECT_FALSE(Shown("SaveBtn"));
  EXPECT_TRUE(Shown("sbTool"));
  EXPECT_EQ(Left("CutBtn"), before - width);
}

TEST_F(Toolbar, AStoredLayoutIsAppliedAtTheNextStart) {
  ToolbarFlags flags = PresetFlags(kPreset800);
  flags[1][46] = 0; // outer frame
  flags[0][8] = 1;  // a scanning button
  StoreToolbarFlags(flags);
  TMainForm again;
  again.show();
  test_wait::Pump();
  EXPECT_FALSE(again.Act(QStringLiteral("SpeedButton49"))->isVisible());
  EXPECT_TRUE(again.Act(QStringLiteral("SpeedButton47"))->isVisible());
  EXPECT_FALSE(again.Act(QStringLiteral("SpeedButton13"))->isVisible());
  // C3 opens the dialog with the stored marks.
  ASSERT_TRUE(test_wait::WithModal(
      [&] { again.Act(QStringLiteral("C3"))->trigger(); },
      [&](QWidget *w) {
        auto *form = static_cast<TTBar *>(w);
        EXPECT_EQ(form->CheckListBox[1]->item(46)->checkState(), Qt::Unchecked);
        EXPECT_EQ(form->CheckListBox[0]->item(8)->checkState(), Qt::Checked);
        form->reject();
      }));
}
