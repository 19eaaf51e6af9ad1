#include "box_packing_sql.h"

#include "tsql.h"

namespace packing::sql {

db::StatementGroup& statements() {
  static db::StatementGroup group;
  return group;
}

TSQL_STATEMENT(statements(), QStringList, boxByNumber) {
  return {QStringLiteral("Select Id, Delflag, BarCode, Customer, SendDate"),
          QStringLiteral("From BoxNo"),
          QStringLiteral("Where BarCode = :BarCode")};
}

TSQL_STATEMENT(statements(), QStringList, unitByBarcode) {
  return {QStringLiteral("Select U.Product, U.Id As ProductUnits, P.Code As ProdCode, U.Barcode, P.ThaiName As ProdName, U.UnitName"),
          QStringLiteral("From ProductUnits U"),
          QStringLiteral("Inner Join Product P On P.Id = U.Product"),
          QStringLiteral("Where U.Barcode = :BarCode")};
}

TSQL_STATEMENT(statements(), QStringList, consignmentWarehouse) { return {QStringLiteral("Select Id From Warehouse Where Code = :WHCode")}; }

TSQL_STATEMENT(statements(), QStringList, boxContents) {
  return {QStringLiteral("Select D.Id, D.BoxNo, D.ProductUnits, U.Barcode, D.Quantity, U.UnitName, P.Code As ProdCode,"),
          QStringLiteral("P.ThaiName As ProdName, D.ProductUnitsPrice, Up.Barcode As BarCodePrice, Pp.ThaiName As ProdPriceName,"),
          QStringLiteral("ROW_NUMBER() Over ( Order BY U.Barcode) As RecNo"),
          QStringLiteral("From BoxNoProductUnits D"),
          QStringLiteral("Inner Join ProductUnits U On U.Id = D.ProductUnits"),
          QStringLiteral("Inner Join Product P On P.Id = U.Product"),
          QStringLiteral("Left Join ProductUnits Up On Up.Id = D.ProductUnitsPrice"),
          QStringLiteral("Left Join Product Pp On Pp.Id = Up.Product"),
          QStringLiteral("Where D.BoxNo = :BoxNo"),
          QStringLiteral("Order By RecNo")};  // RecNo follows U.Barcode
}

TSQL_STATEMENT(statements(), QStringList, documentNumbers) { return {QStringLiteral("Select IvNo, TrNo From BoxNo Where Barcode = :BoxNo")}; }

TSQL_STATEMENT(statements(), QStringList, updateBox) {
  return {QStringLiteral("Update BoxNo Set Customer = :Customer, SendDate = :SendDate"),
          QStringLiteral("Where Id = :Id And Customer Is Null And Coalesce(Delflag, 'N') <> 'Y'")};
}

TSQL_STATEMENT(statements(), QStringList, boxAsStored) {
  return {QStringLiteral("Select B.Customer, C.Code As CusCode, B.Delflag, B.IvNo, B.TrNo"), QStringLiteral("From BoxNo B"),
          QStringLiteral("Left Join Customer C On C.Id = B.Customer"), QStringLiteral("Where B.Id = :Id")};
}

TSQL_STATEMENT(statements(), QStringList, deleteLines) { return {QStringLiteral("Delete From BoxNoProductUnits Where BoxNo = :BoxNo")}; }

TSQL_STATEMENT(statements(), QStringList, insertLine) {
  return {QStringLiteral("Insert Into BoxNoProductUnits (BoxNo, ProductUnits, Quantity, ProductUnitsPrice, LastUpdate)"),
          QStringLiteral("Values (:BoxNo, :ProductUnits, :Quantity, :ProductUnitsPrice, GetDate())")};
}

QStringList customerWithConsignmentFlag(QStringList lines) {
  if (!lines.isEmpty())
    lines[0].replace(QStringLiteral("Select "), QStringLiteral("Select Coalesce(ConSignMentFlag,'N')ConSignMentFlag, "));
  return lines;
}

}  // namespace packing::sql
