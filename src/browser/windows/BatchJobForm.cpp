#include "browser/windows/BatchJobForm.h"

#include "browser/windows/Fbrowser.h"
#include "forms/Widgets.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kCaption = QStringLiteral("VELMIR");

// The paths are shown in this width, shortened in the middle when longer.
constexpr int kPathWidth = 360;
// At most this many failed images are named in the closing message.
constexpr int kFailuresNamed = 10;

QString Text(const char *s) { return QString::fromUtf8(s); }

template <size_t N> QStringList Texts(const char *const (&items)[N]) {
  QStringList list;
  for (const char *item : items)
    list << Text(item);
  return list;
}

struct AmountPanel {
  int job;
  const char *title;
  const char *items[4]; // ++, +, -, --
};

// The four jobs that only choose an amount.
const AmountPanel kAmountPanels[] = {
    {bjGamma,
     "ガンマ補正量",
     {"＋＋ （もっと明るく）", "＋   （明るく）", "－   （暗く）", "－－ （もっと暗く）"}},
    {bjSaturation,
     "彩度調整量",
     {"＋＋ （もっと鮮やかに）", "＋   （鮮やかに）", "－   （くすませる）",
      "－－ （もっとくすませる）"}},
    {bjBrightness,
     "輝度調整量",
     {"＋＋ （もっと明るく）", "＋   （明るく）", "－   （暗く）", "－－ （もっと暗く）"}},
    {bjContrast,
     "コントラスト調整量",
     {"＋＋ （もっとくっきり）", "＋   （くっきり）", "－   （ぼんやり）",
      "－－ （もっとぼんやり）"}},
};

void Check(QButtonGroup *group, int index) {
  if (QAbstractButton *b = group->button(index)) b->setChecked(true);
}

int Chosen(const QButtonGroup *group, int fallback) {
  return group && group->checkedId() >= 0 ? group->checkedId() : fallback;
}

int Number(const QLineEdit *edit) { return edit ? SettingNumber(edit->text()) : 0; }

void ShowPath(QLabel *label, const QString &path) {
  const QString shown = QDir::toNativeSeparators(path);
  label->setText(label->fontMetrics().elidedText(shown, Qt::ElideMiddle, kPathWidth));
  label->setToolTip(shown);
}

// The nearest folder that exists, for the folder dialog to open in.
QString ExistingFolder(QString folder) {
  while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
    const QString up = QFileInfo(folder).path();
    if (up == folder) break;
    folder = up;
  }
  return folder;
}

} // namespace

TBatchJobForm::TBatchJobForm(int job, const QStringList &sources, const QString &sourceFolder,
                             QWidget *parent)
    : QDialog(parent), job_(std::clamp(job, 0, kBatchJobCount - 1)), sources_(sources) {
  setWindowTitle(QStringLiteral("一括処理"));
  setObjectName(QStringLiteral("BatchJobForm"));
  setModal(true);
  auto *outer = new QVBoxLayout(this);

  // ---- what, where from, where to ---------------------------------------------
  auto *info = new QGridLayout;
  auto caption = [this, info](int row, const char *text) {
    info->addWidget(new QLabel(Text(text), this), row, 0);
  };
  auto value = [this](const char *name) {
    auto *label = new QLabel(this);
    label->setObjectName(Text(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
  };
  caption(0, "処理内容");
  lJobName = value("lJobName");
  lJobName->setText(Text(BatchJob(job_)->shownName));
  QFont bold = lJobName->font();
  bold.setBold(true);
  lJobName->setFont(bold);
  info->addWidget(lJobName, 0, 1, 1, 2);
  caption(1, "元画像のフォルダー");
  lSourceFolder = value("lSourceFolder");
  info->addWidget(lSourceFolder, 1, 1, 1, 2);
  caption(2, "格納先フォルダー");
  lOutputFolder = value("lOutputFolder");
  info->addWidget(lOutputFolder, 2, 1);
  bChangeOutput = new QPushButton(QStringLiteral("格納先変更"), this);
  bChangeOutput->setObjectName(QStringLiteral("bChangeOutput"));
  bChangeOutput->setAutoDefault(false);
  info->addWidget(bChangeOutput, 2, 2);
  caption(3, "処理する画像");
  lCount = value("lCount");
  lCount->setText(QString::number(sources_.size()));
  auto *countRow = new QHBoxLayout;
  countRow->addWidget(lCount);
  countRow->addWidget(new QLabel(QStringLiteral("枚"), this));
  countRow->addStretch();
  info->addLayout(countRow, 3, 1, 1, 2);
  info->setColumnStretch(1, 1);
  info->setColumnMinimumWidth(1, kPathWidth);
  outer->addLayout(info);
  ShowPath(lSourceFolder, sourceFolder);
  SetOutputFolder(sourceFolder + QStringLiteral("/レタッチ後"));

  // ---- the job's settings -------------------------------------------------------
  outer->addWidget(SettingsPanel());

  // ---- progress -----------------------------------------------------------------
  auto *progress = new QGroupBox(QStringLiteral("処理状況"), this);
  progress->setObjectName(QStringLiteral("gbProgress"));
  auto *status = new QGridLayout(progress);
  status->addWidget(new QLabel(QStringLiteral("処理中の画像"), progress), 0, 0);
  lFileName = value("lFileName");
  status->addWidget(lFileName, 0, 1, 1, 3);
  auto *counts = new QHBoxLayout;
  auto count = [this, progress, counts, &value](const char *text, const char *name) {
    counts->addWidget(new QLabel(Text(text), progress));
    QLabel *label = value(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    counts->addWidget(label);
    counts->addWidget(new QLabel(QStringLiteral("枚"), progress));
    counts->addSpacing(24);
    return label;
  };
  lDone = count("処理済", "lDone");
  lRemaining = count("残り", "lRemaining");
  counts->addStretch();
  status->addLayout(counts, 1, 0, 1, 4);
  status->setColumnStretch(1, 1);
  pbProgress = new QProgressBar(progress);
  pbProgress->setObjectName(QStringLiteral("pbProgress"));
  pbProgress->setRange(0, std::max(int(sources_.size()), 1));
  pbProgress->setFormat(QStringLiteral("%v / %m"));
  status->addWidget(pbProgress, 2, 0, 1, 4);
  outer->addWidget(progress);
  ShowCounts(0, {});

  // ---- buttons, in the order the focus goes -------------------------------------
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  auto button = [this, buttons](const char *name, const char *text) {
    auto *b = new QPushButton(Text(text), this);
    b->setObjectName(Text(name));
    b->setAutoDefault(true);
    buttons->addWidget(b);
    return b;
  };
  bStart = button("bStart", "一括処理開始");
  bAbort = button("bAbort", "一括処理中止");
  bCancel = button("bCancel", "キャンセル");
  bStart->setDefault(true);
  outer->addLayout(buttons);

  connect(bStart, &QPushButton::clicked, this, &TBatchJobForm::Run);
  connect(bAbort, &QPushButton::clicked, this, &TBatchJobForm::Abort);
  connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(bChangeOutput, &QPushButton::clicked, this, &TBatchJobForm::ChangeOutputFolder);
  SetRunning(false);
  bStart->setFocus();
}

QWidget *TBatchJobForm::SettingsPanel() {
  auto *panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("SettingsPanel"));
  auto *column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);

  switch (job_) {
  case bjAutoA:
  case bjAutoB: {
    auto *box = new QGroupBox(QStringLiteral("設定"), panel);
    auto *inside = new QVBoxLayout(box);
    auto *none = new QLabel(QStringLiteral("設定項目はありません"), box);
    none->setObjectName(QStringLiteral("lNoSettings"));
    none->setAlignment(Qt::AlignCenter);
    inside->addWidget(none);
    column->addWidget(box);
    break;
  }
  case bjRotate:
    rgRotation = AddRadioGroup(panel, column, QStringLiteral("rgRotation"),
                               QStringLiteral("回転／反転の方法"),
                               Texts({"時計回りに９０°回転", "反時計回りに９０度回転",
                                      "１８０°回転", "左右反転", "上下反転"}));
    Check(rgRotation, brClockwise);
    break;
  case bjResize: {
    auto *row = new QHBoxLayout;
    rgSizeRule =
        AddRadioGroup(panel, row, QStringLiteral("rgSizeRule"), QStringLiteral("大きさの揃え方"),
                      Texts({"縦の長さを揃える（縦横比固定）", "横の長さを揃える（縦横比固定）",
                             "縦横とも同じ大きさに揃える", "縦横のうち長辺を指定寸法にする",
                             "一定比率（％で指定）"}));
    auto *sizes = new QGroupBox(QStringLiteral("寸法"), panel);
    auto *grid = new QGridLayout(sizes);
    int line = 0;
    auto box = [sizes, grid, &line](const char *name, const char *caption, const char *unit) {
      auto *edit = new QLineEdit(sizes);
      edit->setObjectName(Text(name));
      edit->setMaxLength(5);
      edit->setFixedWidth(64);
      edit->setAlignment(Qt::AlignRight);
      edit->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), edit));
      grid->addWidget(new QLabel(Text(caption), sizes), line, 0);
      grid->addWidget(edit, line, 1);
      grid->addWidget(new QLabel(Text(unit), sizes), line, 2);
      ++line;
      return edit;
    };
    edHeight = box("edHeight", "縦", "ピクセル");
    edWidth = box("edWidth", "横", "ピクセル");
    edSide = box("edSide", "長辺", "ピクセル");
    edPercent = box("edPercent", "寸法比", "％");
    grid->setRowStretch(line, 1);
    grid->setColumnStretch(3, 1);
    row->addWidget(sizes);
    column->addLayout(row);
    // Only the boxes the chosen rule reads take input.
    const auto follow = [this](int rule) {
      edHeight->setEnabled(rule == bsSameHeight || rule == bsBoth);
      edWidth->setEnabled(rule == bsSameWidth || rule == bsBoth);
      edSide->setEnabled(rule == bsLongerSide);
      edPercent->setEnabled(rule == bsPercent);
    };
    connect(rgSizeRule, &QButtonGroup::idToggled, this, [follow](int id, bool on) {
      if (on) follow(id);
    });
    Check(rgSizeRule, bsSameHeight);
    follow(bsSameHeight);
    break;
  }
  case bjConvert:
    rgFormat = AddRadioGroup(panel, column, QStringLiteral("rgFormat"),
                             QStringLiteral("変換後の画像ファイル形式"),
                             Texts({"JPEG (*.jpg)", "BITMAP (*.bmp)", "TIFF (*.tif)"}));
    Check(rgFormat, bfJpeg);
    break;
  case bjColour: {
    auto *box = new QGroupBox(QStringLiteral("色調整方法"), panel);
    box->setObjectName(QStringLiteral("gbColour"));
    auto *grid = new QGridLayout(box);
    auto tick = [box](const char *name, const char *text) {
      auto *c = new QCheckBox(Text(text), box);
      c->setObjectName(Text(name));
      return c;
    };
    cbBlue = tick("cbBlue", "青み");
    cbYellow = tick("cbYellow", "黄色");
    cbRed = tick("cbRed", "赤み");
    cbGreen = tick("cbGreen", "緑");
    grid->addWidget(cbBlue, 0, 0);
    grid->addWidget(cbYellow, 0, 1);
    grid->addWidget(cbRed, 1, 0);
    grid->addWidget(cbGreen, 1, 1);
    auto *widthRow = new QHBoxLayout;
    widthRow->addWidget(new QLabel(QStringLiteral("補正幅"), box));
    tbColourWidth = new QSlider(Qt::Horizontal, box);
    tbColourWidth->setObjectName(QStringLiteral("tbColourWidth"));
    tbColourWidth->setRange(kColourWidthMin, kColourWidthMax);
    tbColourWidth->setPageStep(4);
    tbColourWidth->setTickPosition(QSlider::TicksBelow);
    tbColourWidth->setTickInterval(1);
    widthRow->addWidget(tbColourWidth, 1);
    lColourWidth = new QLabel(box);
    lColourWidth->setObjectName(QStringLiteral("lColourWidth"));
    lColourWidth->setMinimumWidth(24);
    lColourWidth->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    widthRow->addWidget(lColourWidth);
    grid->addLayout(widthRow, 2, 0, 1, 2);
    auto *note =
        new QLabel(QStringLiteral("上記の調整はバリエーションによる色補正に準じています"), box);
    note->setWordWrap(true);
    grid->addWidget(note, 3, 0, 1, 2);
    connect(tbColourWidth, &QSlider::valueChanged, lColourWidth,
            [this](int v) { lColourWidth->setText(QString::number(v)); });
    tbColourWidth->setValue(BatchSettings{}.colourWidth);
    lColourWidth->setText(QString::number(tbColourWidth->value()));
    column->addWidget(box);
    break;
  }
  default:
    for (const AmountPanel &p : kAmountPanels) {
      if (p.job != job_) continue;
      rgAmount =
          AddRadioGroup(panel, column, QStringLiteral("rgAmount"), Text(p.title), Texts(p.items));
      Check(rgAmount, 1);
    }
    break;
  }
  return panel;
}

BatchSettings TBatchJobForm::Settings() const {
  BatchSettings s;
  s.job = job_;
  s.rotation = Chosen(rgRotation, s.rotation);
  s.sizeRule = Chosen(rgSizeRule, s.sizeRule);
  s.height = Number(edHeight);
  s.width = Number(edWidth);
  s.side = Number(edSide);
  s.percent = Number(edPercent);
  s.format = Chosen(rgFormat, s.format);
  if (cbBlue) {
    s.blue = cbBlue->isChecked();
    s.yellow = cbYellow->isChecked();
    s.red = cbRed->isChecked();
    s.green = cbGreen->isChecked();
    s.colourWidth = tbColourWidth->value();
  }
  s.amount = Chosen(rgAmount, s.amount);
  ReadJpegQuality();
  s.jpegQuality = std::clamp(JpegQuality, 1, 100);
  s.thresholdA = General.ippatsuAContrast;
  s.thresholdB = General.ippatsuBContrast;
  s.keepMetadata = General.keepMetadata != 0;
  return s;
}

void TBatchJobForm::SetOutputFolder(const QString &folder) {
  outputFolder_ = QDir::cleanPath(folder);
  ShowPath(lOutputFolder, outputFolder_);
}

void TBatchJobForm::SetRunning(bool on) {
  running_ = on;
  bStart->setEnabled(!on);
  bCancel->setEnabled(!on);
  bChangeOutput->setEnabled(!on);
  bAbort->setEnabled(on);
  if (QWidget *panel = findChild<QWidget *>(QStringLiteral("SettingsPanel")))
    panel->setEnabled(!on);
  (on ? bAbort : bStart)->setFocus();
}

void TBatchJobForm::ShowCounts(int done, const QString &fileName) {
  lFileName->setText(fileName);
  lDone->setText(QString::number(done));
  lRemaining->setText(QString::number(sources_.size() - done));
  pbProgress->setValue(done);
}

void TBatchJobForm::Abort() {
  if (running_) abort_ = true;
}

void TBatchJobForm::ChangeOutputFolder() {
  if (running_) return;
  const QString folder = UserDialogs::FolderName(
      this, QStringLiteral("処理済画像の格納フォルダーの選択"), ExistingFolder(outputFolder_));
  if (!folder.isEmpty()) SetOutputFolder(folder);
}

void TBatchJobForm::Run() {
  if (running_) return;
  const BatchSettings settings = Settings();
  abort_ = false;
  failures_.clear();
  SetRunning(true);
  ShowCounts(0, {});

  // Events run before each image so that the abort button (and closing the
  // window) is heard; the dialog cannot go away meanwhile, but a guard
  // costs nothing.
  const QPointer<TBatchJobForm> alive(this);
  BatchRunCallbacks callbacks;
  callbacks.before = [this, alive](int index, const QString &source) {
    QCoreApplication::processEvents();
    if (!alive || abort_) return false;
    ShowCounts(index, QFileInfo(source).fileName());
    // Painted now: the image itself keeps the event loop waiting.
    for (QWidget *w : {static_cast<QWidget *>(lFileName), static_cast<QWidget *>(lDone),
                       static_cast<QWidget *>(lRemaining), static_cast<QWidget *>(pbProgress)})
      w->repaint();
    return true;
  };
  callbacks.after = [this](const BatchImageReport &report) {
    if (report.outcome != BatchOutcome::Written)
      failures_ << QFileInfo(report.source).fileName() + QStringLiteral("：") +
                       BatchOutcomeText(report.outcome);
    pbProgress->setValue(report.index + 1);
  };
  const BatchResult result = RunBatch(sources_, outputFolder_, settings, callbacks);
  if (!alive) return;
  result_ = result;
  SetRunning(false);
  ShowCounts(result.done, {});
  Finish(result, settings);
}

void TBatchJobForm::Finish(const BatchResult &result, const BatchSettings &settings) {
  switch (result.end) {
  case BatchEnd::Finished: {
    QString text = QStringLiteral("一括処理が終了しました");
    if (result.failed > 0) {
      // A partial failure is no success: say how many and which.
      text += QStringLiteral("\n\n処理できなかった画像：%1 枚").arg(result.failed);
      for (const QString &line : failures_.mid(0, kFailuresNamed))
        text += QLatin1Char('\n') + line;
      if (failures_.size() > kFailuresNamed)
        text += QStringLiteral("\nほか %1 枚").arg(failures_.size() - kFailuresNamed);
    }
    UserDialogs::Message(this, kCaption, text,
                         result.failed > 0 ? QMessageBox::Warning : QMessageBox::Information);
    done(QDialog::Accepted);
    break;
  }
  case BatchEnd::Aborted:
    UserDialogs::Message(this, kCaption, QStringLiteral("一括処理を中断しました"));
    done(QDialog::Rejected);
    break;
  case BatchEnd::SizeRuleMissing:
    UserDialogs::Message(this, kCaption, BatchSizeRuleProblem(settings), QMessageBox::Warning);
    break;
  case BatchEnd::NoOutputFolder:
    UserDialogs::Message(this, kCaption,
                         QStringLiteral("格納先フォルダーを作成できません") + QLatin1Char('\n') +
                             QDir::toNativeSeparators(outputFolder_),
                         QMessageBox::Warning);
    break;
  }
}

void TBatchJobForm::done(int result) {
  if (running_) {
    abort_ = true;
    return;
  }
  QDialog::done(result);
}

void TBatchJobForm::keyPressEvent(QKeyEvent *event) {
  // Escape is the cancel button, which a run disables.
  if (running_ && event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void StartBatchJob(TBrowser &browser, int job) {
  if (!BatchJob(job)) return;
  QStringList sources;
  for (int i = 0; i < browser.imageList.size() && i < browser.markList.size(); ++i)
    if (browser.markList[i] == QLatin1String("1")) sources << browser.imageList[i];
  if (sources.isEmpty()) {
    UserDialogs::Message(&browser, kCaption, QStringLiteral("画像が選択されていません"));
    return;
  }
  {
    // The grid shows one folder's images: theirs is the source folder.
    TBatchJobForm form(job, sources, QFileInfo(sources.first()).absolutePath(), &browser);
    form.adjustSize();
    CentreOnMain(&form, &browser);
    form.exec();
  }
  if (job != bjAutoA) browser.RefreshFolderTree();
}
