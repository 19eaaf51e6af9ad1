#include "promptpay.h"

#include <cmath>

#include "db.h"

namespace printing {

namespace {

// Application ids of the Thai QR Payment standard.
const char* const kCreditTransferAid = "A000000677010111";  // PromptPay credit transfer (tag 29)
const char* const kBillPaymentAid = "A000000677010112";     // domestic bill payment (tag 30)

// One data object: two-digit id, two-digit length, value. Values are ASCII, so characters and
// bytes count alike.
QString field(const char* id, const QString& value) {
  return QLatin1String(id) + QStringLiteral("%1").arg(value.size(), 2, 10, QLatin1Char('0')) + value;
}

// The digits of an id as typed: blanks, dashes and dots between the digits are dropped; a leading
// "+" is kept so that "+66 81 234 5678" can be told from a tax id.
QString digitsOf(const QString& typed, const QString& what) {
  QString out;
  const QString t = typed.trimmed();
  for (int i = 0; i < t.size(); ++i) {
    const QChar c = t[i];
    if (c.unicode() >= '0' && c.unicode() <= '9') out += c;
    else if (c == QLatin1Char('+') && out.isEmpty() && i == 0) out += c;
    else if (c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('.')) continue;
    else throw report::ExprError(QStringLiteral("The %1 '%2' holds a character that is not a digit").arg(what, typed));
  }
  return out;
}

// The merchant account of a credit transfer: sub-tag 02 for a 13-digit tax (or citizen) id,
// sub-tag 01 for a mobile number in the form 0066 followed by the number without its leading 0.
QString creditTransferAccount(const QString& typed) {
  QString d = digitsOf(typed, QStringLiteral("PromptPay id"));
  // No tax id begins with 0066 (a juristic person's begins with 0 and its registrar's code).
  if (d.size() == 13 && !d.startsWith(QLatin1Char('+')) && !d.startsWith(QLatin1String("0066"))) return field("02", d);
  if (d.startsWith(QLatin1String("+66"))) d = QLatin1Char('0') + d.mid(3);
  else if (d.size() == 13 && d.startsWith(QLatin1String("0066"))) d = QLatin1Char('0') + d.mid(4);
  else if (d.size() == 11 && d.startsWith(QLatin1String("66"))) d = QLatin1Char('0') + d.mid(2);
  if (d.size() == 10 && d.startsWith(QLatin1Char('0')) && d[1] != QLatin1Char('0'))
    return field("01", QStringLiteral("0066") + d.mid(1));
  throw report::ExprError(
      QStringLiteral("The PromptPay id '%1' is neither a 13-digit tax id nor a mobile number (0812345678)").arg(typed));
}

// A bill-payment reference: printable ASCII, in capitals, at most 20 characters.
QString reference(const QString& typed, const char* which) {
  const QString r = typed.trimmed().toUpper();
  if (r.size() > 20)
    throw report::ExprError(QStringLiteral("The PromptPay %1 '%2' is longer than 20 characters").arg(QLatin1String(which), typed));
  for (QChar c : r) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7E)
      throw report::ExprError(
          QStringLiteral("The PromptPay %1 '%2' holds '%3'; a bank takes letters A-Z, digits and signs only").arg(QLatin1String(which), typed, c));
  }
  return r;
}

QString amountText(double amount) {
  if (!std::isfinite(amount)) throw report::ExprError(QStringLiteral("The PromptPay amount is not a number"));
  // Rounded to satang, halves away from zero; the amount is first rounded to 1/10,000 satang so
  // that 1.005 (stored as 1.00499999...) gives 1.01.
  const double satangExact = std::round(amount * 100.0 * 1e4) / 1e4;
  if (satangExact >= 1e12) throw report::ExprError(QStringLiteral("The PromptPay amount %1 is above 9,999,999,999.99").arg(amount, 0, 'f', 2));
  const qint64 satang = std::llround(satangExact);
  if (satang <= 0) return QString();
  return QStringLiteral("%1.%2").arg(satang / 100).arg(satang % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace

quint16 Crc16CcittFalse(const QByteArray& data) {
  quint16 crc = 0xFFFF;
  for (char ch : data) {
    crc ^= static_cast<quint16>(static_cast<quint8>(ch)) << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? static_cast<quint16>((crc << 1) ^ 0x1021) : static_cast<quint16>(crc << 1);
  }
  return crc;
}

PromptPaySettings ReadPromptPaySettings(db::Connection& data) {
  PromptPaySettings s;
  // All columns, so that a database without the two columns reads as "not set".
  const db::Result r = data.select(QStringLiteral("Select * From Config"));
  if (r.isEmpty()) return s;
  if (r.columnIndex(QStringLiteral("PromptPayId")) >= 0) s.promptPayId = r.asString(QStringLiteral("PromptPayId")).trimmed();
  if (r.columnIndex(QStringLiteral("PromptPayBillerId")) >= 0) s.billerId = r.asString(QStringLiteral("PromptPayBillerId")).trimmed();
  return s;
}

QString PromptPayPayload(const PromptPaySettings& settings, double amount, const QString& ref1, const QString& ref2) {
  if (!settings.isSet()) return QString();
  const QString amountField = amountText(amount);
  if (amountField.isEmpty()) return QString();

  QString account;
  if (!settings.billerId.trimmed().isEmpty()) {
    const QString biller = digitsOf(settings.billerId, QStringLiteral("PromptPay biller id"));
    if (biller.size() != 15 || biller.startsWith(QLatin1Char('+')))
      throw report::ExprError(QStringLiteral("The PromptPay biller id '%1' is not 15 digits").arg(settings.billerId));
    const QString r1 = reference(ref1, "reference 1");
    if (r1.isEmpty()) throw report::ExprError(QStringLiteral("A PromptPay bill payment needs reference 1 (the invoice number)"));
    const QString r2 = reference(ref2, "reference 2");
    QString value = field("00", QLatin1String(kBillPaymentAid)) + field("01", biller) + field("02", r1);
    if (!r2.isEmpty()) value += field("03", r2);
    account = field("30", value);
  } else {
    account = field("29", field("00", QLatin1String(kCreditTransferAid)) + creditTransferAccount(settings.promptPayId));
  }

  QString payload = field("00", QStringLiteral("01"))    // payload format indicator
                    + field("01", QStringLiteral("12"))  // point of initiation: with an amount, for one payment
                    + account                            //
                    + field("53", QStringLiteral("764")) // currency: baht
                    + field("54", amountField)           //
                    + field("58", QStringLiteral("TH"))  //
                    + QStringLiteral("6304");
  payload += QStringLiteral("%1").arg(Crc16CcittFalse(payload.toLatin1()), 4, 16, QLatin1Char('0')).toUpper();
  return payload;
}

QVector<data::UpgradeStep> PromptPayUpgradeSteps() {
  return {data::AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("PromptPayId"), QStringLiteral("VarChar(20) Null")),
          data::AddColumnIfMissing(QStringLiteral("Config"), QStringLiteral("PromptPayBillerId"), QStringLiteral("VarChar(20) Null"))};
}

PromptPayLibrary::PromptPayLibrary(SettingsSource source) : names_{QStringLiteral("PROMPTPAYQR")}, source_(std::move(source)) {}

void PromptPayLibrary::dispatch(int index, const QString& p1, const QString& p2, const QString& p3, report::Value& result,
                                report::Evaluator& evaluator) {
  if (index != 0) return;
  const report::Value amount = evaluator.evaluate(p1);
  const QString ref1 = evaluator.evaluate(p2).toString();
  const QString ref2 = evaluator.evaluate(p3).toString();
  if (!loaded_) {
    settings_ = source_ ? source_() : PromptPaySettings();
    loaded_ = true;
  }
  result = report::Value::string(amount.isNull() ? QString() : PromptPayPayload(settings_, amount.toNumber(), ref1, ref2));
}

QVector<report::FunctionDescription> PromptPayLibrary::descriptions() const {
  return {{QStringLiteral("PROMPTPAYQR"), QStringLiteral("Company"),
           QStringLiteral("PROMPTPAYQR(<Amount>, <Ref1>, <Ref2>)/The Thai QR Payment (PromptPay) payload for the amount, "
                          "from the company's Config.PromptPayBillerId (bill payment; Ref1 the invoice number, Ref2 the "
                          "customer code) or Config.PromptPayId; empty when neither is set or nothing is due")}};
}

}  // namespace printing
