// The embedded backend: one SQLite file per database name in the server's folder.
#include <sqlite3.h>

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QMutex>

#include "backend.h"
#include "sqlite_settings.h"

namespace db {

namespace {

QMutex& registryMutex() {
  static QMutex m;
  return m;
}
QHash<QString, EmbeddedProcedure>& procedures() {
  static QHash<QString, EmbeddedProcedure> p;
  return p;
}
QVector<SqliteOpenHook>& openHooks() {
  static QVector<SqliteOpenHook> h;
  return h;
}

// UTF-8 into a string. The texts of a database are mostly ASCII and Thai (three bytes a letter),
// which are decoded here directly, about three times as fast as the general decoder; a text with
// anything else (four-byte sequences, U+F000 and above, bytes that are no UTF-8) is given to the
// general decoder whole, so that every text reads exactly as QString::fromUtf8 reads it.
QString decodeUtf8(std::string_view text) {
  QString s(qsizetype(text.size()), Qt::Uninitialized);  // never more UTF-16 units than bytes
  char16_t* const begin = reinterpret_cast<char16_t*>(s.data());
  char16_t* out = begin;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    const unsigned c = *p;
    if (c < 0x80) {
      *out++ = char16_t(c);
      ++p;
    } else if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
      *out++ = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
      p += 2;
    } else if (c >= 0xE0 && c <= 0xEE && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80 &&
               (c != 0xE0 || p[1] >= 0xA0) && (c != 0xED || p[1] < 0xA0)) {
      // Not overlong (E0 80..9F), no surrogate (ED A0..BF).
      *out++ = char16_t(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
      p += 3;
    } else {
      return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
  }
  s.truncate(out - begin);
  return s;
}

// A text value: a date-time when its column is one and the text reads as one.
QVariant textValue(std::string_view text, bool isDate) {
  QString s = decodeUtf8(text);
  if (isDate) {
    QDateTime dt = toDateTime(s);
    if (dt.isValid()) return dt;
  }
  return s;
}

// The texts one column of a result has read, and the values they were read as: a text read again
// shares its value. The text read last is compared first (a column often repeats it on the next
// row); the others are looked up among those kept, as long as looking up pays: a column whose
// texts seldom come again (a product's name on lines of different products) stops keeping them.
class TextColumn {
 public:
  const QVariant& value(std::string_view text, bool isDate) {
    if (hasLast_ && text == std::string_view(lastText_)) return lastValue_;
    lastText_.assign(text);
    hasLast_ = true;
    if (keep_) {
      ++looked_;
      if (auto it = seen_.find(text); it != seen_.end()) {
        ++found_;
        lastValue_ = it->second;
        return lastValue_;
      }
    }
    lastValue_ = textValue(text, isDate);
    if (keep_) {
      if (looked_ >= kTrial && found_ * 2 < looked_) {
        keep_ = false;
        Seen().swap(seen_);
      } else {
        seen_.emplace(lastText_, lastValue_);
      }
    }
    return lastValue_;
  }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view t) const { return std::hash<std::string_view>()(t); }
  };
  using Seen = std::unordered_map<std::string, QVariant, Hash, std::equal_to<>>;
  static constexpr int kTrial = 64;  // look-ups before a column's keeping is judged
  std::string lastText_;
  QVariant lastValue_;
  bool hasLast_ = false;
  bool keep_ = true;
  int looked_ = 0;
  int found_ = 0;
  Seen seen_;
};

class SqliteBackend final : public Backend {
 public:
  SqliteBackend(sqlite3* h, QString name) : db_(h), name_(std::move(name)) {}
  ~SqliteBackend() override {
    // Every statement left, the cached ones and those a server function keeps for the life of the
    // connection: the connection and what its functions hold are then freed at once.
    while (sqlite3_stmt* st = sqlite3_next_stmt(db_, nullptr)) sqlite3_finalize(st);
    sqlite3_close_v2(db_);
  }

  Dialect dialect() const override { return Dialect::Sqlite; }

  Result run(const QString& sql, const Params& params, int* changes) override {
    const QByteArray utf8 = sql.toUtf8();
    Result last;
    int changed = 0;
    // A text of one statement keeps its prepared statement, and the names of its parameters, for
    // the next call with the same text.
    if (std::optional<Prepared> cached = takeCached(utf8)) {
      StmtGuard guard{this, std::move(*cached), utf8};
      step(guard.prepared, params, &last, &changed);
      if (changes) *changes = changed;
      return last;
    }
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    bool firstStatement = true;
    while (tail < end) {
      sqlite3_stmt* st = nullptr;
      const char* next = nullptr;
      if (sqlite3_prepare_v2(db_, tail, int(end - tail), &st, &next) != SQLITE_OK) fail();
      tail = next;
      if (!st) continue;  // blank or comment
      const bool single = firstStatement && onlyBlank(tail, end);
      firstStatement = false;
      StmtGuard guard{this, Prepared{st, parameterNames(st)}, single ? utf8 : QByteArray()};
      step(guard.prepared, params, &last, &changed);
    }
    if (changes) *changes = changed;
    return last;
  }

  void begin() override { exec("BEGIN IMMEDIATE"); }
  void commit() override { exec("COMMIT"); }
  void rollback() override {
    if (!sqlite3_get_autocommit(db_)) exec("ROLLBACK");
  }

  void callProcedure(Connection& conn, const QString& name, Params& params, const QStringList&) override {
    QString key = name.toUpper();
    if (key.startsWith(QLatin1String("DBO."))) key = key.mid(4);
    EmbeddedProcedure proc;
    {
      QMutexLocker lock(&registryMutex());
      proc = procedures().value(key);
    }
    if (!proc) throw Error(QStringLiteral("Could not find stored procedure '%1'.").arg(name));
    proc(conn, params);
  }

 private:
  // A prepared statement and the names of its parameters (without the ":") by index from 0.
  // SQLite finds a parameter's name by walking its list of names, so the names are read once,
  // when the statement is prepared, not at every bind.
  struct Prepared {
    sqlite3_stmt* st = nullptr;
    QStringList names;
  };

  // Finalizes a statement, or hands it back to the cache when it was the whole text.
  struct StmtGuard {
    SqliteBackend* owner;
    Prepared prepared;
    QByteArray key;
    ~StmtGuard() {
      if (key.isEmpty()) sqlite3_finalize(prepared.st);
      else owner->putCached(key, std::move(prepared));
    }
  };

  // Statements are sent with ":Name" parameters only: an unnamed one ("?") is refused.
  static QStringList parameterNames(sqlite3_stmt* st) {
    QStringList names;
    const int count = sqlite3_bind_parameter_count(st);
    names.reserve(count);
    for (int i = 1; i <= count; ++i) {
      const char* raw = sqlite3_bind_parameter_name(st, i);
      if (!raw) {
        sqlite3_finalize(st);
        throw Error(QStringLiteral("Unnamed parameter in statement"));
      }
      names << QString::fromUtf8(raw + 1);
    }
    return names;
  }

  static bool onlyBlank(const char* p, const char* end) {
    for (; p < end; ++p)
      if (!(*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t' || *p == ';')) return false;
    return true;
  }

  void step(const Prepared& prepared, const Params& params, Result* last, int* changed) {
    sqlite3_stmt* st = prepared.st;
    bind(prepared, params);
    // The first step comes before the column list is read: a statement prepared before a schema
    // change is prepared again inside it, and "Select *" then names the new columns.
    int rc = sqlite3_step(st);
    const int cols = sqlite3_column_count(st);
    QVector<QVector<QVariant>> rows;
    QVector<bool> isDate(cols, false);
    QStringList names;
    for (int c = 0; c < cols; ++c) {
      names << QString::fromUtf8(sqlite3_column_name(st, c));
      const char* decl = sqlite3_column_decltype(st, c);
      if (decl) {
        QByteArray d = QByteArray(decl).toUpper();
        isDate[c] = d.contains("DATE") || d.contains("TIME");
      }
    }
    // Texts repeat within a column (the order number, customer and date of the lines of one order;
    // a product's name, unit and stock on the lines of many orders; a flag): a text read before in
    // its column shares the value it was read as, instead of being decoded again (decoding UTF-8
    // and building a local date and time are most of what reading a text costs).
    std::vector<TextColumn> texts(size_t(std::max(cols, 0)));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
      // Each value is read once and built in its place in the row: the row is made of nulls, and a
      // value is constructed over its null (a null holds nothing that would need to be freed).
      QVector<QVariant> row = newRow(cols);
      QVariant* out = row.data();
      // The value of a column is taken once and read through the sqlite3_value functions (each
      // sqlite3_column_ function looks the column up again and checks the connection's state).
      // SQLite calls such use of a column's value unsafe between threads only; a connection is
      // used by one thread at a time.
      for (int c = 0; c < cols; ++c) {
        sqlite3_value* value = sqlite3_column_value(st, c);
        switch (sqlite3_value_type(value)) {
          case SQLITE_INTEGER: new (out + c) QVariant(qint64(sqlite3_value_int64(value))); break;
          case SQLITE_FLOAT: new (out + c) QVariant(sqlite3_value_double(value)); break;
          case SQLITE_TEXT: {
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            const size_t bytes = size_t(sqlite3_value_bytes(value));
            new (out + c) QVariant(texts[size_t(c)].value(std::string_view(text, bytes), isDate[c]));
            break;
          }
          case SQLITE_BLOB: {
            const char* blob = static_cast<const char*>(sqlite3_value_blob(value));
            new (out + c) QVariant(QByteArray(blob, sqlite3_value_bytes(value)));
            break;
          }
          default: break;  // NULL
        }
      }
      rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) fail();
    if (cols > 0) *last = Result(names, std::move(rows));
    else if (!sqlite3_stmt_readonly(st)) *changed = sqlite3_changes(db_);
  }

  std::optional<Prepared> takeCached(const QByteArray& key) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
      if (it->first == key) {
        Prepared p = std::move(it->second);
        cache_.erase(it);
        return p;
      }
    }
    return std::nullopt;
  }

  void putCached(const QByteArray& key, Prepared&& p) {
    sqlite3_reset(p.st);
    sqlite3_clear_bindings(p.st);
    cache_.insert(cache_.begin(), {key, std::move(p)});  // most recent first
    while (cache_.size() > kCacheSize) {
      sqlite3_finalize(cache_.back().second.st);
      cache_.pop_back();
    }
  }

  [[noreturn]] void fail() { throw Error(QString::fromUtf8(sqlite3_errmsg(db_))); }

  void exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
      QString m = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
      sqlite3_free(err);
      throw Error(m);
    }
  }

  void bind(const Prepared& prepared, const Params& params) {
    sqlite3_stmt* st = prepared.st;
    const int count = int(prepared.names.size());
    for (int i = 1; i <= count; ++i) {
      const QVariant v = boundValue(params, prepared.names[i - 1], i - 1);
      int rc = SQLITE_OK;
      if (v.isNull() || !v.isValid()) {
        rc = sqlite3_bind_null(st, i);
      } else {
        switch (v.typeId()) {
          case QMetaType::Bool: rc = sqlite3_bind_int(st, i, v.toBool() ? 1 : 0); break;
          case QMetaType::Int:
          case QMetaType::UInt:
          case QMetaType::LongLong:
          case QMetaType::ULongLong:
          case QMetaType::Short:
          case QMetaType::UShort: rc = sqlite3_bind_int64(st, i, v.toLongLong()); break;
          case QMetaType::Double:
          case QMetaType::Float: rc = sqlite3_bind_double(st, i, v.toDouble()); break;
          case QMetaType::QDateTime:
          case QMetaType::QDate: {
            QByteArray t = storedDateTimeText(toDateTime(v)).toUtf8();
            rc = sqlite3_bind_text(st, i, t.constData(), t.size(), SQLITE_TRANSIENT);
            break;
          }
          case QMetaType::QByteArray: {
            QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(st, i, b.constData(), b.size(), SQLITE_TRANSIENT);
            break;
          }
          default: {
            QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, i, t.constData(), t.size(), SQLITE_TRANSIENT);
          }
        }
      }
      if (rc != SQLITE_OK) fail();
    }
  }

  static constexpr size_t kCacheSize = 48;
  sqlite3* db_;
  QString name_;
  std::vector<std::pair<QByteArray, Prepared>> cache_;
};

}  // namespace

void registerEmbeddedProcedure(const QString& name, EmbeddedProcedure proc) {
  QMutexLocker lock(&registryMutex());
  procedures().insert(name.toUpper(), std::move(proc));
}

bool hasEmbeddedProcedure(const QString& name) {
  QMutexLocker lock(&registryMutex());
  return procedures().contains(name.toUpper());
}

void addSqliteOpenHook(SqliteOpenHook hook) {
  QMutexLocker lock(&registryMutex());
  openHooks().push_back(std::move(hook));
}

QString embeddedFolder(const QString& serverName) {
  const QString s = serverName.trimmed();
  if (s.isEmpty()) return QStringLiteral(".");
  if (s.startsWith(QLatin1String("embedded:"), Qt::CaseInsensitive)) {
    QString f = s.mid(9);
    return f.isEmpty() ? QStringLiteral(".") : f;
  }
  return QString();
}

QString embeddedDatabaseFile(const QString& folder, const QString& databaseName) {
  return QDir(folder).filePath(databaseName.trimmed().toUpper() + QStringLiteral(".sqlite"));
}

std::unique_ptr<Backend> openSqliteBackend(const Connection& conn, const QString& folder) {
  const QString dbName = conn.paramValue(QStringLiteral("DATABASE NAME")).trimmed();
  if (dbName.isEmpty()) throw Error(QStringLiteral("No database name given for connection '%1'").arg(conn.alias()));
  const QString file = embeddedDatabaseFile(folder, dbName);
  const bool create = conn.paramValue(QStringLiteral("CREATE DATABASE")).compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
  if (!create && !QFileInfo::exists(file))
    throw Error(QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed. (no file %2)")
                    .arg(dbName, QDir::cleanPath(QFileInfo(file).absoluteFilePath())));
  sqlite3* h = nullptr;
  // A connection is used by one thread at a time (all database work runs on the thread that owns the
  // connection), so SQLite's lock around every call on the connection is left out.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(file.toUtf8().constData(), &h, flags, nullptr) != SQLITE_OK) {
    QString m = h ? QString::fromUtf8(sqlite3_errmsg(h)) : QStringLiteral("out of memory");
    sqlite3_close_v2(h);
    throw Error(QStringLiteral("%1 (%2)").arg(m, file));
  }
  noteEmbeddedSiteFolder(folder);
  auto backend = std::make_unique<SqliteBackend>(h, dbName);
  bool ok = false;
  int timeout = conn.paramValue(QStringLiteral("BUSY TIMEOUT")).toInt(&ok);
  sqlite3_busy_timeout(h, ok ? timeout : 15000);
  sqlite3_extended_result_codes(h, 0);
  int changes = 0;
  backend->run(QString::fromLatin1(kSqliteHandleSettings), {}, &changes);
  QVector<SqliteOpenHook> hooks;
  {
    QMutexLocker lock(&registryMutex());
    hooks = openHooks();
  }
  for (auto& hook : hooks) hook(h, dbName.toUpper());
  return backend;
}

}  // namespace db
