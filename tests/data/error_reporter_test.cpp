// The error reporter: the table of known messages, the error log, the red window with its
// countdown, and the error mail sent to a real SMTP server on 127.0.0.1.
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "data_site.h"
#include "error_reporter.h"
#include "textutil/helpers.h"

namespace {

using datatest::Modules;

TEST(ExplainError, FirstMatchingRowInTableOrder) {
  struct Case {
    const char* message;
    const char* explanation;
  } cases[] = {
      {"'2024-12-31' is not a valid date", "ป้อนวันที่ไม่ถูกต้อง"},
      {"Cannot insert the value NULL into column 'Transportation', table 'x'", "ไม่ได้ป้อนข้อมูลการขนส่ง"},
      {"Cannot insert the value NULL into column 'Price'", "กำหนดราคาไม่ครบถ้วน"},
      {"Cannot insert the value NULL into column 'Warehouse'", "ไม่ได้ป้อนข้อมูลคลัง"},
      {"Cannot insert the value NULL into column 'Customer'", "ไม่ได้ป้อนข้อมูลลูกค้า"},
      {"Cannot insert the value NULL into column 'Vendor'", "ไม่ได้ป้อนข้อมูลเจ้าหนี้"},
      {"Cannot insert the value NULL into column 'Fraction'", "ไม่ได้ป้อนข้อมูลหน่วย หรือ ข้อมูลหน่วยผิดพลาด"},
      {"Cannot insert the value NULL into column 'Salesman'", "ไม่ได้ป้อนข้อมูลพนักงานขาย"},
      {"[FreeTDS] Possible network error. Write to SQL Server failed.", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
      {"DELETE statement conflicted with COLUMN REFERENCE constraint 'FK_x'", "ข้อมูลที่ลบถูกอ้างโดยข้อมูลอื่น ไม่สามารถลบข้อมูลนี้ได้"},
      {"Printer selected is not valid", "ยังไม่ได้กำหนดเครื่องพิมพ์ หรือ เครื่องพิมพ์มีปัญหา"},
      {"Insufficient memory for this operation", "Memory หน่วยความจำของเครื่องไม่เพียงพอ"},
      {"SQL Server connection timed out", "เครื่องแม่ข่ายตัดการติดต่อ เพราะเครื่องนี้อาจเรียกข้อมูลปริมาณมากเกินไป"},
      {"Violation of UNIQUE KEY constraint 'UQ_SoHd'. Cannot insert duplicate key in object 'dbo.SoHd'.",
       "ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว"},
      // Table order wins over the position in the message.
      {"SQL Server connection timed out; Possible network error", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
      // Letters a to z compare without case.
      {"pOSSIBLE NETWORK eRROR", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
      {"cannot insert the value null into column 'price'", "กำหนดราคาไม่ครบถ้วน"},
      // The embedded database's and the network's texts come after the rows above.
      {"UNIQUE constraint failed: SoHd.SoNo", "ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว"},
      {"NOT NULL constraint failed: SoDt.Product", "ป้อนข้อมูลไม่ครบถ้วน"},
      {"FOREIGN KEY constraint failed", "ข้อมูลที่ลบหรือแก้ไขถูกอ้างโดยข้อมูลอื่น ไม่สามารถทำรายการนี้ได้"},
      {"CHECK constraint failed: Quantity >= 0", "ข้อมูลไม่ถูกต้องตามเงื่อนไขของฐานข้อมูล"},
      {"database is locked Unable to fetch row", "ฐานข้อมูลกำลังถูกใช้งานโดยผู้ใช้อื่น กรุณารอสักครู่แล้วลองใหม่"},
      {"database table is locked", "ฐานข้อมูลกำลังถูกใช้งานโดยผู้ใช้อื่น กรุณารอสักครู่แล้วลองใหม่"},
      {"[FreeTDS][SQL Server]Unable to connect to data source", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
      {"FTP 10.0.0.9:21 : Failed to connect to 10.0.0.9 port 21: Could not connect to server",
       "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
      {"Couldn't connect to server", "ระบบเครือข่าย หรือ คอมพิวเตอร์แม่ข่ายมีปัญหา ติดต่อเครื่องแม่ข่ายไม่ได้"},
      {"Could not resolve host: orders.example", "ไม่พบชื่อเครื่องแม่ข่ายในเครือข่าย"},
      {"FTP 127.0.0.1:2121 : Access denied: 530", "เครื่องแม่ข่ายไม่ยอมรับชื่อผู้ใช้หรือรหัสผ่าน"},
      {"Login denied", "เครื่องแม่ข่ายไม่ยอมรับชื่อผู้ใช้หรือรหัสผ่าน"},
      {"Timeout was reached", "เครื่องแม่ข่ายไม่ตอบภายในเวลาที่กำหนด"},
      // The rows of before keep their place: a timed-out SQL Server connection keeps its own text.
      {"SQL Server connection timed out; database is locked", "เครื่องแม่ข่ายตัดการติดต่อ เพราะเครื่องนี้อาจเรียกข้อมูลปริมาณมากเกินไป"},
      // The quote of the column name is part of the words.
      {"Cannot insert the value NULL into column Price", ""},
      {"no such table: Foo", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(data::ExplainError(QString::fromUtf8(c.message)), QString::fromUtf8(c.explanation));
  }
}

TEST(ExplainError, ComposedTextUpperCasesOnlyLatinLetters) {
  const QString text = data::ComposeErrorText(QStringLiteral("Cannot insert duplicate key 'ก1ß' é"));
  EXPECT_EQ(text, QStringLiteral("ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว\rCANNOT INSERT DUPLICATE KEY 'ก1ß' é\r"));
  // No match: the text begins with the carriage return.
  EXPECT_EQ(data::ComposeErrorText(QStringLiteral("boom")), QStringLiteral("\rBOOM\r"));
  EXPECT_FALSE(text.contains(QLatin1Char('\n')));
}

TEST(ErrorWindow, LayoutAndCountdown) {
  TFrShowError w;
  w.ErrorText = QStringLiteral("ป้อนวันที่ไม่ถูกต้อง\r'X' IS NOT A VALID DATE\r");
  w.show();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Windows Error Message"));
  EXPECT_EQ(w.size(), QSize(344, 101));
  EXPECT_EQ(w.pos(), QPoint(50, 100));
  EXPECT_EQ(w.palette().color(QPalette::Window), QColor(Qt::red));
  EXPECT_EQ(w.BOk->text(), QStringLiteral("Send Error"));
  EXPECT_EQ(w.BCancel->text(), QStringLiteral("Don't Send"));
  EXPECT_EQ(w.BOk->geometry(), QRect(94, 70, 75, 25));
  EXPECT_EQ(w.BCancel->geometry(), QRect(198, 70, 75, 25));
  EXPECT_TRUE(w.BOk->font().bold());
  EXPECT_EQ(w.BOk->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(w.ErrorBox->geometry(), QRect(0, 0, 344, 65));
  EXPECT_TRUE(w.ErrorBox->isReadOnly());
  EXPECT_TRUE(w.ErrorBox->toPlainText().contains(QStringLiteral("'X' IS NOT A VALID DATE")));
  EXPECT_EQ(w.Timer1->interval(), 1000);
  EXPECT_TRUE(w.Timer1->isActive());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
  // QtTest's QTRY macros only return from the test when they time out: the wait is checked here.
  EXPECT_TRUE(QTest::qWaitFor([&w] { return w.BCancel->hasFocus() || !QApplication::focusWidget(); }, 5000));

  // The ninth tick closes it, the eighth does not.
  EXPECT_EQ(TFrShowError::Countdown, 10);
  for (int i = 0; i < 8; ++i) w.Timer1Timer();
  EXPECT_TRUE(w.isVisible());
  w.Timer1Timer();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.result(), QDialog::Rejected);

  // Once "Send Error" was chosen the countdown does nothing.
  TFrShowError w2;
  w2.show();
  TFrShowError::SendChosen = true;
  for (int i = 0; i < 20; ++i) w2.Timer1Timer();
  EXPECT_TRUE(w2.isVisible());
}

// A real SMTP server on 127.0.0.1 that writes what it receives to a file.
class SmtpSink {
 public:
  SmtpSink() {
    out_ = dir_.filePath(QStringLiteral("mail.jsonl"));
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
    proc_.start(python, {qEnvironmentVariable("CONSOLIDATE_SOURCE_DIR") + QStringLiteral("/tests/data/smtp_sink.py"), out_});
    if (!proc_.waitForStarted()) return;
    while (proc_.state() == QProcess::Running && !proc_.canReadLine()) proc_.waitForReadyRead(1000);
    const QByteArray line = proc_.readLine().trimmed();
    if (line.startsWith("READY ")) port_ = line.mid(6).toInt();
  }
  ~SmtpSink() {
    proc_.closeWriteChannel();
    if (!proc_.waitForFinished(5000)) proc_.kill();
    proc_.waitForFinished();
  }
  int port() const { return port_; }
  QList<QJsonObject> messages() const {
    QList<QJsonObject> list;
    QFile f(out_);
    if (!f.open(QIODevice::ReadOnly)) return list;
    for (const QByteArray& line : f.readAll().split('\n'))
      if (!line.trimmed().isEmpty()) list << QJsonDocument::fromJson(line).object();
    return list;
  }

 private:
  QTemporaryDir dir_;
  QString out_;
  QProcess proc_;
  int port_ = 0;
};

// Points the support mail settings at a port of 127.0.0.1 for the life of the object.
class MailTo {
 public:
  explicit MailTo(int port) {
    qputenv("CONSOLIDATE_SUPPORT_MAIL_HOST", "127.0.0.1");
    qputenv("CONSOLIDATE_SUPPORT_MAIL_PORT", QByteArray::number(port));
    qputenv("CONSOLIDATE_SUPPORT_MAIL_FROM", "consolidate@test.invalid");
    qputenv("CONSOLIDATE_SUPPORT_MAIL_TO", "service@test.invalid");
  }
  ~MailTo() {
    for (const char* v : {"CONSOLIDATE_SUPPORT_MAIL_HOST", "CONSOLIDATE_SUPPORT_MAIL_PORT", "CONSOLIDATE_SUPPORT_MAIL_FROM",
                          "CONSOLIDATE_SUPPORT_MAIL_TO"})
      qunsetenv(v);
  }
};

// A port of 127.0.0.1 on which nothing listens (bound once, then released).
int closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

class ErrorReporter : public Modules {
 protected:
  // Raises the error inside the event loop (a timer's handler) and answers the error window with
  // `answer` once it is on screen; returns the window's text.
  QString raiseInEventLoop(const std::function<void()>& raise, const std::function<void(TFrShowError*)>& answer) {
    QString shown;
    bool windowSeen = false;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* w = qobject_cast<TFrShowError*>(QApplication::activeModalWidget());
      if (!w || windowSeen) return;
      windowSeen = true;
      shown = w->ErrorText;
      answer(w);
    });
    watcher.start();
    // The test main's QApplication has no notify override: hand the error over as notify() does.
    try {
      raise();
    } catch (...) {
      data::HandleException(nullptr, std::current_exception());
    }
    EXPECT_TRUE(windowSeen);
    return shown;
  }
};

TEST_F(ErrorReporter, LogsThenShowsTheExplainedText) {
  loadCompanyAndRights(200, 1);
  ASSERT_TRUE(data::HasExceptionHandler());  // installed by the data module
  const QString raised = QStringLiteral("Violation of PRIMARY KEY constraint. Cannot insert duplicate key in object 'dbo.SoHd'.");
  const QString shown = raiseInEventLoop([&] { throw db::Error(raised); }, [](TFrShowError* w) { w->BCancel->click(); });
  EXPECT_EQ(shown, QStringLiteral("ข้อมูลที่เพิ่มซ้ำกับข้อมูลที่มีอยู่แล้ว\r") + raised.toUpper() + QStringLiteral("\r"));

  const db::Result log = site.config()->select(QStringLiteral("Select CompName, LogName, UserId, MenuId, ErrorMsg From ErrorLog"));
  ASSERT_EQ(log.rowCount(), 1);
  EXPECT_EQ(log.asString("ErrorMsg"), raised);  // as raised, not upper-cased
  EXPECT_EQ(log.asString("CompName"), textutil::GetComputerNameText());
  EXPECT_EQ(log.asString("LogName"), textutil::GetLogonUserName());
  EXPECT_EQ(log.asString("LogName"), log.asString("LogName").toUpper());
  EXPECT_EQ(log.asInt("UserId"), 1);
  EXPECT_EQ(log.asInt("MenuId"), 200);
  EXPECT_TRUE(prompts->log.empty());
}

TEST_F(ErrorReporter, AFailingLogWriteStillShowsTheError) {
  loadCompanyAndRights(200, 1);
  // The configuration database goes away: the log write fails, the error is still shown.
  cfg->DmCfg.close();
  data::SetServerNameOverride(QStringLiteral("embedded:") + site.dir.filePath(QStringLiteral("gone")));
  const QString shown = raiseInEventLoop([] { throw std::runtime_error("boom"); }, [](TFrShowError* w) { w->BCancel->click(); });
  EXPECT_EQ(shown, QStringLiteral("\rBOOM\r"));
}

TEST_F(ErrorReporter, SendErrorMailsTheReportToTheServiceMailbox) {
  SmtpSink sink;
  ASSERT_GT(sink.port(), 0) << "the SMTP server did not start";
  MailTo settings(sink.port());
  loadCompanyAndRights(200, 1);
  const QString shown =
      raiseInEventLoop([] { throw db::Error(QStringLiteral("'31-12-2024' is not a valid date")); }, [](TFrShowError* w) { w->BOk->click(); });
  QList<QJsonObject> mails;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !(mails = sink.messages()).isEmpty(); }, 10000)) << "no mail arrived";
  ASSERT_EQ(mails.size(), 1);
  const QJsonObject m = mails.first();
  EXPECT_EQ(m.value("subject").toString(), QStringLiteral("Error DEMO จัดสินค้าตามเขต"));
  EXPECT_EQ(m.value("mail_from").toString(), QStringLiteral("consolidate@test.invalid"));
  EXPECT_EQ(m.value("rcpt_tos").toArray().size(), 1);
  EXPECT_EQ(m.value("rcpt_tos").toArray().first().toString(), QStringLiteral("service@test.invalid"));
  EXPECT_EQ(m.value("content_type").toString(), QStringLiteral("text/plain"));
  // The body's lines: user, local address, explanation, the error in upper case.
  QString body = m.value("body").toString();
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QStringList lines = body.split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0], QStringLiteral("[User = ADMIN] "));
  EXPECT_EQ(lines[1], QStringLiteral("Local IP = ") + textutil::GetLocalIP());
  EXPECT_EQ(lines[2], QStringLiteral("ป้อนวันที่ไม่ถูกต้อง"));
  EXPECT_EQ(lines[3], QStringLiteral("'31-12-2024' IS NOT A VALID DATE"));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("ป้อนวันที่ไม่ถูกต้อง\r")));
}

TEST_F(ErrorReporter, MailFailureIsSilentAndTheWindowCloses) {
  MailTo settings(closedPort());
  loadCompanyAndRights(200, 1);
  bool closed = false;
  raiseInEventLoop([] { throw std::runtime_error("boom"); }, [&](TFrShowError* w) {
    w->BOk->click();
    closed = !w->isVisible();
  });
  EXPECT_TRUE(closed);
  EXPECT_TRUE(prompts->log.empty());
  // Direct calls never raise either, even with no host at all.
  qputenv("CONSOLIDATE_SUPPORT_MAIL_HOST", "");
  EXPECT_NO_THROW(cfg->SendErrorMail(QStringLiteral("s"), QStringLiteral("b")));
}

}  // namespace
