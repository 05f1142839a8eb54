// Program entry: one instance per user; a later start hands its file names
// to the running one and ends.
#include "app/About.h"
#include "app/Icons.h"
#include "app/MainForm.h"
#include "browser/windows/Fbrowser.h"
#include "browser/windows/ImageView.h"
#include "forms/Waitmess.h"
#include "image/Kit.h"
#include "platform/Fonts.h"
#include "platform/SingleInstance.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

// The running instance has its own working folder: names relative to ours
// would point elsewhere there.
QStringList AbsoluteNames(const QStringList &arguments) {
  QStringList names;
  for (const QString &argument : arguments)
    names << (QDir::isAbsolutePath(argument) ? argument
                                             : QDir::current().absoluteFilePath(argument));
  return names;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VELMIR"));
  // Every window shows the program's icon; the desktop pairs the windows
  // with the installed desktop entry of this name.
  QApplication::setWindowIcon(ApplicationIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("jp.kzr.velmir"));
  InstallJapaneseFontSubstitutes();
  const QStringList files = QApplication::arguments().mid(1);

  SingleInstance instance;
  if (!instance.BecomeFirst()) {
    SingleInstance::HandToFirstInstance(AbsoluteNames(files));
    return 1;
  }

  // The long-lived windows, in their fixed order; the main window's
  // creation loads the kit and reads the settings.
  QPointer<TMainForm> main = new TMainForm;
  if (!main->AboutBox) main->AboutBox = new TAboutBox(main);
  main->WaitMess = new TfWaitMess(main);
  main->CommandLineFiles = files;
  QObject::connect(&instance, &SingleInstance::HandOff, main.data(),
                   [main](const QByteArray &text, int count) {
                     if (main) main->ReceiveHandOff(text, count);
                   });

  // A picture of the window instead of a session: how the program is looked
  // at on a machine without a display. Armed before the first showing, which
  // may open the first-start dialog.
  bool shotTaken = false;
  const QString shot = qEnvironmentVariable("VELMIR_SCREENSHOT");
  if (!shot.isEmpty()) {
    // Menu commands or tool buttons to run first, comma-separated, 700 ms
    // apart, so that the dialog they bring up is what the picture shows;
    // "click:NAME" clicks the button of that name in the dialog that is up.
    const QStringList commands = qEnvironmentVariable("VELMIR_SCREENSHOT_COMMAND")
                                     .split(QLatin1Char(','), Qt::SkipEmptyParts);
    // A command that takes longer to come up (a browser folder refresh)
    // asks for a later picture.
    const int delay = qEnvironmentVariableIntValue("VELMIR_SCREENSHOT_DELAY");
    const int last = 700 * std::max(0, int(commands.size()) - 1);
    QTimer::singleShot(delay > 0 ? delay : 1500 + last, main.data(), [&shotTaken, main, shot] {
      QWidget *top = QApplication::activeModalWidget();
      // A modeless tool window the command showed counts as its dialog.
      if (!top)
        for (QWidget *w : QApplication::topLevelWidgets())
          if (w != main && w != main->WaitMess && w != main->AboutBox && w->isVisible() &&
              qobject_cast<QDialog *>(w))
            top = w;
      (top ? top : static_cast<QWidget *>(main))->grab().save(shot);
      shotTaken = true;
      if (top) top->close();
      QApplication::exit(0);
    });
    for (int i = 0; i < commands.size(); ++i)
      QTimer::singleShot(700 * (i + 1), main.data(), [main, command = commands[i]] {
        if (command.startsWith(QLatin1String("click:"))) {
          if (QWidget *top = QApplication::activeModalWidget())
            if (auto *button = top->findChild<QAbstractButton *>(command.mid(6))) button->click();
        } else if (QAction *action = main->Act(command)) {
          action->trigger();
        } else if (QAction *browserAction = main->Browser->Action(command)) {
          // A browser command runs on every image of VELMIR_SCREENSHOT_FOLDER.
          const QString folder = qEnvironmentVariable("VELMIR_SCREENSHOT_FOLDER");
          main->Browser->show();
          if (!folder.isEmpty()) {
            main->Browser->SetFolder(folder);
            main->Browser->RefreshThumbnails();
            main->Browser->Grid()->SelectAll();
          }
          browserAction->trigger();
        } else {
          main->ToolButtonClick(command);
        }
      });
  }

  main->show();
  if (!shotTaken) app.exec();

  delete main;
  FreeImagingKit();
  return 0;
}
