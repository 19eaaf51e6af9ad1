// UpgradeStep: schema upgrade steps written once in T-SQL, with the same effect on the embedded server
// beside
// each. On SQL Server the steps run as the script component holding their T-SQL (statements
// separated by "/" lines); on the embedded server each step runs its declarative twin (ensure a
// table, ensure a column) or, for a plain statement, the T-SQL text as it stands.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

#include "db.h"

namespace data {

struct UpgradeStep {
  QString tsql;                                   // the statement SQL Server runs
  std::function<void(db::Connection&)> embedded;  // its twin on the embedded server; empty: run tsql
};

// T-SQL catalogue tests, as the production scripts write them.
QString TsqlColumnMissing(const QString& table, const QString& column);
QString TsqlTableMissing(const QString& table);

// Steps of the usual kinds.
UpgradeStep AddColumnIfMissing(const QString& table, const QString& column, const QString& tsqlType);
UpgradeStep CreateTableIfMissing(const QString& table, const QString& tsqlCreate);
UpgradeStep Statement(const QString& sql);

// The script lines of the steps (T-SQL, "/" between statements).
QStringList ScriptLines(const QVector<UpgradeStep>& steps);
// Runs the steps on the script's connection: the script itself on SQL Server, the twins on the
// embedded server. Each statement runs on its own, without a surrounding transaction; a failing one
// stops the run and leaves the earlier ones in place. On the embedded server each step runs in a
// transaction of its own (or the caller's), so that copies of the program starting at the same
// moment never see one half done.
void RunUpgrade(db::Connection& conn, db::Script& script, const QVector<UpgradeStep>& steps);

}  // namespace data
