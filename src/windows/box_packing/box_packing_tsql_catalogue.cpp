// The box packing window's T-SQL texts join the catalogue of `consolidate-db statements`: its
// statements and the batches that call the two procedures that turn a box into a document.
// Compiled into consolidate-db.
#include "box_packing_sql.h"
#include "customer_sql.h"
#include "tsql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("box_packing"), [] {
    namespace sql = packing::sql;
    auto text = [](const QStringList& lines) { return lines.join(QLatin1Char('\n')); };
    return QVector<db::CatalogueText>{
        {QStringLiteral("boxByNumber"), text(sql::boxByNumber())},
        {QStringLiteral("unitByBarcode"), text(sql::unitByBarcode())},
        {QStringLiteral("consignmentWarehouse"), text(sql::consignmentWarehouse())},
        {QStringLiteral("boxContents"), text(sql::boxContents())},
        {QStringLiteral("documentNumbers"), text(sql::documentNumbers())},
        {QStringLiteral("updateBox"), text(sql::updateBox())},
        {QStringLiteral("deleteLines"), text(sql::deleteLines())},
        {QStringLiteral("insertLine"), text(sql::insertLine())},
        {QStringLiteral("customerWithConsignmentFlag"), text(sql::customerWithConsignmentFlag(masterdata::customerDetailLines()))},
        db::procedureCall(QStringLiteral("CopyBoxNoToIvHd"), {{"BoxNo", db::ParamType::Text}}),
        db::procedureCall(QStringLiteral("CopyBoxNoToTransFerHd"), {{"BoxNo", db::ParamType::Text}}),
    };
  });
  return true;
}();

}  // namespace
