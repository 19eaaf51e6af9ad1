// What the database client knows of the T-SQL texts the program sends to SQL Server: procedure
// names and the batch that calls a procedure, parameters as the server sees them, and the catalogue
// of every text the program can send (`consolidate-db statements --tsql`, docs/database.md).
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

#include "db.h"

namespace db {

// A procedure name as the program may send it: one to three parts separated by ".", each a regular
// identifier of at most 128 characters (a letter, "_" or "#" first, then letters and their marks
// (Thai vowels and tone marks), digits, "_", "@", "$" and "#"). Names come from the program and from data (SystemForm.SpName); anything else is
// refused before it reaches a statement.
bool isProcedureName(const QString& name);
// The name with each part bracketed as QUOTENAME does it ("dbo.PrintIv" -> "[dbo].[PrintIv]");
// throws db::Error when it is not a procedure name.
QString quotedProcedureName(const QString& name);
// The T-SQL batch that calls a procedure on SQL Server and returns its outputs and its return value
// ("Result") as one row:
//   SET NOCOUNT ON; DECLARE @rc int, @a1 nvarchar(4000); SET @a1 = :a1;
//   EXEC @rc = [NewDocumentNo] @DocCode = :a0, @NewNo = @a1 OUTPUT; SELECT @rc AS Result, @a1 AS [NewNo]
// `bound` (when given) receives the values of its ":aN" parameters.
QString procedureCallBatch(const QString& name, const Params& params, const QStringList& outputs, Params* bound = nullptr);

// The text with every ":Name" parameter written as the T-SQL variable "@Name", as SQL Server sees a
// parameter the driver sends (literals, bracketed names and comments left as they stand).
QString withServerVariables(const QString& sql);

// ---- The catalogue of T-SQL texts ---------------------------------------------------------------
// Every module that sends T-SQL lists its texts here (schema, upgrade steps, the windows' and the
// dialogs' statements, the batches that call procedures); `consolidate-db statements --tsql`
// prints them and the grammar check of the tests parses each one.
struct CatalogueText {
  QString name;  // "group/name" once collected
  QString tsql;  // as the program holds it, ":Name" parameters included
};
void addToCatalogue(const QString& group, std::function<QVector<CatalogueText>()> texts);
// The catalogue entry of a procedure call: the batch of procedureCallBatch, named for the procedure.
struct ProcedureArg {
  const char* name;  // without "@"
  ParamType type;
  bool output = false;
};
CatalogueText procedureCall(const QString& procedure, std::initializer_list<ProcedureArg> args);
QVector<CatalogueText> catalogue();

// The statements of one source file, each entered into the group where it is defined (TSQL_STATEMENT,
// TSQL_STATEMENT_OBJECT), in the order of definition. The layer's catalogue file hands the group's
// texts to addToCatalogue; naming the group there also links the file's statements into
// consolidate-db. A statement that has no T-SQL text (it runs on the embedded server only) is left
// out.
class StatementGroup {
 public:
  // Enters a statement; returns true, so that it can initialise a flag at namespace scope.
  bool add(const char* name, QString (*tsql)());
  QVector<CatalogueText> texts() const;

 private:
  struct Entry {
    const char* name;
    QString (*tsql)();
  };
  QVector<Entry> entries_;
};

// The T-SQL text of a statement as the program holds it.
inline QString tsqlOf(const SqlText& t) { return t.tsql; }
inline QString tsqlOf(const QStringList& lines) { return lines.join(QLatin1Char('\n')); }
inline QString tsqlOf(const QString& text) { return text; }

}  // namespace db

// Defines the statement function `Type Name()` and enters its text into `group` (a StatementGroup)
// under its name; the function's body follows:
//   TSQL_STATEMENT(statements(), const db::SqlText&, QGetGrid) { static const db::SqlText t{...}; return t; }
#define TSQL_STATEMENT(group, Type, Name)                                                                     \
  Type Name();                                                                                                \
  [[maybe_unused]] static const bool Name##InCatalogue_ = (group).add(#Name, [] { return ::db::tsqlOf(Name()); }); \
  Type Name()
// Defines the statement object `const db::SqlText Name` and enters its text into `group` under its
// name; its initialiser follows:
//   TSQL_STATEMENT_OBJECT(statements(), QZone){QStringLiteral("Select ..."), {}};
#define TSQL_STATEMENT_OBJECT(group, Name)                                                                  \
  extern const ::db::SqlText Name;                                                                          \
  [[maybe_unused]] static const bool Name##InCatalogue_ = (group).add(#Name, [] { return ::db::tsqlOf(Name); }); \
  const ::db::SqlText Name
