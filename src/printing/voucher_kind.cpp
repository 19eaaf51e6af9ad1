#include "voucher_kind.h"

#include <initializer_list>

namespace printing {

namespace {

bool equalsAny(const QString& code, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (code == QLatin1String(n)) return true;
  return false;
}

bool startsWithAny(const QString& code, std::initializer_list<const char*> prefixes) {
  for (const char* p : prefixes)
    if (code.startsWith(QLatin1String(p), Qt::CaseSensitive)) return true;
  return false;
}

}  // namespace

QString VoucherKind(const QString& printCode) {
  const QString& c = printCode;
  if (equalsAny(c, {"ARRCPT", "PRERCPT", "MISCRCPT", "RCPTVEN"})) return QStringLiteral("A-RCPT");
  if (equalsAny(c, {"APPAID", "PREPAID", "MISCPAID"})) return QStringLiteral("A-PAID");
  if (startsWithAny(c, {"MR", "PC", "PR", "VCN", "VDN"}) || c == QLatin1String("ACLUPAID")) return QStringLiteral("A-PURC");
  if (startsWithAny(c, {"IV", "SR", "POS", "CCN", "CDN"}) || c == QLatin1String("ACLURCPT")) return QStringLiteral("A-SALE");
  if (startsWithAny(c, {"BANKCASH", "BANKTR"}) || equalsAny(c, {"RCCHQDP", "RCCHQCL", "RCCHQRD", "PDCHQDP", "PDCHQRD"}))
    return QStringLiteral("A-BANK");
  return printCode;
}

}  // namespace printing
