// The T-SQL texts of the two data modules join the catalogue of `consolidate-db statements`: the
// schema upgrades of both databases, the version batch, the company, user and configuration reads,
// the unit-quantity reads, and the batches that call the server's procedures. The texts are read
// from the modules' own components. Compiled into consolidate-db.
#include "config_module.h"
#include "data_module.h"
#include "tsql.h"
#include "unit_quantities.h"

namespace {

QVector<db::CatalogueText> script(const QString& name, const db::Script& s) {
  QVector<db::CatalogueText> out;
  const QStringList statements = db::Script::split(s.sql);
  for (int i = 0; i < statements.size(); ++i) out.push_back({QStringLiteral("%1.%2").arg(name).arg(i + 1), statements[i]});
  return out;
}

db::CatalogueText query(const QString& name, const db::Query& q) { return {name, q.sql.join(QLatin1Char('\n'))}; }

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("data"), [] {
    using T = db::ParamType;
    TDM dm;
    TDMConfig config;
    data::UnitQuantities::prepareQueries(dm.QUnitFraction, dm.QStockUnitQnty);
    QVector<db::CatalogueText> out;
    out << script(QStringLiteral("DmCfg.SQLUpdate"), config.SQLUpdate);
    out << query(QStringLiteral("DmCfg.QCompanyConfig"), config.QCompanyConfig) << query(QStringLiteral("DmCfg.QCompany"), config.QCompany)
        << query(QStringLiteral("DmCfg.QUser"), config.QUser);
    out << script(QStringLiteral("DMDATA.SQLUpdateConfig"), dm.SQLUpdateConfig) << script(QStringLiteral("DMDATA.SQLUpdate"), dm.SQLUpdate);
    out << query(QStringLiteral("DMDATA.QCheckProGramExe"), dm.QCheckProGramExe) << query(QStringLiteral("DMDATA.QConfig"), dm.QConfig)
        << query(QStringLiteral("DMDATA.QUnitFraction"), dm.QUnitFraction) << query(QStringLiteral("DMDATA.QStockUnitQnty"), dm.QStockUnitQnty);
    out << db::procedureCall(config.SpMenuCaption.name(), {{"MENUID", T::Integer, false}, {"USERID", T::Integer, false}, {"CAPTION", T::Text, true},
                                              {"ACCESS_R", T::Text, true}, {"ADD_R", T::Text, true}, {"MODIFY_R", T::Text, true},
                                              {"DELETE_R", T::Text, true}, {"USERCODE", T::Text, true}, {"SALESID", T::Integer, true}});
    out << db::procedureCall(config.SpErrorLog.name(), {{"CompName", T::Text, false}, {"LogName", T::Text, false}, {"UserId", T::Integer, false},
                                           {"MenuId", T::Integer, false}, {"ErrorMsg", T::Text, false}});
    out << db::procedureCall(dm.SpNewDocumentNo.name(), {{"DocCode", T::Text, false}, {"DocYear", T::Integer, false}, {"NewNo", T::Text, true}});
    out << db::procedureCall(dm.SpServerTime.name(), {{"ServerTime", T::DateTime, true}});
    out << db::procedureCall(dm.SpUserAddLog.name(), {{"UserId", T::Integer, false}, {"MenuId", T::Integer, false}, {"FunctionListId", T::Integer, false},
                                         {"DocumentId", T::Integer, false}, {"Remark", T::Text, false}});
    return out;
  });
  return true;
}();

}  // namespace
