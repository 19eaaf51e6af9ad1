// A data-aware date edit with a calendar drop-down: shows the date of a date column on the current
// row as "dd/mm/yyyy" (four-digit years). The user types a date or picks one from the calendar
// (the drop-down button, F4 or Alt+Down); the calendar opens on the shown date, or on today when
// the field is empty. When the focus leaves, a typed text that is not a date is refused by the edit
// itself (a message, the focus stays) before the exit handler runs; a valid date is written to the
// column at midnight, unless it is the date the column already holds (its time is then kept).
// Typed text reaches the column when the focus leaves (or through commit()), a picked date at once.
#pragma once

#include <QDateTime>

#include "edits.h"

class QCalendarWidget;
class QFrame;

namespace widgets {

class DBDateEdit : public Edit {
  Q_OBJECT
 public:
  explicit DBDateEdit(QWidget* parent = nullptr);

  void setDataSource(DataSource* ds, const QString& column);
  DataSource* dataSource() const { return ds_; }
  const QString& dataField() const { return column_; }
  void refresh();

  // The date shown; invalid when the edit is empty or holds no valid date.
  QDate date() const;
  // Shows the date and writes the value to the column (the time part is kept in the column).
  void setDateTime(const QDateTime& value);

  // Writes the typed text to the column (what leaving the edit does); false, and nothing written,
  // when the text is not a date.
  bool commit();

  void showCalendar();
  // The drop-down calendar; null until it was first shown.
  QCalendarWidget* calendar() const { return calendar_; }
  bool calendarVisible() const;

 protected:
  void doExit() override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool hasField() const;
  void write(const QVariant& v);
  void pick(const QDate& d);
  void makeCalendar();

  QPointer<DataSource> ds_;
  QString column_;
  bool writing_ = false;
  QFrame* popup_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;
};

}  // namespace widgets
