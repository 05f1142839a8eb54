#include "adjust/dialogs/Formrgb.h"

#include "adjust/Sepia.h"
#include "forms/Document.h"
#include "image/Dib.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSlider>

TRGB_Form::TRGB_Form(Host *main) : PreviewDialog(main, QStringLiteral("ＲＧＢ補正")) {
  setObjectName(QStringLiteral("RGB_Form"));
  TrackBarR = AddTrackBar(QStringLiteral("赤"), kRgbMin, kRgbMax, 0, QStringLiteral("シアン"),
                          QStringLiteral("赤"));
  TrackBarG = AddTrackBar(QStringLiteral("緑"), kRgbMin, kRgbMax, 0, QStringLiteral("マゼンタ"),
                          QStringLiteral("緑"));
  TrackBarB = AddTrackBar(QStringLiteral("青"), kRgbMin, kRgbMax, 0, QStringLiteral("黄"),
                          QStringLiteral("青"));
  TrackBarR->setObjectName(QStringLiteral("TrackBarR"));
  TrackBarG->setObjectName(QStringLiteral("TrackBarG"));
  TrackBarB->setObjectName(QStringLiteral("TrackBarB"));

  auto *box = new QGroupBox(QStringLiteral("輝度の保存"));
  box->setObjectName(QStringLiteral("rgKido"));
  auto *row = new QHBoxLayout(box);
  rgKido = new QButtonGroup(box);
  auto *off = new QRadioButton(QStringLiteral("しない"));
  auto *on = new QRadioButton(QStringLiteral("する"));
  rgKido->addButton(off, 0);
  rgKido->addButton(on, 1);
  row->addWidget(off);
  row->addWidget(on);
  on->setChecked(true);
  ControlsLayout()->addWidget(box);
  connect(rgKido, &QButtonGroup::idClicked, this, [this] { Recompute(); });
}

bool TRGB_Form::KeepsLuminance() const { return rgKido->checkedId() == 1; }

void TRGB_Form::SetKeepLuminance(bool on) { rgKido->button(on ? 1 : 0)->setChecked(true); }

void TRGB_Form::SetBalance(int red, int green, int blue) {
  SetTrackBar(TrackBarR, red);
  SetTrackBar(TrackBarG, green);
  SetTrackBar(TrackBarB, blue);
  RefreshValueTexts();
  Recompute();
}

ChannelOffsets TRGB_Form::Offsets() const {
  const int r = TrackBarR->value(), g = TrackBarG->value(), b = TrackBarB->value();
  return KeepsLuminance() ? KeepLuminance(r, g, b) : ChannelOffsets{r, g, b};
}

void TRGB_Form::KitAdjust(IMGHANDLE image, const char *, const char *) {
  TMDIB dib(image);
  RgbBalance(dib, TrackBarR->value(), TrackBarG->value(), TrackBarB->value(), KeepsLuminance());
}

void TRGB_Form::ResetControls() {
  SetTrackBar(TrackBarR, 0);
  SetTrackBar(TrackBarG, 0);
  SetTrackBar(TrackBarB, 0);
}

bool TRGB_Form::SepiaTint(Document *child) {
  if (!child || !child->Picture()) return false;
  automatic = true;
  child_ = child;
  SetTrackBar(TrackBarR, kSepiaRed);
  SetTrackBar(TrackBarG, kSepiaGreen);
  SetTrackBar(TrackBarB, kSepiaBlue);
  RefreshValueTexts();
  SetKeepLuminance(true);
  // The tint is applied as set: keeping the luminance would cancel it.
  if (!Kit.ImgKitRGB(child->Picture().get(), "", "", kSepiaRed, kSepiaGreen, kSepiaBlue))
    return false;
  child->Commit();
  return true;
}
