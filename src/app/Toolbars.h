// The two speed-button rows of the main window: their entries in the order
// of the customisation lists, the order they stand in from left to right,
// which of them are shown (a flag per entry, kept in the records
// "ToolBar1" and "ToolBar2"), the three presets, and the customisation
// dialog "ツールバーのカスタマイズ".
#pragma once

#include "app/Icons.h"

#include <QDialog>

#include <array>
#include <span>
#include <vector>

class QListWidget;
class TMainForm;

struct SpeedButtonEntry {
  const char *name;
  const char *text;             // list text, also the tooltip
  void (TMainForm::*handler)(); // null: a button of an area command (ToolButtonClick)
  const char *glyph;
  Glyph group;
  const char *presets;        // shown ("1") or not in the presets for 1024, 800 and 640
  const char *hint = nullptr; // a hint of its own ("tooltip|status"), when it has one
};

constexpr int kToolbarRows = 2;

// Row 0 (53 entries) or row 1 (47 entries), in entry order.
std::span<const SpeedButtonEntry> SpeedButtonRow(int row);
// The entries of a row from left to right: row 0 takes 0 ... 49, then 52,
// 50, 51; row 1 takes 0 ... 5, then 46, then 6 ... 45.
std::vector<int> ToolbarLayoutOrder(int row);

enum ToolbarPreset { kPreset1024, kPreset800, kPreset640 };

// One flag per entry of each row: 1 shown, anything else hidden.
using ToolbarFlags = std::array<std::vector<int>, kToolbarRows>;

ToolbarFlags PresetFlags(ToolbarPreset preset);
// The stored flags; a row without a record (or with an empty one) takes
// the "1024推奨" preset.
ToolbarFlags LoadToolbarFlags();
void StoreToolbarFlags(const ToolbarFlags &flags);

// The flags of this run: loaded at start, changed by the dialog.
extern ToolbarFlags CurrentToolbarFlags;

class TTBar : public QDialog {
  Q_OBJECT
public:
  explicit TTBar(TMainForm *main);

  // The lists checked from the flags of this run, after loading them.
  void FormShow();
  // A preset's flags into the flags of this run and the lists; nothing is
  // laid out or stored yet.
  void PresetClick(ToolbarPreset preset);
  // The lists' check marks become the flags; both records stored, both
  // rows laid out.
  void bOKClick();

  std::array<QListWidget *, kToolbarRows> CheckListBox{};

private:
  void CheckFromFlags();
  TMainForm *main_;
};
