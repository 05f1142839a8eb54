#include "adjust/dialogs/AutoCorrect.h"

#include "adjust/dialogs/Fgamma.h"
#include "adjust/dialogs/Formrgb.h"
#include "adjust/dialogs/HistfuncForm.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QSlider>

namespace {

int Number(const char *name, const char *defaultText) {
  return SettingNumber(ReadSetting(QString::fromLatin1(name), QString::fromLatin1(defaultText)));
}

// The gamma and colour steps after the levels: automatic, so they add no
// edit-history entry of their own.
void GammaAndColour(Host *main, Document *child, const AutoCorrectSettings &s) {
  if (s.gammaOn) {
    TGammaForm gamma(main);
    gamma.automatic = true;
    gamma.Prepare(child);
    gamma.TrackBar->setValue(s.gamma);
    gamma.bOKClick();
  }
  QCoreApplication::processEvents();
  if (s.colourOn) {
    TRGB_Form rgb(main);
    rgb.automatic = true;
    rgb.Prepare(child);
    rgb.SetBalance(s.red, s.green, s.blue);
    rgb.bOKClick();
  }
}

// The levels step of both corrections, under the wait window the caller
// opened (so the dialog neither sets it up nor closes it).
template <typename Levels>
void RunCorrection(Host *main, Document *child, int progressRows, Levels levels) {
  if (!child || !child->Picture()) return;
  TfWaitMess *wait = main ? main->WaitWindow() : nullptr;
  if (wait) wait->Begin(progressRows * child->Height());
  const AutoCorrectSettings settings = ReadAutoCorrectSettings();
  child->ComputeHistogram();
  {
    THistFuncForm dialog(main);
    levels(dialog, settings);
  }
  if (wait) wait->End();
  QCoreApplication::processEvents();
  GammaAndColour(main, child, settings);
}

} // namespace

AutoCorrectSettings ReadAutoCorrectSettings() {
  AutoCorrectSettings s;
  s.autoScaleParam = Number("AutoScaleParam", "5");
  s.contrastA = Number("IppatsuAContrast", "3");
  s.contrastB = Number("IppatsuBContrast", "4");
  s.gammaOn = Number("GammaInIppatsu", "0") != 0;
  s.gamma = Number("GammaInIppatsuParam", "100");
  s.colourOn = Number("ColorInIppatsu", "0") != 0;
  s.red = Number("ColorInIppatsuR", "0");
  s.green = Number("ColorInIppatsuG", "0");
  s.blue = Number("ColorInIppatsuB", "0");
  return s;
}

void RunAutoCorrectionA(Host *main, Document *child) {
  RunCorrection(main, child, 1, [child](THistFuncForm &dialog, const AutoCorrectSettings &s) {
    dialog.Prepare(child);
    dialog.SetChannel(lcAverage);
    dialog.AutoRange(s.contrastA, false);
    dialog.bOKClick();
  });
}

void RunAutoCorrectionB(Host *main, Document *child) {
  RunCorrection(main, child, 3, [child](THistFuncForm &dialog, const AutoCorrectSettings &s) {
    // One dialog for the three channels; the first pass leaves the
    // edit-history entry, the others are chained to it. Each pass walks
    // the histograms taken before the first.
    for (int channel : {lcRed, lcGreen, lcBlue}) {
      dialog.Prepare(child);
      dialog.automatic = channel != lcRed;
      dialog.SetChannel(channel);
      dialog.AutoRange(s.contrastB, true);
      dialog.bOKClick();
    }
  });
}
