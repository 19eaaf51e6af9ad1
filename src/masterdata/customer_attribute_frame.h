// TFaSelectCustomerAttr: one row per customer-attribute group, where the user enters a range of
// attribute codes (from, to), typed or picked with the ellipsis button (F5). The rows are held in
// memory only; the hosting customer search turns every row with a range into a condition.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QStyledItemDelegate>

#include "customer_sql.h"
#include "data_source.h"
#include "db.h"
#include "data_grid.h"

class TFaSelectCustomerAttr;

namespace masterdata {
// The group description column: right-aligned on a light 3D background.
class DescriptionDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// The editor of the code columns: upper case, letters and digits, at most the code field's size,
// with an ellipsis button; Enter and F5 go to the frame's key handler.
class AttrCodeDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit AttrCodeDelegate(TFaSelectCustomerAttr* frame);
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  bool eventFilter(QObject* editor, QEvent* event) override;
  // Hands the open editor's text to the row and closes the editor (nothing when none is open).
  void finishEditing();
  QWidget* openEditor() const { return editor_; }
  int maxLength = 20;

 private:
  TFaSelectCustomerAttr* frame_;
  mutable QPointer<QWidget> editor_;
};
}  // namespace masterdata

class TFaSelectCustomerAttr : public QFrame {
  Q_OBJECT
 public:
  explicit TFaSelectCustomerAttr(QWidget* parent = nullptr);

  db::Query QCusAttrGroup;  // cached; edits are never written anywhere
  widgets::DataSource* DCusAttrGroup;
  widgets::DbGrid* DgSelectCusAttr;

  // Opens the group list (closing it first) and runs the after-open handling.
  void OpenGroups();
  // Closes the group list, running the before-close handling.
  void CloseGroups();
  // The rows as ranges (group code, begin code, end code), for the host's conditions.
  QVector<masterdata::AttrRange> Ranges() const;
  // The size of the attribute code field (the mask's length).
  int CodeSize() const { return delegate_->maxLength; }

  // Handlers.
  virtual void DgSelectCusAttrEnter();
  virtual void DgSelectCusAttrColEnter();
  virtual void DgSelectCusAttrColExit();
  virtual void DgSelectCusAttrCellClick();
  virtual bool DgSelectCusAttrKeyDown(int key, Qt::KeyboardModifiers modifiers);
  virtual void DgSelectCusAttrEditButtonClick();
  virtual void DgSelectCusAttrExit();
  virtual void QCusAttrGroupAfterOpen();
  virtual void QCusAttrGroupBeforeClose();
  virtual void QCusAttrGroupNewRecord();
  virtual void QCusAttrGroupAfterScroll();

  // Appends a row the way a grid starts a new record (the handler removes it again).
  void AppendRecord();
  bool EditState() const { return editState_; }
  masterdata::AttrCodeDelegate* CodeDelegate() const { return delegate_; }

 Q_SIGNALS:
  // The focus came into the grid / left it (the host switches its key preview off and on).
  void gridEntered();
  void gridExited();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Edit();
  void SelectColumn(int col);
  void GoTo(int row, int col);
  masterdata::AttrCodeDelegate* delegate_;
  bool handlersAttached_ = false;
  bool editState_ = false;
  bool insideGrid_ = false;
  int lastColumn_ = -1;
};
