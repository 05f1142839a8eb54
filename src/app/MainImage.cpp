// The image, expert and artist commands, the one-click tool buttons and the
// commands whose windows are still to come: each arrives with its dialog.
#include "adjust/dialogs/AutoCorrect.h"
#include "adjust/dialogs/ColsplitForm.h"
#include "adjust/dialogs/HistfuncForm.h"
#include "adjust/dialogs/ShikisouForm.h"
#include "app/MainForm.h"
#include "app/Option.h"
#include "platform/Settings.h"

#include "adjust/dialogs/ColourCommands.h"
#include "adjust/dialogs/Fcolorinc.h"
#include "adjust/dialogs/Fcut.h"
#include "adjust/dialogs/Fdither.h"
#include "adjust/dialogs/Frotate.h"
#include "adjust/dialogs/Mozic.h"
#include "adjust/dialogs/ResizeForm.h"
#include "app/MDIChild.h"
#include "effects/dialogs/MedianForm.h"
#include "effects/dialogs/SharpenForm.h"
#include "effects/dialogs/SoftenForm.h"

#include "adjust/dialogs/Colorvariation.h"
#include "adjust/dialogs/Fcontrast.h"
#include "adjust/dialogs/Fgamma.h"
#include "adjust/dialogs/Formkido.h"
#include "adjust/dialogs/Formrgb.h"
#include "adjust/dialogs/Formyuv.h"
#include "adjust/dialogs/Fsaido.h"
#include "adjust/dialogs/Gammarvariation.h"

#include <QSlider>

namespace {
// The tone, balance and variation dialogs: shown modally on the active
// document, which they change themselves.
template <class Form, class... Args> void RunToneDialog(TMainForm *main, Args... args) {
  RunPreviewCommand<Form>(main, main->ActiveChild(), 0, args...);
  main->activateWindow();
}

// The one-click tone buttons: the dialog unseen, its track bar preset, OK.
template <class Form> void PresetToneDialog(TMainForm *main, int position) {
  ApplyUnseen<Form>(main, main->ActiveChild(), 0,
                    [position](Form &form) { form.TrackBar->setValue(position); });
  main->activateWindow();
}
} // namespace

// File and edit commands served by other windows.
void TMainForm::mBrowseClick() {}
void TMainForm::TextImgClick() {}
void TMainForm::mWallOpenClick() {}
void TMainForm::mSScanClick() {}
void TMainForm::mMScanClick() {}
void TMainForm::mTSelectClick() {}
void TMainForm::mPrintClick() {}
void TMainForm::CutItemClick() {}
void TMainForm::mGouseiClick() {}

// Image menu
void TMainForm::mYUVClick() { RunToneDialog<TYUVForm>(this); }
void TMainForm::RBG1Click() { RunToneDialog<TRGB_Form>(this); }
void TMainForm::mSaidoClick() { RunToneDialog<TSaidoForm>(this); }
void TMainForm::mShikisouClick() { ShikisouCommand(this, ActiveChild()); }
void TMainForm::mGrayClick() {
  GrayCommand(this, ActiveChild());
  raise();
}
void TMainForm::mSepiaClick() {
  SepiaCommand(this, ActiveChild());
  raise();
}
void TMainForm::mReverseClick() {
  NegativeCommand(this, ActiveChild());
  raise();
}
void TMainForm::mBrightClick() { RunToneDialog<TKidoForm>(this); }
void TMainForm::mContrastClick() { RunToneDialog<TContrastForm>(this); }
void TMainForm::G1Click() { RunToneDialog<TGammaForm>(this); }
void TMainForm::V1Clicky() { RunToneDialog<TColorVariationForm>(this); }
void TMainForm::mGVarClick() { RunToneDialog<TGammaVariationForm>(this, int(tvGamma)); }
void TMainForm::S1Click() { RunToneDialog<TGammaVariationForm>(this, int(tvSaturation)); }
void TMainForm::B1Click() { RunToneDialog<TGammaVariationForm>(this, int(tvBrightness)); }
void TMainForm::C1Click() { RunToneDialog<TGammaVariationForm>(this, int(tvContrast)); }
void TMainForm::mHistFuncClick() { HistFuncCommand(this, ActiveChild()); }
void TMainForm::mDitherClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  TDitherForm form(this);
  form.Prepare(child);
  form.exec();
  UpdateMenuItems();
  raise();
}
void TMainForm::mIncColorClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  TColorIncForm form(this);
  form.Prepare(child);
  form.exec();
  UpdateMenuItems();
  raise();
}
void TMainForm::mBitBltClick() { ResizeCommand(this, ActiveChild(), TResizeForm::Normal); }
void TMainForm::mHQSmallClick() { ResizeCommand(this, ActiveChild(), TResizeForm::Oversampling); }
void TMainForm::mHQLargeClick() { ResizeCommand(this, ActiveChild(), TResizeForm::Bilinear); }
void TMainForm::mSmallClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  TCutForm form(this);
  form.Prepare(child);
  form.exec();
  raise();
}
void TMainForm::mRotateClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  TRotateForm form(this);
  form.Prepare(child);
  form.exec();
  raise();
}
void TMainForm::mRotateExClick() {}
void TMainForm::mSoftenClick() { SoftenCommand(this, ActiveChild()); }
void TMainForm::mSharpClick() { SharpenCommand(this, ActiveChild()); }
void TMainForm::mMedianClick() { MedianCommand(this, ActiveChild()); }
// The hidden directional and selective softening items have no action.
void TMainForm::mBXClick() {}
void TMainForm::mBYClick() {}
void TMainForm::mSpSoften1Click() {}
void TMainForm::mSpSoften2Click() {}
void TMainForm::m54Click() { AspectCommand(this, ActiveChild(), true); }
void TMainForm::m43Click() { AspectCommand(this, ActiveChild(), false); }
void TMainForm::mLetterClick() {}

// Photo expert menu
void TMainForm::mAuto1Click() { RunAutoCorrectionA(this, ActiveChild()); }
void TMainForm::mAuto2Click() { RunAutoCorrectionB(this, ActiveChild()); }
void TMainForm::BS1Click() { NoiseRemovalACommand(this, ActiveChild()); }
void TMainForm::mScanNoiseClick() { NoiseRemovalBCommand(this, ActiveChild()); }
void TMainForm::S3Click() {}
void TMainForm::mAutoCustomClick() {
  // The dialog reads the general settings back from the file: values
  // changed since the start must be there first.
  ReadJpegQuality();
  SaveGeneralSettings();
  {
    TOptionForm dialog(this, SetupPath);
    dialog.ShowPage(QStringLiteral("一発補正"));
    dialog.exec();
  }
  WriteJpegQuality();
  raise();
}

// Artist menu
void TMainForm::mKyochoClick() { KyochoCommand(this, ActiveChild()); }
void TMainForm::mTexClick() {}
void TMainForm::mMozaicClick() {
  TMDIChild *child = ActiveChild();
  // The kit's mosaic needs full colour or a grey palette.
  if (!KitFilterApplies(child)) return;
  TMozicForm form(this);
  form.Prepare(child);
  form.exec();
  raise();
}
void TMainForm::mEmbossClick() {
  KitFilterCommand(this, ActiveChild(), KitFilterKind::Emboss);
  raise();
}
void TMainForm::mRobertsClick() {
  KitFilterCommand(this, ActiveChild(), KitFilterKind::Roberts);
  raise();
}
void TMainForm::mLapratianClick() {
  KitFilterCommand(this, ActiveChild(), KitFilterKind::Laplacian);
  raise();
}
void TMainForm::mSandSpotClick() {}
void TMainForm::P1Click() {}
void TMainForm::S2Click() {}
void TMainForm::mLiteningClick() {}
void TMainForm::mNoizClick() {}
void TMainForm::mFadeOutClick() {}
void TMainForm::mTransClick() {}
void TMainForm::W1Click() {}
void TMainForm::bButtonFrameClick() {}
void TMainForm::C2Click() {}
void TMainForm::mSotowakuClick() {}
void TMainForm::mNamiClick() {}
void TMainForm::mUzuClick() {}
void TMainForm::mGlassClick() {}

// One-click tool buttons (tb01 ... tb16, tb26, tb27).
void TMainForm::ToolButtonClick(const QString &name) {
  // Turns and flips, full colour, 256 colours.
  if (RunOneClickButton(this, ActiveChild(), name)) return;
  // Tone: gamma, brightness, contrast and saturation, each down and up.
  if (name == QLatin1String("tb06")) return PresetToneDialog<TGammaForm>(this, 90);
  if (name == QLatin1String("tb07")) return PresetToneDialog<TGammaForm>(this, 120);
  if (name == QLatin1String("tb08")) return PresetToneDialog<TKidoForm>(this, -5);
  if (name == QLatin1String("tb09")) return PresetToneDialog<TKidoForm>(this, 5);
  if (name == QLatin1String("tb10")) return PresetToneDialog<TContrastForm>(this, -10);
  if (name == QLatin1String("tb11")) return PresetToneDialog<TContrastForm>(this, 10);
  if (name == QLatin1String("tb12")) return PresetToneDialog<TSaidoForm>(this, -10);
  if (name == QLatin1String("tb13")) return PresetToneDialog<TSaidoForm>(this, 10);
  // The median with its remembered settings.
  if (name == QLatin1String("tb16")) return MedianButtonCommand(this, ActiveChild());
}
