// The variation pattern: the source preview, the current result and four
// candidates around it, each in a 102 x 102 frame; a click on a candidate
// moves the current setting by a step taken from the "補正幅" track bar.
// The tone and the colour variations supply the setting, its moves, the
// rendering of a candidate and the OK on the document.
#pragma once

#include "image/DibHandle.h"

#include "forms/DocumentDialog.h"
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>

class QSlider;
class TMDIB;
class Document;
class Host;

class VariationDialog : public DocumentDialog {
  Q_OBJECT
public:
  static constexpr int kCandidates = 4;
  // Frames: 0 the source, 1 the result, 2 ... 5 the candidates.
  static constexpr int kFrames = 2 + kCandidates;

  VariationDialog(Host *main, const QString &caption, int stepMaximum, int stepDefault,
                  const std::array<QString, kCandidates> &candidateLabels);
  ~VariationDialog() override;

  // Stores the document window, copies its preview, sets the step to its
  // default and shows the result and the candidates.
  void Prepare(Document *child);

  void bOKClick();
  void bCancelClick();
  // The setting back to its start, previews recomputed.
  void bResetClick();
  // A click on candidate `index` (0 ... 3, left to right).
  void CandidateClick(int index);

  QSlider *TrackBar = nullptr; // "補正幅"
  int Step() const;

  // The previews as drawn, by frame (converted for a 256-colour display).
  IMGHANDLE Shown(int frame) const { return shown_[frame].get(); }
  QRect Frame(int frame) const;
  QPoint PreviewOrigin(int frame) const;

  // Renders the result and the candidates from the source preview.
  void Recompute();

protected:
  // Applies the setting (candidate -1) or candidate `candidate` to a copy
  // of the source preview.
  virtual void Render(TMDIB &dib, int candidate) = 0;
  // Moves the setting as a click on `candidate` does.
  virtual void MoveBy(int candidate) = 0;
  virtual void ResetValue() = 0;
  // OK on the document image, edit-history entry included.
  virtual void Apply() = 0;

  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  DibHandle ForDisplay(DibHandle image) const;

  DibHandle source_;
  std::array<DibHandle, kFrames> shown_;
  int stepDefault_;
  bool prepared_ = false;
};
