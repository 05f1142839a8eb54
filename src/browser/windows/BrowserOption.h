// "ブラウザ設定": the browser's eight options on seven tabs. It opens on
// "ファイル操作" with the stored values; OK (or Enter) writes all eight,
// Cancel (or Esc) leaves them.
#pragma once

#include "browser/BrowserOptions.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QTabWidget;

class TfBrowserOption : public QDialog {
  Q_OBJECT
public:
  explicit TfBrowserOption(QWidget *parent = nullptr);

  // The values shown; after OK, the values written.
  BrowserOptions Options() const;

  QTabWidget *PageControl = nullptr;
  QButtonGroup *rgDelete = nullptr;      // "画像削除時"
  QButtonGroup *rgDoubleClick = nullptr; // "ダブルクリック時の動作"
  QButtonGroup *rgAutoClose = nullptr;   // "ブラウザの自動非表示"
  QButtonGroup *rgRemakeSN = nullptr;    // "サムネイルの生成方法"
  QLineEdit *edStandard = nullptr;       // "標準", read-only
  QLineEdit *edEnableFile = nullptr;     // "拡張（ＳＵＳＩＥプラグインが必要）"
  QButtonGroup *rgFullScr = nullptr;     // "全画面表示"
  QButtonGroup *rgSlideShow = nullptr;   // "スライドショウ"
  QButtonGroup *rgThumbSave = nullptr;   // "サムネイル画像の保存方法"

  void accept() override;
};
