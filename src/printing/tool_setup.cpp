// Linked into consolidate-report: every report the tool creates answers the print dialog's functions.
#include "report/tool_hooks.h"
#include "report_functions_setup.h"

namespace {
const report::ToolSetupRegistrar registrar(&printing::setupReportFunctions);
}  // namespace
