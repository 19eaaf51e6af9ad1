// The customer look-up's T-SQL texts join the catalogue of `consolidate-db statements`: the search
// statements as they are built from typed texts (every filter given, a quote and the LIKE
// characters among them), the customer frame's reads and the head-office copy. Compiled into
// consolidate-db.
#include "customer_sql.h"
#include "lookup_edit_sql.h"
#include "tsql.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("masterdata"), [] {
    using namespace masterdata;
    auto text = [](const QStringList& lines) { return lines.join(QLatin1Char('\n')); };
    QVector<db::CatalogueText> out;
    CustomerSearchFilter f;
    f.provinceCode = QStringLiteral("1");
    f.salesmanCode = QStringLiteral("S0");
    f.customerCode = QStringLiteral("C'0");
    f.phone = QStringLiteral("02%");
    f.fax = QStringLiteral("_1");
    f.name = QStringLiteral("บริษัท [ทดสอบ]");
    f.nameEng = QStringLiteral("Co\\");
    f.attrRanges = {{QStringLiteral("A"), QStringLiteral("01"), QStringLiteral("09")}};
    for (int sort = 0; sort <= 4; ++sort) {
      f.sortPosition = sort;
      out.push_back({QStringLiteral("customerSearch.sort%1").arg(sort), text(customerSearchLines(f, db::Dialect::SqlServer))});
    }
    out.push_back({QStringLiteral("customerSearch.blocked"), [&] {
                     CustomerSearchFilter b;
                     b.includeBlocked = true;
                     return text(customerSearchLines(b, db::Dialect::SqlServer));
                   }()});
    out.push_back({QStringLiteral("salesmanSearch"),
                   text(salesmanSearchLines(QStringLiteral("S'0"), QStringLiteral("สม%"), QStringLiteral("_x"), customerSortLine(0)))});
    out.push_back({QStringLiteral("miscSearch"), text(miscSearchLines())});
    out.push_back({QStringLiteral("cusAttrCodeSearch.word"), text(cusAttrCodeSearchLines(3, QStringLiteral("A'1"), true))});
    out.push_back({QStringLiteral("cusAttrCodeSearch.part"), text(cusAttrCodeSearchLines(3, QStringLiteral("A%1"), false))});
    out.push_back({QStringLiteral("customerDetail"), text(customerDetailLines())});
    out.push_back({QStringLiteral("customerHead"), text(customerHeadLines())});
    out.push_back({QStringLiteral("customerCopy"), customerCopyStatement().tsql});
    for (const char* table : {"Customer", "CustomerGroup", "Salesman"}) {
      out.push_back({QStringLiteral("localIdByCode.%1").arg(QLatin1String(table)), localIdByCodeSql(QLatin1String(table))});
      if (qstrcmp(table, "Customer") != 0)
        out.push_back({QStringLiteral("lowestId.%1").arg(QLatin1String(table)), lowestIdSql(QLatin1String(table))});
    }
    out.push_back({QStringLiteral("provinceIdByCode"), provinceIdByCodeSql()});
    out.push_back({QStringLiteral("provinceInsert"), provinceInsertSql()});
    out.push_back({QStringLiteral("cusAttrGroup"), text(cusAttrGroupLines())});
    out.push_back({QStringLiteral("salesmanFrame"), text(salesmanFrameLines())});
    out.push_back({QStringLiteral("nullRow"), text(nullRowLines())});
    // The lookup edits of the customer, salesman and province frames.
    struct Lookup {
      const char *table, *id, *code, *desc, *filter;
    } lookups[] = {{"Customer", "Id", "Code", "Name", "Blocked='N'"},
                   {"Salesman", "Id", "Code", "Name", "Status='Y'"},
                   {"MISC", "ID", "CODE", "Description", "GroupCode='CITY'"}};
    for (const Lookup& l : lookups) {
      const QString t = QLatin1String(l.table), i = QLatin1String(l.id), c = QLatin1String(l.code), d = QLatin1String(l.desc);
      out.push_back({QStringLiteral("lookupByCode.") + t, lookupByCodeSql(i, c, d, t, QLatin1String(l.filter))});
      out.push_back({QStringLiteral("lookupById.") + t, lookupByIdSql(i, c, d, t)});
    }
    return out;
  });
  return true;
}();

}  // namespace
