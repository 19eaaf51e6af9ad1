// The bill-collection search dialog: picks a zone bill-collection document (MoneyBill) by its
// number, one row per number, day and zone. Built on the base search dialog, whose sort memory,
// row colours, closing check and purge it keeps (its rows carry no flag columns, so these find
// nothing to act on).
//
//   TFrSearchconsolidate_Load dlg;
//   dlg.KeyFieldName = "DocNo";
//   if (dlg.ShowModal() == QDialog::Accepted) use(dlg.ResultKey);
#pragma once

#include "search_dialog.h"
#include "search_dialog_sql.h"

class TFrSearchconsolidate_Load : public TFrSearch {
  Q_OBJECT
 public:
  explicit TFrSearchconsolidate_Load(QWidget* parent = nullptr);

  // The base search, then the filter written in place of the zone-group line and the query again.
  void BtSearchClick(QObject* sender) override;
  void DgSearchDblClick(QObject* sender) override;

  // The query line the filter takes the place of.
  static constexpr int kFilterLine = 4;
  // The statement the dialog searches with.
  static framework::SearchStatement Statement();
};
