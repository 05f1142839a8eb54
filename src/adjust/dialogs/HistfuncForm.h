// The histogram-correction dialog "ヒストグラム補正": a levels correction of
// all channels or of one, set by dragging the ends of a band under the
// histogram, with an optional mid-tone gamma set by dragging the centre
// marker.
#pragma once

#include "adjust/Histfunc.h"
#include "forms/PreviewDialog.h"

#include <QImage>

class QRadioButton;
class HistBandView;

// "ﾋｽﾄｸﾞﾗﾑ調整(&H)": the dialog on the active document, histograms
// computed afresh.
void HistFuncCommand(Host *main, Document *child);

class THistFuncForm : public PreviewDialog {
  Q_OBJECT
public:
  // Band and marker geometry, in the strip's coordinates.
  static constexpr int kBandLeft = kLevelsBandLeft;
  static constexpr int kBandWidth = kLevelsBandWidth;
  static constexpr int kLabelLeft = 158;
  static constexpr int kLineOffset = 20; // line left - label left
  static constexpr int kLabelWidth = 35;
  static constexpr int kMinBandWidth = 10;
  static constexpr int kMinBandLeft = 6;
  static constexpr int kMaxBandRight = 362;
  static constexpr int kEdgeGrab = 8; // the pointer grabs an edge strictly within this

  explicit THistFuncForm(Host *main);
  ~THistFuncForm() override;

  // Takes the document's histograms as last computed (the caller computes
  // them) and starts on the average channel with the full band.
  void Prepare(Document *child) override;

  // The channel radio buttons: 0 average, 1 red, 2 green, 3 blue. Red,
  // green and blue also recompute the preview.
  void SetChannel(int channel);
  // Finds the range between the levels below which and above which
  // `threshold` per-mille of the pixels lie, puts the band there and reads
  // the range back from it.
  void AutoRange(int threshold);
  // "自動調整": AutoRange with the "AutoScaleParam" setting.
  void bAutoClick();

  // The band strip's mouse, x in strip coordinates.
  void StripMouseDown(int x);
  void StripMouseMove(int x);
  void StripMouseUp();
  // The centre marker's mouse, x in screen coordinates.
  void CenterMouseDown(int screenX);
  void CenterMouseMove(int screenX);
  void CenterMouseUp();

  int Channel() const { return channel_; }
  int BandLeft() const { return bandLeft_; }
  int BandWidth() const { return bandWidth_; }
  int Low() const { return low_; }
  int High() const { return high_; }
  int LabelLeft() const { return labelLeft_; }
  int LineLeft() const { return labelLeft_ + kLineOffset; }
  int CentrePercent() const { return centrePercent_; }
  bool GammaActive() const { return gammaActive_; }
  int DragMode() const { return dragMode_; }
  // The gamma position the centre marker stands for; 0 (no gamma) when the
  // band gives no sensible fraction.
  int GammaPosition() const;
  const QImage &HistogramImage() const { return histImage_; }

  QRadioButton *rbRed = nullptr;
  QRadioButton *rbGreen = nullptr;
  QRadioButton *rbBlue = nullptr;
  QRadioButton *rbAverage = nullptr;

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  int ProgressMaximum() const override;

private:
  void ReadRangeFromBand();
  void PlaceCentreMarker();
  void DrawHistogramImage();

  HistBandView *view_ = nullptr;
  QImage histImage_;
  Histograms histograms_;
  int channel_ = lcAverage;
  int bandLeft_ = kBandLeft;
  int bandWidth_ = kBandWidth;
  int low_ = 0;
  int high_ = 255;
  int labelLeft_ = kLabelLeft;
  int centrePercent_ = 50;
  bool gammaActive_ = false;
  int dragMode_ = 0;
  int dragScreenX_ = 0;
};
