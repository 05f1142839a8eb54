// The document window: zoom layout, preview copy, area drag, keys, edit
// history, histogram and the close query, on a real main window.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "app/PreviewFrame.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/ImageControl.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"
#include "wait_util.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

using test_wait::Pump;
using test_wait::WaitFor;

// ---- helpers that need no main window ---------------------------------------

TEST(ZoomSteps, ScaleAndUnscaleTruncate) {
  const int scaled[7] = {2000, 1500, 1000, 750, 500, 333, 250};
  for (int i = 0; i < TMDIChild::kZoomSteps; ++i)
    EXPECT_EQ(TMDIChild::ZoomScale(i, 1000), scaled[i]) << "step " << i;
  // The frame side at each step.
  const int side[7] = {200, 150, 100, 75, 50, 33, 25};
  for (int i = 0; i < TMDIChild::kZoomSteps; ++i)
    EXPECT_EQ(TMDIChild::ZoomScale(i, 100), side[i]);
  // Screen to image: x 1/2, x 2/3, x 1, x 4/3, x 2, x 3, x 4, truncating.
  const int unscaled[7] = {20, 27, 41, 54, 82, 123, 164};
  for (int i = 0; i < TMDIChild::kZoomSteps; ++i)
    EXPECT_EQ(TMDIChild::ZoomUnscale(i, 41), unscaled[i]) << "step " << i;
  EXPECT_EQ(TMDIChild::ZoomScale(1, 201), 301);
  EXPECT_EQ(TMDIChild::ZoomScale(3, 301), 225);
  EXPECT_EQ(TMDIChild::ZoomScale(5, 302), 100);
}

QImage Checker2x2() {
  QImage img(2, 2, QImage::Format_RGB32);
  img.setPixel(0, 0, qRgb(255, 0, 0));
  img.setPixel(1, 0, qRgb(0, 255, 0));
  img.setPixel(0, 1, qRgb(0, 0, 255));
  img.setPixel(1, 1, qRgb(255, 255, 255));
  return img;
}

TEST(ImageControlStretch, EnlargesByWholePixelBlocks) {
  ImageControl control;
  control.SetStretch(true);
  control.SetPicture(Checker2x2().convertToFormat(QImage::Format_BGR888));
  control.resize(8, 8);
  const QImage shot = control.grab().toImage();
  ASSERT_EQ(shot.size(), QSize(8, 8));
  EXPECT_EQ(shot.pixel(0, 0) & 0xffffff, 0xff0000u);
  EXPECT_EQ(shot.pixel(3, 3) & 0xffffff, 0xff0000u);
  EXPECT_EQ(shot.pixel(4, 3) & 0xffffff, 0x00ff00u);
  EXPECT_EQ(shot.pixel(3, 4) & 0xffffff, 0x0000ffu);
  EXPECT_EQ(shot.pixel(7, 7) & 0xffffff, 0xffffffu);
}

TEST(ImageControlStretch, ReducesToTheWidgetSize) {
  QImage big(8, 8, QImage::Format_Indexed8);
  big.setColorTable({qRgb(0, 0, 0), qRgb(200, 100, 50)});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      big.setPixel(x, y, x < 4 ? 0 : 1);
  ImageControl control;
  control.SetStretch(true);
  control.SetPicture(big);
  control.resize(2, 2);
  QImage shot = control.grab().toImage();
  EXPECT_EQ(shot.pixel(0, 1) & 0xffffff, 0x000000u);
  EXPECT_EQ(shot.pixel(1, 0) & 0xffffff, 0xc86432u);
  // A new picture replaces the reduced copy.
  big.setColorTable({qRgb(10, 10, 10), qRgb(20, 20, 20)});
  control.SetPicture(big);
  shot = control.grab().toImage();
  EXPECT_EQ(shot.pixel(1, 1) & 0xffffff, 0x141414u);
}

TEST(ImageControlStretch, OffDrawsAtActualSize) {
  ImageControl control;
  control.SetPicture(Checker2x2());
  control.resize(4, 4);
  const QImage shot = control.grab().toImage();
  EXPECT_EQ(shot.pixel(1, 1) & 0xffffff, 0xffffffu);
  EXPECT_FALSE(control.Stretch());
}

TEST(PreviewFrameTest, TakesNoMouseAndStartsHidden) {
  QWidget parent;
  auto *frame = new PreviewFrame(&parent);
  EXPECT_TRUE(frame->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(frame->isHidden());
  EXPECT_EQ(frame->size(), QSize(100, 100));
}

// ---- the document window on a main window -----------------------------------

// Sets pixel (x, y) (top row = 0) of a 24-bit image.
void SetPixel(IMGHANDLE h, int x, int y, uint8_t b, uint8_t g, uint8_t r) {
  TMDIB dib(h);
  uint8_t *p = dib.Row(dib.height - 1 - y) + 3 * x;
  p[0] = b, p[1] = g, p[2] = r;
}

int BlueAt(IMGHANDLE h, int x, int y) {
  TMDIB dib(h);
  return dib.Row(dib.height - 1 - y)[3 * x];
}

class DocumentWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite() { LoadImagingKit(); }

  void SetUp() override {
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) { return Respond(r); });
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    main = std::make_unique<TMainForm>();
    main->show();
    Pump();
    main->resize(1200, 900);
    Pump();
    savedDepth = General.undoDepth;
  }

  void TearDown() override {
    General.undoDepth = savedDepth;
    for (TMDIChild *c : main->Children())
      c->closeWithoutAsking = true;
    main.reset();
    UserDialogs::SetResponder(nullptr);
  }

  UserDialogs::Answer Respond(const UserDialogs::Request &r) {
    requests.push_back(r);
    UserDialogs::Answer a;
    if (r.kind == UserDialogs::Kind::SaveFile) {
      a.path = savePath;
      a.accepted = !savePath.isEmpty();
      a.filterIndex = r.filterIndex;
    } else if (r.text == QStringLiteral("画像は変更されています。保存しますか？")) {
      a.button = closeAnswer;
    } else {
      a.button = r.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    return a;
  }

  int CloseQuestions() const {
    int n = 0;
    for (const auto &r : requests)
      if (r.text == QStringLiteral("画像は変更されています。保存しますか？")) ++n;
    return n;
  }

  // A document window with a black 24-bit image, laid out as the creator does.
  TMDIChild *Open(int w, int h, const QString &caption = QStringLiteral("/tmp/docwin.bmp")) {
    TMDIChild *c = main->CreateChild(caption);
    c->image = CreateBlankDib(w, h);
    c->ReadImageInfo();
    c->LayoutForZoom();
    c->RefreshDisplay();
    c->RebuildPreview();
    Pump();
    return c;
  }

  // Drags on the image from `from` by `by` (image-control coordinates).
  void Drag(TMDIChild *c, QPoint from, QPoint by) {
    const QPoint g = c->Image->mapToGlobal(from);
    QMouseEvent press(QEvent::MouseButtonPress, from, g, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(c->Image, &press);
    QMouseEvent move(QEvent::MouseMove, from + by, g + by, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(c->Image, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, from + by, g + by, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(c->Image, &release);
  }

  void Key(QWidget *target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
  }

  std::unique_ptr<TMainForm> main;
  std::vector<UserDialogs::Request> requests;
  QMessageBox::StandardButton closeAnswer = QMessageBox::Cancel;
  QString savePath;
  int savedDepth = 3;
};

TEST_F(DocumentWindow, ReadsTheImageInformation) {
  TMDIChild *c = Open(37, 11);
  EXPECT_EQ(c->width, 37);
  EXPECT_EQ(c->height, 11);
  EXPECT_EQ(c->bitCount, 24);
  EXPECT_FALSE(c->gray);
  EXPECT_EQ(c->kitValue1, 24);
  EXPECT_EQ(c->kitValue2, 0);
  // A grey 8-bit image.
  c->image.Adopt(Kit.ImgKitSetGray(c->image.get(), "", ""));
  c->Commit();
  EXPECT_EQ(c->bitCount, 8);
  EXPECT_TRUE(c->gray);
  EXPECT_EQ(c->kitValue2, 256);
}

TEST_F(DocumentWindow, LayoutAt150PercentScalesImageFrameAndClientArea) {
  TMDIChild *c = Open(300, 200);
  c->SetZoom(1);
  Pump();
  EXPECT_EQ(c->Image->size(), QSize(450, 300));
  EXPECT_EQ(c->sPreview->size(), QSize(150, 150));
  EXPECT_EQ(c->ScrollBox1->size(), QSize(450, 300));
  // The picture is drawn at the zoomed size from the one shown picture.
  EXPECT_EQ(c->Image->PictureSize(), QSize(300, 200));
  EXPECT_TRUE(c->Image->Stretch());
  EXPECT_FALSE(c->directPaint);
  c->SetZoom(6);
  EXPECT_EQ(c->Image->size(), QSize(75, 50));
  EXPECT_EQ(c->sPreview->size(), QSize(25, 25));
  c->SetZoom(2);
  EXPECT_EQ(c->ScrollBox1->size(), QSize(300, 200));
}

// Counts the pixels of row `y` (x in [x0, x1)) whose colour is `rgb`.
int CountInRow(const QImage &img, int y, int x0, int x1, QRgb rgb) {
  int n = 0;
  for (int x = x0; x < x1; ++x)
    n += (img.pixel(x, y) & 0xffffff) == rgb;
  return n;
}

TEST_F(DocumentWindow, AreaFrameIsDottedAndShowsOnDarkAndLightPictures) {
  TMDIChild *c = Open(300, 200);
  c->ShowArea();
  QImage shot = c->Image->grab().toImage();
  const int white = CountInRow(shot, 0, 0, 100, 0xffffff);
  EXPECT_GT(white, 10);
  EXPECT_LT(white, 90);                                  // dotted, not solid
  EXPECT_EQ(CountInRow(shot, 50, 10, 90, 0xffffff), 0);  // no fill
  EXPECT_EQ(CountInRow(shot, 0, 110, 300, 0xffffff), 0); // nothing beyond it
  Kit.ImgKitColorReverse(c->image.get(), "", "");        // a white picture
  c->RefreshDisplay();
  shot = c->Image->grab().toImage();
  EXPECT_GT(CountInRow(shot, 0, 0, 100, 0x000000), 10);
  EXPECT_EQ(CountInRow(shot, 50, 10, 90, 0x000000), 0);
}

TEST_F(DocumentWindow, AMaximisedWindowKeepsItsSize) {
  TMDIChild *c = Open(300, 200);
  c->showMaximized();
  Pump();
  const QSize before = c->size();
  c->SetZoom(6);
  EXPECT_EQ(c->size(), before);
  EXPECT_EQ(c->Image->size(), QSize(75, 50));
}

TEST_F(DocumentWindow, ThumbnailPreviewKeepsTheLongerSideAt100) {
  struct {
    int w, h, pw, ph;
  } cases[] = {{640, 480, 100, 75}, {480, 640, 75, 100}, {100, 100, 100, 100}, {150, 50, 100, 33}};
  for (const auto &k : cases) {
    TMDIChild *c = Open(k.w, k.h);
    EXPECT_FALSE(c->AreaMode());
    EXPECT_EQ(c->previewWidth, k.pw) << k.w << "x" << k.h;
    EXPECT_EQ(c->previewHeight, k.ph) << k.w << "x" << k.h;
    ASSERT_TRUE(c->previewImage);
    TMDIB dib(c->previewImage.get());
    EXPECT_EQ(dib.width, k.pw);
    EXPECT_EQ(dib.height, k.ph);
  }
}

TEST_F(DocumentWindow, AreaDragAt50PercentTakesImagePixels) {
  TMDIChild *c = Open(640, 480);
  SetPixel(c->image.get(), 80, 60, 77, 0, 0);
  c->SetZoom(4);
  c->ShowArea();
  EXPECT_TRUE(c->AreaMode());
  EXPECT_EQ(c->sPreview->pos(), QPoint(0, 0));
  Drag(c, QPoint(10, 10), QPoint(40, 30));
  EXPECT_FALSE(c->dragging);
  EXPECT_EQ(c->sPreview->pos(), QPoint(40, 30));
  EXPECT_EQ(c->areaLeft, 80);
  EXPECT_EQ(c->areaTop, 60);
  EXPECT_EQ(c->previewWidth, 100);
  EXPECT_EQ(c->previewHeight, 100);
  // The preview is the area at actual size: its top-left is image (80, 60).
  EXPECT_EQ(BlueAt(c->previewImage.get(), 0, 0), 77);
  // Back to the thumbnail.
  c->ShowThumbnail();
  EXPECT_FALSE(c->AreaMode());
  EXPECT_EQ(c->previewHeight, 75);
}

TEST_F(DocumentWindow, DragBeyondTheRightEdgeStopsInside) {
  TMDIChild *c = Open(300, 200);
  c->ShowArea();
  Drag(c, QPoint(50, 50), QPoint(1000, -1000));
  EXPECT_EQ(c->sPreview->pos(), QPoint(200, 0));
  EXPECT_EQ(c->areaLeft, 200);
  EXPECT_EQ(c->areaTop, 0);
  EXPECT_EQ(c->previewWidth, 100);
  // At 33 % the frame may reach a place whose area would end one pixel
  // outside the picture; the cut stays inside.
  c->SetZoom(5);
  Drag(c, QPoint(5, 5), QPoint(1000, 1000));
  EXPECT_LE(c->areaLeft + 100, c->width);
  EXPECT_LE(c->areaTop + 100, c->height);
  EXPECT_EQ(c->previewWidth, 100);
  EXPECT_EQ(c->previewHeight, 100);
}

TEST_F(DocumentWindow, AreaOnAPictureSmallerThanTheFrameStaysAtTheOrigin) {
  TMDIChild *c = Open(60, 40);
  c->areaLeft = 30;
  c->areaTop = 30;
  c->ShowArea();
  EXPECT_EQ(c->areaLeft, 0);
  EXPECT_EQ(c->areaTop, 0);
  Drag(c, QPoint(5, 5), QPoint(20, 20));
  EXPECT_EQ(c->sPreview->pos(), QPoint(0, 0));
  ASSERT_TRUE(c->previewImage);
  EXPECT_LE(c->previewWidth, 60);
  EXPECT_LE(c->previewHeight, 40);
}

TEST_F(DocumentWindow, ClickWithoutFrameShowsTheImageInformation) {
  TMDIChild *c = Open(320, 240);
  QString said;
  QObject::connect(c, &TMDIChild::StatusText, [&](const QString &t) { said = t; });
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), c->Image->mapToGlobal(QPointF(3, 3)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(c->Image, &press);
  EXPECT_EQ(said, TMainForm::ImageInfoText(320, 240, 24));
  EXPECT_FALSE(said.isEmpty());
  EXPECT_FALSE(c->dragging);
}

TEST_F(DocumentWindow, ZoomStopsAtBothEnds) {
  TMDIChild *c = Open(400, 300);
  ASSERT_EQ(main->ActiveChild(), c);
  c->SetZoom(6);
  main->sbZoomOutClick();
  EXPECT_EQ(c->zoomIndex, 6);
  EXPECT_EQ(c->Image->size(), QSize(100, 75));
  c->SetZoom(0);
  main->sbZoomInClick();
  EXPECT_EQ(c->zoomIndex, 0);
  EXPECT_EQ(c->Image->size(), QSize(800, 600));
  main->sbZoomOutClick();
  EXPECT_EQ(c->zoomIndex, 1);
  // The keys reach the same commands.
  Key(c->ScrollBox1, Qt::Key_G);
  EXPECT_EQ(c->zoomIndex, 2);
  Key(c->ScrollBox1->viewport(), Qt::Key_H);
  EXPECT_EQ(c->zoomIndex, 1);
}

TEST_F(DocumentWindow, KeysAndWheelScrollWithinRange) {
  TMDIChild *c = Open(3000, 3000);
  Pump();
  QScrollBar *v = c->ScrollBox1->verticalScrollBar();
  QScrollBar *h = c->ScrollBox1->horizontalScrollBar();
  ASSERT_GT(v->maximum(), 20);
  Key(c->ScrollBox1, Qt::Key_Down);
  EXPECT_EQ(v->value(), 10);
  Key(c->ScrollBox1->viewport(), Qt::Key_Up);
  Key(c->ScrollBox1->viewport(), Qt::Key_Up);
  EXPECT_EQ(v->value(), 0);
  Key(c->ScrollBox1, Qt::Key_Right);
  EXPECT_EQ(h->value(), 10);
  Key(c->ScrollBox1, Qt::Key_M);
  EXPECT_EQ(v->value(), v->maximum());
  Key(c->ScrollBox1, Qt::Key_Down);
  EXPECT_EQ(v->value(), v->maximum());
  Key(c->ScrollBox1, Qt::Key_J);
  EXPECT_EQ(v->value(), 0);

  auto wheel = [&](int dy) {
    QWidget *vp = c->ScrollBox1->viewport();
    QWheelEvent e(QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, dy),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(vp, &e);
  };
  wheel(-120); // downwards: up, but not below 0
  EXPECT_EQ(v->value(), 0);
  wheel(120);
  EXPECT_EQ(v->value(), 10);
  wheel(-120);
  EXPECT_EQ(v->value(), 0);
}

TEST_F(DocumentWindow, NextAndPreviousWindowKeys) {
  TMDIChild *a = Open(50, 50);
  TMDIChild *b = Open(60, 60);
  ASSERT_EQ(main->ActiveChild(), b);
  Key(b->ScrollBox1, Qt::Key_N);
  Pump();
  EXPECT_EQ(main->ActiveChild(), a);
  Key(a->ScrollBox1, Qt::Key_Space);
  Pump();
  EXPECT_EQ(main->ActiveChild(), b);
}

// Marks the picture with `v` the way an image command does.
void Edit(TMDIChild *c, uint8_t v) {
  c->RecordUndo();
  SetPixel(c->image.get(), 0, 0, v, v, v);
  c->Commit();
}

TEST_F(DocumentWindow, DepthThreeKeepsTheThreeNewestVersions) {
  General.undoDepth = 3;
  TMDIChild *c = Open(20, 10);
  for (uint8_t v = 1; v <= 4; ++v)
    Edit(c, v);
  EXPECT_EQ(c->undoCount, 3);
  EXPECT_EQ(c->modificationCount, 4);
  EXPECT_EQ(BlueAt(c->undo[0].get(), 0, 0), 3);
  EXPECT_EQ(BlueAt(c->undo[2].get(), 0, 0), 1);
  EXPECT_FALSE(c->undo[3]);
  ASSERT_NE(main->Act("Undo1"), nullptr);
  EXPECT_TRUE(main->Act("Undo1")->isEnabled());

  const int restored[3] = {3, 2, 1};
  for (int i = 0; i < 3; ++i) {
    c->Undo();
    EXPECT_EQ(BlueAt(c->image.get(), 0, 0), restored[i]);
  }
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_FALSE(main->Act("Undo1")->isEnabled());
  c->Undo(); // nothing left
  EXPECT_EQ(BlueAt(c->image.get(), 0, 0), 1);
  EXPECT_EQ(c->modificationCount, 1);
  EXPECT_EQ(c->width, 20);
}

TEST_F(DocumentWindow, EditThenUndoLeavesTheCountAndClosesWithoutAsking) {
  General.undoDepth = 3;
  TMDIChild *c = Open(20, 10);
  Edit(c, 9);
  c->Undo();
  EXPECT_EQ(c->modificationCount, 0);
  EXPECT_EQ(BlueAt(c->image.get(), 0, 0), 0);
  QPointer<TMDIChild> gone(c);
  EXPECT_TRUE(c->close());
  EXPECT_TRUE(WaitFor([&] { return gone.isNull(); }));
  EXPECT_EQ(CloseQuestions(), 0);
}

TEST_F(DocumentWindow, DepthZeroKeepsNothing) {
  General.undoDepth = 0;
  TMDIChild *c = Open(20, 10);
  Edit(c, 5);
  Edit(c, 6);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_FALSE(c->undo[0]);
  EXPECT_EQ(c->modificationCount, 2);
  c->Undo();
  EXPECT_EQ(BlueAt(c->image.get(), 0, 0), 6);
  EXPECT_EQ(c->modificationCount, 2);
}

TEST_F(DocumentWindow, DepthBeyondTheSlotsIsCut) {
  General.undoDepth = 25;
  TMDIChild *c = Open(4, 4);
  for (int v = 1; v <= 24; ++v)
    Edit(c, static_cast<uint8_t>(v));
  EXPECT_EQ(c->undoCount, TMDIChild::kUndoSlots);
  EXPECT_EQ(BlueAt(c->undo[19].get(), 0, 0), 4);
  // A smaller depth cuts the stack at the next edit.
  General.undoDepth = 2;
  Edit(c, 30);
  EXPECT_EQ(c->undoCount, 2);
  EXPECT_EQ(BlueAt(c->undo[0].get(), 0, 0), 24);
  EXPECT_FALSE(c->undo[2]);
  c->ClearUndo();
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_FALSE(c->undo[0]);
  EXPECT_FALSE(main->Act("Undo1")->isEnabled());
}

TEST_F(DocumentWindow, UndoRestoresTheSizeOfTheEarlierImage) {
  General.undoDepth = 3;
  TMDIChild *c = Open(300, 200);
  c->RecordUndo();
  c->image = CreateBlankDib(100, 50);
  c->Commit();
  EXPECT_EQ(c->Image->size(), QSize(100, 50));
  c->Undo();
  EXPECT_EQ(c->width, 300);
  EXPECT_EQ(c->Image->size(), QSize(300, 200));
  EXPECT_EQ(c->previewHeight, 66);
}

TEST_F(DocumentWindow, UneditedFileWindowClosesWithoutAQuestion) {
  TMDIChild *c = Open(20, 20);
  QPointer<TMDIChild> gone(c);
  EXPECT_TRUE(c->close());
  EXPECT_TRUE(WaitFor([&] { return gone.isNull(); }));
  EXPECT_EQ(CloseQuestions(), 0);
  EXPECT_TRUE(main->Children().isEmpty());
}

TEST_F(DocumentWindow, NewImageAlwaysAsksAndNoCloses) {
  TMDIChild *c = Open(20, 20, TMDIChild::kNewImageCaption);
  closeAnswer = QMessageBox::No;
  QPointer<TMDIChild> gone(c);
  EXPECT_TRUE(c->close());
  EXPECT_EQ(CloseQuestions(), 1);
  EXPECT_EQ(requests.back().caption, TMDIChild::kNewImageCaption);
  EXPECT_TRUE(WaitFor([&] { return gone.isNull(); }));
}

TEST_F(DocumentWindow, CancelKeepsTheWindowAndFlagsTheMainWindow) {
  TMDIChild *c = Open(20, 20);
  c->modificationCount = 1;
  closeAnswer = QMessageBox::Cancel;
  main->CloseCancelled = false;
  QPointer<TMDIChild> kept(c);
  EXPECT_FALSE(c->close());
  Pump();
  ASSERT_FALSE(kept.isNull());
  EXPECT_TRUE(main->CloseCancelled);
  EXPECT_EQ(CloseQuestions(), 1);
  // The reload command discards without asking.
  c->closeWithoutAsking = true;
  EXPECT_TRUE(c->close());
  EXPECT_TRUE(WaitFor([&] { return kept.isNull(); }));
  EXPECT_EQ(CloseQuestions(), 1);
}

TEST_F(DocumentWindow, YesWithACancelledSaveKeepsTheWindow) {
  TMDIChild *c = Open(20, 20, TMDIChild::kNewImageCaption);
  closeAnswer = QMessageBox::Yes;
  savePath.clear(); // the save-as dialog is cancelled
  main->CloseCancelled = false;
  QPointer<TMDIChild> kept(c);
  EXPECT_FALSE(c->close());
  Pump();
  ASSERT_FALSE(kept.isNull());
  EXPECT_TRUE(main->CloseCancelled);
  bool saveAsked = false;
  for (const auto &r : requests)
    saveAsked |= r.kind == UserDialogs::Kind::SaveFile;
  EXPECT_TRUE(saveAsked);
}

TEST_F(DocumentWindow, YesWithAFailedSaveKeepsTheWindow) {
  TMDIChild *c = Open(20, 20, QStringLiteral("/nonexistent-folder/docwin/picture.bmp"));
  c->modificationCount = 1;
  closeAnswer = QMessageBox::Yes;
  QPointer<TMDIChild> kept(c);
  EXPECT_FALSE(c->close());
  Pump();
  ASSERT_FALSE(kept.isNull());
  EXPECT_EQ(c->modificationCount, 1);
}

TEST_F(DocumentWindow, YesWithASuccessfulSaveCloses) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("saved.bmp"));
  TMDIChild *c = Open(20, 20, file);
  c->modificationCount = 1;
  closeAnswer = QMessageBox::Yes;
  QPointer<TMDIChild> gone(c);
  EXPECT_TRUE(c->close());
  EXPECT_TRUE(WaitFor([&] { return gone.isNull(); }));
  EXPECT_TRUE(QFile::exists(file));
}

// A hand-made palette image: 40-byte header, `colours` table entries, rows.
DibHandle PaletteImage(int bpp, int w, int h, const std::vector<uint32_t> &table,
                       const std::vector<uint8_t> &rowsBottomUp) {
  const int stride = TMDIB::RowStride(w, bpp);
  const size_t bytes = 40 + 4 * table.size() + static_cast<size_t>(stride) * h;
  DibHandle dib(Kit.ImgKitMemAlloc(static_cast<uint32_t>(bytes)));
  auto *hdr = static_cast<IMGKIT_BMIH *>(dib.get());
  hdr->biSize = 40;
  hdr->biWidth = w;
  hdr->biHeight = h;
  hdr->biPlanes = 1;
  hdr->biBitCount = static_cast<uint16_t>(bpp);
  hdr->biClrUsed = static_cast<uint32_t>(table.size());
  auto *p = reinterpret_cast<uint8_t *>(hdr) + 40;
  for (uint32_t c : table) {
    p[0] = c & 0xff, p[1] = (c >> 8) & 0xff, p[2] = (c >> 16) & 0xff, p[3] = 0;
    p += 4;
  }
  std::memcpy(p, rowsBottomUp.data(), std::min(rowsBottomUp.size(), size_t(stride) * h));
  return dib;
}

TEST_F(DocumentWindow, HistogramOfA24BitImage) {
  TMDIChild *c = Open(2, 1);
  SetPixel(c->image.get(), 0, 0, 10, 20, 30);
  SetPixel(c->image.get(), 1, 0, 40, 50, 61);
  c->ComputeHistogram();
  EXPECT_EQ(c->histogramPixels, 2);
  EXPECT_EQ(c->histogram[0][10], 1u);
  EXPECT_EQ(c->histogram[0][40], 1u);
  EXPECT_EQ(c->histogram[1][20], 1u);
  EXPECT_EQ(c->histogram[2][61], 1u);
  EXPECT_EQ(c->histogram[3][20], 1u);
  EXPECT_EQ(c->histogram[3][50], 1u); // (40 + 50 + 61) / 3 truncates
  uint32_t sum = 0;
  for (uint32_t n : c->histogram[3])
    sum += n;
  EXPECT_EQ(sum, 2u);
  // A second count starts from zero.
  c->ComputeHistogram();
  EXPECT_EQ(c->histogram[0][10], 1u);
}

TEST_F(DocumentWindow, HistogramOfPaletteImagesGoesThroughTheTable) {
  TMDIChild *c = Open(4, 4);
  // 8-bit, 3 x 1: indices 1, 1, 7 with a two-entry table; 7 reads as black.
  c->image = PaletteImage(8, 3, 1, {0x000000, 0x0a141e}, {1, 1, 7, 0});
  c->Commit();
  c->ComputeHistogram();
  EXPECT_EQ(c->histogramPixels, 3);
  EXPECT_EQ(c->histogram[0][0x1e], 2u);
  EXPECT_EQ(c->histogram[2][0x0a], 2u);
  EXPECT_EQ(c->histogram[3][(0x0a + 0x14 + 0x1e) / 3], 2u);
  EXPECT_EQ(c->histogram[0][0], 1u);
  // 1-bit, 9 x 2: the padding bits of the rows are not counted.
  c->image =
      PaletteImage(1, 9, 2, {0x000000, 0xffffff}, {0xff, 0x80, 0xff, 0xff, 0x00, 0x00, 0xff, 0xff});
  c->Commit();
  EXPECT_EQ(c->bitCount, 1);
  c->ComputeHistogram();
  EXPECT_EQ(c->histogramPixels, 18);
  EXPECT_EQ(c->histogram[1][255], 9u);
  EXPECT_EQ(c->histogram[1][0], 9u);
}

TEST_F(DocumentWindow, On256ColourDisplaysTheShownPictureIsConverted) {
  TMDIChild *c = Open(16, 16);
  c->displayColours = 256;
  c->RefreshDisplay();
  EXPECT_EQ(c->Image->Picture().format(), QImage::Format_Indexed8);
  EXPECT_EQ(c->bitCount, 24); // the document itself stays as it is
  c->displayColours = 0;
  c->RefreshDisplay();
  EXPECT_NE(c->Image->Picture().format(), QImage::Format_Indexed8);
}

} // namespace

TEST_F(DocumentWindow, ClickInAreaModeAlsoShowsTheImageInformation) {
  TMDIChild *c = Open(320, 240);
  c->ShowArea();
  QString said;
  QObject::connect(c, &TMDIChild::StatusText, [&](const QString &t) { said = t; });
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), c->Image->mapToGlobal(QPointF(3, 3)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(c->Image, &press);
  EXPECT_EQ(said, TMainForm::ImageInfoText(320, 240, 24));
  // The drag of the frame starts as before.
  EXPECT_TRUE(c->dragging);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3),
                      c->Image->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(c->Image, &release);
}
