// TFrSearchConsoBase: what the two consolidation-number dialogs share: the search dialog's look, keys
// and caller
// protocol, with a sort memory of each dialog class's own (kept for the run, not shared with the
// other search dialogs) and no purge of deleted documents.
//
// A derived dialog gives its statement (one line reserved for the filter, one ordering line, the
// filter's lead), its grid columns and its sort memory.
#pragma once

#include "search_dialog.h"
#include "search_dialog_sql.h"

class TFrSearchConsoBase : public TFrSearch {
  Q_OBJECT
 public:
  explicit TFrSearchConsoBase(QWidget* parent = nullptr);

  // Search: the filter line is written from Code, the query opened, the grid focused on the first
  // row when rows came back.
  void BtSearchClick(QObject* sender) override;
  // These dialogs offer no purge.
  void DgSearchMouseDown(QObject* sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                         Qt::KeyboardModifiers shift) override;

 protected:
  // The filter line for the text of Code (empty text: an empty line): the statement's lead with
  // the text as a Like pattern.
  QString FilterLine(const QString& text) const;
  // Sets the query text (T-SQL lines and, when the embedded server needs other lines, its own) and
  // the line and lead of its filter.
  void UseStatement(const framework::SearchStatement& statement);

 private:
  int FilterLineIndex = -1;
  QString FilterLead;
};
