#include "bill_collection_sql.h"

namespace consolidation::moneybill {

namespace {

db::SqlText text(const char* tsql) { return {QString::fromUtf8(tsql), QString()}; }

}  // namespace

db::StatementGroup& statements() {
  static db::StatementGroup group;
  return group;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QGetZoneCus) {
  static const db::SqlText t = text("Select Id, Code, Description From Misc Where GroupCode = 'ZONE' Order By Code");
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QGetGrid) {
  static const db::SqlText t = text(R"(Select I.Id, 'N' As Chk, I.IvNo, I.IvDate, I.DueDate, I.Total,
  (I.Total - Coalesce(I.RcptAmount, 0)) As TotalRcpt
From IvHd I Inner Join Customer C On C.Id = I.Customer
Where (C.Zone = :Zone) And (I.DelFlag <> 'Y') And (I.Clear <> 'Y')
Order By I.IvDate, I.IvNo)");
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QselectGrid) {
  static const db::SqlText t = text(R"(Select 'Y' As Chk, M.Docno, M.DocDate, M.CustomerZone, M.Responsible, M.Remark, M.Delflag,
  M.BillDocType, M.BillDocId, M.DocAmount, M.BalanceAmount, M.CreateDate,
  I.IvNo, I.ID, I.IvDate As ivDate, I.DueDate, I.Total, (I.Total - Coalesce(I.RcptAmount, 0)) As TotalRcpt
From MoneyBill M Inner Join IvHd I On M.BillDocId = I.ID
  Inner Join Customer C On C.Id = I.Customer
Where (M.Docno = :DocNo) And (I.DelFlag <> 'Y') And (I.Clear <> 'Y' )
Order By I.IvDate, I.IvNo, M.Id)");
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QAddMoneyBill) {
  static const db::SqlText t = text(R"(Insert Into MoneyBill (Docno, DocDate, CustomerZone, Responsible, Delflag, Remark, BillDocType,
  BillDocId, DocAmount, BalanceAmount, CreateDate)
Select :Docno, :DocDate, :CustomerZone, :Responsible, 'N', :Remark, 'I',
  I.Id, I.Total, (I.Total - Coalesce(I.RcptAmount, 0)), GetDate()
From IvHd I
Where I.Id = :BillDocId)");
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QDelMoneyBillRow) {
  static const db::SqlText t = text("Delete From MoneyBill Where (Docno = :Docno) And (BillDocId = :BillDocId)");
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QDelMoneyBill) {
  static const db::SqlText t = text("Update MoneyBill\nSet Delflag = :Delflag\nWhere Docno= :Docno");
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QBillAsStored) {
  static const db::SqlText t{QStringLiteral(R"(Select Id, BillDocId, Delflag, DocDate, CustomerZone, Responsible, Remark
From MoneyBill With (UpdLock, HoldLock)
Where Docno = :Docno
Order By Id)"),
                             QStringLiteral(R"(Select Id, BillDocId, Delflag, DocDate, CustomerZone, Responsible, Remark
From MoneyBill
Where Docno = :Docno
Order By Id)")};
  return t;
}

TSQL_STATEMENT(statements(), const db::SqlText&, QBillNoStored) {
  static const db::SqlText t{QStringLiteral("Select Count(*) As Stored From MoneyBill With (UpdLock, HoldLock) Where Docno = :Docno"),
                             QStringLiteral("Select Count(*) As Stored From MoneyBill Where Docno = :Docno")};
  return t;
}

}  // namespace consolidation::moneybill
