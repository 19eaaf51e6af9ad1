// Amounts in Thai and English words, as printed on invoices, receipts and vouchers (report
// functions TELL_REAL_THAI, TELL_REAL_THAI2, TELL_REAL_ENG, TELL_REAL_ENG2).
//
// The amount is rounded to `decimals` decimals (halves away from zero); the digits before the
// point are the whole part, the digits after it, read as one number, the point part (with 2
// decimals .05 reads 5 and .50 reads 50). An amount of exactly 0 gives the empty text.
//
// The English words keep the blanks of the word tables: every word ends in a blank and the place
// and closing words carry a blank on both sides, so "ONE  THOUSAND TWO  HUNDRED ..." has two
// blanks where they meet. See docs/amounts-in-words.md for negative and very large amounts.
#pragma once

#include <QString>
#include <QtGlobal>

namespace textutil {

// "หนึ่งพันสองร้อยสามสิบสี่บาทห้าสิบสตางค์", "ยี่สิบเอ็ดบาทถ้วน".
QString TellRealThai(double amount, int decimals);
// "สิบสองจุดห้า"; without a point part only the whole part.
QString TellRealThai2(double amount, int decimals);
// "TWELVE  BAHT  ONLY", "... BAHT  AND FIFTY  SATANG".
QString TellRealEng(double amount, int decimals);
// "TWELVE   POINT FIFTY  "; without a point part "TWELVE   ONLY".
QString TellRealEng2(double amount, int decimals);

// A whole number in words; the empty text for n <= 0.
QString ThaiNumberText(qint64 n);
QString EngNumberText(qint64 n);

}  // namespace textutil
