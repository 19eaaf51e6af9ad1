// The database client: the only code of the program that talks to a database.
//
// A Connection is named by an alias ("DmCfg", "DMDATA", "DBHead"). Before every connect its
// before-connect hook rebuilds the list of parameter lines ("SERVER NAME=...", "DATABASE NAME=...");
// the after-connect hook runs after every connect. The connection opens on its first statement and
// stays open until it is destroyed.
//
// Two backends serve a connection; the server name decides (see docs/database.md):
//   * embedded: a folder holding one SQLite file per database name ("embedded:/path/to/site" or the
//     default site folder when the name is empty);
//   * SQL Server through ODBC and FreeTDS (any other server name), or any ODBC driver named by an
//     "ODBC DRIVER=" line (used by the tests with the SQLite ODBC driver).
//
// Statements are written with ":Name" parameters; binding a name binds every occurrence. A text may
// hold several statements; the rows of its last SELECT are the result. Results are cached in memory,
// read by column name (case-insensitive) and may be edited in memory; they are never written back.
// Every failure is a db::Error whose what() is the server's own message.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>

namespace db {

class Error : public std::runtime_error {
 public:
  explicit Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

enum class Dialect { SqlServer, Sqlite };

enum class ParamType { Unknown /* taken from the value */, Text, Integer, Float, DateTime };

struct Param {
  QString name;  // without the colon or the @
  ParamType type = ParamType::Unknown;
  QVariant value;  // null QVariant binds SQL NULL
};

// Named parameters of a statement, a script or a procedure call.
class Params {
 public:
  Param& operator[](const QString& name);  // creates an Unknown-typed null parameter when missing
  const Param* find(const QString& name) const;
  // The same, looking first at position `hint` of list(): a statement of many parameters set in the
  // order the text uses them finds each at once instead of searching the whole list.
  const Param* find(const QString& name, int hint) const;
  // Appends a parameter the list does not hold yet (the caller knows it is new: no search is made),
  // and the parameter at a position of list(), for statements whose many parameters are set by
  // position again and again.
  void append(Param p) { list_.push_back(std::move(p)); }
  Param& at(int index) { return list_[index]; }
  void set(const QString& name, const QVariant& value, ParamType type = ParamType::Unknown);
  void setText(const QString& name, const QString& v) { set(name, v, ParamType::Text); }
  void setInt(const QString& name, qint64 v) { set(name, v, ParamType::Integer); }
  void setFloat(const QString& name, double v) { set(name, v, ParamType::Float); }
  void setDateTime(const QString& name, const QDateTime& v) { set(name, v, ParamType::DateTime); }
  void setNull(const QString& name, ParamType type = ParamType::Unknown) { set(name, QVariant(), type); }
  void clear() { list_.clear(); }
  const QVector<Param>& list() const { return list_; }
  // The value converted to the parameter's declared type (Text -> QString, Integer -> qint64, ...).
  static QVariant typedValue(const Param& p);

 private:
  QVector<Param> list_;
};

// Rows held in memory. The cursor starts on the first row after a query opens.
class Result {
 public:
  Result() = default;
  Result(QStringList columns, QVector<QVector<QVariant>> rows);

  const QStringList& columns() const { return columns_; }
  int columnIndex(const QString& name) const;  // -1 when missing (case-insensitive)
  int findColumn(const QString& name) const;   // throws db::Error naming the column when missing
  int rowCount() const { return rows_.size(); }

  // Cursor.
  bool isEmpty() const { return rows_.isEmpty(); }
  void first() { pos_ = 0; }
  void last() { pos_ = rows_.isEmpty() ? 0 : rows_.size() - 1; }
  void next() { if (pos_ < rows_.size()) ++pos_; }
  void prior() { if (pos_ > 0) --pos_; }
  bool eof() const { return pos_ >= rows_.size(); }
  int recNo() const { return pos_; }  // 0-based
  void moveTo(int row) { pos_ = row; }

  // Values of the current row by column name.
  QVariant value(const QString& column) const;
  QString asString(const QString& column) const;  // null -> ""
  qint64 asInt(const QString& column) const;      // null -> 0; a fraction rounds to the nearest
  double asFloat(const QString& column) const;    // null -> 0
  QDateTime asDateTime(const QString& column) const;  // null -> invalid
  bool isNull(const QString& column) const;

  // Values by row and column index (models and grids).
  const QVariant& at(int row, int col) const { return rows_[row][col]; }
  QVariant& at(int row, int col) { return rows_[row][col]; }

  // In-memory editing: never written back to a database.
  void setValue(const QString& column, const QVariant& v);  // on the current row
  void setValueAt(int row, int col, const QVariant& v) { rows_[row][col] = v; }
  int append();   // appends an all-null row, makes it current, returns its index
  int insert(int row);
  void deleteRow();  // deletes the current row; the cursor stays at the same index
  void removeRow(int row);
  void clearRows() { rows_.clear(); pos_ = 0; }
  int addColumn(const QString& name);  // a computed/in-memory column, null on every row

  const QVector<QVector<QVariant>>& rows() const { return rows_; }
  QVector<QVector<QVariant>>& rows() { return rows_; }

 private:
  QStringList columns_;
  QHash<QString, int> index_;  // upper-cased name -> index
  QVector<QVector<QVariant>> rows_;
  int pos_ = 0;
};

class Backend;

// A named connection.
class Connection {
 public:
  explicit Connection(QString alias);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const QString& alias() const { return alias_; }

  // Parameter lines "NAME=VALUE". Rebuilt by beforeConnect on every connect.
  QStringList params;
  std::function<void(Connection&)> beforeConnect;
  std::function<void(Connection&)> afterConnect;
  // The value of a parameter line ("SERVER NAME"), empty when missing.
  QString paramValue(const QString& name) const;

  void open();  // no-op when open; runs the hooks around the connect
  void close();
  bool isOpen() const;
  Dialect dialect();  // opens the connection when needed

  void startTransaction();
  void commit();
  void rollback();  // no-op when no transaction is open
  bool inTransaction() const { return inTransaction_; }

  // Runs one text (may hold several statements) and returns the rows of its last SELECT.
  Result select(const QString& sql, const Params& params = {});
  // Runs one text and returns the number of rows changed by its last statement.
  int execute(const QString& sql, const Params& params = {});
  // Calls a stored procedure; outputs and the return value ("Result") are written back into params
  // (output parameters must be present in params, typed, before the call).
  void callProcedure(const QString& name, Params& params, const QStringList& outputNames);

  Backend& backend();  // opens when needed

 private:
  QString alias_;
  std::unique_ptr<Backend> backend_;
  bool inTransaction_ = false;
};

// The statement text chosen by dialect: T-SQL for SQL Server and, where SQLite cannot run the same
// text, the SQLite text beside it.
struct SqlText {
  QString tsql;
  QString sqlite;  // empty: the T-SQL text runs on SQLite as it stands
  const QString& pick(Dialect d) const { return d == Dialect::Sqlite && !sqlite.isEmpty() ? sqlite : tsql; }
};

// A query component: SQL as a list of lines, named parameters, a cached result.
class Query : public Result {
 public:
  explicit Query(Connection& c) : conn_(&c) {}
  Query(Connection& c, QStringList lines) : sql(std::move(lines)), conn_(&c) {}

  QStringList sql;       // lines; callers may rewrite single lines
  QStringList sqlSqlite; // when not empty, the text used on the embedded backend
  Params params;

  void open();       // runs the text, caches the rows, cursor on the first row
  int execSql();     // runs the text without keeping rows; returns rows changed
  void close();      // drops the rows and columns
  bool active() const { return active_; }
  Connection& connection() const { return *conn_; }
  void setConnection(Connection& c) { conn_ = &c; }
  QString text() const;  // the text that will run on the connection's dialect

 private:
  Connection* conn_;
  bool active_ = false;
};

// A script: statements separated by lines holding a single "/", each sent on its own. Parameters set
// by name apply to every statement that names them.
class Script {
 public:
  explicit Script(Connection& c) : conn_(&c) {}
  QStringList sql;
  QStringList sqlSqlite;
  Params params;
  void execute();
  static QStringList split(const QStringList& lines);  // the statements of a script

 private:
  Connection* conn_;
};

enum class ParamDir { Input, Output, InputOutput, Result };

// A stored-procedure component.
class StoredProc {
 public:
  StoredProc(Connection& c, QString name) : name_(std::move(name)), conn_(&c) {}
  // Declares a parameter (names without "@"); outputs must be declared before execute().
  void declare(const QString& name, ParamType type, ParamDir dir);
  void set(const QString& name, const QVariant& v);
  void execute();
  QVariant value(const QString& name) const;  // an output or "Result" after execute()
  const QString& name() const { return name_; }

 private:
  QString name_;
  Connection* conn_;
  Params params_;
  QStringList outputs_;
};

// Quotes a text as an SQL literal: 'text' with every quote doubled.
QString quoted(const QString& text);
// Escapes a text to stand inside a LIKE pattern literal that the caller follows with ESCAPE '\'
// (quotes doubled; \\ % _ [ matched as ordinary characters on both backends).
QString likeEscaped(const QString& text);
// Text for "Where x Like :P Escape '\'" built from a typed text: the escaped text between % marks.
QString likeContains(const QString& text);

// Converts a stored value to a date-time (ISO texts of the embedded backend included).
QDateTime toDateTime(const QVariant& v);
// A date-time as the embedded backend stores and binds it, "yyyy-MM-dd HH:mm:ss".
QString storedDateTimeText(const QDateTime& t);

// Whether a value read when a document was opened is still the stored one: nulls equal only nulls,
// texts compare without trailing blanks, dates as date-times (either backend's form), the rest
// as numbers.
bool sameStoredValue(const QVariant& a, const QVariant& b);

// ---- The embedded backend's server side -----------------------------------------------------
// A server procedure of the embedded backend: reads its inputs from params (names without "@") and
// writes its outputs and its return value ("Result") back into params. It runs on the caller's
// connection, inside the caller's transaction when one is open. Failures are db::Error.
using EmbeddedProcedure = std::function<void(Connection& conn, Params& params)>;
// Registers a procedure under its name (case-insensitive) for every embedded database.
void registerEmbeddedProcedure(const QString& name, EmbeddedProcedure proc);
bool hasEmbeddedProcedure(const QString& name);

// Called on every newly opened embedded database handle (an sqlite3*), with the database name:
// registers the server functions (GETDATE, YEAR, dbo.ShowQtyUnits, ...). Set by the embedded layer.
using SqliteOpenHook = std::function<void(void* sqlite3Handle, const QString& databaseName)>;
void addSqliteOpenHook(SqliteOpenHook hook);

// The folder of an embedded server named by a server name, or empty when the name names an ODBC
// server. The built-in default server name (no "Server.Dat") is "embedded:." (the current folder).
QString embeddedFolder(const QString& serverName);
inline const char* kDefaultServerName = "embedded:.";
// The file of a database of an embedded server: FOLDER/NAME.sqlite, NAME upper-cased.
QString embeddedDatabaseFile(const QString& folder, const QString& databaseName);

// SQLite's locks on the embedded databases are kept on SQLite's own open file descriptions (Linux
// open-file-description locks) instead of the process's record locks, which the process loses as
// soon as anything in it (a file dialog reading a file's type, a completer) opens and closes a
// database file. Installed before the first connection opens; true when they are in use.
bool useDescriptionLocks();
// The folders of the embedded sites opened by this process (canonical paths), and whether a folder
// is one of them.
void noteEmbeddedSiteFolder(const QString& folder);
QStringList openEmbeddedSiteFolders();
bool isEmbeddedSiteFolder(const QString& folder);
// The network file system a folder lies on ("NFS", "CIFS", "SMB2", ...), empty for a local one:
// SQLite's locks are not reliable there. networkFileSystemName() names a statfs() type.
QString networkFileSystemOf(const QString& folder);
QString networkFileSystemName(unsigned long fileSystemType);
// Tests: answers networkFileSystemOf() instead of statfs() (an empty function restores it);
// returns the previous one.
std::function<QString(const QString&)> setNetworkFileSystemProbe(std::function<QString(const QString&)> probe);

}  // namespace db
