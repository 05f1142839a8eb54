// The slide show's view and the crop view.
#include "browser/windows/FullScreenView.h"

#include "forms/NewFullScr.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"
#include "platform/UserDialogs.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kInitialIntervalMs = 10000;
constexpr int kPanelMargin = 2;
const QSize kPresetSizes[4] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};

int Rounded(double v) { return static_cast<int>(std::lround(v)); }

} // namespace

CropLayout CropLayoutFor(QSize picture, QSize screen) {
  CropLayout layout;
  layout.display = picture;
  if (screen.isEmpty() || picture.isEmpty()) return layout;
  if (picture.width() <= screen.width() && picture.height() <= screen.height()) return layout;
  layout.scale = std::max(static_cast<double>(picture.width()) / screen.width(),
                          static_cast<double>(picture.height()) / screen.height());
  layout.display = QSize(std::max(1, static_cast<int>(picture.width() / layout.scale)),
                         std::max(1, static_cast<int>(picture.height() / layout.scale)));
  return layout;
}

CropMarks MarksOfFrame(QRect frame, QRect picture, QSize image) {
  CropMarks m;
  if (picture.isEmpty() || image.isEmpty()) return m;
  const double fx = static_cast<double>(image.width()) / picture.width();
  const double fy = static_cast<double>(image.height()) / picture.height();
  m.any = true;
  m.x0 = Rounded((frame.left() - picture.left()) * fx);
  m.y0 = Rounded((frame.top() - picture.top()) * fy);
  // The last marked pixel: the one before the frame's far edge, so that the
  // cut is as wide as the width shown.
  m.x1 = Rounded((frame.left() + frame.width() - picture.left()) * fx) - 1;
  m.y1 = Rounded((frame.top() + frame.height() - picture.top()) * fy) - 1;
  m.width = Rounded(std::abs(frame.width()) * fx);
  m.height = Rounded(std::abs(frame.height()) * fy);
  return m;
}

TFullScreenView::TFullScreenView(const ScreenArea &area, QWidget *parent)
    : FullScreenWindow(area, parent) {
  setObjectName(QStringLiteral("FullScreenView"));
  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  Timer->setTimerType(Qt::PreciseTimer);
  Timer->setSingleShot(true);
  Timer->setInterval(kInitialIntervalMs);
  connect(Timer, &QTimer::timeout, this, [this] { Finish(Next); });
  connect(this, &FullScreenWindow::finished, Timer, &QTimer::stop);
}

void TFullScreenView::ShowPicture(const ScreenPicture &picture) {
  bitmap_ = picture.bitmap;
  picture_ = QRect(CentreOnScreen(picture.display, ScreenSize()), picture.display);
  update();
}

// ---- crop -------------------------------------------------------------------

bool TFullScreenView::StartCrop(IMGHANDLE image, int displayColours, TfWaitMess *wait,
                                const DisplayProfile &profile) {
  TMDIB dib(image);
  if (!dib.Attached() || dib.width <= 0 || dib.height <= 0) return false;
  imageSize_ = QSize(dib.width, dib.height);
  const CropLayout layout = CropLayoutFor(imageSize_, ScreenSize());
  WaitWhileWorking progress(wait);
  ScreenPictureOptions options;
  options.screen = ScreenSize();
  options.pixelRatio = Area().pixelRatio;
  options.display = layout.display;
  options.highQuality = true; // full colour is always reduced by area averaging here
  options.displayColours = displayColours;
  options.profile = profile;
  options.progress = &progress;
  const ScreenPicture shown = PrepareScreenPicture(image, options);
  if (shown.IsNull()) return false;
  image_ = image;
  scale_ = layout.scale;
  cropMode_ = true;
  cutMade_ = false;
  ShowPicture(shown);
  if (!CutPanel) BuildPanel();
  CutPanel->adjustSize();
  CutPanel->move(ScreenSize().width() - CutPanel->width() - kPanelMargin, kPanelMargin);
  CutPanel->show();
  SetSelection(QRect());
  return true;
}

void TFullScreenView::BuildPanel() {
  CutPanel = new QFrame(this);
  CutPanel->setObjectName(QStringLiteral("CutPanel"));
  CutPanel->setFrameShape(QFrame::Panel);
  CutPanel->setFrameShadow(QFrame::Raised);
  CutPanel->setAutoFillBackground(true);
  CutPanel->setCursor(Qt::ArrowCursor);
  auto *box = new QVBoxLayout(CutPanel);
  box->setContentsMargins(4, 4, 4, 4);
  box->setSpacing(4);

  TitleTab = new QLabel(QStringLiteral("Cut Tool"), CutPanel);
  TitleTab->setObjectName(QStringLiteral("TitleTab"));
  TitleTab->setAlignment(Qt::AlignCenter);
  TitleTab->setAutoFillBackground(true);
  QPalette title = TitleTab->palette();
  title.setColor(QPalette::Window, QColor(0, 0, 128));
  title.setColor(QPalette::WindowText, Qt::white);
  TitleTab->setPalette(title);
  TitleTab->setCursor(Qt::SizeAllCursor);
  TitleTab->installEventFilter(this);
  box->addWidget(TitleTab);

  modes_ = new QButtonGroup(this);
  auto *buttons = new QGridLayout;
  auto mode = [this, buttons](const QString &text, const QString &name, int row, int column) {
    auto *b = new QPushButton(text, CutPanel);
    b->setObjectName(name);
    b->setCheckable(true);
    b->setFocusPolicy(Qt::NoFocus);
    modes_->addButton(b);
    buttons->addWidget(b, row, column);
    return b;
  };
  bFree = mode(QStringLiteral("任意選択"), QStringLiteral("bFree"), 0, 0);
  bAll = mode(QStringLiteral("全選択"), QStringLiteral("bAll"), 0, 1);
  for (int i = 0; i < 4; ++i) {
    const QSize s = kPresetSizes[i];
    bSize[i] = mode(QStringLiteral("%1*%2").arg(s.width()).arg(s.height()),
                    QStringLiteral("bSize%1").arg(s.width()), 1 + i / 2, i % 2);
    connect(bSize[i], &QPushButton::clicked, this,
            [this, s] { SelectImagePixels(s.width(), s.height()); });
  }
  bFree->setChecked(true);
  connect(bAll, &QPushButton::clicked, this, &TFullScreenView::SelectAll);
  box->addLayout(buttons);

  const QString hint = QStringLiteral("マニュアルでサイズを設定する場合ここに入力");
  auto *typed = new QGridLayout;
  auto edit = [this, typed, &hint](const QString &caption, const QString &name, int row) {
    typed->addWidget(new QLabel(caption, CutPanel), row, 0);
    auto *e = new QLineEdit(CutPanel);
    e->setObjectName(name);
    e->setMaxLength(4);
    e->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), e));
    e->setToolTip(hint);
    e->setFixedWidth(56);
    connect(e, &QLineEdit::textEdited, this, &TFullScreenView::TypedSize);
    typed->addWidget(e, row, 1);
    return e;
  };
  edWidth = edit(QStringLiteral("幅"), QStringLiteral("edWidth"), 0);
  edHeight = edit(QStringLiteral("高さ"), QStringLiteral("edHeight"), 1);
  box->addLayout(typed);

  auto *marks = new QGridLayout;
  marks->setHorizontalSpacing(10);
  auto value = [this, marks](const QString &caption, const QString &name, int row, int column) {
    marks->addWidget(new QLabel(caption, CutPanel), row, column * 2);
    auto *l = new QLabel(CutPanel);
    l->setObjectName(name);
    l->setMinimumWidth(40);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    marks->addWidget(l, row, column * 2 + 1);
    return l;
  };
  lbX0 = value(QStringLiteral("X0"), QStringLiteral("lbX0"), 0, 0);
  lbY0 = value(QStringLiteral("Y0"), QStringLiteral("lbY0"), 0, 1);
  lbX1 = value(QStringLiteral("X1"), QStringLiteral("lbX1"), 1, 0);
  lbY1 = value(QStringLiteral("Y1"), QStringLiteral("lbY1"), 1, 1);
  lbWidth = value(QStringLiteral("幅"), QStringLiteral("lbWidth"), 2, 0);
  lbHeight = value(QStringLiteral("高さ"), QStringLiteral("lbHeight"), 2, 1);
  box->addLayout(marks);

  auto *row = new QHBoxLayout;
  bCut = new QPushButton(QStringLiteral("切取"), CutPanel);
  bCut->setObjectName(QStringLiteral("bCut"));
  bCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), CutPanel);
  bCancel->setObjectName(QStringLiteral("bCancel"));
  connect(bCut, &QPushButton::clicked, this, &TFullScreenView::CutClick);
  connect(bCancel, &QPushButton::clicked, this, [this] { Finish(Closed); });
  row->addWidget(bCut);
  row->addWidget(bCancel);
  box->addLayout(row);
}

QRect TFullScreenView::Centred(QSize size) const {
  const QRect r(picture_.left() + (picture_.width() - size.width()) / 2,
                picture_.top() + (picture_.height() - size.height()) / 2, size.width(),
                size.height());
  // A frame larger than the picture marks the whole of it in that direction.
  return r.intersected(picture_);
}

void TFullScreenView::SelectAll() { SetSelection(picture_); }

void TFullScreenView::SelectImagePixels(int width, int height) {
  if (picture_.isEmpty() || imageSize_.isEmpty()) return;
  const double fx = static_cast<double>(imageSize_.width()) / picture_.width();
  const double fy = static_cast<double>(imageSize_.height()) / picture_.height();
  SetSelection(Centred(QSize(static_cast<int>(width / fx), static_cast<int>(height / fy))));
}

void TFullScreenView::SetSelection(QRect frame) {
  frame_ = frame.isValid() ? frame : QRect();
  marks_ = frame.isValid() ? MarksOfFrame(frame_, picture_, imageSize_) : CropMarks{};
  ShowMarks();
  update();
}

void TFullScreenView::ShowMarks() {
  if (!lbX0) return;
  const auto text = [this](int v) { return marks_.any ? QString::number(v) : QString(); };
  lbX0->setText(text(marks_.x0));
  lbY0->setText(text(marks_.y0));
  lbX1->setText(text(marks_.x1));
  lbY1->setText(text(marks_.y1));
  lbWidth->setText(text(marks_.width));
  lbHeight->setText(text(marks_.height));
}

void TFullScreenView::TypedSize() {
  bFree->setChecked(true);
  const int width = edWidth->text().toInt();
  const int height = edHeight->text().toInt();
  if (width <= 0 || height <= 0) {
    SetSelection(QRect());
    return;
  }
  SelectImagePixels(width, height);
}

void TFullScreenView::CutClick() {
  if (!cropMode_ || !image_) return;
  if (!marks_.any || marks_.width == 0 || marks_.height == 0) {
    UserDialogs::Message(this, QStringLiteral("VELMIR"),
                         QStringLiteral("指定された範囲では切取りができません"));
    return;
  }
  const int left = std::min(marks_.x0, marks_.x1), right = std::max(marks_.x0, marks_.x1);
  const int top = std::min(marks_.y0, marks_.y1), bottom = std::max(marks_.y0, marks_.y1);
  // The kit cuts into a new picture and leaves the document's alone.
  DibHandle cut(Kit.ImgKitRectCut(image_, "VELMIR", "切取り中", left, top, right, bottom));
  if (!cut) {
    UserDialogs::Message(this, QStringLiteral("VELMIR"),
                         QStringLiteral("指定された範囲では切取りができません"));
    return;
  }
  QGuiApplication::clipboard()->clear();
  if (Kit.ImgKitSetToClipBrd(this, cut.get()) == 0) return;
  cutMade_ = true;
  Finish(CutDone);
}

// ---- painting and input -----------------------------------------------------

void TFullScreenView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!bitmap_.isNull()) painter.drawImage(picture_, bitmap_, bitmap_.rect());
  if (cropMode_ && frame_.isValid()) {
    const QRect r = frame_.adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::white, 1, Qt::SolidLine));
    painter.drawRect(r);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(r);
  }
}

void TFullScreenView::mousePressEvent(QMouseEvent *event) {
  const QPoint at = event->position().toPoint();
  if (!cropMode_) {
    if (picture_.contains(at)) Finish(Next);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (frame_.isValid() && frame_.contains(at)) {
    drag_ = Drag::Move;
    dragStart_ = at;
    frameAtStart_ = frame_;
  } else if (bFree->isChecked() && picture_.contains(at)) {
    drag_ = Drag::Draw;
    dragStart_ = at;
    SetSelection(QRect(at, QSize(0, 0)));
    // A frame of no size still counts as marked (an empty range).
    marks_ = MarksOfFrame(QRect(at, QSize(0, 0)), picture_, imageSize_);
    ShowMarks();
  }
}

void TFullScreenView::mouseMoveEvent(QMouseEvent *event) {
  if (drag_ == Drag::None) return;
  const QPoint at = event->position().toPoint();
  if (drag_ == Drag::Draw) {
    // The far edge stops at the picture's edge.
    const int x = std::clamp(at.x(), picture_.left(), picture_.right() + 1);
    const int y = std::clamp(at.y(), picture_.top(), picture_.bottom() + 1);
    const QRect r(QPoint(std::min(x, dragStart_.x()), std::min(y, dragStart_.y())),
                  QSize(std::abs(x - dragStart_.x()), std::abs(y - dragStart_.y())));
    if (r.isValid()) {
      SetSelection(r);
    } else {
      frame_ = QRect();
      marks_ = MarksOfFrame(r, picture_, imageSize_);
      ShowMarks();
      update();
    }
  } else if (drag_ == Drag::Move) {
    QRect r = frameAtStart_.translated(at - dragStart_);
    r.moveLeft(std::clamp(r.left(), picture_.left(), picture_.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), picture_.top(), picture_.bottom() + 1 - r.height()));
    SetSelection(r);
  }
}

void TFullScreenView::mouseReleaseEvent(QMouseEvent *) { drag_ = Drag::None; }

void TFullScreenView::keyPressEvent(QKeyEvent *event) {
  if (cropMode_) {
    FullScreenWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  // Esc leaves the whole slide show; any other key moves on.
  Finish(event->key() == Qt::Key_Escape ? EndShow : Next);
}

bool TFullScreenView::eventFilter(QObject *watched, QEvent *event) {
  if (watched != TitleTab) return FullScreenWindow::eventFilter(watched, event);
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return FullScreenWindow::eventFilter(watched, event);
  auto *mouse = static_cast<QMouseEvent *>(event);
  switch (event->type()) {
  case QEvent::MouseButtonPress:
    if (mouse->button() == Qt::LeftButton) {
      drag_ = Drag::Panel;
      dragStart_ = mouse->globalPosition().toPoint();
      panelAtStart_ = CutPanel->pos();
    }
    return true;
  case QEvent::MouseMove:
    if (drag_ == Drag::Panel) {
      QPoint to = panelAtStart_ + (mouse->globalPosition().toPoint() - dragStart_);
      // The panel stays on the screen.
      to.setX(std::clamp(to.x(), 0, std::max(0, width() - CutPanel->width())));
      to.setY(std::clamp(to.y(), 0, std::max(0, height() - CutPanel->height())));
      CutPanel->move(to);
    }
    return true;
  case QEvent::MouseButtonRelease: drag_ = Drag::None; return true;
  default: return false;
  }
}

// ---- the entry points ---------------------------------------------------------

ScreenPictureOptions ScreenOptionsFor(const QWidget *over) {
  const ScreenArea area = ScreenAreaOf(over);
  ScreenPictureOptions options;
  options.screen = area.geometry.size();
  options.pixelRatio = area.pixelRatio;
  return options;
}

bool RunCropView(QWidget *over, IMGHANDLE image, int displayColours, TfWaitMess *wait,
                 const DisplayProfile &profile) {
  if (!image) return false;
  const ScreenArea area = ScreenAreaOf(over);
  if (area.geometry.isEmpty()) return false;
  FullScreenWindow curtain(area);
  curtain.setObjectName(QStringLiteral("FullScreenCurtain"));
  curtain.Open(false);
  TFullScreenView view(area);
  if (!view.StartCrop(image, displayColours, wait, profile)) return false;
  // As for the simple view: the wait window's aftermath first.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (!curtain.IsOpen()) return false;
  return view.Exec() == TFullScreenView::CutDone && view.CutMade();
}

void ShowFullScreenWith(QWidget *over,
                        const std::function<ScreenPicture(ScreenPictureOptions)> &prepare) {
  const ScreenArea area = ScreenAreaOf(over);
  if (area.geometry.isEmpty()) return;
  FullScreenWindow curtain(area);
  curtain.setObjectName(QStringLiteral("FullScreenCurtain"));
  curtain.Open(false);
  ScreenPictureOptions options;
  options.screen = area.geometry.size();
  options.pixelRatio = area.pixelRatio;
  const ScreenPicture picture = prepare(options);
  if (picture.IsNull() || !curtain.IsOpen()) return;
  // What closing the wait window set off (the main window coming back to
  // the front) happens before the view goes up, not over it.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (!curtain.IsOpen()) return;
  TNewFullScr view(area);
  view.SetFrame(picture.bitmap, picture.display);
  view.Exec();
}

void ShowFileFullScreen(QWidget *over, const QString &path, bool highQuality, int displayColours,
                        TfWaitMess *wait) {
  ShowFullScreenWith(over, [&](ScreenPictureOptions options) {
    WaitWhileWorking progress(wait);
    options.highQuality = highQuality;
    options.displayColours = displayColours;
    options.progress = &progress;
    return LoadScreenPicture(path, options);
  });
}
