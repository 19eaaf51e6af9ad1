#include "report/value.h"

#include "report/text_format.h"

#include <cmath>

namespace report {

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
}  // namespace

double toDays(const QDateTime& dt) {
  const double days = static_cast<double>(kEpoch.daysTo(dt.date()));
  const double frac = dt.time().msecsSinceStartOfDay() / kMsPerDay;
  // Before the epoch the fraction still counts forward from midnight: -1.25 is 29/12/1899 06:00.
  return days >= 0 ? days + frac : days - frac;
}

QDateTime fromDays(double days) {
  // Outside the years 1 to 9999 (and for NaN) there is no date: the whole days would not even fit
  // an integer.
  if (!std::isfinite(days) || days < -693593 || days > 2958466) return QDateTime();
  const double whole = std::trunc(days);
  qint64 ms = std::llround(std::fabs(days - whole) * kMsPerDay);
  qint64 d = static_cast<qint64>(whole);
  if (ms >= 86400000) { ms -= 86400000; d += days >= 0 ? 1 : -1; }
  return QDateTime(kEpoch.addDays(d), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

Value Value::dateTime(const QDateTime& dt) {
  if (!dt.isValid()) return Value();
  return date(toDays(dt));
}

Value Value::fromVariant(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return Value();
  switch (v.typeId()) {
    case QMetaType::Bool: return boolean(v.toBool());
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong:
      return number(v.toDouble());
    case QMetaType::QDateTime: return dateTime(v.toDateTime());
    case QMetaType::QDate: return dateTime(QDateTime(v.toDate(), QTime(0, 0)));
    case QMetaType::QTime: return date(v.toTime().msecsSinceStartOfDay() / kMsPerDay);
    case QMetaType::QByteArray: return string(QString::fromUtf8(v.toByteArray()));
    default: return string(v.toString());
  }
}

double Value::toNumber() const {
  switch (kind_) {
    case Kind::Null: case Kind::Unassigned: return 0;
    case Kind::Number: case Kind::Bool: case Kind::Date: return num_;
    case Kind::String: {
      if (str_.trimmed().isEmpty()) return 0;
      if (auto n = readNumber(str_)) return *n;
      throw ExprError(QStringLiteral("'%1' is not a valid number").arg(str_));
    }
  }
  return 0;
}

qint64 Value::toInteger() const {
  if (kind_ == Kind::String) {
    if (str_.trimmed().isEmpty()) return 0;
    if (auto i = readInteger(str_)) return *i;
    throw ExprError(QStringLiteral("'%1' is not a valid integer").arg(str_));
  }
  const double d = toNumber();
  if (!std::isfinite(d) || std::fabs(d) > 9.2e18) throw ExprError(QStringLiteral("%1 is out of the integer range").arg(d));
  return std::llround(d);
}

QString Value::toString() const { return kind_ == Kind::String ? str_ : displayText(*this); }

bool Value::toBool() const {
  switch (kind_) {
    case Kind::Null: case Kind::Unassigned: return false;
    case Kind::Number: case Kind::Bool: case Kind::Date: return num_ != 0;
    case Kind::String: {
      const QString t = str_.trimmed();
      if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
      if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t.isEmpty()) return false;
      if (auto n = readNumber(t)) return *n != 0;
      throw ExprError(QStringLiteral("'%1' is not a valid truth value").arg(str_));
    }
  }
  return false;
}

double Value::toDate() const {
  if (kind_ == Kind::String) {
    if (auto dt = readDate(str_)) return toDays(*dt);
    throw ExprError(QStringLiteral("'%1' is not a valid date").arg(str_));
  }
  return toNumber();
}

QDateTime Value::toDateTime() const {
  if (kind_ == Kind::Null) return QDateTime();
  const double d = toDate();
  if (!std::isfinite(d) || d < -693593 || d > 2958466) throw ExprError(QStringLiteral("%1 is not a valid date").arg(d));
  return fromDays(d);
}

QVariant Value::toVariant() const {
  switch (kind_) {
    case Kind::Null: case Kind::Unassigned: return QVariant();
    case Kind::Number: {
      if (num_ == std::trunc(num_) && std::fabs(num_) < 9e15) return QVariant(static_cast<qint64>(num_));
      return QVariant(num_);
    }
    case Kind::String: return QVariant(str_);
    case Kind::Bool: return QVariant(num_ != 0);
    case Kind::Date: return QVariant(fromDays(num_));
  }
  return QVariant();
}

QString displayText(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Null: case Value::Kind::Unassigned: return QString();
    case Value::Kind::String: return v.rawString();
    case Value::Kind::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Value::Kind::Number: {
      const double d = v.toNumber();
      if (d == 0) return QStringLiteral("0");  // no "-0"
      // A whole number (codes, counts, quantities) is its digits: what 15 significant digits give.
      if (std::fabs(d) < 1e15 && d == std::trunc(d)) return QString::number(static_cast<qint64>(d));
      QString s = QString::number(d, 'g', 15);
      if (s.contains(QLatin1Char('e'))) {
        // Plain digits up to the range where exponents are usual.
        if (std::fabs(d) < 1e15 && std::fabs(d) >= 1e-5) s = QString::number(d, 'f', 15 - static_cast<int>(std::floor(std::log10(std::fabs(d)))) - 1);
        if (s.contains(QLatin1Char('.')) && !s.contains(QLatin1Char('e'))) {
          while (s.endsWith(QLatin1Char('0'))) s.chop(1);
          if (s.endsWith(QLatin1Char('.'))) s.chop(1);
        }
      }
      if (formatSettings().decimalSeparator != QLatin1Char('.')) s.replace(QLatin1Char('.'), formatSettings().decimalSeparator);
      return s;
    }
    case Value::Kind::Date: {
      const double d = v.toNumber();
      if (!std::isfinite(d) || d < -693593 || d > 2958466) return QString::number(d, 'g', 15);
      return defaultDateTimeText(fromDays(d));
    }
  }
  return QString();
}

}  // namespace report
