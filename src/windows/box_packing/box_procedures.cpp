#include "box_procedures.h"

#include <QHash>
#include <QMutex>
#include <QVector>
#include <cmath>

#include "embedded.h"
#include "textutil/number_format.h"

namespace packing {

namespace {

double money(double v) { return textutil::roundMoney(v); }

struct Box {
  qint64 id = 0;
  QString no;
  qint64 customer = 0;
  QDate sendDate;
};

// One document line: the pieces of one unit scanned under one price unit.
struct Line {
  qint64 product = 0, units = 0, priceUnits = 0, fraction = 1;
  double quantity = 0, price = 0;
  double total() const { return money(quantity * price); }
};

// The box, refused when it cannot be made into a document.
Box readBox(db::Connection& c, const QString& boxNo) {
  db::Params p;
  p.setText(QStringLiteral("BoxNo"), boxNo);
  const db::Result r = c.select(
      QStringLiteral("Select Id, Delflag, BarCode, Customer, SendDate, IvNo, TrNo From BoxNo Where BarCode = :BoxNo Order By Id"), p);
  if (r.isEmpty()) throw db::Error(QStringLiteral("ไม่พบเลขที่กล่อง ") + boxNo);
  const QString prefix = QStringLiteral("กล่องเลขที่ ") + boxNo;
  if (r.asString(QStringLiteral("Delflag")).trimmed() == QLatin1String("Y")) throw db::Error(prefix + QStringLiteral(" ถูกยกเลิกแล้ว"));
  if (r.asInt(QStringLiteral("Customer")) <= 0) throw db::Error(prefix + QStringLiteral(" ยังไม่กำหนดลูกค้า"));
  for (const char* column : {"IvNo", "TrNo"}) {
    const QString made = r.asString(QLatin1String(column)).trimmed();
    if (!made.isEmpty()) throw db::Error(prefix + QStringLiteral(" ออกเอกสารแล้ว : ") + made);
  }
  Box b;
  b.id = r.asInt(QStringLiteral("Id"));
  b.no = boxNo;
  b.customer = r.asInt(QStringLiteral("Customer"));
  const QDateTime send = r.asDateTime(QStringLiteral("SendDate"));
  b.sendDate = send.isValid() ? send.date() : embedded::serverNow().date();
  return b;
}

// The box's pieces as document lines, in the order of their first scan.
QVector<Line> readLines(db::Connection& c, const Box& box) {
  db::Params p;
  p.setInt(QStringLiteral("BoxNo"), box.id);
  db::Result r = c.select(QStringLiteral(
                              "Select D.ProductUnits, Coalesce(D.Quantity, 0) As Quantity, Coalesce(D.ProductUnitsPrice, 0) As PriceUnits, "
                              "U.Product, Coalesce(NullIf(U.Fraction, 0), 1) As Fraction, Coalesce(U.Price, 0) As UnitPrice, "
                              "Up.Id As PriceUnitId, Coalesce(Up.Price, 0) As PriceUnitPrice "
                              "From BoxNoProductUnits D "
                              "Inner Join ProductUnits U On U.Id = D.ProductUnits "
                              "Left Join ProductUnits Up On Up.Id = D.ProductUnitsPrice "
                              "Where D.BoxNo = :BoxNo Order By D.Id"),
                          p);
  QVector<Line> lines;
  QHash<QPair<qint64, qint64>, int> index;
  for (r.first(); !r.eof(); r.next()) {
    const bool priced = !r.isNull(QStringLiteral("PriceUnitId"));
    const qint64 units = r.asInt(QStringLiteral("ProductUnits"));
    const qint64 priceUnits = priced ? r.asInt(QStringLiteral("PriceUnits")) : 0;
    const QPair<qint64, qint64> key{units, priceUnits};
    auto it = index.find(key);
    if (it == index.end()) {
      Line l;
      l.product = r.asInt(QStringLiteral("Product"));
      l.units = units;
      l.priceUnits = priceUnits;
      l.fraction = r.asInt(QStringLiteral("Fraction"));
      l.price = priced ? r.asFloat(QStringLiteral("PriceUnitPrice")) : r.asFloat(QStringLiteral("UnitPrice"));
      lines << l;
      it = index.insert(key, int(lines.size()) - 1);
    }
    lines[*it].quantity += r.asFloat(QStringLiteral("Quantity"));
  }
  if (lines.isEmpty()) throw db::Error(QStringLiteral("กล่องเลขที่ ") + box.no + QStringLiteral(" ไม่มีสินค้า"));
  return lines;
}

// The company's default warehouse: Config.DefaultWH, else its first warehouse that is not a
// consignment warehouse.
qint64 defaultWarehouse(db::Connection& c) {
  const db::Result cfg = c.select(QStringLiteral("Select DefaultWH From Config Order By Id"));
  if (!cfg.isEmpty() && cfg.asInt(QStringLiteral("DefaultWH")) > 0) return cfg.asInt(QStringLiteral("DefaultWH"));
  const db::Result wh = c.select(QStringLiteral("Select Min(Id) As Id From Warehouse Where Coalesce(Consignment, 'N') <> 'Y'"));
  return wh.asInt(QStringLiteral("Id"));
}

QString priceIE(db::Connection& c) {
  const db::Result cfg = c.select(QStringLiteral("Select Default_IE From Config Order By Id"));
  return cfg.asString(QStringLiteral("Default_IE")).trimmed().toUpper() == QLatin1String("I") ? QStringLiteral("I")
                                                                                                : QStringLiteral("E");
}

qint64 lastId(db::Connection& c) { return c.select(QStringLiteral("Select Scope_Identity() As Id")).asInt(QStringLiteral("Id")); }

// The parameters of one document line copied from a box line: the head's id, the line's number and
// what the box line carries.
db::Params lineParams(const QString& headField, qint64 head, const QString& recNoField, int recNo, const Line& l) {
  db::Params d;
  d.setInt(headField, head);
  d.setInt(recNoField, recNo);
  d.setInt(QStringLiteral("Product"), l.product);
  d.setInt(QStringLiteral("ProductUnits"), l.units);
  d.setInt(QStringLiteral("Fraction"), l.fraction);
  d.setFloat(QStringLiteral("Quantity"), l.quantity);
  d.setInt(QStringLiteral("ProductUnitsPrice"), l.priceUnits);
  d.setFloat(QStringLiteral("Price"), l.price);
  d.setFloat(QStringLiteral("Total"), l.total());
  return d;
}

// Stamps the number of the document made from the box on the box (`field` is IvNo or TrNo).
void stampBox(db::Connection& c, const Box& box, const QString& field, const QString& docNo) {
  db::Params u;
  u.setInt(QStringLiteral("Id"), box.id);
  u.setText(field, docNo);
  c.execute(QStringLiteral("Update BoxNo Set %1 = :%1 Where Id = :Id").arg(field), u);
}

QString boxNoInput(const db::Params& p) { return embedded::procInput(p, QStringLiteral("BoxNo")).toString().trimmed(); }

}  // namespace

QString copyBoxNoToIvHd(db::Connection& c, const QString& boxNoIn) {
  const QString boxNo = boxNoIn.trimmed();
  embedded::TransactionScope tx(c);
  const Box box = readBox(c, boxNo);
  const QVector<Line> lines = readLines(c, box);

  db::Params cp;
  cp.setInt(QStringLiteral("Id"), box.customer);
  const db::Result cu = c.select(QStringLiteral("Select C.Id, C.Salesman, S.Department, C.TaxCode, Coalesce(T.Rate, 0) As TaxRate, "
                                                "Coalesce(C.DueDays, 0) As DueDays From Customer C "
                                                "Left Join Salesman S On S.Id = C.Salesman Left Join Tax T On T.Id = C.TaxCode "
                                                "Where C.Id = :Id"),
                                 cp);
  if (cu.isEmpty()) throw db::Error(QStringLiteral("กล่องเลขที่ ") + boxNo + QStringLiteral(" ยังไม่กำหนดลูกค้า"));
  const double taxRate = cu.asFloat(QStringLiteral("TaxRate"));
  const qint64 warehouse = defaultWarehouse(c);
  const QString ie = priceIE(c);

  double amount = 0;
  for (const Line& l : lines) amount += l.total();
  amount = money(amount);
  double noTax, tax, total;
  if (ie == QLatin1String("I")) {
    total = amount;
    noTax = money(amount * 100.0 / (100.0 + taxRate));
    tax = money(total - noTax);
  } else {
    noTax = amount;
    tax = money(amount * taxRate / 100.0);
    total = money(noTax + tax);
  }

  const QString ivNo = embedded::newDocumentNo(c, QStringLiteral("IV-A"), box.sendDate.year());
  const bool hasBoxColumn = embedded::columnExists(c, QStringLiteral("IvHd"), QStringLiteral("BoxNoId"));
  db::Params h;
  h.setText(QStringLiteral("IvNo"), ivNo);
  h.setDateTime(QStringLiteral("IvDate"), QDateTime(box.sendDate, QTime(0, 0)));
  h.setDateTime(QStringLiteral("DueDate"), QDateTime(box.sendDate.addDays(int(cu.asInt(QStringLiteral("DueDays")))), QTime(0, 0)));
  h.setInt(QStringLiteral("Customer"), box.customer);
  h.set(QStringLiteral("Salesman"), cu.value(QStringLiteral("Salesman")), db::ParamType::Integer);
  h.set(QStringLiteral("Department"), cu.value(QStringLiteral("Department")), db::ParamType::Integer);
  h.set(QStringLiteral("TaxCode"), cu.value(QStringLiteral("TaxCode")), db::ParamType::Integer);
  h.setFloat(QStringLiteral("TaxRate"), taxRate);
  h.setInt(QStringLiteral("Warehouse"), warehouse);
  h.setText(QStringLiteral("Price_IE"), ie);
  h.setText(QStringLiteral("Reference"), boxNo);
  h.setFloat(QStringLiteral("NoTaxAmt"), noTax);
  h.setFloat(QStringLiteral("TaxAmt"), tax);
  h.setFloat(QStringLiteral("Total"), total);
  h.setInt(QStringLiteral("BoxNoId"), box.id);
  c.execute(QStringLiteral("Insert Into IvHd (IvNo, IvType, IvDate, DueDate, Customer, Salesman, Department, TaxCode, TaxRate, "
                           "Warehouse, Price_IE, Reference, NoTaxAmt, TaxAmt, TaxTotal, Total, RcptAmount, DelFlag, Clear, Posted, "
                           "Printed, Imported") +
                (hasBoxColumn ? QStringLiteral(", BoxNoId") : QString()) +
                QStringLiteral(") Values (:IvNo, 'A', :IvDate, :DueDate, :Customer, :Salesman, :Department, :TaxCode, :TaxRate, "
                               ":Warehouse, :Price_IE, :Reference, :NoTaxAmt, :TaxAmt, :NoTaxAmt, :Total, 0, 'N', 'N', 'N', 'N', 'N'") +
                (hasBoxColumn ? QStringLiteral(", :BoxNoId") : QString()) + QStringLiteral(")"),
            h);
  const qint64 ivHd = lastId(c);

  int rec = 0;
  for (const Line& l : lines) {
    db::Params d = lineParams(QStringLiteral("IvHd"), ivHd, QStringLiteral("IvRecNo"), ++rec, l);
    d.setInt(QStringLiteral("Warehouse"), warehouse);
    c.execute(QStringLiteral("Insert Into IvDt (IvHd, IvRecNo, Product, ProductUnits, Fraction, Quantity, Price, Total, Warehouse, "
                             "ProductUnitsPrice) Values (:IvHd, :IvRecNo, :Product, :ProductUnits, :Fraction, :Quantity, :Price, "
                             ":Total, :Warehouse, :ProductUnitsPrice)"),
              d);
  }

  stampBox(c, box, QStringLiteral("IvNo"), ivNo);
  tx.commit();
  return ivNo;
}

QString copyBoxNoToTransFerHd(db::Connection& c, const QString& boxNoIn) {
  const QString boxNo = boxNoIn.trimmed();
  embedded::TransactionScope tx(c);
  const Box box = readBox(c, boxNo);
  const QVector<Line> lines = readLines(c, box);

  db::Params cp;
  cp.setInt(QStringLiteral("Id"), box.customer);
  const db::Result cu = c.select(QStringLiteral("Select Code From Customer Where Id = :Id"), cp);
  if (cu.isEmpty()) throw db::Error(QStringLiteral("กล่องเลขที่ ") + boxNo + QStringLiteral(" ยังไม่กำหนดลูกค้า"));
  const QString code = cu.asString(QStringLiteral("Code")).trimmed();
  db::Params wp;
  wp.setText(QStringLiteral("Code"), code);
  const db::Result wh = c.select(QStringLiteral("Select Id From Warehouse Where Code = :Code Order By Id"), wp);
  if (wh.isEmpty()) throw db::Error(QStringLiteral("ไม่พบคลัง : ") + code);
  const qint64 to = wh.asInt(QStringLiteral("Id"));
  const qint64 from = defaultWarehouse(c);

  double total = 0;
  for (const Line& l : lines) total += l.total();
  total = money(total);

  const QString trNo = embedded::newDocumentNo(c, QStringLiteral("STOCKTRFCONV2"), box.sendDate.year());
  db::Params h;
  h.setText(QStringLiteral("TrNo"), trNo);
  h.setDateTime(QStringLiteral("TrDate"), QDateTime(box.sendDate, QTime(0, 0)));
  h.setInt(QStringLiteral("FromWarehouse"), from);
  h.setInt(QStringLiteral("ToWarehouse"), to);
  h.setInt(QStringLiteral("Customer"), box.customer);
  h.setInt(QStringLiteral("BoxNoId"), box.id);
  h.setText(QStringLiteral("Remark"), boxNo);
  h.setFloat(QStringLiteral("Total"), total);
  c.execute(QStringLiteral("Insert Into TransferHd (TrNo, TrDate, FromWarehouse, ToWarehouse, Customer, BoxNoId, Remark, Total, "
                           "DelFlag, Approved, Posted, Printed) Values (:TrNo, :TrDate, :FromWarehouse, :ToWarehouse, :Customer, "
                           ":BoxNoId, :Remark, :Total, 'N', 'Y', 'N', 'N')"),
            h);
  const qint64 trHd = lastId(c);

  int rec = 0;
  for (const Line& l : lines) {
    const db::Params d = lineParams(QStringLiteral("TransferHd"), trHd, QStringLiteral("TrRecNo"), ++rec, l);
    c.execute(QStringLiteral("Insert Into TransferDt (TransferHd, TrRecNo, Product, ProductUnits, Fraction, Quantity, "
                             "ProductUnitsPrice, Price, Total) Values (:TransferHd, :TrRecNo, :Product, :ProductUnits, :Fraction, "
                             ":Quantity, :ProductUnitsPrice, :Price, :Total)"),
              d);
  }

  stampBox(c, box, QStringLiteral("TrNo"), trNo);
  tx.commit();
  return trNo;
}

void copyBoxNoToIvHdProc(db::Connection& c, db::Params& p) {
  copyBoxNoToIvHd(c, boxNoInput(p));
  embedded::procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

void copyBoxNoToTransFerHdProc(db::Connection& c, db::Params& p) {
  copyBoxNoToTransFerHd(c, boxNoInput(p));
  embedded::procOutput(p, QStringLiteral("Result"), 0, db::ParamType::Integer);
}

void registerBoxProcedures() {
  static QMutex mutex;
  static bool done = false;
  QMutexLocker lock(&mutex);
  if (done) return;
  done = true;
  db::registerEmbeddedProcedure(QString::fromLatin1(kCopyBoxNoToIvHd), copyBoxNoToIvHdProc);
  db::registerEmbeddedProcedure(QString::fromLatin1(kCopyBoxNoToTransFerHd), copyBoxNoToTransFerHdProc);
}

}  // namespace packing
