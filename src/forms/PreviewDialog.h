// The adjustment dialog pattern, written once: a modal dialog with its
// controls on the left and a live preview of the document's reduced copy in
// a 100 x 100 frame; OK applies the adjustment to the whole document image
// with one edit-history entry (none when run automatically).
//
// A dialog supplies its controls and one of three kinds of work:
// - own-code adjustments override Adjust(), a pixel routine over a TMDIB
//   that the preview and OK both run;
// - kit adjustments override KitAdjust(), a kit call changing a handle in
//   place, and KitMessage(), the progress text of OK;
// - effects that make a new picture (of any size) override NewPicture().
// The frame is 100 x 100 unless the dialog asks for another side; the shown
// preview is centred in it.
#pragma once

#include "image/DibHandle.h"
#include "image/Progress.h"

#include "forms/DocumentDialog.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QBoxLayout;
class QButtonGroup;
class QLabel;
class QSlider;
class TMDIB;
class Document;
class Host;

class PreviewDialog : public DocumentDialog {
  Q_OBJECT
public:
  // `frame` is the top-left of the preview frame in the client area ((288, 8)
  // for most dialogs), `frameSide` its width and height.
  PreviewDialog(Host *main, const QString &caption, QPoint frame = QPoint(288, 8),
                int frameSide = kFrameSide);
  static constexpr int kFrameSide = 100;
  ~PreviewDialog() override;

  // Stores the document window, makes the preview source (by default a copy
  // of the document's preview) and a shown copy of it, converts the shown
  // one for a 256-colour display, sets the controls to their defaults. Does
  // not recompute: at the defaults both are equal.
  virtual void Prepare(Document *child);

  // OK: applies to the document and closes. Also what the one-click tool
  // buttons and the automatic corrections run without showing the dialog.
  void bOKClick();
  void bCancelClick();
  // Every control back to its default, preview recomputed.
  void bResetClick();

  // When set, OK records no edit-history entry: the caller did.
  bool automatic = false;

  // For tests and callers.
  IMGHANDLE ShownPreview() const { return shown_.get(); }
  IMGHANDLE SourcePreview() const { return source_.get(); }
  QPoint PreviewOrigin() const { return origin_; }
  // Where the shown preview lies, and the frame around it.
  QRect PreviewRect() const;
  QRect FrameRect() const;

  // The value text of a track bar: its position, a blank and "%".
  static QString ValueText(int position);

  // Recomputes the shown preview from the source with the current controls.
  void Recompute();

protected:
  // Own-code adjustment: changes the attached image in place, one progress
  // step per row.
  virtual void Adjust(TMDIB &dib, Progress *progress);
  // Kit adjustment: changes `image` in place through the kit.
  virtual bool IsKitAdjustment() const { return false; }
  virtual void KitAdjust(IMGHANDLE image, const char *caption, const char *message);
  virtual QString KitMessage() const { return {}; }
  // New-picture effect: a new picture from `source`, which stays as it is;
  // empty when it cannot be made (OK then tells of too little memory and
  // leaves the document alone). Progress only while the wait window shows.
  virtual bool MakesNewPicture() const { return false; }
  virtual DibHandle NewPicture(IMGHANDLE source, Progress *progress);
  // The picture the preview starts from; by default a copy of the
  // document's reduced preview copy.
  virtual DibHandle MakePreviewSource(Document *child);
  // Sets every control to its default (without recomputing).
  virtual void ResetControls() = 0;
  // Range of the wait window's progress bar on OK.
  virtual int ProgressMaximum() const;
  // The gamma dialog shows the wait window itself even when it is up.
  virtual bool AlwaysOwnsWaitWindow() const { return false; }
  // True while control changes must not recompute the preview (the RGB
  // dialog driven automatically, which is never shown).
  virtual bool PreviewFrozen() const { return false; }
  // False while OK must do nothing (a radio group without a choice).
  virtual bool ReadyToApply() const { return true; }
  // Called after the document changed on OK (the hue dialog stores its
  // settings here, for example).
  virtual void Applied() {}

  // Builders of the standard controls, laid out in ControlsLayout().
  // The track bar's change recomputes the preview and rewrites its text.
  QSlider *AddTrackBar(const QString &label, int minimum, int maximum, int position,
                       const QString &leftEnd = {}, const QString &rightEnd = {});
  void SetTrackBar(QSlider *bar, int position); // without recomputing
  void RefreshValueTexts();
  // A titled radio group (ids 0, 1, ... in order); choosing a button
  // recomputes the preview.
  QButtonGroup *AddRadioChoice(const QString &name, const QString &title, const QStringList &items,
                               int columns = 1);
  // Checks button `index` without recomputing; an index outside the group
  // leaves the choice as it is.
  void SetRadio(QButtonGroup *group, int index);
  // The dialog's own rules (enabling, exclusions), run on every control
  // change before the preview is recomputed.
  virtual void ControlsChanged() {}

  // Remembered settings. A dialog that names its record gets the values of
  // SettingValues() stored there after every OK, and the stored ones (field
  // by field; a missing or non-numeric field is empty) handed to
  // RestoreSettings() when it is prepared, over its defaults.
  virtual const char *SettingsName() const { return nullptr; }
  virtual std::vector<int> SettingValues() const { return {}; }
  virtual void RestoreSettings(const std::vector<std::optional<int>> &) {}
  QBoxLayout *ControlsLayout() const { return controls_; }

  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  void ConvertForDisplay();
  void PlacePreview();
  void ApplyOwn(Progress *progress);
  void ApplyKit();
  void ApplyNew();

  DibHandle source_;
  DibHandle shown_;
  QPoint frame_;
  int frameSide_;
  QPoint origin_;
  QBoxLayout *controls_ = nullptr;
  struct Bar {
    QSlider *slider;
    QLabel *value;
  };
  std::vector<Bar> bars_;
  bool recomputing_ = true; // off until Prepare
};

// True when `child` holds a picture. Which kinds a command takes is its
// command row's rule.
bool CanAdjust(const Document *child);
// Brings the main window back to the front after a dialog.
void RaiseMain(Host *main);

// A preview dialog as the commands run it: nothing without a fitting
// document; else prepared with the document, shown modally and destroyed.
template <class Form, class... Args>
void RunPreviewCommand(Host *main, Document *child, Args... args) {
  if (!CanAdjust(child)) return;
  {
    Form dialog(main, args...);
    dialog.Prepare(child);
    dialog.exec();
  }
  RaiseMain(main);
}

// A preview dialog run unseen: prepared (with its remembered settings),
// `setup` applied to it, then its OK.
template <class Form, class Setup> void ApplyUnseen(Host *main, Document *child, Setup setup) {
  if (!CanAdjust(child)) return;
  {
    Form dialog(main);
    dialog.Prepare(child);
    setup(dialog);
    dialog.bOKClick();
  }
  RaiseMain(main);
}
