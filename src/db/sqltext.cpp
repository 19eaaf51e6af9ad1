#include "backend.h"
#include "tsql.h"

namespace db {

namespace {

QString sqlType(ParamType t) {
  switch (t) {
    case ParamType::Integer: return QStringLiteral("bigint");
    case ParamType::Float: return QStringLiteral("float");
    case ParamType::DateTime: return QStringLiteral("datetime");
    default: return QStringLiteral("nvarchar(4000)");
  }
}

bool isRegularIdentifier(const QString& part) {
  if (part.isEmpty() || part.size() > 128) return false;
  const QChar first = part[0];
  if (!(first.isLetter() || first == QLatin1Char('_') || first == QLatin1Char('#'))) return false;
  for (QChar c : part)
    if (!(c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('$') ||
          c == QLatin1Char('#')))
      return false;
  return true;
}

}  // namespace

bool isProcedureName(const QString& name) {
  const QStringList parts = name.split(QLatin1Char('.'));
  if (parts.size() > 3) return false;
  for (const QString& part : parts)
    if (!isRegularIdentifier(part)) return false;
  return true;
}

QString quotedProcedureName(const QString& name) {
  if (!isProcedureName(name)) throw Error(QStringLiteral("'%1' is not a procedure name").arg(name));
  QStringList parts = name.split(QLatin1Char('.'));
  for (QString& part : parts) part = QLatin1Char('[') + part.replace(QLatin1String("]"), QLatin1String("]]")) + QLatin1Char(']');
  return parts.join(QLatin1Char('.'));
}

QString procedureCallBatch(const QString& name, const Params& params, const QStringList& outputs, Params* bound) {
  QString declare = QStringLiteral("SET NOCOUNT ON; DECLARE @rc int");
  QString init, args, select = QStringLiteral("SELECT @rc AS Result");
  int n = 0;
  QStringList outs;
  for (const auto& o : outputs) outs << o.toUpper();
  for (const Param& p : params.list()) {
    if (p.name.compare(QLatin1String("Result"), Qt::CaseInsensitive) == 0) continue;
    if (!isRegularIdentifier(p.name)) throw Error(QStringLiteral("'%1' is not a parameter name").arg(p.name));
    const QString arg = QStringLiteral("a%1").arg(n++);
    if (!args.isEmpty()) args += QLatin1String(", ");
    if (outs.contains(p.name.toUpper())) {
      declare += QStringLiteral(", @%1 %2").arg(arg, sqlType(p.type));
      if (!p.value.isNull()) {
        init += QStringLiteral("SET @%1 = :%1; ").arg(arg);
        if (bound) bound->set(arg, p.value, p.type);
      }
      args += QStringLiteral("@%1 = @%2 OUTPUT").arg(p.name, arg);
      select += QStringLiteral(", @%1 AS [%2]").arg(arg, p.name);
    } else {
      args += QStringLiteral("@%1 = :%2").arg(p.name, arg);
      if (bound) bound->set(arg, p.value, p.type);
    }
  }
  return declare + QLatin1String("; ") + init + QStringLiteral("EXEC @rc = %1 %2; ").arg(quotedProcedureName(name), args) + select;
}

PositionalSql toPositional(const QString& sql) { return toPositional(sql, false); }

QString withServerVariables(const QString& sql) { return toPositional(sql, true).text; }

PositionalSql toPositional(const QString& sql, bool asVariables) {
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
        if (asVariables) out.text += QLatin1Char('@') + out.names.back();
        else out.text += QLatin1Char('?');
        i = j;
        continue;
      }
    }
    out.text += c;
    ++i;
  }
  return out;
}

QVariant boundValue(const Params& params, const QString& name, int hint) {
  const Param* p = params.find(name, hint);
  if (!p) throw Error(QStringLiteral("No value for parameter '%1'").arg(name));
  return Params::typedValue(*p);
}

}  // namespace db

namespace db {

namespace {

struct CatalogueSource {
  QString group;
  std::function<QVector<CatalogueText>()> texts;
};

QVector<CatalogueSource>& catalogueSources() {
  static QVector<CatalogueSource> sources;
  return sources;
}

}  // namespace

void addToCatalogue(const QString& group, std::function<QVector<CatalogueText>()> texts) {
  catalogueSources().push_back({group, std::move(texts)});
}

CatalogueText procedureCall(const QString& procedure, std::initializer_list<ProcedureArg> args) {
  Params p;
  QStringList outputs;
  for (const ProcedureArg& a : args) {
    p.setNull(QString::fromLatin1(a.name), a.type);
    if (a.output) outputs << QString::fromLatin1(a.name);
  }
  return {procedure, procedureCallBatch(procedure, p, outputs)};
}

bool StatementGroup::add(const char* name, QString (*tsql)()) {
  entries_.push_back({name, tsql});
  return true;
}

QVector<CatalogueText> StatementGroup::texts() const {
  QVector<CatalogueText> out;
  for (const Entry& e : entries_) {
    QString text = e.tsql();
    if (!text.isEmpty()) out.push_back({QString::fromLatin1(e.name), std::move(text)});
  }
  return out;
}

QVector<CatalogueText> catalogue() {
  QVector<CatalogueText> out;
  for (const CatalogueSource& s : catalogueSources())
    for (CatalogueText t : s.texts()) {
      t.name = s.group + QLatin1Char('/') + t.name;
      out.push_back(std::move(t));
    }
  return out;
}

}  // namespace db
