// Full-screen windows and the screen they cover.
#include "forms/FullScreenWindow.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QWindow>

#include <optional>

namespace {

std::optional<ScreenArea> fixedArea;

} // namespace

ScreenArea ScreenAreaOf(const QWidget *over) {
  if (fixedArea) return *fixedArea;
  QScreen *screen = over ? over->window()->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  ScreenArea area;
  area.screen = screen;
  if (screen) {
    area.geometry = screen->geometry();
    area.pixelRatio = screen->devicePixelRatio();
  }
  return area;
}

void FixScreenAreaForTesting(const QRect *geometry, double pixelRatio) {
  if (!geometry) {
    fixedArea.reset();
    return;
  }
  ScreenArea area;
  area.geometry = *geometry;
  area.pixelRatio = pixelRatio;
  fixedArea = area;
}

FullScreenWindow::FullScreenWindow(const ScreenArea &area, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), area_(area) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::StrongFocus);
  if (area_.screen) {
    connect(area_.screen, &QScreen::geometryChanged, this, &FullScreenWindow::ScreenChanged);
    connect(area_.screen, &QObject::destroyed, this, &FullScreenWindow::ScreenChanged);
  }
  connect(qGuiApp, &QGuiApplication::screenAdded, this, &FullScreenWindow::ScreenChanged);
  connect(qGuiApp, &QGuiApplication::screenRemoved, this, &FullScreenWindow::ScreenChanged);
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &FullScreenWindow::ScreenChanged);
}

FullScreenWindow::~FullScreenWindow() {
  // Whoever waits in Exec must not wait on a window that is gone.
  if (open_) Finish(0);
}

void FullScreenWindow::Open(bool modal) {
  open_ = true;
  lostScreen_ = false;
  result_ = 0;
  setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
  if (area_.screen) setScreen(area_.screen);
  setGeometry(area_.geometry);
  if (area_.screen)
    showFullScreen();
  else
    show();
  if (QWindow *handle = windowHandle())
    connect(handle, &QWindow::screenChanged, this, &FullScreenWindow::ScreenChanged,
            Qt::UniqueConnection);
  // Above whatever came to the front meanwhile (the offscreen platform,
  // which the tests use, has no stacking).
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
  activateWindow();
  setFocus();
}

int FullScreenWindow::Exec() {
  QPointer<FullScreenWindow> self(this);
  QEventLoop loop;
  connect(this, &FullScreenWindow::finished, &loop, &QEventLoop::quit);
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  Open(true);
  if (open_) loop.exec(QEventLoop::DialogExec);
  return self ? self->result_ : 0;
}

void FullScreenWindow::Finish(int result) {
  if (!open_) return;
  open_ = false;
  result_ = result;
  hide();
  emit finished(result);
}

void FullScreenWindow::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
}

void FullScreenWindow::closeEvent(QCloseEvent *event) {
  event->accept();
  Finish(0);
}

void FullScreenWindow::ScreenChanged() {
  if (!open_) return;
  // A window that moved to another screen while opening is not a change.
  if (sender() == windowHandle() && area_.screen && windowHandle()->screen() == area_.screen)
    return;
  lostScreen_ = true;
  Finish(0);
}
