// The print command's settings dialog "画像印刷設定": the style as four
// tabs, their caption edits (mirrored where two tabs show the same one),
// the size of the picture on the page, and a miniature of the page. OK asks
// for a printer and prints; every close writes the settings back.
#pragma once

#include "image/ColourProfile.h"
#include "image/DibHandle.h"
#include "print/PrintPage.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPrinter;
class QSlider;
class QTabWidget;

// Prints `picture` on one page of `printer` in a job titled "VELMIR".
// False when the printer cannot be opened.
bool PrintPicture(QPrinter &printer, const QImage &picture, const PrintSettings &settings,
                  const PrintTexts &texts, PrintedPage *placed = nullptr);

class TPrintForm : public QDialog {
  Q_OBJECT
public:
  explicit TPrintForm(QWidget *parent);

  // Reads the settings, shows the style's tab and the size, today's date,
  // the photographer last used and `caption` as the file name, and lays out
  // the miniature for `picture` (which must outlive the dialog). The page
  // gets the picture's colours through `profile`, converted to sRGB.
  void Prepare(IMGHANDLE picture, const QString &caption, const DisplayProfile &profile = {});

  // What OK asks for a printer with: by default the print dialog. Tests
  // put a PDF printer in its place. True to print.
  using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;
  static void SetPrinterChooser(PrinterChooser chooser);

  PrintSettings Settings() const;
  PrintTexts Texts() const;
  // The miniature's picture rectangle and labels (for tests).
  QFrame *Gazou = nullptr;
  QLabel *TitleLabel = nullptr;
  QLabel *CaptionLabels[4] = {};

public slots:
  void bOKClick();
  void PageControlChange();
  void TrackBarChange();
  void SizeModeClick();
  void DateDownClick(); // one day back
  void DateUpClick();   // one day on
  void done(int result) override;

private:
  QLineEdit *AddEdit(QWidget *page, class QGridLayout *grid, int row, const QString &label,
                     const QString &name);
  void Mirror(QLineEdit *a, QLineEdit *b);
  void StepDate(int days);
  void LayoutMiniature();

  IMGHANDLE picture_ = nullptr;
  DisplayProfile profile_;
  int width_ = 1;
  int height_ = 1;
  QTabWidget *PageControl = nullptr;
  QLineEdit *title_[2] = {}; // tabs 1 and 2
  QLineEdit *date_[2] = {};  // tabs 2 and 3
  QLineEdit *photographer_[2] = {};
  QLineEdit *fileName_[2] = {};
  QLineEdit *remarks_[2] = {};
  QButtonGroup *sizeMode_ = nullptr;
  QSlider *TrackBar1 = nullptr;
  QLabel *factorText_ = nullptr;
  QComboBox *resolution_ = nullptr;
  QFrame *page_ = nullptr;
};
