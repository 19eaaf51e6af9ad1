#include "net/smtp.h"

#include "net/curl_loader.h"

#include <QRegularExpression>
#include <QUuid>
#include <cstring>

namespace net {

namespace {

bool isPlainAscii(const QByteArray& bytes) {
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80 || (c < 0x20 && c != '\t')) return false;
  }
  return true;
}

// An address that can stand in an envelope and a header: ASCII, no blanks, brackets or line breaks.
bool isSafeAddress(const QString& address) {
  static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9.-]+$"));
  return re.match(address).hasMatch();
}

QByteArray crlfLines(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(u'\r', u'\n');
  t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return t.toUtf8();
}

bool hasLongLine(const QByteArray& crlfText) {
  for (const QByteArray& line : crlfText.split('\n'))
    if (line.size() > 990) return true;
  return false;
}

QByteArray base64Lines(const QByteArray& data) {
  const QByteArray b64 = data.toBase64();
  QByteArray out;
  for (qsizetype i = 0; i < b64.size(); i += 76) out += b64.mid(i, 76) + "\r\n";
  return out;
}

struct Upload {
  QByteArray data;
  qsizetype pos = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* u = static_cast<Upload*>(user);
  const qsizetype n = std::min<qsizetype>(static_cast<qsizetype>(size * count), u->data.size() - u->pos);
  if (n <= 0) return 0;
  std::memcpy(buffer, u->data.constData() + u->pos, static_cast<size_t>(n));
  u->pos += n;
  return static_cast<size_t>(n);
}

}  // namespace

QByteArray encodeHeaderWords(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  if (isPlainAscii(utf8)) return utf8;
  // 36 bytes of UTF-8 give 48 base64 characters, 60 with "=?UTF-8?B?" and "?=": the first line,
  // "Subject: " and one word, stays within 76 characters.
  QList<QByteArray> words;
  qsizetype start = 0;
  while (start < utf8.size()) {
    qsizetype end = std::min<qsizetype>(start + 36, utf8.size());
    // Never split a character: move back over continuation bytes.
    while (end < utf8.size() && end > start && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    if (end == start) end = std::min<qsizetype>(start + 36, utf8.size());
    words << "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
    start = end;
  }
  return words.join("\r\n ");
}

QByteArray composeMail(const MailMessage& mail, const QDateTime& date) {
  QString subject = mail.subject;
  subject.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
  const QByteArray body = crlfLines(mail.body);
  const bool plain = isPlainAscii(QByteArray(body).replace("\r\n", "")) && !hasLongLine(body);

  QByteArray m;
  m += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
  m += "From: <" + mail.sender.toLatin1() + ">\r\n";
  m += "To: <" + mail.recipient.toLatin1() + ">\r\n";
  m += "Subject: " + encodeHeaderWords(subject) + "\r\n";
  m += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@consolidate>\r\n";
  m += "MIME-Version: 1.0\r\n";
  m += "Content-Type: text/plain; charset=UTF-8\r\n";
  m += plain ? "Content-Transfer-Encoding: 7bit\r\n" : "Content-Transfer-Encoding: base64\r\n";
  m += "\r\n";
  if (plain) {
    m += body;
    if (!body.endsWith("\r\n")) m += "\r\n";
  } else {
    m += base64Lines(body);
  }
  return m;
}

MailResult sendMail(const MailMessage& mail, int timeoutMs) noexcept {
  MailResult r;
  try {
    if (mail.host.trimmed().isEmpty()) {
      r.message = QStringLiteral("No mail server given");
      return r;
    }
    if (!isSafeAddress(mail.sender) || !isSafeAddress(mail.recipient)) {
      r.message = QStringLiteral("Invalid sender or recipient address");
      return r;
    }
    char errorBuffer[CURL_ERROR_SIZE];
    detail::Easy easy = detail::newEasy(errorBuffer);
    if (!easy) {
      r.message = detail::startFailure(QStringLiteral("Cannot start the mail client"), errorBuffer);
      return r;
    }
    CURL* c = easy.get();
    Upload upload{composeMail(mail, QDateTime::currentDateTime()), 0};
    const QByteArray url = QStringLiteral("smtp://%1:%2").arg(detail::urlHost(mail.host)).arg(mail.port).toUtf8();
    const QByteArray from = "<" + mail.sender.toLatin1() + ">";
    const QByteArray to = "<" + mail.recipient.toLatin1() + ">";
    curl_slist* recipients = detail::curl().slist_append(nullptr, to.constData());
    detail::curl().easy_setopt(c, CURLOPT_URL, url.constData());
    detail::curl().easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp");
    detail::curl().easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    detail::curl().easy_setopt(c, CURLOPT_MAIL_RCPT, recipients);
    detail::curl().easy_setopt(c, CURLOPT_UPLOAD, 1L);
    detail::curl().easy_setopt(c, CURLOPT_READFUNCTION, &readUpload);
    detail::curl().easy_setopt(c, CURLOPT_READDATA, &upload);
    detail::curl().easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(upload.data.size()));
    detail::curl().easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max(1, timeoutMs)));
    detail::curl().easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(1, timeoutMs)));
    const CURLcode code = detail::curl().easy_perform(c);
    detail::curl().slist_free_all(recipients);
    if (code != CURLE_OK) {
      r.message = detail::curlMessage(code, errorBuffer);
      return r;
    }
    r.ok = true;
  } catch (const std::exception& e) {
    r.ok = false;
    r.message = QString::fromUtf8(e.what());
  } catch (...) {
    r.ok = false;
    r.message = QStringLiteral("Mail not sent");
  }
  return r;
}

}  // namespace net
