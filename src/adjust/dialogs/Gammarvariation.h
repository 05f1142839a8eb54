// The tone variations (one form, four kinds): gamma, saturation,
// brightness and contrast driven by one value v, 100 meaning no change.
#pragma once

#include "adjust/Variation.h"
#include "adjust/dialogs/VariationDialog.h"

class TGammaVariationForm : public VariationDialog {
  Q_OBJECT
public:
  // kind: tvGamma, tvSaturation, tvBrightness or tvContrast.
  TGammaVariationForm(Host *main, int kind);

  const int Kind;
  int Value = 100; // v, held to 30 ... 300 by the clicks

protected:
  void Render(TMDIB &dib, int candidate) override;
  void MoveBy(int candidate) override;
  void ResetValue() override { Value = 100; }
  void Apply() override;
};
