#include "effects/dialogs/EffectCommands.h"

#include "effects/dialogs/Fglass.h"
#include "effects/dialogs/Frotateangle.h"
#include "effects/dialogs/Fuzu.h"
#include "effects/dialogs/Fwave.h"
#include "effects/dialogs/KabegamiForm.h"
#include "effects/dialogs/KitFilters.h"
#include "effects/dialogs/LetterForm.h"
#include "effects/dialogs/LiteningForm.h"
#include "effects/dialogs/MedianForm.h"
#include "effects/dialogs/Mozic.h"
#include "effects/dialogs/OuterFrameForm.h"
#include "effects/dialogs/SaiForm.h"
#include "effects/dialogs/SharpenForm.h"
#include "effects/dialogs/SoftenForm.h"
#include "forms/PreviewDialog.h"

namespace {

template <KitFilterKind kind> void KitFilter(Host *host, Document *doc) {
  KitFilterCommand(host, doc, kind);
  RaiseMain(host);
}

template <LiteningMode mode> void Litening(Host *host, Document *doc) {
  LiteningCommand(host, doc, mode);
}

void Mosaic(Host *host, Document *doc) {
  {
    TMozicForm form(host);
    form.Prepare(doc);
    form.exec();
  }
  RaiseMain(host);
}

} // namespace

const std::vector<Command> &EffectCommands() {
  static const std::vector<Command> rows = {
      // Image quality
      {.handler = "mSoftenClick",
       .menuItem = "mSoften",
       .buttons = {"SpeedButton8"},
       .needs = Needs::FullColour,
       .run = SoftenCommand,
       .routine = "Soften",
       .settings = TSoftenForm::kSettings},
      {.handler = "mSharpClick",
       .menuItem = "mSharp",
       .buttons = {"SpeedButton9"},
       .needs = Needs::FullColour,
       .run = SharpenCommand,
       .routine = "SharpenImage",
       .settings = TSharpenForm::kSettings},
      {.handler = "mMedianClick",
       .menuItem = "mMedian",
       .needs = Needs::FullColour,
       .run = MedianCommand,
       .routine = "MedianFilter",
       .settings = TMedianForm::kSettings},
      // The median at once with its remembered settings.
      {.buttons = {"tb16"},
       .needs = Needs::FullColour,
       .run = MedianButtonCommand,
       .routine = "MedianFilter",
       .settings = TMedianForm::kSettings},
      // The hidden directional and selective softening items have no action.
      {.handler = "mBXClick", .menuItem = "mBX", .needs = Needs::ColourOrGrey8},
      {.handler = "mBYClick", .menuItem = "mBY", .needs = Needs::ColourOrGrey8},
      {.handler = "mSpSoften1Click", .menuItem = "mSpSoften1", .needs = Needs::FullColour},
      {.handler = "mSpSoften2Click", .menuItem = "mSpSoften2", .needs = Needs::FullColour},
      {.handler = "BS1Click",
       .menuItem = "BS1",
       .buttons = {"tb17"},
       .needs = Needs::FullColour,
       .run = NoiseRemovalACommand,
       .routine = "NoiseRemovalA"},
      {.handler = "mScanNoiseClick",
       .menuItem = "mScanNoise",
       .buttons = {"SpeedButton27"},
       .needs = Needs::FullColour,
       .run = NoiseRemovalBCommand,
       .routine = "NoiseRemovalB"},
      // The kit's special filters
      {.handler = "mMozaicClick",
       .menuItem = "mMozaic",
       .buttons = {"SpeedButton40"},
       .needs = Needs::ColourOrGrey8,
       .run = Mosaic,
       .routine = "ImgKitMosaic",
       .settings = "Mozic"},
      {.handler = "mEmbossClick",
       .menuItem = "mEmboss",
       .buttons = {"SpeedButton41"},
       .needs = Needs::Grey8,
       .run = KitFilter<KitFilterKind::Emboss>,
       .routine = "ImgKitEmboss"},
      {.handler = "mRobertsClick",
       .menuItem = "mRoberts",
       .buttons = {"SpeedButton42"},
       .needs = Needs::ColourOrGrey8,
       .run = KitFilter<KitFilterKind::Roberts>,
       .routine = "ImgKitFilter"},
      {.handler = "mLapratianClick",
       .menuItem = "mLapratian",
       .buttons = {"SpeedButton43"},
       .needs = Needs::ColourOrGrey8,
       .run = KitFilter<KitFilterKind::Laplacian>,
       .routine = "ImgKitFilter"},
      {.handler = "mSotowakuClick",
       .menuItem = "mSotowaku",
       .buttons = {"SpeedButton49"},
       .needs = Needs::FullColour,
       .run = SotowakuCommand,
       .routine = "OuterFrame",
       .settings = TSotowaku::kSettingsName},
      // The wallpaper maker (its button sits in the wallpaper menu)
      {.handler = "SpeedButton15Click", .menuItem = "SpeedButton15", .run = KabegamiCommand},
      // The painting window
      {.handler = "S3Click",
       .menuItem = "S3",
       .buttons = {"btnSai"},
       .run = SaiCommand,
       .settings = TSaiForm::kSettings},
      // Still to come
      {.handler = "mRotateExClick",
       .menuItem = "mRotateEx",
       .buttons = {"SpeedButton24"},
       .needs = Needs::FullColour,
       .run = RotateAngleCommand,
       .routine = "RotateFree",
       .settings = TRotateAngle::kSettings},
      {.handler = "mLetterClick",
       .menuItem = "mLetter",
       .buttons = {"SpeedButton14"},
       .run = LetterCommand,
       .routine = "CompositePaste",
       .settings = TLetterForm::kSettings},
      // Lighting, frames, spots, noise and texture: one dialog in eleven modes
      {.handler = "mTexClick",
       .menuItem = "mTex",
       .buttons = {"SpeedButton39"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Texture>,
       .routine = "ApplyTexture",
       .settings = "Texture",
       // Cloth and fine silk, with the remembered strength.
       .presets = {{"tb26", 5}, {"tb27", 3}},
       .runPreset = TexturePresetCommand},
      {.handler = "mSandSpotClick",
       .menuItem = "mSandSpot",
       .buttons = {"SpeedButton36"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::DustSpot>,
       .routine = "DustSpot",
       .settings = "Spot1"},
      {.handler = "P1Click",
       .menuItem = "P1",
       .buttons = {"tb18"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::SoftSpot>,
       .routine = "SoftSpot",
       .settings = "Spot2"},
      {.handler = "S2Click",
       .menuItem = "S2",
       .buttons = {"tb19"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::WhiteSpot>,
       .routine = "WhiteSpot",
       .settings = "Spot3"},
      {.handler = "mLiteningClick",
       .menuItem = "mLitening",
       .buttons = {"tb20"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Lighting>,
       .routine = "LightingEffect",
       .settings = "Lightenning"},
      {.handler = "mNoizClick",
       .menuItem = "mNoiz",
       .buttons = {"SpeedButton37"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Noise>,
       .routine = "AddNoise",
       .settings = "Noise"},
      {.handler = "mFadeOutClick",
       .menuItem = "mFadeOut",
       .buttons = {"tb24"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::FadeOut>,
       .routine = "FadeOutFrame",
       .settings = "Lim1"},
      {.handler = "mTransClick",
       .menuItem = "mTrans",
       .buttons = {"tb22"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Translucent>,
       .routine = "TranslucentFrame",
       .settings = "Lim2"},
      {.handler = "W1Click",
       .menuItem = "W1",
       .buttons = {"SpeedButton38"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Wave>,
       .routine = "WaveFrame",
       .settings = "Lim3"},
      {.handler = "bButtonFrameClick",
       .menuItem = "bButtonFrame",
       .buttons = {"tb25"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Bevel>,
       .routine = "BevelFrame",
       .settings = "Lim4"},
      {.handler = "C2Click",
       .menuItem = "C2",
       .buttons = {"tb23"},
       .needs = Needs::FullColour,
       .run = Litening<LiteningMode::Ellipse>,
       .routine = "EllipseFrame",
       .settings = "Lim5"},
      {.handler = "mNamiClick",
       .menuItem = "mNami",
       .buttons = {"SpeedButton44"},
       .needs = Needs::FullColour,
       .run = WaveCommand,
       .routine = "RippleMap",
       .settings = TWave::kSettings},
      {.handler = "mUzuClick",
       .menuItem = "mUzu",
       .buttons = {"SpeedButton45"},
       .needs = Needs::FullColour,
       .run = UzuCommand,
       .routine = "SwirlMap",
       .settings = TUzu::kSettings},
      {.handler = "mGlassClick",
       .menuItem = "mGlass",
       .buttons = {"SpeedButton46"},
       .needs = Needs::FullColour,
       .run = GlassCommand,
       .routine = "GlassMap",
       .settings = TGlass::kSettings},
  };
  return rows;
}
