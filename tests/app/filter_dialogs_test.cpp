// The sharpen, soften and median dialogs, the two noise removals, the
// median tool button, the resize dialog and the aspect commands, run through
// the main window's commands as the user runs them.
#include "fileops_fixture.h"

#include "adjust/Fresize.h"
#include "adjust/dialogs/ResizeForm.h"
#include "effects/Fsharpen.h"
#include "effects/Fsoften.h"
#include "effects/Median.h"
#include "effects/dialogs/MedianForm.h"
#include "effects/dialogs/SharpenForm.h"
#include "effects/dialogs/SoftenForm.h"
#include "forms/Waitmess.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <functional>

using namespace fileops_test;

namespace {

class FilterDialogs : public DocumentTest {
protected:
  // Noisy colours, so that every filter changes something.
  static QImage Noisy(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1103515245u + 12345u;
        const int n = int(seed >> 16) % 60;
        img.setPixel(x, y, qRgb((x * 5 + n) % 256, (y * 7 + 2 * n) % 256, (x * y + n) % 256));
      }
    return img;
  }

  // A copy of the document's picture changed by `routine`, which gets the
  // image and an untouched copy of it.
  static QImage Expected(IMGHANDLE h,
                         const std::function<void(TMDIB &dest, const TMDIB &source)> &routine) {
    DibHandle work(Kit.ImgKitCopy(h, "", ""));
    DibHandle input(Kit.ImgKitCopy(h, "", ""));
    {
      TMDIB dest(work.get());
      const TMDIB source(input.get());
      routine(dest, source);
    }
    return PictureOf(work.get());
  }

  // An 8-bit grey-palette document.
  TMDIChild *OpenGrey(int w, int h) {
    QImage grey(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
      table << qRgb(i, i, i);
    grey.setColorTable(table);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        grey.scanLine(y)[x] = uchar(x + y);
    const QString path = Path(QStringLiteral("grey.bmp"));
    DibHandle dib = DibFromBitmap(grey);
    if (!dib || !Kit.ImgKitBmpFileSave(path.toUtf8().constData(), dib.get(), "", "", 0) ||
        !main->OpenImageFile(path))
      return nullptr;
    return main->ActiveChild();
  }
};

// ---- sharpen -----------------------------------------------------------------------------

TEST_F(FilterDialogs, SharpenAppliesItsRoutineOnceAndRemembersTypeAndStrength) {
  TMDIChild *c = Open(Noisy(40, 30));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  const QImage want =
      Expected(c->image.get(), [](TMDIB &d, const TMDIB &s) { SharpenImage(d, s, 2, 30); });
  QString caption;
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mSharpClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TSharpenForm *>(w);
                          caption = form->windowTitle();
                          EXPECT_EQ(form->rgType->checkedId(), TSharpenForm::kDefaultType);
                          EXPECT_EQ(form->TrackBar->value(), TSharpenForm::kDefaultStrength);
                          const QImage shown = PictureOf(form->ShownPreview());
                          form->rgType->button(2)->click();
                          form->TrackBar->setValue(30);
                          // The preview follows the controls at once.
                          EXPECT_NE(PictureOf(form->ShownPreview()), shown);
                          ClickButton(form, QStringLiteral("OK"));
                        }));
  EXPECT_EQ(caption, QStringLiteral("シャープ化（ハイパスフィルター）"));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_NE(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields(QStringLiteral("Sharp"), 2), (std::vector<int>{2, 30}));

  // The next run starts from the remembered settings; cancel keeps them and
  // the document.
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mSharpClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TSharpenForm *>(w);
                          EXPECT_EQ(form->rgType->checkedId(), 2);
                          EXPECT_EQ(form->TrackBar->value(), 30);
                          form->TrackBar->setValue(80);
                          ClickButton(form, QStringLiteral("キャンセル"));
                        }));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields(QStringLiteral("Sharp"), 2), (std::vector<int>{2, 30}));
}

TEST_F(FilterDialogs, FilterCommandsRefusePaletteImagesAndNoDocument) {
  // No dialog may come up: each returns at once.
  auto runAll = [](TMainForm *m) {
    m->RunCommand(QStringLiteral("mSharpClick"));
    m->RunCommand(QStringLiteral("mSoftenClick"));
    m->RunCommand(QStringLiteral("mMedianClick"));
    m->RunCommand(QStringLiteral("BS1Click"));
    m->RunCommand(QStringLiteral("mScanNoiseClick"));
    m->RunCommand(QStringLiteral("mHQSmallClick"));
    m->RunCommand(QStringLiteral("mHQLargeClick"));
    m->ToolButtonClick(QStringLiteral("tb16"));
  };
  runAll(main);
  TMDIChild *c = OpenGrey(20, 20);
  ASSERT_TRUE(c);
  ASSERT_EQ(c->bitCount, 8);
  runAll(main);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_EQ(c->bitCount, 8);
  EXPECT_EQ(c->width, 20);
}

// ---- soften ------------------------------------------------------------------------------

TEST_F(FilterDialogs, SoftenRulesFollowAreaAndMethod) {
  TMDIChild *c = Open(Noisy(30, 30));
  ASSERT_TRUE(c);
  TSoftenForm form(main);
  form.Prepare(c);
  QAbstractButton *both = form.rgDirection->button(2);
  // Defaults: whole picture, both directions, threshold unused.
  EXPECT_EQ(form.rgArea->checkedId(), 0);
  EXPECT_EQ(form.rgDirection->checkedId(), 2);
  EXPECT_EQ(form.TrackBar1->value(), 1);
  EXPECT_EQ(form.TrackBar2->value(), 64);
  EXPECT_EQ(form.rgMethod->checkedId(), 0);
  EXPECT_FALSE(form.TrackBar2->isEnabled());
  EXPECT_TRUE(both->isEnabled());

  form.rgArea->button(1)->click();
  EXPECT_TRUE(form.TrackBar2->isEnabled());
  EXPECT_TRUE(both->isEnabled());
  // Averaging away from the whole picture: "縦横" goes, a chosen one
  // becomes "横".
  form.rgMethod->button(1)->click();
  EXPECT_FALSE(both->isEnabled());
  EXPECT_EQ(form.rgDirection->checkedId(), 0);
  form.rgArea->button(0)->click();
  EXPECT_TRUE(both->isEnabled());
  EXPECT_FALSE(form.TrackBar2->isEnabled());
  EXPECT_EQ(form.rgDirection->checkedId(), 0);
}

TEST_F(FilterDialogs, SoftenAveragingRunsItsPassesWithTheirProgressRange) {
  TMDIChild *c = Open(Noisy(33, 21));
  ASSERT_TRUE(c);
  SoftenSettings s;
  s.area = 0;
  s.direction = 1;
  s.strength = 3;
  s.method = 1;
  const QImage want = Expected(c->image.get(), [&](TMDIB &d, const TMDIB &) { Soften(d, s); });
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mSoftenClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TSoftenForm *>(w);
                          EXPECT_EQ(form->windowTitle(),
                                    QStringLiteral("画質のソフト化（ローパスフィルター）"));
                          form->rgMethod->button(1)->click();
                          form->rgDirection->button(1)->click();
                          form->TrackBar1->setValue(3);
                          ClickButton(form, QStringLiteral("OK"));
                        }));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(main->WaitMess->ProgressBar->maximum(), 21 * 3);
  EXPECT_EQ(StoredFields(QStringLiteral("Soft"), 5), (std::vector<int>{0, 1, 3, 64, 1}));
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(FilterDialogs, NoiseRemovalBSoftensUnseenAndLeavesItsSettingsBehind) {
  TMDIChild *c = Open(Noisy(32, 24));
  ASSERT_TRUE(c);
  StoreFields(QStringLiteral("Soft"), {2, 0, 4, 200, 1});
  const QImage want = Expected(c->image.get(), [](TMDIB &d, const TMDIB &) { NoiseRemovalB(d); });
  main->RunCommand(QStringLiteral("mScanNoiseClick"));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
  // The soften dialog now opens with those settings.
  TSoftenForm form(main);
  form.Prepare(c);
  const SoftenSettings s = form.Settings();
  EXPECT_EQ(s.area, 1);
  EXPECT_EQ(s.direction, 2);
  EXPECT_EQ(s.strength, 1);
  EXPECT_EQ(s.threshold, 50);
  EXPECT_EQ(s.method, 0);
}

// ---- median and noise removal A -------------------------------------------------------------

TEST_F(FilterDialogs, MedianButtonRunsTheRememberedSettingsUnseen) {
  TMDIChild *c = Open(Noisy(25, 19));
  ASSERT_TRUE(c);
  StoreFields(QStringLiteral("Median"), {1, 40});
  const QImage want =
      Expected(c->image.get(), [](TMDIB &d, const TMDIB &s) { MedianFilter(d, s, 1, 40); });
  main->ToolButtonClick(QStringLiteral("tb16"));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields(QStringLiteral("Median"), 2), (std::vector<int>{1, 40}));
}

TEST_F(FilterDialogs, MedianDialogDefaultsAndApply) {
  TMDIChild *c = Open(Noisy(25, 19));
  ASSERT_TRUE(c);
  const QImage want =
      Expected(c->image.get(), [](TMDIB &d, const TMDIB &s) { MedianFilter(d, s, 0, 72); });
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mMedianClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TMedianForm *>(w);
                          EXPECT_EQ(form->windowTitle(),
                                    QStringLiteral("ノイズ除去（メディアンフィルター）"));
                          EXPECT_EQ(form->rgMethod->checkedId(), 0);
                          EXPECT_EQ(form->TrackBar->value(), 72);
                          EXPECT_EQ(form->TrackBar->minimum(), 16);
                          EXPECT_EQ(form->TrackBar->maximum(), 128);
                          EXPECT_TRUE(form->TrackBar->isEnabled());
                          ClickButton(form, QStringLiteral("OK"));
                        }));
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(StoredFields(QStringLiteral("Median"), 2), (std::vector<int>{0, 72}));
}

TEST_F(FilterDialogs, NoiseRemovalAKeepsTheSizeWithOneUndoEntry) {
  TMDIChild *c = Open(Noisy(23, 17));
  ASSERT_TRUE(c);
  DibHandle expected(Kit.ImgKitCopy(c->image.get(), "", ""));
  ASSERT_TRUE(NoiseRemovalA(expected));
  main->RunCommand(QStringLiteral("BS1Click"));
  EXPECT_EQ(c->width, 23);
  EXPECT_EQ(c->height, 17);
  EXPECT_EQ(PictureOf(c->image.get()), PictureOf(expected.get()));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_TRUE(main->isEnabled());
  EXPECT_FALSE(main->WaitMess->isVisible());
  c->Undo();
  EXPECT_EQ(PictureOf(c->image.get()), Noisy(23, 17).convertToFormat(QImage::Format_RGB32));
}

// ---- resize and aspect ---------------------------------------------------------------------

TEST_F(FilterDialogs, ResizeEditsFollowTheRatioOnceEach) {
  TMDIChild *c = Open(Noisy(640, 480));
  ASSERT_TRUE(c);
  TResizeForm form(main);
  form.Prepare(c, TResizeForm::Normal);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("拡大縮小（通常法）"));
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("640"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("480"));
  form.Edit1->setText(QStringLiteral("320"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("240"));
  form.Edit2->setText(QStringLiteral("100"));
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("133"));
  // A write that leaves the partner's text as it was must not swallow the
  // next edit.
  form.Edit1->setText(QStringLiteral("134"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("100"));
  form.Edit2->setText(QStringLiteral("300"));
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("400"));
  // Free ratio: independent.
  form.RadioGroup->button(1)->click();
  form.Edit1->setText(QStringLiteral("50"));
  EXPECT_EQ(form.Edit2->text(), QStringLiteral("300"));

  TResizeForm other(main);
  other.Prepare(c, TResizeForm::Oversampling);
  EXPECT_EQ(other.windowTitle(), QStringLiteral("高画質縮小（オーバーサンプリング法）"));
  other.Prepare(c, TResizeForm::Bilinear);
  EXPECT_EQ(other.windowTitle(), QStringLiteral("高画質拡大（２次元線形補間法）"));
}

TEST_F(FilterDialogs, ResizeWithoutAUsableSizeStaysOpenAndChangesNothing) {
  TMDIChild *c = Open(Noisy(40, 30));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  bool stillOpen = false;
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mBitBltClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TResizeForm *>(w);
                          form->RadioGroup->button(1)->click();
                          for (const char *text : {"0", ""}) {
                            form->Edit1->setText(QString::fromLatin1(text));
                            form->bOKClick();
                          }
                          stillOpen = form->isVisible();
                          form->reject();
                        }));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 0);
}

TEST_F(FilterDialogs, ResizeBeyondMemoryTellsSoAndKeepsTheDocument) {
  TMDIChild *c = Open(Noisy(40, 30));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  for (int method : {TResizeForm::Normal, TResizeForm::Oversampling}) {
    TResizeForm form(main);
    form.Prepare(c, method);
    form.RadioGroup->button(1)->click();
    form.Edit1->setText(QStringLiteral("99999"));
    form.Edit2->setText(QStringLiteral("99999"));
    form.bOKClick();
  }
  EXPECT_EQ(Messages(), QStringList(2, QStringLiteral("メモリが不足しているため処理できません。")));
  EXPECT_EQ(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_EQ(c->modificationCount, 0);
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(FilterDialogs, ResizeMethodsGiveTheirRoutinesAndResetTheArea) {
  const QImage picture = Noisy(250, 180);
  struct Case {
    int method;
    int w, h;
  };
  for (const Case k : {Case{TResizeForm::Normal, 120, 77}, Case{TResizeForm::Oversampling, 125, 90},
                       Case{TResizeForm::Bilinear, 377, 201}}) {
    SCOPED_TRACE(k.method);
    TMDIChild *c = Open(picture);
    ASSERT_TRUE(c);
    c->ShowArea();
    c->areaLeft = 120;
    c->areaTop = 60;
    c->RebuildPreview();
    DibHandle want(Kit.ImgKitImageSize(c->image.get(), "", "", k.w, k.h));
    if (k.method != TResizeForm::Normal) {
      TMDIB to(want.get());
      const TMDIB from(c->image.get());
      if (k.method == TResizeForm::Oversampling)
        AreaAverageResize(to, from);
      else
        BilinearResize(to, from);
    }
    TResizeForm form(main);
    form.Prepare(c, k.method);
    form.RadioGroup->button(1)->click();
    form.Edit1->setText(QString::number(k.w));
    form.Edit2->setText(QString::number(k.h));
    form.bOKClick();
    EXPECT_EQ(c->width, k.w);
    EXPECT_EQ(c->height, k.h);
    EXPECT_EQ(PictureOf(c->image.get()), PictureOf(want.get()));
    EXPECT_EQ(c->undoCount, 1);
    EXPECT_EQ(c->areaLeft, 0);
    EXPECT_EQ(c->areaTop, 0);
    c->closeWithoutAsking = true;
    c->close();
  }
}

TEST_F(FilterDialogs, AspectCommandsChangeOnlyTheHeight) {
  // Full colour goes through the area-average reduction, palette images
  // through the kit's plain resize.
  TMDIChild *c = Open(Noisy(64, 300));
  ASSERT_TRUE(c);
  DibHandle want(Kit.ImgKitImageSize(c->image.get(), "", "", 64, 320));
  {
    TMDIB to(want.get());
    const TMDIB from(c->image.get());
    AreaAverageResize(to, from);
  }
  main->RunCommand(QStringLiteral("m54Click"));
  EXPECT_EQ(c->width, 64);
  EXPECT_EQ(c->height, 320);
  EXPECT_EQ(PictureOf(c->image.get()), PictureOf(want.get()));
  EXPECT_EQ(c->undoCount, 1);

  TMDIChild *g = OpenGrey(64, 300);
  ASSERT_TRUE(g);
  DibHandle plain(Kit.ImgKitImageSize(g->image.get(), "", "", 64, 281));
  main->RunCommand(QStringLiteral("m43Click"));
  EXPECT_EQ(g->height, 281);
  EXPECT_EQ(g->bitCount, 8);
  EXPECT_EQ(PictureOf(g->image.get()), PictureOf(plain.get()));
  EXPECT_EQ(g->undoCount, 1);
}

} // namespace
