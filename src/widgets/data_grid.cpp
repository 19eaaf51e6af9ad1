#include "data_grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QSet>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include "edits.h"
#include "textutil/dates.h"

namespace widgets {

namespace {

bool isNumericType(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
      return true;
    default:
      return false;
  }
}

bool isIntegralType(const QVariant& v) {
  return isNumericType(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

bool isDateType(const QVariant& v) { return v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate; }

bool sameValue(const QVariant& a, const QVariant& b) {
  const bool an = a.isNull() || !a.isValid();
  const bool bn = b.isNull() || !b.isValid();
  if (an || bn) return an == bn;
  if (isNumericType(a) && isNumericType(b)) return a.toDouble() == b.toDouble();
  if (isDateType(a) && isDateType(b)) return a.toDateTime() == b.toDateTime();
  return a.typeId() == b.typeId() ? a == b : a.toString() == b.toString();
}

// Black text on light backgrounds, white text on dark ones.
QColor textOn(const QColor& bg) { return qGray(bg.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black); }

}  // namespace

// ---- ResultModel ------------------------------------------------------------------------------

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultModel::setDataSource(DataSource* ds) {
  if (ds_) disconnect(ds_, nullptr, this, nullptr);
  ds_ = ds;
  if (ds_) {
    connect(ds_, &DataSource::resetDone, this, &ResultModel::reload);
    connect(ds_, &DataSource::rowUpdated, this, &ResultModel::refreshRow);
  }
  reload();
}

void ResultModel::setColumns(QVector<GridColumn> columns) {
  beginChanges();
  columns_ = std::move(columns);
  resolve();
  rows_ = result() ? result()->rowCount() : 0;
  endChanges();
}

void ResultModel::beginChanges() {
  if (changes_++ == 0) beginResetModel();
}

void ResultModel::endChanges() {
  if (changes_ > 0 && --changes_ == 0) endResetModel();
}

int ResultModel::columnOf(const QString& field) const {
  for (int i = 0; i < columns_.size(); ++i)
    if (columns_[i].field.compare(field, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

void ResultModel::resolve() {
  resultColumn_.resize(columns_.size());
  const db::Result* r = result();
  for (int i = 0; i < columns_.size(); ++i) resultColumn_[i] = r ? r->columnIndex(columns_[i].field) : -1;
}

void ResultModel::reload() {
  beginChanges();
  resolve();
  rows_ = result() ? result()->rowCount() : 0;
  endChanges();
}

void ResultModel::refreshRow(int row) {
  const db::Result* r = result();
  if (!r || r->rowCount() != rows_) {
    reload();
    return;
  }
  if (row < 0 || row >= rows_ || columns_.isEmpty()) return;
  Q_EMIT dataChanged(index(row, 0), index(row, columns_.size() - 1));
}

const QVariant* ResultModel::cell(int row, int column) const {
  const db::Result* r = result();
  if (!r || column < 0 || column >= resultColumn_.size()) return nullptr;
  const int rc = resultColumn_[column];
  if (rc < 0 || row < 0 || row >= r->rowCount() || rc >= r->columns().size()) return nullptr;
  return &r->at(row, rc);
}

QVariant ResultModel::value(int row, int column) const {
  const QVariant* v = cell(row, column);
  return v ? *v : QVariant();
}

QString ResultModel::displayTextAt(int row, int column) const {
  const GridColumn& c = columns_[column];
  if (c.isCheckBox()) return QString();
  static const QVariant null;
  const QVariant* v = cell(row, column);
  const QVariant& value = v ? *v : null;
  return c.displayText ? c.displayText(value) : displayText(value);
}

int ResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  const GridColumn& c = columns_[index.column()];
  switch (role) {
    case Qt::DisplayRole:
      if (c.isCheckBox()) return QVariant();
      return displayTextAt(index.row(), index.column());
    case Qt::EditRole: {
      const QVariant v = value(index.row(), index.column());
      if (c.editText) return c.editText(v);
      return c.displayText ? c.displayText(v) : displayText(v);
    }
    case Qt::CheckStateRole:
      if (!c.isCheckBox()) return QVariant();
      return value(index.row(), index.column()).toString() == c.checkValues[0] ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
      if (c.isCheckBox()) return int(Qt::AlignCenter);
      if (isNumericType(value(index.row(), index.column()))) return int(Qt::AlignRight | Qt::AlignVCenter);
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return QVariant();
  }
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const GridColumn& c = columns_[index.column()];
  const bool editable = !readOnly_ && !c.readOnly && resultColumn_.value(index.column(), -1) >= 0;
  if (editable) f |= c.isCheckBox() ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
  return f;
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
    return columns_[section].title.isEmpty() ? columns_[section].field : columns_[section].title;
  if (orientation == Qt::Vertical && role == Qt::DisplayRole) return QVariant();
  return QAbstractTableModel::headerData(section, orientation, role);
}

bool ResultModel::numericColumn(int row, int column) const {
  if (isNumericType(value(row, column))) return true;
  const db::Result* r = result();
  if (!r) return false;
  for (int i = 0; i < r->rowCount(); ++i) {
    const QVariant v = value(i, column);
    if (!v.isNull()) return isNumericType(v);
  }
  return false;
}

bool ResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || !(flags(index) & Qt::ItemIsEditable)) return false;
  if (role != Qt::EditRole) return false;
  const int row = index.row();
  const int col = index.column();
  const QVariant old = this->value(row, col);
  const QString text = value.toString();
  QVariant nv;
  if (numericColumn(row, col)) {
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    if (!t.isEmpty()) {
      bool ok = false;
      const qlonglong i = t.toLongLong(&ok);
      if (ok && (old.isNull() || isIntegralType(old))) {
        nv = i;
      } else {
        const double d = t.toDouble(&ok);
        // "nan" and "inf" read as numbers but are no quantity: every comparison with them fails.
        if (!ok || !std::isfinite(d)) return false;
        nv = d;
      }
    }
  } else if (isDateType(old)) {
    if (!text.trimmed().isEmpty()) {
      const auto dt = textutil::tryTextToDateTime(text);
      if (!dt) return false;
      nv = *dt;
    }
  } else {
    nv = text;
  }
  if (sameValue(old, nv)) return false;
  result()->setValueAt(row, resultColumn_[col], nv);
  Q_EMIT dataChanged(this->index(row, 0), this->index(row, columns_.size() - 1));
  Q_EMIT fieldChanged(row, columns_[col].field, old);
  return true;
}

bool ResultModel::toggle(const QModelIndex& index) {
  if (!index.isValid() || !(flags(index) & Qt::ItemIsUserCheckable)) return false;
  const GridColumn& c = columns_[index.column()];
  const QVariant old = value(index.row(), index.column());
  const QString nv = old.toString() == c.checkValues[0] ? c.checkValues[1] : c.checkValues[0];
  result()->setValueAt(index.row(), resultColumn_[index.column()], nv);
  Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), columns_.size() - 1));
  Q_EMIT fieldChanged(index.row(), c.field, old);
  return true;
}

void ResultModel::setFieldValue(int row, const QString& field, const QVariant& v) {
  db::Result* r = result();
  if (!r) return;
  const int rc = r->findColumn(field);
  if (row < 0 || row >= r->rowCount()) return;
  r->setValueAt(row, rc, v);
  if (row < rows_ && !columns_.isEmpty())
    Q_EMIT dataChanged(index(row, 0), index(row, columns_.size() - 1));
}

// ---- GridDelegate -----------------------------------------------------------------------------

GridDelegate::GridDelegate(DbGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  if (grid_->RowBackground) {
    const bool selected = opt.state & QStyle::State_Selected;
    const QColor bg = grid_->RowBackground(index.row(), selected);
    if (bg.isValid()) {
      opt.backgroundBrush = bg;
      opt.state &= ~QStyle::State_Selected;
      opt.palette.setColor(QPalette::Text, textOn(bg));
    }
  }
  const QWidget* w = opt.widget;
  QStyle* style = w ? w->style() : QApplication::style();
  const auto* model = static_cast<const ResultModel*>(index.model());
  if (model->columns()[index.column()].isCheckBox()) {
    // A centred check box, no text.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, w);
    QStyleOptionViewItem box = opt;
    const int size = style->pixelMetric(QStyle::PM_IndicatorWidth, &opt, w);
    box.rect = QRect(opt.rect.center().x() - size / 2, opt.rect.center().y() - size / 2, size, size);
    box.state &= ~QStyle::State_HasFocus;
    box.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, w);
    return;
  }
  // Background by the style, text drawn directly: a cell holds one line, so the style's general
  // text layout (wrapping, several lines) is not needed and would cost most of the repaint.
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, w);
  if (opt.text.isEmpty()) return;
  const QRect textRect = opt.rect.adjusted(3, 0, -3, 0);
  const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                          : QPalette::Inactive;
  painter->save();
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
  // A text wider than its cell is cut at the cell's edge.
  const DbGrid::CellLine* line = painter->device() && opt.direction == Qt::LeftToRight
                                     ? grid_->cellLine(painter->font(), painter->device()->logicalDpiY(), opt.text)
                                     : nullptr;
  if (!line) {
    painter->drawText(textRect, int(opt.displayAlignment) | Qt::TextSingleLine, opt.text);
  } else {
    // Placed and cut as drawText places and cuts one line in a rectangle.
    const QRectF r(textRect);
    const Qt::Alignment align = opt.displayAlignment;
    qreal yoff = 0, xoff = 0;
    if (align & Qt::AlignBottom) yoff = r.height() - line->height;
    else if (align & Qt::AlignVCenter) yoff = (r.height() - line->height) / 2;
    if (align & Qt::AlignRight) xoff = r.width() - line->naturalWidth;
    else if (align & Qt::AlignHCenter) xoff = (r.width() - line->naturalWidth) / 2;
    if (!r.contains(QRectF(r.x() + xoff, r.y() + yoff, line->naturalWidth, line->height))) painter->setClipRect(r, Qt::IntersectClip);
    if (align & Qt::AlignRight) xoff = r.width() - line->advance;
    else if (align & Qt::AlignHCenter) xoff = (r.width() - line->advance) / 2;
    for (const QGlyphRun& run : line->glyphs) painter->drawGlyphRun(QPointF(r.x() + xoff, r.y() + yoff), run);
  }
  painter->restore();
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
  auto* e = new QLineEdit(parent);
  e->setFrame(false);
  const auto* model = static_cast<const ResultModel*>(index.model());
  if (isNumericType(model->value(index.row(), index.column()))) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9,]*\\.?[0-9]*$"));
    e->setValidator(new QRegularExpressionValidator(number, e));
  }
  return e;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* e = qobject_cast<QLineEdit*>(editor)) e->setText(index.data(Qt::EditRole).toString());
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* e = qobject_cast<QLineEdit*>(editor)) model->setData(index, e->text(), Qt::EditRole);
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                               const QModelIndex& index) {
  auto* m = static_cast<ResultModel*>(model);
  if (index.isValid() && m->columns()[index.column()].isCheckBox() && (m->flags(index) & Qt::ItemIsUserCheckable)) {
    switch (event->type()) {
      case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton || !option.rect.contains(me->position().toPoint())) return false;
        return m->toggle(index);
      }
      case QEvent::MouseButtonDblClick:
        return true;  // the clicks of a double click toggle like two clicks, no editor
      case QEvent::KeyPress: {
        const int k = static_cast<QKeyEvent*>(event)->key();
        if (k == Qt::Key_Space || k == Qt::Key_Select) return m->toggle(index);
        return false;
      }
      default:
        return false;
    }
  }
  return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool GridDelegate::eventFilter(QObject* editor, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int k = static_cast<QKeyEvent*>(event)->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
      auto* w = qobject_cast<QWidget*>(editor);
      Q_EMIT commitData(w);
      Q_EMIT closeEditor(w, QAbstractItemDelegate::NoHint);
      grid_->moveToNextCell();
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(editor, event);
}

// ---- DbGrid -----------------------------------------------------------------------------------

DbGrid::DbGrid(QWidget* parent) : QTableView(parent), model_(new ResultModel(this)) {
  setModel(model_);
  setItemDelegate(new GridDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAlternatingRowColors(true);
  setWordWrap(false);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setTabKeyNavigation(false);
  // The selection stays visible when the grid does not have the focus.
  QPalette pal = palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(pal);

  QHeaderView* vh = verticalHeader();
  vh->setVisible(false);
  vh->setSectionResizeMode(QHeaderView::Fixed);
  vh->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* hh = horizontalHeader();
  hh->setSectionsClickable(true);
  hh->setHighlightSections(false);
  hh->setSectionResizeMode(QHeaderView::Interactive);
  hh->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
  connect(hh, &QHeaderView::sectionClicked, this, [this](int section) {
    if (section >= 0 && section < model_->columns().size()) Q_EMIT titleClicked(model_->columns()[section].field);
  });
  connect(model_, &ResultModel::fieldChanged, this, &DbGrid::fieldChanged);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { applyColumns(); });
}

void DbGrid::setDataSource(DataSource* ds) {
  if (DataSource* old = model_->dataSource()) disconnect(old, nullptr, this, nullptr);
  model_->setDataSource(ds);
  if (ds) connect(ds, &DataSource::cursorChanged, this, &DbGrid::followCursor);
  followCursor();
}

void DbGrid::clearColumns() { model_->setColumns({}); }

void DbGrid::addColumn(const GridColumn& c) {
  QVector<GridColumn> cs = model_->columns();
  cs.push_back(c);
  setColumns(cs);
}

void DbGrid::setColumns(const QVector<GridColumn>& cs) {
  model_->setColumns(cs);
  if (columnChanges_ == 0) followCursor();
}

DbGrid::ColumnChanges::ColumnChanges(DbGrid* grid) : grid_(grid) {
  ++grid_->columnChanges_;
  grid_->model_->beginChanges();
}

DbGrid::ColumnChanges::~ColumnChanges() {
  grid_->model_->endChanges();
  if (--grid_->columnChanges_ == 0) grid_->followCursor();
}

GridColumn* DbGrid::column(const QString& field) {
  const int i = model_->columnOf(field);
  return i < 0 ? nullptr : &model_->columnAt(i);
}

int DbGrid::charWidth() const { return CharWidth(fontMetrics()); }

int DbGrid::CharWidth(const QFontMetrics& fm) {
  // One character of a column: the average digit of the grid's font (numbers, dates and document
  // numbers are mostly digits). Once rows are there, each column takes the width of its widest
  // text (a Thai name, a code of capitals) instead, so nothing is cut.
  static const QString digits = QStringLiteral("0123456789");
  return int(std::ceil(fm.horizontalAdvance(digits) / double(digits.size())));
}

int DbGrid::TitleWidth(const QFontMetrics& fm, const QString& title) {
  // A title may take two lines, broken where the language allows (between Thai words too): the
  // narrowest of the two-line layouts, or the one line when it has no break.
  int best = fm.horizontalAdvance(title);
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, title);
  for (qsizetype at = breaks.toNextBoundary(); at > 0 && at < title.size(); at = breaks.toNextBoundary())
    best = std::min(best, std::max(fm.horizontalAdvance(title.left(at).trimmed()), fm.horizontalAdvance(title.mid(at).trimmed())));
  return best;
}

namespace {
// What a font measures with on a widget: the font itself (all its families) and the resolution.
QString measureKey(const QWidget* w) {
  const QFont& f = w->font();
  return f.key() + QLatin1Char('/') + f.families().join(QLatin1Char(',')) + QLatin1Char('/') + QString::number(w->logicalDpiY());
}
}  // namespace

double DbGrid::digitWidth() const {
  static const QString digits = QStringLiteral("0123456789");
  useTextWidthsOfFont();
  return textWidth(digits) / double(digits.size());
}

DbGrid::TitleWidths DbGrid::titleWidths(const QString& title) const {
  const QHeaderView* header = horizontalHeader();
  titleWidths_.use(measureKey(header));
  auto it = titleWidths_.widths.constFind(title);
  if (it != titleWidths_.widths.constEnd()) return *it;
  const QFontMetrics fm = header->fontMetrics();
  TitleWidths w;
  w.line = fm.horizontalAdvance(title);
  w.fitted = TitleWidth(fm, title);
  titleWidths_.widths.insert(title, w);
  return w;
}

const DbGrid::CellLine* DbGrid::cellLine(const QFont& font, int dpi, const QString& text) const {
  for (const QChar c : text)
    if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) return nullptr;
  // A few screens' and a long list's texts are kept; past that the texts start over.
  constexpr qsizetype kKept = 4096;
  if (dpi != lineDpi_ || !(font == lineFont_)) {
    lineFont_ = font;
    lineDpi_ = dpi;
    lines_.clear();
  } else if (lines_.size() >= kKept) {
    lines_.clear();
  }
  auto it = lines_.constFind(text);
  if (it == lines_.constEnd()) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setAlignment(Qt::AlignLeft);  // the cell aligns the line
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine l = layout.createLine();
    if (l.isValid()) l.setLineWidth(0x01000000);  // one line, never wrapped
    layout.endLayout();
    if (layout.lineCount() != 1) return nullptr;
    CellLine line;
    line.height = l.ascent() + l.descent();
    line.naturalWidth = l.naturalTextWidth();
    line.advance = l.horizontalAdvance();
    line.glyphs = layout.glyphRuns();
    it = lines_.insert(text, std::move(line));
  }
  return &*it;
}

void DbGrid::useTextWidthsOfFont() const { textWidths_.use(measureKey(this)); }

int DbGrid::textWidth(const QString& text) const {
  auto it = textWidths_.widths.constFind(text);
  if (it == textWidths_.widths.constEnd()) it = textWidths_.widths.insert(text, fontMetrics().horizontalAdvance(text));
  return *it;
}

int DbGrid::cellPadding() const {
  // The delegate's text margins on both sides, the grid line and a pixel of air.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  return 2 * margin + 2;
}

int DbGrid::designWidth(int column) const {
  const auto& cs = model_->columns();
  if (column < 0 || column >= cs.size()) return 0;
  const GridColumn& c = cs[column];
  int w = c.widthPixels > 0 ? c.widthPixels : int(std::lround(c.widthChars * digitWidth())) + cellPadding();
  if (c.isCheckBox()) w = std::max(w, style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) + cellPadding());
  // The title is never cut (on two lines when it is longer than the column's texts).
  const QString title = model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  const int titleMargin = 2 * (style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 2);
  return std::max(w, titleWidths(title).fitted + titleMargin);
}

int DbGrid::contentWidth(int column, int rows) const {
  if (column < 0 || column >= model_->columns().size() || model_->columns()[column].isCheckBox()) return 0;
  // Shaping a text is what costs; the widest text is among the longest ones, counted in the
  // characters that take room (Thai vowel and tone marks stand above or below another), so only
  // the few longest distinct texts are measured.
  constexpr int kCandidates = 8;
  const auto spacing = [](const QString& t) {
    int n = 0;
    for (const QChar c : t) n += c.unicode() < 0x300 || !c.isMark() ? 1 : 0;  // no mark comes before U+0300
    return n;
  };
  QSet<QString> seen;
  // A number, date or time seen before shows a text seen before: such values are told apart by
  // their bytes (equal bytes, equal value), and the text of each is built once.
  QSet<std::pair<int, quint64>> seenValues;
  QVector<std::pair<int, QString>> longest;  // by spacing length, longest first
  const int n = std::min(rows, model_->rowCount());
  for (int r = 0; r < n; ++r) {
    if (const QVariant* v = model_->cell(r, column)) {
      std::pair<int, quint64> key{v->typeId(), 0};
      switch (v->typeId()) {
        case QMetaType::UnknownType: break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Double:
        case QMetaType::QDate:
        case QMetaType::QDateTime:
          if (v->metaType().sizeOf() > int(sizeof(quint64))) key.first = -1;
          else std::memcpy(&key.second, v->constData(), size_t(v->metaType().sizeOf()));
          break;
        default: key.first = -1;  // texts and the rest: built every time
      }
      if (key.first >= 0) {
        if (seenValues.contains(key)) continue;
        seenValues.insert(key);
      }
    }
    QString text = model_->displayTextAt(r, column);
    if (text.isEmpty()) continue;
    const int len = spacing(text);
    // Texts as long as the shortest one kept are kept too (their widths may differ), up to a few
    // times the number. A text too short now stays too short (the shortest length kept only
    // grows), so it is left out before it is looked up among those seen.
    if (longest.size() >= kCandidates && len < longest.back().first) continue;
    if (longest.size() >= 4 * kCandidates && len == longest.back().first) continue;
    if (seen.contains(text)) continue;
    seen.insert(text);
    auto at = std::find_if(longest.begin(), longest.end(), [len](const auto& e) { return e.first < len; });
    longest.insert(at, {len, std::move(text)});
    while (longest.size() > kCandidates && longest.back().first < longest[kCandidates - 1].first) longest.removeLast();
    if (longest.size() > 4 * kCandidates) longest.removeLast();
  }
  int widest = 0;
  useTextWidthsOfFont();
  for (const auto& e : longest) widest = std::max(widest, textWidth(e.second));
  return widest ? widest + cellPadding() : 0;
}

void DbGrid::applyColumns() {
  // An empty grid shows its design widths (characters of the grid's font, never less than the
  // title); rows make each column as wide as its widest text and its title, so that numbers, codes
  // and names are never cut and the columns take no more room than they need.
  const auto& cs = model_->columns();
  const int titleMargin = 2 * (style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 2);
  for (int i = 0; i < cs.size(); ++i) {
    const int content = contentWidth(i, kMeasuredRows);
    if (model_->rowCount() == 0 || cs[i].widthPixels > 0) {
      setColumnWidth(i, std::max(designWidth(i), content));
      continue;
    }
    const QString title = model_->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    int w = std::max(content, titleWidths(title).fitted + titleMargin);
    if (cs[i].isCheckBox()) w = std::max(w, style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) + cellPadding());
    setColumnWidth(i, w);
  }
  // Room for titles on two lines where a column is narrower than its title.
  const QFontMetrics hfm = horizontalHeader()->fontMetrics();
  bool twoLines = false;
  for (int i = 0; i < cs.size(); ++i)
    twoLines = twoLines || titleWidths(model_->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString()).line >
                               columnWidth(i) - 2 * (style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 2);
  horizontalHeader()->setFixedHeight((twoLines ? 2 : 1) * hfm.height() + 10);
  updateGeometry();
  viewport()->update();
  growWindowToColumns();
}

void DbGrid::growWindowToColumns() {
  // Rows that came in with longer texts than the window was opened for: the window grows (within
  // the screen's free area) so that no column has to be scrolled to.
  QWidget* w = window();
  if (!w || w == this || !w->isVisible() || w->isMaximized() || w->isFullScreen()) return;
  const int scroll = verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const int missing = columnsWidth() - (viewport()->width() - scroll);
  if (missing <= 0) return;
  const QScreen* screen = w->screen();
  if (!screen) return;
  const QRect avail = screen->availableGeometry();
  const int frame = w->frameGeometry().width() - w->width();
  const int width = std::min(w->width() + missing, avail.width() - frame);
  if (width <= w->width()) return;
  w->resize(width, w->height());
  // Still on the screen: a window that grew past the right edge moves left.
  const QRect f = w->frameGeometry();
  if (f.right() > avail.right()) w->move(std::max(avail.left(), w->x() - (f.right() - avail.right())), w->y());
}

int DbGrid::columnsWidth() const {
  int w = 0;
  for (int i = 0; i < model_->columns().size(); ++i)
    if (!isColumnHidden(i)) w += columnWidth(i);
  return w;
}

QSize DbGrid::sizeHint() const {
  // Room for every column side by side, the vertical scroll bar and ten rows.
  const int frame = 2 * frameWidth();
  const int vh = verticalHeader()->isVisible() ? verticalHeader()->sizeHint().width() : 0;
  const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const int width = frame + vh + columnsWidth() + scroll;
  const int height = frame + horizontalHeader()->sizeHint().height() + 10 * verticalHeader()->defaultSectionSize() + scroll;
  return QSize(std::max(width, 120), height);
}

void DbGrid::addColumnLine(const QString& line) {
  const QStringList parts = line.split(QLatin1Char('\t'));
  GridColumn c;
  c.field = parts.value(0);
  c.widthChars = parts.value(1).toInt();
  c.title = parts.value(2);
  c.readOnly = parts.value(3).trimmed().compare(QLatin1String("T"), Qt::CaseInsensitive) == 0;
  addColumn(c);
}

void DbGrid::setCheckBox(const QString& field, const QString& values) {
  QVector<GridColumn> cs = model_->columns();
  for (auto& c : cs)
    if (c.field.compare(field, Qt::CaseInsensitive) == 0) c.checkValues = values.split(QLatin1Char(';'));
  setColumns(cs);
}

void DbGrid::setReadOnly(bool ro) {
  model_->setReadOnly(ro);
  viewport()->update();
}

void DbGrid::DisableControls() {
  if (DataSource* ds = model_->dataSource()) ds->DisableControls();
}

void DbGrid::EnableControls() {
  if (DataSource* ds = model_->dataSource()) ds->EnableControls();
}

void DbGrid::setFieldValue(int row, const QString& field, const QVariant& v) {
  model_->setFieldValue(row, field, v);
  if (DataSource* ds = model_->dataSource(); ds && row == ds->currentRow()) {
    // Bound edits of the same row follow.
    ds->rowChanged(row);
  }
}

QString DbGrid::currentField() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? model_->columns()[i.column()].field : QString();
}

void DbGrid::moveToNextCell() {
  const int rows = model_->rowCount();
  const int cols = model_->columnCount();
  if (rows == 0 || cols == 0) return;
  QModelIndex cur = currentIndex();
  int r = cur.isValid() ? cur.row() : 0;
  int c = cur.isValid() ? cur.column() : -1;
  do {
    ++c;
    if (c >= cols) {
      if (r + 1 >= rows) return;  // the last cell of the last row: stay
      ++r;
      c = 0;
    }
  } while (isColumnHidden(c) && c < cols);
  setCurrentIndex(model_->index(r, c));
}

void DbGrid::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && state() != QAbstractItemView::EditingState) {
    moveToNextCell();
    e->accept();
    return;
  }
  QTableView::keyPressEvent(e);
}

void DbGrid::mousePressEvent(QMouseEvent* e) {
  QPointer<DbGrid> self(this);
  QTableView::mousePressEvent(e);
  if (self) Q_EMIT mousePressed(e->button(), e->buttons(), e->modifiers());
}

void DbGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (following_ || !current.isValid()) return;
  if (DataSource* ds = model_->dataSource()) ds->moveTo(current.row());
}

void DbGrid::followCursor() {
  DataSource* ds = model_->dataSource();
  const int row = ds ? ds->currentRow() : -1;
  following_ = true;
  if (row >= 0 && row < model_->rowCount() && model_->columnCount() > 0) {
    const int col = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model_->index(row, col));
  } else {
    setCurrentIndex(QModelIndex());
  }
  following_ = false;
}

}  // namespace widgets
