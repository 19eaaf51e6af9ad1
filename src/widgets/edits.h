// One-line edits with the handlers a window binds by name (enter, exit, key down), an upper-case
// variant, a data-aware edit bound to a column of a cached result, and a flat speed button whose
// click handler a host may set, clear or call.
//
// Enter and exit follow the focus moving between controls of one window: a focus change caused by
// another window becoming active (a dialog, a message box, a drop-down) is neither an exit nor an
// enter.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QValidator>
#include <functional>

#include "data_source.h"
#include "key_preview.h"

namespace widgets {

using NotifyHandler = std::function<void(QObject* sender)>;

class Edit : public QLineEdit, public KeyDownSource {
  Q_OBJECT
 public:
  enum class CharCase { Normal, Upper };
  explicit Edit(QWidget* parent = nullptr);

  NotifyHandler OnEnter;
  NotifyHandler OnExit;

  void setCharCase(CharCase c);
  CharCase charCase() const { return charCase_; }

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  // Runs when the focus leaves for another control of the window; the default runs OnExit.
  virtual void doExit();
  bool entered_ = false;

 private:
  void applyCase();
  CharCase charCase_ = CharCase::Normal;
  QValidator* upperValidator_ = nullptr;
};

// An edit whose input is upper case (typed and assigned text alike).
class UpperEdit : public Edit {
  Q_OBJECT
 public:
  explicit UpperEdit(QWidget* parent = nullptr) : Edit(parent) { setCharCase(CharCase::Upper); }
};

// An edit bound to a column of a data source: it shows the column's value on the current row and
// writes what the user types back into that row (in memory only). It re-reads the value whenever
// the data source reports a reset, a change of the current row or a cursor move.
class DBEdit : public Edit {
  Q_OBJECT
 public:
  explicit DBEdit(QWidget* parent = nullptr);
  void setDataSource(DataSource* ds, const QString& column);
  DataSource* dataSource() const { return ds_; }
  const QString& dataField() const { return column_; }
  // Re-reads the value of the current row.
  void refresh();
  // True when the data source has a current row holding the column.
  bool hasField() const;

 private:
  void writeBack(const QString& text);
  QPointer<DataSource> ds_;
  QString column_;
  bool writing_ = false;
};

// A flat, hand-cursor tool button that never takes the focus, with a click handler.
class SpeedButton : public QToolButton {
  Q_OBJECT
 public:
  explicit SpeedButton(QWidget* parent = nullptr);
  NotifyHandler OnClick;
  // Runs the click handler (if any) with the given sender.
  void click(QObject* sender);
};

// The text shown for a stored value: dates as "dd/mm/yyyy" (with the time when it is not
// midnight), numbers in their general form, null as "".
QString displayText(const QVariant& v);

}  // namespace widgets
