// The zone consolidation window's T-SQL texts join the catalogue of `consolidate-db statements`:
// every statement of zone_consolidation_sql.cpp (each is entered where it is defined) and the batch
// that calls ConsoToIV. Compiled into consolidate-db.
#include "tsql.h"
#include "zone_consolidation_sql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("zone_consolidation"), [] {
    QVector<db::CatalogueText> out = consolidation::sql::statements().texts();
    out << db::procedureCall(QStringLiteral("ConsoToIV"), {{"DocNo", db::ParamType::Text}});
    return out;
  });
  return true;
}();

}  // namespace
