// LineColumn, LineTitles, LineGrid: the read-only grid of the box packing window over its line list (a
// cached result that only ever
// grows at the end while the user scans). It paints the rows itself, straight from the result:
// a scan appends a row to the result and tells the grid with rowAppended(), and the grid scrolls the
// rows already on screen by one row and paints only the new row and the row that loses the
// highlight. A scan therefore costs the same with 2,000 rows in the box as with none; opening or
// closing the list is a reload().
//
// Column titles are a header the user may resize; the current row (the last scanned one) is
// highlighted whether or not the grid has the focus; Up, Down, Page Up, Page Down, Home, End and
// the mouse move it.
#pragma once

#include <QAbstractScrollArea>
#include <QAbstractTableModel>
#include <QVector>

#include "db.h"

class QHeaderView;

namespace packing {

struct LineColumn {
  QString field;
  int widthChars = 10;
  QString title;
};

// The column titles for the header (the header needs a model; the rows are painted by the grid).
class LineTitles : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit LineTitles(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  void setColumns(const QVector<LineColumn>& columns);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QVector<LineColumn> columns_;
};

class LineGrid : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit LineGrid(QWidget* parent = nullptr);

  void setResult(const db::Result* result);
  void setColumns(const QVector<LineColumn>& columns);
  const QVector<LineColumn>& columns() const { return columns_; }
  QHeaderView* header() const { return header_; }

  // The result was opened, closed or replaced: the rows are read again, the last one is current.
  void reload();
  // One row was appended at the end of the result: it becomes current and is scrolled into view.
  void rowAppended();

  int rowCount() const { return rows_; }
  int currentRow() const { return current_; }  // -1 when there is none
  void setCurrentRow(int row);
  int rowHeight() const { return rowHeight_; }
  // The text a cell shows (empty outside the rows or for a field the grid does not show).
  QString cellText(int row, const QString& field) const;
  // The rows painted since the last call (the benchmark and the tests look at what a scan costs).
  int takePaintedRows();

  // Every column side by side, the vertical scroll bar and ten rows.
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void resolve();
  void widenTo(int first, int last);
  static constexpr int kCellPadding = 12;
  void layoutHeader();
  void updateScrollBars();
  void updateRow(int row);
  void ensureVisible(int row);
  int contentWidth() const;
  QString text(int row, int column) const;

  const db::Result* result_ = nullptr;
  QVector<LineColumn> columns_;
  QVector<int> resultColumn_;  // per grid column, the result column or -1
  LineTitles* titles_;
  QHeaderView* header_;
  int rows_ = 0;
  int current_ = -1;
  int rowHeight_ = 18;
  int paintedRows_ = 0;
};

}  // namespace packing
