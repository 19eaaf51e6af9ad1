#include "bill_collection_search.h"

framework::SearchStatement TFrSearchconsolidate_Load::Statement() {
  const QString head = QStringLiteral("Select Distinct H.Docno As DocNo,");
  const QString from = QStringLiteral("From MoneyBill H Inner Join Misc M On (M.Id = H.CustomerZone)");
  const QString where = QStringLiteral("Where (1 = 1)");
  const QString zone = QStringLiteral("  And (M.GroupCode = 'ZONE')");
  const QString order = QStringLiteral("Order By DocDate Desc, DocNo Desc");
  return {{head, QStringLiteral("  Convert(DateTime, Convert(Char(8), H.DocDate, 112)) As DocDate, M.Description"), from, where, zone, order},
          {head, QStringLiteral("  DateOnly(H.DocDate) As DocDate, M.Description"), from, where, zone, order},
          kFilterLine,
          QStringLiteral(" And H.DocNo")};
}

TFrSearchconsolidate_Load::TFrSearchconsolidate_Load(QWidget* parent) : TFrSearch(parent) {
  setObjectName(QStringLiteral("FrSearchconsolidate_Load"));
  setWindowTitle(QStringLiteral("FrSearchconsolidate_Load"));
  Label3->setText(QStringLiteral("รหัส"));
  SetClientSize(665, 322);
  const framework::SearchStatement s = Statement();
  QSearch.sql = s.tsql;
  QSearch.sqlSqlite = s.sqlite;
  QVector<widgets::GridColumn> cols(3);
  cols[0].field = QStringLiteral("DocNo");
  cols[0].title = QStringLiteral("เลขที่");
  cols[0].widthChars = 16;
  cols[1].field = QStringLiteral("DocDate");
  cols[1].title = QStringLiteral("วันที่");
  cols[1].widthChars = 11;
  cols[1].displayText = DateOnlyText;
  cols[2].field = QStringLiteral("Description");
  cols[2].title = QStringLiteral("รายละเอียด");
  cols[2].widthPixels = 300;
  DgSearch->setColumns(cols);
}

void TFrSearchconsolidate_Load::BtSearchClick(QObject* sender) {
  TFrSearch::BtSearchClick(sender);
  OpenWithFilter(kFilterLine, LikeFilter(Statement().filterLead, Code->text()));
}

void TFrSearchconsolidate_Load::DgSearchDblClick(QObject* sender) {
  TFrSearch::DgSearchDblClick(sender);
  if (isVisible()) done(QDialog::Accepted);
}
