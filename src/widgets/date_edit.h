// A data-aware date edit with a calendar drop-down: shows the date of a date column on the current
// row as "dd/mm/yyyy" (four-digit years). The user types a date or picks one from the calendar
// (the drop-down button, F4 or Alt+Down); the calendar opens on the shown date, or on today when
// the field is empty. A typed year of 2400 or more is a Buddhist-era year (textutil::tryTypedDate):
// "11/12/2569" is 11 December 2026 and shows as "11/12/2026" once the focus leaves. When the focus
// leaves, a typed text that is not a date is refused by the edit itself before the exit handler
// runs: the error "'<text>' is not a valid date" goes to OnError (the program's error reporter,
// which explains it in Thai), or without one to a message box; the focus returns to the edit. A
// valid date is written to the column at midnight, unless it is the date the column already holds
// (its time is then kept). Typed text reaches the column when the focus leaves (or through
// commit()), a picked date at once.
#pragma once

#include <QDateTime>
#include <exception>
#include <functional>

#include "edits.h"

class QCalendarWidget;
class QFrame;

namespace widgets {

class DBDateEdit : public Edit {
  Q_OBJECT
 public:
  explicit DBDateEdit(QWidget* parent = nullptr);

  // Where a typed text that is not a date is refused (a textutil::ConvertError); the handler must
  // not raise. Without one the refusal is a message box.
  std::function<void(QObject* sender, std::exception_ptr error)> OnError;

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
