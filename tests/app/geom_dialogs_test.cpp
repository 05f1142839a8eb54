// Colour depth, grey, negative, sepia, the kit's one-shot filters, turns and
// flips, mosaic and crop, run through the main window's commands on real
// document windows.
#include "adjust/Sepia.h"
#include "adjust/dialogs/ColourCommands.h"
#include "adjust/dialogs/Fcolorinc.h"
#include "adjust/dialogs/Fcut.h"
#include "adjust/dialogs/Fdither.h"
#include "adjust/dialogs/Frotate.h"
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "app/PreviewFrame.h"
#include "effects/dialogs/Mozic.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"
#include "wait_util.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDeadlineTimer>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

using test_wait::Pump;
using test_wait::WhileModal;

// A 24-bit picture whose every pixel differs from its neighbours.
DibHandle Pattern(int w, int h) {
  DibHandle d = CreateBlankDib(w, h);
  TMDIB dib(d.get());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t *p = dib.Row(y) + 3 * x;
      p[0] = uint8_t((x * 37 + y * 11) & 255);
      p[1] = uint8_t((x * 5 + y * 53 + 17) & 255);
      p[2] = uint8_t((x * 71 + y * 3 + 90) & 255);
    }
  return d;
}

DibHandle Copy(IMGHANDLE h) { return DibHandle(Kit.ImgKitCopy(h, "", "")); }

// The whole packed image, header, colour table and rows.
QByteArray Bytes(IMGHANDLE h) {
  TMDIB dib(h);
  if (!dib.Attached()) return {};
  return QByteArray(reinterpret_cast<const char *>(dib.header), int(Kit.ImgKitMemSize(h)));
}

class GeomDialogs : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LoadImagingKit(); }

  void SetUp() override {
    UserDialogs::SetResponder([](const UserDialogs::Request &) { return UserDialogs::Answer{}; });
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    WriteSettingIn(kDialogsKey, QStringLiteral("Dither"), QString());
    WriteSettingIn(kDialogsKey, QStringLiteral("Mozic"), QString());
    savedDepth = General.undoDepth;
    main = std::make_unique<TMainForm>();
    main->show();
    main->resize(1200, 900);
    // The program's start makes the wait window; here the test does.
    if (!main->WaitMess) main->WaitMess = new TfWaitMess(main.get());
    Pump();
    // After the main window read the general settings.
    General.undoDepth = 5;
  }

  void TearDown() override {
    General.undoDepth = savedDepth;
    for (TMDIChild *c : main->Children())
      c->closeWithoutAsking = true;
    main.reset();
    UserDialogs::SetResponder(nullptr);
  }

  // A document window holding `image`, set up as opening a file does.
  TMDIChild *Open(DibHandle image) {
    TMDIChild *c = main->CreateChild(QStringLiteral("/tmp/geom.bmp"));
    c->image = std::move(image);
    c->ReadImageInfo();
    c->LayoutForZoom();
    c->RefreshDisplay();
    c->RebuildPreview();
    main->UpdateMenuItems();
    Pump();
    return c;
  }
  TMDIChild *OpenPattern(int w, int h) { return Open(Pattern(w, h)); }
  TMDIChild *OpenDepth(int w, int h, int bits) {
    DibHandle d = Pattern(w, h);
    d.Adopt(Kit.ImgKitConvertColor(d.get(), bits, 0, 1, "", ""));
    return Open(std::move(d));
  }
  TMDIChild *OpenGrey(int w, int h) {
    DibHandle d = Pattern(w, h);
    d.Adopt(Kit.ImgKitSetGray(d.get(), "", ""));
    return Open(std::move(d));
  }

  bool Enabled(const char *name) const {
    QAction *a = main->Act(QString::fromLatin1(name));
    return a && a->isEnabled();
  }

  std::unique_ptr<TMainForm> main;
  int savedDepth = 0;
};

// ---- turns and flips --------------------------------------------------------

TEST_F(GeomDialogs, OneClickTurnsMatchTheKitAndTakeOneUndoEach) {
  TMDIChild *c = OpenPattern(7, 3);
  const QByteArray original = Bytes(c->image.get());
  // Button, kit kind.
  const std::pair<const char *, int> buttons[] = {
      {"tb01", 1}, {"tb02", 2}, {"tb03", 0}, {"tb04", 4}, {"tb05", 3}};
  int undos = 0;
  for (const auto &[name, kind] : buttons) {
    DibHandle expected = Copy(c->image.get());
    expected.Adopt(Kit.ImgKitRotation(expected.get(), "", "", kind));
    main->ToolButtonClick(QString::fromLatin1(name));
    EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get())) << name;
    EXPECT_EQ(c->undoCount, ++undos) << name;
  }
  // Left, right, half, mirror, flip: a half turn of a half turn away.
  for (const char *name : {"tb03", "tb04", "tb05"})
    main->ToolButtonClick(QString::fromLatin1(name));
  EXPECT_EQ(Bytes(c->image.get()), original);
  // Four quarter turns give the original, and the window follows the size.
  main->ToolButtonClick(QStringLiteral("tb01"));
  EXPECT_EQ(c->width, 3);
  EXPECT_EQ(c->height, 7);
  for (int i = 0; i < 3; ++i)
    main->ToolButtonClick(QStringLiteral("tb01"));
  EXPECT_EQ(Bytes(c->image.get()), original);
  EXPECT_EQ(c->width, 7);
}

TEST_F(GeomDialogs, RotateWithoutChoiceDoesNothingAndStaysOpen) {
  TMDIChild *c = OpenPattern(5, 4);
  const QByteArray original = Bytes(c->image.get());
  bool stillOpen = false;
  EXPECT_TRUE(WhileModal<TRotateForm>([&] { main->RunCommand(QStringLiteral("mRotateClick")); },
                                      [&](TRotateForm *form) {
                                        EXPECT_EQ(form->windowTitle(),
                                                  QStringLiteral("回転／反転"));
                                        EXPECT_EQ(form->ItemIndex(), -1);
                                        form->findChild<QPushButton *>("bOK")->click();
                                        stillOpen = form->isVisible();
                                        form->RadioGroup1->button(2)->click();
                                        form->findChild<QPushButton *>("bOK")->click();
                                      }));
  EXPECT_TRUE(stillOpen);
  DibHandle expected = DibHandle(Kit.ImgKitCopy(Pattern(5, 4).get(), "", ""));
  expected.Adopt(Kit.ImgKitRotation(expected.get(), "", "", 2));
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_NE(Bytes(c->image.get()), original);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(c->width, 4);
}

// ---- grey, negative, one-shot kit filters -----------------------------------

TEST_F(GeomDialogs, GreyMakesAGreyPaletteOnceAndSkipsWhatItCannotChange) {
  TMDIChild *c = OpenPattern(6, 5);
  DibHandle expected = Copy(c->image.get());
  expected.Adopt(Kit.ImgKitSetGray(expected.get(), "", ""));
  EXPECT_TRUE(Enabled("mGray"));
  main->RunCommand(QStringLiteral("mGrayClick"));
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_EQ(c->bitCount, 8);
  EXPECT_TRUE(c->gray);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_FALSE(Enabled("mGray")); // menus follow the new depth
  EXPECT_TRUE(Enabled("tb14"));
  main->RunCommand(QStringLiteral("mGrayClick")); // already grey
  EXPECT_EQ(c->undoCount, 1);
  TMDIChild *mono = OpenDepth(6, 5, 1);
  main->RunCommand(QStringLiteral("mGrayClick")); // below 4 bits
  EXPECT_EQ(mono->undoCount, 0);
}

TEST_F(GeomDialogs, NegativeTwiceGivesTheOriginalWithTwoUndos) {
  TMDIChild *c = OpenPattern(9, 4);
  const QByteArray original = Bytes(c->image.get());
  main->RunCommand(QStringLiteral("mReverseClick"));
  {
    TMDIB dib(c->image.get());
    const uint8_t *p = dib.Row(0);
    EXPECT_EQ(p[0], 255); // blue 0 at the first pixel
  }
  main->RunCommand(QStringLiteral("mReverseClick"));
  EXPECT_EQ(Bytes(c->image.get()), original);
  EXPECT_EQ(c->undoCount, 2);
}

TEST_F(GeomDialogs, OneShotFiltersRunTheKitInPlaceWithOneUndo) {
  const std::function<void(IMGHANDLE)> kit[] = {
      [](IMGHANDLE h) { Kit.ImgKitFilter(h, "", "", IMGKIT_FILTER_ROBERTS); },
      [](IMGHANDLE h) { Kit.ImgKitFilter(h, "", "", IMGKIT_FILTER_LAPLACIAN); },
      [](IMGHANDLE h) { Kit.ImgKitEmboss(h, "", ""); }};
  const std::function<void()> command[] = {
      [this] { main->RunCommand(QStringLiteral("mRobertsClick")); },
      [this] { main->RunCommand(QStringLiteral("mLapratianClick")); },
      [this] { main->RunCommand(QStringLiteral("mEmbossClick")); }};
  for (int i = 0; i < 3; ++i) {
    for (bool grey : {false, true}) {
      TMDIChild *c = grey ? OpenGrey(8, 6) : OpenPattern(8, 6);
      DibHandle expected = Copy(c->image.get());
      kit[i](expected.get());
      const QByteArray before = Bytes(c->image.get());
      command[i]();
      // Emboss, like its menu item, takes grey images only, whoever runs it.
      if (i == 2 && !grey) {
        EXPECT_EQ(Bytes(c->image.get()), before);
        EXPECT_EQ(c->undoCount, 0);
        continue;
      }
      EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get())) << i << grey;
      EXPECT_NE(Bytes(c->image.get()), before) << i << grey;
      EXPECT_EQ(c->undoCount, 1);
      EXPECT_EQ(c->width, 8);
    }
    // A colour palette has no grey levels to work on: nothing happens.
    TMDIChild *palette = OpenDepth(8, 6, 8);
    command[i]();
    EXPECT_EQ(palette->undoCount, 0) << i;
  }
}

// ---- colour reduction and increase ------------------------------------------

TEST_F(GeomDialogs, ReductionOffersOnlyLowerDepths) {
  struct Case {
    int bits;
    bool colours, c256, c16, c2, method;
    int choice;
  };
  const Case cases[] = {{24, true, true, true, true, true, 0},
                        {8, true, false, true, true, true, 1},
                        {4, true, false, false, true, false, 2},
                        {1, false, false, false, false, false, 2}};
  for (const Case &k : cases) {
    TMDIChild *c = k.bits == 24 ? OpenPattern(4, 4) : OpenDepth(4, 4, k.bits);
    ASSERT_EQ(c->bitCount, k.bits);
    TDitherForm form(main.get());
    form.Prepare(c);
    EXPECT_EQ(form.findChild<QGroupBox *>("rgColors")->isEnabled(), k.colours) << k.bits;
    EXPECT_EQ(form.rgColors->button(0)->isEnabled(), k.c256) << k.bits;
    EXPECT_EQ(form.rgColors->button(1)->isEnabled(), k.c16) << k.bits;
    EXPECT_EQ(form.rgColors->button(2)->isEnabled(), k.c2) << k.bits;
    EXPECT_EQ(form.findChild<QGroupBox *>("rgMethod")->isEnabled(), k.method) << k.bits;
    EXPECT_EQ(form.findChild<QGroupBox *>("rgPalette")->isEnabled(), k.method) << k.bits;
    EXPECT_EQ(form.rgColors->checkedId(), k.choice) << k.bits;
  }
  // Two levels turn the method and palette off, any other choice on.
  TMDIChild *c = OpenPattern(4, 4);
  TDitherForm form(main.get());
  form.Prepare(c);
  form.rgColors->button(2)->click();
  EXPECT_FALSE(form.findChild<QGroupBox *>("rgMethod")->isEnabled());
  form.rgColors->button(1)->click();
  EXPECT_TRUE(form.findChild<QGroupBox *>("rgPalette")->isEnabled());
}

TEST_F(GeomDialogs, ReductionAppliesRemembersAndUpdatesTheMenus) {
  TMDIChild *c = OpenPattern(12, 9);
  DibHandle expected = Copy(c->image.get());
  expected.Adopt(Kit.ImgKitConvertColor(expected.get(), 4, 1, 0, "", ""));
  EXPECT_FALSE(Enabled("tb14"));
  EXPECT_TRUE(WhileModal<TDitherForm>([&] { main->RunCommand(QStringLiteral("mDitherClick")); },
                                      [](TDitherForm *form) {
                                        EXPECT_EQ(form->windowTitle(), QStringLiteral("減色処理"));
                                        form->rgColors->button(1)->click();
                                        form->rgMethod->button(1)->click();
                                        form->rgPalette->button(1)->click();
                                        form->findChild<QPushButton *>("bOK")->click();
                                      }));
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_EQ(c->bitCount, 4);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_TRUE(Enabled("tb14"));
  EXPECT_EQ(ReadSettingIn(kDialogsKey, QStringLiteral("Dither"), QString()),
            QStringLiteral("1,1,1"));
  // The next time the choices come back.
  TMDIChild *d = OpenPattern(4, 4);
  TDitherForm again(main.get());
  again.Prepare(d);
  EXPECT_EQ(again.rgColors->checkedId(), 1);
  EXPECT_EQ(again.rgMethod->checkedId(), 1);
  EXPECT_EQ(again.rgPalette->checkedId(), 1);
}

TEST_F(GeomDialogs, CancelLeavesDocumentAndHistoryAlone) {
  TMDIChild *c = OpenPattern(12, 9);
  const QByteArray original = Bytes(c->image.get());
  WhileModal<TDitherForm>([&] { main->RunCommand(QStringLiteral("mDitherClick")); },
                          [](TDitherForm *f) { f->findChild<QPushButton *>("bCancel")->click(); });
  WhileModal<TMozicForm>([&] { main->RunCommand(QStringLiteral("mMozaicClick")); },
                         [](TMozicForm *f) { f->findChild<QPushButton *>("bCancel")->click(); });
  WhileModal<TCutForm>([&] { main->RunCommand(QStringLiteral("mSmallClick")); },
                       [](TCutForm *f) {
                         f->Edit1->setText(QStringLiteral("3"));
                         f->findChild<QPushButton *>("bCancel")->click();
                       });
  EXPECT_EQ(Bytes(c->image.get()), original);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_EQ(c->modificationCount, 0);
  EXPECT_EQ(ReadSettingIn(kDialogsKey, QStringLiteral("Dither"), QString()), QString());
}

TEST_F(GeomDialogs, To256FixedColoursOnlyFromFullColour) {
  TMDIChild *c = OpenPattern(10, 10);
  DibHandle expected = Copy(c->image.get());
  expected.Adopt(Kit.ImgKitConvertColor(expected.get(), 8, 1, 1, "", ""));
  main->ToolButtonClick(QStringLiteral("tb15"));
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_EQ(c->bitCount, 8);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_FALSE(Enabled("tb15"));
  main->ToolButtonClick(QStringLiteral("tb15")); // now a palette image
  EXPECT_EQ(c->undoCount, 1);
  // Back to full colour with tb14.
  main->ToolButtonClick(QStringLiteral("tb14"));
  EXPECT_EQ(c->bitCount, 24);
  EXPECT_EQ(c->undoCount, 2);
  EXPECT_TRUE(Enabled("tb15"));
  main->ToolButtonClick(QStringLiteral("tb14")); // already full colour
  EXPECT_EQ(c->undoCount, 2);
}

TEST_F(GeomDialogs, IncreaseOffersOnlyHigherDepths) {
  const std::pair<int, int> offered[] = {{1, 3}, {4, 2}, {8, 1}, {24, 0}};
  for (const auto &[bits, count] : offered) {
    TMDIChild *c = bits == 24 ? OpenPattern(4, 4) : OpenDepth(4, 4, bits);
    TColorIncForm form(main.get());
    form.Prepare(c);
    EXPECT_EQ(form.ItemIndex(), 0);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(form.rgColors->button(i)->isEnabled(), i < count) << bits << " " << i;
    EXPECT_EQ(form.findChild<QGroupBox *>("rgColors")->isEnabled(), count > 0) << bits;
  }
  TMDIChild *mono = OpenDepth(5, 3, 1);
  DibHandle expected = Copy(mono->image.get());
  expected.Adopt(Kit.ImgKitConvertColor(expected.get(), 8, 0, 0, "", ""));
  WhileModal<TColorIncForm>([&] { main->RunCommand(QStringLiteral("mIncColorClick")); },
                            [](TColorIncForm *f) {
                              EXPECT_EQ(f->windowTitle(), QStringLiteral("色数増加"));
                              f->rgColors->button(1)->click();
                              f->findChild<QPushButton *>("bOK")->click();
                            });
  EXPECT_EQ(Bytes(mono->image.get()), Bytes(expected.get()));
  EXPECT_EQ(mono->bitCount, 8);
  EXPECT_EQ(mono->undoCount, 1);
}

// ---- sepia ------------------------------------------------------------------

TEST_F(GeomDialogs, SepiaIsOneUndoableStep) {
  TMDIChild *c = OpenDepth(11, 7, 8);
  const QByteArray original = Bytes(c->image.get());
  DibHandle expected = Copy(c->image.get());
  expected.Adopt(Kit.ImgKitConvertColor(expected.get(), 24, 0, 0, "", ""));
  expected.Adopt(Kit.ImgKitSetGray(expected.get(), "", ""));
  Kit.ImgKitRGB(expected.get(), "", "", 30, 0, -30);
  expected.Adopt(Kit.ImgKitConvertColor(expected.get(), 24, 0, 0, "", ""));
  main->RunCommand(QStringLiteral("mSepiaClick"));
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_EQ(c->bitCount, 24);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
  EXPECT_EQ(main->WaitMess->ProgressBar->maximum(), 130);
  EXPECT_EQ(main->WaitMess->ProgressBar->value(), 130);
  EXPECT_TRUE(Enabled("tb15")); // menus follow the full-colour result
  {
    TMDIB dib(c->image.get());
    const uint8_t *p = dib.Row(3) + 3 * 5;
    EXPECT_GT(int(p[2]), int(p[0])); // warmer: red above blue
  }
  c->Undo();
  EXPECT_EQ(Bytes(c->image.get()), original);
}

TEST_F(GeomDialogs, SepiaCommandGivesTheRoutineAtEveryDepth) {
  for (int bits : {1, 4, 8, 24}) {
    SCOPED_TRACE(bits);
    TMDIChild *c = bits == 24 ? OpenPattern(13, 9) : OpenDepth(13, 9, bits);
    const QByteArray original = Bytes(c->image.get());
    DibHandle expected = Copy(c->image.get());
    ASSERT_TRUE(Sepia(expected));
    main->RunCommand(QStringLiteral("mSepiaClick"));
    EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
    EXPECT_EQ(c->bitCount, 24);
    EXPECT_EQ(c->undoCount, 1);
    EXPECT_FALSE(main->WaitMess->isVisible());
    EXPECT_EQ(main->WaitMess->ProgressBar->value(), 130);
    c->Undo();
    EXPECT_EQ(Bytes(c->image.get()), original);
    c->closeWithoutAsking = true;
    c->close();
    Pump();
  }
}

// ---- mosaic -----------------------------------------------------------------

TEST_F(GeomDialogs, MosaicAppliesAndRemembersItsSize) {
  TMDIChild *c = OpenPattern(20, 13);
  DibHandle expected = Copy(c->image.get());
  Kit.ImgKitMosaic(expected.get(), "", "", 7);
  EXPECT_TRUE(WhileModal<TMozicForm>([&] { main->RunCommand(QStringLiteral("mMozaicClick")); },
                                     [](TMozicForm *f) {
                                       EXPECT_EQ(f->windowTitle(), QStringLiteral("モザイク処理"));
                                       EXPECT_EQ(f->TrackBar1->value(), 4);
                                       EXPECT_EQ(f->lValue->text(), QStringLiteral("4"));
                                       EXPECT_EQ(f->TrackBar1->minimum(), 2);
                                       EXPECT_EQ(f->TrackBar1->maximum(), 16);
                                       f->TrackBar1->setValue(7);
                                       EXPECT_EQ(f->lValue->text(), QStringLiteral("7"));
                                       f->findChild<QPushButton *>("bOK")->click();
                                     }));
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(ReadSettingIn(kDialogsKey, QStringLiteral("Mozic"), QString()), QStringLiteral("7"));
  int shown = 0;
  WhileModal<TMozicForm>([&] { main->RunCommand(QStringLiteral("mMozaicClick")); },
                         [&](TMozicForm *f) {
                           shown = f->TrackBar1->value();
                           f->reject();
                         });
  EXPECT_EQ(shown, 7);
  // A colour palette image is left alone.
  TMDIChild *palette = OpenDepth(8, 8, 8);
  main->RunCommand(QStringLiteral("mMozaicClick"));
  EXPECT_EQ(palette->undoCount, 0);
}

// ---- crop -------------------------------------------------------------------

TEST_F(GeomDialogs, SmallImageOffersNoFixedSize) {
  TMDIChild *c = OpenPattern(600, 400);
  TCutForm form(main.get());
  form.Prepare(c);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("画像の切取り"));
  EXPECT_FALSE(form.rbFixed->isEnabled());
  for (QAbstractButton *b : form.rgSize->buttons())
    EXPECT_FALSE(b->isEnabled());
  EXPECT_TRUE(form.rbFree->isChecked());
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("600"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("400"));
  EXPECT_EQ(form.rgAnchor->checkedId(), TCutForm::Centre);
  // Larger than the picture goes back to the picture's size.
  form.Edit1->setText(QStringLiteral("900"));
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("600"));
  form.Edit2->setText(QStringLiteral("401"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("400"));
}

TEST_F(GeomDialogs, FixedSizeCutFromTheCentre) {
  TMDIChild *c = OpenPattern(1000, 700);
  DibHandle expected = Copy(c->image.get());
  expected.Adopt(Kit.ImgKitRectCut(expected.get(), "", "", 180, 110, 819, 589));
  TCutForm form(main.get());
  form.Prepare(c);
  EXPECT_TRUE(form.rbFixed->isEnabled());
  form.rbFixed->click();
  EXPECT_TRUE(form.rgSize->button(0)->isEnabled());
  EXPECT_TRUE(form.rgSize->button(1)->isEnabled());  // 800 x 600
  EXPECT_FALSE(form.rgSize->button(2)->isEnabled()); // 1024 wide
  EXPECT_TRUE(form.gbSize->isEnabled());
  EXPECT_FALSE(form.gbRatio->isEnabled());
  EXPECT_FALSE(form.Edit1->isEnabled());
  // No size chosen: 640 x 480.
  EXPECT_EQ(form.CropRectangle(), QRect(180, 110, 640, 480));
  // The picture is 100 x 70 at (280, 23); k = 100.
  EXPECT_EQ(form.PictureOrigin(), QPoint(280, 23));
  EXPECT_EQ(form.CropFrame(), QRect(298, 34, 65, 49));
  form.bOKClick();
  EXPECT_EQ(form.result(), int(QDialog::Accepted));
  EXPECT_EQ(c->width, 640);
  EXPECT_EQ(c->height, 480);
  EXPECT_EQ(Bytes(c->image.get()), Bytes(expected.get()));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(c->areaLeft, 0);
  EXPECT_EQ(c->areaTop, 0);
}

TEST_F(GeomDialogs, NineAnchorsPlaceTheRectangle) {
  TMDIChild *c = OpenPattern(301, 201);
  TCutForm form(main.get());
  form.Prepare(c);
  form.Edit1->setText(QStringLiteral("100"));
  form.Edit2->setText(QStringLiteral("50"));
  const QPoint origins[9] = {{0, 0},    {100, 0}, {201, 0},   {0, 75},   {100, 75},
                             {201, 75}, {0, 151}, {100, 151}, {201, 151}};
  for (int i = 0; i < 9; ++i) {
    form.rgAnchor->button(i)->click();
    EXPECT_EQ(form.CropRectangle(), QRect(origins[i], QSize(100, 50))) << i;
  }
  form.bOKClick();
  EXPECT_EQ(c->width, 100);
  EXPECT_EQ(c->height, 50);
  TMDIB dib(c->image.get());
  // Bottom-right: the picture's last column and bottom row.
  const uint8_t *p = dib.Row(0) + 3 * 99;
  EXPECT_EQ(p[0], uint8_t((300 * 37) & 255));
}

TEST_F(GeomDialogs, RatioCouplesTheEdits) {
  TMDIChild *c = OpenPattern(1000, 700);
  TCutForm form(main.get());
  form.Prepare(c);
  form.rbRatio->click();
  EXPECT_TRUE(form.gbRatio->isEnabled());
  EXPECT_TRUE(form.Edit1->isEnabled());
  form.rgRatio->button(1)->click(); // 4:3
  form.Edit1->setText(QStringLiteral("800"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("600"));
  form.Edit2->setText(QStringLiteral("300"));
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("400"));
  form.rgRatio->button(2)->click(); // 5:4
  form.Edit1->setText(QStringLiteral("500"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("400"));
  // Entering the width derives it from the height by the ratio.
  QFocusEvent enter(QEvent::FocusIn);
  QApplication::sendEvent(form.Edit1, &enter);
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("500"));
  form.rgRatio->button(1)->click();
  QApplication::sendEvent(form.Edit1, &enter);
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("533")); // 400 x 4 / 3
  form.rgRatio->button(0)->click();                     // the picture's own
  form.Edit1->setText(QStringLiteral("600"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("420"));
  // Free size: independent.
  form.rbFree->click();
  form.Edit1->setText(QStringLiteral("123"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("420"));
  // An empty rectangle cuts nothing and keeps the dialog open.
  form.Edit1->setText(QString());
  form.bOKClick();
  EXPECT_NE(form.result(), int(QDialog::Accepted));
  EXPECT_EQ(c->undoCount, 0);
}

// ---- nothing open -----------------------------------------------------------

TEST_F(GeomDialogs, NoDocumentNoAction) {
  main->RunCommand(QStringLiteral("mGrayClick"));
  main->RunCommand(QStringLiteral("mSepiaClick"));
  main->RunCommand(QStringLiteral("mReverseClick"));
  main->RunCommand(QStringLiteral("mRobertsClick"));
  main->RunCommand(QStringLiteral("mLapratianClick"));
  main->RunCommand(QStringLiteral("mEmbossClick"));
  main->RunCommand(QStringLiteral("mDitherClick"));
  main->RunCommand(QStringLiteral("mIncColorClick"));
  main->RunCommand(QStringLiteral("mRotateClick"));
  main->RunCommand(QStringLiteral("mMozaicClick"));
  main->RunCommand(QStringLiteral("mSmallClick"));
  for (const char *b : {"tb01", "tb02", "tb03", "tb04", "tb05", "tb14", "tb15"})
    main->ToolButtonClick(QString::fromLatin1(b));
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace

TEST_F(GeomDialogs, CropPutsThePreviewAreaBackAtTheCorner) {
  TMDIChild *c = OpenPattern(400, 300);
  c->sPreview->move(250, 180);
  c->ShowArea();
  ASSERT_EQ(c->areaLeft, 250);
  ASSERT_EQ(c->areaTop, 180);
  TCutForm form(main.get());
  form.Prepare(c);
  form.Edit1->setText(QStringLiteral("120"));
  form.Edit2->setText(QStringLiteral("90"));
  form.bOKClick();
  ASSERT_EQ(c->width, 120);
  EXPECT_EQ(c->areaLeft, 0);
  EXPECT_EQ(c->areaTop, 0);
  // The frame, not only the numbers: it would otherwise hang outside the picture.
  EXPECT_EQ(c->sPreview->pos(), QPoint(0, 0));
}

TEST_F(GeomDialogs, EmbossGuidanceLabelObeysTheMenuItemsRule) {
  QLabel *label =
      main->GuideLabel(QStringLiteral("Artist"), QStringLiteral("エンボス（浮き出し）"));
  ASSERT_NE(label, nullptr);
  TMDIChild *colour = OpenPattern(8, 6);
  const QByteArray before = Bytes(colour->image.get());
  emit label->linkActivated(QStringLiteral("#"));
  EXPECT_EQ(Bytes(colour->image.get()), before);
  EXPECT_EQ(colour->undoCount, 0);
  EXPECT_FALSE(main->Act(QStringLiteral("mEmboss"))->isEnabled());
  TMDIChild *grey = OpenGrey(8, 6);
  const QByteArray greyBefore = Bytes(grey->image.get());
  emit label->linkActivated(QStringLiteral("#"));
  EXPECT_NE(Bytes(grey->image.get()), greyBefore);
  EXPECT_EQ(grey->undoCount, 1);
}
