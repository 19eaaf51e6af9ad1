// The statement of the search dialog's purge (Shift+Ctrl+right click on a deleted document): the
// document row of `table` with Id `id`, and first its shipping rows for IVHD and SOHD, in one batch.
#pragma once

#include <QString>
#include <QStringList>

namespace framework {

QString PurgeBatch(const QString& table, qint64 id);

// A search dialog's statement: its lines in T-SQL and, where the embedded server needs another
// text, in SQLite; the line that the typed text's filter replaces, and the filter's lead
// (" And H.DocNo"): the filter line is TFrSearch::LikeFilter(lead, typed text).
struct SearchStatement {
  QStringList tsql, sqlite;
  int filterLine = -1;
  QString filterLead;
  // The T-SQL lines with the filter of a typed text in place.
  QStringList tsqlFor(const QString& typed) const;
};

}  // namespace framework
