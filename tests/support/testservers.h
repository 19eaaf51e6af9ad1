// Real servers for the network tests, started on 127.0.0.1 by python scripts (tests/net and
// beside the test that uses them) and stopped when the object goes. Each server binds port 0
// itself and reports the port it got ("PORT <n>"), so no other test can take the port in between.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace nettest {

class TestServer {
 public:
  // Starts `script` with `args` and waits until it listens; ok() tells whether it did, error()
  // why not. A bare name (ftp_server.py, http_server.py, smtp_server.py) is a script of tests/net.
  TestServer(const QString& script, const QStringList& args);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  bool ok() const { return port_ > 0; }
  quint16 port() const { return port_; }
  QString error() const { return error_; }

 private:
  QProcess process_;
  quint16 port_ = 0;
  QString error_;
};

// A loopback port on which nothing listens, for as long as the object lives: the port is bound
// but never listened on, so a connection to it is refused and no other process can take it.
class ClosedPort {
 public:
  ClosedPort();
  ~ClosedPort();
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;
  quint16 port() const { return port_; }

 private:
  int fd_ = -1;
  quint16 port_ = 0;
};

// Whether a TCP connection to 127.0.0.1:port is accepted within `timeoutMs`.
bool waitUntilAccepting(quint16 port, int timeoutMs);

}  // namespace nettest
