#include "schema_upgrade.h"

#include "embedded/schema.h"

namespace data {

namespace {
QString upperName(const QString& name) { return db::quoted(name.trimmed().toUpper()); }
}  // namespace

QString TsqlColumnMissing(const QString& table, const QString& column) {
  return QStringLiteral(
             "If Not Exists (Select C.Name From SysObjects O Inner Join SysColumns C On C.Id = O.Id\n"
             "  Where Upper(LTrim(RTrim(O.Name))) = %1 And Upper(LTrim(RTrim(C.Name))) = %2)")
      .arg(upperName(table), upperName(column));
}

QString TsqlTableMissing(const QString& table) {
  return QStringLiteral("If Not Exists (Select Name From SysObjects Where Upper(LTrim(RTrim(Name))) = %1 And XType = 'U')")
      .arg(upperName(table));
}

UpgradeStep AddColumnIfMissing(const QString& table, const QString& column, const QString& tsqlType) {
  // A column the embedded server adds is nullable anyway: the type alone goes to the twin.
  QString type = tsqlType.trimmed();
  if (type.endsWith(QLatin1String(" Null"), Qt::CaseInsensitive) && !type.endsWith(QLatin1String("Not Null"), Qt::CaseInsensitive))
    type.chop(5);
  return {TsqlColumnMissing(table, column) + QStringLiteral("\n  Alter Table %1 Add %2 %3").arg(table, column, tsqlType),
          [table, column, type](db::Connection& c) { embedded::ensureColumn(c, table, column, type.trimmed()); }};
}

UpgradeStep CreateTableIfMissing(const QString& table, const QString& tsqlCreate) {
  return {TsqlTableMissing(table) + QStringLiteral("\nBegin\n") + tsqlCreate + QStringLiteral("\nEnd"),
          [table](db::Connection& c) { embedded::ensureTable(c, embedded::DatabaseKind::Company, table); }};
}

UpgradeStep Statement(const QString& sql) { return {sql, {}}; }

QStringList ScriptLines(const QVector<UpgradeStep>& steps) {
  QStringList lines;
  for (int i = 0; i < steps.size(); ++i) {
    if (i > 0) lines << QStringLiteral("/");
    lines << steps[i].tsql.split(QLatin1Char('\n'));
  }
  return lines;
}

void RunUpgrade(db::Connection& conn, db::Script& script, const QVector<UpgradeStep>& steps) {
  if (conn.dialect() == db::Dialect::SqlServer) {
    script.execute();
    return;
  }
  for (const UpgradeStep& s : steps) {
    // Each step runs under the database's write lock, so that its look and its change are one:
    // another copy of the program starting at the same moment finds the step either not done or
    // done whole, never a table without its indexes or a column added between the look and the
    // change ("duplicate column name"). Inside the caller's transaction the lock is held already.
    const bool ownTransaction = !conn.inTransaction();
    if (ownTransaction) conn.startTransaction();
    try {
      if (s.embedded)
        s.embedded(conn);
      else
        conn.execute(s.tsql);
      if (ownTransaction) conn.commit();
    } catch (...) {
      if (ownTransaction) conn.rollback();
      throw;
    }
  }
}

}  // namespace data
