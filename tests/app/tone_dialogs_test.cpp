// The tone, balance and variation dialogs driven headless: through the main
// window's commands and one-click buttons, and directly.
#include "fileops_fixture.h"

#include "adjust/Tone.h"
#include "adjust/Variation.h"
#include "adjust/Yuv.h"
#include "adjust/dialogs/Colorvariation.h"
#include "adjust/dialogs/Fcontrast.h"
#include "adjust/dialogs/Fgamma.h"
#include "adjust/dialogs/Formkido.h"
#include "adjust/dialogs/Formrgb.h"
#include "adjust/dialogs/Formyuv.h"
#include "adjust/dialogs/Fsaido.h"
#include "adjust/dialogs/Gammarvariation.h"
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

// A copy of `h` changed by `f`: what a dialog's routine should have made.
DibHandle Expected(IMGHANDLE h, const std::function<void(TMDIB &)> &f) {
  DibHandle copy(Kit.ImgKitCopy(h, "", ""));
  TMDIB dib(copy.get());
  f(dib);
  return copy;
}

// Same size, depth, colour table and pixel bytes.
bool SameImage(IMGHANDLE a, IMGHANDLE b) {
  TMDIB x(a), y(b);
  if (!x.Attached() || !y.Attached()) return false;
  if (x.width != y.width || x.height != y.height || x.BitsPerPixel() != y.BitsPerPixel() ||
      x.colourTableBytes != y.colourTableBytes || x.imageBytes != y.imageBytes)
    return false;
  if (x.colourTableBytes &&
      std::memcmp(x.colourTable, y.colourTable, static_cast<size_t>(x.colourTableBytes)) != 0)
    return false;
  return std::memcmp(x.pixels, y.pixels, static_cast<size_t>(x.imageBytes)) == 0;
}

QStringList LabelTexts(QWidget *w) {
  QStringList texts;
  for (QLabel *l : w->findChildren<QLabel *>())
    texts << l->text();
  return texts;
}

QStringList ButtonTexts(QWidget *w) {
  QStringList texts;
  for (QPushButton *b : w->findChildren<QPushButton *>())
    texts << b->text();
  return texts;
}

using test_wait::Pump;
using test_wait::WithModal;

class ToneDialogs : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LoadImagingKit(); }

  void SetUp() override {
    UserDialogs::SetResponder([](const UserDialogs::Request &) { return UserDialogs::Answer{}; });
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    main = std::make_unique<TMainForm>();
    // The program makes the wait window right after the main window.
    if (!main->WaitMess) main->WaitMess = new TfWaitMess(main.get());
    main->show();
    Pump();
  }

  void TearDown() override {
    for (TMDIChild *c : main->Children())
      c->closeWithoutAsking = true;
    main.reset();
    UserDialogs::SetResponder(nullptr);
  }

  // A document with a colourful 24-bit picture, laid out as the creator does.
  TMDIChild *Open(int w = 40, int h = 30) {
    TMDIChild *c = main->CreateChild(QStringLiteral("/tmp/tone.bmp"));
    c->image = CreateBlankDib(w, h);
    {
      TMDIB d(c->image.get());
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          uint8_t *p = d.Row(y) + 3 * x;
          p[0] = static_cast<uint8_t>(x * 6);
          p[1] = static_cast<uint8_t>(y * 8 + 20);
          p[2] = static_cast<uint8_t>((x * y) % 256);
        }
    }
    c->ReadImageInfo();
    c->LayoutForZoom();
    c->RefreshDisplay();
    c->RebuildPreview();
    Pump();
    return c;
  }

  DibHandle CopyOf(IMGHANDLE h) { return DibHandle(Kit.ImgKitCopy(h, "", "")); }

  std::unique_ptr<TMainForm> main;
};

// ---- the four single-slider dialogs ---------------------------------------------

struct SliderCase {
  const char *caption;
  const char *command;
  int position;
  std::function<void(TMDIB &, int)> routine;
};

TEST_F(ToneDialogs, CommandsApplyTheirRoutineWithOneUndoEntry) {
  const SliderCase cases[] = {
      {"輝度調整", "mBrightClick", 20,
       [](TMDIB &d, int p) { Kit.ImgKitBright(d.handle, "", "", p * 0.05); }},
      {"コントラスト調整", "mContrastClick", 40, [](TMDIB &d, int p) { Contrast(d, p); }},
      {"ガンマ補正", "G1Click", 150, [](TMDIB &d, int p) { Gamma(d, p); }},
      {"彩度調整", "mSaidoClick", -60, [](TMDIB &d, int p) { Saturation(d, p); }},
  };
  for (const SliderCase &sc : cases) {
    SCOPED_TRACE(sc.caption);
    TMDIChild *c = Open();
    DibHandle before = CopyOf(c->image.get());
    QString caption;
    ASSERT_TRUE(
        WithModal([&] { main->RunCommand(QString::fromLatin1(sc.command)); },
                  [&](QWidget *m) {
                    caption = m->windowTitle();
                    m->findChild<QSlider *>(QStringLiteral("TrackBar"))->setValue(sc.position);
                    for (QPushButton *b : m->findChildren<QPushButton *>())
                      if (b->text() == QStringLiteral("OK")) b->click();
                  }));
    EXPECT_EQ(caption, QString::fromUtf8(sc.caption));
    DibHandle want = Expected(before.get(), [&](TMDIB &d) { sc.routine(d, sc.position); });
    EXPECT_TRUE(SameImage(c->image.get(), want.get()));
    EXPECT_FALSE(SameImage(c->image.get(), before.get()));
    EXPECT_EQ(c->undoCount, 1);
    // The preview copy follows the new image.
    PreviewCopy fresh = MakePreviewCopy(c->image.get(), false, 0, 0);
    EXPECT_TRUE(SameImage(c->previewImage.get(), fresh.image.get()));
    c->closeWithoutAsking = true;
    c->close();
    Pump();
  }
}

TEST_F(ToneDialogs, CancelAfterMovingTheSliderChangesNothing) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  ASSERT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("mContrastClick")); },
                        [](QWidget *m) {
                          auto *d = static_cast<TContrastForm *>(m);
                          d->TrackBar->setValue(-100);
                          d->bCancelClick();
                        }));
  EXPECT_TRUE(SameImage(c->image.get(), before.get()));
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_EQ(c->modificationCount, 0);
}

TEST_F(ToneDialogs, WithoutADocumentEveryCommandDoesNothing) {
  for (auto command : {"mBrightClick", "mContrastClick", "G1Click", "mSaidoClick", "RBG1Click",
                       "mYUVClick", "V1Clicky", "mGVarClick", "S1Click", "B1Click", "C1Click"})
    EXPECT_FALSE(WithModal([&] { main->RunCommand(QString::fromLatin1(command)); },
                           [](QWidget *m) { m->close(); }));
  for (int i = 6; i <= 13; ++i)
    main->ToolButtonClick(QStringLiteral("tb%1").arg(i, 2, 10, QLatin1Char('0')));
  EXPECT_TRUE(main->Children().isEmpty());
}

TEST_F(ToneDialogs, ControlsCarryTheirTextsRangesAndDefaults) {
  TMDIChild *c = Open();
  struct Expect {
    PreviewDialog *dialog;
    QSlider *bar;
    int min, max, def;
    QStringList labels;
  };
  TKidoForm kido(main.get());
  TContrastForm contrast(main.get());
  TGammaForm gamma(main.get());
  TSaidoForm saido(main.get());
  const Expect all[] = {
      {&kido, kido.TrackBar, -50, 50, 0, {QStringLiteral("輝度補正値")}},
      {&contrast,
       contrast.TrackBar,
       -100,
       100,
       0,
       {QStringLiteral("コントラスト補正値"), QStringLiteral("ぼんやり"),
        QStringLiteral("くっきり")}},
      {&gamma, gamma.TrackBar, 10, 300, 100, {QStringLiteral("ガンマ補正値")}},
      {&saido,
       saido.TrackBar,
       -100,
       100,
       0,
       {QStringLiteral("彩度調整値"), QStringLiteral("低彩度"), QStringLiteral("鮮やか")}},
  };
  for (const Expect &e : all) {
    SCOPED_TRACE(e.dialog->windowTitle().toStdString());
    e.bar->setValue(e.min);
    e.dialog->Prepare(c);
    EXPECT_EQ(e.bar->minimum(), e.min);
    EXPECT_EQ(e.bar->maximum(), e.max);
    EXPECT_EQ(e.bar->value(), e.def);
    const QStringList texts = LabelTexts(e.dialog);
    for (const QString &l : e.labels)
      EXPECT_TRUE(texts.contains(l)) << l.toStdString();
    EXPECT_TRUE(texts.contains(QString::number(e.def) + QStringLiteral(" %")));
    const QStringList buttons = ButtonTexts(e.dialog);
    for (const char *b : {"OK", "キャンセル", "リセット"})
      EXPECT_TRUE(buttons.contains(QString::fromUtf8(b))) << b;
    // Prepared at the defaults, the shown preview is the source itself.
    EXPECT_TRUE(SameImage(e.dialog->ShownPreview(), e.dialog->SourcePreview()));
  }
  // Position 0 reads "0 %" and moving rewrites it.
  contrast.TrackBar->setValue(-7);
  EXPECT_TRUE(LabelTexts(&contrast).contains(QStringLiteral("-7 %")));
  // Reset brings the default back and the preview with it.
  contrast.bResetClick();
  EXPECT_EQ(contrast.TrackBar->value(), 0);
  EXPECT_TRUE(SameImage(contrast.ShownPreview(), contrast.SourcePreview()));
}

TEST_F(ToneDialogs, PreviewFollowsTheSlider) {
  TMDIChild *c = Open();
  TSaidoForm saido(main.get());
  saido.Prepare(c);
  saido.TrackBar->setValue(-100);
  DibHandle want = Expected(saido.SourcePreview(), [](TMDIB &d) { Saturation(d, -100); });
  EXPECT_TRUE(SameImage(saido.ShownPreview(), want.get()));
  EXPECT_EQ(c->undoCount, 0);
}

TEST_F(ToneDialogs, WidePreviewIsCentredInItsFrame) {
  TMDIChild *c = Open(300, 99);
  ASSERT_EQ(c->previewWidth, 100);
  ASSERT_EQ(c->previewHeight, 33);
  TGammaForm gamma(main.get());
  gamma.Prepare(c);
  EXPECT_EQ(gamma.PreviewOrigin(), QPoint(288, 41));
  TRGB_Form rgb(main.get());
  rgb.Prepare(c);
  EXPECT_EQ(rgb.PreviewOrigin(), QPoint(288, 41));
}

TEST_F(ToneDialogs, BrightnessFactorIsPositionTimesFiveHundredths) {
  TMDIChild *c = Open();
  TKidoForm kido(main.get());
  kido.Prepare(c);
  EXPECT_EQ(kido.Factor(), 0.0);
  kido.TrackBar->setValue(-50);
  EXPECT_DOUBLE_EQ(kido.Factor(), -2.5);
  DibHandle before = CopyOf(c->image.get());
  kido.bOKClick();
  DibHandle want =
      Expected(before.get(), [](TMDIB &d) { Kit.ImgKitBright(d.handle, "", "", -2.5); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 1);
  // Brightness does its work without the wait window.
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(ToneDialogs, PaletteImagesChangeThroughTheirColourTable) {
  TMDIChild *c = Open();
  c->image.Adopt(Kit.ImgKitSetGray(c->image.get(), "", ""));
  c->Commit();
  ASSERT_EQ(c->bitCount, 8);
  DibHandle before = CopyOf(c->image.get());
  TContrastForm contrast(main.get());
  contrast.Prepare(c);
  contrast.TrackBar->setValue(60);
  contrast.bOKClick();
  DibHandle want = Expected(before.get(), [](TMDIB &d) { Contrast(d, 60); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  TMDIB after(c->image.get()), old(before.get());
  EXPECT_EQ(std::memcmp(after.pixels, old.pixels, static_cast<size_t>(old.imageBytes)), 0);
}

// ---- automatic use of the gamma dialog ----------------------------------------

TEST_F(ToneDialogs, AutomaticGammaAddsNoUndoEntryAndClosesTheWaitWindow) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  main->WaitMess->Begin(3 * c->height); // an automatic correction is running
  {
    TGammaForm gamma(main.get());
    gamma.automatic = true;
    gamma.Prepare(c);
    gamma.TrackBar->setValue(130);
    gamma.bOKClick();
    EXPECT_FALSE(gamma.isVisible());
  }
  DibHandle want = Expected(before.get(), [](TMDIB &d) { Gamma(d, 130); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 0);
  // The gamma dialog shows and closes the wait window itself.
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(ToneDialogs, ContrastOkLeavesAWaitWindowItDidNotOpen) {
  TMDIChild *c = Open();
  main->WaitMess->Begin(100);
  TContrastForm contrast(main.get());
  contrast.automatic = true;
  contrast.Prepare(c);
  contrast.TrackBar->setValue(10);
  contrast.bOKClick();
  EXPECT_TRUE(main->WaitMess->isVisible());
  main->WaitMess->End();
}

// ---- one-click buttons --------------------------------------------------------

TEST_F(ToneDialogs, OneClickButtonsApplyTheirPresets) {
  struct Case {
    const char *button;
    std::function<void(TMDIB &)> routine;
  };
  const Case cases[] = {
      {"tb06", [](TMDIB &d) { Gamma(d, 90); }},
      {"tb07", [](TMDIB &d) { Gamma(d, 120); }},
      {"tb08", [](TMDIB &d) { Kit.ImgKitBright(d.handle, "", "", -5 * 0.05); }},
      {"tb09", [](TMDIB &d) { Kit.ImgKitBright(d.handle, "", "", 5 * 0.05); }},
      {"tb10", [](TMDIB &d) { Contrast(d, -10); }},
      {"tb11", [](TMDIB &d) { Contrast(d, 10); }},
      {"tb12", [](TMDIB &d) { Saturation(d, -10); }},
      {"tb13", [](TMDIB &d) { Saturation(d, 10); }},
  };
  // Room for every click's entry.
  const int depth = General.undoDepth;
  General.undoDepth = TMDIChild::kUndoSlots;
  TMDIChild *c = Open();
  int undo = 0;
  for (const Case &k : cases) {
    SCOPED_TRACE(k.button);
    DibHandle before = CopyOf(c->image.get());
    EXPECT_FALSE(WithModal([&] { main->ToolButtonClick(QString::fromLatin1(k.button)); },
                           [](QWidget *m) { m->close(); }));
    DibHandle want = Expected(before.get(), k.routine);
    EXPECT_TRUE(SameImage(c->image.get(), want.get()));
    EXPECT_EQ(c->undoCount, ++undo);
  }
  // The buttons' dialogs are gone with their click.
  EXPECT_TRUE(main->findChildren<PreviewDialog *>().isEmpty());
  EXPECT_FALSE(main->WaitMess->isVisible());
  General.undoDepth = depth;
}

// ---- RGB and YUV ------------------------------------------------------------------

TEST_F(ToneDialogs, RgbKeepsLuminanceByDefault) {
  TMDIChild *c = Open();
  TRGB_Form rgb(main.get());
  rgb.Prepare(c);
  EXPECT_EQ(rgb.windowTitle(), QStringLiteral("ＲＧＢ補正"));
  EXPECT_TRUE(rgb.KeepsLuminance());
  for (const char *t : {"赤", "シアン", "緑", "マゼンタ", "青", "黄", "しない", "する"}) {
    bool found = LabelTexts(&rgb).contains(QString::fromUtf8(t));
    for (QAbstractButton *b : rgb.rgKido->buttons())
      found = found || b->text() == QString::fromUtf8(t);
    EXPECT_TRUE(found) << t;
  }
  rgb.SetBalance(50, 0, 0);
  EXPECT_EQ(rgb.Offsets(), (ChannelOffsets{50, -25, -25}));
  rgb.SetBalance(10, 10, 10);
  EXPECT_EQ(rgb.Offsets(), (ChannelOffsets{0, 0, 0}));
  // Equal shifts cancel: the preview stays the source.
  EXPECT_TRUE(SameImage(rgb.ShownPreview(), rgb.SourcePreview()));
  rgb.rgKido->button(0)->click();
  EXPECT_EQ(rgb.Offsets(), (ChannelOffsets{10, 10, 10}));
  DibHandle want =
      Expected(rgb.SourcePreview(), [](TMDIB &d) { Kit.ImgKitRGB(d.handle, "", "", 10, 10, 10); });
  EXPECT_TRUE(SameImage(rgb.ShownPreview(), want.get()));
}

TEST_F(ToneDialogs, RgbCommandAppliesTheOffsets) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  ASSERT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("RBG1Click")); },
                        [](QWidget *m) {
                          auto *d = static_cast<TRGB_Form *>(m);
                          d->TrackBarR->setValue(50);
                          d->TrackBarB->setValue(-20);
                          d->bOKClick();
                        }));
  // Luminance kept: 50 - (0 - 20) div 2 = 60, 0 - 30 div 2 = -15, -20 - 25 = -45.
  DibHandle want =
      Expected(before.get(), [](TMDIB &d) { Kit.ImgKitRGB(d.handle, "", "", 60, -15, -45); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 1);
}

TEST_F(ToneDialogs, AutomaticRgbNeitherPreviewsNorRecordsUndo) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  TRGB_Form rgb(main.get());
  rgb.automatic = true;
  rgb.Prepare(c);
  rgb.SetBalance(20, 0, -20);
  rgb.TrackBarG->setValue(10);
  EXPECT_TRUE(SameImage(rgb.ShownPreview(), rgb.SourcePreview()));
  rgb.bOKClick();
  const ChannelOffsets o = KeepLuminance(20, 10, -20);
  DibHandle want = Expected(
      before.get(), [&](TMDIB &d) { Kit.ImgKitRGB(d.handle, "", "", o.red, o.green, o.blue); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 0);
}

TEST_F(ToneDialogs, SepiaTintShiftsRedAndBlueWithoutUndo) {
  TMDIChild *c = Open();
  c->image.Adopt(Kit.ImgKitSetGray(c->image.get(), "", ""));
  c->Commit();
  DibHandle before = CopyOf(c->image.get());
  TRGB_Form rgb(main.get());
  EXPECT_FALSE(rgb.SepiaTint(nullptr));
  ASSERT_TRUE(rgb.SepiaTint(c));
  EXPECT_TRUE(rgb.automatic);
  EXPECT_TRUE(rgb.KeepsLuminance());
  EXPECT_EQ(rgb.TrackBarR->value(), 30);
  EXPECT_EQ(rgb.TrackBarG->value(), 0);
  EXPECT_EQ(rgb.TrackBarB->value(), -30);
  // Applied as set, not through the luminance keeping.
  DibHandle want =
      Expected(before.get(), [](TMDIB &d) { Kit.ImgKitRGB(d.handle, "", "", 30, 0, -30); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 0);
  PreviewCopy fresh = MakePreviewCopy(c->image.get(), false, 0, 0);
  EXPECT_TRUE(SameImage(c->previewImage.get(), fresh.image.get()));
}

TEST_F(ToneDialogs, YuvCommandConvertsToChannelOffsets) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  ChannelOffsets seen;
  QString caption;
  ASSERT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("mYUVClick")); },
                        [&](QWidget *m) {
                          auto *d = static_cast<TYUVForm *>(m);
                          caption = d->windowTitle();
                          d->TrackBarU->setValue(50);
                          seen = d->Offsets();
                          d->bOKClick();
                        }));
  EXPECT_EQ(caption, QStringLiteral("ＹＵＶ補正"));
  EXPECT_EQ(seen, (ChannelOffsets{0, -19, 101}));
  DibHandle want =
      Expected(before.get(), [](TMDIB &d) { Kit.ImgKitRGB(d.handle, "", "", 0, -19, 101); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 1);
}

TEST_F(ToneDialogs, RgbAndYuvPreviewAndOkGiveTheirBalanceRoutines) {
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep);
    TMDIChild *c = Open();
    DibHandle before = CopyOf(c->image.get());
    TRGB_Form rgb(main.get());
    rgb.Prepare(c);
    rgb.SetKeepLuminance(keep);
    rgb.TrackBarR->setValue(-37);
    rgb.TrackBarG->setValue(23);
    rgb.TrackBarB->setValue(41);
    DibHandle preview =
        Expected(rgb.SourcePreview(), [keep](TMDIB &d) { RgbBalance(d, -37, 23, 41, keep); });
    EXPECT_TRUE(SameImage(rgb.ShownPreview(), preview.get()));
    rgb.bOKClick();
    DibHandle want = Expected(before.get(), [keep](TMDIB &d) { RgbBalance(d, -37, 23, 41, keep); });
    EXPECT_TRUE(SameImage(c->image.get(), want.get()));
    EXPECT_EQ(c->undoCount, 1);
  }
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  TYUVForm yuv(main.get());
  yuv.Prepare(c);
  yuv.TrackBarY->setValue(-12);
  yuv.TrackBarU->setValue(33);
  yuv.TrackBarV->setValue(-48);
  DibHandle preview = Expected(yuv.SourcePreview(), [](TMDIB &d) { YuvBalance(d, -12, 33, -48); });
  EXPECT_TRUE(SameImage(yuv.ShownPreview(), preview.get()));
  yuv.bOKClick();
  DibHandle want = Expected(before.get(), [](TMDIB &d) { YuvBalance(d, -12, 33, -48); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 1);
}

TEST_F(ToneDialogs, YuvLabels) {
  TYUVForm yuv(main.get());
  const QStringList texts = LabelTexts(&yuv);
  for (const char *t : {"Ｙ（明るさ）", "Ｕ（青み）", "Ｖ（赤み）", "0 %"})
    EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
  for (QSlider *s : {yuv.TrackBarY, yuv.TrackBarU, yuv.TrackBarV}) {
    EXPECT_EQ(s->minimum(), -50);
    EXPECT_EQ(s->maximum(), 50);
  }
}

// ---- variations ---------------------------------------------------------------------

TEST_F(ToneDialogs, ToneVariationCommandsOpenTheirKind) {
  Open();
  const std::pair<const char *, const char *> commands[] = {
      {"mGVarClick", "ガンマバリエーション"}, {"S1Click", "彩度バリエーション"},
      {"B1Click", "輝度バリエーション"},      {"C1Click", "コントラストバリエーション"},
      {"V1Clicky", "カラーバリエーション"},
  };
  for (const auto &[command, caption] : commands) {
    QString seen;
    QStringList texts;
    ASSERT_TRUE(WithModal([&] { main->RunCommand(QString::fromLatin1(command)); },
                          [&](QWidget *m) {
                            seen = m->windowTitle();
                            texts = LabelTexts(m);
                            static_cast<VariationDialog *>(m)->bCancelClick();
                          }));
    EXPECT_EQ(seen, QString::fromUtf8(caption));
    for (const char *t : {"オリジナル画像", "補正結果", "この４候補から選択", "補正幅"})
      EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
  }
  EXPECT_EQ(main->ActiveChild()->undoCount, 0);
}

TEST_F(ToneDialogs, ToneVariationClicksAreHeld) {
  TMDIChild *c = Open();
  TGammaVariationForm v(main.get(), tvContrast);
  v.Prepare(c);
  EXPECT_EQ(v.Step(), 3);
  EXPECT_EQ(v.TrackBar->minimum(), 1);
  EXPECT_EQ(v.TrackBar->maximum(), 5);
  for (const char *t : {"－－", "－", "＋", "＋＋"})
    EXPECT_TRUE(LabelTexts(&v).contains(QString::fromUtf8(t))) << t;
  v.TrackBar->setValue(5);
  for (int i = 0; i < 4; ++i)
    v.CandidateClick(0);
  EXPECT_EQ(v.Value, 30);
  v.CandidateClick(3);
  EXPECT_EQ(v.Value, 70);
  v.CandidateClick(2);
  EXPECT_EQ(v.Value, 90);
  v.bResetClick();
  EXPECT_EQ(v.Value, 100);
  // A mouse click on the "＋" frame moves by 4 x step.
  const QPoint at = v.Frame(4).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, v.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&v, &press);
  EXPECT_EQ(v.Value, 120);
  for (int i = 0; i < 20; ++i)
    v.CandidateClick(3);
  EXPECT_EQ(v.Value, 300);
}

TEST_F(ToneDialogs, ToneVariationShowsTheResultAndItsCandidates) {
  TMDIChild *c = Open();
  TGammaVariationForm v(main.get(), tvSaturation);
  v.Prepare(c);
  v.Value = 140;
  v.Recompute();
  const int moves[] = {-2, -1, 1, 2};
  DibHandle source = CopyOf(c->previewImage.get());
  EXPECT_TRUE(SameImage(v.Shown(0), source.get()));
  DibHandle result = Expected(source.get(), [](TMDIB &d) { Saturation(d, 40); });
  EXPECT_TRUE(SameImage(v.Shown(1), result.get()));
  for (int i = 0; i < 4; ++i) {
    DibHandle want =
        Expected(source.get(), [&](TMDIB &d) { Saturation(d, 40 + 4 * moves[i] * 3); });
    EXPECT_TRUE(SameImage(v.Shown(2 + i), want.get())) << i;
  }
}

TEST_F(ToneDialogs, BrightnessVariationPreviewsUnheldButAppliesHeld) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  TGammaVariationForm v(main.get(), tvBrightness);
  v.Prepare(c);
  v.Value = 180;
  v.Recompute();
  DibHandle shown =
      Expected(c->previewImage.get(), [](TMDIB &d) { Kit.ImgKitBright(d.handle, "", "", 2.0); });
  EXPECT_TRUE(SameImage(v.Shown(1), shown.get()));
  v.bOKClick();
  DibHandle want =
      Expected(before.get(), [](TMDIB &d) { Kit.ImgKitBright(d.handle, "", "", 1.25); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(ToneDialogs, GammaVariationOkAndCancel) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  ASSERT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("mGVarClick")); },
                        [](QWidget *m) {
                          auto *v = static_cast<TGammaVariationForm *>(m);
                          v->CandidateClick(3);
                          v->bCancelClick();
                        }));
  EXPECT_TRUE(SameImage(c->image.get(), before.get()));
  EXPECT_EQ(c->undoCount, 0);
  ASSERT_TRUE(WithModal([&] { main->RunCommand(QStringLiteral("mGVarClick")); },
                        [](QWidget *m) {
                          auto *v = static_cast<TGammaVariationForm *>(m);
                          v->CandidateClick(3); // 100 + 8 x 3
                          v->bOKClick();
                        }));
  DibHandle want = Expected(before.get(), [](TMDIB &d) { Gamma(d, 124); });
  EXPECT_TRUE(SameImage(c->image.get(), want.get()));
  EXPECT_EQ(c->undoCount, 1);
}

TEST_F(ToneDialogs, GammaVariationCandidatesBelowZeroShowTheSource) {
  TMDIChild *c = Open();
  TGammaVariationForm v(main.get(), tvGamma);
  v.Prepare(c);
  v.TrackBar->setValue(5);
  for (int i = 0; i < 4; ++i)
    v.CandidateClick(0);
  ASSERT_EQ(v.Value, 30);
  EXPECT_TRUE(SameImage(v.Shown(2), v.Shown(0))); // 30 - 40 = -10
}

TEST_F(ToneDialogs, ColourVariationMovesUAndV) {
  TMDIChild *c = Open();
  DibHandle before = CopyOf(c->image.get());
  TColorVariationForm v(main.get());
  v.Prepare(c);
  EXPECT_EQ(v.Step(), 8);
  EXPECT_EQ(v.TrackBar->maximum(), 16);
  for (const char *t : {"青み", "黄色", "赤み", "緑"})
    EXPECT_TRUE(LabelTexts(&v).contains(QString::fromUtf8(t))) << t;
  // Candidates around (0, 0): each is the offsets of its move.
  DibHandle source = CopyOf(c->previewImage.get());
  const ChannelOffsets bluish = YuvToOffsets(0, 8, 0);
  DibHandle want = Expected(source.get(), [&](TMDIB &d) {
    Kit.ImgKitRGB(d.handle, "", "", bluish.red, bluish.green, bluish.blue);
  });
  EXPECT_TRUE(SameImage(v.Shown(2), want.get()));
  for (int i = 0; i < 7; ++i)
    v.CandidateClick(0);
  EXPECT_EQ(v.U, 50);
  v.CandidateClick(3);
  EXPECT_EQ(v.V, -8);
  v.bOKClick();
  const ChannelOffsets o = YuvToOffsets(0, 50, -8);
  DibHandle result = Expected(
      before.get(), [&](TMDIB &d) { Kit.ImgKitRGB(d.handle, "", "", o.red, o.green, o.blue); });
  EXPECT_TRUE(SameImage(c->image.get(), result.get()));
  EXPECT_EQ(c->undoCount, 1);
}

TEST_F(ToneDialogs, VariationFramesCentreAWidePreview) {
  TMDIChild *c = Open(300, 99);
  TColorVariationForm v(main.get());
  v.Prepare(c);
  for (int f = 0; f < VariationDialog::kFrames; ++f)
    EXPECT_EQ(v.PreviewOrigin(f), v.Frame(f).topLeft() + QPoint(1, 1 + 33)) << f;
  v.bResetClick();
  EXPECT_EQ(v.U, 0);
  EXPECT_EQ(v.V, 0);
}

TEST_F(ToneDialogs, On256ColourDisplaysPreviewsAreConverted) {
  TMDIChild *c = Open();
  main->DisplayColours = 256;
  TGammaVariationForm v(main.get(), tvGamma);
  v.Prepare(c);
  for (int f = 0; f < VariationDialog::kFrames; ++f) {
    TMDIB d(v.Shown(f));
    EXPECT_EQ(d.BitsPerPixel(), 8) << f;
  }
  TKidoForm kido(main.get());
  kido.Prepare(c);
  kido.TrackBar->setValue(10);
  TMDIB d(kido.ShownPreview());
  EXPECT_EQ(d.BitsPerPixel(), 8);
  main->DisplayColours = 0;
}

} // namespace

TEST_F(ToneDialogs, EnterIsOkWhateverButtonHasTheFocus) {
  for (const QString &focus : {QStringLiteral("リセット"), QStringLiteral("キャンセル")}) {
    TMDIChild *c = Open();
    {
      TKidoForm form(main.get());
      form.Prepare(c);
      form.show();
      form.TrackBar->setValue(20);
      QPushButton *button = nullptr;
      for (QPushButton *b : form.findChildren<QPushButton *>())
        if (b->text() == focus) button = b;
      ASSERT_NE(button, nullptr);
      button->setFocus();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(button, &enter);
      EXPECT_EQ(form.result(), QDialog::Accepted) << focus.toStdString();
      EXPECT_EQ(form.TrackBar->value(), 20) << focus.toStdString();
    }
    EXPECT_EQ(c->undoCount, 1) << focus.toStdString();
  }
  // The variation dialogs alike.
  TMDIChild *c = Open();
  TGammaVariationForm form(main.get(), int(tvGamma));
  form.Prepare(c);
  form.show();
  for (QPushButton *b : form.findChildren<QPushButton *>())
    if (b->text() == QStringLiteral("キャンセル")) {
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(b, &enter);
    }
  EXPECT_EQ(form.result(), QDialog::Accepted);
}
