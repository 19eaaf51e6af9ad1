// The statements of the zone consolidation window, each in T-SQL with its SQLite twin beside it
// (zone_consolidation_sql.cpp). Parameters:
//   QZone          -
//   QLoad          SendDate (date, time removed), Zone (zone Id)
//   QConsoHd       DocNo
//   QConsoDt       ConsolidateHd (header Id, 0 for a new document), SendDate, Zone
//   QHeaderId      DocNo
//   SQLAddConsoHd  DocNo, DocDate, SendDate, CustomerZone, Carman, LicensePlate, Porter1..3, Remark
//                  (a new document: inserts nothing when the number is stored already)
//   SQLUpdateConsoHd Id, DocDate, SendDate, CustomerZone, Carman, LicensePlate, Porter1..3, Remark,
//                  Delflag
//   SQLAddConsoDt  Id, ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits,
//                  OrderSoQnty, OH, OrderQnty, SendQnty (the invoice columns are never written back)
//   QHdAsStored    Id
//   QDtAsStored    ConsolidateHd
//   SQLLockZone    Zone
//   QChkOnhand     DocNo
//   QConsoToIv     DocNo
//   QHeldLines     Zone, ConsolidateHd
//
// The due lines of a zone (QLoad, and the second half of QConsoDt) are the sales-order lines of
// approved, undeleted, uncleared orders with something outstanding, of customers of the zone, to be
// shipped on or before the send date, and not held by an open consolidation of the same zone.
// Stock (OH) is the current year's balance of all warehouses in the line's unit, truncated.
#pragma once

#include "db.h"
#include "tsql.h"

namespace consolidation::sql {

const db::SqlText& QZone();
const db::SqlText& QLoad();
const db::SqlText& QConsoHd();
const db::SqlText& QConsoDt();
const db::SqlText& QHeaderId();
const db::SqlText& SQLAddConsoHd();
const db::SqlText& SQLUpdateConsoHd();
// The header and every stored line as stored, to find what another workstation changed.
const db::SqlText& QHdAsStored();
const db::SqlText& QDtAsStored();
// Serialises the saves of one zone's consolidations (an application lock on SQL Server).
const db::SqlText& SQLLockZone();
const db::SqlText& SQLAddConsoDt();
const db::SqlText& QChkOnhand();
const db::SqlText& QConsoToIv();
// The sales-order lines held by the other open consolidations of a zone (the save's check).
const db::SqlText& QHeldLines();

// Every statement above, for the catalogue of T-SQL texts (`consolidate-db statements --tsql`).
db::StatementGroup& statements();

// A text as the lines a query component holds.
QStringList lines(const QString& text);

}  // namespace consolidation::sql
