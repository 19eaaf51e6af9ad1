// The printing layer's T-SQL texts join the catalogue of `consolidate-db statements`: the print
// dialog's, the company record's, and the datasets of every shipped report template (they run on
// the company database). The server procedures of the shipped forms (templates/print_procedures.sql
// in production, C++ on the embedded server) are checked by the grammar check from their file, and
// the documents the demo prints belong to the embedded server. Compiled into consolidate-db.
#include "printing_tsql.h"
#include "report/template.h"
#include "shipped_forms.h"

namespace {

const bool kRegistered = [] {
  db::addToCatalogue(QStringLiteral("printing"), [] {
    QVector<db::CatalogueText> out = printing::PrintDialogTsqlTexts() + printing::CompanyLibraryTsqlTexts();
    for (const QString& file : printing::shippedTemplateFiles()) {
      if (!file.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) continue;
      const report::Template t = report::parseTemplate(printing::shippedTemplate(file), file);
      for (const report::DatasetDef& d : t.datasets)
        if (!d.sql.trimmed().isEmpty()) out.push_back({QStringLiteral("template.%1.%2").arg(file, d.name), d.sql});
    }
    return out;
  });
  return true;
}();

}  // namespace
