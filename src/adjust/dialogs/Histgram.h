// The histogram display dialog "ヒストグラム", and the histogram drawing it
// shares with the histogram-correction dialog.
#pragma once

#include "adjust/Histfunc.h"

#include "forms/DocumentDialog.h"
#include <QImage>

class QButtonGroup;
class QHBoxLayout;
class QRadioButton;
class Document;
class Host;

// The document's four histograms as last computed by the document window
// (Document::ComputeHistogram), with N = width x height.
Histograms DocumentHistograms(const Document *child);

// The pen of a channel's histogram: grey for the average, pure red, dark
// green, pure blue.
QColor HistogramPen(int channel);

// Clears `image` to white and draws bin i as a vertical line at x = i +
// xOffset from the bottom (H - 2) up by count x (H - 4) div M, M the largest
// count. An all-zero histogram draws nothing.
void DrawHistogram(QImage &image, const int32_t histogram[256], int channel, int xOffset);

// The channel choice both histogram dialogs show: "R", "G", "B" and "平均"
// in a row (the average checked), grouped with the channel as id.
struct ChannelRadios {
  QRadioButton *red, *green, *blue, *average;
  QButtonGroup *group;
};
QHBoxLayout *MakeChannelRow(QWidget *owner, ChannelRadios &radios);

// "ﾋｽﾄｸﾞﾗﾑ(&H)": the display of the active document's histograms.
void HistgramCommand(Host *main, Document *child);

class THistgramForm : public DocumentDialog {
  Q_OBJECT
public:
  explicit THistgramForm(Host *main);

  // Takes the document's histograms (compute them first) and draws the
  // average one.
  void Prepare(Document *child);
  // Draws the histogram of a channel (0 average, 1 red, 2 green, 3 blue).
  void ShowChannel(int channel);

  int Channel() const { return channel_; }
  const QImage &HistogramImage() const { return image_; }

  QRadioButton *rbRed = nullptr;
  QRadioButton *rbGreen = nullptr;
  QRadioButton *rbBlue = nullptr;
  QRadioButton *rbAverage = nullptr;

protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  Histograms histograms_;
  QImage image_;
  int channel_ = lcAverage;
};
