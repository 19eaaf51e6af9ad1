// The read-only grid of the box packing window over its line list (a cached result that only ever
// grows at the end while the user scans). A scan appends a row to the result and tells the grid
// with rowAppended(): the grid inserts that one row and follows it, without re-reading the rest, so
// a scan costs the same with 2,000 rows in the box as with none. Opening or closing the list is
// a reload().
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <QVector>

#include "db.h"

namespace packing {

struct LineColumn {
  QString field;
  int widthChars = 10;
  QString title;
};

class LineModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit LineModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void setResult(const db::Result* result);
  void setColumns(const QVector<LineColumn>& columns);
  const QVector<LineColumn>& columns() const { return columns_; }

  // The result was opened, closed or replaced.
  void reset();
  // One row was appended at the end of the result.
  void rowAppended();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void resolve();
  const db::Result* result_ = nullptr;
  QVector<LineColumn> columns_;
  QVector<int> resultColumn_;  // per grid column, the result column or -1
  int rows_ = 0;               // the rows the view knows
};

class LineGrid : public QTableView {
  Q_OBJECT
 public:
  explicit LineGrid(QWidget* parent = nullptr);

  LineModel* lineModel() const { return model_; }
  void setResult(const db::Result* result) { model_->setResult(result); }
  void setColumns(const QVector<LineColumn>& columns);

  // The result was opened, closed or replaced.
  void reload();
  // One row was appended at the end of the result: it becomes current and is scrolled into view.
  void rowAppended();

  // The text a cell shows (tests and the benchmark read the grid through it).
  QString cellText(int row, const QString& field) const;

 private:
  LineModel* model_;
};

}  // namespace packing
