// ErrorLog: what the error reporter needs from the module that keeps the error log and knows the
// user (the configuration module provides it), and the support mail settings of the installation.
// The error reporter depends on this interface only, so that the modules that report errors and the
// module that logs them do not depend on each other.
#pragma once

#include <QString>

namespace data {

class ErrorLog {
 public:
  virtual ~ErrorLog() = default;
  // The user, the database and the menu caption the error report names.
  virtual QString ReportUserCode() const = 0;
  virtual QString ReportDatabaseName() const = 0;
  virtual QString ReportMenuCaption() const = 0;
  // Writes one row of the error log; raises when the log cannot be written.
  virtual void AddErrorLog(const QString& message) = 0;
  // Mails a report to the support mailbox; a failure is dropped.
  virtual void SendErrorMail(const QString& subject, const QString& body) = 0;
};

// The error log of the process (none until the configuration module registers itself).
void SetErrorLog(ErrorLog* log);
ErrorLog* CurrentErrorLog();

// The support mail settings of the installation (see docs/error-reporting.md): the environment
// variables CONSOLIDATE_SUPPORT_MAIL_HOST, _PORT, _FROM and _TO, else the values built in.
struct MailSettings {
  QString host;
  int port = 25;
  QString from;  // the support mailbox the report comes from
  QString to;    // the one service mailbox it goes to
};
MailSettings SupportMailSettings();

}  // namespace data
