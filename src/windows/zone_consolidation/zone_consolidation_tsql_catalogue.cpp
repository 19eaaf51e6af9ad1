// The zone consolidation window's T-SQL texts join the catalogue of `consolidate-db statements`:
// its statements and the batch that calls ConsoToIV. Compiled into consolidate-db.
#include "tsql.h"
#include "zone_consolidation_sql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("zone_consolidation"), [] {
    namespace sql = consolidation::sql;
    return QVector<db::CatalogueText>{
        {QStringLiteral("QZone"), sql::QZone().tsql},
        {QStringLiteral("QLoad"), sql::QLoad().tsql},
        {QStringLiteral("QConsoHd"), sql::QConsoHd().tsql},
        {QStringLiteral("QConsoDt"), sql::QConsoDt().tsql},
        {QStringLiteral("QHeaderId"), sql::QHeaderId().tsql},
        {QStringLiteral("SQLAddConsoHd"), sql::SQLAddConsoHd().tsql},
        {QStringLiteral("SQLAddConsoDt"), sql::SQLAddConsoDt().tsql},
        {QStringLiteral("QChkOnhand"), sql::QChkOnhand().tsql},
        {QStringLiteral("QConsoToIv"), sql::QConsoToIv().tsql},
        {QStringLiteral("QHeldLines"), sql::QHeldLines().tsql},
        db::procedureCall(QStringLiteral("ConsoToIV"), {{"DocNo", db::ParamType::Text}}),
    };
  });
  return true;
}();

}  // namespace
