// The accounting-voucher kind of a document's print code, for the voucher template.
#pragma once

#include <QString>

namespace printing {

// Tested in this order, exact and case-sensitive (a prefix compares the first characters):
//   "ARRCPT" "PRERCPT" "MISCRCPT" "RCPTVEN"                          -> "A-RCPT"
//   "APPAID" "PREPAID" "MISCPAID"                                     -> "A-PAID"
//   MR* PC* PR* VCN* VDN*, "ACLUPAID"                                 -> "A-PURC"
//   IV* SR* POS* CCN* CDN*, "ACLURCPT"                                -> "A-SALE"
//   BANKCASH* BANKTR*, "RCCHQDP" "RCCHQCL" "RCCHQRD" "PDCHQDP" "PDCHQRD" -> "A-BANK"
//   anything else                                                     -> the code unchanged
// A voucher kind maps to itself.
QString VoucherKind(const QString& printCode);

}  // namespace printing
