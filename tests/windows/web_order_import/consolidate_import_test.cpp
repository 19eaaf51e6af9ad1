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

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

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
    const rlim_t limit = rlim_t(std::max<qint64>(0, fileSizeLimit));
    const bool nobody = runAsNobody;
    process.setChildProcessModifier([limit, nobody] {
      if (limit > 0) {
        // A full disk without root: no file of the program may grow beyond the limit, and a write
        // beyond it fails (EFBIG) instead of killing the process.
        const struct rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
        ::signal(SIGXFSZ, SIG_IGN);
      }
      if (nobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(97);
    });
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
  // The number the next consolidation will draw, given beforehand to a consolidation document of
  // the demo, which the shipped load sheet then prints.
  QString printableNextConsolidation() {
    const db::Result counter = company->select(
        "Select Prefix, LastNo, DocumentLength From DocumentNo Where Code = 'CONSOLIDAT' Order By DocYear Desc");
    if (counter.isEmpty()) return QString();
    const QString prefix = counter.asString("Prefix").trimmed();
    const QString next = prefix + QString::number(counter.asInt("LastNo") + 1)
                                      .rightJustified(int(counter.asInt("DocumentLength")) - int(prefix.size()), QLatin1Char('0'));
    db::Params p;
    p.setText("N", next);
    company->execute("Update ConsolidateHd Set DocNo = :N Where Id = (Select Min(Id) From ConsolidateHd Where DelFlag = 'N')", p);
    return next;
  }
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
  qint64 fileSizeLimit = 0;  // RLIMIT_FSIZE of the program, when above 0
  bool runAsNobody = false;  // the program runs as the user nobody (a root test cannot be kept from writing)
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
  EXPECT_EQ(z1.value("skipped").toInt(), 1);
  const QJsonArray reasons = z1.value("skippedByReason").toArray();
  ASSERT_EQ(reasons.size(), 1);
  EXPECT_EQ(reasons[0].toObject().value("reason").toString(), "ไม่พบ Barcode สินค้า");
  EXPECT_EQ(reasons[0].toObject().value("count").toInt(), 1);
  EXPECT_EQ(reasons[0].toObject().value("examples").toArray().at(0).toObject().value("id").toInt(), 8003);
  EXPECT_EQ(z1.value("skippedFile").toString(), servers.home() + "/Desktop/LoadXML/" + kZ01 + ".xml.skipped.txt");
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
  EXPECT_TRUE(r.err.contains("ไม่พบ Barcode สินค้า : 1 รายการ\n    OrderNo : W8000 Barcode : 0000000000000\n")) << r.err.toStdString();
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
  EXPECT_TRUE(out.contains("acknowledged 1 of 1")) << out.toStdString();
  EXPECT_FALSE(out.contains("Z01: Status : Load File\n")) << "no plain step lines on a terminal";
  EXPECT_TRUE(out.contains("บันทึกรายการ Order แล้ว 1 รายการ")) << out.toStdString();
}

// --pdf prints the zone's consolidation by the print code "CONSOLIDAT" into DIR/<zone>_<number>.pdf
// (the next free name, "DIR/<zone>_<number> (2).pdf", when that file exists)
// by the print dialog's road (its form, its procedure, its activity entry). The number the run will
// draw is given to a consolidation document of the demo beforehand, which the shipped form prints.
TEST_F(ImportProgram, PdfWritesTheLoadSheetOfTheZonesConsolidation) {
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8600", "2016-03-05", "8601", bottle(), "1"}}));
  const QString next = printableNextConsolidation();
  ASSERT_FALSE(next.isEmpty());
  db::Params p;
  p.setText("N", next);

  // A file of that name is there already (an earlier run's, a clerk's copy): it is never replaced.
  const QString pdfDir = dir.filePath("load sheets");
  ASSERT_TRUE(QDir().mkpath(pdfDir));
  const QString named = QDir(pdfDir).filePath("Z01_" + next + ".pdf");
  QFile earlier(named);
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
  earlier.write("an earlier load sheet");
  earlier.close();
  const ProgramRun r = run(args({"--zone", "Z01", "--pdf", pdfDir, "--json"}));
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QJsonObject z = r.zone("Z01");
  ASSERT_EQ(z.value("consolidation").toString(), next) << r.out.toStdString();
  const QString pdf = QDir(pdfDir).filePath("Z01_" + next + " (2).pdf");
  EXPECT_EQ(z.value("pdf").toString(), pdf);
  EXPECT_TRUE(r.err.contains(named + " exists and is kept; the load sheet is written to " + pdf)) << r.err.toStdString();
  ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
  EXPECT_EQ(earlier.readAll(), "an earlier load sheet");
  ASSERT_TRUE(QFileInfo::exists(pdf)) << r.err.toStdString();
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(60000));
  EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(next));
  EXPECT_EQ(company->select("Select Count(*) N From UserLog Where FunctionListId = 5 And Remark = :N", p).asInt("N"), 1)
      << "the print's own activity entry";
}

namespace {

qint64 unstampedOrders(db::Connection& c) {
  return c.select("Select Count(*) From SoHd Where Coalesce(RTrim(ConsoNo), '') = ''").rows().value(0).value(0).toLongLong();
}

}  // namespace

// Only "the file does not exist on the server" means no order file. A download the server cuts off
// (226 short of the size it announced, 426, both connections dropped) or a local file that cannot
// be written (a full disk) fails the zone: exit code 1, nothing stored or consolidated, no partial
// file kept, the failure in the suite's error log.
TEST_F(ImportProgram, ADownloadThatFailsFailsTheZoneAndConsolidatesNothing) {
  QVector<Order> many;
  for (int n = 0; n < 60; ++n) many.push_back({"S01", "C00001", "W8700", "2016-03-05", QString::number(8701 + n), bottle(), "1"});
  const QByteArray small = orderXml(many);
  // Larger than the file size limit of the full-disk case, far above the databases' own files.
  QByteArray large = small;
  large.insert(large.indexOf("</order>") + 8, QByteArray(8 * 1024 * 1024, ' '));
  const struct {
    const char* what;
    QStringList ftpArgs;
    qint64 fileSizeLimit;
    const char* reason;  // what the failure says of the download
  } cases[] = {
      {"226 short of the SIZE answer", {"--cut", "226"}, 0, "ไม่สำเร็จ"},
      {"226 short of the size in the 150 reply", {"--cut", "226", "--no-size", "--announce-size"}, 0, "ไม่สำเร็จ"},
      {"426", {"--cut", "426", "--no-size"}, 0, "ไม่สำเร็จ"},
      {"both connections dropped", {"--cut", "drop", "--no-size"}, 0, "ไม่สำเร็จ"},
      {"a full disk", {}, 4 * 1024 * 1024, "Cannot write"},
  };
  auto cfg = std::make_unique<db::Connection>("ImportProgramCfg");
  embedded::setConnectionParams(*cfg, site, "TALVIK_CONFIG");
  ASSERT_LT(QFileInfo(site + "/DEMO.sqlite").size(), 2 * 1024 * 1024) << "the full disk must leave the databases room";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ImportServers cut(c.ftpArgs);
    ASSERT_TRUE(cut.ok()) << cut.error().toStdString();
    weborder::WriteWebOrderSettings(*company, cut.settings());
    cut.publish(kZ01, c.fileSizeLimit > 0 ? large : small);
    const qint64 unstamped = unstampedOrders(*company);
    const qint64 errorsBefore = cfg->select("Select Count(*) N From ErrorLog Where ErrorMsg Like 'consolidate-import Z01:%'").asInt("N");
    fileSizeLimit = c.fileSizeLimit;
    const ProgramRun r = run(args({"--zone", "Z01", "--json"}));
    fileSizeLimit = 0;
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_EQ(r.json.value("exitCode").toInt(), 1) << r.out.toStdString();
    const QJsonObject z = r.zone("Z01");
    EXPECT_EQ(z.value("outcome").toString(), "failed") << r.out.toStdString();
    EXPECT_FALSE(z.value("orderFileFound").toBool());
    const QString error = z.value("error").toString();
    EXPECT_TRUE(error.startsWith("ดาวน์โหลดไฟล์ Order " + kZ01 + ".xml ไม่สำเร็จ จึงไม่ได้บันทึกรายการและไม่ได้ออกเลขที่ Conso ของเขตนี้"))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    EXPECT_EQ(z.value("consolidation").toString(), QString());
    EXPECT_EQ(unstampedOrders(*company), unstamped) << "nothing consolidated";
    EXPECT_EQ(count("Select Count(*) From SoDt Where WebOrderId Between 8701 And 8760"), 0);
    EXPECT_FALSE(r.err.contains("Status : ไม่พบ ข้อมูลของ Order")) << r.err.toStdString();
    EXPECT_EQ(QDir(cut.home() + "/Desktop/LoadXML").entryList(QDir::Files | QDir::Hidden), QStringList()) << "no partial file is kept";
    EXPECT_EQ(cfg->select("Select Count(*) N From ErrorLog Where ErrorMsg Like 'consolidate-import Z01:%'").asInt("N"), errorsBefore + 1);
  }
}

// 300 lines of one reason and two of another: the report and the JSON give each reason once with
// its count and first examples, however many lines it has; the file beside the order file lists
// every one of them.
TEST_F(ImportProgram, SkippedLinesAreGroupedByReasonAndListedInAFile) {
  QVector<Order> orders{{"S01", "C00001", "W8800", "2016-03-05", "8800", bottle(), "1"}};
  for (int n = 1; n <= 300; ++n) orders.push_back({{}, {}, {}, {}, QString::number(8800 + n), QStringLiteral("99%1").arg(n, 11, 10, QLatin1Char('0')), "1"});
  orders.push_back({"S01", "C99998", "W8801", {}, "9201", bottle(), "1"});
  orders.push_back({{}, {}, {}, {}, "9202", bottle(), "1"});
  servers.publish(kZ01, orderXml(orders));
  const ProgramRun r = run(args({"--zone", "Z01", "--no-consolidate", "--json"}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
  const QJsonObject z = r.zone("Z01");
  EXPECT_EQ(z.value("skipped").toInt(), 302);
  const QJsonArray reasons = z.value("skippedByReason").toArray();
  ASSERT_EQ(reasons.size(), 2) << r.out.toStdString();
  EXPECT_EQ(reasons[0].toObject().value("reason").toString(), "ไม่พบ Barcode สินค้า");
  EXPECT_EQ(reasons[0].toObject().value("count").toInt(), 300);
  const QJsonArray examples = reasons[0].toObject().value("examples").toArray();
  ASSERT_EQ(examples.size(), 5);
  EXPECT_EQ(examples[0].toObject().value("id").toInt(), 8801);
  EXPECT_EQ(examples[0].toObject().value("orderNo").toString(), "W8800");
  EXPECT_EQ(reasons[1].toObject().value("reason").toString(), "ไม่พบรหัสลูกค้า C99998");
  EXPECT_EQ(reasons[1].toObject().value("count").toInt(), 2);

  const QString list = z.value("skippedFile").toString();
  EXPECT_EQ(list, servers.home() + "/Desktop/LoadXML/" + kZ01 + ".xml.skipped.txt");
  QFile f(list);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QStringList rows = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(rows.size(), 1 + 302);
  EXPECT_EQ(rows[1], "8801\tW8800\t" + QStringLiteral("99%1").arg(1, 11, 10, QLatin1Char('0')) + "\tไม่พบ Barcode สินค้า");
  EXPECT_EQ(rows.last(), "9202\tW8801\t" + bottle() + "\tไม่พบรหัสลูกค้า C99998");

  // The report: each reason once, its first five lines, what is left, and the file.
  EXPECT_TRUE(r.err.contains("ไม่พบ Barcode สินค้า : 300 รายการ\n")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("  ... และอีก 295 รายการ\n")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("ไม่พบรหัสลูกค้า C99998 : 2 รายการ\n")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("รายการที่ไม่ได้บันทึกทั้งหมดอยู่ในไฟล์ " + list)) << r.err.toStdString();
  EXPECT_EQ(r.err.count("OrderNo : "), 5 + 2) << r.err.toStdString();
}

// New lines that join a sales order consolidated earlier the same day: its load sheet was printed
// without them, so the report and the JSON name the lines, the orders and the number to print again.
TEST_F(ImportProgram, NewLinesOfAConsolidatedOrderAreReportedWithTheNumberToPrintAgain) {
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8900", "2016-03-05", "8901", bottle(), "1"}}));
  const ProgramRun first = run(args({"--zone", "Z01", "--json"}));
  ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
  const QString consoNo = first.zone("Z01").value("consolidation").toString();
  ASSERT_FALSE(consoNo.isEmpty());
  EXPECT_TRUE(first.zone("Z01").value("joinedConsolidated").toArray().isEmpty());

  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8900", "2016-03-05", "8901", bottle(), "1"},
                                  {{}, {}, {}, {}, "8902", bottle(), "2"},
                                  {{}, {}, {}, {}, "8903", caseOf12(), "1"}}));
  const ProgramRun again = run(args({"--zone", "Z01", "--json"}));
  EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
  const QJsonArray joined = again.zone("Z01").value("joinedConsolidated").toArray();
  ASSERT_EQ(joined.size(), 1) << again.out.toStdString();
  const QJsonObject j = joined[0].toObject();
  EXPECT_EQ(j.value("consolidation").toString(), consoNo);
  EXPECT_EQ(j.value("lines").toInt(), 2);
  EXPECT_EQ(j.value("orders").toArray(), QJsonArray{"W8900"});
  const QString soNo = company->select("Select SoNo From SoHd Where Reference = 'W8900'").asString("SoNo").trimmed();
  EXPECT_EQ(j.value("salesOrders").toArray(), QJsonArray{soNo});
  EXPECT_TRUE(j.value("printAgain").toBool());
  EXPECT_TRUE(again.err.contains("เลขที่ Conso " + consoNo + " : 2 รายการ OrderNo : W8900 กรุณาพิมพ์ใบจัดสินค้าของเลขที่ Conso นี้อีกครั้ง"))
      << again.err.toStdString();
}

// An acknowledgement counts only when the site answered it with success: a site that answers with an
// error or is down gives a true count of those it took and of those that failed, and the next
// import tells it again. The counts are written once, with the right plural.
TEST_F(ImportProgram, AcknowledgementsCountOnlyWhatTheSiteTook) {
  const nettest::ClosedPort closed;
  const struct {
    const char* what;
    QStringList httpArgs;
    bool down;
    int lines, taken, failed;
    QStringList said, notSaid;
  } cases[] = {
      {"answered 503", {"--answer", "upordertransfer=503"}, false, 2, 0, 2,
       {"waiting for the order site to take 2 acknowledgements (",
        "acknowledgements: 0 of 2 taken by the order site; 2 failed (the site keeps those lines pending; the next import tells it again)"},
       {"sending", "acknowledgements sent"}},
      {"down", {}, true, 3, 0, 3,
       {"take 3 acknowledgements (", "acknowledgements: 0 of 3 taken by the order site; 3 failed"},
       {"sending", "acknowledgements sent"}},
      {"one line, taken", {}, false, 1, 1, 0,
       {"acknowledgements: 1 of 1 taken by the order site\n"},
       {"1 acknowledgements", "failed"}},
  };
  int base = 9000;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ImportServers site({}, c.httpArgs);
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    weborder::WebOrderSettings settings = site.settings();
    if (c.down) settings.httpPort = closed.port();
    weborder::WriteWebOrderSettings(*company, settings);
    QVector<Order> orders;
    for (int n = 0; n < c.lines; ++n) orders.push_back({"S01", "C00001", QStringLiteral("W%1").arg(base), "2016-03-05", QString::number(base + n), bottle(), "1"});
    base += 100;
    site.publish(kZ01, orderXml(orders));
    const ProgramRun r = run(args({"--zone", "Z01", "--no-consolidate", "--json"}));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json.value("acknowledgements").toInt(), c.lines) << r.out.toStdString();
    EXPECT_EQ(r.json.value("acknowledgementsSent").toInt(), c.taken);
    EXPECT_EQ(r.json.value("acknowledgementsFailed").toInt(), c.failed);
    for (const QString& text : c.said) EXPECT_TRUE(r.err.contains(text)) << "'" << text.toStdString() << "' not in:\n" << r.err.toStdString();
    for (const QString& text : c.notSaid) EXPECT_FALSE(r.err.contains(text)) << "'" << text.toStdString() << "' in:\n" << r.err.toStdString();
  }
}

// With --json a start that is refused prints the error object too: the reason the error stream
// gives, and exit code 1.
TEST_F(ImportProgram, ARefusedStartPrintsTheJsonErrorObject) {
  // A site no one may write: the program runs as the user nobody when the test is root.
  const QString readOnly = dir.filePath("read-only");
  {
    QProcess p;
    p.start(QStringLiteral(CONSOLIDATE_DB_EXE), {"init", readOnly, "--demo", "--quiet"});
    ASSERT_TRUE(p.waitForFinished(120000) && p.exitCode() == 0) << p.readAllStandardError().toStdString();
  }
  const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
  const QFileDevice::Permissions enterable = readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
  for (const QString& f : QDir(readOnly).entryList(QDir::Files)) QFile::setPermissions(QDir(readOnly).filePath(f), readable);
  QFile::setPermissions(readOnly, enterable);
  QFile::setPermissions(dir.path(), enterable | QFileDevice::WriteOwner);
  const bool root = ::geteuid() == 0;

  const struct {
    const char* what;
    QStringList args;
    bool asNobody;
    const char* reason;
  } cases[] = {
      {"a missing site", {"--site", dir.filePath("nowhere"), "--database", "DEMO", "--user", "1", "--zone", "Z01", "--json"}, false,
       "does not exist"},
      {"a user without the right", args({"--zone", "Z01", "--json"}).replaceInStrings(QRegularExpression("^1$"), "999"), false,
       "No User Right Access !100"},
      {"a read-only site", {"--site", readOnly, "--database", "DEMO", "--user", "1", "--zone", "Z01", "--json"}, root, "ฐานข้อมูล"},
      {"wrong arguments", {"--site", site, "--database", "DEMO", "--zone", "Z01", "--json"}, false, "--user ID is needed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    runAsNobody = c.asNobody;
    const ProgramRun r = run(c.args);
    runAsNobody = false;
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    ASSERT_FALSE(r.json.isEmpty()) << "stdout: " << r.out.toStdString() << "\nstderr: " << r.err.toStdString();
    EXPECT_EQ(r.json.value("exitCode").toInt(), 1);
    EXPECT_TRUE(r.json.value("zones").toArray().isEmpty());
    const QString error = r.json.value("error").toString();
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    EXPECT_TRUE(r.err.contains(error.section('\n', 0, 0))) << "the same reason on the error stream: " << r.err.toStdString();
  }
  EXPECT_TRUE(servers.paths().isEmpty()) << "nothing was fetched";
}

// A load sheet that cannot be written (here into a folder where no file can be made, not even by
// root: /proc) fails the zone: exit code 1, the file and the consolidation still to be printed
// named in the error and the JSON, no PDF reported, no print logged.
TEST_F(ImportProgram, ALoadSheetThatCannotBeWrittenFailsTheZoneNamingTheFile) {
  servers.publish(kZ01, orderXml({{"S01", "C00001", "W8700", "2016-03-05", "8701", bottle(), "1"}}));
  const QString next = printableNextConsolidation();
  ASSERT_FALSE(next.isEmpty());
  const QString pdfDir = QStringLiteral("/proc");
  const QString pdf = QDir(pdfDir).filePath("Z01_" + next + ".pdf");

  const ProgramRun r = run(args({"--zone", "Z01", "--pdf", pdfDir, "--json"}));
  EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
  const QJsonObject z = r.zone("Z01");
  EXPECT_EQ(z.value("outcome").toString(), "failed") << r.out.toStdString();
  EXPECT_EQ(z.value("consolidation").toString(), next);
  EXPECT_EQ(z.value("pdf").toString(), QString()) << "nothing reported as written";
  const QString error = z.value("error").toString();
  EXPECT_TRUE(error.contains(pdf) && error.contains(next)) << error.toStdString();
  EXPECT_TRUE(r.err.contains(pdf)) << r.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(pdf));
  db::Params p;
  p.setText("N", next);
  EXPECT_EQ(company->select("Select Count(*) N From UserLog Where FunctionListId = 5 And Remark = :N", p).asInt("N"), 0)
      << "no print logged";
}
