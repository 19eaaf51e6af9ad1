// The consolidation-number search dialog of the web-order import: picks a consolidation number
// stamped on sales orders (SoHd.ConsoNo), one row per number, zone and day.
//
//   TFrSearchConsoNo dlg;
//   dlg.KeyFieldName = "ConsoNo";
//   if (dlg.ShowModal() == QDialog::Accepted) use(dlg.ResultKey);
#pragma once

#include "consolidation_search_base.h"

class TFrSearchConsoNo : public TFrSearchConsoBase {
  Q_OBJECT
 public:
  explicit TFrSearchConsoNo(QWidget* parent = nullptr);
  // The statement the dialog searches with.
  static framework::SearchStatement Statement();

  // The sort memory of this dialog class, kept for the run.
  static inline QString LastSortField;
  static inline bool SortDescending = false;
  SortMemory SortMemoryOf() override { return {&LastSortField, &SortDescending}; }

  // No flag checks: any listed number may be chosen.
  void FormClose(QObject* sender, framework::CloseAction& action) override;
  // No row colours.
  void DgSearchGetCellParams(QObject* sender, int row, bool highlight, QColor& background) override;

};
