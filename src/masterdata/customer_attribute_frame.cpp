#include "customer_attribute_frame.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QValidator>

#include "dialog_support.h"
#include "modal.h"
#include "data_module.h"
#include "embedded.h"
#include "attribute_code_search.h"

namespace masterdata {

namespace {
// Upper case, letters and digits only (every position optional), as the code field's mask allows.
class CodeValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    for (QChar c : input)
      if (!c.isLetterOrNumber()) return Invalid;
    return Acceptable;
  }
};

QIcon ellipsisIcon() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(2 + i * 4.5, 10, 2.5, 2.5));
  return QIcon(pm);
}
}  // namespace

void DescriptionDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
  option->backgroundBrush = option->widget ? option->widget->palette().button() : QBrush(QColor(240, 240, 240));
}

AttrCodeDelegate::AttrCodeDelegate(TFaSelectCustomerAttr* frame) : QStyledItemDelegate(frame), frame_(frame) {}

QWidget* AttrCodeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QStringLiteral("AttrCodeEditor"));
  e->setMaxLength(maxLength);
  e->setValidator(new CodeValidator(e));
  e->setFrame(false);
  QAction* ellipsis = e->addAction(ellipsisIcon(), QLineEdit::TrailingPosition);
  ellipsis->setObjectName(QStringLiteral("EllipsisButton"));
  connect(ellipsis, &QAction::triggered, frame_, [f = frame_] { f->DgSelectCusAttrEditButtonClick(); });
  e->installEventFilter(const_cast<AttrCodeDelegate*>(this));
  editor_ = e;
  return e;
}

void AttrCodeDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
}

void AttrCodeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  model->setData(index, static_cast<QLineEdit*>(editor)->text().left(maxLength).toUpper(), Qt::EditRole);
}

void AttrCodeDelegate::finishEditing() {
  if (!editor_) return;
  QWidget* e = editor_;
  editor_ = nullptr;
  Q_EMIT commitData(e);
  Q_EMIT closeEditor(e, QAbstractItemDelegate::NoHint);
}

bool AttrCodeDelegate::eventFilter(QObject* editor, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    auto* w = qobject_cast<QWidget*>(editor);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_F5) {
      if (w == editor_) finishEditing();
      frame_->DgSelectCusAttrKeyDown(k->key(), k->modifiers());
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(editor, event);
}

}  // namespace masterdata

TFaSelectCustomerAttr::TFaSelectCustomerAttr(QWidget* parent) : QFrame(parent), QCusAttrGroup(DM->DMdata) {
  setObjectName(QStringLiteral("FaSelectCustomerAttr"));
  QCusAttrGroup.sql = masterdata::cusAttrGroupLines();
  DCusAttrGroup = new widgets::DataSource(&QCusAttrGroup, this);
  DgSelectCusAttr = new widgets::DbGrid(this);
  DgSelectCusAttr->setObjectName(QStringLiteral("DgSelectCusAttr"));
  DgSelectCusAttr->setCursor(Qt::PointingHandCursor);
  DgSelectCusAttr->setAlternatingRowColors(false);
  DgSelectCusAttr->setSelectionBehavior(QAbstractItemView::SelectItems);
  DgSelectCusAttr->setDataSource(DCusAttrGroup);
  DgSelectCusAttr->setColumns({masterdata::column(QStringLiteral("Description"), QStringLiteral("คุณสมบัติ"), 160),
                               masterdata::column(QStringLiteral("BeginAttrCode"), QStringLiteral("เริ่มต้น"), 120, false),
                               masterdata::column(QStringLiteral("EndAttrCode"), QStringLiteral("สิ้นสุด"), 120, false)});
  DgSelectCusAttr->setItemDelegateForColumn(0, new masterdata::DescriptionDelegate(DgSelectCusAttr));
  delegate_ = new masterdata::AttrCodeDelegate(this);
  if (const embedded::TableDef* t = embedded::findTable(embedded::DatabaseKind::Company, QStringLiteral("CusAttrCode")))
    if (const embedded::ColumnDef* c = t->column(QStringLiteral("Code")); c && c->size > 0) delegate_->maxLength = c->size;
  DgSelectCusAttr->setItemDelegateForColumn(1, delegate_);
  DgSelectCusAttr->setItemDelegateForColumn(2, delegate_);
  DgSelectCusAttr->setEnabled(false);

  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->addWidget(DgSelectCusAttr);

  DgSelectCusAttr->installEventFilter(this);
  connect(DgSelectCusAttr, &QAbstractItemView::clicked, this, [this] { DgSelectCusAttrCellClick(); });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    // Another window taking the focus (the code dialog) does not leave the grid.
    if (!now || now->window() != window()) return;
    const bool inside = masterdata::isInside(now, DgSelectCusAttr);
    if (inside == insideGrid_) return;
    insideGrid_ = inside;
    if (inside) {
      Q_EMIT gridEntered();
      DgSelectCusAttrEnter();
    } else {
      DgSelectCusAttrExit();
      Q_EMIT gridExited();
    }
  });
  connect(DgSelectCusAttr->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& cur, const QModelIndex& prev) {
            if (!handlersAttached_) return;
            if (cur.row() != prev.row()) QCusAttrGroupAfterScroll();
            if (cur.column() != prev.column()) {
              if (prev.isValid()) DgSelectCusAttrColExit();
              DgSelectCusAttrColEnter();
            }
          });
}

void TFaSelectCustomerAttr::OpenGroups() {
  CloseGroups();
  QCusAttrGroup.open();
  DCusAttrGroup->reset();
  QCusAttrGroupAfterOpen();
}

void TFaSelectCustomerAttr::CloseGroups() {
  if (QCusAttrGroup.active()) QCusAttrGroupBeforeClose();
  QCusAttrGroup.close();
  editState_ = false;
  DCusAttrGroup->reset();
}

QVector<masterdata::AttrRange> TFaSelectCustomerAttr::Ranges() const {
  QVector<masterdata::AttrRange> out;
  if (!QCusAttrGroup.active()) return out;
  const int code = QCusAttrGroup.columnIndex(QStringLiteral("Code"));
  const int b = QCusAttrGroup.columnIndex(QStringLiteral("BeginAttrCode"));
  const int e = QCusAttrGroup.columnIndex(QStringLiteral("EndAttrCode"));
  for (int r = 0; r < QCusAttrGroup.rowCount(); ++r)
    out.push_back({QCusAttrGroup.at(r, code).toString(), QCusAttrGroup.at(r, b).toString(),
                   QCusAttrGroup.at(r, e).toString()});
  return out;
}

void TFaSelectCustomerAttr::Edit() { editState_ = QCusAttrGroup.active() && !QCusAttrGroup.isEmpty(); }

void TFaSelectCustomerAttr::GoTo(int row, int col) {
  if (row < 0 || row >= QCusAttrGroup.rowCount()) return;
  DgSelectCusAttr->setCurrentIndex(DgSelectCusAttr->resultModel()->index(row, col));
}

void TFaSelectCustomerAttr::SelectColumn(int col) { GoTo(qMax(0, DgSelectCusAttr->currentIndex().row()), col); }

void TFaSelectCustomerAttr::QCusAttrGroupAfterOpen() {
  if (QCusAttrGroup.isEmpty()) {
    DgSelectCusAttr->setEnabled(false);
    return;
  }
  handlersAttached_ = true;
  DgSelectCusAttr->setEnabled(true);
}

void TFaSelectCustomerAttr::QCusAttrGroupBeforeClose() { handlersAttached_ = false; }

void TFaSelectCustomerAttr::QCusAttrGroupNewRecord() {
  // The list has exactly one row per group: a row the grid starts is taken away again.
  if (QCusAttrGroup.active() && QCusAttrGroup.rowCount() > 1) QCusAttrGroup.deleteRow();
}

void TFaSelectCustomerAttr::AppendRecord() {
  QCusAttrGroup.append();
  if (handlersAttached_) QCusAttrGroupNewRecord();
  if (QCusAttrGroup.recNo() >= QCusAttrGroup.rowCount()) QCusAttrGroup.last();
  DCusAttrGroup->reset();
}

void TFaSelectCustomerAttr::QCusAttrGroupAfterScroll() {
  if (QCusAttrGroup.active() && !QCusAttrGroup.isEmpty()) Edit();
}

void TFaSelectCustomerAttr::DgSelectCusAttrEnter() {
  Edit();
  SelectColumn(1);
}

void TFaSelectCustomerAttr::DgSelectCusAttrColEnter() {
  Edit();
  if (DgSelectCusAttr->currentIndex().column() == 0) SelectColumn(1);
}

void TFaSelectCustomerAttr::DgSelectCusAttrCellClick() {
  if (DgSelectCusAttr->currentIndex().column() == 0) SelectColumn(1);
}

void TFaSelectCustomerAttr::DgSelectCusAttrColExit() { Edit(); }

void TFaSelectCustomerAttr::DgSelectCusAttrExit() { DgSelectCusAttrColExit(); }

bool TFaSelectCustomerAttr::DgSelectCusAttrKeyDown(int key, Qt::KeyboardModifiers) {
  if (!QCusAttrGroup.active() || QCusAttrGroup.isEmpty()) return false;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      const int row = qMax(0, DgSelectCusAttr->currentIndex().row());
      if (DgSelectCusAttr->currentIndex().column() == 1) GoTo(row, 2);
      else GoTo(qMin(row + 1, QCusAttrGroup.rowCount() - 1), 1);
      return true;
    }
    case Qt::Key_F5:
      DgSelectCusAttrEditButtonClick();
      return true;
    default:
      return false;
  }
}

void TFaSelectCustomerAttr::DgSelectCusAttrEditButtonClick() {
  if (!QCusAttrGroup.active() || QCusAttrGroup.isEmpty()) return;
  const QModelIndex cur = DgSelectCusAttr->currentIndex();
  const int row = qMax(0, cur.row());
  const int col = cur.isValid() ? cur.column() : 1;
  // An open editor hands its text to the row first, so that the picked code is not overwritten.
  delegate_->finishEditing();
  TFrSearchCusAttrCode* d = TFrSearchCusAttrCode::Instance();
  QCusAttrGroup.moveTo(row);
  d->AttrGroupId = qint32(QCusAttrGroup.asInt(QStringLiteral("Id")));
  if (widgets::ShowModal(*d) != QDialog::Accepted) return;
  Edit();
  const QString field = col >= 0 && col < DgSelectCusAttr->columns().size() ? DgSelectCusAttr->columns()[col].field : QString();
  if (field.compare(QLatin1String("BeginAttrCode"), Qt::CaseInsensitive) != 0 &&
      field.compare(QLatin1String("EndAttrCode"), Qt::CaseInsensitive) != 0)
    return;
  DgSelectCusAttr->setFieldValue(row, field, d->ResultCode);
}

bool TFaSelectCustomerAttr::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DgSelectCusAttr && event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_F5)
      return DgSelectCusAttrKeyDown(k->key(), k->modifiers());
  }
  return QFrame::eventFilter(watched, event);
}
