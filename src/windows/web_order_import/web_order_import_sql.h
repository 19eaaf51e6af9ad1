// The statements of the web-order import, written in T-SQL with the embedded server's text beside
// each where it cannot run the T-SQL as it stands.
#pragma once

#include "db.h"
#include "tsql.h"

namespace weborder::sql {

// The zones with the server's date as yyyymmdd (FileDate), by Code.
extern const db::SqlText QZone;
// "Web Order " + the server's date as yyyymmdd: the remark of the headers imported today.
extern const db::SqlText QWebOrderRemark;
// Head of the read of today's headers (:Remark) of web order numbers, with their highest line
// number and their consolidation number (the caller appends a list of values and the closing
// bracket).
extern const db::SqlText QChkSoHdHead;
extern const db::SqlText QChkSoHdTail;  // after the list: by header Id
// An order date text converted by the server: :StOrderDate.
extern const db::SqlText QOrderDate;
// Coalesce(AutoRunDocMonth,'N') of the sales-order sub-type :SoType.
extern const db::SqlText QAutoRunDocMonth;
// What a new header takes from the salesman, the customer (with its tax code's rate as a whole
// number) and the company: heads of batch reads by code (the caller appends a list of values and
// the closing bracket), and the company defaults.
extern const db::SqlText QGetSalesmenHead;   // SalesMan.Code In (
extern const db::SqlText QGetCustomersHead;  // Customer.Code In (
extern const db::SqlText QGetConfig;
// The header insert; its one row holds the new header's Id.
extern const db::SqlText SQLInsertSoHd;
// The insert of one line; dates, warehouse and tax are copied from its header.
extern const db::SqlText SQLInsertSoDt;
// The insert of many lines at once: head + "(SoHd, SoRecNo, Product, ProductUnits, Fraction,
// Quantity, BackOrder, WebOrderId)" rows separated by "," + tail.
extern const db::SqlText SQLInsertSoDtRowsHead;
extern const db::SqlText SQLInsertSoDtRowsTail;
// The whole insert of `rows` lines with every value bound: row N (from 1) is "(:SoHdN, :SoRecNoN,
// :ProductN, :ProductUnitsN, :FractionN, :QuantityN, :BackOrderN, :WebOrderIdN)". Its parameters
// in the order the text uses them are InsertSoDtRowParam(0, 0), InsertSoDtRowParam(1, 0), ...
// row by row.
QString InsertSoDtRows(int rows, db::Dialect d);
inline constexpr int kSoDtRowValues = 8;
QString InsertSoDtRowParam(int value, int row);  // value 0..7, row from 0: "SoHd1", ...
// The embedded server's insert of `rows` headers at once (rows >= 1), returning the Id and SoNo of
// each header made (in no particular order). Row N (from 1) binds :SoNoN, :SoDateN, :DepartmentN,
// :ShipDateN, :CustomerN, :SalesmanN, :TaxCodeN, :TaxRateN, :DueDaysN, :TransportationN and
// :ReferenceN; every row shares :SoType, :Price_IE, :Warehouse and :Remark. InsertSoHdRowParams(rows)
// lists the parameters in the order the text first uses them.
QString InsertSoHdRows(int rows);
QStringList InsertSoHdRowParams(int rows);
inline constexpr int kSoHdRowValues = 11;
// The embedded server's head of the read of the stored sales orders numbered in a list (the caller
// appends a list of values and the closing bracket): a batch of drawn numbers must find none.
extern const QString QSoNosStoredHead;
// Head of the batch reads (the caller appends a list of values and the closing bracket).
extern const db::SqlText QStoredWebIdsHead;      // WebOrderId In (
extern const db::SqlText QProductUnitsHead;      // PU.Barcode In (
// The bound list that completes the head of a batch read: ":V1, :V2, ..., :Vn)"; its parameters are
// named InListParams()[0 .. n-1]. At most kInListMax values.
inline constexpr int kInListMax = 500;
QString BoundInList(int values);
const QStringList& InListParams();  // "V1" .. "V500"
// The unconsolidated sales orders of the zone :Zone.
extern const db::SqlText QSoConso;
// Stamps one sales order :Id with :ConsoNo unless it carries a number already.
extern const db::SqlText SQLUpdateConso;
// The order site's settings in the Config row: read, and written (:Host, :HttpPort, :FtpPort,
// :FtpUser, :FtpPassword).
extern const db::SqlText QWebOrderSettings;
extern const db::SqlText SQLWriteWebOrderSettings;

// Each insert of the import runs inside a savepoint of the import's transaction: a refused insert
// is undone alone and the import goes on. SQL Server keeps a savepoint until the transaction ends,
// so SQLReleaseLine has no T-SQL text and is sent to the embedded server only.
extern const db::SqlText SQLSaveLine;
extern const db::SqlText SQLRollbackLine;
extern const db::SqlText SQLReleaseLine;
// Whether the transaction is still open after a failure: XactState 1 and TranCount above 0. Some
// failures end it (a deadlock, a trigger that rolls back, XACT_ABORT ON); the statements after them
// would run outside it.
extern const db::SqlText QTransactionState;
// The sales orders already numbered :SoNo (a new header's drawn number must have none).
extern const db::SqlText QSoNoStored;
// The sales orders already stamped with the consolidation number :ConsoNo: a drawn number must have
// none.
extern const db::SqlText QConsoNoStored;

// Every whole statement above (the heads and tails of the batch reads are completed by the
// catalogue file), for the catalogue of T-SQL texts (`consolidate-db statements --tsql`).
db::StatementGroup& statements();

}  // namespace weborder::sql
