// Fast loading of many rows into an embedded database: rows are gathered and sent as multi-row
// INSERT statements with literal values. Columns that the table lacks are left out when the
// schema marks them as added by the program's upgrade (a base-schema site); any other missing
// column is an error. Internal to the embedded layer (site creation and demo data).
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <initializer_list>

#include "db.h"

namespace embedded {

class BulkInsert {
 public:
  BulkInsert(db::Connection& conn, const QString& table, const QStringList& columns, int batch = 50);
  ~BulkInsert();  // rows not flushed are dropped; call flush()
  BulkInsert(const BulkInsert&) = delete;
  BulkInsert& operator=(const BulkInsert&) = delete;

  void add(std::initializer_list<QVariant> values);
  void add(const QVector<QVariant>& values);
  void flush();
  qint64 rows() const { return rows_; }

  // An SQL literal of a value: NULL, a number, 'text' (quotes doubled), a date-time as
  // 'yyyy-MM-dd HH:mm:ss', a byte array as X'..'.
  static QString literal(const QVariant& v);

 private:
  void addLiterals(const QVector<QVariant>& values);

  db::Connection& conn_;
  QString head_;
  QVector<bool> keep_;
  int columnCount_;
  int batch_;
  QStringList pending_;
  qint64 rows_ = 0;
};

}  // namespace embedded
