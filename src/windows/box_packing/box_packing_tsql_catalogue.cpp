// The box packing window's T-SQL texts join the catalogue of `consolidate-db statements`: every
// statement of box_packing_sql.cpp (each is entered where it is defined; the one built on the
// customer frame's read is listed as the window builds it) and the batches that call the two
// procedures that turn a box into a document. Compiled into consolidate-db.
#include "box_packing_sql.h"
#include "customer_sql.h"
#include "tsql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("box_packing"), [] {
    namespace sql = packing::sql;
    QVector<db::CatalogueText> out = sql::statements().texts();
    out << db::CatalogueText{QStringLiteral("customerWithConsignmentFlag"),
                             sql::customerWithConsignmentFlag(masterdata::customerDetailLines()).join(QLatin1Char('\n'))}
        << db::procedureCall(QStringLiteral("CopyBoxNoToIvHd"), {{"BoxNo", db::ParamType::Text}})
        << db::procedureCall(QStringLiteral("CopyBoxNoToTransFerHd"), {{"BoxNo", db::ParamType::Text}});
    return out;
  });
  return true;
}();

}  // namespace
