#include "app/MDIChild.h"

#include "app/MainForm.h"
#include "app/PreviewFrame.h"
#include "image/Dib.h"
#include "platform/ImageControl.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kAreaSide = 100; // preview area in image pixels
constexpr int kScrollStep = 10;

} // namespace

// ---- zoom steps ---------------------------------------------------------

int TMDIChild::ZoomScale(int index, int v) {
  switch (index) {
  case 0: return v * 2;
  case 1: return v * 3 / 2;
  case 3: return v * 3 / 4;
  case 4: return v / 2;
  case 5: return v / 3;
  case 6: return v / 4;
  default: return v;
  }
}

int TMDIChild::ZoomUnscale(int index, int v) {
  switch (index) {
  case 0: return v / 2;
  case 1: return v * 2 / 3;
  case 3: return v * 4 / 3;
  case 4: return v * 2;
  case 5: return v * 3;
  case 6: return v * 4;
  default: return v;
  }
}

// ---- creation -------------------------------------------------------------

TMDIChild::TMDIChild(TMainForm *main, const QString &caption) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(caption);

  ScrollBox1 = new QScrollArea;
  ScrollBox1->setFrameShape(QFrame::NoFrame);
  ScrollBox1->setWidgetResizable(false);
  ScrollBox1->horizontalScrollBar()->setTracking(true);
  ScrollBox1->verticalScrollBar()->setTracking(true);

  Image = new ImageControl;
  Image->SetStretch(true);
  Image->resize(1, 1);
  ScrollBox1->setWidget(Image);

  sPreview = new PreviewFrame(Image);
  sPreview->setGeometry(0, 0, kAreaSide, kAreaSide);
  sPreview->hide();

  setWidget(ScrollBox1);

  // The window sees keys, wheel turns and clicks before its controls do.
  Image->installEventFilter(this);
  ScrollBox1->installEventFilter(this);
  ScrollBox1->viewport()->installEventFilter(this);

  // On a 256-colour display the palette is realised again on activation.
  connect(this, &QMdiSubWindow::aboutToActivate, this, [this] {
    if (displayColours == 256) Image->update();
  });
}

// The image, the preview and the undo copies go with their owners.
TMDIChild::~TMDIChild() = default;

bool TMDIChild::AreaMode() const { return sPreview && !sPreview->isHidden(); }

// ---- image information, layout, display -----------------------------------

void TMDIChild::ReadImageInfo() {
  IMGKIT_IMAGEINFO info{};
  if (!image || !Kit.ImgKitImageInfo(image.get(), &info)) return;
  width = info.width;
  height = info.height;
  kitValue1 = info.bitCount;
  kitValue2 = info.colourCount;
  switch (info.kind) {
  case IMGKIT_KIND_MONO: bitCount = 1, gray = true; break;
  case IMGKIT_KIND_GREY4: bitCount = 4, gray = true; break;
  case IMGKIT_KIND_COLOUR4: bitCount = 4, gray = false; break;
  case IMGKIT_KIND_COLOUR8: bitCount = 8, gray = false; break;
  case IMGKIT_KIND_GREY8: bitCount = 8, gray = true; break;
  case IMGKIT_KIND_RGB24: bitCount = 24, gray = false; break;
  case IMGKIT_KIND_RGB16: bitCount = 16, gray = false; break;
  case IMGKIT_KIND_RGB32: bitCount = 32, gray = false; break;
  default: break;
  }
  fileInfo.width = width;
  fileInfo.height = height;
  fileInfo.bitCount = static_cast<int16_t>(bitCount);
}

void TMDIChild::PlaceFrame() {
  const int side = ZoomScale(zoomIndex, kAreaSide);
  sPreview->setGeometry(ZoomScale(zoomIndex, areaLeft), ZoomScale(zoomIndex, areaTop), side, side);
}

void TMDIChild::LayoutForZoom() {
  laidOut_ = QSize(width, height);
  const QSize scaled(std::max(ZoomScale(zoomIndex, width), 1),
                     std::max(ZoomScale(zoomIndex, height), 1));
  Image->resize(scaled);
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
    // The frame and title bar around the client area stay as they are.
    QSize outer = scaled + (size() - ScrollBox1->size());
    if (!ScrollBox1->isVisible() || size().isEmpty()) {
      const QMargins m = contentsMargins();
      outer = scaled + QSize(m.left() + m.right(), m.top() + m.bottom());
    }
    // A window larger than the frame could never show its far edges and
    // scroll bars; the scroll box takes over beyond the frame's size.
    if (QMdiArea *area = mdiArea(); area && area->isVisible())
      outer = outer.boundedTo(area->viewport()->size());
    resize(outer);
  }
  PlaceFrame();
}

void TMDIChild::RefreshDisplay() {
  DibHandle converted;
  IMGHANDLE display = image.get();
  if (displayColours == 256 && image) {
    converted.reset(Kit.ImgKitCopy(image.get(), "", ""));
    if (converted && bitCount >= 16) {
      const int fixedPalette = General.disp8BitSupportsPalette == 0 ? 1 : 0;
      converted.Adopt(Kit.ImgKitConvertColor(converted.get(), 8, fixedPalette, 1, "", ""));
    }
    if (converted) display = converted.get();
  }
  bool shown = false;
  if (display == image.get() && display) {
    // Painted straight from the document's picture through its profile: no
    // second full-size copy of a large photo.
    shown = Image->ShowSource([this] { return image.get(); }, displayProfile);
  }
  if (display && !shown) {
    TMDIB dib(display);
    Image->ShowDib(dib);
    shown = !Image->Picture().isNull();
  }
  if (!shown) {
    // The kit draws what the control could not take.
    Image->SetPicture(QImage());
    directPaint = static_cast<bool>(image);
    Image->update();
  } else {
    directPaint = false;
    Image->setVisible(true);
  }
  LayoutForZoom();
}

void TMDIChild::RebuildPreview() {
  previewImage.reset();
  previewWidth = previewHeight = 0;
  if (!image) return;
  const bool area = AreaMode();
  if (area) {
    // Keep the cut inside the picture, also for pictures under 100 pixels.
    const int left = std::max(0, std::min(areaLeft, width - kAreaSide));
    const int top = std::max(0, std::min(areaTop, height - kAreaSide));
    if (left != areaLeft || top != areaTop) {
      areaLeft = left;
      areaTop = top;
      if (!dragging) PlaceFrame();
    }
  }
  PreviewCopy copy = MakePreviewCopy(image.get(), area, areaLeft, areaTop);
  previewImage = std::move(copy.image);
  previewWidth = copy.width;
  previewHeight = copy.height;
}

void TMDIChild::ComputeHistogram() {
  for (auto &a : histogram)
    a.fill(0);
  histogramPixels = 0;
  if (!image) return;
  TMDIB dib(image.get());
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0) return;
  auto &blue = histogram[0], &green = histogram[1], &red = histogram[2], &avg = histogram[3];
  auto count = [&](int b, int g, int r) {
    ++blue[b];
    ++green[g];
    ++red[r];
    ++avg[(b + g + r) / 3];
  };
  const int bpp = dib.BitsPerPixel();
  if (bpp == 1 || bpp == 4 || bpp == 8) {
    // Count the indices, then give each index its colour.
    std::array<uint64_t, 256> indices{};
    for (int y = dib.height - 1; y >= 0; --y) {
      const uint8_t *s = dib.Row(y);
      for (int x = 0; x < dib.width; ++x) {
        int i;
        if (bpp == 8)
          i = s[x];
        else if (bpp == 4)
          i = (x & 1) ? (s[x >> 1] & 0x0f) : (s[x >> 1] >> 4);
        else
          i = (s[x >> 3] >> (7 - (x & 7))) & 1;
        ++indices[static_cast<size_t>(i)];
      }
    }
    const uint32_t colours = TMDIB::ColourCount(dib.header);
    for (uint32_t i = 0; i < 256; ++i) {
      if (!indices[i]) continue;
      int b = 0, g = 0, r = 0; // an index beyond the table reads as black
      if (i < colours) {
        const uint8_t *e = dib.colourTable + 4 * i;
        b = e[0], g = e[1], r = e[2];
      }
      const auto n = static_cast<uint32_t>(indices[i]);
      blue[b] += n;
      green[g] += n;
      red[r] += n;
      avg[(b + g + r) / 3] += n;
    }
  } else {
    for (int y = dib.height - 1; y >= 0; --y) {
      const uint8_t *s = dib.Row(y);
      for (int x = 0; x < dib.width; ++x) {
        if (bpp == 16) {
          const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
          count(static_cast<int>((v & 31) * 255 + 15) / 31,
                static_cast<int>(((v >> 5) & 31) * 255 + 15) / 31,
                static_cast<int>(((v >> 10) & 31) * 255 + 15) / 31);
        } else if (bpp == 32) {
          count(s[4 * x], s[4 * x + 1], s[4 * x + 2]);
        } else {
          count(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
        }
      }
    }
  }
  histogramPixels = static_cast<int64_t>(dib.width) * dib.height;
}

void TMDIChild::SetZoom(int index) {
  zoomIndex = std::clamp(index, 0, kZoomSteps - 1);
  LayoutForZoom();
}

void TMDIChild::TakeAreaFromFrame() {
  areaLeft = ZoomUnscale(zoomIndex, sPreview->x());
  areaTop = ZoomUnscale(zoomIndex, sPreview->y());
}

void TMDIChild::ShowArea() {
  sPreview->show();
  sPreview->raise();
  TakeAreaFromFrame();
  RebuildPreview();
}

void TMDIChild::ShowThumbnail() {
  sPreview->hide();
  RebuildPreview();
}

void TMDIChild::ResetArea() {
  areaLeft = areaTop = 0;
  PlaceFrame();
}

void TMDIChild::ShowNewPicture(DibHandle picture) {
  image = std::move(picture);
  ReadImageInfo();
  zoomIndex = 2;
  LayoutForZoom();
  RefreshDisplay();
  RebuildPreview();
}

void TMDIChild::Commit() {
  ReadImageInfo();
  // A window the user sized stays as it is while the picture keeps its size.
  if (laidOut_ != QSize(width, height)) LayoutForZoom();
  RefreshDisplay();
  RebuildPreview();
}

// ---- edit history -----------------------------------------------------------

void TMDIChild::SetUndoEnabled(bool on) {
  if (!main_) return;
  if (QAction *a = main_->Act(QStringLiteral("Undo1"))) a->setEnabled(on);
  if (QAction *a = main_->Act(QStringLiteral("sUndo"))) a->setEnabled(on);
  if (QToolButton *b = main_->Button(QStringLiteral("sUndo"))) b->setEnabled(on);
}

int TMDIChild::UndoDepth() {
  // The slots are fixed; a deeper setting must not run past them.
  return std::clamp(General.undoDepth, 0, kUndoSlots);
}

void TMDIChild::RecordUndo() {
  const int depth = UndoDepth();
  if (depth > 0 && image) {
    DibHandle copy(Kit.ImgKitCopy(image.get(), "", ""));
    // Without memory for the copy the history stays as it was rather than
    // holding an empty entry.
    if (copy) {
      if (undoCount >= depth) {
        for (int k = depth - 1; k < undoCount; ++k)
          undo[static_cast<size_t>(k)].reset();
        undoCount = depth;
      }
      for (int k = depth - 2; k >= 0; --k)
        undo[static_cast<size_t>(k + 1)] = std::move(undo[static_cast<size_t>(k)]);
      undo[0] = std::move(copy);
      undoCount = std::min(undoCount + 1, depth);
    }
  }
  SetUndoEnabled(true);
  ++modificationCount;
  if (main_) main_->UpdateMenuItems();
}

void TMDIChild::Undo() {
  if (undoCount <= 0) return;
  image = std::move(undo[0]);
  for (int k = 1; k < undoCount; ++k)
    undo[static_cast<size_t>(k - 1)] = std::move(undo[static_cast<size_t>(k)]);
  --undoCount;
  ReadImageInfo();
  LayoutForZoom();
  RefreshDisplay();
  RebuildPreview();
  if (undoCount == 0) SetUndoEnabled(false);
  --modificationCount;
  if (main_) main_->UpdateMenuItems();
}

void TMDIChild::ClearUndo() {
  for (auto &slot : undo)
    slot.reset();
  undoCount = 0;
  SetUndoEnabled(false);
  if (main_) main_->UpdateMenuItems();
}

// ---- input ------------------------------------------------------------------

bool TMDIChild::HandleKey(QKeyEvent *event) {
  QScrollBar *h = ScrollBox1->horizontalScrollBar();
  QScrollBar *v = ScrollBox1->verticalScrollBar();
  auto step = [](QScrollBar *bar, int delta) {
    bar->setValue(std::clamp(bar->value() + delta, 0, bar->maximum()));
  };
  QMdiArea *area = mdiArea();
  switch (event->key()) {
  case Qt::Key_N:
    if (area) area->activateNextSubWindow();
    return true;
  case Qt::Key_B:
  case Qt::Key_Space:
    if (area) area->activatePreviousSubWindow();
    return true;
  case Qt::Key_Insert:
  case Qt::Key_H:
    if (main_) main_->sbZoomInClick();
    return true;
  case Qt::Key_Delete:
  case Qt::Key_G:
    if (main_) main_->sbZoomOutClick();
    return true;
  case Qt::Key_Left: step(h, -kScrollStep); return true;
  case Qt::Key_Right: step(h, kScrollStep); return true;
  case Qt::Key_Up: step(v, -kScrollStep); return true;
  case Qt::Key_Down: step(v, kScrollStep); return true;
  case Qt::Key_J: v->setValue(0); return true;
  case Qt::Key_M: v->setValue(v->maximum()); return true;
  case Qt::Key_A:
    if (main_) main_->DispStrechClick();
    return true;
  default: return false;
  }
}

void TMDIChild::keyPressEvent(QKeyEvent *event) {
  if (HandleKey(event)) {
    event->accept();
    return;
  }
  QMdiSubWindow::keyPressEvent(event);
}

void TMDIChild::ImageClicked() {
  const QString text = TMainForm::ImageInfoText(width, height, bitCount);
  emit StatusText(text);
  if (main_) {
    main_->SetStatusText(text);
    main_->DocumentClicked();
  }
}

bool TMDIChild::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress &&
      (watched == ScrollBox1 || watched == ScrollBox1->viewport() || watched == Image)) {
    auto *key = static_cast<QKeyEvent *>(event);
    if (HandleKey(key)) return true;
    return QMdiSubWindow::eventFilter(watched, event);
  }
  if (type == QEvent::Wheel && (watched == ScrollBox1->viewport() || watched == Image)) {
    // A turn downwards moves up, as the program always did.
    auto *wheel = static_cast<QWheelEvent *>(event);
    QScrollBar *v = ScrollBox1->verticalScrollBar();
    const int dy = wheel->angleDelta().y();
    if (dy < 0)
      v->setValue(std::max(v->value() - kScrollStep, 0));
    else if (dy > 0)
      v->setValue(std::min(v->value() + kScrollStep, v->maximum()));
    return true;
  }
  // A click on the background around the picture hides the browser as one
  // on the picture does.
  if (type == QEvent::MouseButtonPress && watched == ScrollBox1->viewport() && main_)
    main_->DocumentClicked();
  if (watched != Image) return QMdiSubWindow::eventFilter(watched, event);

  switch (type) {
  case QEvent::Paint:
    if (directPaint && image) {
      QPainter p(Image);
      Kit.ImgKitDisplay(&p, image.get(), 0);
      return true;
    }
    break;
  case QEvent::MouseButtonPress: {
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton) break;
    // The information line follows a click in both preview modes.
    ImageClicked();
    if (!AreaMode()) break;
    dragStart = mouse->globalPosition().toPoint();
    dragFrameStart = sPreview->pos();
    dragging = true;
    return true;
  }
  case QEvent::MouseMove: {
    if (!dragging) break;
    auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint moved = dragFrameStart + (mouse->globalPosition().toPoint() - dragStart);
    // The frame stops at the edges of the picture (at its left and top when
    // the picture is smaller than the frame).
    const int left = std::max(0, std::min(moved.x(), Image->width() - sPreview->width()));
    const int top = std::max(0, std::min(moved.y(), Image->height() - sPreview->height()));
    sPreview->move(left, top);
    return true;
  }
  case QEvent::MouseButtonRelease: {
    if (!dragging) break;
    dragging = false;
    TakeAreaFromFrame();
    RebuildPreview();
    return true;
  }
  default: break;
  }
  return QMdiSubWindow::eventFilter(watched, event);
}

// ---- close query --------------------------------------------------------------

void TMDIChild::closeEvent(QCloseEvent *event) {
  if (QMdiArea *area = mdiArea(); area && area->activeSubWindow() != this)
    area->setActiveSubWindow(this);
  setFocus();

  if (Modified() && !closeWithoutAsking) {
    const QMessageBox::StandardButton answer = UserDialogs::Message(
        this, Caption(), QStringLiteral("画像は変更されています。保存しますか？"),
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    bool close = answer == QMessageBox::No;
    if (answer == QMessageBox::Yes && main_) {
      main_->FileSaveItemClick();
      // Close only what was saved: a cancelled or failed save keeps the
      // window and the user's work.
      close = !Modified();
    }
    if (!close) {
      event->ignore();
      if (main_) {
        main_->UpdateMenuItems();
        main_->CloseCancelled = true;
      }
      return;
    }
  }

  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  if (main_) {
    // The menus follow once this window is gone.
    QPointer<TMainForm> main(main_);
    QTimer::singleShot(0, main_, [main] {
      if (main) main->UpdateMenuItems();
    });
  }
}
