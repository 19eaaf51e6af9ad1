// Feeds arbitrary bytes to the template reader, and prepares what it accepts (without a database:
// templates with datasets fail cleanly). Any crash, hang or sanitizer report is a fault; the
// reader's and the engine's own errors are not.
#include "report/function_library_registry.h"
#include "report/engine.h"
#include "report/template.h"

#include <QGuiApplication>
#include <cstdint>

// Font lookups keep fontconfig's caches for the life of the process; they are not leaks of ours.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {
QGuiApplication* app() {
  static int argc = 1;
  static char name[] = "report_template_fuzz";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* a = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    report::registerAddFunctionLibrary();
    return new QGuiApplication(argc, argv);
  }();
  return a;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  app();
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    auto t = std::make_shared<report::Template>(report::parseTemplate(bytes, QStringLiteral("fuzz.frf"), QStringLiteral("/nonexistent")));
    // Keep each run short: only small reports are prepared.
    for (const report::Band& b : t->bands) {
      if (b.type == report::BandType::MasterData) return 0;
    }
    report::Engine engine;
    engine.setTemplate(t);
    engine.setDialogAnswerer([](const report::DialogDef&, QStringList&) { return true; });
    report::PreparedReport out;
    engine.prepare(out);
  } catch (const report::TemplateError&) {
  } catch (const report::ReportError&) {
  } catch (const report::ExprError&) {
  }
  return 0;
}
