// The statements of the web-order import, written in T-SQL with the embedded server's text beside
// each where it cannot run the T-SQL as it stands.
#pragma once

#include "db.h"

namespace weborder::sql {

// The zones with the server's date as yyyymmdd (FileDate), by Code.
extern const db::SqlText QZone;
// The sales-order header of a web order imported today: :SalesmanCode, :CustomerCode, :OrderNo.
extern const db::SqlText QChkSoHd;
// An order date text converted by the server: :StOrderDate.
extern const db::SqlText QOrderDate;
// Coalesce(AutoRunDocMonth,'N') of the sales-order sub-type :SoType.
extern const db::SqlText QAutoRunDocMonth;
// Salesman, customer, the customer's tax rate and the company defaults: :SalesmanCode, :CustomerCode.
extern const db::SqlText QGet;
// Whether a salesman code exists: :SalesmanCode (tells why QGet found nothing).
extern const db::SqlText QSalesmanExists;
// The header insert.
extern const db::SqlText SQLInsertSoHd;
// The line insert; inserts nothing when a line with the same WebOrderId is stored.
extern const db::SqlText SQLInsertSoDt;
// Head of the batch reads (the caller appends a list of literals and the closing bracket).
extern const db::SqlText QStoredWebIdsHead;      // WebOrderId In (
extern const db::SqlText QProductUnitsHead;      // PU.Barcode In (
// The unconsolidated sales orders of the zone :Zone.
extern const db::SqlText QSoConso;
// Stamps one sales order :Id with :ConsoNo unless it carries a number already.
extern const db::SqlText SQLUpdateConso;

}  // namespace weborder::sql
