// The web-order import window against a real FTP server and an HTTP server that records every
// request path, both on 127.0.0.1, on a copy of the demo site.
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QLabel>
#include <QPushButton>
#include <QFileInfo>
#include <QSignalSpy>

#include "document_print_dialog.h"
#include "import_fixture.h"
#include "web_order_import_window.h"
#include "modal.h"
#include "consolidation_number_search.h"
#include "shipped_forms.h"
#include "net/shell_folders.h"

using importtest::ackPath;
using importtest::bottle;
using importtest::caseOf12;
using importtest::ImportServers;
using importtest::ImportWindowTest;
using importtest::Order;
using importtest::orderXml;

namespace {

struct PrintCall {
  QString docNo;
  int docYear = 0;
  QString printCode;
};

class ImportWindow : public ImportWindowTest {
 protected:
  void SetUp() override {
    ImportWindowTest::SetUp();
    if (HasFatalFailure()) return;
    companyView = app.site().openCompany();
  }

  // Load / Consolidate with the print dialog recorded and closed by the user.
  void load(TFrLoadFileXML_Varnotek& window, bool printDialogExpected = true) {
    widgets::QueueModalDriver([this](QDialog& d) {
      auto* p = qobject_cast<TFrDocPrintForm*>(&d);
      ASSERT_NE(p, nullptr);
      prints.push_back({p->DocNo, p->DocYear, p->PrintCode});
    });
    window.BLoadClick();
    if (printDialogExpected)
      EXPECT_EQ(widgets::PendingModalDrivers(), 0) << "the print dialog opens";
    else
      EXPECT_EQ(widgets::PendingModalDrivers(), 1) << "no print dialog";
    widgets::ClearModalDrivers();
  }
  void load() { load(*w); }


  void waitForAcknowledgements(TFrLoadFileXML_Varnotek& window) {
    // QtTest's QTRY macros only return from the function when they time out: the wait is checked here.
    ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.Acknowledge.busy(); }, 30000)) << "acknowledgements still due";
    ASSERT_TRUE(window.WebBrowser1.waitForDone(20000));
  }
  QStringList ackPaths() const {
    QStringList out;
    for (const QString& p : servers.paths())
      if (p.contains("upordertransfer")) out << p;
    return out;
  }
  QString fileRequest() const { return QStringLiteral("/weborder/weborderxml.php?filename=%1&zone=Z01").arg(baseName); }

  int stampedWith(const QString& consoNo) {
    db::Params p;
    p.setText("N", consoNo);
    return int(scalar("Select Count(*) From SoHd Where ConsoNo = :N", p).toLongLong());
  }

  std::unique_ptr<db::Connection> companyView;  // a connection of its own: sees committed rows only
  QVector<PrintCall> prints;
};

}  // namespace

TEST_F(ImportWindow, OpensWithTheZonesAndAnEmptyNumber) {
  EXPECT_EQ(w->windowTitle(), DMConfig->MenuCaption);
  EXPECT_EQ(w->EZone->count(), count("Misc", "GroupCode = 'ZONE'"));
  EXPECT_EQ(w->ZoneCode(), "Z01");
  EXPECT_EQ(w->FileDate(), today);
  EXPECT_EQ(w->EZone->currentText(), "เขต 1 กรุงเทพฯ ฝั่งพระนคร");
  w->EZone->setCurrentIndex(2);
  EXPECT_EQ(w->ZoneCode(), "Z03");
  EXPECT_TRUE(w->DocNo->text().isEmpty());
  EXPECT_TRUE(w->lStatus->text().isEmpty());
  EXPECT_EQ(w->BLoad->text(), "Load / Consolidate");
  EXPECT_EQ(w->BtSearch->toolTip(), "ค้นหาเลขที่เอกสาร");
}

TEST_F(ImportWindow, TwoLineOrderIsStoredConsolidatedPrintedAndAcknowledgedAfterTheCommit) {
  servers.publish(baseName, orderXml({{"S01", "C00001", "W7000", "2016-03-05", "7001", caseOf12(), "2"},
                                      {{}, {}, {}, {}, "7002", bottle(), "5"}}));
  const int openBefore = openOrdersOfZ01();
  // What the site is told, and what the database holds at that moment.
  QVector<qint64> ackMoments;
  QStringList committedAtAck;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&w->Acknowledge, &weborder::Acknowledger::progress, [&](int sent, int) {
    ackMoments << clock.elapsed();
    committedAtAck << QString::number(sent) + ":" +
                          companyView->select("Select Count(*) N From SoDt Where WebOrderId In (7001, 7002)").asString("N");
  });

  load();

  EXPECT_EQ(statuses.mid(0, 2), (QStringList{"Status : Load File", "Status : Load File To DB"}));
  EXPECT_TRUE(statuses.contains("Status : Load OrderNo : W7000 Barcode : " + bottle()));
  EXPECT_EQ(statuses.last(), "Status : Consolidate ");
  EXPECT_TRUE(QFileInfo::exists(servers.home() + "/Desktop/LoadXML/" + baseName + ".xml"));

  const QStringList headers = headersOf("W7000");
  ASSERT_EQ(headers.size(), 1);
  EXPECT_EQ(linesOf(headers[0].toLongLong()), (QStringList{QStringLiteral("1|7001|2|%1").arg(unitOf(caseOf12())),
                                                           QStringLiteral("2|7002|5|%1").arg(unitOf(bottle()))}));
  // Every open order of the zone, the new one included, carries the new number.
  const QString consoNo = w->DocNo->text();
  EXPECT_TRUE(consoNo.startsWith("Con")) << consoNo.toStdString();
  EXPECT_EQ(stampedWith(consoNo), openBefore + 1);
  EXPECT_EQ(openOrdersOfZ01(), 0);
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(prints[0].docNo, consoNo);
  EXPECT_EQ(prints[0].docYear, 1977);
  EXPECT_EQ(prints[0].printCode, "CONSOLIDAT");
  EXPECT_TRUE(app.prompts().log.empty()) << "no report when every line was stored";

  // The click has ended; the acknowledgements go on, one every three seconds, in the order of the
  // lines (how many were sent by now depends on how long the print dialog stayed open).
  EXPECT_GE(w->Acknowledge.sent(), 1);
  EXPECT_TRUE(w->BLoad->isEnabled());
  EXPECT_TRUE(w->BClose->isEnabled());
  waitForAcknowledgements(*w);
  EXPECT_EQ(committedAtAck, (QStringList{"1:2", "2:2"})) << "the lines were committed before the site was told";
  ASSERT_EQ(ackMoments.size(), 2);
  EXPECT_GE(ackMoments[1] - ackMoments[0], 2990) << "never less than three seconds apart";
  EXPECT_EQ(w->lAcknowledged->text(), "แจ้งเว็บไซต์สำเร็จ 2 จาก 2 รายการ") << "both answered with success";
  // The file request and the first acknowledgement are both sent without waiting: either may arrive
  // first.
  EXPECT_EQ(servers.paths().count(fileRequest()), 1);
  EXPECT_EQ(ackPaths(), (QStringList{ackPath(7001), ackPath(7002)}));
  EXPECT_EQ(servers.paths().size(), 3);
}

TEST_F(ImportWindow, SecondImportTheSameDayAppendsAndAcknowledgesStoredLinesAgain) {
  servers.publish(baseName, orderXml({{"S01", "C00001", "W7100", "2016-03-05", "7101", bottle(), "1"},
                                      {{}, {}, {}, {}, "7102", bottle(), "2"}}));
  load();
  waitForAcknowledgements(*w);
  const QString firstNo = w->DocNo->text();

  // The site offers line 7102 again (its acknowledgement never arrived) with a new line 7103.
  servers.publish(baseName, orderXml({{"S01", "C00001", "W7100", "2016-03-05", "7102", bottle(), "2"},
                                      {{}, {}, {}, {}, "7103", caseOf12(), "3"}}));
  w->DocNo->clear();
  load(*w, false);
  waitForAcknowledgements(*w);

  const QStringList headers = headersOf("W7100");
  ASSERT_EQ(headers.size(), 1);
  EXPECT_EQ(linesOf(headers[0].toLongLong()),
            (QStringList{QStringLiteral("1|7101|1|%1").arg(unitOf(bottle())), QStringLiteral("2|7102|2|%1").arg(unitOf(bottle())),
                         QStringLiteral("3|7103|3|%1").arg(unitOf(caseOf12()))}));
  // Line 7103 joined a sales order whose load sheet was printed under the first number: the
  // report says so, and so does the line that stays under the status.
  ASSERT_EQ(app.prompts().log.size(), 2u);
  EXPECT_EQ(app.prompts().log[0].text,
            "บันทึกรายการ Order แล้ว 1 รายการ\r\nรายการที่เคยบันทึกไว้แล้ว 1 รายการ (ไม่บันทึกซ้ำ แจ้งเว็บไซต์อีกครั้ง)\r\n"
            "รายการใหม่ 1 รายการ เพิ่มเข้าในใบสั่งขายที่ออกเลขที่ Conso ไปแล้ว (ใบจัดสินค้าที่พิมพ์ไว้ยังไม่มีรายการเหล่านี้) :\r\n"
            "เลขที่ Conso " + firstNo + " : 1 รายการ OrderNo : W7100 กรุณาพิมพ์ใบจัดสินค้าของเลขที่ Conso นี้อีกครั้ง");
  EXPECT_TRUE(w->lOutcome->text().contains("กรุณาพิมพ์ใบจัดสินค้าเลขที่ Conso " + firstNo + " อีกครั้ง (มีรายการใหม่ 1 รายการ)"))
      << w->lOutcome->text().toStdString();
  EXPECT_EQ(app.prompts().log[1].text, "ไม่มีใบสั่งขายของเขตนี้ที่รอจัด จึงไม่ได้ออกเลขที่ Conso");
  EXPECT_EQ(servers.paths().count(fileRequest()), 2);
  EXPECT_EQ(ackPaths(), (QStringList{ackPath(7101), ackPath(7102), ackPath(7103), ackPath(7102)}));
  EXPECT_EQ(servers.paths().size(), 6);
  // The header carried a number already: nothing was left to consolidate, so nothing is printed
  // and the window says why.
  EXPECT_TRUE(w->DocNo->text().isEmpty());
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(prints[0].docNo, firstNo);
  EXPECT_TRUE(w->lOutcome->text().contains("ไม่มีใบสั่งขายของเขตนี้ที่รอจัด")) << w->lOutcome->text().toStdString();
}

TEST_F(ImportWindow, MonthlyNumberingAndABarcodeCarriedOverFromThePreviousOrder) {
  conn().execute("Update Misc Set AutoRunDocMonth = 'Y' Where GroupCode = 'SUBTYPE' And Code = 'A'");
  const QString march = QDate(testsupport::serverToday().year(), 3, 5).toString("yyyy-MM-dd");
  servers.publish(baseName, orderXml({{"S01", "C00001", "W7200", march, "7201", caseOf12(), "1"},
                                      {{}, {}, {}, {}, "7202", {}, "4"}}));
  load();
  db::Params p;
  p.setText("R", "W7200");
  EXPECT_TRUE(scalar("Select SoNo From SoHd Where Reference = :R", p).toString().startsWith("SA" + testsupport::serverToday().toString("yy") + "03"));
  EXPECT_EQ(linesOf(headersOf("W7200")[0].toLongLong()),
            (QStringList{QStringLiteral("1|7201|1|%1").arg(unitOf(caseOf12())), QStringLiteral("2|7202|4|%1").arg(unitOf(caseOf12()))}));
}

TEST_F(ImportWindow, MissingOrderFileStillConsolidatesTheZone) {
  const int openBefore = openOrdersOfZ01();
  ASSERT_GT(openBefore, 0);
  load();
  EXPECT_EQ(statuses, (QStringList{"Status : Load File", "Status : ไม่พบ ข้อมูลของ Order", "Status : Consolidate "}));
  EXPECT_EQ(w->LastImport.lines, 0);
  const QString consoNo = w->DocNo->text();
  // The missing file stays in sight after the run, with the number the zone received.
  EXPECT_EQ(w->lOutcome->text(), "Status : ไม่พบ ข้อมูลของ Order\nเลขที่ Conso " + consoNo);
  EXPECT_FALSE(consoNo.isEmpty());
  EXPECT_EQ(stampedWith(consoNo), openBefore);
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(prints[0].docNo, consoNo);
  EXPECT_EQ(w->Acknowledge.total(), 0);
  ASSERT_TRUE(w->WebBrowser1.waitForDone(20000));
  EXPECT_EQ(servers.paths(), QStringList{fileRequest()});
}

TEST_F(ImportWindow, AFailingLineRollsEverythingBackAndNothingIsAcknowledged) {
  const int openBefore = openOrdersOfZ01();
  struct Case {
    const char* what;
    QVector<Order> orders;
  } cases[] = {
      {"quantity that is not a number",
       {{"S01", "C00001", "W7300", "2016-03-05", "7301", bottle(), "1"}, {{}, {}, {}, {}, "7302", bottle(), "zwei"}}},
      {"order date the server cannot read",
       {{"S01", "C00001", "W7300", "2016-03-05", "7301", bottle(), "1"}, {{}, {}, "W7301", "32.13.2016", "7302", bottle(), "1"}}},
  };
  for (const Case& c : cases) {
    servers.publish(baseName, orderXml(c.orders));
    widgets::QueueModalDriver([this](QDialog&) { prints.push_back({}); });
    EXPECT_THROW(w->BLoadClick(), std::exception) << c.what;
    widgets::ClearModalDrivers();
    EXPECT_EQ(count("SoDt", "WebOrderId In (7301, 7302)"), 0) << c.what;
    EXPECT_TRUE(headersOf("W7300").isEmpty()) << c.what;
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_TRUE(w->BLoad->isEnabled() && w->BClose->isEnabled()) << c.what;
  }
  EXPECT_TRUE(prints.isEmpty()) << "the import stopped: no consolidation, no print";
  EXPECT_TRUE(w->DocNo->text().isEmpty());
  EXPECT_EQ(openOrdersOfZ01(), openBefore);
  EXPECT_EQ(w->Acknowledge.total(), 0);
  ASSERT_TRUE(w->WebBrowser1.waitForDone(20000));
  EXPECT_EQ(servers.paths(), (QStringList{fileRequest(), fileRequest()}));
}

TEST_F(ImportWindow, EntitiesCdataCommentsByteOrderMarkAndAThaiCustomerCode) {
  const QString thaiCode = QStringLiteral("ลูกค้าไทย01");
  const qint64 customer = addCustomer(thaiCode);
  ASSERT_GT(customer, 0);
  const QByteArray xml = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<!-- orders of zone Z01 -->\n<orders>\n <order>\n"
                         "  <salesmancode>S01</salesmancode>\n"
                         "  <customercode>" + thaiCode.toUtf8() + "</customercode>\n"
                         "  <orderno>W&amp;74&#x30;&#48;</orderno><!-- web order -->\n"
                         "  <orderdate>2016-03-05</orderdate>\n"
                         "  <id>7401</id>\n"
                         "  <barcode><![CDATA[" + bottle().toUtf8() + "]]></barcode>\n"
                         "  <quantity> 6 </quantity>\n"
                         " </order>\n</orders>\n";
  servers.publish(baseName, xml);
  load();
  const QStringList headers = headersOf("W&7400");
  ASSERT_EQ(headers.size(), 1);
  db::Params p;
  p.setInt("H", headers[0].toLongLong());
  EXPECT_EQ(scalar("Select C.Code From SoHd H Inner Join Customer C On C.Id = H.Customer Where H.Id = :H", p).toString(), thaiCode);
  EXPECT_EQ(linesOf(headers[0].toLongLong()), QStringList{QStringLiteral("1|7401|6|%1").arg(unitOf(bottle()))});
  EXPECT_TRUE(app.prompts().log.empty());
  waitForAcknowledgements(*w);
  EXPECT_EQ(ackPaths(), QStringList{ackPath(7401)});
}

TEST_F(ImportWindow, LinesThatCannotBeStoredAreReportedOnceAndLeftPendingOnTheSite) {
  servers.publish(baseName, orderXml({
                                {"S01", "C00001", "W7500", "2016-03-05", "7501", bottle(), "1"},
                                {{}, {}, {}, {}, "7502", "1234567890123", "1"},
                                {{}, "C77777", "W7501", {}, "7503", bottle(), "1"},
                            }));
  load();
  // By reason, each with its lines, and the file beside the order file that lists them all.
  const QString list = QDir::toNativeSeparators(servers.home() + "/Desktop/LoadXML/" + baseName + ".xml.skipped.txt");
  ASSERT_EQ(app.prompts().log.size(), 1u) << "one message at the end of the import";
  EXPECT_EQ(app.prompts().log[0].text,
            "บันทึกรายการ Order แล้ว 1 รายการ\r\n"
            "รายการที่ไม่ได้บันทึก 2 รายการ (ยังค้างอยู่ที่เว็บไซต์) :\r\n"
            "ไม่พบ Barcode สินค้า : 1 รายการ\r\n"
            "  OrderNo : W7500 Barcode : 1234567890123\r\n"
            "ไม่พบรหัสลูกค้า C77777 : 1 รายการ\r\n"
            "  OrderNo : W7501 Barcode : " + bottle() + "\r\n"
            "รายการที่ไม่ได้บันทึกทั้งหมดอยู่ในไฟล์ " + list);
  QFile listed(list);
  ASSERT_TRUE(listed.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(listed.readAll()), "id\torderno\tbarcode\treason\n"
                                                 "7502\tW7500\t1234567890123\tไม่พบ Barcode สินค้า\n"
                                                 "7503\tW7501\t" + bottle() + "\tไม่พบรหัสลูกค้า C77777\n");
  EXPECT_TRUE(headersOf("W7501").isEmpty());
  EXPECT_EQ(count("SoDt", "WebOrderId In (7502, 7503)"), 0);
  waitForAcknowledgements(*w);
  EXPECT_EQ(ackPaths(), QStringList{ackPath(7501)});
}

TEST_F(ImportWindow, WithANumberTheButtonOnlyPrints) {
  w->DocNo->setFocus();
  w->DocNo->setText("Con-typed");
  w->EZone->setFocus();  // leaving the number field
  QApplication::processEvents();
  EXPECT_EQ(w->BLoad->text(), "Print");
  const int openBefore = openOrdersOfZ01();
  load();
  ASSERT_EQ(prints.size(), 1);
  EXPECT_EQ(prints[0].docNo, "Con-typed");
  EXPECT_EQ(prints[0].docYear, 1977);
  EXPECT_TRUE(statuses.isEmpty());
  EXPECT_EQ(openOrdersOfZ01(), openBefore);
  EXPECT_TRUE(w->WebBrowser1.outcomes().isEmpty());
  EXPECT_EQ(w->WebBrowser1.pending(), 0);
  EXPECT_TRUE(servers.paths().isEmpty());

  activate();
  w->DocNo->setFocus();
  w->DocNo->clear();
  w->EZone->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(w->BLoad->text(), "Load / Consolidate");
}

TEST_F(ImportWindow, UnreachableOrUnsetServerIsAnErrorAndNothingIsConsolidated) {
  const int openBefore = openOrdersOfZ01();
  weborder::WebOrderSettings wrong = servers.settings();
  wrong.ftpPassword = "not-the-password";
  const nettest::ClosedPort closed;
  weborder::WebOrderSettings down = servers.settings();
  down.ftpPort = closed.port();
  struct Case {
    const char* what;
    weborder::WebOrderSettings settings;
    const char* message;
  } cases[] = {
      {"login refused", wrong, "FTP 127.0.0.1"},
      {"server down", down, "FTP 127.0.0.1"},
      {"no server set", weborder::WebOrderSettings{}, "Config.WebOrderHost"},
  };
  for (const Case& c : cases) {
    weborder::WriteWebOrderSettings(conn(), c.settings);
    widgets::QueueModalDriver([this](QDialog&) { prints.push_back({}); });
    try {
      w->BLoadClick();
      ADD_FAILURE() << c.what;
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(QString::fromUtf8(e.what()).contains(c.message)) << c.what << ": " << e.what();
    }
    widgets::ClearModalDrivers();
    EXPECT_TRUE(w->BLoad->isEnabled()) << c.what;
  }
  EXPECT_TRUE(prints.isEmpty());
  EXPECT_EQ(openOrdersOfZ01(), openBefore);
  EXPECT_TRUE(w->DocNo->text().isEmpty());
}

TEST_F(ImportWindow, ClosingWaitsForTheAcknowledgementsUnlessAskedTwice) {
  servers.publish(baseName, orderXml({{"S01", "C00001", "W7600", "2016-03-05", "7601", bottle(), "1"},
                                      {{}, {}, {}, {}, "7602", bottle(), "2"}}));
  // The second acknowledgement waits for longer than the test runs, however long the print dialog
  // of the click stays open.
  w->Acknowledge.setPacingMs(10 * 60 * 1000);
  load();
  ASSERT_EQ(w->Acknowledge.sent(), 1);
  // The first is answered (the line counts what the site took).
  ASSERT_TRUE(QTest::qWaitFor([this] { return w->lAcknowledged->text().startsWith("แจ้งเว็บไซต์สำเร็จ 1 จาก 2 รายการ"); }, 20000))
      << w->lAcknowledged->text().toStdString();
  w->BClose->click();
  EXPECT_TRUE(w->isVisible()) << "the window waits for the acknowledgement still to be sent";
  EXPECT_EQ(w->lAcknowledged->text(), "แจ้งเว็บไซต์สำเร็จ 1 จาก 2 รายการ : หน้าต่างจะปิดเมื่อส่งครบ (ปิดอีกครั้งเพื่อปิดทันที)");
  // The hint is shown whole: the line wraps within the window instead of cutting it off.
  EXPECT_TRUE(w->lAcknowledged->wordWrap());
  EXPECT_GE(w->lAcknowledged->height(), w->lAcknowledged->heightForWidth(w->lAcknowledged->width()));
  EXPECT_LE(w->lAcknowledged->geometry().bottom(), w->rect().bottom());
  w->BClose->click();
  EXPECT_FALSE(w->isVisible()) << "a second Close closes at once";
  EXPECT_EQ(w->Acknowledge.sent(), 1);
  ASSERT_TRUE(w->WebBrowser1.waitForDone(20000));
  EXPECT_EQ(ackPaths(), QStringList{ackPath(7601)});

  // The next import acknowledges both lines again without storing them twice, and a single Close
  // ends the window once the site has been told.
  auto next = open();
  load(*next, false);  // both lines were stored and stamped before: nothing to consolidate
  EXPECT_EQ(next->LastImport.alreadyStored, (QList<qint64>{7601, 7602}));
  EXPECT_EQ(count("SoDt", "WebOrderId In (7601, 7602)"), 2);
  next->BClose->click();
  EXPECT_TRUE(next->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&next] { return !next->isVisible(); }, 15000)) << "the window closes once the site has been told";
  ASSERT_TRUE(next->WebBrowser1.waitForDone(20000));
  EXPECT_EQ(ackPaths(), (QStringList{ackPath(7601), ackPath(7601), ackPath(7602)}));
}

// Only the site's answer of success makes an acknowledgement: a site that is down or answers with
// an error is counted as failed, and the line says that the next import tells the site again.
TEST_F(ImportWindow, AcknowledgementsTheSiteDidNotTakeAreCountedAsFailed) {
  const nettest::ClosedPort closed;
  const struct {
    const char* what;
    QStringList httpArgs;
    bool down;
    int succeeded, failed;
  } cases[] = {
      {"every acknowledgement answered 503", {"--answer", "upordertransfer=503"}, false, 0, 2},
      {"one answered 500", {"--answer", "Id=7812&=500"}, false, 1, 1},
      {"the site down", {}, true, 0, 2},
  };
  int order = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ImportServers site({}, c.httpArgs);
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    weborder::WebOrderSettings settings = site.settings();
    if (c.down) settings.httpPort = closed.port();
    weborder::WriteWebOrderSettings(conn(), settings);
    const QString orderNo = QStringLiteral("W78%1").arg(order++);
    site.publish(baseName, orderXml({{"S01", "C00001", orderNo, "2016-03-05", "7811", bottle(), "1"},
                                     {{}, {}, {}, {}, "7812", bottle(), "2"}}));
    auto window = open();
    load(*window);
    waitForAcknowledgements(*window);
    EXPECT_EQ(window->lAcknowledged->text(),
              QStringLiteral("แจ้งเว็บไซต์สำเร็จ %1 จาก 2 รายการ แจ้งไม่สำเร็จ %2 รายการ (เว็บไซต์ยังค้างรายการเหล่านี้ไว้ "
                             "การนำเข้าครั้งถัดไปจะแจ้งอีกครั้ง)")
                  .arg(c.succeeded)
                  .arg(c.failed));
    if (!c.down) {
      QStringList acks;
      for (const QString& p : site.paths())
        if (p.contains("upordertransfer")) acks << p;
      EXPECT_EQ(acks, (QStringList{ackPath(7811), ackPath(7812)})) << "each line was offered to the site once";
    }
    testsupport::closeWindow(window);
    // The next import offers the lines again (they are stored; the site keeps them pending).
    conn().execute("Delete From SoDt Where WebOrderId In (7811, 7812)");
  }
}

// Only "the file does not exist on the server" means no order file. A transfer that the server
// cuts off (426, or its 226 after fewer bytes than it announced by SIZE or in its 150 reply) may
// have lost orders: the zone fails with a Thai message naming the file, nothing is stored or
// consolidated, no partial file is kept, and the failure is in the activity log.
TEST_F(ImportWindow, ADownloadCutShortIsAnErrorAndNothingIsConsolidated) {
  const int openBefore = openOrdersOfZ01();
  QVector<Order> many;
  for (int n = 0; n < 60; ++n) many.push_back({"S01", "C00001", "W7950", "2016-03-05", QString::number(7951 + n), bottle(), "1"});
  const QByteArray file = orderXml(many);
  ASSERT_GT(file.size(), 4096);
  const struct {
    const char* what;
    QStringList ftpArgs;
  } cases[] = {
      {"226 after part of the size SIZE gave", {"--cut", "226"}},
      {"226 after part of the size the 150 reply gave", {"--cut", "226", "--no-size", "--announce-size"}},
      {"426 after part of the file", {"--cut", "426", "--no-size"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ImportServers site(c.ftpArgs);
    ASSERT_TRUE(site.ok()) << site.error().toStdString();
    weborder::WriteWebOrderSettings(conn(), site.settings());
    site.publish(baseName, file);
    auto window = open();
    widgets::QueueModalDriver([this](QDialog&) { prints.push_back({}); });
    QString failure;
    try {
      window->BLoadClick();
    } catch (const std::exception& e) {
      failure = QString::fromUtf8(e.what());
    }
    widgets::ClearModalDrivers();
    EXPECT_TRUE(failure.startsWith(QStringLiteral("ดาวน์โหลดไฟล์ Order %1.xml ไม่สำเร็จ จึงไม่ได้บันทึกรายการและไม่ได้ออกเลขที่ Conso ของเขตนี้").arg(baseName)))
        << failure.toStdString();
    EXPECT_FALSE(statuses.contains("Status : ไม่พบ ข้อมูลของ Order")) << statuses.join('|').toStdString();
    EXPECT_FALSE(statuses.contains("Status : Consolidate "));
    EXPECT_TRUE(prints.isEmpty()) << "nothing to print";
    EXPECT_TRUE(window->DocNo->text().isEmpty());
    EXPECT_TRUE(window->BLoad->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(site.home() + "/Desktop/LoadXML/" + baseName + ".xml")) << "no partial file is kept";
    EXPECT_EQ(count("SoDt", "WebOrderId Between 7951 And 8010"), 0);
    EXPECT_EQ(window->Acknowledge.total(), 0);
    EXPECT_EQ(openOrdersOfZ01(), openBefore) << "nothing consolidated";
    db::Params p;
    p.setText("R", "Web order import Z01: failed: ดาวน์โหลดไฟล์ Order " + baseName + ".xml %");
    EXPECT_EQ(scalar("Select Count(*) From UserLog Where Remark Like :R", p).toInt(), 1) << "the failure is in the activity log";
    conn().execute("Delete From UserLog Where Remark Like 'Web order import%'");
    testsupport::closeWindow(window);
  }
}

TEST_F(ImportWindow, F5SearchesAConsolidationNumberAndEnterMovesOn) {
  const QString number = scalar("Select Max(ConsoNo) From SoHd Where Coalesce(RTrim(ConsoNo), '') <> ''").toString().trimmed();
  ASSERT_FALSE(number.isEmpty()) << "the demo has consolidated orders";
  widgets::QueueModalDriver([&number](QDialog& d) {
    auto* s = qobject_cast<TFrSearchConsoNo*>(&d);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->KeyFieldName, "ConsoNo");
    s->Code->setText(number);
    s->BtSearch->click();
    ASSERT_GT(s->QSearch.rowCount(), 0);
    s->BtOk->click();
  });
  w->DocNo->setFocus();
  QTest::keyClick(w->DocNo, Qt::Key_F5);
  EXPECT_EQ(widgets::PendingModalDrivers(), 0);
  EXPECT_EQ(w->DocNo->text(), number);

  activate();
  w->EZone->setFocus();
  QTest::keyClick(w->EZone, Qt::Key_Return);
  EXPECT_TRUE(w->DocNo->hasFocus()) << "Enter moves to the next control";
  QTest::keyClick(w->DocNo, Qt::Key_Return);
  EXPECT_EQ(w->BLoad->text(), "Print") << "leaving the number field with a number";
}

// The consolidation a web import ends with prints: the load sheet of the number lists the zone's
// sales orders stamped with it, with their weight, though no consolidation document carries it.
TEST_F(ImportWindow, TheImportsConsolidationPrintsTheLoadSheetOfTheStampedSalesOrders) {
  struct Folder {
    QString previous = QDir::currentPath();
    ~Folder() { QDir::setCurrent(previous); }
  } folder;
  printing::installShippedForms(conn(), app.site().folder());
  ASSERT_TRUE(QDir::setCurrent(app.site().folder()));
  servers.publish(baseName, orderXml({{"S01", "C00001", "W7700", "2016-03-05", "7701", caseOf12(), "3"},
                                      {{}, {}, {}, {}, "7702", bottle(2), "4"}}));
  QTemporaryDir out;
  const QString pdf = out.filePath("load-sheet.pdf");
  widgets::QueueModalDriver([&](QDialog& d) {
    auto* p = qobject_cast<TFrDocPrintForm*>(&d);
    ASSERT_NE(p, nullptr);
    prints.push_back({p->DocNo, p->DocYear, p->PrintCode});
    p->Printer().setOutputFormat(QPrinter::PdfFormat);
    p->Printer().setOutputFileName(pdf);
    p->SystemFormList->setCurrentIndex(p->SystemFormList->model()->index(0, 0));
    p->BPrint->click();
  });
  w->BLoadClick();
  EXPECT_EQ(widgets::PendingModalDrivers(), 0) << "the print dialog opens";
  ASSERT_EQ(prints.size(), 1);
  const QString consoNo = w->DocNo->text();
  ASSERT_FALSE(consoNo.isEmpty());
  EXPECT_EQ(prints[0].docNo, consoNo);
  db::Params p;
  p.setText("N", consoNo);
  EXPECT_EQ(scalar("Select Count(*) From ConsolidateHd Where DocNo = :N", p).toLongLong(), 0)
      << "the number is only on the sales orders";

  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(60000));
  const QString sheet = QString::fromUtf8(text.readAllStandardOutput()).simplified();
  ASSERT_FALSE(sheet.isEmpty()) << "the load sheet was printed";
  EXPECT_TRUE(sheet.contains(consoNo)) << sheet.toStdString();
  // The text layer keeps the Thai tone marks, as the PDF of an export does.
  EXPECT_TRUE(sheet.contains("ตัวอย่างการค้า")) << sheet.toStdString();
  db::Params r;
  r.setText("R", "W7700");
  const QString soNo = scalar("Select SoNo From SoHd Where Reference = :R", r).toString().trimmed();
  ASSERT_FALSE(soNo.isEmpty());
  EXPECT_TRUE(sheet.contains(soNo)) << soNo.toStdString() << " in " << sheet.toStdString();
  const double weight = scalar("Select Sum(D.Quantity * Coalesce(U.VolumnFraction, 0)) From SoDt D Inner Join SoHd S On S.Id = D.SoHd "
                               "Inner Join ProductUnits U On U.Id = D.ProductUnits Where S.ConsoNo = :N And Coalesce(S.DelFlag, 'N') <> 'Y'",
                               p)
                            .toDouble();
  ASSERT_GT(weight, 0);
  const QString total = QLocale(QLocale::English, QLocale::UnitedStates).toString(weight, 'f', 2);
  EXPECT_TRUE(sheet.contains(total + " ")) << total.toStdString() << " in " << sheet.toStdString();
}

// The zone code names the order file in the local download folder and on the FTP server. A code
// that would name another folder is refused before any request; any other code reaches the site
// percent-encoded.
TEST_F(ImportWindow, AZoneCodeThatWouldNameAnotherFolderIsRefusedBeforeAnyRequest) {
  const QString localFolder = net::webOrderDownloadFolder();
  // What "../x" would fetch and write: public_html/x_<date>.xml, and x_<date>.xml beside LoadXML.
  servers.publish("../x_" + today, orderXml({{"S01", "C00001", "W7900", "2016-03-05", "7901", bottle(), "1"}}));
  const int stampedBefore = count("SoHd", "Coalesce(RTrim(ConsoNo), '') <> ''");
  for (const char* code : {"../x", "..", "Z/01", "Z\\01", "/tmp/x", "Z0\n1"}) {
    SCOPED_TRACE(code);
    db::Params p;
    p.setText("Code", QString::fromUtf8(code));
    conn().execute("Update Misc Set Code = :Code Where GroupCode = 'ZONE' And Code In ('Z01', '../x', '..', 'Z/01', 'Z\\01', '/tmp/x', 'Z0\n1')", p);
    w = open();
    for (int i = 0; i < w->EZone->count() && w->ZoneCode() != QString::fromUtf8(code); ++i) w->EZone->setCurrentIndex(i);
    ASSERT_EQ(w->ZoneCode(), QString::fromUtf8(code).trimmed());
    widgets::QueueModalDriver([this](QDialog&) { prints.push_back({}); });
    try {
      w->BLoadClick();
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("The zone code '%1' cannot name the order file").arg(QString::fromUtf8(code))))
          << e.what();
    }
    widgets::ClearModalDrivers();
  }
  EXPECT_EQ(servers.paths(), QStringList()) << "no request reached the site";
  EXPECT_TRUE(prints.isEmpty());
  EXPECT_EQ(count("SoDt", "WebOrderId = 7901"), 0);
  EXPECT_FALSE(QFileInfo::exists(localFolder + "../x_" + today + ".xml"));
  EXPECT_EQ(count("SoHd", "Coalesce(RTrim(ConsoNo), '') <> ''"), stampedBefore) << "nothing was consolidated";

  // A code with a space, "&" and Thai is no path: fetched and named percent-encoded.
  const QString code = QStringLiteral("Z 1&ก");
  db::Params p;
  p.setText("Code", code);
  conn().execute("Update Misc Set Code = :Code Where GroupCode = 'ZONE' And Code = 'Z0\n1'", p);
  servers.publish(code + "_" + today, orderXml({{"S01", "C00001", "W7910", "2016-03-05", "7911", bottle(), "1"}}));
  w = open();
  for (int i = 0; i < w->EZone->count() && w->ZoneCode() != code; ++i) w->EZone->setCurrentIndex(i);
  ASSERT_EQ(w->ZoneCode(), code);
  load();
  const QString encoded = QStringLiteral("Z%201%26%E0%B8%81");
  // The file request is not waited for, so the acknowledgement may reach the server before it.
  EXPECT_TRUE(servers.paths().contains(QStringLiteral("/weborder/weborderxml.php?filename=%1_%2&zone=%1").arg(encoded, today)))
      << servers.paths().join(u' ').toStdString();
  EXPECT_EQ(count("SoDt", "WebOrderId = 7911"), 1);
  EXPECT_TRUE(QFileInfo::exists(localFolder + code + "_" + today + ".xml"));
}
