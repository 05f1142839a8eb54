#include "effects/dialogs/SaiForm.h"

#include "forms/Document.h"
#include "forms/Widgets.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

QPointer<TSaiForm> theWindow;

const char *const kPageCaptions[TSaiForm::kPageCount] = {
    "手法１", "手法２", "手法３", "手法４", "手法５", "手法６", "手法７", "手法８", "線画"};

// A titled track bar with its end labels under it (two, or three with a
// middle one).
QSlider *AddTrackBar(QWidget *owner, QBoxLayout *layout, const char *name, const QString &caption,
                     const PaintRange &range, const QStringList &ends) {
  auto *box = new QGroupBox(caption, owner);
  box->setObjectName(QStringLiteral("gb") + QLatin1String(name));
  auto *column = new QVBoxLayout(box);
  column->setContentsMargins(8, 4, 8, 4);
  column->setSpacing(0);
  auto *slider = new QSlider(Qt::Horizontal, box);
  slider->setObjectName(QLatin1String(name));
  slider->setRange(range.min, range.max);
  slider->setValue(range.def);
  slider->setPageStep(1);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(1);
  column->addWidget(slider);
  auto *labels = new QHBoxLayout;
  for (int i = 0; i < ends.size(); ++i) {
    if (i > 0) labels->addStretch();
    labels->addWidget(new QLabel(ends[i], box));
  }
  column->addLayout(labels);
  layout->addWidget(box);
  return slider;
}

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

void SetValueQuietly(QSlider *slider, int value) {
  if (!slider) return;
  const bool was = slider->blockSignals(true);
  slider->setValue(value);
  slider->blockSignals(was);
}

} // namespace

TSaiForm::TSaiForm(Host *main) : QDialog(WindowOf(main)), main_(main) {
  setObjectName(QStringLiteral("SaiForm"));
  setWindowTitle(QStringLiteral("絵画・イラスト調画像作成"));
  setModal(false);
  auto *outer = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("PageControl1"));
  // Every page's tab in sight: the window is as wide as the nine tabs.
  tabs_->setUsesScrollButtons(false);
  outer->addWidget(tabs_);
  for (int i = 0; i < kPageCount; ++i)
    BuildPage(i);

  // The view commands of the main window, and the exit.
  auto *bottom = new QHBoxLayout;
  auto *view = new QGroupBox(QStringLiteral("Image View Control"), this);
  view->setObjectName(QStringLiteral("gbViewControl"));
  auto *viewRow = new QHBoxLayout(view);
  viewRow->setContentsMargins(6, 2, 6, 4);
  viewRow->setSpacing(2);
  struct ViewButton {
    const char *name, *glyph, *hint;
    Host::ViewCommand command;
  };
  const ViewButton viewButtons[] = {
      {"sbPrevious", "←", "前の画像を表示", Host::ViewCommand::PreviousImage},
      {"sbNext", "→", "次の画像を表示", Host::ViewCommand::NextImage},
      {"sbClose", "閉", "画像を閉じる", Host::ViewCommand::CloseImage},
      {"sbZoomOut", "－", "ズームアウト", Host::ViewCommand::ZoomOut},
      {"sbZoomIn", "＋", "ズームイン", Host::ViewCommand::ZoomIn},
      {"sbGammaDown", "γ-", "ガンマを下げる", Host::ViewCommand::GammaDown},
      {"sbGammaUp", "γ+", "ガンマを上げる", Host::ViewCommand::GammaUp},
      {"sbSaturationDown", "彩-", "彩度を下げる", Host::ViewCommand::SaturationDown},
      {"sbSaturationUp", "彩+", "彩度を上げる", Host::ViewCommand::SaturationUp},
  };
  for (const ViewButton &b : viewButtons) {
    auto *button = new QToolButton(view);
    button->setObjectName(QLatin1String(b.name));
    button->setText(QString::fromUtf8(b.glyph));
    button->setToolTip(QString::fromUtf8(b.hint));
    button->setFixedSize(28, 24);
    const Host::ViewCommand command = b.command;
    connect(button, &QToolButton::clicked, this, [this, command] {
      if (main_) main_->RunViewCommand(command);
    });
    viewRow->addWidget(button);
  }
  bottom->addWidget(view);
  bottom->addStretch();
  auto *exit = new QPushButton(QStringLiteral("終  了"), this);
  exit->setObjectName(QStringLiteral("bExit"));
  exit->setAutoDefault(false);
  connect(exit, &QPushButton::clicked, this, &TSaiForm::close);
  bottom->addWidget(exit, 0, Qt::AlignBottom);
  outer->addLayout(bottom);

  // Method 1's brushwork moves its black fill; so do the brushwork and
  // relief bars of methods 4 to 6, which share the handler.
  for (QSlider *s : {pages_[0].brush, pages_[3].brush, pages_[3].relief, pages_[4].brush,
                     pages_[4].relief, pages_[5].brush, pages_[5].relief})
    connect(s, &QSlider::valueChanged, this, &TSaiForm::BrushChange);
}

TSaiForm::~TSaiForm() = default;

PaintMethod TSaiForm::MethodOfPage(int page) { return static_cast<PaintMethod>(page + 1); }

void TSaiForm::BuildPage(int index) {
  const PaintMethod method = MethodOfPage(index);
  const PaintRanges r = PaintRangesOf(method);
  Page &p = pages_[index];
  p.page = new QWidget(tabs_);
  p.page->setObjectName(QStringLiteral("TabSheet%1").arg(index + 1));
  auto *layout = new QVBoxLayout(p.page);
  if (r.brush)
    p.brush = AddTrackBar(p.page, layout, "tbBrush", QStringLiteral("筆使い"), r.brushRange,
                          {QStringLiteral("正確"), QStringLiteral("ラフ")});
  if (r.colour)
    p.colour = AddTrackBar(
        p.page, layout, "tbColour", QStringLiteral("色使い"), r.colourRange,
        {QStringLiteral("写実的"), QStringLiteral("絵画的"), QStringLiteral("ＰＯＰ風")});
  if (r.black) {
    const bool reversed = r.blackRange.min == 3;
    p.black = AddTrackBar(p.page, layout, "tbBlack", QStringLiteral("黒ベタの強さ"), r.blackRange,
                          reversed ? QStringList{QStringLiteral("濃く"), QStringLiteral("薄く")}
                                   : QStringList{QStringLiteral("薄く"), QStringLiteral("濃く")});
  }
  // Methods 7 and 8 take the relief of method 6: no bar of their own.
  if (r.relief && method != PaintMethod::Method7 && method != PaintMethod::Method8)
    p.relief = AddTrackBar(p.page, layout, "tbRelief", QStringLiteral("凹凸"), r.reliefRange,
                           {QStringLiteral("浅く"), QStringLiteral("深く")});
  if (r.edge)
    p.edge = AddTrackBar(p.page, layout, "tbEdge", QStringLiteral("輪郭抽出"), r.edgeRange,
                         {QStringLiteral("細かい"), QStringLiteral("荒い")});
  p.pen = AddRadioGroup(p.page, layout, QStringLiteral("rgPen"),
                        method == PaintMethod::Line ? QStringLiteral("描画ペン")
                                                    : QStringLiteral("輪郭線の描画ペン"),
                        {QStringLiteral("カラーペン"), QStringLiteral("黒ペン")}, 2);
  p.pen->button(ppColour)->setChecked(true);
  layout->addStretch();

  auto *runRow = new QHBoxLayout;
  p.progress = new QFrame(p.page);
  p.progress->setObjectName(QStringLiteral("pnProgress"));
  auto *progressRow = new QHBoxLayout(p.progress);
  progressRow->setContentsMargins(0, 0, 0, 0);
  progressRow->addWidget(new QLabel(QStringLiteral("画像処理工程"), p.progress));
  p.stepText = new QLabel(QStringLiteral("全 ") + QString::number(PaintStepCount(method)) +
                              QStringLiteral(" 工程中  完了"),
                          p.progress);
  p.stepText->setObjectName(QStringLiteral("lSteps"));
  progressRow->addWidget(p.stepText);
  p.counter = new QLabel(QStringLiteral("0"), p.progress);
  p.counter->setObjectName(QStringLiteral("lCounter"));
  p.counter->setMinimumWidth(24);
  p.counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  progressRow->addWidget(p.counter);
  p.progress->hide();
  runRow->addWidget(p.progress);
  runRow->addStretch();
  p.draw = new QPushButton(QStringLiteral("作画実行"), p.page);
  p.draw->setObjectName(QStringLiteral("bDraw"));
  p.draw->setAutoDefault(false);
  connect(p.draw, &QPushButton::clicked, this, [this, index] { Draw(index); });
  runRow->addWidget(p.draw);
  layout->addLayout(runRow);
  tabs_->addTab(p.page, QString::fromUtf8(kPageCaptions[index]));
}

void TSaiForm::SetSource(const Document *child) {
  source_.reset();
  if (child && child->Picture()) source_.reset(Kit.ImgKitCopy(child->Picture().get(), "", ""));
}

PaintControls TSaiForm::ControlsOf(int index) const {
  const Page &p = pages_[index];
  PaintControls c = PaintDefaults(MethodOfPage(index));
  if (p.brush) c.brush = p.brush->value();
  if (p.colour) c.colour = p.colour->value();
  if (p.black) c.black = p.black->value();
  if (p.relief) c.relief = p.relief->value();
  if (p.edge) c.edge = p.edge->value();
  if (!p.relief && PaintRangesOf(MethodOfPage(index)).relief) c.relief = pages_[5].relief->value();
  c.pen = p.pen->checkedId() == ppBlack ? ppBlack : ppColour;
  return c;
}

void TSaiForm::BrushChange() {
  QSlider *black = pages_[0].black;
  black->setValue(Clamp(5 * pages_[0].brush->value() - 20, black->minimum(), black->maximum()));
}

void TSaiForm::Draw(int index) {
  if (!source_) return;
  Page &p = pages_[index];
  // Disabled while the chain runs; the step panel stays readable.
  QList<QWidget *> disabled;
  for (QWidget *w : findChildren<QWidget *>())
    if ((qobject_cast<QAbstractButton *>(w) || qobject_cast<QSlider *>(w) ||
         qobject_cast<QTabBar *>(w)) &&
        w->isEnabled()) {
      w->setEnabled(false);
      disabled.append(w);
    }
  p.counter->setText(QStringLiteral("0"));
  p.progress->show();
  repaint();
  DibHandle result =
      PaintPicture(source_.get(), MethodOfPage(index), ControlsOf(index), [this, &p](int step) {
        if (stepCheck && !stepCheck(step)) return false;
        p.counter->setText(QString::number(step));
        p.counter->repaint();
        return true;
      });
  p.progress->hide();
  for (QWidget *w : disabled)
    w->setEnabled(true);
  if (!result) {
    UserDialogs::OutOfMemory(this);
    return;
  }
  if (main_) main_->OpenAsNewDocument(std::move(result));
  raise();
}

void TSaiForm::ReadSettings() {
  CResumeDialog record;
  if (record.Load(QLatin1String(kSettings)) != 0) return;
  int field = 0;
  // Set without their handlers: the black fill of method 1 keeps its own
  // remembered value.
  auto next = [&](QSlider *slider) {
    const int v = record.GetInt(field++);
    if (slider) SetValueQuietly(slider, Clamp(v, slider->minimum(), slider->maximum()));
  };
  auto pen = [&](QButtonGroup *group) {
    group->button(record.GetInt(field++) == ppBlack ? ppBlack : ppColour)->setChecked(true);
  };
  for (int i = 0; i < kPageCount; ++i) {
    const Page &p = pages_[i];
    const PaintMethod m = MethodOfPage(i);
    if (m == PaintMethod::Line) {
      next(p.edge);
    } else {
      if (p.brush) next(p.brush);
      next(p.colour);
      if (p.black) next(p.black);
      if (p.relief) next(p.relief);
    }
    pen(p.pen);
  }
  const int top = record.GetInt(field++);
  const int left = record.GetInt(field++);
  move(left, top);
}

void TSaiForm::WriteSettings() const {
  CResumeDialog record;
  for (const Page &p : pages_) {
    for (QSlider *s : {p.brush, p.colour, p.black, p.relief, p.edge})
      if (s) record.AddInt(s->value());
    record.AddInt(p.pen->checkedId() == ppBlack ? ppBlack : ppColour);
  }
  record.AddInt(y());
  record.AddInt(x());
  record.Save(QLatin1String(kSettings));
}

void TSaiForm::showEvent(QShowEvent *event) {
  ReadSettings();
  QDialog::showEvent(event);
}

void TSaiForm::done(int result) {
  WriteSettings();
  QDialog::done(result);
}

void SaiCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  if (!theWindow) theWindow = new TSaiForm(main);
  theWindow->SetSource(child);
  theWindow->show();
  theWindow->raise();
  theWindow->activateWindow();
}

TSaiForm *SaiWindow() { return theWindow; }
