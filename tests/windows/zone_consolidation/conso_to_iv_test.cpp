// ConsoToIV of the embedded server, called as the window calls it (a stored procedure on the
// company connection), on a copy of the demo site.
#include <gtest/gtest.h>

#include <cmath>

#include "app_fixture.h"
#include "window_fixture.h"
#include "conso_to_iv_procedure.h"
#include "embedded.h"

namespace {

class ConsoToIV : public ::testing::Test {
 protected:
  void SetUp() override {
    consolidation::registerConsoProcedures();
    c = site.openCompany();
  }

  QVariant scalar(const QString& sql, const db::Params& p = {}) { return testsupport::scalar(*c, sql, p); }

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
  QVector<qint64> ids(const QString& sql) { return testsupport::ids(*c, sql); }
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

// The invoice amounts against figures worked out by hand, one invoice per customer of one
// consolidation. A line is quantity x price rounded to satang; the lines' sum is the amount before
// VAT of prices without VAT ("E", VAT = amount x rate / 100) and the total of prices with VAT ("I",
// amount before VAT = total x 100 / (100 + rate)). Halves round away from zero on the decimal
// amount: 3 x 10.165 = 30.495 is 30.50 and 64.50 x 7% = 4.515 is 4.52, where rounding the binary
// product gives 30.49 and 4.51. 100.20 with VAT is 93.64 + 6.56: VAT taken as 7% of 93.64 (6.55)
// or the amount before VAT as 93% of the total (93.19) is wrong.
TEST_F(ConsoToIV, InvoiceAmountsAreWorkedOutFromTheLinesAndTheVatRate) {
  struct Case {
    const char* what;
    qint64 customer;
    const char* priceIE;
    double rate;
    QVector<testsupport::OrderLine> lines;  // sent in full
    QVector<double> lineTotals;
    double noTaxAmt, taxAmt, total;
  };
  const QVector<Case> cases = {
      {"prices before VAT, 7%", 2, "E", 7, {{1, 1, 3, 10.165}, {2, 1, 2, 17.00}}, {30.50, 34.00}, 64.50, 4.52, 69.02},
      {"prices with VAT, 7%", 5, "I", 7, {{1, 1, 2, 50.10}}, {100.20}, 93.64, 6.56, 100.20},
      {"a zero-rate customer, prices before VAT", 7, "E", 0, {{1, 1, 3, 10.165}}, {30.50}, 30.50, 0, 30.50},
      {"a zero-rate customer, prices with VAT", 8, "I", 0, {{2, 1, 2, 7.255}}, {14.51}, 14.51, 0, 14.51},
  };
  QVector<Line> send;
  QVector<QVector<qint64>> orderLines;
  for (const Case& k : cases) {
    testsupport::NewOrder o;
    o.soNo = QStringLiteral("TST-AMT-%1").arg(k.customer);
    o.customer = k.customer;
    o.taxRate = k.rate;
    o.priceIE = QString::fromLatin1(k.priceIE);
    o.lines = k.lines;
    orderLines << testsupport::addOrder(*c, o);
    ASSERT_EQ(orderLines.last().size(), k.lines.size()) << k.what;
    for (int i = 0; i < k.lines.size(); ++i) send.push_back({orderLines.last()[i], k.lines[i].quantity});
  }
  run(makeConsolidation("TST010", send));

  for (int n = 0; n < cases.size(); ++n) {
    const Case& k = cases[n];
    SCOPED_TRACE(k.what);
    db::Params p;
    p.setInt("C", k.customer);
    const db::Result iv = c->select("Select * From IvHd Where Reference = 'TST010' And Customer = :C", p);
    ASSERT_EQ(iv.rowCount(), 1);
    EXPECT_EQ(iv.asString("Price_IE"), QString::fromLatin1(k.priceIE));
    EXPECT_EQ(iv.asFloat("TaxRate"), k.rate);
    EXPECT_EQ(iv.asFloat("NoTaxAmt"), k.noTaxAmt);
    EXPECT_EQ(iv.asFloat("TaxAmt"), k.taxAmt);
    EXPECT_EQ(iv.asFloat("Total"), k.total);
    for (int i = 0; i < k.lines.size(); ++i) {
      const db::Result dt = c->select("Select * From IvDt Where SoDt = " + QString::number(orderLines[n][i]));
      ASSERT_EQ(dt.rowCount(), 1) << "line " << i;
      EXPECT_EQ(dt.asInt("IvHd"), iv.asInt("Id"));
      EXPECT_EQ(dt.asFloat("Quantity"), k.lines[i].quantity);
      EXPECT_EQ(dt.asFloat("Total"), k.lineTotals[i]) << "line " << i;
    }
  }
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

// A document that has no invoice and would get none is refused before anything is written, so no
// caller finishes a load without an invoice; one invoiced already is not refused (InvoicesNothingTwice).
TEST_F(ConsoToIV, RefusesADocumentThatWouldBeFinishedWithoutAnInvoice) {
  pickLines();
  struct Case {
    const char* no;
    QVector<Line> lines;
  } cases[] = {
      {"TST006", {{custA[1], 0}}},                        // the only line sends nothing
      {"TST007", {{custA[0], 0}, {custA[2], 2, "N"}}},    // nothing ticked sends anything
      {"TST008", {}},                                     // no line at all
  };
  const auto invoices = scalar("Select Count(*) From IvHd").toLongLong();
  const auto counters = scalar("Select Group_Concat(LastNo) From DocumentNo Where Code = 'IV-A'").toString();
  for (const Case& k : cases) {
    const QString no = QString::fromLatin1(k.no);
    SCOPED_TRACE(k.no);
    makeConsolidation(no, k.lines);
    try {
      run(no);
      ADD_FAILURE() << "no refusal";
    } catch (const db::Error& e) {
      EXPECT_TRUE(e.message().startsWith(QStringLiteral("ใบจัดสินค้าเลขที่ %1 ไม่มีรายการที่ออก Invoice ได้").arg(no)))
          << e.message().toStdString();
    }
    EXPECT_EQ(scalar("Select Confirm From ConsolidateHd Where DocNo = '" + no + "'").toString(), "N");
  }
  EXPECT_EQ(scalar("Select Count(*) From IvHd").toLongLong(), invoices);
  EXPECT_EQ(scalar("Select Group_Concat(LastNo) From DocumentNo Where Code = 'IV-A'").toString(), counters);
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
