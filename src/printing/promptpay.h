// PromptPay QR codes on the printed documents: the payload of the Thai QR Payment standard
// (EMVCo merchant-presented mode) for an amount due, and the report function that gives it to the
// templates:
//
//   PROMPTPAYQR(amount, ref1, ref2)   the payload for the company's PromptPay settings, or the
//                                     empty text when the company has none or nothing is due
//
// The settings are two columns of the company's Config row (docs/promptpay.md):
//   PromptPayBillerId   a 15-digit bank biller id: bill payment (tag 30) with reference 1 = ref1
//                       (the invoice number) and reference 2 = ref2 (the customer code)
//   PromptPayId         a 13-digit tax id or a mobile number: credit transfer (tag 29); ref1 and
//                       ref2 are not used
// The biller id wins when both are set, so that the bank can match each payment to its invoice.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

#include "report/functions.h"
#include "schema_upgrade.h"

namespace db {
class Connection;
}

namespace printing {

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial value 0xFFFF, no reflection, no final XOR.
quint16 Crc16CcittFalse(const QByteArray& data);

struct PromptPaySettings {
  QString promptPayId;  // tax id or mobile number, as typed
  QString billerId;     // bank biller id, as typed
  bool isSet() const { return !promptPayId.trimmed().isEmpty() || !billerId.trimmed().isEmpty(); }
};

// The settings of the company's Config row; empty when the columns are missing (a database the
// shipped forms were never installed in) or blank.
PromptPaySettings ReadPromptPaySettings(db::Connection& data);

// The payload for an amount in baht (rounded to satang, halves away from zero). Empty when the
// settings are blank or the amount is not above 0 (nothing to pay). Throws report::ExprError for a
// PromptPay id that is neither a 13-digit tax id nor a Thai mobile number, a biller id that is not
// 15 digits, a missing reference 1 of a bill payment, a reference longer than 20 characters or
// holding other than printable ASCII, and an amount that is not a number or above 9,999,999,999.99.
QString PromptPayPayload(const PromptPaySettings& settings, double amount, const QString& ref1, const QString& ref2);

// The Config columns of the settings (VarChar(20), empty until set).
QVector<data::UpgradeStep> PromptPayUpgradeSteps();

// PROMPTPAYQR for the report engine. The settings come from `source`, read at the first call and
// kept until forget() (the print dialog forgets them before every preview and print, so that a
// changed setting needs no restart).
class PromptPayLibrary : public report::FunctionLibrary {
 public:
  using SettingsSource = std::function<PromptPaySettings()>;
  explicit PromptPayLibrary(SettingsSource source);
  const QStringList& names() const override { return names_; }
  void dispatch(int index, const QString& p1, const QString& p2, const QString& p3, report::Value& result,
                report::Evaluator& evaluator) override;
  QVector<report::FunctionDescription> descriptions() const override;
  void forget() { loaded_ = false; }

 private:
  QStringList names_;
  SettingsSource source_;
  PromptPaySettings settings_;
  bool loaded_ = false;
};

}  // namespace printing
