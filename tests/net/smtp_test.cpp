#include "net/smtp.h"
#include "testservers.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace net;

namespace {

class Smtp : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    server_ = std::make_unique<nettest::TestServer>(QStringLiteral("smtp_server.py"),
                                                    QStringList{QStringLiteral("--folder"), dir_.path()});
    ASSERT_TRUE(server_->ok()) << server_->error().toStdString();
  }

  MailMessage mail(const QString& subject, const QString& body) const {
    MailMessage m;
    m.host = QStringLiteral("127.0.0.1");
    m.port = server_->port();
    m.sender = QStringLiteral("consolidate@support.example");
    m.recipient = QStringLiteral("service@support.example");
    m.subject = subject;
    m.body = body;
    return m;
  }

  // The n-th message the server received, as it decoded it.
  QJsonObject received(int n) const {
    const QString path = dir_.filePath(QStringLiteral("msg-%1.json").arg(n));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
  }

  QTemporaryDir dir_;
  std::unique_ptr<nettest::TestServer> server_;
};

QString unixLines(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

TEST_F(Smtp, ThaiSubjectAndBodyArriveIntact) {
  const QString subject = QStringLiteral("Error TALVIK_DATA รวมใบสั่งขายตามเขต");
  // The error report's lines end in a carriage return alone.
  const QString body = QStringLiteral("[User = สมชาย] \rLocal IP = 127.0.0.1\rไม่ได้ป้อนข้อมูลลูกค้า\r");
  const MailResult r = sendMail(mail(subject, body));
  ASSERT_TRUE(r.ok) << r.message.toStdString();
  const QJsonObject m = received(1);
  ASSERT_FALSE(m.isEmpty()) << "the server has no message";
  EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), QStringLiteral("consolidate@support.example"));
  EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray().toVariantList(),
            QVariantList{QStringLiteral("service@support.example")});
  EXPECT_EQ(m[QStringLiteral("subject")].toString(), subject);
  EXPECT_EQ(m[QStringLiteral("content_type")].toString(), QStringLiteral("text/plain"));
  EXPECT_EQ(m[QStringLiteral("charset")].toString(), QStringLiteral("utf-8"));
  EXPECT_EQ(unixLines(m[QStringLiteral("body")].toString()),
            QStringLiteral("[User = สมชาย] \nLocal IP = 127.0.0.1\nไม่ได้ป้อนข้อมูลลูกค้า\n"));
}

TEST_F(Smtp, AsciiMailKeepsLinesThatStartWithADot) {
  const MailResult r = sendMail(mail(QStringLiteral("Error DB menu"), QStringLiteral("first\n.\n.second\nlast")));
  ASSERT_TRUE(r.ok) << r.message.toStdString();
  const QJsonObject m = received(1);
  EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Error DB menu"));
  EXPECT_EQ(unixLines(m[QStringLiteral("body")].toString()), QStringLiteral("first\n.\n.second\nlast\n"));
}

TEST_F(Smtp, LongThaiSubjectIsFoldedAndReadsBack) {
  QString subject;
  for (int i = 0; i < 12; ++i) subject += QStringLiteral("ข้อผิดพลาด ");
  subject = subject.trimmed();
  const MailResult r = sendMail(mail(subject, QStringLiteral("x")));
  ASSERT_TRUE(r.ok) << r.message.toStdString();
  EXPECT_EQ(received(1)[QStringLiteral("subject")].toString(), subject);
  QFile raw(dir_.filePath(QStringLiteral("msg-1.eml")));
  ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
  for (const QByteArray& line : raw.readAll().split('\n')) EXPECT_LE(line.size(), 78) << line.constData();
}

TEST_F(Smtp, LineBreaksInTheSubjectCannotAddHeaders) {
  const MailResult r = sendMail(mail(QStringLiteral("Error\r\nBcc: someone@else.example"), QStringLiteral("x")));
  ASSERT_TRUE(r.ok) << r.message.toStdString();
  const QJsonObject m = received(1);
  EXPECT_EQ(m[QStringLiteral("subject")].toString(), QStringLiteral("Error Bcc: someone@else.example"));
  EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray().size(), 1);
}

TEST_F(Smtp, AddressesThatCouldInjectCommandsAreRefused) {
  MailMessage m = mail(QStringLiteral("s"), QStringLiteral("b"));
  m.recipient = QStringLiteral("service@support.example>\r\nRCPT TO:<other@else.example");
  const MailResult r = sendMail(m);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.isEmpty());
  EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files).isEmpty());
}

TEST(SmtpNoServer, NothingListeningFailsQuietly) {
  MailMessage m;
  m.host = QStringLiteral("127.0.0.1");
  const nettest::ClosedPort closed;
  m.port = closed.port();
  m.sender = QStringLiteral("a@b.example");
  m.recipient = QStringLiteral("c@d.example");
  m.subject = QStringLiteral("ทดสอบ");
  m.body = QStringLiteral("body");
  MailResult r;
  EXPECT_NO_THROW(r = sendMail(m, 5000));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.isEmpty());
}

TEST(SmtpHeaders, EncodedWordsStayShortAndSplitNoCharacter) {
  EXPECT_EQ(encodeHeaderWords(QStringLiteral("Error DB")), QByteArray("Error DB"));
  QString thai = QStringLiteral("x");  // one byte first, so that word ends fall inside characters
  for (int i = 0; i < 40; ++i) thai += QStringLiteral("ก");
  const QByteArray folded = encodeHeaderWords(thai);
  QString decoded;
  for (QByteArray word : folded.split('\n')) {
    word = word.trimmed();
    ASSERT_TRUE(word.startsWith("=?UTF-8?B?") && word.endsWith("?=")) << word.constData();
    EXPECT_LE(word.size(), 75);
    const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
    const QString part = QString::fromUtf8(bytes);
    EXPECT_FALSE(part.contains(QChar(0xFFFD))) << "a character was split";
    decoded += part;
  }
  EXPECT_EQ(decoded, thai);
}

}  // namespace
