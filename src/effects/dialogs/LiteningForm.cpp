#include "effects/dialogs/LiteningForm.h"

#include "effects/Litening.h"
#include "forms/ColourSwatch.h"
#include "forms/Document.h"
#include "forms/Host.h"
#include "image/Dib.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>

#include <ctime>

namespace {

struct ModeRow {
  const char *caption;
  const char *settings;
  int help;
};

// By mode number.
const ModeRow kModes[] = {
    {"照明効果", "Lightenning", 56},
    {"フェイドアウト枠", "Lim1", 57},
    {"半透明枠", "Lim2", 57},
    {"波枠", "Lim3", 57},
    {"ダストスポット", "Spot1", 60},
    {"ソフトスポット", "Spot2", 60},
    {"ホワイトスポット", "Spot3", 60},
    {"ノイズ付加", "Noise", 60},
    {"テクスチャー", "Texture", 61},
    {"立体枠", "Lim4", 57},
    {"楕円枠", "Lim5", 57},
};

const ModeRow &Row(LiteningMode mode) { return kModes[static_cast<int>(mode)]; }

constexpr QPoint kPreviewFrame(286, 8);
constexpr int kWidth = 398, kHeight = 225;
constexpr unsigned kWhite = 0xFFFFFF, kBlack = 0;

// The settings keep colours as the platform packs them, red in the low
// byte; the dialog as 0xRRGGBB. Either way it is red and blue swapped.
unsigned SwapRedBlue(unsigned c) { return ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16); }

bool IsFrame(LiteningMode m) {
  return m == LiteningMode::FadeOut || m == LiteningMode::Translucent || m == LiteningMode::Wave ||
         m == LiteningMode::Bevel || m == LiteningMode::Ellipse;
}

bool IsSpot(LiteningMode m) {
  return m == LiteningMode::DustSpot || m == LiteningMode::SoftSpot || m == LiteningMode::WhiteSpot;
}

// The caption of the frames' second track bar.
QString LevelCaption(LiteningMode m) {
  switch (m) {
  case LiteningMode::Wave: return QStringLiteral("波長");
  case LiteningMode::Bevel: return QStringLiteral("効果の強さ");
  default: return QStringLiteral("透明度");
  }
}

} // namespace

TLiteningForm::TLiteningForm(Host *main, LiteningMode mode)
    : PreviewDialog(main, QString::fromUtf8(Row(mode).caption), kPreviewFrame), mode_(mode) {
  setObjectName(QStringLiteral("LiteningForm"));
  if (mode == LiteningMode::Lighting) {
    rgLight = AddRadioChoice(
        QStringLiteral("rgLight"), QStringLiteral("照明の種類"),
        {QStringLiteral("逆光"), QStringLiteral("ｽﾎﾟｯﾄﾗｲﾄ"), QStringLiteral("回り込み")}, 3);
    tbLightX = AddTrackBar(QStringLiteral("光源中心(X)"), kLightCentreMin, kLightCentreMax, 50);
    tbLightY = AddTrackBar(QStringLiteral("光源中心(Y)"), kLightCentreMin, kLightCentreMax, 50);
    tbLightArea = AddTrackBar(QStringLiteral("照射範囲"), kLitAreaMin, kLitAreaMax, 50);
  } else if (IsFrame(mode)) {
    if (mode != LiteningMode::Bevel) {
      auto *row = new QHBoxLayout;
      bColour = new QPushButton(QStringLiteral("外枠の色指定"), this);
      bColour->setObjectName(QStringLiteral("bColour"));
      pColour = new ColourSwatch(this, bColour);
      pColour->setObjectName(QStringLiteral("pColour"));
      pColour->setFixedSize(48, 22);
      row->addWidget(bColour);
      row->addWidget(pColour);
      row->addStretch();
      ControlsLayout()->addLayout(row);
      // A colour taken in the dialog is the frame's too.
      connect(pColour, &ColourSwatch::Changed, this, [this] {
        frame_ = pColour->Rgb();
        Recompute();
      });
    }
    tbFrameWidth = AddTrackBar(QStringLiteral("外枠の幅"), kFrameWidthMin, kFrameWidthMax, 6);
    if (mode != LiteningMode::FadeOut)
      tbFrameLevel = AddTrackBar(LevelCaption(mode), kFrameLevelMin, kFrameLevelMax, 5);
  } else if (IsSpot(mode)) {
    tbSpotSize = AddTrackBar(QStringLiteral("スポット径"), kSpotDiameterMin, kSpotDiameterMax, 5);
    tbSpotStrength =
        AddTrackBar(QStringLiteral("フィルターの強さ"), kSpotStrengthMin, kSpotStrengthMax, 3);
  } else if (mode == LiteningMode::Noise) {
    rgNoise = AddRadioChoice(QStringLiteral("rgNoise"), QStringLiteral("ﾉｲｽﾞ種類"),
                             {QStringLiteral("ﾗﾝﾀﾞﾑﾉｲｽﾞ"), QStringLiteral("輝度ﾉｲｽﾞ"),
                              QStringLiteral("ﾎﾜｲﾄﾉｲｽﾞ"), QStringLiteral("ﾌﾞﾗｯｸﾉｲｽﾞ")},
                             2);
    tbNoise = AddTrackBar(QStringLiteral("ノイズの強さ"), kNoiseStrengthMin, kNoiseStrengthMax, 3);
  } else {
    rgTexture = AddRadioChoice(QStringLiteral("rgTexture"), QStringLiteral("テクスチャー"),
                               {QStringLiteral("斜縞"), QStringLiteral("縦縞"),
                                QStringLiteral("横縞"), QStringLiteral("絹目調小"),
                                QStringLiteral("絹目調大"), QStringLiteral("布調斜縞")},
                               3);
    tbTexture = AddTrackBar(QStringLiteral("テクスチャーの強さ"), kTextureStrengthMin,
                            kTextureStrengthMax, 3);
  }
  // Until settings come: the colour the designer gave the frames.
  SetColours(kBlack, kBlack);
  setFixedSize(kWidth, kHeight);
}

int TLiteningForm::HelpContext() const { return Row(mode_).help; }

const char *TLiteningForm::SettingsName() const { return Row(mode_).settings; }

unsigned TLiteningForm::SwatchColour() const { return pColour ? pColour->Rgb() : 0; }

void TLiteningForm::SetColours(unsigned swatch, unsigned frame) {
  frame_ = frame & 0xFFFFFF;
  if (pColour) pColour->SetRgb(swatch);
}

void TLiteningForm::bColourClick() {
  if (pColour) pColour->Choose();
}

void TLiteningForm::SetTexture(int texture) {
  if (rgTexture) SetRadio(rgTexture, texture);
}

void TLiteningForm::ResetControls() {
  switch (mode_) {
  case LiteningMode::Lighting:
    SetRadio(rgLight, 0);
    SetTrackBar(tbLightX, 50);
    SetTrackBar(tbLightY, 50);
    SetTrackBar(tbLightArea, 50);
    break;
  case LiteningMode::FadeOut:
    SetColours(kWhite, kWhite);
    SetTrackBar(tbFrameWidth, 5);
    break;
  case LiteningMode::Translucent:
    // Nothing of its own: what the designer set.
    SetColours(kBlack, kBlack);
    SetTrackBar(tbFrameWidth, 6);
    SetTrackBar(tbFrameLevel, 5);
    break;
  case LiteningMode::Wave:
  case LiteningMode::Ellipse:
    SetColours(kWhite, kWhite);
    SetTrackBar(tbFrameWidth, 5);
    SetTrackBar(tbFrameLevel, 5);
    break;
  case LiteningMode::Bevel:
    SetTrackBar(tbFrameWidth, 2);
    SetTrackBar(tbFrameLevel, 8);
    break;
  case LiteningMode::DustSpot:
  case LiteningMode::SoftSpot:
  case LiteningMode::WhiteSpot:
    SetTrackBar(tbSpotSize, 5);
    SetTrackBar(tbSpotStrength, 3);
    break;
  case LiteningMode::Noise:
    SetRadio(rgNoise, 0);
    SetTrackBar(tbNoise, 4);
    break;
  case LiteningMode::Texture:
    SetRadio(rgTexture, 0);
    SetTrackBar(tbTexture, 4);
    break;
  }
}

std::vector<int> TLiteningForm::SettingValues() const {
  const int swatch = static_cast<int>(SwapRedBlue(SwatchColour()));
  const int frame = static_cast<int>(SwapRedBlue(frame_));
  switch (mode_) {
  case LiteningMode::Lighting:
    return {rgLight->checkedId(), tbLightX->value(), tbLightY->value(), tbLightArea->value()};
  case LiteningMode::FadeOut: return {swatch, frame, tbFrameWidth->value()};
  case LiteningMode::Translucent:
  case LiteningMode::Wave:
  case LiteningMode::Ellipse: return {swatch, frame, tbFrameWidth->value(), tbFrameLevel->value()};
  case LiteningMode::Bevel: return {tbFrameWidth->value(), tbFrameLevel->value()};
  case LiteningMode::DustSpot:
  case LiteningMode::SoftSpot:
  case LiteningMode::WhiteSpot: return {tbSpotSize->value(), tbSpotStrength->value()};
  case LiteningMode::Noise: return {rgNoise->checkedId(), tbNoise->value()};
  case LiteningMode::Texture: return {rgTexture->checkedId(), tbTexture->value()};
  }
  return {};
}

void TLiteningForm::RestoreSettings(const std::vector<std::optional<int>> &stored) {
  // Fields in the order SettingValues gives them; a missing one keeps its
  // default.
  size_t i = 0;
  auto next = [&]() -> std::optional<int> {
    return i < stored.size() ? stored[i++] : std::nullopt;
  };
  auto bar = [&](QSlider *slider) {
    if (const std::optional<int> v = next()) SetTrackBar(slider, *v);
  };
  auto radio = [&](QButtonGroup *group) {
    if (const std::optional<int> v = next()) SetRadio(group, *v);
  };
  if (HasColour()) {
    const std::optional<int> swatch = next(), frame = next();
    SetColours(swatch ? SwapRedBlue(static_cast<unsigned>(*swatch)) : SwatchColour(),
               frame ? SwapRedBlue(static_cast<unsigned>(*frame)) : frame_);
  }
  switch (mode_) {
  case LiteningMode::Lighting:
    radio(rgLight);
    bar(tbLightX);
    bar(tbLightY);
    bar(tbLightArea);
    break;
  case LiteningMode::Noise:
    radio(rgNoise);
    bar(tbNoise);
    break;
  case LiteningMode::Texture:
    radio(rgTexture);
    bar(tbTexture);
    break;
  case LiteningMode::DustSpot:
  case LiteningMode::SoftSpot:
  case LiteningMode::WhiteSpot:
    bar(tbSpotSize);
    bar(tbSpotStrength);
    break;
  default:
    bar(tbFrameWidth);
    if (tbFrameLevel) bar(tbFrameLevel);
    break;
  }
}

int TLiteningForm::ProgressMaximum() const {
  if (!child_) return 0;
  // The soft spot blurs, then blends: two passes over the rows.
  return mode_ == LiteningMode::SoftSpot ? 2 * child_->Height() : child_->Height();
}

bool TLiteningForm::ReadyToApply() const {
  for (const QButtonGroup *group : {rgLight, rgNoise, rgTexture})
    if (group && group->checkedId() < 0) return false;
  return true;
}

void TLiteningForm::Adjust(TMDIB &dib, Progress *progress) {
  // The random effects differ from run to run: the clock seeds them.
  const auto seed = static_cast<uint32_t>(std::time(nullptr));
  const int red = static_cast<int>((frame_ >> 16) & 0xFF);
  const int green = static_cast<int>((frame_ >> 8) & 0xFF);
  const int blue = static_cast<int>(frame_ & 0xFF);
  switch (mode_) {
  case LiteningMode::Lighting:
    LightingEffect(dib, rgLight->checkedId(), tbLightX->value(), tbLightY->value(),
                   tbLightArea->value(), progress);
    break;
  case LiteningMode::FadeOut:
    FadeOutFrame(dib, red, green, blue, tbFrameWidth->value(), progress);
    break;
  case LiteningMode::Translucent:
    TranslucentFrame(dib, red, green, blue, tbFrameWidth->value(), tbFrameLevel->value(), progress);
    break;
  case LiteningMode::Wave:
    WaveFrame(dib, red, green, blue, tbFrameWidth->value(), tbFrameLevel->value(), progress);
    break;
  case LiteningMode::Bevel:
    BevelFrame(dib, tbFrameWidth->value(), tbFrameLevel->value(), progress);
    break;
  case LiteningMode::Ellipse:
    EllipseFrame(dib, red, green, blue, tbFrameWidth->value(), tbFrameLevel->value(), progress);
    break;
  case LiteningMode::DustSpot:
    DustSpot(dib, tbSpotSize->value(), tbSpotStrength->value(), seed, progress);
    break;
  case LiteningMode::SoftSpot:
    SoftSpot(dib, tbSpotSize->value(), tbSpotStrength->value(), progress);
    break;
  case LiteningMode::WhiteSpot:
    WhiteSpot(dib, tbSpotSize->value(), tbSpotStrength->value(), seed, progress);
    break;
  case LiteningMode::Noise:
    AddNoise(dib, rgNoise->checkedId(), tbNoise->value(), seed, progress);
    break;
  case LiteningMode::Texture:
    ApplyTexture(dib, rgTexture->checkedId(), tbTexture->value(), seed, progress);
    break;
  }
}

void LiteningCommand(Host *main, Document *child, LiteningMode mode) {
  RunPreviewCommand<TLiteningForm>(main, child, mode);
}

void TexturePresetCommand(Host *main, Document *child, int texture) {
  if (!CanAdjust(child)) return;
  {
    TLiteningForm form(main, LiteningMode::Texture);
    form.Prepare(child);
    form.SetTexture(texture);
    form.bOKClick();
  }
  RaiseMain(main);
}
