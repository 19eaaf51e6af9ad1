#include "zone_consolidation_search.h"

#include "prompts.h"

framework::SearchStatement TFrSearchConsoNoQelDru::Statement() {
  return {{QStringLiteral("Select H.DocNo, H.DocDate, H.Senddate, H.Delflag, H.Confirm, H.Printed, M.Code As ZoneCode, M.Description As ZoneDesc"),
           QStringLiteral("From ConsolidateHd H"),
           QStringLiteral("Inner Join Misc M On (M.Id = H.CustomerZone)  And (M.GroupCode = 'ZONE' )"),
           QString(),  // the filter
           QStringLiteral("Order By H.DocNo Desc")},
          {},
          3,
          QStringLiteral(" Where H.DocNo")};
}

TFrSearchConsoNoQelDru::TFrSearchConsoNoQelDru(QWidget* parent) : TFrSearchConsoBase(parent) {
  setObjectName(QStringLiteral("FrSearchConsoNoQelDru"));
  setWindowTitle(QStringLiteral("ค้นหา"));
  Label3->setText(QStringLiteral("เลขที่"));
  SetClientSize(528, 279);
  UseStatement(Statement());
  QVector<widgets::GridColumn> cols(4);
  cols[0].field = QStringLiteral("DocNo");
  cols[0].title = QStringLiteral("เลขที่ Conso");
  cols[0].widthChars = 16;
  cols[1].field = QStringLiteral("DocDate");
  cols[1].title = QStringLiteral("วันที่ Conso");
  cols[1].widthChars = 11;
  cols[2].field = QStringLiteral("Senddate");
  cols[2].title = QStringLiteral("วันที่ส่ง");
  cols[2].widthChars = 11;
  cols[3].field = QStringLiteral("ZoneDesc");
  cols[3].title = QStringLiteral("เขตการขาย");
  cols[3].widthChars = 26;
  DgSearch->setColumns(cols);
}

void TFrSearchConsoNoQelDru::DgSearchGetCellParams(QObject*, int row, bool highlight, QColor& background) {
  if (!QSearch.active() || row < 0 || row >= QSearch.rowCount()) return;
  const int del = QSearch.columnIndex(QStringLiteral("Delflag"));
  const int confirm = QSearch.columnIndex(QStringLiteral("Confirm"));
  if (del >= 0 && QSearch.at(row, del).toString() == QLatin1String("Y"))
    background = QColor(255, 0, 0);
  else if (confirm >= 0 && QSearch.at(row, confirm).toString() == QLatin1String("Y"))
    background = QColor(0, 0, 255);
  else
    background = highlight ? palette().color(QPalette::WindowText) : palette().color(QPalette::Window);
}

void TFrSearchConsoNoQelDru::FormClose(QObject*, framework::CloseAction& action) {
  if (ModalResult != QDialog::Accepted || !QSearch.active() || QSearch.isEmpty() || QSearch.eof()) {
    ResultKey.clear();
    ModalResult = QDialog::Rejected;
    return;
  }
  ResultKey = QSearch.asString(KeyFieldName);
  if (QSearch.asString(QStringLiteral("Delflag")) == QLatin1String("Y")) {
    prompts::current().message(framework::IsThai() ? QStringLiteral("เอกสารถูกยกเลิกแล้ว") : QStringLiteral("Document Was Deleted"),
                               prompts::Style::Info);
    ResultKey.clear();
    action = framework::CloseAction::None;
    return;
  }
  if (QSearch.asString(QStringLiteral("Confirm")) == QLatin1String("Y"))
    prompts::current().message(QStringLiteral("เอกสารจัดเสร็จแล้ว"), prompts::Style::Info);
}
