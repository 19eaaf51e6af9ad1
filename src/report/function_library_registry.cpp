#include "report/function_library_registry.h"

#include "report/text_format.h"

#include <QDate>
#include <QSet>
#include <cmath>

namespace report {

namespace {

QString& formatDateSetting() {
  static QString pattern;
  return pattern;
}

constexpr qsizetype kMaxResultLength = 1000000;  // a longer text is refused, not allocated

const char* const kNames[] = {
    "CHR", "COMPARESTR", "CREATEDATE", "CREATENUM", "CREATESTR", "DATEDIFF", "DATETOSTR", "DAYSPERMONTH",
    "DELETE", "ENDPOS", "EXTRACTWORD", "FIRSTDAYOFNEXTMONTH", "FIRSTDAYOFPREVMONTH", "INCDATE", "INCDAY",
    "INCMONTH", "INCTIME", "INCYEAR", "INSERT", "ISLEAPYEAR", "ISRANGEDATE", "ISRANGENUM", "ISWORDPRESENT",
    "LASTDAYOFPREVMONTH", "LEFTCOPY", "NPOS", "PADCENTER", "PADLEFT", "PADRIGHT", "REPLACESTR", "REPLICATE",
    "RIGHTCOPY", "STRTODATEDEF", "STRTOFLOAT", "STRTOFLOATDEF", "STRTOINT", "STRTOINTDEF", "SWAP", "TIMETOSTR",
    "TRIMLEFT", "TRIMRIGHT", "VALIDDATE", "VALIDFLOAT", "VALIDINT", "WORDCOUNT", "WORDPOSITION"};

struct Desc {
  const char* name;
  const char* category;
  const char* text;
};

// In the order the engine's expression builder lists them.
const Desc kDescriptions[] = {
    {"ISWORDPRESENT", "String", "ISWORDPRESENT(<Word>,<String>,<Delimiters>)/Determines is word <Word> present in the string <String>.<Delimiters> is the list of word delimiters."},
    {"WORDPOSITION", "String", "WORDPOSITION(<WordNo>,<String>,<Delimiters>)/Returns position of word number <WordNo> in the string <String>.<Delimiters> is the list of word delimiters."},
    {"EXTRACTWORD", "String", "EXTRACTWORD(<WordNo>,<String>,<Delimiters>)/Returns word number <WordNo> from the string <String>.<Delimiters> is the list of word delimiters."},
    {"WORDCOUNT", "String", "WORDCOUNT(<String>,<Delimiters>)/Returns number of words in the string <String>.<Delimiters> is the list of word delimiters."},
    {"NPOS", "String", "NPOS(<SubStr>,<String>,<SubStrNo>)/Returns position of <SubStrNo>-th substring <SubStr> inclusion in the string <String>."},
    {"REPLACESTR", "String", "REPLACESTR(<String>,<SubStr1>,<SubStr2>)/Replaces all inclusions of <SubStr1> string to the <SubStr2> string in the string <String> and returns the result."},
    {"TRIMRIGHT", "String", "TRIMRIGHT(<String>)/Trims all right spaces from the string <String> and returns the result."},
    {"TRIMLEFT", "String", "TRIMLEFT(<String>)/Trims all left spaces from the string <String> and returns the result."},
    {"DELETE", "String", "DELETE(<String>,<DelFrom>,<DelCount>)/Deletes <DelCount> symbols starting at position <DelFrom> in the given string <String> and returns the result."},
    {"INSERT", "String", "INSERT(<SubStr>,<String>,<InsertFrom>)/Inserts <SubStr> substring into <String> string starting at position <InsertFrom> and returns the result."},
    {"DATETOSTR", "String", "DATETOSTR(<Date>)/Converts date <Date> to string and returns the result."},
    {"TIMETOSTR", "String", "TIMETOSTR(<Time>)/Converts time <Time> to string and returns the result."},
    {"CHR", "String", "CHR(<Code>)/Returns symbol of ASCII code <Code>."},
    {"REPLICATE", "String", "REPLICATE(<Symbol>,<Length>)/Returns the string with length <Length> that consists of symbols <Symbol>."},
    {"PADLEFT", "String", "PADLEFT(<String>,<Length>,<Symbol>)/Adds symbols <Symbol> to begin of the string <String> to make it as long as stated in the <Length> parameter and returns result string."},
    {"PADRIGHT", "String", "PADRIGHT(<String>,<Length>,<Symbol>)/Adds symbols <Symbol> to end of the string <String> to make it as long as stated in the <Length> parameter and returns result string."},
    {"PADCENTER", "String", "PADCENTER(<String>,<Length>,<Symbol>)/Adds symbols <Symbol> to begin and end of the string <String> to make it as long as stated in the <Length> parameter and returns result string."},
    {"ENDPOS", "String", "ENDPOS(<String>,<SubStr>)/Returns position of substring <SubStr> in the string <String> starting at the end of the string."},
    {"LEFTCOPY", "String", "LEFTCOPY(<String>,<Count>)/Copies number of symbols <Count> from the string <String> starting at the begin of the string."},
    {"RIGHTCOPY", "String", "RIGHTCOPY(<String>,<Count>)/Copies number of symbols <Count> from the string <String> starting at the end of the string."},
    {"COMPARESTR", "String", "COMPARESTR(<String1>,<String2>)/Compares two strings. Returns the position where begins the difference between the strings or 0 if strings are equivalent."},
    {"VALIDINT", "Math", "VALIDINT(<String>)/Returns True if <String> is valid integer value."},
    {"VALIDFLOAT", "Math", "VALIDFLOAT(<String>)/Returns True if <String> is valid float value."},
    {"ISRANGENUM", "Math", "ISRANGENUM(<Number1>,<Number2>,<Number3>)/Returns True if <Number3> is between <Number1> and <Number2>."},
    {"STRTOFLOATDEF", "Math", "STRTOFLOATDEF(<String>,<DefValue>)/Converts <String> string to float value. If conversion fails, returns default value <DefValue>."},
    {"STRTOINTDEF", "Math", "STRTOINTDEF(<String>,<DefValue>)/Converts <String> string to integer value. If conversion fails, returns default value <DefValue>."},
    {"STRTOINT", "Math", "STRTOINT(<String>)/Converts <String> string to the integer value."},
    {"STRTOFLOAT", "Math", "STRTOFLOAT(<String>)/Converts <String> string to the float value."},
    {"DATEDIFF", "Date and time", "DATEDIFF(<Date1>,<Date2>,<var String>)/Returns the difference between two dates <Date1> and <Date2>. Result is in the string <String> in format 'days;months;years'."},
    {"INCDATE", "Date and time", "INCDATE(<Date>,<String>)/Increments the date <Date> by given number of days, months and years passed in the <String> parameter in format 'days;months;years'. Returns the result date."},
    {"INCTIME", "Date and time", "INCTIME(<Time>,<String>)/Increments the time <Time> by given number of hours, minutes, seconds and milliseconds passed in the <String> parameter in format 'h;min;sec;msec'. Returns the result time."},
    {"DAYSPERMONTH", "Date and time", "DAYSPERMONTH(<Year>,<Month>)/Returns days in the given month <Month> of the year <Year>."},
    {"FIRSTDAYOFNEXTMONTH", "Date and time", "FIRSTDAYOFNEXTMONTH(<Date>)/Returns the date of first day of the next month of date <Date>."},
    {"FIRSTDAYOFPREVMONTH", "Date and time", "FIRSTDAYOFPREVMONTH(<Date>)/Returns the date of first day of the previous month of date <Date>."},
    {"LASTDAYOFPREVMONTH", "Date and time", "LASTDAYOFPREVMONTH(<Date>)/Returns the date of last day of the previous month of date <Date>."},
    {"INCDAY", "Date and time", "INCDAY(<Date>,<Number>)/Increments the date <Date> by given number of days <Number> and returns the result date."},
    {"INCYEAR", "Date and time", "INCYEAR(<Date>,<Number>)/Increments the date <Date> by given number of years <Number> and returns the result date."},
    {"ISRANGEDATE", "Date and time", "ISRANGEDATE(<Date1>,<Date2>,<Date3>)/Returns True if date <Date3> is between <Date1> and <Date2>."},
    {"STRTODATEDEF", "Date and time", "STRTODATEDEF(<String>,<DefDate>)/Converts <String> string to date. If conversion fails, returns default value <DefDate>."},
    {"VALIDDATE", "Date and time", "VALIDDATE(<String>)/Returns True if <String> string is valid date."},
    {"INCMONTH", "Date and time", "INCMONTH(<Date>,<Number>)/Increments the date <Date> by given number of months <Number> and returns the result date."},
    {"ISLEAPYEAR", "Date and time", "ISLEAPYEAR(<Year>)/Returns True if <Year> year is leap year."},
    {"CREATEDATE", "SQL", "CREATEDATE(<String>)/Converts <String> string to string that contains date to use it in SQL clause. To use this function put the string with desired date format to TfrAddFunctionLibrary.FormatDate property."},
    {"CREATESTR", "SQL", "CREATESTR(<String>)/Adds quotes to the <String> string to use it in SQL clause."},
    {"CREATENUM", "SQL", "CREATENUM(<String>)/Converts <String> string to string that contains numeric value to use it in SQL clause."},
    {"SWAP", "Other", "SWAP(<var var1>,<var var2>)/Swaps the variables var1 and var2."},
};

using Delims = QSet<QChar>;
Delims delimSet(const QString& s) { return Delims(s.begin(), s.end()); }

// 1-based position of word n; 0 when there is none.
int wordPosition(int n, const QString& s, const Delims& d) {
  int count = 0;
  int i = 1;
  const int len = static_cast<int>(s.size());
  while (i <= len && count != n) {
    while (i <= len && d.contains(s[i - 1])) ++i;
    if (i <= len) ++count;
    if (count == n) return i;
    while (i <= len && !d.contains(s[i - 1])) ++i;
  }
  return 0;
}

QString extractWord(int n, const QString& s, const Delims& d) {
  const int p = wordPosition(n, s, d);
  if (p == 0) return QString();
  int e = p;
  while (e <= s.size() && !d.contains(s[e - 1])) ++e;
  return s.mid(p - 1, e - p);
}

int wordCount(const QString& s, const Delims& d) {
  int count = 0;
  int i = 0;
  const int len = static_cast<int>(s.size());
  while (i < len) {
    while (i < len && d.contains(s[i])) ++i;
    if (i < len) ++count;
    while (i < len && !d.contains(s[i])) ++i;
  }
  return count;
}

bool isBlank(QChar c) { return c.unicode() <= 0x20; }

QString trimLeft(const QString& s) {
  int i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  return s.mid(i);
}

QString trimRight(const QString& s) {
  qsizetype i = s.size();
  while (i > 0 && isBlank(s[i - 1])) --i;
  return s.left(i);
}

QString trimBoth(const QString& s) { return trimLeft(trimRight(s)); }

QString repeatText(const QString& sym, qint64 n) {
  if (n <= 0 || sym.isEmpty()) return QString();
  if (static_cast<double>(n) * static_cast<double>(sym.size()) > kMaxResultLength) {
    throw ExprError(QStringLiteral("The result would be longer than %1 characters").arg(kMaxResultLength));
  }
  return sym.repeated(static_cast<qsizetype>(n));
}

QString padLeft(const QString& s, qint64 len, const QString& sym) {
  const QString t = trimBoth(s);
  return repeatText(sym, len - t.size()) + t;
}

QString padRight(const QString& s, qint64 len, const QString& sym) {
  const QString t = trimBoth(s);
  return t + repeatText(sym, len - t.size());
}

bool isLeapYear(qint64 y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int daysPerMonth(qint64 y, qint64 m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) throw ExprError(QStringLiteral("%1 is not a valid month").arg(m));
  return days[m - 1] + ((m == 2 && isLeapYear(y)) ? 1 : 0);
}

[[noreturn]] void dateRangeError() { throw ExprError(QStringLiteral("The date is out of the calendar's range")); }

void checkYear(qint64 y) {
  if (y < 1 || y > 9999) dateRangeError();
}

QDate dateOf(double days) {
  if (!std::isfinite(days) || days < -693593 || days > 2958466) dateRangeError();
  return fromDays(days).date();
}

double dayNumber(const QDate& d) { return toDays(QDateTime(d, QTime(0, 0))); }

double dateShift(double d, qint64 days, qint64 months, qint64 years) {
  const QDate date = dateOf(d);
  const double timeFrac = std::fabs(d - std::trunc(d));
  qint64 m = date.month() + months % 12;  // remainder takes the sign of months
  qint64 y = date.year() + years + months / 12;
  if (m <= 0) { m += 12; --y; }
  if (m > 12) { m -= 12; ++y; }
  checkYear(y);
  const int dim = daysPerMonth(y, m);
  const int day = std::min(date.day(), dim);
  const double base = dayNumber(QDate(static_cast<int>(y), static_cast<int>(m), day)) + static_cast<double>(days);
  const double result = base >= 0 ? base + timeFrac : base - timeFrac;
  dateOf(result);
  return result;
}

qint64 intOf(const QString& text) {
  if (auto v = readInteger(text)) return *v;
  throw ExprError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

double timeShift(double t, qint64 h, qint64 mi, qint64 s, qint64 ms) {
  double r = t + static_cast<double>(h / 24) +
             (static_cast<double>(h % 24) * 3600000.0 + static_cast<double>(mi) * 60000.0 + static_cast<double>(s) * 1000.0 +
              static_cast<double>(ms)) / 86400000.0;
  if (r < 0) r += 1;
  return r;
}

QString dateDiffText(double a, double b) {
  if (a > b) std::swap(a, b);
  const QDate d1 = dateOf(a), d2 = dateOf(b);
  int years = d2.year() - d1.year();
  int months = d2.month() - d1.month();
  if (d2.month() < d1.month()) { months += 12; --years; }
  int days = d2.day() - d1.day();
  if (d2.day() < d1.day()) {
    days += daysPerMonth(d1.year(), d1.month());
    if (months == 0) { months = 11; --years; }
    else --months;
  }
  return QStringLiteral("%1;%2;%3").arg(days).arg(months).arg(years);
}

// Clamps an integer argument to the range a QString position can take.
int pos32(qint64 v) { return static_cast<int>(std::clamp<qint64>(v, -2000000000LL, 2000000000LL)); }

}  // namespace

TAddFunctionLibrary::TAddFunctionLibrary() {
  for (const char* n : kNames) names_ << QLatin1String(n);
}

QString TAddFunctionLibrary::formatDate() { return formatDateSetting(); }
void TAddFunctionLibrary::setFormatDate(const QString& pattern) { formatDateSetting() = pattern; }

QVector<FunctionDescription> TAddFunctionLibrary::descriptions() const {
  QVector<FunctionDescription> out;
  for (const Desc& d : kDescriptions) {
    out.push_back({QLatin1String(d.name), QLatin1String(d.category), QLatin1String(d.text)});
  }
  return out;
}

void TAddFunctionLibrary::dispatch(int index, const QString& p1, const QString& p2, const QString& p3, Value& result,
                                   Evaluator& ev) {
  result = Value::number(0);
  const auto str = [&](const QString& p) { return ev.evaluate(p).toString(); };
  const auto integer = [&](const QString& p) { return ev.evaluate(p).toInteger(); };
  const auto flt = [&](const QString& p) { return ev.evaluate(p).toNumber(); };
  switch (index) {
    case 0: {  // CHR
      result = Value::string(QString(codePageChar(static_cast<int>(integer(p1) & 0xFF))));
      break;
    }
    case 1: {  // COMPARESTR
      const QString a = str(p1), b = str(p2);
      qsizetype i = 0;
      while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
      result = Value::number(i == a.size() && i == b.size() ? 0 : static_cast<double>(i + 1));
      break;
    }
    case 2: {  // CREATEDATE
      const QString s = str(p1);
      const auto dt = readDate(s);
      if (!dt) { result = Value::string(QStringLiteral("null")); break; }
      const QString pattern = formatDate();
      const QString text = pattern.isEmpty() ? defaultDateTimeText(*dt) : formatDateTime(pattern, *dt);
      result = Value::string(QLatin1Char('\'') + text + QLatin1Char('\''));
      break;
    }
    case 3: {  // CREATENUM
      QString s = str(p1);
      if (s.trimmed().isEmpty()) { result = Value::string(QStringLiteral("null")); break; }
      s.replace(formatSettings().decimalSeparator, QLatin1Char('.'));
      result = Value::string(s);
      break;
    }
    case 4: {  // CREATESTR
      QString s = str(p1);
      if (s.trimmed().isEmpty()) { result = Value::string(QStringLiteral("null")); break; }
      // A quote inside the text is doubled so that the literal stays one SQL literal.
      s.replace(QLatin1Char('\''), QLatin1String("''"));
      result = Value::string(QLatin1Char('\'') + s + QLatin1Char('\''));
      break;
    }
    case 5: {  // DATEDIFF
      const QString text = dateDiffText(flt(p1), flt(p2));
      ev.evaluate(p3);
      ev.runStatement(p3 + QStringLiteral(":='") + text + QLatin1Char('\''));
      break;
    }
    case 6: result = Value::string(shortDateText(fromDays(dayNumber(dateOf(flt(p1)))))); break;  // DATETOSTR
    case 7: {  // DAYSPERMONTH
      const qint64 y = integer(p1);
      result = Value::number(daysPerMonth(y, integer(p2)));
      break;
    }
    case 8: {  // DELETE
      QString s = str(p1);
      const qint64 from = integer(p2), count = integer(p3);
      if (from >= 1 && from <= s.size() && count > 0) s.remove(static_cast<qsizetype>(from - 1), static_cast<qsizetype>(std::min<qint64>(count, s.size())));
      result = Value::string(s);
      break;
    }
    case 9: {  // ENDPOS
      const QString s = str(p1), sub = str(p2);
      int found = 0;
      if (s.size() >= sub.size()) {
        for (qsizetype i = s.size(); i >= 1; --i) {
          if (QStringView(s).mid(i - 1, sub.size()) == sub) { found = static_cast<int>(i); break; }
        }
      }
      result = Value::number(found);
      break;
    }
    case 10: {  // EXTRACTWORD
      const int n = pos32(integer(p1));
      result = Value::string(extractWord(n, str(p2), delimSet(str(p3))));
      break;
    }
    case 11: {  // FIRSTDAYOFNEXTMONTH
      const QDate d = dateOf(flt(p1));
      int y = d.year(), m = d.month() + 1;
      if (m > 12) { m = 1; ++y; }
      checkYear(y);
      result = Value::date(dayNumber(QDate(y, m, 1)));
      break;
    }
    case 12: case 23: {  // FIRSTDAYOFPREVMONTH, LASTDAYOFPREVMONTH
      const QDate d = dateOf(flt(p1));
      int y = d.year(), m = d.month() - 1;
      if (m < 1) { m = 12; --y; }
      checkYear(y);
      result = Value::date(dayNumber(QDate(y, m, index == 12 ? 1 : daysPerMonth(y, m))));
      break;
    }
    case 13: {  // INCDATE
      const double d = flt(p1);
      const QString t = str(p2);
      const Delims semi{QLatin1Char(';')};
      const qint64 days = intOf(extractWord(1, t, semi));
      const qint64 months = intOf(extractWord(2, t, semi));
      const qint64 years = intOf(extractWord(3, t, semi));
      result = Value::date(dateShift(d, days, months, years));
      break;
    }
    case 14: {  // INCDAY
      const double r = flt(p1) + static_cast<double>(integer(p2));
      dateOf(r);
      result = Value::date(r);
      break;
    }
    case 15: result = Value::date(dateShift(flt(p1), 0, integer(p2), 0)); break;  // INCMONTH
    case 16: {  // INCTIME
      const double t = flt(p1);
      const QString s = str(p2);
      const Delims semi{QLatin1Char(';')};
      const qint64 h = intOf(extractWord(1, s, semi)), mi = intOf(extractWord(2, s, semi));
      const qint64 se = intOf(extractWord(3, s, semi)), ms = intOf(extractWord(4, s, semi));
      result = Value::date(timeShift(t, h, mi, se, ms));
      break;
    }
    case 17: result = Value::date(dateShift(flt(p1), 0, 0, integer(p2))); break;  // INCYEAR
    case 18: {  // INSERT
      const QString sub = str(p1);
      QString s = str(p2);
      const qint64 pos = integer(p3);
      if (pos < 1) s.prepend(sub);
      else if (pos > s.size()) s.append(sub);
      else s.insert(static_cast<qsizetype>(pos - 1), sub);
      result = Value::string(s);
      break;
    }
    case 19: result = Value::boolean(isLeapYear(integer(p1))); break;  // ISLEAPYEAR
    case 20: case 21: {  // ISRANGEDATE, ISRANGENUM
      const double lo = flt(p1), hi = flt(p2), v = flt(p3);
      result = Value::boolean(lo <= v && v <= hi);
      break;
    }
    case 22: {  // ISWORDPRESENT
      const QString word = str(p1), s = str(p2);
      const Delims d = delimSet(str(p3));
      const int n = wordCount(s, d);
      bool found = false;
      for (int i = 1; i <= n && !found; ++i) found = extractWord(i, s, d) == word;
      result = Value::boolean(found);
      break;
    }
    case 24: {  // LEFTCOPY
      const QString s = str(p1);
      const qint64 n = integer(p2);
      result = Value::string(n <= 0 ? QString() : s.left(static_cast<qsizetype>(std::min<qint64>(n, s.size()))));
      break;
    }
    case 25: {  // NPOS
      const QString sub = str(p1);
      QString work = str(p2);
      const qint64 n = integer(p3);
      qint64 k = 0;
      qint64 answer = 0;
      for (qint64 i = 1; i <= n; ++i) {
        const qint64 p = sub.isEmpty() ? 0 : work.indexOf(sub) + 1;
        k += p;
        if (i == n && p > 0) { answer = k; break; }
        if (p == 0) { answer = 0; break; }
        work.remove(0, static_cast<qsizetype>(p));
      }
      result = Value::number(static_cast<double>(answer));
      break;
    }
    case 26: {  // PADCENTER
      const QString s = str(p1);
      const qint64 len = integer(p2);
      const QString sym = str(p3);
      const qint64 h = (len - s.size()) / 2;
      result = Value::string(padRight(padLeft(s, h + s.size(), sym), len, sym));
      break;
    }
    case 27: {  // PADLEFT
      const QString s = str(p1);
      const qint64 len = integer(p2);
      result = Value::string(padLeft(s, len, str(p3)));
      break;
    }
    case 28: {  // PADRIGHT
      const QString s = str(p1);
      const qint64 len = integer(p2);
      result = Value::string(padRight(s, len, str(p3)));
      break;
    }
    case 29: {  // REPLACESTR
      QString s = str(p1);
      const QString a = str(p2), b = str(p3);
      if (!a.isEmpty()) {
        const qsizetype occurrences = s.count(a);
        if (static_cast<double>(s.size()) + static_cast<double>(occurrences) * static_cast<double>(b.size() - a.size()) > kMaxResultLength) {
          throw ExprError(QStringLiteral("The result would be longer than %1 characters").arg(kMaxResultLength));
        }
        s.replace(a, b);
      }
      result = Value::string(s);
      break;
    }
    case 30: {  // REPLICATE
      const QString sym = str(p1);
      result = Value::string(repeatText(sym, integer(p2)));
      break;
    }
    case 31: {  // RIGHTCOPY
      const QString s = str(p1);
      const qint64 n = integer(p2);
      result = Value::string(n >= 0 && n <= s.size() ? s.right(static_cast<qsizetype>(n)) : QString());
      break;
    }
    case 32: {  // STRTODATEDEF
      const QString s = str(p1);
      const double def = flt(p2);
      const auto dt = readDate(s);
      result = Value::date(dt ? toDays(*dt) : def);
      break;
    }
    case 33: {  // STRTOFLOAT
      const QString s = str(p1);
      const auto v = readNumber(s);
      if (!v) throw ExprError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
      result = Value::number(*v);
      break;
    }
    case 34: {  // STRTOFLOATDEF
      const QString s = str(p1);
      const double def = flt(p2);
      const auto v = readNumber(s);
      result = Value::number(v ? *v : def);
      break;
    }
    case 35: result = Value::number(static_cast<double>(intOf(str(p1)))); break;  // STRTOINT
    case 36: {  // STRTOINTDEF
      const QString s = str(p1);
      const qint64 def = integer(p2);
      const auto v = readInteger(s);
      result = Value::number(static_cast<double>(v ? *v : def));
      break;
    }
    case 37: {  // SWAP
      ev.runStatement(QStringLiteral("MTV2FR := ") + p1);
      ev.runStatement(p1 + QStringLiteral(" := ") + p2);
      ev.runStatement(p2 + QStringLiteral(" := MTV2FR"));
      break;
    }
    case 38: {  // TIMETOSTR
      const double t = flt(p1);
      dateOf(t);  // a day number outside the calendar is an error, as for DATETOSTR
      result = Value::string(longTimeText(fromDays(t)));
      break;
    }
    case 39: result = Value::string(trimLeft(str(p1))); break;                // TRIMLEFT
    case 40: result = Value::string(trimRight(str(p1))); break;               // TRIMRIGHT
    case 41: result = Value::boolean(readDate(str(p1)).has_value()); break;   // VALIDDATE
    case 42: result = Value::boolean(readNumber(str(p1)).has_value()); break; // VALIDFLOAT
    case 43: result = Value::boolean(readInteger(str(p1)).has_value()); break;// VALIDINT
    case 44: {  // WORDCOUNT
      const QString s = str(p1);
      result = Value::number(wordCount(s, delimSet(str(p2))));
      break;
    }
    case 45: {  // WORDPOSITION
      const int n = pos32(integer(p1));
      const QString s = str(p2);
      result = Value::number(wordPosition(n, s, delimSet(str(p3))));
      break;
    }
    default:
      throw ExprError(QStringLiteral("No function with the number %1 in the function library").arg(index));
  }
}

namespace {
std::shared_ptr<TAddFunctionLibrary>& sharedLibrary() {
  static std::shared_ptr<TAddFunctionLibrary> lib;
  return lib;
}
}  // namespace

void registerAddFunctionLibrary() {
  if (!sharedLibrary()) sharedLibrary() = std::make_shared<TAddFunctionLibrary>();
  registerFunctionLibrary(sharedLibrary());
}

void unregisterAddFunctionLibrary() {
  if (sharedLibrary()) unregisterFunctionLibrary(sharedLibrary().get());
}

}  // namespace report
