// The web-order import's T-SQL texts join the catalogue of `consolidate-db statements`: its
// statements (a line's savepoint and its rollback too; releasing one has no T-SQL text), the batch
// reads as the import completes them (a list of bound values and the closing bracket), the
// many-line insert with two rows, and the schema upgrade the window runs when it opens. Compiled into
// consolidate-db.
#include "import_settings.h"
#include "tsql.h"
#include "web_order_import_sql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("web_order_import"), [] {
    namespace sql = weborder::sql;
    QVector<db::CatalogueText> out{
        {QStringLiteral("QZone"), sql::QZone.tsql},
        {QStringLiteral("QWebOrderRemark"), sql::QWebOrderRemark.tsql},
        {QStringLiteral("QChkSoHd"), sql::QChkSoHdHead.tsql + sql::BoundInList(2) + sql::QChkSoHdTail.tsql},
        {QStringLiteral("QOrderDate"), sql::QOrderDate.tsql},
        {QStringLiteral("QAutoRunDocMonth"), sql::QAutoRunDocMonth.tsql},
        {QStringLiteral("QGetSalesmen"), sql::QGetSalesmenHead.tsql + sql::BoundInList(2)},
        {QStringLiteral("QGetCustomers"), sql::QGetCustomersHead.tsql + sql::BoundInList(2)},
        {QStringLiteral("QGetConfig"), sql::QGetConfig.tsql},
        {QStringLiteral("SQLInsertSoHd"), sql::SQLInsertSoHd.tsql},
        {QStringLiteral("SQLInsertSoDt"), sql::SQLInsertSoDt.tsql},
        {QStringLiteral("SQLInsertSoDtRows"),
         sql::InsertSoDtRows(2, db::Dialect::SqlServer)},
        {QStringLiteral("QStoredWebIds"), sql::QStoredWebIdsHead.tsql + sql::BoundInList(2)},
        {QStringLiteral("QProductUnits"), sql::QProductUnitsHead.tsql + sql::BoundInList(2)},
        {QStringLiteral("QSoConso"), sql::QSoConso.tsql},
        {QStringLiteral("SQLUpdateConso"), sql::SQLUpdateConso.tsql},
        {QStringLiteral("QWebOrderSettings"), sql::QWebOrderSettings.tsql},
        {QStringLiteral("SQLWriteWebOrderSettings"), sql::SQLWriteWebOrderSettings.tsql},
        {QStringLiteral("SQLSaveLine"), sql::SQLSaveLine.tsql},
        {QStringLiteral("SQLRollbackLine"), sql::SQLRollbackLine.tsql},
        {QStringLiteral("QTransactionState"), sql::QTransactionState.tsql},
        {QStringLiteral("QSoNoStored"), sql::QSoNoStored.tsql},
        {QStringLiteral("QConsoNoStored"), sql::QConsoNoStored.tsql},
    };
    const QVector<data::UpgradeStep> steps = weborder::ImportUpgradeSteps();
    for (int i = 0; i < steps.size(); ++i) out.push_back({QStringLiteral("SQLUpdate.%1").arg(i + 1), steps[i].tsql});
    return out;
  });
  return true;
}();

}  // namespace
