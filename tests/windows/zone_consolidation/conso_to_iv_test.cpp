// ConsoToIV of the embedded server, called as the window calls it (a stored procedure on the
// company connection), on a copy of the demo site.
#include <gtest/gtest.h>

#include <cmath>

#include "app_fixture.h"
#include "conso_to_iv_procedure.h"
#include "embedded.h"

namespace {

class ConsoToIV : public ::testing::Test {
 protected:
  void SetUp() override {
    consolidation::registerConsoProcedures();
    c = site.openCompany();
  }

  QVariant scalar(const QString& sql, const db::Params& p = {}) {
    const db::Result r = c->select(sql, p);
    return r.isEmpty() ? QVariant() : r.rows()[0][0];
  }

  struct Line {
    qint64 soDt;
    double send;
    QString tick = QStringLiteral("Y");
  };
  // A consolidation of the given sales-order lines; returns its number.
  QString makeConsolidation(const QString& no, const QVector<Line>& lines, const QString& delflag = QStringLiteral("N")) {
    db::Params h;
    h.setText("No", no);
    h.setText("Del", delflag);
    c->execute("Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Confirm, Delflag, Printed) "
               "Values (:No, '2024-01-01 00:00:00', '2024-01-01 00:00:00', 1, 'N', :Del, 'N')",
               h);
    const qint64 hd = scalar("Select Max(Id) From ConsolidateHd").toLongLong();
    for (const Line& l : lines) {
      db::Params d;
      d.setInt("Hd", hd);
      d.setInt("SoDt", l.soDt);
      d.setFloat("Send", l.send);
      d.setText("Tick", l.tick);
      c->execute("Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, OrderSoQnty, "
                 "Onhand, OrderQnty, SendQnty, IvNo, IvHd, IvDt) "
                 "Select :Hd, :Tick, D.SoHd, D.Id, H.Customer, D.Product, D.ProductUnits, D.BackOrder / D.Fraction, 0, "
                 "D.BackOrder / D.Fraction, :Send, '', 0, 0 From SoDt D Inner Join SoHd H On H.Id = D.SoHd Where D.Id = :SoDt",
                 d);
    }
    return no;
  }
  // Runs the procedure through the client as the window does.
  void run(const QString& no) {
    db::StoredProc sp(*c, "ConsoToIV");
    sp.declare("Result", db::ParamType::Integer, db::ParamDir::Result);
    sp.declare("@DocNo", db::ParamType::Text, db::ParamDir::Input);
    sp.set("@DocNo", no);
    sp.execute();
    EXPECT_EQ(sp.value("Result").toInt(), 0);
  }
  // Open lines of two customers: three of customer 1 (demo order 1), one of another customer.
  void pickLines() {
    custA = ids("Select Id From SoDt Where SoHd = 1 Order By Id");
    ASSERT_EQ(custA.size(), 3);
    const db::Result r = c->select("Select D.Id, H.Customer From SoDt D Inner Join SoHd H On H.Id = D.SoHd "
                                   "Where H.Customer <> 1 And D.BackOrder > 0 And D.Fraction > 1 Order By D.Id Limit 1");
    ASSERT_FALSE(r.isEmpty());
    custB = r.asInt("Id");
    customerB = r.asInt("Customer");
  }
  QVector<qint64> ids(const QString& sql) {
    QVector<qint64> out;
    const db::Result r = c->select(sql);
    for (const auto& row : r.rows()) out << row[0].toLongLong();
    return out;
  }
  db::Result soLine(qint64 id) { return c->select("Select * From SoDt Where Id = " + QString::number(id)); }
  db::Result consoLine(qint64 soDt) {
    return c->select("Select D.* From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd "
                     "Where H.DocNo Like 'TST%' And D.SoDt = " +
                     QString::number(soDt));
  }

  testsupport::TempSite site;
  std::unique_ptr<db::Connection> c;
  QVector<qint64> custA;
  qint64 custB = 0, customerB = 0;
};

TEST_F(ConsoToIV, MakesOneInvoicePerCustomerOfTheTickedLinesWithSomethingToSend) {
  pickLines();
  const db::Result a0 = soLine(custA[0]);  // 5 units of 12
  const db::Result b = soLine(custB);
  const double bOutstanding = b.asFloat("BackOrder") / b.asFloat("Fraction");
  const QString no = makeConsolidation("TST001", {{custA[0], 3}, {custA[1], 0}, {custA[2], 2, "N"}, {custB, bOutstanding}});
  const int invoicesBefore = int(scalar("Select Count(*) From IvHd").toLongLong());
  run(no);

  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), invoicesBefore + 2);
  const db::Result inv = c->select("Select * From IvHd Where Reference = 'TST001' Order By IvNo");
  ASSERT_EQ(inv.rowCount(), 2);
  const QDate today = embedded::serverNow().date();
  for (db::Result r = inv; !r.eof(); r.next()) {
    EXPECT_TRUE(r.asString("IvNo").startsWith("IVA"));
    EXPECT_EQ(r.asDateTime("IvDate"), QDateTime(today, QTime(0, 0)));
    EXPECT_EQ(r.asString("DelFlag"), "N");
    EXPECT_DOUBLE_EQ(r.asFloat("TaxAmt"), std::round(r.asFloat("NoTaxAmt") * 7.0) / 100.0);
    EXPECT_DOUBLE_EQ(r.asFloat("Total"), r.asFloat("NoTaxAmt") + r.asFloat("TaxAmt"));
  }

  // Customer 1: one invoice line, the three units sent, at the order line's price.
  const db::Result lineA = consoLine(custA[0]);
  const QString ivA = lineA.asString("IvNo");
  ASSERT_FALSE(ivA.isEmpty());
  const db::Result dtA = c->select("Select * From IvDt Where Id = " + QString::number(lineA.asInt("IvDt")));
  ASSERT_EQ(dtA.rowCount(), 1);
  EXPECT_EQ(dtA.asInt("IvHd"), lineA.asInt("IvHd"));
  EXPECT_EQ(dtA.asFloat("Quantity"), 3);
  EXPECT_EQ(dtA.asFloat("Price"), a0.asFloat("Price"));
  EXPECT_DOUBLE_EQ(dtA.asFloat("Total"), std::round(3 * a0.asFloat("Price") * 100) / 100);
  EXPECT_EQ(dtA.asInt("SoDt"), custA[0]);
  EXPECT_EQ(dtA.asInt("ProductUnits"), a0.asInt("ProductUnits"));
  EXPECT_EQ(scalar("Select Count(*) From IvDt Where IvHd = " + QString::number(lineA.asInt("IvHd"))).toLongLong(), 1);
  EXPECT_EQ(scalar("Select Customer From IvHd Where Id = " + QString::number(lineA.asInt("IvHd"))).toLongLong(), 1);

  // The order line: three units of 12 fewer outstanding, still open.
  const db::Result after = soLine(custA[0]);
  EXPECT_EQ(after.asFloat("BackOrder"), a0.asFloat("BackOrder") - 36);
  EXPECT_EQ(after.asFloat("Send"), a0.asFloat("Send") + 3);
  EXPECT_EQ(after.asString("Clear"), "N");

  // Nothing to send, or not ticked: no invoice, the line untouched.
  EXPECT_EQ(consoLine(custA[1]).asString("IvNo"), "");
  EXPECT_EQ(consoLine(custA[2]).asString("IvNo"), "");
  EXPECT_EQ(soLine(custA[2]).asFloat("BackOrder"), soLine(custA[2]).asFloat("Quantity") * soLine(custA[2]).asFloat("Fraction"));

  // The other customer's whole outstanding quantity: the line is cleared.
  const db::Result lineB = consoLine(custB);
  EXPECT_NE(lineB.asString("IvNo"), ivA);
  EXPECT_EQ(scalar("Select Customer From IvHd Where Id = " + QString::number(lineB.asInt("IvHd"))).toLongLong(), customerB);
  EXPECT_EQ(soLine(custB).asFloat("BackOrder"), 0);
  EXPECT_EQ(soLine(custB).asString("Clear"), "Y");

  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = 'TST001'").toString(), "Y");
}

TEST_F(ConsoToIV, ClearsAnOrderWhenNothingOfItIsLeft) {
  pickLines();
  QVector<Line> all;
  for (qint64 id : custA) {
    const db::Result l = soLine(id);
    all.push_back({id, l.asFloat("BackOrder") / l.asFloat("Fraction")});
  }
  run(makeConsolidation("TST002", all));
  EXPECT_EQ(scalar("Select Clear From SoHd Where Id = 1").toString(), "Y");
  EXPECT_EQ(scalar("Select Count(*) From SoDt Where SoHd = 1 And BackOrder > 0").toLongLong(), 0);
}

TEST_F(ConsoToIV, InvoicesNothingTwice) {
  pickLines();
  const QString no = makeConsolidation("TST003", {{custA[0], 1}, {custB, 1}});
  run(no);
  const auto invoices = scalar("Select Count(*) From IvHd").toLongLong();
  const auto lines = scalar("Select Count(*) From IvDt").toLongLong();
  const auto backOrder = soLine(custA[0]).asFloat("BackOrder");
  run(no);
  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), invoices);
  EXPECT_EQ(scalar("Select Count(*) From IvDt").toLongLong(), lines);
  EXPECT_EQ(soLine(custA[0]).asFloat("BackOrder"), backOrder);
}

TEST_F(ConsoToIV, RefusesANumberThatNamesNoLiveConsolidation) {
  pickLines();
  makeConsolidation("TST004", {{custA[0], 1}}, "Y");
  for (const char* no : {"TST004", "NO-SUCH"}) {
    try {
      run(QString::fromLatin1(no));
      ADD_FAILURE() << no;
    } catch (const db::Error& e) {
      EXPECT_EQ(e.message(), QStringLiteral("ไม่พบใบจัดสินค้าเลขที่ ") + QString::fromLatin1(no));
    }
  }
  EXPECT_EQ(consoLine(custA[0]).asString("IvNo"), "");
}

TEST_F(ConsoToIV, RunsInsideTheCallersTransaction) {
  pickLines();
  const QString no = makeConsolidation("TST005", {{custA[0], 1}});
  const auto invoices = scalar("Select Count(*) From IvHd").toLongLong();
  const auto lastNo = scalar("Select LastNo From DocumentNo Where Code = 'IV-A' Order By DocYear Desc").toLongLong();
  c->startTransaction();
  run(no);
  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), invoices + 1);
  c->rollback();
  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), invoices);
  EXPECT_EQ(scalar("Select LastNo From DocumentNo Where Code = 'IV-A' Order By DocYear Desc").toLongLong(), lastNo);
  EXPECT_EQ(consoLine(custA[0]).asString("IvNo"), "");
  EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = 'TST005'").toString(), "N");
}

}  // namespace
