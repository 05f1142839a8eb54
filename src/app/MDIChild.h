// The document window: one per open image. It owns the image, a 100-pixel
// preview copy that the adjustment dialogs work on, and the edit history;
// it shows the image at one of seven zoom steps and asks before an edited
// image is closed.
#pragma once

#include "forms/Document.h"
#include "image/ColourProfile.h"
#include "image/DibHandle.h"
#include "image/Metadata.h"

#include <QMdiSubWindow>

#include <array>
#include <cstdint>

class QScrollArea;
class ImageControl;
class PreviewFrame;
class TMainForm;

class TMDIChild : public QMdiSubWindow, public Document {
  Q_OBJECT
public:
  // Zoom steps: 200, 150, 100, 75, 50, 33, 25 %.
  static constexpr int kZoomSteps = 7;
  static int ZoomScale(int index, int v);   // image pixels to screen pixels
  static int ZoomUnscale(int index, int v); // screen pixels to image pixels
  static constexpr int kUndoSlots = 20;
  static inline const QString kNewImageCaption = QStringLiteral("新規画像");

  TMDIChild(TMainForm *main, const QString &caption);
  ~TMDIChild() override;

  // ---- fields --------------------------------------------------------------
  QScrollArea *ScrollBox1 = nullptr;
  ImageControl *Image = nullptr;
  PreviewFrame *sPreview = nullptr;

  DibHandle image;
  // EXIF, IPTC, XMP and ICC profile of the file the picture came from,
  // written into the files it is saved as.
  PhotoMetadata metadata;
  // How the picture's colours reach the screen (its ICC profile to sRGB);
  // the picture itself keeps its values.
  DisplayProfile displayProfile;
  DibHandle previewImage;
  int previewWidth = 0;
  int previewHeight = 0;
  std::array<DibHandle, kUndoSlots> undo;
  int undoCount = 0;
  IMGKIT_FILEINFO fileInfo{};
  int width = 0;
  int height = 0;
  int bitCount = 0;
  int32_t kitValue1 = 0; // further values of ImgKitImageInfo, not interpreted
  int32_t kitValue2 = 0;
  int displayColours = 0;
  bool gray = false;
  int zoomIndex = 2;
  QPoint dragStart;      // screen position where an area drag began
  QPoint dragFrameStart; // frame position then
  int areaLeft = 0;
  int areaTop = 0;
  bool dragging = false;
  int modificationCount = 0;
  bool closeWithoutAsking = false;
  bool directPaint = false;
  bool fromPlugin = false;
  // Blue, green, red and average counts, and the pixels counted.
  HistogramTable histogram{};
  int64_t histogramPixels = 0;

  // ---- operations ----------------------------------------------------------
  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString &caption) { setWindowTitle(caption); }
  bool IsNewImage() const { return Caption() == kNewImageCaption; }
  bool Modified() const { return modificationCount > 0 || IsNewImage(); }
  bool AreaMode() const; // the preview-area frame is shown

  void ReadImageInfo();
  void LayoutForZoom();
  void RefreshDisplay();
  void RebuildPreview(); // releases the old preview itself
  void ComputeHistogram() override;
  // Sets the zoom step (checking nothing), lays out.
  void SetZoom(int index);
  // Preview modes: area (frame shown) or thumbnail.
  void ShowArea();
  void ShowThumbnail();
  // After a change of size: the preview area back to the top left corner.
  void ResetArea() override;

  // ---- Document ------------------------------------------------------------
  DibHandle &Picture() override { return image; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  int BitCount() const override { return bitCount; }
  bool Grey() const override { return gray; }
  IMGHANDLE PreviewImage() const override { return previewImage.get(); }
  int PreviewWidth() const override { return previewWidth; }
  int PreviewHeight() const override { return previewHeight; }
  const HistogramTable &Histogram() const override { return histogram; }
  void Commit() override;

  // Edit history.
  void RecordUndo() override;
  void Undo();
  void ClearUndo();

  // A new document's first picture, shown at 100 %.
  void ShowNewPicture(DibHandle picture);

signals:
  void StatusText(const QString &text);

protected:
  void closeEvent(QCloseEvent *event) override; // the close query
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void PlaceFrame();        // the area frame at the area origin, scaled
  void TakeAreaFromFrame(); // the area origin from the frame's position
  void SetUndoEnabled(bool on);
  static int UndoDepth(); // the depth setting, within the slots
  bool HandleKey(QKeyEvent *event);
  void ImageClicked();

  TMainForm *main_;
  QSize laidOut_; // the picture size the window was last laid out for
};
