// The zone bill-collection window's T-SQL texts join the catalogue of `consolidate-db statements`:
// every statement of bill_collection_sql.cpp (each is entered where it is defined) and the search
// dialog's statement with and without a typed text. Compiled into consolidate-db.
#include "bill_collection_search.h"
#include "bill_collection_sql.h"
#include "tsql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("bill_collection"), [] {
    QVector<db::CatalogueText> out = consolidation::moneybill::statements().texts();
    out << db::CatalogueText{QStringLiteral("TFrSearchconsolidate_Load.all"),
                             TFrSearchconsolidate_Load::Statement().tsqlFor(QString()).join(QLatin1Char('\n'))}
        << db::CatalogueText{QStringLiteral("TFrSearchconsolidate_Load.typed"),
                             TFrSearchconsolidate_Load::Statement().tsqlFor(QStringLiteral("C'0%_[")).join(QLatin1Char('\n'))};
    return out;
  });
  return true;
}();

}  // namespace
