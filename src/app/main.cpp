// Program entry. Until the main window lands this is a plain viewer: it
// shows the image file named on the command line through the imaging kit.
#include "image/Dib.h"
#include "platform/Fonts.h"
#include "platform/ImageControl.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>

#include <string>

namespace {

void ShowMessage(QWidget *parent, const QString &text) {
  QMessageBox::warning(parent, QStringLiteral("VELMIR"), text);
}

// Saves a picture of the window and quits: how the program is looked at on
// a machine without a display.
void ScheduleScreenshot(QMainWindow *window, const QString &path) {
  QTimer::singleShot(1500, window, [window, path] {
    window->grab().save(path);
    QApplication::quit();
  });
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VELMIR"));
  InstallJapaneseFontSubstitutes();
  LoadImagingKit();
  SetKitMissingReporter([](const std::string &library) {
    ShowMessage(nullptr, QStringLiteral("画像処理ライブラリ %1 を読み込めません。この機能は使えません。")
                             .arg(QString::fromStdString(library)));
  });

  QMainWindow window;
  window.setWindowTitle(QStringLiteral(" VELMIR"));
  auto *scroll = new QScrollArea(&window);
  auto *picture = new ImageControl;
  scroll->setWidget(picture);
  scroll->setBackgroundRole(QPalette::Dark);
  window.setCentralWidget(scroll);
  window.resize(800, 600);

  if (argc > 1) {
    DibHandle image(Kit.ImgKitFileLoad(argv[1], "", ""));
    if (!image) {
      ShowMessage(&window, QStringLiteral("読込めないデータ形式です"));
    } else {
      TMDIB dib(image.get());
      dib.ShowInImage(picture);
      picture->resize(picture->sizeHint());
      window.statusBar()->showMessage(QStringLiteral("%1 × %2 ピクセル  %3 ビット")
                                          .arg(dib.width)
                                          .arg(dib.height)
                                          .arg(dib.BitsPerPixel()));
      window.setWindowTitle(QStringLiteral(" VELMIR - %1").arg(QString::fromLocal8Bit(argv[1])));
    }
  } else {
    window.statusBar()->showMessage(QStringLiteral("画像ファイルを指定してください"));
  }
  window.show();

  const QString shot = qEnvironmentVariable("VELMIR_SCREENSHOT");
  if (!shot.isEmpty()) ScheduleScreenshot(&window, shot);
  return app.exec();
}
