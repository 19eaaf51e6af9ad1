#include "functions.h"

#include <sqlite3.h>

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace embedded {

// ---- Clock ----------------------------------------------------------------------------------

namespace {

QMutex& clockMutex() {
  static QMutex m;
  return m;
}
std::function<QDateTime()>& clockOverride() {
  static std::function<QDateTime()> f;
  return f;
}

qint64 envClockOffsetSecs() {
  static const qint64 offset = [] {
    const QString v = qEnvironmentVariable("CONSOLIDATE_SERVER_TIME").trimmed();
    if (v.isEmpty()) return qint64(0);
    const QDateTime start = parseIsoDateTime(v);
    if (!start.isValid()) return qint64(0);
    return QDateTime::currentDateTime().secsTo(start);
  }();
  return offset;
}

QDateTime truncated(QDateTime t) {
  t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
  return t;
}

}  // namespace

QDateTime serverNow() {
  {
    QMutexLocker lock(&clockMutex());
    if (clockOverride()) return truncated(clockOverride()());
  }
  return truncated(QDateTime::currentDateTime().addSecs(envClockOffsetSecs()));
}

void setServerClock(std::function<QDateTime()> clock) {
  QMutexLocker lock(&clockMutex());
  clockOverride() = std::move(clock);
}

// ---- Dates ----------------------------------------------------------------------------------

QDateTime parseIsoDateTime(const QString& text) {
  static const QRegularExpression iso(
      QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,7}))?)?)?\\s*$"));
  const auto m = iso.match(text);
  if (!m.hasMatch()) return QDateTime();
  const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  if (!d.isValid()) return QDateTime();
  QTime t(0, 0);
  if (m.capturedLength(4) > 0) {
    int ms = 0;
    if (m.capturedLength(7) > 0) ms = int(m.captured(7).left(3).leftJustified(3, QLatin1Char('0')).toInt());
    t = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0, ms);
    if (!t.isValid()) return QDateTime();
  }
  return QDateTime(d, t);
}

QDateTime parseServerDateText(const QString& text) {
  const QDateTime iso = parseIsoDateTime(text);
  if (iso.isValid()) return iso;
  static const QRegularExpression compact(QStringLiteral("^\\s*(\\d{4})(\\d{2})(\\d{2})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?\\s*$"));
  static const QRegularExpression slashed(
      QStringLiteral("^\\s*(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?\\s*$"));
  int y = 0, mo = 0, d = 0;
  QRegularExpressionMatch m = compact.match(text);
  if (m.hasMatch()) {
    y = m.captured(1).toInt();
    mo = m.captured(2).toInt();
    d = m.captured(3).toInt();
  } else {
    m = slashed.match(text);
    if (!m.hasMatch()) return QDateTime();
    mo = m.captured(1).toInt();  // month first, as SQL Server with its default language
    d = m.captured(2).toInt();
    y = m.captured(3).toInt();
  }
  const QDate date(y, mo, d);
  if (!date.isValid()) return QDateTime();
  QTime t(0, 0);
  if (m.capturedLength(4) > 0) {
    t = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0);
    if (!t.isValid()) return QDateTime();
  }
  return QDateTime(date, t);
}

// ---- Quantities in units --------------------------------------------------------------------

namespace {

// Digits of v with thousands separators, between minDec and maxDec decimals; with minInt 0 a zero
// integer part writes no digit (".5"), and 0 itself writes nothing. Appended to out. It runs for
// every row of a large list (the stock of each line), so it works on bytes, without strings
// in between.
void appendGrouped(QString& out, double v, int minDec, int maxDec, int minInt) {
  // A whole number (most quantities are) is written here; any other is rounded as QString::number
  // rounds (an exact half away from zero).
  const double a = std::fabs(v);
  char whole[32];
  QByteArray written;
  const char* digits = whole;
  int n = 0;
  if (a < 1e15 && a == std::floor(a) && maxDec <= 12) {
    char reversed[20];
    int k = 0;
    for (qint64 i = qint64(a); k == 0 || i > 0; i /= 10) reversed[k++] = char('0' + i % 10);
    while (k > 0) whole[n++] = reversed[--k];
    if (maxDec > 0) {
      whole[n++] = '.';
      for (int d = 0; d < maxDec; ++d) whole[n++] = '0';
    }
  } else {
    written = QByteArray::number(a, 'f', maxDec);
    digits = written.constData();
    n = int(written.size());
  }
  if (n + n / 3 + 2 > 600) return;  // no double is written that long with up to six decimals
  const char* dot = static_cast<const char*>(std::memchr(digits, '.', size_t(n)));
  int intLen = dot ? int(dot - digits) : n;
  const char* frac = dot ? dot + 1 : digits + n;
  int fracLen = dot ? n - intLen - 1 : 0;
  while (fracLen > minDec && frac[fracLen - 1] == '0') --fracLen;
  if (intLen == 1 && digits[0] == '0' && minInt == 0) intLen = 0;
  char text[600];
  int t = 0;
  if (v < 0 && intLen + fracLen > 0) text[t++] = '-';
  for (int i = 0; i < intLen; ++i) {
    if (i > 0 && (intLen - i) % 3 == 0) text[t++] = ',';
    text[t++] = digits[i];
  }
  if (fracLen > 0) {
    text[t++] = '.';
    std::memcpy(text + t, frac, size_t(fracLen));
    t += fracLen;
  }
  out.append(QLatin1StringView(text, t));
}

// " #,###,###.###### " or " #,###,##0.00 " (decimals given)
void appendQuantity(QString& out, double v, int decimals) {
  out.append(QLatin1Char(' '));
  if (decimals > 0) appendGrouped(out, v, decimals, decimals, 1);
  else appendGrouped(out, v, 0, 6, 0);
  out.append(QLatin1Char(' '));
}

void appendUnit(QString& out, const UnitText& u, const QString& name) {
  out.append(u.unitLeft);
  out.append(name);
  out.append(u.unitRight);
}

}  // namespace

QString quantityInUnits(const UnitText& u, double qty) {
  const bool negative = qty < 0;
  if (negative) qty = -qty;
  QString text;
  text.reserve(64);
  if (!u.found) {  // written without its sign
    appendQuantity(text, qty, u.onhandDecimal);
    text.append(QLatin1String("ERROR"));
    return text.trimmed();
  }
  if (negative) text.append(QLatin1String("- "));
  const qsizetype empty = text.size();
  if (u.largeFraction == 1) {
    appendQuantity(text, qty, u.onhandDecimal);
    appendUnit(text, u, u.largeName);
  } else {
    const double whole = std::trunc(qty / std::max(u.largeFraction, 1));
    if (whole != 0) {
      appendGrouped(text, whole, 0, 0, 1);
      text.append(QLatin1Char(' '));
      appendUnit(text, u, u.largeName);
    }
    const double rest = qty - whole * u.largeFraction;
    if (std::fabs(rest) > 1e-9) {
      appendQuantity(text, std::fabs(rest), u.onhandDecimal);
      appendUnit(text, u, u.smallName);
    }
  }
  if (text.size() == empty) {
    text.append(QLatin1String("0 "));
    appendUnit(text, u, u.largeName);
  }
  return text.trimmed();
}

// ---- SQL functions --------------------------------------------------------------------------

namespace {

QString argText(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
  const QByteArray b = s.toUtf8();
  sqlite3_result_text(ctx, b.constData(), b.size(), SQLITE_TRANSIENT);
}

void resultDate(sqlite3_context* ctx, const QDateTime& d) { resultText(ctx, d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))); }

// The date of an argument; false (with an SQL error set) when the argument is no date. A null
// argument gives a null result and false.
bool argDate(sqlite3_context* ctx, sqlite3_value* v, QDateTime* out) {
  if (sqlite3_value_type(v) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return false;
  }
  *out = parseIsoDateTime(argText(v));
  if (!out->isValid()) {
    sqlite3_result_error(ctx, "Conversion failed when converting date and/or time from character string.", -1);
    return false;
  }
  return true;
}

void fnGetDate(sqlite3_context* ctx, int, sqlite3_value**) { resultDate(ctx, serverNow()); }

void fnYear(sqlite3_context* ctx, int, sqlite3_value** a) {
  QDateTime d;
  if (argDate(ctx, a[0], &d)) sqlite3_result_int(ctx, d.date().year());
}
void fnMonth(sqlite3_context* ctx, int, sqlite3_value** a) {
  QDateTime d;
  if (argDate(ctx, a[0], &d)) sqlite3_result_int(ctx, d.date().month());
}
void fnDay(sqlite3_context* ctx, int, sqlite3_value** a) {
  QDateTime d;
  if (argDate(ctx, a[0], &d)) sqlite3_result_int(ctx, d.date().day());
}
void fnDateOnly(sqlite3_context* ctx, int, sqlite3_value** a) {
  QDateTime d;
  if (argDate(ctx, a[0], &d)) resultDate(ctx, QDateTime(d.date(), QTime(0, 0)));
}
void fnAddDays(sqlite3_context* ctx, int, sqlite3_value** a) {
  QDateTime d;
  if (!argDate(ctx, a[0], &d)) return;
  if (sqlite3_value_type(a[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  resultDate(ctx, d.addDays(sqlite3_value_int64(a[1])));
}
void fnDateKey(sqlite3_context* ctx, int, sqlite3_value** a) {
  QDateTime d;
  if (argDate(ctx, a[0], &d)) resultText(ctx, d.toString(QStringLiteral("yyyyMMdd")));
}
void fnToDateTime(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const QDateTime d = parseServerDateText(argText(a[0]));
  if (!d.isValid()) return sqlite3_result_error(ctx, "Conversion failed when converting date and/or time from character string.", -1);
  resultDate(ctx, d);
}
void fnLen(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (sqlite3_value_type(a[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  QString s = argText(a[0]);
  int n = s.size();
  while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
  sqlite3_result_int(ctx, int(QStringView(s).left(n).toUcs4().size()));
}
void fnScopeIdentity(sqlite3_context* ctx, int, sqlite3_value**) {
  sqlite3_result_int64(ctx, sqlite3_last_insert_rowid(sqlite3_context_db_handle(ctx)));
}
// XACT_STATE(): 1 while the connection's transaction is open, 0 when there is none (a statement
// or trigger that ended it with a rollback leaves none). The embedded server has no uncommittable
// state (-1): a transaction it cannot go on with is rolled back at once.
void fnXactState(sqlite3_context* ctx, int, sqlite3_value**) {
  sqlite3_result_int(ctx, sqlite3_get_autocommit(sqlite3_context_db_handle(ctx)) ? 0 : 1);
}

QString columnText(sqlite3_stmt* st, int c) {
  const unsigned char* t = sqlite3_column_text(st, c);
  return t ? QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st, c)) : QString();
}

// ShowQtyUnits runs once per row of the zone's due lines: its two reads are prepared once per
// connection and kept. They are finalized with every other statement of the connection when it
// closes (the embedded backend finalizes what is left before closing); the connection then frees
// this holder.
//
// What it reads (the company's settings, a product's units) is kept for the rest of the statement
// that calls it, and only while that statement is a read-only one: a statement sees one state of
// the file from its first row to its last, and a read-only one changes none of it. Every statement
// that starts on the connection (the trace hook says so) ends what was kept; so another connection's
// change, or a rollback, is always seen by the next statement.
struct QtyUnitsStatements {
  sqlite3_stmt* config = nullptr;
  sqlite3_stmt* units = nullptr;
  quint64 statement = 0;       // counts the statements started on the connection
  bool readOnly = false;       // the one running now changes nothing
  quint64 keptFor = ~quint64(0);  // the statement the kept settings and units belong to
  bool configKept = false;
  int onhandDecimal = 0;
  QString unitLeft, unitRight;
  struct Units {
    bool found = false;
    QString largeName, smallName;
    int largeFraction = 1;
  };
  QHash<qint64, Units> units_;
};

// SQLITE_TRACE_STMT: a statement starts (its own two reads aside).
int statementStarts(unsigned, void* context, void* statement, void*) {
  auto* held = static_cast<QtyUnitsStatements*>(context);
  auto* st = static_cast<sqlite3_stmt*>(statement);
  if (st == held->config || st == held->units) return 0;
  ++held->statement;
  held->readOnly = sqlite3_stmt_readonly(st) != 0;
  return 0;
}

// The kept statement of `slot`, prepared on first use; null (error set on ctx) when it fails.
sqlite3_stmt* kept(sqlite3_context* ctx, sqlite3_stmt*& slot, const char* sql) {
  if (slot) return slot;
  sqlite3* db = sqlite3_context_db_handle(ctx);
  if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) != SQLITE_OK) {
    sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    sqlite3_finalize(slot);
    slot = nullptr;
  }
  return slot;
}

// Leaves a kept statement ready for the next call, however this one ends.
struct ResetAfter {
  sqlite3_stmt* st;
  ~ResetAfter() {
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
  }
};

// The Config settings; false
// (error set on ctx) when the read cannot be prepared.
bool readQtyConfig(sqlite3_context* ctx, QtyUnitsStatements* held) {
  sqlite3* db = sqlite3_context_db_handle(ctx);
  sqlite3_stmt* cfg = kept(ctx, held->config, "SELECT OnhandDecimal, UnitLeft, UnitRight FROM Config ORDER BY Id LIMIT 1");
  if (!cfg) return false;
  ResetAfter reset{cfg};
  held->onhandDecimal = 0;
  held->unitLeft.clear();
  held->unitRight.clear();
  if (sqlite3_step(cfg) == SQLITE_ROW) {
    held->onhandDecimal = sqlite3_column_int(cfg, 0);
    held->unitLeft = columnText(cfg, 1);
    held->unitRight = columnText(cfg, 2);
  }
  return true;
}

// A one-character flag of a kept statement's row is "Y".
bool flagIsY(sqlite3_stmt* st, int c) {
  return sqlite3_column_bytes(st, c) == 1 && *sqlite3_column_text(st, c) == 'Y';
}

// A product's units from its kept read: the large unit is its stock unit (without one, its largest
// unit), the small one its small unit (without one, the unit of fraction 1, else the large one).
// False (error set on ctx) when the read cannot be prepared.
bool readUnits(sqlite3_context* ctx, QtyUnitsStatements* held, sqlite3_value* product, QtyUnitsStatements::Units& out) {
  // The units in the order of their Id (the index on Product holds them so), taken in the order of
  // Fraction descending and Id by a stable sort here rather than by a sorter in the statement.
  sqlite3_stmt* st = kept(ctx, held->units,
                          "SELECT UnitName, Fraction, SmallUnitFlag, StockUnitFlag FROM ProductUnits WHERE Product = ?1 ORDER BY Id");
  if (!st) return false;
  ResetAfter reset{st};
  sqlite3_bind_value(st, 1, product);
  struct Row {
    QString name;
    int fraction;
    bool small, stock;
  };
  QVarLengthArray<Row, 8> rows;
  while (sqlite3_step(st) == SQLITE_ROW)
    rows.push_back(Row{columnText(st, 0), sqlite3_column_int(st, 1), flagIsY(st, 2), flagIsY(st, 3)});
  std::stable_sort(rows.begin(), rows.end(), [](const Row& x, const Row& y) { return x.fraction > y.fraction; });
  const Row* stock = nullptr;
  const Row* small = nullptr;
  const Row* fractionOne = nullptr;
  for (const Row& r : rows) {
    if (r.stock && !stock) stock = &r;
    if (r.small && !small) small = &r;
    if (r.fraction == 1 && !fractionOne) fractionOne = &r;
  }
  out = {};
  if (!rows.isEmpty()) {
    out.found = true;
    const Row& large = stock ? *stock : rows.front();
    out.largeName = large.name;
    out.largeFraction = large.fraction;
    out.smallName = small ? small->name : fractionOne ? fractionOne->name : out.largeName;
  }
  return true;
}

void fnShowQtyUnits(sqlite3_context* ctx, int, sqlite3_value** a) {
  if (sqlite3_value_type(a[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const double qty = sqlite3_value_double(a[1]);
  auto* held = static_cast<QtyUnitsStatements*>(sqlite3_user_data(ctx));
  const bool keep = held->readOnly;
  if (!keep || held->keptFor != held->statement) {
    held->configKept = false;
    held->units_.clear();
    held->keptFor = held->statement;
  }
  if (!held->configKept) {
    if (!readQtyConfig(ctx, held)) return;
    held->configKept = keep;
  }
  UnitText u;
  u.onhandDecimal = held->onhandDecimal;
  u.unitLeft = held->unitLeft;
  u.unitRight = held->unitRight;
  QtyUnitsStatements::Units units;
  const bool byId = keep && sqlite3_value_type(a[0]) == SQLITE_INTEGER;
  const qint64 id = byId ? sqlite3_value_int64(a[0]) : 0;
  const auto found = byId ? held->units_.constFind(id) : held->units_.constEnd();
  if (found != held->units_.constEnd()) {
    units = *found;
  } else {
    if (!readUnits(ctx, held, a[0], units)) return;
    if (byId) held->units_.insert(id, units);
  }
  u.found = units.found;
  u.largeName = units.largeName;
  u.largeFraction = units.largeFraction;
  u.smallName = units.smallName;
  resultText(ctx, quantityInUnits(u, qty));
}

}  // namespace

void registerServerFunctions(void* handle) {
  auto* db = static_cast<sqlite3*>(handle);
  struct Fn {
    const char* name;
    int args;
    void (*f)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
  };
  static const Fn fns[] = {
      {"GETDATE", 0, fnGetDate, false},         {"YEAR", 1, fnYear, true},
      {"MONTH", 1, fnMonth, true},              {"DAY", 1, fnDay, true},
      {"DATEONLY", 1, fnDateOnly, true},        {"ADDDAYS", 2, fnAddDays, true},
      {"DATEKEY", 1, fnDateKey, true},          {"TODATETIME", 1, fnToDateTime, true},
      {"LEN", 1, fnLen, true},
      {"SCOPE_IDENTITY", 0, fnScopeIdentity, false}, {"SHOWQTYUNITS", 2, fnShowQtyUnits, false},
      {"XACT_STATE", 0, fnXactState, false},
  };
  for (const Fn& f : fns) {
    const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
    if (f.f == fnShowQtyUnits) {
      auto* held = new QtyUnitsStatements;
      sqlite3_create_function_v2(db, f.name, f.args, flags, held, f.f, nullptr, nullptr,
                                 [](void* p) { delete static_cast<QtyUnitsStatements*>(p); });
      sqlite3_trace_v2(db, SQLITE_TRACE_STMT, statementStarts, held);
    } else {
      sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.f, nullptr, nullptr, nullptr);
    }
  }
}

}  // namespace embedded
