// The voucher kind of a print code, rule by rule in the order the rules are tried.
#include <gtest/gtest.h>

#include "qstring_print.h"
#include "voucher_kind.h"

namespace {

TEST(VoucherKind, MapsPrintCodesInRuleOrder) {
  const struct {
    const char* code;
    const char* kind;
  } cases[] = {
      // receipts and payments by name, tried before the purchase prefixes
      {"ARRCPT", "A-RCPT"}, {"PRERCPT", "A-RCPT"}, {"MISCRCPT", "A-RCPT"}, {"RCPTVEN", "A-RCPT"},
      {"APPAID", "A-PAID"}, {"PREPAID", "A-PAID"}, {"MISCPAID", "A-PAID"},
      // purchases
      {"MR", "A-PURC"}, {"MR-01", "A-PURC"}, {"PC1", "A-PURC"}, {"PRX", "A-PURC"}, {"VCN", "A-PURC"},
      {"VDN2", "A-PURC"}, {"ACLUPAID", "A-PURC"},
      // sales
      {"IV-A", "A-SALE"}, {"IV", "A-SALE"}, {"SR-B", "A-SALE"}, {"POS1", "A-SALE"}, {"CCN", "A-SALE"},
      {"CDN-X", "A-SALE"}, {"ACLURCPT", "A-SALE"},
      // bank
      {"BANKCASH", "A-BANK"}, {"BANKTR", "A-BANK"}, {"BANKTRANSFER-99", "A-BANK"}, {"RCCHQDP", "A-BANK"},
      {"RCCHQCL", "A-BANK"}, {"RCCHQRD", "A-BANK"}, {"PDCHQDP", "A-BANK"}, {"PDCHQRD", "A-BANK"},
      // the documents of this program other than the invoice pass unchanged
      {"STOCKTRFCONV2", "STOCKTRFCONV2"}, {"CONSOLIDAT", "CONSOLIDAT"}, {"CONSOTOIV", "CONSOTOIV"},
      {"MONEYBILL", "MONEYBILL"},
      // exact, case-sensitive comparisons
      {"iv-a", "iv-a"}, {"arrcpt", "arrcpt"}, {" IV-A", " IV-A"}, {"BANKCAS", "BANKCAS"}, {"RCCHQDP2", "RCCHQDP2"},
      {"M", "M"}, {"", ""},
      // a voucher kind maps to itself
      {"A-RCPT", "A-RCPT"}, {"A-PAID", "A-PAID"}, {"A-PURC", "A-PURC"}, {"A-SALE", "A-SALE"}, {"A-BANK", "A-BANK"},
  };
  for (const auto& c : cases) EXPECT_EQ(printing::VoucherKind(c.code), QString(c.kind)) << c.code;
}

}  // namespace
