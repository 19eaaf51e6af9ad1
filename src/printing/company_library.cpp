#include "company_library.h"

#include "printing_tsql.h"

namespace printing {

CompanyLibrary::CompanyLibrary() : names_{QStringLiteral("COMPANYINFO")} {}

void CompanyLibrary::dispatch(int index, const QString& p1, const QString&, const QString&, report::Value& result,
                              report::Evaluator& evaluator) {
  if (index != 0) return;
  const QString field = evaluator.evaluate(p1).toString().trimmed();
  if (record_.columns().isEmpty() || record_.isEmpty()) {
    result = report::Value::string(QString());
    return;
  }
  const int col = record_.columnIndex(field);
  if (col < 0) throw report::ExprError(QStringLiteral("The company record has no field '%1'").arg(field));
  const QVariant v = record_.at(record_.eof() ? 0 : record_.recNo(), col);
  result = report::Value::string(v.isNull() ? QString() : v.toString().trimmed());
}

QVector<report::FunctionDescription> CompanyLibrary::descriptions() const {
  return {{QStringLiteral("COMPANYINFO"), QStringLiteral("Company"),
           QStringLiteral("COMPANYINFO(<Field>)/A field of the company record: NameThai, NameEng, Address1 .. Address4, "
                          "Province, Zip, Telephone, Fax, EMail, TaxNo, TaxBranchName ...")}};
}

void CompanyLibrary::setRecord(const db::Result& company) {
  if (company.isEmpty()) {
    record_ = db::Result();
    return;
  }
  // Keep the current row only.
  const int row = company.eof() ? 0 : company.recNo();
  record_ = db::Result(company.columns(), {company.rows().at(row)});
}

namespace {
// The company that owns a database, from the configuration database.
const QString kOwningCompany = QStringLiteral(
    "Select C.* From Company C Inner Join DatabaseList D On D.Company = C.Id\n"
    "Where Upper(D.DatabaseName) = :Name Order By C.Id");
}  // namespace

QVector<db::CatalogueText> CompanyLibraryTsqlTexts() { return {{QStringLiteral("QOwningCompany"), kOwningCompany}}; }

db::Result readOwningCompany(db::Connection& data) {
  if (!data.isOpen()) data.open();  // rebuilds the parameter lines
  const QString database = data.paramValue(QStringLiteral("DATABASE NAME")).trimmed().toUpper();
  db::Connection cfg(QStringLiteral("CompanyRecord"));
  for (const QString& line : data.params) {
    const QString name = line.section(QLatin1Char('='), 0, 0).trimmed().toUpper();
    if (name == QLatin1String("DATABASE NAME") || name == QLatin1String("CREATE DATABASE")) continue;
    cfg.params << line;
  }
  cfg.params << QStringLiteral("DATABASE NAME=TALVIK_CONFIG");
  db::Params p;
  p.setText(QStringLiteral("Name"), database);
  return cfg.select(kOwningCompany, p);
}

}  // namespace printing
