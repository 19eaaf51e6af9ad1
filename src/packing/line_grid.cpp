#include "line_grid.h"

#include <QHeaderView>

#include "edits.h"

namespace packing {

void LineModel::setResult(const db::Result* result) {
  result_ = result;
  reset();
}

void LineModel::setColumns(const QVector<LineColumn>& columns) {
  beginResetModel();
  columns_ = columns;
  resolve();
  rows_ = result_ ? result_->rowCount() : 0;
  endResetModel();
}

void LineModel::resolve() {
  resultColumn_.resize(columns_.size());
  for (int i = 0; i < columns_.size(); ++i) resultColumn_[i] = result_ ? result_->columnIndex(columns_[i].field) : -1;
}

void LineModel::reset() {
  beginResetModel();
  resolve();
  rows_ = result_ ? result_->rowCount() : 0;
  endResetModel();
}

void LineModel::rowAppended() {
  const int count = result_ ? result_->rowCount() : 0;
  if (count != rows_ + 1) {
    // Not one row at the end: read the whole shape again.
    reset();
    return;
  }
  beginInsertRows(QModelIndex(), rows_, rows_);
  rows_ = count;
  endInsertRows();
}

int LineModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int LineModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant LineModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !result_ || index.row() >= rows_ || index.row() >= result_->rowCount()) return QVariant();
  const int rc = resultColumn_.value(index.column(), -1);
  if (rc < 0) return QVariant();
  const QVariant& v = result_->at(index.row(), rc);
  switch (role) {
    case Qt::DisplayRole:
      return widgets::displayText(v);
    case Qt::TextAlignmentRole: {
      const int t = v.typeId();
      const bool number = t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::UInt ||
                          t == QMetaType::ULongLong;
      return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    default:
      return QVariant();
  }
}

QVariant LineModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_.size()) return QVariant();
  return columns_[section].title;
}

Qt::ItemFlags LineModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

LineGrid::LineGrid(QWidget* parent) : QTableView(parent), model_(new LineModel(this)) {
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAlternatingRowColors(true);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setHighlightSections(false);
  // Selected rows keep their colour while the focus is elsewhere (it is on the barcode field).
  QPalette p = palette();
  p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);
}

void LineGrid::setColumns(const QVector<LineColumn>& columns) {
  model_->setColumns(columns);
  const int unit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  for (int i = 0; i < columns.size(); ++i) setColumnWidth(i, columns[i].widthChars * unit + 8);
}

void LineGrid::reload() { model_->reset(); }

void LineGrid::rowAppended() {
  model_->rowAppended();
  const int last = model_->rowCount() - 1;
  if (last < 0 || model_->columnCount() == 0) return;
  const QModelIndex i = model_->index(last, currentIndex().isValid() ? currentIndex().column() : 0);
  setCurrentIndex(i);
  scrollTo(i, QAbstractItemView::PositionAtBottom);
}

QString LineGrid::cellText(int row, const QString& field) const {
  const auto& cs = model_->columns();
  for (int c = 0; c < cs.size(); ++c)
    if (cs[c].field.compare(field, Qt::CaseInsensitive) == 0) return model_->data(model_->index(row, c), Qt::DisplayRole).toString();
  return QString();
}

}  // namespace packing
