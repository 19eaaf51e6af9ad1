#include "report/report.h"

#include "report/print_target.h"

#include "report/export.h"

#include <QFileInfo>

namespace report {

Report::Report() = default;
Report::~Report() = default;

void Report::clear() {
  engine_.clear();
  prepared_ = PreparedReport();
}

bool Report::loadFromFile(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
  auto t = std::make_shared<Template>(loadTemplate(path));
  engine_.setTemplate(std::move(t));
  prepared_ = PreparedReport();
  return true;
}

bool Report::isLoaded() const { return engine_.templ() != nullptr; }
QString Report::fileName() const { return engine_.templ() ? engine_.templ()->fileName : QString(); }

void Report::setVariable(const QString& name, const QString& expression) { engine_.setVariable(name, expression); }
void Report::setVariableValue(const QString& name, const Value& value) { engine_.setVariableValue(name, value); }
void Report::setPreviewButtons(PreviewButtons buttons) { buttons_ = buttons; }
PreviewButtons Report::previewButtons() const { return buttons_; }
void Report::setConnection(db::Connection& connection) { engine_.setConnection(&connection); }

bool Report::prepare() {
  PreparedReport out;
  if (!engine_.prepare(out)) return false;
  prepared_ = std::move(out);
  return true;
}

const PreparedReport& Report::prepared() const { return prepared_; }
int Report::pageCount() const { return static_cast<int>(prepared_.pages.size()); }

void Report::showPreview(QWidget* parent) {
  PreviewWindow w(prepared_, buttons_, parent);
  QString title = documentName_;
  if (!fileName().isEmpty()) title = (title.isEmpty() ? QString() : title + QStringLiteral(" - ")) + QFileInfo(fileName()).fileName();
  if (!title.isEmpty()) w.setWindowTitle(PreviewWindow::tr("Preview") + QStringLiteral(" - ") + title);
  w.setDocumentName(documentName_.isEmpty() ? QFileInfo(fileName()).completeBaseName() : documentName_);
  if (previewHook_) previewHook_(w);
  w.exec();
}

void Report::setPreviewHook(std::function<void(PreviewWindow&)> hook) { previewHook_ = std::move(hook); }

bool Report::printPrepared(int copies, QPrinter* printer, QWidget* parent) {
  return printOnChosenPrinter(prepared_, parent, copies,
                              documentName_.isEmpty() ? QFileInfo(fileName()).completeBaseName() : documentName_, printer);
}

void Report::exportPdf(const QString& path) const { report::exportPdf(prepared_, path); }
void Report::exportText(const QString& path) const { report::exportText(prepared_, path); }
void Report::exportCsv(const QString& path) const { report::exportCsv(prepared_, path); }

Value Report::evaluate(const QString& text) { return engine_.evaluate(text); }
void Report::runStatement(const QString& line) { engine_.runStatement(line); }
void Report::registerFunctionLibrary(const std::shared_ptr<FunctionLibrary>& library) { engine_.addFunctionLibrary(library); }
void Report::setUserFunction(UserFunction fn) { engine_.setUserFunction(std::move(fn)); }
void Report::setDialogAnswerer(DialogAnswerer answerer) { engine_.setDialogAnswerer(std::move(answerer)); }
Engine& Report::engine() { return engine_; }

}  // namespace report
