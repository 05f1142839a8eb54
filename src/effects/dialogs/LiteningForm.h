// One dialog for eleven effects: lighting, the fade-out, translucent, wave,
// 3-D and ellipse frames, the dust, soft and white spots, added noise and
// texture. The mode, fixed when the dialog is made, gives its caption, the
// panel of controls it shows, the name its settings are remembered under
// and the routine it runs.
#pragma once

#include "forms/PreviewDialog.h"

class ColourSwatch;
class QButtonGroup;
class QPushButton;

enum class LiteningMode {
  Lighting = 0,
  FadeOut = 1,
  Translucent = 2,
  Wave = 3,
  DustSpot = 4,
  SoftSpot = 5,
  WhiteSpot = 6,
  Noise = 7,
  Texture = 8,
  Bevel = 9,
  Ellipse = 10,
};

class TLiteningForm : public PreviewDialog {
  Q_OBJECT
public:
  TLiteningForm(Host *main, LiteningMode mode);

  LiteningMode Mode() const { return mode_; }
  // The help page of the mode's topic.
  int HelpContext() const;

  // Frame colours as 0xRRGGBB: the swatch shows one, the routine draws with
  // the other (the colour dialog's own), normally the same.
  unsigned SwatchColour() const;
  unsigned FrameColour() const { return frame_; }
  // "外枠の色指定": the colour dialog, preset to the swatch; a chosen colour
  // becomes the swatch's and the frame's and redraws the preview.
  void bColourClick();
  // Chooses a texture without redrawing (the tool buttons).
  void SetTexture(int texture);

  // The lighting panel.
  QButtonGroup *rgLight = nullptr; // "照明の種類"
  QSlider *tbLightX = nullptr;     // "光源中心(X)"
  QSlider *tbLightY = nullptr;     // "光源中心(Y)"
  QSlider *tbLightArea = nullptr;  // "照射範囲"
  // The frame panel; the colour is not the 3-D frame's, the second bar not
  // the fade-out's.
  QPushButton *bColour = nullptr;  // "外枠の色指定"
  ColourSwatch *pColour = nullptr; // the swatch
  QSlider *tbFrameWidth = nullptr; // "外枠の幅"
  QSlider *tbFrameLevel = nullptr; // "透明度", "波長" or "効果の強さ"
  // The spot panel.
  QSlider *tbSpotSize = nullptr;     // "スポット径"
  QSlider *tbSpotStrength = nullptr; // "フィルターの強さ"
  // The noise panel.
  QButtonGroup *rgNoise = nullptr; // "ﾉｲｽﾞ種類"
  QSlider *tbNoise = nullptr;      // "ノイズの強さ"
  // The texture panel.
  QButtonGroup *rgTexture = nullptr; // "テクスチャー"
  QSlider *tbTexture = nullptr;      // "テクスチャーの強さ"

protected:
  void Adjust(TMDIB &dib, Progress *progress) override;
  void ResetControls() override;
  int ProgressMaximum() const override;
  bool ReadyToApply() const override;
  const char *SettingsName() const override;
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;

private:
  bool HasColour() const { return bColour != nullptr; }
  void SetColours(unsigned swatch, unsigned frame);

  LiteningMode mode_;
  unsigned frame_ = 0;
};

// The menu commands and their tool buttons: the dialog in `mode`.
void LiteningCommand(Host *main, Document *child, LiteningMode mode);
// The texture tool buttons: the texture dialog unseen with its remembered
// strength and `texture`, which it then remembers.
void TexturePresetCommand(Host *main, Document *child, int texture);
