// The expression language: operators, conversions, variables, statements and the two extension
// points (function libraries and the user-function callback).
#include "report/engine.h"
#include "report/expression.h"
#include "report/report.h"

#include <gtest/gtest.h>

using report::Value;

namespace {

struct Case {
  const char* expression;
  const char* expected;  // displayText of the value
};

QString eval(report::Report& r, const char* text) { return report::displayText(r.evaluate(QString::fromUtf8(text))); }

// A library that shows what the engine hands to a dispatch.
class EchoLibrary : public report::FunctionLibrary {
 public:
  const QStringList& names() const override { return names_; }
  void dispatch(int index, const QString& p1, const QString& p2, const QString& p3, Value& result,
                report::Evaluator& ev) override {
    lastIndex = index;
    if (index == 1) {
      result = Value::string(p1 + QLatin1Char('|') + p2 + QLatin1Char('|') + p3);
    } else {
      result = Value::number(ev.evaluate(p1).toNumber() * 2);
    }
  }
  int lastIndex = -1;

 private:
  QStringList names_{QStringLiteral("DOUBLEIT"), QStringLiteral("ECHOARGS")};
};

}  // namespace

TEST(Expression, OperatorsAndCoreFunctions) {
  const Case cases[] = {
      {"1 + 2 * 3", "7"},
      {"(1 + 2) * 3", "9"},
      {"7 div 2", "3"},
      {"-7 mod 3", "-1"},
      {"10 / 4", "2.5"},
      {"-(2 - 5)", "3"},
      {"1.5e2", "150"},
      {"'a' + 'b'", "ab"},
      {"'a' + 1", "a1"},
      {"'a' & 1 & True", "a1True"},
      {"'it''s'", "it's"},
      {"1 = 1.0", "True"},
      {"'10' = 10", "True"},
      {"'abc' < 'abd'", "True"},
      {"'B' = 'b'", "False"},
      {"1 <> 2 and not (1 > 2) or False", "True"},
      {"1 > 2 or 3 >= 3 and 2 <= 1", "False"},
      {"IF(1 > 2, 'x', 'y')", "y"},
      {"IF(True, 1, 1 / 0)", "1"},  // only the branch taken is evaluated
      {"null = ''", "True"},
      {"LENGTH('สวัสดี')", "6"},
      {"COPY('abcdef', 2, 3)", "bcd"},
      {"COPY('abc', 5, 1)", ""},
      {"POS('cd', 'abcdef')", "3"},
      {"UPPERCASE('abc') + LOWERCASE('DEF')", "ABCdef"},
      {"'[' + TRIM('  x  ') + ']'", "[x]"},
      {"ROUND(2.675, 2)", "2.68"},
      {"ROUND(-0.5)", "-1"},
      {"INT(-2.7) + FRAC(2.25)", "-1.75"},
      {"ABS(-3)", "3"},
      {"FORMATFLOAT('#,##0.00', -1234.567)", "-1,234.57"},
      {"FORMATFLOAT('#,###', 0)", ""},
      {"FORMATFLOAT('0.00;(0.00);-', -2)", "(2.00)"},
      {"FORMATDATETIME('dd/mm/yyyy hh:nn', STRTODATE('05/03/2004 07:08'))", "05/03/2004 07:08"},
      {"FORMATDATETIME('d mmm yy', ENCODEDATE(2004, 3, 5))", "5 Mar 04"},
      {"STRTODATE('29/02/2004') + 1", "01/03/2004"},
      {"STRTODATE('01/03/2004') - STRTODATE('29/02/2004')", "1"},
      {"STRTODATE('2004-03-01 10:30:00')", "01/03/2004 10:30:00"},
      {"YEAR(STRTODATE('01/03/2004')) * 100 + MONTH(STRTODATE('01/03/2004'))", "200403"},
      {"STR(1 / 4) + 'x'", "0.25x"},
      {"0.1 + 0.2", "0.3"},
      {"1 / 3", "0.333333333333333"},
  };
  report::Report r;
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(eval(r, c.expression).toStdString(), std::string(c.expected)) << c.expression;
    } catch (const report::ExprError& e) {
      ADD_FAILURE() << c.expression << ": " << e.message().toStdString();
    }
  }
}

TEST(Expression, ErrorsNameTheExpression) {
  const Case cases[] = {
      {"1 +", "Syntax error in expression '1 +' at position 4: unexpected end of text"},
      {"'abc", "unterminated text"},
      {"1 $ 2", "unexpected character '$'"},
      {"(1 + 2", "')' expected"},
      {"1 2", "unexpected '2'"},
      {"1 / 0", "Division by zero"},
      {"5 mod 0", "Division by zero"},
      {"NOSUCH(1)", "Unknown function 'NOSUCH'"},
      {"NoSuchName", "Unknown variable or field 'NoSuchName'"},
      {"Lines.Amount", "Unknown dataset 'Lines'"},
      {"'abc' * 2", "'abc' is not a valid number"},
      {"IF(1, 2)", "IF takes 3 arguments"},
      {"COPY('a')", "COPY takes 3 arguments"},
      {"ENCODEDATE(2004, 2, 30)", "is not a valid date"},
      {"SUM(1)", "SUM can be used only in group footers"},
      {"Total", "The variable 'Total' refers to itself"},
  };
  report::Report r;
  r.setVariable(QStringLiteral("Total"), QStringLiteral("Total + 1"));
  for (const Case& c : cases) {
    try {
      r.evaluate(QString::fromUtf8(c.expression));
      ADD_FAILURE() << c.expression << " did not fail";
    } catch (const report::ExprError& e) {
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.expected))) << c.expression << " gave: " << e.message().toStdString();
    }
  }
  // Nesting deeper than the parser allows is an error, not a stack overflow.
  EXPECT_THROW(r.evaluate(QString(5000, QLatin1Char('(')) + QStringLiteral("1") + QString(5000, QLatin1Char(')'))), report::ExprError);
}

TEST(Expression, VariablesAndStatements) {
  report::Report r;
  r.setVariable(QStringLiteral("DocNo"), QStringLiteral("'IV001'"));
  r.setVariable(QStringLiteral("Label"), QStringLiteral("'No. ' + docno"));  // names ignore case
  EXPECT_EQ(eval(r, "Label"), QStringLiteral("No. IV001"));
  r.setVariable(QStringLiteral("DocNo"), QStringLiteral("'IV002'"));
  EXPECT_EQ(eval(r, "Label"), QStringLiteral("No. IV002"));  // a variable's expression is evaluated at each use

  r.runStatement(QStringLiteral("Counter := 2 * 3"));
  r.runStatement(QStringLiteral("Counter := Counter + 1"));
  EXPECT_EQ(eval(r, "Counter"), QStringLiteral("7"));
  r.runStatement(QStringLiteral("Label := 'fixed'"));  // a statement stores a value
  r.setVariable(QStringLiteral("DocNo"), QStringLiteral("'IV003'"));
  EXPECT_EQ(eval(r, "Label"), QStringLiteral("fixed"));

  EXPECT_THROW(r.runStatement(QStringLiteral("1 := 2")), report::ExprError);
  EXPECT_THROW(r.runStatement(QStringLiteral("X = 2")), report::ExprError);
  EXPECT_THROW(r.runStatement(QStringLiteral("X := ")), report::ExprError);
  EXPECT_TRUE(r.evaluate(QStringLiteral("  ")).isNull());
}

TEST(Expression, LibrariesGetTheUnevaluatedArgumentTexts) {
  report::Report r;
  auto lib = std::make_shared<EchoLibrary>();
  r.registerFunctionLibrary(lib);
  r.setVariable(QStringLiteral("Foo"), QStringLiteral("21"));
  EXPECT_EQ(eval(r, "echoargs(1 + 2,  'x' , Foo)"), QStringLiteral("1 + 2|'x'|Foo"));
  EXPECT_EQ(lib->lastIndex, 1);
  EXPECT_EQ(eval(r, "ECHOARGS(1)"), QStringLiteral("1||"));  // absent arguments are empty
  EXPECT_EQ(eval(r, "DOUBLEIT(Foo)"), QStringLiteral("42"));
  EXPECT_EQ(lib->lastIndex, 0);
  EXPECT_THROW(r.evaluate(QStringLiteral("ECHOARGS(1, 2, 3, 4)")), report::ExprError);
}

TEST(Expression, UserFunctionAnswersOnlyTheNamesItKnows) {
  report::Report r;
  QStringList seen;
  r.setUserFunction([&](const QString& name, const QString& p1, const QString& p2, const QString& p3, Value& result) {
    seen << name + QLatin1Char(':') + p1 + QLatin1Char(':') + p2 + QLatin1Char(':') + p3;
    EXPECT_TRUE(result.isUnassigned());
    if (name.toUpper() == QLatin1String("TWICE")) result = Value::number(r.evaluate(p1).toNumber() * 2);
  });
  EXPECT_EQ(eval(r, "twice(20 + 1)"), QStringLiteral("42"));
  EXPECT_EQ(seen.last(), QStringLiteral("twice:20 + 1::"));
  // A name the callback leaves unanswered is an unknown function, never an empty value.
  try {
    r.evaluate(QStringLiteral("OTHER('a', 'b')"));
    ADD_FAILURE() << "OTHER did not fail";
  } catch (const report::ExprError& e) {
    EXPECT_EQ(e.message(), QStringLiteral("Unknown function 'OTHER'"));
  }
  EXPECT_EQ(seen.last(), QStringLiteral("OTHER:'a':'b':"));
  // The engine's own functions come first: the callback never sees them.
  const qsizetype before = seen.size();
  EXPECT_EQ(eval(r, "UPPERCASE('x')"), QStringLiteral("X"));
  EXPECT_EQ(seen.size(), before);
}

TEST(Expression, EmbeddedExpressionsInTexts) {
  const auto parts = report::parseEmbedded(QStringLiteral("No. [DocNo] of [IF(A, '[x]', 'y')] [[literal"));
  ASSERT_EQ(parts.size(), 5);
  EXPECT_EQ(parts[0].literal, QStringLiteral("No. "));
  EXPECT_EQ(parts[1].exprText, QStringLiteral("DocNo"));
  EXPECT_EQ(parts[3].exprText, QStringLiteral("IF(A, '[x]', 'y')"));
  EXPECT_EQ(parts[4].literal, QStringLiteral(" [literal"));
  EXPECT_THROW(report::parseEmbedded(QStringLiteral("Total [SUM(Amount)")), report::ExprError);
  EXPECT_THROW(report::parseEmbedded(QStringLiteral("Total [1 +]")), report::ExprError);
}
