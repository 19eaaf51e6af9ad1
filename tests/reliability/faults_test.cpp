// Faults: a database that is missing or locked by another process, network servers that close the
// connection or refuse. The program tells the user, loses nothing and keeps running or ends cleanly.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "app_fixture.h"
#include "db.h"
#include "error_reporter.h"
#include "processes.h"
#include "testservers.h"

namespace {

using reliability::Process;

TEST(StartUpFaults, MissingConfigurationDatabaseEndsWithOneErrorAndCreatesNothing) {
  testsupport::TempSite site;
  QTemporaryDir logs;
  const QDir folder(site.folder());
  ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("TALVIK_CONFIG.sqlite"))));
  const QStringList before = folder.entryList(QDir::Files);

  Process p(reliability::programPath(), reliability::programArguments(200), site.folder(), logs.filePath(QStringLiteral("boxes.jsonl")));
  ASSERT_TRUE(p.finish(120000));
  EXPECT_EQ(p.exitCode(), 1) << p.errorText().toStdString();
  const auto boxes = p.boxes();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0].style, QStringLiteral("Error"));
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("TALVIK_CONFIG"))) << boxes[0].text.toStdString();
  // No empty configuration database was made in its place, and the company database was not
  // touched: its version table was never written.
  EXPECT_EQ(folder.entryList(QDir::Files), before);
  auto company = site.openCompany();
  EXPECT_TRUE(company->select(QStringLiteral("Select name From sqlite_master Where name = 'CheckVersionProgramEXE'")).isEmpty() ||
              company->select(QStringLiteral("Select Count(*) n From CheckVersionProgramEXE")).asInt(QStringLiteral("n")) == 0);
}

// The support mail server refuses the error report the user asked to send: the report is in the
// error log all the same, the red window closes as it does after a sent mail, and the program
// goes on (the program says nothing about the mail either way).
TEST(MailFaults, TheSupportMailServerRefusingTheReport) {
  for (const char* refuse : {"greeting", "rcpt"}) {
    SCOPED_TRACE(refuse);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("smtp.log"));
    nettest::TestServer smtp(QStringLiteral(CONS_RELIABILITY_TEST_DIR "/smtp_refusing_server.py"),
                             {QStringLiteral("--log"), log, QStringLiteral("--refuse"), QString::fromLatin1(refuse)});
    ASSERT_TRUE(smtp.ok()) << smtp.error().toStdString();
    qputenv("CONSOLIDATE_SUPPORT_MAIL_HOST", "127.0.0.1");
    qputenv("CONSOLIDATE_SUPPORT_MAIL_PORT", QByteArray::number(smtp.port()));
    qputenv("CONSOLIDATE_SUPPORT_MAIL_FROM", "consolidate@test.invalid");
    qputenv("CONSOLIDATE_SUPPORT_MAIL_TO", "service@test.invalid");
    {
      testsupport::AppFixture app;
      ASSERT_TRUE(app.ready()) << app.failure().toStdString();
      QApplication::setQuitOnLastWindowClosed(false);
      auto config = app.site().openConfig();
      const qint64 logged = config->select(QStringLiteral("Select Count(*) n From ErrorLog")).asInt(QStringLiteral("n"));

      // The red window comes up; the user asks for the report to be sent.
      bool seen = false, closed = false;
      QTimer watcher;
      watcher.setInterval(10);
      QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* w = qobject_cast<TFrShowError*>(QApplication::activeModalWidget());
        if (!w || seen) return;
        seen = true;
        w->BOk->click();
        closed = !w->isVisible();
      });
      watcher.start();
      QElapsedTimer clock;
      clock.start();
      data::HandleException(nullptr, std::make_exception_ptr(db::Error(QStringLiteral("Lock request time out period exceeded."))));
      watcher.stop();
      EXPECT_TRUE(seen);
      EXPECT_TRUE(closed) << "the window closes after the refused mail";
      EXPECT_LT(clock.elapsed(), 60000);
      EXPECT_EQ(config->select(QStringLiteral("Select Count(*) n From ErrorLog")).asInt(QStringLiteral("n")), logged + 1)
          << "the report is in the error log";
      EXPECT_TRUE(app.prompts().log.empty());
    }
    // The mail was offered to the server, which refused it.
    QFile f(log);
    if (QByteArray(refuse) == "rcpt") {
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      const QByteArray commands = f.readAll();
      EXPECT_TRUE(commands.contains("RCPT TO:<service@test.invalid>")) << commands.toStdString();
      EXPECT_FALSE(commands.contains("DATA")) << "nothing is sent after the refusal";
    }
    for (const char* v : {"CONSOLIDATE_SUPPORT_MAIL_HOST", "CONSOLIDATE_SUPPORT_MAIL_PORT", "CONSOLIDATE_SUPPORT_MAIL_FROM",
                          "CONSOLIDATE_SUPPORT_MAIL_TO"})
      qunsetenv(v);
  }
}

}  // namespace
