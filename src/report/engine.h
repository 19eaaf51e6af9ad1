// Prepares a report: evaluates the template's bands against its datasets and report variables and
// lays them out into pages of draw primitives.
#pragma once

#include "report/functions.h"
#include "report/page.h"
#include "report/template.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>

namespace db {
class Connection;
}

namespace report {

// A report that cannot be prepared: the message names the template file, the band, the object
// and the text at fault.
class ReportError : public std::runtime_error {
 public:
  explicit ReportError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// Answers the template's parameter dialog: values holds one text per field (the defaults on the
// way in); returning false cancels the preparation. Tests install their own answerer.
using DialogAnswerer = std::function<bool(const DialogDef& dialog, QStringList& values)>;
// The production answerer: a modal dialog of labelled edits with OK and Cancel.
bool showParameterDialog(const DialogDef& dialog, QStringList& values);

class Engine : public Evaluator {
 public:
  Engine();
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Takes a template; the report variables become the template's own.
  void setTemplate(std::shared_ptr<const Template> t);
  std::shared_ptr<const Template> templ() const;
  void clear();  // no template, no variables, datasets closed

  void setConnection(db::Connection* connection);
  db::Connection* connection() const;

  // A report variable whose value is an expression (a text as a quoted literal).
  void setVariable(const QString& name, const QString& expression);
  // A report variable holding a value.
  void setVariableValue(const QString& name, const Value& value);
  bool hasVariable(const QString& name) const;
  QStringList variableNames() const;

  void addFunctionLibrary(const std::shared_ptr<FunctionLibrary>& library);  // this engine only
  void setUserFunction(UserFunction fn);
  void setDialogAnswerer(DialogAnswerer answerer);

  // Asks the parameter dialog (when the template has one), runs the datasets and lays out the
  // pages. Returns false when the dialog was cancelled. Throws ReportError.
  bool prepare(PreparedReport& out);

  Value evaluate(const QString& text) override;
  void runStatement(const QString& line) override;

 private:
  class Impl;
  std::unique_ptr<Impl> d;
};

}  // namespace report
