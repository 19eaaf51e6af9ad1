#include "web_order_import_sql.h"

#include "tsql.h"

namespace weborder::sql {

db::StatementGroup& statements() {
  static db::StatementGroup group;
  return group;
}

TSQL_STATEMENT_OBJECT(statements(), QZone){
    QStringLiteral("Select Code, Description, Convert(Char(8), GetDate(), 112) FileDate\n"
                   "From Misc\n"
                   "Where GroupCode = 'ZONE'\n"
                   "Order By Code"),
    QStringLiteral("Select Code, Description, DateKey(GetDate()) FileDate\n"
                   "From Misc\n"
                   "Where GroupCode = 'ZONE'\n"
                   "Order By Code")};

TSQL_STATEMENT_OBJECT(statements(), QWebOrderRemark){QStringLiteral("Select 'Web Order ' + Convert(Char(8), GetDate(), 112) Remark"),
                                  QStringLiteral("Select 'Web Order ' || DateKey(GetDate()) Remark")};

const db::SqlText QChkSoHdHead{
    QStringLiteral("Select H.Id, H.SoNo, H.SoDate, H.ShipDate, H.Warehouse, H.TaxCode, H.TaxRate,\n"
                   "  Coalesce((Select Max(D.SoRecNo) From SoDt D Where D.SoHd = H.Id), 0) SoRecNo,\n"
                   "  S.Code SalesmanCode, C.Code CustomerCode, H.Reference, Coalesce(H.ConsoNo, '') ConsoNo\n"
                   "From SoHd H\n"
                   "  Inner Join SalesMan S On S.Id = H.Salesman\n"
                   "  Inner Join Customer C On C.Id = H.Customer\n"
                   "Where H.Remark = :Remark And H.Imported = 'Y' And H.Reference In ("),
    QStringLiteral("Select H.Id, H.SoNo, H.SoDate, H.ShipDate, H.Warehouse, H.TaxCode, H.TaxRate,\n"
                   "  Coalesce((Select Max(D.SoRecNo) From SoDt D Where D.SoHd = H.Id), 0) SoRecNo,\n"
                   "  S.Code SalesmanCode, C.Code CustomerCode, H.Reference, Coalesce(H.ConsoNo, '') ConsoNo\n"
                   "From SoHd H Indexed By SoHd_Reference\n"
                   "  Inner Join SalesMan S On S.Id = H.Salesman\n"
                   "  Inner Join Customer C On C.Id = H.Customer\n"
                   "Where H.Remark = :Remark And H.Imported = 'Y' And H.Reference In (")};

const db::SqlText QChkSoHdTail{QStringLiteral("\nOrder By H.Id"), {}};

TSQL_STATEMENT_OBJECT(statements(), QOrderDate){QStringLiteral("Select Convert(DateTime, :StOrderDate) OrderDate"),
                             QStringLiteral("Select ToDateTime(:StOrderDate) OrderDate")};

TSQL_STATEMENT_OBJECT(statements(), QAutoRunDocMonth){
    QStringLiteral("Select Coalesce(AutoRunDocMonth, 'N') AutoRunDocMonth From Misc\n"
                   "Where GroupCode = 'SUBTYPE' And Code = :SoType"),
    {}};

const db::SqlText QGetSalesmenHead{
    QStringLiteral("Select Id SalesmanId, Code, Department From SalesMan Where Code In ("), {}};

const db::SqlText QGetCustomersHead{
    QStringLiteral("Select C.Id CustomerId, C.Code, C.TaxCode, C.DueDays, C.Transport, Convert(Int, Coalesce(T.Rate, 0)) TaxRate\n"
                   "From Customer C\n"
                   "  Left Join Tax T On T.Id = C.TaxCode\n"
                   "Where C.Code In ("),
    QStringLiteral("Select C.Id CustomerId, C.Code, C.TaxCode, C.DueDays, C.Transport, Cast(Coalesce(T.Rate, 0) As Integer) TaxRate\n"
                   "From Customer C Indexed By Customer_Code\n"
                   "  Left Join Tax T On T.Id = C.TaxCode\n"
                   "Where C.Code In (")};

TSQL_STATEMENT_OBJECT(statements(), QGetConfig){QStringLiteral("Select Default_IE, DefaultWH From Config"), {}};

TSQL_STATEMENT_OBJECT(statements(), SQLInsertSoHd){
    QStringLiteral("Insert Into SoHd (SoNo, SoType, DelFlag, Price_IE, SoDate, Department, ShipDate, Customer, Salesman,\n"
                   "  TaxCode, TaxRate, DueDays, Warehouse, Transportation, Reference, Remark,\n"
                   "  NoTaxAmt, TaxAmt, TaxTotal, TaxCal, Total, Clear, Posted, Printed, Imported, Approved)\n"
                   "Values (:SoNo, :SoType, 'N', :Price_IE, :SoDate, :Department, :ShipDate, :Customer, :Salesman,\n"
                   "  :TaxCode, :TaxRate, :DueDays, :Warehouse, :Transportation, :Reference, :Remark,\n"
                   "  0, 0, 0, 0, 0, 'N', 'N', 'N', 'Y', 'Y');\n"
                   "Select Scope_Identity() Id"),
    QStringLiteral("Insert Into SoHd (SoNo, SoType, DelFlag, Price_IE, SoDate, Department, ShipDate, Customer, Salesman,\n"
                   "  TaxCode, TaxRate, DueDays, Warehouse, Transportation, Reference, Remark,\n"
                   "  NoTaxAmt, TaxAmt, TaxTotal, TaxCal, Total, Clear, Posted, Printed, Imported, Approved)\n"
                   "Values (:SoNo, :SoType, 'N', :Price_IE, :SoDate, :Department, :ShipDate, :Customer, :Salesman,\n"
                   "  :TaxCode, :TaxRate, :DueDays, :Warehouse, :Transportation, :Reference, :Remark,\n"
                   "  0, 0, 0, 0, 0, 'N', 'N', 'N', 'Y', 'Y')\n"
                   "Returning Id")};

TSQL_STATEMENT_OBJECT(statements(), SQLInsertSoDt){
    QStringLiteral("Insert Into SoDt (SoHd, SoRecNo, SoDate, ShipDate, Warehouse, TaxCode, TaxRate, Product, ProductUnits,\n"
                   "  Fraction, Quantity, Send, BackOrder, Price, Total, ProductAmount, Clear, WebOrderId)\n"
                   "Select H.Id, :SoRecNo, H.SoDate, H.ShipDate, H.Warehouse, H.TaxCode, H.TaxRate, :Product, :ProductUnits,\n"
                   "  :Fraction, :Quantity, 0, :BackOrder, 0, 0, 0, 'N', :WebOrderId\n"
                   "From SoHd H\n"
                   "Where H.Id = :SoHd"),
    {}};

const db::SqlText SQLInsertSoDtRowsHead{
    QStringLiteral("Insert Into SoDt (SoHd, SoRecNo, SoDate, ShipDate, Warehouse, TaxCode, TaxRate, Product, ProductUnits,\n"
                   "  Fraction, Quantity, Send, BackOrder, Price, Total, ProductAmount, Clear, WebOrderId)\n"
                   "Select H.Id, V.SoRecNo, H.SoDate, H.ShipDate, H.Warehouse, H.TaxCode, H.TaxRate, V.Product, V.ProductUnits,\n"
                   "  V.Fraction, V.Quantity, 0, V.BackOrder, 0, 0, 0, 'N', V.WebOrderId\n"
                   "From (Values "),
    QStringLiteral("With V (SoHd, SoRecNo, Product, ProductUnits, Fraction, Quantity, BackOrder, WebOrderId) As (Values ")};

const db::SqlText SQLInsertSoDtRowsTail{
    QStringLiteral(") As V (SoHd, SoRecNo, Product, ProductUnits, Fraction, Quantity, BackOrder, WebOrderId)\n"
                   "  Inner Join SoHd H On H.Id = V.SoHd"),
    QStringLiteral(")\nInsert Into SoDt (SoHd, SoRecNo, SoDate, ShipDate, Warehouse, TaxCode, TaxRate, Product, ProductUnits,\n"
                   "  Fraction, Quantity, Send, BackOrder, Price, Total, ProductAmount, Clear, WebOrderId)\n"
                   "Select H.Id, V.SoRecNo, H.SoDate, H.ShipDate, H.Warehouse, H.TaxCode, H.TaxRate, V.Product, V.ProductUnits,\n"
                   "  V.Fraction, V.Quantity, 0, V.BackOrder, 0, 0, 0, 'N', V.WebOrderId\n"
                   "From V Inner Join SoHd H On H.Id = V.SoHd")};

namespace {

// The values of a header row, in the order the header insert names them; the shared ones (no row
// number) come once.
struct HeaderValue {
  const char* name;
  bool perRow;
};
constexpr HeaderValue kHeaderValues[] = {{"SoNo", true},       {"SoType", false},   {"Price_IE", false}, {"SoDate", true},
                                         {"Department", true}, {"ShipDate", true},  {"Customer", true},  {"Salesman", true},
                                         {"TaxCode", true},    {"TaxRate", true},   {"DueDays", true},   {"Warehouse", false},
                                         {"Transportation", true}, {"Reference", true}, {"Remark", false}};

}  // namespace

QString InsertSoHdRows(int rows) {
  QString text = QStringLiteral(
      "Insert Into SoHd (SoNo, SoType, DelFlag, Price_IE, SoDate, Department, ShipDate, Customer, Salesman,\n"
      "  TaxCode, TaxRate, DueDays, Warehouse, Transportation, Reference, Remark,\n"
      "  NoTaxAmt, TaxAmt, TaxTotal, TaxCal, Total, Clear, Posted, Printed, Imported, Approved)\n"
      "Values ");
  for (int r = 0; r < rows; ++r) {
    text += r ? QStringLiteral(",\n  (") : QStringLiteral("(");
    int v = 0;
    for (const HeaderValue& h : kHeaderValues) {
      if (v++) text += v == 3 ? QStringLiteral(", 'N', ") : QStringLiteral(", ");
      text += QLatin1Char(':') + QLatin1String(h.name);
      if (h.perRow) text += QString::number(r + 1);
    }
    text += QStringLiteral(", 0, 0, 0, 0, 0, 'N', 'N', 'N', 'Y', 'Y')");
  }
  return text + QStringLiteral("\nReturning Id, SoNo");
}

QStringList InsertSoHdRowParams(int rows) {
  QStringList names;
  for (int r = 0; r < rows; ++r)
    for (const HeaderValue& h : kHeaderValues)
      if (h.perRow) names << QLatin1String(h.name) + QString::number(r + 1);
      else if (r == 0) names << QLatin1String(h.name);
  return names;
}

const QString QSoNosStoredHead = QStringLiteral("Select SoNo From SoHd Indexed By SoHd_SoNo Where SoNo In (");

QString InsertSoDtRowParam(int value, int row) {
  static const char* const names[kSoDtRowValues] = {"SoHd", "SoRecNo", "Product", "ProductUnits", "Fraction", "Quantity", "BackOrder",
                                                    "WebOrderId"};
  return QLatin1String(names[value]) + QString::number(row + 1);
}

QString InsertSoDtRows(int rows, db::Dialect d) {
  QString text = SQLInsertSoDtRowsHead.pick(d);
  for (int r = 0; r < rows; ++r) {
    text += r ? QStringLiteral(",\n  (") : QStringLiteral("(");
    for (int v = 0; v < kSoDtRowValues; ++v) {
      if (v) text += QStringLiteral(", ");
      text += QLatin1Char(':') + InsertSoDtRowParam(v, r);
    }
    text += QLatin1Char(')');
  }
  return text + SQLInsertSoDtRowsTail.pick(d);
}

const QStringList& InListParams() {
  static const QStringList names = [] {
    QStringList n;
    for (int i = 1; i <= kInListMax; ++i) n << QStringLiteral("V%1").arg(i);
    return n;
  }();
  return names;
}

QString BoundInList(int values) {
  QString text;
  for (int i = 0; i < values; ++i) {
    if (i) text += QStringLiteral(", ");
    text += QLatin1Char(':') + InListParams()[i];
  }
  return text + QLatin1Char(')');
}

// The embedded server's texts of the batch reads name the index that looks the values up: for a list
// of hundreds of values its planner would read the whole table instead (its statistics are those of
// the site as it was made), and the import would cost with the site rather than with the file.
// SoDt_WebOrderId is made by the import's upgrade step, which runs before any import.
//
// On SQL Server the read locks the web ids it looks for until the import commits: an import of the
// same lines on another workstation waits and then finds them stored. The embedded server's
// transaction holds the write lock from its start.
const db::SqlText QStoredWebIdsHead{
    QStringLiteral("Select Distinct WebOrderId From SoDt With (UpdLock, HoldLock) Where WebOrderId In ("),
    QStringLiteral("Select Distinct WebOrderId From SoDt Indexed By SoDt_WebOrderId Where WebOrderId In (")};

const db::SqlText QProductUnitsHead{
    QStringLiteral("Select PU.Id ProductUnits, PU.Product, PU.Fraction, PU.Barcode\n"
                   "From ProductUnits PU\n"
                   "  Inner Join Product P On P.Id = PU.Product\n"
                   "Where PU.Barcode In ("),
    QStringLiteral("Select PU.Id ProductUnits, PU.Product, PU.Fraction, PU.Barcode\n"
                   "From ProductUnits PU Indexed By ProductUnits_Barcode\n"
                   "  Inner Join Product P On P.Id = PU.Product\n"
                   "Where PU.Barcode In (")};

TSQL_STATEMENT_OBJECT(statements(), QSoConso){
    QStringLiteral("Select H.Id\n"
                   "From SoHd H\n"
                   "  Inner Join Customer C On C.Id = H.Customer\n"
                   "  Inner Join Misc M On M.Id = C.Zone And M.GroupCode = 'ZONE'\n"
                   "Where M.Code = :Zone And Coalesce(RTrim(H.ConsoNo), '') = ''\n"
                   "Order By H.Id"),
    {}};

TSQL_STATEMENT_OBJECT(statements(), SQLUpdateConso){
    QStringLiteral("Update SoHd Set ConsoNo = :ConsoNo, ConsoDate = GetDate(), Clear = 'Y'\n"
                   "Where Id = :Id And Coalesce(RTrim(ConsoNo), '') = ''"),
    {}};

TSQL_STATEMENT_OBJECT(statements(), SQLSaveLine){QStringLiteral("Save Transaction ImportLine"), QStringLiteral("Savepoint ImportLine")};

TSQL_STATEMENT_OBJECT(statements(), SQLRollbackLine){QStringLiteral("Rollback Transaction ImportLine"), QStringLiteral("Rollback To ImportLine")};

TSQL_STATEMENT_OBJECT(statements(), SQLReleaseLine){QString(), QStringLiteral("Release ImportLine")};

TSQL_STATEMENT_OBJECT(statements(), QTransactionState){QStringLiteral("Select XACT_STATE() As XactState, @@TRANCOUNT As TranCount"),
                                    QStringLiteral("Select XACT_STATE() As XactState, XACT_STATE() As TranCount")};

TSQL_STATEMENT_OBJECT(statements(), QSoNoStored){QStringLiteral("Select Count(*) As Stored From SoHd With (UpdLock, HoldLock) Where SoNo = :SoNo"),
                              QStringLiteral("Select Count(*) As Stored From SoHd Where SoNo = :SoNo")};

TSQL_STATEMENT_OBJECT(statements(), QConsoNoStored){QStringLiteral("Select Count(*) As Stored From SoHd With (UpdLock, HoldLock) Where ConsoNo = :ConsoNo"),
                                 QStringLiteral("Select Count(*) As Stored From SoHd Where ConsoNo = :ConsoNo")};

TSQL_STATEMENT_OBJECT(statements(), QWebOrderSettings){
    QStringLiteral("Select WebOrderHost, WebOrderHttpPort, WebOrderFtpPort, WebOrderFtpUser, WebOrderFtpPassword From Config"), {}};

TSQL_STATEMENT_OBJECT(statements(), SQLWriteWebOrderSettings){
    QStringLiteral("Update Config Set WebOrderHost = :Host, WebOrderHttpPort = :HttpPort, WebOrderFtpPort = :FtpPort,"
                   " WebOrderFtpUser = :FtpUser, WebOrderFtpPassword = :FtpPassword"),
    {}};

}  // namespace weborder::sql
