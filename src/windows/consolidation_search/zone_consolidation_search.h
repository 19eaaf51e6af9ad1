// The zone-consolidation search dialog: picks a zone consolidation (ConsolidateHd) by its number.
// Every consolidation is listed, deleted ones in red and finished ones in blue; choosing a deleted
// one is refused and keeps the dialog open, choosing a finished one is noted.
//
//   TFrSearchConsoNoQelDru dlg;
//   dlg.KeyFieldName = "DocNo";
//   if (dlg.ShowModal() == QDialog::Accepted) use(dlg.ResultKey);
#pragma once

#include "consolidation_search_base.h"

class TFrSearchConsoNoQelDru : public TFrSearchConsoBase {
  Q_OBJECT
 public:
  explicit TFrSearchConsoNoQelDru(QWidget* parent = nullptr);
  // The statement the dialog searches with.
  static framework::SearchStatement Statement();

  // The sort memory of this dialog class, kept for the run.
  static inline QString LastSortField;
  static inline bool SortDescending = false;
  SortMemory SortMemoryOf() override { return {&LastSortField, &SortDescending}; }

  void FormClose(QObject* sender, framework::CloseAction& action) override;
  void DgSearchGetCellParams(QObject* sender, int row, bool highlight, QColor& background) override;

};
