// The SQL Server backend: Qt's QODBC driver over unixODBC and the FreeTDS ODBC driver, with a
// DSN-less connection string made from the parameter lines. Any other ODBC driver can be named by
// an "ODBC DRIVER=" line (the tests use the SQLite ODBC driver); the database is then the
// "DATABASE NAME" line as that driver reads it.
//
// Two parameter lines set how statements run: "MAX QUERY TIME" (seconds) becomes each statement's
// ODBC query time-out (SQL_ATTR_QUERY_TIMEOUT), and with "ENABLE BCD=True" decimal columns are
// read as the text the server sends, so that an amount arrives exactly as stored (see
// exactDecimal below).
#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QSqlField>
#include <cmath>

#include "backend.h"
#include "tsql.h"

#include <sql.h>
#include <sqlext.h>

namespace db {

namespace {

QAtomicInt connectionSerial;

QString serverMessage(const QSqlError& e) {
  QString t = e.databaseText().trimmed();
  if (t.isEmpty()) t = e.text().trimmed();
  // unixODBC prefixes the server's text with the driver's names in brackets: "[FreeTDS][SQL Server]..."
  while (t.startsWith(QLatin1Char('['))) {
    int close = t.indexOf(QLatin1Char(']'));
    if (close < 0) break;
    t = t.mid(close + 1);
  }
  return t.trimmed();
}

// A decimal column read as text ("1234.50", "-.5", "12345678901234567.89"). The value is handed on
// as a double when the double's shortest text is the same number, so that the windows compute and
// format it as any other number; otherwise (more digits than a double holds) the exact text is
// handed on, and the readers convert it where they need a number.
QVariant exactDecimal(const QString& text) {
  bool ok = false;
  const double d = text.toDouble(&ok);
  if (!ok || !std::isfinite(d)) return text;
  // Both texts without sign, leading zeros of the integer part and trailing zeros of the fraction.
  auto normal = [](QString t) {
    t = t.trimmed();
    bool negative = t.startsWith(QLatin1Char('-'));
    if (negative || t.startsWith(QLatin1Char('+'))) t.remove(0, 1);
    if (t.contains(QLatin1Char('.'))) {
      while (t.endsWith(QLatin1Char('0'))) t.chop(1);
      if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    }
    while (t.startsWith(QLatin1Char('0'))) t.remove(0, 1);
    if (t.isEmpty() || t.startsWith(QLatin1Char('.'))) t.prepend(QLatin1Char('0'));
    if (t == QLatin1String("0")) negative = false;
    return negative ? QLatin1Char('-') + t : t;
  };
  return normal(text) == normal(QString::number(d, 'f', QLocale::FloatingPointShortest)) ? QVariant(d) : QVariant(text);
}

class OdbcBackend final : public Backend {
 public:
  OdbcBackend(QString connName, bool sqlServer, int queryTimeout, bool exactDecimals)
      : name_(std::move(connName)), sqlServer_(sqlServer), queryTimeout_(queryTimeout), exactDecimals_(exactDecimals) {}
  ~OdbcBackend() override {
    {
      QSqlDatabase d = QSqlDatabase::database(name_, false);
      d.close();
    }
    QSqlDatabase::removeDatabase(name_);
  }

  Dialect dialect() const override { return sqlServer_ ? Dialect::SqlServer : Dialect::Sqlite; }

  Result run(const QString& sql, const Params& params, int* changes) override {
    QSqlDatabase d = QSqlDatabase::database(name_, false);
    QSqlQuery q(d);
    q.setForwardOnly(true);
    // Decimal columns as the server's text, not through a binary double.
    if (exactDecimals_) q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const PositionalSql ps = toPositional(sql);
    if (!q.prepare(ps.text)) throw Error(serverMessage(q.lastError()));
    if (queryTimeout_ > 0) setQueryTimeout(q);
    for (int i = 0; i < ps.names.size(); ++i) {
      QVariant v = boundValue(params, ps.names[i], i);
      if (v.typeId() == QMetaType::QDateTime && !sqlServer_) v = v.toDateTime().toString("yyyy-MM-dd HH:mm:ss");
      q.bindValue(i, v);
    }
    if (!q.exec()) throw Error(serverMessage(q.lastError()));
    Result last;
    int changed = 0;
    // Every result set of a batch is read to its end; the rows of the last SELECT are kept.
    do {
      if (q.isSelect()) {
        const QSqlRecord rec = q.record();
        QStringList names;
        QVector<bool> decimal(rec.count(), false);
        for (int c = 0; c < rec.count(); ++c) {
          names << rec.fieldName(c);
          decimal[c] = exactDecimals_ && rec.field(c).metaType().id() == QMetaType::Double;
        }
        QVector<QVector<QVariant>> rows;
        while (q.next()) {
          QVector<QVariant> row = newRow(rec.count());
          for (int c = 0; c < rec.count(); ++c) {
            row[c] = q.value(c);
            if (decimal[c] && row[c].typeId() == QMetaType::QString) row[c] = exactDecimal(row[c].toString());
          }
          rows.push_back(std::move(row));
        }
        if (q.lastError().isValid()) throw Error(serverMessage(q.lastError()));
        last = Result(names, std::move(rows));
      } else if (q.numRowsAffected() >= 0) {
        changed = q.numRowsAffected();
      }
    } while (q.nextResult());
    if (q.lastError().isValid() && q.lastError().type() != QSqlError::NoError) throw Error(serverMessage(q.lastError()));
    if (changes) *changes = changed;
    return last;
  }

  void begin() override {
    if (!QSqlDatabase::database(name_, false).transaction())
      throw Error(serverMessage(QSqlDatabase::database(name_, false).lastError()));
  }
  void commit() override {
    if (!QSqlDatabase::database(name_, false).commit())
      throw Error(serverMessage(QSqlDatabase::database(name_, false).lastError()));
  }
  void rollback() override { QSqlDatabase::database(name_, false).rollback(); }

  // A procedure runs in a batch that returns its outputs and its return value as one row:
  //   SET NOCOUNT ON; DECLARE @rc int, @p1 <type>; SET @p1 = ?; EXEC @rc = Name @In = ?, @Out = @p1 OUTPUT;
  //   SELECT @rc AS Result, @p1 AS [Out]
  // QODBC hands output parameters over before FreeTDS has read every result set, and FreeTDS maps
  // {call} parameters by position only; a batch avoids both.
  void callProcedure(Connection&, const QString& name, Params& params, const QStringList& outputs) override {
    if (!sqlServer_) throw Error(QStringLiteral("Stored procedures need SQL Server; '%1' cannot run here").arg(name));
    Params bound;
    const QString batch = procedureCallBatch(name, params, outputs, &bound);
    int changes = 0;
    Result r = run(batch, bound, &changes);
    if (r.isEmpty()) throw Error(QStringLiteral("Procedure '%1' returned no outputs").arg(name));
    r.first();
    for (const QString& col : r.columns()) params.set(col, r.value(col));
  }

 private:
  // The statement's ODBC query time-out, set on the prepared statement before it runs.
  void setQueryTimeout(const QSqlQuery& q) const {
    const QVariant h = q.result()->handle();
    // QODBC hands the statement handle over as a void* (SQLHANDLE).
    if (!h.isValid() || (qstrcmp(h.typeName(), "void*") != 0 && qstrcmp(h.typeName(), "SQLHANDLE") != 0)) return;
    SQLHANDLE stmt = *static_cast<const SQLHANDLE*>(h.constData());
    if (!stmt) return;
    const SQLRETURN r = SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeout_)), 0);
    // A driver that cannot time statements out says so with SQL_SUCCESS_WITH_INFO (option value
    // changed) or an error; the statement then runs without a time-out, as before.
    (void)r;
  }

  QString name_;
  bool sqlServer_;
  int queryTimeout_;    // seconds; 0: none
  bool exactDecimals_;  // ENABLE BCD
};

QString odbcValue(const QString& v) {
  // Values holding ; { } are wrapped in braces for the ODBC connection string.
  if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('{')) || v.contains(QLatin1Char('}')))
    return QLatin1Char('{') + QString(v).replace(QLatin1String("}"), QLatin1String("}}")) + QLatin1Char('}');
  return v;
}

}  // namespace

std::unique_ptr<Backend> openOdbcBackend(const Connection& conn) {
  const QString driver = conn.paramValue(QStringLiteral("ODBC DRIVER")).trimmed();
  const bool sqlServer = driver.isEmpty() || driver.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive) ||
                         driver.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive);
  QString cs;
  const QString database = conn.paramValue(QStringLiteral("DATABASE NAME")).trimmed();
  if (sqlServer) {
    QString server = conn.paramValue(QStringLiteral("SERVER NAME")).trimmed();
    QString port = QStringLiteral("1433");
    int sep = server.lastIndexOf(QLatin1Char(','));
    if (sep < 0) sep = server.lastIndexOf(QLatin1Char(':'));
    if (sep > 0) { port = server.mid(sep + 1).trimmed(); server = server.left(sep); }
    // The port goes into the connection string as it stands: only digits, so that a server name
    // ("host,1433;UID=...") cannot add keys of its own.
    bool portOk = !port.isEmpty() && port.size() <= 5;
    for (QChar c : port) portOk = portOk && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!portOk) throw Error(QStringLiteral("'%1' is not a port number (server name '%2')").arg(port, server));
    cs = QStringLiteral("DRIVER={%1};SERVER=%2;PORT=%3;DATABASE=%4;UID=%5;PWD=%6;TDS_Version=7.4;ClientCharset=UTF-8;")
             .arg(driver.isEmpty() ? QStringLiteral("FreeTDS") : driver, odbcValue(server), port, odbcValue(database),
                  odbcValue(conn.paramValue(QStringLiteral("USER NAME"))), odbcValue(conn.paramValue(QStringLiteral("PASSWORD"))));
    const QString packet = conn.paramValue(QStringLiteral("TDS PACKET SIZE")).trimmed();
    if (!packet.isEmpty()) cs += QStringLiteral("PacketSize=%1;").arg(packet);
    const QString app = conn.paramValue(QStringLiteral("APPLICATION NAME")).trimmed();
    if (!app.isEmpty()) cs += QStringLiteral("APP=%1;").arg(odbcValue(app));
  } else {
    cs = QStringLiteral("DRIVER={%1};DATABASE=%2;").arg(driver, odbcValue(database));
  }
  const QString name = QStringLiteral("cons-odbc-%1-%2").arg(conn.alias()).arg(connectionSerial.fetchAndAddRelaxed(1));
  {
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    if (!d.isValid()) {
      QSqlDatabase::removeDatabase(name);
      throw Error(QStringLiteral("The ODBC database driver is not available"));
    }
    d.setDatabaseName(cs);
    QString opts = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15");
    // The driver manager's trace of every call (ours, for diagnosis): "ODBC TRACE FILE=path".
    const QString trace = conn.paramValue(QStringLiteral("ODBC TRACE FILE")).trimmed();
    if (!trace.isEmpty() && !trace.contains(QLatin1Char(';')))
      opts += QStringLiteral(";SQL_ATTR_TRACE=SQL_OPT_TRACE_ON;SQL_ATTR_TRACEFILE=") + trace;
    d.setConnectOptions(opts);
    if (!d.open()) {
      const QString m = serverMessage(d.lastError());
      d = QSqlDatabase();
      QSqlDatabase::removeDatabase(name);
      throw Error(m.isEmpty() ? QStringLiteral("Unable to connect to the database server") : m);
    }
  }
  bool timeoutOk = false;
  const int timeout = conn.paramValue(QStringLiteral("MAX QUERY TIME")).trimmed().toInt(&timeoutOk);
  const QString bcd = conn.paramValue(QStringLiteral("ENABLE BCD")).trimmed();
  return std::make_unique<OdbcBackend>(name, sqlServer, timeoutOk && timeout > 0 ? timeout : 0,
                                       bcd.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0);
}

}  // namespace db
