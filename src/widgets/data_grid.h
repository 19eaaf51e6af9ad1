// The data grid: a table view over the rows of a cached result (through a DataSource). The model
// reads the cached rows directly and never re-queries, so a grid of tens of thousands of rows scrolls
// and repaints as fast as the visible cells can be painted.
//
// Columns are set up by the window: field name, title, width in characters (or pixels), a read-only
// mark, optionally a check box bound to two values ("Y;N": checked, clear) that toggles on a single
// click or Space, and optional display and edit texts. The grid shows whole-row selection (also
// without the focus), alternating row colours, clickable titles (titleClicked reports the field),
// and asks an optional RowBackground callback for the background of every row.
//
// Editing: typing or F2 starts editing an editable cell; Enter commits it and moves to the next
// cell (Enter also moves on when not editing). A committed change that alters the value writes it
// into the result's row and emits fieldChanged(row, field, oldValue); the handler may correct the
// row or refuse the change with setFieldValue(row, field, oldValue), which writes and repaints
// without emitting fieldChanged again.
#pragma once

#include <QHash>

#include <QAbstractTableModel>
#include <QColor>
#include <QGlyphRun>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "data_source.h"

namespace widgets {

struct GridColumn {
  QString field;
  QString title;
  int widthChars = 10;
  int widthPixels = 0;  // when above 0 it replaces widthChars
  bool readOnly = false;
  QStringList checkValues;  // {"Y", "N"}: a check box column (checked value, clear value)
  std::function<QString(const QVariant&)> displayText;  // default: widgets::displayText
  std::function<QString(const QVariant&)> editText;     // default: the display text
  bool isCheckBox() const { return checkValues.size() == 2; }
};

class ResultModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ResultModel(QObject* parent = nullptr);

  void setDataSource(DataSource* ds);
  DataSource* dataSource() const { return ds_; }
  db::Result* result() const { return ds_ ? ds_->result() : nullptr; }

  void setColumns(QVector<GridColumn> columns);
  const QVector<GridColumn>& columns() const { return columns_; }
  GridColumn& columnAt(int i) { return columns_[i]; }
  int columnOf(const QString& field) const;  // -1 when no grid column shows the field
  void setReadOnly(bool ro) { readOnly_ = ro; }
  bool isReadOnly() const { return readOnly_; }

  // Re-reads the result's shape (row count, column positions).
  void reload();
  // Changes of the columns and reloads between the two reach the views as one reset, at the
  // outermost endChanges().
  void beginChanges();
  void endChanges();
  void refreshRow(int row);

  // The value of a grid cell (null when the result lacks the field or the row).
  QVariant value(int row, int column) const;
  // The value of a grid cell in the result's row, or null when there is none.
  const QVariant* cell(int row, int column) const;
  // The text a cell shows (empty for a check box).
  QString displayTextAt(int row, int column) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Writes a value without emitting fieldChanged.
  void setFieldValue(int row, const QString& field, const QVariant& v);
  // Toggles a check-box cell; false when the cell is not an editable check box.
  bool toggle(const QModelIndex& index);

 Q_SIGNALS:
  void fieldChanged(int row, const QString& field, const QVariant& oldValue);

 private:
  int changes_ = 0;
  void resolve();
  bool numericColumn(int row, int column) const;
  QPointer<DataSource> ds_;
  QVector<GridColumn> columns_;
  QVector<int> resultColumn_;  // per grid column, the result column (-1 when missing)
  int rows_ = 0;               // the row count the view knows
  bool readOnly_ = false;
};

class DbGrid;

class GridDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit GridDelegate(DbGrid* grid);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

 protected:
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
  bool eventFilter(QObject* editor, QEvent* event) override;

 private:
  DbGrid* grid_;
};

class DbGrid : public QTableView {
  Q_OBJECT
 public:
  explicit DbGrid(QWidget* parent = nullptr);

  void setDataSource(DataSource* ds);
  DataSource* dataSource() const { return model_->dataSource(); }
  ResultModel* resultModel() const { return model_; }

  // Column set-up.
  void clearColumns();
  void addColumn(const GridColumn& c);
  void setColumns(const QVector<GridColumn>& cs);
  const QVector<GridColumn>& columns() const { return model_->columns(); }
  GridColumn* column(const QString& field);  // change and call applyColumns(); null when absent
  void applyColumns();
  // Column changes made while an object of this class lives reach the view when it goes, as one
  // reset of the model (the header measured once, the columns applied once), and the grid then
  // follows the data source's row; meanwhile column() and columns() already show them.
  class ColumnChanges {
   public:
    explicit ColumnChanges(DbGrid* grid);
    ~ColumnChanges();
    ColumnChanges(const ColumnChanges&) = delete;
    ColumnChanges& operator=(const ColumnChanges&) = delete;

   private:
    DbGrid* grid_;
  };
  // The width of one character of a column in a font (the average digit); longer texts widen
  // their column.
  static int CharWidth(const QFontMetrics& fm);
  // The width a column title needs, on two lines where it can break.
  static int TitleWidth(const QFontMetrics& fm, const QString& title);
  int charWidth() const;
  // The width a column opens at: its characters (or pixels), never less than its title.
  int designWidth(int column) const;
  // The widest text of a column among its first `rows` rows, with the cell's margins (0: none).
  int contentWidth(int column, int rows) const;
  // The widths of the visible columns together.
  int columnsWidth() const;
  // Every column side by side, the vertical scroll bar and ten rows.
  QSize sizeHint() const override;
  // The rows whose texts widen a column (the first ones of a long list are enough).
  static constexpr int kMeasuredRows = 500;
  // A column from a tab-separated line: field, width in characters, title, read-only mark ("T"/"F").
  void addColumnLine(const QString& line);
  // Attaches a check box bound to "checked;clear" values (e.g. "Y;N") to a column.
  void setCheckBox(const QString& field, const QString& values);

  void setReadOnly(bool ro);
  bool isReadOnly() const { return model_->isReadOnly(); }

  // Suspends and resumes the repaints of the grid and of every control on its data source.
  void DisableControls();
  void EnableControls();

  // The row's background colour (an invalid colour keeps the grid's own colours). A row with a
  // colour keeps it when selected.
  std::function<QColor(int row, bool selected)> RowBackground;

  // Writes a value to a row and repaints it, without emitting fieldChanged.
  void setFieldValue(int row, const QString& field, const QVariant& v);
  // The field of the current cell (empty when none).
  QString currentField() const;
  // Moves to the next cell: the next column, or the first column of the next row after the last.
  void moveToNextCell();

  // A cell's text laid out on one line as QPainter::drawText lays it out in a rectangle: its glyphs
  // and the line's measures, kept per font, so that a text repeated from row to row (units,
  // customers, dates) or painted again (scrolling, a moved cursor, another Load) is not shaped
  // again. Null for a text that one line cannot show as drawText shows it (line breaks, tabs).
  struct CellLine {
    QList<QGlyphRun> glyphs;  // placed from the line's top left corner
    qreal height = 0;         // ascent and descent
    qreal naturalWidth = 0;
    qreal advance = 0;
  };
  const CellLine* cellLine(const QFont& font, int dpi, const QString& text) const;

 Q_SIGNALS:
  void fieldChanged(int row, const QString& field, const QVariant& oldValue);
  void titleClicked(const QString& field);
  // A mouse press on a cell, after the grid moved to the cell's row.
  void mousePressed(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void followCursor();
  int cellPadding() const;
  void growWindowToColumns();
  // Widths measured per text in one font, kept until the font or the resolution changes: the
  // columns are applied again at every change of the set (a window adds its columns one at a time)
  // and at every Load, whose widest texts are mostly those of the Load before.
  template <typename T>
  struct MeasuredTexts {
    QString font;  // what the widths were measured with (measureKey)
    QHash<QString, T> widths;
    // Drops the widths of another font (and, past a few thousand texts, all of them).
    void use(const QString& key) {
      if (key != font || widths.size() >= 4096) widths.clear();
      font = key;
    }
  };
  // The average digit of the grid's font.
  double digitWidth() const;
  // A title's width on one line and as TitleWidth gives it, in the header's font.
  struct TitleWidths {
    int line = 0;
    int fitted = 0;
  };
  TitleWidths titleWidths(const QString& title) const;
  // QFontMetrics::horizontalAdvance of a text in the grid's font. useTextWidthsOfFont() comes
  // before a round of textWidth() calls (it builds the font's key once for the round).
  void useTextWidthsOfFont() const;
  int textWidth(const QString& text) const;
  mutable MeasuredTexts<TitleWidths> titleWidths_;
  mutable MeasuredTexts<int> textWidths_;
  mutable QFont lineFont_;
  mutable int lineDpi_ = 0;
  mutable QHash<QString, CellLine> lines_;
  ResultModel* model_;
  bool following_ = false;
  int columnChanges_ = 0;
};

}  // namespace widgets
