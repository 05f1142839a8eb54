#include "adjust/dialogs/AutoCorrect.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"
#include "platform/Settings.h"

#include <utility>

namespace {

int Number(const char *name, const char *defaultText) {
  return SettingNumber(ReadSetting(QString::fromLatin1(name), QString::fromLatin1(defaultText)));
}

using Correction = void (*)(TMDIB &, const AutoCorrectSettings &, Progress *);

// Both corrections on a copy of the picture under one wait window, the
// copy then taking the picture's place: the levels, gamma and colour steps
// leave one edit-history entry between them.
void RunCorrection(Host *main, Document *child, int levelRows, Correction correct) {
  if (!child || !child->Picture()) return;
  const AutoCorrectSettings settings = ReadAutoCorrectSettings();
  TfWaitMess *wait = main ? main->WaitWindow() : nullptr;
  if (wait) wait->Begin((levelRows + (settings.gammaOn ? 1 : 0)) * child->Height());
  child->RecordUndo();
  DibHandle copy(Kit.ImgKitCopy(child->Picture().get(), "", ""));
  if (copy) {
    {
      TMDIB dib(copy.get());
      correct(dib, settings, wait);
    }
    child->Picture() = std::move(copy);
    child->Commit();
  }
  if (wait) wait->End();
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
  RunCorrection(main, child, 1, AutoCorrectA);
}

void RunAutoCorrectionB(Host *main, Document *child) {
  RunCorrection(main, child, 3, AutoCorrectB);
}
