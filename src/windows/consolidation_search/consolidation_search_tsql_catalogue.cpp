// The consolidation search dialogs' T-SQL texts join the catalogue of `consolidate-db statements`,
// each with the filter of a typed text that holds a quote and the LIKE characters, and without one.
// The search dialogs' purge batch (framework) is listed here too. Compiled into consolidate-db.
#include "consolidation_number_search.h"
#include "search_dialog_sql.h"
#include "tsql.h"
#include "zone_consolidation_search.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("search"), [] {
    auto text = [](const QStringList& lines) { return lines.join(QLatin1Char('\n')); };
    QVector<db::CatalogueText> out;
    const struct {
      const char* name;
      framework::SearchStatement statement;
    } searches[] = {{"TFrSearchConsoNo", TFrSearchConsoNo::Statement()}, {"TFrSearchConsoNoQelDru", TFrSearchConsoNoQelDru::Statement()}};
    for (const auto& s : searches) {
      out.push_back({QLatin1String(s.name) + QStringLiteral(".all"), text(s.statement.tsqlFor(QString()))});
      out.push_back({QLatin1String(s.name) + QStringLiteral(".typed"), text(s.statement.tsqlFor(QStringLiteral("C'0%_[")))});
    }
    for (const char* table : {"IvHd", "SoHd", "ConsolidateHd"})
      out.push_back({QStringLiteral("purge.") + QLatin1String(table), framework::PurgeBatch(QLatin1String(table), 42)});
    return out;
  });
  return true;
}();

}  // namespace
