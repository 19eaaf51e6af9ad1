// Set-up steps that other layers add to the consolidate-report tool, e.g. the report user
// functions of the print dialog. A layer links an object library holding
//
//   static report::ToolSetupRegistrar registrar([](report::Report& r, db::Connection* c) { ... });
//
// into the tool from its own CMakeLists.txt:
//
//   if(TARGET consolidate-report)
//     target_link_libraries(consolidate-report PRIVATE my_object_library)
//   endif()
//
// Each setup runs once per report the tool creates, before the template is loaded; the
// connection is null when the tool runs without a site.
#pragma once

#include <QVector>

namespace db {
class Connection;
}

namespace report {

class Report;

using ToolSetup = void (*)(Report& report, db::Connection* connection);

void addToolSetup(ToolSetup setup);
const QVector<ToolSetup>& toolSetups();

struct ToolSetupRegistrar {
  explicit ToolSetupRegistrar(ToolSetup setup) { addToolSetup(setup); }
};

}  // namespace report
