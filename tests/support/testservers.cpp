#include "testservers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace nettest {

namespace {

bool acceptsNow(quint16 port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

TestServer::TestServer(const QString& script, const QStringList& args) {
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  const QString path = QDir::isAbsolutePath(script) ? script : QStringLiteral(CONS_NET_TEST_DIR "/") + script;
  process_.start(QStringLiteral(CONS_TEST_PYTHON), QStringList{path} + args);
  if (!process_.waitForStarted(10000)) {
    error_ = QStringLiteral("cannot start %1: %2").arg(script, process_.errorString());
    return;
  }
  QByteArray out;
  QDeadlineTimer deadline(20000);
  while (!deadline.hasExpired()) {
    if (process_.canReadLine() || process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      while (process_.canReadLine()) {
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("PORT ")) port_ = static_cast<quint16>(line.mid(5).toUInt());
      }
      if (port_ > 0) break;
    } else if (process_.state() != QProcess::Running) {
      break;
    }
  }
  if (port_ == 0) {
    error_ = QStringLiteral("%1 did not start listening: %2").arg(script, QString::fromLocal8Bit(process_.readAllStandardError()));
    return;
  }
  if (!waitUntilAccepting(port_, 10000)) {
    error_ = QStringLiteral("%1 does not accept on port %2").arg(script).arg(port_);
    port_ = 0;
  }
}

TestServer::~TestServer() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

ClosedPort::ClosedPort() {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("cannot make a socket");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    ::close(fd_);
    throw std::runtime_error("cannot bind a loopback port");
  }
  port_ = ntohs(a.sin_port);
}

ClosedPort::~ClosedPort() {
  if (fd_ >= 0) ::close(fd_);
}

bool waitUntilAccepting(quint16 port, int timeoutMs) {
  return QTest::qWaitFor([port] { return acceptsNow(port); }, timeoutMs);
}

}  // namespace nettest
