// "一括処理": one job of the browser's batch menu over the marked images.
// The dialog shows the job, the source and output folders, the number of
// images and the job's own settings; "一括処理開始" runs the job image by
// image with the name, the counts and a progress bar kept current, and
// "一括処理中止" (or closing the window) stops it before the next image.
#pragma once

#include "browser/BatchJob.h"

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class TBrowser;

class TBatchJobForm : public QDialog {
  Q_OBJECT
public:
  // `sources` in the order they are processed; the output folder starts as
  // `sourceFolder` + "/レタッチ後".
  TBatchJobForm(int job, const QStringList &sources, const QString &sourceFolder,
                QWidget *parent = nullptr);

  int Job() const { return job_; }
  QStringList Sources() const { return sources_; }
  QString OutputFolder() const { return outputFolder_; }
  void SetOutputFolder(const QString &folder);
  bool Running() const { return running_; }
  // The settings the controls hold, with the JPEG quality and the
  // automatic corrections' thresholds of the program's settings.
  BatchSettings Settings() const;
  // What the last run ended with (Finished and nothing done before one).
  BatchResult LastResult() const { return result_; }

  // "一括処理開始": runs the job; the dialog closes after a finished or an
  // aborted run and stays open when the run could not start.
  void Run();
  // "一括処理中止": the run stops before the next image.
  void Abort();
  // "格納先変更": a folder dialog; a chosen folder becomes the output folder.
  void ChangeOutputFolder();

  QLabel *lJobName = nullptr;
  QLabel *lSourceFolder = nullptr;
  QLabel *lOutputFolder = nullptr;
  QLabel *lCount = nullptr;
  QLabel *lFileName = nullptr;  // the image in hand
  QLabel *lDone = nullptr;      // images taken in hand
  QLabel *lRemaining = nullptr; // images still to come
  QProgressBar *pbProgress = nullptr;
  QPushButton *bStart = nullptr;
  QPushButton *bAbort = nullptr;
  QPushButton *bCancel = nullptr;
  QPushButton *bChangeOutput = nullptr;

  // The settings panel: only the shown job's controls exist.
  QButtonGroup *rgRotation = nullptr; // "回転／反転の方法"
  QButtonGroup *rgSizeRule = nullptr; // "大きさの揃え方"
  QLineEdit *edHeight = nullptr;      // "縦"
  QLineEdit *edWidth = nullptr;       // "横"
  QLineEdit *edSide = nullptr;        // "長辺"
  QLineEdit *edPercent = nullptr;     // "寸法比"
  QButtonGroup *rgFormat = nullptr;   // "変換後の画像ファイル形式"
  QCheckBox *cbBlue = nullptr;
  QCheckBox *cbYellow = nullptr;
  QCheckBox *cbRed = nullptr;
  QCheckBox *cbGreen = nullptr;
  QSlider *tbColourWidth = nullptr; // "補正幅"
  QLabel *lColourWidth = nullptr;
  QButtonGroup *rgAmount = nullptr; // the gamma, saturation, brightness and contrast amounts

  // No closing while a run goes on: the run is aborted instead and the
  // dialog closes when it has stopped.
  void done(int result) override;

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  QWidget *SettingsPanel();
  void SetRunning(bool on);
  void ShowCounts(int done, const QString &fileName);
  void Finish(const BatchResult &result, const BatchSettings &settings);

  const int job_;
  const QStringList sources_;
  QString outputFolder_;
  bool running_ = false;
  bool abort_ = false;
  BatchResult result_;
  QStringList failures_; // "name：reason" of the images not written
};

// The batch menu's command: job `job` over the images marked in `browser`,
// in the grid's order. Says so when none is marked; after the dialog the
// browser's folder tree is brought up to date (an output folder may be new).
void StartBatchJob(TBrowser &browser, int job);
