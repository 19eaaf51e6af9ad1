// Sending one plain-text mail (the error report to the support mailbox).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace net {

struct MailMessage {
  QString host;
  int port = 25;
  QString sender;     // address only: support@example.com
  QString recipient;  // one address
  QString subject;    // any text; non-ASCII is encoded (RFC 2047, UTF-8)
  QString body;       // plain text; line breaks of any kind are sent as CR LF
};

struct MailResult {
  bool ok = false;
  QString message;  // curl's message on failure
};

// Sends the mail over plain SMTP within `timeoutMs`. Never raises: every failure (no server,
// refused sender or recipient, a broken connection) is returned.
MailResult sendMail(const MailMessage& mail, int timeoutMs = 30000) noexcept;

// The message as sent (headers and body), for tests and logs.
QByteArray composeMail(const MailMessage& mail, const QDateTime& date);

// "=?UTF-8?B?...?=" words of at most 75 characters, folded with CR LF and a blank; ASCII text
// without control characters is returned as it is.
QByteArray encodeHeaderWords(const QString& text);

}  // namespace net
