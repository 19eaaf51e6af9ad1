#include "head_office_reachability.h"

#include <QDir>

#include "db.h"
#include "net/ping.h"

namespace masterdata {

ServerAddress serverAddress(const QString& serverName) {
  ServerAddress a;
  QString s = serverName.trimmed();
  const int slash = s.indexOf(QLatin1Char('\\'));
  if (slash >= 0) s = s.left(slash);  // a named instance: the host is what counts
  int sep = s.indexOf(QLatin1Char(','));
  if (sep < 0 && s.count(QLatin1Char(':')) == 1) sep = s.indexOf(QLatin1Char(':'));
  if (sep >= 0) {
    bool ok = false;
    const uint port = s.mid(sep + 1).trimmed().toUInt(&ok);
    if (ok && port > 0 && port < 65536) a.port = quint16(port);
    s = s.left(sep);
  }
  a.host = s.trimmed();
  return a;
}

int PingServer(const QString& serverName, int timeoutMs) {
  const QString folder = db::embeddedFolder(serverName);
  if (!folder.isEmpty()) return QDir(folder).exists() ? 0 : -1;
  const ServerAddress a = serverAddress(serverName);
  return net::pingHostReport(a.host, timeoutMs, net::PingMethod::Auto, a.port).result;
}

}  // namespace masterdata
