// The embedded server's CopyBoxNoToIvHd and CopyBoxNoToTransFerHd, called through the database
// client as the box packing window calls them.
#include <gtest/gtest.h>

#include <QDate>
#include <functional>

#include "app_fixture.h"
#include "window_fixture.h"
#include "box_procedures.h"
#include "embedded/embedded.h"

namespace {

class BoxProceduresTest : public ::testing::Test {
 public:
  void SetUp() override {
    embedded::install();
    packing::registerBoxProcedures();
    c = site.openCompany();
    bottle = unit(embedded::demoBarcode(1, 1));
    crate = unit(embedded::demoBarcode(1, 2));
    other = unit(embedded::demoBarcode(2, 1));
  }

  QVariant scalar(const QString& sql, const db::Params& p = {}) { return testsupport::scalar(*c, sql, p); }
  qint64 unit(const QString& barcode) {
    db::Params p;
    p.setText("B", barcode);
    return scalar("Select Id From ProductUnits Where Barcode = :B", p).toLongLong();
  }
  double price(qint64 unitId) { return scalar("Select Price From ProductUnits Where Id = " + QString::number(unitId)).toDouble(); }
  qint64 customer(const QString& code) { return scalar("Select Id From Customer Where Code = '" + code + "'").toLongLong(); }
  // Packs a box in the database as the window's save does.
  void pack(qint64 box, const QString& customerCode, const QDate& send, const QVector<QPair<qint64, qint64>>& pieces) {
    db::Params p;
    p.setInt("Id", box);
    p.setInt("C", customer(customerCode));
    p.setDateTime("D", QDateTime(send, QTime(0, 0)));
    c->execute("Update BoxNo Set Customer = :C, SendDate = :D Where Id = :Id", p);
    for (const auto& [u, pr] : pieces) {
      db::Params l;
      l.setInt("B", box);
      l.setInt("U", u);
      l.setInt("P", pr);
      c->execute("Insert Into BoxNoProductUnits (BoxNo, ProductUnits, Quantity, ProductUnitsPrice, LastUpdate) "
                 "Values (:B, :U, 1, :P, GetDate())",
                 l);
    }
  }
  void call(const char* procedure, const QString& boxNo) {
    db::StoredProc sp(*c, QString::fromLatin1(procedure));
    sp.declare("@BoxNo", db::ParamType::Text, db::ParamDir::Input);
    sp.set("@BoxNo", boxNo);
    sp.execute();
  }

  testsupport::TempSite site;
  std::unique_ptr<db::Connection> c;
  qint64 bottle = 0, crate = 0, other = 0;
};

TEST_F(BoxProceduresTest, InvoiceGroupsThePiecesAndPricesThemFromThePriceUnit) {
  const QDate send(testsupport::serverToday().year(), 3, 14);
  // Two bottles without a price barcode, two bottles priced as a crate, one other product.
  pack(1, "C00001", send, {{bottle, 0}, {bottle, crate}, {other, 0}, {bottle, 0}, {bottle, crate}});
  call(packing::kCopyBoxNoToIvHd, "BOX000001");

  const QString ivNo = scalar("Select IvNo From BoxNo Where Id = 1").toString();
  ASSERT_FALSE(ivNo.isEmpty());
  db::Params p;
  p.setText("No", ivNo);
  const db::Result h = c->select("Select * From IvHd Where IvNo = :No", p);
  ASSERT_EQ(h.rowCount(), 1);
  EXPECT_EQ(h.asInt("Customer"), customer("C00001"));
  EXPECT_EQ(h.asDateTime("IvDate").date(), send);
  EXPECT_EQ(h.asString("Reference"), QStringLiteral("BOX000001"));
  EXPECT_EQ(h.asInt("BoxNoId"), 1);
  EXPECT_EQ(h.asString("DelFlag"), QStringLiteral("N"));

  const db::Result d = c->select("Select ProductUnits, ProductUnitsPrice, Quantity, Price, Total From IvDt Where IvHd = " +
                                     QString::number(h.asInt("Id")) + " Order By IvRecNo");
  struct Expected {
    qint64 units, priceUnits;
    double qty, price;
  };
  const Expected lines[] = {{bottle, 0, 2, price(bottle)}, {bottle, crate, 2, price(crate)}, {other, 0, 1, price(other)}};
  ASSERT_EQ(d.rowCount(), 3) << "pieces of one unit and one price unit make one line, in the order of their first scan";
  double amount = 0;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d.at(i, 0).toLongLong(), lines[i].units);
    EXPECT_EQ(d.at(i, 1).toLongLong(), lines[i].priceUnits);
    EXPECT_DOUBLE_EQ(d.at(i, 2).toDouble(), lines[i].qty);
    EXPECT_DOUBLE_EQ(d.at(i, 3).toDouble(), lines[i].price);
    EXPECT_NEAR(d.at(i, 4).toDouble(), lines[i].qty * lines[i].price, 0.005);
    amount += d.at(i, 4).toDouble();
  }
  const double rate = h.asFloat("TaxRate");
  EXPECT_NEAR(h.asFloat("NoTaxAmt"), amount, 0.005);
  EXPECT_NEAR(h.asFloat("Total"), amount * (1 + rate / 100.0), 0.011);
}

TEST_F(BoxProceduresTest, TransferGoesToTheConsignmentWarehouseOfTheCustomer) {
  pack(2, "C00003", testsupport::serverToday(), {{bottle, crate}, {bottle, crate}, {other, crate}});
  call(packing::kCopyBoxNoToTransFerHd, "BOX000002");

  const QString trNo = scalar("Select TrNo From BoxNo Where Id = 2").toString();
  ASSERT_FALSE(trNo.isEmpty());
  db::Params p;
  p.setText("No", trNo);
  const db::Result h = c->select("Select H.*, W.Code As ToCode From TransferHd H Inner Join Warehouse W On W.Id = H.ToWarehouse "
                                 "Where H.TrNo = :No",
                                 p);
  ASSERT_EQ(h.rowCount(), 1);
  EXPECT_EQ(h.asString("ToCode"), QStringLiteral("C00003"));
  EXPECT_EQ(h.asInt("BoxNoId"), 2);
  EXPECT_EQ(h.asInt("Customer"), customer("C00003"));
  EXPECT_NEAR(h.asFloat("Total"), 3 * price(crate), 0.005);
  EXPECT_EQ(scalar("Select Count(*) From TransferDt Where TransferHd = " + QString::number(h.asInt("Id"))).toLongLong(), 2);
  EXPECT_TRUE(scalar("Select IvNo From BoxNo Where Id = 2").isNull());
}

TEST_F(BoxProceduresTest, BoxesThatCannotBecomeADocumentAreRefusedWithoutAChange) {
  struct Case {
    const char* name;
    const char* procedure;
    QString boxNo;
    std::function<void(BoxProceduresTest&)> prepare;
    QString message;
  };
  const Case cases[] = {
      {"unknown box", packing::kCopyBoxNoToIvHd, "NOBOX", [](BoxProceduresTest&) {}, "ไม่พบเลขที่กล่อง NOBOX"},
      {"cancelled box", packing::kCopyBoxNoToIvHd, "BOX900003",
       [](BoxProceduresTest& t) { t.c->execute("Update BoxNo Set Customer = 1 Where BarCode = 'BOX900003'"); },
       "กล่องเลขที่ BOX900003 ถูกยกเลิกแล้ว"},
      {"no customer", packing::kCopyBoxNoToTransFerHd, "BOX000003", [](BoxProceduresTest&) {},
       "กล่องเลขที่ BOX000003 ยังไม่กำหนดลูกค้า"},
      {"already invoiced", packing::kCopyBoxNoToIvHd, "BOX900001", [](BoxProceduresTest&) {}, ""},
      {"already transferred", packing::kCopyBoxNoToIvHd, "BOX900002", [](BoxProceduresTest&) {}, ""},
      {"no pieces", packing::kCopyBoxNoToIvHd, "BOX000004",
       [](BoxProceduresTest& t) { t.pack(4, "C00001", testsupport::serverToday(), {}); }, "กล่องเลขที่ BOX000004 ไม่มีสินค้า"},
      {"no consignment warehouse", packing::kCopyBoxNoToTransFerHd, "BOX000005",
       [](BoxProceduresTest& t) { t.pack(5, "C00001", testsupport::serverToday(), {{t.bottle, 0}}); }, "ไม่พบคลัง : C00001"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    k.prepare(*this);
    QString message = k.message;
    if (message.isEmpty()) {
      const QVariant made = scalar("Select Coalesce(IvNo, TrNo) From BoxNo Where BarCode = '" + k.boxNo + "'");
      message = QStringLiteral("กล่องเลขที่ ") + k.boxNo + QStringLiteral(" ออกเอกสารแล้ว : ") + made.toString();
    }
    const qint64 iv = scalar("Select Count(*) From IvHd").toLongLong();
    const qint64 tr = scalar("Select Count(*) From TransferHd").toLongLong();
    const qint64 counters = scalar("Select Sum(LastNo) From DocumentNo").toLongLong();
    try {
      call(k.procedure, k.boxNo);
      ADD_FAILURE() << "not refused";
    } catch (const db::Error& e) {
      EXPECT_EQ(e.message(), message);
    }
    EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), iv);
    EXPECT_EQ(scalar("Select Count(*) From TransferHd").toLongLong(), tr);
    EXPECT_EQ(scalar("Select Sum(LastNo) From DocumentNo").toLongLong(), counters) << "no number drawn";
  }
}

TEST_F(BoxProceduresTest, RunsInsideTheCallersTransaction) {
  pack(6, "C00001", testsupport::serverToday(), {{bottle, 0}});
  const qint64 iv = scalar("Select Count(*) From IvHd").toLongLong();
  c->startTransaction();
  call(packing::kCopyBoxNoToIvHd, "BOX000006");
  EXPECT_FALSE(scalar("Select IvNo From BoxNo Where Id = 6").isNull());
  c->rollback();
  EXPECT_TRUE(scalar("Select IvNo From BoxNo Where Id = 6").isNull());
  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), iv);
}

}  // namespace
