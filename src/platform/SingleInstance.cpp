// One running instance per user: a lock file held for the life of the
// process says who is first; the first listens on a Unix domain socket
// beside it and a later start sends its file names there.
//
// A hand-off is one small frame: the argument count and the text length as
// 4-byte big-endian numbers, then the text. Only connections from the same
// user are read.
#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kHandOffBytes = 16000; // with the terminating zero
constexpr int kHeaderBytes = 8;
constexpr int kConnectMs = 3000;

QString ChannelFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
  return QDir::tempPath();
}

QString BaseName() { return QStringLiteral("velmir-%1").arg(::getuid()); }

QString LockPath() {
  return ChannelFolder() + QLatin1Char('/') + BaseName() + QStringLiteral(".lock");
}

QString SocketPath() {
  return ChannelFolder() + QLatin1Char('/') + BaseName() + QStringLiteral(".socket");
}

// False when the path does not fit a socket address.
bool MakeAddress(const QString &path, sockaddr_un &address) {
  const QByteArray name = QFile::encodeName(path);
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
  std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
  return true;
}

bool SameUser(int fd) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return false;
  return peer.uid == ::getuid();
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, const QDeadlineTimer &deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int ms = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
    const int r = ::poll(&p, 1, ms);
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

bool WriteAll(int fd, const QByteArray &data, const QDeadlineTimer &deadline) {
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t n =
        ::send(fd, data.constData() + done, static_cast<size_t>(data.size() - done), MSG_NOSIGNAL);
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

} // namespace

struct SingleInstance::Client {
  QSocketNotifier *notifier = nullptr;
  QByteArray received;
};

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
  for (int fd : clients_.keys())
    DropClient(fd);
  delete listener_;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    // Removed only while the lock still says the file is ours.
    if (lockFd_ >= 0) ::unlink(QFile::encodeName(socketPath_).constData());
  }
  if (lockFd_ >= 0) {
    ::flock(lockFd_, LOCK_UN);
    ::close(lockFd_);
  }
}

bool SingleInstance::BecomeFirst() {
  if (first_) return true;
  const QByteArray lockPath = QFile::encodeName(LockPath());
  const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) return false;
      // A folder without locking: run unguarded rather than not at all.
    } else {
      lockFd_ = fd;
    }
  }
  first_ = true;

  socketPath_ = SocketPath();
  sockaddr_un address{};
  if (!MakeAddress(socketPath_, address)) return true; // hand-offs are lost, nothing else
  const QByteArray socketName = QFile::encodeName(socketPath_);
  // Holding the lock, nobody else listens: a socket file there was left by
  // an instance that died.
  if (lockFd_ >= 0) ::unlink(socketName.constData());
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ < 0) return true;
  const mode_t oldMask = ::umask(0077); // only this user may connect
  const int bound = ::bind(listenFd_, reinterpret_cast<sockaddr *>(&address), sizeof address);
  ::umask(oldMask);
  if (bound != 0 || ::listen(listenFd_, 8) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return true;
  }
  listener_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
  connect(listener_, &QSocketNotifier::activated, this, [this] { AcceptConnections(); });
  return true;
}

void SingleInstance::AcceptConnections() {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return; // nothing more waiting (or a transient failure)
    }
    if (!SameUser(fd)) {
      ::close(fd);
      continue;
    }
    auto *client = new Client;
    client->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(client->notifier, &QSocketNotifier::activated, this, [this, fd] { ReadClient(fd); });
    clients_.insert(fd, client);
  }
}

void SingleInstance::ReadClient(int fd) {
  Client *client = clients_.value(fd);
  if (!client) return;
  char buffer[4096];
  bool closed = false;
  for (;;) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      client->received.append(buffer, n);
      if (client->received.size() > kHeaderBytes + kHandOffBytes) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
    break;
  }
  const QByteArray &data = client->received;
  if (data.size() >= kHeaderBytes) {
    const quint32 count = qFromBigEndian<quint32>(data.constData());
    const quint32 length = qFromBigEndian<quint32>(data.constData() + 4);
    // Only what a real second start could have sent is taken.
    if (length >= static_cast<quint32>(kHandOffBytes) ||
        count > static_cast<quint32>(kHandOffBytes)) {
      DropClient(fd);
      return;
    }
    if (static_cast<quint32>(data.size()) >= kHeaderBytes + length) {
      const QByteArray text = data.mid(kHeaderBytes, static_cast<qsizetype>(length));
      DropClient(fd);
      emit HandOff(text, static_cast<int>(count));
      return;
    }
  }
  if (closed) DropClient(fd);
}

void SingleInstance::DropClient(int fd) {
  Client *client = clients_.take(fd);
  if (!client) return;
  // Possibly called from the notifier's own signal.
  client->notifier->setEnabled(false);
  client->notifier->deleteLater();
  delete client;
  ::close(fd);
}

QByteArray SingleInstance::HandOffText(const QStringList &arguments, int *count) {
  QByteArray text;
  int taken = 0;
  for (const QString &argument : arguments) {
    const QByteArray piece = argument.toUtf8() + '\n';
    if (text.size() + piece.size() + 1 > kHandOffBytes) break;
    text += piece;
    ++taken;
  }
  if (count) *count = taken;
  return text;
}

bool SingleInstance::HandToFirstInstance(const QStringList &arguments) {
  if (arguments.isEmpty()) return true;
  int count = 0;
  const QByteArray text = HandOffText(arguments, &count);
  QByteArray frame(kHeaderBytes, '\0');
  qToBigEndian<quint32>(static_cast<quint32>(count), frame.data());
  qToBigEndian<quint32>(static_cast<quint32>(text.size()), frame.data() + 4);
  frame += text;

  sockaddr_un address{};
  if (!MakeAddress(SocketPath(), address)) return false;
  const QDeadlineTimer deadline(kConnectMs);
  // The first instance may hold the lock a moment before it listens.
  int fd = -1;
  for (;;) {
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) break;
    ::close(fd);
    fd = -1;
    if (deadline.hasExpired()) return false;
    ::usleep(50 * 1000);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  bool sent = WriteAll(fd, frame, deadline);
  if (sent) {
    // The running instance closes its end once it has the whole frame.
    ::shutdown(fd, SHUT_WR);
    char byte = 0;
    while (WaitFor(fd, POLLIN, deadline)) {
      const ssize_t n = ::recv(fd, &byte, 1, 0);
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;
    }
  }
  ::close(fd);
  return sent;
}
