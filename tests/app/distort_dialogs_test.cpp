// The frosted-glass, ripple, swirl and free-rotation dialogs, run through the
// main window's commands as the user runs them.
#include "fileops_fixture.h"

#include "effects/Distort.h"
#include "effects/dialogs/Fglass.h"
#include "effects/dialogs/Frotateangle.h"
#include "effects/dialogs/Fuzu.h"
#include "effects/dialogs/Fwave.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

using namespace fileops_test;

namespace {

class DistortDialogs : public DocumentTest {
protected:
  static QImage Photo(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 5) % 256, (x * y) % 256));
    return img;
  }

  static QSize SizeOf(IMGHANDLE h) {
    const TMDIB d(h);
    return {d.width, d.height};
  }

  // The preview source the dialogs make: longer side 100.
  static DibHandle Reduced(IMGHANDLE image) { return TDistortDialog::ReducedPreview(image); }

  // The wait window's range on OK, as the routine set it.
  int ProgressMaximum() const { return main->WaitMess->ProgressBar->maximum(); }
};

// ---- glass -------------------------------------------------------------------------------

TEST_F(DistortDialogs, GlassOpensFromItsItemAndButtonPreviewsAndAppliesOnce) {
  TMDIChild *c = Open(Photo(160, 120));
  ASSERT_TRUE(c);
  const DibHandle reduced = Reduced(c->image.get());
  ASSERT_EQ(SizeOf(reduced.get()), QSize(100, 75));
  const QImage want = PictureOf(GlassMap(c->image.get(), 2, 80, 20, 0, 0, 0).get());
  QString caption;
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mGlassClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TGlass *>(w);
                          caption = form->windowTitle();
                          EXPECT_EQ(form->rgDirection->checkedId(), 0);
                          EXPECT_EQ(form->tbDepth->value(), 50);
                          EXPECT_EQ(form->tbWidth->value(), 50);
                          EXPECT_EQ(form->tbDepth->minimum(), 10);
                          EXPECT_EQ(form->tbDepth->maximum(), 100);
                          EXPECT_EQ(form->tbWidth->minimum(), 10);
                          EXPECT_EQ(form->tbWidth->maximum(), 100);
                          EXPECT_EQ(form->BackgroundColour(), 0u);
                          // The preview is rendered at once, from the whole
                          // picture reduced, centred in the 150 x 150 frame.
                          EXPECT_EQ(PictureOf(form->ShownPreview()),
                                    PictureOf(GlassMap(reduced.get(), 0, 50, 50, 0, 0, 0).get()));
                          EXPECT_EQ(form->FrameRect(), QRect(288, 8, 150, 150));
                          EXPECT_EQ(form->PreviewRect(), QRect(288 + 25, 8 + 37, 100, 75));
                          form->rgDirection->button(2)->click();
                          form->tbDepth->setValue(80);
                          form->tbWidth->setValue(20);
                          EXPECT_EQ(PictureOf(form->ShownPreview()),
                                    PictureOf(GlassMap(reduced.get(), 2, 80, 20, 0, 0, 0).get()));
                          ClickButton(form, QStringLiteral("OK"));
                        }));
  EXPECT_EQ(caption, QStringLiteral("透かしガラスフィルタ"));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(ProgressMaximum(), 120);
  EXPECT_FALSE(main->WaitMess->isVisible());
  EXPECT_EQ(StoredFields(QStringLiteral("Glass"), 4), (std::vector<int>{0, 80, 20, 2}));

  // The tool button opens it again with the remembered settings; Enter is OK.
  const QImage twice = PictureOf(GlassMap(c->image.get(), 2, 80, 20, 0, 0, 0).get());
  QAction *button = main->Act(QStringLiteral("SpeedButton46"));
  ASSERT_NE(button, nullptr);
  main->UpdateMenuItems();
  ASSERT_TRUE(button->isEnabled());
  ASSERT_TRUE(WithModal([button] { button->trigger(); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TGlass *>(w);
                          EXPECT_EQ(form->rgDirection->checkedId(), 2);
                          EXPECT_EQ(form->tbDepth->value(), 80);
                          EXPECT_EQ(form->tbWidth->value(), 20);
                          QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                          QApplication::sendEvent(form, &enter);
                        }));
  EXPECT_EQ(PictureOf(c->image.get()), twice);
  EXPECT_EQ(c->undoCount, 2);
}

TEST_F(DistortDialogs, CancelAndResetLeaveTheDocumentAndTheRecordAlone) {
  TMDIChild *c = Open(Photo(90, 130));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  StoreFields(QStringLiteral("Glass"), {0x0000ff, 30, 40, 1});
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mGlassClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TGlass *>(w);
                          EXPECT_EQ(form->BackgroundColour(), 0x0000ffu);
                          EXPECT_EQ(form->Red(), 255);
                          EXPECT_EQ(form->Blue(), 0);
                          EXPECT_EQ(form->rgDirection->checkedId(), 1);
                          // A tall picture: height 100, width 90 * 100 / 130.
                          EXPECT_EQ(SizeOf(form->SourcePreview()), QSize(69, 100));
                          form->bResetClick();
                          EXPECT_EQ(form->tbDepth->value(), 50);
                          EXPECT_EQ(form->rgDirection->checkedId(), 0);
                          ClickButton(form, QStringLiteral("キャンセル"));
                        }));
  EXPECT_EQ(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_EQ(StoredFields(QStringLiteral("Glass"), 4), (std::vector<int>{0x0000ff, 30, 40, 1}));
}

// ---- ripple and the background colour ----------------------------------------------------

TEST_F(DistortDialogs, RippleTakesTheChosenBackgroundColourAndRemembersIt) {
  TMDIChild *c = Open(Photo(120, 80));
  ASSERT_TRUE(c);
  const QImage want = PictureOf(RippleMap(c->image.get(), 15, 20, 30, 70, 0x11, 0x22, 0x33).get());
  answer = [](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == UserDialogs::Kind::Colour) a.colour = 0x112233;
    return a;
  };
  ASSERT_TRUE(WithModal(
      [this] { main->RunCommand(QStringLiteral("mNamiClick")); },
      [&](QWidget *w) {
        auto *form = static_cast<TWave *>(w);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("波状フィルタ"));
        EXPECT_EQ(form->tbStrength->value(), 10);
        EXPECT_EQ(form->tbStrength->minimum(), 5);
        EXPECT_EQ(form->tbStrength->maximum(), 15);
        EXPECT_EQ(form->tbFrequency->value(), 15);
        EXPECT_EQ(form->tbFrequency->minimum(), 10);
        EXPECT_EQ(form->tbFrequency->maximum(), 20);
        EXPECT_EQ(form->tbCentreX->value(), 50);
        EXPECT_EQ(form->tbCentreY->value(), 50);
        EXPECT_EQ(form->tbCentreX->maximum(), 100);
        form->tbStrength->setValue(15);
        form->tbFrequency->setValue(20);
        form->tbCentreX->setValue(30);
        form->tbCentreY->setValue(70);
        const QImage shown = PictureOf(form->ShownPreview());
        form->bColour->click();
        EXPECT_EQ(form->BackgroundColour(), 0x332211u);
        EXPECT_EQ(form->lColour->palette().color(QPalette::Window), QColor(0x11, 0x22, 0x33));
        // The preview follows the colour at once.
        EXPECT_NE(PictureOf(form->ShownPreview()), shown);
        const DibHandle reduced = Reduced(c->image.get());
        EXPECT_EQ(PictureOf(form->ShownPreview()),
                  PictureOf(RippleMap(reduced.get(), 15, 20, 30, 70, 0x11, 0x22, 0x33).get()));
        ClickButton(form, QStringLiteral("OK"));
      }));
  EXPECT_EQ(LastOf(UserDialogs::Kind::Colour) != nullptr, true);
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields(QStringLiteral("Wave"), 5), (std::vector<int>{0x332211, 15, 20, 30, 70}));

  // A cancelled colour dialog keeps the colour.
  answer = [](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == UserDialogs::Kind::Colour) a.accepted = false;
    return a;
  };
  TWave form(main);
  form.Prepare(c);
  EXPECT_EQ(form.BackgroundColour(), 0x332211u);
  EXPECT_EQ(form.tbCentreY->value(), 70);
  form.bColourClick();
  EXPECT_EQ(form.BackgroundColour(), 0x332211u);
}

// ---- swirl and the centre marker ---------------------------------------------------------

TEST_F(DistortDialogs, SwirlMarksItsCentreAndAppliesFromTheButton) {
  TMDIChild *c = Open(Photo(100, 100));
  ASSERT_TRUE(c);
  const QImage want = PictureOf(SwirlMap(c->image.get(), 60, 1, 20, 80, 0, 0, 0).get());
  QAction *button = main->Act(QStringLiteral("SpeedButton45"));
  ASSERT_NE(button, nullptr);
  main->UpdateMenuItems();
  ASSERT_TRUE(button->isEnabled());
  ASSERT_TRUE(WithModal([button] { button->trigger(); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TUzu *>(w);
                          EXPECT_EQ(form->windowTitle(), QStringLiteral("渦巻フィルタ"));
                          EXPECT_EQ(form->tbAmount->value(), 5);
                          EXPECT_EQ(form->tbAmount->minimum(), 0);
                          EXPECT_EQ(form->tbAmount->maximum(), 100);
                          EXPECT_EQ(form->rgDirection->checkedId(), 0);
                          EXPECT_EQ(form->rgDirection->button(0)->text(), QStringLiteral("右巻き"));
                          EXPECT_EQ(form->rgDirection->button(1)->text(), QStringLiteral("左巻き"));
                          form->tbAmount->setValue(60);
                          form->rgDirection->button(1)->click();
                          form->tbCentreX->setValue(20);
                          form->tbCentreY->setValue(80);
                          // The marker: a small circle about (left + width * 20 / 100, top +
                          // height * 80 / 100) of the shown preview, in the frame at (313, 33).
                          const QImage shot = form->grab().toImage();
                          auto redAround = [&](QPoint centre) {
                            int n = 0;
                            for (int dy = -4; dy <= 4; ++dy)
                              for (int dx = -4; dx <= 4; ++dx)
                                n += shot.pixel(centre + QPoint(dx, dy)) == qRgb(255, 0, 0);
                            return n;
                          };
                          EXPECT_GE(redAround(QPoint(288 + 25 + 20, 8 + 25 + 80)), 8);
                          EXPECT_EQ(redAround(QPoint(288 + 25 + 50, 8 + 25 + 50)), 0);
                          ClickButton(form, QStringLiteral("OK"));
                        }));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields(QStringLiteral("Uzu"), 5), (std::vector<int>{0, 60, 1, 20, 80}));
}

// ---- free rotation -----------------------------------------------------------------------

TEST_F(DistortDialogs, RotationTrackBarAndAngleTextFollowEachOther) {
  TMDIChild *c = Open(Photo(100, 50));
  ASSERT_TRUE(c);
  TRotateAngle form(main);
  form.Prepare(c);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("任意角度での回転"));
  EXPECT_EQ(form.TrackBar->value(), 0);
  EXPECT_EQ(form.TrackBar->minimum(), -180);
  EXPECT_EQ(form.TrackBar->maximum(), 180);
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("0"));
  EXPECT_TRUE(form.cbLines->isChecked());
  const DibHandle source(Kit.ImgKitCopy(form.SourcePreview(), "", ""));
  // At 0 the preview is the source itself.
  EXPECT_EQ(PictureOf(form.ShownPreview()), PictureOf(source.get()));

  form.TrackBar->setValue(30);
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("30"));
  EXPECT_EQ(PictureOf(form.ShownPreview()), PictureOf(RotateFree(source.get(), 30, 0, 0, 0).get()));
  // The preview of a turned picture is larger, still centred in the frame.
  const QSize turned = SizeOf(form.ShownPreview());
  EXPECT_GT(turned.height(), 50);
  EXPECT_EQ(form.PreviewRect().center(), form.FrameRect().center());

  // The small buttons change the text, not the track bar, until the whole
  // number changes.
  form.bPlus01->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("30.1"));
  EXPECT_EQ(form.TrackBar->value(), 30);
  EXPECT_EQ(PictureOf(form.ShownPreview()),
            PictureOf(RotateFree(source.get(), 30.1, 0, 0, 0).get()));
  form.bMinus1->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("29.1"));
  EXPECT_EQ(form.TrackBar->value(), 29);
  form.bMinus01->click();
  form.bPlus1->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("30"));
  EXPECT_EQ(form.TrackBar->value(), 30);

  // Down at the left end: -179 still steps, -180 does not.
  form.TrackBar->setValue(-179);
  form.bMinus01->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("-179.1"));
  form.bMinus1->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("-180.1"));
  EXPECT_EQ(form.TrackBar->value(), -180);
  form.bMinus1->click();
  form.bMinus01->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("-180.1"));
  form.bPlus01->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("-180"));
  // Up at the right end: below 180 steps, 180 does not.
  form.TrackBar->setValue(179);
  form.bPlus1->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("180"));
  EXPECT_EQ(form.TrackBar->value(), 180);
  form.bPlus01->click();
  form.bPlus1->click();
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("180"));

  // Typed text: a quarter turn swaps the preview's sides; text that is no
  // number counts as 0.
  form.eAngle->setText(QStringLiteral("-90"));
  emit form.eAngle->textEdited(form.eAngle->text());
  EXPECT_EQ(SizeOf(form.ShownPreview()), QSize(50, 100));
  EXPECT_EQ(form.TrackBar->value(), -90);
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("-90"));
  form.eAngle->setText(QStringLiteral("12.5度"));
  emit form.eAngle->textEdited(form.eAngle->text());
  EXPECT_EQ(form.Angle(), 0);
  EXPECT_EQ(form.TrackBar->value(), 0);
  EXPECT_EQ(PictureOf(form.ShownPreview()), PictureOf(source.get()));
  // Enter only takes the typed angle in; the dialog stays.
  form.eAngle->setText(QStringLiteral("45.5"));
  form.show();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.TrackBar->value(), 45);
  EXPECT_EQ(form.eAngle->text(), QStringLiteral("45.5"));
  EXPECT_EQ(c->undoCount, 0);
  form.reject();
}

TEST_F(DistortDialogs, RotationAppliesTheTextsAngleAndRemembersOnlyColourAndLines) {
  TMDIChild *c = Open(Photo(100, 60));
  ASSERT_TRUE(c);
  const DibHandle want = RotateFree(c->image.get(), 12.3, 0, 0, 0);
  const QSize size = SizeOf(want.get());
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mRotateExClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TRotateAngle *>(w);
                          form->TrackBar->setValue(12);
                          form->bPlus01->click();
                          form->bPlus01->click();
                          form->bPlus01->click();
                          EXPECT_EQ(form->eAngle->text(), QStringLiteral("12.3"));
                          form->cbLines->setChecked(false);
                          ClickButton(form, QStringLiteral("OK"));
                        }));
  EXPECT_EQ(QSize(c->width, c->height), size);
  EXPECT_EQ(PictureOf(c->image.get()), PictureOf(want.get()));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(ProgressMaximum(), size.height());
  EXPECT_EQ(StoredFields(QStringLiteral("RotateEx"), 2), (std::vector<int>{0, 0}));
  c->Undo();
  EXPECT_EQ(QSize(c->width, c->height), QSize(100, 60));

  // The next run: the angle back at 0, the check box as it was left.
  QAction *button = main->Act(QStringLiteral("SpeedButton24"));
  ASSERT_NE(button, nullptr);
  main->UpdateMenuItems();
  ASSERT_TRUE(button->isEnabled());
  ASSERT_TRUE(WithModal([button] { button->trigger(); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TRotateAngle *>(w);
                          EXPECT_EQ(form->TrackBar->value(), 0);
                          EXPECT_EQ(form->eAngle->text(), QStringLiteral("0"));
                          EXPECT_FALSE(form->cbLines->isChecked());
                          ClickButton(form, QStringLiteral("キャンセル"));
                        }));
}

TEST_F(DistortDialogs, RotationQuarterTurnIsTheKitsAndTooLargeATurnIsRefused) {
  TMDIChild *c = Open(Photo(30, 20));
  ASSERT_TRUE(c);
  DibHandle quarter(Kit.ImgKitCopy(c->image.get(), "", ""));
  quarter.Adopt(Kit.ImgKitRotation(quarter.get(), "", "", IMGKIT_ROTATE_RIGHT));
  {
    TRotateAngle form(main);
    form.Prepare(c);
    form.TrackBar->setValue(90);
    form.bOKClick();
  }
  EXPECT_EQ(PictureOf(c->image.get()), PictureOf(quarter.get()));
  EXPECT_EQ(c->width, 20);
  EXPECT_EQ(c->undoCount, 1);

  // 30000 x 2 turned by 45 would need about 4.5e8 pixels.
  TMDIChild *wide = Open(Photo(30000, 2), QStringLiteral("wide.bmp"));
  ASSERT_TRUE(wide);
  const QImage before = PictureOf(wide->image.get());
  {
    TRotateAngle form(main);
    form.Prepare(wide);
    EXPECT_EQ(SizeOf(form.SourcePreview()), QSize(100, 1));
    form.TrackBar->setValue(45);
    form.bOKClick();
  }
  EXPECT_EQ(Messages(), QStringList(QStringLiteral("メモリが不足しているため処理できません。")));
  EXPECT_EQ(PictureOf(wide->image.get()), before);
  EXPECT_EQ(wide->undoCount, 0);
  EXPECT_EQ(wide->modificationCount, 0);
  EXPECT_FALSE(main->WaitMess->isVisible());
}

} // namespace
