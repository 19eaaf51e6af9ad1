#include "report_functions_setup.h"

#include <memory>

#include "company_library.h"
#include "embedded/embedded.h"
#include "print_procedures.h"
#include "promptpay.h"
#include "report/report.h"
#include "report_user_functions.h"
#include "unit_quantities.h"

namespace printing {

void setupReportFunctions(report::Report& rep, db::Connection* data) {
  embedded::install();
  registerPrintProcedures();

  auto company = std::make_shared<CompanyLibrary>();
  if (data) {
    try {
      company->setRecord(readOwningCompany(*data));
    } catch (const db::Error&) {
      // A data database without its configuration database: no letterhead.
    }
  }
  rep.registerFunctionLibrary(company);
  rep.registerFunctionLibrary(std::make_shared<PromptPayLibrary>([data]() {
    return data ? ReadPromptPaySettings(*data) : PromptPaySettings();
  }));

  auto units = std::make_shared<std::unique_ptr<data::UnitQuantities>>();
  report::Report* r = &rep;
  rep.setUserFunction([r, data, units](const QString& name, const QString& p1, const QString& p2, const QString& p3,
                                       report::Value& result) {
    answerUserFunction(
        name, p1, p2, p3, result, [r](const QString& text) { return r->evaluate(text); },
        [data, units]() -> data::UnitQuantities& {
          if (!data) throw report::ExprError(QStringLiteral("Quantities in units need a database (--site and --database)"));
          if (!*units) *units = std::make_unique<data::UnitQuantities>(*data, data::UnitQuantitySettings::read(*data));
          return **units;
        });
  });
}

}  // namespace printing
