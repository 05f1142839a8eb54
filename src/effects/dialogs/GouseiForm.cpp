#include "effects/dialogs/GouseiForm.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/NewFullScr.h"
#include "forms/Waitmess.h"
#include "forms/Widgets.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QStringList kMethods = {QStringLiteral("通常合成"),
                              QStringLiteral("元画像へ貼付画像を加算"),
                              QStringLiteral("貼付画像から元画像を減算"),
                              QStringLiteral("貼付画像を反転"),
                              QStringLiteral("元画像を反転"),
                              QStringLiteral("高輝度優先"),
                              QStringLiteral("低輝度優先"),
                              QStringLiteral("ＡＮＤ"),
                              QStringLiteral("ＯＲ"),
                              QStringLiteral("ＸＯＲ")};
constexpr int kDefaultTransparency = 50;

// A 24-bit copy of `image`; none when it cannot be made.
DibHandle Copy24(IMGHANDLE image) {
  DibHandle copy(Kit.ImgKitCopy(image, "", ""));
  if (!copy) return copy;
  int bits;
  {
    const TMDIB dib(copy.get());
    if (!dib.Attached()) return {};
    bits = dib.BitsPerPixel();
  }
  if (bits != 24 && !copy.Adopt(Kit.ImgKitConvertColor(copy.get(), 24, 0, 0, "", ""))) return {};
  return copy;
}

int Truncated(double v) { return static_cast<int>(std::trunc(v)); }

QWidget *GroupBoxOf(QButtonGroup *group) {
  return group->buttons().isEmpty() ? nullptr : group->buttons().first()->parentWidget();
}

} // namespace

// ---------------------------------------------------------------------------

CompositeView::CompositeView(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CompositeView"));
}

void CompositeView::SetPictures(const QImage &document, const QImage &pasted, const QImage &keyed) {
  document_ = document;
  pasted_ = pasted;
  keyed_ = keyed;
  setFixedSize(document_.size());
  update();
}

void CompositeView::SetKeyTransparent(bool transparent) {
  keyTransparent_ = transparent;
  update();
}

void CompositeView::SetPastedPos(QPoint pos) {
  pos_ = pos;
  update();
}

void CompositeView::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(0, 0, document_);
  p.drawImage(pos_, keyTransparent_ ? keyed_ : pasted_);
  p.setPen(QPen(Qt::white, 1, Qt::DotLine));
  p.drawRect(QRect(pos_, pasted_.size()).adjusted(0, 0, -1, -1));
}

void CompositeView::mousePressEvent(QMouseEvent *event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton || !QRect(pos_, pasted_.size()).contains(at)) return;
  dragging_ = true;
  grab_ = at - pos_;
}

void CompositeView::mouseMoveEvent(QMouseEvent *event) {
  if (!dragging_) return;
  SetPastedPos(event->position().toPoint() - grab_);
}

void CompositeView::mouseReleaseEvent(QMouseEvent *event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  SetPastedPos(event->position().toPoint() - grab_);
  emit Dropped();
}

// ---------------------------------------------------------------------------

TGouseiForm::TGouseiForm(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("GouseiForm"));
  setWindowTitle(QStringLiteral("画像貼付"));
  setModal(true);
  auto *outer = new QHBoxLayout(this);

  scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("ScrollBox"));
  scroll->setFixedSize(kViewSide + 24, kViewSide + 24);
  scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  view = new CompositeView(scroll);
  scroll->setWidget(view);
  outer->addWidget(scroll, 0, Qt::AlignTop);

  auto *controls = new QVBoxLayout;
  outer->addLayout(controls);
  rgMethod = AddRadioGroup(this, controls, QStringLiteral("rgMethod"),
                           QStringLiteral("画像合成方法"), kMethods, 2);

  auto *transparency = new QHBoxLayout;
  transparency->addWidget(new QLabel(QStringLiteral("透明度"), this));
  tbTransparency = new QSlider(Qt::Horizontal, this);
  tbTransparency->setObjectName(QStringLiteral("tbTransparency"));
  tbTransparency->setRange(kBlendWeightMin, kBlendWeightMax);
  tbTransparency->setSingleStep(5);
  tbTransparency->setPageStep(10);
  transparency->addWidget(tbTransparency, 1);
  lTransparency = new QLabel(this);
  lTransparency->setObjectName(QStringLiteral("lTransparency"));
  lTransparency->setMinimumWidth(28);
  lTransparency->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  transparency->addWidget(lTransparency);
  controls->addLayout(transparency);

  rgBackground =
      AddRadioGroup(this, controls, QStringLiteral("rgBackground"), QStringLiteral("背景の透明化"),
                    {QStringLiteral("透明化しない"), QStringLiteral("左下隅点の色を透明化")});
  cbAntiAlias = new QCheckBox(QStringLiteral("文字入れアンチエイリアス対応"), this);
  cbAntiAlias->setObjectName(QStringLiteral("cbAntiAlias"));
  cbAntiAlias->setEnabled(false);
  controls->addWidget(cbAntiAlias);
  rgView = AddRadioGroup(this, controls, QStringLiteral("rgView"), QString(),
                         {QStringLiteral("全体表示"), QStringLiteral("実寸表示")}, 2);

  auto *placing = new QHBoxLayout;
  auto *centre = new QPushButton(QStringLiteral("中央に配置"), this);
  centre->setObjectName(QStringLiteral("bCenter"));
  centre->setAutoDefault(false);
  placing->addWidget(centre);
  auto *fine = new QGroupBox(QStringLiteral("微調整"), this);
  auto *fineGrid = new QGridLayout(fine);
  const struct {
    const char *name, *caption;
    int dx, dy, row, column;
  } arrows[] = {{"bUp", "↑", 0, -1, 0, 1},
                {"bLeft", "←", -1, 0, 1, 0},
                {"bRight", "→", 1, 0, 1, 2},
                {"bDown", "↓", 0, 1, 2, 1}};
  for (const auto &a : arrows) {
    auto *b = new QPushButton(QString::fromUtf8(a.caption), fine);
    b->setObjectName(QString::fromLatin1(a.name));
    b->setAutoDefault(false);
    b->setFixedSize(28, 24);
    fineGrid->addWidget(b, a.row, a.column);
    connect(b, &QPushButton::clicked, this, [this, dx = a.dx, dy = a.dy] { Nudge(dx, dy); });
  }
  placing->addWidget(fine);
  controls->addLayout(placing);

  auto *preview = new QPushButton(QStringLiteral("プレビュー"), this);
  preview->setObjectName(QStringLiteral("bPreview"));
  preview->setAutoDefault(false);
  controls->addWidget(preview);
  controls->addStretch();
  QPushButton *ok = AddOkCancel(this, controls);

  connect(ok, &QPushButton::clicked, this, &TGouseiForm::bOKClick);
  connect(centre, &QPushButton::clicked, this, &TGouseiForm::bCenterClick);
  connect(preview, &QPushButton::clicked, this, &TGouseiForm::bPreviewClick);
  connect(view, &CompositeView::Dropped, this, &TGouseiForm::TakeOffset);
  connect(tbTransparency, &QSlider::valueChanged, this,
          [this](int v) { lTransparency->setText(QString::number(v)); });
  connect(rgBackground, &QButtonGroup::idClicked, this, &TGouseiForm::BackgroundChanged);
  connect(cbAntiAlias, &QCheckBox::toggled, this, &TGouseiForm::AntiAliasChanged);
  connect(rgView, &QButtonGroup::idClicked, this, &TGouseiForm::LayoutView);
}

TGouseiForm::~TGouseiForm() = default;

bool TGouseiForm::Prepare(Document *child) {
  const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
  if (!clip || !clip->hasImage()) return false;
  DibHandle pasted(Kit.ImgKitGetFromClipBrd(WindowOf(main_)));
  return Setup(child, std::move(pasted));
}

bool TGouseiForm::Prepare(Document *child, DibHandle pasted) {
  return Setup(child, std::move(pasted));
}

bool TGouseiForm::Setup(Document *child, DibHandle pasted) {
  if (!child || !child->Picture() || !pasted) return false;
  DibHandle document = Copy24(child->Picture().get());
  DibHandle picture = Copy24(pasted.get());
  if (!document || !picture) return false;
  child_ = child;
  document_ = std::move(document);
  pasted_ = std::move(picture);

  // The remembered settings, each over its default when missing or out of
  // range.
  int method = bmMix, transparency = kDefaultTransparency, background = 0, actual = 0;
  CResumeDialog record;
  if (record.Load(QLatin1String(kSettings)) == 0) {
    const auto field = [&record](int i, int min, int max, int fallback) {
      bool ok = false;
      const int v = record.GetText(i).toInt(&ok);
      return ok && v >= min && v <= max ? v : fallback;
    };
    method = field(0, kBlendModeMin, kBlendModeMax, bmMix);
    transparency = field(1, kBlendWeightMin, kBlendWeightMax, kDefaultTransparency);
    background = field(2, 0, 1, 0);
    actual = field(3, 0, 1, 0);
  }
  rgMethod->button(method)->setChecked(true);
  tbTransparency->setValue(transparency);
  lTransparency->setText(QString::number(transparency));
  rgBackground->button(background)->setChecked(true);
  rgView->button(actual)->setChecked(true);
  cbAntiAlias->setChecked(false);
  cbAntiAlias->setEnabled(false);
  offset_ = QPoint(0, 0);
  LayoutView();
  BackgroundChanged();
  return true;
}

void TGouseiForm::SetTextInsertion(bool antiAliased, uint32_t textRgb, uint32_t backgroundRgb) {
  textInsertion_ = true;
  textAntiAliased_ = antiAliased;
  textRgb_ = textRgb & 0xffffffu;
  backgroundRgb_ = backgroundRgb & 0xffffffu;
  BackgroundChanged();
}

QImage TGouseiForm::Shown(IMGHANDLE image, QSize size, bool keyed) const {
  DibHandle display;
  if (main_ && main_->DisplayColourCount() == 256) {
    display.reset(Kit.ImgKitCopy(image, "", ""));
    if (display && display.Adopt(Kit.ImgKitConvertColor(display.get(), 8, 1, 1, "", "")))
      image = display.get();
  }
  const TMDIB dib(image);
  QImage bitmap = BitmapFromDib(dib);
  if (keyed && !bitmap.isNull()) {
    // The bottom-left colour made transparent before scaling, so that the
    // scaled edges fade out instead of taking the key colour with them.
    bitmap = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = bitmap.pixel(0, bitmap.height() - 1);
    for (int y = 0; y < bitmap.height(); ++y) {
      auto *row = reinterpret_cast<QRgb *>(bitmap.scanLine(y));
      for (int x = 0; x < bitmap.width(); ++x)
        if (row[x] == key) row[x] = 0;
    }
    bitmap = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  if (bitmap.size() == size) return bitmap;
  return bitmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TGouseiForm::LayoutView() {
  if (!document_ || !pasted_) return;
  const TMDIB doc(document_.get()), pasted(pasted_.get());
  const bool actual = rgView->checkedId() == 1;
  if (actual)
    scale_ = 1.0;
  else
    scale_ =
        doc.height < doc.width ? double(kViewSide) / doc.width : double(kViewSide) / doc.height;
  const auto shownSize = [this](int w, int h) {
    return QSize(std::max(1, Truncated(w * scale_)), std::max(1, Truncated(h * scale_)));
  };
  const QSize pastedSize = shownSize(pasted.width, pasted.height);
  view->SetPictures(Shown(document_.get(), shownSize(doc.width, doc.height)),
                    Shown(pasted_.get(), pastedSize), Shown(pasted_.get(), pastedSize, true));
  view->SetPastedPos(QPoint(Truncated(offset_.x() * scale_), Truncated(offset_.y() * scale_)));
}

void TGouseiForm::TakeOffset() {
  const QPoint pos = view->PastedPos();
  offset_ = QPoint(Truncated(pos.x() / scale_), Truncated(pos.y() / scale_));
}

void TGouseiForm::bCenterClick() {
  const QSize doc = view->DocumentSize(), pasted = view->PastedSize();
  view->SetPastedPos(
      QPoint((doc.width() - pasted.width()) / 2, (doc.height() - pasted.height()) / 2));
  TakeOffset();
}

void TGouseiForm::Nudge(int dx, int dy) {
  view->SetPastedPos(view->PastedPos() + QPoint(dx, dy));
  TakeOffset();
}

void TGouseiForm::BackgroundChanged() {
  const bool keyed = rgBackground->checkedId() == 1;
  view->SetKeyTransparent(keyed);
  if (!textInsertion_) return;
  QSignalBlocker block(cbAntiAlias);
  cbAntiAlias->setChecked(keyed);
  cbAntiAlias->setEnabled(keyed);
  AntiAliasChanged();
}

void TGouseiForm::AntiAliasChanged() {
  const bool checked = cbAntiAlias->isChecked();
  if (checked) rgMethod->button(bmMix)->setChecked(true);
  if (QWidget *box = GroupBoxOf(rgMethod)) box->setEnabled(!checked);
}

CompositeOptions TGouseiForm::Options() const {
  CompositeOptions o;
  o.x = offset_.x(), o.y = offset_.y();
  o.mode = std::max(0, rgMethod->checkedId());
  o.transparency = tbTransparency->value();
  o.keyTransparent = rgBackground->checkedId() == 1;
  o.antiAliased = cbAntiAlias->isChecked();
  o.textRgb = textRgb_, o.backgroundRgb = backgroundRgb_;
  return o;
}

DibHandle TGouseiForm::Composed() const {
  if (!document_ || !pasted_) return {};
  DibHandle copy(Kit.ImgKitCopy(document_.get(), "", ""));
  if (!copy) return copy;
  TMDIB doc(copy.get());
  const TMDIB pasted(pasted_.get());
  if (!CompositeImages(doc, pasted, Options())) return {};
  return copy;
}

void TGouseiForm::bPreviewClick() {
  DibHandle composed = Composed();
  if (!composed) {
    UserDialogs::OutOfMemory(this);
    return;
  }
  if (main_ && main_->DisplayColourCount() == 256)
    composed.Adopt(Kit.ImgKitConvertColor(composed.get(), 8, 1, 1, "", ""));
  ShowFullScreen(this, composed.get());
}

void TGouseiForm::bOKClick() {
  if (!child_ || !child_->Picture() || !document_ || !pasted_) {
    reject();
    return;
  }
  setEnabled(false);
  TfWaitMess *wait = main_ ? main_->WaitWindow() : nullptr;
  int height;
  {
    const TMDIB doc(document_.get());
    height = doc.height;
  }
  if (wait) wait->Begin(height);
  bool done;
  {
    TMDIB doc(document_.get());
    const TMDIB pasted(pasted_.get());
    done = CompositeImages(doc, pasted, Options(), wait);
  }
  if (done) {
    child_->RecordUndo();
    child_->Picture() = std::move(document_);
    pasted_.reset();
    child_->Commit();
  }
  CResumeDialog record;
  record.AddInt(std::max(0, rgMethod->checkedId()));
  record.AddInt(tbTransparency->value());
  record.AddInt(rgBackground->checkedId() == 1 ? 1 : 0);
  record.AddInt(rgView->checkedId() == 1 ? 1 : 0);
  record.Save(QLatin1String(kSettings));
  if (wait) wait->End();
  setEnabled(true);
  accept();
}

void TGouseiForm::bCancelClick() { reject(); }

void GouseiCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  {
    TGouseiForm dialog(main);
    if (dialog.Prepare(child)) dialog.exec();
  }
  if (main) {
    main->CommandsChanged();
    if (QWidget *window = main->Window()) window->raise();
  }
}
