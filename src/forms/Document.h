// What a command sees of a document window: its picture with the facts
// read from it, the reduced preview copy the dialogs work on, the edit
// history and the one step that shows a changed picture.
#pragma once

#include "image/DibHandle.h"

#include <QPoint>

#include <array>
#include <cstdint>

class Document {
public:
  // Blue, green, red and average counts of the picture.
  using HistogramTable = std::array<std::array<uint32_t, 256>, 4>;

  virtual ~Document() = default;

  // The picture itself; a command changes it in place or adopts a new one,
  // then calls Commit().
  virtual DibHandle &Picture() = 0;
  const DibHandle &Picture() const { return const_cast<Document *>(this)->Picture(); }
  // Size, depth and grey flag as last read from the picture.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int BitCount() const = 0;
  virtual bool Grey() const = 0;

  // The reduced (or area) copy of at most 100 x 100 pixels.
  virtual IMGHANDLE PreviewImage() const = 0;
  virtual int PreviewWidth() const = 0;
  virtual int PreviewHeight() const = 0;

  virtual void ComputeHistogram() = 0;
  virtual const HistogramTable &Histogram() const = 0;

  // Keeps a copy of the picture as it is now in the edit history.
  virtual void RecordUndo() = 0;
  // After the picture changed: its facts read again, the window laid out
  // when the size changed, the display and the preview refreshed.
  virtual void Commit() = 0;
  // After a change of size: the preview area back to the top left corner.
  virtual void ResetArea() = 0;
};
