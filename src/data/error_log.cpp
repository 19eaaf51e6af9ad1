// The registered error log and the support mail settings (error_log.h).
#include "error_log.h"

#include <QByteArray>

namespace data {

namespace {
ErrorLog* currentLog = nullptr;
}  // namespace

void SetErrorLog(ErrorLog* log) { currentLog = log; }
ErrorLog* CurrentErrorLog() { return currentLog; }

MailSettings SupportMailSettings() {
  auto setting = [](const char* name, const char* builtIn) {
    const QByteArray v = qgetenv(name);
    return v.isNull() ? QString::fromLatin1(builtIn) : QString::fromLocal8Bit(v).trimmed();
  };
  MailSettings s;
  s.host = setting("CONSOLIDATE_SUPPORT_MAIL_HOST", CONSOLIDATE_SUPPORT_MAIL_HOST);
  bool ok = false;
  const int port = setting("CONSOLIDATE_SUPPORT_MAIL_PORT", "25").toInt(&ok);
  s.port = ok && port > 0 && port < 65536 ? port : 25;
  s.from = setting("CONSOLIDATE_SUPPORT_MAIL_FROM", CONSOLIDATE_SUPPORT_MAIL_FROM);
  s.to = setting("CONSOLIDATE_SUPPORT_MAIL_TO", CONSOLIDATE_SUPPORT_MAIL_TO);
  return s;
}

}  // namespace data
