#include "app/Toolbars.h"

#include "app/MainForm.h"
#include "forms/Widgets.h"
#include "platform/Settings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <numeric>

ToolbarFlags CurrentToolbarFlags;

namespace {

const char *const kRecords[kToolbarRows] = {"ToolBar1", "ToolBar2"};

// clang-format off
// First row in entry order (the customisation list's order).
const SpeedButtonEntry kRow1Entries[] = {
    {"SpeedButton1", "イメージブラウザのＯＮ／ＯＦＦ", &TMainForm::mBrowseClick, "閲", Glyph::File, "111"},
    {"SpeedButton12", "新規画像作成（色付台紙）", &TMainForm::FileNewItemClick, "新", Glyph::File, "110"},
    {"SpeedButton13", "新規文字画像作成", &TMainForm::TextImgClick, "字", Glyph::File, "100"},
    {"OpenBtn", "画像ファイルを開く", &TMainForm::FileOpenItemClick, "開", Glyph::File, "111"},
    {"SpeedButton18", "画像ファイルから読込直し", &TMainForm::mReloadClick, "再", Glyph::File, "100"},
    {"bClose", "画像を閉じる", &TMainForm::FileCloseItemClick, "閉", Glyph::File, "100"},
    {"SaveBtn", "ファイルへ上書保存", &TMainForm::FileSaveItemClick, "保", Glyph::File, "111"},
    {"SpeedButton19", "名前を付けてファイル保存", &TMainForm::FileSaveAsItemClick, "名",
     Glyph::File, "100"},
    {"SpeedButton47", "TWAIN 機器の選択", &TMainForm::mTSelectClick, "選", Glyph::Scan, "000"},
    {"SpeedButton48", "TWAIN からの複数画像一括入力", &TMainForm::mMScanClick, "複", Glyph::Scan, "000"},
    {"SpeedButton10", "TWAIN からの単一画像の入力", &TMainForm::mSScanClick, "取", Glyph::Scan, "000"},
    {"tb31", "印刷", &TMainForm::mPrintClick, "印", Glyph::File, "110"},
    {"CutBtn", "切取ってクリップボードへ", &TMainForm::CutItemClick, "切", Glyph::Edit, "111"},
    {"CopyBtn", "クリップボードへコピー", &TMainForm::CopyItemClick, "写", Glyph::Edit, "111"},
    {"PasteBtn", "新規画像として貼り付け", &TMainForm::PasteItemClick, "貼", Glyph::Edit, "111"},
    {"sbGousei", "合成貼り付け", &TMainForm::mGouseiClick, "合", Glyph::Edit, "111"},
    {"SpeedButton21", "クリップボードをクリヤ", &TMainForm::mClearClipboardClick, "消",
     Glyph::Edit, "000"},
    {"sUndo", "元に戻す", &TMainForm::Undo1Click, "戻", Glyph::Edit, "111"},
    {"SpeedButton20", "「元に戻す」バッファをクリヤ", &TMainForm::mClearUndoClick, "履",
     Glyph::Edit, "000"},
    {"sbZoomOut", "ズームアウト", &TMainForm::sbZoomOutClick, "－", Glyph::View, "111"},
    {"sbZoomIn", "ズームイン", &TMainForm::sbZoomInClick, "＋", Glyph::View, "111"},
    {"SpeedButton16", "前の画像を表示", &TMainForm::SpeedButton16Click, "←", Glyph::View, "110"},
    {"SpeedButton17", "次の画像を表示", &TMainForm::SpeedButton17Click, "→", Glyph::View, "110"},
    {"sbFull", "全画面表示", &TMainForm::DispStrechClick, "全", Glyph::View, "111"},
    {"bPreviewArea", "プレビュー領域指定", &TMainForm::bPreviewAreaClick, "枠", Glyph::View, "111"},
    {"sbAuto1", "輝度・コントラスト自動補正", nullptr, "A1", Glyph::Auto, "111"},
    {"sbAuto2", "輝度・コントラスト・カラーバランス自動補正", nullptr, "A2", Glyph::Auto, "111"},
    {"tb17", "ノイズ取り名人１", nullptr, "NA", Glyph::Auto, "110"},
    {"SpeedButton27", "ノイズ取り名人２", nullptr, "NB", Glyph::Auto, "110"},
    {"sbGamma", "ガンマ補正（バリエーション）", nullptr, "γ", Glyph::Variation, "111"},
    {"SpeedButton33", "ガンマ補正（トラックバー調整）", nullptr, "γ", Glyph::Adjust, "000"},
    {"sbYUV", "色調整（バリエーション）", nullptr, "色", Glyph::Variation, "111"},
    {"SpeedButton28", "色調整（RGB)", nullptr, "RGB", Glyph::Adjust, "000"},
    {"SpeedButton29", "色調整（UYV)", nullptr, "YUV", Glyph::Adjust, "000"},
    {"SpeedButton5", "輝度調整（バリエーション）", nullptr, "輝", Glyph::Variation, "111"},
    {"SpeedButton30", "輝度調整（トラックバー調整）", nullptr, "輝", Glyph::Adjust, "000"},
    {"SpeedButton6", "コントラスト調整（バリエーション）", nullptr, "コ", Glyph::Variation, "111"},
    {"SpeedButton31", "コントラスト調整（トラックバー調整）", nullptr, "コ", Glyph::Adjust, "000"},
    {"SpeedButton7", "彩度調整（バリエーション）", nullptr, "彩", Glyph::Variation, "111"},
    {"SpeedButton32", "彩度調整（トラックバー調整）", nullptr, "彩", Glyph::Adjust, "000"},
    {"sbHistFunc", "ヒストグラムによる明るさ調整", nullptr, "ヒ", Glyph::Adjust, "111"},
    {"sbHist", "ヒストグラムの表示", nullptr, "ヒ", Glyph::View, "000"},
    {"SpeedButton2", "通常法による拡大縮小", nullptr, "拡", Glyph::Size, "111"},
    {"SpeedButton3", "高画質縮小", nullptr, "縮", Glyph::Size, "111"},
    {"SpeedButton4", "高画質拡大", nullptr, "大", Glyph::Size, "111"},
    {"SpeedButton25", "切取り", nullptr, "切", Glyph::Size, "100"},
    {"SpeedButton8", "ソフト化", nullptr, "ソ", Glyph::Filter, "100"},
    {"SpeedButton9", "シャープ化", nullptr, "シ", Glyph::Filter, "100"},
    {"tb16", "ノイズ除去（メディアンフィルター）", nullptr, "ノ", Glyph::Filter, "100"},
    {"SpeedButton14", "文字入れ", nullptr, "文", Glyph::Effect, "111"},
    {"sbGuide", "ガイダンス画面へ", &TMainForm::mBeginnerClick, "案", Glyph::Mode, "110"},
    {"sbTool", "２行目のツールバー表示ＯＮ／ＦＦ", &TMainForm::sbToolClick, "２", Glyph::Mode, "000"},
    {"btnSai", "絵画・イラスト作成", nullptr, "絵", Glyph::Effect, "111"},
};

// Second row in entry order.
const SpeedButtonEntry kRow2Entries[] = {
    {"tb01", "反時計周りに９０度回転", nullptr, "左", Glyph::Rotate, "111"},
    {"tb02", "時計周りに９０度回転", nullptr, "右", Glyph::Rotate, "111"},
    {"tb03", "１８０度回転", nullptr, "180", Glyph::Rotate, "111"},
    {"tb04", "左右反転", nullptr, "左右", Glyph::Rotate, "111"},
    {"tb05", "上下反転", nullptr, "上下", Glyph::Rotate, "111"},
    {"SpeedButton24", "任意角度の回転", nullptr, "角", Glyph::Rotate, "111"},
    {"tb06", "ガンマを下げる", nullptr, "γ-", Glyph::OneClick, "111"},
    {"tb07", "ガンマを上げる", nullptr, "γ+", Glyph::OneClick, "111"},
    {"tb08", "輝度を下げる", nullptr, "輝-", Glyph::OneClick, "111"},
    {"tb09", "輝度を上げる", nullptr, "輝+", Glyph::OneClick, "111"},
    {"tb10", "コントラストを下げる", nullptr, "コ-", Glyph::OneClick, "111"},
    {"tb11", "コントラストを上げる", nullptr, "コ+", Glyph::OneClick, "111"},
    {"tb12", "彩度を下げる", nullptr, "彩-", Glyph::OneClick, "111"},
    {"tb13", "彩度を上げる", nullptr, "彩+", Glyph::OneClick, "111"},
    {"SpeedButton34", "減色処理", nullptr, "減", Glyph::Depth, "100"},
    {"SpeedButton35", "パレット色数を増やす", nullptr, "増", Glyph::Depth, "100"},
    {"tb14", "フルカラーへ変換", nullptr, "24", Glyph::Depth, "111"},
    {"tb15", "２５６色へ変換", nullptr, "256", Glyph::Depth, "110"},
    {"SpeedButton22", "モノクロ画像へ", nullptr, "灰", Glyph::Adjust, "100"},
    {"SpeedButton26", "セピア色画像へ", nullptr, "セ", Glyph::Adjust, "100"},
    {"SpeedButton23", "色反転", nullptr, "反", Glyph::Adjust, "000"},
    {"tb32", "色相の変更", nullptr, "相", Glyph::Adjust, "111"},
    {"tb18", "ソフトスポット", nullptr, "ソ", Glyph::Effect, "111"},
    {"tb19", "ホワイトスポット", nullptr, "白", Glyph::Effect, "110"},
    {"SpeedButton36", "ダストスポット", nullptr, "塵", Glyph::Effect, "000"},
    {"tb20", "照明効果", nullptr, "照", Glyph::Effect, "111"},
    {"tb21", "特定色の強調", nullptr, "強", Glyph::Effect, "110"},
    {"SpeedButton37", "ノイズ付与", nullptr, "粒", Glyph::Effect, "000"},
    {"tb22", "半透明矩形枠", nullptr, "□", Glyph::Frame, "111"},
    {"tb23", "半透明楕円枠", nullptr, "○", Glyph::Frame, "110"},
    {"tb24", "フェイドアウト枠", nullptr, "霞", Glyph::Frame, "110"},
    {"tb25", "立体枠", nullptr, "立", Glyph::Frame, "110"},
    {"SpeedButton38", "波型枠", nullptr, "波", Glyph::Frame, "110"},
    {"SpeedButton39", "テクスチャー効果", nullptr, "質", Glyph::Effect, "000"},
    {"tb26", "テクスチャー効果（布調）", nullptr, "布", Glyph::Effect, "111", "布調のテクスチャー化|"},
    {"tb27", "テクスチャー効果（絹目調）", nullptr, "絹", Glyph::Effect, "111",
     "絹目調のテクスチャー化|"},
    {"SpeedButton40", "モザイク", nullptr, "モ", Glyph::Special, "000"},
    {"SpeedButton41", "エンボス", nullptr, "エ", Glyph::Special, "000"},
    {"SpeedButton42", "輪郭抽出１", nullptr, "輪", Glyph::Special, "000"},
    {"SpeedButton43", "輪郭抽出２", nullptr, "郭", Glyph::Special, "000"},
    {"SpeedButton44", "波紋調", nullptr, "紋", Glyph::Special, "100"},
    {"SpeedButton45", "渦巻き", nullptr, "渦", Glyph::Special, "100"},
    {"SpeedButton46", "透かしガラス調", nullptr, "硝", Glyph::Special, "100"},
    {"tb28", "壁紙（中央）へ保存", &TMainForm::mCenterClick, "壁", Glyph::Wall, "111"},
    {"tb29", "壁紙（タイル）へ保存", &TMainForm::mCenterClick, "タ", Glyph::Wall, "111"},
    {"tb30", "壁紙を読込む", &TMainForm::mWallOpenClick, "読", Glyph::Wall, "111"},
    {"SpeedButton49", "外枠の作成", nullptr, "外", Glyph::Frame, "100"},
};

// clang-format on

QString Text(const char *s) { return QString::fromUtf8(s); }

} // namespace

std::span<const SpeedButtonEntry> SpeedButtonRow(int row) {
  if (row == 0) return kRow1Entries;
  return kRow2Entries;
}

std::vector<int> ToolbarLayoutOrder(int row) {
  std::vector<int> order;
  if (row == 0) {
    order.resize(50);
    std::iota(order.begin(), order.end(), 0);
    order.insert(order.end(), {52, 50, 51});
  } else {
    order = {0, 1, 2, 3, 4, 5, 46};
    for (int i = 6; i <= 45; ++i)
      order.push_back(i);
  }
  return order;
}

ToolbarFlags PresetFlags(ToolbarPreset preset) {
  ToolbarFlags flags;
  for (int row = 0; row < kToolbarRows; ++row)
    for (const SpeedButtonEntry &e : SpeedButtonRow(row))
      flags[row].push_back(e.presets[preset] == '1' ? 1 : 0);
  return flags;
}

ToolbarFlags LoadToolbarFlags() {
  ToolbarFlags flags = PresetFlags(kPreset1024);
  for (int row = 0; row < kToolbarRows; ++row) {
    CResumeDialog record;
    if (record.Load(QLatin1String(kRecords[row])) != 0) continue;
    for (size_t i = 0; i < flags[row].size(); ++i)
      flags[row][i] = record.GetInt(int(i));
  }
  return flags;
}

void StoreToolbarFlags(const ToolbarFlags &flags) {
  for (int row = 0; row < kToolbarRows; ++row) {
    CResumeDialog record;
    for (int flag : flags[row])
      record.AddInt(flag);
    record.Save(QLatin1String(kRecords[row]));
  }
}

TTBar::TTBar(TMainForm *main) : QDialog(main, Qt::Tool), main_(main) {
  setObjectName(QStringLiteral("TBar"));
  setWindowTitle(QStringLiteral("ツールバーのカスタマイズ"));
  setModal(true);
  auto *outer = new QVBoxLayout(this);
  auto *lists = new QGridLayout;
  for (int row = 0; row < kToolbarRows; ++row) {
    lists->addWidget(
        new QLabel(row == 0 ? QStringLiteral("１行目") : QStringLiteral("２行目"), this), 0, row);
    auto *list = new QListWidget(this);
    list->setObjectName(QStringLiteral("CheckListBox%1").arg(row + 1));
    for (const SpeedButtonEntry &e : SpeedButtonRow(row)) {
      auto *item = new QListWidgetItem(Text(e.text), list);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
    list->setMinimumSize(300, 380);
    lists->addWidget(list, 1, row);
    CheckListBox[size_t(row)] = list;
  }
  outer->addLayout(lists);
  auto *buttons = new QHBoxLayout;
  const struct {
    const char *name, *caption;
    ToolbarPreset preset;
  } presets[] = {{"b1024", "1024推奨", kPreset1024},
                 {"b800", "800推奨", kPreset800},
                 {"b640", "640推奨", kPreset640}};
  for (const auto &p : presets) {
    auto *b = new QPushButton(Text(p.caption), this);
    b->setObjectName(Text(p.name));
    b->setAutoDefault(false);
    const ToolbarPreset preset = p.preset;
    connect(b, &QPushButton::clicked, this, [this, preset] { PresetClick(preset); });
    buttons->addWidget(b);
  }
  buttons->addStretch();
  outer->addLayout(buttons);
  QPushButton *ok = AddOkCancel(this, outer, QStringLiteral("ＯＫ"));
  connect(ok, &QPushButton::clicked, this, &TTBar::bOKClick);
  FormShow();
}

void TTBar::CheckFromFlags() {
  for (int row = 0; row < kToolbarRows; ++row) {
    QListWidget *list = CheckListBox[size_t(row)];
    for (int i = 0; i < list->count(); ++i)
      list->item(i)->setCheckState(
          CurrentToolbarFlags[size_t(row)][size_t(i)] == 1 ? Qt::Checked : Qt::Unchecked);
  }
}

void TTBar::FormShow() {
  CurrentToolbarFlags = LoadToolbarFlags();
  CheckFromFlags();
}

void TTBar::PresetClick(ToolbarPreset preset) {
  CurrentToolbarFlags = PresetFlags(preset);
  CheckFromFlags();
}

void TTBar::bOKClick() {
  for (int row = 0; row < kToolbarRows; ++row) {
    QListWidget *list = CheckListBox[size_t(row)];
    for (int i = 0; i < list->count(); ++i)
      CurrentToolbarFlags[size_t(row)][size_t(i)] =
          list->item(i)->checkState() == Qt::Checked ? 1 : 0;
  }
  StoreToolbarFlags(CurrentToolbarFlags);
  if (main_) main_->ApplyToolbarLayout();
  accept();
}
