// The web-order import on a copy of the demo site, started in-process (menu option 100) with
// scripted prompts, and, for the window, a real FTP server (pyftpdlib) and an HTTP server that
// records every request path, both on 127.0.0.1 with free ports; the site's settings point at them.
//
// Demo facts used here (docs/embedded-server.md): zones Z01..Z04; customer C00001 is in Z01 and
// has approved orders without a consolidation number; salesmen S01..S05; product P00001 has the
// units ขวด (barcode demoBarcode(1, 1), fraction 1) and ลัง (demoBarcode(1, 2), fraction 12);
// sub-type A has AutoRunDocMonth "N"; the demo's web order lines carry ids from 500001 on.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app_fixture.h"
#include "data_module.h"
#include "config_module.h"
#include "embedded/embedded.h"
#include "order_file.h"
#include "import_settings.h"
#include "testservers.h"
#include "web_order_import_window.h"
#include "window_fixture.h"

namespace importtest {

// One <order> element. A field left null is left out of the element (the import then carries the
// previous element's value over); the texts are written as they are (entities, CDATA included).
struct Order {
  QString salesman, customer, orderNo, orderDate, id, barcode, quantity;
};

inline QByteArray orderXml(const QVector<Order>& orders,
                           const QByteArray& head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") {
  QString body = QStringLiteral("<orders>\n");
  auto field = [&body](const char* name, const QString& v) {
    if (!v.isNull()) body += QStringLiteral("  <%1>%2</%1>\n").arg(QLatin1String(name), v);
  };
  for (const Order& o : orders) {
    body += QStringLiteral(" <order>\n");
    field("salesmancode", o.salesman);
    field("customercode", o.customer);
    field("orderno", o.orderNo);
    field("orderdate", o.orderDate);
    field("id", o.id);
    field("barcode", o.barcode);
    field("quantity", o.quantity);
    body += QStringLiteral(" </order>\n");
  }
  body += QStringLiteral("</orders>\n");
  return head + body.toUtf8();
}

inline QString bottle(int product = 1) { return embedded::demoBarcode(product, 1); }
inline QString caseOf12(int product = 1) { return embedded::demoBarcode(product, 2); }

// The demo site with the import's schema upgrade run.
class ImportDbTest : public ::testing::Test {
 protected:
  static testsupport::AppOptions options() {
    testsupport::AppOptions o;
    o.menuOption = 100;
    return o;
  }

  void SetUp() override {
    ASSERT_TRUE(app.ready()) << app.failure().toStdString();
    weborder::RunImportUpgrade(conn());
    today = scalar(QStringLiteral("Select DateKey(GetDate())")).toString();
  }
  void TearDown() override { embedded::setServerClock({}); }

  db::Connection& conn() { return app.dm().DMdata; }

  QVariant scalar(const QString& sql, const db::Params& p = {}) { return testsupport::scalar(conn(), sql, p); }
  int count(const QString& table, const QString& where = QString()) { return testsupport::count(conn(), table, where); }
  qint64 idOf(const QString& table, const QString& code) { return testsupport::idOf(conn(), table, code); }
  // The rows of a statement, each row's values joined by "|".
  QStringList rows(const QString& sql, const db::Params& p = {}) {
    QStringList out;
    const db::Result r = conn().select(sql, p);
    for (const auto& row : r.rows()) {
      QStringList cells;
      for (const QVariant& v : row) {
        if (v.typeId() == QMetaType::QDateTime) cells << v.toDateTime().toString(QStringLiteral("yyyy-MM-dd"));
        else if (v.typeId() == QMetaType::Double && v.toDouble() == qint64(v.toDouble())) cells << QString::number(qint64(v.toDouble()));
        else cells << v.toString();
      }
      out << cells.join(QLatin1Char('|'));
    }
    return out;
  }
  // The headers (SoHd) of a web order number.
  QStringList headersOf(const QString& orderNo) {
    db::Params p;
    p.setText(QStringLiteral("R"), orderNo);
    return rows(QStringLiteral("Select Id From SoHd Where Reference = :R Order By Id"), p);
  }
  // "SoRecNo|WebOrderId|Quantity|ProductUnits" of the lines of a header.
  QStringList linesOf(qint64 soHd) {
    db::Params p;
    p.setInt(QStringLiteral("H"), soHd);
    return rows(QStringLiteral("Select SoRecNo, WebOrderId, Quantity, ProductUnits From SoDt Where SoHd = :H Order By SoRecNo"), p);
  }
  qint64 unitOf(const QString& barcode) {
    db::Params p;
    p.setText(QStringLiteral("B"), barcode);
    return scalar(QStringLiteral("Select Id From ProductUnits Where Barcode = :B"), p).toLongLong();
  }
  // A customer of zone Z01 like C00001 under another code.
  qint64 addCustomer(const QString& code) {
    db::Params p;
    p.setText(QStringLiteral("Code"), code);
    conn().execute(QStringLiteral("Insert Into Customer (Code, Name, TaxCode, DueDays, Zone, Salesman, Transport, Blocked)\n"
                                  "Select :Code, 'ลูกค้าทดสอบ', TaxCode, DueDays, Zone, Salesman, Transport, 'N'\n"
                                  "From Customer Where Code = 'C00001'"),
                   p);
    return idOf(QStringLiteral("Customer"), code);
  }

  weborder::ImportResult import(const QByteArray& xml) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orders.xml"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write the order file");
    f.write(xml);
    f.close();
    const weborder::NumberSource single = [this](const QString& code, const QDate& date) {
      drawnCodes << code;
      return app.dm().NewDocumentNo(code, date);
    };
    weborder::NumberBatchSource batch;
    if (drawInBatches) {
      const weborder::NumberBatchSource numbers = weborder::DocumentNumberBatches(conn(), single);
      batch = [this, numbers](const QString& code, const QDate& date, int n) {
        ++batchDraws;
        for (int i = 0; i < n; ++i) drawnCodes << code;
        return numbers(code, date, n);
      };
    }
    weborder::OrderImporter importer(conn(), single, batch);
    return importer.Import(weborder::ReadOrderFile(path));
  }

  testsupport::AppFixture app{options()};
  QString today;  // the server's date as yyyymmdd
  QStringList drawnCodes;  // the code of every number drawn
  bool drawInBatches = false;  // the import may draw many numbers at once (as the window does)
  int batchDraws = 0;
};

// Real servers on 127.0.0.1 and the desktop folder in a temporary home. `ftpArgs` and `httpArgs`
// go to the servers' scripts (tests/net): an FTP server that cuts its files ("--cut 426"), an HTTP
// server that answers some paths with an error ("--answer upordertransfer=503").
class ImportServers {
 public:
  explicit ImportServers(const QStringList& ftpArgs = {}, const QStringList& httpArgs = {}) {
    oldHome_ = qgetenv("HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home_.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home_.path() + QStringLiteral("/.config")).toLocal8Bit());
    QDir().mkpath(ftpRoot_.filePath(QStringLiteral("public_html/reportout")));
    logPath_ = home_.filePath(QStringLiteral("http-requests.log"));
    ftp = std::make_unique<nettest::TestServer>(
        QStringLiteral("ftp_server.py"),
        QStringList{QStringLiteral("--root"), ftpRoot_.path(), QStringLiteral("--user"), QStringLiteral("varnotek"),
                    QStringLiteral("--password"), QStringLiteral("quenmarl")} +
            ftpArgs);
    http = std::make_unique<nettest::TestServer>(QStringLiteral("http_server.py"), QStringList{QStringLiteral("--log"), logPath_} + httpArgs);
  }
  ~ImportServers() {
    qputenv("HOME", oldHome_);
    if (oldConfig_.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", oldConfig_);
  }

  bool ok() const { return ftp->ok() && http->ok(); }
  QString error() const { return ftp->error() + QLatin1Char(' ') + http->error(); }

  weborder::WebOrderSettings settings() const {
    weborder::WebOrderSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.httpPort = http->port();
    s.ftpPort = ftp->port();
    return s;
  }

  // Puts an order file on the FTP server under the base name.
  void publish(const QString& baseName, const QByteArray& xml) {
    QFile f(ftpRoot_.filePath(QStringLiteral("public_html/reportout/") + baseName + QStringLiteral(".xml")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(xml);
  }
  void unpublish(const QString& baseName) {
    QFile::remove(ftpRoot_.filePath(QStringLiteral("public_html/reportout/") + baseName + QStringLiteral(".xml")));
  }

  // The request paths the HTTP server received, in order.
  QStringList paths() const {
    QFile f(logPath_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  QString home() const { return home_.path(); }

  std::unique_ptr<nettest::TestServer> ftp;
  std::unique_ptr<nettest::TestServer> http;

 private:
  QTemporaryDir home_;
  QTemporaryDir ftpRoot_;
  QString logPath_;
  QByteArray oldHome_;
  QByteArray oldConfig_;
};

inline QString ackPath(qint64 id) {
  return QStringLiteral("/weborder/upordertransfer.php?Id=%1&Transfer=Y").arg(id);
}

// The window on the demo site with the servers running and the site's settings pointing at them.
class ImportWindowTest : public ImportDbTest {
 protected:
  void SetUp() override {
    ImportDbTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(servers.ok()) << servers.error().toStdString();
    weborder::WriteWebOrderSettings(conn(), servers.settings());
    baseName = QStringLiteral("Z01_") + today;
    w = open();
  }
  void TearDown() override {
    testsupport::closeWindow(w);
    ImportDbTest::TearDown();
  }

  // A window shown and active, its status texts recorded into `statuses` (cleared).
  std::unique_ptr<TFrLoadFileXML_Varnotek> open() {
    auto window = std::make_unique<TFrLoadFileXML_Varnotek>();
    EXPECT_TRUE(testsupport::showActive(*window));
    statuses.clear();
    QObject::connect(window.get(), &TFrLoadFileXML_Varnotek::statusChanged, [this](const QString& s) { statuses << s; });
    return window;
  }
  // The window active again, as after a dialog closed.
  void activate() { ASSERT_TRUE(testsupport::activate(*w)); }

  // Sales orders of zone Z01 without a consolidation number.
  int openOrdersOfZ01() {
    return count(QStringLiteral("SoHd"), QStringLiteral("Coalesce(RTrim(ConsoNo), '') = '' And Customer In (Select C.Id From Customer C"
                                                        " Inner Join Misc M On M.Id = C.Zone Where M.Code = 'Z01')"));
  }

  ImportServers servers;
  std::unique_ptr<TFrLoadFileXML_Varnotek> w;
  QString baseName;  // the order file of zone Z01 today
  QStringList statuses;
};

}  // namespace importtest
