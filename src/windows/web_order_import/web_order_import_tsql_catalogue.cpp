// The web-order import's T-SQL texts join the catalogue of `consolidate-db statements`: its
// statements as entered where they are defined (a line's savepoint and its rollback too; releasing
// one has no T-SQL text), the batch reads as the import completes them (a list of bound values and
// the closing bracket), the many-line insert with two rows, and the schema upgrade the window runs
// when it opens. Compiled into consolidate-db.
#include "import_settings.h"
#include "tsql.h"
#include "web_order_import_sql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("web_order_import"), [] {
    namespace sql = weborder::sql;
    // Every whole statement is entered where it is defined; the batch reads are listed as the
    // import completes their heads.
    QVector<db::CatalogueText> out = sql::statements().texts();
    out << db::CatalogueText{QStringLiteral("QChkSoHd"), sql::QChkSoHdHead.tsql + sql::BoundInList(2) + sql::QChkSoHdTail.tsql}
        << db::CatalogueText{QStringLiteral("QGetSalesmen"), sql::QGetSalesmenHead.tsql + sql::BoundInList(2)}
        << db::CatalogueText{QStringLiteral("QGetCustomers"), sql::QGetCustomersHead.tsql + sql::BoundInList(2)}
        << db::CatalogueText{QStringLiteral("SQLInsertSoDtRows"), sql::InsertSoDtRows(2, db::Dialect::SqlServer)}
        << db::CatalogueText{QStringLiteral("QStoredWebIds"), sql::QStoredWebIdsHead.tsql + sql::BoundInList(2)}
        << db::CatalogueText{QStringLiteral("QProductUnits"), sql::QProductUnitsHead.tsql + sql::BoundInList(2)};
    const QVector<data::UpgradeStep> steps = weborder::ImportUpgradeSteps();
    for (int i = 0; i < steps.size(); ++i) out.push_back({QStringLiteral("SQLUpdate.%1").arg(i + 1), steps[i].tsql});
    return out;
  });
  return true;
}();

}  // namespace
