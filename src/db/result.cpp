#include "db.h"

#include <cmath>

namespace db {

namespace {
// A double that converts to a 64-bit integer without overflow: finite and within ±2^63.
bool inIntegerRange(double d) { return std::isfinite(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0; }
}  // namespace

// ---- Params ---------------------------------------------------------------------------------

Param& Params::operator[](const QString& name) {
  for (auto& p : list_)
    if (p.name.compare(name, Qt::CaseInsensitive) == 0) return p;
  list_.push_back(Param{name, ParamType::Unknown, QVariant()});
  return list_.back();
}

const Param* Params::find(const QString& name) const {
  for (const auto& p : list_)
    if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
  return nullptr;
}

const Param* Params::find(const QString& name, int hint) const {
  if (hint >= 0 && hint < list_.size()) {
    const QString& at = list_[hint].name;
    if (at == name || at.compare(name, Qt::CaseInsensitive) == 0) return &list_[hint];
  }
  return find(name);
}

void Params::set(const QString& name, const QVariant& value, ParamType type) {
  Param& p = (*this)[name];
  p.value = value;
  if (type != ParamType::Unknown || p.type == ParamType::Unknown) p.type = type;
}

QVariant Params::typedValue(const Param& p) {
  if (p.value.isNull() || !p.value.isValid()) return QVariant();
  switch (p.type) {
    case ParamType::Text:
      if (p.value.typeId() == QMetaType::QDateTime) return p.value.toDateTime().toString("yyyy-MM-dd HH:mm:ss");
      return p.value.toString();
    case ParamType::Integer: {
      bool ok = false;
      qint64 v = p.value.toLongLong(&ok);
      if (!ok) {
        // "nan", "inf" and numbers beyond 64 bits are refused, never converted to some integer.
        double d = p.value.toDouble(&ok);
        if (!ok || !inIntegerRange(d))
          throw Error(QStringLiteral("'%1' is not a valid integer value for parameter %2").arg(p.value.toString(), p.name));
        v = qint64(d);
      }
      return v;
    }
    case ParamType::Float: {
      bool ok = false;
      double v = p.value.toDouble(&ok);
      if (!ok || !std::isfinite(v))
        throw Error(QStringLiteral("'%1' is not a valid floating point value for parameter %2").arg(p.value.toString(), p.name));
      return v;
    }
    case ParamType::DateTime: {
      QDateTime dt = toDateTime(p.value);
      if (!dt.isValid()) throw Error(QStringLiteral("'%1' is not a valid date and time for parameter %2").arg(p.value.toString(), p.name));
      return dt;
    }
    case ParamType::Unknown:
      break;
  }
  return p.value;
}

// ---- Result ---------------------------------------------------------------------------------

Result::Result(QStringList columns, QVector<QVector<QVariant>> rows) : columns_(std::move(columns)), rows_(std::move(rows)) {
  for (int i = 0; i < columns_.size(); ++i) {
    const QString key = columns_[i].toUpper();
    if (!index_.contains(key)) index_.insert(key, i);  // the first of equal names wins
  }
}

int Result::columnIndex(const QString& name) const { return index_.value(name.toUpper(), -1); }

int Result::findColumn(const QString& name) const {
  int i = columnIndex(name);
  if (i < 0) throw Error(QStringLiteral("Field '%1' not found").arg(name));
  return i;
}

QVariant Result::value(const QString& column) const {
  int c = findColumn(column);
  if (pos_ < 0 || pos_ >= rows_.size()) return QVariant();
  return rows_[pos_][c];
}

QString Result::asString(const QString& column) const {
  QVariant v = value(column);
  if (v.isNull()) return QString();
  if (v.typeId() == QMetaType::QDateTime) {
    QDateTime dt = v.toDateTime();
    return dt.time() == QTime(0, 0) ? dt.toString("dd/MM/yyyy") : dt.toString("dd/MM/yyyy HH:mm:ss");
  }
  if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
  return v.toString();
}

qint64 Result::asInt(const QString& column) const {
  QVariant v = value(column);
  if (v.isNull()) return 0;
  bool ok = false;
  qint64 i = v.typeId() == QMetaType::Double ? 0 : v.toLongLong(&ok);
  if (ok) return i;
  double d = v.toDouble(&ok);
  if (ok && inIntegerRange(d)) return qRound64(d);
  const QString t = v.toString().trimmed();
  if (t.isEmpty()) return 0;
  throw Error(QStringLiteral("'%1' is not a valid integer value").arg(t));
}

double Result::asFloat(const QString& column) const {
  QVariant v = value(column);
  if (v.isNull()) return 0;
  bool ok = false;
  double d = v.toDouble(&ok);
  if (ok && std::isfinite(d)) return d;
  const QString t = v.toString().trimmed();
  if (t.isEmpty()) return 0;
  throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(t));
}

QDateTime Result::asDateTime(const QString& column) const { return toDateTime(value(column)); }

bool Result::isNull(const QString& column) const { return value(column).isNull(); }

void Result::setValue(const QString& column, const QVariant& v) {
  int c = findColumn(column);
  if (pos_ < 0 || pos_ >= rows_.size()) throw Error(QStringLiteral("No current row to set '%1'").arg(column));
  rows_[pos_][c] = v;
}

int Result::append() {
  rows_.push_back(QVector<QVariant>(columns_.size()));
  pos_ = rows_.size() - 1;
  return pos_;
}

int Result::insert(int row) {
  row = std::clamp(row, 0, int(rows_.size()));
  rows_.insert(row, QVector<QVariant>(columns_.size()));
  pos_ = row;
  return row;
}

void Result::deleteRow() {
  if (pos_ >= 0 && pos_ < rows_.size()) rows_.removeAt(pos_);
}

void Result::removeRow(int row) {
  if (row < 0 || row >= rows_.size()) return;
  rows_.removeAt(row);
  if (pos_ > row) --pos_;
}

int Result::addColumn(const QString& name) {
  int existing = columnIndex(name);
  if (existing >= 0) return existing;
  columns_.push_back(name);
  index_.insert(name.toUpper(), columns_.size() - 1);
  for (auto& r : rows_) r.push_back(QVariant());
  return columns_.size() - 1;
}

// ---- helpers --------------------------------------------------------------------------------

QString quoted(const QString& text) {
  QString s = text;
  s.replace(QLatin1Char('\''), QLatin1String("''"));
  return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString likeEscaped(const QString& text) {
  QString out;
  out.reserve(text.size() + 8);
  for (QChar c : text) {
    if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('['))
      out += QLatin1Char('\\');
    out += c;
    if (c == QLatin1Char('\'')) out += QLatin1Char('\'');
  }
  return out;
}

QString likeContains(const QString& text) {
  // Used as a bound parameter: quotes need no doubling there.
  QString out = QStringLiteral("%");
  for (QChar c : text) {
    if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('['))
      out += QLatin1Char('\\');
    out += c;
  }
  return out + QLatin1Char('%');
}

// Written digit by digit: it is bound for every date of every statement (the general date
// formatter costs far more); years outside 1..9999 go to the formatter.
QString storedDateTimeText(const QDateTime& t) {
  const QDate d = t.date();
  const QTime h = t.time();
  if (d.year() < 1 || d.year() > 9999) return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  char text[20];
  const auto two = [&text](int at, int v) {
    text[at] = char('0' + v / 10);
    text[at + 1] = char('0' + v % 10);
  };
  two(0, d.year() / 100 % 100);
  two(2, d.year() % 100);
  text[4] = '-';
  two(5, d.month());
  text[7] = '-';
  two(8, d.day());
  text[10] = ' ';
  two(11, h.hour());
  text[13] = ':';
  two(14, h.minute());
  text[16] = ':';
  two(17, h.second());
  return QString::fromLatin1(text, 19);
}

bool sameStoredValue(const QVariant& a, const QVariant& b) {
  const bool an = a.isNull() || !a.isValid(), bn = b.isNull() || !b.isValid();
  if (an || bn) return an == bn;
  if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) return a.toString().trimmed() == b.toString().trimmed();
  if (a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime) return toDateTime(a) == toDateTime(b);
  return a.toDouble() == b.toDouble();
}

QDateTime toDateTime(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return QDateTime();
  switch (v.typeId()) {
    case QMetaType::QDateTime: return v.toDateTime();
    case QMetaType::QDate: return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong: {
      // A day number counted from 30/12/1899, as the suite's clients exchange it.
      double d = v.toDouble();
      QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
      return base.addMSecs(qint64(d * 86400000.0 + (d >= 0 ? 0.5 : -0.5)));
    }
    default: break;
  }
  const QString s = v.toString().trimmed();
  if (s.isEmpty()) return QDateTime();
  // "yyyy-MM-dd[( |T)HH:mm[:ss[.zzz]]]", the form the embedded backend stores, read by hand: it is
  // read for every date cell of every result and QDateTime::fromString is slow.
  auto digits = [&](int at, int n, int* out) {
    if (at + n > s.size()) return false;
    int v2 = 0;
    for (int i = at; i < at + n; ++i) {
      const char16_t c = s[i].unicode();
      if (c < u'0' || c > u'9') return false;
      v2 = v2 * 10 + (c - u'0');
    }
    *out = v2;
    return true;
  };
  int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
  if (!digits(0, 4, &y) || s.size() < 10 || s[4] != u'-' || !digits(5, 2, &mo) || s[7] != u'-' || !digits(8, 2, &d))
    return QDateTime();
  if (s.size() > 10) {
    if ((s[10] != u' ' && s[10] != u'T') || !digits(11, 2, &h) || s.size() < 16 || s[13] != u':' || !digits(14, 2, &mi))
      return QDateTime();
    if (s.size() > 16) {
      if (s[16] != u':' || !digits(17, 2, &sec)) return QDateTime();
      if (s.size() > 19) {
        if (s[19] != u'.' || s.size() < 21) return QDateTime();
        int frac = 0, n = qMin(3, int(s.size()) - 20);
        if (!digits(20, n, &frac)) return QDateTime();
        for (int i = n; i < 3; ++i) frac *= 10;
        ms = frac;
      }
    }
  }
  const QDate date(y, mo, d);
  const QTime time(h, mi, sec, ms);
  if (!date.isValid() || !time.isValid()) return QDateTime();
  return QDateTime(date, time);
}

}  // namespace db
