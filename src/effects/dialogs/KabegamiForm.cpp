#include "effects/dialogs/KabegamiForm.h"

#include "forms/Document.h"
#include "forms/Host.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/DesktopWallpaper.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Kabegami;

namespace {

const char *const kCoordinateNames[6] = {"x0", "y0", "x1", "y1", "幅", "高"};

// A light face for the panels over the black screen.
void LightFace(QWidget *w) {
  w->setAutoFillBackground(true);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, QColor(0xf0, 0xf0, 0xf0));
  pal.setColor(QPalette::WindowText, Qt::black);
  w->setPalette(pal);
}

QLabel *TitleBar(const QString &text, QWidget *parent) {
  auto *bar = new QLabel(text, parent);
  bar->setAlignment(Qt::AlignCenter);
  bar->setAutoFillBackground(true);
  bar->setStyleSheet(QStringLiteral("background:#000080;color:white;padding:2px;"));
  bar->setCursor(Qt::SizeAllCursor);
  return bar;
}

} // namespace

TKabegamiForm::TKabegamiForm(Host *host, Document *child)
    : QDialog(WindowOf(host), Qt::FramelessWindowHint), main_(host), child_(child) {
  setObjectName(QStringLiteral("TKabegamiForm"));
  setWindowTitle(QStringLiteral("壁紙作成"));
  QWidget *owner = WindowOf(host);
  QScreen *screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 800, 600);
  setGeometry(area);
  // Black around the picture: painted, not the palette, so that the
  // panel's controls keep theirs.

  const int w = child ? child->Width() : 0;
  const int h = child ? child->Height() : 0;
  const Size size = ShownSize(w, h, area.width(), area.height());
  picture_ = PictureRect(size, area.width(), area.height());
  scale_ = ScaleOf(w, h, size);
  if (child && child->Picture()) {
    const TMDIB dib(child->Picture().get());
    const QImage full = BitmapFromDib(dib);
    shown_ =
        size.width == w && size.height == h
            ? full
            : full.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }

  // ---- the panel -------------------------------------------------------------
  Panel = new QFrame(this);
  Panel->setObjectName(QStringLiteral("Panel1"));
  Panel->setFrameShape(QFrame::Panel);
  Panel->setFrameShadow(QFrame::Raised);
  LightFace(Panel);
  auto *layout = new QVBoxLayout(Panel);
  layout->setContentsMargins(4, 4, 4, 4);
  QLabel *title = TitleBar(QStringLiteral("簡単壁紙作成パネル"), Panel);
  title->installEventFilter(this);
  layout->addWidget(title);

  auto *choices = new QGridLayout;
  choices_ = new QButtonGroup(this);
  QStringList captions{QStringLiteral("全選択"), QStringLiteral("任意選択")};
  for (const FixedSize &f : kFixedSizes)
    captions << QString::fromLatin1(f.caption);
  for (int i = 0; i < captions.size(); ++i) {
    auto *b = new QPushButton(captions[i], Panel);
    b->setObjectName(QStringLiteral("sbChoice%1").arg(i));
    b->setCheckable(true);
    b->setAutoDefault(false);
    choices_->addButton(b, i);
    choices->addWidget(b, i / 2, i % 2);
  }
  choices_->button(0)->setChecked(true);
  connect(choices_, &QButtonGroup::idClicked, this, &TKabegamiForm::SelectionClick);
  layout->addLayout(choices);

  auto *coordinates = new QGridLayout;
  for (int i = 0; i < 6; ++i) {
    coordinates->addWidget(new QLabel(QString::fromUtf8(kCoordinateNames[i]), Panel), i / 2,
                           (i % 2) * 2);
    coordinateEdits_[i] = new QLineEdit(Panel);
    coordinateEdits_[i]->setObjectName(QStringLiteral("eCoordinate%1").arg(i));
    coordinateEdits_[i]->setReadOnly(true);
    coordinateEdits_[i]->setFixedWidth(56);
    coordinates->addWidget(coordinateEdits_[i], i / 2, (i % 2) * 2 + 1);
  }
  layout->addLayout(coordinates);

  const std::pair<const char *, Target> targets[] = {
      {"壁紙（中  央）へ登録", Target::Centred}, {"壁紙（タイル）へ登録", Target::Tiled},
      {"起動中画面  へ登録", Target::StartUp},   {"終了中画面  へ登録", Target::ShuttingDown},
      {"終 了 画 面  へ登録", Target::Final},
  };
  int n = 0;
  for (const auto &[caption, target] : targets) {
    auto *b = new QPushButton(QString::fromUtf8(caption), Panel);
    b->setObjectName(QStringLiteral("bTarget%1").arg(n++));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, target] { Register(target); });
    layout->addWidget(b);
  }
  auto *cancel = new QPushButton(QStringLiteral("キャンセル"), Panel);
  cancel->setObjectName(QStringLiteral("bCancel"));
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(cancel);
  Panel->adjustSize();
  Panel->move(area.width() - Panel->width() - 2, 2);

  WaitPanel = new QLabel(QStringLiteral("壁紙作成中．．．しばらくお待ちください"), this);
  WaitPanel->setAlignment(Qt::AlignCenter);
  LightFace(WaitPanel);
  WaitPanel->setFrameShape(QFrame::Panel);
  WaitPanel->resize(360, 60);
  WaitPanel->move((area.width() - 360) / 2, (area.height() - 60) / 2);
  WaitPanel->hide();

  SetSelection(picture_);
}

void TKabegamiForm::SetSelection(const Rect &selection, bool shown) {
  selection_ = selection;
  selectionShown_ = shown;
  coordinates_ = CoordinatesOf(selection_, picture_, scale_);
  const int values[6] = {coordinates_.x0, coordinates_.y0,    coordinates_.x1,
                         coordinates_.y1, coordinates_.width, coordinates_.height};
  for (int i = 0; i < 6; ++i)
    coordinateEdits_[i]->setText(shown ? QString::number(values[i]) : QString());
  update();
}

QRect TKabegamiForm::SelectionBox() const {
  return QRect(selection_.left, selection_.top, selection_.width, selection_.height).normalized();
}

void TKabegamiForm::SelectionClick(int id) {
  if (QAbstractButton *b = choices_->button(id)) b->setChecked(true);
  if (id == 0) {
    SetSelection(picture_);
  } else if (id == 1) {
    SetSelection(selection_, false);
  } else if (id >= 2 && id < 2 + static_cast<int>(std::size(kFixedSizes))) {
    const FixedSize &f = kFixedSizes[id - 2];
    SetSelection(FixedSelection(f.width, f.height, scale_, picture_));
  }
}

void TKabegamiForm::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (!shown_.isNull()) p.drawImage(QPoint(picture_.left, picture_.top), shown_);
  if (selectionShown_) {
    const QRect box = SelectionBox();
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawRect(box.adjusted(0, 0, -1, -1));
  }
}

void TKabegamiForm::mousePressEvent(QMouseEvent *event) {
  const QPoint at = event->position().toPoint();
  const QRect pictureBox(picture_.left, picture_.top, picture_.width, picture_.height);
  drag_ = Drag::None;
  if (selectionShown_ && SelectionBox().contains(at)) {
    // On the selection: the left button moves it, the right one resizes it.
    dragStart_ = at;
    pressed_ = selection_;
    if (event->button() == Qt::LeftButton) drag_ = Drag::Move;
    if (event->button() == Qt::RightButton) drag_ = Drag::Resize;
  } else if (choices_->checkedId() == 1 && event->button() == Qt::LeftButton &&
             pictureBox.contains(at)) {
    pressed_ = {at.x(), at.y(), 0, 0};
    drag_ = Drag::New;
    SetSelection(pressed_);
  }
}

void TKabegamiForm::mouseMoveEvent(QMouseEvent *event) {
  const QPoint at = event->position().toPoint();
  switch (drag_) {
  case Drag::New: SetSelection(DragTo(pressed_, at.x(), at.y(), picture_)); break;
  case Drag::Move: {
    Rect moved = pressed_;
    moved.left += at.x() - dragStart_.x();
    moved.top += at.y() - dragStart_.y();
    SetSelection(moved);
    break;
  }
  case Drag::Resize: SetSelection(ResizeBy(pressed_, at.x() - dragStart_.x())); break;
  case Drag::None: break;
  }
}

void TKabegamiForm::mouseReleaseEvent(QMouseEvent *) { drag_ = Drag::None; }

void TKabegamiForm::keyPressEvent(QKeyEvent *event) { event->accept(); }

bool TKabegamiForm::eventFilter(QObject *watched, QEvent *event) {
  if (watched->parent() == Panel) {
    auto *mouse = dynamic_cast<QMouseEvent *>(event);
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
      panelDragging_ = true;
      panelGrab_ = mouse->globalPosition().toPoint() - Panel->pos();
      return true;
    }
    if (event->type() == QEvent::MouseMove && panelDragging_) {
      Panel->move(mouse->globalPosition().toPoint() - panelGrab_);
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) panelDragging_ = false;
  }
  return QDialog::eventFilter(watched, event);
}

void TKabegamiForm::Failed(const QString &text) {
  WaitPanel->hide();
  setEnabled(true);
  UserDialogs::Error(this, text);
}

bool TKabegamiForm::Register(Target target) {
  if (!selectionShown_ || !child_ || !child_->Picture()) return false;
  setEnabled(false);
  WaitPanel->show();
  WaitPanel->raise();
  WaitPanel->repaint();
  const Kabegami::Coordinates c = Ordered(coordinates_);
  DibHandle cut(Kit.ImgKitRectCut(child_->Picture().get(), "", "", c.x0, c.y0, c.x1, c.y1));
  if (!cut) {
    Failed(QStringLiteral("切取りに失敗しました"));
    return false;
  }
  IMGKIT_IMAGEINFO info{};
  Kit.ImgKitImageInfo(cut.get(), &info);
  const int displayColours = main_ ? main_->DisplayColourCount() : Kit.ImgKitSystemPalette();
  if (target == Target::Centred || target == Target::Tiled) {
    const int m = General.wallPaperPalette != 0 ? 0 : 1;
    if (const int depth = WallpaperDepth(DisplayBits(displayColours), PictureBits(info.kind)))
      cut.Adopt(Kit.ImgKitConvertColor(cut.get(), depth, m, 1, "", ""));
    using namespace DesktopWallpaper;
    const Result result =
        SaveAndApply(cut.get(), target == Target::Tiled ? Style::Tiled : Style::Centred);
    if (result == Result::NotSaved) {
      Failed(QStringLiteral("ファイルを保存できません"));
      return false;
    }
    if (result == Result::NotApplied && main_) main_->ShowStatus(kNotAppliedText);
  } else {
    const int m = General.startScreenPalette != 0 ? 0 : 1;
    const DibHandle logo = LogoPicture(cut.get(), m);
    const QString file = DesktopWallpaper::WindowsFolder() + LogoFileName(target);
    // The kit's writer goes through a temporary file beside the target.
    if (!logo || !Kit.ImgKitBmpFileSave(QFile::encodeName(file).constData(), logo.get(), "VELMIR",
                                        "画像保存中", 0)) {
      Failed(QStringLiteral("ファイルを保存できません"));
      return false;
    }
  }
  WaitPanel->hide();
  setEnabled(true);
  accept();
  return true;
}

void KabegamiCommand(Host *main, Document *child) {
  if (!child || !child->Picture()) return;
  {
    TKabegamiForm form(main, child);
    form.exec();
  }
  if (main) main->Window()->raise();
}
