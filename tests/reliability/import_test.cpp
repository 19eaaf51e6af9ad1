// The web-order import under bad order files, a connection the FTP server closes in the middle of
// the file, and its database locked by another process.
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>

#include "document_print_dialog.h"
#include "edits.h"
#include "import_fixture.h"
#include "web_order_import_window.h"
#include "lock_holder.h"
#include "modal.h"
#include "consolidation_number_search.h"

using importtest::bottle;
using importtest::ImportServers;
using importtest::ImportWindowTest;
using importtest::Order;
using importtest::orderXml;

namespace {

class ImportReliability : public ImportWindowTest {
 protected:
  // Load / Consolidate; the print dialog, if it comes, is counted and closed. The failure that
  // would reach the error reporter is returned (empty when none).
  QString load() {
    widgets::QueueModalDriver([this](QDialog& d) {
      ++printed;
      if (auto* p = qobject_cast<TFrDocPrintForm*>(&d)) printedNo = p->DocNo;
      d.reject();
    });
    QString failure;
    try {
      w->BLoadClick();
    } catch (const std::exception& e) {
      failure = QString::fromUtf8(e.what());
    }
    widgets::ClearModalDrivers();
    return failure;
  }
  int printed = 0;
  QString printedNo;
};

// Two good lines, for files that wrap them in something bad.
QByteArray twoLines(const QByteArray& head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") {
  return orderXml({{"S01", "C00001", "W8100", "2016-03-05", "8101", bottle(), "2"}, {{}, {}, {}, {}, "8102", bottle(), "3"}}, head);
}

// Order files that are not what the site should send: the import stops with a message naming the
// file's fault, stores nothing, acknowledges nothing and consolidates nothing.
TEST_F(ImportReliability, BadOrderFilesStopTheImportWithAMessageAndStoreNothing) {
  const int openBefore = openOrdersOfZ01();
  QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE orders [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
  for (char c = 'b'; c <= 'k'; ++c)
    bomb += QByteArray("<!ENTITY ") + c + " \"" + QByteArray("&") + char(c - 1) + ";" + QByteArray("&") + char(c - 1) + ";" +
            QByteArray("&") + char(c - 1) + ";" + QByteArray("&") + char(c - 1) + ";\">";
  bomb += "]>\n<orders><order><id>8101</id><barcode>&k;</barcode><quantity>1</quantity></order></orders>\n";
  const QByteArray good = twoLines();
  struct Case {
    const char* what;
    QByteArray file;
    QStringList names;  // what the message says of the fault: the file or the line and field, and the fault
  } cases[] = {
      {"an empty file", QByteArray(), {"Z01_", ".xml: line 1", "Premature end of document"}},
      {"a truncated file", good.left(good.size() * 2 / 3), {"Z01_", ".xml: line 10", "Premature end of document"}},
      {"not XML", QByteArray::fromHex("504b0304140000000000") + "binary" + QByteArray::fromHex("fffe00ff"),
       {"Z01_", ".xml: line 1", "incorrectly encoded content"}},
      {"a web server's error page", "<html><body><h1>500 Internal Server Error</h1><p>try again<br></body></html>",
       {"Z01_", ".xml: line 1", "tag mismatch"}},
      {"a well-formed error page", "<html><body><h1>500 Internal Server Error</h1></body></html>",
       {"ไฟล์ที่ได้รับไม่ใช่ไฟล์ Order", "500 Internal Server Error"}},
      {"an id that is not a whole number", orderXml({{"S01", "C00001", "W8100", "2016-03-05", "81O1", bottle(), "1"}}),
       {"'81O1' is not a valid integer value", "element id of order line 1"}},
      {"a quantity beyond any integer", orderXml({{"S01", "C00001", "W8100", "2016-03-05", "8101", bottle(), "99999999999"}}),
       {"'99999999999' is not a valid integer value", "element quantity of order line 1"}},
      {"an unknown encoding", twoLines("<?xml version=\"1.0\" encoding=\"x-no-such-charset\"?>\n"),
       {"Z01_", ".xml: line 1", "x-no-such-charset is unsupported"}},
      {"UTF-16 declared, UTF-8 written", twoLines("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"),
       {"Z01_", ".xml: line 1", "Start tag expected"}},
      {"an entity that expands without end", bomb, {"Z01_", ".xml: line 3", "entity expansion limit"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    servers.publish(baseName, c.file);
    printed = 0;
    QElapsedTimer clock;
    clock.start();
    const QString failure = load();
    EXPECT_LT(clock.elapsed(), 60000);
    for (const QString& part : c.names) EXPECT_TRUE(failure.contains(part)) << "'" << part.toStdString() << "' not in: " << failure.toStdString();
    EXPECT_EQ(printed, 0) << "no consolidation to print";
    EXPECT_EQ(count("SoDt", "WebOrderId In (8101, 8102)"), 0);
    EXPECT_TRUE(headersOf("W8100").isEmpty());
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(w->Acknowledge.total(), 0);
    EXPECT_TRUE(w->DocNo->text().isEmpty());
    EXPECT_TRUE(w->BLoad->isEnabled());
  }
  EXPECT_EQ(openOrdersOfZ01(), openBefore) << "nothing was consolidated";
}

// A 100 MB order file (its two lines far apart) is read and stored like a small one.
TEST_F(ImportReliability, AHundredMegabyteOrderFileIsImported) {
  QByteArray file = twoLines();
  const int cut = file.indexOf("</order>") + 8;
  file.insert(cut, QByteArray(100 * 1024 * 1024, ' '));
  servers.publish(baseName, file);
  const QString failure = load();
  ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
  EXPECT_EQ(w->LastImport.lines, 2);
  EXPECT_EQ(count("SoDt", "WebOrderId In (8101, 8102)"), 2);
  EXPECT_EQ(printed, 1);
}

// The FTP server drops the connection after the first kilobyte of the file: the download failed
// (it is no missing file), so nothing of the part that arrived is read or kept, nothing is
// consolidated, the site is told nothing, and the lines stay pending there.
TEST_F(ImportReliability, TheFtpServerClosingMidTransferImportsNothing) {
  const int openBefore = openOrdersOfZ01();
  // The test FTP server cuts files whose name starts with "broken": a zone of that code.
  conn().execute("Insert Into Misc (GroupCode, Code, Description, Blocked) Values ('ZONE', 'brokenZ', 'เขตทดสอบ ตัดสาย', 'N')");
  w = open();
  const int i = w->EZone->findText(QStringLiteral("เขตทดสอบ ตัดสาย"));
  ASSERT_GE(i, 0);
  w->EZone->setCurrentIndex(i);
  const QString name = w->ZoneCode() + "_" + w->FileDate();
  ASSERT_TRUE(name.startsWith("brokenZ_"));
  QVector<Order> many;
  for (int n = 0; n < 60; ++n) many.push_back({"S01", "C00001", "W8200", "2016-03-05", QString::number(8201 + n), bottle(), "1"});
  const QByteArray file = orderXml(many);
  ASSERT_GT(file.size(), 4096);
  servers.publish(name, file);

  const QString failure = load();
  EXPECT_TRUE(failure.startsWith("ดาวน์โหลดไฟล์ Order " + name + ".xml ไม่สำเร็จ")) << failure.toStdString();
  EXPECT_FALSE(statuses.contains("Status : ไม่พบ ข้อมูลของ Order")) << statuses.join('|').toStdString();
  EXPECT_FALSE(statuses.contains("Status : Load File To DB"));
  EXPECT_EQ(printed, 0) << "nothing consolidated, nothing to print";
  EXPECT_EQ(openOrdersOfZ01(), openBefore);
  EXPECT_FALSE(QFileInfo::exists(servers.home() + "/Desktop/LoadXML/" + name + ".xml")) << "no partial file is left";
  EXPECT_EQ(count("SoDt", "WebOrderId Between 8201 And 8260"), 0);
  EXPECT_EQ(w->Acknowledge.total(), 0) << "nothing acknowledged: the site keeps the lines";
  ASSERT_TRUE(w->WebBrowser1.waitForDone(20000));
  for (const QString& p : servers.paths()) EXPECT_FALSE(p.contains("upordertransfer")) << p.toStdString();
}

// The company database locked by another process past the busy time-out during the import: the
// import rolls back, the user is told, nothing is acknowledged, and the next try imports.
TEST_F(ImportReliability, ImportWhileAnotherProcessLocksTheDatabase) {
  servers.publish(baseName, twoLines());
  reliability::shortenBusyTimeout(conn());
  const int openBefore = openOrdersOfZ01();
  {
    reliability::LockHolder lock(app.site().folder(), app.site().companyDatabase());
    ASSERT_TRUE(lock.ok()) << lock.error().toStdString();
    const QString failure = load();
    EXPECT_TRUE(failure.contains("locked")) << failure.toStdString();
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(printed, 0);
    EXPECT_TRUE(w->DocNo->text().isEmpty());
    EXPECT_TRUE(w->BLoad->isEnabled());
  }
  EXPECT_EQ(count("SoDt", "WebOrderId In (8101, 8102)"), 0);
  EXPECT_EQ(w->Acknowledge.total(), 0);
  EXPECT_EQ(openOrdersOfZ01(), openBefore);
  const QString failure = load();
  ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
  EXPECT_EQ(count("SoDt", "WebOrderId In (8101, 8102)"), 2);
  EXPECT_EQ(printed, 1);
  EXPECT_EQ(openOrdersOfZ01(), 0);
}

// The number field and its search take hostile texts as ordinary characters: the search finds
// nothing, and a number in the field only prints (the print dialog is handed the text as it is).
TEST_F(ImportReliability, HostileNumbersAndSearchTexts) {
  const int openBefore = openOrdersOfZ01();
  const QStringList texts{QStringLiteral("'"), QStringLiteral("x' Or '1'='1"), QStringLiteral("1'; Delete From SoHd; --"), QStringLiteral("%"),
                          QStringLiteral("_"), QStringLiteral("Con%"), QStringLiteral(":ConsoNo"), QStringLiteral("\\%"),
                          QStringLiteral("\x01\x02"), QString(200, QLatin1Char('9')), QString(20000, QChar(0x0E01))};
  for (const QString& text : texts) {
    SCOPED_TRACE(text.left(30).toStdString());
    int listed = -1;
    QString failure;
    widgets::QueueModalDriver([&](QDialog& d) {
      auto* s = qobject_cast<TFrSearchConsoNo*>(&d);
      ASSERT_NE(s, nullptr);
      s->Code->setText(text);
      try {
        s->BtSearchClick(nullptr);
        listed = s->QSearch.rowCount();
      } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
      }
      d.reject();
    });
    w->BtSearchClick();
    EXPECT_EQ(widgets::PendingModalDrivers(), 0);
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(listed, 0);

    w->DocNo->setText(text);
    printed = 0;
    const QString loadFailure = load();
    EXPECT_TRUE(loadFailure.isEmpty()) << loadFailure.toStdString();
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(printedNo, w->DocNo->text());
    w->DocNo->clear();
  }
  EXPECT_EQ(openOrdersOfZ01(), openBefore) << "only printed: nothing consolidated";
  EXPECT_EQ(w->Acknowledge.total(), 0);
}

}  // namespace
