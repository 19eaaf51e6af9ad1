// The zone bill-collection window's T-SQL texts join the catalogue of `consolidate-db statements`.
// Compiled into consolidate-db.
#include "bill_collection_search.h"
#include "bill_collection_sql.h"
#include "tsql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("bill_collection"), [] {
    namespace sql = consolidation::moneybill;
    return QVector<db::CatalogueText>{
        {QStringLiteral("QGetZoneCus"), sql::QGetZoneCus().tsql},
        {QStringLiteral("QGetGrid"), sql::QGetGrid().tsql},
        {QStringLiteral("QselectGrid"), sql::QselectGrid().tsql},
        {QStringLiteral("QAddMoneyBill"), sql::QAddMoneyBill().tsql},
        {QStringLiteral("QDelMoneyBillRow"), sql::QDelMoneyBillRow().tsql},
        {QStringLiteral("QDelMoneyBill"), sql::QDelMoneyBill().tsql},
        {QStringLiteral("TFrSearchconsolidate_Load.all"), TFrSearchconsolidate_Load::Statement().tsqlFor(QString()).join(QLatin1Char('\n'))},
        {QStringLiteral("TFrSearchconsolidate_Load.typed"),
         TFrSearchconsolidate_Load::Statement().tsqlFor(QStringLiteral("C'0%_[")).join(QLatin1Char('\n'))},
    };
  });
  return true;
}();

}  // namespace
