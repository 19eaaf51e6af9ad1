#include "net/ping.h"

#include <QRegularExpression>
#include <QStringList>

namespace net {

bool isPlausibleHostName(const QString& host) {
  static const QRegularExpression label(QStringLiteral("^[A-Za-z0-9_](?:[A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?$"));
  QString h = host.trimmed();
  if (h.endsWith(u'.')) h.chop(1);
  if (h.isEmpty() || h.size() > 253) return false;
  for (const QString& part : h.split(u'.'))
    if (!label.match(part).hasMatch()) return false;
  return true;
}

int PingHost(const QString& host, int timeoutMs) { return pingHostReport(host, timeoutMs).result; }

}  // namespace net
