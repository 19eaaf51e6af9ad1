#include "import_orders.h"

#include <QHash>
#include <QSet>

#include "import_sql.h"
#include "xml/xmlscanner.h"

namespace weborder {

// ---- Reading the order file ------------------------------------------------------------------

namespace {

qint64 wholeNumber(const QString& text, const char* element, int orderNo) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok, 10);
  if (!ok)
    throw ImportError(QStringLiteral("'%1' is not a valid integer value (element %2 of order line %3)")
                          .arg(text, QLatin1String(element))
                          .arg(orderNo));
  return v;
}

}  // namespace

QVector<OrderLine> ReadOrderLines(xml::TXmlScanner& scanner) {
  QVector<OrderLine> lines;
  OrderLine current;
  while (scanner.next()) {
    const xml::PartKind kind = scanner.partKind();
    const QString& name = scanner.currentName();
    if (kind == xml::PartKind::Content) {
      const QString& text = scanner.currentContent();
      const int lineNo = int(lines.size()) + 1;
      if (name == QLatin1String("salesmancode")) current.salesmanCode = text;
      else if (name == QLatin1String("customercode")) current.customerCode = text;
      else if (name == QLatin1String("orderno")) current.orderNo = text;
      else if (name == QLatin1String("orderdate")) current.orderDate = text;
      else if (name == QLatin1String("id")) current.webId = wholeNumber(text, "id", lineNo);
      else if (name == QLatin1String("barcode")) current.barcode = text;
      else if (name == QLatin1String("quantity")) current.quantity = wholeNumber(text, "quantity", lineNo);
    } else if (kind == xml::PartKind::EndTag && name == QLatin1String("order")) {
      lines.push_back(current);
    }
  }
  return lines;
}

QVector<OrderLine> ReadOrderFile(const QString& path) {
  xml::TXmlScanner scanner;
  scanner.setNormalize(true);
  scanner.loadFromFile(path);
  return ReadOrderLines(scanner);
}

// ---- The end-of-import report ----------------------------------------------------------------

QList<qint64> ImportResult::toAcknowledge() const {
  // Both lists are in file order; a web id appears in at most one of them once.
  QList<qint64> ids;
  QSet<qint64> seen;
  for (const QList<qint64>* list : {&stored, &alreadyStored})
    for (qint64 id : *list)
      if (!seen.contains(id)) {
        seen.insert(id);
        ids << id;
      }
  return ids;
}

QString ImportResult::reportText() const {
  if (skipped.isEmpty() && alreadyStored.isEmpty()) return QString();
  static const int kListed = 30;
  QStringList out;
  out << QStringLiteral("บันทึกรายการ Order แล้ว %1 รายการ").arg(stored.size());
  if (!alreadyStored.isEmpty())
    out << QStringLiteral("รายการที่เคยบันทึกไว้แล้ว %1 รายการ (ไม่บันทึกซ้ำ แจ้งเว็บไซต์อีกครั้ง)").arg(alreadyStored.size());
  if (!skipped.isEmpty()) {
    out << QStringLiteral("รายการที่ไม่ได้บันทึก %1 รายการ (ยังค้างอยู่ที่เว็บไซต์) :").arg(skipped.size());
    for (int i = 0; i < skipped.size() && i < kListed; ++i) {
      const SkippedLine& s = skipped[i];
      out << QStringLiteral("OrderNo : %1 Barcode : %2 : %3").arg(s.orderNo, s.barcode, s.reason);
    }
    if (skipped.size() > kListed) out << QStringLiteral("... และอีก %1 รายการ").arg(skipped.size() - kListed);
  }
  return out.join(QStringLiteral("\r\n"));
}

// ---- Storing the lines -------------------------------------------------------------------------

struct OrderImporter::Header {
  qint64 id = 0;
  QVariant soDate, shipDate, warehouse, taxCode, taxRate;
  qint64 lastRecNo = 0;
};

struct OrderImporter::Customer {
  bool found = false;
  QString missing;  // why not found
  QVariant salesmanId, department, customerId, taxCode, dueDays, transport, taxRate, priceIE, warehouse;
};

struct OrderImporter::Unit {
  qint64 id = 0;
  qint64 product = 0;
  qint64 fraction = 0;
};

namespace {

QString key(std::initializer_list<QString> parts) {
  QString k;
  for (const QString& p : parts) {
    k += p.toUpper();
    k += QChar(0x1f);
  }
  return k;
}

// Runs `sqlHead` + a list of literals + ")" + `tail` for the values in chunks.
template <typename F>
void inChunks(db::Connection& conn, const QString& sqlHead, const QStringList& literals, const QString& tail, F&& perRow) {
  static const int kChunk = 500;
  for (int i = 0; i < literals.size(); i += kChunk) {
    const QString sql = sqlHead + literals.mid(i, kChunk).join(QLatin1Char(',')) + QLatin1Char(')') + tail;
    db::Result r = conn.select(sql);
    for (r.first(); !r.eof(); r.next()) perRow(r);
  }
}

}  // namespace

class OrderImporter::Run {
 public:
  Run(OrderImporter& o) : o_(o), conn_(o.conn_), d_(o.conn_.dialect()) {}

  ImportResult go(const QVector<OrderLine>& lines) {
    r_.lines = int(lines.size());
    loadStoredIds(lines);
    loadUnits(lines);
    {
      db::Params p;
      p.setText(QStringLiteral("SoType"), o_.soType);
      db::Result a = conn_.select(sql::QAutoRunDocMonth.pick(d_), p);
      autoRunDocMonth_ = a.isEmpty() ? QStringLiteral("N") : a.asString(QStringLiteral("AutoRunDocMonth"));
    }
    for (const OrderLine& line : lines) {
      if (o_.onLine) o_.onLine(line);
      store(line);
    }
    return r_;
  }

 private:
  void skip(const OrderLine& l, const QString& reason) { r_.skipped.push_back({l.orderNo, l.barcode, l.webId, reason}); }

  void loadStoredIds(const QVector<OrderLine>& lines) {
    QSet<qint64> ids;
    QStringList literals;
    for (const OrderLine& l : lines)
      if (l.webId > 0 && !ids.contains(l.webId)) {
        ids.insert(l.webId);
        literals << QString::number(l.webId);
      }
    inChunks(conn_, sql::QStoredWebIdsHead.pick(d_), literals, QString(),
             [this](db::Result& r) { storedIds_.insert(r.asInt(QStringLiteral("WebOrderId"))); });
  }

  void loadUnits(const QVector<OrderLine>& lines) {
    QSet<QString> seen;
    QStringList literals;
    for (const OrderLine& l : lines) {
      const QString k = l.barcode.toUpper();
      if (l.barcode.isEmpty() || seen.contains(k)) continue;
      seen.insert(k);
      literals << db::quoted(l.barcode);
    }
    inChunks(conn_, sql::QProductUnitsHead.pick(d_), literals, QStringLiteral("\nOrder By PU.Id"), [this](db::Result& r) {
      const QString k = r.asString(QStringLiteral("Barcode")).toUpper();
      if (units_.contains(k)) return;  // the first unit of a barcode serves
      units_.insert(k, Unit{r.asInt(QStringLiteral("ProductUnits")), r.asInt(QStringLiteral("Product")),
                            r.asInt(QStringLiteral("Fraction"))});
    });
  }

  QDateTime orderDate(const QString& text) {
    auto it = dates_.constFind(text);
    if (it != dates_.constEnd()) return *it;
    db::Params p;
    p.setText(QStringLiteral("StOrderDate"), text);
    db::Result r = conn_.select(sql::QOrderDate.pick(d_), p);
    const QDateTime d = r.isEmpty() ? QDateTime() : db::toDateTime(r.value(QStringLiteral("OrderDate")));
    if (!d.isValid()) throw db::Error(QStringLiteral("Conversion failed when converting date and/or time from character string."));
    dates_.insert(text, d);
    return d;
  }

  // The header of today's import of this web order, from the database.
  bool findHeader(const OrderLine& l, Header* h) {
    db::Params p;
    p.setText(QStringLiteral("SalesmanCode"), l.salesmanCode);
    p.setText(QStringLiteral("CustomerCode"), l.customerCode);
    p.setText(QStringLiteral("OrderNo"), l.orderNo);
    db::Result r = conn_.select(sql::QChkSoHd.pick(d_), p);
    if (r.isEmpty()) return false;
    h->id = r.asInt(QStringLiteral("Id"));
    h->soDate = r.value(QStringLiteral("SoDate"));
    h->shipDate = r.value(QStringLiteral("ShipDate"));
    h->warehouse = r.value(QStringLiteral("Warehouse"));
    h->taxCode = r.value(QStringLiteral("TaxCode"));
    h->taxRate = r.value(QStringLiteral("TaxRate"));
    h->lastRecNo = r.asInt(QStringLiteral("SoRecNo"));
    return true;
  }

  const Customer& customer(const OrderLine& l) {
    const QString k = key({l.salesmanCode, l.customerCode});
    auto it = customers_.find(k);
    if (it != customers_.end()) return *it;
    Customer c;
    db::Params p;
    p.setText(QStringLiteral("SalesmanCode"), l.salesmanCode);
    p.setText(QStringLiteral("CustomerCode"), l.customerCode);
    db::Result r = conn_.select(sql::QGet.pick(d_), p);
    if (r.isEmpty()) {
      db::Result s = conn_.select(sql::QSalesmanExists.pick(d_), p);
      c.missing = s.isEmpty() ? QStringLiteral("ไม่พบรหัสพนักงานขาย ") + l.salesmanCode
                              : QStringLiteral("ไม่พบรหัสลูกค้า ") + l.customerCode;
    } else {
      c.found = true;
      c.salesmanId = r.value(QStringLiteral("SalesmanId"));
      c.department = r.value(QStringLiteral("Department"));
      c.customerId = r.value(QStringLiteral("CustomerId"));
      c.taxCode = r.value(QStringLiteral("TaxCode"));
      c.dueDays = r.value(QStringLiteral("DueDays"));
      c.transport = r.value(QStringLiteral("Transport"));
      c.taxRate = r.value(QStringLiteral("TaxRate"));
      c.priceIE = r.value(QStringLiteral("Default_IE"));
      c.warehouse = r.value(QStringLiteral("DefaultWH"));
    }
    return *customers_.insert(k, c);
  }

  // The header of the line's web order, created when today's import has none; null with the
  // reason when it cannot be had.
  Header* header(const OrderLine& l, const QDateTime& soDate, QString* why) {
    const QString k = key({l.salesmanCode, l.customerCode, l.orderNo});
    if (auto known = headerOfKey_.constFind(k); known != headerOfKey_.constEnd()) return &headers_[*known];
    if (auto failed = failedHeaders_.constFind(k); failed != failedHeaders_.constEnd()) {
      *why = *failed;
      return nullptr;
    }
    Header h;
    if (!findHeader(l, &h)) {
      const Customer& c = customer(l);
      if (!c.found) {
        *why = c.missing;
      } else {
        try {
          createHeader(l, soDate, c);
          if (!findHeader(l, &h)) *why = QStringLiteral("สร้างใบสั่งขายไม่ได้");
        } catch (const db::Error& e) {
          *why = QStringLiteral("สร้างใบสั่งขายไม่ได้ : ") + e.message();
        }
      }
      if (!why->isEmpty()) {
        failedHeaders_.insert(k, *why);
        return nullptr;
      }
      ++r_.headersCreated;
    }
    if (!headers_.contains(h.id)) headers_.insert(h.id, h);
    headerOfKey_.insert(k, h.id);
    return &headers_[h.id];
  }

  void createHeader(const OrderLine& l, const QDateTime& soDate, const Customer& c) {
    const QString docCode = SoDocCode(autoRunDocMonth_, o_.soType, soDate.date());
    const QString soNo = o_.numbers_(docCode, soDate.date());
    db::Params p;
    p.setText(QStringLiteral("SoNo"), soNo);
    p.setText(QStringLiteral("SoType"), o_.soType);
    p.set(QStringLiteral("Price_IE"), c.priceIE);
    p.setDateTime(QStringLiteral("SoDate"), soDate);
    p.set(QStringLiteral("Department"), c.department);
    p.setDateTime(QStringLiteral("ShipDate"), soDate.addDays(c.dueDays.toLongLong()));
    p.set(QStringLiteral("Customer"), c.customerId);
    p.set(QStringLiteral("Salesman"), c.salesmanId);
    p.set(QStringLiteral("TaxCode"), c.taxCode);
    p.set(QStringLiteral("TaxRate"), c.taxRate);
    p.set(QStringLiteral("DueDays"), c.dueDays);
    p.set(QStringLiteral("Warehouse"), c.warehouse);
    p.set(QStringLiteral("Transportation"), c.transport);
    p.setText(QStringLiteral("Reference"), l.orderNo);
    conn_.execute(sql::SQLInsertSoHd.pick(d_), p);
  }

  void store(const OrderLine& l) {
    // The server converts the date of every line: a date it cannot read stops the import.
    const QDateTime soDate = orderDate(l.orderDate);
    if (l.webId <= 0) return skip(l, QStringLiteral("ไม่มี id ของรายการ"));
    if (storedIds_.contains(l.webId)) {
      r_.alreadyStored << l.webId;
      return;
    }
    auto unit = units_.constFind(l.barcode.toUpper());
    if (l.barcode.isEmpty() || unit == units_.constEnd()) return skip(l, QStringLiteral("ไม่พบ Barcode สินค้า"));
    QString why;
    Header* h = header(l, soDate, &why);
    if (!h) return skip(l, why);

    db::Params p;
    p.setInt(QStringLiteral("SoHd"), h->id);
    p.setInt(QStringLiteral("SoRecNo"), h->lastRecNo + 1);
    p.set(QStringLiteral("SoDate"), h->soDate);
    p.set(QStringLiteral("ShipDate"), h->shipDate);
    p.set(QStringLiteral("Warehouse"), h->warehouse);
    p.set(QStringLiteral("TaxCode"), h->taxCode);
    p.set(QStringLiteral("TaxRate"), h->taxRate);
    p.setInt(QStringLiteral("Product"), unit->product);
    p.setInt(QStringLiteral("ProductUnits"), unit->id);
    p.setInt(QStringLiteral("Fraction"), unit->fraction);
    p.setInt(QStringLiteral("Quantity"), l.quantity);
    p.setInt(QStringLiteral("BackOrder"), unit->fraction * l.quantity);
    p.setInt(QStringLiteral("WebOrderId"), l.webId);
    int changed = 0;
    try {
      changed = conn_.execute(sql::SQLInsertSoDt.pick(d_), p);
    } catch (const db::Error& e) {
      return skip(l, QStringLiteral("บันทึกรายการไม่ได้ : ") + e.message());
    }
    storedIds_.insert(l.webId);
    if (changed == 0) {
      // Stored meanwhile by another import.
      r_.alreadyStored << l.webId;
      return;
    }
    ++h->lastRecNo;
    r_.stored << l.webId;
  }

  OrderImporter& o_;
  db::Connection& conn_;
  db::Dialect d_;
  ImportResult r_;
  QString autoRunDocMonth_;
  QSet<qint64> storedIds_;
  QHash<QString, Unit> units_;
  QHash<QString, QDateTime> dates_;
  QHash<QString, Customer> customers_;
  QHash<qint64, Header> headers_;
  QHash<QString, qint64> headerOfKey_;
  QHash<QString, QString> failedHeaders_;
};

OrderImporter::OrderImporter(db::Connection& conn, NumberSource numbers) : conn_(conn), numbers_(std::move(numbers)) {}

QString OrderImporter::SoDocCode(const QString& autoRunDocMonth, const QString& soType, const QDate& orderDate) {
  if (autoRunDocMonth.trimmed() == QLatin1String("Y"))
    return QStringLiteral("SO%1-").arg(orderDate.month(), 2, 10, QLatin1Char('0')) + soType;
  return QStringLiteral("SO-") + soType;
}

ImportResult OrderImporter::Import(const QVector<OrderLine>& lines) {
  conn_.startTransaction();
  try {
    Run run(*this);
    ImportResult r = run.go(lines);
    conn_.commit();
    return r;
  } catch (...) {
    conn_.rollback();
    throw;
  }
}

// ---- Consolidation by zone ---------------------------------------------------------------------

QString ConsolidateZone(db::Connection& conn, const QString& zoneCode, const std::function<QString()>& drawNumber,
                        int* ordersStamped) {
  if (ordersStamped) *ordersStamped = 0;
  const db::Dialect d = conn.dialect();
  conn.startTransaction();
  try {
    db::Params p;
    p.setText(QStringLiteral("Zone"), zoneCode);
    db::Result orders = conn.select(sql::QSoConso.pick(d), p);
    QString consoNo;
    if (!orders.isEmpty()) {
      consoNo = drawNumber();
      db::Params u;
      u.setText(QStringLiteral("ConsoNo"), consoNo);
      int stamped = 0;
      for (orders.first(); !orders.eof(); orders.next()) {
        u.setInt(QStringLiteral("Id"), orders.asInt(QStringLiteral("Id")));
        stamped += conn.execute(sql::SQLUpdateConso.pick(d), u);
      }
      if (ordersStamped) *ordersStamped = stamped;
    }
    conn.commit();
    return consoNo;
  } catch (...) {
    conn.rollback();
    throw;
  }
}

}  // namespace weborder
