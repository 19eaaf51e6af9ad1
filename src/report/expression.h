// The report expression language.
//
//   expression := or-expr
//   or-expr    := and-expr { "or" and-expr }
//   and-expr   := not-expr { "and" not-expr }
//   not-expr   := "not" not-expr | comparison
//   comparison := sum [ ("=" | "<>" | "<" | ">" | "<=" | ">=") sum ]
//   sum        := product { ("+" | "-" | "&") product }
//   product    := unary { ("*" | "/" | "div" | "mod") unary }
//   unary      := ("-" | "+") unary | primary
//   primary    := number | 'text' | "true" | "false" | "null" | "(" expression ")"
//               | name | name "." name | name "(" [ expression { "," expression } ] ")"
//   statement  := name ":=" expression
//
// Names are case-insensitive. Texts are in single quotes, a quote inside written twice. "+" adds
// numbers and joins texts (when either side is a text); "&" always joins. The core knows IF and a
// few pure functions (see coreFunctionNames); every other name and function is resolved by a Scope.
#pragma once

#include "report/value.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

namespace report {

struct Node;
using NodePtr = std::shared_ptr<const Node>;

struct Node {
  enum class Type { Literal, Name, Field, Call, Negate, Not, Binary, And, Or };
  Type type = Type::Literal;
  Value literal;         // Literal
  QString name;          // Name, Call: the name as written; Field: the dataset
  QString field;         // Field: the field name
  QString upper;         // the name upper-cased (Name, Call, Field: the dataset)
  QString op;            // Binary: "+", "-", "*", "/", "DIV", "MOD", "&", "=", "<>", "<", ">", "<=", ">="
  std::vector<NodePtr> args;  // operands, call arguments
  QStringList argTexts;  // Call: each argument's source text, trimmed
  int pos = 0;           // offset in the source text
};

// Resolves names and functions that the core does not know.
class Scope {
 public:
  virtual ~Scope() = default;
  // A plain name (Node::Name) or a dataset field (Node::Field). Throws ExprError when unknown.
  virtual Value name(const Node& n) = 0;
  // A function call that is not a core function. Throws ExprError when unknown.
  virtual Value call(const Node& n) = 0;
};

// Parses an expression; throws ExprError naming the text and the position.
NodePtr parseExpression(const QString& text);

// "Name := expression".
struct Statement {
  QString target;
  NodePtr expr;
};
Statement parseStatement(const QString& text);

Value evaluate(const Node& n, Scope& scope);

// The core's own functions: IF, FORMATFLOAT, FORMATDATETIME, LENGTH, COPY, POS, UPPERCASE,
// LOWERCASE, TRIM, STR, INT, ROUND, FRAC, ABS, STRTODATE, ENCODEDATE, YEAR, MONTH, DAY.
const QStringList& coreFunctionNames();
bool isCoreFunction(const QString& upperName);

// Visits every node of a tree (the root first).
void visit(const NodePtr& root, const std::function<void(const Node&)>& fn);

// A text with embedded expressions in square brackets: "Total [SUM(Amount)] baht". "[[" writes
// one "[". Brackets inside quoted texts of an expression do not end it.
struct TextPart {
  QString literal;   // when expr is null
  QString exprText;  // the text between the brackets
  NodePtr expr;
};
QVector<TextPart> parseEmbedded(const QString& text);  // throws ExprError

}  // namespace report
