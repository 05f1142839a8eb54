// "任意角度での回転": turns the document by any angle, positive clockwise;
// the corners take the background colour. The colour and the reference-line
// check box are remembered as "RotateEx"; the angle is not.
#pragma once

#include "effects/dialogs/DistortDialog.h"

class QCheckBox;
class QLineEdit;

class TRotateAngle : public TDistortDialog {
  Q_OBJECT
public:
  static constexpr const char *kSettings = "RotateEx";
  static constexpr int kAngleMin = -180, kAngleMax = 180;

  explicit TRotateAngle(Host *main);

  QSlider *TrackBar = nullptr;     // "回転角度", -180 ... 180
  QLineEdit *eAngle = nullptr;     // the angle text
  QCheckBox *cbLines = nullptr;    // "基準線"
  QPushButton *bMinus1 = nullptr;  // the angle - 1
  QPushButton *bPlus1 = nullptr;   // + 1
  QPushButton *bMinus01 = nullptr; // - 0.1
  QPushButton *bPlus01 = nullptr;  // + 0.1

  // The angle text as a number; text that is no number counts as 0.
  double Angle() const;
  // The four small buttons: the angle text changed by `step` and the
  // preview re-rendered, the decreasing ones only while the track bar is at
  // -179 or more, the increasing ones only while it is below 180.
  void StepAngle(double step);

protected:
  DibHandle NewPicture(IMGHANDLE source, Progress *progress) override;
  void ResetControls() override;
  const char *SettingsName() const override { return kSettings; }
  std::vector<int> SettingValues() const override;
  void RestoreSettings(const std::vector<std::optional<int>> &stored) override;
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  void TrackBarChange(int position);
  // Re-renders, then sets the track bar to the angle's whole-number part
  // (without writing the angle text again).
  void Render();
  bool syncing_ = false;
};

// "任意角度の回転(&E)": full colour only.
void RotateAngleCommand(Host *main, Document *child);
