// Storing web order lines and consolidating a zone, on a copy of the demo site.
#include <sqlite3.h>

#include <QFileInfo>

#include "import_fixture.h"
#include "web_order_import_sql.h"

using importtest::bottle;
using importtest::caseOf12;
using importtest::ImportDbTest;
using importtest::Order;
using importtest::orderXml;

namespace {

// Every storing case runs twice: new headers made one at a time, and made ahead of the lines in
// batches with their numbers drawn many at once (as the window does on the embedded server); both
// must store, number, refuse and acknowledge alike.
class ImportOrders : public ImportDbTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    drawInBatches = GetParam();
    ImportDbTest::SetUp();
  }
};

class ConsolidateZones : public ImportDbTest {};

QString isoDate(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

}  // namespace

TEST_P(ImportOrders, LinesOfOneWebOrderShareOneHeaderNumberedFromOne) {
  const QDate orderDate = testsupport::serverToday().addDays(-1);
  const auto r = import(orderXml({
      {"S01", "C00001", "W900", isoDate(orderDate), "9001", caseOf12(), "2"},
      {{}, {}, {}, {}, "9002", bottle(), "7"},
  }));
  EXPECT_EQ(r.stored, (QList<qint64>{9001, 9002}));
  EXPECT_TRUE(r.skipped.isEmpty());
  EXPECT_EQ(r.headersCreated, 1);
  EXPECT_EQ(drawnCodes, QStringList{"SO-A"}) << "AutoRunDocMonth of sub-type A is N on the demo site";

  const QStringList headers = headersOf("W900");
  ASSERT_EQ(headers.size(), 1);
  const qint64 soHd = headers[0].toLongLong();
  const qint64 c = idOf("Customer", "C00001");
  const qint64 s = idOf("SalesMan", "S01");
  db::Params p;
  p.setInt("H", soHd);
  // Every column the header is written with, against the customer, salesman, tax and company rows.
  EXPECT_EQ(rows("Select H.SoType, H.DelFlag, H.Price_IE, H.SoDate, Coalesce(H.Department, -1) - Coalesce(S.Department, -1), H.ShipDate,"
                 " H.Customer, H.Salesman, Coalesce(H.TaxCode, -1) - Coalesce(C.TaxCode, -1), H.TaxRate,"
                 " Coalesce(H.DueDays, -1) - Coalesce(C.DueDays, -1),"
                 " H.Warehouse, Coalesce(H.Transportation, -1) - Coalesce(C.Transport, -1), H.Reference, H.Remark,"
                 " H.NoTaxAmt + H.TaxAmt + H.TaxTotal + H.TaxCal + H.Total, H.Clear, H.Posted, H.Printed, H.Imported,"
                 " H.Approved, Substr(H.SoNo, 1, 5)"
                 " From SoHd H Inner Join Customer C On C.Id = H.Customer Inner Join SalesMan S On S.Id = H.Salesman"
                 " Where H.Id = :H",
                 p),
            QStringList{QStringLiteral("A|N|E|%1|0|%2|%3|%4|0|7|0|1|0|W900|Web Order %5|0|N|N|N|Y|Y|SOA%6")
                            .arg(isoDate(orderDate))
                            .arg(isoDate(orderDate.addDays(int(scalar("Select DueDays From Customer Where Code = 'C00001'").toLongLong()))))
                            .arg(c)
                            .arg(s)
                            .arg(today)
                            .arg(testsupport::serverToday().toString("yy"))});
  // The dates as the server keeps them, whichever way the header was made.
  const QDate shipDate = orderDate.addDays(int(scalar("Select DueDays From Customer Where Code = 'C00001'").toLongLong()));
  EXPECT_EQ(rows("Select 'T' || H.SoDate, 'T' || H.ShipDate From SoHd H Where H.Id = :H", p),
            QStringList{QStringLiteral("T%1 00:00:00|T%2 00:00:00").arg(isoDate(orderDate), isoDate(shipDate))});
  // Lines: numbered 1, 2; unit, fraction, back order in base units; dates, warehouse and tax copied.
  EXPECT_EQ(rows("Select D.SoRecNo, D.WebOrderId, D.Quantity, D.ProductUnits, D.Product, D.Fraction, D.BackOrder, D.Send,"
                 " D.Price + D.Total + D.ProductAmount, D.Clear,"
                 " Case When D.SoDate = H.SoDate And D.ShipDate = H.ShipDate And D.Warehouse = H.Warehouse"
                 "  And D.TaxCode = H.TaxCode And D.TaxRate = H.TaxRate Then 'same' Else 'differs' End"
                 " From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where D.SoHd = :H Order By D.SoRecNo",
                 p),
            (QStringList{QStringLiteral("1|9001|2|%1|1|12|24|0|0|N|same").arg(unitOf(caseOf12())),
                         QStringLiteral("2|9002|7|%1|1|1|7|0|0|N|same").arg(unitOf(bottle()))}));
  EXPECT_FALSE(conn().inTransaction());
}

TEST_P(ImportOrders, ASecondImportTheSameDayAppendsAndALaterDayStartsANewHeader) {
  import(orderXml({{"S01", "C00001", "W901", "2016-03-05", "9101", bottle(), "1"}, {{}, {}, {}, {}, "9102", bottle(), "2"}}));
  const auto again = import(orderXml({{"S01", "C00001", "W901", "2016-03-05", "9103", caseOf12(), "3"}}));
  EXPECT_EQ(again.headersCreated, 0);
  QStringList headers = headersOf("W901");
  ASSERT_EQ(headers.size(), 1);
  EXPECT_EQ(linesOf(headers[0].toLongLong()),
            (QStringList{QStringLiteral("1|9101|1|%1").arg(unitOf(bottle())), QStringLiteral("2|9102|2|%1").arg(unitOf(bottle())),
                         QStringLiteral("3|9103|3|%1").arg(unitOf(caseOf12()))}));

  // The next day the same web order is a new sales order.
  const QDateTime tomorrow = embedded::serverNow().addDays(1);
  embedded::setServerClock([tomorrow] { return tomorrow; });
  const auto nextDay = import(orderXml({{"S01", "C00001", "W901", "2016-03-05", "9104", bottle(), "4"}}));
  EXPECT_EQ(nextDay.headersCreated, 1);
  headers = headersOf("W901");
  ASSERT_EQ(headers.size(), 2);
  EXPECT_EQ(linesOf(headers[1].toLongLong()), QStringList{QStringLiteral("1|9104|4|%1").arg(unitOf(bottle()))});
}

TEST_P(ImportOrders, SalesOrderNumberFollowsTheSubTypesMonthlyNumbering) {
  EXPECT_EQ(weborder::OrderImporter::SoDocCode("Y", "A", QDate(2016, 3, 5)), "SO03-A");
  EXPECT_EQ(weborder::OrderImporter::SoDocCode(" Y ", "A", QDate(2016, 12, 31)), "SO12-A");
  EXPECT_EQ(weborder::OrderImporter::SoDocCode("N", "A", QDate(2016, 3, 5)), "SO-A");
  EXPECT_EQ(weborder::OrderImporter::SoDocCode("y", "A", QDate(2016, 3, 5)), "SO-A") << "only Y counts as yes";

  const QString march = isoDate(QDate(testsupport::serverToday().year(), 3, 5));
  const QString yy = testsupport::serverToday().toString("yy");
  struct Case {
    const char* setup;
    const char* orderNo;
    const char* code;
    QString prefix;
  } cases[] = {
      {"Update Misc Set AutoRunDocMonth = 'Y' Where GroupCode = 'SUBTYPE' And Code = 'A'", "W902", "SO03-A", "SA" + yy + "03"},
      {"Update Misc Set AutoRunDocMonth = Null Where GroupCode = 'SUBTYPE' And Code = 'A'", "W903", "SO-A", "SOA" + yy},
      {"Delete From Misc Where GroupCode = 'SUBTYPE' And Code = 'A'", "W904", "SO-A", "SOA" + yy},
  };
  int id = 9200;
  for (const Case& c : cases) {
    conn().execute(c.setup);
    drawnCodes.clear();
    import(orderXml({{"S01", "C00001", c.orderNo, march, QString::number(++id), bottle(), "1"}}));
    EXPECT_EQ(drawnCodes, QStringList{c.code}) << c.setup;
    db::Params p;
    p.setText("R", c.orderNo);
    EXPECT_TRUE(scalar("Select SoNo From SoHd Where Reference = :R", p).toString().startsWith(c.prefix)) << c.setup;
  }
}

TEST_P(ImportOrders, LinesWithoutHeaderOrUnitAreSkippedAndNotAcknowledged) {
  const int headersBefore = count("SoHd");
  const int linesBefore = count("SoDt");
  const auto r = import(orderXml({
      {"S01", "C00001", "W905", "2016-03-05", "9301", bottle(), "1"},
      {{}, {}, {}, {}, "9302", "0000000000000", "1"},          // no such barcode
      {{}, "C99999", "W906", {}, "9303", bottle(), "1"},       // no such customer
      {"S99", "C00001", "W907", {}, "9304", bottle(), "1"},    // no such salesman
      {"S01", "C00002", "W908", {}, "9305", "0000000000001", "1"},  // header would be fine, the unit is not
  }));
  EXPECT_EQ(r.stored, QList<qint64>{9301});
  EXPECT_EQ(r.toAcknowledge(), QList<qint64>{9301});
  ASSERT_EQ(r.skipped.size(), 4);
  const QString reasons[] = {"ไม่พบ Barcode สินค้า", "ไม่พบรหัสลูกค้า C99999", "ไม่พบรหัสพนักงานขาย S99", "ไม่พบ Barcode สินค้า"};
  const qint64 ids[] = {9302, 9303, 9304, 9305};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.skipped[i].reason, reasons[i]);
    EXPECT_EQ(r.skipped[i].webId, ids[i]);
  }
  EXPECT_EQ(count("SoHd"), headersBefore + 1) << "no header for lines that are not stored";
  EXPECT_EQ(count("SoDt"), linesBefore + 1);
  EXPECT_EQ(count("SoDt", "SoHd = 0 Or Product = 0 Or ProductUnits = 0 Or Fraction = 0"), 0);

  // By reason, in the order the reasons came, each with its lines.
  EXPECT_EQ(r.reportText(), "บันทึกรายการ Order แล้ว 1 รายการ\r\n"
                            "รายการที่ไม่ได้บันทึก 4 รายการ (ยังค้างอยู่ที่เว็บไซต์) :\r\n"
                            "ไม่พบ Barcode สินค้า : 2 รายการ\r\n"
                            "  OrderNo : W905 Barcode : 0000000000000\r\n"
                            "  OrderNo : W908 Barcode : 0000000000001\r\n"
                            "ไม่พบรหัสลูกค้า C99999 : 1 รายการ\r\n"
                            "  OrderNo : W906 Barcode : " + bottle() + "\r\n"
                            "ไม่พบรหัสพนักงานขาย S99 : 1 รายการ\r\n"
                            "  OrderNo : W907 Barcode : " + bottle());
}

// A same-day import whose new lines join a sales order that carries a consolidation number already
// (its load sheet was printed before they came) says so: how many lines, which orders, which number.
TEST_P(ImportOrders, NewLinesOfAConsolidatedOrderAreReportedWithItsNumber) {
  import(orderXml({{"S01", "C00001", "W950", "2016-03-05", "9501", bottle(), "1"},
                   {"S01", "C00001", "W951", "2016-03-05", "9511", bottle(), "1"},
                   {"S01", "C00001", "W953", "2016-03-05", "9531", bottle(), "1"}}));
  conn().execute("Update SoHd Set ConsoNo = 'Con-printed' Where Reference In ('W950', 'W953')");
  const QString soNo950 = scalar("Select SoNo From SoHd Where Reference = 'W950'").toString().trimmed();
  const QString soNo953 = scalar("Select SoNo From SoHd Where Reference = 'W953'").toString().trimmed();

  const auto r = import(orderXml({
      {"S01", "C00001", "W950", "2016-03-05", "9501", bottle(), "1"},  // stored before: not new
      {{}, {}, {}, {}, "9502", bottle(), "2"},
      {{}, {}, {}, {}, "9503", caseOf12(), "1"},
      {{}, {}, {}, {}, "9504", "0000000000000", "1"},                   // skipped: not joined
      {"S01", "C00001", "W951", "2016-03-05", "9512", bottle(), "1"},  // its order has no number yet
      {"S01", "C00001", "W952", "2016-03-05", "9521", bottle(), "1"},  // a new order
      {"S01", "C00001", "W953", "2016-03-05", "9532", bottle(), "1"},
  }));
  EXPECT_EQ(r.stored, (QList<qint64>{9502, 9503, 9512, 9521, 9532}));
  ASSERT_EQ(r.joinedConsolidated.size(), 1);
  EXPECT_EQ(r.joinedConsolidated[0].consoNo, "Con-printed");
  EXPECT_EQ(r.joinedConsolidated[0].lines, 3);
  EXPECT_EQ(r.joinedConsolidated[0].orderNos, (QStringList{"W950", "W953"}));
  EXPECT_EQ(r.joinedConsolidated[0].soNos, (QStringList{soNo950, soNo953}));
  const QString report = r.reportText();
  EXPECT_TRUE(report.contains("รายการใหม่ 3 รายการ เพิ่มเข้าในใบสั่งขายที่ออกเลขที่ Conso ไปแล้ว (ใบจัดสินค้าที่พิมพ์ไว้ยังไม่มีรายการเหล่านี้) :\r\n"
                              "เลขที่ Conso Con-printed : 3 รายการ OrderNo : W950, W953 กรุณาพิมพ์ใบจัดสินค้าของเลขที่ Conso นี้อีกครั้ง"))
      << report.toStdString();

  // Lines that only join orders without a number are nothing to tell.
  const auto plain = import(orderXml({{"S01", "C00001", "W951", "2016-03-05", "9513", bottle(), "1"}}));
  EXPECT_TRUE(plain.joinedConsolidated.isEmpty());
  EXPECT_EQ(plain.reportText(), QString());
}

TEST_P(ImportOrders, ALineStoredBeforeIsNotStoredAgainButAcknowledgedAgain) {
  const qint64 demoWebId = scalar("Select Min(WebOrderId) From SoDt").toLongLong();
  ASSERT_GT(demoWebId, 0);
  const int linesBefore = count("SoDt");
  const auto r = import(orderXml({
      {"S01", "C00001", "W909", "2016-03-05", QString::number(demoWebId), bottle(), "1"},
      {{}, {}, {}, {}, "9401", bottle(), "2"},
      {{}, {}, {}, {}, "9401", bottle(), "2"},  // twice in one file
      {{}, {}, {}, {}, "9402", bottle(), "3"},
  }));
  EXPECT_EQ(r.stored, (QList<qint64>{9401, 9402}));
  EXPECT_EQ(r.alreadyStored, (QList<qint64>{demoWebId, 9401}));
  EXPECT_EQ(r.toAcknowledge(), (QList<qint64>{9401, 9402, demoWebId}));
  EXPECT_EQ(count("SoDt"), linesBefore + 2);
  EXPECT_EQ(count("SoDt", QStringLiteral("WebOrderId = %1").arg(demoWebId)), 1);
  EXPECT_EQ(linesOf(headersOf("W909")[0].toLongLong()).size(), 2) << "the lines stored are numbered without gaps";
  EXPECT_TRUE(r.reportText().contains("รายการที่เคยบันทึกไว้แล้ว 2 รายการ")) << r.reportText().toStdString();

  // The file read again the next day, where a line of a known web order would go on a new header:
  // nothing is stored twice, no header is made for nothing, and the site is told of each line once.
  const QDateTime tomorrow = embedded::serverNow().addDays(1);
  embedded::setServerClock([tomorrow] { return tomorrow; });
  const int headersBefore = count("SoHd");
  const auto nextDay = import(orderXml({{"S01", "C00001", "W909", "2016-03-05", "9401", bottle(), "2"},
                                        {{}, {}, {}, {}, "9402", bottle(), "3"},
                                        {{}, {}, {}, {}, QString::number(demoWebId), bottle(), "1"}}));
  EXPECT_TRUE(nextDay.stored.isEmpty());
  EXPECT_EQ(nextDay.alreadyStored, (QList<qint64>{9401, 9402, demoWebId}));
  EXPECT_EQ(nextDay.toAcknowledge(), (QList<qint64>{9401, 9402, demoWebId}));
  EXPECT_EQ(nextDay.headersCreated, 0);
  EXPECT_EQ(count("SoHd"), headersBefore);
  EXPECT_EQ(count("SoDt"), linesBefore + 2);
  EXPECT_EQ(count("SoDt", "WebOrderId In (9401, 9402)"), 2);
}

TEST_P(ImportOrders, ALineTheDatabaseRefusesIsSkippedAndTheOthersAreNumberedWithoutGaps) {
  // Two web orders whose lines alternate, more lines than one insert statement takes; the database
  // refuses one line of the second statement.
  conn().execute("Create Trigger RefuseLine Before Insert On SoDt When New.WebOrderId = 9950"
                 " Begin Select Raise(Abort, 'line refused'); End");
  QVector<Order> orders;
  for (int i = 0; i < 600; ++i)
    orders.push_back({"S01", i % 2 ? "C00002" : "C00001", i % 2 ? "W921" : "W920", "2016-03-05", QString::number(9600 + i),
                      bottle(1 + i % 3), "1"});
  orders.insert(351, orders[350]);  // the refused line once more, before its insert was tried
  const auto r = import(orderXml(orders));
  EXPECT_EQ(r.stored.size(), 599);
  EXPECT_FALSE(r.stored.contains(9950));
  EXPECT_EQ(r.stored.first(), 9600);
  EXPECT_EQ(r.stored.last(), 10199);
  ASSERT_EQ(r.skipped.size(), 2) << "the line and its repetition";
  for (const auto& skipped : r.skipped) {
    EXPECT_EQ(skipped.webId, 9950);
    EXPECT_EQ(skipped.reason, "บันทึกรายการไม่ได้ : line refused");
  }
  EXPECT_TRUE(r.alreadyStored.isEmpty()) << "a line never stored is not acknowledged";
  EXPECT_FALSE(r.toAcknowledge().contains(9950));
  for (const char* orderNo : {"W920", "W921"}) {
    db::Params p;
    p.setText("R", orderNo);
    EXPECT_EQ(rows("Select Count(*), Min(D.SoRecNo), Max(D.SoRecNo), Count(Distinct D.SoRecNo) From SoDt D"
                   " Inner Join SoHd H On H.Id = D.SoHd Where H.Reference = :R", p),
              QStringList{QString(orderNo) == "W920" ? "299|1|299|299" : "300|1|300|300"})
        << orderNo;
  }
  // Every line keeps its own unit and quantity.
  EXPECT_EQ(count("SoDt", "WebOrderId Between 9600 And 10199 And ProductUnits = 0"), 0);
  EXPECT_EQ(scalar("Select ProductUnits From SoDt Where WebOrderId = 9601").toLongLong(), unitOf(bottle(2)));
}

// Files of a few lines to a few hundred (more than one insert statement takes, and more web ids
// than one batch read looks for): every line is stored with its own unit, product, fraction,
// quantity and back order, under its own web order, numbered from 1 in the order of the file.
TEST_P(ImportOrders, EveryLineIsStoredWithItsOwnValuesWhateverTheirNumber) {
  struct Unit {
    qint64 id, product, fraction;
  };
  QHash<QString, Unit> units;
  const db::Result pu = conn().select("Select Barcode, Id, Product, Fraction From ProductUnits");
  for (const auto& row : pu.rows()) units.insert(row[0].toString(), {row[1].toLongLong(), row[2].toLongLong(), row[3].toLongLong()});
  qint64 nextId = 20000;
  for (const int lines : {1, 11, 263, 517}) {
    SCOPED_TRACE(lines);
    const qint64 firstId = nextId;
    nextId += lines;
    QVector<Order> orders;
    QStringList expected;
    QHash<QString, int> recNo;
    for (int i = 0; i < lines; ++i) {
      const QString orderNo = QStringLiteral("N%1-%2").arg(lines).arg(i % 7);
      const QString barcode = i % 2 ? caseOf12(1 + i % 150) : bottle(1 + (i * 7) % 150);
      const int quantity = 1 + (i * 5) % 9;
      orders.push_back({QStringLiteral("S0%1").arg(1 + i % 7 % 4), i % 7 % 2 ? "C00002" : "C00001", orderNo, "2016-03-05",
                        QString::number(firstId + i), barcode, QString::number(quantity)});
      ASSERT_TRUE(units.contains(barcode)) << barcode.toStdString();
      const Unit u = units.value(barcode);
      expected << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                      .arg(firstId + i)
                      .arg(orderNo)
                      .arg(++recNo[orderNo])
                      .arg(u.id)
                      .arg(u.product)
                      .arg(u.fraction)
                      .arg(quantity)
                      .arg(u.fraction * quantity);
    }
    const auto r = import(orderXml(orders));
    EXPECT_EQ(r.stored.size(), lines);
    EXPECT_TRUE(r.skipped.isEmpty());
    db::Params p;
    p.setInt("From", firstId);
    p.setInt("To", nextId - 1);
    EXPECT_EQ(rows("Select D.WebOrderId, H.Reference, D.SoRecNo, D.ProductUnits, D.Product, D.Fraction, D.Quantity, D.BackOrder"
                   " From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where D.WebOrderId Between :From And :To Order By D.WebOrderId",
                   p),
              expected);
  }
}

// What the file holds reaches the database as bound values, never inside a statement's text: a
// quote in an order number is only a character of it, and the statements of an import are a
// fixed set of texts that the database keeps prepared, whatever the file holds.
TEST_P(ImportOrders, TheFilesValuesReachTheDatabaseBoundNeverInAStatementsText) {
  static QStringList* traced = nullptr;
  static const bool hooked = [] {
    db::addSqliteOpenHook([](void* handle, const QString&) {
      sqlite3_trace_v2(
          static_cast<sqlite3*>(handle), SQLITE_TRACE_STMT,
          [](unsigned, void*, void* stmt, void*) {
            if (traced) *traced << QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)));
            return 0;
          },
          nullptr);
    });
    return true;
  }();
  ASSERT_TRUE(hooked);
  conn().close();  // opened again with the hook

  QVector<Order> orders;
  for (int i = 0; i < 300; ++i)
    orders.push_back({i % 2 ? "S02" : "S01", i % 2 ? "C00002" : "C00001", i % 2 ? "W'Q77" : "W-Q78", "2016-03-05",
                      QString::number(31000 + i), i % 2 ? caseOf12(2 + i % 50) : bottle(2 + i % 50), "3"});
  QStringList texts;
  traced = &texts;
  const auto r = import(orderXml(orders));
  traced = nullptr;
  EXPECT_EQ(r.stored.size(), 300);
  EXPECT_EQ(headersOf("W'Q77").size(), 1);
  ASSERT_FALSE(texts.isEmpty());
  QStringList values{"Q77", "Q78", "C00001", "C00002", "S01", "S02"};
  for (const Order& o : orders) values << o.id << o.barcode;
  for (const QString& text : texts)
    for (const QString& v : values) ASSERT_FALSE(text.contains(v)) << v.toStdString() << " in " << text.left(300).toStdString();
  texts.removeDuplicates();
  EXPECT_LE(texts.size(), 30) << texts.join("\n----\n").left(4000).toStdString();
}

// The batch reads of a file's values look each value up by an index on every site: the demo site's
// statistics are those of a small site, with which a list of hundreds of values would be read by a
// scan of the whole table.
TEST_P(ImportOrders, TheBatchReadsLookTheirValuesUpByIndex) {
  namespace sql = weborder::sql;
  const db::Dialect d = conn().dialect();
  const struct {
    const char* what;
    QString text;
  } reads[] = {
      {"stored web ids", sql::QStoredWebIdsHead.pick(d) + sql::BoundInList(sql::kInListMax)},
      {"units of barcodes", sql::QProductUnitsHead.pick(d) + sql::BoundInList(sql::kInListMax)},
      {"today's headers", sql::QChkSoHdHead.pick(d) + sql::BoundInList(sql::kInListMax) + sql::QChkSoHdTail.pick(d)},
      {"customers", sql::QGetCustomersHead.pick(d) + sql::BoundInList(sql::kInListMax)},
  };
  db::Params p;
  p.setText("Remark", "Web Order " + today);
  for (int i = 0; i < sql::kInListMax; ++i) p.setText(sql::InListParams()[i], QString::number(9100 + i));
  ASSERT_GT(count("sqlite_stat1"), 0) << "the site carries the statistics the planner goes by";
  for (const auto& read : reads) {
    SCOPED_TRACE(read.what);
    const QStringList plan = rows("Explain Query Plan " + read.text, p);
    ASSERT_FALSE(plan.isEmpty());
    for (const QString& step : plan) EXPECT_FALSE(step.contains("SCAN ")) << step.toStdString();
  }
}

TEST_P(ImportOrders, AFailureRollsBackEverythingIncludingTheNumbersDrawn) {
  const QVariant lastNo = scalar("Select Max(LastNo) From DocumentNo Where Code = 'SO-A'");
  const int headersBefore = count("SoHd");
  const int linesBefore = count("SoDt");
  try {
    import(orderXml({{"S01", "C00001", "W910", "2016-03-05", "9501", bottle(), "1"},
                     {{}, {}, "W911", "not a date", "9502", bottle(), "1"}}));
    ADD_FAILURE() << "an order date the server cannot convert stops the import";
  } catch (const db::Error& e) {
    EXPECT_TRUE(e.message().contains("Conversion failed")) << e.message().toStdString();
  }
  EXPECT_FALSE(conn().inTransaction());
  EXPECT_EQ(count("SoHd"), headersBefore);
  EXPECT_EQ(count("SoDt"), linesBefore);
  EXPECT_EQ(scalar("Select Max(LastNo) From DocumentNo Where Code = 'SO-A'"), lastNo);
}

// Failures the database reports after a line's insert has begun: each is undone with that line
// alone (the statement in its savepoint), the other lines are stored once each and numbered without
// gaps, and the refused line is not acknowledged.
TEST_P(ImportOrders, ARefusedLineIsUndoneAloneAndTheOthersAreStoredOnce) {
  struct Case {
    const char* what;
    const char* trigger;  // on the line whose web id is 9705
    const char* reason;
  } cases[] = {
      // Fail keeps what the statement did before the failure: the lines inserted before it in the
      // same statement, and the line itself when the trigger runs after its insert.
      {"an error after the line's insert", "After Insert On SoDt When New.WebOrderId = 9705 Begin Select Raise(Fail, 'injected after the insert'); End",
       "บันทึกรายการไม่ได้ : injected after the insert"},
      // Ignore skips the row silently: the insert reports one row fewer than it was given.
      {"a row the database skips", "Before Insert On SoDt When New.WebOrderId = 9705 Begin Select Raise(Ignore); End",
       "บันทึกรายการไม่ได้ : ฐานข้อมูลรายงานว่าบันทึก 0 รายการ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    conn().execute(QStringLiteral("Create Trigger InjectedFailure ") + QString::fromUtf8(c.trigger));
    QVector<Order> orders;
    for (int i = 0; i < 10; ++i)
      orders.push_back({"S01", "C00001", QString::fromUtf8(c.what).left(12), "2016-03-05", QString::number(9700 + i), bottle(1 + i % 3), "1"});
    const auto r = import(orderXml(orders));
    conn().execute("Drop Trigger InjectedFailure");
    EXPECT_EQ(r.stored, (QList<qint64>{9700, 9701, 9702, 9703, 9704, 9706, 9707, 9708, 9709}));
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_EQ(r.skipped[0].webId, 9705);
    EXPECT_EQ(r.skipped[0].reason, QString::fromUtf8(c.reason));
    EXPECT_FALSE(r.toAcknowledge().contains(9705));
    // Every stored line once, the refused one not at all, numbered 1 to 9.
    EXPECT_EQ(rows("Select Count(*), Count(Distinct D.WebOrderId), Min(D.SoRecNo), Max(D.SoRecNo), Sum(D.WebOrderId = 9705)"
                   " From SoDt D Where D.WebOrderId Between 9700 And 9709"),
              QStringList{"9|9|1|9|0"});
    conn().execute("Delete From SoDt Where WebOrderId Between 9700 And 9709");
  }
}

// A failure that ends the transaction (a deadlock victim, a trigger that rolls back): the import
// stops with nothing stored and nothing to acknowledge, instead of storing the later lines outside
// the transaction.
TEST_P(ImportOrders, AFailureThatEndsTheTransactionAbortsTheWholeImport) {
  const int headersBefore = count("SoHd");
  const int linesBefore = count("SoDt");
  const QVariant lastNo = scalar("Select Max(LastNo) From DocumentNo Where Code = 'SO-A'");
  for (const char* when : {"Before", "After"}) {
    SCOPED_TRACE(when);
    conn().execute(QStringLiteral("Create Trigger EndsTransaction %1 Insert On SoDt When New.WebOrderId = 9805"
                                  " Begin Select Raise(Rollback, 'chosen as the deadlock victim'); End")
                       .arg(QLatin1String(when)));
    QVector<Order> orders;
    for (int i = 0; i < 10; ++i) orders.push_back({"S01", i < 5 ? "C00001" : "C00002", i < 5 ? "W980" : "W981", "2016-03-05",
                                                   QString::number(9800 + i), bottle(), "1"});
    try {
      import(orderXml(orders));
      ADD_FAILURE() << "the import went on";
    } catch (const db::Error& e) {
      EXPECT_TRUE(e.message().contains("ended the import's transaction")) << e.message().toStdString();
      EXPECT_TRUE(e.message().contains("chosen as the deadlock victim")) << e.message().toStdString();
    }
    conn().execute("Drop Trigger EndsTransaction");
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(count("SoHd"), headersBefore);
    EXPECT_EQ(count("SoDt"), linesBefore);
    EXPECT_EQ(scalar("Select Max(LastNo) From DocumentNo Where Code = 'SO-A'"), lastNo);
  }
}

// A counter set back draws a number already stored: no header takes it (its lines are skipped and
// stay pending on the site), and a consolidation number already used stamps nothing.
TEST_P(ImportOrders, NumbersAlreadyStoredAreRefused) {
  const QString year = QString::number(testsupport::serverToday().year());
  const auto r1 = import(orderXml({{"S01", "C00001", "W990", isoDate(testsupport::serverToday()), "9901", bottle(), "1"}}));
  ASSERT_EQ(r1.stored, QList<qint64>{9901});
  const QString soNo = scalar("Select SoNo From SoHd Where Reference = 'W990'").toString().trimmed();
  conn().execute("Update DocumentNo Set LastNo = LastNo - 1 Where Code = 'SO-A' And DocYear = " + year);
  const int headers = count("SoHd");
  const auto r2 = import(orderXml({{"S01", "C00002", "W991", isoDate(testsupport::serverToday()), "9902", bottle(), "1"}}));
  EXPECT_TRUE(r2.stored.isEmpty());
  ASSERT_EQ(r2.skipped.size(), 1);
  EXPECT_EQ(r2.skipped[0].reason, QStringLiteral("เลขที่ใบสั่งขาย %1 มีอยู่แล้ว (ชุดเลขที่ SO-A)").arg(soNo));
  EXPECT_EQ(count("SoHd"), headers);
  EXPECT_EQ(count("SoDt", "WebOrderId = 9902"), 0);
  EXPECT_EQ(scalar("Select Count(*) From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where H.SoNo = '" + soNo + "'").toInt(), 1)
      << "the stored order keeps its one line";

  // The consolidation number: stamped once, then drawn again.
  const QString open = "Coalesce(RTrim(ConsoNo), '') = '' And Customer In (Select C.Id From Customer C"
                       " Inner Join Misc M On M.Id = C.Zone Where M.Code = '%1')";
  const QString no = weborder::ConsolidateZone(conn(), "Z01", [this] { return app.dm().NewDocumentNo("CONSOLIDAT", app.dm().ServerTime()); });
  ASSERT_FALSE(no.isEmpty());
  const int stamped = count("SoHd", "ConsoNo = '" + no + "'");
  const int z02Open = count("SoHd", open.arg("Z02"));
  ASSERT_GT(z02Open, 0);
  for (const QString& drawn : {no, QString(), QStringLiteral("   ")}) {
    SCOPED_TRACE(drawn.toStdString());
    EXPECT_THROW(weborder::ConsolidateZone(conn(), "Z02", [&drawn] { return drawn; }), db::Error);
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(count("SoHd", open.arg("Z02")), z02Open) << "nothing stamped";
    EXPECT_EQ(count("SoHd", "ConsoNo = '" + no + "'"), stamped);
  }
}

// Many new headers (more than one batch): a header the database refuses, one whose customer is
// unknown and one whose drawn number is stored already each lose their own lines only; every other
// header takes the next number of its counter in file order, and exactly the stored lines are
// acknowledged.
TEST_P(ImportOrders, ManyNewHeadersFailAloneAndTakeTheirNumbersInFileOrder) {
  const QString year = QString::number(testsupport::serverToday().year());
  const QString day = isoDate(testsupport::serverToday());
  const qint64 lastNo = scalar("Select Coalesce(LastNo, 0) From DocumentNo Where Code = 'SO-A' And DocYear = " + year).toLongLong();
  const QString prefix = scalar("Select RTrim(Prefix) From DocumentNo Where Code = 'SO-A' And DocYear = " + year).toString();
  const int length = scalar("Select DocumentLength From DocumentNo Where Code = 'SO-A' And DocYear = " + year).toInt();
  const auto number = [&](qint64 n) -> QString { return prefix + QString::number(n).rightJustified(length - prefix.size(), QLatin1Char('0')); };
  // The number the 80th new header would draw is taken already by a stored order.
  conn().execute(QStringLiteral("Update SoHd Set SoNo = '%1' Where Id = (Select Min(Id) From SoHd)").arg(number(lastNo + 80)));
  conn().execute("Create Trigger RefusedHeader Before Insert On SoHd When New.Reference = 'WM030'"
                 " Begin Select Raise(Fail, 'header refused'); End");
  QVector<Order> orders;
  const int kOrders = 100;
  for (int o = 0; o < kOrders; ++o)
    for (int l = 0; l < 2; ++l)
      orders.push_back({"S01", o == 50 ? "NOSUCH" : QStringLiteral("C%1").arg(1 + o % 7, 5, 10, QLatin1Char('0')),
                        QStringLiteral("WM%1").arg(o, 3, 10, QLatin1Char('0')), day, QString::number(20000 + 2 * o + l), bottle(1 + l), "1"});
  const auto r = import(orderXml(orders));
  conn().execute("Drop Trigger RefusedHeader");
  if (drawInBatches) EXPECT_GT(batchDraws, 0);

  // Headers 0..29 and 31..49, 51..: numbered on from the counter without gaps until the header
  // that draws the stored number; from there every header draws that number again and is refused.
  QList<qint64> stored;
  QStringList expectedNumbers;
  qint64 next = lastNo;
  int refusedForNumber = 0;
  for (int o = 0; o < kOrders; ++o) {
    if (o == 30 || o == 50) continue;
    if (next + 1 == lastNo + 80) {
      ++refusedForNumber;
      continue;
    }
    expectedNumbers << QStringLiteral("WM%1|%2").arg(o, 3, 10, QLatin1Char('0')).arg(number(++next));
    stored << 20000 + 2 * o << 20000 + 2 * o + 1;
  }
  ASSERT_GT(refusedForNumber, 0);
  EXPECT_EQ(r.stored, stored);
  EXPECT_EQ(r.toAcknowledge(), stored);
  EXPECT_EQ(r.headersCreated, expectedNumbers.size());
  EXPECT_EQ(rows("Select Reference, RTrim(SoNo) From SoHd Where Reference Like 'WM%' Order By Id"), expectedNumbers);
  EXPECT_EQ(scalar("Select LastNo From DocumentNo Where Code = 'SO-A' And DocYear = " + year).toLongLong(), next)
      << "numbers given back with the headers that did not take them";
  EXPECT_EQ(rows("Select Count(*), Min(SoRecNo), Max(SoRecNo) From SoDt Where WebOrderId Between 20000 And 20199"),
            QStringList{QStringLiteral("%1|1|2").arg(stored.size())});
  ASSERT_EQ(r.skipped.size(), 2 * (kOrders - expectedNumbers.size()));
  QHash<qint64, QString> reasons;
  for (const auto& k : r.skipped) reasons.insert(k.webId, k.reason);
  EXPECT_EQ(reasons.value(20060), QStringLiteral("สร้างใบสั่งขายไม่ได้ : header refused"));
  EXPECT_EQ(reasons.value(20061), QStringLiteral("สร้างใบสั่งขายไม่ได้ : header refused"));
  EXPECT_EQ(reasons.value(20100), QStringLiteral("ไม่พบรหัสลูกค้า NOSUCH"));
  EXPECT_EQ(reasons.value(20199), QStringLiteral("เลขที่ใบสั่งขาย %1 มีอยู่แล้ว (ชุดเลขที่ SO-A)").arg(number(lastNo + 80)));
}

// Headers of two years: each year's numbers come from its own counter, the earlier year's made on
// first use; the numbers are those drawn one at a time in file order.
TEST_P(ImportOrders, HeadersOfTwoYearsDrawFromEachYearsCounter) {
  const int year = testsupport::serverToday().year();
  const QString yy = QString::number(year % 100).rightJustified(2, QLatin1Char('0'));
  const QString yyBefore = QString::number((year - 1) % 100).rightJustified(2, QLatin1Char('0'));
  conn().execute(QStringLiteral("Delete From DocumentNo Where Code = 'SO-A' And DocYear = %1").arg(year - 1));
  const qint64 lastNo =
      scalar(QStringLiteral("Select Coalesce(LastNo, 0) From DocumentNo Where Code = 'SO-A' And DocYear = %1").arg(year)).toLongLong();
  const QString dec31 = QStringLiteral("%1-12-31").arg(year - 1), jan1 = QStringLiteral("%1-01-01").arg(year);
  const QStringList dates{dec31, dec31, jan1, jan1, jan1, dec31, jan1};
  QVector<Order> orders;
  for (int o = 0; o < dates.size(); ++o)
    orders.push_back({"S01", "C00001", QStringLiteral("WY%1").arg(o), dates[o], QString::number(21000 + o), bottle(), "1"});
  const auto r = import(orderXml(orders));
  EXPECT_EQ(r.stored.size(), dates.size());
  const auto thisYear = [&](qint64 n) -> QString { return "SOA" + yy + QString::number(lastNo + n).rightJustified(7, QLatin1Char('0')); };
  const auto yearBefore = [&](qint64 n) -> QString { return "SOA" + yyBefore + QString::number(n).rightJustified(7, QLatin1Char('0')); };
  EXPECT_EQ(rows("Select Reference || '|' || RTrim(SoNo) From SoHd Where Reference Like 'WY%' Order By Reference"),
            (QStringList{"WY0|" + yearBefore(1), "WY1|" + yearBefore(2), "WY2|" + thisYear(1), "WY3|" + thisYear(2),
                         "WY4|" + thisYear(3), "WY5|" + yearBefore(3), "WY6|" + thisYear(4)}));
  EXPECT_EQ(drawnCodes.size(), dates.size());
}

TEST_F(ConsolidateZones, ConsolidationStampsEveryOpenOrderOfTheZoneOnly) {
  const QString open = "Coalesce(RTrim(ConsoNo), '') = '' And Customer In (Select C.Id From Customer C"
                       " Inner Join Misc M On M.Id = C.Zone Where M.Code = '%1')";
  const int z01Open = count("SoHd", open.arg("Z01"));
  const int z02Open = count("SoHd", open.arg("Z02"));
  ASSERT_GT(z01Open, 0);
  ASSERT_GT(count("SoHd", open.arg("Z01") + " And (DelFlag = 'Y' Or Approved <> 'Y')"), 0)
      << "the demo has deleted or unapproved open orders in Z01";

  int stamped = 0;
  const QString no = weborder::ConsolidateZone(
      conn(), "Z01", [this] { return app.dm().NewDocumentNo("CONSOLIDAT", app.dm().ServerTime()); }, &stamped);
  EXPECT_TRUE(no.startsWith("Con")) << no.toStdString();
  EXPECT_EQ(stamped, z01Open);
  db::Params p;
  p.setText("N", no);
  EXPECT_EQ(rows("Select Count(*), Min(Clear), Max(Clear), Min(DateKey(ConsoDate)) From SoHd Where ConsoNo = :N", p),
            QStringList{QStringLiteral("%1|Y|Y|%2").arg(z01Open).arg(today)});
  EXPECT_EQ(count("SoHd", open.arg("Z01")), 0);
  EXPECT_EQ(count("SoHd", open.arg("Z02")), z02Open);

  // Nothing left to stamp: no number is drawn.
  const QVariant lastNo = scalar("Select Max(LastNo) From DocumentNo Where Code = 'CONSOLIDAT'");
  bool drawn = false;
  EXPECT_EQ(weborder::ConsolidateZone(conn(), "Z01", [&drawn] { drawn = true; return QStringLiteral("X"); }), QString());
  EXPECT_FALSE(drawn);
  EXPECT_EQ(scalar("Select Max(LastNo) From DocumentNo Where Code = 'CONSOLIDAT'"), lastNo);
}

TEST_F(ConsolidateZones, AFailedConsolidationStampsNothing) {
  const QString open = "Coalesce(RTrim(ConsoNo), '') = '' And Customer In (Select C.Id From Customer C"
                       " Inner Join Misc M On M.Id = C.Zone Where M.Code = 'Z01')";
  const int z01Open = count("SoHd", open);
  // The server refuses the second stamp, after the first order was stamped.
  conn().execute("Create Trigger RefuseSecondStamp Before Update Of ConsoNo On SoHd"
                 " When (Select Count(*) From SoHd Where ConsoNo = 'Con-test') >= 1"
                 " Begin Select Raise(Abort, 'stamp refused'); End");
  EXPECT_THROW(weborder::ConsolidateZone(conn(), "Z01", [] { return QStringLiteral("Con-test"); }), db::Error);
  EXPECT_FALSE(conn().inTransaction());
  EXPECT_EQ(count("SoHd", open), z01Open) << "the orders stamped before the failure are rolled back";
}

// Another workstation stamps every open order of the zone between the read of the list and the
// updates (possible on SQL Server, where the read takes no lock): no number is used up for nothing.
TEST_F(ConsolidateZones, ANumberThatWouldStampNothingIsGivenBack) {
  const QString open = "Coalesce(RTrim(ConsoNo), '') = '' And Customer In (Select C.Id From Customer C"
                       " Inner Join Misc M On M.Id = C.Zone Where M.Code = 'Z01')";
  ASSERT_GT(count("SoHd", open), 0);
  const QVariant lastNo = scalar("Select Max(LastNo) From DocumentNo Where Code = 'CONSOLIDAT'");
  int stamped = -1;
  const QString no = weborder::ConsolidateZone(
      conn(), "Z01",
      [this, &open] {
        const QString drawn = app.dm().NewDocumentNo("CONSOLIDAT", app.dm().ServerTime());
        conn().execute("Update SoHd Set ConsoNo = 'Con-other' Where " + open);
        return drawn;
      },
      &stamped);
  EXPECT_EQ(no, QString());
  EXPECT_EQ(stamped, 0);
  EXPECT_FALSE(conn().inTransaction());
  EXPECT_EQ(scalar("Select Max(LastNo) From DocumentNo Where Code = 'CONSOLIDAT'"), lastNo) << "the number is given back";
}

// Skipped lines are grouped by reason, with a count and the first examples of each, however many
// there are: a file of 200,000 lines with unknown barcodes gives a report of a few lines. The
// reasons beyond those listed are summed up, and the file that lists every line is named.
TEST(ImportReport, GroupsSkippedLinesByReasonWithTheirFirstExamples) {
  weborder::ImportResult r;
  r.stored = {1, 2};
  for (int i = 0; i < 200000; ++i) r.skipped.push_back({QStringLiteral("W%1").arg(i), QStringLiteral("B%1").arg(i), 100 + i, "ไม่พบ Barcode สินค้า"});
  for (int i = 0; i < 12; ++i) r.skipped.push_back({"X", "Y", 900000 + i, QStringLiteral("ไม่พบรหัสลูกค้า C%1").arg(i)});
  r.skipped.insert(1, {"W-first", "B-first", 7, "ไม่พบรหัสลูกค้า C0"});
  r.skippedFile = "/home/clerk/Desktop/LoadXML/Z01_20160305.xml.skipped.txt";

  const QVector<weborder::SkippedGroup> groups = r.skippedByReason(2);
  ASSERT_EQ(groups.size(), 13);
  EXPECT_EQ(groups[0].reason, "ไม่พบ Barcode สินค้า");
  EXPECT_EQ(groups[0].count, 200000);
  ASSERT_EQ(groups[0].examples.size(), 2);
  EXPECT_EQ(groups[0].examples[1].webId, 101);
  EXPECT_EQ(groups[1].reason, "ไม่พบรหัสลูกค้า C0") << "in the order the reasons first came";
  EXPECT_EQ(groups[1].count, 2);
  EXPECT_EQ(groups[1].examples[0].orderNo, "W-first");

  const QStringList lines = r.reportText().split("\r\n");
  // 10 reasons listed, the first with 3 examples and a remainder, the other 9 with theirs.
  EXPECT_EQ(lines.mid(0, 7), (QStringList{"บันทึกรายการ Order แล้ว 2 รายการ", "รายการที่ไม่ได้บันทึก 200013 รายการ (ยังค้างอยู่ที่เว็บไซต์) :",
                                          "ไม่พบ Barcode สินค้า : 200000 รายการ", "  OrderNo : W0 Barcode : B0", "  OrderNo : W1 Barcode : B1",
                                          "  OrderNo : W2 Barcode : B2", "  ... และอีก 199997 รายการ"}));
  EXPECT_EQ(lines[7], "ไม่พบรหัสลูกค้า C0 : 2 รายการ");
  EXPECT_EQ(lines.size(), 2 + 5 + 3 + 8 * 2 + 2);
  EXPECT_EQ(lines[lines.size() - 2], "... และสาเหตุอื่นอีก 3 สาเหตุ รวม 3 รายการ");
  EXPECT_EQ(lines.last(), "รายการที่ไม่ได้บันทึกทั้งหมดอยู่ในไฟล์ /home/clerk/Desktop/LoadXML/Z01_20160305.xml.skipped.txt");
  EXPECT_EQ(weborder::ImportResult{}.reportText(), QString()) << "nothing to report when every line was stored";
}

// The full list of the skipped lines is written beside the order file, replaced whole by each
// import, and removed by an import that skipped nothing; a list that cannot be written is said so.
TEST(ImportReport, TheSkippedLinesAreListedInAFileBesideTheOrderFile) {
  QTemporaryDir dir;
  const QString orderFile = dir.filePath("Z01_20160305.xml");
  weborder::ImportResult r;
  r.skipped.push_back({"W1", "885", 11, "ไม่พบ Barcode สินค้า"});
  r.skipped.push_back({"W\t2", "886", 12, "บันทึกรายการไม่ได้ : line 1\nline 2"});
  weborder::WriteSkippedList(r, orderFile);
  EXPECT_EQ(r.skippedFile, weborder::SkippedListPath(orderFile));
  EXPECT_EQ(r.skippedFileError, QString());
  QFile f(r.skippedFile);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()), "id\torderno\tbarcode\treason\n"
                                            "11\tW1\t885\tไม่พบ Barcode สินค้า\n"
                                            "12\tW 2\t886\tบันทึกรายการไม่ได้ : line 1 line 2\n");
  f.close();
  EXPECT_TRUE(r.reportText().contains("รายการที่ไม่ได้บันทึกทั้งหมดอยู่ในไฟล์ " + r.skippedFile)) << r.reportText().toStdString();

  weborder::ImportResult none;
  weborder::WriteSkippedList(none, orderFile);
  EXPECT_FALSE(QFileInfo::exists(weborder::SkippedListPath(orderFile))) << "an older list would name another import's lines";
  EXPECT_EQ(none.skippedFile, QString());

  const QString nowhere = dir.filePath("no/such/folder/Z01.xml");
  weborder::WriteSkippedList(r, nowhere);
  EXPECT_EQ(r.skippedFile, QString());
  EXPECT_TRUE(r.skippedFileError.contains("Z01.xml.skipped.txt")) << r.skippedFileError.toStdString();
  EXPECT_TRUE(r.reportText().contains("เขียนรายการที่ไม่ได้บันทึกลงไฟล์ไม่ได้ : ")) << r.reportText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Headers, ImportOrders, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "InBatches" : "OneByOne"; });
