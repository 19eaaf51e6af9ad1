// Real servers for the network tests, started on 127.0.0.1 with a free port by the python scripts
// beside this file, and stopped when the object goes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace nettest {

class TestServer {
 public:
  // Starts `script` (ftp_server.py, http_server.py, smtp_server.py) with `args` and waits until
  // it listens; ok() tells whether it did, error() why not.
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

// A loopback port on which nothing listens (bound once, then released).
quint16 unusedPort();
// Whether a TCP connection to 127.0.0.1:port is accepted within `timeoutMs`.
bool waitUntilAccepting(quint16 port, int timeoutMs);

}  // namespace nettest
