// The colour variation "カラーバリエーション": U and V (Y stays 0) moved by
// clicks on bluish, yellow, reddish and green candidates.
#pragma once

#include "adjust/Yuv.h"

#include "adjust/dialogs/VariationDialog.h"
#include <utility>

class TColorVariationForm : public VariationDialog {
  Q_OBJECT
public:
  explicit TColorVariationForm(Host *main);

  int U = 0; // held to -50 ... 50 by the clicks
  int V = 0;

  // U and V of the setting, or of candidate 0 ... 3.
  std::pair<int, int> CandidateUV(int candidate = -1) const;

protected:
  void Render(TMDIB &dib, int candidate) override;
  void MoveBy(int candidate) override;
  void ResetValue() override { U = V = 0; }
  void Apply() override;
};
