// The server procedure of the zone consolidation that the embedded server provides. Production
// databases carry their own ConsoToIV; this one follows the same contract (docs/consolidation.md).
//
//   ConsoToIV  in DocNo (text); return value Result (integer, 0).
//     Makes the invoices of a saved, undeleted consolidation: one invoice (series "IV-A", dated with
//     the server's current date) per customer of the document's ticked lines that have a quantity to
//     send and no invoice yet. Each such line becomes one invoice line with the quantity sent, in
//     the sales-order line's unit and at its price; the sales-order line's Send grows and its
//     BackOrder shrinks by the quantity in base units (never below 0), a line with nothing left is
//     cleared, and an order whose lines are all cleared is cleared. Every invoiced consolidation line
//     gets IvNo, IvHd and IvDt; the header's Confirm becomes "Y". A second call invoices nothing
//     twice. A number that names no undeleted consolidation is refused with the server's message
//     "ไม่พบใบจัดสินค้าเลขที่ <DocNo>"; a document that has no invoice and would get none (no ticked
//     line with a quantity to send) is refused, nothing written, with "ใบจัดสินค้าเลขที่ <DocNo>
//     ไม่มีรายการที่ออก Invoice ได้ ...": no document is finished without an invoice. Runs inside
//     the caller's transaction, or in its own.
#pragma once

#include <QString>
#include <QStringList>

#include "db.h"

namespace consolidation {

inline const char* kConsoToIV = "ConsoToIV";

// Registers the procedures with the embedded server (idempotent).
void registerConsoProcedures();

// The body of ConsoToIV: returns the numbers of the invoices it made, in the order it made them.
QStringList consoToIV(db::Connection& company, const QString& docNo);

}  // namespace consolidation
