#include "order_file.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <string>
#include <vector>

#include "embedded/document_numbers.h"
#include "web_order_import_sql.h"
#include "xml/xml_scanner.h"

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
  // What the document holds besides order lines: a page that is not an order file (a web server's
  // error page) has elements, but no `order`.
  bool anyOrder = false;
  QString root, otherElement, firstText;
  while (scanner.next()) {
    const xml::PartKind kind = scanner.partKind();
    const QString& name = scanner.currentName();
    if (kind == xml::PartKind::StartTag || kind == xml::PartKind::EmptyTag) {
      if (name == QLatin1String("order")) anyOrder = true;
      else if (root.isEmpty()) root = name;
      else if (otherElement.isEmpty()) otherElement = name;
    }
    if (kind == xml::PartKind::Content) {
      if (firstText.isEmpty()) firstText = scanner.currentContent().simplified().left(80);
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
  // An order file without orders is its root element alone: nothing to import. Anything else
  // without an `order` element is not an order file, and storing it as "0 lines" would consolidate
  // the zone without the orders the site failed to send.
  if (!anyOrder && !otherElement.isEmpty())
    throw ImportError(QStringLiteral("ไฟล์ที่ได้รับไม่ใช่ไฟล์ Order (ไม่มีรายการ <order> แต่มี <%1> <%2>%3 เช่น หน้าเว็บแจ้งข้อผิดพลาดของเว็บไซต์) "
                                     "จึงไม่ได้บันทึกรายการและไม่ได้ออกเลขที่ Conso ของเขตนี้")
                          .arg(root, otherElement, firstText.isEmpty() ? QString() : QStringLiteral(" : ") + firstText));
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

QVector<SkippedGroup> ImportResult::skippedByReason(int examples) const {
  QVector<SkippedGroup> groups;
  QHash<QString, int> at;
  for (const SkippedLine& l : skipped) {
    auto it = at.constFind(l.reason);
    if (it == at.constEnd()) {
      it = at.insert(l.reason, int(groups.size()));
      groups.push_back({l.reason, 0, {}});
    }
    SkippedGroup& g = groups[*it];
    ++g.count;
    if (g.examples.size() < examples) g.examples.push_back(l);
  }
  return groups;
}

QString ImportResult::reportText() const {
  if (skipped.isEmpty() && alreadyStored.isEmpty() && joinedConsolidated.isEmpty()) return QString();
  return reportLines(10, 3).join(QStringLiteral("\r\n"));
}

QStringList ImportResult::reportLines(int reasons, int examples) const {
  QStringList out;
  out << QStringLiteral("บันทึกรายการ Order แล้ว %1 รายการ").arg(stored.size());
  if (!alreadyStored.isEmpty())
    out << QStringLiteral("รายการที่เคยบันทึกไว้แล้ว %1 รายการ (ไม่บันทึกซ้ำ แจ้งเว็บไซต์อีกครั้ง)").arg(alreadyStored.size());
  if (!joinedConsolidated.isEmpty()) {
    int lines = 0;
    for (const JoinedConsolidation& j : joinedConsolidated) lines += j.lines;
    out << QStringLiteral("รายการใหม่ %1 รายการ เพิ่มเข้าในใบสั่งขายที่ออกเลขที่ Conso ไปแล้ว "
                          "(ใบจัดสินค้าที่พิมพ์ไว้ยังไม่มีรายการเหล่านี้) :")
               .arg(lines);
    for (const JoinedConsolidation& j : joinedConsolidated) {
      QStringList orders = j.orderNos.mid(0, 10);
      if (j.orderNos.size() > orders.size()) orders << QStringLiteral("และอีก %1 Order").arg(j.orderNos.size() - orders.size());
      out << QStringLiteral("เลขที่ Conso %1 : %2 รายการ OrderNo : %3 กรุณาพิมพ์ใบจัดสินค้าของเลขที่ Conso นี้อีกครั้ง")
                 .arg(j.consoNo)
                 .arg(j.lines)
                 .arg(orders.join(QStringLiteral(", ")));
    }
  }
  if (!skipped.isEmpty()) {
    out << QStringLiteral("รายการที่ไม่ได้บันทึก %1 รายการ (ยังค้างอยู่ที่เว็บไซต์) :").arg(skipped.size());
    const QVector<SkippedGroup> groups = skippedByReason(examples);
    int listedLines = 0;
    for (int i = 0; i < groups.size() && i < reasons; ++i) {
      const SkippedGroup& g = groups[i];
      listedLines += g.count;
      out << QStringLiteral("%1 : %2 รายการ").arg(g.reason).arg(g.count);
      for (const SkippedLine& l : g.examples) out << QStringLiteral("  OrderNo : %1 Barcode : %2").arg(l.orderNo, l.barcode);
      if (g.count > g.examples.size()) out << QStringLiteral("  ... และอีก %1 รายการ").arg(g.count - g.examples.size());
    }
    if (groups.size() > reasons)
      out << QStringLiteral("... และสาเหตุอื่นอีก %1 สาเหตุ รวม %2 รายการ").arg(groups.size() - reasons).arg(skipped.size() - listedLines);
    if (!skippedFile.isEmpty()) out << QStringLiteral("รายการที่ไม่ได้บันทึกทั้งหมดอยู่ในไฟล์ ") + skippedFile;
    if (!skippedFileError.isEmpty()) out << QStringLiteral("เขียนรายการที่ไม่ได้บันทึกลงไฟล์ไม่ได้ : ") + skippedFileError;
  }
  return out;
}

QString SkippedListPath(const QString& orderFile) { return orderFile + QStringLiteral(".skipped.txt"); }

void WriteSkippedList(ImportResult& result, const QString& orderFile) {
  const QString path = SkippedListPath(orderFile);
  result.skippedFile.clear();
  result.skippedFileError.clear();
  if (result.skipped.isEmpty()) {
    QFile::remove(path);
    return;
  }
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (file.open(QIODevice::WriteOnly)) {
    QByteArray bytes = "id\torderno\tbarcode\treason\n";
    const auto field = [](const QString& text) { return text.simplified().toUtf8(); };  // no tab or line break inside
    for (const SkippedLine& l : result.skipped) {
      bytes += QByteArray::number(l.webId) + '\t' + field(l.orderNo) + '\t' + field(l.barcode) + '\t' + field(l.reason) + '\n';
      if (bytes.size() >= (1 << 20)) {
        if (file.write(bytes) != bytes.size()) break;
        bytes.clear();
      }
    }
    if ((bytes.isEmpty() || file.write(bytes) == bytes.size()) && file.commit()) {
      result.skippedFile = QDir::toNativeSeparators(path);
      return;
    }
  }
  result.skippedFileError = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
  file.cancelWriting();
  // An older list would name lines of another import.
  QFile::remove(path);
}

// ---- Storing the lines -------------------------------------------------------------------------

// A line takes its dates, warehouse and tax from its header as the insert copies them.
struct OrderImporter::Header {
  qint64 id = 0;
  qint64 lastRecNo = 0;
  // Of a header imported earlier today: its consolidation number (empty when it has none yet), its
  // number and its web order number.
  QString consoNo, soNo, orderNo;
};

struct OrderImporter::Customer {
  QVariant customerId, taxCode, dueDays, transport, taxRate;
};

// A line checked and numbered, waiting to be inserted with the lines after it.
struct PendingLine {
  const OrderLine* line;
  qint64 soHd, recNo, product, unit, fraction;
};

struct OrderImporter::Unit {
  qint64 id = 0;
  qint64 product = 0;
  qint64 fraction = 0;
};

namespace {

struct Salesman {
  QVariant id, department;
};

// Codes compare as the database compares them: without regard to case.
QString key(const QString& a) { return a.toUpper(); }
QString key(const QString& a, const QString& b, const QString& c) {
  return a.toUpper() + QChar(0x1f) + b.toUpper() + QChar(0x1f) + c.toUpper();
}

// The distinct texts of one field of the lines.
template <typename F>
QVector<QVariant> textsOf(const QVector<OrderLine>& lines, F&& field) {
  QSet<QString> seen;
  QVector<QVariant> texts;
  for (const OrderLine& l : lines) {
    const QString& v = field(l);
    if (v.isEmpty()) continue;
    const QString k = key(v);
    if (seen.contains(k)) continue;
    seen.insert(k);
    texts << QVariant(v);
  }
  return texts;
}

// Runs `sqlHead` + a bound list of the values + ")" + `tail` for the values in chunks, the rows of
// each read handed to `perResult`. The lists take a few fixed lengths, the last one filled up with its last value (a
// value twice in an In list finds the same rows): the server parses a handful of texts whatever the
// file holds and keeps them prepared from one import to the next. `leading`: the parameters the
// head uses before the list.
template <typename F>
void inChunks(db::Connection& conn, const QString& sqlHead, const QVector<QVariant>& values, db::ParamType type, const QString& tail,
              F&& perResult, const db::Params& leading = {}) {
  static const int kLengths[] = {10, 100, sql::kInListMax};
  const QStringList& names = sql::InListParams();
  for (int i = 0; i < values.size(); i += sql::kInListMax) {
    const int count = std::min(int(values.size()) - i, sql::kInListMax);
    const int length = *std::find_if(std::begin(kLengths), std::end(kLengths), [count](int l) { return l >= count; });
    db::Params params = leading;
    for (int k = 0; k < length; ++k) params.append({names[k], type, values[i + std::min(k, count - 1)]});
    perResult(conn.select(sqlHead + sql::BoundInList(length) + tail, params));
  }
}

}  // namespace

class OrderImporter::Run {
 public:
  explicit Run(OrderImporter& o) : o_(o), conn_(o.conn_), d_(o.conn_.dialect()) {}

  ImportResult go(const QVector<OrderLine>& lines) {
    r_.lines = int(lines.size());
    remark_ = conn_.select(sql::QWebOrderRemark.pick(d_)).asString(QStringLiteral("Remark"));
    {
      db::Params p;
      p.setText(QStringLiteral("SoType"), o_.soType);
      db::Result a = conn_.select(sql::QAutoRunDocMonth.pick(d_), p);
      autoRunDocMonth_ = a.isEmpty() ? QStringLiteral("N") : a.asString(QStringLiteral("AutoRunDocMonth"));
      db::Result c = conn_.select(sql::QGetConfig.pick(d_));
      if (!c.isEmpty()) {
        priceIE_ = c.value(QStringLiteral("Default_IE"));
        warehouse_ = c.value(QStringLiteral("DefaultWH"));
      }
    }
    loadStoredIds(lines);
    loadUnits(lines);
    loadHeaders(lines);
    loadSalesmenAndCustomers(lines);
    if (o_.batch_ && d_ == db::Dialect::Sqlite) makeHeadersAhead(lines);
    for (const OrderLine& line : lines) {
      if (o_.onLine) o_.onLine(line);
      store(line);
    }
    flush();
    // A line that came twice in the file counts as stored before only when its first time was.
    for (const OrderLine* l : repeated_) {
      const auto refused = refused_.constFind(l->webId);
      if (refused == refused_.constEnd()) continue;
      r_.alreadyStored.removeOne(l->webId);
      skip(*l, *refused);
    }
    return r_;
  }

 private:
  void skip(const OrderLine& l, const QString& reason) { r_.skipped.push_back({l.orderNo, l.barcode, l.webId, reason}); }

  // The web ids of the file that are stored already.
  void loadStoredIds(const QVector<OrderLine>& lines) {
    QSet<qint64> ids;
    QVector<QVariant> values;
    for (const OrderLine& l : lines)
      if (l.webId > 0 && !ids.contains(l.webId)) {
        ids.insert(l.webId);
        values << QVariant(l.webId);
      }
    inChunks(conn_, sql::QStoredWebIdsHead.pick(d_), values, db::ParamType::Integer, QString(), [this](const db::Result& r) {
      const int id = r.findColumn(QStringLiteral("WebOrderId"));
      for (const auto& row : r.rows()) storedIds_.insert(row[id].toLongLong());
    });
  }

  // The product units of the file's barcodes; the first unit of a barcode (the lowest Id) serves.
  // The read leaves the order to the server: the lowest Id is kept here, without a sort.
  void loadUnits(const QVector<OrderLine>& lines) {
    inChunks(conn_, sql::QProductUnitsHead.pick(d_), textsOf(lines, [](const OrderLine& l) -> const QString& { return l.barcode; }),
             db::ParamType::Text, QString(), [this](const db::Result& r) {
               const int barcode = r.findColumn(QStringLiteral("Barcode")), unit = r.findColumn(QStringLiteral("ProductUnits")),
                         product = r.findColumn(QStringLiteral("Product")), fraction = r.findColumn(QStringLiteral("Fraction"));
               for (const auto& row : r.rows()) {
                 const Unit u{row[unit].toLongLong(), row[product].toLongLong(), row[fraction].toLongLong()};
                 const QString k = key(row[barcode].toString());
                 const auto known = units_.find(k);
                 if (known == units_.end()) units_.insert(k, u);
                 else if (u.id < known->id) *known = u;
               }
             });
  }

  // The headers imported today for the file's web order numbers, with their highest line numbers;
  // the first header of a web order number, salesman and customer serves.
  void loadHeaders(const QVector<OrderLine>& lines) {
    db::Params p;
    p.setText(QStringLiteral("Remark"), remark_);
    inChunks(
        conn_, sql::QChkSoHdHead.pick(d_), textsOf(lines, [](const OrderLine& l) -> const QString& { return l.orderNo; }),
        db::ParamType::Text, sql::QChkSoHdTail.pick(d_),
        [this](db::Result r) {
          for (r.first(); !r.eof(); r.next()) {
            const QString k = key(r.asString(QStringLiteral("SalesmanCode")).trimmed(), r.asString(QStringLiteral("CustomerCode")).trimmed(),
                                  r.asString(QStringLiteral("Reference")).trimmed());
            if (headerOfKey_.contains(k)) continue;
            Header h;
            h.id = r.asInt(QStringLiteral("Id"));
            h.lastRecNo = r.asInt(QStringLiteral("SoRecNo"));
            h.consoNo = r.asString(QStringLiteral("ConsoNo")).trimmed();
            h.soNo = r.asString(QStringLiteral("SoNo")).trimmed();
            h.orderNo = r.asString(QStringLiteral("Reference")).trimmed();
            if (!headers_.contains(h.id)) headers_.insert(h.id, h);
            headerOfKey_.insert(k, h.id);
          }
        },
        p);
  }

  // The salesmen and customers of the file, for the headers to be created.
  void loadSalesmenAndCustomers(const QVector<OrderLine>& lines) {
    inChunks(conn_, sql::QGetSalesmenHead.pick(d_),
             textsOf(lines, [](const OrderLine& l) -> const QString& { return l.salesmanCode; }), db::ParamType::Text, QString(),
             [this](db::Result r) {
               for (r.first(); !r.eof(); r.next()) {
                 const QString k = key(r.asString(QStringLiteral("Code")).trimmed());
                 if (!salesmen_.contains(k))
                   salesmen_.insert(k, Salesman{r.value(QStringLiteral("SalesmanId")), r.value(QStringLiteral("Department"))});
               }
             });
    inChunks(conn_, sql::QGetCustomersHead.pick(d_),
             textsOf(lines, [](const OrderLine& l) -> const QString& { return l.customerCode; }), db::ParamType::Text, QString(),
             [this](db::Result r) {
               for (r.first(); !r.eof(); r.next()) {
                 const QString k = key(r.asString(QStringLiteral("Code")).trimmed());
                 if (customers_.contains(k)) continue;
                 customers_.insert(k, Customer{r.value(QStringLiteral("CustomerId")), r.value(QStringLiteral("TaxCode")),
                                               r.value(QStringLiteral("DueDays")), r.value(QStringLiteral("Transport")),
                                               r.value(QStringLiteral("TaxRate"))});
               }
             });
  }

  QDateTime orderDate(const QString& text) {
    if (text == lastDateText_ && lastDate_.isValid()) return lastDate_;
    auto it = dates_.constFind(text);
    if (it == dates_.constEnd()) {
      db::Params p;
      p.setText(QStringLiteral("StOrderDate"), text);
      db::Result r = conn_.select(sql::QOrderDate.pick(d_), p);
      const QDateTime d = r.isEmpty() ? QDateTime() : db::toDateTime(r.value(QStringLiteral("OrderDate")));
      if (!d.isValid()) throw db::Error(QStringLiteral("Conversion failed when converting date and/or time from character string."));
      it = dates_.insert(text, d);
    }
    lastDateText_ = text;
    lastDate_ = *it;
    return lastDate_;
  }

  // The header of the line's web order, created when today's imports have none; null with the
  // reason when it cannot be had.
  Header* header(const OrderLine& l, const QDateTime& soDate, QString* why) {
    // The lines of one web order follow each other in the file.
    if (lastHeader_ && l.orderNo == lastOrderNo_ && l.customerCode == lastCustomer_ && l.salesmanCode == lastSalesman_)
      return &headers_[lastHeader_];
    const QString k = key(l.salesmanCode, l.customerCode, l.orderNo);
    qint64 id = headerOfKey_.value(k);
    if (!id) {
      if (auto failed = failedHeaders_.constFind(k); failed != failedHeaders_.constEnd()) {
        *why = *failed;
        return nullptr;
      }
      id = makeHeader(l, soDate, k, why);
      if (!id) return nullptr;
    }
    lastHeader_ = id;
    lastOrderNo_ = l.orderNo;
    lastCustomer_ = l.customerCode;
    lastSalesman_ = l.salesmanCode;
    return &headers_[id];
  }

  // Makes the header of key `k` alone, in its savepoint: its Id, or 0 with the reason (also kept
  // for the key's other lines).
  qint64 makeHeader(const OrderLine& l, const QDateTime& soDate, const QString& k, QString* why) {
    Header h;
    QString failure;
    const bool created = inSavepoint(
        [&] {
          h = createHeader(l, soDate, why);
          if (why->isEmpty() && h.id <= 0) *why = QStringLiteral("สร้างใบสั่งขายไม่ได้");
          return why->isEmpty();
        },
        &failure);
    if (!created && why->isEmpty()) *why = QStringLiteral("สร้างใบสั่งขายไม่ได้ : ") + failure;
    if (!why->isEmpty()) {
      failedHeaders_.insert(k, *why);
      return 0;
    }
    addHeader(k, h.id);
    return h.id;
  }

  void addHeader(const QString& k, qint64 id) {
    ++r_.headersCreated;
    Header h;
    h.id = id;
    headers_.insert(id, h);
    headerOfKey_.insert(k, id);
  }

  // A header the lines will ask for: the first line of its key that reaches it, and its date.
  struct NewHeader {
    const OrderLine* line;
    QDateTime soDate;
    QString key;
    QString docCode;
  };

  // Makes the headers the lines will ask for, in the order they would ask, ahead of the lines:
  // by batches of headers of one document code and year, each batch made as a whole or, when any
  // part of it fails, one header at a time. The lines that follow find their header made (or its
  // failure kept). What cannot be known before the lines are stored (a line refused by the database
  // lets a later line with its web id through) is left to the lines, which make a missing header
  // themselves.
  void makeHeadersAhead(const QVector<OrderLine>& lines) {
    std::vector<NewHeader> wanted;
    QSet<QString> wantedKeys;
    QSet<qint64> taken;  // web ids a line before would store
    const OrderLine* last = nullptr;
    bool lastWanted = false;  // whether `last`'s header is made or to be made
    for (const OrderLine& l : lines) {
      const QDateTime soDate = orderDate(l.orderDate);
      if (l.webId <= 0 || storedIds_.contains(l.webId) || taken.contains(l.webId) || !unitOf(l.barcode)) continue;
      if (!(last && l.orderNo == last->orderNo && l.customerCode == last->customerCode && l.salesmanCode == last->salesmanCode)) {
        last = &l;
        const QString k = key(l.salesmanCode, l.customerCode, l.orderNo);
        lastWanted = headerOfKey_.contains(k) || wantedKeys.contains(k);
        // An unknown salesman or customer fails before a number is drawn: its lines find out alone.
        if (!lastWanted && salesmen_.contains(key(l.salesmanCode)) && customers_.contains(key(l.customerCode))) {
          wanted.push_back({&l, soDate, k, SoDocCode(autoRunDocMonth_, o_.soType, soDate.date())});
          wantedKeys.insert(k);
          lastWanted = true;
        }
      }
      if (lastWanted) taken.insert(l.webId);
    }
    for (size_t from = 0; from < wanted.size();) {
      size_t to = from + 1;
      while (to < wanted.size() && to - from < size_t(kHeadersPerBatch) && wanted[to].docCode == wanted[from].docCode &&
             wanted[to].soDate.date().year() == wanted[from].soDate.date().year())
        ++to;
      // Batches of 64, 32, ... 1 headers: the server keeps a handful of insert texts prepared.
      size_t batch = size_t(kHeadersPerBatch);
      while (batch > to - from) batch /= 2;
      to = from + batch;
      if (!makeHeaders(wanted, from, to))
        for (size_t i = from; i < to; ++i) {
          QString why;
          makeHeader(*wanted[i].line, wanted[i].soDate, wanted[i].key, &why);
        }
      from = to;
    }
  }

  // Headers [from, to) of one document code and year, as a whole inside one savepoint: their
  // numbers drawn at once and checked with one read, then one insert. False (and nothing made,
  // the numbers given back) when any of it fails.
  bool makeHeaders(const std::vector<NewHeader>& wanted, size_t from, size_t to) {
    const int count = int(to - from);
    std::vector<std::pair<QString, qint64>> made;  // number and Id of each header of the batch
    QString failure;
    const bool done = inSavepoint(
        [&] {
          const NewHeader& first = wanted[from];
          const QStringList drawn = o_.batch_(first.docCode, first.soDate.date(), count);
          if (drawn.size() != count) return false;
          QVector<QVariant> numbers;
          QHash<QString, int> batchOf;  // number -> header of the batch
          for (int i = 0; i < count; ++i) {
            const QString no = drawn[i].trimmed();
            if (no.isEmpty() || batchOf.contains(no)) return false;
            batchOf.insert(no, i);
            numbers << QVariant(no);
            made.push_back({no, 0});
          }
          bool stored = false;
          inChunks(conn_, sql::QSoNosStoredHead, numbers, db::ParamType::Text, QString(),
                   [&](const db::Result& r) { stored = stored || !r.isEmpty(); });
          if (stored) return false;
          db::Params p;
          const QStringList& names = headerParamNames(count);
          p.append({names[0], db::ParamType::Text, made[0].first});
          p.append({names[1], db::ParamType::Text, o_.soType});
          p.append({names[2], db::ParamType::Unknown, priceIE_});
          int n = 3;
          for (int i = 0; i < count; ++i) {
            const NewHeader& w = wanted[from + size_t(i)];
            const Salesman& s = salesmen_[key(w.line->salesmanCode)];
            const Customer& c = customers_[key(w.line->customerCode)];
            if (i) p.append({names[n++], db::ParamType::Text, made[size_t(i)].first});
            p.append({names[n++], db::ParamType::Text, db::storedDateTimeText(w.soDate)});
            p.append({names[n++], db::ParamType::Unknown, s.department});
            p.append({names[n++], db::ParamType::Text, db::storedDateTimeText(w.soDate.addDays(c.dueDays.toLongLong()))});
            p.append({names[n++], db::ParamType::Unknown, c.customerId});
            p.append({names[n++], db::ParamType::Unknown, s.id});
            p.append({names[n++], db::ParamType::Unknown, c.taxCode});
            p.append({names[n++], db::ParamType::Unknown, c.taxRate});
            p.append({names[n++], db::ParamType::Unknown, c.dueDays});
            if (!i) p.append({names[n++], db::ParamType::Unknown, warehouse_});
            p.append({names[n++], db::ParamType::Unknown, c.transport});
            p.append({names[n++], db::ParamType::Text, w.line->orderNo});
            if (!i) p.append({names[n++], db::ParamType::Text, remark_});
          }
          const db::Result r = conn_.select(headerInsertText(count), p);
          // Every header made once, and only those.
          if (r.rowCount() != count) return false;
          const int idColumn = r.findColumn(QStringLiteral("Id")), noColumn = r.findColumn(QStringLiteral("SoNo"));
          for (const auto& row : r.rows()) {
            const auto at = batchOf.constFind(row[noColumn].toString().trimmed());
            const qint64 id = row[idColumn].toLongLong();
            if (at == batchOf.constEnd() || made[size_t(*at)].second != 0 || id <= 0) return false;
            made[size_t(*at)].second = id;
          }
          return true;
        },
        &failure);
    if (!done) return false;
    for (int i = 0; i < count; ++i) addHeader(wanted[from + size_t(i)].key, made[size_t(i)].second);
    return true;
  }

  const QString& headerInsertText(int rows) {
    auto it = headerTexts_.constFind(rows);
    if (it == headerTexts_.constEnd()) it = headerTexts_.insert(rows, sql::InsertSoHdRows(rows));
    return *it;
  }
  const QStringList& headerParamNames(int rows) {
    auto it = headerParams_.constFind(rows);
    if (it == headerParams_.constEnd()) it = headerParams_.insert(rows, sql::InsertSoHdRowParams(rows));
    return *it;
  }

  // A new header; `why` says what is missing when the salesman or the customer is unknown.
  Header createHeader(const OrderLine& l, const QDateTime& soDate, QString* why) {
    const auto s = salesmen_.constFind(key(l.salesmanCode));
    if (s == salesmen_.constEnd()) {
      *why = QStringLiteral("ไม่พบรหัสพนักงานขาย ") + l.salesmanCode;
      return {};
    }
    const auto c = customers_.constFind(key(l.customerCode));
    if (c == customers_.constEnd()) {
      *why = QStringLiteral("ไม่พบรหัสลูกค้า ") + l.customerCode;
      return {};
    }
    const QString docCode = SoDocCode(autoRunDocMonth_, o_.soType, soDate.date());
    const QString soNo = o_.numbers_(docCode, soDate.date()).trimmed();
    // A new header never shares its number with a stored one.
    if (soNo.isEmpty()) {
      *why = QStringLiteral("ไม่ได้รับเลขที่ใบสั่งขายจากชุดเลขที่ ") + docCode;
      return {};
    }
    {
      db::Params n;
      n.setText(QStringLiteral("SoNo"), soNo);
      if (conn_.select(sql::QSoNoStored.pick(d_), n).asInt(QStringLiteral("Stored")) > 0) {
        *why = QStringLiteral("เลขที่ใบสั่งขาย %1 มีอยู่แล้ว (ชุดเลขที่ %2)").arg(soNo, docCode);
        return {};
      }
    }
    db::Params p;
    p.setText(QStringLiteral("SoNo"), soNo);
    p.setText(QStringLiteral("SoType"), o_.soType);
    p.set(QStringLiteral("Price_IE"), priceIE_);
    p.setDateTime(QStringLiteral("SoDate"), soDate);
    p.set(QStringLiteral("Department"), s->department);
    p.setDateTime(QStringLiteral("ShipDate"), soDate.addDays(c->dueDays.toLongLong()));
    p.set(QStringLiteral("Customer"), c->customerId);
    p.set(QStringLiteral("Salesman"), s->id);
    p.set(QStringLiteral("TaxCode"), c->taxCode);
    p.set(QStringLiteral("TaxRate"), c->taxRate);
    p.set(QStringLiteral("DueDays"), c->dueDays);
    p.set(QStringLiteral("Warehouse"), warehouse_);
    p.set(QStringLiteral("Transportation"), c->transport);
    p.setText(QStringLiteral("Reference"), l.orderNo);
    p.setText(QStringLiteral("Remark"), remark_);
    const db::Result r = conn_.select(sql::SQLInsertSoHd.pick(d_), p);
    Header h;
    h.id = r.isEmpty() ? 0 : r.asInt(QStringLiteral("Id"));
    return h;
  }

  const Unit* unitOf(const QString& barcode) const {
    if (barcode.isEmpty()) return nullptr;
    auto it = units_.constFind(barcode);  // barcodes are digits: their key is themselves
    if (it == units_.constEnd()) it = units_.constFind(key(barcode));
    return it == units_.constEnd() ? nullptr : &*it;
  }

  void store(const OrderLine& l) {
    // The server converts the date of every line: a date it cannot read stops the import.
    const QDateTime soDate = orderDate(l.orderDate);
    if (l.webId <= 0) return skip(l, QStringLiteral("ไม่มี id ของรายการ"));
    if (storedIds_.contains(l.webId)) {
      r_.alreadyStored << l.webId;
      repeated_.push_back(&l);
      return;
    }
    const Unit* unit = unitOf(l.barcode);
    if (!unit) return skip(l, QStringLiteral("ไม่พบ Barcode สินค้า"));
    QString why;
    Header* h = header(l, soDate, &why);
    if (!h) return skip(l, why);

    ++h->lastRecNo;
    storedIds_.insert(l.webId);
    pending_.push_back({&l, h->id, h->lastRecNo, unit->product, unit->id, unit->fraction});
    if (pending_.size() >= kRowsPerInsert) flush();
  }

  // Runs one step of the import (`work` returns whether it did what it should) inside a savepoint.
  // A step that fails or reports false is undone alone and false returned (a failure's text in
  // `failure`). A failure after which the transaction is no longer open aborts the whole import:
  // the statements after it would run outside the transaction and what it stored so far is gone.
  template <typename Work>
  bool inSavepoint(Work&& work, QString* failure) {
    conn_.execute(sql::SQLSaveLine.pick(d_));
    bool done = false;
    try {
      done = work();
    } catch (const db::Error& e) {
      *failure = e.message();
      requireTransaction(e.message());
    }
    if (!done) {
      requireTransaction(*failure);
      conn_.execute(sql::SQLRollbackLine.pick(d_));
    }
    release();
    return done;
  }

  void release() {
    const QString& text = sql::SQLReleaseLine.pick(d_);
    if (!text.isEmpty()) conn_.execute(text);
  }

  // Raises the failure that ends the import when the transaction is no longer open.
  void requireTransaction(const QString& failure) {
    const db::Result r = conn_.select(sql::QTransactionState.pick(d_));
    if (r.asInt(QStringLiteral("XactState")) == 1 && r.asInt(QStringLiteral("TranCount")) > 0) return;
    throw db::Error(QStringLiteral("The database ended the import's transaction (%1): nothing of this import is stored and no "
                                   "line is acknowledged")
                        .arg(failure.isEmpty() ? QStringLiteral("no message") : failure));
  }

  // Inserts the waiting lines with a few statements of bound values (as many rows as the largest
  // text that fits, kRowsPerStatement at most), inside one savepoint. When the database refuses one
  // of them, the lines are inserted one by one: a refused line is skipped and the lines after it in
  // its header take the numbers on.
  void flush() {
    if (pending_.empty()) return;
    // The database may refuse a line, or report fewer lines than sent (a trigger that skips one):
    // the statements are undone and the lines go in one by one.
    QString failure;
    const bool inserted = inSavepoint(
        [&] {
          for (size_t from = 0; from < pending_.size();) {
            int rows = kRowsPerStatement;
            while (size_t(rows) > pending_.size() - from) rows /= 2;
            for (int r = 0; r < rows; ++r) {
              const PendingLine& p = pending_[from + size_t(r)];
              const qint64 values[sql::kSoDtRowValues] = {p.soHd,     p.recNo,          p.product, p.unit, p.fraction, p.line->quantity,
                                                          p.fraction * p.line->quantity, p.line->webId};
              for (int v = 0; v < sql::kSoDtRowValues; ++v) rowParams_.at(r * sql::kSoDtRowValues + v).value = values[v];
            }
            if (conn_.execute(insertText(rows), rowParams_) != rows) return false;
            from += size_t(rows);
          }
          return true;
        },
        &failure);
    if (inserted) {
      for (const PendingLine& p : pending_) noteStored(p);
    } else {
      insertOneByOne();
    }
    pending_.clear();
  }

  // The many-line insert of `rows` rows (a power of two), made at its first use.
  const QString& insertText(int rows) {
    auto it = insertTexts_.constFind(rows);
    if (it == insertTexts_.constEnd()) it = insertTexts_.insert(rows, sql::InsertSoDtRows(rows, d_));
    return *it;
  }

  void insertOneByOne() {
    // The numbers start again after the last line each header had before these.
    for (const PendingLine& p : pending_) {
      Header& h = headers_[p.soHd];
      h.lastRecNo = std::min(h.lastRecNo, p.recNo - 1);
    }
    for (const PendingLine& p : pending_) {
      Header& h = headers_[p.soHd];
      db::Params& q = lineParams_;
      q.setInt(QStringLiteral("SoHd"), p.soHd);
      q.setInt(QStringLiteral("SoRecNo"), h.lastRecNo + 1);
      q.setInt(QStringLiteral("Product"), p.product);
      q.setInt(QStringLiteral("ProductUnits"), p.unit);
      q.setInt(QStringLiteral("Fraction"), p.fraction);
      q.setInt(QStringLiteral("Quantity"), p.line->quantity);
      q.setInt(QStringLiteral("BackOrder"), p.fraction * p.line->quantity);
      q.setInt(QStringLiteral("WebOrderId"), p.line->webId);
      QString failure;
      const bool inserted = inSavepoint(
          [&] {
            const int changed = conn_.execute(sql::SQLInsertSoDt.pick(d_), q);
            if (changed != 1) failure = QStringLiteral("ฐานข้อมูลรายงานว่าบันทึก %1 รายการ").arg(changed);
            return changed == 1;
          },
          &failure);
      if (!inserted) {
        const QString why = QStringLiteral("บันทึกรายการไม่ได้ : ") + failure;
        storedIds_.remove(p.line->webId);
        refused_.insert(p.line->webId, why);
        skip(*p.line, why);
        continue;
      }
      ++h.lastRecNo;
      noteStored(p);
    }
  }

  // A line is stored: one joining a sales order that has a consolidation number is told of.
  void noteStored(const PendingLine& p) {
    r_.stored << p.line->webId;
    const Header& h = headers_[p.soHd];
    if (h.consoNo.isEmpty()) return;
    auto at = joinedAt_.constFind(h.consoNo);
    if (at == joinedAt_.constEnd()) {
      at = joinedAt_.insert(h.consoNo, int(r_.joinedConsolidated.size()));
      r_.joinedConsolidated.push_back({h.consoNo, 0, {}, {}});
    }
    JoinedConsolidation& j = r_.joinedConsolidated[*at];
    ++j.lines;
    if (!j.soNos.contains(h.soNo)) {
      j.soNos << h.soNo;
      j.orderNos << h.orderNo;
    }
  }

  // Lines waiting for their insert, and the most rows one statement takes: eight values a row keep
  // a statement of 512 parameters, well within SQL Server's limit of 2,100. The text is parsed again
  // whenever the connection's cache of prepared texts has let it go, and SQLite looks each named
  // parameter up among those before it while parsing: a text of 128 rows cost more to parse than
  // its larger statements saved.
  static constexpr size_t kRowsPerInsert = 256;
  static constexpr int kRowsPerStatement = 64;

  OrderImporter& o_;
  db::Connection& conn_;
  db::Dialect d_;
  ImportResult r_;
  QString autoRunDocMonth_;
  QString remark_;  // "Web Order " + the server's date: the remark of today's imported headers
  QVariant priceIE_, warehouse_;
  QSet<qint64> storedIds_;
  QHash<QString, Unit> units_;
  QHash<QString, QDateTime> dates_;
  QString lastDateText_;
  QDateTime lastDate_;
  QHash<QString, Salesman> salesmen_;
  QHash<QString, Customer> customers_;
  QHash<qint64, Header> headers_;
  QHash<QString, qint64> headerOfKey_;
  QHash<QString, QString> failedHeaders_;
  qint64 lastHeader_ = 0;
  QString lastOrderNo_, lastCustomer_, lastSalesman_;
  db::Params lineParams_;
  db::Params rowParams_ = [] {  // the values of the many-line insert, in the order its text uses them
    db::Params p;
    for (int r = 0; r < kRowsPerStatement; ++r)
      for (int v = 0; v < sql::kSoDtRowValues; ++v) p.append({sql::InsertSoDtRowParam(v, r), db::ParamType::Integer, QVariant()});
    return p;
  }();
  QHash<int, QString> insertTexts_;
  QHash<int, QString> headerTexts_;
  QHash<int, QStringList> headerParams_;
  std::vector<PendingLine> pending_;
  std::vector<const OrderLine*> repeated_;  // lines whose web id was met before in the file or stored
  QHash<qint64, QString> refused_;          // web ids whose insert the database refused, and why
  QHash<QString, int> joinedAt_;            // consolidation number -> its entry in r_.joinedConsolidated
};

NumberBatchSource DocumentNumberBatches(db::Connection& conn, NumberSource single) {
  return [&conn, single = std::move(single)](const QString& docCode, const QDate& date, int count) {
    if (conn.dialect() == db::Dialect::Sqlite) return embedded::newDocumentNos(conn, docCode, date.year(), count);
    QStringList numbers;
    for (int i = 0; i < count; ++i) numbers << single(docCode, date);
    return numbers;
  };
}

OrderImporter::OrderImporter(db::Connection& conn, NumberSource numbers, NumberBatchSource batch)
    : conn_(conn), numbers_(std::move(numbers)), batch_(std::move(batch)) {}

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
      consoNo = drawNumber().trimmed();
      // The drawn number is a new one or nothing is stamped.
      if (consoNo.isEmpty()) throw db::Error(QStringLiteral("ไม่ได้รับเลขที่ Conso จากชุดเลขที่ CONSOLIDAT จึงไม่ได้ประทับเลขที่ใบสั่งขาย"));
      db::Params n;
      n.setText(QStringLiteral("ConsoNo"), consoNo);
      if (conn.select(sql::QConsoNoStored.pick(d), n).asInt(QStringLiteral("Stored")) > 0)
        throw db::Error(QStringLiteral("เลขที่ Conso %1 มีอยู่แล้ว จึงไม่ได้ประทับเลขที่ใบสั่งขาย (กรุณาตรวจสอบการตั้งเลขที่เอกสาร CONSOLIDAT)")
                            .arg(consoNo));
      db::Params u;
      u.setText(QStringLiteral("ConsoNo"), consoNo);
      int stamped = 0;
      for (orders.first(); !orders.eof(); orders.next()) {
        u.setInt(QStringLiteral("Id"), orders.asInt(QStringLiteral("Id")));
        stamped += conn.execute(sql::SQLUpdateConso.pick(d), u);
      }
      if (ordersStamped) *ordersStamped = stamped;
      // Another workstation stamped them all between the read and the updates: the number drawn
      // would name no sales order, so it is given back with the rest.
      if (stamped == 0) {
        conn.rollback();
        return QString();
      }
    }
    conn.commit();
    return consoNo;
  } catch (...) {
    conn.rollback();
    throw;
  }
}

}  // namespace weborder
