#include "consolidation_number_search.h"

framework::SearchStatement TFrSearchConsoNo::Statement() {
  const QString from = QStringLiteral("From SoHd H Inner Join Customer C On (C.Id = H.Customer)");
  const QString zone = QStringLiteral("Inner Join Misc M On (M.Id = C.Zone)");
  const QString where = QStringLiteral("Where Coalesce(H.ConsoNo,'') <> ''");
  const QString order = QStringLiteral("Order By ConsoDate Desc, ConsoNo");
  return {{QStringLiteral("Select Distinct H.ConsoNo, M.Code As ZoneCode, M.Description As Zonename,"),
           QStringLiteral("  Convert(DateTime, Convert(Char(8), H.ConsoDate, 112)) As ConsoDate"), from, zone, where, QString(), order},
          {QStringLiteral("Select Distinct H.ConsoNo, M.Code As ZoneCode, M.Description As Zonename,"),
           QStringLiteral("  DateOnly(H.ConsoDate) As ConsoDate"), from, zone, where, QString(), order},
          5,
          QStringLiteral(" And H.ConsoNo")};
}

TFrSearchConsoNo::TFrSearchConsoNo(QWidget* parent) : TFrSearchConsoBase(parent) {
  setObjectName(QStringLiteral("FrSearchConsoNo"));
  setWindowTitle(QStringLiteral("ค้นหา"));
  Label3->setText(QStringLiteral("เลขที่"));
  SetClientSize(528, 279);
  UseStatement(Statement());
  QVector<widgets::GridColumn> cols(3);
  cols[0].field = QStringLiteral("ConsoNo");
  cols[0].title = QStringLiteral("เลขที่");
  cols[0].widthPixels = 154;
  // The rows carry no customer name; the column stays empty.
  cols[1].field = QStringLiteral("Cusname");
  cols[1].title = QStringLiteral("ชื่อลูกค้า");
  cols[1].widthPixels = 260;
  cols[2].field = QStringLiteral("ConsoDate");
  cols[2].title = QStringLiteral("วันที่");
  cols[2].widthPixels = 85;
  cols[2].displayText = DateOnlyText;
  DgSearch->setColumns(cols);
}

void TFrSearchConsoNo::FormClose(QObject*, framework::CloseAction&) {
  if (ModalResult == QDialog::Accepted && QSearch.active() && !QSearch.isEmpty() && !QSearch.eof()) {
    ResultKey = QSearch.asString(KeyFieldName);
    return;
  }
  ResultKey.clear();
  ModalResult = QDialog::Rejected;
}

void TFrSearchConsoNo::DgSearchGetCellParams(QObject*, int, bool, QColor&) {}
