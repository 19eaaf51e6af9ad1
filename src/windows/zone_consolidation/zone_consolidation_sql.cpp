#include "zone_consolidation_sql.h"

#include "tsql.h"

namespace consolidation::sql {

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// ---- Fragments shared by QLoad and QConsoDt ---------------------------------------------------

// The due sales-order lines of zone :Zone for the send date :SendDate.
const char* const kDueFromWhere = R"(From SoDt D
  Inner Join SoHd H On H.Id = D.SoHd
  Inner Join Customer C On C.Id = H.Customer
  Inner Join Product P On P.Id = D.Product
  Inner Join ProductUnits U On U.Id = D.ProductUnits
Where (H.Delflag = 'N') And (H.Approved = 'Y') And (H.Clear <> 'Y') And (D.BackOrder > 0) And (Coalesce(H.MerchandisingSystems,'Y') = 'Y')
  And (H.ShipDate < DateAdd(Day, 1, :SendDate)) And (C.Zone = :Zone)
  And Not Exists (Select CD.Id From ConsolidateDt CD Inner Join ConsolidateHd CH On CH.Id = CD.ConsolidateHd
                  Where (CD.SoDt = D.Id) And (CH.Confirm = 'N') And (CH.Delflag = 'N') And (CH.CustomerZone = :Zone)))";

// The same for the embedded server. A line held by an open consolidation is looked up by its
// sales-order line (the index ConsolidateDt_SoDt, then the header: Cross Join keeps that order)
// whatever the statistics say: they may have been taken while the table was nearly empty and would
// lead the planner to read every stored consolidation line, or every open header of the zone, for
// every due line.
const char* const kDueFromWhereSqlite = R"(From SoDt D
  Inner Join SoHd H On H.Id = D.SoHd
  Inner Join Customer C On C.Id = H.Customer
  Inner Join Product P On P.Id = D.Product
  Inner Join ProductUnits U On U.Id = D.ProductUnits
Where (H.Delflag = 'N') And (H.Approved = 'Y') And (H.Clear <> 'Y') And (D.BackOrder > 0) And (Coalesce(H.MerchandisingSystems,'Y') = 'Y')
  And (H.ShipDate < AddDays(:SendDate, 1)) And (C.Zone = :Zone)
  And Not Exists (Select CD.Id From ConsolidateDt CD Indexed By ConsolidateDt_SoDt Cross Join ConsolidateHd CH On CH.Id = CD.ConsolidateHd
                  Where (CD.SoDt = D.Id) And (CH.Confirm = 'N') And (CH.Delflag = 'N') And (CH.CustomerZone = :Zone)))";

// T-SQL: the stock of product X in base units, and OH, the stock in the unit U, truncated.
QString stockTsql(const char* product) {
  return QStringLiteral("Coalesce((Select Sum(O.Quantity) From ProductOnhand O Where O.BalanceYear = Year(GetDate()) And O.Product = %1),0)")
      .arg(QLatin1String(product));
}
QString ohTsql(const char* product) { return QStringLiteral("Convert(Int,%1/ U.Fraction)").arg(stockTsql(product)); }
QString onhandTsql(const char* product) {
  return QStringLiteral("dbo.ShowQtyUnits(%1, Convert(Decimal(20,2),%2))").arg(QLatin1String(product), stockTsql(product));
}
// SQLite: the same stock rounded as Decimal(18,2) sums are (so that 24 base units in units of 12 are
// exactly 2), computed once per row in a materialised step. The statement's year is read once into
// the one-row step Y, as SQL Server reads GetDate() once per statement; it is read as a scalar rather
// than joined, because a join with Y leads the planner away from the indexes of the other tables.
QString stockSqlite(const char* product) {
  return QStringLiteral(
             "Round(Coalesce((Select Sum(O.Quantity) From ProductOnhand O Where O.BalanceYear = (Select StockYear From Y) And O.Product = %1),0), 2)")
      .arg(QLatin1String(product));
}

const char* const kUnitNameTsql = "(U.UnitName + ' (' + LTrim(Rtrim(Convert(Char(5),U.Fraction))) + ')')";
const char* const kUnitNameSqlite = "(U.UnitName || ' (' || Trim(Cast(U.Fraction As Text)) || ')')";

// ---- Statements -------------------------------------------------------------------------------

db::SqlText makeQZone() {
  return {QStringLiteral("Select Id, Code, Description From Misc Where GroupCode = 'ZONE' Order By Code"), QString()};
}

db::SqlText makeQLoad() {
  db::SqlText t;
  t.tsql = QStringLiteral(R"(Select B.*, B.SendQnty * B.VolumnFraction As WeightKg From (
Select A.ToConso, A.SoHd, A.SoDt, A.Customer, A.Product, A.ProductUnits, A.OrderSoQnty, A.OH, A.Onhand, A.OrderQnty,
  Case When A.OH > 0 Then (Case When A.OH > A.OrderSoQnty Then A.OrderSoQnty Else A.OH End) Else 0 End As SendQnty,
  A.IvNo, A.IvHd, A.IvDt, A.SoNo, A.SoDate, A.ProdCode, A.ProdName, A.UnitName, A.VolumnFraction,
  A.CusCode, A.CusName, A.Address3, A.SendYourOrder, A.Negative
From (
Select 'N' As ToConso, D.SoHd, D.Id As SoDt, H.Customer, D.Product, D.ProductUnits,
  D.BackOrder / D.Fraction As OrderSoQnty,
  %1 As OH,
  %2 As Onhand,
  D.BackOrder / D.Fraction As OrderQnty,
  '' As IvNo, 0 As IvHd, 0 As IvDt,
  H.SoNo, H.SoDate, P.Code As ProdCode, P.ThaiName As ProdName, %3 As UnitName, U.VolumnFraction,
  C.Code As CusCode, C.Name As CusName, C.Address3, Coalesce(C.SendYourOrder,99999) As SendYourOrder, P.Negative
%4
) A ) B
Order By B.SendYourOrder, B.Address3, B.SoNo, B.ProdCode)")
               .arg(ohTsql("D.Product"), onhandTsql("D.Product"), QLatin1String(kUnitNameTsql), u(kDueFromWhere));
  t.sqlite = QStringLiteral(R"(With Y As Materialized (Select Year(GetDate()) As StockYear),
A As Materialized (
Select D.SoHd, D.Id As SoDt, H.Customer, D.Product, D.ProductUnits,
  D.BackOrder * 1.0 / D.Fraction As OrderSoQnty, %1 As StockBase, U.Fraction As UnitFraction,
  H.SoNo, H.SoDate, P.Code As ProdCode, P.ThaiName As ProdName, %2 As UnitName, U.VolumnFraction,
  C.Code As CusCode, C.Name As CusName, C.Address3, Coalesce(C.SendYourOrder,99999) As SendYourOrder, P.Negative
%3
), B As (Select A.*, Cast(A.StockBase / A.UnitFraction As Integer) As OH From A),
L As (Select B.*, Case When B.OH > 0 Then (Case When B.OH > B.OrderSoQnty Then B.OrderSoQnty Else B.OH End) Else 0 End As SendQnty From B)
Select 'N' As ToConso, L.SoHd, L.SoDt, L.Customer, L.Product, L.ProductUnits, L.OrderSoQnty, L.OH,
  ShowQtyUnits(L.Product, L.StockBase) As Onhand, L.OrderSoQnty As OrderQnty, L.SendQnty,
  '' As IvNo, 0 As IvHd, 0 As IvDt, L.SoNo, L.SoDate, L.ProdCode, L.ProdName, L.UnitName, L.VolumnFraction,
  L.CusCode, L.CusName, L.Address3, L.SendYourOrder, L.Negative, L.SendQnty * L.VolumnFraction As WeightKg
From L
Order By L.SendYourOrder, L.Address3, L.SoNo, L.ProdCode)")
                 .arg(stockSqlite("D.Product"), QLatin1String(kUnitNameSqlite), u(kDueFromWhereSqlite));
  return t;
}

db::SqlText makeQConsoHd() {
  return {QStringLiteral(R"(Select H.Id, H.DocNo, H.DocDate, H.SendDate, H.CustomerZone, H.Carman, H.LicensePlate,
  H.Porter1, H.Porter2, H.Porter3, H.Remark, H.Confirm, H.Delflag, H.Printed, M.Code As ZoneCode, M.Description As ZoneDes
From ConsolidateHd H Inner Join Misc M On (M.Id = H.CustomerZone) And (M.GroupCode = 'ZONE')
Where H.DocNo = :DocNo
Order By H.Id)"),
          QString()};
}

// Stored lines of the document, then (for a saved document) the due lines not yet stored, with the
// allocation of a listed line: like Load, except that a product that may go negative is given
// the ordered quantity when there is no stock.
db::SqlText makeQConsoDt() {
  db::SqlText t;
  t.tsql = QStringLiteral(R"(Select X.*, X.SendQnty * X.VolumnFraction As WeightKg From (
Select CD.Id, CD.ConsolidateHd, CD.ToConso, CD.SoHd, CD.SoDt, CD.Customer, CD.Product, CD.ProductUnits, CD.OrderSoQnty,
  %1 As OH,
  %2 As Onhand,
  CD.OrderQnty, CD.SendQnty, CD.IvNo, CD.IvHd, CD.IvDt,
  S.SoNo, S.SoDate, P.Code As ProdCode, P.ThaiName As ProdName, %5 As UnitName, U.VolumnFraction,
  C.Code As CusCode, C.Name As CusName, C.Address3, Coalesce(C.SendYourOrder,99999) As SendYourOrder, P.Negative
From ConsolidateDt CD
  Inner Join SoHd S On S.Id = CD.SoHd
  Inner Join Customer C On C.Id = CD.Customer
  Inner Join Product P On P.Id = CD.Product
  Inner Join ProductUnits U On U.Id = CD.ProductUnits
Where (CD.ConsolidateHd = :ConsolidateHd) And (Coalesce(S.MerchandisingSystems,'Y') = 'Y')
Union All
Select A.Id, A.ConsolidateHd, A.ToConso, A.SoHd, A.SoDt, A.Customer, A.Product, A.ProductUnits, A.OrderSoQnty, A.OH, A.Onhand,
  A.OrderQnty,
  Case When A.OH > 0 Then (Case When A.OH > A.OrderSoQnty Then A.OrderSoQnty Else A.OH End)
       When A.Negative = 'Y' Then A.OrderSoQnty Else 0 End As SendQnty,
  A.IvNo, A.IvHd, A.IvDt, A.SoNo, A.SoDate, A.ProdCode, A.ProdName, A.UnitName, A.VolumnFraction,
  A.CusCode, A.CusName, A.Address3, A.SendYourOrder, A.Negative
From (
Select 0 As Id, 0 As ConsolidateHd, 'N' As ToConso, D.SoHd, D.Id As SoDt, H.Customer, D.Product, D.ProductUnits,
  D.BackOrder / D.Fraction As OrderSoQnty,
  %3 As OH,
  %4 As Onhand,
  D.BackOrder / D.Fraction As OrderQnty,
  '' As IvNo, 0 As IvHd, 0 As IvDt,
  H.SoNo, H.SoDate, P.Code As ProdCode, P.ThaiName As ProdName, %5 As UnitName, U.VolumnFraction,
  C.Code As CusCode, C.Name As CusName, C.Address3, Coalesce(C.SendYourOrder,99999) As SendYourOrder, P.Negative
%6
  And (:ConsolidateHd > 0)
) A
) X
Order By X.SendYourOrder, X.Address3, X.SoNo, X.ProdCode)")
               .arg(ohTsql("CD.Product"), onhandTsql("CD.Product"), ohTsql("D.Product"), onhandTsql("D.Product"),
                    QLatin1String(kUnitNameTsql), u(kDueFromWhere));
  t.sqlite = QStringLiteral(R"(With Y As Materialized (Select Year(GetDate()) As StockYear),
A As Materialized (
Select CD.Id, CD.ConsolidateHd, CD.ToConso, CD.SoHd, CD.SoDt, CD.Customer, CD.Product, CD.ProductUnits, CD.OrderSoQnty,
  %1 As StockBase, U.Fraction As UnitFraction, CD.OrderQnty, CD.SendQnty As StoredSendQnty, CD.IvNo, CD.IvHd, CD.IvDt,
  S.SoNo, S.SoDate, P.Code As ProdCode, P.ThaiName As ProdName, %3 As UnitName, U.VolumnFraction,
  C.Code As CusCode, C.Name As CusName, C.Address3, Coalesce(C.SendYourOrder,99999) As SendYourOrder, P.Negative, 1 As Stored
From ConsolidateDt CD Indexed By ConsolidateDt_Hd
  Inner Join SoHd S On S.Id = CD.SoHd
  Inner Join Customer C On C.Id = CD.Customer
  Inner Join Product P On P.Id = CD.Product
  Inner Join ProductUnits U On U.Id = CD.ProductUnits
Where (CD.ConsolidateHd = :ConsolidateHd) And (Coalesce(S.MerchandisingSystems,'Y') = 'Y')
Union All
Select 0, 0, 'N', D.SoHd, D.Id, H.Customer, D.Product, D.ProductUnits, D.BackOrder * 1.0 / D.Fraction,
  %2, U.Fraction, D.BackOrder * 1.0 / D.Fraction, Null, '', 0, 0,
  H.SoNo, H.SoDate, P.Code, P.ThaiName, %3, U.VolumnFraction,
  C.Code, C.Name, C.Address3, Coalesce(C.SendYourOrder,99999), P.Negative, 0
%4
  And (:ConsolidateHd > 0)
), B As (Select A.*, Cast(A.StockBase / A.UnitFraction As Integer) As OH From A),
L As (Select B.*, Case When B.Stored = 1 Then B.StoredSendQnty
                       When B.OH > 0 Then (Case When B.OH > B.OrderSoQnty Then B.OrderSoQnty Else B.OH End)
                       When B.Negative = 'Y' Then B.OrderSoQnty Else 0 End As SendQnty From B)
Select L.Id, L.ConsolidateHd, L.ToConso, L.SoHd, L.SoDt, L.Customer, L.Product, L.ProductUnits, L.OrderSoQnty, L.OH,
  ShowQtyUnits(L.Product, L.StockBase) As Onhand, L.OrderQnty, L.SendQnty, L.IvNo, L.IvHd, L.IvDt,
  L.SoNo, L.SoDate, L.ProdCode, L.ProdName, L.UnitName, L.VolumnFraction,
  L.CusCode, L.CusName, L.Address3, L.SendYourOrder, L.Negative, L.SendQnty * L.VolumnFraction As WeightKg
From L
Order By L.SendYourOrder, L.Address3, L.SoNo, L.ProdCode)")
                 .arg(stockSqlite("CD.Product"), stockSqlite("D.Product"), QLatin1String(kUnitNameSqlite), u(kDueFromWhereSqlite));
  return t;
}

db::SqlText makeQHeaderId() {
  return {QStringLiteral("Select Id From ConsolidateHd Where DocNo = :DocNo Order By Id"), QString()};
}

// A new document's header, inserted only when its number is not stored yet: the caller checks
// that one row was inserted and otherwise refuses the number. On SQL Server the test holds a
// key-range lock on the number until the transaction ends, so that two saves cannot both find it free.
db::SqlText makeSQLAddConsoHd() {
  db::SqlText t;
  t.tsql = QStringLiteral(R"(Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Carman, LicensePlate, Porter1, Porter2, Porter3,
  Remark, Confirm, Delflag, Printed)
Select :DocNo, :DocDate, :SendDate, :CustomerZone, :Carman, :LicensePlate, :Porter1, :Porter2, :Porter3, :Remark, 'N', 'N', 'N'
Where Not Exists (Select Id From ConsolidateHd With (UpdLock, HoldLock) Where DocNo = :DocNo))");
  t.sqlite = QStringLiteral(R"(Insert Into ConsolidateHd (DocNo, DocDate, SendDate, CustomerZone, Carman, LicensePlate, Porter1, Porter2, Porter3,
  Remark, Confirm, Delflag, Printed)
Select :DocNo, :DocDate, :SendDate, :CustomerZone, :Carman, :LicensePlate, :Porter1, :Porter2, :Porter3, :Remark, 'N', 'N', 'N'
Where Not Exists (Select Id From ConsolidateHd Where DocNo = :DocNo))");
  return t;
}

// An existing document's header: the fields this window edits, and Delflag (Delete). Confirm and
// Printed belong to the server's procedures and are never written back.
db::SqlText makeSQLUpdateConsoHd() {
  return {QStringLiteral(R"(Update ConsolidateHd Set DocDate = :DocDate, SendDate = :SendDate, CustomerZone = :CustomerZone, Carman = :Carman,
  LicensePlate = :LicensePlate, Porter1 = :Porter1, Porter2 = :Porter2, Porter3 = :Porter3, Remark = :Remark, Delflag = :Delflag
Where Id = :Id)"),
          QString()};
}

// A stored line is updated with what the window edits; its invoice (IvNo, IvHd, IvDt) is the
// server's and is never written back.
db::SqlText makeSQLAddConsoDt() {
  db::SqlText t;
  t.tsql = QStringLiteral(R"(If Exists (Select Id From ConsolidateDt Where Id = :Id)
Begin
  If :ToConso = 'N'
    Delete From ConsolidateDt Where Id = :Id
  Else
    Update ConsolidateDt Set ConsolidateHd = :ConsolidateHd, ToConso = :ToConso, SoHd = :SoHd, SoDt = :SoDt, Customer = :Customer,
      Product = :Product, ProductUnits = :ProductUnits, OrderSoQnty = :OrderSoQnty, Onhand = :OH, OrderQnty = :OrderQnty,
      SendQnty = :SendQnty
    Where Id = :Id
End
Else If :ToConso = 'Y'
  Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, OrderSoQnty, Onhand, OrderQnty,
    SendQnty, IvNo, IvHd, IvDt)
  Values (:ConsolidateHd, :ToConso, :SoHd, :SoDt, :Customer, :Product, :ProductUnits, :OrderSoQnty, :OH, :OrderQnty,
    :SendQnty, '', 0, 0))");
  t.sqlite = QStringLiteral(R"(Delete From ConsolidateDt Where (Id = :Id) And (:ToConso = 'N')
/
Update ConsolidateDt Set ConsolidateHd = :ConsolidateHd, ToConso = :ToConso, SoHd = :SoHd, SoDt = :SoDt, Customer = :Customer,
  Product = :Product, ProductUnits = :ProductUnits, OrderSoQnty = :OrderSoQnty, Onhand = :OH, OrderQnty = :OrderQnty,
  SendQnty = :SendQnty
Where (Id = :Id) And (:ToConso = 'Y')
/
Insert Into ConsolidateDt (ConsolidateHd, ToConso, SoHd, SoDt, Customer, Product, ProductUnits, OrderSoQnty, Onhand, OrderQnty,
  SendQnty, IvNo, IvHd, IvDt)
Select :ConsolidateHd, :ToConso, :SoHd, :SoDt, :Customer, :Product, :ProductUnits, :OrderSoQnty, :OH, :OrderQnty,
  :SendQnty, '', 0, 0
Where (:ToConso = 'Y') And Not Exists (Select Id From ConsolidateDt Where Id = :Id))");
  return t;
}

// The header as stored, read when the document is opened and again inside the save's transaction:
// a save goes through only when nothing changed in between. On SQL Server the read inside the
// transaction keeps the row locked (UpdLock, HoldLock) until the save commits, so that ConsoToIV or
// another save waits instead of slipping in between the comparison and the write.
db::SqlText makeQHdAsStored() {
  return {QStringLiteral(R"(Select Id, DocNo, DocDate, SendDate, CustomerZone, Carman, LicensePlate, Porter1, Porter2, Porter3, Remark,
  Confirm, Delflag, Printed
From ConsolidateHd With (UpdLock, HoldLock)
Where Id = :Id)"),
          QStringLiteral(R"(Select Id, DocNo, DocDate, SendDate, CustomerZone, Carman, LicensePlate, Porter1, Porter2, Porter3, Remark,
  Confirm, Delflag, Printed
From ConsolidateHd
Where Id = :Id)")};
}

// The document's stored lines, every one of them, for the same comparison.
db::SqlText makeQDtAsStored() {
  return {QStringLiteral(R"(Select Id, ToConso, SoHd, SoDt, Product, ProductUnits, OrderSoQnty, OrderQnty, SendQnty, IvNo, IvHd, IvDt
From ConsolidateDt With (UpdLock, HoldLock)
Where ConsolidateHd = :ConsolidateHd
Order By Id)"),
          QStringLiteral(R"(Select Id, ToConso, SoHd, SoDt, Product, ProductUnits, OrderSoQnty, OrderQnty, SendQnty, IvNo, IvHd, IvDt
From ConsolidateDt
Where ConsolidateHd = :ConsolidateHd
Order By Id)")};
}

// The saves of one zone's consolidations, one at a time: the check of the lines the zone's other
// open consolidations hold (QHeldLines) and the writing of the lines run under an exclusive
// application lock of the zone that the transaction holds until it ends. The embedded server
// serialises every writing transaction already; its text only answers.
db::SqlText makeSQLLockZone() {
  return {QStringLiteral(R"(Declare @Granted Int
Declare @Resource NVarChar(255)
Set @Resource = N'ConsolidateHd.CustomerZone.' + Convert(NVarChar(20), :Zone)
Exec @Granted = sp_getapplock @Resource = @Resource, @LockMode = 'Exclusive', @LockOwner = 'Transaction', @LockTimeout = 30000
If @Granted < 0
  RaisError('The consolidations of zone %s are being saved by another workstation; try again', 16, 1, @Resource))"),
          QStringLiteral("Select :Zone As Zone")};
}

db::SqlText makeQChkOnhand() {
  db::SqlText t;
  t.tsql = QStringLiteral(R"(Select P.Code As ProdCode, P.ThaiName As ProdName, U.Fraction, Sum(CD.SendQnty) As SendQnty, %1 As OH
From ConsolidateDt CD
  Inner Join ConsolidateHd H On H.Id = CD.ConsolidateHd
  Inner Join Product P On P.Id = CD.Product
  Inner Join ProductUnits U On U.Id = CD.ProductUnits
Where H.DocNo = :DocNo
Group By CD.Product, P.Code, P.ThaiName, U.Fraction
Having Sum(CD.SendQnty) > %1
Order By P.Code, U.Fraction)")
               .arg(ohTsql("CD.Product"));
  t.sqlite = QStringLiteral(R"(With Y As Materialized (Select Year(GetDate()) As StockYear)
Select P.Code As ProdCode, P.ThaiName As ProdName, U.Fraction, Sum(CD.SendQnty) As SendQnty,
  Cast(%1 / U.Fraction As Integer) As OH
From ConsolidateDt CD
  Inner Join ConsolidateHd H On H.Id = CD.ConsolidateHd
  Inner Join Product P On P.Id = CD.Product
  Inner Join ProductUnits U On U.Id = CD.ProductUnits
  Inner Join Y
Where H.DocNo = :DocNo
Group By CD.Product, P.Code, P.ThaiName, U.Fraction, Y.StockYear
Having Sum(CD.SendQnty) > Cast(%1 / U.Fraction As Integer)
Order By P.Code, U.Fraction)")
                 .arg(stockSqlite("CD.Product"));
  return t;
}

db::SqlText makeQConsoToIv() {
  return {QStringLiteral(R"(Select Distinct D.IvNo From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd
Where (H.DocNo = :DocNo) And (H.Delflag = 'N') And (D.ToConso = 'Y') And (Coalesce(D.IvNo,'') <> '')
Order By D.IvNo)"),
          QString()};
}

db::SqlText makeQHeldLines() {
  return {QStringLiteral(R"(Select CD.SoDt, S.SoNo, CH.DocNo
From ConsolidateDt CD
  Inner Join ConsolidateHd CH On CH.Id = CD.ConsolidateHd
  Left Join SoHd S On S.Id = CD.SoHd
Where (CH.Confirm = 'N') And (CH.Delflag = 'N') And (CH.CustomerZone = :Zone) And (CH.Id <> :ConsolidateHd)
Order By S.SoNo, CH.DocNo)"),
          QString()};
}

}  // namespace

QStringList lines(const QString& text) { return text.split(QLatin1Char('\n')); }

db::StatementGroup& statements() {
  static db::StatementGroup group;
  return group;
}

// Each statement is made once, at its first use, and entered into the catalogue of T-SQL texts.
#define CONSO_STATEMENT(Name)                                      \
  TSQL_STATEMENT(statements(), const db::SqlText&, Name) {         \
    static const db::SqlText t = make##Name();                     \
    return t;                                                      \
  }
CONSO_STATEMENT(QZone)
CONSO_STATEMENT(QLoad)
CONSO_STATEMENT(QConsoHd)
CONSO_STATEMENT(QConsoDt)
CONSO_STATEMENT(QHeaderId)
CONSO_STATEMENT(SQLAddConsoHd)
CONSO_STATEMENT(SQLUpdateConsoHd)
CONSO_STATEMENT(QHdAsStored)
CONSO_STATEMENT(QDtAsStored)
CONSO_STATEMENT(SQLLockZone)
CONSO_STATEMENT(SQLAddConsoDt)
CONSO_STATEMENT(QChkOnhand)
CONSO_STATEMENT(QConsoToIv)
CONSO_STATEMENT(QHeldLines)
#undef CONSO_STATEMENT

}  // namespace consolidation::sql
