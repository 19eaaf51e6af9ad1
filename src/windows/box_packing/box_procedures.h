// The server procedures of box packing that the embedded server provides. Production databases carry
// their own; these follow the same contract (docs/packing.md). Each takes the box number and runs
// inside the caller's transaction (the box packing window's save), or in one of its own.
//
//   CopyBoxNoToIvHd        in BoxNo (text); return value Result (integer, 0).
//     Makes one sales invoice (series "IV-A") for the box's customer from the box's lines and writes
//     its number to BoxNo.IvNo. Pieces of the same unit and the same price unit become one invoice
//     line; a line is priced with the price unit's price where the piece was scanned with a price
//     barcode, else with the scanned unit's own price. The invoice is dated with the box's send date
//     (the server's date when the box has none), at the customer's tax rate, in the company's default
//     warehouse, with the box number as its reference and the box's Id in IvHd.BoxNoId.
//   CopyBoxNoToTransFerHd  in BoxNo (text); return value Result (integer, 0).
//     Makes one stock transfer (series "STOCKTRFCONV2") of the box's lines from the company's default
//     warehouse to the customer's consignment warehouse (the Warehouse whose Code is the customer's
//     code) and writes its number to BoxNo.TrNo; lines and prices as for the invoice.
//
// Both refuse, with the server's message and without changing anything:
//   "ไม่พบเลขที่กล่อง <BoxNo>"                   no box has the number
//   "กล่องเลขที่ <BoxNo> ถูกยกเลิกแล้ว"            the box is cancelled (Delflag "Y")
//   "กล่องเลขที่ <BoxNo> ยังไม่กำหนดลูกค้า"         the box has no customer
//   "กล่องเลขที่ <BoxNo> ออกเอกสารแล้ว : <No>"     the box already has an invoice or a transfer
//   "กล่องเลขที่ <BoxNo> ไม่มีสินค้า"              the box has no lines
//   "ไม่พบคลัง : <customer code>"                 (transfer) no consignment warehouse for the customer
#pragma once

#include <QString>

#include "db.h"

namespace packing {

inline const char* kCopyBoxNoToIvHd = "CopyBoxNoToIvHd";
inline const char* kCopyBoxNoToTransFerHd = "CopyBoxNoToTransFerHd";

// Registers both procedures with the embedded server (idempotent; cheap to call again).
void registerBoxProcedures();

// The procedures' bodies: return the number of the document they made.
QString copyBoxNoToIvHd(db::Connection& company, const QString& boxNo);
QString copyBoxNoToTransFerHd(db::Connection& company, const QString& boxNo);

// The procedures as the embedded server calls them (parameter BoxNo; return value Result 0). Tests
// that replace a procedure put these back afterwards.
void copyBoxNoToIvHdProc(db::Connection& company, db::Params& params);
void copyBoxNoToTransFerHdProc(db::Connection& company, db::Params& params);

}  // namespace packing
