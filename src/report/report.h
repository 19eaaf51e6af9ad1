// The report engine as the print dialogs see it: load a template, set variables, prepare, preview
// or print, and evaluate expressions in the context of the report.
//
//   report::Report rep;
//   rep.setConnection(dm.DMdata);                    // datasets run on the company database
//   rep.clear();
//   if (!rep.loadFromFile(path)) { /* no such file */ }
//   rep.setVariable("DocNo", "'" + docNo.trimmed() + "'");  // values are expressions
//   rep.setPreviewButtons(PreviewButton::Zoom | PreviewButton::Find | PreviewButton::Exit);
//   if (rep.prepare()) rep.showPreview();            // false: the parameter dialog was cancelled
//
// Failures are exceptions: TemplateError (a template that cannot be read) and ReportError (a
// report that cannot be prepared), each naming the file, band, object and text at fault.
#pragma once

#include "report/engine.h"
#include "report/functions.h"
#include "report/page.h"
#include "report/preview.h"
#include "report/template.h"

#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace db {
class Connection;
}

namespace report {

class Report {
 public:
  Report();
  ~Report();
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // Forgets the template, its variables and the prepared pages.
  void clear();
  // Loads a template file; its variables replace the report's. Returns false, keeping whatever was
  // loaded before, when no file exists at the path. Throws TemplateError when it cannot be read.
  bool loadFromFile(const QString& path);
  bool isLoaded() const;
  QString fileName() const;

  // Sets a report variable to an expression (a text value as a quoted literal: "'IV001'").
  void setVariable(const QString& name, const QString& expression);
  void setVariableValue(const QString& name, const Value& value);

  void setPreviewButtons(PreviewButtons buttons);
  PreviewButtons previewButtons() const;

  // The connection the template's datasets run on.
  void setConnection(db::Connection& connection);

  // Shows the template's parameter dialog (if any), runs its datasets and lays out the pages.
  // Returns false when the dialog was cancelled. Throws ReportError, TemplateError.
  bool prepare();
  const PreparedReport& prepared() const;
  int pageCount() const;

  // Shows the prepared pages in the modal preview window with the chosen buttons.
  void showPreview(QWidget* parent = nullptr);
  // Called with the preview window before it is shown modally (tests close it from here).
  void setPreviewHook(std::function<void(PreviewWindow&)> hook);
  // Prints every prepared page on the current printer (or `printer`), without a dialog. With no
  // printer installed the pages go to a PDF file the user names (print_target.h); false when the
  // user cancelled that.
  bool printPrepared(int copies = 1, QPrinter* printer = nullptr, QWidget* parent = nullptr);
  // The name of the document (its number): the title of the preview and the name a PDF file is
  // offered under.
  void setDocumentName(const QString& name) { documentName_ = name; }
  QString documentName() const { return documentName_; }

  void exportPdf(const QString& path) const;
  void exportText(const QString& path) const;
  void exportCsv(const QString& path) const;

  // Evaluates an expression text in the context of the report (the rows and page being prepared
  // while a preparation runs). Throws ExprError.
  Value evaluate(const QString& text);
  // Runs "Name := expression". Throws ExprError.
  void runStatement(const QString& line);

  // A function library for this report only (libraries registered with registerFunctionLibrary()
  // serve every report).
  void registerFunctionLibrary(const std::shared_ptr<FunctionLibrary>& library);
  // The handler of function names that neither the engine nor a library knows.
  void setUserFunction(UserFunction fn);
  // Answers the template's parameter dialog instead of showing it (tests, batch runs).
  void setDialogAnswerer(DialogAnswerer answerer);

  Engine& engine();

 private:
  Engine engine_;
  PreparedReport prepared_;
  PreviewButtons buttons_ = kAllPreviewButtons;
  std::function<void(PreviewWindow&)> previewHook_;
  QString documentName_;
};

}  // namespace report
