// The real `consolidate` program, menu option 200, on a virtual display (Xvfb), driven by real key
// presses (xdotool): a zone is loaded, two lines are ticked in the grid and the document is saved
// with F10; the print dialog is left with Escape and the program with Escape. The boxes the
// program would show go to a file (CONSOLIDATE_PROMPTS_LOG) and are answered from a list.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "db.h"
#include "embedded.h"

namespace {

// Runs a short command to its end; its standard output, trimmed.
QString run(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs = 30000) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << " did not finish";
    return QString();
  }
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class WholeProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"})
      ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
          << tool << " is missing (scripts/bootstrap installs it)";
    ASSERT_TRUE(dir.isValid());
    site = dir.filePath("site");
    QProcess init;
    init.start(QStringLiteral(CONSOLIDATE_DB_EXE), {"init", site, "--demo", "--quiet"});
    ASSERT_TRUE(init.waitForFinished(120000) && init.exitCode() == 0) << init.readAllStandardError().toStdString();

    // A display of its own: Xvfb picks a free number and writes it to a file.
    const QString displayFile = dir.filePath("display");
    xvfb.start("bash", {"-c", QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>'%1'").arg(displayFile)});
    ASSERT_TRUE(xvfb.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] {
      QFile f(displayFile);
      return f.open(QIODevice::ReadOnly) && f.readAll().trimmed().size() > 0;
    }, 20000)) << "Xvfb did not start";
    QFile f(displayFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    display = ":" + QString::fromLatin1(f.readAll().trimmed());
    env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
  }
  void TearDown() override {
    if (program.state() != QProcess::NotRunning) {
      program.kill();
      program.waitForFinished();
    }
    xvfb.terminate();
    if (!xvfb.waitForFinished(10000)) xvfb.kill();
  }

  QString xdotool(const QStringList& args, int timeoutMs = 30000) { return run("xdotool", args, env, timeoutMs); }
  // Waits for a window whose title matches, and gives it the keyboard.
  QString focusWindow(const QString& title) {
    const QString id = xdotool({"search", "--sync", "--onlyvisible", "--name", title}).split('\n').value(0);
    if (!id.isEmpty()) xdotool({"windowfocus", "--sync", id});
    return id;
  }
  bool windowVisible(const QString& title) { return !xdotool({"search", "--onlyvisible", "--name", title}).isEmpty(); }

  QTemporaryDir dir;
  QString site, display;
  QProcess xvfb, program;
  QProcessEnvironment env;
};

TEST_F(WholeProgram, AZoneIsLoadedTickedAndSavedWithRealKeyPresses) {
  const QString boxes = dir.filePath("boxes.jsonl");
  QProcessEnvironment penv = env;
  penv.insert("CONSOLIDATE_PROMPTS_LOG", boxes);
  penv.insert("CONSOLIDATE_PROMPTS_ANSWERS", "yes,yes");  // Save ?, then Exit ?
  program.setProcessEnvironment(penv);
  program.setWorkingDirectory(site);
  program.start(QStringLiteral(CONSOLIDATE_EXE),
                {"200", "1", "DEMO", "-", "200", embedded::serverNow().date().toString("dd/MM/yyyy")});
  ASSERT_TRUE(program.waitForStarted());

  ASSERT_FALSE(focusWindow("V16\\.12\\.12").isEmpty()) << program.readAllStandardError().toStdString();
  // The number field has the focus: leave it (a new document), keep the first zone and today, Load;
  // the focus then goes on to the crew; six tabs reach the grid, where Space ticks a line.
  xdotool({"key", "Tab", "Tab", "Tab", "space", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space", "Down", "space", "F10"});
  // Saved: the print dialog is shown. Leave it without printing.
  ASSERT_FALSE(focusWindow("พิมพ์เอกสาร").isEmpty());
  xdotool({"key", "Escape"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !windowVisible("พิมพ์เอกสาร"); }, 20000));
  // Back to a new document; Escape asks to leave.
  ASSERT_FALSE(focusWindow("V16\\.12\\.12").isEmpty());
  xdotool({"key", "Escape"});
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

  QFile log(boxes);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(log.readAll()).trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines[0].contains("จัดเก็บข้อมูล ?"));
  EXPECT_TRUE(lines[1].contains("ออกจากโปรแกรม ?"));

  // The document: zone Z01, today, the first two lines of the list (C00001's first order).
  db::Connection c("E2E");
  embedded::install();
  embedded::setConnectionParams(c, site, "DEMO");
  const db::Result hd = c.select("Select H.Id, H.DocNo, H.DocDate, M.Code From ConsolidateHd H Inner Join Misc M On M.Id = H.CustomerZone "
                                 "Where H.Id > 3");
  ASSERT_EQ(hd.rowCount(), 1);
  EXPECT_EQ(hd.asString("Code"), "Z01");
  EXPECT_EQ(hd.asDateTime("DocDate").date(), embedded::serverNow().date());
  const db::Result dt = c.select("Select D.SoDt, D.SendQnty, D.ToConso From ConsolidateDt D Where D.ConsolidateHd = " +
                                 QString::number(hd.asInt("Id")) + " Order By D.SoDt");
  ASSERT_EQ(dt.rowCount(), 2);
  const db::Result first = c.select("Select Id From SoDt Where SoHd = 1 Order By Id Limit 2");
  db::Result d = dt, f = first;
  for (; !d.eof(); d.next(), f.next()) {
    EXPECT_EQ(d.asInt("SoDt"), f.asInt("Id"));
    EXPECT_EQ(d.asString("ToConso"), "Y");
  }
}

}  // namespace
