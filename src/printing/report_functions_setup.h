// Makes a report answer what the print dialogs answer: the report user functions (amounts in words,
// quantities in units), the company record (COMPANYINFO), the PromptPay payload (PROMPTPAYQR) and,
// on the embedded server, the print procedures. consolidate-report runs it for every report it creates, so that templates rendered
// and expressions evaluated from the command line see the same functions as the print dialog.
#pragma once

namespace db {
class Connection;
}
namespace report {
class Report;
}

namespace printing {

// `data` is the data database the datasets run on; null when there is none (the quantity
// functions then fail with a message, the company record is empty).
void setupReportFunctions(report::Report& report, db::Connection* data);

}  // namespace printing
