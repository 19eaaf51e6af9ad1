// The link between a cached result (a db::Result, usually a db::Query) and the controls that show
// it. A result has no signals of its own: whoever changes it behind the controls' back tells the data
// source (reset after open/close/append/delete, rowChanged after writing values, cursorMoved after
// moving the cursor), and the grid and the bound edits follow.
//
// DisableControls/EnableControls suspend the controls: notifications are collected while suspended
// and delivered once by the last EnableControls (a walk over every row of a result with the
// controls suspended costs no repaint at all).
#pragma once

#include <QObject>
#include <QSet>

#include "db.h"

namespace widgets {

class DataSource : public QObject {
  Q_OBJECT
 public:
  explicit DataSource(db::Result* result = nullptr, QObject* parent = nullptr);

  db::Result* result() const { return result_; }
  void setResult(db::Result* result);  // notifies a reset

  // Notifications.
  void reset();               // rows or columns replaced
  void rowChanged(int row);   // values of one row changed
  void cursorMoved();         // the result's current row changed
  // Moves the result's cursor and notifies (no notification when the row is already current).
  void moveTo(int row);
  // The current row of the result, or -1 when it has none.
  int currentRow() const;

  // Suspends the controls; calls nest.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disabled_ > 0; }

 Q_SIGNALS:
  void resetDone();
  void rowUpdated(int row);
  void cursorChanged();

 private:
  db::Result* result_ = nullptr;
  int disabled_ = 0;
  bool pendingReset_ = false;
  bool pendingCursor_ = false;
  QSet<int> pendingRows_;
};

}  // namespace widgets
