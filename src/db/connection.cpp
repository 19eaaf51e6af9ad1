#include "backend.h"
#include "tsql.h"

namespace db {

Connection::Connection(QString alias) : alias_(std::move(alias)) {}
Connection::~Connection() = default;

QString Connection::paramValue(const QString& name) const {
  const QString key = name.trimmed().toUpper();
  for (const QString& line : params) {
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) continue;
    if (line.left(eq).trimmed().toUpper() == key) return line.mid(eq + 1);
  }
  return QString();
}

void Connection::open() {
  if (backend_) return;
  if (beforeConnect) beforeConnect(*this);
  const QString server = paramValue(QStringLiteral("SERVER NAME"));
  const QString folder = paramValue(QStringLiteral("ODBC DRIVER")).trimmed().isEmpty() ? embeddedFolder(server) : QString();
  // Before any database file of the process is opened (the ODBC path may reach SQLite too).
  useDescriptionLocks();
  backend_ = folder.isEmpty() ? openOdbcBackend(*this) : openSqliteBackend(*this, folder);
  inTransaction_ = false;
  if (afterConnect) afterConnect(*this);
}

void Connection::close() {
  backend_.reset();
  inTransaction_ = false;
}

bool Connection::isOpen() const { return bool(backend_); }

Backend& Connection::backend() {
  open();
  return *backend_;
}

Dialect Connection::dialect() { return backend().dialect(); }

void Connection::startTransaction() {
  if (inTransaction_) throw Error(QStringLiteral("A transaction is already active on connection '%1'").arg(alias_));
  backend().begin();
  inTransaction_ = true;
}

void Connection::commit() {
  if (!inTransaction_) throw Error(QStringLiteral("No transaction is active on connection '%1'").arg(alias_));
  backend().commit();
  inTransaction_ = false;
}

void Connection::rollback() {
  if (!inTransaction_ || !backend_) return;
  inTransaction_ = false;
  backend_->rollback();
}

Result Connection::select(const QString& sql, const Params& p) {
  int changes = 0;
  Result r = backend().run(sql, p, &changes);
  r.first();
  return r;
}

int Connection::execute(const QString& sql, const Params& p) {
  int changes = 0;
  backend().run(sql, p, &changes);
  return changes;
}

void Connection::callProcedure(const QString& name, Params& p, const QStringList& outputNames) {
  // The name goes into a statement on SQL Server: only a plain procedure name is sent.
  if (!isProcedureName(name)) throw Error(QStringLiteral("'%1' is not a procedure name").arg(name));
  backend().callProcedure(*this, name, p, outputNames);
}

// ---- Query ----------------------------------------------------------------------------------

QString Query::text() const {
  const QStringList& lines = (!sqlSqlite.isEmpty() && conn_->dialect() == Dialect::Sqlite) ? sqlSqlite : sql;
  return lines.join(QLatin1Char('\n'));
}

void Query::open() {
  Result r = conn_->select(text(), params);
  static_cast<Result&>(*this) = std::move(r);
  first();
  active_ = true;
}

int Query::execSql() {
  const int n = conn_->execute(text(), params);
  return n;
}

void Query::close() {
  static_cast<Result&>(*this) = Result();
  active_ = false;
}

// ---- Script ---------------------------------------------------------------------------------

QStringList Script::split(const QStringList& lines) {
  QStringList out;
  QStringList cur;
  auto flush = [&] {
    const QString s = cur.join(QLatin1Char('\n'));
    if (!s.trimmed().isEmpty()) out << s;
    cur.clear();
  };
  for (const QString& line : lines) {
    if (line.trimmed() == QLatin1String("/")) flush();
    else cur << line;
  }
  flush();
  return out;
}

void Script::execute() {
  const QStringList& lines = (!sqlSqlite.isEmpty() && conn_->dialect() == Dialect::Sqlite) ? sqlSqlite : sql;
  for (const QString& st : split(lines)) conn_->execute(st, params);
}

// ---- StoredProc -----------------------------------------------------------------------------

void StoredProc::declare(const QString& name, ParamType type, ParamDir dir) {
  QString n = name;
  if (n.startsWith(QLatin1Char('@'))) n = n.mid(1);
  Param& p = params_[n];
  p.type = type;
  if (dir == ParamDir::Output || dir == ParamDir::InputOutput) {
    if (!outputs_.contains(n, Qt::CaseInsensitive)) outputs_ << n;
  }
}

void StoredProc::set(const QString& name, const QVariant& v) {
  QString n = name;
  if (n.startsWith(QLatin1Char('@'))) n = n.mid(1);
  params_[n].value = v;
}

void StoredProc::execute() { conn_->callProcedure(name_, params_, outputs_); }

QVariant StoredProc::value(const QString& name) const {
  QString n = name;
  if (n.startsWith(QLatin1Char('@'))) n = n.mid(1);
  const Param* p = params_.find(n);
  return p ? p->value : QVariant();
}

}  // namespace db
