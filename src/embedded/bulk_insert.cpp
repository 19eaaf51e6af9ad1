#include "bulk_insert.h"

#include <QDateTime>
#include <QLocale>

#include "schema.h"

namespace embedded {

BulkInsert::BulkInsert(db::Connection& conn, const QString& table, const QStringList& columns, int batch)
    : conn_(conn), columnCount_(int(columns.size())), batch_(batch) {
  db::Params p;
  p.setText(QStringLiteral("T"), table);
  const db::Result existing = conn_.select(QStringLiteral("Select name From pragma_table_info(:T)"), p);
  if (existing.isEmpty()) throw db::Error(QStringLiteral("Invalid object name '%1'.").arg(table));
  QStringList have;
  for (const auto& row : existing.rows()) have << row[0].toString().toUpper();
  const TableDef* def = findTableAnywhere(table);
  QStringList kept;
  for (const QString& c : columns) {
    const bool present = have.contains(c.toUpper());
    if (!present) {
      const ColumnDef* cd = def ? def->column(c) : nullptr;
      if (!cd || !cd->upgrade) throw db::Error(QStringLiteral("Invalid column name '%1' (table %2).").arg(c, table));
    }
    keep_ << present;
    if (present) kept << c;
  }
  head_ = QStringLiteral("INSERT INTO %1 (%2) VALUES\n").arg(table, kept.join(QStringLiteral(", ")));
}

BulkInsert::~BulkInsert() = default;

QString BulkInsert::literal(const QVariant& v) {
  if (!v.isValid() || v.isNull()) return QStringLiteral("NULL");
  switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return QString::number(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDateTime: return QLatin1Char('\'') + v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\'');
    case QMetaType::QDate: return QLatin1Char('\'') + v.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00'");
    case QMetaType::QByteArray: return QStringLiteral("X'") + QString::fromLatin1(v.toByteArray().toHex()) + QLatin1Char('\'');
    default: return db::quoted(v.toString());
  }
}

void BulkInsert::add(std::initializer_list<QVariant> values) { add(QVector<QVariant>(values)); }

void BulkInsert::add(const QVector<QVariant>& values) {
  if (values.size() != columnCount_)
    throw db::Error(QStringLiteral("BulkInsert: %1 values for %2 columns").arg(values.size()).arg(columnCount_));
  addLiterals(values);
}

void BulkInsert::addLiterals(const QVector<QVariant>& values) {
  QString row;
  row.reserve(16 * values.size());
  row += QLatin1Char('(');
  bool first = true;
  for (int i = 0; i < values.size(); ++i) {
    if (!keep_[i]) continue;
    if (!first) row += QLatin1Char(',');
    first = false;
    row += literal(values[i]);
  }
  row += QLatin1Char(')');
  pending_ << row;
  ++rows_;
  if (pending_.size() >= batch_) flush();
}

void BulkInsert::flush() {
  if (pending_.isEmpty()) return;
  const QString sql = head_ + pending_.join(QStringLiteral(",\n"));
  pending_.clear();
  conn_.execute(sql);
}

}  // namespace embedded
