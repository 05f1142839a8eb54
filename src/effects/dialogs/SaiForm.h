// "絵画・イラスト調画像作成": the painting window. Nine pages, each a way of
// turning the photograph into a painting or a line drawing with its own
// controls and its own "作画実行" button; the result opens as a new
// document and the source stays as it was. The window is modeless, stays
// above the main window and is kept once made.
#pragma once

#include "effects/Painting.h"
#include "forms/Host.h"

#include <QDialog>

#include <array>
#include <functional>

class Document;
class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

class TSaiForm : public QDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "Sai";
  static constexpr int kPageCount = 9;

  explicit TSaiForm(Host *main);
  ~TSaiForm() override;

  // The pages in order: methods 1 ... 8, then the line drawing.
  static PaintMethod MethodOfPage(int page);

  // Takes a copy of the document's picture as the source of every run until
  // the next one.
  void SetSource(const Document *child);
  IMGHANDLE Source() const { return source_.get(); }

  // The controls of one page. Controls a page does not have are null.
  struct Page {
    QWidget *page = nullptr;
    QSlider *brush = nullptr;  // "筆使い"
    QSlider *colour = nullptr; // "色使い"
    QSlider *black = nullptr;  // "黒ベタの強さ"
    QSlider *relief = nullptr; // "凹凸"
    QSlider *edge = nullptr;   // "輪郭抽出"
    QButtonGroup *pen = nullptr;
    QPushButton *draw = nullptr; // "作画実行"
    QWidget *progress = nullptr; // the step panel, hidden when idle
    QLabel *stepText = nullptr;  // "全 N 工程中  完了"
    QLabel *counter = nullptr;   // the last finished step
  };
  const Page &PageAt(int page) const { return pages_[page]; }
  QTabWidget *Tabs() const { return tabs_; }

  // What a page's run uses: its controls (methods 7 and 8 take the relief of
  // method 6).
  PaintControls ControlsOf(int page) const;

  // "作画実行" of a page: the chain on the source, the counter updated after
  // each step, the result as a new document. A failed step shows the
  // out-of-memory message and makes no document.
  void Draw(int page);

  // The brushwork handler of method 1, shared by the brushwork and relief
  // bars of methods 4 to 6: the black-fill bar of method 1 set to
  // 5 x brushwork of method 1 - 20, held within its range.
  void BrushChange();

  // The settings record: 34 numbers, the window's top and left last.
  void ReadSettings();
  void WriteSettings() const;

  // Told each finished step before the counter shows it; returning false
  // makes the step fail (for tests).
  std::function<bool(int step)> stepCheck;

protected:
  void showEvent(QShowEvent *event) override; // FormShow
  // Every way of closing ends here ("終  了", the title bar, Esc): the
  // record written, the window hidden.
  void done(int result) override;

private:
  void BuildPage(int page);
  Host *main_;
  QTabWidget *tabs_ = nullptr;
  std::array<Page, kPageCount> pages_{};
  DibHandle source_;
};

// "絵画・イラスト調画像の作成(&S)": a copy of the document's picture as the
// source, and the window (made on first use) shown.
void SaiCommand(Host *main, Document *child);
// The window once made (null before).
TSaiForm *SaiWindow();
