// What a database backend provides to a Connection. Internal to the database client.
#pragma once

#include "db.h"

namespace db {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual Dialect dialect() const = 0;
  // Runs a text of one or more statements; returns the rows of the last SELECT (empty when none).
  // *changes receives the rows changed by the last statement that changed rows.
  virtual Result run(const QString& sql, const Params& params, int* changes) = 0;
  virtual void begin() = 0;
  virtual void commit() = 0;
  virtual void rollback() = 0;
  virtual void callProcedure(Connection& conn, const QString& name, Params& params, const QStringList& outputs) = 0;
};

// A row of `fields` nulls, made with room for two more fields: a window that turns a list's rows
// into its document's rows puts the document's own keys in front of them, and the row then grows
// in place instead of being copied to a larger block.
inline QVector<QVariant> newRow(qsizetype fields) {
  QVector<QVariant> row;
  row.reserve(fields + 2);
  row.resize(fields);
  return row;
}

std::unique_ptr<Backend> openSqliteBackend(const Connection& conn, const QString& folder);
std::unique_ptr<Backend> openOdbcBackend(const Connection& conn);

// A statement text with ":Name" parameters rewritten to "?" placeholders; names in order of use.
struct PositionalSql {
  QString text;
  QStringList names;
};
// Skips quoted literals, bracketed names and comments; "::" is left as it stands.
PositionalSql toPositional(const QString& sql);
// The same with each parameter written as the variable "@Name" instead of "?".
PositionalSql toPositional(const QString& sql, bool asVariables);

// The value bound for a name: the typed value of the parameter, or an error naming it when unset.
// `hint`: the position in params.list() where the name is looked for first (see Params::find).
QVariant boundValue(const Params& params, const QString& name, int hint = -1);

}  // namespace db
