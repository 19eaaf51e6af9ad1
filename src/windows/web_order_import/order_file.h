// The web-order import without its window: reading an order file, storing its lines as approved
// sales orders in one transaction, and stamping a zone's open sales orders with a consolidation
// number.
//
// Storing a line (OrderImporter::Import), in file order:
//   - a line whose web id (`id`) is stored already, by an earlier import or earlier in this file, is
//     not stored again; it is listed for a new acknowledgement (the site keeps offering a line
//     until an acknowledgement reaches it);
//   - a line that cannot be stored is skipped with its reason (no web id, a barcode that matches
//     no product unit, an unknown salesman or customer, a header or line the database refuses);
//     it is not acknowledged, so the site keeps it pending;
//   - otherwise the line joins the sales-order header of its web order number, salesman and
//     customer imported today (a header is created the first time) with the next line number.
// Each insert (a header, a statement of lines, a single line) runs in a savepoint of the import's
// transaction: a refused insert, or one that reports another count of rows than it was given, is
// undone alone. After any failure the transaction must still be open; a failure that ended it (a
// deadlock, a trigger that rolls back, XACT_ABORT ON on SQL Server) aborts the whole import.
// A new header whose drawn number is empty or already stored is not created (its lines are skipped).
// The embedded server may make the file's new headers ahead of the lines, many at a time (see the
// constructor).
// Any other failure (a date the server cannot convert, a lost connection) rolls the whole import
// back and is raised; nothing is then to be acknowledged.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <stdexcept>

#include "db.h"

namespace xml {
class TXmlScanner;
}

namespace weborder {

// An order file that cannot be read as order lines (a web id or quantity that is not a whole
// number).
class ImportError : public std::runtime_error {
 public:
  explicit ImportError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// One `order` element of an order file, with the values carried over from the elements before it.
struct OrderLine {
  QString salesmanCode;
  QString customerCode;
  QString orderNo;
  QString orderDate;  // as written; the database server converts it
  QString barcode;
  qint64 webId = 0;  // 0: no `id` so far in the file
  qint64 quantity = 0;
};

// The order lines of an order file: the text of the elements salesmancode, customercode, orderno,
// orderdate, id, barcode and quantity, taken at each end tag of `order`; an element missing from
// an `order` keeps the value of the one before. ImportError for an id or quantity that is not a
// decimal whole number; xml::XmlError for a file that is not well-formed XML or cannot be read.
QVector<OrderLine> ReadOrderFile(const QString& path);
QVector<OrderLine> ReadOrderLines(xml::TXmlScanner& scanner);

struct SkippedLine {
  QString orderNo;
  QString barcode;
  qint64 webId = 0;
  QString reason;
};

// The skipped lines of one reason: how many, and the first of them.
struct SkippedGroup {
  QString reason;
  int count = 0;
  QVector<SkippedLine> examples;
};

// Lines stored now into sales orders imported earlier today that carry a consolidation number
// already: the load sheet of that number was printed without them.
struct JoinedConsolidation {
  QString consoNo;
  int lines = 0;
  QStringList orderNos;  // the web order numbers, each once, in file order
  QStringList soNos;     // their sales orders' numbers
};

struct ImportResult {
  int lines = 0;                // order lines read
  QList<qint64> stored;         // web ids of the lines stored now
  QList<qint64> alreadyStored;  // web ids of lines found stored already (not stored again)
  QVector<SkippedLine> skipped; // lines not stored, with their reason
  int headersCreated = 0;
  QVector<JoinedConsolidation> joinedConsolidated;  // by consolidation number, in file order
  QString skippedFile;       // the full list of the skipped lines (WriteSkippedList)
  QString skippedFileError;  // why that list could not be written

  // The web ids to acknowledge: the lines stored now and those stored before, each once, in file
  // order.
  QList<qint64> toAcknowledge() const;
  // The skipped lines by reason, in the order the reasons first came, each with its first
  // `examples` lines.
  QVector<SkippedGroup> skippedByReason(int examples) const;
  // The end-of-import message (CR LF between lines); empty when every line was stored now and
  // none joined a consolidated sales order.
  QString reportText() const;
  // The lines of that message, also when every line was stored now: the skipped lines by reason,
  // at most `reasons` of them with `examples` lines each, and the file that lists them all.
  QStringList reportLines(int reasons, int examples) const;
};

// The list of the skipped lines written beside the order file: "<order file>.skipped.txt".
QString SkippedListPath(const QString& orderFile);
// Writes every skipped line of `result` (web id, order number, barcode, reason; tab-separated
// UTF-8, one line each) whole into SkippedListPath(orderFile) and records the path in
// result.skippedFile, or the failure in result.skippedFileError. With no skipped line an older
// list of that file is removed, so that a list beside an order file is always its last import's.
void WriteSkippedList(ImportResult& result, const QString& orderFile);

// Draws a document number for a code and a date (the data module's NewDocumentNo).
using NumberSource = std::function<QString(const QString& docCode, const QDate& date)>;
// Draws `count` document numbers at once: the numbers `count` draws one after the other would give,
// in that order (the data module's NewDocumentNos).
using NumberBatchSource = std::function<QStringList(const QString& docCode, const QDate& date, int count)>;
// Many numbers at once on the connection: the embedded server counts them on in one step; on SQL
// Server `single` (the NewDocumentNo procedure) is called once a number.
NumberBatchSource DocumentNumberBatches(db::Connection& conn, NumberSource single);

class OrderImporter {
 public:
  // With `batch`, the embedded server's import makes the new headers of the file ahead of the lines,
  // up to kHeadersPerBatch at a time: the numbers of a run of headers with the same document code
  // and year drawn at once, checked with one read and the headers inserted with one statement,
  // inside one savepoint. A batch that fails in any way (a number empty or stored already, a refused
  // insert, another count of rows) is undone and its headers made one by one as without `batch`,
  // before the next batch: the numbers and failures are those of headers made one at a time.
  OrderImporter(db::Connection& conn, NumberSource numbers, NumberBatchSource batch = {});
  static constexpr int kHeadersPerBatch = 64;

  // Called before each line is stored (the window's status line).
  std::function<void(const OrderLine&)> onLine;
  // The sales-order type of the headers.
  QString soType = QStringLiteral("A");

  // Stores the lines in one transaction on the connection. On failure the transaction is rolled
  // back and the failure raised.
  ImportResult Import(const QVector<OrderLine>& lines);

  // The document code of a sales-order number for an order date: "SO" + month (01..12) + "-" + type
  // when autoRunDocMonth (trimmed) is "Y", else "SO-" + type.
  static QString SoDocCode(const QString& autoRunDocMonth, const QString& soType, const QDate& orderDate);

 private:
  struct Header;
  struct Customer;
  struct Unit;
  class Run;

  db::Connection& conn_;
  NumberSource numbers_;
  NumberBatchSource batch_;
};

// Gives every sales order of the zone (by zone code) that has no consolidation number one new
// number and returns it; empty (and no number drawn) when the zone has no such order. The number
// is drawn and the orders stamped in one transaction: a failure stamps none, and when another
// workstation stamped every listed order first the number is given back and the result is empty.
// A drawn number that is empty or already carried by sales orders is refused with an error.
// `drawNumber` draws the number (NewDocumentNo of "CONSOLIDAT" for the server's time).
QString ConsolidateZone(db::Connection& conn, const QString& zoneCode, const std::function<QString()>& drawNumber,
                        int* ordersStamped = nullptr);

}  // namespace weborder
