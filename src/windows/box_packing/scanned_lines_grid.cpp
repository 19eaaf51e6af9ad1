#include "scanned_lines_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include "data_grid.h"

#include "edits.h"

namespace packing {

// ---- Titles ---------------------------------------------------------------------------------

void LineTitles::setColumns(const QVector<LineColumn>& columns) {
  beginResetModel();
  columns_ = columns;
  endResetModel();
}

int LineTitles::rowCount(const QModelIndex&) const { return 0; }
int LineTitles::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }
QVariant LineTitles::data(const QModelIndex&, int) const { return QVariant(); }

QVariant LineTitles::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_.size()) return QVariant();
  return columns_[section].title;
}

// ---- Grid -----------------------------------------------------------------------------------

namespace {

bool isNumber(const QVariant& v) {
  const int t = v.typeId();
  return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::UInt ||
         t == QMetaType::ULongLong;
}

}  // namespace

LineGrid::LineGrid(QWidget* parent) : QAbstractScrollArea(parent), titles_(new LineTitles(this)) {
  header_ = new QHeaderView(Qt::Horizontal, this);
  header_->setModel(titles_);
  header_->setSectionsClickable(false);
  header_->setHighlightSections(false);
  header_->setStretchLastSection(false);
  header_->setFocusPolicy(Qt::NoFocus);
  connect(header_, &QHeaderView::sectionResized, this, [this] {
    updateScrollBars();
    viewport()->update();
  });
  setFocusPolicy(Qt::StrongFocus);
  // The grid paints every pixel of its rows: scrolling moves what is on screen instead of
  // repainting it.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  // Flat scroll bars: a gradient scroll bar costs more to paint than the new row itself, and the
  // vertical one is repainted on every scan.
  const QString flat = QStringLiteral(
      "QScrollBar { background: palette(window); border: none; }"
      "QScrollBar:vertical { width: 14px; } QScrollBar:horizontal { height: 14px; }"
      "QScrollBar::handle { background: palette(mid); margin: 2px; }"
      "QScrollBar::handle:vertical { min-height: 24px; } QScrollBar::handle:horizontal { min-width: 24px; }"
      "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; }"
      "QScrollBar::add-page, QScrollBar::sub-page { background: none; }");
  verticalScrollBar()->setStyleSheet(flat);
  horizontalScrollBar()->setStyleSheet(flat);
  rowHeight_ = fontMetrics().height() + 4;
  verticalScrollBar()->setSingleStep(rowHeight_);
  horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 2);
  layoutHeader();
}

void LineGrid::layoutHeader() {
  const int height = header_->sizeHint().height();
  setViewportMargins(0, height, 0, 0);
  const QRect vg = viewport()->geometry();
  header_->setGeometry(vg.left(), vg.top() - height, vg.width(), height);
}

void LineGrid::setResult(const db::Result* result) {
  result_ = result;
  reload();
}

void LineGrid::setColumns(const QVector<LineColumn>& columns) {
  columns_ = columns;
  titles_->setColumns(columns);
  // Characters of the grid's font (Latin capitals, digits and Thai letters alike), never less
  // than the title.
  const int unit = widgets::DbGrid::CharWidth(fontMetrics());
  const QFontMetrics hfm = header_->fontMetrics();
  for (int i = 0; i < columns.size(); ++i)
    header_->resizeSection(i, std::max(columns[i].widthChars * unit + kCellPadding, hfm.horizontalAdvance(columns[i].title) + 16));
  resolve();
  layoutHeader();
  updateScrollBars();
  viewport()->update();
}

void LineGrid::resolve() {
  resultColumn_.resize(columns_.size());
  for (int i = 0; i < columns_.size(); ++i) resultColumn_[i] = result_ ? result_->columnIndex(columns_[i].field) : -1;
}

void LineGrid::widenTo(int first, int last) {
  // A text longer than its column widens the column: a name or a code is never cut.
  const QFontMetrics fm = fontMetrics();
  for (int c = 0; c < columns_.size(); ++c) {
    int widest = 0;
    for (int row = first; row <= last; ++row) widest = std::max(widest, fm.horizontalAdvance(text(row, c)));
    if (widest + kCellPadding > header_->sectionSize(c)) header_->resizeSection(c, widest + kCellPadding);
  }
}

QSize LineGrid::sizeHint() const {
  const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  return QSize(2 * frameWidth() + header_->length() + scroll + 14,
               2 * frameWidth() + header_->sizeHint().height() + 10 * rowHeight_ + 14);
}

void LineGrid::reload() {
  resolve();
  rows_ = result_ ? result_->rowCount() : 0;
  widenTo(0, std::min(rows_, 500) - 1);
  current_ = rows_ - 1;
  updateScrollBars();
  if (current_ >= 0) ensureVisible(current_);
  else verticalScrollBar()->setValue(0);
  viewport()->update();
}

void LineGrid::rowAppended() {
  const int count = result_ ? result_->rowCount() : 0;
  if (count != rows_ + 1) {
    // Not one row at the end: read the whole list again.
    reload();
    return;
  }
  rows_ = count;
  widenTo(rows_ - 1, rows_ - 1);
  updateScrollBars();
  setCurrentRow(rows_ - 1);
}

void LineGrid::setCurrentRow(int row) {
  if (row < -1 || row >= rows_) return;
  const int previous = current_;
  current_ = row;
  if (previous != row) updateRow(previous);
  updateRow(row);
  if (row >= 0) ensureVisible(row);
}

void LineGrid::updateRow(int row) {
  if (row < 0 || row >= rows_) return;
  const int y = row * rowHeight_ - verticalScrollBar()->value();
  const QRect r(0, y, viewport()->width(), rowHeight_);
  if (r.intersects(viewport()->rect())) viewport()->update(r);
}

void LineGrid::ensureVisible(int row) {
  QScrollBar* v = verticalScrollBar();
  const int top = row * rowHeight_;
  const int bottom = top + rowHeight_;
  const int height = viewport()->height();
  if (top < v->value()) v->setValue(top);
  else if (bottom > v->value() + height) v->setValue(bottom - height);
}

int LineGrid::contentWidth() const { return header_->length(); }

void LineGrid::updateScrollBars() {
  const QSize vs = viewport()->size();
  QScrollBar* v = verticalScrollBar();
  v->setPageStep(qMax(rowHeight_, vs.height()));
  v->setRange(0, qMax(0, rows_ * rowHeight_ - vs.height()));
  QScrollBar* h = horizontalScrollBar();
  h->setPageStep(qMax(1, vs.width()));
  h->setRange(0, qMax(0, contentWidth() - vs.width()));
}

void LineGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  layoutHeader();
  updateScrollBars();
}

void LineGrid::scrollContentsBy(int dx, int dy) {
  if (dx) header_->setOffset(horizontalScrollBar()->value());
  viewport()->scroll(dx, dy);
}

QString LineGrid::text(int row, int column) const {
  const int rc = resultColumn_.value(column, -1);
  if (!result_ || rc < 0 || row < 0 || row >= result_->rowCount()) return QString();
  return widgets::displayText(result_->at(row, rc));
}

QString LineGrid::cellText(int row, const QString& field) const {
  for (int c = 0; c < columns_.size(); ++c)
    if (columns_[c].field.compare(field, Qt::CaseInsensitive) == 0) return row < rows_ ? text(row, c) : QString();
  return QString();
}

int LineGrid::takePaintedRows() {
  const int n = paintedRows_;
  paintedRows_ = 0;
  return n;
}

void LineGrid::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  const QRect area = e->rect();
  const QPalette& pal = palette();
  const int offsetY = verticalScrollBar()->value();
  const int offsetX = horizontalScrollBar()->value();
  const int width = viewport()->width();
  const QColor gridLine = pal.color(QPalette::Mid);

  const int first = qMax(0, (area.top() + offsetY) / rowHeight_);
  const int last = qMin(rows_ - 1, (area.bottom() + offsetY) / rowHeight_);
  for (int row = first; row <= last; ++row) {
    ++paintedRows_;
    const int y = row * rowHeight_ - offsetY;
    const bool current = row == current_;
    const QColor background = current ? pal.color(QPalette::Active, QPalette::Highlight)
                                      : pal.color(row % 2 ? QPalette::AlternateBase : QPalette::Base);
    p.fillRect(QRect(0, y, width, rowHeight_), background);
    p.setPen(current ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Text));
    int x = -offsetX;
    for (int c = 0; c < columns_.size(); ++c) {
      const int w = header_->sectionSize(c);
      const QRect cell(x, y, w, rowHeight_);
      x += w;
      if (!cell.intersects(area)) continue;
      const int rc = resultColumn_.value(c, -1);
      if (rc >= 0 && result_ && row < result_->rowCount()) {
        const QVariant& v = result_->at(row, rc);
        const QString t = widgets::displayText(v);
        if (!t.isEmpty()) {
          const QRect textRect = cell.adjusted(3, 0, -3, 0);
          const Qt::Alignment align = (isNumber(v) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
          p.drawText(textRect, int(align), fontMetrics().elidedText(t, Qt::ElideRight, textRect.width()));
        }
      }
      const QPen pen = p.pen();
      p.setPen(gridLine);
      p.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
      p.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
      p.setPen(pen);
    }
  }
  // Below the last row.
  const int end = rows_ * rowHeight_ - offsetY;
  if (end <= area.bottom()) p.fillRect(QRect(area.left(), qMax(end, area.top()), area.width(), area.bottom() - qMax(end, area.top()) + 1),
                                       pal.color(QPalette::Base));
}

void LineGrid::keyPressEvent(QKeyEvent* e) {
  const int page = qMax(1, viewport()->height() / rowHeight_);
  int row = current_;
  switch (e->key()) {
    case Qt::Key_Up: row = qMax(0, current_ - 1); break;
    case Qt::Key_Down: row = qMin(rows_ - 1, current_ + 1); break;
    case Qt::Key_PageUp: row = qMax(0, current_ - page); break;
    case Qt::Key_PageDown: row = qMin(rows_ - 1, current_ + page); break;
    case Qt::Key_Home: row = 0; break;
    case Qt::Key_End: row = rows_ - 1; break;
    default:
      QAbstractScrollArea::keyPressEvent(e);
      return;
  }
  if (rows_ > 0) setCurrentRow(row);
  e->accept();
}

void LineGrid::mousePressEvent(QMouseEvent* e) {
  const int row = (int(e->position().y()) + verticalScrollBar()->value()) / rowHeight_;
  if (row >= 0 && row < rows_) setCurrentRow(row);
  QAbstractScrollArea::mousePressEvent(e);
}

// The highlight does not depend on the focus: gaining or losing it repaints nothing.
void LineGrid::focusInEvent(QFocusEvent*) {}
void LineGrid::focusOutEvent(QFocusEvent*) {}

}  // namespace packing
