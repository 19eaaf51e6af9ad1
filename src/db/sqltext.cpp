#include "backend.h"

namespace db {

PositionalSql toPositional(const QString& sql) {
  PositionalSql out;
  out.text.reserve(sql.size());
  const int n = sql.size();
  int i = 0;
  auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
  while (i < n) {
    const QChar c = sql[i];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      int j = i + 1;
      while (j < n) {
        if (sql[j] == close) {
          if (close != QLatin1Char(']') && j + 1 < n && sql[j + 1] == close) { j += 2; continue; }
          break;
        }
        ++j;
      }
      out.text += sql.mid(i, qMin(j + 1, n) - i);
      i = j + 1;
      continue;
    }
    if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
      int j = sql.indexOf(QLatin1Char('\n'), i);
      if (j < 0) j = n;
      out.text += sql.mid(i, j - i);
      i = j;
      continue;
    }
    if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
      int j = sql.indexOf(QLatin1String("*/"), i + 2);
      j = j < 0 ? n : j + 2;
      out.text += sql.mid(i, j - i);
      i = j;
      continue;
    }
    if (c == QLatin1Char(':')) {
      if (i + 1 < n && sql[i + 1] == QLatin1Char(':')) { out.text += QLatin1String("::"); i += 2; continue; }
      int j = i + 1;
      while (j < n && isNameChar(sql[j])) ++j;
      if (j > i + 1) {
        out.names.push_back(sql.mid(i + 1, j - i - 1));
        out.text += QLatin1Char('?');
        i = j;
        continue;
      }
    }
    out.text += c;
    ++i;
  }
  return out;
}

QVariant boundValue(const Params& params, const QString& name) {
  const Param* p = params.find(name);
  if (!p) throw Error(QStringLiteral("No value for parameter '%1'").arg(name));
  return Params::typedValue(*p);
}

}  // namespace db
