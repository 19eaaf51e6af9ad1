// The real consolidate-import program on a demo site made by consolidate-db, against a real FTP
// server and an HTTP server that records every request path, both on 127.0.0.1.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "embedded/embedded.h"
#include "import_fixture.h"

using importtest::ackPath;
using importtest::bottle;
using importtest::caseOf12;
using importtest::ImportServers;
using importtest::Order;
using importtest::orderXml;

namespace {

// The order files of the runs are those of 5 March 2016 (--date 05/03/2016).
const QString kDate = QStringLiteral("05/03/2016");
const QString kZ01 = QStringLiteral("Z01_20160305");
const QString kZ02 = QStringLiteral("Z02_20160305");

struct ProgramRun {
  int exitCode = -1;
  bool finished = false;
  QString out, err;
  QJsonObject json;
  qint64 ms = 0;

  QJsonObject zone(const QString& code) const {
    for (const QJsonValue& z : json.value("zones").toArray())
      if (z.toObject().value("zone").toString() == code) return z.toObject();
    return {};
  }
};

QList<qint64> idsOf(const QJsonValue& v) {
  QList<qint64> out;
  for (const QJsonValue& x : v.toArray()) out << qint64(x.toDouble());
  return out;
}

class ImportProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(servers.ok()) << servers.error().toStdString();
    site = dir.filePath("site");
    QProcess p;
    p.start(QStringLiteral(CONSOLIDATE_DB_EXE), {"init", site, "--demo", "--quiet"});
    ASSERT_TRUE(p.waitForFinished(120000) && p.exitCode() == 0) << p.readAllStandardError().toStdString();
    company = std::make_unique<db::Connection>("ImportProgramTest");
    embedded::setConnectionParams(*company, site, "DEMO");
    weborder::RunImportUpgrade(*company);
    weborder::WriteWebOrderSettings(*company, servers.settings());
  }

  // Starts the program; `wait` false leaves it running in `process`.
  void start(QProcess& process, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();  // HOME is the servers' home
    env.remove("QT_QPA_PLATFORM");  // the program needs no screen of its own
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(CONSOLIDATE_IMPORT_EXE), args);
  }
  ProgramRun finish(QProcess& process, const QElapsedTimer& clock) {
    ProgramRun r;
    r.finished = process.waitForFinished(120000);
    if (!r.finished) {
      process.kill();
      process.waitForFinished();
    }
    r.ms = clock.elapsed();
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.err = QString::fromUtf8(process.readAllStandardError());
    r.json = QJsonDocument::fromJson(r.out.toUtf8()).object();
    return r;
  }
  ProgramRun run(const QStringList& args) {
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    start(p, args);
    return finish(p, clock);
  }
  QStringList args(const QStringList& more) const {
    return QStringList{"--site", site, "--database", "DEMO", "--user", "1", "--date", kDate} + more;
  }

  qint64 count(const QString& sql) { return company->select(sql).rows().value(0).value(0).toLongLong(); }
  // How many lines carry each web id.
  QMap<qint64, int> linesPerWebId(const QList<qint64>& ids) {
    QMap<qint64, int> out;
    for (qint64 id : ids) out[id] = int(count(QStringLiteral("Select Count(*) From SoDt Where WebOrderId = %1").arg(id)));
    return out;
  }
  QStringList ackPaths() const {
    QStringList out;
    for (const QString& p : servers.paths())
      if (p.contains("upordertransfer")) out << p;
    return out;
  }

  ImportServers servers;  // first: the program's HOME (its desktop folder) is the servers' home
  QTemporaryDir dir;
  QString site;
  std::unique_ptr<db::Connection> company;
};

// A good line, a line of another order, and a barcode no product unit has.
QByteArray z01File() {
  return orderXml({{"S01", "C00001", "W8000", "2016-03-05", "8001", caseOf12(), "2"},
                   {{}, {}, {}, {}, "8002", bottle(), "5"},
                   {{}, {}, {}, {}, "8003", "0000000000000", "1"}});
}

}  // namespace

TEST_F(ImportProgram, StoresConsolidatesAcknowledgesAndReportsASkippedLineWithExitCodeTwo) {
  servers.publish(kZ01, z01File());  // Z02 has no order file
  const qint64 openOrdersOfZ01 = count(
      "Select Count(*) From SoHd Where Coalesce(RTrim(ConsoNo), '') = '' And Customer In "
      "(Select C.Id From Customer C Inner Join Misc M On M.Id = C.Zone Where M.Code = 'Z01')");
  const ProgramRun r = run(args({"--zone", "Z01", "--zone", "z02", "--json"}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
  EXPECT_EQ(r.json.value("exitCode").toInt(), 2) << r.out.toStdString();

  const QJsonObject z1 = r.zone("Z01");
  EXPECT_EQ(z1.value("outcome").toString(), "skipped");
  EXPECT_EQ(z1.value("file").toString(), kZ01);
  EXPECT_EQ(idsOf(z1.value("stored")), (QList<qint64>{8001, 8002}));
  const QJsonArray skipped = z1.value("skipped").toArray();
  ASSERT_EQ(skipped.size(), 1);
  EXPECT_EQ(skipped[0].toObject().value("id").toInt(), 8003);
  EXPECT_EQ(skipped[0].toObject().value("reason").toString(), "ไม่พบ Barcode สินค้า");
  const QString consoNo = z1.value("consolidation").toString();
  ASSERT_FALSE(consoNo.isEmpty());
  EXPECT_EQ(z1.value("ordersStamped").toInt(), openOrdersOfZ01 + 1) << "the zone's open orders and the new one";
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From SoHd Where ConsoNo = '%1'").arg(consoNo)), openOrdersOfZ01 + 1);

  const QJsonObject z2 = r.zone("Z02");
  EXPECT_EQ(z2.value("outcome").toString(), "no-order-file") << "a zone code is matched without regard to case";
  EXPECT_FALSE(z2.value("orderFileFound").toBool());
  EXPECT_EQ(z2.value("exitCode").toInt(), 0);

  // The stored lines, each once, with the window's rules (one header, lines 1 and 2).
  EXPECT_EQ(linesPerWebId({8001, 8002, 8003}), (QMap<qint64, int>{{8001, 1}, {8002, 1}, {8003, 0}}));
  EXPECT_EQ(count("Select Count(*) From SoHd Where Reference = 'W8000' And Imported = 'Y' And Approved = 'Y'"), 1);
  EXPECT_EQ(count("Select Max(SoRecNo) From SoDt Where WebOrderId In (8001, 8002)"), 2);

  // The site was asked for both files and told of the two stored lines only, all before the
  // program ended, three seconds apart.
  const QStringList paths = servers.paths();
  EXPECT_TRUE(paths.contains("/weborder/weborderxml.php?filename=" + kZ01 + "&zone=Z01")) << paths.join(' ').toStdString();
  EXPECT_TRUE(paths.contains("/weborder/weborderxml.php?filename=" + kZ02 + "&zone=Z02")) << paths.join(' ').toStdString();
  EXPECT_EQ(ackPaths(), (QStringList{ackPath(8001), ackPath(8002)}));
  EXPECT_GE(r.ms, 3000) << "the second acknowledgement waits three seconds";
  EXPECT_EQ(r.json.value("acknowledgementsSent").toInt(), 2);

  // The report on the error stream (stdout holds the summary alone), as plain lines.
  EXPECT_TRUE(r.err.contains("บันทึกรายการ Order แล้ว 2 รายการ")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("OrderNo : W8000 Barcode : 0000000000000 : ไม่พบ Barcode สินค้า")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Status : ไม่พบ ข้อมูลของ Order")) << r.err.toStdString();
  EXPECT_FALSE(r.err.contains('\r')) << "no progress line when the output is not a terminal";

  // One activity entry per zone for user 1 on the import's menu entry.
  const db::Result log = company->select("Select UserId, MenuId, Remark From UserLog Where Remark Like 'Web order import%' Order By Id");
  ASSERT_EQ(log.rowCount(), 2);
  EXPECT_EQ(log.rows()[0][0].toInt(), 1);
  EXPECT_EQ(log.rows()[0][1].toInt(), 100);
  EXPECT_TRUE(log.rows()[0][2].toString().contains("stored 2, stored before 0, skipped 1")) << log.rows()[0][2].toString().toStdString();
  EXPECT_TRUE(log.rows()[0][2].toString().contains(consoNo));
  EXPECT_TRUE(log.rows()[1][2].toString().contains("Z02") && log.rows()[1][2].toString().contains("no order file"));
}

TEST_F(ImportProgram, EveryLineStoredExitsZeroAndARepeatStoresNothingTwice) {
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8100", "2016-03-05", "8101", bottle(), "1"}}));
  const qint64 unstamped = count("Select Count(*) From SoHd Where Coalesce(RTrim(ConsoNo), '') = ''");
  const ProgramRun first = run(args({"--all-zones", "--no-consolidate"}));
  ASSERT_TRUE(first.finished);
  EXPECT_EQ(first.exitCode, 0) << first.out.toStdString() << first.err.toStdString();
  EXPECT_TRUE(first.out.contains("บันทึกรายการ Order แล้ว 1 รายการ")) << first.out.toStdString();
  EXPECT_EQ(count("Select Count(*) From SoHd Where Coalesce(RTrim(ConsoNo), '') = ''"), unstamped + 1)
      << "--no-consolidate stamps nothing";

  const ProgramRun again = run(args({"--zone", "Z01", "--no-consolidate", "--json"}));
  EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_EQ(idsOf(again.zone("Z01").value("storedBefore")), QList<qint64>{8101});
  EXPECT_TRUE(idsOf(again.zone("Z01").value("stored")).isEmpty());
  EXPECT_EQ(linesPerWebId({8101}).value(8101), 1);
  EXPECT_EQ(ackPaths(), (QStringList{ackPath(8101), ackPath(8101)})) << "a line stored before is acknowledged again";
}

TEST_F(ImportProgram, AFailedZoneStoresNothingAndTheOtherZonesGoOn) {
  // Z01: the second line's quantity is no number, so the whole file is refused.
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8200", "2016-03-05", "8201", bottle(), "1"},
                                  {{}, {}, {}, {}, "8202", bottle(), "many"}}));
  servers.publish(kZ02, orderXml({{"S01", "C00001", "W8300", "2016-03-05", "8301", bottle(), "4"}}));
  const ProgramRun r = run(args({"--zone", "Z01", "--zone", "Z02", "--zone", "Z99", "--json"}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
  EXPECT_EQ(r.zone("Z01").value("outcome").toString(), "failed");
  EXPECT_TRUE(r.zone("Z01").value("error").toString().contains("many")) << r.out.toStdString();
  EXPECT_EQ(r.zone("Z99").value("outcome").toString(), "failed") << "an unknown zone fails alone";
  EXPECT_EQ(r.zone("Z02").value("outcome").toString(), "stored");
  EXPECT_EQ(linesPerWebId({8201, 8202, 8301}), (QMap<qint64, int>{{8201, 0}, {8202, 0}, {8301, 1}}));
  EXPECT_EQ(ackPaths(), QStringList{ackPath(8301)});
  EXPECT_TRUE(r.err.contains("nothing of this zone was stored")) << r.err.toStdString();

  // The failures are in the suite's error log.
  auto cfg = std::make_unique<db::Connection>("ImportProgramCfg");
  embedded::setConnectionParams(*cfg, site, "TALVIK_CONFIG");
  EXPECT_EQ(cfg->select("Select Count(*) N From ErrorLog Where ErrorMsg Like 'consolidate-import Z01:%'").asInt("N"), 1);
  EXPECT_EQ(cfg->select("Select Count(*) N From ErrorLog Where ErrorMsg Like 'consolidate-import Z99:%'").asInt("N"), 1);
}

TEST_F(ImportProgram, AnFtpServerThatCannotBeReachedFailsTheZone) {
  weborder::WebOrderSettings s = servers.settings();
  const nettest::ClosedPort closed;
  s.ftpPort = closed.port();
  weborder::WriteWebOrderSettings(*company, s);
  const qint64 unstamped = count("Select Count(*) From SoHd Where Coalesce(RTrim(ConsoNo), '') = ''");
  const ProgramRun r = run(args({"--zone", "Z01"}));
  EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("FTP 127.0.0.1:")) << r.err.toStdString();
  EXPECT_EQ(count("Select Count(*) From SoHd Where Coalesce(RTrim(ConsoNo), '') = ''"), unstamped) << "nothing consolidated";
}

// Two timers, or a timer and a clerk, on one zone at once: the import's transaction serialises
// them, so that every line is stored once; the later run finds the lines stored and acknowledges
// them again.
TEST_F(ImportProgram, TwoProcessesAtOnceForOneZoneStoreEveryLineOnce) {
  QVector<Order> orders;
  QList<qint64> ids;
  for (int i = 0; i < 3; ++i) {
    orders.push_back({"S01", "C00001", QStringLiteral("W84%1").arg(i), "2016-03-05", QString::number(8400 + i), bottle(i + 1), "1"});
    ids << 8400 + i;
  }
  servers.publish(kZ01, orderXml(orders));
  QProcess a, b;
  QElapsedTimer clock;
  clock.start();
  start(a, args({"--zone", "Z01", "--json"}));
  start(b, args({"--zone", "Z01", "--json"}));
  const ProgramRun ra = finish(a, clock);
  const ProgramRun rb = finish(b, clock);
  ASSERT_TRUE(ra.finished && rb.finished);
  EXPECT_EQ(ra.exitCode, 0) << ra.err.toStdString();
  EXPECT_EQ(rb.exitCode, 0) << rb.err.toStdString();

  for (qint64 id : ids) EXPECT_EQ(linesPerWebId({id}).value(id), 1) << id;
  EXPECT_EQ(count("Select Count(*) From SoHd Where Reference Like 'W84%'"), 3);
  // Between them the two runs stored each line once and found it stored once.
  QList<qint64> stored = idsOf(ra.zone("Z01").value("stored")) + idsOf(rb.zone("Z01").value("stored"));
  QList<qint64> before = idsOf(ra.zone("Z01").value("storedBefore")) + idsOf(rb.zone("Z01").value("storedBefore"));
  std::sort(stored.begin(), stored.end());
  std::sort(before.begin(), before.end());
  EXPECT_EQ(stored, ids);
  EXPECT_EQ(before, ids);
  EXPECT_EQ(ackPaths().size(), 6);
  // One of them consolidated the zone's orders; the other found none left open.
  const QString ca = ra.zone("Z01").value("consolidation").toString();
  const QString cb = rb.zone("Z01").value("consolidation").toString();
  EXPECT_TRUE(ca.isEmpty() != cb.isEmpty()) << ca.toStdString() << " / " << cb.toStdString();
}

TEST_F(ImportProgram, ArgumentsThatMakeNoRunAreRefusedWithTheUsage) {
  const struct {
    QStringList args;
    const char* problem;
  } cases[] = {
      {{}, "--site DIR or --server NAME"},
      {{"--site", "x", "--server", "y", "--database", "DEMO", "--user", "1", "--all-zones"}, "--site DIR or --server NAME"},
      {{"--site", "x", "--user", "1", "--all-zones"}, "--database NAME is needed"},
      {{"--site", "x", "--database", "DEMO", "--all-zones"}, "--user ID is needed"},
      {{"--site", "x", "--database", "DEMO", "--user", "admin", "--all-zones"}, "--user takes the user's id"},
      {{"--site", "x", "--database", "DEMO", "--user", "1"}, "--zone CODE"},
      {{"--site", "x", "--database", "DEMO", "--user", "1", "--zone", "Z01", "--all-zones"}, "--zone CODE"},
      {{"--site", "x", "--database", "DEMO", "--user", "1", "--zone"}, "--zone needs a value"},
      {{"--site", "x", "--database", "DEMO", "--user", "1", "--all-zones", "--date", "2016-03-05"}, "--date takes a date"},
      {{"--site", "x", "--database", "DEMO", "--user", "1", "--all-zones", "--date", "31/02/2016"}, "--date takes a date"},
      {{"--site", "x", "--database", "DEMO", "--user", "1", "--all-zones", "--pdf", "p", "--no-consolidate"}, "--no-consolidate"},
      {{"--site", "x", "--database", "DEMO", "--user", "1", "--all-zones", "--zones"}, "unknown argument '--zones'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const ProgramRun r = run(c.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.problem))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("usage: consolidate-import")) << r.err.toStdString();
  }
  // A user without the right to the import's menu entry is refused before anything is fetched.
  const ProgramRun refused = run(args({"--zone", "Z01"}).replaceInStrings(QRegularExpression("^1$"), "999"));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.err.contains("No User Right Access !100")) << refused.err.toStdString();
  EXPECT_TRUE(servers.paths().isEmpty());
}

// On a terminal (script(1) gives the program one) the progress is one line rewritten in place.
TEST_F(ImportProgram, OnATerminalTheProgressIsOneLineRewrittenInPlace) {
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8500", "2016-03-05", "8501", bottle(), "1"}}));
  QStringList command{QStringLiteral(CONSOLIDATE_IMPORT_EXE)};
  command += args({"--zone", "Z01", "--no-consolidate"});
  for (QString& a : command) a = QLatin1Char('\'') + a + QLatin1Char('\'');
  QProcess p;
  p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  p.start(QStringLiteral("script"), {"-qec", command.join(' '), "/dev/null"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0);
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_TRUE(out.contains("\r\x1b[KZ01: ")) << out.toStdString();
  EXPECT_TRUE(out.contains("acknowledgements sent 1 of 1")) << out.toStdString();
  EXPECT_FALSE(out.contains("Z01: Status : Load File\n")) << "no plain step lines on a terminal";
  EXPECT_TRUE(out.contains("บันทึกรายการ Order แล้ว 1 รายการ")) << out.toStdString();
}

// --pdf prints the zone's consolidation by the print code "CONSOLIDAT" into DIR/<zone>_<number>.pdf
// by the print dialog's road (its form, its procedure, its activity entry). The number the run will
// draw is given to a consolidation document of the demo beforehand, which the shipped form prints.
TEST_F(ImportProgram, PdfWritesTheLoadSheetOfTheZonesConsolidation) {
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8600", "2016-03-05", "8601", bottle(), "1"}}));
  const db::Result counter = company->select(
      "Select Prefix, LastNo, DocumentLength From DocumentNo Where Code = 'CONSOLIDAT' Order By DocYear Desc");
  ASSERT_FALSE(counter.isEmpty());
  const QString prefix = counter.asString("Prefix").trimmed();
  const QString next = prefix + QString::number(counter.asInt("LastNo") + 1)
                                    .rightJustified(int(counter.asInt("DocumentLength")) - int(prefix.size()), QLatin1Char('0'));
  db::Params p;
  p.setText("N", next);
  company->execute("Update ConsolidateHd Set DocNo = :N Where Id = (Select Min(Id) From ConsolidateHd Where DelFlag = 'N')", p);

  const QString pdfDir = dir.filePath("load sheets");
  const ProgramRun r = run(args({"--zone", "Z01", "--pdf", pdfDir, "--json"}));
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QJsonObject z = r.zone("Z01");
  ASSERT_EQ(z.value("consolidation").toString(), next) << r.out.toStdString();
  const QString pdf = QDir(pdfDir).filePath("Z01_" + next + ".pdf");
  EXPECT_EQ(z.value("pdf").toString(), pdf);
  ASSERT_TRUE(QFileInfo::exists(pdf)) << r.err.toStdString();
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(60000));
  EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(next));
  EXPECT_EQ(company->select("Select Count(*) N From UserLog Where FunctionListId = 5 And Remark = :N", p).asInt("N"), 1)
      << "the print's own activity entry";
}
