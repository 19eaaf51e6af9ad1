// A value of the report expression language: nothing, a number, a text, a truth value or a
// date-time. Date-times are kept as the number of days since 30 December 1899 with the time of day
// as the fraction, so that date arithmetic is plain arithmetic (d + 1 is the next day).
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace report {

// An expression that cannot be read or evaluated. what() is the message shown to the user.
class ExprError : public std::runtime_error {
 public:
  explicit ExprError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

class Value {
 public:
  // Unassigned marks a result slot that nobody filled (an unknown function stays unassigned).
  enum class Kind { Null, Number, String, Bool, Date, Unassigned };

  Value() = default;
  static Value number(double v) { Value r; r.kind_ = Kind::Number; r.num_ = v; return r; }
  static Value string(const QString& s) { Value r; r.kind_ = Kind::String; r.str_ = s; return r; }
  static Value boolean(bool b) { Value r; r.kind_ = Kind::Bool; r.num_ = b ? 1 : 0; return r; }
  static Value date(double days) { Value r; r.kind_ = Kind::Date; r.num_ = days; return r; }
  static Value dateTime(const QDateTime& dt);  // invalid -> Null
  static Value unassigned() { Value r; r.kind_ = Kind::Unassigned; return r; }
  // A database value: texts, numbers, dates and booleans; null -> Null.
  static Value fromVariant(const QVariant& v);

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  bool isNumber() const { return kind_ == Kind::Number; }
  bool isString() const { return kind_ == Kind::String; }
  bool isBool() const { return kind_ == Kind::Bool; }
  bool isDate() const { return kind_ == Kind::Date; }
  bool isUnassigned() const { return kind_ == Kind::Unassigned; }

  // Conversions. A text that does not read as the wanted kind raises ExprError.
  double toNumber() const;     // dates give their day number; Null gives 0
  qint64 toInteger() const;    // numbers are rounded to the nearest integer
  QString toString() const;    // the display text (see displayText)
  bool toBool() const;         // numbers: non-zero; texts: "True"/"False" (any case)
  double toDate() const;       // numbers as day numbers; texts read as dates
  QDateTime toDateTime() const;
  QVariant toVariant() const;  // for database parameters
  const QString& rawString() const { return str_; }  // the text of a String value, else empty

 private:
  Kind kind_ = Kind::Null;
  double num_ = 0;
  QString str_;
};

// Days since 30 December 1899 <-> QDateTime (local, no time zone arithmetic). fromDays gives an
// invalid QDateTime for NaN, infinity and days outside the years 1 to 9999.
double toDays(const QDateTime& dt);
QDateTime fromDays(double days);

// The text of a value as the command-line evaluator and unformatted report texts show it:
// numbers with up to 15 significant digits and no grouping, dates "dd/mm/yyyy" followed by
// " hh:nn:ss" when the time is not midnight, truth values "True"/"False", Null as "".
QString displayText(const Value& v);

}  // namespace report
