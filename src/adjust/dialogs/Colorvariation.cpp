#include "adjust/dialogs/Colorvariation.h"

#include "forms/Document.h"
#include "image/Dib.h"

#include <algorithm>

namespace {
// "青み" U + s, "黄色" U - s, "赤み" V + s, "緑" V - s.
struct Move {
  int u, v;
};
constexpr std::array<Move, VariationDialog::kCandidates> kMoves = {
    {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
} // namespace

TColorVariationForm::TColorVariationForm(Host *main)
    : VariationDialog(main, QStringLiteral("カラーバリエーション"), 16, 8,
                      {QStringLiteral("青み"), QStringLiteral("黄色"), QStringLiteral("赤み"),
                       QStringLiteral("緑")}) {
  setObjectName(QStringLiteral("ColorVariationForm"));
}

std::pair<int, int> TColorVariationForm::CandidateUV(int candidate) const {
  if (candidate < 0 || candidate >= kCandidates) return {U, V};
  const Move m = kMoves[static_cast<size_t>(candidate)];
  return {U + m.u * Step(), V + m.v * Step()};
}

void TColorVariationForm::Render(TMDIB &dib, int candidate) {
  const auto [u, v] = CandidateUV(candidate);
  YuvBalance(dib, 0, u, v);
}

void TColorVariationForm::MoveBy(int candidate) {
  const Move m = kMoves[static_cast<size_t>(candidate)];
  U = std::clamp(U + m.u * Step(), -50, 50);
  V = std::clamp(V + m.v * Step(), -50, 50);
}

void TColorVariationForm::Apply() {
  child_->RecordUndo();
  TMDIB dib(child_->Picture().get());
  YuvBalance(dib, 0, U, V);
  child_->Commit();
}
