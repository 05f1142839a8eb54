// One running instance per user. The first start listens on a local (Unix
// domain) socket in $XDG_RUNTIME_DIR (guarded by a lock file); a later start with file
// names sends them there and ends. The text is the arguments in order, each
// followed by a line feed, at most 16000 bytes with its terminator.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

class SingleInstance : public QObject {
  Q_OBJECT
public:
  explicit SingleInstance(QObject *parent = nullptr);
  ~SingleInstance() override;

  // True when this process is now the running instance (listening). The
  // instance stays first for the life of this object.
  bool BecomeFirst();

  // The hand-off text for these arguments: only whole arguments that fit in
  // 16000 bytes with the terminating zero are taken; `count` tells how many.
  static QByteArray HandOffText(const QStringList &arguments, int *count);
  // Sends the arguments to the running instance; nothing when there are
  // none. False when no instance answered.
  static bool HandToFirstInstance(const QStringList &arguments);

signals:
  // A later start handed over its arguments.
  void HandOff(const QByteArray &text, int count);

private:
  void AcceptConnections();
  void ReadClient(int fd);
  void DropClient(int fd);

  struct Client;
  QMap<int, Client *> clients_;
  QSocketNotifier *listener_ = nullptr;
  QString socketPath_;
  int listenFd_ = -1;
  int lockFd_ = -1;
  bool first_ = false;
};
