// The server procedures that the shipped report forms name in SystemForm.SpName, for the embedded
// server. Production databases carry the same procedures in T-SQL (templates/print_procedures.sql).
//
//   CheckDocumentToPrint  in No (text), DocYear (integer), DocCode (text); out NewDocNo (text).
//     Refuses to print a document that does not exist or was cancelled, with the server's message
//     (the print dialog's error reporter shows it and nothing is printed):
//       "ไม่พบเอกสารเลขที่ <No>"              no document of that kind has the number
//       "เอกสารเลขที่ <No> ถูกยกเลิกแล้ว"      every document with the number is cancelled
//       "ใบจัดสินค้าเลขที่ <No> ยังไม่ได้ออกใบส่งของ"  delivery notes of a consolidation without invoices
//     DocCode names the kind: CONSOLIDAT and CONSOTOIV (ConsolidateHd.DocNo), MONEYBILL
//     (MoneyBill.Docno), IV (IvHd.IvNo), TR (TransferHd.TrNo); any other code passes. NewDocNo
//     returns the number. The procedure changes nothing, so a preview may run it as often as it likes.
#pragma once

#include <QString>

#include "db.h"

namespace printing {

inline const char* kCheckDocumentToPrint = "CheckDocumentToPrint";

// Registers the procedures with the embedded server (idempotent; cheap to call again).
void registerPrintProcedures();

// The check itself (the procedure's body): throws db::Error with the texts above.
void checkDocumentToPrint(db::Connection& company, const QString& docNo, const QString& docCode);

}  // namespace printing
