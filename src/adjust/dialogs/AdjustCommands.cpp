#include "adjust/dialogs/AdjustCommands.h"

#include "adjust/dialogs/AutoCorrect.h"
#include "adjust/dialogs/Colorvariation.h"
#include "adjust/dialogs/ColourCommands.h"
#include "adjust/dialogs/ColsplitForm.h"
#include "adjust/dialogs/Fcolorinc.h"
#include "adjust/dialogs/Fcontrast.h"
#include "adjust/dialogs/Fcut.h"
#include "adjust/dialogs/Fdither.h"
#include "adjust/dialogs/Fgamma.h"
#include "adjust/dialogs/Formkido.h"
#include "adjust/dialogs/Formrgb.h"
#include "adjust/dialogs/Formyuv.h"
#include "adjust/dialogs/Frotate.h"
#include "adjust/dialogs/Fsaido.h"
#include "adjust/dialogs/Gammarvariation.h"
#include "adjust/dialogs/HistfuncForm.h"
#include "adjust/dialogs/Histgram.h"
#include "adjust/dialogs/ResizeForm.h"
#include "adjust/dialogs/ShikisouForm.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/PreviewDialog.h"

#include <QSlider>
#include <QWidget>

namespace {

void Activate(Host *host) {
  if (QWidget *window = WindowOf(host)) window->activateWindow();
}

// The tone, balance and variation dialogs: shown modally on the document,
// which they change themselves.
template <class Form, class... Args> void ToneDialog(Host *host, Document *doc, Args... args) {
  RunPreviewCommand<Form>(host, doc, args...);
  Activate(host);
}

// The one-click tone buttons: the dialog unseen, its track bar preset, OK.
template <class Form> void PresetTone(Host *host, Document *doc, int position) {
  ApplyUnseen<Form>(host, doc, [position](Form &form) { form.TrackBar->setValue(position); });
  Activate(host);
}

// A dialog without a preview, shown modally on the document.
template <class Form> void ModalDialog(Host *host, Document *doc, bool kindMayChange) {
  {
    Form form(host);
    form.Prepare(doc);
    form.exec();
  }
  if (kindMayChange && host) host->CommandsChanged();
  RaiseMain(host);
}

// The turn and flip buttons: the rotate dialog unseen with its choice.
void Turn(Host *host, Document *doc, int choice) {
  {
    TRotateForm form(host);
    form.Prepare(doc);
    form.SetItemIndex(choice);
    form.bOKClick();
  }
  RaiseMain(host);
}

// To full colour at once (the colour-increase dialog's first choice).
void ToFullColour(Host *host, Document *doc, int choice) {
  {
    TColorIncForm form(host);
    form.Prepare(doc);
    form.SetItemIndex(choice);
    form.bOKClick();
  }
  if (host) host->CommandsChanged();
  RaiseMain(host);
}

// To 256 fixed colours at once (the colour-reduction dialog's first choices).
void To256Colours(Host *host, Document *doc) {
  {
    TDitherForm form(host);
    form.Prepare(doc);
    form.SetChoices(0, 0, 1);
    form.bOKClick();
  }
  if (host) host->CommandsChanged();
  RaiseMain(host);
}

template <class F> void ThenRaise(F f, Host *host, Document *doc) {
  f(host, doc);
  RaiseMain(host);
}

} // namespace

const std::vector<Command> &AdjustCommands() {
  static const std::vector<Command> rows = {
      // Colour
      {.handler = "mYUVClick",
       .menuItem = "mYUV",
       .buttons = {"SpeedButton29"},
       .run = [](Host *h, Document *d) { ToneDialog<TYUVForm>(h, d); },
       .routine = "YuvBalance"},
      {.handler = "RBG1Click",
       .menuItem = "RBG1",
       .buttons = {"SpeedButton28"},
       .run = [](Host *h, Document *d) { ToneDialog<TRGB_Form>(h, d); },
       .routine = "RgbBalance"},
      {.handler = "mSaidoClick",
       .menuItem = "mSaido",
       .buttons = {"SpeedButton32"},
       .run = [](Host *h, Document *d) { ToneDialog<TSaidoForm>(h, d); },
       .routine = "Saturation",
       .presets = {{"tb12", -10}, {"tb13", 10}},
       .runPreset = PresetTone<TSaidoForm>},
      {.handler = "mShikisouClick",
       .menuItem = "mShikisou",
       .buttons = {"tb32"},
       .needs = Needs::FullColour,
       .run = ShikisouCommand,
       .routine = "HueChange"},
      {.handler = "mGrayClick",
       .menuItem = "mGray",
       .buttons = {"SpeedButton22"},
       .needs = Needs::ColourPalette,
       .buttonNeeds = Needs::AtLeast8,
       .run = [](Host *h, Document *d) { ThenRaise(GrayCommand, h, d); },
       .routine = "ImgKitSetGray"},
      {.handler = "mSepiaClick",
       .menuItem = "mSepia",
       .buttons = {"SpeedButton26"},
       .run = [](Host *h, Document *d) { ThenRaise(SepiaCommand, h, d); },
       .routine = "Sepia"},
      {.handler = "mReverseClick",
       .menuItem = "mReverse",
       .buttons = {"SpeedButton23"},
       .run = [](Host *h, Document *d) { ThenRaise(NegativeCommand, h, d); },
       .routine = "ImgKitColorReverse"},
      // Tone
      {.handler = "mBrightClick",
       .menuItem = "mBright",
       .buttons = {"SpeedButton30"},
       .run = [](Host *h, Document *d) { ToneDialog<TKidoForm>(h, d); },
       .routine = "Brightness",
       .presets = {{"tb08", -5}, {"tb09", 5}},
       .runPreset = PresetTone<TKidoForm>},
      {.handler = "mContrastClick",
       .menuItem = "mContrast",
       .buttons = {"SpeedButton31"},
       .run = [](Host *h, Document *d) { ToneDialog<TContrastForm>(h, d); },
       .routine = "Contrast",
       .presets = {{"tb10", -10}, {"tb11", 10}},
       .runPreset = PresetTone<TContrastForm>},
      {.handler = "G1Click",
       .menuItem = "G1",
       .buttons = {"SpeedButton33"},
       .run = [](Host *h, Document *d) { ToneDialog<TGammaForm>(h, d); },
       .routine = "Gamma",
       .presets = {{"tb06", 90}, {"tb07", 120}},
       .runPreset = PresetTone<TGammaForm>},
      // Variations
      {.handler = "V1Clicky",
       .menuItem = "V1",
       .buttons = {"sbYUV"},
       .run = [](Host *h, Document *d) { ToneDialog<TColorVariationForm>(h, d); },
       .routine = "YuvBalance"},
      {.handler = "mGVarClick",
       .menuItem = "mGVar",
       .buttons = {"sbGamma"},
       .run = [](Host *h, Document *d) { ToneDialog<TGammaVariationForm>(h, d, int(tvGamma)); },
       .routine = "ToneVariationApply"},
      {.handler = "S1Click",
       .menuItem = "S1",
       .buttons = {"SpeedButton7"},
       .run = [](Host *h,
                 Document *d) { ToneDialog<TGammaVariationForm>(h, d, int(tvSaturation)); },
       .routine = "ToneVariationApply"},
      {.handler = "B1Click",
       .menuItem = "B1",
       .buttons = {"SpeedButton5"},
       .run = [](Host *h,
                 Document *d) { ToneDialog<TGammaVariationForm>(h, d, int(tvBrightness)); },
       .routine = "ToneVariationApply"},
      {.handler = "C1Click",
       .menuItem = "C1",
       .buttons = {"SpeedButton6"},
       .run = [](Host *h, Document *d) { ToneDialog<TGammaVariationForm>(h, d, int(tvContrast)); },
       .routine = "ToneVariationApply"},
      // Histogram, depth
      {.handler = "mHistFuncClick",
       .menuItem = "mHistFunc",
       .buttons = {"sbHistFunc"},
       .run = HistFuncCommand,
       .routine = "Levels"},
      {.handler = "mHistgramClick",
       .menuItem = "mHistgram",
       .buttons = {"sbHist"},
       .run = HistgramCommand},
      {.handler = "mDitherClick",
       .menuItem = "mDither",
       .buttons = {"SpeedButton34"},
       .run = [](Host *h, Document *d) { ModalDialog<TDitherForm>(h, d, true); },
       .routine = "ImgKitConvertColor",
       .settings = "Dither"},
      {.buttons = {"tb15"},
       .needs = Needs::FullColour,
       .run = To256Colours,
       .routine = "ImgKitConvertColor"},
      {.handler = "mIncColorClick",
       .menuItem = "mIncColor",
       .buttons = {"SpeedButton35"},
       .needs = Needs::Palette,
       .run = [](Host *h, Document *d) { ModalDialog<TColorIncForm>(h, d, true); },
       .routine = "ImgKitConvertColor",
       .presets = {{"tb14", 0}},
       .runPreset = ToFullColour},
      // Size and shape
      {.handler = "mBitBltClick",
       .menuItem = "mBitBlt",
       .buttons = {"SpeedButton2"},
       .run = [](Host *h, Document *d) { ResizeCommand(h, d, TResizeForm::Normal); },
       .routine = "ResizeImage"},
      {.handler = "mHQSmallClick",
       .menuItem = "mHQSmall",
       .buttons = {"SpeedButton3"},
       .needs = Needs::FullColour,
       .run = [](Host *h, Document *d) { ResizeCommand(h, d, TResizeForm::Oversampling); },
       .routine = "ResizeImage"},
      {.handler = "mHQLargeClick",
       .menuItem = "mHQLarge",
       .buttons = {"SpeedButton4"},
       .needs = Needs::FullColour,
       .run = [](Host *h, Document *d) { ResizeCommand(h, d, TResizeForm::Bilinear); },
       .routine = "ResizeImage"},
      {.handler = "mSmallClick",
       .menuItem = "mSmall",
       .buttons = {"SpeedButton25"},
       .run = [](Host *h, Document *d) { ModalDialog<TCutForm>(h, d, false); },
       .routine = "ImgKitRectCut"},
      {.handler = "mRotateClick",
       .menuItem = "mRotate",
       .run = [](Host *h, Document *d) { ModalDialog<TRotateForm>(h, d, false); },
       .routine = "ImgKitRotation",
       // The dialog's choices: 180 degrees, left, right, top-bottom, left-right.
       .presets = {{"tb03", 0}, {"tb01", 1}, {"tb02", 2}, {"tb05", 3}, {"tb04", 4}},
       .runPreset = Turn},
      {.handler = "m54Click",
       .menuItem = "m54",
       .run = [](Host *h, Document *d) { AspectCommand(h, d, true); },
       .routine = "AspectCorrect"},
      {.handler = "m43Click",
       .menuItem = "m43",
       .run = [](Host *h, Document *d) { AspectCommand(h, d, false); },
       .routine = "AspectCorrect"},
      // Photo expert
      {.handler = "mAuto1Click",
       .menuItem = "mAuto1",
       .buttons = {"sbAuto1"},
       .needs = Needs::AtLeast8,
       .run = RunAutoCorrectionA,
       .routine = "AutoCorrectA"},
      {.handler = "mAuto2Click",
       .menuItem = "mAuto2",
       .buttons = {"sbAuto2"},
       .needs = Needs::AtLeast8,
       .run = RunAutoCorrectionB,
       .routine = "AutoCorrectB"},
      {.handler = "mKyochoClick",
       .menuItem = "mKyocho",
       .buttons = {"tb21"},
       .needs = Needs::FullColour,
       .run = KyochoCommand,
       .routine = "HueEmphasis",
       .settings = TColsplitForm::kSettings},
  };
  return rows;
}
