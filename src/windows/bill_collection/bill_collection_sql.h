// The statements of the zone bill-collection window (bill_collection_sql.cpp). Every one runs unchanged on
// the production server and on the embedded server. Parameters:
//   QGetZoneCus       -
//   QGetGrid          Zone (zone Id)
//   QselectGrid       DocNo
//   QAddMoneyBill     Docno, DocDate, CustomerZone, Responsible, Remark, BillDocId
//   QDelMoneyBillRow  Docno, BillDocId
//   QDelMoneyBill     Delflag, Docno
//
// The open invoices of a zone are the invoices of the zone's customers that are neither deleted nor
// cleared; an invoice's outstanding amount is its Total less what was received (RcptAmount, none
// when empty).
#pragma once

#include "db.h"
#include "tsql.h"

namespace consolidation::moneybill {

// The zones (Misc group "ZONE") ordered by code: Id, Code, Description.
const db::SqlText& QGetZoneCus();
// The open invoices of zone :Zone, by invoice date and number: Id, Chk ("N"), IvNo, IvDate, DueDate,
// Total, TotalRcpt.
const db::SqlText& QGetGrid();
// The rows of document :DocNo whose invoice is still open, each ticked ("Y"): the MoneyBill columns
// and the invoice's IvNo, ID, ivDate, DueDate, Total, TotalRcpt.
const db::SqlText& QselectGrid();
// One MoneyBill row for invoice :BillDocId; the amounts are the invoice's at the moment of the
// insert and CreateDate is the server's clock. Inserts nothing when the invoice does not exist.
const db::SqlText& QAddMoneyBill();
// Removes the row of invoice :BillDocId from document :Docno (a saved document being replaced).
const db::SqlText& QDelMoneyBillRow();
// Marks every row of document :Docno with :Delflag.
const db::SqlText& QDelMoneyBill();
// Every stored row of a document (Docno), as stored: read when the document is opened and again
// inside the save's transaction, where on SQL Server it keeps the rows locked until the save ends.
const db::SqlText& QBillAsStored();
// The rows stored under a number (Docno): a new document's drawn number must have none. On SQL
// Server the read holds a key-range lock on the number until the save ends.
const db::SqlText& QBillNoStored();

// Every statement above, for the catalogue of T-SQL texts (`consolidate-db statements --tsql`).
db::StatementGroup& statements();

}  // namespace consolidation::moneybill
