// The histogram display, the histogram correction with its band and centre
// marker, the automatic corrections A and B, the hue change and the
// specific-hue emphasis, run through the main window's commands.
#include "fileops_fixture.h"

#include "adjust/Colsplit.h"
#include "adjust/Histfunc.h"
#include "adjust/Shikisou.h"
#include "adjust/Tone.h"
#include "adjust/Yuv.h"
#include "adjust/dialogs/AutoCorrect.h"
#include "adjust/dialogs/ColsplitForm.h"
#include "adjust/dialogs/HistfuncForm.h"
#include "adjust/dialogs/Histgram.h"
#include "adjust/dialogs/ShikisouForm.h"
#include "app/Option.h"
#include "forms/Waitmess.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <functional>

using namespace fileops_test;

namespace {

class HistDialogs : public DocumentTest {
protected:
  // `picture` with `routine` run over it, as the document should become.
  static QImage Expected(const QImage &picture, const std::function<void(TMDIB &)> &routine) {
    DibHandle h = DibFromBitmap(picture);
    {
      TMDIB dib(h.get());
      routine(dib);
    }
    return PictureOf(h.get());
  }

  static QImage Uniform(int w, int h, QRgb colour) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(colour);
    return img;
  }

  // Colours that spread over the whole range, with a few outliers.
  static QImage Spread(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.setPixel(
            x, y,
            qRgb(40 + (x * 7 + y) % 150, 60 + (x * 3 + y * 5) % 120, 30 + (y * 11 + x) % 170));
    img.setPixel(0, 0, qRgb(0, 0, 0));
    img.setPixel(1, 0, qRgb(255, 255, 255));
    return img;
  }

  QImage Document(TMDIChild *child) const { return PictureOf(child->image.get()); }
};

// ---- histogram correction ------------------------------------------------------------------

TEST_F(HistDialogs, PressingTheCentreMarkerGivesGammaPosition106) {
  const QImage picture = Spread(30, 20);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  child->ComputeHistogram();
  THistFuncForm dialog(main);
  dialog.Prepare(child);
  EXPECT_EQ(dialog.LabelLeft(), 158);
  EXPECT_EQ(dialog.LineLeft(), 178);
  EXPECT_FALSE(dialog.GammaActive());
  dialog.CenterMouseDown(700);
  EXPECT_EQ(dialog.DragMode(), 3);
  dialog.CenterMouseUp();
  EXPECT_TRUE(dialog.GammaActive());
  EXPECT_EQ(dialog.GammaPosition(), 106);
  EXPECT_EQ(dialog.CentrePercent(), 50);
  const int undoBefore = child->undoCount;
  dialog.bOKClick();
  EXPECT_EQ(child->undoCount, undoBefore + 1);
  EXPECT_EQ(Document(child), Expected(picture, [](TMDIB &d) {
              Levels(d, 0, 255, lcAverage);
              Gamma(d, 106);
            }));
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(HistDialogs, BandEdgesFollowThePointerAndReadBackAsTheRange) {
  const QImage picture = Spread(24, 16);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  child->ComputeHistogram();
  THistFuncForm dialog(main);
  dialog.Prepare(child);
  EXPECT_EQ(dialog.Low(), 0);
  EXPECT_EQ(dialog.High(), 255);

  // Within 7 pixels of the left edge grabs it; 8 away grabs nothing.
  dialog.StripMouseDown(56 + 8);
  EXPECT_EQ(dialog.DragMode(), 0);
  dialog.StripMouseDown(56 + 7);
  EXPECT_EQ(dialog.DragMode(), 1);
  dialog.StripMouseMove(86);
  dialog.StripMouseUp();
  EXPECT_EQ(dialog.BandLeft(), 86);
  EXPECT_EQ(dialog.BandWidth(), 226);
  EXPECT_EQ(dialog.Low(), 30);
  EXPECT_EQ(dialog.High(), 255);
  // The marker keeps its 50 % of the band.
  EXPECT_EQ(dialog.LabelLeft(), 30 + 50 * 225 / 100 + 31);

  // The right edge is held at 362, so high reaches 305.
  dialog.StripMouseDown(86 + 226 - 7);
  EXPECT_EQ(dialog.DragMode(), 2);
  dialog.StripMouseMove(500);
  EXPECT_EQ(dialog.BandWidth(), 362 - 86);
  EXPECT_EQ(dialog.High(), 305);
  // A move that leaves a band narrower than 10 is refused.
  dialog.StripMouseMove(86 + 9);
  EXPECT_EQ(dialog.BandWidth(), 362 - 86);
  dialog.StripMouseMove(86 + 10);
  EXPECT_EQ(dialog.BandWidth(), 10);
  dialog.StripMouseMove(200);
  dialog.StripMouseUp();
  EXPECT_EQ(dialog.High(), 200 - 57);

  dialog.bOKClick();
  EXPECT_EQ(Document(child),
            Expected(picture, [](TMDIB &d) { Levels(d, 30, 200 - 57, lcAverage); }));
}

TEST_F(HistDialogs, BandDraggedBelowLevelZeroIsAnIdentity) {
  const QImage picture = Spread(20, 10);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  child->ComputeHistogram();
  THistFuncForm dialog(main);
  dialog.Prepare(child);
  dialog.StripMouseDown(56);
  dialog.StripMouseMove(-40);
  dialog.StripMouseUp();
  EXPECT_EQ(dialog.BandLeft(), 6);
  EXPECT_EQ(dialog.Low(), -50);
  dialog.bOKClick();
  EXPECT_EQ(Document(child), picture.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(child->undoCount, 1);
}

TEST_F(HistDialogs, ChannelChoiceDrawsItsHistogramAndCorrectsOnlyThatChannel) {
  const QImage picture = Spread(20, 12);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  child->ComputeHistogram();
  THistFuncForm dialog(main);
  dialog.Prepare(child);
  dialog.rbGreen->click();
  EXPECT_EQ(dialog.Channel(), lcGreen);
  bool green = false;
  const QImage &drawn = dialog.HistogramImage();
  for (int x = 0; x < drawn.width(); ++x)
    green = green || drawn.pixel(x, drawn.height() - 3) == qRgb(0, 128, 0);
  EXPECT_TRUE(green);
  EXPECT_EQ(drawn.pixel(50, 5), qRgb(255, 255, 255));
  dialog.StripMouseDown(56);
  dialog.StripMouseMove(106);
  dialog.StripMouseUp();
  dialog.bOKClick();
  EXPECT_EQ(Document(child), Expected(picture, [](TMDIB &d) { Levels(d, 50, 255, lcGreen); }));
}

TEST_F(HistDialogs, AutomaticButtonOnAUniformImageLeavesItUnchanged) {
  const QImage picture = Uniform(8, 6, qRgb(90, 90, 90));
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  child->ComputeHistogram();
  THistFuncForm dialog(main);
  dialog.Prepare(child);
  dialog.bAutoClick();
  EXPECT_EQ(dialog.Low(), 90);
  EXPECT_EQ(dialog.High(), 90);
  // A band one level wide has no inside for the marker: no division by it.
  dialog.CenterMouseDown(10);
  dialog.CenterMouseMove(30);
  dialog.CenterMouseUp();
  dialog.bOKClick();
  EXPECT_EQ(Document(child), picture.convertToFormat(QImage::Format_RGB32));
}

TEST_F(HistDialogs, CancelLeavesTheDocumentAndItsHistoryAlone) {
  const QImage picture = Spread(16, 16);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  const bool seen = WithModal([this] { main->RunCommand(QStringLiteral("mHistFuncClick")); },
                              [](QWidget *w) {
                                auto *dialog = qobject_cast<THistFuncForm *>(w);
                                ASSERT_NE(dialog, nullptr);
                                EXPECT_EQ(dialog->windowTitle(), "ヒストグラム補正");
                                dialog->StripMouseDown(56);
                                dialog->StripMouseMove(150);
                                dialog->StripMouseUp();
                                dialog->bCancelClick();
                              });
  EXPECT_TRUE(seen);
  EXPECT_EQ(Document(child), picture.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(child->undoCount, 0);
  EXPECT_EQ(child->modificationCount, 0);
}

TEST_F(HistDialogs, PreviewOfAWideImageIsCentredInTheFrameAt388) {
  TMDIChild *child = Open(Spread(300, 99));
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(child->previewWidth, 100);
  ASSERT_EQ(child->previewHeight, 33);
  child->ComputeHistogram();
  THistFuncForm dialog(main);
  dialog.Prepare(child);
  EXPECT_EQ(dialog.PreviewOrigin(), QPoint(388, 41));
}

// ---- automatic corrections -----------------------------------------------------------------

TEST_F(HistDialogs, CorrectionAMakesAUniformImageBlack) {
  TMDIChild *child = Open(Uniform(7, 5, qRgb(100, 100, 100)));
  ASSERT_NE(child, nullptr);
  main->RunCommand(QStringLiteral("mAuto1Click"));
  EXPECT_EQ(Document(child), Uniform(7, 5, qRgb(0, 0, 0)).convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(child->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(HistDialogs, CorrectionsLeaveAUniformWhiteImageAlone) {
  const QImage white = Uniform(6, 4, qRgb(255, 255, 255));
  TMDIChild *child = Open(white);
  ASSERT_NE(child, nullptr);
  main->RunCommand(QStringLiteral("mAuto1Click"));
  EXPECT_EQ(Document(child), white.convertToFormat(QImage::Format_RGB32));
  main->RunCommand(QStringLiteral("mAuto2Click"));
  EXPECT_EQ(Document(child), white.convertToFormat(QImage::Format_RGB32));
}

TEST_F(HistDialogs, CorrectionBLeavesAUniformImageUnchanged) {
  const QImage picture = Uniform(9, 3, qRgb(30, 120, 200));
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  main->RunCommand(QStringLiteral("mAuto2Click"));
  EXPECT_EQ(Document(child), picture.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(child->undoCount, 1);
}

TEST_F(HistDialogs, CorrectionAWithDefaultsStretchesTheAverageHistogramOnly) {
  const QImage picture = Spread(40, 30);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  main->RunCommand(QStringLiteral("mAuto1Click"));
  EXPECT_EQ(Document(child),
            Expected(picture, [](TMDIB &d) { AutoCorrectA(d, AutoCorrectSettings{}); }));
  // The settings were created with their defaults.
  EXPECT_EQ(ReadSetting(QStringLiteral("IppatsuAContrast"), QString()), "3");
  EXPECT_EQ(ReadSetting(QStringLiteral("GammaInIppatsu"), QString()), "0");
}

TEST_F(HistDialogs, CorrectionBWithGammaAndColourIsUndoneByOneUndo) {
  WriteSetting(QStringLiteral("IppatsuBContrast"), QStringLiteral("6"));
  WriteSetting(QStringLiteral("GammaInIppatsu"), QStringLiteral("1"));
  WriteSetting(QStringLiteral("GammaInIppatsuParam"), QStringLiteral("140"));
  WriteSetting(QStringLiteral("ColorInIppatsu"), QStringLiteral("1"));
  WriteSetting(QStringLiteral("ColorInIppatsuR"), QStringLiteral("10"));
  WriteSetting(QStringLiteral("ColorInIppatsuG"), QStringLiteral("-4"));
  WriteSetting(QStringLiteral("ColorInIppatsuB"), QStringLiteral("-20"));
  const QImage picture = Spread(33, 21);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  main->RunCommand(QStringLiteral("mAuto2Click"));
  AutoCorrectSettings s;
  s.contrastB = 6;
  s.gammaOn = true;
  s.gamma = 140;
  s.colourOn = true;
  s.red = 10;
  s.green = -4;
  s.blue = -20;
  EXPECT_EQ(Document(child), Expected(picture, [&s](TMDIB &d) { AutoCorrectB(d, s); }));
  EXPECT_EQ(child->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
  main->Undo1Click();
  EXPECT_EQ(Document(child), picture.convertToFormat(QImage::Format_RGB32));
}

TEST_F(HistDialogs, CorrectionsRunUnderOneWaitWindowWithOneUndoEntry) {
  WriteSetting(QStringLiteral("IppatsuAContrast"), QStringLiteral("5"));
  WriteSetting(QStringLiteral("GammaInIppatsu"), QStringLiteral("1"));
  WriteSetting(QStringLiteral("GammaInIppatsuParam"), QStringLiteral("70"));
  WriteSetting(QStringLiteral("ColorInIppatsu"), QStringLiteral("1"));
  WriteSetting(QStringLiteral("ColorInIppatsuR"), QStringLiteral("-15"));
  WriteSetting(QStringLiteral("ColorInIppatsuG"), QStringLiteral("8"));
  WriteSetting(QStringLiteral("ColorInIppatsuB"), QStringLiteral("3"));
  AutoCorrectSettings s;
  s.contrastA = 5;
  s.gammaOn = true;
  s.gamma = 70;
  s.colourOn = true;
  s.red = -15;
  s.green = 8;
  s.blue = 3;
  const QImage picture = Spread(27, 19);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  main->RunCommand(QStringLiteral("mAuto1Click"));
  EXPECT_EQ(Document(child), Expected(picture, [&s](TMDIB &d) { AutoCorrectA(d, s); }));
  EXPECT_EQ(child->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
  // Levels, then gamma: one step per row each.
  EXPECT_EQ(main->WaitMess->ProgressBar->maximum(), 2 * 19);
  EXPECT_EQ(main->WaitMess->ProgressBar->value(), 2 * 19);

  // B without gamma: three levels passes.
  WriteSetting(QStringLiteral("GammaInIppatsu"), QStringLiteral("0"));
  s.gammaOn = false;
  const QImage second = Spread(23, 17);
  TMDIChild *other = Open(second, QStringLiteral("second.bmp"));
  ASSERT_NE(other, nullptr);
  main->RunCommand(QStringLiteral("mAuto2Click"));
  EXPECT_EQ(Document(other), Expected(second, [&s](TMDIB &d) { AutoCorrectB(d, s); }));
  EXPECT_EQ(other->undoCount, 1);
  EXPECT_EQ(main->WaitMess->ProgressBar->maximum(), 3 * 17);
  EXPECT_EQ(main->WaitMess->ProgressBar->value(), 3 * 17);
  main->Undo1Click();
  EXPECT_EQ(Document(other), second.convertToFormat(QImage::Format_RGB32));
}

TEST_F(HistDialogs, CorrectionAOnAPaletteImageGivesTheRoutine) {
  QImage picture = Spread(21, 13).convertToFormat(QImage::Format_Indexed8);
  ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(child->bitCount, 8);
  main->RunCommand(QStringLiteral("mAuto1Click"));
  EXPECT_EQ(Document(child),
            Expected(picture, [](TMDIB &d) { AutoCorrectA(d, AutoCorrectSettings{}); }));
  EXPECT_EQ(child->undoCount, 1);
}

TEST_F(HistDialogs, CommandsWithoutADocumentDoNothing) {
  main->RunCommand(QStringLiteral("mAuto1Click"));
  main->RunCommand(QStringLiteral("mAuto2Click"));
  main->RunCommand(QStringLiteral("mHistFuncClick"));
  main->RunCommand(QStringLiteral("mHistgramClick"));
  main->RunCommand(QStringLiteral("mShikisouClick"));
  main->RunCommand(QStringLiteral("mKyochoClick"));
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(HistDialogs, CustomisationOpensTheOptionsOnTheirOneClickPage) {
  QString page;
  const bool seen = WithModal([this] { main->mAutoCustomClick(); },
                              [&page](QWidget *w) {
                                auto *options = qobject_cast<TOptionForm *>(w);
                                ASSERT_NE(options, nullptr);
                                if (auto *tabs = options->findChild<QTabWidget *>())
                                  page = tabs->tabText(tabs->currentIndex());
                                options->reject();
                              });
  EXPECT_TRUE(seen);
  EXPECT_EQ(page, "一発補正");
}

// ---- histogram display ---------------------------------------------------------------------

TEST_F(HistDialogs, DisplayStartsOnTheAverageAndRedrawsPerChannel) {
  TMDIChild *child = Open(Uniform(10, 10, qRgb(200, 10, 10)));
  ASSERT_NE(child, nullptr);
  int channel = -1;
  QRgb averageBar = 0, redBar = 0, redAtAverage = 0;
  const bool seen = WithModal([this] { main->RunCommand(QStringLiteral("mHistgramClick")); },
                              [&](QWidget *w) {
                                auto *form = qobject_cast<THistgramForm *>(w);
                                ASSERT_NE(form, nullptr);
                                EXPECT_EQ(form->windowTitle(), "ヒストグラム");
                                channel = form->Channel();
                                const QImage &img = form->HistogramImage();
                                // Every pixel in one bin: a full-height bar at x = bin + 1.
                                averageBar = img.pixel(73 + 1, 5);
                                form->rbRed->click();
                                redBar = form->HistogramImage().pixel(200 + 1, 5);
                                redAtAverage = form->HistogramImage().pixel(73 + 1, 5);
                                form->accept();
                              });
  EXPECT_TRUE(seen);
  EXPECT_EQ(channel, lcAverage);
  EXPECT_EQ(averageBar, qRgb(128, 128, 128));
  EXPECT_EQ(redBar, qRgb(255, 0, 0));
  EXPECT_EQ(redAtAverage, qRgb(255, 255, 255));
}

// ---- hue change and emphasis ---------------------------------------------------------------

TEST_F(HistDialogs, HueChangeAppliesCoarsePlusFine) {
  const QImage picture = Spread(20, 14);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  QString shown;
  const bool seen = WithModal([this] { main->RunCommand(QStringLiteral("mShikisouClick")); },
                              [&shown](QWidget *w) {
                                auto *form = qobject_cast<TShikisouForm *>(w);
                                ASSERT_NE(form, nullptr);
                                EXPECT_EQ(form->windowTitle(), "色相補正");
                                form->TrackBar1->setValue(120);
                                form->TrackBar2->setValue(-5);
                                shown = form->lShift->text();
                                form->bOKClick();
                              });
  EXPECT_TRUE(seen);
  EXPECT_EQ(shown, "115");
  EXPECT_EQ(Document(child), Expected(picture, [](TMDIB &d) { HueChange(d, 115); }));
  EXPECT_EQ(child->undoCount, 1);
  EXPECT_FALSE(main->WaitMess->isVisible());
}

TEST_F(HistDialogs, HueCircleLabelsTurnCounterClockwise) {
  const QPointF c(66, 66);
  const QPointF top = HueCircle::CirclePoint(c, 50, 90);
  EXPECT_NEAR(top.x(), 66, 0.01);
  EXPECT_NEAR(top.y(), 16, 0.01);
  const QPointF right = HueCircle::CirclePoint(c, 35, 0);
  EXPECT_DOUBLE_EQ(right.x(), 101);
  EXPECT_DOUBLE_EQ(right.y(), 66);
}

TEST_F(HistDialogs, HueCommandsRefusePaletteImages) {
  const QString path = Path("grey.bmp");
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < 256; ++i)
    palette.push_back(i * 0x010101u);
  ASSERT_TRUE(
      WriteFile(path, RawBmp(4, 2, 8, palette,
                             {QByteArray("\x01\x02\x03\x04"), QByteArray("\x05\x06\x07\x08")})));
  ASSERT_TRUE(main->OpenImageFile(path));
  TMDIChild *child = main->ActiveChild();
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(child->bitCount, 8);
  bool opened = false;
  auto close = [&opened](QWidget *w) {
    opened = true;
    if (auto *d = qobject_cast<QDialog *>(w)) d->reject();
  };
  WithModal([this] { main->RunCommand(QStringLiteral("mShikisouClick")); }, close);
  WithModal([this] { main->RunCommand(QStringLiteral("mKyochoClick")); }, close);
  EXPECT_FALSE(opened);
  EXPECT_EQ(child->undoCount, 0);
}

TEST_F(HistDialogs, EmphasisPreviewShowsItsDefaultsFromTheStart) {
  // Without a record the bars stand at their defaults, which grey everything
  // away from the centre hue: the preview must show that, not the picture
  // as it is.
  WriteSettingIn(kDialogsKey, QStringLiteral("Shikisou"), QString());
  TMDIChild *child = Open(Spread(18, 12));
  ASSERT_NE(child, nullptr);
  TColsplitForm form(main);
  form.Prepare(child);
  DibHandle want(Kit.ImgKitCopy(child->previewImage.get(), "", ""));
  {
    TMDIB dib(want.get());
    HueEmphasis(dib, 0, 65, 0, -100);
  }
  EXPECT_EQ(PictureOf(form.ShownPreview()), PictureOf(want.get()));
  EXPECT_NE(PictureOf(form.ShownPreview()), PictureOf(child->previewImage.get()));
}

TEST_F(HistDialogs, EmphasisRemembersItsFourPositions) {
  const QImage picture = Spread(18, 12);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  {
    TColsplitForm form(main);
    form.Prepare(child);
    EXPECT_EQ(form.tb1->value(), 0);
    EXPECT_EQ(form.tb2->value(), 65);
    EXPECT_EQ(form.tb3->value(), 0);
    EXPECT_EQ(form.tb4->value(), -100);
  }
  const bool seen = WithModal([this] { main->RunCommand(QStringLiteral("mKyochoClick")); },
                              [](QWidget *w) {
                                auto *form = qobject_cast<TColsplitForm *>(w);
                                ASSERT_NE(form, nullptr);
                                EXPECT_EQ(form->windowTitle(), "特定色相の強調");
                                form->tb1->setValue(-170);
                                form->tb2->setValue(20);
                                form->tb3->setValue(40);
                                form->tb4->setValue(-50);
                                form->bOKClick();
                              });
  EXPECT_TRUE(seen);
  EXPECT_EQ(Registry::Read(kDialogsKey, QStringLiteral("Shikisou")).value_or(QString()),
            "-170,20,40,-50");
  EXPECT_EQ(Document(child),
            Expected(picture, [](TMDIB &d) { HueEmphasis(d, -170, 20, 40, -50); }));

  TColsplitForm again(main);
  again.Prepare(child);
  EXPECT_EQ(again.tb1->value(), -170);
  EXPECT_EQ(again.tb2->value(), 20);
  EXPECT_EQ(again.tb3->value(), 40);
  EXPECT_EQ(again.tb4->value(), -50);
  // Reset goes back to the defaults, not to the record.
  again.bResetClick();
  EXPECT_EQ(again.tb2->value(), 65);
  EXPECT_EQ(again.tb4->value(), -100);
}

TEST_F(HistDialogs, EmphasisRecordWithAZeroWidthStaysWithinTheBar) {
  Registry::Write(kDialogsKey, QStringLiteral("Shikisou"), QStringLiteral("10,0,5"));
  const QImage picture = Spread(10, 10);
  TMDIChild *child = Open(picture);
  ASSERT_NE(child, nullptr);
  TColsplitForm form(main);
  form.Prepare(child);
  EXPECT_EQ(form.tb1->value(), 10);
  EXPECT_EQ(form.tb2->value(), 10);
  EXPECT_EQ(form.tb3->value(), 5);
  EXPECT_EQ(form.tb4->value(), -100); // missing field: the default stays
  form.bOKClick();
  EXPECT_EQ(Document(child), Expected(picture, [](TMDIB &d) { HueEmphasis(d, 10, 10, 5, -100); }));
}

} // namespace
