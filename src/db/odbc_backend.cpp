// The SQL Server backend: Qt's QODBC driver over unixODBC and the FreeTDS ODBC driver, with a
// DSN-less connection string made from the parameter lines. Any other ODBC driver can be named by
// an "ODBC DRIVER=" line (the tests use the SQLite ODBC driver); the database is then the
// "DATABASE NAME" line as that driver reads it.
#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "backend.h"

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

QString sqlType(ParamType t) {
  switch (t) {
    case ParamType::Integer: return QStringLiteral("bigint");
    case ParamType::Float: return QStringLiteral("float");
    case ParamType::DateTime: return QStringLiteral("datetime");
    default: return QStringLiteral("nvarchar(4000)");
  }
}

class OdbcBackend final : public Backend {
 public:
  OdbcBackend(QString connName, bool sqlServer) : name_(std::move(connName)), sqlServer_(sqlServer) {}
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
    const PositionalSql ps = toPositional(sql);
    if (!q.prepare(ps.text)) throw Error(serverMessage(q.lastError()));
    for (int i = 0; i < ps.names.size(); ++i) {
      QVariant v = boundValue(params, ps.names[i]);
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
        for (int c = 0; c < rec.count(); ++c) names << rec.fieldName(c);
        QVector<QVector<QVariant>> rows;
        while (q.next()) {
          QVector<QVariant> row(rec.count());
          for (int c = 0; c < rec.count(); ++c) row[c] = q.value(c);
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
    QString declare = QStringLiteral("SET NOCOUNT ON; DECLARE @rc int");
    QString init, args, select = QStringLiteral("SELECT @rc AS Result");
    Params bound;
    int n = 0;
    QStringList outs;
    for (const auto& o : outputs) outs << o.toUpper();
    for (const Param& p : params.list()) {
      if (p.name.compare(QLatin1String("Result"), Qt::CaseInsensitive) == 0) continue;
      const QString arg = QStringLiteral("a%1").arg(n++);
      if (!args.isEmpty()) args += QLatin1String(", ");
      if (outs.contains(p.name.toUpper())) {
        declare += QStringLiteral(", @%1 %2").arg(arg, sqlType(p.type));
        if (!p.value.isNull()) {
          init += QStringLiteral("SET @%1 = :%1; ").arg(arg);
          bound.set(arg, p.value, p.type);
        }
        args += QStringLiteral("@%1 = @%2 OUTPUT").arg(p.name, arg);
        select += QStringLiteral(", @%1 AS [%2]").arg(arg, p.name);
      } else {
        args += QStringLiteral("@%1 = :%2").arg(p.name, arg);
        bound.set(arg, p.value, p.type);
      }
    }
    const QString batch = declare + QLatin1String("; ") + init + QStringLiteral("EXEC @rc = %1 %2; ").arg(name, args) + select;
    int changes = 0;
    Result r = run(batch, bound, &changes);
    if (r.isEmpty()) throw Error(QStringLiteral("Procedure '%1' returned no outputs").arg(name));
    r.first();
    for (const QString& col : r.columns()) params.set(col, r.value(col));
  }

 private:
  QString name_;
  bool sqlServer_;
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
    d.setConnectOptions(opts);
    if (!d.open()) {
      const QString m = serverMessage(d.lastError());
      d = QSqlDatabase();
      QSqlDatabase::removeDatabase(name);
      throw Error(m.isEmpty() ? QStringLiteral("Unable to connect to the database server") : m);
    }
  }
  return std::make_unique<OdbcBackend>(name, sqlServer);
}

}  // namespace db
