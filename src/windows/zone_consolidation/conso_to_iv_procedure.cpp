#include "conso_to_iv_procedure.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <cmath>

#include "embedded.h"
#include "textutil/number_format.h"

namespace consolidation {

namespace {

double money(double v) { return textutil::roundMoney(v); }

// The ticked lines still to invoice, grouped by customer in delivery order.
const char* const kLinesToInvoice = R"(Select CD.Id, CD.Customer, CD.SoHd, CD.SoDt, CD.Product, CD.ProductUnits, CD.SendQnty,
  Coalesce(NullIf(D.Fraction, 0), U.Fraction, 1) As Fraction, Coalesce(D.Price, 0) As Price,
  Coalesce(D.Warehouse, H.Warehouse, 1) As Warehouse, H.Salesman, H.Department, H.TaxCode, Coalesce(H.TaxRate, 0) As TaxRate,
  Coalesce(H.DueDays, C.DueDays, 0) As DueDays, Coalesce(H.Price_IE, 'E') As Price_IE
From ConsolidateDt CD
  Inner Join SoDt D On D.Id = CD.SoDt
  Inner Join SoHd H On H.Id = CD.SoHd
  Inner Join Customer C On C.Id = CD.Customer
  Left Join ProductUnits U On U.Id = CD.ProductUnits
Where CD.ConsolidateHd = :Hd And CD.ToConso = 'Y' And Coalesce(CD.IvNo, '') = '' And CD.SendQnty > 0
  And Coalesce(H.DelFlag, 'N') <> 'Y'
Order By Coalesce(C.SendYourOrder, 99999), C.Code, CD.Customer, H.SoNo, D.SoRecNo, CD.Id)";

struct Line {
  qint64 id, soHd, soDt, product, units;
  double qty, fraction, price, total;
  QVariant warehouse;
};

struct Invoice {
  qint64 customer;
  QVariant salesman, department, taxCode, warehouse;
  double taxRate = 0;
  int dueDays = 0;
  QString priceIE;
  QVector<Line> lines;
};

void consoToIVProc(db::Connection& c, db::Params& p) {
  const db::Param* no = p.find(QStringLiteral("DocNo"));
  consoToIV(c, no ? db::Params::typedValue(*no).toString() : QString());
  embedded::procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

}  // namespace

QStringList consoToIV(db::Connection& c, const QString& docNoIn) {
  const QString docNo = docNoIn.trimmed();
  embedded::TransactionScope tx(c);

  db::Params hp;
  hp.setText(QStringLiteral("DocNo"), docNo);
  const db::Result hd = c.select(
      QStringLiteral("Select Id From ConsolidateHd Where DocNo = :DocNo And Coalesce(Delflag, 'N') <> 'Y' Order By Id"), hp);
  if (hd.isEmpty()) throw db::Error(QStringLiteral("ไม่พบใบจัดสินค้าเลขที่ ") + docNo);
  const qint64 hdId = hd.asInt(QStringLiteral("Id"));

  db::Params lp;
  lp.setInt(QStringLiteral("Hd"), hdId);
  db::Result rows = c.select(QString::fromUtf8(kLinesToInvoice), lp);

  QVector<Invoice> invoices;
  QHash<qint64, int> byCustomer;
  for (rows.first(); !rows.eof(); rows.next()) {
    const qint64 customer = rows.asInt(QStringLiteral("Customer"));
    auto it = byCustomer.find(customer);
    if (it == byCustomer.end()) {
      Invoice iv;
      iv.customer = customer;
      iv.salesman = rows.value(QStringLiteral("Salesman"));
      iv.department = rows.value(QStringLiteral("Department"));
      iv.taxCode = rows.value(QStringLiteral("TaxCode"));
      iv.warehouse = rows.value(QStringLiteral("Warehouse"));
      iv.taxRate = rows.asFloat(QStringLiteral("TaxRate"));
      iv.dueDays = int(rows.asInt(QStringLiteral("DueDays")));
      iv.priceIE = rows.asString(QStringLiteral("Price_IE")).trimmed().toUpper();
      invoices << iv;
      it = byCustomer.insert(customer, int(invoices.size()) - 1);
    }
    Line l;
    l.id = rows.asInt(QStringLiteral("Id"));
    l.soHd = rows.asInt(QStringLiteral("SoHd"));
    l.soDt = rows.asInt(QStringLiteral("SoDt"));
    l.product = rows.asInt(QStringLiteral("Product"));
    l.units = rows.asInt(QStringLiteral("ProductUnits"));
    l.qty = rows.asFloat(QStringLiteral("SendQnty"));
    l.fraction = rows.asFloat(QStringLiteral("Fraction"));
    l.price = rows.asFloat(QStringLiteral("Price"));
    l.total = money(l.qty * l.price);
    l.warehouse = rows.value(QStringLiteral("Warehouse"));
    invoices[*it].lines << l;
  }

  if (invoices.isEmpty()) {
    // A document is finished only with its invoices: one that has none and would get none (its
    // ticked lines send nothing) is refused before anything is written.
    const db::Result invoiced = c.select(QStringLiteral("Select Count(*) As n From ConsolidateDt "
                                                       "Where ConsolidateHd = :Hd And ToConso = 'Y' And Coalesce(IvNo, '') <> ''"),
                                         lp);
    if (invoiced.asInt(QStringLiteral("n")) == 0)
      throw db::Error(QStringLiteral("ใบจัดสินค้าเลขที่ %1 ไม่มีรายการที่ออก Invoice ได้ (รายการที่เลือกจัดต้องมีจำนวนจัดได้มากกว่า 0) "
                                     "จึงไม่ได้ออก Invoice")
                          .arg(docNo));
  }

  const QDate today = embedded::serverNow().date();
  QStringList made;
  QSet<qint64> orders;
  for (const Invoice& iv : invoices) {
    double amount = 0;
    for (const Line& l : iv.lines) amount += l.total;
    amount = money(amount);
    double noTax, tax, total;
    if (iv.priceIE == QLatin1String("I")) {
      total = amount;
      noTax = money(amount * 100.0 / (100.0 + iv.taxRate));
      tax = money(total - noTax);
    } else {
      noTax = amount;
      tax = money(amount * iv.taxRate / 100.0);
      total = money(noTax + tax);
    }
    const QString ivNo = embedded::newDocumentNo(c, QStringLiteral("IV-A"), today.year());
    db::Params h;
    h.setText(QStringLiteral("IvNo"), ivNo);
    h.setDateTime(QStringLiteral("IvDate"), QDateTime(today, QTime(0, 0)));
    h.setDateTime(QStringLiteral("DueDate"), QDateTime(today.addDays(iv.dueDays), QTime(0, 0)));
    h.setInt(QStringLiteral("Customer"), iv.customer);
    h.set(QStringLiteral("Salesman"), iv.salesman, db::ParamType::Integer);
    h.set(QStringLiteral("Department"), iv.department, db::ParamType::Integer);
    h.set(QStringLiteral("TaxCode"), iv.taxCode, db::ParamType::Integer);
    h.setFloat(QStringLiteral("TaxRate"), iv.taxRate);
    h.set(QStringLiteral("Warehouse"), iv.warehouse, db::ParamType::Integer);
    h.setText(QStringLiteral("Price_IE"), iv.priceIE == QLatin1String("I") ? QStringLiteral("I") : QStringLiteral("E"));
    h.setText(QStringLiteral("Reference"), docNo);
    h.setFloat(QStringLiteral("NoTaxAmt"), noTax);
    h.setFloat(QStringLiteral("TaxAmt"), tax);
    h.setFloat(QStringLiteral("Total"), total);
    c.execute(QStringLiteral(
                  "Insert Into IvHd (IvNo, IvType, IvDate, DueDate, Customer, Salesman, Department, TaxCode, TaxRate, Warehouse, "
                  "Price_IE, Reference, NoTaxAmt, TaxAmt, TaxTotal, Total, RcptAmount, DelFlag, Clear, Posted, Printed, Imported) "
                  "Values (:IvNo, 'A', :IvDate, :DueDate, :Customer, :Salesman, :Department, :TaxCode, :TaxRate, :Warehouse, "
                  ":Price_IE, :Reference, :NoTaxAmt, :TaxAmt, :NoTaxAmt, :Total, 0, 'N', 'N', 'N', 'N', 'N')"),
              h);
    const qint64 ivHd = c.select(QStringLiteral("Select last_insert_rowid() As Id")).asInt(QStringLiteral("Id"));

    int rec = 0;
    for (const Line& l : iv.lines) {
      db::Params d;
      d.setInt(QStringLiteral("IvHd"), ivHd);
      d.setInt(QStringLiteral("IvRecNo"), ++rec);
      d.setInt(QStringLiteral("Product"), l.product);
      d.setInt(QStringLiteral("ProductUnits"), l.units);
      d.setInt(QStringLiteral("Fraction"), qint64(std::llround(l.fraction)));
      d.setFloat(QStringLiteral("Quantity"), l.qty);
      d.setFloat(QStringLiteral("Price"), l.price);
      d.setFloat(QStringLiteral("Total"), l.total);
      d.set(QStringLiteral("Warehouse"), l.warehouse, db::ParamType::Integer);
      d.setInt(QStringLiteral("SoHd"), l.soHd);
      d.setInt(QStringLiteral("SoDt"), l.soDt);
      c.execute(QStringLiteral("Insert Into IvDt (IvHd, IvRecNo, Product, ProductUnits, Fraction, Quantity, Price, Total, Warehouse, "
                               "SoHd, SoDt, ProductUnitsPrice) Values (:IvHd, :IvRecNo, :Product, :ProductUnits, :Fraction, "
                               ":Quantity, :Price, :Total, :Warehouse, :SoHd, :SoDt, :ProductUnits)"),
                d);
      const qint64 ivDt = c.select(QStringLiteral("Select last_insert_rowid() As Id")).asInt(QStringLiteral("Id"));

      db::Params u;
      u.setInt(QStringLiteral("Id"), l.id);
      u.setText(QStringLiteral("IvNo"), ivNo);
      u.setInt(QStringLiteral("IvHd"), ivHd);
      u.setInt(QStringLiteral("IvDt"), ivDt);
      c.execute(QStringLiteral("Update ConsolidateDt Set IvNo = :IvNo, IvHd = :IvHd, IvDt = :IvDt Where Id = :Id"), u);

      db::Params s;
      s.setInt(QStringLiteral("Id"), l.soDt);
      s.setFloat(QStringLiteral("Qty"), l.qty);
      s.setFloat(QStringLiteral("Base"), l.qty * l.fraction);
      c.execute(QStringLiteral("Update SoDt Set Send = Coalesce(Send, 0) + :Qty, "
                               "BackOrder = Max(0, Coalesce(BackOrder, 0) - :Base), "
                               "Clear = Case When Coalesce(BackOrder, 0) - :Base <= 0 Then 'Y' Else Clear End Where Id = :Id"),
                s);
      orders.insert(l.soHd);
    }
    made << ivNo;
  }

  for (qint64 order : orders) {
    db::Params o;
    o.setInt(QStringLiteral("Id"), order);
    c.execute(QStringLiteral("Update SoHd Set Clear = 'Y' Where Id = :Id "
                             "And Not Exists (Select 1 From SoDt Where SoHd = :Id And BackOrder > 0)"),
              o);
  }
  c.execute(QStringLiteral("Update ConsolidateHd Set Confirm = 'Y' Where Id = :Hd"), lp);
  tx.commit();
  return made;
}

void registerConsoProcedures() {
  static QMutex mutex;
  static bool done = false;
  QMutexLocker lock(&mutex);
  if (done) return;
  done = true;
  db::registerEmbeddedProcedure(QString::fromLatin1(kConsoToIV), consoToIVProc);
}

}  // namespace consolidation
