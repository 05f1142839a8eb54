#include "adjust/dialogs/Fcut.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "forms/Widgets.h"
#include "image/Dib.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace {
constexpr QPoint kFrame(280, 8);
constexpr int kFrameSide = 100;
constexpr std::array<QSize, 5> kSizes = {QSize(640, 480), QSize(800, 600), QSize(1024, 768),
                                         QSize(1152, 864), QSize(1280, 1024)};
} // namespace

TCutForm::TCutForm(Host *main) : DocumentDialog(main) {
  setObjectName(QStringLiteral("CutForm"));
  setWindowTitle(QStringLiteral("画像の切取り"));
  setModal(true);

  auto *left = new QWidget(this);
  auto *box = new QVBoxLayout(left);
  box->setContentsMargins(0, 0, 0, 0);

  rgMode = new QButtonGroup(this);
  rbFixed = new QRadioButton(QStringLiteral("固定サイズ"), left);
  rbRatio = new QRadioButton(QStringLiteral("縦横比固定"), left);
  rbFree = new QRadioButton(QStringLiteral("任意サイズ"), left);
  rgMode->addButton(rbFixed, FixedSize);
  rgMode->addButton(rbRatio, KeepRatio);
  rgMode->addButton(rbFree, FreeSize);

  box->addWidget(rbFixed);
  rgSize = AddRadioGroup(left, box, QStringLiteral("gbSize"), QString(),
                         {QStringLiteral("６４０Ｘ４８０"), QStringLiteral("８００Ｘ６００"),
                          QStringLiteral("１０２４Ｘ７６８"), QStringLiteral("１１５２Ｘ８６４"),
                          QStringLiteral("１２８０Ｘ１０２４")},
                         1);
  gbSize = left->findChild<QGroupBox *>(QStringLiteral("gbSize"));
  box->addWidget(rbRatio);
  rgRatio = AddRadioGroup(
      left, box, QStringLiteral("gbRatio"), QString(),
      {QStringLiteral("現在の比率"), QStringLiteral("４：３"), QStringLiteral("５：４")}, 3);
  gbRatio = left->findChild<QGroupBox *>(QStringLiteral("gbRatio"));
  rgRatio->button(0)->setChecked(true);
  box->addWidget(rbFree);

  auto *edits = new QHBoxLayout;
  Edit1 = new QLineEdit(left);
  Edit2 = new QLineEdit(left);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit2->setObjectName(QStringLiteral("Edit2"));
  for (QLineEdit *e : {Edit1, Edit2}) {
    e->setValidator(new QIntValidator(0, 999999, e));
    e->setMaximumWidth(64);
    e->installEventFilter(this);
  }
  edits->addWidget(new QLabel(QStringLiteral("横"), left));
  edits->addWidget(Edit1);
  edits->addWidget(new QLabel(QStringLiteral("縦"), left));
  edits->addWidget(Edit2);
  edits->addStretch();
  box->addLayout(edits);

  auto *anchorRow = new QHBoxLayout;
  anchorRow->addWidget(new QLabel(QStringLiteral("基準位置の指定"), left));
  auto *grid = new QGridLayout;
  grid->setSpacing(1);
  rgAnchor = new QButtonGroup(this);
  const QStringList arrows = {QStringLiteral("↖"), QStringLiteral("↑"), QStringLiteral("↗"),
                              QStringLiteral("←"), QStringLiteral("●"), QStringLiteral("→"),
                              QStringLiteral("↙"), QStringLiteral("↓"), QStringLiteral("↘")};
  for (int i = 0; i < 9; ++i) {
    auto *b = new QToolButton(left);
    b->setText(arrows[i]);
    b->setCheckable(true);
    b->setFixedSize(24, 24);
    rgAnchor->addButton(b, i);
    grid->addWidget(b, i / 3, i % 3);
  }
  rgAnchor->button(Centre)->setChecked(true);
  anchorRow->addLayout(grid);
  anchorRow->addStretch();
  box->addLayout(anchorRow);
  box->addStretch();
  left->setGeometry(8, 8, kFrame.x() - 16, left->sizeHint().height());

  auto *ok = new QPushButton(QStringLiteral("OK"), this);
  auto *cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  ok->setObjectName(QStringLiteral("bOK"));
  cancel->setObjectName(QStringLiteral("bCancel"));
  ok->setDefault(true);
  ok->setGeometry(kFrame.x(), kFrame.y() + kFrameSide + 12, kFrameSide, 26);
  cancel->setGeometry(kFrame.x(), kFrame.y() + kFrameSide + 44, kFrameSide, 26);
  connect(ok, &QPushButton::clicked, this, &TCutForm::bOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  rbFree->setChecked(true);
  ModeChanged();
  connect(rgMode, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) ModeChanged();
  });
  for (QButtonGroup *g : {rgSize, rgRatio, rgAnchor})
    connect(g, &QButtonGroup::idToggled, this, [this](int, bool on) {
      if (on) update();
    });
  connect(Edit1, &QLineEdit::textChanged, this, [this] { EditChanged(Edit1); });
  connect(Edit2, &QLineEdit::textChanged, this, [this] { EditChanged(Edit2); });
  setFixedSize(kFrame.x() + kFrameSide + 12,
               std::max(left->height() + 16, kFrame.y() + kFrameSide + 80));
}

TCutForm::~TCutForm() = default;

int TCutForm::Value(const QLineEdit *edit) { return edit->text().toInt(); }

void TCutForm::SetValue(QLineEdit *edit, int value) { edit->setText(QString::number(value)); }

void TCutForm::Prepare(Document *child) {
  child_ = child;
  if (!child_ || !child_->Picture()) return;
  imageWidth_ = child_->Width();
  imageHeight_ = child_->Height();
  PreviewCopy copy = MakePreviewCopy(child_->Picture().get(), false, 0, 0);
  picture_ = std::move(copy.image);
  pictureWidth_ = copy.width;
  pictureHeight_ = copy.height;
  bool anyFits = false;
  for (int i = 0; i < int(kSizes.size()); ++i) {
    const bool fits = imageWidth_ >= kSizes[i].width() && imageHeight_ >= kSizes[i].height();
    rgSize->button(i)->setEnabled(fits);
    anyFits = anyFits || fits;
  }
  rbFixed->setEnabled(anyFits);
  updating_ = true;
  SetValue(Edit1, imageWidth_);
  SetValue(Edit2, imageHeight_);
  updating_ = false;
  update();
}

void TCutForm::ModeChanged() {
  const int mode = rgMode->checkedId();
  gbSize->setEnabled(mode == FixedSize);
  gbRatio->setEnabled(mode == KeepRatio);
  Edit1->setEnabled(mode != FixedSize);
  Edit2->setEnabled(mode != FixedSize);
  update();
}

int TCutForm::HeightFor(int width) const {
  switch (rgRatio->checkedId()) {
  case 1: return width * 3 / 4;
  case 2: return width * 4 / 5;
  default: return imageWidth_ > 0 ? int(qint64(width) * imageHeight_ / imageWidth_) : width;
  }
}

int TCutForm::WidthFor(int height) const {
  switch (rgRatio->checkedId()) {
  case 1: return height * 4 / 3;
  case 2: return height * 5 / 4;
  default: return imageHeight_ > 0 ? int(qint64(height) * imageWidth_ / imageHeight_) : height;
  }
}

void TCutForm::EditChanged(QLineEdit *edit) {
  if (updating_ || !child_) return;
  updating_ = true;
  const bool isWidth = edit == Edit1;
  const int limit = isWidth ? imageWidth_ : imageHeight_;
  int v = Value(edit);
  if (v > limit) {
    v = limit;
    SetValue(edit, v);
  }
  if (rgMode->checkedId() == KeepRatio) {
    if (isWidth)
      SetValue(Edit2, HeightFor(v));
    else
      SetValue(Edit1, WidthFor(v));
  }
  updating_ = false;
  update();
}

void TCutForm::EditEntered(QLineEdit *edit) {
  if (updating_ || !child_ || rgMode->checkedId() != KeepRatio) return;
  updating_ = true;
  if (edit == Edit1)
    SetValue(Edit1, WidthFor(Value(Edit2)));
  else
    SetValue(Edit2, HeightFor(Value(Edit1)));
  updating_ = false;
  update();
}

bool TCutForm::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusIn && (watched == Edit1 || watched == Edit2))
    EditEntered(static_cast<QLineEdit *>(watched));
  return QDialog::eventFilter(watched, event);
}

QRect TCutForm::CropRectangle() const {
  int w = 0, h = 0;
  if (rgMode->checkedId() == FixedSize) {
    const QSize s = kSizes[size_t(std::max(rgSize->checkedId(), 0))];
    w = s.width();
    h = s.height();
  } else {
    w = Value(Edit1);
    h = Value(Edit2);
  }
  const int W = imageWidth_, H = imageHeight_;
  const int anchor = rgAnchor->checkedId();
  const int column = anchor % 3, row = anchor / 3;
  const int x = column == 0 ? 0 : column == 1 ? (W - w) / 2 : W - w;
  const int y = row == 0 ? 0 : row == 1 ? (H - h) / 2 : H - h;
  return QRect(x, y, w, h);
}

QPoint TCutForm::PictureOrigin() const {
  return QPoint(kFrame.x() + (kFrameSide - pictureWidth_) / 2,
                kFrame.y() + (kFrameSide - pictureHeight_) / 2);
}

QRect TCutForm::CropFrame() const {
  const int k = imageWidth_ > 0 ? pictureWidth_ * 1000 / imageWidth_ : 0;
  const QRect r = CropRectangle();
  return QRect(PictureOrigin() + QPoint(r.x() * k / 1000, r.y() * k / 1000),
               QSize(r.width() * k / 1000 + 1, r.height() * k / 1000 + 1));
}

void TCutForm::paintEvent(QPaintEvent *event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(kFrame.x() - 1, kFrame.y() - 1, kFrameSide + 1, kFrameSide + 1);
  if (!picture_) return;
  const QPoint origin = PictureOrigin();
  Kit.ImgKitDisplayXY(&p, picture_.get(), origin.x(), origin.y());
  // An inverted outline stays visible on any picture.
  const QRect frame = CropFrame();
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(frame.adjusted(0, 0, -1, -1));
}

void TCutForm::bOKClick() {
  if (!child_ || !child_->Picture()) {
    reject();
    return;
  }
  const QRect r = CropRectangle();
  if (r.width() < 1 || r.height() < 1) return;
  child_->RecordUndo();
  child_->Picture().Adopt(Kit.ImgKitRectCut(child_->Picture().get(), "VELMIR", "切取処理中",
                                            r.left(), r.top(), r.left() + r.width() - 1,
                                            r.top() + r.height() - 1));
  // The area frame goes back to the corner of the smaller picture.
  child_->ResetArea();
  child_->Commit();
  accept();
}
