#include "adjust/dialogs/Gammarvariation.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"

namespace {
// Candidates "－－", "－", "＋", "＋＋" as multiples of 4 x step.
constexpr std::array<int, VariationDialog::kCandidates> kMoves = {-2, -1, 1, 2};

QString CaptionOf(int kind) {
  switch (kind) {
  case tvSaturation: return QStringLiteral("彩度バリエーション");
  case tvBrightness: return QStringLiteral("輝度バリエーション");
  case tvContrast: return QStringLiteral("コントラストバリエーション");
  default: return QStringLiteral("ガンマバリエーション");
  }
}
} // namespace

TGammaVariationForm::TGammaVariationForm(Host *main, int kind)
    : VariationDialog(main, CaptionOf(kind), 5, 3,
                      {QStringLiteral("－－"), QStringLiteral("－"), QStringLiteral("＋"),
                       QStringLiteral("＋＋")}),
      Kind(kind) {
  setObjectName(QStringLiteral("GammaVariationForm"));
}

void TGammaVariationForm::Render(TMDIB &dib, int candidate) {
  const int steps = candidate < 0 ? 0 : kMoves[static_cast<size_t>(candidate)];
  ToneVariationPreview(dib, Kind, Value, steps, Step());
}

void TGammaVariationForm::MoveBy(int candidate) {
  Value = VariationClick(Value, kMoves[static_cast<size_t>(candidate)], Step());
}

void TGammaVariationForm::Apply() {
  TfWaitMess *wait = main_ ? main_->WaitWindow() : nullptr;
  if (wait) wait->Begin(child_->Height());
  child_->RecordUndo();
  {
    TMDIB dib(child_->Picture().get());
    ToneVariationApply(dib, Kind, Value, wait);
  }
  child_->Commit();
  if (wait) wait->End();
}
